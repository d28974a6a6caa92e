// Settings that change some bits of a word read from one inverter (the relay alarm classes, the
// Japanese protection masks, the run-state choice) and write the whole word back. Under
// "Broadcast" such a word would go into every inverter found, overwriting their own bits with
// those of the inverter it was read from; so these clicks are refused there, with the reason.
#pragma once

#include "app/SettingBinding.h"
#include "vcl/Kit.h"
#include "vcl/Services.h"

#include <QString>

namespace settings {

inline const QString kBroadcastRefusal = QStringLiteral(
    "Not sent: this setting changes some bits of a word read from the inverter shown, and "
    "\"Broadcast\" would write that word into every inverter. Choose \"Single\" to set it.");

// True (and the user told why) when "Broadcast" is chosen.
inline bool RefusedUnderBroadcast(const Context& ctx)
{
    auto* broadcast = ctx.form ? dynamic_cast<vcl::TRadioButton*>(ctx.form->FindComponent(QStringLiteral("Radio_CmdBroadcast")))
                               : nullptr;
    if (!broadcast || !broadcast->Checked())
        return false;
    vcl::MessageBox(kBroadcastRefusal);
    return true;
}

} // namespace settings

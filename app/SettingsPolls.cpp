#include "app/SettingsPolls.h"

#include "common/Myfunc.h"
#include "groups/Polls.h"
#include "vcl/IniFile.h"
#include "vcl/Kit.h"
#include "vcl/Services.h"

namespace settings {

namespace {

// A row's value is a register word typed signed or unsigned.
constexpr int kPollValueMin = -32768;
constexpr int kPollValueMax = 65535;

} // namespace

std::vector<Binding> PollRowBindings()
{
    std::vector<Binding> rows;
    for (int d = 0; d < groups::kPollGroups; ++d) {
        for (int r = 1; r <= groups::kPollRows; ++r) {
            const QString suffix = groups::PollSuffix(d, r);
            const QString typeName = QStringLiteral("Combo_PollType") + suffix;
            const QString addrName = QStringLiteral("Edit_PollAddr") + suffix;
            const QString valueName = QStringLiteral("Edit_PollVal") + suffix;
            rows.push_back(Binding(valueName)
                               .Tolerant()
                               // A raw register write is made only from a number typed, read
                               // signed or unsigned.
                               .RefuseWithMessage(kPollValueMin, kPollValueMax, QStringLiteral("Please input -32768~65535"))
                               .Paint(QStringLiteral("Label_PollVal") + suffix)
                               .Adjust([typeName, addrName](const Context& ctx, Post& post) {
                                   if (!ctx.form)
                                       return false;
                                   auto* type = dynamic_cast<vcl::TComboBox*>(ctx.form->FindComponent(typeName));
                                   auto* addr = dynamic_cast<vcl::TControl*>(ctx.form->FindComponent(addrName));
                                   const int fc = FunctionCodeOfIndex(type ? type->ItemIndex() : -1);
                                   post.code = fc == 3 ? kWriteRegister : fc == 1 ? kWriteCoil : 0;
                                   post.address = StrToIntSafe(addr ? addr->Text() : QString());
                                   return post.code == 0 || groups::PollAddressValid(post.address);
                               }));
        }
    }
    return rows;
}

} // namespace settings

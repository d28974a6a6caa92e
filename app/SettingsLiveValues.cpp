#include "app/SettingsLiveValues.h"

#include "vcl/Kit.h"

namespace settings {

namespace {

// The power-production label goes red with the relay-function label.
bool PaintPowerProduction(const Context& ctx, Post&)
{
    if (ctx.form)
        if (auto* label = dynamic_cast<vcl::TLabel*>(ctx.form->FindComponent(QStringLiteral("Label_PowerPro1"))))
            label->Font()->SetColor(vcl::clRed);
    return true;
}

} // namespace

std::vector<Binding> LiveValueBindings()
{
    return {
        Binding("Btn_DryContactTest3PON").Code(CmdDryContactTestOn).NoValue().Paint("Label_MultiRelay1").Adjust(PaintPowerProduction),
        Binding("Btn_DryContactTest3POFF").Code(CmdDryContactTestOff).NoValue().Paint("Label_MultiRelay1").Adjust(PaintPowerProduction),
        Binding("Btn_StrCurrentEnableDC12").Code(CmdEnableStringCurrentDc12).NoValue(),
    };
}

} // namespace settings

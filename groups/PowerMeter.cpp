#include "groups/PowerMeter.h"

#include "common/Myfunc.h"
#include "groups/Version.h"

namespace groups {

PowerMeterGroup FindPowerMeterGroup(const vcl::TComponent& form)
{
    PowerMeterGroup g;
    g.Panel = FindPanel(form, QStringLiteral("Group_PowerMeterInfo"));
    g.MeterId = dynamic_cast<vcl::TComboBox*>(form.FindComponent(QStringLiteral("Combo_PowerMeter_ID")));
    g.Serial = FindLabel(form, QStringLiteral("Label_PowerMeter_SN"));
    g.FwVersion = FindLabel(form, QStringLiteral("Label_PowerMeter_FW_Version"));
    g.FwDate = FindLabel(form, QStringLiteral("Label_PowerMeter_FW_Date"));
    return g;
}

PowerMeterGroup BuildPowerMeterGroup(vcl::TComponent& form)
{
    auto* panel = FindPanel(form, QStringLiteral("Group_PowerMeterInfo"));
    if (panel && !form.FindComponent(QStringLiteral("Combo_PowerMeter_ID"))) {
        int top = kFirstRowTop;
        CaptionLabel(&form, panel, QStringLiteral("Label5161"), QStringLiteral("Meter ID"), 10, top + 3);
        auto* combo = new vcl::TComboBox(&form);
        combo->SetName(QStringLiteral("Combo_PowerMeter_ID"));
        combo->SetParent(panel);
        combo->SetBounds(kValueLeft, top, 80, 24);
        combo->SetStyle(vcl::csDropDown);
        for (const char* id : {"252", "253", "254"})
            combo->Items()->Add(QLatin1String(id));
        combo->SetText(QStringLiteral("252"));
        top += kRowPitch + 6;
        CaptionLabel(&form, panel, QStringLiteral("Label5162"), QStringLiteral("Serial Number"), 10, top);
        ValueLabel(&form, panel, QStringLiteral("Label_PowerMeter_SN"), kValueLeft, top, 160);
        top += kRowPitch;
        CaptionLabel(&form, panel, QStringLiteral("Label5163"), QStringLiteral("FW Version"), 10, top);
        ValueLabel(&form, panel, QStringLiteral("Label_PowerMeter_FW_Version"), kValueLeft, top);
        top += kRowPitch;
        CaptionLabel(&form, panel, QStringLiteral("Label5164"), QStringLiteral("FW Date"), 10, top);
        ValueLabel(&form, panel, QStringLiteral("Label_PowerMeter_FW_Date"), kValueLeft, top);
    }
    return FindPowerMeterGroup(form);
}

std::uint8_t PowerMeterId(const PowerMeterGroup& g)
{
    return g.MeterId ? static_cast<std::uint8_t>(StrToIntSafe(g.MeterId->Text()) & 0xFF) : 0;
}

int ReadPowerMeterInfo(Modbus& link, PowerMeterGroup& g, std::uint8_t stop)
{
    const int frame = FrameStart(link, stop, {g.Panel}, QStringLiteral("Meter..."));
    if (frame >= 0)
        return frame;
    if (link.Request(3072, 7, 3))
        return 1;
    if (Accepted(link, 3))
        SetText(g.Serial, SerialText(&link.Reply[3], 14));
    if (link.Request(258, 2, 4))
        return 1;
    if (Accepted(link, 4)) {
        SetText(g.FwVersion, VersionText(Word(link, 0)));
        SetText(g.FwDate, BuildWeekText(Word(link, 1)));
    }
    return 0;
}

} // namespace groups

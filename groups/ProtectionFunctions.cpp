#include "groups/ProtectionFunctions.h"

#include "groups/PanelRows.h"

#include "common/Myfunc.h"

#include <vector>

namespace groups {

namespace {

using rows::AddRows;
using rows::L;
using rows::Blue;
using rows::Check;
using rows::Row;
using rows::RowKind;

std::vector<const char*> Numbered(const char* suffix, int count, double step, int decimals)
{
    static std::vector<QByteArray> keep;
    std::vector<const char*> out;
    for (int k = 0; k < count; ++k) {
        keep.push_back((QString::number(k * step, 'f', decimals) + QLatin1String(suffix)).toLatin1());
        out.push_back(keep.back().constData());
    }
    return out;
}

void BuildDarkCurrent(vcl::TComponent& form, vcl::TWinControl* p)
{
    const std::vector<Row> rows = {
        {RowKind::Radios, "Function", nullptr, "DarkCurrentFunction",
         {"Radio_DarkCurrentEnable|Enable", "Radio_DarkCurrentDisable|Disable"}},
        {RowKind::Radios, "Power On", nullptr, "DarkCurrentPower",
         {"Radio_DarkCurrentPowerON|ON", "Radio_DarkCurrentPowerOFF|OFF"}},
        {RowKind::Value, "State", "Label_DarkCurrentState"},
        {RowKind::ValueCombo, "String Select", "Label_DarkCurrentStringSelect", "Combo_DarkCurrentStringSelect",
         Numbered(" string", 13, 1, 0)},
        {RowKind::ValueCombo, "String Current", "Label_DarkCurrentStringCurrent", "Combo_DarkCurrentStringCurrent",
         Numbered("A", 11, 0.5, 1)},
        {RowKind::Radios, "Power On Time", nullptr, "DarkCurrentTime",
         {"Radio_DarkCurrentTime10Min|10 Min", "Radio_DarkCurrentTime20Min|20 Min",
          "Radio_DarkCurrentTime30Min|30 Min", "Radio_DarkCurrentTime60Min|60 Min"}},
        {RowKind::Value, "Energy (Wh)", "Label_DarkCurrentEnergy"},
        {RowKind::Value, "Run Time", "Label_DarkCurrentRuntime"},
    };
    // The state's text is long and the captions are short: the values start further left.
    AddRows(form, p, rows, kFirstRowTop, p->Width(), 104);
}

void BuildFrt(vcl::TComponent& form, vcl::TWinControl* p)
{
    const int w = p->Width() - 8;
    auto box = [&](const char* name, const char* title, int top, int rows) {
        auto* b = new vcl::TGroupBox(&form);
        b->SetName(QLatin1String(name));
        b->SetParent(p);
        b->SetCaption(QLatin1String(title));
        b->SetBounds(4, top, w, 22 + rows * kRowPitch + 10);
        return b;
    };
    const std::vector<Row> lv = {
        {RowKind::ValueCombo, "Mode", "Label_FRTMode", "Combo_FRTMode",
         {"Disable", "Enable", "Enable(Limit Grid Supprt)"}},
        {RowKind::ValueEdit, "T1 Time", "Label_T1Time", "Edit_T1Time"},
        {RowKind::ValueEdit, "Uac Fault", "Label_UacFault", "Edit_UacFault"},
        {RowKind::ValueEdit, "U1", "Label_FRTU1", "Edit_FRTU1"},
        {RowKind::ValueEdit, "Dead Band Umin", "Label_DeadBandUmin", "Edit_DeadBandUmin"},
        {RowKind::ValueEdit, "T2 Time", "Label_T2Time", "Edit_T2Time"},
        {RowKind::ValueEdit, "T3 Time", "Label_T3Time", "Edit_T3Time"},
        {RowKind::ValueEdit, "Dead Band Umax", "Label_DeadBandUmax", "Edit_DeadBandUmax"},
        {RowKind::ValueEdit, "K Factor", "Label_KFactor", "Edit_KFactor"},
    };
    const std::vector<Row> hv = {
        {RowKind::ValueCombo, "Mode", "Label_HVRT_Mode", "Combo_HVRT_Mode", {"Disable", "Enable"}},
        {RowKind::ValueEdit, "V1", "Label_HVRT_V1", "Edit_HVRT_V1"},
        {RowKind::ValueEdit, "V2", "Label_HVRT_V2", "Edit_HVRT_V2"},
        {RowKind::ValueEdit, "T1", "Label_HVRT_T1", "Edit_HVRT_T1"},
        {RowKind::ValueEdit, "T2", "Label_HVRT_T2", "Edit_HVRT_T2"},
    };
    auto* lvBox = box("GroupBox_LVRT", "LVRT_Mode", kFirstRowTop - 4, 9);
    AddRows(form, lvBox, lv, 20, w, 126);   // room for "Zone morte Umax" beside its value
    auto* hvBox = box("GroupBox_HVRT", "HVRT_Mode", lvBox->Top() + lvBox->Height() + 6, 5);
    AddRows(form, hvBox, hv, 20, w);
}

} // namespace

ProtectionFunctionGroup FindProtectionFunctionGroups(const vcl::TComponent& form)
{
    ProtectionFunctionGroup g;
    g.DarkCurrent = FindPanel(form, QStringLiteral("Group_DarkCurrent"));
    g.Epo = FindPanel(form, QStringLiteral("Group_EPO"));
    g.Islanding = FindPanel(form, QStringLiteral("Group_Islanding"));
    g.AntiIsland = FindPanel(form, QStringLiteral("Group_AntiIsland"));
    g.Arc = FindPanel(form, QStringLiteral("Group_ARCTest"));
    g.AntiPid = FindPanel(form, QStringLiteral("Group_AntiPid"));
    g.Frt = FindPanel(form, QStringLiteral("Group_LVFR"));
    return g;
}

ProtectionFunctionGroup BuildProtectionFunctionGroups(vcl::TComponent& form)
{
    const ProtectionFunctionGroup g = FindProtectionFunctionGroups(form);
    auto fresh = [&form](vcl::TWinControl* panel, const char* marker) {
        return panel && !form.FindComponent(QLatin1String(marker));
    };
    if (fresh(g.DarkCurrent, "Label_DarkCurrentState"))
        BuildDarkCurrent(form, g.DarkCurrent);
    if (fresh(g.Epo, "Label_EPO1_Mode")) {
        g.Epo->SetHint(QStringLiteral("When changing country setting, previously made settings will automatically "
                                      "return to default values."));
        g.Epo->SetShowHint(true);
        const std::vector<const char*> items = {"Normal Close", "Normal Open"};
        AddRows(form, g.Epo,
                {{RowKind::ValueCombo, "EPO 1", "Label_EPO1_Mode", "Combo_EPO1_Mode", items},
                 {RowKind::ValueCombo, "EPO 2", "Label_EPO2_Mode", "Combo_EPO2_Mode", items}},
                kFirstRowTop, g.Epo->Width(), 86);   // short captions: room for "Normal Close"
    }
    if (fresh(g.Islanding, "Label_IslandingMode"))
        AddRows(form, g.Islanding,
                {{RowKind::ValueCombo, "Mode", "Label_IslandingMode", "Combo_IslandingMode", {"OFF", "ON"}}},
                kFirstRowTop, g.Islanding->Width());
    if (fresh(g.AntiIsland, "Label_AntiIslandMode"))
        AddRows(form, g.AntiIsland,
                {{RowKind::ValueCombo, "Mode (Japan)", "Label_AntiIslandMode", "Combo_AntiIslandMode", {"OFF", "ON"}}},
                kFirstRowTop, g.AntiIsland->Width());
    if (fresh(g.Arc, "Label_ARC_FaultStatus"))
        AddRows(form, g.Arc,
                {{RowKind::Radios, "Detection", nullptr, "ARC", {"Radio_ARC_Enable|Enable", "Radio_ARC_Disable|Disable"}},
                 {RowKind::Value, "Fault Status", "Label_ARC_FaultStatus"},
                 {RowKind::Buttons, "", nullptr, "ARCButtons", {"Btn_ARC_Unlock|Unlock", "Btn_ARC_SelfTest|Self-Test"}}},
                kFirstRowTop, g.Arc->Width());
    if (fresh(g.AntiPid, "Label_AntiPidState"))
        AddRows(form, g.AntiPid,
                {{RowKind::ValueEdit, "Trip Time", "Label_AntiPidTripTime", "Edit_AntiPidTripTime"},
                 {RowKind::Value, "State", "Label_AntiPidState"}},
                kFirstRowTop, g.AntiPid->Width());
    if (fresh(g.Frt, "Label_FRTMode"))
        BuildFrt(form, g.Frt);
    return g;
}

QString DarkCurrentStateText(int state)
{
    switch (state) {
    case 0: return QStringLiteral("Dark Current Disable");
    case 1: return QStringLiteral("Dark Current Standby for Night");
    case 2: return QStringLiteral("Dark Current Standby for Power On");
    case 3: return QStringLiteral("Dark Current Softstart");
    case 4: return QStringLiteral("String Current Softstart(Uneven)");
    case 5: return QStringLiteral("String Number Error");
    case 6: return QStringLiteral("Dark Current achieve setting");
    case 7: return QStringLiteral("PV Panel abnormal");
    case 8: return QStringLiteral("Power On time up");
    case 9: return QStringLiteral("CS Communication Fail");
    case 15: return QStringLiteral("Other Fail");
    case 16: return QStringLiteral("No support Dark current Function");
    default: return QString();
    }
}

QString RunTimeText(int s)
{
    return QStringLiteral("%1:%2:%3").arg(s / 3600).arg((s % 3600) / 60).arg(s % 60);
}

int ReadDarkCurrent(Modbus& link, const ProtectionFunctionGroup& g, vcl::TComponent& form, std::uint8_t stop)
{
    const int frame = FrameStart(link, stop, {g.DarkCurrent}, QStringLiteral("Dark C..."));
    if (frame >= 0)
        return frame;
    if (link.Request(48976, 5, 3))
        return 1;
    if (Accepted(link, 3)) {
        const int bits = Word(link, 0);
        Check(form, bits & 1 ? "Radio_DarkCurrentEnable" : "Radio_DarkCurrentDisable");
        Check(form, bits & 2 ? "Radio_DarkCurrentPowerON" : "Radio_DarkCurrentPowerOFF");
        const QString state = DarkCurrentStateText(Word(link, 1));
        if (!state.isEmpty())
            SetText(L(form, "Label_DarkCurrentState"), state);
        SetText(L(form, "Label_DarkCurrentStringSelect"), QString::number(Word(link, 2)));
        SetText(L(form, "Label_DarkCurrentStringCurrent"),
                FormatScaledFloat(static_cast<float>(SignedWord(link, 3)), 100) + QStringLiteral(" A"));
        switch (Word(link, 4)) {
        case 600: Check(form, "Radio_DarkCurrentTime10Min"); break;
        case 1200: Check(form, "Radio_DarkCurrentTime20Min"); break;
        case 1800: Check(form, "Radio_DarkCurrentTime30Min"); break;
        case 3600: Check(form, "Radio_DarkCurrentTime60Min"); break;
        default: break;
        }
        Blue(L(form, "Label_DarkCurrentStringSelect"));
        Blue(L(form, "Label_DarkCurrentStringCurrent"));
    }
    if (link.Request(49255, 4, 4))
        return 1;
    if (!Accepted(link, 4))
        return 0;
    const auto low32 = [&link](int k) {
        return static_cast<std::int32_t>(static_cast<std::uint32_t>(Word(link, k + 1)) << 16 | static_cast<std::uint32_t>(Word(link, k)));
    };
    SetText(L(form, "Label_DarkCurrentEnergy"), QString::number(low32(0)));
    SetText(L(form, "Label_DarkCurrentRuntime"), RunTimeText(low32(2)));
    return 0;
}

int ReadEpo(Modbus& link, const ProtectionFunctionGroup& g, vcl::TComponent& form, std::uint8_t stop)
{
    const int frame = FrameStart(link, stop, {g.Epo}, QStringLiteral("EPO..."));
    if (frame >= 0)
        return frame;
    if (link.Request(33603, 2, 3))
        return 1;
    if (!Accepted(link, 3))
        return 0;
    for (int k = 0; k < 2; ++k) {
        vcl::TLabel* l = L(form, k == 0 ? "Label_EPO1_Mode" : "Label_EPO2_Mode");
        SetText(l, Word(link, k) != 0 ? QStringLiteral("Normal Open") : QStringLiteral("Normal Close"));
        Blue(l);
    }
    return 0;
}

namespace {

// A mode register shown as "OFF" or "ON" by two exact values; other values leave the text.
int ReadOnOffMode(Modbus& link, vcl::TWinControl* panel, vcl::TComponent& form, const char* progress, int reg,
                  int onValue, const char* label, std::uint8_t stop)
{
    const int frame = FrameStart(link, stop, {panel}, QLatin1String(progress));
    if (frame >= 0)
        return frame;
    if (link.Request(reg, 1, 3))
        return 1;
    if (!Accepted(link, 3))
        return 0;
    vcl::TLabel* l = L(form, label);
    const int w = Word(link, 0);
    if (w == 0)
        SetText(l, QStringLiteral("OFF"));
    else if (w == onValue)
        SetText(l, QStringLiteral("ON"));
    Blue(l);
    return 0;
}

} // namespace

int ReadIslanding(Modbus& link, const ProtectionFunctionGroup& g, vcl::TComponent& form, std::uint8_t stop)
{
    return ReadOnOffMode(link, g.Islanding, form, "Islanding...", 33580, 0xFFFF, "Label_IslandingMode", stop);
}

int ReadAntiIslanding(Modbus& link, const ProtectionFunctionGroup& g, vcl::TComponent& form, std::uint8_t stop)
{
    return ReadOnOffMode(link, g.AntiIsland, form, "Anti-Islanding...", 33648, 3, "Label_AntiIslandMode", stop);
}

int ReadArc(Modbus& link, const ProtectionFunctionGroup& g, vcl::TComponent& form, std::uint8_t stop)
{
    const int frame = FrameStart(link, stop, {g.Arc}, QStringLiteral("ARC..."));
    if (frame >= 0)
        return frame;
    if (link.Request(24652, 1, 1))
        return 1;
    // The coil set means detection disabled.
    if (Accepted(link, 1))
        Check(form, link.Reply[3] == 1 ? "Radio_ARC_Disable" : "Radio_ARC_Enable");
    if (link.Request(48384, 1, 3))
        return 1;
    if (!Accepted(link, 3))
        return 0;
    if (Word(link, 0) == 1)
        SetText(L(form, "Label_ARC_FaultStatus"), QStringLiteral("Lock"));
    else if (Word(link, 0) == 0)
        SetText(L(form, "Label_ARC_FaultStatus"), QStringLiteral("Normal"));
    return 0;
}

int ReadAntiPid(Modbus& link, const ProtectionFunctionGroup& g, vcl::TComponent& form, std::uint8_t stop)
{
    static const char* const kStates[9] = {"Ready", "Finished", "Relay_Test", "Stop", "In_Progress",
                                           "Unknow", "Relay_Test_Fail", "OCR_Fail", "NO_DC_Fail"};
    const int frame = FrameStart(link, stop, {g.AntiPid}, QStringLiteral("PID..."));
    if (frame >= 0)
        return frame;
    if (link.Request(25419, 2, 3))
        return 1;
    if (!Accepted(link, 3))
        return 0;
    SetText(L(form, "Label_AntiPidTripTime"), QString::number(Word(link, 0)));
    const int state = Word(link, 1);
    SetText(L(form, "Label_AntiPidState"), state < 9 ? QLatin1String(kStates[state]) : QString());
    Blue(L(form, "Label_AntiPidTripTime"));
    return 0;
}

int ReadFrt(Modbus& link, const ProtectionFunctionGroup& g, vcl::TComponent& form, std::uint8_t stop)
{
    enum Fmt { Percent, Hundredths, Tenths, Mode };
    struct Cell {
        const char* label;
        Fmt fmt;
    };
    static const Cell kLow[9] = {
        {"Label_FRTMode", Mode}, {"Label_T1Time", Hundredths}, {"Label_UacFault", Percent},
        {"Label_FRTU1", Percent}, {"Label_DeadBandUmin", Percent}, {"Label_T2Time", Hundredths},
        {"Label_T3Time", Hundredths}, {"Label_DeadBandUmax", Percent}, {"Label_KFactor", Tenths},
    };
    static const Cell kHigh[4] = {
        {"Label_HVRT_V1", Percent}, {"Label_HVRT_V2", Percent}, {"Label_HVRT_T1", Hundredths}, {"Label_HVRT_T2", Hundredths},
    };
    auto show = [&form](const Cell& c, int w) {
        vcl::TLabel* l = L(form, c.label);
        switch (c.fmt) {
        case Percent: SetText(l, QString::number(w) + QStringLiteral(" %")); break;
        case Hundredths: SetText(l, FormatDiv100(static_cast<float>(w)) + QStringLiteral(" sec")); break;
        case Tenths: SetText(l, FormatDiv10(static_cast<float>(w))); break;
        case Mode: {
            static const char* const kModes[3] = {"Disable", "Enable", "Enable(Limit Grid Supprt)"};
            if (w < 3)
                SetText(l, QLatin1String(kModes[w]));
            break;
        }
        }
        Blue(l);
    };
    const int frame = FrameStart(link, stop, {g.Frt}, QStringLiteral("FRT..."));
    if (frame >= 0)
        return frame;
    if (link.Request(853, 9, 3))
        return 1;
    if (Accepted(link, 3))
        for (int k = 0; k < 9; ++k)
            show(kLow[k], Word(link, k));
    if (link.Request(48905, 5, 3))
        return 1;
    if (!Accepted(link, 3))
        return 0;
    vcl::TLabel* mode = L(form, "Label_HVRT_Mode");
    SetText(mode, Word(link, 0) != 0 ? QStringLiteral("Enable") : QStringLiteral("Disable"));
    Blue(mode);
    for (int k = 0; k < 4; ++k)
        show(kHigh[k], Word(link, k + 1));
    return 0;
}

} // namespace groups

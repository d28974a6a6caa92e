#include "groups/Service.h"

namespace groups {

namespace {

constexpr int kRepairCoil = 24609;      // 0x6021
constexpr int kStoreSettings = 24665;   // 0x6059
constexpr int kFlagWord = 48158;        // bit 1 grid lock
constexpr int kGridLockBit = 0x02;
constexpr int kAcTerminalCoil = 24649;  // 0x6049, also the EU parallel mode
constexpr int kFanTestMode = 824;       // low byte 32 = fan test
constexpr int kFanOn = 32;
constexpr int kFanDuty = 807;
constexpr int kFirstMpptCoil = 24578;   // 0x6002..0x6007
constexpr int kGainBlock = 33536;       // 0x8300, 13 words
constexpr int kEfficiencyCoil = 24619;  // 0x602B
constexpr int kAfciCount = 1128;        // hidden input register
constexpr int kAfciRevision = 1046;
constexpr int kShadowBlock = 48432;     // mode, interval

constexpr int kEditLeft = 222;
constexpr int kEditWidth = 70;

QString Name(const char* n) { return QString::fromLatin1(n); }


RadioPair FindPair(const vcl::TComponent& form, const QString& holder, const QString& on, const QString& off)
{
    RadioPair r;
    r.Holder = FindAs<vcl::TPanel>(form, holder);
    r.On = FindAs<vcl::TRadioButton>(form, on);
    r.Off = FindAs<vcl::TRadioButton>(form, off);
    return r;
}

// Row captions and value names of the gain words 1..12, in register order.
struct GainRow {
    const char* caption;
    const char* name;   // Label_ and Edit_ followed by this
};
constexpr GainRow kGainRows[kGainWords] = {
    {"Volt High Gain", "VoltHighGain"},    {"Volt Boundary", "VoltBoundary"},
    {"Volt Low Gain", "VoltLowGain"},      {"Curr High Gain", "CurrHighGain"},
    {"Curr Boundary", "CurrBoundary"},     {"Curr Low Gain", "CurrLowGain"},
    {"Power High Gain", "PowerHighGain"},  {"Power Boundary", "PowertBoundary"},
    {"Power Low Gain", "PowerLowGain"},    {"Red. Volt High Gain", "VoltHighGainRed"},
    {"Red. Volt Boundary", "VoltBoundaryRed"}, {"Red. Volt Low Gain", "VoltLowGainRed"},
};

void BuildFactory(vcl::TComponent& form)
{
    auto* panel = FindPanel(form, Name("Group_Factory"));
    if (!panel || form.FindComponent(Name("Label_SaveData")))
        return;
    int top = kFirstRowTop;
    CaptionLabel(&form, panel, Name("Label1231"), QStringLiteral("Store Settings"), 10, top);
    ValueLabel(&form, panel, Name("Label_SaveData"), kValueLeft, top, 80);
    PanelButton(&form, panel, Name("Btn_SaveData"), QStringLiteral("Click"), kEditLeft, top, kEditWidth);
    top += kControlPitch;
    CaptionLabel(&form, panel, Name("Label1232"), QStringLiteral("Clear"), 10, top);
    PanelButton(&form, panel, Name("Btn_ClearEnergy"), QStringLiteral("Energy && Runtime"), kValueLeft, top, 162);
    top += kControlPitch;
    PanelButton(&form, panel, Name("Btn_ClearEvent"), QStringLiteral("Event Log"), kValueLeft, top, 162);
    top += kControlPitch;
    PanelButton(&form, panel, Name("Btn_ClearCloudRegister"), QStringLiteral("Return to Default"), kValueLeft, top, 162);
    top += kControlPitch;
    CaptionLabel(&form, panel, Name("Label1233"), QStringLiteral("Preset"), 10, top);
    PanelButton(&form, panel, Name("Btn_PowerLimit2500"), QStringLiteral("Power Limit 2.5K"), kValueLeft, top, 162);
    top += kControlPitch;
    CaptionLabel(&form, panel, Name("Label1234"), QStringLiteral("Grid Lock"), 10, top);
    PanelRadioPair(&form, panel, Name("Panel1231"), Name("Label_GridLockON"), QStringLiteral("ON"),
                   Name("Label_GridLockOFF"), QStringLiteral("OFF"), kValueLeft, top);
    top += kControlPitch;
    auto* part = PanelPart(&form, panel, Name("Group_UseForFactory"), 2, top - 4, panel->Width() - 4, kControlPitch);
    CaptionLabel(&form, part, Name("Label1235"), QStringLiteral("Repair"), 8, 4);
    PanelRadioPair(&form, part, Name("Panel1232"), Name("Radio_RepairON"), QStringLiteral("ON"),
                   Name("Radio_RepairOFF"), QStringLiteral("OFF"), kValueLeft - 2, 4);
    part->SetVisible(false);
}

void BuildAcTerminal(vcl::TComponent& form)
{
    auto* panel = FindPanel(form, Name("Group_AcTerminal"));
    if (!panel || form.FindComponent(Name("Radio_3P4W")))
        return;
    CaptionLabel(&form, panel, Name("Label1241"), QStringLiteral("AC Terminal"), 10, kFirstRowTop);
    // The four-wire terminal on the left: it is the "off" state of the coil.
    PanelRadioPair(&form, panel, Name("Panel1241"), Name("Radio_3P4W"), QStringLiteral("3P4W"),
                   Name("Radio_3P3W"), QStringLiteral("3P3W"), kValueLeft, kFirstRowTop);
}

void BuildFanTest(vcl::TComponent& form)
{
    auto* panel = FindPanel(form, Name("Group_FanTest"));
    if (!panel || form.FindComponent(Name("Label_FanDuty")))
        return;
    int top = kFirstRowTop;
    CaptionLabel(&form, panel, Name("Label1251"), QStringLiteral("Fan Test"), 10, top);
    PanelRadioPair(&form, panel, Name("Panel1251"), Name("Radio_FanON"), QStringLiteral("ON"),
                   Name("Radio_FanOFF"), QStringLiteral("OFF"), kValueLeft, top);
    top += kControlPitch;
    CaptionLabel(&form, panel, Name("Label1252"), QStringLiteral("Fan Duty"), 10, top);
    ValueLabel(&form, panel, Name("Label_FanDuty"), kValueLeft, top, 80);
    PanelEdit(&form, panel, Name("Edit_FanDuty"), kEditLeft, top, kEditWidth);
}

void BuildMppt(vcl::TComponent& form)
{
    auto* panel = FindPanel(form, Name("Group_MPPTSwitch"));
    if (!panel || form.FindComponent(Name("Radio_MPPTSwitchON1")))
        return;
    for (int k = 1; k <= kMpptSwitches; ++k) {
        const int top = kFirstRowTop + (k - 1) * kControlPitch;
        CaptionLabel(&form, panel, QStringLiteral("Label126%1").arg(k), QStringLiteral("MPPT%1").arg(k), 10, top);
        PanelRadioPair(&form, panel, QStringLiteral("Panel126%1").arg(k), QStringLiteral("Radio_MPPTSwitchON%1").arg(k),
                       QStringLiteral("ON"), QStringLiteral("Radio_MPPTSwitchOFF%1").arg(k), QStringLiteral("OFF"),
                       kValueLeft, top);
    }
}

void BuildGain(vcl::TComponent& form)
{
    auto* panel = FindPanel(form, Name("Group_VIPGain"));
    if (!panel || form.FindComponent(Name("Label_GainIndex")))
        return;
    int top = kFirstRowTop;
    CaptionLabel(&form, panel, Name("Label1270"), QStringLiteral("Gain Index"), 10, top);
    ValueLabel(&form, panel, Name("Label_GainIndex"), kValueLeft, top, 86);
    auto* box = PanelCombo(&form, panel, Name("Combo_GainIndex"), {}, kEditLeft - 6, top, kEditWidth + 6);
    for (const GainIndexItem& item : kGainIndexItems)
        box->Items()->Add(QString::fromLatin1(item.text));
    for (int k = 0; k < kGainWords; ++k) {
        top += kControlPitch;
        CaptionLabel(&form, panel, QStringLiteral("Label%1").arg(1271 + k), QString::fromLatin1(kGainRows[k].caption), 10, top);
        ValueLabel(&form, panel, QStringLiteral("Label_") + Name(kGainRows[k].name), kValueLeft, top, 80);
        PanelEdit(&form, panel, QStringLiteral("Edit_") + Name(kGainRows[k].name), kEditLeft, top, kEditWidth);
    }
}

void BuildEuSet(vcl::TComponent& form)
{
    auto* panel = FindPanel(form, Name("Group_K4PSetting"));
    if (!panel || form.FindComponent(Name("Label_AFCICount")))
        return;
    int top = kFirstRowTop;
    CaptionLabel(&form, panel, Name("Label1291"), QStringLiteral("Parallel"), 10, top);
    PanelRadioPair(&form, panel, Name("Panel1291"), Name("Radio_EUParallelON"), QStringLiteral("ON"),
                   Name("Radio_EUParallelOFF"), QStringLiteral("OFF"), kValueLeft, top);
    top += kControlPitch;
    CaptionLabel(&form, panel, Name("Label1292"), QStringLiteral("Efficiency"), 10, top);
    PanelRadioPair(&form, panel, Name("Panel1292"), Name("Radio_EUEffON"), QStringLiteral("ON"),
                   Name("Radio_EUEffOFF"), QStringLiteral("OFF"), kValueLeft, top);
    top += kControlPitch;
    // The arc-fault detector.
    auto* afci = new vcl::TGroupBox(&form);
    afci->SetName(Name("GroupBox1291"));
    afci->SetParent(panel);
    afci->SetBounds(6, top - 4, panel->Width() - 12, 3 * kControlPitch + 24);
    afci->SetCaption(QStringLiteral("AFCI"));
    afci->SetTag(1);
    int inner = 22;
    PanelRadioPair(&form, afci, Name("Panel1293"), Name("Radio_AFCION"), QStringLiteral("ON"),
                   Name("Radio_AFCIOFF"), QStringLiteral("OFF"), kValueLeft - 6, inner);
    inner += kControlPitch;
    CaptionLabel(&form, afci, Name("Label1293"), QStringLiteral("Count:"), 4, inner);
    ValueLabel(&form, afci, Name("Label_AFCICount"), kValueLeft - 6, inner);
    inner += kControlPitch;
    CaptionLabel(&form, afci, Name("Label_AFCIREV"), QStringLiteral("REV:"), 4, inner);
    ValueLabel(&form, afci, Name("Label487"), kValueLeft - 6, inner);
    top += 3 * kControlPitch + 28;
    CaptionLabel(&form, panel, Name("Label1294"), QStringLiteral("Shadow Mode"), 10, top);
    ValueLabel(&form, panel, Name("Label_EUShadowMode"), kValueLeft, top, 80);
    PanelCombo(&form, panel, Name("Combo_EUShadowMode"), {"Disable", "Morning", "Noon", "Evening", "All day"},
               kEditLeft - 6, top, kEditWidth + 6);
    top += kControlPitch;
    CaptionLabel(&form, panel, Name("Label1295"), QStringLiteral("Shadow Interval"), 10, top);
    ValueLabel(&form, panel, Name("Label_EUShadowInterval"), kValueLeft, top, 80);
    PanelEdit(&form, panel, Name("Edit_EUShadowInterval"), kEditLeft, top, kEditWidth);
}

void BuildCalibrate(vcl::TComponent& form)
{
    auto* panel = FindPanel(form, Name("Group_CalibrateInput"));
    if (!panel || form.FindComponent(Name("Combo_GainSelect")))
        return;
    int top = kFirstRowTop;
    CaptionLabel(&form, panel, Name("Label1281"), QStringLiteral("Input"), 10, top);
    PanelCombo(&form, panel, Name("Combo_GainSelect"), {"Input1", "Input2", "Input3", "Input4", "Input5", "Input6"},
               kValueLeft - 40, top, 90);
    ValueLabel(&form, panel, Name("Label_GainSelect"), 190, top, 40);
    top += kControlPitch;
    const int lowLeft = 130, highLeft = 212;
    CaptionLabel(&form, panel, Name("Label1282"), QStringLiteral("Low"), lowLeft, top, 70);
    CaptionLabel(&form, panel, Name("Label1283"), QStringLiteral("High"), highLeft, top, 70);
    const char* const rows[3][3] = {{"Vdc (V)", "Edit_GainCaliVdcLow", "Edit_GainCaliVdcHigh"},
                                    {"Idc (A)", "Edit_GainCaliIdcLow", "Edit_GainCaliIdcHigh"},
                                    {"Pdc (W)", "Edit_GainCaliPdcLow", "Edit_GainCaliPdcHigh"}};
    for (int q = 0; q < 3; ++q) {
        top += kControlPitch;
        CaptionLabel(&form, panel, QStringLiteral("Label%1").arg(1284 + q), QString::fromLatin1(rows[q][0]), 10, top);
        PanelEdit(&form, panel, Name(rows[q][1]), lowLeft, top, 76);
        PanelEdit(&form, panel, Name(rows[q][2]), highLeft, top, 76);
    }
}

} // namespace

const GainIndexItem kGainIndexItems[17] = {
    {"Inout1", 48}, {"Input2", 49}, {"Input3", 50}, {"Input4", 51}, {"Inout5", 52}, {"Input6", 53},
    {"Input7", 54}, {"Input8", 55}, {"Output1", 0}, {"Output2", 1}, {"Output3", 2}, {"Pbus", 64},
    {"Nbus", 65}, {"Output1(out)", 16}, {"Output2(out)", 17}, {"Output3(out)", 18}, {"Total Bus", 66},
};

ServiceGroups BuildServiceGroups(vcl::TComponent& form)
{
    BuildFactory(form);
    BuildAcTerminal(form);
    BuildFanTest(form);
    BuildMppt(form);
    BuildGain(form);
    BuildEuSet(form);
    BuildCalibrate(form);

    ServiceGroups g;
    g.Factory.Panel = FindPanel(form, Name("Group_Factory"));
    g.Factory.FactoryPart = FindPanel(form, Name("Group_UseForFactory"));
    g.Factory.Repair = FindPair(form, Name("Panel1232"), Name("Radio_RepairON"), Name("Radio_RepairOFF"));
    g.Factory.SaveData = FindLabel(form, Name("Label_SaveData"));
    g.Factory.GridLock = FindPair(form, Name("Panel1231"), Name("Label_GridLockON"), Name("Label_GridLockOFF"));

    g.AcTerminal.Panel = FindPanel(form, Name("Group_AcTerminal"));
    g.AcTerminal.Terminal = FindPair(form, Name("Panel1241"), Name("Radio_3P3W"), Name("Radio_3P4W"));

    g.FanTest.Panel = FindPanel(form, Name("Group_FanTest"));
    g.FanTest.Fan = FindPair(form, Name("Panel1251"), Name("Radio_FanON"), Name("Radio_FanOFF"));
    g.FanTest.Duty = FindLabel(form, Name("Label_FanDuty"));

    g.Mppt.Panel = FindPanel(form, Name("Group_MPPTSwitch"));
    for (int k = 1; k <= kMpptSwitches; ++k)
        g.Mppt.Switch[static_cast<size_t>(k - 1)] =
            FindPair(form, QStringLiteral("Panel126%1").arg(k), QStringLiteral("Radio_MPPTSwitchON%1").arg(k),
                     QStringLiteral("Radio_MPPTSwitchOFF%1").arg(k));

    g.Gain.Panel = FindPanel(form, Name("Group_VIPGain"));
    g.Gain.Index = FindLabel(form, Name("Label_GainIndex"));
    for (int k = 0; k < kGainWords; ++k)
        g.Gain.Gains[static_cast<size_t>(k)] = FindLabel(form, QStringLiteral("Label_") + Name(kGainRows[k].name));

    EuSetGroup& e = g.EuSet;
    e.Panel = FindPanel(form, Name("Group_K4PSetting"));
    e.Parallel = FindPair(form, Name("Panel1291"), Name("Radio_EUParallelON"), Name("Radio_EUParallelOFF"));
    e.Efficiency = FindPair(form, Name("Panel1292"), Name("Radio_EUEffON"), Name("Radio_EUEffOFF"));
    e.Afci = FindPair(form, Name("Panel1293"), Name("Radio_AFCION"), Name("Radio_AFCIOFF"));
    e.AfciCount = FindLabel(form, Name("Label_AFCICount"));
    e.AfciRevision = FindLabel(form, Name("Label487"));
    e.ShadowMode = FindLabel(form, Name("Label_EUShadowMode"));
    e.ShadowInterval = FindLabel(form, Name("Label_EUShadowInterval"));

    g.Calibrate.Panel = FindPanel(form, Name("Group_CalibrateInput"));
    g.Calibrate.Selected = FindLabel(form, Name("Label_GainSelect"));
    return g;
}

QString GainIndexText(int index)
{
    switch (index) {
    case 0: return QStringLiteral("Output1");
    case 1: return QStringLiteral("Output2");
    case 2: return QStringLiteral("Output3");
    case 16: return QStringLiteral("Output1(out)");
    case 17: return QStringLiteral("Output2(out)");
    case 18: return QStringLiteral("Output3(out)");
    case 64: return QStringLiteral("Pbus");
    case 65: return QStringLiteral("Nbus");
    case 66: return QStringLiteral("Total Bus");
    default: break;
    }
    if (index >= 48 && index <= 55)
        return QStringLiteral("Input%1").arg(index - 47);
    return QStringLiteral("Error(%1)").arg(index);
}

bool MpptSwitchStates(const std::uint8_t* data, int byteCount, std::array<bool, kMpptSwitches>& on)
{
    on.fill(false);
    if (byteCount == kMpptSwitches) {
        for (int k = 0; k < kMpptSwitches; ++k)
            on[static_cast<size_t>(k)] = data[k] == 1;
        return true;
    }
    if (byteCount == 1) {
        for (int k = 0; k < kMpptSwitches; ++k)
            on[static_cast<size_t>(k)] = (data[0] >> k) & 1;
        return true;
    }
    return false;
}

QString ShadowModeText(int mode)
{
    static const char* const texts[] = {"Disable", "Morning", "Noon", "Evening", "All Day"};
    return mode >= 0 && mode <= 4 ? QString::fromLatin1(texts[mode]) : QStringLiteral("Error");
}

int ReadFactory(Modbus& link, FactoryGroup& g, std::uint8_t stop)
{
    const int frame = FrameStart(link, stop, {g.Panel}, QStringLiteral("Factory..."));
    if (frame >= 0)
        return frame;
    if (link.Request(kRepairCoil, 1, 1))
        return 1;
    if (Accepted(link, 1))
        ShowSwitch(g.Repair, link.Reply[3] == 1);
    if (link.Request(kStoreSettings, 1, 3))
        return 1;
    if (Accepted(link, 3))
        SetValue(g.SaveData, QString::number(Word(link, 0)));
    if (link.Request(kFlagWord, 1, 3))
        return 1;
    if (Accepted(link, 3))
        ShowSwitch(g.GridLock, (Word(link, 0) & kGridLockBit) != 0);
    return 0;
}

int ReadAcTerminal(Modbus& link, AcTerminalGroup& g, std::uint8_t stop)
{
    const int frame = FrameStart(link, stop, {g.Panel}, QStringLiteral("AcTerminal..."));
    if (frame >= 0)
        return frame;
    if (link.Request(kAcTerminalCoil, 1, 1))
        return 1;
    if (Accepted(link, 1))
        ShowSwitch(g.Terminal, link.Reply[3] == 1);
    return 0;
}

int ReadFanTest(Modbus& link, FanTestGroup& g, std::uint8_t stop)
{
    const int frame = FrameStart(link, stop, {g.Panel}, QStringLiteral("Fan Test..."));
    if (frame >= 0)
        return frame;
    if (link.Request(kFanTestMode, 1, 3))
        return 1;
    if (Accepted(link, 3))
        ShowSwitch(g.Fan, (Word(link, 0) & 0xFF) == kFanOn);
    if (link.Request(kFanDuty, 1, 3))
        return 1;
    if (Accepted(link, 3))
        SetValue(g.Duty, QString::number(Word(link, 0) & 0xFF));
    return 0;
}

int ReadMpptSwitch(Modbus& link, MpptSwitchGroup& g, std::uint8_t stop)
{
    const int frame = FrameStart(link, stop, {g.Panel}, QStringLiteral("MPPT..."));
    if (frame >= 0)
        return frame;
    if (link.Request(kFirstMpptCoil, kMpptSwitches, 1))
        return 1;
    std::array<bool, kMpptSwitches> on{};
    if (Accepted(link, 1) && MpptSwitchStates(&link.Reply[3], link.Reply[2], on))
        for (int k = 0; k < kMpptSwitches; ++k)
            ShowSwitch(g.Switch[static_cast<size_t>(k)], on[static_cast<size_t>(k)]);
    return 0;
}

int ReadGain(Modbus& link, GainGroup& g, std::uint8_t stop)
{
    const int frame = FrameStart(link, stop, {g.Panel}, QStringLiteral("Gain..."));
    if (frame >= 0)
        return frame;
    if (link.Request(kGainBlock, 1 + kGainWords, 3))
        return 1;
    if (!Accepted(link, 3))
        return 0;
    SetValue(g.Index, GainIndexText(Word(link, 0)));
    for (int k = 0; k < kGainWords; ++k)
        SetValue(g.Gains[static_cast<size_t>(k)], QString::number(Word(link, 1 + k)));
    return 0;
}

int ReadEuSet(Modbus& link, EuSetGroup& g, std::uint8_t stop)
{
    const int frame = FrameStart(link, stop, {g.Panel}, QStringLiteral("EU Set..."));
    if (frame >= 0)
        return frame;
    if (link.Request(kAcTerminalCoil, 1, 1))
        return 1;
    if (Accepted(link, 1))
        ShowSwitch(g.Parallel, link.Reply[3] == 1);
    if (link.Request(kEfficiencyCoil, 1, 1))
        return 1;
    if (Accepted(link, 1))
        ShowSwitch(g.Efficiency, link.Reply[3] == 1);
    // The count is served only right after the unlock; the unlock's reply is not looked at.
    if (link.Request(kUnlockRegister, kUnlockValue, 6))
        return 1;
    if (link.Request(kAfciCount, 1, 4))
        return 1;
    if (Accepted(link, 4))
        SetValue(g.AfciCount, QString::number(Word(link, 0)));
    if (link.Request(kAfciRevision, 1, 4))
        return 1;
    if (Accepted(link, 4))
        SetValue(g.AfciRevision, QString::number(Word(link, 0)));
    if (link.Request(kShadowBlock, 2, 3))
        return 1;
    if (Accepted(link, 3)) {
        SetValue(g.ShadowMode, ShadowModeText(Word(link, 0)));
        SetValue(g.ShadowInterval, QString::number(Word(link, 1)));
    }
    return 0;
}

} // namespace groups

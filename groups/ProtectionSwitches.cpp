#include "groups/ProtectionSwitches.h"

#include "common/Myfunc.h"
#include "groups/PanelRows.h"

namespace groups {

const char* const kDryContactModes[8] = {"Disable", "On Grid", "Fan Fail", "Insulation",
                                         "Alarm", "Error", "Fault", "Warning"};

namespace {

using rows::L;
using rows::Blue;

constexpr int kUnlockRegister = 832;
constexpr int kUnlockValue = 8517;

// Checks the on or the off radio of a switch (checking one unchecks its partner). The radios
// post only on a user's press, so setting them here writes nothing.
void ShowSwitch(const vcl::TComponent& form, const char* on, const char* off, bool isOn)
{
    if (auto* r = dynamic_cast<vcl::TRadioButton*>(form.FindComponent(QLatin1String(isOn ? on : off))))
        r->SetChecked(true);
}

vcl::TRadioButton* Radio(vcl::TComponent& form, vcl::TWinControl* parent, const char* name, const char* caption,
                         int left, int top)
{
    auto* r = new vcl::TRadioButton(&form);
    r->SetName(QLatin1String(name));
    r->SetParent(parent);
    r->SetBounds(left, top, 60, 20);
    r->SetCaption(QLatin1String(caption));
    return r;
}

vcl::TEdit* Edit(vcl::TComponent& form, vcl::TWinControl* parent, const char* name, int left, int top, int width = 64)
{
    auto* e = new vcl::TEdit(&form);
    e->SetName(QLatin1String(name));
    e->SetParent(parent);
    e->SetBounds(left, top, width, 21);
    return e;
}

// A row: caption, value label, edit.
void LimitRow(vcl::TComponent& form, vcl::TWinControl* parent, const char* captionName, const char* caption,
              const char* value, const char* edit, int top)
{
    CaptionLabel(&form, parent, QLatin1String(captionName), QLatin1String(caption), 10, top + 3, 110);
    ValueLabel(&form, parent, QLatin1String(value), 122, top + 3, 90);
    Edit(form, parent, edit, 220, top);
}

// An on/off switch row: caption and the two radios, which belong to one container of their own
// so that the panel's other radios are not their partners.
void SwitchRow(vcl::TComponent& form, vcl::TWinControl* panel, const char* boxName, const char* captionName,
               const char* caption, const char* on, const char* off, int top)
{
    CaptionLabel(&form, panel, QLatin1String(captionName), QLatin1String(caption), 10, top + 3, 110);
    auto* box = new vcl::TPanel(&form);
    box->SetName(QLatin1String(boxName));
    box->SetParent(panel);
    box->SetBounds(120, top, 170, 22);
    box->SetBevelOuter(vcl::TPanel::bvNone);
    Radio(form, box, on, "ON", 2, 1);
    Radio(form, box, off, "OFF", 80, 1);
}

void BuildInsulation(vcl::TComponent& form, vcl::TWinControl* panel)
{
    int top = kFirstRowTop;
    SwitchRow(form, panel, "Panel_Insulat", "Label5461", "Insulation", "Radio_InsulatON", "Radio_InsulatOFF", top);
    top += kRowPitch + 4;
    auto* box = new vcl::TGroupBox(&form);
    box->SetName(QStringLiteral("GroupBox_Leakage"));
    box->SetParent(panel);
    box->SetBounds(4, top, 292, 22 + 3 * kRowPitch);
    box->SetCaption(QStringLiteral("R_Leakage(kohm)"));
    const char* columns[3] = {"Now", "Max", "Min"};
    for (int c = 0; c < 3; ++c)
        CaptionLabel(&form, box, QStringLiteral("Label546%1").arg(2 + c), QLatin1String(columns[c]), 60 + 76 * c, 18, 70);
    CaptionLabel(&form, box, QStringLiteral("Label5465"), QStringLiteral("R1"), 8, 18 + kRowPitch, 40);
    CaptionLabel(&form, box, QStringLiteral("Label5466"), QStringLiteral("R2"), 8, 18 + 2 * kRowPitch, 40);
    const char* values[2][3] = {{"Label_LeakageR1_Avg", "Label_LeakageR1_Max", "Label_LeakageR1_Min"},
                                {"Label_LeakageR2_Avg", "Label_LeakageR2_Max", "Label_LeakageR2_Min"}};
    for (int r = 0; r < 2; ++r)
        for (int c = 0; c < 3; ++c)
            ValueLabel(&form, box, QLatin1String(values[r][c]), 60 + 76 * c, 18 + (r + 1) * kRowPitch, 70);
    top += 22 + 3 * kRowPitch + 6;
    LimitRow(form, panel, "Label5467", "R Limit", "Label_RLimit", "Edit_RLimit", top);
}

void BuildLimitPanel(vcl::TComponent& form, vcl::TWinControl* panel, const char* prefix, const char* first)
{
    const QString p = QLatin1String(prefix);
    int top = kFirstRowTop;
    const QByteArray on = ("Radio_" + p + "ON").toLatin1();
    const QByteArray off = ("Radio_" + p + "OFF").toLatin1();
    const QByteArray box = ("Panel_" + p).toLatin1();
    const QByteArray c1 = (QStringLiteral("Label_") + p + "_Name1").toLatin1();
    const QByteArray c2 = (QStringLiteral("Label_") + p + "_Name2").toLatin1();
    const QByteArray c3 = (QStringLiteral("Label_") + p + "_Name3").toLatin1();
    SwitchRow(form, panel, box.constData(), c1.constData(), first, on.constData(), off.constData(), top);
    top += kRowPitch + 4;
    const QByteArray amp = ("Label_" + p + "Amp").toLatin1(), ampEdit = ("Edit_" + p + "Amp").toLatin1();
    const QByteArray time = ("Label_" + p + "Time").toLatin1(), timeEdit = ("Edit_" + p + "Time").toLatin1();
    LimitRow(form, panel, c2.constData(), "Current", amp.constData(), ampEdit.constData(), top);
    top += kRowPitch;
    LimitRow(form, panel, c3.constData(), "Time", time.constData(), timeEdit.constData(), top);
}

void BuildCommProtection(vcl::TComponent& form, vcl::TWinControl* panel)
{
    int top = kFirstRowTop;
    SwitchRow(form, panel, "Panel_CommProtection", "Label5471", "Protection", "Radio_CommProtectionON",
              "Radio_CommProtectionOFF", top);
    top += kRowPitch + 4;
    LimitRow(form, panel, "Label5472", "Disconnect Time", "Label_CommProDisTime", "Edit_CommProDisTime", top);
}

void BuildDryContact(vcl::TComponent& form, vcl::TWinControl* panel)
{
    int top = kFirstRowTop;
    for (int k = 1; k <= 2; ++k, top += kRowPitch + 8) {
        CaptionLabel(&form, panel, QStringLiteral("Label548%1").arg(k), QStringLiteral("Dry Contact %1").arg(k), 10,
                     top + 3, 100);
        ValueLabel(&form, panel, QStringLiteral("Label_DryContact%1_Mode").arg(k), 112, top + 3, 80);
        auto* combo = new vcl::TComboBox(&form);
        combo->SetName(QStringLiteral("Combo_DryContact%1_Mode").arg(k));
        combo->SetParent(panel);
        combo->SetBounds(196, top, 96, 24);
        combo->SetStyle(vcl::csDropDownList);
        for (const char* item : kDryContactModes)
            combo->Items()->Add(QLatin1String(item));
    }
}

// The ground-current and DC-injection readers differ only in these.
struct LimitGroup {
    vcl::TWinControl* ProtectionSwitchGroup::*panel;
    const char* progress;
    int coil;
    const char* on;
    const char* off;
    int block;
    const char* amp;
    int ampDivisor;
    const char* time;
};

constexpr LimitGroup kGroundCurrent{&ProtectionSwitchGroup::GroundCurr, "GroundCurr...", 24642, "Radio_GroundCurrON",
                                    "Radio_GroundCurrOFF", 33593, "Label_GroundCurrAmp", 10, "Label_GroundCurrTime"};
constexpr LimitGroup kDcInjection{&ProtectionSwitchGroup::DcInj, "Dc Inj...", 24640, "Radio_DcInjON",
                                  "Radio_DcInjOFF", 33576, "Label_DcInjAmp", 100, "Label_DcInjTime"};

int ReadLimitGroup(Modbus& link, const ProtectionSwitchGroup& g, vcl::TComponent& form, const LimitGroup& c,
                   std::uint8_t stop)
{
    const int frame = FrameStart(link, stop, {g.*c.panel}, QLatin1String(c.progress));
    if (frame >= 0)
        return frame;
    if (link.Request(c.coil, 1, 1))
        return 1;
    if (Accepted(link, 1))
        ShowSwitch(form, c.on, c.off, link.Reply[3] == 1);
    if (link.Request(c.block, 2, 3))
        return 1;
    if (!Accepted(link, 3))
        return 0;
    const auto amp = static_cast<float>(Word(link, 0));
    SetText(L(form, c.amp), (c.ampDivisor == 10 ? FormatDiv10(amp) : FormatDiv100(amp)) + QStringLiteral(" A"));
    SetText(L(form, c.time), FormatDiv10(static_cast<float>(Word(link, 1))) + QStringLiteral(" Sec"));
    Blue(L(form, c.amp));
    Blue(L(form, c.time));
    return 0;
}

} // namespace

ProtectionSwitchGroup FindProtectionSwitchGroups(const vcl::TComponent& form)
{
    ProtectionSwitchGroup g;
    g.Insulation = FindPanel(form, QStringLiteral("Group_Insulation"));
    g.GroundCurr = FindPanel(form, QStringLiteral("Group_GroundCurr"));
    g.DcInj = FindPanel(form, QStringLiteral("Group_DcInj"));
    g.CommProtection = FindPanel(form, QStringLiteral("Group_CommProtection"));
    g.DryContact = FindPanel(form, QStringLiteral("Group_DryContact"));
    return g;
}

ProtectionSwitchGroup BuildProtectionSwitchGroups(vcl::TComponent& form)
{
    const ProtectionSwitchGroup g = FindProtectionSwitchGroups(form);
    auto fresh = [&form](vcl::TWinControl* panel, const char* marker) {
        return panel && !form.FindComponent(QLatin1String(marker));
    };
    if (fresh(g.Insulation, "Radio_InsulatON"))
        BuildInsulation(form, g.Insulation);
    if (fresh(g.GroundCurr, "Radio_GroundCurrON"))
        BuildLimitPanel(form, g.GroundCurr, "GroundCurr", "Ground Current");
    if (fresh(g.DcInj, "Radio_DcInjON"))
        BuildLimitPanel(form, g.DcInj, "DcInj", "DC Injection");
    if (fresh(g.CommProtection, "Radio_CommProtectionON"))
        BuildCommProtection(form, g.CommProtection);
    if (fresh(g.DryContact, "Combo_DryContact1_Mode"))
        BuildDryContact(form, g.DryContact);
    return g;
}

int ReadInsulation(Modbus& link, const ProtectionSwitchGroup& g, vcl::TComponent& form, int stateTextTable,
                   std::uint8_t stop)
{
    const int frame = FrameStart(link, stop, {g.Insulation}, QStringLiteral("Insulation..."));
    if (frame >= 0)
        return frame;
    if (link.Request(24641, 1, 1))
        return 1;
    if (Accepted(link, 1))
        ShowSwitch(form, "Radio_InsulatON", "Radio_InsulatOFF", link.Reply[3] == 1);
    if (stateTextTable == 0) {
        if (link.Request(53288, 5, 4))
            return 1;
        if (Accepted(link, 4)) {
            SetText(L(form, "Label_LeakageR1_Avg"), QString::number(Word(link, 0)));
            SetText(L(form, "Label_LeakageR2_Avg"), QString::number(Word(link, 4)));
        }
    } else if (stateTextTable == 1) {
        // The average sits in a hidden register that the unlock value opens for one read.
        if (link.Request(kUnlockRegister, kUnlockValue, 6) || link.Request(1131, 1, 4))
            return 1;
        if (Accepted(link, 4)) {
            SetText(L(form, "Label_LeakageR1_Avg"), QString::number(Word(link, 0)));
            SetText(L(form, "Label_LeakageR2_Avg"), QString());
        }
    }
    if (link.Request(53504, 4, 4))
        return 1;
    if (Accepted(link, 4)) {
        const char* names[4] = {"Label_LeakageR1_Max", "Label_LeakageR1_Min", "Label_LeakageR2_Max",
                                "Label_LeakageR2_Min"};
        for (int k = 0; k < 4; ++k)
            SetText(L(form, names[k]), QString::number(Word(link, k)));
    }
    if (link.Request(33584, 1, 3))
        return 1;
    if (Accepted(link, 3))
        SetText(L(form, "Label_RLimit"), QString::number(Word(link, 0)));
    Blue(L(form, "Label_RLimit"));
    return 0;
}

int ReadGroundCurrent(Modbus& link, const ProtectionSwitchGroup& g, vcl::TComponent& form, std::uint8_t stop)
{
    return ReadLimitGroup(link, g, form, kGroundCurrent, stop);
}

int ReadDcInjection(Modbus& link, const ProtectionSwitchGroup& g, vcl::TComponent& form, std::uint8_t stop)
{
    return ReadLimitGroup(link, g, form, kDcInjection, stop);
}

int ReadCommProtection(Modbus& link, const ProtectionSwitchGroup& g, vcl::TComponent& form, std::uint8_t stop)
{
    const int frame = FrameStart(link, stop, {g.CommProtection}, QStringLiteral("Comm Prot..."));
    if (frame >= 0)
        return frame;
    if (link.Request(25412, 2, 3))
        return 1;
    if (Accepted(link, 3)) {
        ShowSwitch(form, "Radio_CommProtectionON", "Radio_CommProtectionOFF", (Word(link, 0) & 0xFF) == 1);
        SetText(L(form, "Label_CommProDisTime"), QString::number(Word(link, 1)) + QStringLiteral(" Sec"));
    }
    Blue(L(form, "Label_CommProDisTime"));
    return 0;
}

int ReadDryContact(Modbus& link, const ProtectionSwitchGroup& g, vcl::TComponent& form, std::uint8_t stop)
{
    const int frame = FrameStart(link, stop, {g.DryContact}, QStringLiteral("Dry Cont..."));
    if (frame >= 0)
        return frame;
    if (link.Request(48173, 2, 3))
        return 1;
    if (!Accepted(link, 3))
        return 0;
    for (int k = 0; k < 2; ++k) {
        vcl::TLabel* l = L(form, k == 0 ? "Label_DryContact1_Mode" : "Label_DryContact2_Mode");
        SetText(l, QLatin1String(kDryContactModes[Word(link, k) & 7]));
        Blue(l);
    }
    return 0;
}

} // namespace groups

#include "groups/ProtectionRelays.h"

#include "common/Myfunc.h"
#include "groups/PanelRows.h"

#include <algorithm>
#include <cmath>

namespace groups {

namespace {

using rows::AddRows;
using rows::L;
using rows::Row;
using rows::RowKind;

void Blue(const vcl::TComponent& form, std::initializer_list<const char*> names)
{
    for (const char* n : names)
        if (vcl::TLabel* l = L(form, n))
            l->Font()->SetColor(vcl::clBlue);
}

// Checks a radio button without running its handler: only a user's press writes.
void CheckQuietly(const vcl::TComponent& form, const QString& name)
{
    auto* r = dynamic_cast<vcl::TRadioButton*>(form.FindComponent(name));
    if (!r || r->Checked())
        return;
    auto handler = std::move(r->OnClick);
    r->OnClick = nullptr;
    r->SetChecked(true);
    r->OnClick = std::move(handler);
}

QString Hz(int w) { return FormatDiv100(static_cast<float>(w)) + QStringLiteral(" Hz"); }
QString Sec(int w) { return FormatDiv100(static_cast<float>(w)) + QStringLiteral(" sec"); }
QString Pct(int w) { return QString::number(w) + QStringLiteral(" %"); }
QString EnableText(int w) { return w != 0 ? QStringLiteral("Enable") : QStringLiteral("Disable"); }

const std::vector<const char*> kOnOff = {"Disable", "Enable"};

// Hides a row whose value the window does not show at all: its caption with its label and edit.
// Rows of this kind stand last in their list and take no room.
void HideRowOf(vcl::TWinControl* parent, vcl::TComponent& form, const char* label, const char* edit)
{
    auto* value = dynamic_cast<vcl::TControl*>(form.FindComponent(QLatin1String(label)));
    for (int i = 0; value && i < parent->ControlCount(); ++i) {
        vcl::TControl* c = parent->Controls(i);
        if (dynamic_cast<vcl::TLabel*>(c) && c != value && c->Top() == value->Top())
            SetVisible(c, false);
    }
    SetVisible(value, false);
    SetVisible(dynamic_cast<vcl::TControl*>(form.FindComponent(QLatin1String(edit))), false);
}

void BuildPfCtrl(vcl::TComponent& form, vcl::TWinControl* p)
{
    const int w = p->Width();
    int top = AddRows(form, p,
                      {{RowKind::ValueEdit, "F High Off", "Label_FHighOFF1", "Edit_FHighOFF1"},
                       {RowKind::ValueEdit, "Response Time", "Label_PROFR_ResponseTime", "Edit_PROFR_ResponseTime"}},
                      kFirstRowTop, w);
    // Statism is shown only for the grid codes that use it: hidden from the start, row and all.
    AddRows(form, p, {{RowKind::ValueEdit, "Statism (Italy only)", "Label_Statism", "Edit_Statism"}}, top, w);
    HideRowOf(p, form, "Label_Statism", "Edit_Statism");
    if (auto* e = dynamic_cast<vcl::TEdit*>(form.FindComponent(QStringLiteral("Edit_FHighOFF1")))) {
        e->SetHint(QStringLiteral("Max: 65Hz"));
        e->SetShowHint(true);
    }
    // hiddenLast: the box's last row is hidden from the start and takes no room.
    auto box = [&](const char* name, const char* title, const std::vector<Row>& rows, bool hiddenLast) -> vcl::TGroupBox* {
        auto* b = new vcl::TGroupBox(&form);
        b->SetName(QLatin1String(name));
        b->SetParent(p);
        b->SetCaption(QLatin1String(title));
        const int shown = static_cast<int>(rows.size()) - (hiddenLast ? 1 : 0);
        const int height = 22 + shown * (kRowPitch + 1) + 8;
        b->SetBounds(4, top, w - 8, height);
        AddRows(form, b, rows, 20, w - 8);
        top += height + 4;
        return b;
    };
    box("GroupBox_OverFreq", "Over Frequency",
        {{RowKind::ValueCombo, "Mode", "Label_PROFRMode", "Combo_PROFRMode", kOnOff},
         {RowKind::ValueEdit, "Gradient", "Label_PROFRGradient", "Edit_PROFRGradient"},
         {RowKind::ValueEdit, "F Start", "Label_FacStart", "Edit_FacStart"},
         {RowKind::ValueEdit, "F Stop", "Label_FacStop", "Edit_FacStop"},
         {RowKind::ValueEdit, "F Recovery", "Label_FacRec", "Edit_FacRec"},
         {RowKind::ValueEdit, "Recovery Time", "Label_PF_ReocveryTime", "Edit_PF_ReocveryTime"}},
        false);
    vcl::TGroupBox* under = box("GroupBox_UnderFreq", "Under Frequency",
        {{RowKind::ValueCombo, "Mode", "Label_PROFRMode_Under", "Combo_PROFRMode_Under", kOnOff},
         {RowKind::ValueEdit, "Gradient", "Label_PROFRGradient_Under", "Edit_PROFRGradient_Under"},
         {RowKind::ValueEdit, "F Start", "Label_FacStart_Under", "Edit_FacStart_Under"},
         {RowKind::ValueEdit, "F Recovery", "Label_FacRec_Under", "Edit_FacRec_Under"},
         {RowKind::ValueEdit, "Pmin", "Label_PminPercent", "Edit_PminPercent"},
         {RowKind::ValueEdit, "Recovery Time", "Label_PF_ReocveryTime_Under", "Edit_PF_ReocveryTime_Under"}},
        true);
    HideRowOf(under, form, "Label_PF_ReocveryTime_Under", "Edit_PF_ReocveryTime_Under");
}

void BuildRelay(vcl::TComponent& form, vcl::TWinControl* p)
{
    const int w = p->Width();
    auto* select = new vcl::TComboBox(&form);
    select->SetName(QStringLiteral("Combo_SelectRelay"));
    select->SetParent(p);
    select->SetStyle(vcl::csDropDownList);
    select->SetBounds(8, kFirstRowTop, 100, 24);
    select->Items()->Add(QStringLiteral("Relay 1"));
    select->Items()->Add(QStringLiteral("Relay 2"));
    ValueLabel(&form, p, QStringLiteral("Label_SelectRelay"), 114, kFirstRowTop + 3, 66)->SetCaption(QString());
    AddRows(form, p,
            {{RowKind::ValueCombo, "Function", "Label_MultiRelay1", "Combo_MultiRelay1",
              {"0 : Disable", "1 : Fault/Error/warning(only 3)", "2 : Power production", "3 : External load control",
               "4 : Control external Fans"}},
             {RowKind::ValueEdit, "Event Code 1", "Label_Relay1_FEW1", "Edit_Relay1_FEW1"},
             {RowKind::ValueEdit, "Event Code 2", "Label_Relay1_FEW2", "Edit_Relay1_FEW2"},
             {RowKind::ValueEdit, "Event Code 3", "Label_Relay1_FEW3", "Edit_Relay1_FEW3"},
             {RowKind::Checks, "Alarm Classes", nullptr, "Relay1Alarm",
              {"Check_Relay1AllError|Error", "Check_Relay1AllFault|Fault", "Check_Relay1AllWarning|Warn"}},
             {RowKind::ValueCombo, "Power Production", "Label_PowerPro1", "Combo_PowerPro1", {"0 : Disable", "1 : Enable"}},
             {RowKind::ValueEdit, "Output Power", "Label_RelayOP1", "Edit_RelayOP1"},
             {RowKind::ValueEdit, "On Delay", "Label_RelayDuration1", "Edit_RelayDuration1"},
             {RowKind::ValueEdit, "Off Delay", "Label_RelayMD1", "Edit_RelayMD1"},
             {RowKind::ValueEdit, "Fan Temperature", "Label_Relay1Temp1", "Edit_Relay1Temp1"}},
            kFirstRowTop + kRowPitch + 8, w);
    // The second fan temperature is not used.
    ValueLabel(&form, p, QStringLiteral("Label_Relay1Temp2"), 120, 0)->SetVisible(false);
    // The function's texts are long: its label takes the row, the combo stands below the choice.
    if (auto* f = L(form, "Label_MultiRelay1"))
        f->SetWidth(w - 128);
    if (auto* c = dynamic_cast<vcl::TControl*>(form.FindComponent(QStringLiteral("Combo_MultiRelay1"))))
        c->SetBounds(w - 112, kFirstRowTop, 104, 24);
}

void BuildRpr(vcl::TComponent& form, vcl::TWinControl* p)
{
    const int w = p->Width();
    int top = kFirstRowTop - 4;
    for (int input = 1; input <= 2; ++input) {
        auto* b = new vcl::TGroupBox(&form);
        b->SetName(QStringLiteral("GroupBox_RPR%1").arg(input));
        b->SetParent(p);
        b->SetCaption(input == 1 ? QStringLiteral("外部誘因1（D/I V1 to K5）") : QStringLiteral("外部誘因2（D/I V1 to K6）"));
        const int height = 22 + 6 * (kRowPitch + 4) + 8;
        b->SetBounds(4, top, w - 8, height);
        const QByteArray n = QByteArray::number(input);
        const QByteArray en = "Radio_RPR" + n + "Enabled|有効", dis = "Radio_RPR" + n + "Disabled|無効";
        const QByteArray no = "Radio_RPR" + n + "NormalOpen|ノーマルオープン", nc = "Radio_RPR" + n + "NormalClose|クローズ";
        const QByteArray man = "Radio_RPR" + n + "ReconnectManual|手動", aut = "Radio_RPR" + n + "ReconnectAuto|オート";
        const QByteArray btn = "Btn_RPR" + n + "TrigUnlock|解除";
        const QByteArray rt = "Label_RPR" + n + "ReconnectTime", rte = "Edit_RPR" + n + "ReconnectTime";
        const QByteArray cd = "Label_RPR" + n + "CountdownTime", st = "Label_RPR" + n + "Status";
        const QByteArray g1 = "RPR" + n + "Enable", g2 = "RPR" + n + "Contact", g3 = "RPR" + n + "Reconnect",
                         g4 = "RPR" + n + "Unlock";
        const int bottom = AddRows(form, b,
                {{RowKind::Radios, "Input", nullptr, g1.constData(), {en.constData(), dis.constData()}},
                 {RowKind::Radios, "Contact", nullptr, g2.constData(), {no.constData(), nc.constData()}},
                 {RowKind::Radios, "Reconnect", nullptr, g3.constData(), {man.constData(), aut.constData()}},
                 {RowKind::ValueEdit, "Reconnect Time", rt.constData(), rte.constData()},
                 {RowKind::Value, "Countdown", cd.constData()},
                 {RowKind::Value, "Status", st.constData()},
                 {RowKind::Buttons, "", nullptr, g4.constData(), {btn.constData()}}},
                20, w - 8);
        // The contact's captions are long: their radios stand one below the other, and the box
        // grows by that line.
        b->SetHeight(std::max(height, bottom + 8));
        top += b->Height() + 6;
    }
}

// The set points: one caption and one value a row, the captions as the partner's engineers read
// them. The last row's caption takes two lines, its value sits beside the second.
void BuildSetPoint(vcl::TComponent& form, vcl::TWinControl* p)
{
    AddRows(form, p,
            {{RowKind::Value, "系統過電圧 OVR", "Label_HRN_SysOVR"},
             {RowKind::Value, "系統不足電圧 UVR", "Label_HRN_SysUVR"},
             {RowKind::Value, "OVR•UVR 整定時間", "Label_HRN_OVRUVRTime"},
             {RowKind::Value, "系統過週波數 OFR", "Label_HRN_SysOFR"},
             {RowKind::Value, "系統不足週波數 UFR", "Label_HRN_SysUFR"},
             {RowKind::Value, "OFR•UFR 整定時間", "Label_HRN_OFRUFRTime"},
             {RowKind::Value, "連系保護-復帰時間", "Label_HRN_RecoveryTime"},
             {RowKind::Value, "系統電圧上昇抑制②", "Label_HRN_SysVoltDerate2"},
             {RowKind::Value, "単独運転検出", "Label_HRN_SingleOP"},
             {RowKind::Value, "出力抑制", "Label_HRN_OutputDerate"},
             {RowKind::Value, "力率一定抑制", "Label_HRN_PowDerate"},
             {RowKind::Value, "系統電圧上升抑制①", "Label_HRN_SysVoltDerate1"}},
            kFirstRowTop, p->Width(), 126);
    const int top = kFirstRowTop + 12 * kRowPitch;
    auto* caption = CaptionLabel(&form, p, QStringLiteral("Label_HRN_PhaseNoEffectCaption"),
                                 QStringLiteral("進相無効電力制御の\n運転力率整定値"), 8, top + 3, 150);
    caption->SetHeight(34);
    // A caption of two lines has no row in the language table (one line a row): not translated.
    caption->SetTag(0);
    ValueLabel(&form, p, QStringLiteral("Label_HRN_PhaseNoEffect"), 120, top + 12, p->Width() - 128);
}

} // namespace

RelayGroup FindRelayGroups(const vcl::TComponent& form)
{
    RelayGroup g;
    g.PfCtrl = FindPanel(form, QStringLiteral("Group_PFCtrl"));
    g.Relay = FindPanel(form, QStringLiteral("Group_RelayFunction1"));
    g.Rpr = FindPanel(form, QStringLiteral("Group_RPR_OVGR"));
    g.SetPoint = FindPanel(form, QStringLiteral("Group_HRN_SetPoint"));
    g.AlarmWord = dynamic_cast<RelayAlarmWord*>(form.FindComponent(QStringLiteral("RelayAlarmMask")));
    return g;
}

RelayGroup BuildRelayGroups(vcl::TComponent& form)
{
    RelayGroup g = FindRelayGroups(form);
    auto fresh = [&form](vcl::TWinControl* panel, const char* marker) {
        return panel && !form.FindComponent(QLatin1String(marker));
    };
    if (fresh(g.PfCtrl, "Label_PROFRMode"))
        BuildPfCtrl(form, g.PfCtrl);
    if (fresh(g.Relay, "Combo_SelectRelay"))
        BuildRelay(form, g.Relay);
    if (fresh(g.Rpr, "Label_RPR1Status"))
        BuildRpr(form, g.Rpr);
    if (fresh(g.SetPoint, "Label_HRN_SysOVR"))
        BuildSetPoint(form, g.SetPoint);
    if (!g.AlarmWord)
        new RelayAlarmWord(&form);
    return FindRelayGroups(form);
}

int ChosenRelay(const vcl::TComponent& form)
{
    auto* c = dynamic_cast<vcl::TComboBox*>(form.FindComponent(QStringLiteral("Combo_SelectRelay")));
    return c && c->ItemIndex() == 0 ? 0 : 1;
}

int RelayTemperatureWord(const QString& text)
{
    const float v = static_cast<float>(StrToFloatSafe(text));
    const long double nudged = v >= 0 ? static_cast<long double>(v) + 0.0002L : static_cast<long double>(v) - 0.0002L;
    return static_cast<int>(static_cast<std::uint16_t>(static_cast<std::int64_t>(std::trunc(nudged * 10))));
}

int ReadPfControl(Modbus& link, const RelayGroup& g, vcl::TComponent& form, std::uint8_t stop)
{
    const int frame = FrameStart(link, stop, {g.PfCtrl}, QStringLiteral("PF Ctrl..."));
    if (frame >= 0)
        return frame;
    if (link.Request(48640, 15, 3))
        return 1;
    if (Accepted(link, 3)) {
        const auto w = [&link](int k) { return Word(link, k); };
        const std::pair<const char*, QString> shown[] = {
            {"Label_PROFRMode", EnableText(w(0))}, {"Label_PROFRGradient", Pct(w(1))}, {"Label_FacStart", Hz(w(2))},
            {"Label_FacStop", Hz(w(3))}, {"Label_FacRec", Hz(w(4))}, {"Label_PF_ReocveryTime", Sec(w(6))},
            {"Label_Statism", FormatDiv10(static_cast<float>(w(7))) + QStringLiteral(" %")},
            {"Label_PROFR_ResponseTime", Sec(w(8))}, {"Label_PROFRGradient_Under", Pct(w(9))},
            {"Label_FacStart_Under", Hz(w(10))}, {"Label_FacRec_Under", Hz(w(11))}, {"Label_PminPercent", Pct(w(12))},
            {"Label_PROFRMode_Under", EnableText(w(13))}, {"Label_PF_ReocveryTime_Under", Sec(w(14))},
        };
        for (const auto& [name, text] : shown) {
            SetText(L(form, name), text);
            Blue(form, {name});
        }
    }
    if (link.Request(33568, 1, 3))
        return 1;
    if (!Accepted(link, 3))
        return 0;
    SetText(L(form, "Label_FHighOFF1"), Hz(Word(link, 0)));
    Blue(form, {"Label_FHighOFF1"});
    return 0;
}

int ReadRelayFunction(Modbus& link, const RelayGroup& g, vcl::TComponent& form, int relayIndex, std::uint8_t stop)
{
    const int frame = FrameStart(link, stop, {g.Relay}, QStringLiteral("Relay..."));
    if (frame >= 0)
        return frame;
    auto* select = dynamic_cast<vcl::TComboBox*>(form.FindComponent(QStringLiteral("Combo_SelectRelay")));
    int relay = relayIndex == 1 ? 1 : 0;
    if (select && select->ItemIndex() < 0) {
        select->SetItemIndex(0);
        SetText(L(form, "Label_SelectRelay"), select->Text());
        relay = 0;
    }
    const int blockA = relay == 1 ? 52750 : 52738;
    const int blockB = blockA + 4;
    if (link.Request(blockA, 5, 3))
        return 1;
    if (Accepted(link, 3)) {
        static const char* const kFunctions[5] = {"0: Disable", "1: Fault/Error/Warning", "2: Power Production",
                                                  "3: External Load Control", "4: Control External Fans"};
        const int f = Word(link, 0);
        SetText(L(form, "Label_MultiRelay1"), f < 5 ? QLatin1String(kFunctions[f]) : QStringLiteral("??"));
        SetText(L(form, "Label_Relay1_FEW1"), QString::number(Word(link, 1)));
        SetText(L(form, "Label_Relay1_FEW2"), QString::number(Word(link, 2)));
        SetText(L(form, "Label_Relay1_FEW3"), QString::number(Word(link, 3)));
        if (link.Request(blockB, 7, 3))
            return 1;
        if (Accepted(link, 3)) {
            const int mode = Word(link, 0);
            SetText(L(form, "Label_PowerPro1"),
                    mode == 0 ? QStringLiteral("0: Disable") : mode == 1 ? QStringLiteral("1: Enable") : QStringLiteral("??"));
            SetText(L(form, "Label_RelayOP1"), FormatDiv100(static_cast<float>(Word(link, 1))) + QStringLiteral(" KW"));
            SetText(L(form, "Label_RelayDuration1"), QString::number(Word(link, 2)) + QStringLiteral(" min"));
            SetText(L(form, "Label_RelayMD1"), QString::number(Word(link, 3)) + QStringLiteral(" min"));
            SetText(L(form, "Label_Relay1Temp1"), FormatDiv10(static_cast<float>(SignedWord(link, 4))) + QStringLiteral(" °C"));
            const int mask = Word(link, 6);
            if (g.AlarmWord) {
                g.AlarmWord->valid = true;
                g.AlarmWord->slaveId = link.SlaveId;
                g.AlarmWord->relay = relay;
                g.AlarmWord->word = mask;
            }
            const char* checks[3] = {"Check_Relay1AllError", "Check_Relay1AllFault", "Check_Relay1AllWarning"};
            for (int bit = 0; bit < 3; ++bit)
                if (auto* c = dynamic_cast<vcl::TCheckBox*>(form.FindComponent(QLatin1String(checks[bit]))))
                    c->SetChecked((mask >> bit & 1) != 0);
        }
    }
    Blue(form, {"Label_MultiRelay1", "Label_Relay1_FEW1", "Label_Relay1_FEW2", "Label_Relay1_FEW3", "Label_PowerPro1",
                "Label_RelayOP1", "Label_RelayDuration1", "Label_RelayMD1", "Label_Relay1Temp1", "Label_Relay1Temp2"});
    return 0;
}

int ReadRprOvgr(Modbus& link, const RelayGroup& g, vcl::TComponent& form, std::uint8_t stop)
{
    const int frame = FrameStart(link, stop, {g.Rpr}, QStringLiteral("RPR..."));
    if (frame >= 0)
        return frame;
    if (link.Request(52672, 6, 3))
        return 1;
    if (Accepted(link, 3)) {
        for (int input = 0; input < 2; ++input) {
            const int flags = Word(link, 3 * input);
            const QString n = QStringLiteral("Radio_RPR%1").arg(input + 1);
            CheckQuietly(form, n + (flags & 1 ? QStringLiteral("Enabled") : QStringLiteral("Disabled")));
            CheckQuietly(form, n + (flags & 2 ? QStringLiteral("NormalOpen") : QStringLiteral("NormalClose")));
            CheckQuietly(form, n + (flags & 4 ? QStringLiteral("ReconnectManual") : QStringLiteral("ReconnectAuto")));
            SetText(FindLabel(form, QStringLiteral("Label_RPR%1ReconnectTime").arg(input + 1)),
                    QString::number(Word(link, 3 * input + 1)) + QStringLiteral(" sec"));
            SetText(FindLabel(form, QStringLiteral("Label_RPR%1CountdownTime").arg(input + 1)),
                    QString::number(Word(link, 3 * input + 2)) + QStringLiteral(" sec"));
        }
    }
    if (link.Request(25411, 1, 3))
        return 1;
    if (Accepted(link, 3)) {
        const int lock = Word(link, 0);
        SetText(L(form, "Label_RPR1Status"), lock & 8 ? QStringLiteral("ロック") : QStringLiteral("ノーマル"));
        SetText(L(form, "Label_RPR2Status"), lock & 16 ? QStringLiteral("ロック") : QStringLiteral("ノーマル"));
    }
    Blue(form, {"Label_RPR1ReconnectTime", "Label_RPR1CountdownTime", "Label_RPR2ReconnectTime",
                "Label_RPR2CountdownTime", "Label_RPR1Status", "Label_RPR2Status"});
    return 0;
}

namespace {

const QString kSeconds = QStringLiteral(" 秒");

// A value in the general form of the class library: the shortest text, up to 15 digits.
QString General(long double v) { return QString::number(static_cast<double>(v), 'g', 15); }

QString OneDecimal(long double v) { return FormatFloatDecimals(static_cast<float>(v), 1); }

} // namespace

int ReadHarunetSetPoint(Modbus& link, const RelayGroup& g, vcl::TComponent& form, std::uint8_t stop)
{
    const int frame = FrameStart(link, stop, {g.SetPoint}, QStringLiteral("SetPoint..."));
    if (frame >= 0)
        return frame;
    if (link.Request(3332, 1, 4))
        return 1;
    const int hz = Accepted(link, 4) ? Word(link, 0) : 0;
    const bool sixty = hz > 5500 && hz < 6500;
    const bool fifty = hz > 4500 && hz < 5500;
    if (link.Request(25344, 17, 3))
        return 1;
    if (!Accepted(link, 3))
        return 0;
    auto set = [&form](const char* name, const QString& text) { SetText(L(form, name), text); };
    const auto w = [&link](int i) { return static_cast<long double>(Word(link, i)); };
    set("Label_HRN_SysOVR", QString::number(Word(link, 0) + 110) + QStringLiteral(" V"));
    set("Label_HRN_SysUVR", QString::number(Word(link, 1) + 80) + QStringLiteral(" V"));
    set("Label_HRN_OVRUVRTime", OneDecimal(w(2) * 0.5L + 0.5L) + kSeconds);
    if (sixty) {
        set("Label_HRN_SysOFR", General(w(3) * 0.1L + 60.6L) + QStringLiteral(" Hz"));
        set("Label_HRN_SysUFR", General(w(4) * 0.1L + 58.2L) + QStringLiteral(" Hz"));
    } else if (fifty) {
        set("Label_HRN_SysOFR", General(w(10) * 0.1L + 50.5L) + QStringLiteral(" Hz"));
        set("Label_HRN_SysUFR", General(w(11) * 0.1L + 48.5L) + QStringLiteral(" Hz"));
    }
    set("Label_HRN_OFRUFRTime", OneDecimal(w(5) * 0.5L + 0.5L) + kSeconds);
    static const char* const kRecovery[] = {"10", "60", "150", "300"};
    const int recovery = Word(link, 6);
    set("Label_HRN_RecoveryTime", recovery < 4 ? QLatin1String(kRecovery[recovery]) + kSeconds
                                  : recovery == 4 ? QStringLiteral("0xAA55(Set)")
                                                  : QStringLiteral("??"));
    set("Label_HRN_SysVoltDerate2", Word(link, 7) == 0 ? QStringLiteral("OFF") : General(w(7) * 0.5L + 106.5L));
    if (Word(link, 8) <= 1)
        set("Label_HRN_SingleOP", Word(link, 8) == 0 ? QStringLiteral("OFF") : QStringLiteral("ON"));
    if (Word(link, 9) <= 1)
        set("Label_HRN_OutputDerate", Word(link, 9) == 0 ? QStringLiteral("0 %") : QStringLiteral("50 %"));
    const int pf = Word(link, 14);
    if (pf == 0)
        set("Label_HRN_PowDerate", QStringLiteral("OFF"));
    else if (pf <= 21)
        set("Label_HRN_PowDerate", FormatFloatDecimals(static_cast<float>(0.80L + (pf - 1) * 0.01L), 2));
    else if (pf <= 41)
        set("Label_HRN_PowDerate", FormatFloatDecimals(static_cast<float>(-(1.20L - (pf - 1) * 0.01L)), 2));
    set("Label_HRN_SysVoltDerate1", Word(link, 15) == 0 ? QStringLiteral("OFF") : QString::number(Word(link, 15)));
    set("Label_HRN_PhaseNoEffect", FormatFloatDecimals(static_cast<float>(w(16) * 0.01L + 0.85L), 2));
    return 0;
}

} // namespace groups

// The Japanese-market user settings: the three-phase panel (trip limits, reactive power, output
// control) and the enumerated grid settings from holding register 25344 in their current and
// their old layout. Each enumerated register holds a code whose text the panel shows; a combo's
// item index is that code.
#include "groups/Japan.h"

#include "common/Myfunc.h"
#include "groups/PanelControls.h"
#include "groups/PanelRows.h"

#include <vector>

namespace groups {

using rows::L;

namespace {

void Set(const vcl::TComponent& form, const QString& name, const QString& text) { SetText(FindLabel(form, name), text); }
void Blue(const vcl::TComponent& form, const QString& name) { rows::Blue(FindLabel(form, name)); }
void ShowPair(const vcl::TComponent& form, const char* on, const char* off, bool isOn)
{
    ShowSwitch(FindAs<vcl::TRadioButton>(form, QLatin1String(on)), FindAs<vcl::TRadioButton>(form, QLatin1String(off)), isOn);
}
int ByteSum(int word) { return (word >> 8 & 0xFF) + (word & 0xFF); }

// base + code x step, in extended precision, kept as a float and shown with `decimals`.
QString Linear(long double base, long double step, int code, int decimals)
{
    return FormatFloatDecimals(static_cast<float>(base + code * step), decimals);
}

// ---- The enumerated settings ----------------------------------------------------------------------

const char* const kVoltageTimes[4] = {"0.5 sec", "1.0 sec", "1.5 sec", "2.0 sec"};
const char* const kReturnTimes[5] = {"10 sec", "60 sec", "150 sec", "300 sec", "Set"};
const char* const kSuppression[12] = {"OFF",     "107 V", "107.5 V", "108 V",   "108.5 V", "109 V",
                                      "109.5 V", "110 V", "110.5 V", "111 V",   "111.5 V", "112 V"};
const char* const kQuPu[12] = {"OFF",          "105.0/107.0V", "105.0/107.5V", "105.0/108.0V",
                               "105.5/108.5V", "106.0/109.0V", "106.5/109.5V", "107.0/110.0V",
                               "107.5/110.5V", "108.0/111.0V", "108.5/111.5V", "109.0/112.0V"};
const char* const kActiveIslanding[3] = {"Gain 0", "Gain A", "Gain C"};
const char* const kStandby[6] = {"0", "1200", "2400", "3600", "4800", "6000"};

// The frequency rows: word -> base of the current and of the old layout.
struct FrequencyRow {
    int word;
    long double current;
    long double old;
};
constexpr FrequencyRow kFrequencies[4] = {{3, 60.5L, 60.6L}, {4, 57.0L, 58.2L}, {10, 50.5L, 50.5L}, {11, 47.0L, 48.5L}};
// A frequency list offers this many steps of 0.1 Hz, a power-factor list 0.85 .. 1.00.
constexpr int kFrequencyChoices = 16;
constexpr int kPowerFactorChoices = 16;

template <std::size_t N>
QString Pick(const char* const (&table)[N], int code)
{
    return code >= 0 && code < static_cast<int>(N) ? QString::fromUtf8(table[code]) : QString();
}
QString OnOff(bool on) { return on ? QStringLiteral("ON") : QStringLiteral("OFF"); }

// ---- Building ----------------------------------------------------------------------------------------

// One row of a user-setting panel: its name stem (Label_<stem>_Name, Label_<stem><suffix>,
// Combo_ or Edit_<stem><suffix>), its caption and its choices (none: an edit).
struct SettingRow {
    const char* stem;
    const char* caption;
    std::vector<QString> items;
};

std::vector<QString> Items(std::initializer_list<const char*> texts)
{
    std::vector<QString> out;
    for (const char* t : texts)
        out.push_back(QString::fromUtf8(t));
    return out;
}
template <std::size_t N>
std::vector<QString> Items(const char* const (&table)[N])
{
    std::vector<QString> out;
    for (const char* t : table)
        out.push_back(QString::fromUtf8(t));
    return out;
}
std::vector<QString> LinearItems(int word, bool old)
{
    std::vector<QString> out;
    for (const FrequencyRow& f : kFrequencies)
        if (f.word == word)
            for (int k = 0; k < kFrequencyChoices; ++k)
                out.push_back(Linear(old ? f.old : f.current, 0.1L, k, 1) + QStringLiteral(" Hz"));
    return out;
}
std::vector<QString> Range(int first, int last, const char* unit)
{
    std::vector<QString> out;
    for (int v = first; v <= last; ++v)
        out.push_back(QString::number(v) + QLatin1String(unit));
    return out;
}
std::vector<QString> PowerFactorItems()
{
    std::vector<QString> out;
    for (unsigned code = 0; code <= 41; ++code)
        out.push_back(PowerFactorText(code));
    return out;
}
std::vector<QString> QuPfItems()
{
    std::vector<QString> out;
    for (int k = 0; k < kPowerFactorChoices; ++k)
        out.push_back(Linear(0.85L, 0.01L, k, 2));
    return out;
}
std::vector<QString> QuPuItems(bool old)
{
    if (!old)
        return Items(kQuPu);
    std::vector<QString> out{QStringLiteral("OFF")};
    for (int k = 1; k <= 11; ++k)
        out.push_back(QStringLiteral("Index %1").arg(k));
    return out;
}
std::vector<QString> ApsItems(bool old)
{
    std::vector<QString> out;
    for (int v = old ? 60 : 0; v <= 600; v += 60)
        out.push_back(QString::number(v));
    return out;
}

// The rows shared by both layouts, in the order of the panels.
std::vector<SettingRow> EnumeratedRows(bool old)
{
    return {
        {"JapOVR", "系統過電圧 OVR", Range(110, 120, " V")},
        {"JapUVR", "系統不足電圧 UVR", Range(80, 92, " V")},
        {"JapVST", "OVR・UVR 整定時間", Items(kVoltageTimes)},
        {"JapOFR60", "過周波数 60Hz", LinearItems(3, old)},
        {"JapUFR60", "不足周波数 60Hz", LinearItems(4, old)},
        {"JapFST", "OFR・UFR 整定時間", Items(kVoltageTimes)},
        {"JapRT", "復帰時間", Items(kReturnTimes)},
        {"JapSuppVolt", "電圧上昇抑制", Items(kSuppression)},
        {"JapOFR50", "過周波数 50Hz", LinearItems(10, old)},
        {"JapUFR50", "不足周波数 50Hz", LinearItems(11, old)},
        {"JapRCMU", "RCMU", Items({"OFF", "ON"})},
        {"JapConstPF", "力率一定制御", PowerFactorItems()},
        {"JapQU_PU", "Q(U)/P(U)", QuPuItems(old)},
        {"JapQU_PF", "Q(U) 力率", QuPfItems()},
        {"JapPMM", "出力制御", Items({"OFF", "Rated"})},
        {"JapAPP", "出力制御値 (%)", {}},
        {"JapAPS", "出力変化時間", ApsItems(old)},
        {"JapIslandPass", "単独運転検出(受動)", Items({"OFF", "ON"})},
        {"JapSupLevel", "出力抑制レベル", Items({"0 %", "50 %"})},
        {"JapInOutDoor", "設置場所", Items({"In-door", "Out-door"})},
    };
}

// Lays the rows out on a 30-pixel pitch: name, value, then the combo or the edit.
int LayOutRows(vcl::TComponent& form, vcl::TWinControl* p, const std::vector<SettingRow>& rows, const QString& suffix, int top)
{
    const int w = p->Width();
    for (const SettingRow& r : rows) {
        const QString stem = QLatin1String(r.stem);
        CaptionLabel(&form, p, QStringLiteral("Label_%1%2_Name").arg(stem, suffix), QString::fromUtf8(r.caption), 8, top + 3, 120);
        ValueLabel(&form, p, QStringLiteral("Label_%1%2").arg(stem, suffix), 130, top + 3, 84);
        if (r.items.empty()) {
            PanelEdit(&form, p, QStringLiteral("Edit_%1%2").arg(stem, suffix), 218, top, w - 226);
        } else {
            auto* c = new vcl::TComboBox(&form);
            c->SetName(QStringLiteral("Combo_%1%2").arg(stem, suffix));
            c->SetParent(p);
            c->SetStyle(vcl::csDropDownList);
            c->SetBounds(218, top, w - 226, 24);
            for (const QString& item : r.items)
                c->Items()->Add(item);
        }
        top += 30;
    }
    return top;
}

void BuildCurrent(vcl::TComponent& form, vcl::TWinControl* p)
{
    std::vector<SettingRow> rows = EnumeratedRows(false);
    // The current layout's own rows: the UFR time after the frequency time, the rest at the end.
    rows.insert(rows.begin() + 6, SettingRow{"JapUFRDelayTime", "UFR 整定時間", Items(kVoltageTimes)});
    rows.insert(rows.begin() + 19, SettingRow{"JapIDsetting", "ID 設定", {}});
    rows.push_back({"JapRPRStandbyTime", "RPR 待機時間", Items(kStandby)});
    rows.push_back({"JapGroundFault", "地絡検出", Items({"OFF", "ON"})});
    rows.push_back({"JapanSetMainLoadCal", "主幹負荷計測", Items({"OFF", "ON"})});
    rows.push_back({"JapanCurrBackflowProtect", "逆潮流防止", Items({"OFF", "ON"})});
    rows.push_back({"JapanTraceLoad", "負荷追従", Items({"OFF", "ON"})});
    // Active islanding stands last, below every row a layout variant places, since the variants
    // move the other rows and never this one.
    rows.push_back({"JapActiveIslanding", "単独運転検出(能動)", Items(kActiveIslanding)});
    LayOutRows(form, p, rows, QString(), kFirstRowTop);
    if (auto* name = form.FindComponent(QStringLiteral("Label_JapActiveIslanding_Name")))
        name->SetName(QStringLiteral("Label473"));
    // On the pitch of the layout variants, one row below the lowest they use (830).
    constexpr int kActiveIslandingTop = 860;
    for (const char* name : {"Label473", "Label_JapActiveIslanding", "Combo_JapActiveIslanding"})
        if (auto* c = dynamic_cast<vcl::TControl*>(form.FindComponent(QLatin1String(name))))
            c->SetTop(QLatin1String(name).startsWith(QLatin1String("Combo_")) ? kActiveIslandingTop - 2 : kActiveIslandingTop);
}

void BuildOld(vcl::TComponent& form, vcl::TWinControl* p)
{
    std::vector<SettingRow> rows = EnumeratedRows(true);
    rows.push_back({"JapIDsetting", "ID 設定", {}});
    const int top = LayOutRows(form, p, rows, QStringLiteral("_Old"), kFirstRowTop);
    CaptionLabel(&form, p, QStringLiteral("Label_ReturnToDefault_Name"), QStringLiteral("Return to Default"), 8, top + 3, 124);
    PanelButton(&form, p, QStringLiteral("Btn_ReturnToDefault"), QStringLiteral("Run"), 218, top, p->Width() - 226);
}

void Build3P(vcl::TComponent& form, vcl::TWinControl* p)
{
    const int w = p->Width();
    int top = kFirstRowTop - 4;
    int serial = 0;
    auto caption = [&](const char* text, int width = 110) {
        CaptionLabel(&form, p, QStringLiteral("Label_Japan3PCaption%1").arg(++serial), QString::fromUtf8(text), 8, top + 3, width);
    };
    auto pair = [&](const char* caption_, const char* stem, const char* on, const char* onCaption, const char* off,
                    const char* offCaption, int width = 160) {
        caption(caption_);
        PanelRadioPair(&form, p, QStringLiteral("Panel_") + QLatin1String(stem), QLatin1String(on), QString::fromUtf8(onCaption),
                       QLatin1String(off), QString::fromUtf8(offCaption), 120, top + 3, width);
        top += 24;
    };
    auto edit = [&](const char* caption_, const char* stem) {
        caption(caption_);
        ValueLabel(&form, p, QStringLiteral("Label_Japan3P_") + QLatin1String(stem), 120, top + 3, 100);
        PanelEdit(&form, p, QStringLiteral("Edit_Japan3P_") + QLatin1String(stem), 226, top, w - 234)->SetHeight(20);
        top += 22;
    };
    // The choices' texts are long: the value takes most of the row, the list the rest.
    auto combo = [&](const char* caption_, const char* stem, std::initializer_list<const char*> items) {
        caption(caption_, 96);
        ValueLabel(&form, p, QStringLiteral("Label_Japan3P_") + QLatin1String(stem), 108, top + 3, 122);
        PanelCombo(&form, p, QStringLiteral("Combo_Japan3P_") + QLatin1String(stem), items, 232, top, w - 240);
        top += 26;
    };
    // A limit and its time in one row.
    auto limit = [&](const char* caption_, const char* stem) {
        caption(caption_, 46);
        const QString s = QLatin1String(stem);
        ValueLabel(&form, p, QStringLiteral("Label_Japan3P_") + s, 56, top + 3, 62);
        PanelEdit(&form, p, QStringLiteral("Edit_Japan3P_") + s, 120, top, 40)->SetHeight(20);
        ValueLabel(&form, p, QStringLiteral("Label_Japan3P_%1Time").arg(s), 166, top + 3, 72);
        PanelEdit(&form, p, QStringLiteral("Edit_Japan3P_%1Time").arg(s), 240, top, w - 248)->SetHeight(20);
        top += 22;
    };
    pair("周波数", "Japan3P_Country", "Radio_Japan3P_Country50Hz", "50Hz", "Radio_Japan3P_Country60Hz", "60Hz");
    pair("絶縁設定", "Japan3P_Insulation", "Radio_Japan3P_InsulationON", "ON", "Radio_Japan3P_InsulationOFF", "OFF");
    pair("漏れ電流の検出設定", "Japan3P_GroundCurrent", "Radio_Japan3P_GroundCurrentON", "ON", "Radio_Japan3P_GroundCurrentOFF", "OFF");
    pair("連系/自立モード", "Japan3P_Remote", "Radio_Japan3P_RemoteON", "ON", "Radio_Japan3P_RemoteOFF", "OFF");
    // Grid lock: the pair narrower, the unlock button beside it.
    pair("Grid Lock", "Japan3P_GridLock", "Radio_Japan3P_GridLockON", "ON", "Radio_Japan3P_GridLockOFF", "OFF", 98);
    top -= 24;
    PanelButton(&form, p, QStringLiteral("Btn_Japan3P_GridUnlock"), QStringLiteral("Grid unlock"), 218, top, w - 226);
    top += 26;
    combo("単独運転検出", "RunST_Mode", {"OFF", "能動方式", "受動方式", "能動方式&&受動方式"});
    edit("Inverter ID", "InvID");
    edit("再閉路時間", "ReclosureTime");
    limit("OVR", "UHighOff");
    limit("UVR", "ULowOff");
    limit("OFR", "FHighOff");
    limit("UFR", "FLowOff");
    combo("出力制御", "ActivePowerMode", {"Disable", "Enable"});
    edit("出力制御値", "PowerManage");
    edit("出力制御時間", "PowerManageTime");
    combo("電圧上昇抑制", "VoltageSuppressionMode", {"OFF", "力率一定制御", "系統電圧上昇抑制"});
    edit("無効電力開始電圧", "ReactiveStartVoltage");
    edit("無効電力 力率", "ReactivePF");
    edit("抑制電圧", "ReactiveSuppressVoltage");
    edit("抑制レベル", "SuppressLevel");
    edit("力率一定制御", "PowerSuppress");
}

} // namespace

QString JapanUserSettingText(int word, int code, bool old)
{
    switch (word) {
    case 0: return code >= 0 && code <= 10 ? QStringLiteral("%1 V").arg(110 + code) : QString();
    case 1: return code >= 0 && code <= 12 ? QStringLiteral("%1 V").arg(80 + code) : QString();
    case 2:
    case 5: return Pick(kVoltageTimes, code);
    case 3:
    case 4:
    case 10:
    case 11:
        for (const FrequencyRow& f : kFrequencies)
            if (f.word == word)
                return Linear(old ? f.old : f.current, 0.1L, code, 1) + QStringLiteral(" Hz");
        return QString();
    case 6: return Pick(kReturnTimes, code);
    case 7: return Pick(kSuppression, code);
    case 8: return OnOff(code == 1);
    case 9: return code == 1 ? QStringLiteral("50 %") : QStringLiteral("0 %");
    case 12: return OnOff(code != 0);
    case 13: return code != 0 ? QStringLiteral("Out-door") : QStringLiteral("In-door");
    case 14: return PowerFactorText(static_cast<unsigned>(code));
    case 15:
        if (code == 0)
            return QStringLiteral("OFF");
        if (code < 1 || code > 11)
            return QString();
        return old ? QStringLiteral("Index%1").arg(code) : QString::fromUtf8(kQuPu[code]);
    case 16: return Linear(0.85L, 0.01L, code, 2);
    case 17: return code != 0 ? QStringLiteral("Rated") : QStringLiteral("OFF");
    case 18: return QString::number(code) + QStringLiteral(" %");
    case 19: return QString::number(code);
    case 20: return Pick(kActiveIslanding, code);
    case 21: return Pick(kStandby, code);
    case 22:
    case 23: return OnOff(code != 0);
    default: return QString();
    }
}

void BuildJapanUserSetPanels(vcl::TComponent& form, const JapanGroups& g)
{
    if (g.UserSet3P && !form.FindComponent(QStringLiteral("Label_Japan3P_RunST_Mode")))
        Build3P(form, g.UserSet3P);
    if (g.UserSet && !form.FindComponent(QStringLiteral("Label_JapOVR")))
        BuildCurrent(form, g.UserSet);
    if (g.UserSetOld && !form.FindComponent(QStringLiteral("Label_JapOVR_Old")))
        BuildOld(form, g.UserSetOld);
}

namespace {

// The labels of words 0 to 19, by word.
const char* const kWordLabels[20] = {"JapOVR",   "JapUVR",      "JapVST",  "JapOFR60",     "JapUFR60",
                                     "JapFST",   "JapRT",       "JapSuppVolt", "JapIslandPass", "JapSupLevel",
                                     "JapOFR50", "JapUFR50",    "JapRCMU", "JapInOutDoor", "JapConstPF",
                                     "JapQU_PU", "JapQU_PF",    "JapPMM",  "JapAPP",       "JapAPS"};
const char* const kCurrentExtra[4] = {"JapActiveIslanding", "JapRPRStandbyTime", "JapGroundFault", "JapanSetMainLoadCal"};

QString LabelName(const char* stem, bool old)
{
    return QStringLiteral("Label_") + QLatin1String(stem) + (old ? QStringLiteral("_Old") : QString());
}

void ShowWords(const Modbus& link, const vcl::TComponent& form, int count, bool old)
{
    for (int k = 0; k < count; ++k) {
        const QString text = JapanUserSettingText(k, Word(link, k), old);
        const QString label = k < 20 ? LabelName(kWordLabels[k], old) : LabelName(kCurrentExtra[k - 20], false);
        if (!text.isEmpty())
            Set(form, label, text);
    }
}

} // namespace

int ReadJapanUserSet(Modbus& link, const JapanGroups& g, vcl::TComponent& form, std::uint8_t stop)
{
    const int frame = FrameStart(link, stop, {g.UserSet}, QStringLiteral("Japan User..."));
    if (frame >= 0)
        return frame;
    Set(form, QStringLiteral("Label_InvProtocol"), QStringLiteral("Vanto"));
    if (link.Request(25344, 24, 3))
        return 1;
    if (Accepted(link, 3)) {
        ShowWords(link, form, 24, false);
        for (const char* stem : kWordLabels)
            Blue(form, LabelName(stem, false));
        for (const char* stem : kCurrentExtra)
            Blue(form, LabelName(stem, false));
        Blue(form, QStringLiteral("Label_JapIDsetting"));
    }
    if (link.Request(44040, 1, 3))
        return 1;
    if (Accepted(link, 3)) {
        Set(form, QStringLiteral("Label_JapIDsetting"), QString::number(Word(link, 0)));
        Blue(form, QStringLiteral("Label_JapIDsetting"));
    }
    if (link.Request(25368, 2, 3))
        return 1;
    if (Accepted(link, 3)) {
        Set(form, QStringLiteral("Label_JapanCurrBackflowProtect"), OnOff((Word(link, 0) & 0xFF) == 1));
        Set(form, QStringLiteral("Label_JapanTraceLoad"), OnOff((Word(link, 1) & 0xFF) == 1));
        Blue(form, QStringLiteral("Label_JapanCurrBackflowProtect"));
        Blue(form, QStringLiteral("Label_JapanTraceLoad"));
    }
    return 0;
}

int ReadJapanUserSetOld(Modbus& link, const JapanGroups& g, vcl::TComponent& form, std::uint8_t stop)
{
    const int frame = FrameStart(link, stop, {g.UserSetOld}, QStringLiteral("Japan User..."));
    if (frame >= 0)
        return frame;
    if (link.Request(25344, 20, 3))
        return 1;
    if (!Accepted(link, 3))
        return 0;
    ShowWords(link, form, 20, true);
    if (link.Request(44040, 1, 3))
        return 1;
    if (Accepted(link, 3))
        Set(form, QStringLiteral("Label_JapIDsetting_Old"), QString::number(Word(link, 0)));
    if (link.Request(33572, 1, 3))
        return 1;
    if (Accepted(link, 3)) {
        const QString text = Pick(kVoltageTimes, Word(link, 0));
        if (!text.isEmpty())
            Set(form, QStringLiteral("Label_JapUFRDelayTime"), text);
    }
    for (const char* stem : kWordLabels)
        Blue(form, LabelName(stem, true));
    Blue(form, QStringLiteral("Label_JapIDsetting_Old"));
    Blue(form, QStringLiteral("Label_JapUFRDelayTime"));
    return 0;
}

int ReadJapanUserSet3P(Modbus& link, const JapanGroups& g, vcl::TComponent& form, std::uint8_t stop)
{
    const int frame = FrameStart(link, stop, {g.UserSet3P}, QStringLiteral("J.U 3P..."));
    if (frame >= 0)
        return frame;
    const QString p = QStringLiteral("Label_Japan3P_");
    auto show = [&](const char* stem, const QString& text) {
        Set(form, p + QLatin1String(stem), text);
        Blue(form, p + QLatin1String(stem));
    };
    auto div10 = [](int v) { return FormatDiv10(static_cast<float>(v)); };
    auto div100 = [](int v) { return FormatDiv100(static_cast<float>(v)); };

    if (link.Request(24641, 2, 1))
        return 1;
    if (Accepted(link, 1)) {
        ShowPair(form, "Radio_Japan3P_InsulationON", "Radio_Japan3P_InsulationOFF", (link.Reply[3] & 1) != 0);
        ShowPair(form, "Radio_Japan3P_GroundCurrentON", "Radio_Japan3P_GroundCurrentOFF", (link.Reply[3] & 2) != 0);
    }
    if (link.Request(33648, 1, 3))
        return 1;
    if (Accepted(link, 3)) {
        static const char* const kRunState[4] = {"OFF", "能動方式", "受動方式", "能動方式&&受動方式"};
        show("RunST_Mode", QString::fromUtf8(kRunState[Word(link, 0) & 3]));
    }
    if (link.Request(24576, 1, 1))
        return 1;
    if (Accepted(link, 1))
        ShowPair(form, "Radio_Japan3P_RemoteON", "Radio_Japan3P_RemoteOFF", link.Reply[3] == 1);
    if (link.Request(48154, 10, 3))
        return 1;
    if (Accepted(link, 3)) {
        // Whole seconds as ever; a time set in hundredths shows them rather than hiding them.
        const int reclosure = Word(link, 0);
        show("ReclosureTime", (reclosure % 100 == 0 ? QString::number(reclosure / 100) : div100(reclosure)) + QStringLiteral(" sec"));
        ShowPair(form, "Radio_Japan3P_GridLockON", "Radio_Japan3P_GridLockOFF", (Word(link, 4) & 2) != 0);
        show("InvID", QString::number(ByteSum(Word(link, 9))));
    }
    if (link.Request(25411, 1, 3))
        return 1;
    if (Accepted(link, 3))
        if (auto* b = FindAs<vcl::TControl>(form, QStringLiteral("Btn_Japan3P_GridUnlock")))
            b->SetEnabled((Word(link, 0) & 1) != 0);
    if (link.Request(33552, 21, 3))
        return 1;
    if (Accepted(link, 3)) {
        show("UHighOff", div10(Word(link, 0)) + QStringLiteral(" V"));
        show("UHighOffTime", div100(Word(link, 1)) + QStringLiteral(" Sec"));
        show("ULowOff", div10(Word(link, 3)) + QStringLiteral(" V"));
        show("ULowOffTime", div100(Word(link, 4)) + QStringLiteral(" Sec"));
        show("FHighOff", div100(Word(link, 16)) + QStringLiteral(" Hz"));
        show("FHighOffTime", div100(Word(link, 17)) + QStringLiteral(" Sec"));
        show("FLowOff", div100(Word(link, 19)) + QStringLiteral(" Hz"));
        show("FLowOffTime", div100(Word(link, 20)) + QStringLiteral(" Sec"));
    }
    if (link.Request(797, 3, 3))
        return 1;
    if (Accepted(link, 3)) {
        const int country = ByteSum(Word(link, 0));
        if (country == 45)
            rows::Check(form, "Radio_Japan3P_Country50Hz");
        if (country == 46)
            rows::Check(form, "Radio_Japan3P_Country60Hz");
        show("ActivePowerMode", Word(link, 1) != 0 ? QStringLiteral("Enable") : QStringLiteral("Disable"));
        show("PowerManage", QString::number(SignedWord(link, 2)) + QStringLiteral(" %"));
    }
    if (link.Request(48514, 1, 3))
        return 1;
    if (Accepted(link, 3))
        show("PowerManageTime", QString::number(Word(link, 0)) + QStringLiteral(" sec"));
    if (link.Request(33616, 1, 3))
        return 1;
    if (Accepted(link, 3)) {
        const int mode = ByteSum(Word(link, 0));
        if (mode == 0 || mode == 1 || mode == 8)
            Set(form, p + QStringLiteral("VoltageSuppressionMode"),
                mode == 0 ? QStringLiteral("OFF") : mode == 1 ? QStringLiteral("力率一定制御") : QStringLiteral("系統電圧上昇抑"));
        Blue(form, p + QStringLiteral("VoltageSuppressionMode"));
    }
    if (link.Request(48790, 4, 3))
        return 1;
    if (Accepted(link, 3)) {
        show("ReactiveStartVoltage", FormatScaledFloat(static_cast<float>(Word(link, 0)), 10) + QStringLiteral(" V"));
        show("ReactivePF", div100(Word(link, 1)));
        show("ReactiveSuppressVoltage", FormatScaledFloat(static_cast<float>(Word(link, 2)), 10) + QStringLiteral(" V"));
        show("SuppressLevel", QString::number(Word(link, 3)) + QStringLiteral("%"));
    }
    if (link.Request(48769, 1, 3))
        return 1;
    if (Accepted(link, 3)) {
        const int v = SignedWord(link, 0);
        show("PowerSuppress", v < 0 ? QStringLiteral("Cap ") + div100(-v) : QStringLiteral("Ind ") + div100(v));
    }
    return 0;
}

} // namespace groups

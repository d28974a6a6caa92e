#include "groups/Records.h"

#include "common/Myfunc.h"
#include "common/Tables.h"

#include <QFont>
#include <QFontMetrics>
#include <QWidget>

namespace groups {

namespace {

// ---- Registers ----------------------------------------------------------------------------
constexpr int kEventPageSelect = 801;    // holding: page 0..2 of the event windows
constexpr int kEventCodeWindow = 1088;   // input x11: page echo, ten codes
constexpr int kEventTimeWindow = 1184;   // input x20: ten times, low word first
constexpr int kWarningWords = 53282;     // input x2
constexpr int kDeratingWord = 20991;     // input x1
constexpr int kFanWords = 53297;         // input x4
constexpr int kErrorCodeWords = 1152;    // input x30
constexpr int kClockFields = 1033;       // input: year, month, day, hour, minute, second
constexpr int kInstallDate = 1168;       // input: year, month, day
constexpr int kClockSeconds = 784;       // holding x2, high word first
constexpr int kDayWindow = 2048;         // input: 32 day energies, low word first
constexpr int kMonthWindow = 2112;       // input: 24 month energies, low word first

// Warning texts in the order in which they are collected: (word, bit mask, text).
struct WarningBit {
    int word;
    int mask;
    const char* text;
};
constexpr WarningBit kWarningBits[] = {
    {0, 0x0002, "Solar1 Low"}, {0, 0x0004, "Solar2 Low"}, {0, 0x0080, "De-rating"}, {0, 0x8000, "SPD Fail"},
    {0, 0x0800, "HW FAN"},     {1, 0x0002, "DC Surge Fail"}, {1, 0x0004, "AC Surge Fail"},
};

// Derating causes, bits 1..8 of the derating word.
constexpr const char* kDeratingCaptions[8] = {"Thermal", "OPV", "Vin", "OPV_Lo", "PM", "P(F)", "Ramp up", "Others"};

// The captions of the thirty error-code rows (their labels are Label_Codes_ + the caption
// without its hyphen).
constexpr const char* kErrorCodeCaptions[30] = {
    "F-00", "F-01", "F-02", "F-03", "F-06", "F-07", "F-08", "F-09", "P-11", "E-15",
    "d-15", "E-16", "d-16", "E-17", "d-17", "E-18", "d-19", "d-20", "E-21", "d-21",
    "E-22", "d-22", "E-23", "d-23", "E-26", "d-26", "E-27", "d-27", "E-28", "d-40",
};

// One derating-record panel: its gate panel, progress text, register block, record count,
// label names (%1 = the record's number) and the number of the first record's label.
struct DeratingReader {
    const char* panel;
    const char* progress;
    int block;
    int records;          // 12: duration in seconds; 16: hh:mm:ss
    const char* start;
    const char* duration;
    int firstNumber;      // 1: labels 01..12; 0: labels 00..15
};
constexpr DeratingReader kDeratingReaders[kDeratingKinds] = {
    {"Group_DeratingRecordsOPV", "OPV...", 21120, 12, "Label_RecordsOPVStart%1", "Label_RecordsOPVAddUp%1", 1},
    {"Group_DeratingRecordsVin", "Vin...", 21184, 12, "Label_RecordsVinStart%1", "Label_RecordsVinAddUp%1", 1},
    {"Group_DeratingRecordsOPVLo", "OPVLo...", 21248, 12, "Label_RecordsOPVLoStart%1", "Label_RecordsOPVLoAddUp%1", 1},
    {"Group_DeratingRecordsPM", "Thermal...", 21056, 12, "Label_RecordsPMStart%1", "Label_RecordsPMAddUp%1", 1},
    {"Group_HRN_ThermalEvent", "OTP...", 21056, 16, "Group_HRN_ThmST%1", "Group_HRN_ThmDT%1", 0},
    {"Group_HRN_OpvEvent", "OVP...", 21120, 16, "Label_HRN_OpvST%1", "Label_HRN_OpvDT%1", 0},
    {"Group_HRN_VinEvent", "Vin P...", 21184, 16, "Label_HRN_VinST%1", "Label_HRN_VinDT%1", 0},
    {"Group_HRN_OpvloEvent", "OVP Low...", 21248, 16, "Label_HRN_OpvloST%1", "Label_HRN_OpvloDT%1", 0},
};

QString Two(int n) { return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0')); }
QString Name(const char* pattern, int n) { return QString::fromLatin1(pattern).arg(Two(n)); }
QString U8(const char* text) { return QString::fromUtf8(text); }

// A label of fixed text colour that the stale marking leaves alone (black lines, flag captions).
vcl::TLabel* PlainLabel(vcl::TComponent* owner, vcl::TWinControl* parent, const QString& name, const QString& caption,
                        vcl::TColor colour, int left, int top, int width)
{
    auto* l = CaptionLabel(owner, parent, name, caption, left, top, width);
    l->SetTag(0);   // the readers write these texts; the language switch leaves them alone
    l->Font()->SetColor(colour);
    return l;
}

// A two-digit field as the inverter's clock panels write it: tens, then units, unchecked.
QString Field(int v) { return QString::number(v / 10) + QString::number(v % 10); }
QString DateFields(int y, int m, int d) { return QString::number(y) + u'/' + Field(m) + u'/' + Field(d); }

// An energy entry of a history window: (high x 65536 + low) x multiplier in 32-bit arithmetic.
QString EnergyText(const Modbus& link, int entry, int multiplier)
{
    const std::uint32_t count = static_cast<std::uint32_t>(Word(link, 2 * entry + 1)) << 16 | static_cast<std::uint32_t>(Word(link, 2 * entry));
    const auto value = static_cast<std::int32_t>(count * static_cast<std::uint32_t>(multiplier));
    return FormatDiv1000(static_cast<float>(value)) + QStringLiteral(" KWh");
}

// The event list's rows: their pitch, and the type of their texts (a size smaller for a text
// that needs two lines: two lines of it take one row).
constexpr int kEventPitch = 20;
constexpr int kEventTextSize = 7;
constexpr int kEventTextSizeTwoLines = 6;

// An event's text in its row: in one line where it fits, else in two lines of the smaller type.
void SetEventText(vcl::TLabel* label, const QString& text)
{
    if (!label)
        return;
    QFont font = label->Handle()->font();
    font.setPointSize(kEventTextSize);
    const bool oneLine = QFontMetrics(font).horizontalAdvance(text) <= label->Width();
    label->Font()->SetSize(oneLine ? kEventTextSize : kEventTextSizeTwoLines);
    SetText(label, text);
}

// ---- Builders -------------------------------------------------------------------------------

void BuildEventLog(vcl::TComponent& form, bool japan)
{
    auto* panel = FindPanel(form, japan ? QStringLiteral("Group_JapanErrorList") : QStringLiteral("Group_ErrorEvent"));
    const QString first = japan ? QStringLiteral("Label_Japan_E00") : QStringLiteral("Label_Event0");
    if (!panel || form.FindComponent(first))
        return;
    // The event text takes the width the time leaves it; a text too long for one line takes two
    // (SetEventText), so that the panel keeps the common width of its page's column.
    const int right = panel->Width() - 4;
    const int codeLeft = japan ? 6 : 32, timeLeft = right - 100;
    int top = kFirstRowTop;
    CaptionLabel(&form, panel, japan ? QStringLiteral("Label_JapanCodeTitle") : QStringLiteral("Label_EventCodeTitle"),
                 japan ? U8("コード/說明") : QStringLiteral("Code"), codeLeft, top, timeLeft - codeLeft - 4);
    CaptionLabel(&form, panel, japan ? QStringLiteral("Label_JapanTimeTitle") : QStringLiteral("Label_EventTimeTitle"),
                 japan ? U8("日付") : QStringLiteral("Time"), timeLeft, top, right - timeLeft);
    // Each row's labels take its whole height, so that one line or two stand centred alike.
    const auto row = [](vcl::TLabel* l) {
        l->SetHeight(kEventPitch);
        return l;
    };
    for (int n = 0; n < 30; ++n) {
        top = kFirstRowTop + kEventPitch * (n + 1);
        if (!japan)
            row(CaptionLabel(&form, panel, QStringLiteral("Label_EventNo%1").arg(n), Two(n) + u'.', 6, top, 26));
        // A smaller type, so that more of an event's text and all of its time fit the panel.
        auto* text = row(ValueLabel(&form, panel, japan ? QStringLiteral("Label_Japan_E%1").arg(Two(n)) : QStringLiteral("Label_Event%1").arg(n),
                                    codeLeft, top, timeLeft - codeLeft - 4));
        text->Font()->SetSize(kEventTextSize);
        text->SetWordWrap(true);
        row(ValueLabel(&form, panel, japan ? QStringLiteral("Label_ET%1").arg(Two(n)) : QStringLiteral("Label_EventTime%1").arg(n),
                       timeLeft, top, right - timeLeft))->Font()->SetSize(kEventTextSize);
    }
}

void BuildWarnings(vcl::TComponent& form)
{
    auto* panel = FindPanel(form, QStringLiteral("Group_WarnEvent"));
    if (!panel || form.FindComponent(QStringLiteral("Label_WarnEvent01")))
        return;
    for (int i = 0; i < 5; ++i)
        PlainLabel(&form, panel, Name("Label_WarnEvent%1", i + 1), QStringLiteral("??"), vcl::clBlack, 10,
                   kFirstRowTop + kRowPitch * i, 270);
}

void BuildDeratingFlags(vcl::TComponent& form)
{
    auto* panel = FindPanel(form, QStringLiteral("Group_DeratingRecords"));
    if (!panel || form.FindComponent(QStringLiteral("Label_DerateRecord1")))
        return;
    for (int i = 0; i < 8; ++i)
        PlainLabel(&form, panel, QStringLiteral("Label_DerateRecord%1").arg(i + 1), QLatin1String(kDeratingCaptions[i]),
                   vcl::clSilver, 10 + 140 * (i / 4), kFirstRowTop + kRowPitch * (i % 4), 120);
}

void BuildFanFail(vcl::TComponent& form)
{
    auto* panel = FindPanel(form, QStringLiteral("Group_FanFail"));
    if (!panel || form.FindComponent(QStringLiteral("Label_FanInt00")))
        return;
    const char* frames[2] = {"Internal", "External"};
    const char* names[2] = {"Label_FanInt%1", "Label_FanExt%1"};
    for (int f = 0; f < 2; ++f) {
        const int top0 = kFirstRowTop + f * 5 * kRowPitch;
        CaptionLabel(&form, panel, QStringLiteral("Label_Fan%1Title").arg(QLatin1String(frames[f])), QLatin1String(frames[f]),
                     10, top0, 200);
        for (int k = 0; k < 16; ++k)
            PlainLabel(&form, panel, Name(names[f], k), u'F' + Two(k), vcl::clSilver, 20 + 65 * (k % 4),
                       top0 + kRowPitch * (1 + k / 4), 50);
    }
}

void BuildErrorCodes(vcl::TComponent& form)
{
    auto* panel = FindPanel(form, QStringLiteral("Group_ErrorCodes"));
    if (!panel || form.FindComponent(QStringLiteral("Label_Codes_F00")))
        return;
    for (int k = 0; k < 30; ++k) {
        const QString caption = QLatin1String(kErrorCodeCaptions[k]);
        const int left = 10 + 145 * (k / 15), top = kFirstRowTop + kRowPitch * (k % 15);
        CaptionLabel(&form, panel, QStringLiteral("Label_CodesCaption%1").arg(k), caption, left, top, 50);
        ValueLabel(&form, panel, QStringLiteral("Label_Codes_") + QString(caption).remove(u'-'), left + 55, top, 70);
    }
}

void BuildDeratingRecords(vcl::TComponent& form, const DeratingReader& r)
{
    auto* panel = FindPanel(form, QLatin1String(r.panel));
    if (!panel || form.FindComponent(Name(r.start, r.firstNumber)))
        return;
    const bool partner = r.records == 16;
    const int pitch = partner ? 21 : kRowPitch, startLeft = partner ? 6 : 36, durationLeft = partner ? 170 : 192;
    const QString key = QString::fromLatin1(r.panel).mid(6);
    CaptionLabel(&form, panel, QStringLiteral("Label_%1StartTitle").arg(key), partner ? U8("開始時間") : QStringLiteral("Start Time"),
                 startLeft, kFirstRowTop, 150);
    CaptionLabel(&form, panel, QStringLiteral("Label_%1AddUpTitle").arg(key),
                 partner ? U8("合計発生時間") : QStringLiteral("Add up Time"), durationLeft, kFirstRowTop, 296 - durationLeft);
    for (int i = 0; i < r.records; ++i) {
        const int top = kFirstRowTop + pitch * (i + 1), number = i + r.firstNumber;
        if (!partner)
            CaptionLabel(&form, panel, QStringLiteral("Label_%1No%2").arg(key, Two(number)), Two(number) + u'.', 6, top, 28);
        ValueLabel(&form, panel, Name(r.start, number), startLeft, top, durationLeft - startLeft - 5);
        ValueLabel(&form, panel, Name(r.duration, number), durationLeft, top, 296 - durationLeft);
    }
}

void BuildInvTime(vcl::TComponent& form)
{
    auto* panel = FindPanel(form, QStringLiteral("Group_InvTime"));
    if (!panel || form.FindComponent(QStringLiteral("Label_InvYMD")))
        return;
    int top = kFirstRowTop;
    CaptionLabel(&form, panel, QStringLiteral("Label_InvClockCaption"), QStringLiteral("Clock"), 10, top, 100);
    ValueLabel(&form, panel, QStringLiteral("Label_InvYMD"), 110, top, 90);
    ValueLabel(&form, panel, QStringLiteral("Label_InvHMS"), 205, top, 80);
    top += kRowPitch;
    CaptionLabel(&form, panel, QStringLiteral("Label_InvInstallCaption"), QStringLiteral("Installation"), 10, top, 100);
    ValueLabel(&form, panel, QStringLiteral("Label_InstallYMD"), 110, top, 90);
    top += kRowPitch;
    // The real-time-clock row is part of the panel but kept hidden; no reader writes it.
    CaptionLabel(&form, panel, QStringLiteral("Label_InvRTCCaption"), QStringLiteral("RTC"), 10, top, 100)->SetVisible(false);
    ValueLabel(&form, panel, QStringLiteral("Label_InvRTC"), 110, top, 170)->SetVisible(false);
}

// A dated energy value in one of the two columns of a history panel, in a smaller type so
// that date and value fit the column.
void EnergyLabel(vcl::TComponent& form, vcl::TWinControl* panel, const QString& name, int column, int row)
{
    ValueLabel(&form, panel, name, 4 + 147 * column, kFirstRowTop + kRowPitch * row, 145)->Font()->SetSize(7);
}

void BuildEnergyHistory(vcl::TComponent& form)
{
    auto* day = FindPanel(form, QStringLiteral("Group_DailyEnergy"));
    if (day && !form.FindComponent(QStringLiteral("Label_EnergyDay0")))
        for (int k = 0; k < 32; ++k)
            EnergyLabel(form, day, QStringLiteral("Label_EnergyDay%1").arg(k), k / 16, k % 16);
    auto* month = FindPanel(form, QStringLiteral("Group_MonthlyEnergy"));
    if (month && !form.FindComponent(QStringLiteral("Label_EnergyMonth0")))
        for (int k = 0; k < 24; ++k)
            EnergyLabel(form, month, QStringLiteral("Label_EnergyMonth%1").arg(k), k / 12, k % 12);
}

// ---- The event log -------------------------------------------------------------------------

// Both event-log readers: three pages of ten events through the page register.
int ReadEventLog(Modbus& link, EventLogGroup& g, std::uint8_t stop, bool japan)
{
    const int frame = FrameStart(link, stop, {g.Panel}, QStringLiteral("Event..."));
    if (frame >= 0)
        return frame;
    for (int p = 0; p < 3; ++p) {
        if (link.Request(kEventPageSelect, p, 6))
            return 1;
        if (link.Request(kEventCodeWindow, 11, 4))
            return 1;
        // A window that still shows another page is no answer for this one.
        if (!Accepted(link, 4) || link.Reply[4] != p)
            continue;
        for (int k = 0; k < 10; ++k) {
            const int n = 10 * p + k;
            const int code = Word(link, k + 1);
            SetEventText(g.Code[n], japan ? JapanEventLogText(n, static_cast<unsigned>(code)) : EventLogText(code));
        }
        if (link.Request(kEventTimeWindow, 20, 4))
            return 1;
        if (!Accepted(link, 4))
            continue;
        for (int k = 0; k < 10; ++k) {
            const std::uint8_t* b = &link.Reply[3 + 4 * k];
            SetText(g.Time[10 * p + k], FormatDeviceTime(b[0], b[1], b[2], b[3], 0));
        }
    }
    return 0;
}

void PaintFlag(vcl::TLabel* label, bool set)
{
    if (label)
        label->Font()->SetColor(set ? kFlagSetColour : kFlagClearColour);
}

} // namespace

QString EventLogText(int code)
{
    if (code < 0 || code > 0xFF)
        return EventCodeTexts[0];
    return EventCodeTexts[code];
}

QString JapanEventLogText(int n, unsigned code)
{
    return Two(n) + QStringLiteral(". ") + JapanEventText(code);
}

RecordGroups FindRecordGroups(const vcl::TComponent& form)
{
    RecordGroups g;
    g.Events.Panel = FindPanel(form, QStringLiteral("Group_ErrorEvent"));
    g.JapanEvents.Panel = FindPanel(form, QStringLiteral("Group_JapanErrorList"));
    for (int n = 0; n < 30; ++n) {
        g.Events.Code[n] = FindLabel(form, QStringLiteral("Label_Event%1").arg(n));
        g.Events.Time[n] = FindLabel(form, QStringLiteral("Label_EventTime%1").arg(n));
        g.JapanEvents.Code[n] = FindLabel(form, QStringLiteral("Label_Japan_E%1").arg(Two(n)));
        g.JapanEvents.Time[n] = FindLabel(form, QStringLiteral("Label_ET%1").arg(Two(n)));
    }
    g.Warnings.Panel = FindPanel(form, QStringLiteral("Group_WarnEvent"));
    for (int i = 0; i < 5; ++i)
        g.Warnings.Lines[i] = FindLabel(form, Name("Label_WarnEvent%1", i + 1));
    g.DeratingFlags.Panel = FindPanel(form, QStringLiteral("Group_DeratingRecords"));
    for (int i = 0; i < 8; ++i)
        g.DeratingFlags.Flags[i] = FindLabel(form, QStringLiteral("Label_DerateRecord%1").arg(i + 1));
    g.Fans.Panel = FindPanel(form, QStringLiteral("Group_FanFail"));
    for (int k = 0; k < 16; ++k) {
        g.Fans.Internal[k] = FindLabel(form, Name("Label_FanInt%1", k));
        g.Fans.External[k] = FindLabel(form, Name("Label_FanExt%1", k));
    }
    g.ErrorCodes.Panel = FindPanel(form, QStringLiteral("Group_ErrorCodes"));
    for (int k = 0; k < 30; ++k)
        g.ErrorCodes.Values[k] = FindLabel(form, QStringLiteral("Label_Codes_") + QString::fromLatin1(kErrorCodeCaptions[k]).remove(u'-'));
    for (int d = 0; d < kDeratingKinds; ++d) {
        const DeratingReader& r = kDeratingReaders[d];
        DeratingRecordGroup& rg = g.Derating[d];
        rg.Kind = d;
        rg.Panel = FindPanel(form, QLatin1String(r.panel));
        for (int i = 0; i < r.records; ++i) {
            rg.Start[i] = FindLabel(form, Name(r.start, i + r.firstNumber));
            rg.Duration[i] = FindLabel(form, Name(r.duration, i + r.firstNumber));
        }
    }
    g.InvTime.Panel = FindPanel(form, QStringLiteral("Group_InvTime"));
    g.InvTime.Ymd = FindLabel(form, QStringLiteral("Label_InvYMD"));
    g.InvTime.Hms = FindLabel(form, QStringLiteral("Label_InvHMS"));
    g.InvTime.Install = FindLabel(form, QStringLiteral("Label_InstallYMD"));
    g.Energy.DayPanel = FindPanel(form, QStringLiteral("Group_DailyEnergy"));
    g.Energy.MonthPanel = FindPanel(form, QStringLiteral("Group_MonthlyEnergy"));
    for (int k = 0; k < 32; ++k)
        g.Energy.Day[k] = FindLabel(form, QStringLiteral("Label_EnergyDay%1").arg(k));
    for (int k = 0; k < 24; ++k)
        g.Energy.Month[k] = FindLabel(form, QStringLiteral("Label_EnergyMonth%1").arg(k));
    return g;
}

RecordGroups BuildRecordGroups(vcl::TComponent& form)
{
    BuildEventLog(form, false);
    BuildEventLog(form, true);
    BuildWarnings(form);
    BuildDeratingFlags(form);
    BuildFanFail(form);
    BuildErrorCodes(form);
    for (const DeratingReader& r : kDeratingReaders)
        BuildDeratingRecords(form, r);
    BuildInvTime(form);
    BuildEnergyHistory(form);
    return FindRecordGroups(form);
}

int ReadErrorEvents(Modbus& link, EventLogGroup& g, std::uint8_t stop) { return ReadEventLog(link, g, stop, false); }
int ReadJapanErrorList(Modbus& link, EventLogGroup& g, std::uint8_t stop) { return ReadEventLog(link, g, stop, true); }

int ReadWarnings(Modbus& link, WarningGroup& g, std::uint8_t stop)
{
    const int frame = FrameStart(link, stop, {g.Panel}, QStringLiteral("Warn..."));
    if (frame >= 0)
        return frame;
    if (link.Request(kWarningWords, 2, 4))
        return 1;
    QStringList texts;
    if (Accepted(link, 4))
        for (const WarningBit& b : kWarningBits)
            if (Word(link, b.word) & b.mask)
                texts << QLatin1String(b.text);
    // The lines are written whether the reply was accepted or not: no answer shows no warnings.
    for (int i = 0; i < 5; ++i)
        SetText(g.Lines[i], i < texts.size() ? texts[i] : QString());
    return 0;
}

int ReadDeratingFlags(Modbus& link, DeratingFlagGroup& g, std::uint8_t stop)
{
    const int frame = FrameStart(link, stop, {g.Panel}, QStringLiteral("Derating..."));
    if (frame >= 0)
        return frame;
    if (link.Request(kDeratingWord, 1, 4))
        return 1;
    if (Accepted(link, 4)) {
        const int word = Word(link, 0);
        for (int i = 0; i < 8; ++i)
            PaintFlag(g.Flags[i], word & (1 << (i + 1)));
    }
    return 0;
}

int ReadFanFail(Modbus& link, FanFailGroup& g, std::uint8_t stop)
{
    const int frame = FrameStart(link, stop, {g.Panel}, QStringLiteral("Fan Fail..."));
    if (frame >= 0)
        return frame;
    if (link.Request(kFanWords, 4, 4))
        return 1;
    if (Accepted(link, 4)) {
        const int internal = Word(link, 0), external = Word(link, 2);
        for (int k = 0; k < 16; ++k) {
            PaintFlag(g.Internal[k], internal & (1 << k));
            PaintFlag(g.External[k], external & (1 << k));
        }
    }
    return 0;
}

int ReadErrorCodes(Modbus& link, ErrorCodeGroup& g, std::uint8_t stop)
{
    const int frame = FrameStart(link, stop, {g.Panel}, QStringLiteral("Error Codes..."));
    if (frame >= 0)
        return frame;
    if (link.Request(kErrorCodeWords, 30, 4))
        return 1;
    if (Accepted(link, 4))
        for (int k = 0; k < 30; ++k)
            SetText(g.Values[k], QString::number(Word(link, k)));
    return 0;
}

int ReadDeratingRecords(Modbus& link, DeratingRecordGroup& g, std::uint8_t stop)
{
    const DeratingReader& r = kDeratingReaders[g.Kind];
    const int frame = FrameStart(link, stop, {g.Panel}, QLatin1String(r.progress));
    if (frame >= 0)
        return frame;
    if (link.Request(r.block, 3 * r.records, 4))
        return 1;
    if (!Accepted(link, 4))
        return 0;
    for (int i = 0; i < r.records; ++i) {
        const std::uint8_t* b = &link.Reply[3 + 6 * i];
        SetText(g.Start[i], FormatDeviceTime(b[0], b[1], b[2], b[3], 0));
        const int seconds = Word(link, 3 * i + 2);
        SetText(g.Duration[i], r.records == 16 ? FormatSeconds(seconds) : FormatIntWithUnit(seconds, QStringLiteral(" sec")));
    }
    return 0;
}

int ReadInvTime(Modbus& link, InvTimeGroup& g, std::uint8_t stop)
{
    const int frame = FrameStart(link, stop, {g.Panel}, QStringLiteral("Inv Time..."));
    if (frame >= 0)
        return frame;
    if (link.Request(kClockFields, 6, 4))
        return 1;
    if (Accepted(link, 4)) {
        SetText(g.Ymd, DateFields(Word(link, 0), Word(link, 1), Word(link, 2)));
        SetText(g.Hms, Field(Word(link, 3)) + u':' + Field(Word(link, 4)) + u':' + Field(Word(link, 5)));
    }
    if (link.Request(kInstallDate, 3, 4))
        return 1;
    if (!Accepted(link, 4))
        return 0;
    const int year = Word(link, 0);
    SetText(g.Install, year == 1970 ? QString() : DateFields(year, Word(link, 1), Word(link, 2)));
    return 0;
}

int ReadDailyEnergy(Modbus& link, const ReaderContext& ctx, EnergyHistoryGroup& g, std::uint8_t stop)
{
    const int frame = FrameStart(link, stop, {g.DayPanel}, QStringLiteral("Daily Energy..."));
    if (frame >= 0)
        return frame;
    if (link.Request(kClockSeconds, 2, 3))
        return 1;
    if (Accepted(link, 3))
        g.Clock = static_cast<std::int64_t>(Word(link, 0)) * 65536 + Word(link, 1);
    // Values whose date has no clock read yet (the clock never answered) are left as they are.
    for (int half = 0; half < 2; ++half) {
        if (link.Request(kDayWindow + 32 * half, 32, 4))
            return 1;
        if (!Accepted(link, 4) || g.Clock < 0)
            continue;
        for (int j = 0; j < 16; ++j) {
            const int k = 16 * half + j;
            SetText(g.Day[k], FormatEpochDate(static_cast<int>(g.Clock), -k * 86400) + QStringLiteral(":  ")
                                  + EnergyText(link, j, *ctx.EnergyMultiplier));
        }
    }
    return 0;
}

int ReadMonthlyEnergy(Modbus& link, const ReaderContext& ctx, EnergyHistoryGroup& g, std::uint8_t stop)
{
    const int frame = FrameStart(link, stop, {g.MonthPanel}, QStringLiteral("Month Energy..."));
    if (frame >= 0)
        return frame;
    if (link.Request(kClockFields, 2, 4))
        return 1;
    if (Accepted(link, 4)) {
        g.Year = Word(link, 0);
        g.MonthOfYear = Word(link, 1);
    }
    if (link.Request(kMonthWindow, 48, 4))
        return 1;
    if (!Accepted(link, 4) || g.Year < 0)
        return 0;
    for (int k = 0; k < 24; ++k)
        SetText(g.Month[k], FormatYearMonth(g.Year, g.MonthOfYear, -k) + QStringLiteral(":  ")
                                + EnergyText(link, k, *ctx.EnergyMultiplier));
    return 0;
}

} // namespace groups

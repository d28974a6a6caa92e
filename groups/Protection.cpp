#include "groups/Protection.h"

#include "common/Myfunc.h"

namespace groups {

namespace {

// One limit of a block: its value label, its edit, the caption's own label and text, and how
// the word reads (tenths of a volt, hundredths of a second or of a hertz).
struct LimitRow {
    const char* name;      // the value label is "Label_" + name, the edit "Edit_" + name
    const char* captionLabel;
    const char* caption;
    int divisor;           // 10 or 100
    const char* unit;
};

constexpr LimitRow kUacFast[12] = {
    {"UHighOFF", "Label71", "U High Off:", 10, " V"},
    {"UHighOFFTime", "Label78", "U High Off Time:", 100, " Sec"},
    {"UHighON", "Label82", "U High On:", 10, " V"},
    {"ULowOFF", "Label94", "U Low Off:", 10, " V"},
    {"ULowOFFTime", "Label95", "U Low Off Time:", 100, " Sec"},
    {"ULowON", "Label96", "U Low On:", 10, " V"},
    {"UHighOFFSlow", "Label87", "U High Off Slow:", 10, " V"},
    {"UHighOFFSlowTime", "Label90", "U High Off Slow Time:", 100, " Sec"},
    {"UHighONSlow", "Label92", "U High On Slow:", 10, " V"},
    {"ULowOFFSlow", "Label97", "U Low Off Slow:", 10, " V"},
    {"ULowOFFSlowTime", "Label98", "U Low Off Slow Time:", 100, " Sec"},
    {"ULowONSlow", "Label99", "U Low On Slow:", 10, " V"},
};

// The second slow stage: the high side in GroupBox39, the low side below it.
constexpr LimitRow kUacSlow2[6] = {
    {"UHighOFFSlow2", "Label591", "U High Off Slow 2:", 10, " V"},
    {"UHighOFFSlowTime2", "Label592", "U High Off Slow Time 2:", 100, " Sec"},
    {"UHighONSlow2", "Label593", "U High On Slow 2:", 10, " V"},
    {"ULowOFFSlow2", "Label594", "U Low Off Slow 2:", 10, " V"},
    {"ULowOFFSlowTime2", "Label601", "U Low Off Slow Time 2:", 100, " Sec"},
    {"ULowONSlow2", "Label603", "U Low On Slow 2:", 10, " V"},
};

constexpr LimitRow kFreqFast[6] = {
    {"FHighOFF", "Label76", "F High Off:", 100, " Hz"},
    {"FHighOFFTime", "Label80", "F High Off Time:", 100, " Sec"},
    {"FHighON", "Label85", "F High On:", 100, " Hz"},
    {"FLowOFF", "Label100", "F Low Off:", 100, " Hz"},
    {"FLowOFFTime", "Label101", "F Low Off Time:", 100, " Sec"},
    {"FLowON", "Label102", "F Low On:", 100, " Hz"},
};

constexpr LimitRow kFreqSlow[6] = {
    {"FHighOFFSlow", "Label103", "F High Off Slow:", 100, " Hz"},
    {"FHighOFFSlowTime", "Label113", "F High Off Slow Time:", 100, " Sec"},
    {"FHighONSlow", "Label114", "F High On Slow:", 100, " Hz"},
    {"FLowOFFSlow", "Label108", "F Low Off Slow:", 100, " Hz"},
    {"FLowOFFSlowTime", "Label111", "F Low Off Slow Time:", 100, " Sec"},
    {"FLowONSlow", "Label116", "F Low On Slow:", 100, " Hz"},
};

constexpr LimitRow kUHigh2[3] = {
    {"UHighOff2", "Label5451", "U High Off 2:", 10, " V"},
    {"UHighOffTime2", "Label5452", "U High Off Time 2:", 100, " Sec"},
    {"UHighOn2", "Label5453", "U High On 2:", 10, " V"},
};

constexpr LimitRow kPofU[2] = {
    {"PuStartVolt", "Label5454", "Start Volt:", 10, " V"},
    {"PuStopVolt", "Label5455", "Stop Volt:", 10, " V"},
};

// The grid's defaults of the slow stages, in the registers' own scales.
constexpr std::uint16_t kUacSlowDefaults[6] = {2760, 60000, 2760, 1840, 60000, 1840};
constexpr std::uint16_t kFreqSlowDefaults[6] = {6500, 60000, 6500, 4500, 60000, 4500};

// Where a row's parts stand inside a panel or box.
struct Columns {
    int caption;
    int captionWidth;
    int value;
    int valueWidth;
    int edit;
    int editWidth;
};

constexpr Columns kUacColumns{6, 138, 146, 62, 210, 40};
constexpr Columns kWideColumns{8, 140, 150, 72, 226, 64};

QString Name(const char* prefix, const char* name)
{
    return QLatin1String(prefix) + QLatin1String(name);
}

void AddRow(vcl::TComponent& form, vcl::TWinControl* parent, const LimitRow& row, int top, const Columns& c)
{
    CaptionLabel(&form, parent, QLatin1String(row.captionLabel), QLatin1String(row.caption), c.caption, top + 3,
                 c.captionWidth);
    ValueLabel(&form, parent, Name("Label_", row.name), c.value, top + 3, c.valueWidth);
    auto* edit = new vcl::TEdit(&form);
    edit->SetName(Name("Edit_", row.name));
    edit->SetParent(parent);
    edit->SetBounds(c.edit, top, c.editWidth, 21);
}

template <std::size_t N>
int AddRows(vcl::TComponent& form, vcl::TWinControl* parent, const LimitRow (&rows)[N], int top, const Columns& c)
{
    for (const LimitRow& row : rows) {
        AddRow(form, parent, row, top, c);
        top += kRowPitch;
    }
    return top;
}

vcl::TGroupBox* AddBox(vcl::TComponent& form, vcl::TWinControl* parent, const char* name, const char* caption,
                       int left, int top, int width, int height)
{
    auto* box = new vcl::TGroupBox(&form);
    box->SetName(QLatin1String(name));
    box->SetParent(parent);
    box->SetBounds(left, top, width, height);
    box->SetCaption(QLatin1String(caption));
    return box;
}

void BuildUac(vcl::TComponent& form, vcl::TWinControl* panel)
{
    // The first stage and the first slow stage fill the left 255 pixels, which is all a narrow
    // panel shows; the second slow stage stands in the right half.
    AddRows(form, panel, kUacFast, kFirstRowTop, kUacColumns);
    const int boxHeight = 22 + 3 * kRowPitch;
    auto* box = AddBox(form, panel, "GroupBox39", "", 255, kFirstRowTop - 8, 258, boxHeight);
    const Columns inBox{4, 150, 156, 60, 218, 34};
    int top = 18;
    for (int k = 0; k < 3; ++k, top += kRowPitch)
        AddRow(form, box, kUacSlow2[k], top, inBox);
    const Columns right{261, 150, 413, 60, 475, 34};
    top = kFirstRowTop - 8 + boxHeight + 8;
    for (int k = 3; k < 6; ++k, top += kRowPitch)
        AddRow(form, panel, kUacSlow2[k], top, right);
}

void BuildAustralia(vcl::TComponent& form, vcl::TWinControl* panel)
{
    int top = kFirstRowTop;
    CaptionLabel(&form, panel, QStringLiteral("Label5450"), QStringLiteral("DRM:"), 8, top + 3, 140);
    ValueLabel(&form, panel, QStringLiteral("Label_DRM"), 150, top + 3, 72);
    top += kRowPitch + 6;
    const Columns inBox{6, 140, 148, 72, 224, 64};
    auto* uac2 = AddBox(form, panel, "GroupBox_AuUac2", "Uac Protection 2", 2, top, 296, 22 + 3 * kRowPitch + 4);
    AddRows(form, uac2, kUHigh2, 20, inBox);
    top += 22 + 3 * kRowPitch + 10;
    auto* pu = AddBox(form, panel, "GroupBox_AuPofU", "P of U", 2, top, 296, 22 + 2 * kRowPitch + 4);
    AddRows(form, pu, kPofU, 20, inBox);
    for (const char* edit : {"Edit_UHighOn2", "Edit_PuStopVolt"})
        if (auto* e = dynamic_cast<vcl::TEdit*>(form.FindComponent(QLatin1String(edit)))) {
            e->SetHint(QStringLiteral("Max: 276V"));
            e->SetShowHint(true);
        }
}

template <std::size_t N>
void FindRows(const vcl::TComponent& form, const LimitRow (&rows)[N], std::array<vcl::TLabel*, N>& labels)
{
    for (std::size_t k = 0; k < N; ++k)
        labels[k] = FindLabel(form, Name("Label_", rows[k].name));
}

QString LimitText(const LimitRow& row, int word)
{
    return (row.divisor == 10 ? FormatDiv10(static_cast<float>(word)) : FormatDiv100(static_cast<float>(word)))
        + QLatin1String(row.unit);
}

// Words of the accepted reply into the block's labels; the words are kept for the rules that
// follow (a default write replaces the reply).
template <std::size_t N>
std::array<int, N> ShowBlock(const Modbus& link, const LimitRow (&rows)[N], std::array<vcl::TLabel*, N>& labels)
{
    std::array<int, N> words{};
    for (std::size_t k = 0; k < N; ++k) {
        words[k] = Word(link, static_cast<int>(k));
        SetText(labels[k], LimitText(rows[k], words[k]));
    }
    return words;
}

template <std::size_t N>
void PaintBlue(std::array<vcl::TLabel*, N>& labels)
{
    for (vcl::TLabel* l : labels)
        if (l)
            l->Font()->SetColor(vcl::clBlue);
}

// The country caption counts only while it is the current inverter's: read back (blue, not a
// stale red) on a Country Set panel that is shown, whose reader runs earlier in every cycle. A
// caption left from another inverter, or never refreshed, writes no defaults.
bool CountryMatches(const vcl::TComponent& form)
{
    const vcl::TLabel* country = FindLabel(form, QStringLiteral("Label_Country"));
    const vcl::TWinControl* panel = FindPanel(form, QStringLiteral("Group_Country"));
    return country && panel && panel->Visible() && country->Font()->Color() == vcl::clBlue
        && CountryTakesSlowDefaults(country->Caption());
}

// Writes the default of every slow limit that reads unset. 1 when the link failed.
int WriteSlowDefaults(Modbus& link, int firstRegister, const std::array<int, 6>& words,
                      const std::uint16_t (&defaults)[6])
{
    for (int k = 0; k < 6; ++k)
        if ((words[k] == 0 || words[k] == 0xFFFF) && link.Request(firstRegister + k, defaults[k], 6))
            return 1;
    return 0;
}

} // namespace

bool CountryTakesSlowDefaults(const QString& country)
{
    return country.size() >= 8 && country[0] == QLatin1Char('C') && country[1] == QLatin1Char('u')
        && country[7] == QLatin1Char('r');
}

ProtectionGroup FindProtectionGroups(const vcl::TComponent& form)
{
    ProtectionGroup g;
    g.Uac = FindPanel(form, QStringLiteral("Group_UacProtection"));
    g.Freq = FindPanel(form, QStringLiteral("Group_FreqProtection"));
    g.Australia = FindPanel(form, QStringLiteral("Group_AustraliaSet"));
    FindRows(form, kUacFast, g.UacFast);
    FindRows(form, kUacSlow2, g.UacSlow2);
    FindRows(form, kFreqFast, g.FreqFast);
    FindRows(form, kFreqSlow, g.FreqSlow);
    g.Drm = FindLabel(form, QStringLiteral("Label_DRM"));
    FindRows(form, kUHigh2, g.UHigh2);
    FindRows(form, kPofU, g.PofU);
    return g;
}

ProtectionGroup BuildProtectionGroups(vcl::TComponent& form)
{
    if (auto* uac = FindPanel(form, QStringLiteral("Group_UacProtection"));
        uac && !form.FindComponent(QStringLiteral("Label_UHighOFF")))
        BuildUac(form, uac);
    if (auto* freq = FindPanel(form, QStringLiteral("Group_FreqProtection"));
        freq && !form.FindComponent(QStringLiteral("Label_FHighOFF"))) {
        const int top = AddRows(form, freq, kFreqFast, kFirstRowTop, kWideColumns);
        AddRows(form, freq, kFreqSlow, top, kWideColumns);
    }
    if (auto* au = FindPanel(form, QStringLiteral("Group_AustraliaSet"));
        au && !form.FindComponent(QStringLiteral("Label_DRM")))
        BuildAustralia(form, au);
    return FindProtectionGroups(form);
}

int ReadVacProtection(Modbus& link, ProtectionGroup& g, const vcl::TComponent& form, std::uint8_t stop)
{
    const int frame = FrameStart(link, stop, {g.Uac}, QStringLiteral("Vac Set..."));
    if (frame >= 0)
        return frame;
    if (link.Request(33552, 12, 3))
        return 1;
    if (Accepted(link, 3)) {
        const std::array<int, 12> words = ShowBlock(link, kUacFast, g.UacFast);
        if (CountryMatches(form)) {
            std::array<int, 6> slow{};
            for (int k = 0; k < 6; ++k)
                slow[static_cast<std::size_t>(k)] = words[static_cast<std::size_t>(k + 6)];
            if (WriteSlowDefaults(link, 33558, slow, kUacSlowDefaults))
                return 1;
        }
        PaintBlue(g.UacFast);
    }
    if (link.Request(48176, 6, 3))
        return 1;
    if (Accepted(link, 3)) {
        ShowBlock(link, kUacSlow2, g.UacSlow2);
        PaintBlue(g.UacSlow2);
    }
    return 0;
}

int ReadFreqProtection(Modbus& link, ProtectionGroup& g, const vcl::TComponent& form, std::uint8_t stop)
{
    const int frame = FrameStart(link, stop, {g.Freq}, QStringLiteral("Freq Set..."));
    if (frame >= 0)
        return frame;
    if (link.Request(33568, 6, 3))
        return 1;
    if (Accepted(link, 3))
        ShowBlock(link, kFreqFast, g.FreqFast);
    if (link.Request(33610, 6, 3))
        return 1;
    if (Accepted(link, 3)) {
        const std::array<int, 6> words = ShowBlock(link, kFreqSlow, g.FreqSlow);
        if (CountryMatches(form) && WriteSlowDefaults(link, 33610, words, kFreqSlowDefaults))
            return 1;
    }
    PaintBlue(g.FreqFast);
    PaintBlue(g.FreqSlow);
    return 0;
}

int ReadAustraliaSet(Modbus& link, ProtectionGroup& g, std::uint8_t stop)
{
    const int frame = FrameStart(link, stop, {g.Australia}, QStringLiteral("Australia Set..."));
    if (frame >= 0)
        return frame;
    if (link.Request(1793, 1, 4))
        return 1;
    if (Accepted(link, 4))
        SetText(g.Drm, QString::number(Word(link, 0)));
    if (link.Request(33564, 3, 3))
        return 1;
    if (Accepted(link, 3))
        ShowBlock(link, kUHigh2, g.UHigh2);
    if (link.Request(48550, 2, 3))
        return 1;
    if (Accepted(link, 3))
        ShowBlock(link, kPofU, g.PofU);
    PaintBlue(g.UHigh2);
    PaintBlue(g.PofU);
    return 0;
}

} // namespace groups

#include "design/DisplayOptions.h"

#include "vcl/Controls.h"
#include "vcl/StdCtrls.h"

#include <initializer_list>

namespace design {

namespace {

vcl::TControl* Control(const vcl::TComponent& form, const char* name)
{
    return dynamic_cast<vcl::TControl*>(form.FindComponent(QString::fromLatin1(name)));
}

void SetCaption(const vcl::TComponent& form, const char* name, const char* caption, const CaptionLanguage& language)
{
    if (vcl::TControl* c = Control(form, name)) {
        const QString english = QString::fromUtf8(caption);
        c->SetCaption(language ? language(english) : english);
    }
}

void SetVisible(const vcl::TComponent& form, const char* name, bool visible)
{
    if (vcl::TControl* c = Control(form, name))
        c->SetVisible(visible);
}

// One label and its caption in each style.
template <int N>
struct CaptionRow {
    const char* label;
    const char* captions[N];
};

template <int N, std::size_t Rows>
void ApplyCaptionTable(const vcl::TComponent& form, const CaptionRow<N> (&rows)[Rows], int style,
                       const CaptionLanguage& language)
{
    if (style < 0 || style >= N)
        return;
    for (const auto& row : rows)
        SetCaption(form, row.label, row.captions[style], language);
}

const CaptionRow<3> kFreqCaptions[] = {
    {"Label76", {"F High Off:", "HF2", "OF2"}},
    {"Label80", {"F High Off Time:", "HF2T", "Maximun trip time"}},
    {"Label85", {"F High On:", "HF2H", "CO"}},
    {"Label103", {"F High Off Slow:", "HF1", "OF1"}},
    {"Label113", {"F High Off Slow Time:", "HF1T", "Maximun trip time"}},
    {"Label114", {"F High On Slow:", "HF1H", "CO"}},
    {"Label100", {"F Low Off:", "LF2", "UF2"}},
    {"Label101", {"F Low Off Time:", "LF2T", "Maximun trip time"}},
    {"Label102", {"F Low On:", "LF2H", "CO"}},
    {"Label108", {"F Low Off Slow:", "LF1", "UF1"}},
    {"Label111", {"F Low Off Slow Time:", "LF1T", "Maximun trip time"}},
    {"Label116", {"F Low On Slow:", "LF1H", "CO"}},
};

const CaptionRow<3> kUacCaptions[] = {
    {"Label71", {"U High Off:", "HV2", "OV2"}},
    {"Label78", {"U High Off Time:", "HV2T", "Maximun trip time"}},
    {"Label82", {"U High On:", "HV2H", "CO"}},
    {"Label87", {"U High Off Slow:", "HV1", "OV1"}},
    {"Label90", {"U High Off Slow Time:", "HV1T", "Maximun trip time"}},
    {"Label92", {"U High On Slow:", "HV1H", "CO"}},
    {"Label94", {"U Low Off:", "LV3", "UV3"}},
    {"Label95", {"U Low Off Time:", "LV3T", "Maximun trip time"}},
    {"Label96", {"U Low On:", "LV3H", "CO"}},
    {"Label97", {"U Low Off Slow:", "LV1", "UV1"}},
    {"Label98", {"U Low Off Slow Time:", "LV1T", "Maximun trip time"}},
    {"Label99", {"U Low On Slow:", "LV1H", "CO"}},
    {"Label594", {"U Low Off Slow 2:", "LV2", "UV2"}},
    {"Label601", {"U Low Off Slow Time 2:", "LV2T", "Maximun trip time"}},
    {"Label603", {"U Low On Slow 2:", "LV2H", "CO"}},
};

const CaptionRow<2> kQofUCaptions[] = {
    {"Label63", {"Q_Vmax", "Q4"}},
    {"Label70", {"Q_Vmin", "Q1"}},
    {"Label75", {"Vmax", "V4"}},
    {"Label74", {"Vmin", "V1"}},
    {"Label79", {"Upper(V2)", "V3"}},
    {"Label77", {"Lower(V1)", "V2"}},
};

const CaptionRow<2> kAcTitles[] = {
    {"Label_GetAC1", {"Output 1", "VAB"}},
    {"Label_GetAC2", {"Output 2", "VBC"}},
    {"Label_GetAC3", {"Output 3", "VAC"}},
};

// The rows of Group_JapUserSet: the name of the row (its labels are "Label_" + name + "_Name"
// and "Label_" + name), its selector, and its Top in the variants 10, 0, 1 and 2; -1 leaves the
// row where it is.
struct JapanRow {
    const char* row;
    const char* selector;
    int top[4];
};

const JapanRow kJapanRows[] = {
    {"JapOVR", "Combo_JapOVR", {50, 50, 50, 50}},
    {"JapUVR", "Combo_JapUVR", {80, 80, 80, 80}},
    {"JapVST", "Combo_JapVST", {110, 110, 110, 110}},
    {"JapOFR60", "Combo_JapOFR60", {140, 140, 140, 140}},
    {"JapUFR60", "Combo_JapUFR60", {170, 170, 170, 170}},
    {"JapFST", "Combo_JapFST", {200, 200, 200, 200}},
    // The old layout has no UFR delay row: it goes out of sight there, as the rows the other
    // variants leave out do (it would otherwise lie on the RT row after another variant).
    {"JapUFRDelayTime", "Combo_JapUFRDelayTime", {830, 230, 1830, 230}},
    {"JapRT", "Combo_JapRT", {230, 260, 230, 260}},
    {"JapSuppVolt", "Combo_JapSuppVolt", {260, 290, 260, 1260}},
    {"JapOFR50", "Combo_JapOFR50", {290, 320, 290, 290}},
    {"JapUFR50", "Combo_JapUFR50", {320, 350, 320, 320}},
    {"JapRCMU", "Combo_JapRCMU", {350, 380, 350, 350}},
    {"JapConstPF", "Combo_JapConstPF", {380, 410, 380, 1380}},
    {"JapQU_PU", "Combo_JapQU_PU", {410, 440, 410, 1410}},
    {"JapQU_PF", "Combo_JapQU_PF", {440, 470, 440, 1440}},
    {"JapPMM", "Combo_JapPMM", {470, 500, 470, 380}},
    {"JapAPP", "Edit_JapAPP", {500, 530, 500, 410}},
    {"JapAPS", "Combo_JapAPS", {530, 560, 530, 440}},
    {"JapIDsetting", "Edit_JapIDsetting", {560, 590, 560, 1560}},
    {"JapRPRStandbyTime", "Combo_JapRPRStandbyTime", {590, 620, 1590, 470}},
    {"JapGroundFault", "Combo_JapGroundFault", {620, 650, 1620, 500}},
    {"JapanSetMainLoadCal", "Combo_JapanSetMainLoadCal", {650, 680, 1650, 530}},
    {"JapIslandPass", "Combo_JapIslandPass", {680, 1680, 590, 1680}},
    {"JapSupLevel", "Combo_JapSupLevel", {710, 1710, 620, 1710}},
    {"JapInOutDoor", "Combo_JapInOutDoor", {740, 1740, 650, 1740}},
    {"JapanCurrBackflowProtect", "Combo_JapanCurrBackflowProtect", {770, 1680, 1680, 560}},
    {"JapanTraceLoad", "Combo_JapanTraceLoad", {800, 1710, 1710, 590}},
};

constexpr int kOutOfSight = 1000;

} // namespace

void ApplyFreqProtectCaptions(vcl::TComponent& form, int style, const CaptionLanguage& language)
{
    ApplyCaptionTable(form, kFreqCaptions, style, language);
}

void ApplyUacProtectCaptions(vcl::TComponent& form, int style, const CaptionLanguage& language)
{
    ApplyCaptionTable(form, kUacCaptions, style, language);
}

void ApplyQofUCaptions(vcl::TComponent& form, int style, const CaptionLanguage& language)
{
    ApplyCaptionTable(form, kQofUCaptions, style, language);
}

void ApplyAcOutputTitles(vcl::TComponent& form, int style, const CaptionLanguage& language)
{
    ApplyCaptionTable(form, kAcTitles, style, language);
}

void ApplyJapanUserSettingLayout(vcl::TComponent& form, int variant, const CaptionLanguage& language)
{
    int column = -1;
    const char* title = nullptr;
    const char* fstName = nullptr;
    switch (variant) {
    case 10: column = 0; title = "Japan User Setting(A)"; fstName = "OFR・UFR 整定時間"; break;
    case 0: column = 1; title = "Japan User Setting(N)"; fstName = "OFR 整定時間"; break;
    case 1: column = 2; title = "Japan User Setting(O)"; fstName = "OFR・UFR 整定時間"; break;
    case 2: column = 3; title = "Japan User Setting(AC Coupling)"; fstName = "OFR 整定時間"; break;
    default: return;
    }
    SetCaption(form, "Label_JapanUserSet", title, language);
    SetCaption(form, "Label_JapFST_Name", fstName, language);
    for (const JapanRow& r : kJapanRows) {
        const int top = r.top[column];
        const QByteArray name = QByteArray("Label_") + r.row + "_Name";
        const QByteArray value = QByteArray("Label_") + r.row;
        for (const QByteArray& label : {name, value})
            if (vcl::TControl* c = Control(form, label.constData()))
                c->SetTop(top);
        // A shown row's selector stands 2 pixels higher than its labels, so that their texts
        // line up; a row out of sight takes its labels' Top.
        if (vcl::TControl* c = Control(form, r.selector))
            c->SetTop(top >= kOutOfSight ? top : top - 2);
    }
}

void ApplyVacProtectSet(vcl::TComponent& form, int set, const CaptionLanguage& language)
{
    int width = 0;
    int style = 0;
    switch (set) {
    case 0: width = 255; style = 0; break;
    case 1: width = 520; style = 0; SetVisible(form, "GroupBox39", true); break;
    case 2: width = 520; style = 1; SetVisible(form, "GroupBox39", false); break;
    case 3: width = 520; style = 2; SetVisible(form, "GroupBox39", false); break;
    default: return;
    }
    if (vcl::TControl* group = Control(form, "Group_UacProtection"))
        group->SetWidth(width);
    // The title label stands 10 pixels in from either edge of the panel.
    if (vcl::TControl* title = Control(form, "Label_UacProtection"))
        title->SetWidth(width - 20);
    ApplyUacProtectCaptions(form, style, language);
}

bool RunOptionItem(int tag, OptionItemHost& host)
{
    vcl::TComponent& form = host.form;
    ModeOptions& o = host.options;
    auto insert = [&host](const char* panel) {
        if (host.insert)
            host.insert(QString::fromLatin1(panel));
    };
    auto voltage = [&host](int style) {
        if (host.voltageCaptions)
            host.voltageCaptions(style);
    };
    const CaptionLanguage& language = host.language;
    auto titles = [&form, &language](const char* prefix, std::initializer_list<const char*> captions) {
        int k = 1;
        for (const char* caption : captions) {
            const QByteArray name = QByteArray(prefix) + QByteArray::number(k++);
            SetCaption(form, name.constData(), caption, language);
        }
    };
    switch (tag) {
    case 1010: insert("Group_Version"); o.ShowFirmwareDates = 0; return true;
    case 1011: insert("Group_Version"); o.ShowFirmwareDates = 1; return true;
    case 1025: SetVisible(form, "Group_ConstVolt", true); o.ConstVoltShow = 1; return true;
    case 1026: SetVisible(form, "Group_ConstVolt", false); o.ConstVoltShow = 0; return true;
    case 1020: insert("Group_Status"); o.StateTextTable = 0; return true;
    case 1021: insert("Group_Status"); o.StateTextTable = 1; return true;
    case 1030: o.AcLayout = 0; voltage(-1); return true;
    case 1032: o.AcLayout = 2; voltage(2); return true;
    case 1036: o.ShowAcTitle = 0; ApplyAcOutputTitles(form, 0, language); return true;
    case 1037: o.ShowAcTitle = 1; ApplyAcOutputTitles(form, 1, language); return true;
    case 1038: o.AcLayout = 3; voltage(-1); return true;
    case 1120:
        insert("Group_Temper1");
        titles("Label_TemperTitle1", {"Ambient", "Boost-1", "Boost-2", "Inverter-S"});
        return true;
    case 1121:
        insert("Group_Temper2");
        titles("Label_TemperTitle2", {"THS_R", "THS_S", "THS_T", "TAMB"});
        return true;
    case 1210: o.WriteLock = 1; return true;
    case 1211: o.WriteLock = 0; return true;
    case 2012:
    case 2013:
        insert("Group_Country");
        for (const char* name : {"Label_ShowLang", "Label_LanguageSelect", "Combo_LanguageSelect"})
            SetVisible(form, name, tag == 2012);
        o.LanguageSelectShow = tag == 2012 ? 1 : 0;
        return true;
    case 2021:
    case 2022:
    case 2023:
    case 2024:
        insert("Group_UacProtection");
        o.VacProtectSet = tag - 2021;
        ApplyVacProtectSet(form, o.VacProtectSet, language);
        return true;
    case 2030:
    case 2031:
    case 2032:
        insert("Group_FreqProtection");
        o.ShowGsFacMode = tag - 2030;
        ApplyFreqProtectCaptions(form, o.ShowGsFacMode, language);
        return true;
    case 3000: o.ReactiveSign = 0; return true;
    case 3001: o.ReactiveSign = 1; return true;
    case 3002: o.CosPhiStep = 0; return true;
    case 3003: o.CosPhiStep = 1; return true;
    case 3010:
    case 3011:
        insert("Group_ReactivePower");
        SetVisible(form, "Combo_ReactiveMode", tag == 3010);
        SetVisible(form, "Combo_ReactiveModeForJapan", tag == 3011);
        o.ReactivePowerMode = tag - 3010;
        return true;
    case 3020:
    case 3021:
        insert("Group_QUCtrl");
        o.ShowQofUMode = tag - 3020;
        ApplyQofUCaptions(form, o.ShowQofUMode, language);
        return true;
    case 3040:
    case 3041:
        if (vcl::TComponent* panel = form.FindComponent(QStringLiteral("Group_ActivePower")))
            panel->SetTag(tag == 3041 ? 250 : 200);
        o.ActiveSlopeShow = tag == 3041 ? 1 : 0;
        insert("Group_ActivePower");
        return true;
    case 50210:
    case 50211:
    case 50212:
    case 50213: {
        const int variant = tag == 50213 ? 10 : tag - 50210;
        insert("Group_JapUserSet");
        ApplyJapanUserSettingLayout(form, variant, language);
        o.JapanUserSettingMode = variant;
        return true;
    }
    default:
        return false;
    }
}

} // namespace design

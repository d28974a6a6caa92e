// The display options on a form that holds the named controls: the appliers' captions, widths,
// rows and visibility, and what each option item sets and inserts.
#include "DesignTestSupport.h"

#include "design/DesignerMenu.h"
#include "design/DisplayOptions.h"
#include "design/GroupPanels.h"
#include "vcl/Forms.h"
#include "vcl/Menus.h"
#include "vcl/StdCtrls.h"

#include "support/QtApp.h"

#include <map>
#include <memory>
#include <set>
#include <vector>

namespace {

using namespace design;

class DisplayOptions : public ::testing::Test {
protected:
    void SetUp() override
    {
        testsupport::EnsureApplication();
        form = std::make_unique<vcl::TForm>();
        form->SetName("Form_Main");
    }
    template <class T = vcl::TLabel>
    T* Add(const QString& name, const QString& caption = QStringLiteral("design"))
    {
        auto* c = new T(form.get());
        c->SetName(name);
        c->SetParent(form.get());
        c->SetCaption(caption);
        return c;
    }
    vcl::TControl* C(const QString& name) { return dynamic_cast<vcl::TControl*>(form->FindComponent(name)); }
    std::unique_ptr<vcl::TForm> form;
};

// One label and its caption in each style, as the window's option texts are written down.
struct OptionTexts {
    const char* label;
    std::vector<const char*> captions;   // style 0, 1, ...
};

const std::vector<OptionTexts> kFreqTexts = {
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
const std::vector<OptionTexts> kUacTexts = {
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
const std::vector<OptionTexts> kQofUTexts = {
    {"Label63", {"Q_Vmax", "Q4"}},
    {"Label70", {"Q_Vmin", "Q1"}},
    {"Label75", {"Vmax", "V4"}},
    {"Label74", {"Vmin", "V1"}},
    {"Label79", {"Upper(V2)", "V3"}},
    {"Label77", {"Lower(V1)", "V2"}},
};
const std::vector<OptionTexts> kAcTitleTexts = {
    {"Label_GetAC1", {"Output 1", "VAB"}},
    {"Label_GetAC2", {"Output 2", "VBC"}},
    {"Label_GetAC3", {"Output 3", "VAC"}},
};

// Every label of every caption style, in English and through a window language; a style the
// applier does not list changes nothing.
TEST_F(DisplayOptions, CaptionAppliersSetEveryTextOfTheirStyleInTheWindowLanguage)
{
    using Applier = void (*)(vcl::TComponent&, int, const CaptionLanguage&);
    struct Case {
        const char* what;
        Applier apply;
        const std::vector<OptionTexts>& texts;
    };
    const Case cases[] = {
        {"frequency protection", ApplyFreqProtectCaptions, kFreqTexts},
        {"voltage protection", ApplyUacProtectCaptions, kUacTexts},
        {"Q(U) curve", ApplyQofUCaptions, kQofUTexts},
        {"AC titles", ApplyAcOutputTitles, kAcTitleTexts},
    };
    const CaptionLanguage marked = [](const QString& english) { return QStringLiteral("<%1>").arg(english); };
    for (const Case& c : cases) {
        SetUp();
        for (const OptionTexts& row : c.texts)
            Add(QString::fromLatin1(row.label));
        const int styles = static_cast<int>(c.texts.front().captions.size());
        for (int style = 0; style < styles; ++style) {
            SCOPED_TRACE(testing::Message() << c.what << ", style " << style);
            c.apply(*form, style, {});
            for (const OptionTexts& row : c.texts)
                EXPECT_EQ(C(row.label)->Caption(), QString::fromUtf8(row.captions[static_cast<size_t>(style)])) << row.label;
            c.apply(*form, style, marked);
            for (const OptionTexts& row : c.texts)
                EXPECT_EQ(C(row.label)->Caption(), QStringLiteral("<%1>").arg(QString::fromUtf8(row.captions[static_cast<size_t>(style)])))
                    << row.label << " is not looked up in the window's language";
        }
        for (const OptionTexts& row : c.texts)
            C(row.label)->SetCaption("kept");
        for (int other : {-1, styles, 99})
            c.apply(*form, other, marked);
        for (const OptionTexts& row : c.texts)
            EXPECT_EQ(C(row.label)->Caption(), "kept") << c.what << " " << row.label;
    }
    // A form without the labels is no error.
    vcl::TForm empty;
    ApplyFreqProtectCaptions(empty, 1);
    ApplyJapanUserSettingLayout(empty, 10);
    ApplyVacProtectSet(empty, 2);
}

TEST_F(DisplayOptions, VoltageProtectionSetGivesWidthStyleAndSecondStage)
{
    auto* group = Add<vcl::TPanel>("Group_UacProtection");
    group->SetBounds(0, 0, 520, 300);
    auto* title = Add("Label_UacProtection");
    title->SetBounds(10, 6, 500, 20);
    auto* second = Add<vcl::TGroupBox>("GroupBox39");
    Add("Label71");
    struct Case {
        int set;
        int width;
        const char* caption;   // of Label71
        bool secondShown;      // GroupBox39 after the set, shown before it
    };
    const Case cases[] = {
        {1, 520, "U High Off:", true}, {2, 520, "HV2", false}, {3, 520, "OV2", false},
        {0, 255, "U High Off:", true},   // "Vac1" leaves the second stage as it was
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.set);
        second->SetVisible(true);
        ApplyVacProtectSet(*form, c.set);
        EXPECT_EQ(group->Width(), c.width);
        EXPECT_EQ(title->Width(), c.width - 20);
        EXPECT_EQ(C("Label71")->Caption(), c.caption);
        EXPECT_EQ(second->Visible(), c.secondShown);
    }
    // "Vac1" after "RULE 21": the stage stays hidden, cut off by the narrow group.
    ApplyVacProtectSet(*form, 2);
    ApplyVacProtectSet(*form, 0);
    EXPECT_FALSE(second->Visible());
    EXPECT_EQ(group->Width(), 255);
    ApplyVacProtectSet(*form, 4);
    EXPECT_EQ(group->Width(), 255);
}

TEST_F(DisplayOptions, JapanUserSettingRowsFollowTheVariant)
{
    auto* title = Add("Label_JapanUserSet");
    auto* fst = Add("Label_JapFST_Name");
    // Three rows with labels and selector: one always shown, one left out by some variants and
    // the one the old layout does not place.
    for (const char* row : {"JapOVR", "JapSuppVolt", "JapUFRDelayTime", "JapAPP"}) {
        Add(QStringLiteral("Label_%1_Name").arg(row));
        Add(QStringLiteral("Label_%1").arg(row));
    }
    for (const char* combo : {"Combo_JapOVR", "Combo_JapSuppVolt", "Combo_JapUFRDelayTime"})
        Add<vcl::TComboBox>(combo);
    Add<vcl::TEdit>("Edit_JapAPP");
    struct Case {
        int variant;
        const char* title;
        const char* fst;
        int ovr, suppVolt, delay, app;   // Top of each row's labels
    };
    const Case cases[] = {
        {10, "Japan User Setting(A)", "OFR・UFR 整定時間", 50, 260, 830, 500},
        {0, "Japan User Setting(N)", "OFR 整定時間", 50, 290, 230, 530},
        {1, "Japan User Setting(O)", "OFR・UFR 整定時間", 50, 260, 1830, 500},
        {2, "Japan User Setting(AC Coupling)", "OFR 整定時間", 50, 1260, 230, 410},
    };
    auto labelsAt = [&](const char* row, int top) {
        EXPECT_EQ(C(QStringLiteral("Label_%1_Name").arg(row))->Top(), top) << row;
        EXPECT_EQ(C(QStringLiteral("Label_%1").arg(row))->Top(), top) << row;
    };
    auto selector = [&](const char* name, int labelsTop) {
        // A shown row's selector stands 2 pixels above its labels; a row out of sight shares
        // its labels' Top.
        EXPECT_EQ(C(name)->Top(), labelsTop >= 1000 ? labelsTop : labelsTop - 2) << name;
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.variant);
        ApplyJapanUserSettingLayout(*form, c.variant);
        EXPECT_EQ(title->Caption(), QString::fromUtf8(c.title));
        EXPECT_EQ(fst->Caption(), QString::fromUtf8(c.fst));
        labelsAt("JapOVR", c.ovr);
        labelsAt("JapSuppVolt", c.suppVolt);
        labelsAt("JapUFRDelayTime", c.delay);
        labelsAt("JapAPP", c.app);
        selector("Combo_JapOVR", c.ovr);
        selector("Combo_JapSuppVolt", c.suppVolt);
        selector("Combo_JapUFRDelayTime", c.delay);
        selector("Edit_JapAPP", c.app);
    }
    // A variant the layout does not know (3, as a file may hold) keeps title and rows.
    ApplyJapanUserSettingLayout(*form, 3);
    EXPECT_EQ(title->Caption(), "Japan User Setting(AC Coupling)");
    labelsAt("JapSuppVolt", 1260);
}

TEST_F(DisplayOptions, OptionItemsSetTheirMemberAndInsertTheirPanel)
{
    auto* constVolt = Add<vcl::TGroupBox>("Group_ConstVolt");
    auto* active = Add<vcl::TPanel>("Group_ActivePower");
    active->SetTag(200);
    for (const char* name : {"Label_ShowLang", "Label_LanguageSelect"})
        Add(name);
    Add<vcl::TComboBox>("Combo_LanguageSelect");
    Add<vcl::TComboBox>("Combo_ReactiveMode");
    Add<vcl::TComboBox>("Combo_ReactiveModeForJapan");
    for (int k = 1; k <= 4; ++k) {
        Add(QStringLiteral("Label_TemperTitle1%1").arg(k));
        Add(QStringLiteral("Label_TemperTitle2%1").arg(k));
    }
    Add("Label76");
    Add("Label63");
    Add("Label_GetAC2");

    ModeOptions options;
    QStringList inserted;
    QList<int> voltage;
    OptionItemHost host{*form, options, [&](const QString& panel) { inserted << panel; },
                        [&](int style) { voltage << style; }, {}};

    struct Case {
        int tag;
        int ModeOptions::*member;        // or nullptr for a flag
        std::uint8_t ModeOptions::*flag;
        int value;
        const char* panel;               // inserted, or nullptr
        int voltageStyle;                // -9: not called
    };
    const Case cases[] = {
        {1010, &ModeOptions::ShowFirmwareDates, nullptr, 0, "Group_Version", -9},
        {1011, &ModeOptions::ShowFirmwareDates, nullptr, 1, "Group_Version", -9},
        {1025, nullptr, &ModeOptions::ConstVoltShow, 1, nullptr, -9},
        {1026, nullptr, &ModeOptions::ConstVoltShow, 0, nullptr, -9},
        {1021, &ModeOptions::StateTextTable, nullptr, 1, "Group_Status", -9},
        {1032, &ModeOptions::AcLayout, nullptr, 2, nullptr, 2},
        {1030, &ModeOptions::AcLayout, nullptr, 0, nullptr, -1},
        {1038, &ModeOptions::AcLayout, nullptr, 3, nullptr, -1},
        {1036, &ModeOptions::ShowAcTitle, nullptr, 0, nullptr, -9},
        {1037, &ModeOptions::ShowAcTitle, nullptr, 1, nullptr, -9},
        {1020, &ModeOptions::StateTextTable, nullptr, 0, "Group_Status", -9},
        {1210, nullptr, &ModeOptions::WriteLock, 1, nullptr, -9},
        {1211, nullptr, &ModeOptions::WriteLock, 0, nullptr, -9},
        {2012, nullptr, &ModeOptions::LanguageSelectShow, 1, "Group_Country", -9},
        {2013, nullptr, &ModeOptions::LanguageSelectShow, 0, "Group_Country", -9},
        {2021, &ModeOptions::VacProtectSet, nullptr, 0, "Group_UacProtection", -9},
        {2022, &ModeOptions::VacProtectSet, nullptr, 1, "Group_UacProtection", -9},
        {2024, &ModeOptions::VacProtectSet, nullptr, 3, "Group_UacProtection", -9},
        {2023, &ModeOptions::VacProtectSet, nullptr, 2, "Group_UacProtection", -9},
        {2030, &ModeOptions::ShowGsFacMode, nullptr, 0, "Group_FreqProtection", -9},
        {2032, &ModeOptions::ShowGsFacMode, nullptr, 2, "Group_FreqProtection", -9},
        {2031, &ModeOptions::ShowGsFacMode, nullptr, 1, "Group_FreqProtection", -9},
        {3000, &ModeOptions::ReactiveSign, nullptr, 0, nullptr, -9},
        {3001, &ModeOptions::ReactiveSign, nullptr, 1, nullptr, -9},
        {3002, &ModeOptions::CosPhiStep, nullptr, 0, nullptr, -9},
        {3003, &ModeOptions::CosPhiStep, nullptr, 1, nullptr, -9},
        {3010, &ModeOptions::ReactivePowerMode, nullptr, 0, "Group_ReactivePower", -9},
        {3011, &ModeOptions::ReactivePowerMode, nullptr, 1, "Group_ReactivePower", -9},
        {3020, &ModeOptions::ShowQofUMode, nullptr, 0, "Group_QUCtrl", -9},
        {3021, &ModeOptions::ShowQofUMode, nullptr, 1, "Group_QUCtrl", -9},
        {3041, nullptr, &ModeOptions::ActiveSlopeShow, 1, "Group_ActivePower", -9},
        {50213, &ModeOptions::JapanUserSettingMode, nullptr, 10, "Group_JapUserSet", -9},
        {50210, &ModeOptions::JapanUserSettingMode, nullptr, 0, "Group_JapUserSet", -9},
        {50212, &ModeOptions::JapanUserSettingMode, nullptr, 2, "Group_JapUserSet", -9},
        {50211, &ModeOptions::JapanUserSettingMode, nullptr, 1, "Group_JapUserSet", -9},
        {1120, nullptr, nullptr, 0, "Group_Temper1", -9},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tag);
        inserted.clear();
        voltage.clear();
        EXPECT_TRUE(RunOptionItem(c.tag, host));
        if (c.member) {
            EXPECT_EQ(options.*c.member, c.value);
        }
        if (c.flag) {
            EXPECT_EQ(options.*c.flag, c.value);
        }
        EXPECT_EQ(inserted, c.panel ? QStringList{c.panel} : QStringList{});
        // As a std::vector: Qt's own comparison of two empty lists hands memcmp a null pointer.
        const std::vector<int> styles(voltage.begin(), voltage.end());
        EXPECT_EQ(styles, c.voltageStyle == -9 ? std::vector<int>{} : std::vector<int>{c.voltageStyle});
    }
    // What the items did to the controls on the way.
    EXPECT_FALSE(constVolt->Visible());
    EXPECT_FALSE(C("Combo_LanguageSelect")->Visible());
    EXPECT_FALSE(C("Combo_ReactiveMode")->Visible());
    EXPECT_TRUE(C("Combo_ReactiveModeForJapan")->Visible());
    EXPECT_EQ(C("Label76")->Caption(), "HF2");
    EXPECT_EQ(C("Label63")->Caption(), "Q4");
    EXPECT_EQ(C("Label_GetAC2")->Caption(), "VBC");
    EXPECT_EQ(active->Tag(), 250) << "the panel opens at the slope height";
    EXPECT_EQ(C("Label_TemperTitle14")->Caption(), "Inverter-S");
    ASSERT_TRUE(RunOptionItem(1121, host));
    EXPECT_EQ(C("Label_TemperTitle24")->Caption(), "TAMB");
    ASSERT_TRUE(RunOptionItem(3040, host));
    EXPECT_EQ(active->Tag(), 200);
    EXPECT_EQ(options.ActiveSlopeShow, 0);

    // Panel items, submenu headers and unknown Tags are no option items.
    for (int tag : {0, 103, 301, 999, 6040, 12345}) {
        const ModeOptions before = options;
        EXPECT_FALSE(RunOptionItem(tag, host)) << tag;
        EXPECT_EQ(options.AcLayout, before.AcLayout);
    }
}

TEST(DesignerMenu, ItemsNameExistingPanelsAndPathsFindThem)
{
    testsupport::EnsureApplication();
    std::set<int> tags;
    for (const DesignerMenuEntry& e : DesignerMenuEntries()) {
        if (e.panel) {
            EXPECT_GE(GroupPanelIndex(QString::fromLatin1(e.panel)), 0) << e.panel;
        }
        if (e.tag != 0 && e.tag != 301) {
            EXPECT_TRUE(tags.insert(e.tag).second) << "Tag " << e.tag << " twice";
        }
    }
    EXPECT_EQ(DesignerMenuPanel(205), "Group_ErrorCodes");
    EXPECT_EQ(DesignerMenuPanel(212), "Group_DailyEnergy");
    EXPECT_EQ(DesignerMenuPanel(5023), "Group_DailyEnergy");
    EXPECT_EQ(DesignerMenuPanel(1010), QString()) << "an option item";

    vcl::TForm form;
    auto* menu = new vcl::TPopupMenu(&form);
    QList<int> clicked;
    BuildDesignerMenu(&form, menu, [&](vcl::TObject* s) { clicked << static_cast<vcl::TMenuItem*>(s)->Tag(); });
    struct Case {
        const char* path;
        int tag;   // -1: not reachable
    };
    const Case cases[] = {
        {"Main Page/1. Version/Show Date Code", 1011},
        {"Main Page/3.Output/Option/Auto 3P(L-L/L-N)", 1030},   // a caption with "/" in it
        {"Main Page/3.Output/4. LN & ST", 1034},                // "&&" shows as "&"
        {"Ctrl Page/16. Q(P) for Q by night & Q 24/7", 316},
        {"Config Page/2. Uac Protection/Vac1 & Vac2", 2022},
        {"Custom/Japan 1P/Japan User Setting/ALL", 50213},
        {"Calibration/到貨檢查", 406},
        {"Talvera/Output1", -1},                                 // hidden submenu
        {"Main Page/1. Version/Nothing", -1},
        {"Main Page/-", -1},
    };
    for (const Case& c : cases) {
        vcl::TMenuItem* item = menu->FindPath(QString::fromUtf8(c.path));
        if (c.tag < 0) {
            EXPECT_EQ(item, nullptr) << c.path;
            continue;
        }
        ASSERT_NE(item, nullptr) << c.path;
        EXPECT_EQ(item->Tag(), c.tag) << c.path;
        item->Click();
    }
    EXPECT_EQ(clicked, (QList<int>{1011, 1030, 1034, 316, 2022, 50213, 406}));
    // The bound submenu headers run the handler too; the plain ones do not.
    clicked.clear();
    menu->FindPath(QStringLiteral("Main Page/1. Version"))->Click();
    menu->FindPath(QStringLiteral("Ctrl Page/1. Reactive Power"))->Click();
    menu->FindPath(QStringLiteral("Main Page/3.Output"))->Click();
    EXPECT_EQ(clicked, (QList<int>{0, 301}));
}

} // namespace

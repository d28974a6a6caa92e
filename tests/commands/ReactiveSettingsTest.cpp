// The reactive and active power settings on the real panels: every kind of control posts the
// command its row gives, with the Ind/Cap sign of its chooser and the mode's cos φ step; the
// two Q(P) panels write their own blocks; strict entries refuse what is no whole number.
#include "CommandsSupport.h"

#include "app/ReactiveSettings.h"
#include "groups/ReactivePower.h"
#include "link/Modbus.h"
#include "vcl/Kit.h"
#include "vcl/Services.h"
#include "vcl/UserDriver.h"

#include <gtest/gtest.h>
#include <memory>

namespace {

const char* const kPanels[] = {"Group_ReactivePower", "Group_CosPCtrl",     "Group_QUCtrl",        "Group_CosphiOfU",
                               "Group_QbyNight",      "Group_QofP",         "Group_QofP_DayTime",  "Group_ExtendCosphiP",
                               "Group_ActivePower",   "Group_PUFunction",   "Group_VoltageSuppression",
                               "Group_JapanActivePower"};

class ReactiveSettings : public ::testing::Test {
protected:
    void SetUp() override
    {
        EnsureApplication();
        vcl::SetDialogService(&dialogs);
        form = std::make_unique<vcl::TForm>();
        form->SetName("Form_Test");
        int top = 0;
        for (const char* name : kPanels) {
            auto* p = new vcl::TPanel(form.get());
            p->SetName(name);
            p->SetParent(form.get());
            p->SetBounds(0, top, 300, 460);
            top += 465;
        }
        groups::BuildReactiveGroups(*form);
        ctx.link = &link;
        ctx.form = form.get();
        ctx.reactiveSign = &sign;
        ctx.cosPhiStep = &step;
        bound = settings::BindTable(settings::ReactiveBindings(), ctx);
        user = std::make_unique<vcl::UserDriver>(form.get());
    }
    void TearDown() override
    {
        user.reset();
        form.reset();
        vcl::SetDialogService(nullptr);
    }
    int Word() const { return static_cast<std::uint16_t>(link.CommandValue); }
    // "enter TEXT", "pick N", "top N" (scroll a chooser: posts nothing by itself)
    void Act(const char* control, const char* action)
    {
        const QString a = QString::fromLatin1(action);
        if (a.startsWith("enter "))
            user->Enter(control, a.mid(6));
        else if (a.startsWith("pick "))
            user->Pick(control, a.mid(5).toInt());
        else
            user->ScrollTop(control, a.mid(4).toInt());
    }

    RecordedDialogs dialogs;
    std::unique_ptr<vcl::TForm> form;
    Modbus link;
    int sign = 0;
    int step = 0;
    settings::Context ctx;
    std::unique_ptr<vcl::UserDriver> user;
    int bound = 0;
};

TEST_F(ReactiveSettings, EveryControlPostsItsCommandAndMarksItsLabel)
{
    EXPECT_EQ(bound, static_cast<int>(settings::ReactiveBindings().size()));
    // Shown as an answering inverter and a Japanese-market mode show them.
    for (const char* n : {"Item_ResponseDelay", "Combo_ReactiveModeForJapan"})
        dynamic_cast<vcl::TControl*>(form->FindComponent(QLatin1String(n)))->SetVisible(true);
    struct Case {
        const char* control;
        const char* action;
        int address;
        int value;
        const char* label;   // painted red
    };
    const Case cases[] = {
        {"Combo_ReactiveMode", "pick 12", 33616, 12, "Label_ReactiveMode"},
        {"Combo_ReactiveModeForJapan", "pick 2", 33616, 8, "Label_ReactiveMode"},
        {"Combo_ReactiveModeForJapan", "pick 1", 33616, 1, "Label_ReactiveMode"},
        {"Edit_FixKvar", "enter 30", 33624, 30, "Label_FixKvar"},
        {"Edit_ReDelayT", "enter 1.5", 33633, 150, "Label_ReDelayT"},
        {"Combo_ReactiveNightMode", "pick 0", 48766, 0, "Label_ReactiveNightMode"},
        {"Combo_ReactiveNightMode", "pick 2", 48766, 14, "Label_ReactiveNightMode"},
        {"Combo_ReactiveNightMode", "pick 3", 48766, 15, "Label_ReactiveNightMode"},
        {"Edit_PowerUp", "enter 100", 33622, 100, "Label_PowerUp"},
        {"Edit_PowerLow", "enter 50", 33621, 50, "Label_PowerLow"},
        {"Edit_CosLockInVolt", "enter 241.5", 48786, 2415, "Label_CosLockInVolt"},
        {"Edit_CosLockOutVolt", "enter 230", 48787, 2300, "Label_CosLockOutVolt"},
        {"Edit_UacMin", "enter 207", 33628, 2070, "Label_UacMin"},
        {"Edit_UacUp", "enter 241.5", 33631, 2415, "Label_UacUp"},
        {"Edit_Hystersis", "enter 2", 33632, 20, "Label_Hystersis"},
        {"Edit_UacLockOut", "enter 5", 33637, 5, "Label_UacLockOut"},
        {"Combo_ResponseDelay", "pick 30", 33638, 3000, "Label_ResponseDelay"},
        {"Combo_ResponseDelay", "pick 5", 33638, 500, "Label_ResponseDelay"},
        {"Edit_CosphiOfU_Vmax", "enter 253", 48820, 2530, "Label_CosphiOfU_Vmax"},
        {"Edit_CosphiOfU_Lockin", "enter 7", 48823, 7, "Label_CosphiOfU_Lockin"},
        {"Combo_QTMode", "pick 1", 48798, 1, "Label_QTMode"},
        {"Edit_ConstQ_Percent", "enter -10", 48799, 0xFFF6, "Label_ConstQ_Percent"},
        {"Edit_QP_Lockin_V", "enter 241.5", 48804, 2415, "Label_QP_Lockin_V"},
        {"Edit_QU_Vmin", "enter 207", 48808, 2070, "Label_QU_Vmin"},
        {"Edit_QU_P_Lock_out", "enter 5", 48813, 5, "Label_QU_P_Lock_out"},
        {"Edit_Response_Delay", "enter 10", 48815, 1000, "Label_Response_Delay"},
        {"Edit_ExtendCosphiP_SetPoint", "enter 4", 48848, 4, "Label_ExtendCosphiP_SetPoint"},
        {"Edit_ExtendCosphiP_P1", "enter 20", 48849, 200, "Label_ExtendCosphiP_P1"},
        {"Edit_ExtendCosphiP_P8", "enter 100", 48863, 1000, "Label_ExtendCosphiP_P8"},
        {"Edit_CosLockInVolt_ext", "enter 240", 48786, 2400, "Label_CosLockInVolt_Ext"},
        {"Edit_CosLockOutVolt_Ext", "enter 229.9", 48787, 2299, "Label_CosLockOutVolt_Ext"},
        {"Combo_PowerManageMode", "pick 1", 798, 1, "Label_PowerManageMode"},
        {"Edit_PowerManage", "enter 70", 799, 70, "Label_PowerManage"},
        {"Edit_RampUp", "enter 10", 864, 10, "Label_RampUp"},
        {"Edit_ActiveSlope", "enter 10", 48514, 10, "Label_ActiveSlope"},
        {"Combo_ProvrMode", "pick 1", 48544, 1, "Label_ProvrMode"},
        {"Edit_ProvrRecTime", "enter 60", 48545, 60, "Label_ProvrRecTime"},
        {"Edit_ProvrLockInV", "enter 253.5", 48548, 2535, "Label_ProvrLockInV"},
        {"Edit_StopVoltage_Vac", "enter 265", 48551, 2650, "Label_StopVoltage_Vac"},
        {"Edit_PofU_Pend", "enter 20", 48552, 20, "Label_PofU_Pend"},
        {"Edit_ReDelayT1", "enter 1.5", 48783, 150, "Label_ReDelayT1"},
        {"Edit_VoltageSuppression_V1", "enter 248", 48790, 2480, "Label_VoltageSuppression_V1"},
        {"Edit_VoltageSuppression_PF", "enter 0.95", 48791, 95, "Label_VoltageSuppression_PF"},
        {"Edit_VoltageSuppression_PL", "enter 80", 48793, 80, "Label_VoltageSuppression_PL"},
        {"Combo_JapanActivePercentage", "pick 75", 25362, 75, "Label_JapanActivePercentage"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.control) + " " + c.action);
        link.CommandCode = 0;
        link.CommandAddress = 0;
        if (auto* l = dynamic_cast<vcl::TLabel*>(form->FindComponent(QLatin1String(c.label))))
            l->Font()->SetColor(vcl::clBlue);
        Act(c.control, c.action);
        EXPECT_EQ(link.CommandCode, 6);
        EXPECT_EQ(link.CommandAddress, c.address);
        EXPECT_EQ(Word(), c.value);
        EXPECT_EQ(user->Color(c.label), vcl::clRed);
    }
    EXPECT_TRUE(dialogs.shown.isEmpty());
}

// The sides: the chooser's row in view (not its selection) against the mode's convention; the
// fixed cos φ and the cos φ(P) limits follow the step; cos φ(U) is always in thousandths.
TEST_F(ReactiveSettings, SidesAndStepsOfTheReactiveEntries)
{
    struct Case {
        const char* edit;
        const char* chooser;
        const char* text;
        int top;      // 0 "Ind", 1 "Cap"
        int sign;     // ReactiveSign
        int step;     // CosPhiStep
        int address;
        int value;
    };
    const Case cases[] = {
        {"Edit_FixCos", "List_CosRange", "0.95", 0, 0, 0, 33617, 95},
        {"Edit_FixCos", "List_CosRange", "0.95", 1, 0, 0, 33617, 0xFFA1},   // -95
        {"Edit_FixCos", "List_CosRange", "0.9", 1, 0, 0, 33617, 0xFFA6},    // -90
        {"Edit_FixCos", "List_CosRange", "0.9", 1, 0, 1, 48795, 0xFC7C},    // -900
        {"Edit_FixCos", "List_CosRange", "0.9", 1, 1, 0, 33617, 90},
        {"Edit_FixCos", "List_CosRange", "0.9", 1, 1, 1, 48795, 900},
        {"Edit_FixCos", "List_CosRange", "0.95", 0, 1, 0, 33617, 0xFFA1},   // Ind under the other convention
        {"Edit_FixCos", "List_CosRange", "-0.95", 1, 0, 0, 33617, 95},      // a typed minus is turned too
        {"Edit_CosUp", "List_CosUp", "0.9", 0, 0, 1, 48796, 900},
        {"Edit_CosLow", "List_CosLow", "0.9", 1, 0, 0, 33620, 0xFFA6},
        {"Edit_CosLow", "List_CosLow", "0.95", 1, 0, 1, 48797, 0xFC4A},    // -950
        {"Edit_FixKvar", "List_FixKvar", "30", 1, 0, 0, 33624, 0xFFE2},
        {"Edit_KvarUp", "List_KvarUp", "44", 1, 0, 0, 33626, 0xFFD4},
        {"Edit_KvarLow", "List_KvarLow", "44", 0, 0, 0, 33627, 44},
        {"Edit_CosphiOfU_UpperLimit", "List_CosphiOfU_UpperLimit", "0.95", 0, 0, 0, 48817, 950},
        {"Edit_CosphiOfU_UpperLimit", "List_CosphiOfU_UpperLimit", "0.95", 1, 0, 1, 48817, 0xFC4A},
        {"Edit_CosphiOfU_LowerLimit", "List_CosphiOfU_LowerLimit", "0.9", 1, 0, 0, 48818, 0xFC7C},
        {"Edit_QofP_Q3", "List_QofP_RangeQ3", "12.5", 0, 0, 0, groups::kQofPBlock + 9, 125},
        {"Edit_QofP_Q3_DT", "List_QofP_RangeQ3_DT", "12.5", 1, 0, 0, groups::kQofPDaytimeBlock + 9, 0xFF83},
        {"Edit_ExtendCosphiP_CosP3", "Combo_ExtendCosphiP_CosP3", "90", 1, 0, 0, 48854, 0xFC7C},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.edit) + " " + c.text + " top " + std::to_string(c.top) + " sign " +
                     std::to_string(c.sign) + " step " + std::to_string(c.step));
        sign = c.sign;
        step = c.step;
        auto* chooser = dynamic_cast<vcl::TListBox*>(form->FindComponent(QLatin1String(c.chooser)));
        ASSERT_TRUE(chooser);
        ASSERT_EQ(chooser->Items()->Count(), 2);
        chooser->SetItemIndex(1 - c.top);   // the selection does not count
        user->ScrollTop(c.chooser, c.top);
        ASSERT_EQ(user->Top(c.chooser), c.top);
        link.CommandCode = 0;
        user->Enter(c.edit, c.text);
        EXPECT_EQ(link.CommandCode, 6);
        EXPECT_EQ(link.CommandAddress, c.address);
        EXPECT_EQ(Word(), c.value);
    }
}

TEST_F(ReactiveSettings, AStepTheModeDoesNotDefinePostsNothing)
{
    step = 2;
    for (const char* edit : {"Edit_FixCos", "Edit_CosUp", "Edit_CosLow"}) {
        SCOPED_TRACE(edit);
        const QString label = QStringLiteral("Label_") + QString::fromLatin1(edit).mid(5);
        link.CommandCode = 0;
        user->Enter(edit, "0.95");
        EXPECT_EQ(link.CommandCode, 0);
        EXPECT_EQ(user->Color(label), vcl::clBlue);
    }
    // cos φ(U) has one resolution only: it still posts.
    user->Enter("Edit_CosphiOfU_UpperLimit", "0.95");
    EXPECT_EQ(link.CommandAddress, 48817);
    EXPECT_EQ(Word(), 950);
}

// Each Q(P) panel writes the block its reader reads: mode, set points, then P and Q of each point.
TEST_F(ReactiveSettings, EachQofPPanelWritesItsOwnBlock)
{
    struct Panel {
        const char* suffix;
        int block;
    };
    for (const Panel& p : {Panel{"", groups::kQofPBlock}, Panel{"_DT", groups::kQofPDaytimeBlock}}) {
        SCOPED_TRACE(p.suffix);
        const QString s = QLatin1String(p.suffix);
        user->Pick(QStringLiteral("Combo_QofP_Mode") + s, 1);
        EXPECT_EQ(link.CommandAddress, p.block);
        EXPECT_EQ(Word(), 1);
        EXPECT_EQ(user->Color(QStringLiteral("Label_QofP_Mode") + s), vcl::clRed);
        user->Enter(QStringLiteral("Edit_QofP_SetPoint") + s, "4");
        EXPECT_EQ(link.CommandAddress, p.block + 1);
        EXPECT_EQ(Word(), 4);
        for (int k : {0, 9}) {
            const QString n = QString::number(k);
            user->Enter(QStringLiteral("Edit_QofP_P") + n + s, "0.1");
            EXPECT_EQ(link.CommandAddress, p.block + 2 + 2 * k);
            EXPECT_EQ(Word(), 1);
            EXPECT_EQ(user->Color(QStringLiteral("Label_QofP_P") + n + s), vcl::clRed);
            user->Enter(QStringLiteral("Edit_QofP_Q") + n + s, "33");
            EXPECT_EQ(link.CommandAddress, p.block + 3 + 2 * k);
            EXPECT_EQ(Word(), 330);
            EXPECT_EQ(user->Color(QStringLiteral("Label_QofP_Q") + n + s), vcl::clRed);
        }
    }
    // The last point of the daytime block is its 22nd word.
    EXPECT_EQ(link.CommandAddress, 48886);
}

TEST_F(ReactiveSettings, StrictEntriesRefuseWhatIsNoWholeNumber)
{
    for (const char* edit : {"Edit_FixKvar", "Edit_KvarUp", "Edit_KvarLow", "Edit_PowerUp", "Edit_PowerLow",
                             "Edit_UacLockIn", "Edit_UacLockOut", "Edit_PowerManage", "Edit_RampUp",
                             "Edit_ProvrRecTime", "Edit_ProvrLockInP", "Edit_ProvrLockOutP"}) {
        SCOPED_TRACE(edit);
        const QString label = QStringLiteral("Label_") + QString::fromLatin1(edit).mid(5);
        link.CommandCode = 0;
        user->Enter(edit, "");
        EXPECT_EQ(dialogs.TakeShown(), QStringList{"'' is not a valid integer value"});
        user->Enter(edit, "2.5");
        EXPECT_EQ(dialogs.TakeShown(), QStringList{"'2.5' is not a valid integer value"});
        EXPECT_EQ(link.CommandCode, 0);
        EXPECT_NE(user->Color(label), vcl::clRed);
    }
}

// The Japanese-market lists: the choice's text or index, and the list's own text turns red
// (and stays so: no reader turns a list blue).
TEST_F(ReactiveSettings, JapaneseListsMarkThemselves)
{
    struct Case {
        const char* combo;
        int pick;
        int address;
        int value;
    };
    const Case cases[] = {{"Combo_JapanActiveSlope", 2, 25363, 180},
                          {"Combo_JapanActiveSlope", 9, 25363, 600},
                          {"Combo_JapanPowerManage", 1, 25361, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.combo);
        user->Pick(c.combo, c.pick);
        EXPECT_EQ(link.CommandAddress, c.address);
        EXPECT_EQ(Word(), c.value);
        EXPECT_EQ(user->Color(c.combo), vcl::clRed);
    }
    EXPECT_EQ(user->Color("Label_JapanPowerManage"), vcl::clBlue);
    EXPECT_EQ(user->Items("Combo_JapanActivePercentage").size(), 101);
    EXPECT_EQ(user->Items("Combo_JapanActivePercentage").at(75), "75");
}

} // namespace

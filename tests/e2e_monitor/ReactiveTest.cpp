// The power-control pages of the real window against the simulated inverter: the reactive and
// active power panels show the inverter's settings, every kind of their settings writes its
// frame (with the Ind/Cap side and the cos φ step), the label turns red and blue again when the
// value is read back, and a silent inverter turns the values into red "??".
#include "MonitorFixture.h"

#include "tools/invsim/Faults.h"

namespace {

using namespace monitortest;

class PowerControlPage : public MonitorWindow {
protected:
    // The mode's page behind an access code, on its tab, with the link open (single cycles).
    void Open(const char* mode, const char* code, int tab)
    {
        Prepare(mode);
        dialogs.answers.push_back(code);
        driver->ChooseTab("PageControl", tab);
        OpenWithoutLoop();
    }
    std::vector<std::pair<int, int>> Writes() const
    {
        std::vector<std::pair<int, int>> out;
        for (const auto& f : bus.Frames())
            if (f.bytes.size() >= 6 && f.bytes[1] == 6)
                out.emplace_back((f.bytes[2] << 8 | f.bytes[3]) + 1, f.bytes[4] << 8 | f.bytes[5]);
        return out;
    }
    struct Case {
        const char* control;
        const char* action;   // "enter TEXT", "pick N", "top N" (scroll a chooser first)
        int reg;
        int value;
        const char* label;    // red after the post, blue and showing `shown` after the read-back
        const char* shown;
    };
    void Run(const Case& c)
    {
        SCOPED_TRACE(std::string(c.control) + " " + c.action);
        bus.ClearFrames();
        const QString action = QString::fromLatin1(c.action);
        if (action.startsWith("enter "))
            driver->Enter(c.control, action.mid(6));
        else
            driver->Pick(c.control, action.mid(5).toInt());
        EXPECT_EQ(driver->Color(c.label), vcl::clRed);
        ASSERT_EQ(window->PollCycle(), 0);   // readers skip, the command runs at the cycle's end
        EXPECT_EQ(Writes(), (std::vector<std::pair<int, int>>{{c.reg, c.value}}));
        ASSERT_EQ(window->PollCycle(), 0);
        EXPECT_EQ(driver->Color(c.label), vcl::clBlue);
        EXPECT_EQ(Text(c.label), QString::fromUtf8(c.shown));
    }
    // Pictures of the page's panels with the simulator's values, for a person to look at.
    void Pictures(const char* prefix) const
    {
        const QByteArray dir = qgetenv("SUNVANE_SCREENSHOTS");
        if (dir.isEmpty())
            return;
        for (vcl::TPanel* p : window->GroupPanels)
            if (p->Visible())
                p->Handle()->grab().save(QString::fromUtf8(dir) + u'/' + QLatin1String(prefix) + p->Name() + QStringLiteral(".png"));
    }
    void ExpectShown(std::initializer_list<std::pair<const char*, const char*>> expected)
    {
        for (const auto& [name, text] : expected) {
            EXPECT_EQ(Text(name), QString::fromUtf8(text)) << name;
            EXPECT_EQ(driver->Color(name), vcl::clBlue) << name;
        }
    }
};

TEST_F(PowerControlPage, ShowsTheSettingsAndWritesThem)
{
    Open("Monitor", "4780", 2);
    ASSERT_TRUE(driver->Visible("Label_FixCos"));
    ASSERT_TRUE(driver->Visible("Label_UacLockOut"));
    ASSERT_TRUE(driver->Visible("Combo_ReactiveMode"));
    ASSERT_FALSE(driver->Visible("Combo_ReactiveModeForJapan"));
    ASSERT_EQ(window->PollCycle(), 0);
    ExpectShown({{"Label_ReactiveMode", "cos(φ) of P Control"}, {"Label_FixCos", "Ind 0.95"},
                 {"Label_FixKvar", "Cap 10%"}, {"Label_ReDelayT", "10.00 sec"},
                 {"Label_ReactiveNightMode", "Disable"}, {"Label_CosUp", "Ind 0.90"}, {"Label_CosLow", "1"},
                 {"Label_CosLockInVolt", "241.5 V"}, {"Label_KvarUp", "Cap 44%"}, {"Label_KvarLow", "Ind 44%"},
                 {"Label_UacLow", "218.5 V"}, {"Label_UacLockIn", "20 %"}, {"Label_PowerManageMode", "Enable"},
                 {"Label_PowerManage", "70 %"}, {"Label_RampUp", "10 %"}, {"Label_ProvrLockOutV", "248.0 V"},
                 {"Label_ReDelayT1", "3.00 sec"}});
    Pictures("grid_");
    // This mode does not show the slope: it is not read.
    EXPECT_EQ(Text("Label_ActiveSlope"), "???");
    EXPECT_EQ(RequestsFor(48514, 3), 0);
    EXPECT_EQ(driver->Text("Label63"), "Q_Vmax");
    EXPECT_TRUE(Writes().empty());

    const Case cases[] = {
        {"Edit_FixCos", "enter 0.9", 33617, 90, "Label_FixCos", "Ind 0.90"},
        {"Combo_ReactiveMode", "pick 4", 33616, 4, "Label_ReactiveMode", "Q(U) Control"},
        {"Edit_CosLockOutVolt", "enter 229.5", 48787, 2295, "Label_CosLockOutVolt", "229.5 V"},
        {"Edit_UacMax", "enter 255", 33629, 2550, "Label_UacMax", "255.0 V"},
        {"Combo_ReactiveNightMode", "pick 1", 48766, 13, "Label_ReactiveNightMode", "Fixed Kvar 24/7"},
        {"Edit_PowerManage", "enter 60", 799, 60, "Label_PowerManage", "60 %"},
        {"Combo_PowerManageMode", "pick 0", 798, 0, "Label_PowerManageMode", "Disable"},
        {"Edit_ReDelayT1", "enter 1.5", 48783, 150, "Label_ReDelayT1", "1.50 sec"},
    };
    for (const Case& c : cases)
        Run(c);

    // The sides: scrolled to "Cap", the same entries write the other sign.
    driver->ScrollTop("List_CosRange", 1);
    driver->ScrollTop("List_KvarUp", 0);
    const Case sides[] = {
        {"Edit_FixCos", "enter 0.95", 33617, 0xFFA1, "Label_FixCos", "Cap 0.95"},
        {"Edit_KvarUp", "enter 30", 33626, 30, "Label_KvarUp", "Ind 30%"},
    };
    for (const Case& c : sides)
        Run(c);
    // A strict entry that is no whole number writes nothing and says so.
    bus.ClearFrames();
    driver->Enter("Edit_KvarLow", "4.5");
    ASSERT_EQ(window->PollCycle(), 0);
    EXPECT_TRUE(Writes().empty());
    EXPECT_TRUE(dialogs.shown.contains("'4.5' is not a valid integer value"));

    // The inverter falls silent: the shown values turn into red "??".
    invsim::Fault silence;
    silence.kind = invsim::FaultKind::Silence;
    bus.AddFault(1, silence);
    for (int cycle = 0; cycle < 12 && driver->Color("Label_FixCos") != vcl::clRed; ++cycle)
        if (window->PollCycle() != 0)
            break;
    for (const char* name : {"Label_FixCos", "Label_KvarUp", "Label_PowerManage", "Label_ReDelayT1"}) {
        EXPECT_EQ(Text(name), "??") << name;
        EXPECT_EQ(driver->Color(name), vcl::clRed) << name;
    }
}

// The mode's cos φ step in thousandths: the fine registers are read and written.
TEST_F(PowerControlPage, ThousandthsStep)
{
    ASSERT_TRUE(ReplaceInFile(home.path() + "/Monitor/MonitorSet.RQX", "CosPhiSet=0", "CosPhiSet=1"));
    ASSERT_TRUE(ReplaceInFile(home.path() + "/Monitor/MonitorSet.RQX", "ShowQofUMode=0", "ShowQofUMode=1"));
    Open("Monitor", "4780", 2);
    ASSERT_EQ(window->PollCycle(), 0);
    ExpectShown({{"Label_FixCos", "Ind 0.950"}, {"Label_CosUp", "Ind 0.900"}});
    EXPECT_EQ(RequestsFor(48795, 3), 1);
    // The Q(U) captions of this mode name the curve's points.
    EXPECT_EQ(driver->Text("Label63"), "Q4");
    EXPECT_EQ(driver->Text("Label77"), "V2");
    driver->ScrollTop("List_CosLow", 1);
    const Case cases[] = {
        {"Edit_FixCos", "enter 0.9", 48795, 900, "Label_FixCos", "Ind 0.900"},
        {"Edit_CosLow", "enter 0.95", 48797, 0xFC4A, "Label_CosLow", "Cap 0.950"},
    };
    for (const Case& c : cases)
        Run(c);
}

// The curve pages: each Q(P) panel writes the block it shows; the night values and the
// extended cos φ(P) points.
TEST_F(PowerControlPage, CurvesWriteWhereTheyAreRead)
{
    Open("Monitor", "2059", 2);
    ASSERT_TRUE(driver->Visible("Label_QofP_Q3"));
    ASSERT_TRUE(driver->Visible("Label_ExtendCosphiP_CosP4"));
    ASSERT_TRUE(driver->Visible("Label_QofP_Q3_DT"));
    ASSERT_EQ(window->PollCycle(), 0);
    ExpectShown({{"Label_QofP_Mode", "Rated"}, {"Label_QofP_P2", "100.0%"}, {"Label_QofP_Q2", "Ind  33.0%"},
                 {"Label_QofP_Q0", "Cap 0"}, {"Label_QofP_Mode_DT", "Actual"}, {"Label_QofP_Q3_DT", "Cap  33.0%"},
                 {"Label_ExtendCosphiP_CosP4", "Ind  90.0%"},
                 {"Label_CosLockInVolt_Ext", "241.5 V"}, {"Label_ConstQ_Percent", "10 %"},
                 {"Label_QU_Vmin", "207.0V"}, {"Label_Response_Delay", "10.00 sec"},
                 {"Label_CosphiOfU_LowerLimit", "Cap 0.900"}});
    driver->ScrollTop("List_QofP_RangeQ4", 1);
    driver->ScrollTop("Combo_ExtendCosphiP_CosP2", 1);
    Pictures("curves_");
    const Case cases[] = {
        {"Edit_QofP_Q3", "enter 12.5", 48835, 125, "Label_QofP_Q3", "Ind  12.5%"},
        {"Edit_QofP_Q4", "enter 20", 48837, 0xFF38, "Label_QofP_Q4", "Cap  20.0%"},
        {"Edit_QofP_P3", "enter 75", 48834, 750, "Label_QofP_P3", "75.0%"},
        {"Combo_QofP_Mode", "pick 1", 48826, 1, "Label_QofP_Mode", "Actual"},
        {"Edit_QofP_Q3_DT", "enter 5", 48874, 50, "Label_QofP_Q3_DT", "Ind  5.0%"},
        {"Combo_QofP_Mode_DT", "pick 0", 48865, 0, "Label_QofP_Mode_DT", "Rated"},
        {"Edit_ExtendCosphiP_CosP2", "enter 95", 48852, 0xFC4A, "Label_ExtendCosphiP_CosP2", "Cap  95.0%"},
        {"Edit_ExtendCosphiP_P2", "enter 25", 48851, 250, "Label_ExtendCosphiP_P2", "25.0%"},
        {"Edit_CosLockInVolt_ext", "enter 242", 48786, 2420, "Label_CosLockInVolt_Ext", "242.0 V"},
        {"Edit_QU_V1", "enter 220", 48810, 2200, "Label_QU_V1", "220.0V"},
        {"Edit_CosphiOfU_UpperLimit", "enter 0.92", 48817, 920, "Label_CosphiOfU_UpperLimit", "Ind 0.920"},
    };
    for (const Case& c : cases)
        Run(c);
}

// A mode with the active power slope: the taller panel uncovers its row, and it is read.
TEST_F(PowerControlPage, SlopeUnderItsOption)
{
    Open("Storage", "4780", 2);
    ASSERT_TRUE(driver->Visible("Label_ActiveSlope"));
    EXPECT_EQ(driver->Tag("Group_ActivePower"), 250);
    ASSERT_EQ(window->PollCycle(), 0);
    ExpectShown({{"Label_ActiveSlope", "60 sec"}, {"Label_PowerManage", "70 %"}});
    const Case cases[] = {
        {"Edit_ActiveSlope", "enter 120", 48514, 120, "Label_ActiveSlope", "120 sec"},
        {"Edit_ActiveSlope", "enter 0", 48514, 0, "Label_ActiveSlope", "0 sec"},
        {"Edit_RampUp", "enter 15", 864, 15, "Label_RampUp", "15 %"},
    };
    for (const Case& c : cases)
        Run(c);
}

// The Japanese-market mode: the short mode list, voltage suppression.
TEST_F(PowerControlPage, JapaneseModeList)
{
    Open("Japan", "4780", 2);
    ASSERT_TRUE(driver->Visible("Combo_ReactiveModeForJapan"));
    ASSERT_FALSE(driver->Visible("Combo_ReactiveMode"));
    ASSERT_TRUE(driver->Visible("Label_VoltageSuppression_PF"));
    ASSERT_EQ(window->PollCycle(), 0);
    ExpectShown({{"Label_VoltageSuppression_V1", "248.0 V"}, {"Label_VoltageSuppression_PF", "0.90"},
                 {"Label_VoltageSuppression_PL", "80 %"}});
    Pictures("japan_");
    const Case cases[] = {
        {"Combo_ReactiveModeForJapan", "pick 2", 33616, 8, "Label_ReactiveMode", "Voltage suppression"},
        {"Edit_VoltageSuppression_PF", "enter 0.95", 48791, 95, "Label_VoltageSuppression_PF", "0.95"},
    };
    for (const Case& c : cases)
        Run(c);
}

} // namespace

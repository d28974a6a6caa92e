// The live values in the real program against the simulated demonstration inverter: the AC
// layouts' readers in the polling loop, and the shipped "GridTied" mode driven from outside.
#include "MonitorFixture.h"

#include "support/QtApp.h"
#include "support/RemoteProgram.h"

#include <QRegularExpression>

namespace {

using namespace monitortest;

// Page selects (register 800) of the frames received, in order.
std::vector<int> PagesSelected(const invsim::Bus& bus)
{
    std::vector<int> pages;
    for (const auto& f : bus.Frames())
        if (f.bytes.size() == 8 && f.bytes[1] == 6 && (f.bytes[2] << 8 | f.bytes[3]) == 799)
            pages.push_back(f.bytes[4] << 8 | f.bytes[5]);
    return pages;
}

TEST_F(MonitorWindow, EachAcLayoutReadsItsOwnReaders)
{
    Prepare();
    OpenWithoutLoop();
    TForm_Main& w = *window;
    HideEveryGroup();
    for (const char* name : {"Group_GetAC1", "Group_GetAC2", "Group_GetAC3", "Group_TotalPower"})
        w.GroupPanel(QString::fromLatin1(name))->SetVisible(true);
    w.PollCycleCount = 1;   // no version group in these cycles: the demonstration's factors by hand
    w.VoltageDivisor = 100;
    w.IacDivisor = 10;
    struct Case { int layout; int outputBlocks; std::vector<int> pages; };
    const Case cases[] = {
        {0, 1, {}},
        {2, 0, {0, 16, 1, 17, 2, 18}},
        {3, 0, {0, 16}},
        {4, 0, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.layout);
        w.AcLayout = c.layout;
        bus.ClearFrames();
        ASSERT_EQ(w.PollCycle(), 0);
        const auto reads = [&](int count) {
            int n = 0;
            for (const auto& f : bus.Frames())
                n += f.bytes[1] == 4 && (f.bytes[2] << 8 | f.bytes[3]) == 49151 && (f.bytes[4] << 8 | f.bytes[5]) == count ? 1 : 0;
            return n;
        };
        EXPECT_EQ(reads(30), c.outputBlocks);
        // The total output power comes with the output block, or is read on its own.
        EXPECT_EQ(reads(1), 1 - c.outputBlocks);
        EXPECT_EQ(PagesSelected(bus), c.pages);
        EXPECT_EQ(RequestsFor(49248, 4), 1);   // Q and PF, every layout
    }
    // Layout 2 fills the redundant values; the designer's "Engineer" layout shows them.
    groups::ApplyVoltageCaptions(w.OutputLabels, 2);
    w.AcLayout = 2;
    ASSERT_EQ(w.PollCycle(), 0);
    for (const char* name : {"Label_VacR_GridRed", "Label_VacS_Out", "Label_VacT_OutRed", "Label_FacR_Red"}) {
        EXPECT_TRUE(QRegularExpression(R"(^2\d\d\.\d\d( V|$))").match(Text(name)).hasMatch() ||
                    QRegularExpression(R"(^\d\d\.\d\d Hz$)").match(Text(name)).hasMatch()) << name << " " << Text(name).toStdString();
        EXPECT_TRUE(driver->Visible(QString::fromLatin1(name))) << name;
    }
}

// The sensors' titles are the mode's own ("Battery" in the storage mode) and stay as values change.
TEST_F(MonitorWindow, TemperatureTitlesComeFromTheModesSettings)
{
    Prepare("Storage");
    OpenWithoutLoop();
    TForm_Main& w = *window;
    HideEveryGroup();
    w.GroupPanel(QStringLiteral("Group_Temper1"))->SetVisible(true);
    for (std::uint16_t t : {31, 0xFFFB}) {
        bus.SetInput(1, 1082, t);
        ASSERT_EQ(w.PollCycle(), 0);
        EXPECT_EQ(Text("Label_Temperature13"), QString::number(static_cast<std::int16_t>(t)) + QStringLiteral(" \u2103"));
        const QStringList titles = {Text("Label_TemperTitle11"), Text("Label_TemperTitle12"), Text("Label_TemperTitle13"),
                                    Text("Label_TemperTitle14")};
        EXPECT_EQ(titles, (QStringList{"Ambient", "Boost-1", "Battery", "Inverter-S"}));
    }
}

using ProgramRun = testsupport::RemoteProgram;

const QString kBlue = "0xFF0000";
const QString kRed = "0x0000FF";

// The shipped grid-tied mode (AC layout 2) on its main page, as a person uses it.
TEST_F(RemoteMonitor, GridTiedMainPageShowsTheLiveValues)
{
    invsim::DemoAnimator animator(bus, 1, 200);
    ProgramRun run(home.path(), runtime.path());
    ASSERT_TRUE(run.Start());
    ASSERT_TRUE(run.Do("pickt Combo_SelectMode GridTied"));
    ASSERT_TRUE(run.Do("mousedown Radio_ComRS485"));
    ASSERT_TRUE(run.Do("text Combo_COM " + QString::fromStdString(bus.Path())));
    ASSERT_TRUE(run.Do("click OpenPort"));
    ASSERT_TRUE(run.WaitFor([&] { return run.TextOf("Label_PBus") != "??" && run.TextOf("Label_Q_Sum") != "??"; }, 30000));

    const std::pair<const char*, const char*> shown[] = {
        {"Label_VacR_Grid", R"(^2\d\d\.\d\d V$)"}, {"Label_IacS", R"(^\d+\.\d A$)"}, {"Label_PacT", R"(^\d+0 W$)"},
        {"Label_FacR", R"(^(49|50)\.\d\d Hz$)"},
        {"Label_TotalInputPower", R"(^\d+0W$)"}, {"Label_TotalInputCurrent", R"(^1\d\.\dA$)"},
        {"Label_Q_Sum", R"(^Cap 1\d0 Var$)"}, {"Label_PowerFactor", "^Cap 0.99$"},
        {"Label_Vdc1", R"(^6\d\d\.\d\d V$)"}, {"Label_Idc2", R"(^\d\.\d A$)"}, {"Label_Pdc3", R"(^\d+0 W$)"},
        {"Label_PBus", "^325.06 V$"}, {"Label_NBus", "^324.80 V$"},
        {"Label_Temperature11", "^\\d\\d \u2103$"}, {"Label_MaxTemp14", "^74 \u2103$"},
        {"Label_TodayWh", "^18.250 KWh$"}, {"Label_TotalWh", "^1234567.890 KWh$"}, {"Label_TotalRuntime", "^2743:29:3$"},
    };
    for (const auto& [name, pattern] : shown) {
        const QString text = run.TextOf(name);
        EXPECT_TRUE(QRegularExpression(QString::fromUtf8(pattern)).match(text).hasMatch()) << name << ": " << text.toStdString();
        EXPECT_EQ(run.ColourOf(name), kBlue) << name;
    }
    // Titles come from the mode's settings file and stay while values change.
    EXPECT_EQ(run.TextOf("Label_TemperTitle11"), "Ambient");
    // The AC values come from the phase pages, not from the output block.
    int pageReads = 0;
    for (const auto& f : bus.Frames())
        if (f.bytes.size() == 8 && f.bytes[1] == 4 && (f.bytes[2] << 8 | f.bytes[3]) == 1055)
            ++pageReads;
    EXPECT_GT(pageReads, 6);

    // A silent inverter: the live values turn into red "??", and come back blue.
    invsim::Fault silence;
    silence.kind = invsim::FaultKind::Silence;
    bus.AddFault(1, silence);
    ASSERT_TRUE(run.WaitFor([&] { return run.ColourOf("Label_PBus") == kRed; }, 30000));
    for (const char* name : {"Label_PBus", "Label_Vdc1", "Label_VacR_Grid", "Label_Q_Sum", "Label_Temperature11"}) {
        EXPECT_EQ(run.TextOf(name), "??") << name;
        EXPECT_EQ(run.ColourOf(name), kRed) << name;
    }
    EXPECT_EQ(run.TextOf("Label_TemperTitle11"), "Ambient");
    bus.ClearFaults(1);
    ASSERT_TRUE(run.WaitFor([&] { return run.TextOf("Label_PBus") == "325.06 V"; }, 30000));
    EXPECT_EQ(run.ColourOf("Label_PBus"), kBlue);
    EXPECT_TRUE(run.Do("close"));
    ASSERT_TRUE(run.process.waitForFinished(15000));
}

} // namespace

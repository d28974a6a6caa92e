// The start button's frame around the procedures: time lines, the day's log names, the order of
// the BIN procedure and the link's run, and the RS-485 run's preconditions and outcome.
#include "upgrade/FwTestUtil.h"

#include "upgrade/UpgradeRuns.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace fwtest;

TEST(UpgradeRunTimes, LinesAndTotals)
{
    EXPECT_EQ(RunTimeLine("Start Time: ", QTime(9, 5, 7)), "Start Time: 9:5:7");
    EXPECT_EQ(RunTimeLine("End Time: ", QTime(23, 59, 50)), "End Time: 23:59:50");
    EXPECT_EQ(RunTotalSeconds(QTime(9, 5, 7), QTime(9, 6, 0)), 53);
    EXPECT_EQ(RunTotalSeconds(QTime(23, 59, 50), QTime(0, 0, 20)), 30);   // past midnight
    EXPECT_EQ(RunTotalSeconds(QTime(12, 0, 0), QTime(12, 0, 0)), 0);
}

TEST(UpgradeRunLogNames, SmallestFreeNumberOfTheDay)
{
    QTemporaryDir dir;
    const QDate day(2020, 3, 19);
    auto touch = [&](int n) {
        QFile f(dir.path() + "/Log20200319_" + QString::number(n) + ".txt");
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    };
    EXPECT_EQ(FreeUpgradeLogName(dir.path(), day), dir.path() + "/Log20200319_1.txt");
    touch(1);
    touch(3);
    EXPECT_EQ(FreeUpgradeLogName(dir.path(), day), dir.path() + "/Log20200319_2.txt");
    EXPECT_EQ(FreeUpgradeLogName(dir.path(), QDate(2021, 11, 5)), dir.path() + "/Log20211105_1.txt");
    for (int n = 2; n <= 999; ++n)
        if (n != 3)
            touch(n);
    EXPECT_EQ(FreeUpgradeLogName(dir.path(), day), QString());   // all 999 taken: nothing written
}

namespace {

class UpgradeRunsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        testsupport::EnsureApplication();
        vcl::SetTimeService(&time);
        ASSERT_TRUE(folder.isValid());
        runs.ProgramFolder = [&] { return folder.path(); };
        runs.SaveLog = [&](const QString& path, int firstLine) {
            saved << path;
            savedLines.push_back(view.upgradeLog.mid(firstLine));
            QFile f(path);
            return f.open(QIODevice::WriteOnly);
        };
        runs.ImageIsBin = [&] { return imageIsBin; };
        runs.ShowResult = [&](UpgradeRuns::Outcome o) { outcomes.push_back(o); };
        runs.BinProcedure = [&] {
            calls << "bin";
            return binResult;
        };
        runs.HexProcedures = [&] {
            calls << "hex";
            return UpgradeRuns::Outcome::Uncertain;
        };
        runs.AnySelected = [&] { return selected; };
        runs.ShowDeviceGrid = [&] { calls << "grid"; };
        runs.LinkType = [] { return int(UpgradeRuns::LinkRs485); };
    }
    void TearDown() override { vcl::SetTimeService(nullptr); }

    vcl::ScaledTimeService time{0.01};
    RecordingDialogs dialogs;
    QTemporaryDir folder;
    upgradeTool tool;
    TestView view;
    UpgradeRuns runs{tool, view};
    QStringList saved, calls;
    std::vector<QStringList> savedLines;   // what each saved log holds
    bool imageIsBin = false;
    std::vector<UpgradeRuns::Outcome> outcomes;
    int binResult = 0;
    bool selected = true;
};

} // namespace

TEST_F(UpgradeRunsTest, Rs485PreconditionsStopBeforeAnything)
{
    struct Case {
        int length10, length20;
        bool selected;
        const char* message;
    };
    const Case cases[] = {
        {999, 999, true, "Please Load Hex File First"},
        {0, 1000, false, "Please Select least one inverter"},
        {1000, 0, false, "Please Select least one inverter"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        dialogs.messages.clear();
        tool.FileInfo.Length10 = c.length10;
        tool.FileInfo.Length20 = c.length20;
        selected = c.selected;
        view.start = true;
        runs.Btn_UpgradeStartClick();
        EXPECT_EQ(dialogs.messages, QStringList({c.message}));
        EXPECT_TRUE(view.start);   // a refused start leaves the button as it was
        EXPECT_TRUE(calls.isEmpty());
        EXPECT_TRUE(saved.isEmpty());
    }
}

TEST_F(UpgradeRunsTest, Rs485RunShowsItsOutcomeAndSavesItsLog)
{
    tool.FileInfo.Length20 = 2048;
    view.start = true;
    runs.Btn_UpgradeStartClick();
    EXPECT_EQ(calls, QStringList({"hex", "grid", "grid"}));
    ASSERT_EQ(outcomes.size(), 1u);
    EXPECT_EQ(outcomes[0], UpgradeRuns::Outcome::Uncertain);
    EXPECT_FALSE(view.start);
    ASSERT_EQ(saved.size(), 1);
    EXPECT_TRUE(saved[0].startsWith(folder.path() + "/UpgradeLog/Log")) << saved[0].toStdString();
    EXPECT_TRUE(view.upgradeLog.first().contains("Programming Begin"));
    EXPECT_TRUE(view.upgradeLog.last().startsWith("Total Time: "));
}

// The kind of image the load recorded decides, not the path edit's text: a BIN image runs the BIN
// procedure before the link's run, whatever the letter case of its name; its failure is a red
// "Procedure Stop" and the run goes on. A BIN procedure that went through with no inverter left
// selected is the whole run: no check of the bus run answers it with an error.
TEST_F(UpgradeRunsTest, BinProcedureForTheImageTheLoadCalledBin)
{
    struct Case {
        bool bin;
        int binResult;
        bool selected;
        int length20;
        QStringList calls;
        bool stopLine;
        QStringList messages;
    };
    const Case cases[] = {
        {true, 0, true, 2048, {"bin", "hex", "grid", "grid"}, false, {}},
        {true, 1, true, 2048, {"bin", "hex", "grid", "grid"}, true, {}},
        {false, 0, true, 2048, {"hex", "grid", "grid"}, false, {}},
        {true, 0, false, 2048, {"bin"}, false, {}},
        {true, 0, false, 896, {"bin"}, false, {}},   // a short image: nothing asks for a longer one
        {true, 1, true, 896, {"bin"}, true, {"Please Load Hex File First"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.bin << " " << c.binResult << " " << c.selected << " " << c.length20);
        calls.clear();
        dialogs.messages.clear();
        view.upgradeLog.clear();
        view.upgradePane.red.clear();
        tool.FileInfo.Length20 = c.length20;
        binResult = c.binResult;
        imageIsBin = c.bin;
        selected = c.selected;
        runs.Btn_UpgradeStartClick();
        EXPECT_EQ(calls, c.calls);
        EXPECT_EQ(view.upgradePane.red.contains("Procedure Stop"), c.stopLine);
        EXPECT_EQ(dialogs.messages, c.messages);
    }
}

// Each run starts its progress from nothing, and each saved log holds only what came after the
// previous saved run (its own load lines included); a pane emptied in between starts at its top.
TEST_F(UpgradeRunsTest, EachRunStartsAfreshAndSavesOnlyItsOwnLines)
{
    tool.FileInfo.Length20 = 2048;
    runs.HexProcedures = [&] {
        EXPECT_EQ(view.progress, 0);
        EXPECT_EQ(view.status.value(8), "");
        EXPECT_EQ(view.status.value(9), "");
        view.SetProgress(100);
        view.SetStatusPanel(8, "Processing... 100%");
        view.SetStatusPanel(9, "Addr: 0x00000000   Len: 32");
        return UpgradeRuns::Outcome::Good;
    };
    view.upgradeLog << "Hex Length: 2048(0x20)";
    runs.Btn_UpgradeStartClick();
    view.upgradeLog << "Hex Length: 1024(0x20)";
    runs.HexProcedures = [&] {
        EXPECT_EQ(view.progress, 0);
        EXPECT_EQ(view.status.value(8), "");
        return UpgradeRuns::Outcome::Failed;
    };
    runs.Btn_UpgradeStartClick();
    ASSERT_EQ(savedLines.size(), 2u);
    EXPECT_EQ(savedLines[0].first(), "Hex Length: 2048(0x20)");
    EXPECT_EQ(savedLines[0].filter("Programming Begin").size(), 1);
    EXPECT_EQ(savedLines[1].first(), "Hex Length: 1024(0x20)");
    EXPECT_EQ(savedLines[1].filter("Programming Begin").size(), 1);
    EXPECT_TRUE(savedLines[1].last().startsWith("Total Time: "));

    view.upgradeLog.clear();
    view.upgradeLog << "Hex Length: 512(0x20)";
    runs.Btn_UpgradeStartClick();
    ASSERT_EQ(savedLines.size(), 3u);
    EXPECT_EQ(savedLines[2].first(), "Hex Length: 512(0x20)");
}

// The start button's frame around the procedures: time lines, the day's log names, the order of
// the BIN procedure and the link's run, and the RS-485 run's preconditions and outcome.
#include "upgrade/FwTestUtil.h"

#include "upgrade/UpgradeRuns.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
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
        runs.LogText = [&](int firstLine) {
            savedLines.push_back(view.upgradeLog.mid(firstLine));
            return view.upgradeLog.mid(firstLine).join(QStringLiteral("\r\n")).toUtf8();
        };
        runs.ImageIsBin = [&] { return imageIsBin; };
        runs.ShowResult = [&](UpgradeRuns::Outcome o) {
            outcomes.push_back(o);
            // What the log folder holds while the result window is up.
            QStringList logs;
            for (const QFileInfo& f : QDir(folder.path() + "/UpgradeLog").entryInfoList(QDir::Files, QDir::Name)) {
                QFile file(f.filePath());
                logs << f.fileName() + "=" + (file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : "?");
            }
            logsAtResult.push_back(logs);
        };
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
    QStringList calls;
    std::vector<QStringList> savedLines;   // what each saved log holds
    std::vector<QStringList> logsAtResult;   // "name=content" of the log files when each result showed
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
        EXPECT_TRUE(savedLines.empty());
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
    EXPECT_TRUE(view.upgradeLog.first().contains("Programming Begin"));
    EXPECT_TRUE(view.upgradeLog.last().startsWith("Total Time: "));
    // The log is on the disk, whole, by the time the result window shows.
    ASSERT_EQ(logsAtResult.size(), 1u);
    ASSERT_EQ(logsAtResult[0].size(), 1) << logsAtResult[0].join(" | ").toStdString();
    const QString log = logsAtResult[0][0];
    EXPECT_TRUE(log.startsWith("Log" + QDate::currentDate().toString("yyyyMMdd") + "_1.txt=")) << log.toStdString();
    EXPECT_TRUE(log.contains("Programming Begin"));
    EXPECT_TRUE(log.endsWith(view.upgradeLog.last())) << log.toStdString();
}

// A log that cannot be written says so in red with the file's name and the reason, before the
// result window; no part of a file is left behind.
TEST_F(UpgradeRunsTest, AnUnwritableLogIsNamedBeforeTheResult)
{
    tool.FileInfo.Length20 = 2048;
    QFile blocker(folder.path() + "/UpgradeLog");   // a file where the folder should be
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    std::vector<QStringList> redAtResult;
    runs.ShowResult = [&](UpgradeRuns::Outcome) { redAtResult.push_back(view.upgradePane.red); };
    runs.Btn_UpgradeStartClick();
    ASSERT_EQ(redAtResult.size(), 1u);
    ASSERT_EQ(redAtResult[0].size(), 1);
    const QString line = redAtResult[0][0];
    const QString head = "Upgrade log not saved: " + folder.path() + "/UpgradeLog/Log";
    EXPECT_TRUE(line.startsWith(head)) << line.toStdString();
    const qsizetype txt = line.indexOf(".txt: ");
    EXPECT_GT(txt, 0) << line.toStdString();
    EXPECT_GT(line.size(), txt + 6) << line.toStdString();   // and why
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList{"UpgradeLog"});
}

// The kind of image the load recorded decides, not the path edit's text: a BIN image runs the BIN
// procedure, whatever the letter case of its name. On RS-485 that is a run of its own, framed as
// every run is: time lines, the grid refreshed, the log, the result window. It fails as a whole
// when the procedure does (a red "Procedure Stop"), and the inverters still ticked by an earlier
// survey follow in the same run when it went through. No check of the bus run answers a BIN image
// with a message box.
TEST_F(UpgradeRunsTest, BinProcedureForTheImageTheLoadCalledBin)
{
    using O = UpgradeRuns::Outcome;
    struct Case {
        bool bin;
        int binResult;
        bool selected;
        int length20;
        QStringList calls;
        bool stopLine;
        O outcome;
    };
    const Case cases[] = {
        {true, 0, true, 2048, {"bin", "hex", "grid", "grid"}, false, O::Uncertain},
        {true, 1, true, 2048, {"bin", "grid", "grid"}, true, O::Failed},
        {false, 0, true, 2048, {"hex", "grid", "grid"}, false, O::Uncertain},
        {true, 0, false, 2048, {"bin", "grid", "grid"}, false, O::Good},
        {true, 0, false, 896, {"bin", "grid", "grid"}, false, O::Good},   // a short image: nothing asks for a longer one
        {true, 1, true, 896, {"bin", "grid", "grid"}, true, O::Failed},
        {true, 1, false, 896, {"bin", "grid", "grid"}, true, O::Failed},
    };
    int runsSoFar = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.bin << " " << c.binResult << " " << c.selected << " " << c.length20);
        calls.clear();
        dialogs.messages.clear();
        const int firstLine = static_cast<int>(view.upgradeLog.size());
        view.upgradePane.red.clear();
        outcomes.clear();
        logsAtResult.clear();
        tool.FileInfo.Length20 = c.length20;
        binResult = c.binResult;
        imageIsBin = c.bin;
        selected = c.selected;
        view.start = true;
        runs.Btn_UpgradeStartClick();
        EXPECT_EQ(calls, c.calls);
        EXPECT_EQ(view.upgradePane.red.contains("Procedure Stop"), c.stopLine);
        EXPECT_EQ(dialogs.messages, QStringList());
        ASSERT_EQ(outcomes.size(), 1u);
        EXPECT_EQ(outcomes[0], c.outcome);
        EXPECT_FALSE(view.start);
        const QStringList lines = view.upgradeLog.mid(firstLine);
        ASSERT_FALSE(lines.isEmpty());
        EXPECT_TRUE(lines.first().contains("Programming Begin"));
        EXPECT_EQ(lines.filter("Start Time: ").size(), 1);
        EXPECT_EQ(lines.filter("End Time: ").size(), 1);
        EXPECT_TRUE(lines.last().startsWith("Total Time: "));
        // This run's log was on the disk, whole, when its window showed.
        ++runsSoFar;
        ASSERT_EQ(logsAtResult.size(), 1u);
        const QString name = "Log" + QDate::currentDate().toString("yyyyMMdd") + "_" + QString::number(runsSoFar) + ".txt=";
        const QStringList mine = logsAtResult[0].filter(name);
        ASSERT_EQ(mine.size(), 1) << logsAtResult[0].join(" | ").toStdString();
        EXPECT_EQ(mine[0], name + lines.join("\r\n"));
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

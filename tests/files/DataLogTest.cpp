// The data log on the real window (offscreen): the columns of the visible panels, the file
// names of the day, the data-log button with its interval and sampling timer, the one-shot
// record, and what happens when a file cannot be made or written.
#include "e2e_monitor/MonitorFixture.h"

#include "files/DataLog.h"

#include <QDate>
#include <QDir>
#include <QFile>

namespace {

using namespace monitortest;

std::string Read(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll().toStdString() : std::string("<missing>");
}

QString TodayName(int n)
{
    const QDate d = QDate::currentDate();
    return QStringLiteral("%1.%2.%3_%4.csv").arg(d.year()).arg(d.month()).arg(d.day()).arg(n, 3, 10, QLatin1Char('0'));
}

class DataLog : public MonitorWindow {
protected:
    QString LogPath(int n) const { return home.path() + "/DataLog/" + TodayName(n); }
    void SetText(const char* name, const QString& text)
    {
        auto* c = dynamic_cast<vcl::TControl*>(window->FindComponent(QLatin1String(name)));
        ASSERT_NE(c, nullptr) << name;
        c->SetText(text);
    }
    void ShowOnly(std::initializer_list<const char*> panels)
    {
        HideEveryGroup();
        for (const char* p : panels)
            window->GroupPanel(QLatin1String(p))->SetVisible(true);
    }
    // The link counts as open for the button (its refusals), without a polling loop.
    void LinkUp()
    {
        Prepare();
        OpenWithoutLoop();
        window->OpenPort->SetEnabled(false);
    }
};

TEST_F(DataLog, ColumnsFollowTheVisiblePanelsInTableOrder)
{
    TForm_Main& w = *window;
    ShowOnly({});
    EXPECT_EQ(files::DataLogTitleLine(w), ",ID,SN,Time,\r\n");
    SetText("Label_VantoSN", "SV5K20A123456");
    EXPECT_EQ(files::DataLogSampleLine(w, 7, QTime(9, 5, 30)), ",7,SV5K20A123456,9:5:30,\r\n");

    // AC1 stands before DC1 on the page; the columns keep the table's order.
    ShowOnly({"Group_GetAC1", "Group_GetDC1"});
    EXPECT_EQ(files::DataLogTitleLine(w), ",ID,SN,Time,Vdc1,Idc1,Pdc1,Vac1,Iac1,Pac1,Fac1,\r\n");
    SetText("Label_Vdc1", "412.5 V");
    SetText("Label_Idc1", "??");
    SetText("Label_Pdc1", "3100 W");
    SetText("Label_VacR_Grid", "230.5 V");
    SetText("Label_IacR", "12.2 A");
    SetText("Label_PacR", "2800 W");
    SetText("Label_FacR", "50.00 Hz");
    EXPECT_EQ(files::DataLogSampleLine(w, 1, QTime(14, 0, 9)),
              ",1,SV5K20A123456,14:0:9,412.5,??,3100,230.5,12.2,2800,50.00,\r\n");

    // Whole texts where the table says so; titles taken from the controls as they stand.
    ShowOnly({"Group_TotalPower", "Group_Temper1"});
    SetText("Label_TotalInputPower", "8600 W");
    SetText("Label_TotalOutputPower", "8470 W");
    SetText("Label_Q_Sum", "Ind 120 Var");
    SetText("Label_PowerFactor", "Ind 0.99");
    SetText("Label_TemperTitle11", QString::fromUtf8("Ambient \u00B0C"));
    SetText("Label_TemperTitle12", "");
    SetText("Label_TemperTitle13", "Heat sink");
    SetText("Label_TemperTitle14", "Boost");
    for (const char* t : {"Label_Temperature11", "Label_Temperature12", "Label_Temperature13", "Label_Temperature14"})
        SetText(t, QString::fromUtf8("41.5 \u2103"));
    EXPECT_EQ(files::DataLogTitleLine(w).toStdString(),
              std::string(",ID,SN,Time,Ambient \xC2\xB0" "C,,Heat sink,Boost,Total Pin,Total Pout,Q:,PF:,\r\n"));
    EXPECT_EQ(files::DataLogSampleLine(w, 1, QTime(0, 0, 0)),
              ",1,SV5K20A123456,0:0:0,41.5,41.5,41.5,41.5,8600,8470,Ind 120 Var,Ind 0.99,\r\n");

    // Poll rows: the typed register numbers are the titles, the values are whole.
    ShowOnly({"Group_Poll01"});
    SetText("Edit_PollAddr01", "100");
    SetText("Label_PollVal01", "42");
    const QByteArray title = files::DataLogTitleLine(w);
    EXPECT_TRUE(title.startsWith(",ID,SN,Time,100,")) << title.toStdString();
    EXPECT_EQ(title.count(','), 4 + 10);
    EXPECT_TRUE(files::DataLogSampleLine(w, 1, QTime(1, 2, 3)).startsWith(",1,SV5K20A123456,1:2:3,42,"));
}

TEST_F(DataLog, NamesTakeTheFirstFreeNumberOfTheDay)
{
    const QDate day(2020, 3, 9);
    const QString folder = home.path() + "/DataLog/";
    QString path;
    ASSERT_EQ(files::NewDataLogFileName(path, day), 0);
    EXPECT_EQ(path, folder + "2020.3.9_001.csv");
    EXPECT_TRUE(QDir(folder).exists()) << "the folder is made";
    const struct {
        std::vector<int> present;
        const char* next;
    } cases[] = {{{1, 2}, "2020.3.9_003.csv"}, {{2}, "2020.3.9_001.csv"}, {{1, 3}, "2020.3.9_002.csv"}};
    for (const auto& c : cases) {
        QDir(folder).removeRecursively();
        QDir().mkpath(folder);
        for (int n : c.present)
            QFile(folder + QStringLiteral("2020.3.9_%1.csv").arg(n, 3, 10, QLatin1Char('0'))).open(QIODevice::WriteOnly);
        ASSERT_EQ(files::NewDataLogFileName(path, day), 0);
        EXPECT_EQ(path, folder + c.next);
    }
    // All 998 taken: no name, the path unchanged.
    for (int n = 1; n <= 998; ++n)
        QFile(folder + QStringLiteral("2020.3.9_%1.csv").arg(n, 3, 10, QLatin1Char('0'))).open(QIODevice::WriteOnly);
    path = "unchanged";
    EXPECT_EQ(files::NewDataLogFileName(path, day), 1);
    EXPECT_EQ(path, "unchanged");
}

TEST_F(DataLog, TheButtonRefusesWithoutALinkOrTheMainPage)
{
    TForm_Main& w = *window;
    Prepare();
    DataLogActive = 1;   // even a click that would stop is refused
    driver->Click("Image_DataLog");
    EXPECT_EQ(dialogs.TakeShown(), QStringList{"You have to communicate with Inverters first"});
    EXPECT_EQ(DataLogActive, 1);
    DataLogActive = 0;
    OpenWithoutLoop();
    w.OpenPort->SetEnabled(false);
    w.TabSheets[0]->SetTabVisible(false);
    driver->Click("Image_DataLog");
    EXPECT_EQ(dialogs.TakeShown(), QStringList{"Please Select Monitor Mode"});
    EXPECT_EQ(DataLogActive, 0);
    EXPECT_FALSE(QDir(home.path() + "/DataLog").exists());
}

TEST_F(DataLog, TheIntervalIsTheTypedSecondsOrTwo)
{
    TForm_Main& w = *window;
    LinkUp();
    const struct {
        const char* answer;   // nullptr: the box is cancelled
        int ms;
    } cases[] = {{"10", 10000}, {"1", 1000}, {"0", 2000}, {"-3", 2000}, {"word", 2000}, {"", 2000}};
    int file = 0;
    for (const auto& c : cases) {
        w.Timer_Record->SetInterval(5000);
        if (c.answer)
            dialogs.answers.push_back(QString::fromLatin1(c.answer));
        dialogs.prompts.clear();
        driver->Click("Image_DataLog");
        ++file;
        EXPECT_EQ(dialogs.prompts, QStringList{"Period|2"}) << c.answer;
        EXPECT_EQ(w.Timer_Record->Interval(), c.ms) << (c.answer ? c.answer : "cancel");
        EXPECT_EQ(DataLogActive, 1);
        EXPECT_TRUE(w.Timer_Record->Enabled() && w.Timer_Datalog->Enabled());
        EXPECT_EQ(DataLogPath, LogPath(file));
        EXPECT_EQ(Read(DataLogPath).rfind(",ID,SN,Time,", 0), 0u);
        // Only the main page is left while logging runs.
        for (int i = 0; i < design::kPageCount; ++i)
            EXPECT_EQ(w.TabSheets[static_cast<size_t>(i)]->TabVisible(), i == 0) << i;
        driver->Click("Image_DataLog");   // stops
        EXPECT_EQ(DataLogActive, 0);
        EXPECT_FALSE(w.Timer_Record->Enabled() || w.Timer_Datalog->Enabled());
        EXPECT_TRUE(w.TabSheets[1]->TabVisible() && w.TabSheets[2]->TabVisible() && !w.TabSheets[3]->TabVisible());
    }
    // A cancelled box starts nothing: no file, no timers, the tabs as they were.
    dialogs.prompts.clear();
    driver->Click("Image_DataLog");
    EXPECT_EQ(dialogs.prompts, QStringList{"Period|2"});
    EXPECT_EQ(DataLogActive, 0);
    EXPECT_FALSE(w.Timer_Record->Enabled() || w.Timer_Datalog->Enabled());
    EXPECT_FALSE(QFileInfo::exists(LogPath(file + 1)));
    EXPECT_TRUE(w.TabSheets[1]->TabVisible() && w.TabSheets[2]->TabVisible());

    EXPECT_TRUE(dialogs.TakeShown().isEmpty());
}

TEST_F(DataLog, SamplesGoOnWhileThePollingLoopRunsAndStopWithTheSecondClick)
{
    TForm_Main& w = *window;
    Prepare();
    bool started = false, stopped = false;
    int rowsAtStop = 0;
    time.hook = [&] {
        if (!started && w.PollCycleCount >= 1) {
            started = true;
            dialogs.answers.push_back("1");
            driver->Click("Image_DataLog");
        } else if (started && !stopped && w.DataLogRecordCount >= 3) {
            stopped = true;
            rowsAtStop = w.DataLogRecordCount;
            driver->Click("Image_DataLog");
            driver->Click("ClosePort");
        }
    };
    driver->Click("OpenPort");
    time.hook = nullptr;
    ASSERT_TRUE(stopped);
    EXPECT_TRUE(dialogs.shown.isEmpty()) << dialogs.shown.join("; ").toStdString();
    const QStringList lines = QString::fromStdString(Read(LogPath(1))).split("\r\n", Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 1 + rowsAtStop) << "one title line and every counted row";
    EXPECT_EQ(driver->Status(9), QStringLiteral("Report: %1").arg(rowsAtStop));
    const QStringList titles = lines[0].split(',');
    const int pac1 = static_cast<int>(titles.indexOf("Pac1"));
    ASSERT_GT(pac1, 3) << lines[0].toStdString();
    for (int i = 1; i < lines.size(); ++i) {
        const QStringList cells = lines[i].split(',');
        EXPECT_EQ(cells.size(), titles.size()) << lines[i].toStdString();
        EXPECT_EQ(cells[1], "1");
        EXPECT_EQ(cells[2], "SV5K20A123456");
        EXPECT_EQ(cells[pac1], "2800");
    }
    // The file is not written after the stop.
    EXPECT_EQ(DataLogActive, 0);
    EXPECT_FALSE(w.Timer_Record->Enabled());
}

TEST_F(DataLog, ClosingTheLinkEndsTheLog)
{
    TForm_Main& w = *window;
    Prepare();
    bool started = false, closed = false;
    time.hook = [&] {
        if (!started && w.PollCycleCount >= 1) {
            started = true;
            dialogs.answers.push_back("1");
            driver->Click("Image_DataLog");
        } else if (started && !closed && w.DataLogRecordCount >= 1) {
            closed = true;
            driver->Click("ClosePort");
        }
    };
    driver->Click("OpenPort");
    time.hook = nullptr;
    ASSERT_TRUE(closed);
    EXPECT_EQ(DataLogActive, 0);
    EXPECT_FALSE(w.Timer_Record->Enabled() || w.Timer_Datalog->Enabled());
    // A tick that was already due writes nothing more.
    const std::string before = Read(LogPath(1));
    w.Timer_RecordTimer(nullptr);
    EXPECT_EQ(Read(LogPath(1)), before);
    const QStringList lines = QString::fromStdString(before).split("\r\n", Qt::SkipEmptyParts);
    EXPECT_EQ(lines.size(), 1 + w.DataLogRecordCount);
}

// A tick while the main page's tab is hidden (the designer's page switch, an upgrade page) writes
// no row: the columns are that page's panels, and a row of another page would not fit them.
TEST_F(DataLog, NoRowWhileTheMainTabIsHidden)
{
    TForm_Main& w = *window;
    LinkUp();
    dialogs.answers.push_back("1");
    driver->Click("Image_DataLog");
    ASSERT_EQ(DataLogActive, 1);
    const std::string header = Read(LogPath(1));
    w.TabSheets[0]->SetTabVisible(false);
    w.Timer_RecordTimer(nullptr);
    EXPECT_EQ(Read(LogPath(1)), header);
    EXPECT_EQ(w.DataLogRecordCount, 0);
    EXPECT_EQ(DataLogActive, 1) << "the log waits for the tab, it does not stop";
    w.TabSheets[0]->SetTabVisible(true);
    w.Timer_RecordTimer(nullptr);
    EXPECT_EQ(w.DataLogRecordCount, 1);
    EXPECT_EQ(QString::fromStdString(Read(LogPath(1))).split("\r\n", Qt::SkipEmptyParts).size(), 2);
    driver->Click("Image_DataLog");
    EXPECT_EQ(DataLogActive, 0);
}

// The designer mode starts without the refusals and leaves the pages alone; with no link open
// (the stop request of the start-up still set) the first tick writes its line and ends the timer.
TEST_F(DataLog, TheDesignerModeLogsWithoutALink)
{
    TForm_Main& w = *window;
    driver->PickText("Combo_SelectMode", "SuperHero");
    ASSERT_EQ(w.SuperUserMode, 1);
    std::vector<bool> tabs;
    for (vcl::TTabSheet* t : w.TabSheets)
        tabs.push_back(t->TabVisible());
    dialogs.answers.push_back("3");
    driver->Click("Image_DataLog");
    EXPECT_TRUE(dialogs.TakeShown().isEmpty());
    ASSERT_EQ(DataLogActive, 1);
    EXPECT_EQ(w.Timer_Record->Interval(), 3000);
    for (size_t i = 0; i < tabs.size(); ++i)
        EXPECT_EQ(w.TabSheets[i]->TabVisible(), tabs[i]) << i;
    ASSERT_EQ(w.StopRequest, 1);
    w.Timer_RecordTimer(nullptr);
    EXPECT_FALSE(w.Timer_Record->Enabled());
    EXPECT_EQ(w.DataLogRecordCount, 1);
    EXPECT_EQ(QString::fromStdString(Read(LogPath(1))).split("\r\n", Qt::SkipEmptyParts).size(), 2);
    driver->Click("Image_DataLog");
    EXPECT_EQ(DataLogActive, 0);
}

TEST_F(DataLog, ALogThatCannotBeWrittenIsReportedAndLosesNothing)
{
    TForm_Main& w = *window;
    testsupport::HookedScaledTime fast(0.001);
    fast.settle = SettleOnBus();
    vcl::SetTimeService(&fast);
    LinkUp();

    // Every name of the day taken: refused, and no earlier file is emptied.
    QDir().mkpath(home.path() + "/DataLog");
    for (int n = 1; n <= 998; ++n) {
        QFile f(LogPath(n));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("earlier\r\n");
    }
    driver->Click("Image_DataLog");
    QStringList shown = dialogs.TakeShown();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_TRUE(shown[0].startsWith("Data log not started")) << shown[0].toStdString();
    EXPECT_EQ(DataLogActive, 0);
    EXPECT_FALSE(w.Timer_Record->Enabled() || w.Timer_Datalog->Enabled());
    EXPECT_TRUE(dialogs.prompts.isEmpty());
    EXPECT_EQ(Read(LogPath(998)), "earlier\r\n");
    EXPECT_EQ(Read(LogPath(1)), "earlier\r\n");

    // A folder that takes no files: refused after its tries, nothing made.
    QDir(home.path() + "/DataLog").removeRecursively();
    QFile blocker(home.path() + "/DataLog");
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    dialogs.answers.push_back("1");
    driver->Click("Image_DataLog");
    shown = dialogs.TakeShown();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_TRUE(shown[0].startsWith("Data log not started: Unable to write to " + home.path() + "/DataLog/") &&
                shown[0].endsWith(": Not a directory"))
        << shown[0].toStdString();
    EXPECT_EQ(DataLogActive, 0);

    // A file that vanishes while logging: the log stops and says so, and no file is made.
    QFile::remove(home.path() + "/DataLog");
    dialogs.answers.push_back("1");
    driver->Click("Image_DataLog");
    ASSERT_EQ(DataLogActive, 1);
    w.Timer_RecordTimer(nullptr);
    EXPECT_EQ(w.DataLogRecordCount, 1);
    ASSERT_TRUE(QFile::remove(DataLogPath));
    w.Timer_RecordTimer(nullptr);
    shown = dialogs.TakeShown();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_TRUE(shown[0].startsWith("Data log stopped")) << shown[0].toStdString();
    EXPECT_EQ(DataLogActive, 0);
    EXPECT_EQ(w.DataLogRecordCount, 1) << "only written rows count";
    EXPECT_FALSE(w.Timer_Record->Enabled() || w.Timer_Datalog->Enabled());
    EXPECT_FALSE(QFile::exists(DataLogPath));
    vcl::SetTimeService(&time);
}

TEST_F(DataLog, TheOneShotRecordAppendsToTheModesFile)
{
    TForm_Main& w = *window;
    testsupport::HookedScaledTime fast(0.001);
    fast.settle = SettleOnBus();
    vcl::SetTimeService(&fast);
    w.Image_DatalogOnceClick(nullptr);
    EXPECT_EQ(dialogs.TakeShown(), QStringList{"Please Select Mode of Monitor"});

    Prepare();
    const QString path = home.path() + "/DataLog/Monitor.csv";
    // Without the folder nothing is written, and that is said.
    w.Image_DatalogOnceClick(nullptr);
    EXPECT_EQ(dialogs.TakeShown().size(), 1);
    EXPECT_FALSE(QFile::exists(path));

    QDir().mkpath(home.path() + "/DataLog");
    w.Image_DatalogOnceClick(nullptr);
    w.Image_DatalogOnceClick(nullptr);
    EXPECT_TRUE(dialogs.TakeShown().isEmpty());
    const QStringList lines = QString::fromStdString(Read(path)).split("\r\n", Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 3);
    EXPECT_TRUE(lines[0].startsWith(",ID,SN,Time,"));
    EXPECT_TRUE(lines[1].startsWith(",") && lines[2].startsWith(","));
    EXPECT_EQ(lines.filter(",ID,SN,Time,").size(), 1) << "one title line";
    vcl::SetTimeService(&time);
}

TEST_F(DataLog, TheAnimationShowsTheFramesInTurn)
{
    TForm_Main& w = *window;
    auto frameOf = [&] {
        QImage img = w.Image_DataLog->Canvas()->Image().copy();
        return img;
    };
    std::vector<QImage> seen;
    for (int i = 0; i < 4; ++i) {
        w.Timer_DatalogTimer(nullptr);
        seen.push_back(frameOf());
        EXPECT_EQ(seen.back().width(), 47);
        EXPECT_EQ(seen.back().height(), 48);
    }
    EXPECT_EQ(w.Timer_Datalog->Tag(), 4);
    EXPECT_NE(seen[0], seen[1]);
    EXPECT_NE(seen[1], seen[2]);
    EXPECT_NE(seen[0], seen[2]);
    EXPECT_EQ(seen[0], seen[3]) << "three frames, then the first again";
    EXPECT_EQ(w.Image_DataLog->Canvas()->Pixel(0, 0), vcl::clWhite);
}

} // namespace

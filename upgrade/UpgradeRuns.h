// The start of a programming run on the upgrade page: over RS-485 the BIN procedure for a BIN
// image or the multi-inverter procedures, over Wi-Fi the module's boot-loader run with up to three
// attempts; time lines in the page's log, one "UpgradeLog" file per run in rich-text form, written
// before the result window shows.
#pragma once

#include "upgrade/Upgrade.h"

#include <QDate>
#include <QString>
#include <QTime>

#include <functional>

// "Start Time: 9:5:7": the head and the clock's fields without leading zeros.
QString RunTimeLine(const QString& head, const QTime& time);
// Seconds from start to end of a run, counted on the clock's fields; a run past midnight
// (end before start) gets a day added.
int RunTotalSeconds(const QTime& start, const QTime& end);
// The first free log name of the day, "<folder>/Log<yyyymmdd>_<n>.txt" for n from 1 to 999;
// empty when all 999 exist.
QString FreeUpgradeLogName(const QString& folder, const QDate& day);
// Writes a file whole or not at all: every write and the final rename are checked, and a file
// that was there stays as it was when any of them fails. False with the reason in why.
bool WriteWholeFile(const QString& path, const QByteArray& bytes, QString& why);

class UpgradeRuns {
public:
    UpgradeRuns(upgradeTool& tool, UpgradeView& view);

    enum class Outcome { Good, Uncertain, Failed };
    enum { LinkRs485 = 1, LinkWifi = 2, LinkRadio = 3 };

    // What the window gives the runs.
    std::function<int()> LinkType;
    std::function<QString()> DelayText;                  // Combo_Delay's text
    std::function<QString()> ProgramFolder;              // the folder "UpgradeLog" goes into
    std::function<void(Outcome)> ShowResult;             // the result window, modal
    // List_UpgradeEvent from line firstLine on, in rich-text form: what a run's log file holds.
    std::function<QByteArray(int firstLine)> LogText;
    // Whether the image that loaded last is a BIN image (recorded by the load).
    std::function<bool()> ImageIsBin;
    // The serial procedures, when there are any: the BIN procedure (0 done), the multi-inverter
    // run's procedures and version check (its outcome), whether an inverter is selected, and
    // the refresh of the inverter grid after the run.
    std::function<int()> BinProcedure;
    std::function<Outcome()> HexProcedures;
    std::function<bool()> AnySelected;
    std::function<void()> ShowDeviceGrid;
    // The local clock and date (tests set them).
    std::function<QTime()> Clock = [] { return QTime::currentTime(); };
    std::function<QDate()> Today = [] { return QDate::currentDate(); };

    // The start button.
    void Btn_UpgradeStartClick();
    bool Running() const { return running_; }

private:
    void RunHexUpgrade();
    void RunBinUpgrade();
    void RunWifiUpgrade();
    void Begin();
    void End();
    // The end of a bus run, whatever its outcome: the grid, the time lines, the log, the window.
    void FinishSerialRun(Outcome outcome);
    void WriteLogFile();

    upgradeTool& tool_;
    UpgradeView& view_;
    QTime start_;
    bool running_ = false;
    int logStart_ = 0;   // the upgrade pane's first line not yet in a saved log file
};

// The RS-485 run's procedures: the boot-mode and version-2 inverters one at a time, then the
// broadcast run, each with up to three attempts and a block delay 20 ms longer on each; then the
// check that the inverters still selected run the image's version.
UpgradeRuns::Outcome RunSerialProcedures(upgradeTool& tool);

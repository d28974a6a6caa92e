// The start of a programming run on the upgrade page: the BIN procedure for a BIN image, then
// over RS-485 the multi-inverter procedures and over Wi-Fi the module's boot-loader run with up to
// three attempts; time lines in the page's log, the result window, and one "UpgradeLog" file per
// run in rich-text form.
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
    // Saves List_UpgradeEvent from line firstLine on in rich-text form; false when the file
    // cannot be written.
    std::function<bool(const QString& path, int firstLine)> SaveLog;
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
    void RunWifiUpgrade();
    void Begin();
    void End();
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

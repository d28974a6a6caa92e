#include "upgrade/UpgradeRuns.h"

#include "link/CommLog.h"
#include "link/Modbus.h"
#include "vcl/FileWrite.h"
#include "vcl/Services.h"

#include <QDir>
#include <QFileInfo>

namespace {

const QString kBeginLine = QStringLiteral(
    "||-----------------------------------------Programming Begin---------------------------------------||");

int Seconds(const QTime& t) { return t.hour() * 3600 + t.minute() * 60 + t.second(); }

} // namespace

QString RunTimeLine(const QString& head, const QTime& time)
{
    return head + QString::number(time.hour()) + QLatin1Char(':') + QString::number(time.minute()) + QLatin1Char(':')
           + QString::number(time.second());
}

int RunTotalSeconds(const QTime& start, const QTime& end)
{
    int seconds = Seconds(end) - Seconds(start);
    if (seconds < 0)
        seconds += 86400;
    return seconds;
}

QString FreeUpgradeLogName(const QString& folder, const QDate& day)
{
    const QString base = folder + QStringLiteral("/Log") + QString::number(day.year())
                         + QString::number(day.month()).rightJustified(2, QLatin1Char('0'))
                         + QString::number(day.day()).rightJustified(2, QLatin1Char('0'));
    for (int n = 1; n <= 999; ++n) {
        const QString name = base + QLatin1Char('_') + QString::number(n) + QStringLiteral(".txt");
        if (!QFileInfo::exists(name))
            return name;
    }
    return {};
}

bool WriteWholeFile(const QString& path, const QByteArray& bytes, QString& why)
{
    QString error;
    if (vcl::WriteFileWhole(path, bytes, &error))
        return true;
    // The caller names the file itself: keep only the cause.
    const QString named = vcl::FileWriteError(path, QString());
    why = error.startsWith(named) ? error.mid(named.size()) : error;
    return false;
}

UpgradeRuns::UpgradeRuns(upgradeTool& tool, UpgradeView& view) : tool_(tool), view_(view) {}

void UpgradeRuns::Btn_UpgradeStartClick()
{
    if (running_)
        return;
    running_ = true;
    // Whatever the last run reached, this one starts from nothing: a run that fails early must
    // not leave the previous run's 100 % standing.
    view_.SetProgress(0);
    view_.SetStatusPanel(8, QString());
    view_.SetStatusPanel(9, QString());
    tool_.FileInfo.DelayBase = FwStrToInt(DelayText ? DelayText() : QString());
    const int link = LinkType ? LinkType() : 0;
    // The load knows what kind of image it read; the path edit may name it in any letter case.
    if (ImageIsBin && ImageIsBin() && BinProcedure) {
        if (link == LinkRs485) {
            RunBinUpgrade();
            running_ = false;
            return;
        }
        // Elsewhere the procedure only sets its parameters, and the link's run programs the image.
        if (BinProcedure() != 0)
            AppendLogLineRed(view_.UpgradePane(), QStringLiteral("Procedure Stop"));
    }
    if (link == LinkRs485)
        RunHexUpgrade();
    else if (link == LinkWifi)
        RunWifiUpgrade();
    running_ = false;
}

void UpgradeRuns::Begin()
{
    view_.SetStartEnabled(false);
    AppendLogLineNow(view_.UpgradePane(), kBeginLine);
    start_ = Clock();
    AppendLogLineNow(view_.UpgradePane(), RunTimeLine(QStringLiteral("Start Time: "), start_));
}

void UpgradeRuns::End()
{
    const QTime end = Clock();
    AppendLogLineNow(view_.UpgradePane(), RunTimeLine(QStringLiteral("End Time: "), end));
    AppendLogLineNow(view_.UpgradePane(),
                     QStringLiteral("Total Time: ") + QString::number(RunTotalSeconds(start_, end)) + QStringLiteral(" S"));
}

void UpgradeRuns::RunHexUpgrade()
{
    if (tool_.FileInfo.Length10 < 1000 && tool_.FileInfo.Length20 < 1000) {
        vcl::MessageBox(QStringLiteral("Please Load Hex File First"));
        return;
    }
    if (!AnySelected || !AnySelected()) {
        vcl::MessageBox(QStringLiteral("Please Select least one inverter"));
        return;
    }
    Begin();
    FinishSerialRun(HexProcedures ? HexProcedures() : Outcome::Failed);
}

void UpgradeRuns::RunBinUpgrade()
{
    // A raw image is one run of its own on the bus, framed as every run is. When the procedure
    // fails, that is the run's outcome; when it went through, the inverters still ticked follow
    // in the same run.
    Begin();
    Outcome outcome = Outcome::Good;
    if (BinProcedure() != 0) {
        AppendLogLineRed(view_.UpgradePane(), QStringLiteral("Procedure Stop"));
        outcome = Outcome::Failed;
    } else if (AnySelected && AnySelected()) {
        outcome = HexProcedures ? HexProcedures() : Outcome::Failed;
    }
    FinishSerialRun(outcome);
}

void UpgradeRuns::FinishSerialRun(Outcome outcome)
{
    if (ShowDeviceGrid)
        ShowDeviceGrid();
    End();
    // On the disk before the window says how the run ended: a crash or a power loss while the
    // window is up keeps the run's record.
    WriteLogFile();
    if (ShowResult)
        ShowResult(outcome);
    view_.SetStartEnabled(false);
    if (ShowDeviceGrid)
        ShowDeviceGrid();
}

void UpgradeRuns::RunWifiUpgrade()
{
    Begin();
    int result = 1;
    for (int attempt = 0; attempt < 3; ++attempt) {
        result = tool_.WifiUpgrade();
        if (result == 0)
            break;
        AppendLogLineNow(view_.UpgradePane(), QStringLiteral("Retry..."));
        vcl::Time().Sleep(2000);
    }
    End();
    WriteLogFile();
    if (ShowResult)
        ShowResult(result == 0 ? Outcome::Good : Outcome::Failed);
    view_.SetStartEnabled(false);
}

void UpgradeRuns::WriteLogFile()
{
    const QString folder = (ProgramFolder ? ProgramFolder() : QString()) + QStringLiteral("/UpgradeLog");
    QDir().mkpath(folder);
    const QString name = FreeUpgradeLogName(folder, Today());
    if (name.isEmpty())
        return;
    // Each file holds what happened since the last saved run: this run's load, survey and
    // programming, not the runs before it. A pane emptied meanwhile starts again from its top.
    LogPane& pane = view_.UpgradePane();
    if (logStart_ > pane.LineCount())
        logStart_ = 0;
    // A log that cannot be written is said where the engineer looks, with the file and the
    // reason, never lost silently.
    QString why = QStringLiteral("nothing to write");
    if (!LogText || !WriteWholeFile(name, LogText(logStart_), why))
        AppendLogLineRed(pane, QStringLiteral("Upgrade log not saved: ") + QDir::toNativeSeparators(name)
                                   + QStringLiteral(": ") + (why.isEmpty() ? QStringLiteral("write failed") : why));
    logStart_ = pane.LineCount();
}

UpgradeRuns::Outcome RunSerialProcedures(upgradeTool& tool)
{
    LogPane& log = tool.View->UpgradePane();
    HexInfo& info = tool.FileInfo;
    // A closed window stops the run: no further attempt, no pause before one.
    const auto stopped = [&tool] { return tool.Link && tool.Link->Stopped(); };
    bool good = true;
    for (int a = 0; a < 3; ++a) {
        info.BlockDelay = info.DelayBase + 20 * a;
        if (tool.BootProcedure() == 0)
            break;
        AppendLogLineRed(log, QStringLiteral("Procedure Fail"));
        if (stopped())
            return UpgradeRuns::Outcome::Failed;
        vcl::Time().Sleep(20000);
        good = a < 2;
    }
    for (int a = 0; good && a < 3; ++a) {
        info.BlockDelay = info.DelayBase + 20 * a;
        if (tool.V02Procedure() == 0)
            break;
        AppendLogLineRed(log, QStringLiteral("Procedure Fail"));
        good = a < 2 && !stopped();
    }
    for (int r = 0; good && r < 3; ++r) {
        info.BlockDelay = info.DelayBase + 20 * r;
        if (tool.V03Procedure() != 0) {
            AppendLogLineRed(log, QStringLiteral("Procedure Stop"));
            good = false;
            break;
        }
        if (!tool.SelectedStepFailed())
            break;
        good = r < 2 && !stopped();
    }
    if (!good || stopped())
        return UpgradeRuns::Outcome::Failed;
    // The inverters start their new firmware.
    for (int n = 0; n < 3; ++n) {
        vcl::Time().Sleep(5000);
        tool.View->Pump();
    }
    const int version = info.SwMajor * 100 + info.SwMinor;
    for (int i = 1; i <= 253; ++i)
        if (tool.InvSelected[static_cast<std::size_t>(i)] == 1 && tool.InvAddress[static_cast<std::size_t>(i)] == i
            && tool.CheckSoftwareVersion(i, version, info.Processor) != 0)
            return UpgradeRuns::Outcome::Uncertain;
    return UpgradeRuns::Outcome::Good;
}

// The program's start as the user meets it: the real program started afresh (its own copy of
// the shipped program folder), measured from the process start to the first answer of its
// remote driver (the window built, shown and serving its event loop), and on to the window
// answering in the shipped "GridTied" or "SuperHero" mode once chosen; with the process's peak
// resident memory, read once the mode is in.
// Bounds, medians over the runs of each mode (alternating): the start to the answer in the mode
// at most 200 ms, the peak resident memory at most 100 MB. The program's own processor time up
// to that answer is printed beside them: a start far longer than it was spent waiting for a
// busy machine.
// Checks: every run starts, answers, shows the mode chosen and ends with status 0.
//   bench_startup [RUNS per mode (default 15, at least 9)]
#include "Verdict.h"

#include "support/Clocks.h"
#include "support/ProgramFolder.h"
#include "support/RemoteProgram.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kMinRuns = 9;

struct Figures {
    std::vector<double> firstAnswer, inMode, peakMb, cpuMs;
};

// The processor time (user and system) a running process has used so far, in ms; negative when
// unreadable.
double ProcessCpuMs(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray text = stat.readAll();
    // The fields after the command name in parentheses: state is the 3rd, utime the 14th.
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 13)
        return -1;
    return (fields[11].toDouble() + fields[12].toDouble()) * 1000.0 / static_cast<double>(sysconf(_SC_CLK_TCK));
}

// Starts the program and connects to its driver as soon as it says it listens (its error
// output is watched without polling, so the figure carries no polling step).
bool StartAndConnect(testsupport::RemoteProgram& run)
{
    run.process.setReadChannel(QProcess::StandardError);
    run.process.start(QStringLiteral(SUNVANE_BIN), {});
    if (!run.process.waitForStarted(10000))
        return false;
    QByteArray err;
    QElapsedTimer waited;
    waited.start();
    while (!err.contains("SUNVANE_DRIVER listening")) {
        if (run.process.state() == QProcess::NotRunning || waited.hasExpired(15000))
            return false;
        run.process.waitForReadyRead(200);
        err += run.process.readAllStandardError();
    }
    run.socket.connectToServer(run.socketPath);
    return run.socket.waitForConnected(5000);
}

// The peak resident set of a running process (VmHWM), in MB; negative when unreadable.
double PeakResidentMb(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
    return -1;
}

// One start of the program in a mode; false (with a check failed) when it did not go through.
bool OneRun(const QString& mode, Figures& f, bench::Verdict& verdict)
{
    const std::string m = mode.toStdString();
    QTemporaryDir home, runtime;
    if (!verdict.Check(home.isValid() && runtime.isValid() && testsupport::CopyProgramFolder(home.path()),
                       "a program folder for " + m))
        return false;
    testsupport::RemoteProgram run(home.path(), runtime.path());
    const double t0 = testsupport::NowMs();
    if (!verdict.Check(StartAndConnect(run), "the program started and its driver listened (" + m + ")"))
        return false;
    if (!verdict.Check(run.Ask("get Form_Main")["ok"].toBool(), "the window answered (" + m + ")"))
        return false;
    f.firstAnswer.push_back(testsupport::NowMs() - t0);
    if (!verdict.Check(run.Do("pickt Combo_SelectMode " + mode), "the mode list took " + m))
        return false;
    // Actions are performed after their answer: this query is answered once the mode is in.
    const bool inMode = run.TextOf("Combo_SelectMode") == mode;
    f.inMode.push_back(testsupport::NowMs() - t0);
    f.cpuMs.push_back(ProcessCpuMs(run.process.processId()));
    verdict.Check(inMode, "the window shows the mode " + m);
    const double peak = PeakResidentMb(run.process.processId());
    if (verdict.Check(peak > 0, "the peak resident memory was readable (" + m + ")"))
        f.peakMb.push_back(peak);
    verdict.Check(run.Do("close") && run.process.waitForFinished(20000) &&
                      run.process.exitStatus() == QProcess::NormalExit && run.process.exitCode() == 0,
                  "the program ended with status 0 (" + m + ")");
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    bench::Verdict verdict("bench_startup");
    const int runs = argc > 1 ? std::atoi(argv[1]) : 15;
    if (runs < kMinRuns) {
        std::printf("at least %d runs per mode\n", kMinRuns);
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("SUNVANE_WIFI_ADDRESS"))
        qputenv("SUNVANE_WIFI_ADDRESS", "127.0.0.1:9");

    const QStringList modes = {"GridTied", "SuperHero"};
    std::vector<Figures> figures(static_cast<size_t>(modes.size()));
    for (int r = 0; r < runs; ++r)
        for (int i = 0; i < modes.size(); ++i)
            OneRun(modes[i], figures[static_cast<size_t>(i)], verdict);

    std::printf("program start, %d runs per mode\n", runs);
    for (int i = 0; i < modes.size(); ++i) {
        const Figures& f = figures[static_cast<size_t>(i)];
        const std::string m = modes[i].toStdString();
        std::printf("  %s: first answer median %.1f ms; processor time up to the answer in the mode median %.0f ms\n",
                    m.c_str(), testsupport::Median(f.firstAnswer), testsupport::Median(f.cpuMs));
        verdict.AtMost("start to the window answering in " + m, f.inMode, static_cast<size_t>(runs), 200, "ms");
        verdict.AtMost("peak resident memory in " + m, f.peakMb, static_cast<size_t>(runs), 100, "MB");
    }
    return verdict.Finish();
}

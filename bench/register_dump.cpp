// The register dump of a 100-register list from the simulated inverter on a pty, in real time,
// through the program's own dump and link. Bound: the median wall time of a whole dump stays
// within 5 % above the fixed waits of 100 transactions (the 30 ms pause before each request and
// one 40 ms poll for its reply), over at least 3 dumps, every value right in the file.
//   bench_register_dump [RUNS (default 5, at least 3)]
#include "Verdict.h"

#include "files/RegisterDump.h"
#include "link/Modbus.h"
#include "support/Clocks.h"
#include "support/Dialogs.h"
#include "support/QtApp.h"
#include "tools/invsim/Bus.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

int main(int argc, char** argv)
{
    constexpr int kMinRuns = 3;
    constexpr int kRegisters = 100;
    constexpr int kFirst = 33000;
    const int runs = argc > 1 ? std::max(kMinRuns, std::atoi(argv[1])) : 5;
    testsupport::EnsureApplication();
    bench::Verdict verdict("register_dump");

    QTemporaryDir home;
    if (!verdict.Check(home.isValid() && QDir(home.path()).mkpath("profile"), "no temporary program folder"))
        return verdict.Finish();
    qputenv("SUNVANE_HOME", home.path().toUtf8());
    testsupport::ScriptedDialogs dialogs;
    vcl::SetDialogService(&dialogs);
    {
        QFile list(home.filePath("profile/ConfigModel.csv"));
        list.open(QIODevice::WriteOnly);
        list.write("Name,Address,Default\r\n");
        for (int i = 0; i < kRegisters; ++i)
            list.write(QStringLiteral("Setting_%1,%2,0\r\n").arg(i).arg(kFirst + i).toUtf8());
    }

    invsim::Bus bus;
    std::string error;
    if (!verdict.Check(bus.Start(&error), "simulator: " + error))
        return verdict.Finish();
    bus.AddInverter(1, 9600);
    for (int i = 0; i < kRegisters; ++i)
        bus.SetHolding(1, kFirst + i, static_cast<std::uint16_t>(1000 + i));
    Modbus link;
    if (!verdict.Check(link.OpenCom(QString::fromStdString(bus.Path())) == 0, "the pty does not open"))
        return verdict.Finish();
    link.SetBaudCode(1);
    link.ResetLinkCounters();
    link.SlaveId = 1;

    QString path;
    files::ConfigLogFileName(path, 1);
    std::vector<double> wall;
    int right = 0;
    for (int r = 0; r < runs; ++r) {
        QFile::remove(path);
        const double t0 = testsupport::NowMs();
        const int result = files::DumpConfigModel(path, link);
        const double ms = testsupport::NowMs() - t0;
        if (result != 0)
            continue;
        wall.push_back(ms);
        QFile dump(path);
        dump.open(QIODevice::ReadOnly);
        const QList<QByteArray> lines = dump.readAll().split('\n');
        bool ok = lines.size() == kRegisters + 2;
        for (int i = 0; ok && i < kRegisters; ++i)
            ok = lines[i + 1] == QStringLiteral("Setting_%1,%2,%3\r").arg(i).arg(kFirst + i).arg(1000 + i).toUtf8();
        right += ok;
    }
    link.Com.Close();
    bus.Stop();
    vcl::SetDialogService(nullptr);

    const double floorMs = kRegisters * (30.0 + 40.0);
    std::printf("register_dump: %d dumps of %d registers, %d complete and right\n", runs, kRegisters, right);
    if (!wall.empty())
        std::printf("  wall per dump: median %.1f ms (min %.1f, max %.1f); fixed waits %.0f ms\n",
                    testsupport::Median(wall), *std::min_element(wall.begin(), wall.end()),
                    *std::max_element(wall.begin(), wall.end()), floorMs);
    verdict.Check(right == runs, std::to_string(runs - right) + " dumps failed or wrong");
    verdict.Check(dialogs.shown.isEmpty(), "messages shown: " + dialogs.shown.join("; ").toStdString());
    verdict.AtMost("wall per dump", wall, kMinRuns, floorMs * 1.05, "ms");
    return verdict.Finish();
}

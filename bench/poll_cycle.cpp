// Poll cycles of the real main window (offscreen) against the simulated demonstration inverter
// on a pty: first with the Output 1 to 3, Total Power and Version groups shown, then the shipped
// "GridTied" main page with every panel of its layout (AC layout 2), and the "Storage" main page
// on a storage inverter. Bound, per page and kind of
// cycle (with the version group, every tenth cycle, and without it): the median wall time is at
// most 15 % above the floor of its transactions' specified waits (30 ms before each write plus
// one 40 ms poll, plus the 10 ms pause of the cycle), over at least 10 cycles of each kind.
// Every reply must be accepted, every cycle of a kind make the same number of transactions, and
// the version group's cycles more than the others.
// (The link alone is about 5 ms above its 70 ms floor per transaction on a pty, see
// bench_link_transaction; the window's work comes on top.)
//   bench_poll_cycle [CYCLES per page (default 110, at least 100)]
#include "Verdict.h"

#include "app/Main.h"
#include "support/Clocks.h"
#include "support/ProgramFolder.h"
#include "tools/invsim/Bus.h"
#include "tools/invsim/Demo.h"
#include "tools/invsim/DemoStorage.h"
#include "vcl/Kit.h"
#include "vcl/UserDriver.h"

#include <QApplication>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

namespace {

using testsupport::Median;
using testsupport::NowMs;
using testsupport::ThreadCpuMs;

struct Kind {
    std::vector<double> wall, floor, cpu;
    std::vector<int> transactions;
};

} // namespace

int main(int argc, char** argv)
{
    // Every tenth cycle reads the version: 100 cycles give 10 of that kind.
    constexpr std::size_t kMinEachKind = 10;
    const int cycles = argc > 1 ? std::max(100, std::atoi(argv[1])) : 110;
    bench::Verdict verdict("poll_cycle");
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir home, lock;
    // The shipped program folder of the source tree this benchmark was built from.
    if (!verdict.Check(testsupport::CopyProgramFolder(home.path()), "cannot lay out the program folder"))
        return verdict.Finish();
    qputenv("SUNVANE_HOME", home.path().toUtf8());
    qputenv("SUNVANE_INSTANCE_DIR", lock.path().toUtf8());
    QApplication app(argc, argv);

    invsim::Bus bus;
    std::string error;
    if (!verdict.Check(bus.Start(&error), "simulator: " + error))
        return verdict.Finish();
    bus.With(1, [](invsim::Inverter& inv) { invsim::LoadDemoInverter(inv); });
    invsim::DemoAnimator animator(bus, 1, 500);

    TForm_Main window;
    window.Show();
    vcl::UserDriver driver(&window);
    driver.PickText("Combo_SelectMode", "Storage");
    // Only the groups measured here are shown.
    for (vcl::TPanel* p : window.GroupPanels)
        p->SetVisible(false);
    for (const char* name : {"Group_Version", "Group_GetAC1", "Group_GetAC2", "Group_GetAC3", "Group_TotalPower"})
        window.GroupPanel(QString::fromLatin1(name))->SetVisible(true);
    if (!verdict.Check(window.Link.OpenCom(QString::fromStdString(bus.Path())) == 0, "the pty does not open"))
        return verdict.Finish();
    window.Link.LinkType = LinkRs485;
    window.Link.ResetLinkCounters();
    window.Link.SlaveId = 1;
    window.Link.SetBaudCode(1);
    window.AcLayout = 0;
    window.StopRequest = 0;
    window.PollCycleCount = 0;

    constexpr double kPauseBeforeWrite = 30, kFirstPoll = 40, kCyclePause = 10;
    const auto measure = [&](const std::string& page) {
        window.PollCycleCount = 0;
        window.Link.ResetLinkCounters();
        Kind withVersion, plain;
        double totalWall = 0, totalCpu = 0, totalFloor = 0;
        for (int i = 0; i < cycles; ++i) {
            const bool version = window.PollCycleCount % 10 == 0;
            const int tx0 = window.Link.TxCounter;
            const double t0 = NowMs(), c0 = ThreadCpuMs();
            if (!verdict.Check(window.PollCycle() == 0, page + ": a cycle ended the loop"))
                return;
            const double wall = NowMs() - t0, cpu = ThreadCpuMs() - c0;
            const int tx = window.Link.TxCounter - tx0;
            const double floor = tx * (kPauseBeforeWrite + kFirstPoll) + kCyclePause;
            Kind& k = version ? withVersion : plain;
            k.wall.push_back(wall);
            k.floor.push_back(floor);
            k.cpu.push_back(cpu);
            k.transactions.push_back(tx);
            totalWall += wall;
            totalCpu += cpu;
            totalFloor += floor;
        }
        const int noReply = window.Link.NoReplyCount, crcErrors = window.Link.CrcErrors;
        std::printf("poll_cycle: %d cycles with %s shown; %d requests without a reply, %d CRC errors\n",
                    cycles, page.c_str(), noReply, crcErrors);
        verdict.Check(noReply == 0 && crcErrors == 0, page + ": replies missing or refused");
        for (const auto& [name, k] : {std::pair<std::string, const Kind&>{"with version", withVersion},
                                      std::pair<std::string, const Kind&>{"without", plain}}) {
            const double floor = Median(k.floor), wall = Median(k.wall);
            const int tx = k.transactions.empty() ? 0 : k.transactions.front();
            const bool same = std::all_of(k.transactions.begin(), k.transactions.end(), [&](int t) { return t == tx; });
            std::printf("  %-13s x%-3zu %d transactions each%s, median %.1f ms, floor %.0f ms (%.2f %% above), CPU %.2f ms per cycle\n",
                        name.c_str(), k.wall.size(), tx, same ? "" : " (NOT THE SAME IN EVERY CYCLE)", wall, floor,
                        floor > 0 ? 100.0 * (wall - floor) / floor : 0.0, Median(k.cpu));
            verdict.Check(tx > 0 && same, page + ", " + name + ": transactions per cycle " + (tx > 0 ? "differ" : "none"));
            verdict.AtMost(page + ", " + name, k.wall, kMinEachKind, floor * 1.15, "ms");
        }
        // The version group's cycles read more than the others.
        const auto first = [](const Kind& k) { return k.transactions.empty() ? 0 : k.transactions.front(); };
        verdict.Check(first(withVersion) > first(plain), page + ": the version group's cycles read no more than the others");
        if (totalWall > 0)
            std::printf("  all cycles: %.0f ms against a floor of %.0f ms; the program's thread used %.2f %% of one core\n",
                        totalWall, totalFloor, 100.0 * totalCpu / totalWall);
    };

    measure("Output 1-3, Total Power and Version");
    // The shipped grid-tied main page as it ships: every panel of its layout, AC layout 2.
    driver.PickText("Combo_SelectMode", "GridTied");
    window.Link.SlaveId = 1;
    window.Link.SetBaudCode(1);
    window.StopRequest = 0;
    measure("the GridTied main page");
    // The shipped storage main page: the battery's summary beside the live values.
    bus.With(1, [](invsim::Inverter& inv) { invsim::LoadDemoStorage(inv); });
    driver.PickText("Combo_SelectMode", "Storage");
    window.Link.SlaveId = 1;
    window.Link.SetBaudCode(1);
    window.StopRequest = 0;
    measure("the Storage main page");
    window.Link.Com.Close();
    bus.Stop();
    return verdict.Finish();
}

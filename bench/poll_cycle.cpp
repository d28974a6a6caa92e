// Poll cycles of the real main window (offscreen) against the simulated demonstration inverter
// on a pty: first with the Output 1 to 3, Total Power and Version groups shown, then the shipped
// "GridTied" main page with every panel of its layout. Prints, per page and kind of
// cycle (with and without the version group), the median wall time against the floor of its
// transactions' specified waits (30 ms before each write plus one 40 ms poll, plus the 10 ms
// pause of the cycle), and the share of one core the program's thread uses while it polls.
#include "app/Main.h"
#include "support/Clocks.h"
#include "support/ProgramFolder.h"
#include "tools/invsim/Bus.h"
#include "tools/invsim/Demo.h"
#include "vcl/Kit.h"
#include "vcl/UserDriver.h"

#include <QApplication>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

using testsupport::Median;
using testsupport::NowMs;
using testsupport::ThreadCpuMs;

struct Kind {
    std::vector<double> wall, floor, cpu;
};

} // namespace

int main(int argc, char** argv)
{
    const int cycles = argc > 1 ? std::max(10, std::atoi(argv[1])) : 40;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir home, lock;
    // The shipped program folder of the source tree this benchmark was built from.
    if (!testsupport::CopyProgramFolder(home.path())) {
        std::fprintf(stderr, "bench: cannot lay out the program folder\n");
        return 1;
    }
    qputenv("SUNVANE_HOME", home.path().toUtf8());
    qputenv("SUNVANE_INSTANCE_DIR", lock.path().toUtf8());
    QApplication app(argc, argv);

    invsim::Bus bus;
    std::string error;
    if (!bus.Start(&error)) {
        std::fprintf(stderr, "bench: %s\n", error.c_str());
        return 1;
    }
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
    if (window.Link.OpenCom(QString::fromStdString(bus.Path())) != 0)
        return 1;
    window.Link.LinkType = LinkRs485;
    window.Link.ResetLinkCounters();
    window.Link.SlaveId = 1;
    window.Link.SetBaudCode(1);
    window.AcLayout = 0;
    window.StopRequest = 0;
    window.PollCycleCount = 0;

    // Cycles of the window as it stands, split by kind (with and without the version group).
    // Returns the worst share above the floor, in per cent, of the kinds' medians and of all
    // cycles together; -1 when a cycle failed.
    constexpr double kPauseBeforeWrite = 30, kFirstPoll = 40, kCyclePause = 10;
    constexpr std::size_t kFewestJudged = 5;
    const auto measure = [&](const char* what, int count) -> double {
        window.PollCycleCount = 0;
        Kind withVersion, plain;
        double totalWall = 0, totalCpu = 0, totalFloor = 0;
        for (int i = 0; i < count; ++i) {
            const bool version = window.PollCycleCount % 10 == 0;
            const int tx0 = window.Link.TxCounter;
            const double t0 = NowMs(), c0 = ThreadCpuMs();
            if (window.PollCycle() != 0) {
                std::fprintf(stderr, "bench: the cycle ended the loop\n");
                return -1;
            }
            const double wall = NowMs() - t0, cpu = ThreadCpuMs() - c0;
            const int tx = window.Link.TxCounter - tx0;
            const double floor = tx * (kPauseBeforeWrite + kFirstPoll) + kCyclePause;
            Kind& k = version ? withVersion : plain;
            k.wall.push_back(wall);
            k.floor.push_back(floor);
            k.cpu.push_back(cpu);
            totalWall += wall;
            totalCpu += cpu;
            totalFloor += floor;
        }
        std::printf("poll_cycle: %d cycles with %s shown\n", count, what);
        double worst = 0;
        for (const auto& [name, k] : {std::pair<const char*, const Kind&>{"with version ", withVersion},
                                      std::pair<const char*, const Kind&>{"without      ", plain}}) {
            const double floor = Median(k.floor), wall = Median(k.wall);
            const double above = 100.0 * (wall - floor) / floor;
            // A median of a handful of cycles says little: such a kind is shown, not judged.
            const bool judged = k.wall.size() >= kFewestJudged;
            if (judged)
                worst = std::max(worst, above);
            std::printf("  %s x%-3zu median %.1f ms, floor %.0f ms (%.0f transactions), above floor %.2f %% (limit 5 %%%s), CPU %.2f ms per cycle\n",
                        name, k.wall.size(), wall, floor, (floor - kCyclePause) / (kPauseBeforeWrite + kFirstPoll), above,
                        judged ? "" : ", too few cycles to judge", Median(k.cpu));
        }
        const double all = 100.0 * (totalWall - totalFloor) / totalFloor;
        std::printf("  all cycles: %.0f ms against a floor of %.0f ms (%.2f %% above); the program's thread used %.2f %% of one core\n",
                    totalWall, totalFloor, all, 100.0 * totalCpu / totalWall);
        return std::max(worst, all);
    };

    const double outputs = measure("Output 1-3, Total Power and Version", cycles);
    // The shipped grid-tied main page as it ships: every panel of its layout, AC layout 2.
    driver.PickText("Combo_SelectMode", "GridTied");
    window.Link.SlaveId = 1;
    window.Link.SetBaudCode(1);
    const double gridTied = outputs < 0 ? -1 : measure("the GridTied main page (AC layout 2)", std::max(10, cycles / 2));
    const bool clean = window.Link.NoReplyCount == 0 && window.Link.CrcErrors == 0;
    const bool held = clean && outputs >= 0 && gridTied >= 0 && outputs <= 5 && gridTied <= 5;
    window.Link.Com.Close();
    bus.Stop();
    std::printf("poll_cycle: %s (%s; worst share above the floor %.2f %% and %.2f %%, limit 5 %%)\n",
                held ? "bound held" : "bound NOT held", clean ? "every reply accepted" : "replies missing", outputs, gridTied);
    return held ? 0 : 1;
}

// One function-4 read of 30 registers against the simulated inverter on a pty, in real time.
// Bound: the median wall time per transaction stays within 10 ms of its floor (the 30 ms pause
// before the write plus one 40 ms poll), over at least 20 transactions, every reply accepted.
//   bench_link_transaction [RUNS (default 50, at least 20)]
#include "Verdict.h"

#include "link/Modbus.h"
#include "support/Clocks.h"
#include "tools/invsim/Bus.h"

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

using testsupport::Median;
using testsupport::NowMs;
using testsupport::ProcessCpuMs;
using testsupport::ThreadCpuMs;

} // namespace

int main(int argc, char** argv)
{
    constexpr int kMinRuns = 20;
    const int runs = argc > 1 ? std::max(kMinRuns, std::atoi(argv[1])) : 50;
    bench::Verdict verdict("link_transaction");
    invsim::Bus bus;
    std::string error;
    if (!verdict.Check(bus.Start(&error), "simulator: " + error))
        return verdict.Finish();
    bus.AddInverter(1, 9600);
    for (int r = 1; r <= 30; ++r)
        bus.SetInput(1, r, static_cast<std::uint16_t>(r * 100));

    Modbus link;
    if (!verdict.Check(link.OpenCom(QString::fromStdString(bus.Path())) == 0, "the pty does not open"))
        return verdict.Finish();
    link.SetBaudCode(1);
    link.ResetLinkCounters();
    link.SlaveId = 1;

    std::vector<double> wall, cpu;
    int accepted = 0, failed = 0;
    const double process0 = ProcessCpuMs();
    for (int i = 0; i < runs; ++i) {
        const double t0 = NowMs(), c0 = ThreadCpuMs();
        if (link.Request(1, 30, 4) != 0) {
            ++failed;
            continue;
        }
        wall.push_back(NowMs() - t0);
        cpu.push_back(ThreadCpuMs() - c0);
        // The whole reply with every register as the simulator holds it.
        bool right = link.ReplyOk == 1 && link.Reply[1] == 4 && link.ReplyLength == 65;
        for (int r = 0; right && r < 30; ++r)
            right = link.Reply[3 + 2 * r] * 256 + link.Reply[4 + 2 * r] == (r + 1) * 100;
        accepted += right;
    }
    const double processCpu = ProcessCpuMs() - process0;
    const double floorMs = 30 + 40;
    std::printf("link_transaction: %d function-4 reads of 30 registers, %d accepted, %d link failures\n", runs, accepted,
                failed);
    if (!wall.empty()) {
        std::printf("  wall per transaction: median %.2f ms (min %.2f, max %.2f); floor %.0f ms\n", Median(wall),
                    *std::min_element(wall.begin(), wall.end()), *std::max_element(wall.begin(), wall.end()), floorMs);
        std::printf("  CPU of the link per transaction: median %.3f ms; whole process incl. simulator %.3f ms\n",
                    Median(cpu), processCpu / runs);
    }
    link.Com.Close();
    bus.Stop();
    verdict.Check(failed == 0, std::to_string(failed) + " requests failed on the link");
    verdict.Check(accepted == runs, std::to_string(runs - accepted) + " replies refused or wrong");
    verdict.AtMost("wall per transaction", wall, kMinRuns, floorMs + 10, "ms");
    return verdict.Finish();
}

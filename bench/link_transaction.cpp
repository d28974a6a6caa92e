// One function-4 read of 30 registers against the simulated inverter on a pty, in real time.
// Prints the median wall time per transaction against its floor (the 30 ms pause before the
// write plus one 40 ms poll) and the CPU time the link spends per transaction.
#include "link/Modbus.h"
#include "support/Clocks.h"
#include "tools/invsim/Bus.h"

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

using testsupport::NowMs;
using testsupport::ProcessCpuMs;
using testsupport::ThreadCpuMs;

} // namespace

int main(int argc, char** argv)
{
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 50;
    invsim::Bus bus;
    std::string error;
    if (!bus.Start(&error)) {
        std::fprintf(stderr, "bench: %s\n", error.c_str());
        return 1;
    }
    bus.AddInverter(1, 9600);
    for (int r = 1; r <= 30; ++r)
        bus.SetInput(1, r, static_cast<std::uint16_t>(r * 100));

    Modbus link;
    if (link.OpenCom(QString::fromStdString(bus.Path())) != 0)
        return 1;
    link.SetBaudCode(1);
    link.ResetLinkCounters();
    link.SlaveId = 1;

    std::vector<double> wall, cpu;
    int accepted = 0;
    const double process0 = ProcessCpuMs();
    for (int i = 0; i < runs; ++i) {
        const double t0 = NowMs(), c0 = ThreadCpuMs();
        if (link.Request(1, 30, 4) != 0) {
            std::fprintf(stderr, "bench: link failure\n");
            return 1;
        }
        wall.push_back(NowMs() - t0);
        cpu.push_back(ThreadCpuMs() - c0);
        if (link.ReplyOk == 1 && link.Reply[1] == 4 && link.ReplyLength == 65)
            ++accepted;
    }
    const double processCpu = ProcessCpuMs() - process0;
    std::sort(wall.begin(), wall.end());
    std::sort(cpu.begin(), cpu.end());
    const double floorMs = 30 + 40;
    const double median = wall[wall.size() / 2];
    std::printf("link_transaction: %d function-4 reads of 30 registers, %d accepted\n", runs, accepted);
    std::printf("  wall per transaction: median %.2f ms (min %.2f, max %.2f); floor %.0f ms; median above floor %.2f ms\n",
                median, wall.front(), wall.back(), floorMs, median - floorMs);
    std::printf("  CPU of the link per transaction: median %.3f ms (max %.3f); whole process incl. simulator %.3f ms\n",
                cpu[cpu.size() / 2], cpu.back(), processCpu / runs);
    link.Com.Close();
    bus.Stop();
    return accepted == runs ? 0 : 1;
}

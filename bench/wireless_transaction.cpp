// Transactions of the Wi-Fi and radio links against the simulator, in real time: the Wi-Fi
// module on a loopback port and the radio adapter on a pty. Prints the median wall time per
// transaction against its floor (Wi-Fi: the 250 ms pause after every exchange; radio: the
// 1.25 s of waits of one exchange) and the CPU the link spends per transaction.
//   bench_wireless_transaction [WIFI_RUNS [RADIO_RUNS]]
#include "link/Modbus.h"
#include "support/Clocks.h"
#include "tools/invsim/RadioAdapter.h"
#include "tools/invsim/TcpModule.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using testsupport::NowMs;
using testsupport::ThreadCpuMs;

struct Figures {
    std::vector<double> wall, cpu;
    int accepted = 0;
    void Print(const char* what, double floorMs)
    {
        std::sort(wall.begin(), wall.end());
        std::sort(cpu.begin(), cpu.end());
        const double median = wall[wall.size() / 2];
        std::printf("%s: %zu transactions, %d accepted\n", what, wall.size(), accepted);
        std::printf("  wall per transaction: median %.2f ms (min %.2f, max %.2f); floor %.0f ms; median above floor %.2f ms\n",
                    median, wall.front(), wall.back(), floorMs, median - floorMs);
        std::printf("  CPU of the link per transaction: median %.3f ms (max %.3f)\n", cpu[cpu.size() / 2], cpu.back());
    }
};

template <typename F>
bool Measure(Figures& fig, Modbus& link, int runs, F request)
{
    for (int i = 0; i < runs; ++i) {
        const double t0 = NowMs(), c0 = ThreadCpuMs();
        if (request() != 0)
            return false;
        fig.wall.push_back(NowMs() - t0);
        fig.cpu.push_back(ThreadCpuMs() - c0);
        fig.accepted += link.ReplyOk == 1 && link.ReplyLength > 0;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    const int wifiRuns = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
    const int radioRuns = argc > 2 ? std::max(1, std::atoi(argv[2])) : 6;
    std::string error;

    invsim::TcpModule module;
    if (!module.Start(0, &error)) {
        std::fprintf(stderr, "bench: %s\n", error.c_str());
        return 1;
    }
    for (int r = 1; r <= 30; ++r)
        module.SetInput(r, static_cast<std::uint16_t>(r));
    setenv("SUNVANE_WIFI_ADDRESS", ("127.0.0.1:" + std::to_string(module.Port())).c_str(), 1);
    {
        Modbus link;
        link.LinkType = LinkWifi;
        link.SlaveId = 255;
        link.ResetLinkCounters();
        Figures fig;
        if (!Measure(fig, link, wifiRuns, [&] { return link.Request(1, 30, 4); })) {
            std::fprintf(stderr, "bench: Wi-Fi link failure\n");
            return 1;
        }
        fig.Print("wifi_transaction (function-4 read of 30 registers)", 250);
        link.Tcp.Cleanup();
    }
    module.Stop();

    invsim::RadioAdapter adapter;
    if (!adapter.Start(&error)) {
        std::fprintf(stderr, "bench: %s\n", error.c_str());
        return 1;
    }
    adapter.AddInverter(1);
    adapter.SetInput(1, 1, 7);
    {
        Modbus link;
        if (link.OpenCom(QString::fromStdString(adapter.Path())) != 0)
            return 1;
        link.LinkType = LinkSub1g;
        link.SetBaudCode(3);
        link.ResetLinkCounters();
        link.SlaveId = 1;
        link.RadioConfigure();
        link.SetRadioFreq(9000);   // the inverter's own frequency: no tuning between requests
        Figures fig;
        if (!Measure(fig, link, radioRuns, [&] { return link.Request(1, 1, 4); })) {
            std::fprintf(stderr, "bench: radio link failure\n");
            return 1;
        }
        fig.Print("radio_transaction (function-4 read of 1 register)", 1250);
        link.Com.Close();
    }
    adapter.Stop();
    return 0;
}

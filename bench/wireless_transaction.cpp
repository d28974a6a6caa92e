// Transactions of the Wi-Fi and radio links against the simulator, in real time: the Wi-Fi
// module on a loopback port and the radio adapter on a pty. Bounds: the median wall time per
// transaction stays within 10 ms of its floor on Wi-Fi (the 250 ms pause after every exchange)
// and at most 15 % above it on the radio link (the 1.25 s of waits of one exchange, pumped in
// 125 steps of 10 ms, each of which overshoots a little). Every reply must be accepted with the simulator's values.
//   bench_wireless_transaction [WIFI_RUNS (default 30, at least 20) [RADIO_RUNS (default 11, at least 9)]]
#include "Verdict.h"

#include "link/Modbus.h"
#include "support/Clocks.h"
#include "tools/invsim/RadioAdapter.h"
#include "tools/invsim/TcpModule.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

namespace {

using testsupport::Median;
using testsupport::NowMs;
using testsupport::ThreadCpuMs;

struct Figures {
    std::vector<double> wall, cpu;
    int accepted = 0, failed = 0;
};

// Runs the request; a reply counts as accepted only when the link took it and `right` finds
// the simulator's values in it.
void Measure(Figures& fig, Modbus& link, int runs, const std::function<int()>& request,
             const std::function<bool()>& right)
{
    for (int i = 0; i < runs; ++i) {
        const double t0 = NowMs(), c0 = ThreadCpuMs();
        if (request() != 0) {
            ++fig.failed;
            continue;
        }
        fig.wall.push_back(NowMs() - t0);
        fig.cpu.push_back(ThreadCpuMs() - c0);
        fig.accepted += link.ReplyOk == 1 && link.ReplyLength > 0 && right();
    }
}

void Report(bench::Verdict& verdict, const char* what, const Figures& fig, int runs, std::size_t minRuns,
            double floorMs, double limitMs)
{
    std::printf("%s: %d transactions, %d accepted, %d link failures; floor %.0f ms\n", what, runs, fig.accepted,
                fig.failed, floorMs);
    if (!fig.cpu.empty())
        std::printf("  CPU of the link per transaction: median %.3f ms\n", Median(fig.cpu));
    verdict.Check(fig.failed == 0, std::string(what) + ": " + std::to_string(fig.failed) + " requests failed");
    verdict.Check(fig.accepted == runs,
                  std::string(what) + ": " + std::to_string(runs - fig.accepted) + " replies refused or wrong");
    verdict.AtMost(std::string(what) + " wall per transaction", fig.wall, minRuns, limitMs, "ms");
}

int Word(const Modbus& link, int k)
{
    return link.Reply[3 + 2 * k] * 256 + link.Reply[4 + 2 * k];
}

} // namespace

int main(int argc, char** argv)
{
    constexpr int kMinWifi = 20, kMinRadio = 9;
    const int wifiRuns = argc > 1 ? std::max(kMinWifi, std::atoi(argv[1])) : 30;
    const int radioRuns = argc > 2 ? std::max(kMinRadio, std::atoi(argv[2])) : 11;
    bench::Verdict verdict("wireless_transaction");
    std::string error;

    invsim::TcpModule module;
    if (!verdict.Check(module.Start(0, &error), "Wi-Fi module: " + error))
        return verdict.Finish();
    for (int r = 1; r <= 30; ++r)
        module.SetInput(r, static_cast<std::uint16_t>(r));
    setenv("SUNVANE_WIFI_ADDRESS", ("127.0.0.1:" + std::to_string(module.Port())).c_str(), 1);
    {
        Modbus link;
        link.LinkType = LinkWifi;
        link.SlaveId = 255;
        link.ResetLinkCounters();
        Figures fig;
        Measure(fig, link, wifiRuns, [&] { return link.Request(1, 30, 4); },
                [&] {
                    if (link.Reply[1] != 4 || link.ReplyLength != 65)
                        return false;
                    for (int k = 0; k < 30; ++k)
                        if (Word(link, k) != k + 1)
                            return false;
                    return true;
                });
        Report(verdict, "wifi_transaction (function-4 read of 30 registers)", fig, wifiRuns, kMinWifi, 250, 250 + 10);
        link.Tcp.Cleanup();
    }
    module.Stop();

    invsim::RadioAdapter adapter;
    if (!verdict.Check(adapter.Start(&error), "radio adapter: " + error))
        return verdict.Finish();
    adapter.AddInverter(1);
    adapter.SetInput(1, 1, 7);
    {
        Modbus link;
        if (!verdict.Check(link.OpenCom(QString::fromStdString(adapter.Path())) == 0, "the adapter's pty does not open"))
            return verdict.Finish();
        link.LinkType = LinkSub1g;
        link.SetBaudCode(3);
        link.ResetLinkCounters();
        link.SlaveId = 1;
        link.RadioConfigure();
        link.SetRadioFreq(9000);   // the inverter's own frequency: no tuning between requests
        Figures fig;
        Measure(fig, link, radioRuns, [&] { return link.Request(1, 1, 4); },
                [&] { return link.Reply[1] == 4 && Word(link, 0) == 7; });
        Report(verdict, "radio_transaction (function-4 read of 1 register)", fig, radioRuns, kMinRadio, 1250, 1250 * 1.15);
        link.Com.Close();
    }
    adapter.Stop();
    return verdict.Finish();
}

// invsim: simulated inverters for trying and testing the program without hardware.
// ("invsim tcp" and "invsim radio", the Wi-Fi module and the radio adapter: TcpRadioCli.cpp.)
//
//   invsim serial --id ID[@RATE] [--id ...] [--set ID:REG=VALUE ...] [--coil ID:REG=0|1 ...]
//                 [--holding ID:REG=VALUE ...] [--input ID:REG=VALUE ...]
//                 [--page ID:PAGE=W1,W2,...] [--fault ID:FAULT ...] [--log] [--demo ID ...]
//
// Prints the path of its pseudo-terminal alone on the first line, then serves until it is
// stopped (SIGINT, SIGTERM or SIGHUP). RATE is 4800, 9600, 19200 or 38400 (default 9600);
// REG is a 1-based register number; --set answers function codes 3 and 4 alike. --page gives
// words 1.. of a measurement page (word 0 echoes the page). FAULT is one of silence, crc,
// short[:N], split[:N[:MS]], delay:MS, otherid:ID, flood[:N], exception[:CODE], hangup,
// optionally followed by /TIMES. --log prints each frame received. --demo makes inverter ID a
// demonstration inverter (identity, versions, scale factors, AC values that drift over time).
#include "tools/invsim/Bus.h"
#include "tools/invsim/Demo.h"
#include "tools/invsim/RadioAdapter.h"   // invsim radio
#include "tools/invsim/TcpModule.h"      // invsim tcp

#include <memory>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

int Usage(const char* why)
{
    std::fprintf(stderr, "invsim: %s\n"
                 "usage: invsim serial --id ID[@RATE] [--id ...] [--set ID:REG=VALUE ...] [--coil ID:REG=0|1 ...]\n"
                 "       [--holding ID:REG=VALUE ...] [--input ID:REG=VALUE ...] [--page ID:PAGE=W1,W2,...]\n"
                 "       [--fault ID:FAULT ...] [--log] [--demo ID ...]\n"
                 "       invsim tcp PORT [...]    the Wi-Fi module (\"invsim tcp\" alone lists its options)\n"
                 "       invsim radio --id ID [...]   the radio adapter (\"invsim radio\" alone lists its options)\n", why);
    return 2;
}

bool Number(const std::string& s, long lo, long hi, long& v)
{
    if (s.empty())
        return false;
    char* end = nullptr;
    errno = 0;
    v = std::strtol(s.c_str(), &end, 0);
    return !errno && !*end && v >= lo && v <= hi;
}

// "ID:REST" with ID 1..247.
bool IdAndRest(const std::string& arg, int& id, std::string& rest)
{
    const auto colon = arg.find(':');
    long v = 0;
    if (colon == std::string::npos || !Number(arg.substr(0, colon), 1, 247, v))
        return false;
    id = static_cast<int>(v);
    rest = arg.substr(colon + 1);
    return true;
}

// "ID:REG=VALUE".
bool Assignment(const std::string& arg, long maxValue, int& id, int& reg, long& value)
{
    std::string rest;
    if (!IdAndRest(arg, id, rest))
        return false;
    const auto eq = rest.find('=');
    long r = 0;
    if (eq == std::string::npos || !Number(rest.substr(0, eq), 1, 65536, r) ||
        !Number(rest.substr(eq + 1), 0, maxValue, value))
        return false;
    reg = static_cast<int>(r);
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    // ---- the Wi-Fi module and the radio adapter (TcpRadioCli.cpp) ----
    if (argc >= 2 && std::strcmp(argv[1], "tcp") == 0)
        return invsim::TcpMain(argc, argv);
    if (argc >= 2 && std::strcmp(argv[1], "radio") == 0)
        return invsim::RadioMain(argc, argv);
    // ---- end ----
    if (argc < 2 || std::strcmp(argv[1], "serial") != 0)
        return Usage("the first argument must be \"serial\", \"tcp\" or \"radio\"");

    invsim::Bus bus;
    bool anyId = false;
    bool log = false;
    std::vector<int> demoIds;   // demonstration inverters (animated once serving)
    for (int i = 2; i < argc; ++i) {
        const std::string opt = argv[i];
        if (opt == "--log") {
            log = true;
            continue;
        }
        if (i + 1 >= argc)
            return Usage(("missing value after " + opt).c_str());
        const std::string arg = argv[++i];
        int id = 0, reg = 0;
        long value = 0;
        std::string rest;
        if (opt == "--id") {
            const auto at = arg.find('@');
            long v = 0, rate = 9600;
            if (!Number(arg.substr(0, at), 1, 247, v) ||
                (at != std::string::npos && !Number(arg.substr(at + 1), 0, 38400, rate)) ||
                (rate != 4800 && rate != 9600 && rate != 19200 && rate != 38400))
                return Usage(("bad --id " + arg).c_str());
            bus.AddInverter(static_cast<int>(v), static_cast<int>(rate));
            anyId = true;
        } else if (opt == "--set" || opt == "--holding" || opt == "--input") {
            if (!Assignment(arg, 0xFFFF, id, reg, value))
                return Usage(("bad " + opt + " " + arg).c_str());
            const auto v = static_cast<std::uint16_t>(value);
            if (opt == "--set")
                bus.SetRegister(id, reg, v);
            else if (opt == "--holding")
                bus.SetHolding(id, reg, v);
            else
                bus.SetInput(id, reg, v);
        } else if (opt == "--coil") {
            if (!Assignment(arg, 1, id, reg, value))
                return Usage(("bad --coil " + arg).c_str());
            bus.SetCoil(id, reg, value == 1);
        } else if (opt == "--page") {
            const auto eq = arg.find('=');
            long page = 0;
            if (!IdAndRest(arg.substr(0, eq), id, rest) || eq == std::string::npos || !Number(rest, 0, 255, page))
                return Usage(("bad --page " + arg).c_str());
            std::vector<std::uint16_t> words{0};
            std::string list = arg.substr(eq + 1);
            std::size_t start = 0;
            while (start <= list.size()) {
                const auto comma = list.find(',', start);
                if (!Number(list.substr(start, comma - start), 0, 0xFFFF, value))
                    return Usage(("bad --page " + arg).c_str());
                words.push_back(static_cast<std::uint16_t>(value));
                if (comma == std::string::npos)
                    break;
                start = comma + 1;
            }
            bus.With(id, [&](invsim::Inverter& inv) { inv.SetMeasurementPage(static_cast<int>(page), words); });
        } else if (opt == "--demo") {
            long v = 0;
            if (!Number(arg, 1, 247, v))
                return Usage(("bad --demo " + arg).c_str());
            bus.With(static_cast<int>(v), [](invsim::Inverter& inv) { invsim::LoadDemoInverter(inv); });
            demoIds.push_back(static_cast<int>(v));
            anyId = true;
        } else if (opt == "--fault") {
            invsim::Fault fault;
            if (!IdAndRest(arg, id, rest) || !invsim::ParseFault(rest, fault))
                return Usage(("bad --fault " + arg).c_str());
            bus.AddFault(id, fault);
        } else {
            return Usage(("unknown option " + opt).c_str());
        }
    }
    if (!anyId)
        return Usage("at least one --id is needed");

    // Signals are taken by sigwait below, never by the serving thread.
    sigset_t stop;
    sigemptyset(&stop);
    sigaddset(&stop, SIGINT);
    sigaddset(&stop, SIGTERM);
    sigaddset(&stop, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &stop, nullptr);

    if (log) {
        bus.OnFrame([](const invsim::Frame& f) {
            std::printf("rx %lld.%06lld %d", static_cast<long long>(f.timeUs / 1000000),
                        static_cast<long long>(f.timeUs % 1000000), f.baud);
            for (auto b : f.bytes)
                std::printf(" %02X", b);
            std::printf("\n");
            std::fflush(stdout);
        });
    }
    std::string error;
    if (!bus.Start(&error)) {
        std::fprintf(stderr, "invsim: %s\n", error.c_str());
        return 1;
    }
    std::vector<std::unique_ptr<invsim::DemoAnimator>> demos;
    for (int id : demoIds)
        demos.push_back(std::make_unique<invsim::DemoAnimator>(bus, id));
    std::printf("%s\n", bus.Path().c_str());
    std::fflush(stdout);

    int sig = 0;
    sigwait(&stop, &sig);
    demos.clear();
    bus.Stop();
    return 0;
}

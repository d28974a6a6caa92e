// The command lines of the simulated Wi-Fi module and radio adapter:
//
//   invsim tcp PORT [--id ID] [--set ID:REG=VALUE ...] [--holding ID:REG=VALUE ...]
//              [--input ID:REG=VALUE ...] [--coil ID:REG=0|1 ...] [--fault ID:FAULT ...]
//              [--demo ID] [--log]
//     serves the module on 127.0.0.1:PORT (0 = a free port, printed on the first line as
//     "127.0.0.1:PORT"); ID is the module's slave ID (default 255). FAULT is one of the serial
//     bus's faults or refuse[:MS] (drop the connection and refuse connections for MS ms).
//
//   invsim radio --id ID [--id ...] [--set ID:REG=VALUE ...] [--holding ...] [--input ...]
//                [--coil ...] [--fault ID:FAULT ...] [--listen ID:HZ] [--signal ID:RSSI:SNR]
//                [--reply-delay MS] [--no-tune] [--demo ID] [--log]
//     serves a radio adapter on a pty (its path on the first line) with inverters behind it.
//
// Both serve until SIGINT, SIGTERM or SIGHUP.
#include "tools/invsim/Demo.h"
#include "tools/invsim/RadioAdapter.h"
#include "tools/invsim/TcpModule.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace invsim {

namespace {

int Usage(const char* why)
{
    std::fprintf(stderr, "invsim: %s\n"
                 "usage: invsim serial --id ID[@RATE] [--id ...] [options of the serial bus]\n"
                 "       invsim tcp PORT [--id ID] [--set ID:REG=VALUE ...] [--holding ID:REG=VALUE ...]\n"
                 "       [--input ID:REG=VALUE ...] [--coil ID:REG=0|1 ...] [--fault ID:FAULT ...] [--demo ID] [--log]\n"
                 "       invsim radio --id ID [--id ...] [--set ID:REG=VALUE ...] [--holding ...] [--input ...]\n"
                 "       [--coil ...] [--fault ID:FAULT ...] [--listen ID:HZ] [--signal ID:RSSI:SNR]\n"
                 "       [--reply-delay MS] [--no-tune] [--demo ID] [--log]\n", why);
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

bool IdAndRest(const std::string& arg, int& id, std::string& rest)
{
    const auto colon = arg.find(':');
    long v = 0;
    if (colon == std::string::npos || !Number(arg.substr(0, colon), 1, 255, v))
        return false;
    id = static_cast<int>(v);
    rest = arg.substr(colon + 1);
    return true;
}

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

// The register options both commands share; with(id, f) reaches inverter id. 1 handled,
// 0 not a register option, -1 bad.
template <typename With>
int RegisterOption(const std::string& opt, const std::string& arg, With with)
{
    int id = 0, reg = 0;
    long value = 0;
    if (opt == "--set" || opt == "--holding" || opt == "--input") {
        if (!Assignment(arg, 0xFFFF, id, reg, value))
            return -1;
        const auto v = static_cast<std::uint16_t>(value);
        return with(id, [&](Inverter& inv) {
            if (opt != "--input")
                inv.SetHolding(reg, v);
            if (opt != "--holding")
                inv.SetInput(reg, v);
        }) ? 1 : -1;
    }
    if (opt == "--coil") {
        if (!Assignment(arg, 1, id, reg, value))
            return -1;
        return with(id, [&](Inverter& inv) { inv.SetCoil(reg, value == 1); }) ? 1 : -1;
    }
    if (opt == "--demo") {
        long v = 0;
        if (!Number(arg, 1, 255, v))
            return -1;
        return with(static_cast<int>(v), [](Inverter& inv) { LoadDemoInverter(inv); }) ? 1 : -1;
    }
    return 0;
}

void PrintFrame(const char* what, std::int64_t timeUs, const std::string& body)
{
    std::printf("%s %lld.%06lld %s\n", what, static_cast<long long>(timeUs / 1000000),
                static_cast<long long>(timeUs % 1000000), body.c_str());
    std::fflush(stdout);
}

int WaitForSignal()
{
    sigset_t stop;
    sigemptyset(&stop);
    sigaddset(&stop, SIGINT);
    sigaddset(&stop, SIGTERM);
    sigaddset(&stop, SIGHUP);
    int sig = 0;
    sigwait(&stop, &sig);
    return 0;
}

void BlockStopSignals()
{
    // Signals are taken by sigwait, never by a serving thread.
    sigset_t stop;
    sigemptyset(&stop);
    sigaddset(&stop, SIGINT);
    sigaddset(&stop, SIGTERM);
    sigaddset(&stop, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &stop, nullptr);
}

} // namespace

int TcpMain(int argc, char** argv)
{
    long port = 0;
    if (argc < 3 || !Number(argv[2], 0, 65535, port))
        return Usage("tcp needs a PORT (0 to 65535)");
    // The module's ID first: the other options name it.
    long moduleId = 255;
    for (int i = 3; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "--id") == 0 && !Number(argv[i + 1], 1, 255, moduleId))
            return Usage((std::string("bad --id ") + argv[i + 1]).c_str());
    TcpModule module(static_cast<int>(moduleId));
    bool log = false;
    const auto with = [&](int id, const std::function<void(Inverter&)>& f) {
        if (id != moduleId)
            return false;
        module.With(f);
        return true;
    };
    for (int i = 3; i < argc; ++i) {
        const std::string opt = argv[i];
        if (opt == "--log") {
            log = true;
            continue;
        }
        if (i + 1 >= argc)
            return Usage(("missing value after " + opt).c_str());
        const std::string arg = argv[++i];
        if (opt == "--id")
            continue;
        const int handled = RegisterOption(opt, arg, with);
        if (handled < 0)
            return Usage(("bad " + opt + " " + arg + " (the module's ID is " + std::to_string(moduleId) + ")").c_str());
        if (handled > 0)
            continue;
        if (opt == "--fault") {
            int id = 0;
            std::string rest;
            Fault fault;
            if (!IdAndRest(arg, id, rest) || id != moduleId || !ParseModuleFault(rest, fault))
                return Usage(("bad --fault " + arg).c_str());
            module.AddFault(fault);
            continue;
        }
        return Usage(("unknown option " + opt).c_str());
    }

    BlockStopSignals();
    if (log) {
        module.OnFrame([](const Frame& f) {
            std::string body;
            char hex[4];
            for (auto b : f.bytes) {
                std::snprintf(hex, sizeof hex, " %02X", b);
                body += hex;
            }
            PrintFrame("rx", f.timeUs, body.empty() ? body : body.substr(1));
        });
    }
    std::string error;
    if (!module.Start(static_cast<int>(port), &error)) {
        std::fprintf(stderr, "invsim: %s\n", error.c_str());
        return 1;
    }
    std::printf("127.0.0.1:%d\n", module.Port());
    std::fflush(stdout);
    WaitForSignal();
    module.Stop();
    return 0;
}

int RadioMain(int argc, char** argv)
{
    RadioAdapter adapter;
    bool anyId = false;
    bool log = false;
    const auto with = [&](int id, const std::function<void(Inverter&)>& f) {
        if (id > 247)
            return false;
        adapter.With(id, f);
        return true;
    };
    for (int i = 2; i < argc; ++i) {
        const std::string opt = argv[i];
        if (opt == "--log") {
            log = true;
            continue;
        }
        if (opt == "--no-tune") {
            adapter.SetTuneAnswers(false);
            continue;
        }
        if (i + 1 >= argc)
            return Usage(("missing value after " + opt).c_str());
        const std::string arg = argv[++i];
        long v = 0;
        int id = 0;
        std::string rest;
        const int handled = RegisterOption(opt, arg, with);
        if (handled < 0)
            return Usage(("bad " + opt + " " + arg).c_str());
        if (handled > 0) {
            anyId = anyId || opt == "--demo";
            continue;
        }
        if (opt == "--id") {
            if (!Number(arg, 1, 247, v))
                return Usage(("bad --id " + arg).c_str());
            adapter.AddInverter(static_cast<int>(v));
            anyId = true;
        } else if (opt == "--fault") {
            Fault fault;
            if (!IdAndRest(arg, id, rest) || !ParseFault(rest, fault))
                return Usage(("bad --fault " + arg).c_str());
            adapter.AddFault(id, fault);
        } else if (opt == "--listen") {
            if (!IdAndRest(arg, id, rest) || !Number(rest, 1, 2000000000, v))
                return Usage(("bad --listen " + arg).c_str());
            adapter.SetListenHz(id, static_cast<std::int32_t>(v));
        } else if (opt == "--signal") {
            long rssi = 0, snr = 0;
            const auto colon = arg.find(':', arg.find(':') + 1);
            if (!IdAndRest(arg.substr(0, colon), id, rest) || colon == std::string::npos ||
                !Number(rest, -200, 50, rssi) || !Number(arg.substr(colon + 1), -50, 50, snr))
                return Usage(("bad --signal " + arg).c_str());
            adapter.SetSignal(id, static_cast<int>(rssi), static_cast<int>(snr));
        } else if (opt == "--reply-delay") {
            if (!Number(arg, 0, 60000, v))
                return Usage(("bad --reply-delay " + arg).c_str());
            adapter.SetReplyDelayMs(static_cast<int>(v));
        } else {
            return Usage(("unknown option " + opt).c_str());
        }
    }
    if (!anyId)
        return Usage("at least one --id is needed");

    BlockStopSignals();
    if (log)
        adapter.OnCommand([](const RadioCommand& c) { PrintFrame("cmd", c.timeUs, c.text); });
    std::string error;
    if (!adapter.Start(&error)) {
        std::fprintf(stderr, "invsim: %s\n", error.c_str());
        return 1;
    }
    std::printf("%s\n", adapter.Path().c_str());
    std::fflush(stdout);
    WaitForSignal();
    adapter.Stop();
    return 0;
}

} // namespace invsim

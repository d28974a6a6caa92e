#include "tools/invsim/Cli.h"
#include "tools/invsim/Stx.h"

#include "tools/invsim/Demo.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>

namespace invsim::cli {

int Usage(const std::string& why)
{
    std::fprintf(stderr, "invsim: %s\n"
                 "usage: invsim serial --id ID[@RATE] [--id ...] [--set ID:REG=VALUE ...] [--coil ID:REG=0|1 ...]\n"
                 "       [--holding ID:REG=VALUE ...] [--input ID:REG=VALUE ...] [--page ID:PAGE=W1,W2,...]\n"
                 "       [--fault ID:FAULT ...] [--log] [--demo ID ...] [--talvera ID ...]\n"
                 "       [--storage ID ...] [--meter ID] [--product-id PID]\n"
                 "       [--refuse ID:REG=VALUE ...]\n"
                 "       invsim tcp PORT [--id ID] [--set ID:REG=VALUE ...] [--holding ID:REG=VALUE ...]\n"
                 "       [--input ID:REG=VALUE ...] [--coil ID:REG=0|1 ...] [--fault ID:FAULT ...] [--demo ID]\n"
                 "       [--product-id PID] [--log]\n"
                 "       invsim radio --id ID [--id ...] [--set ID:REG=VALUE ...] [--holding ...] [--input ...]\n"
                 "       [--coil ...] [--fault ID:FAULT ...] [--listen ID:HZ] [--signal ID:RSSI:SNR]\n"
                 "       [--reply-delay MS] [--no-tune] [--demo ID] [--log]\n"
                 "--refuse ID:REG=VALUE (every command): a write of VALUE to holding register REG is\n"
                 "  acknowledged, but the register keeps its old value\n"
                 "FAULT, each optionally followed by /TIMES (the replies it spoils, e.g. crc/3):\n"
                 "  silence          no reply at all\n"
                 "  crc              the reply with a spoilt CRC\n"
                 "  short[:N]        N data bytes (default 2) left out, CRC correct for the rest\n"
                 "  split[:N[:MS]]   the first N bytes (default half), a pause of MS (default 20), the rest\n"
                 "  delay:MS         the reply after MS milliseconds\n"
                 "  otherid:ID       the reply from another slave ID\n"
                 "  flood[:N]        N bytes of noise (default 10000) in place of the reply\n"
                 "  exception[:CODE] an exception reply (default code 4)\n"
                 "  hangup           the simulator closes its end of the line\n"
                 "  late[:MS]        the reply MS (default 15) after the program stopped waiting for it\n"
                 "                   (serial: before its next request; radio: in the next request's window)\n"
                 "  otherfc[:FC]     the reply with another function code (default 4 for 3, else 3)\n"
                 "  babble[:MS]      (tcp only) noise without pause in place of the reply, for MS\n"
                 "                   (default 3000)\n"
                 "  refuse[:MS]      (tcp only) the module drops the connection and refuses new ones\n"
                 "                   for MS (default 1000)\n", why.c_str());
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

bool ProductId(const std::string& s, std::uint32_t& pid)
{
    if (s.empty() || s[0] == '-')
        return false;
    char* end = nullptr;
    errno = 0;
    const unsigned long long v = std::strtoull(s.c_str(), &end, 0);
    if (errno || *end != '\0' || v > 0xFFFFFFFFull)
        return false;
    pid = static_cast<std::uint32_t>(v);
    return true;
}

bool IdAndRest(const std::string& arg, long maxId, int& id, std::string& rest)
{
    const auto colon = arg.find(':');
    long v = 0;
    if (colon == std::string::npos || !Number(arg.substr(0, colon), 1, maxId, v))
        return false;
    id = static_cast<int>(v);
    rest = arg.substr(colon + 1);
    return true;
}

bool Assignment(const std::string& arg, long maxId, long maxValue, int& id, int& reg, long& value)
{
    std::string rest;
    if (!IdAndRest(arg, maxId, id, rest))
        return false;
    const auto eq = rest.find('=');
    long r = 0;
    if (eq == std::string::npos || !Number(rest.substr(0, eq), 1, 65536, r) ||
        !Number(rest.substr(eq + 1), 0, maxValue, value))
        return false;
    reg = static_cast<int>(r);
    return true;
}

int ForEachOption(int argc, char** argv, int first, const std::vector<std::string>& flags,
                  const std::function<int(const std::string& opt, const std::string& value)>& option)
{
    for (int i = first; i < argc; ++i) {
        const std::string opt = argv[i];
        bool flag = false;
        for (const auto& f : flags)
            flag = flag || opt == f;
        if (!flag && i + 1 >= argc)
            return Usage("missing value after " + opt);
        const int code = option(opt, flag ? std::string() : std::string(argv[++i]));
        if (code != 0)
            return code;
    }
    return 0;
}

int RegisterOption(const std::string& opt, const std::string& arg, long maxId, const WithInverter& with)
{
    int id = 0, reg = 0;
    long value = 0;
    if (opt == "--set" || opt == "--holding" || opt == "--input") {
        if (!Assignment(arg, maxId, 0xFFFF, id, reg, value))
            return -1;
        const auto v = static_cast<std::uint16_t>(value);
        // --set answers function codes 3 and 4 alike.
        return with(id, [&](Inverter& inv) {
            if (opt != "--input")
                inv.SetHolding(reg, v);
            if (opt != "--holding")
                inv.SetInput(reg, v);
        }) ? 1 : -1;
    }
    if (opt == "--refuse") {
        if (!Assignment(arg, maxId, 0xFFFF, id, reg, value))
            return -1;
        return with(id, [&](Inverter& inv) { inv.RefuseWrite(reg, static_cast<std::uint16_t>(value)); }) ? 1 : -1;
    }
    if (opt == "--coil") {
        if (!Assignment(arg, maxId, 1, id, reg, value))
            return -1;
        return with(id, [&](Inverter& inv) { inv.SetCoil(reg, value == 1); }) ? 1 : -1;
    }
    if (opt == "--demo") {
        long v = 0;
        if (!Number(arg, 1, maxId, v))
            return -1;
        return with(static_cast<int>(v), [](Inverter& inv) { LoadDemoInverter(inv); }) ? 1 : -1;
    }
    if (opt == "--talvera") {
        long v = 0;
        if (!Number(arg, 1, maxId, v))
            return -1;
        return with(static_cast<int>(v), [](Inverter& inv) { LoadDemoTalvera(inv.Talvera()); }) ? 1 : -1;
    }
    return 0;
}

void PrintLogLine(const char* what, std::int64_t timeUs, const std::string& body)
{
    std::printf("%s %lld.%06lld %s\n", what, static_cast<long long>(timeUs / 1000000),
                static_cast<long long>(timeUs % 1000000), body.c_str());
    std::fflush(stdout);
}

namespace {

sigset_t StopSignals()
{
    sigset_t stop;
    sigemptyset(&stop);
    sigaddset(&stop, SIGINT);
    sigaddset(&stop, SIGTERM);
    sigaddset(&stop, SIGHUP);
    return stop;
}

} // namespace

void BlockStopSignals()
{
    // Signals are taken by sigwait, never by a serving thread.
    const sigset_t stop = StopSignals();
    pthread_sigmask(SIG_BLOCK, &stop, nullptr);
}

int AnnounceAndWait(bool started, const std::string& error, const std::string& firstLine)
{
    if (!started) {
        std::fprintf(stderr, "invsim: %s\n", error.c_str());
        return 1;
    }
    std::printf("%s\n", firstLine.c_str());
    std::fflush(stdout);
    const sigset_t stop = StopSignals();
    int sig = 0;
    sigwait(&stop, &sig);
    return 0;
}

} // namespace invsim::cli

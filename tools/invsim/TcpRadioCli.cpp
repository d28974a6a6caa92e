// The command lines of the simulated Wi-Fi module and radio adapter:
//
//   invsim tcp PORT [--id ID] [--set ID:REG=VALUE ...] [--holding ID:REG=VALUE ...]
//              [--input ID:REG=VALUE ...] [--coil ID:REG=0|1 ...] [--fault ID:FAULT ...]
//              [--demo ID] [--product-id PID] [--log]
//     serves the module on 127.0.0.1:PORT (0 = a free port, printed on the first line as
//     "127.0.0.1:PORT"); ID is the module's slave ID (default 255). FAULT is one of the serial
//     bus's faults or refuse[:MS] (drop the connection and refuse connections for MS ms). PID is
//     the product ID the boot loader behind the module reports to a firmware upgrade (decimal or
//     0x hex; default 52000100): an image is programmed only when its product ID is the same.
//
//   invsim radio --id ID [--id ...] [--set ID:REG=VALUE ...] [--holding ...] [--input ...]
//                [--coil ...] [--fault ID:FAULT ...] [--listen ID:HZ] [--signal ID:RSSI:SNR]
//                [--reply-delay MS] [--no-tune] [--demo ID] [--log]
//     serves a radio adapter on a pty (its path on the first line) with inverters behind it.
//
// Both serve until SIGINT, SIGTERM or SIGHUP.
#include "tools/invsim/Cli.h"
#include "tools/invsim/RadioAdapter.h"
#include "tools/invsim/TcpModule.h"

#include <cstdlib>
#include <cstring>
#include <string>

namespace invsim {

using namespace cli;

int TcpMain(int argc, char** argv)
{
    long port = 0;
    if (argc < 3 || !Number(argv[2], 0, 65535, port))
        return Usage("tcp needs a PORT (0 to 65535)");
    // The module's ID first: the other options name it.
    long moduleId = 255;
    for (int i = 3; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "--id") == 0 && !Number(argv[i + 1], 1, 255, moduleId))
            return Usage(std::string("bad --id ") + argv[i + 1]);
    TcpModule module(static_cast<int>(moduleId));
    bool log = false;
    const WithInverter with = [&](int id, const std::function<void(Inverter&)>& f) {
        if (id != moduleId)
            return false;
        module.With(f);
        return true;
    };
    const int bad = ForEachOption(argc, argv, 3, {"--log"}, [&](const std::string& opt, const std::string& arg) {
        if (opt == "--log") {
            log = true;
            return 0;
        }
        if (opt == "--id")
            return 0;
        if (opt == "--product-id") {
            std::uint32_t pid = 0;
            if (!ProductId(arg, pid))
                return Usage("bad --product-id " + arg);
            module.WithBootLoader([&](WifiBootLoader& b) { b.productId = pid; });
            return 0;
        }
        const int handled = RegisterOption(opt, arg, 255, with);
        if (handled < 0)
            return Usage("bad " + opt + " " + arg + " (the module's ID is " + std::to_string(moduleId) + ")");
        if (handled > 0)
            return 0;
        if (opt == "--fault") {
            int id = 0;
            std::string rest;
            Fault fault;
            if (!IdAndRest(arg, 255, id, rest) || id != moduleId || !ParseModuleFault(rest, fault))
                return Usage("bad --fault " + arg);
            module.AddFault(fault);
            return 0;
        }
        return Usage("unknown option " + opt);
    });
    if (bad != 0)
        return bad;

    BlockStopSignals();
    if (log)
        module.OnFrame([](const Frame& f) { PrintLogLine("rx", f.timeUs, HexText(f.bytes, " ")); });
    std::string error;
    const bool started = module.Start(static_cast<int>(port), &error);
    const int code = AnnounceAndWait(started, error, "127.0.0.1:" + std::to_string(module.Port()));
    module.Stop();
    return code;
}

int RadioMain(int argc, char** argv)
{
    RadioAdapter adapter;
    bool anyId = false;
    bool log = false;
    const WithInverter with = [&](int id, const std::function<void(Inverter&)>& f) {
        if (id > 247)
            return false;
        adapter.With(id, f);
        return true;
    };
    const int bad = ForEachOption(argc, argv, 2, {"--log", "--no-tune"}, [&](const std::string& opt, const std::string& arg) {
        if (opt == "--log") {
            log = true;
            return 0;
        }
        if (opt == "--no-tune") {
            adapter.SetTuneAnswers(false);
            return 0;
        }
        long v = 0;
        int id = 0;
        std::string rest;
        const int handled = RegisterOption(opt, arg, 255, with);
        if (handled < 0)
            return Usage("bad " + opt + " " + arg);
        if (handled > 0) {
            anyId = anyId || opt == "--demo";
            return 0;
        }
        if (opt == "--id") {
            if (!Number(arg, 1, 247, v))
                return Usage("bad --id " + arg);
            adapter.AddInverter(static_cast<int>(v));
            anyId = true;
        } else if (opt == "--fault") {
            Fault fault;
            if (!IdAndRest(arg, 255, id, rest) || !ParseFault(rest, fault))
                return Usage("bad --fault " + arg);
            adapter.AddFault(id, fault);
        } else if (opt == "--listen") {
            if (!IdAndRest(arg, 255, id, rest) || !Number(rest, 1, 2000000000, v))
                return Usage("bad --listen " + arg);
            adapter.SetListenHz(id, static_cast<std::int32_t>(v));
        } else if (opt == "--signal") {
            long rssi = 0, snr = 0;
            const auto colon = arg.find(':', arg.find(':') + 1);
            if (!IdAndRest(arg.substr(0, colon), 255, id, rest) || colon == std::string::npos ||
                !Number(rest, -200, 50, rssi) || !Number(arg.substr(colon + 1), -50, 50, snr))
                return Usage("bad --signal " + arg);
            adapter.SetSignal(id, static_cast<int>(rssi), static_cast<int>(snr));
        } else if (opt == "--reply-delay") {
            if (!Number(arg, 0, 60000, v))
                return Usage("bad --reply-delay " + arg);
            adapter.SetReplyDelayMs(static_cast<int>(v));
        } else {
            return Usage("unknown option " + opt);
        }
        return 0;
    });
    if (bad != 0)
        return bad;
    if (!anyId)
        return Usage("at least one --id is needed");

    BlockStopSignals();
    if (log)
        adapter.OnCommand([](const RadioCommand& c) { PrintLogLine("cmd", c.timeUs, c.text); });
    std::string error;
    const bool started = adapter.Start(&error);
    const int code = AnnounceAndWait(started, error, adapter.Path());
    adapter.Stop();
    return code;
}

} // namespace invsim

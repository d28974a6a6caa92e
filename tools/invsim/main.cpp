// invsim: simulated inverters for trying and testing the program without hardware.
// ("invsim tcp" and "invsim radio", the Wi-Fi module and the radio adapter: TcpRadioCli.cpp.)
//
//   invsim serial --id ID[@RATE] [--id ...] [--set ID:REG=VALUE ...] [--coil ID:REG=0|1 ...]
//                 [--holding ID:REG=VALUE ...] [--input ID:REG=VALUE ...]
//                 [--page ID:PAGE=W1,W2,...] [--fault ID:FAULT ...] [--log] [--demo ID ...] [--talvera ID ...]
//                 [--storage ID ...] [--meter ID] [--product-id PID]
//
// Prints the path of its pseudo-terminal alone on the first line, then serves until it is
// stopped (SIGINT, SIGTERM or SIGHUP). RATE is 4800, 9600, 19200 or 38400 (default 9600);
// REG is a 1-based register number; --set answers function codes 3 and 4 alike. --page gives
// words 1.. of a measurement page (word 0 echoes the page). FAULT is one of silence, crc,
// short[:N], split[:N[:MS]], delay:MS, otherid:ID, flood[:N], exception[:CODE], hangup,
// optionally followed by /TIMES. --log prints each frame received. --talvera makes inverter ID
// answer the STX frames of that product line (identity, DC and AC values). --demo makes inverter ID a
// demonstration inverter (identity, versions, scale factors, AC values that drift over time, and
// the other live values: measurement pages, DC inputs, meter, energy, counters, temperatures).
// --storage makes inverter ID a demonstration storage inverter (the demonstration values and a
// battery); --meter puts a power meter on the bus at ID (1 to 254, usually 252).
// Every inverter's boot loader reports hardware 1.02 and software 3.03 for each processor, and the
// product ID PID (decimal or 0x hex; default 52000100): the images in tests/upgrade/data (product
// ID 10, hardware 1.02, software 3.04) program over the bus with --product-id 10.
#include "tools/invsim/BootLoader.h"
#include "tools/invsim/Bus.h"
#include "tools/invsim/Cli.h"
#include "tools/invsim/Demo.h"
#include "tools/invsim/DemoStorage.h"
#include "tools/invsim/RadioAdapter.h"   // invsim radio
#include "tools/invsim/TcpModule.h"      // invsim tcp

#include <cstring>
#include <memory>
#include <string>
#include <vector>

using namespace invsim::cli;

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

    constexpr long kMaxId = 247;
    invsim::Bus bus;
    bool anyId = false;
    bool log = false;
    std::vector<int> demoIds;   // demonstration inverters (animated once serving)
    std::uint32_t productId = invsim::kDefaultProductId;
    int lastId = 0;             // the inverter the last register option reached
    const WithInverter with = [&](int id, const std::function<void(invsim::Inverter&)>& f) {
        lastId = id;
        bus.With(id, f);
        return true;
    };
    const int bad = ForEachOption(argc, argv, 2, {"--log"}, [&](const std::string& opt, const std::string& arg) {
        if (opt == "--log") {
            log = true;
            return 0;
        }
        int id = 0;
        long value = 0;
        std::string rest;
        const int handled = RegisterOption(opt, arg, kMaxId, with);
        if (handled < 0)
            return Usage("bad " + opt + " " + arg);
        if (handled > 0) {
            if (opt == "--demo") {
                demoIds.push_back(lastId);
                anyId = true;
            }
            return 0;
        }
        if (opt == "--storage" || opt == "--meter") {
            long v = 0;
            if (!Number(arg, 1, opt == "--meter" ? 254 : kMaxId, v))
                return Usage("bad " + opt + " " + arg);
            if (opt == "--meter") {
                bus.With(static_cast<int>(v), [](invsim::Inverter& inv) { invsim::LoadDemoMeter(inv); });
                return 0;
            }
            bus.With(static_cast<int>(v), [](invsim::Inverter& inv) {
                invsim::LoadDemoInverter(inv);
                invsim::LoadDemoStorage(inv);
            });
            demoIds.push_back(static_cast<int>(v));
            anyId = true;
            return 0;
        }
        if (opt == "--id") {
            const auto at = arg.find('@');
            long v = 0, rate = 9600;
            if (!Number(arg.substr(0, at), 1, kMaxId, v) ||
                (at != std::string::npos && !Number(arg.substr(at + 1), 0, 38400, rate)) ||
                (rate != 4800 && rate != 9600 && rate != 19200 && rate != 38400))
                return Usage("bad --id " + arg);
            bus.AddInverter(static_cast<int>(v), static_cast<int>(rate));
            anyId = true;
        } else if (opt == "--page") {
            const auto eq = arg.find('=');
            long page = 0;
            if (!IdAndRest(arg.substr(0, eq), kMaxId, id, rest) || eq == std::string::npos || !Number(rest, 0, 255, page))
                return Usage("bad --page " + arg);
            std::vector<std::uint16_t> words{0};
            std::string list = arg.substr(eq + 1);
            std::size_t start = 0;
            while (start <= list.size()) {
                const auto comma = list.find(',', start);
                if (!Number(list.substr(start, comma - start), 0, 0xFFFF, value))
                    return Usage("bad --page " + arg);
                words.push_back(static_cast<std::uint16_t>(value));
                if (comma == std::string::npos)
                    break;
                start = comma + 1;
            }
            bus.With(id, [&](invsim::Inverter& inv) { inv.SetMeasurementPage(static_cast<int>(page), words); });
        } else if (opt == "--product-id") {
            if (!ProductId(arg, productId))
                return Usage("bad --product-id " + arg);
        } else if (opt == "--fault") {
            invsim::Fault fault;
            if (!IdAndRest(arg, kMaxId, id, rest) || !invsim::ParseFault(rest, fault))
                return Usage("bad --fault " + arg);
            bus.AddFault(id, fault);
        } else {
            return Usage("unknown option " + opt);
        }
        return 0;
    });
    if (bad != 0)
        return bad;
    if (!anyId)
        return Usage("at least one --id is needed");
    // What a firmware image checks before it is programmed: a board and a running version that
    // an image can be made for.
    bus.ForEach([&](invsim::Inverter& inv) {
        inv.SetProductId(productId);
        for (std::size_t p = 0; p < inv.Boot().hardware.size(); ++p) {
            inv.Boot().hardware[p] = {1, 2};
            inv.Boot().software[p] = {3, 3};
        }
    });

    BlockStopSignals();
    if (log) {
        bus.OnFrame([](const invsim::Frame& f) {
            PrintLogLine("rx", f.timeUs, std::to_string(f.baud) + " " + invsim::HexText(f.bytes, " "));
        });
    }
    std::string error;
    const bool started = bus.Start(&error);
    std::vector<std::unique_ptr<invsim::DemoAnimator>> demos;
    if (started)
        for (int id : demoIds)
            demos.push_back(std::make_unique<invsim::DemoAnimator>(bus, id));
    const int code = AnnounceAndWait(started, error, bus.Path());
    demos.clear();
    bus.Stop();
    return code;
}

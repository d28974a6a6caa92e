// Test support of the Wi-Fi and radio links: a scaled clock that counts its waits, the Wi-Fi
// address pointed at a loopback port for one test, and the recording host of the link tests.
#pragma once

#include "link/LinkTestSupport.h"

#include "common/Waits.h"
#include "link/Modbus.h"
#include "support/HookedTime.h"
#include "tools/invsim/RadioAdapter.h"
#include "tools/invsim/TcpModule.h"
#include "vcl/Services.h"

#include <QByteArray>
#include <cstdlib>
#include <functional>
#include <string>

namespace wireless {

using Bytes = std::vector<std::uint8_t>;
using linktest::RecordingHost;

// The kit's clock, faster by a factor: the socket waits of the Wi-Fi link follow the same scale.
// Pumps nothing; a test may wait for the simulator's answer after each step (`settle`), and
// the simulator may count its delays on the program's own time (ProgramUs).
struct CountingTime : testsupport::Hooked<vcl::ScaledTimeService> {
    explicit CountingTime(double factor) : Hooked(factor) {}
    int steps = 0;
    std::vector<int> sleeps;
    void Sleep(int ms) override { sleeps.push_back(ms); Hooked::Sleep(ms); }
    void WaitTenMs() override
    {
        ++steps;
        Hooked::WaitTenMs();
    }
    void Pump() override {}
};

// Sets SUNVANE_WIFI_ADDRESS for the life of the object and puts the old value back.
class WifiAddressScope {
public:
    explicit WifiAddressScope(const std::string& value)
    {
        const char* old = std::getenv("SUNVANE_WIFI_ADDRESS");
        had_ = old != nullptr;
        if (had_)
            old_ = old;
        setenv("SUNVANE_WIFI_ADDRESS", value.c_str(), 1);
    }
    ~WifiAddressScope()
    {
        if (had_)
            setenv("SUNVANE_WIFI_ADDRESS", old_.c_str(), 1);
        else
            unsetenv("SUNVANE_WIFI_ADDRESS");
    }
private:
    bool had_ = false;
    std::string old_;
};

inline std::string Loopback(int port) { return "127.0.0.1:" + std::to_string(port); }

inline Bytes ReplyBytes(const Modbus& link) { return Bytes(link.Reply, link.Reply + link.ReplyLength); }

inline invsim::Fault F(invsim::FaultKind kind, int param = -1, int times = -1, int param2 = -1)
{
    invsim::Fault f;
    f.kind = kind;
    f.param = param;
    f.param2 = param2;
    f.times = times;
    return f;
}

inline Bytes WithCrc(Bytes b)
{
    invsim::AppendCrc(b);
    return b;
}

} // namespace wireless

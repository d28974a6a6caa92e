// The slave-ID probe and scan on a simulated RS-485 bus: the boot loader's product-ID request at
// the three rates, what is recorded, what is ignored.
#include "tests/link/LinkTestSupport.h"

#include "tools/invsim/BootLoader.h"

#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

namespace {

using namespace linktest;
using Bytes = std::vector<std::uint8_t>;

class ScanOnPty : public LinkOnPty {
protected:
    void SetUp() override
    {
        LinkOnPty::SetUp();
        time.factor = 0.2;   // a probe's 250 ms of waits take 50 ms
        time.onPump = [this] { statusZero << host.panels[0]; };
    }
    void OpenBus()
    {
        ASSERT_EQ(link.OpenCom(QString::fromStdString(bus.Path())), 0);
        link.SetBaudCode(1);
        link.ResetLinkCounters();
        bus.ClearFrames();
    }
    QStringList statusZero;   // panel 0 as the window saw it while the scan pumped
};

TEST_F(ScanOnPty, FindsEachInverterAtItsOwnRateWithItsProductId)
{
    bus.AddInverter(3, 9600);
    bus.AddInverter(12, 38400);
    bus.With(3, [](invsim::Inverter& i) { i.SetProductId(0x11223344); });
    bus.With(12, [](invsim::Inverter& i) { i.SetProductId(52000270); });
    OpenBus();
    link.SlaveId = 1;
    link.ScanFirst = 3;
    link.ScanLast = 12;
    EXPECT_EQ(link.ScanIds(), 0);

    EXPECT_EQ(link.IdFound[3], 3);
    EXPECT_EQ(link.IdBaudCode[3], 1);
    EXPECT_EQ(link.IdProductId[3], 0x11223344);
    EXPECT_EQ(link.IdFound[12], 12);
    EXPECT_EQ(link.IdBaudCode[12], 3);
    EXPECT_EQ(link.IdProductId[12], 52000270);
    for (int id = 0; id < Modbus::kIdCount; ++id) {
        if (id != 3 && id != 12) {
            EXPECT_EQ(link.IdFound[id], 0) << id;
        }
        EXPECT_EQ(link.IdMode[id], 1);
        EXPECT_EQ(link.IdSpare[id], 0);
    }

    // Every ID of the range once at 9600, then 19200, then 38400; the rate stays at the last.
    const auto frames = bus.Frames();
    ASSERT_EQ(frames.size(), 30u);
    for (int k = 0; k < 30; ++k) {
        const int id = 3 + k % 10;
        EXPECT_EQ(frames[k].baud, 9600 << (k / 10)) << k;
        EXPECT_EQ(frames[k].bytes[0], id);
        EXPECT_EQ(Bytes(frames[k].bytes.begin() + 1, frames[k].bytes.begin() + 6), (Bytes{0x00, 0xFF, 0xFF, 0x01, 0x00}));
    }
    EXPECT_EQ(bus.LineBaud(), 38400);
    EXPECT_EQ(link.Com.BaudRate, 38400);
    EXPECT_EQ(host.panels[1], "38400");

    // The window saw "ID: n" while the scan ran, and the last probed ID at its end.
    EXPECT_TRUE(statusZero.contains("ID: 3"));
    EXPECT_TRUE(statusZero.contains("ID: 12"));
    EXPECT_EQ(host.panels[0], "ID: 12");
    // The probes count as sent requests but leave the failure counters and the log alone.
    EXPECT_EQ(link.TxCounter, 30);
    EXPECT_EQ(host.panels[3], "30");
    EXPECT_EQ(link.FailStreak, 0);
    EXPECT_EQ(link.NoReplyCount, 0);
    EXPECT_EQ(host.staleCalls, 0);
    EXPECT_EQ(link.SlaveId, 1);   // the serial scan does not touch the current inverter
}

TEST_F(ScanOnPty, TheProbeFrameOfId7)
{
    OpenBus();
    EXPECT_EQ(link.ProbeId(7, 1), 1);
    const auto frames = bus.Frames();
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].bytes, (Bytes{0x07, 0x00, 0xFF, 0xFF, 0x01, 0x00, 0x00, 0x18}));
}

TEST_F(ScanOnPty, AnIdThatAnswersAtSeveralRatesKeepsTheLast)
{
    // Inverter 7 follows the line to 19200 and 38400: it answers at both.
    bus.AddInverter(7, 4800);
    time.onPump = [this] {
        const int baud = bus.LineBaud();
        if (baud >= 19200)
            bus.With(7, [&](invsim::Inverter& i) { i.SetBaud(baud); i.SetProductId(static_cast<std::uint32_t>(baud)); });
    };
    OpenBus();
    link.ScanFirst = 7;
    link.ScanLast = 7;
    link.ScanIds();
    EXPECT_EQ(link.IdFound[7], 7);
    EXPECT_EQ(link.IdBaudCode[7], 3);
    EXPECT_EQ(link.IdProductId[7], 38400);
}

TEST_F(ScanOnPty, TheRangeIsHeldToTheIdsOfTheBus)
{
    OpenBus();
    struct Case { int first, last; std::vector<int> probed; };
    const Case cases[] = {
        {-5, 1, {1, 1, 1}},
        {254, 300, {254, 254, 254}},
        {10, 5, {}},   // start above end: nothing is probed
    };
    for (const Case& c : cases) {
        bus.ClearFrames();
        link.ScanFirst = c.first;
        link.ScanLast = c.last;
        link.ScanIds();
        std::vector<int> probed;
        for (const auto& f : bus.Frames())
            probed.push_back(f.bytes[0]);
        EXPECT_EQ(probed, c.probed) << c.first << ".." << c.last;
    }
}

TEST_F(ScanOnPty, ScanOnTheWifiLinkClearsTheTablesAndSendsNothing)
{
    OpenBus();
    link.LinkType = LinkWifi;
    for (int id = 0; id < Modbus::kIdCount; ++id) {
        link.IdFound[id] = id;
        link.IdBaudCode[id] = 2;
        link.IdProductId[id] = 9;
        link.IdMode[id] = 0;
        link.IdSpare[id] = 5;
    }
    link.ScanFirst = 1;
    link.ScanLast = 32;
    link.ScanIds();
    for (int id = 0; id < Modbus::kIdCount; ++id) {
        EXPECT_EQ(link.IdFound[id], 0);
        EXPECT_EQ(link.IdBaudCode[id], 0);
        EXPECT_EQ(link.IdProductId[id], 0);
        EXPECT_EQ(link.IdMode[id], 1);
        EXPECT_EQ(link.IdSpare[id], 0);
    }
    EXPECT_FALSE(bus.WaitForFrames(1, 50));
    EXPECT_EQ(link.ProbeId(3, 1), 1);
}

// The program ends during a scan: the scan stops before its next probe and the tables get back
// what the last finished scan left; while it ran, what may be remembered was that too.
TEST_F(ScanOnPty, StoppedScanGivesBackTheTablesItStartedWith)
{
    bus.AddInverter(3, 9600);
    OpenBus();
    for (int id = 0; id < Modbus::kIdCount; ++id) {
        link.IdFound[id] = id == 7 ? 7 : 0;
        link.IdBaudCode[id] = id == 7 ? 2 : 0;
        link.IdProductId[id] = id == 7 ? 1007 : 0;
        link.IdMode[id] = 0;
        link.IdSpare[id] = id;
    }
    link.ScanFirst = 1;
    link.ScanLast = 20;
    int knownDuringScan = -1;
    time.onPump = [this, &knownDuringScan] {
        if (link.ScanStop == 0 && bus.Frames().size() >= 5) {
            knownDuringScan = link.KnownIdFound(7) * 10 + link.KnownIdBaudCode(7);
            link.ScanStop = 1;
        }
    };
    EXPECT_EQ(link.ScanIds(), 1);
    EXPECT_EQ(knownDuringScan, 72);
    EXPECT_EQ(bus.Frames().size(), 5u);   // no probe after the stop
    for (int id = 0; id < Modbus::kIdCount; ++id) {
        EXPECT_EQ(link.IdFound[id], id == 7 ? 7 : 0) << id;   // ID 3 answered, but the scan did not end
        EXPECT_EQ(link.IdBaudCode[id], id == 7 ? 2 : 0) << id;
        EXPECT_EQ(link.IdProductId[id], id == 7 ? 1007 : 0) << id;
        EXPECT_EQ(link.IdMode[id], 0);
        EXPECT_EQ(link.IdSpare[id], id);
    }
    // After the scan the tables themselves are what may be remembered; a stop that stays set
    // lets no further scan probe.
    EXPECT_EQ(link.KnownIdFound(7), 7);
    EXPECT_EQ(link.KnownIdFound(300), 0);
    EXPECT_EQ(link.ScanIds(), 1);
    EXPECT_EQ(bus.Frames().size(), 5u);
    EXPECT_EQ(link.IdFound[7], 7);
}

// Answers written onto the line before the probe: what the probe accepts.
TEST(ProbeAnswer, HeaderDecidesAndTheCrcIsIgnored)
{
    RecordingHost host;
    TestTime time;
    time.factor = 0.05;
    vcl::SetTimeService(&time);
    int master = -1, slave = -1;
    char name[256] = {};
    ASSERT_EQ(openpty(&master, &slave, name, nullptr, nullptr), 0);
    termios tio{};
    tcgetattr(slave, &tio);
    cfmakeraw(&tio);
    tcsetattr(slave, TCSANOW, &tio);
    fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);

    auto reply = [](std::uint8_t id, std::uint8_t len, std::uint8_t cmd, bool goodCrc) {
        Bytes r{0xFF, 0xFF, id, 0x00, len, cmd, 0x78, 0x56, 0x34, 0x12};
        invsim::AppendCrc(r);
        if (!goodCrc)
            r.back() ^= 0xFF;
        return r;
    };
    struct Case { const char* what; Bytes answer; int result; };
    const Case cases[] = {
        {"the product ID", reply(7, 5, 0x00, true), 0},
        {"a bad CRC", reply(7, 5, 0x00, false), 0},
        {"another ID at offset 2", reply(8, 5, 0x00, true), 1},
        {"an error reply", reply(7, 1, 0x80, true), 1},
        {"a Modbus frame", Bytes{0x07, 0x03, 0x02, 0x00, 0x01, 0x00, 0x00}, 1},
        {"nothing", Bytes{}, 1},
    };
    for (const Case& c : cases) {
        Modbus link(&host);
        ASSERT_EQ(link.OpenCom(QString::fromLatin1(name)), 0);
        link.SetBaudCode(1);
        if (!c.answer.empty()) {
            ASSERT_EQ(::write(master, c.answer.data(), c.answer.size()), static_cast<ssize_t>(c.answer.size()));
        }
        EXPECT_EQ(link.ProbeId(7, 2), c.result) << c.what;
        EXPECT_EQ(link.IdFound[7], c.result == 0 ? 7 : 0) << c.what;
        EXPECT_EQ(link.IdBaudCode[7], c.result == 0 ? 2 : 0) << c.what;
        EXPECT_EQ(link.IdProductId[7], c.result == 0 ? 0x12345678 : 0) << c.what;
        link.Com.Close();
        std::uint8_t drain[64];
        while (::read(master, drain, sizeof drain) > 0) {
        }
    }
    ::close(master);
    ::close(slave);
    vcl::SetTimeService(nullptr);
}

} // namespace

// The Wi-Fi link against the simulated module on a loopback port: RTU frames without a header,
// one held connection, the 6 s receive wait, and what each failure counts and logs.
#include "WirelessSupport.h"

#include <QProcess>
#include <algorithm>
#include <chrono>
#include <optional>

namespace {

using namespace wireless;
using invsim::FaultKind;

class TcpLink : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string error;
        ASSERT_TRUE(module.Start(0, &error)) << error;
        address = std::make_unique<WifiAddressScope>(Loopback(module.Port()));
        UseClock(0.1);
        link.SetHost(&host);
        // Opening the Wi-Fi link: slave 255, fresh counters, no connection yet.
        link.LinkType = LinkWifi;
        link.SlaveId = 255;
        link.ResetLinkCounters();
    }
    void TearDown() override
    {
        link.Tcp.Cleanup();
        vcl::SetTimeService(nullptr);
        module.Stop();
    }
    void UseClock(double factor)
    {
        auto next = std::make_unique<CountingTime>(factor);
        vcl::SetTimeService(next.get());
        time = std::move(next);
    }
    bool Logged(const QString& line) const { return host.pane.lines.contains(line); }

    invsim::TcpModule module;
    std::unique_ptr<WifiAddressScope> address;
    std::unique_ptr<CountingTime> time;
    RecordingHost host;
    Modbus link;
};

TEST_F(TcpLink, KeepAliveAndReadsGoAsRtuFramesOverOneConnection)
{
    for (int r = 1; r <= 30; ++r)
        module.SetInput(r, static_cast<std::uint16_t>(0x100 + r));
    host.debugOpen = true;

    ASSERT_EQ(link.Request(60515, 0x55AA, 6), 0);
    const Bytes keepAlive{0xFF, 0x06, 0xEC, 0x62, 0x55, 0xAA, 0xB6, 0x75};
    auto frames = module.Frames();
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].bytes, keepAlive);          // no MBAP header, slave 255
    EXPECT_EQ(ReplyBytes(link), keepAlive);         // the module echoes the write
    EXPECT_EQ(link.ReplyOk, 1);
    EXPECT_EQ(module.Holding(60515), 0x55AA);
    EXPECT_EQ(host.panels[3], "1");
    EXPECT_EQ(host.panels[5], "NoCon/NoRx/Error:-1/0/0");
    EXPECT_EQ(time->sleeps, std::vector<int>{250});   // the blocking pause after a TCP exchange
    EXPECT_TRUE(Logged("Tx:8: FF 06 EC 62 55 AA B6 75"));
    EXPECT_TRUE(Logged("Rx:8: FF 06 EC 62 55 AA B6 75"));

    ASSERT_EQ(link.Request(1, 30, 4), 0);
    EXPECT_EQ(link.ReplyLength, 65);
    EXPECT_EQ(link.ReplyOk, 1);
    EXPECT_EQ(link.Reply[3 + 2 * 29] * 256 + link.Reply[4 + 2 * 29], 0x100 + 30);
    EXPECT_EQ(link.TxCounter, 2);
    EXPECT_EQ(module.Accepted(), 1);   // the connection is held between exchanges
    EXPECT_EQ(module.OpenConnections(), 1);

    // Closing the link closes the connection; the next session starts without one.
    link.Tcp.Cleanup();
    EXPECT_TRUE(module.WaitForOpenConnections(0, 5000));
    EXPECT_FALSE(link.Tcp.Connected(KivClient::kLinkSlot));
    ASSERT_EQ(link.Request(1, 1, 4), 0);
    EXPECT_EQ(module.Accepted(), 2);
}

TEST_F(TcpLink, SilentModuleCostsTheReceiveWaitAndANewConnection)
{
    UseClock(0.01);   // the 6 s wait becomes 60 ms
    module.AddFault(F(FaultKind::Silence, -1, 1));
    const auto t0 = std::chrono::steady_clock::now();
    ASSERT_EQ(link.Request(1, 1, 3), 0);
    const auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - t0);
    EXPECT_GE(waited.count(), 60);
    EXPECT_EQ(link.ReplyLength, 0);
    EXPECT_EQ(link.ReplyOk, 0);
    EXPECT_TRUE(Logged("Error - Receive"));   // written although the debug panel is closed
    EXPECT_EQ(link.NoReplyCount, 1);          // counted once
    EXPECT_EQ(link.FailStreak, 1);
    EXPECT_EQ(host.panels[5], "NoCon/NoRx/Error:-1/1/0");
    EXPECT_FALSE(link.Tcp.Connected(KivClient::kLinkSlot));
    EXPECT_TRUE(module.WaitForOpenConnections(0, 5000));

    UseClock(0.1);
    module.SetHolding(1, 7);
    ASSERT_EQ(link.Request(1, 1, 3), 0);
    EXPECT_EQ(link.ReplyOk, 1);
    EXPECT_EQ(module.Accepted(), 2);
    EXPECT_EQ(link.FailStreak, 0);
    EXPECT_EQ(link.NoReplyCount, 1);
}

// The window keeps handling its events while a silent module is awaited; a handler that tries
// a request of its own meanwhile is refused and sends nothing.
TEST_F(TcpLink, SilentModuleWaitKeepsPumpingTheWindow)
{
    UseClock(0.2);   // the 6 s wait becomes 1.2 s
    module.AddFault(F(FaultKind::Silence, -1, 1));
    bool returned = false;
    int pumpsInWait = 0, nestedResult = -1, nestedLength = -1;
    host.onPump = [&] {
        if (returned || module.Frames().size() != 1)
            return;
        if (++pumpsInWait == 1) {
            nestedResult = link.Request(1, 1, 3);
            nestedLength = link.ReplyLength;
        }
    };
    ASSERT_EQ(link.Request(1, 1, 3), 0);
    returned = true;
    host.onPump = nullptr;
    // One pump at least every 50 ms of the 1.2 s: far more than the few around the wait.
    EXPECT_GE(pumpsInWait, 10);
    EXPECT_EQ(nestedResult, 0);
    EXPECT_EQ(nestedLength, 0);
    EXPECT_EQ(module.Frames().size(), 1u);
    EXPECT_EQ(link.TxCounter, 1);
    EXPECT_EQ(link.NoReplyCount, 1);
    EXPECT_TRUE(Logged("Error - Receive"));

    // A handler that closes the link during the wait ends it at once.
    UseClock(1.0);
    module.AddFault(F(FaultKind::Silence, -1, 1));
    host.onPump = [&] {
        if (module.Frames().size() == 2)
            link.Tcp.CloseSlot(KivClient::kLinkSlot);
    };
    const auto t0 = std::chrono::steady_clock::now();
    ASSERT_EQ(link.Request(1, 1, 3), 0);
    host.onPump = nullptr;
    EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(5));
    EXPECT_EQ(link.ReplyLength, 0);
    EXPECT_EQ(link.NoReplyCount, 2);
}

TEST_F(TcpLink, RefusedConnectionIsASendError)
{
    module.Refuse();
    ASSERT_EQ(link.Request(1, 1, 3), 0);   // not a link failure: polling goes on
    EXPECT_TRUE(Logged("Error - Send"));
    EXPECT_EQ(link.ConnectErrors, 0);       // from -1
    EXPECT_EQ(link.NoReplyCount, 1);
    EXPECT_EQ(link.FailStreak, 1);
    EXPECT_EQ(link.TxCounter, 1);
    EXPECT_EQ(host.panels[5], "NoCon/NoRx/Error:0/1/0");
    EXPECT_FALSE(link.Tcp.Connected(KivClient::kLinkSlot));

    module.Listen();
    module.SetHolding(1, 7);
    ASSERT_EQ(link.Request(1, 1, 3), 0);
    EXPECT_EQ(link.ReplyOk, 1);
    EXPECT_EQ(link.FailStreak, 0);
}

TEST_F(TcpLink, AddressThatCannotBeResolvedIsALinkFailure)
{
    // Every one is refused before any look-up: no server is asked.
    for (const char* bad : {"no such host:5001", "host_name:5001", "10.0.0.1!:5001", ":5001", "127.0.0.1:http",
                            "127.0.0.1:0", "127.0.0.1:70000", "[::1]:5001"}) {
        WifiAddressScope scope(bad);
        host.pane.Clear();
        link.ResetLinkCounters();
        EXPECT_EQ(link.Request(60515, 0x55AA, 6), 1) << bad;
        EXPECT_TRUE(Logged("Error - Build Socket")) << bad;
        EXPECT_EQ(link.ReplyLength, 0);
        EXPECT_EQ(link.TxCounter, 0) << bad;
        EXPECT_EQ(link.NoReplyCount, 0) << bad;
    }
    EXPECT_EQ(module.Accepted(), 0);
}

TEST(WifiAddress, HostNamesAndTheDefault)
{
    struct Case { const char* host; bool plausible; };
    const Case cases[] = {{"127.0.0.1", true}, {"10.10.100.254", true}, {"module-1.local", true}, {"localhost", true},
                          {"", false}, {"a b", false}, {"x!y", false}, {"under_score", false}, {"::1", false}};
    for (const auto& c : cases)
        EXPECT_EQ(PlausibleHostName(c.host), c.plausible) << c.host;
    EXPECT_FALSE(PlausibleHostName(std::string(254, 'a')));

    std::string host, port;
    {
        WifiAddressScope scope("");
        WifiAddress(host, port);
        EXPECT_EQ(host + ":" + port, "10.10.100.254:5001");
    }
    {
        WifiAddressScope scope("127.0.0.1");
        WifiAddress(host, port);
        EXPECT_EQ(host + ":" + port, "127.0.0.1:5001");
    }
    {
        WifiAddressScope scope("127.0.0.1:15001");
        WifiAddress(host, port);
        EXPECT_EQ(host + ":" + port, "127.0.0.1:15001");
    }
}

TEST_F(TcpLink, RejectedRepliesCountOnceAndLengthenTheStreak)
{
    UseClock(0.02);   // a short reply waits out the rest of the 6 s for its missing bytes
    struct Case { const char* what; invsim::Fault fault; };
    const Case cases[] = {
        {"bad CRC", F(FaultKind::BadCrc, -1, 1)},
        {"two data bytes short", F(FaultKind::Short, 2, 1)},   // CRC right, length wrong
        {"flood of noise", F(FaultKind::Flood, 300, 1)},
        {"another function code", F(FaultKind::OtherFunction, 4, 1)},
        {"exception 2", F(FaultKind::Exception, 2, 1)},
        {"exception 4", F(FaultKind::Exception, 4, 1)},
    };
    for (int r = 1; r <= 2; ++r)
        module.SetHolding(r, static_cast<std::uint16_t>(r));
    for (const auto& c : cases) {
        link.ResetLinkCounters();
        link.FailStreak = 3;
        module.AddFault(c.fault);
        ASSERT_EQ(link.Request(1, 2, 3), 0) << c.what;
        EXPECT_GT(link.ReplyLength, 0) << c.what;
        EXPECT_FALSE(link.ReplyOk == 1 && link.Reply[1] == 3) << c.what;
        EXPECT_EQ(link.CrcErrors, 1) << c.what;
        EXPECT_EQ(link.NoReplyCount, 0) << c.what;
        EXPECT_EQ(link.FailStreak, 4) << c.what;
        EXPECT_EQ(host.panels[5], "NoCon/NoRx/Error:-1/0/1") << c.what;
    }
    // An exception reply passes the check; the caller finds the wrong function code.
    module.AddFault(F(FaultKind::Exception, 2, 1));
    ASSERT_EQ(link.Request(1, 2, 3), 0);
    EXPECT_EQ(ReplyBytes(link), WithCrc({0xFF, 0x83, 0x02}));
    EXPECT_EQ(link.ReplyOk, 1);
    // The module is the link's only peer: a reply with another slave ID is its inverter's.
    module.AddFault(F(FaultKind::OtherId, 1, 1));
    ASSERT_EQ(link.Request(1, 2, 3), 0);
    EXPECT_EQ(ReplyBytes(link), WithCrc({0x01, 0x03, 0x04, 0x00, 0x01, 0x00, 0x02}));
    EXPECT_EQ(link.ReplyOk, 1);
    EXPECT_EQ(link.FailStreak, 0);
    // And the next good reply is accepted on the same connection.
    ASSERT_EQ(link.Request(1, 2, 3), 0);
    EXPECT_EQ(ReplyBytes(link), WithCrc({0xFF, 0x03, 0x04, 0x00, 0x01, 0x00, 0x02}));
    EXPECT_EQ(link.ReplyOk, 1);
    EXPECT_EQ(module.Accepted(), 1);
}

// A module that keeps sending never holds the window: what waits before a request is read for a
// bounded time and amount only, and the flooded connection is given up for a fresh one.
TEST_F(TcpLink, AModuleThatKeepsSendingNeverHoldsTheWindow)
{
    UseClock(0.05);
    module.SetHolding(1, 7);
    ASSERT_EQ(link.Request(1, 1, 3), 0);
    ASSERT_EQ(link.ReplyOk, 1);
    module.AddFault(F(FaultKind::Babble, 4000));
    using Clock = std::chrono::steady_clock;
    Clock::time_point last = Clock::now();
    long long longest = 0;
    host.onPump = [&] {
        const auto now = Clock::now();
        longest = std::max<long long>(longest, std::chrono::duration_cast<std::chrono::milliseconds>(now - last).count());
        last = now;
    };
    const auto start = Clock::now();
    for (int i = 0; i < 4; ++i) {
        last = Clock::now();
        ASSERT_EQ(link.Request(1, 1, 3), 0);
        EXPECT_FALSE(link.ReplyOk == 1 && link.Reply[1] == 3) << i;
    }
    const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
    host.onPump = nullptr;
    EXPECT_LT(longest, 500);
    EXPECT_LT(took, 2500);
    EXPECT_EQ(link.FailStreak, 4);
    EXPECT_GE(link.CrcErrors, 3);
    // Quiet again: the next exchanges get the module's own reply.
    module.ClearFaults();
    bool good = false;
    for (int i = 0; i < 3 && !good; ++i) {
        ASSERT_EQ(link.Request(1, 1, 3), 0);
        good = link.ReplyOk == 1 && ReplyBytes(link) == WithCrc({0xFF, 0x03, 0x02, 0x00, 0x07});
    }
    EXPECT_TRUE(good);
    EXPECT_EQ(link.FailStreak, 0);
}

TEST_F(TcpLink, ReplySplitAcrossSegmentsIsJoined)
{
    for (int r = 1; r <= 30; ++r)
        module.SetInput(r, static_cast<std::uint16_t>(r));
    module.AddFault(F(FaultKind::Split, 3, 1, 30));   // 3 bytes, 30 ms, the other 62
    ASSERT_EQ(link.Request(1, 30, 4), 0);
    EXPECT_EQ(link.ReplyLength, 65);
    EXPECT_EQ(link.ReplyOk, 1);
    EXPECT_EQ(link.CrcErrors, 0);

    // A tail that comes after the wait gave up is thrown away before the next request, so
    // it cannot spoil the next reply.
    UseClock(0.01);
    const std::size_t before = module.BytesSent();
    module.AddFault(F(FaultKind::Split, 3, 1, 400));
    ASSERT_EQ(link.Request(1, 30, 4), 0);
    EXPECT_EQ(link.ReplyLength, 3);
    EXPECT_EQ(link.ReplyOk, 0);
    EXPECT_EQ(link.CrcErrors, 1);
    ASSERT_TRUE(module.WaitForBytesSent(before + 65, 5000));
    UseClock(0.1);
    ASSERT_EQ(link.Request(1, 30, 4), 0);
    EXPECT_EQ(link.ReplyLength, 65);
    EXPECT_EQ(link.ReplyOk, 1);
}

// An STX reply in two segments is joined by the length it announces, as a Modbus one is.
TEST_F(TcpLink, StxReplySplitAcrossSegmentsIsJoined)
{
    module.With([](invsim::Inverter& inv) {
        inv.Talvera().answers = true;
        inv.Talvera().values = {{2, 3652}};
    });
    module.AddFault(F(FaultKind::Split, 5, 1, 30));   // 5 bytes, 30 ms, the other 6
    ASSERT_EQ(link.RequestStx(0x10, 2), 0);
    EXPECT_EQ(link.ReplyLength, 11);
    EXPECT_EQ(link.ReplyOk, 1);
    EXPECT_EQ(link.Reply[6] * 256 + link.Reply[7], 3652);
    EXPECT_EQ(link.CrcErrors, 0);
}

// A reply that is complete by its own length (an exception, a write's echo, a read's byte
// count) ends the 6 s wait as soon as it is in, also when it came in two pieces.
TEST_F(TcpLink, ReplyCompleteByItsLengthEndsTheWaitAtOnce)
{
    UseClock(1.0);   // the full 6 s window: a wait that runs it out fails the bound below
    for (int r = 1; r <= 30; ++r)
        module.SetInput(r, static_cast<std::uint16_t>(r));
    for (int r : {1, 2, 100})
        module.SetHolding(r, static_cast<std::uint16_t>(r));
    module.SetCoil(24577, true);
    struct Case {
        const char* what;
        int reg, countOrValue, fc;
        std::optional<invsim::Fault> fault;
        int length;
    };
    const Case cases[] = {
        {"exception to a read", 1, 2, 3, F(FaultKind::Exception, 2, 1), 5},
        {"exception to a write", 100, 7, 6, F(FaultKind::Exception, 3, 1), 5},
        {"register write echo", 100, 7, 6, std::nullopt, 8},
        {"coil write echo", 24577, 0xFF00, 5, std::nullopt, 8},
        {"holding read", 1, 2, 3, std::nullopt, 9},
        {"input read", 1, 30, 4, std::nullopt, 65},
        {"coil read", 24577, 1, 1, std::nullopt, 6},
        {"read in two pieces", 1, 30, 4, F(FaultKind::Split, 3, 1, 100), 65},
        {"echo in two pieces", 100, 7, 6, F(FaultKind::Split, 5, 1, 100), 8},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.fault)
            module.AddFault(*c.fault);
        const auto t0 = std::chrono::steady_clock::now();
        ASSERT_EQ(link.Request(c.reg, c.countOrValue, static_cast<std::uint8_t>(c.fc)), 0);
        EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(3));
        EXPECT_EQ(link.ReplyLength, c.length);
        EXPECT_EQ(link.ReplyOk, 1);
    }
    EXPECT_EQ(link.NoReplyCount, 0);
    EXPECT_EQ(link.CrcErrors, 2);   // the two exceptions brought no data
    EXPECT_EQ(module.Accepted(), 1);
}

TEST_F(TcpLink, DroppedConnectionIsMadeAgainOnTheNextRequest)
{
    module.SetHolding(1, 9);
    ASSERT_EQ(link.Request(1, 1, 3), 0);
    module.AddFault(F(FaultKind::Hangup, -1, 1));
    ASSERT_EQ(link.Request(1, 1, 3), 0);
    EXPECT_EQ(link.ReplyLength, 0);
    EXPECT_EQ(link.NoReplyCount, 1);
    EXPECT_FALSE(link.Tcp.Connected(KivClient::kLinkSlot));
    ASSERT_EQ(link.Request(1, 1, 3), 0);
    EXPECT_EQ(link.ReplyOk, 1);
    EXPECT_EQ(module.Accepted(), 2);
    EXPECT_EQ(link.ConnectErrors, -1);   // no send ever failed
}

TEST_F(TcpLink, ConnectionClosedBetweenRequestsIsMadeAgainBeforeSending)
{
    module.SetHolding(1, 9);
    ASSERT_EQ(link.Request(1, 1, 3), 0);
    module.DropConnections();
    ASSERT_TRUE(module.WaitForOpenConnections(0, 5000));
    ASSERT_EQ(link.Request(1, 1, 3), 0);
    EXPECT_EQ(link.ReplyOk, 1);
    EXPECT_FALSE(Logged("Error - Send"));
    EXPECT_EQ(link.ConnectErrors, -1);
    EXPECT_EQ(link.NoReplyCount, 0);
    EXPECT_EQ(module.Accepted(), 2);
}

// A module that ends the connection itself and turns the next one away has gone: a link failure.
// One that takes the next connection, or one that never accepted any, is not.
TEST_F(TcpLink, ModuleThatHangsUpAndRefusesTheNextConnectionIsALostLink)
{
    module.SetHolding(1, 9);
    ASSERT_EQ(link.Request(1, 1, 3), 0);
    module.AddFault(F(FaultKind::Hangup, 60000, 1));   // hangs up, then refuses for a minute
    EXPECT_EQ(link.Request(1, 1, 3), 0);                // the hang-up itself: no reply
    EXPECT_EQ(link.Request(1, 1, 3), 1);                // turned away: the module is gone
    EXPECT_TRUE(Logged("Error - Send"));
    EXPECT_EQ(host.panels[5], "NoCon/NoRx/Error:0/2/0");
    EXPECT_EQ(link.Request(1, 1, 3), 1);                // and stays gone

    // A new session starts without the hang-up: a refusal is a send error again.
    link.ResetLinkCounters();
    EXPECT_EQ(link.Request(1, 1, 3), 0);
    module.Listen();
    ASSERT_EQ(link.Request(1, 1, 3), 0);
    EXPECT_EQ(link.ReplyOk, 1);

    // Closed between two requests and refused at once: gone as well.
    module.DropConnections();
    module.Refuse();
    ASSERT_TRUE(module.WaitForOpenConnections(0, 5000));
    EXPECT_EQ(link.Request(1, 1, 3), 1);
}

TEST_F(TcpLink, TenSilentExchangesMarkTheValuesStaleOnce)
{
    UseClock(0.005);
    module.AddFault(F(FaultKind::Silence, -1, 11));
    for (int i = 0; i < 11; ++i)
        ASSERT_EQ(link.Request(1, 1, 3), 0);
    EXPECT_EQ(link.NoReplyCount, 11);
    EXPECT_EQ(link.FailStreak, 11);
    EXPECT_EQ(host.staleCalls, 1);
    EXPECT_EQ(host.labels[0].text, "??");
    UseClock(0.1);
    module.SetHolding(1, 1);
    ASSERT_EQ(link.Request(1, 1, 3), 0);
    EXPECT_EQ(host.recoverCalls, 1);
    EXPECT_EQ(link.FailStreak, 0);
}

TEST(TcpModuleFaults, RefuseIsAHangupWithARefusalTime)
{
    invsim::Fault f;
    ASSERT_TRUE(invsim::ParseModuleFault("refuse", f));
    EXPECT_EQ(f.kind, FaultKind::Hangup);
    EXPECT_EQ(f.param, 1000);
    ASSERT_TRUE(invsim::ParseModuleFault("refuse:250/2", f));
    EXPECT_EQ(f.param, 250);
    EXPECT_EQ(f.times, 2);
    ASSERT_TRUE(invsim::ParseModuleFault("split:3:40", f));
    EXPECT_EQ(f.kind, FaultKind::Split);
    EXPECT_FALSE(invsim::ParseModuleFault("refusex", f));
    EXPECT_FALSE(invsim::ParseModuleFault("refuse:abc", f));
}

} // namespace

// The serial link against the simulated inverter on a pseudo-terminal.
#include "LinkTestSupport.h"

#include <QRegularExpression>
#include "common/Waits.h"

#include <termios.h>

namespace {

using namespace linktest;
using invsim::Fault;
using invsim::FaultKind;
using Bytes = std::vector<std::uint8_t>;

Fault F(FaultKind kind, int param = -1, int times = -1, int param2 = -1)
{
    Fault f;
    f.kind = kind;
    f.param = param;
    f.param2 = param2;
    f.times = times;
    return f;
}

Bytes ReplyBytes(const Modbus& link) { return Bytes(link.Reply, link.Reply + link.ReplyLength); }

TEST_F(LinkOnPty, ReadReachesTheWireAfterThePauseAndTheReplyIsAccepted)
{
    bus.SetRegister(1, 1, 0x002A);
    Open();
    EXPECT_EQ(host.panels[4], "COM Open");
    EXPECT_EQ(host.panels[1], "9600");
    EXPECT_EQ(link.LinkType, LinkRs485);
    EXPECT_EQ(bus.LineBaud(), 9600);

    const auto t0 = NowUs();
    ASSERT_EQ(link.Request(1, 1, 3), 0);
    const auto frames = bus.Frames();
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].bytes, (Bytes{0x01, 0x03, 0x00, 0x00, 0x00, 0x01, 0x84, 0x0A}));
    EXPECT_GE(frames[0].timeUs - t0, 30000);   // the pause before every serial write
    EXPECT_EQ(ReplyBytes(link), (Bytes{0x01, 0x03, 0x02, 0x00, 0x2A, 0x39, 0x9B}));
    EXPECT_EQ(link.ReplyOk, 1);
    EXPECT_EQ(link.TxCounter, 1);
    EXPECT_EQ(host.panels[3], "1");
    EXPECT_EQ(host.panels[5], "NoRx/Error:0/0");
    EXPECT_EQ(link.FailStreak, 0);
    EXPECT_GE(host.pumps, 1);   // the request pumps the window once when done
}

TEST_F(LinkOnPty, ControlCharactersPassTheLineUnchanged)
{
    // Register 14 is wire address 0x000D; the value carries XON, XOFF and a line feed.
    bus.SetRegister(1, 14, 0);
    Open();
    ASSERT_EQ(link.Request(14, 0x1113, 6), 0);
    const auto frames = bus.Frames();
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(Bytes(frames[0].bytes.begin(), frames[0].bytes.begin() + 6), (Bytes{0x01, 0x06, 0x00, 0x0D, 0x11, 0x13}));
    EXPECT_EQ(link.ReplyOk, 1);
    EXPECT_EQ(ReplyBytes(link), frames[0].bytes);   // a write is answered by its echo
    EXPECT_EQ(bus.Holding(1, 14), 0x1113);
}

TEST_F(LinkOnPty, SlaveZeroSendsNothingAndCountsNothing)
{
    Open(1, 0);
    time.factor = 0.01;
    ASSERT_EQ(link.Request(1, 1, 3), 0);
    EXPECT_EQ(time.sleeps, std::vector<int>{500});
    EXPECT_EQ(time.steps, 0);
    EXPECT_EQ(link.TxCounter, 0);
    EXPECT_EQ(link.NoReplyCount, 0);
    EXPECT_EQ(link.FailStreak, 0);
    EXPECT_FALSE(bus.WaitForFrames(1, 50));
}

// Each wait step is 10 ms: 3 for the pause before the write, then 4 per poll of the queue.
TEST_F(LinkOnPty, PollsOfASilentInverter)
{
    struct Case { int reg; int value; std::uint8_t fc; int polls; };
    const Case cases[] = {
        {1, 3, 1, 4},     // 3 coils: 8 bytes expected (count + 5)
        {1, 1, 3, 4},     // 7 bytes
        {1, 5, 4, 6},     // 15 bytes
        {1, 8, 3, 10},    // 21 bytes
        {1, 30, 4, 10},   // 65 bytes
        {1, 0xFF00, 5, 4},
        {1, 7, 6, 4},     // the 8-byte echo of a write
    };
    bus.AddFault(1, F(FaultKind::Silence));
    Open();
    time.factor = 0.1;
    for (const auto& c : cases) {
        time.steps = 0;
        ASSERT_EQ(link.Request(c.reg, c.value, c.fc), 0);
        EXPECT_EQ(time.steps, 3 + 4 * c.polls) << "function " << int(c.fc) << " count " << c.value;
        EXPECT_EQ(link.ReplyLength, 0);
    }
    EXPECT_EQ(link.NoReplyCount, 7);
    EXPECT_EQ(host.panels[5], "NoRx/Error:6/0");   // the panel shows the counts before this one
}

TEST_F(LinkOnPty, WaitEndsEarlyForAFullReplyOrTwoFiveBytePolls)
{
    for (int r = 1; r <= 30; ++r)
        bus.SetInput(1, r, static_cast<std::uint16_t>(r));
    bus.SetCoil(1, 1, true);
    bus.SetCoil(1, 2, false);
    bus.SetCoil(1, 3, true);
    Open();

    time.steps = 0;
    ASSERT_EQ(link.Request(1, 30, 4), 0);
    EXPECT_EQ(time.steps, 3 + 4);   // all 65 bytes were there at the first poll
    EXPECT_EQ(link.ReplyLength, 65);
    EXPECT_EQ(link.ReplyOk, 1);
    EXPECT_EQ(link.Reply[3 + 2 * 29] * 256 + link.Reply[4 + 2 * 29], 30);

    bus.AddFault(1, F(FaultKind::Exception, 2, 1));
    time.steps = 0;
    ASSERT_EQ(link.Request(1, 30, 3), 0);
    EXPECT_EQ(time.steps, 3 + 4 * 2);   // the second poll that sees 5 bytes ends the wait
    EXPECT_EQ(ReplyBytes(link).size(), 5u);
    EXPECT_EQ(link.Reply[1], 0x83);
    EXPECT_EQ(link.ReplyOk, 1);   // passes the check; the caller refuses it by its function code

    // Three coils are answered with 6 bytes while 8 are awaited: all four polls run.
    time.steps = 0;
    ASSERT_EQ(link.Request(1, 3, 1), 0);
    EXPECT_EQ(time.steps, 3 + 4 * 4);
    EXPECT_EQ(ReplyBytes(link), (Bytes{0x01, 0x01, 0x01, 0x05, 0x91, 0x8B}));
    EXPECT_EQ(link.ReplyOk, 1);
}

TEST_F(LinkOnPty, LengthRulesRefuseRepliesWithACorrectCrc)
{
    for (int r = 1; r <= 30; ++r)
        bus.SetInput(1, r, 1);
    bus.SetCoil(1, 1, true);
    Open();

    struct Case { int value; std::uint8_t fc; Fault fault; int length; };
    const Case cases[] = {
        {30, 4, F(FaultKind::Short, 2, 1), 63},    // 63 bytes in place of 65
        {30, 4, F(FaultKind::Short, 0, 1), 65},    // the control case: whole reply accepted
        {1, 1, F(FaultKind::Short, 1, 1), 5},      // a coil reply without its data byte
    };
    for (const auto& c : cases) {
        bus.AddFault(1, c.fault);
        const int crcErrors = link.CrcErrors;
        ASSERT_EQ(link.Request(1, c.value, c.fc), 0);
        EXPECT_EQ(link.ReplyLength, c.length);
        const bool whole = c.length == 65;
        EXPECT_EQ(link.ReplyOk, whole ? 1 : 0) << "length " << c.length;
        EXPECT_EQ(link.CrcErrors, crcErrors + (whole ? 0 : 1));
        EXPECT_EQ(link.FailStreak, whole ? 0 : 1);   // a refused reply counts as silence does
    }
}

TEST_F(LinkOnPty, AReplySplitAcrossTwoWritesIsJoined)
{
    for (int r = 1; r <= 30; ++r)
        bus.SetInput(1, r, 7);
    bus.AddFault(1, F(FaultKind::Split, 20, 1, 50));
    Open();
    ASSERT_EQ(link.Request(1, 30, 4), 0);
    EXPECT_EQ(link.ReplyLength, 65);
    EXPECT_EQ(link.ReplyOk, 1);
}

TEST_F(LinkOnPty, InverterAnswersOnlyAtItsOwnRate)
{
    bus.AddInverter(1, 19200);
    bus.SetRegister(1, 1, 5);
    Open(1);
    ASSERT_EQ(link.Request(1, 1, 3), 0);
    ASSERT_TRUE(bus.WaitForFrames(1, 1000));
    EXPECT_EQ(bus.Frames()[0].baud, 9600);
    EXPECT_EQ(link.ReplyLength, 0);
    link.SetBaudCode(2);
    EXPECT_EQ(host.panels[1], "19200");
    EXPECT_EQ(link.Com.BaudRate, 19200);
    ASSERT_EQ(link.Request(1, 1, 3), 0);
    EXPECT_EQ(bus.Frames().back().baud, 19200);
    EXPECT_EQ(link.ReplyOk, 1);
}

TEST_F(LinkOnPty, FourRatesRawEightNoneOne)
{
    Open(0);
    EXPECT_EQ(bus.LineBaud(), 4800);
    for (int code = 0; code <= 3; ++code) {
        link.SetBaudCode(code);
        EXPECT_EQ(link.Com.BaudRate, 4800 << code);
        EXPECT_EQ(host.panels[1], QString::number(4800 << code));
        EXPECT_EQ(bus.LineBaud(), 4800 << code);
        termios tio{};
        ASSERT_EQ(tcgetattr(link.Com.ComHandle, &tio), 0);
        EXPECT_EQ(tio.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
        EXPECT_EQ(tio.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
        EXPECT_EQ(tio.c_lflag & (ICANON | ECHO | ISIG), 0u);
        EXPECT_EQ(tio.c_iflag & (ICRNL | IXON), 0u);
    }
    EXPECT_EQ(link.SetBaudCode(4), 0);   // no such rate: the line keeps its rate
    EXPECT_EQ(link.Com.BaudRate, 38400);
}

TEST_F(LinkOnPty, QueueCountThenRead)
{
    bus.SetRegister(1, 1, 0x002A);
    Open();
    link.BuildRtuFrame(1, 1, 3);
    ASSERT_EQ(link.Com.WriteTx(8), 0);
    ASSERT_TRUE(bus.WaitForBytesSent(7, 2000));
    int waiting = 0;
    for (int i = 0; i < 200 && waiting < 7; ++i) {
        waiting = link.Com.InQueue();
        if (waiting < 7)
            DelayPumped(10);
    }
    EXPECT_EQ(waiting, 7);
    EXPECT_EQ(link.Com.InQueue(), 7);   // counting takes nothing away
    ASSERT_EQ(link.Com.ReadAvailable(), 0);
    EXPECT_EQ(link.Com.RxCount, 7);
    EXPECT_EQ(link.Com.RxBuffer[4], 0x2A);
    EXPECT_EQ(link.Com.RxBuffer[7], 0);   // NUL after the bytes read
    EXPECT_EQ(link.Com.InQueue(), 0);
    ASSERT_EQ(link.Com.ReadAvailable(), 0);
    EXPECT_EQ(link.Com.RxCount, 0);
    link.Com.Close();
    EXPECT_EQ(link.Com.ReadAvailable(), 1);
    EXPECT_EQ(link.Com.WriteTx(8), 1);
}

TEST_F(LinkOnPty, ALateReplyIsDroppedBeforeTheNextRequest)
{
    bus.SetRegister(1, 1, 3);
    bus.SetRegister(1, 2, 4);
    Open();
    time.factor = 0.1;
    // A reply after the last poll counts as none.
    bus.AddFault(1, F(FaultKind::Late, -1, 1));
    ASSERT_EQ(link.Request(1, 1, 3), 0);
    EXPECT_EQ(link.ReplyLength, 0);
    EXPECT_EQ(link.NoReplyCount, 1);
    EXPECT_EQ(link.FailStreak, 1);
    // It comes while the next request is made ready, and looks like that one's answer (same
    // address, function and length): it is thrown away, and the next request gets its own.
    ASSERT_EQ(link.Request(2, 1, 3), 0);
    EXPECT_EQ(ReplyBytes(link), (Bytes{0x01, 0x03, 0x02, 0x00, 0x04, 0xB9, 0x87}));
    EXPECT_EQ(link.ReplyOk, 1);
    EXPECT_EQ(link.FailStreak, 0);
    EXPECT_GE(bus.BytesSent(), 14u);   // the late reply did go out on the line
}

// Replies that carry nothing for the request (another slave's, one that fails its check, an
// exception, another function's, one that comes too late) count towards the streak that marks
// the values stale, as silence does, and in the status bar; the next good reply recovers.
TEST_F(LinkOnPty, RepliesThatBringNoDataCountAsSilenceDoes)
{
    struct Case { const char* what; Fault fault; bool silent; };
    const Case cases[] = {
        {"another slave ID", F(FaultKind::OtherId, 2), false},
        {"exception 1", F(FaultKind::Exception, 1), false},
        {"exception 2", F(FaultKind::Exception, 2), false},
        {"exception 3", F(FaultKind::Exception, 3), false},
        {"exception 4", F(FaultKind::Exception, 4), false},
        {"exception 6", F(FaultKind::Exception, 6), false},
        {"bad CRC", F(FaultKind::BadCrc), false},
        {"another function code", F(FaultKind::OtherFunction), false},
        {"late", F(FaultKind::Late), true},
        {"silence", F(FaultKind::Silence), true},
    };
    bus.SetRegister(1, 1, 0x0102);
    Open();
    time.factor = 0.1;
    for (const auto& c : cases) {
        link.ResetLinkCounters();
        host.staleCalls = 0;
        host.recoverCalls = 0;
        bus.ClearFaults(1);
        bus.AddFault(1, c.fault);
        for (int i = 1; i <= 10; ++i) {
            ASSERT_EQ(link.Request(1, 1, 3), 0) << c.what;
            // What a reader takes as its data: nothing.
            EXPECT_FALSE(link.ReplyOk == 1 && link.Reply[1] == 3) << c.what << " " << i;
            ASSERT_EQ(link.FailStreak, i) << c.what;
        }
        EXPECT_EQ(host.staleCalls, 1) << c.what;
        EXPECT_EQ(link.NoReplyCount, c.silent ? 10 : 0) << c.what;
        EXPECT_EQ(link.CrcErrors, c.silent ? 0 : 10) << c.what;
        EXPECT_EQ(host.panels[5], c.silent ? "NoRx/Error:9/0" : "NoRx/Error:0/9") << c.what;
        bus.ClearFaults(1);
        ASSERT_EQ(link.Request(1, 1, 3), 0) << c.what;
        EXPECT_EQ(ReplyBytes(link), (Bytes{0x01, 0x03, 0x02, 0x01, 0x02, 0x38, 0x15})) << c.what;
        EXPECT_EQ(link.ReplyOk, 1) << c.what;
        EXPECT_EQ(link.FailStreak, 0) << c.what;
        EXPECT_EQ(host.recoverCalls, 1) << c.what;
    }
}

// The slave whose address the request carries is the only one whose reply counts; an exception
// reply from it passes the check, and its caller reads the function code.
TEST_F(LinkOnPty, TheReplyMustComeFromTheAddressAsked)
{
    bus.SetRegister(1, 1, 3);
    Open();
    bus.AddFault(1, F(FaultKind::OtherId, 9, 1));
    ASSERT_EQ(link.Request(1, 1, 3), 0);
    ASSERT_EQ(link.ReplyLength, 7);
    EXPECT_EQ(link.Reply[0], 9);
    EXPECT_EQ(link.ReplyOk, 0);
    EXPECT_EQ(link.CrcErrors, 1);
    EXPECT_EQ(link.FailStreak, 1);
    bus.AddFault(1, F(FaultKind::Exception, 2, 1));
    ASSERT_EQ(link.Request(1, 1, 3), 0);
    EXPECT_EQ(ReplyBytes(link).size(), 5u);
    EXPECT_EQ(link.Reply[1], 0x83);
    EXPECT_EQ(link.ReplyOk, 1);
    EXPECT_EQ(link.FailStreak, 2);
}

TEST_F(LinkOnPty, StaleMarkingAndRecovery)
{
    bus.SetRegister(1, 100, 1);
    Open();
    host.panels[0] = "ID: 1";
    bus.AddFault(1, F(FaultKind::Silence));
    Silent(9);
    EXPECT_EQ(host.staleCalls, 0);
    EXPECT_EQ(host.labels[0].text, "230.1 V");
    Silent(1);
    EXPECT_EQ(link.FailStreak, 10);
    EXPECT_EQ(host.staleCalls, 1);
    EXPECT_EQ(host.panels[0], "");
    EXPECT_EQ(host.labels[0].text, "??");
    EXPECT_EQ(host.labels[0].colour, clRed);
    EXPECT_EQ(host.labels[1].text, "Output");   // not a blue value label
    EXPECT_EQ(host.labels[3].colour, clRed);
    Silent(1);
    EXPECT_EQ(host.staleCalls, 1);              // the eleventh changes nothing more

    // A reply that fails the check does not end the streak: it lengthens it as silence does.
    bus.ClearFaults(1);
    bus.AddFault(1, F(FaultKind::BadCrc, -1, 1));
    ASSERT_EQ(link.Request(100, 1, 6), 0);
    EXPECT_GT(link.ReplyLength, 0);
    EXPECT_EQ(link.ReplyOk, 0);
    EXPECT_EQ(link.FailStreak, 12);
    EXPECT_EQ(link.CrcErrors, 1);
    EXPECT_EQ(host.recoverCalls, 0);
    EXPECT_EQ(host.staleCalls, 1);

    // The first accepted reply turns every red label, the posted setting too, into a blue "??".
    ASSERT_EQ(link.Request(100, 1, 6), 0);
    EXPECT_EQ(link.ReplyOk, 1);
    EXPECT_EQ(link.FailStreak, 0);
    EXPECT_EQ(host.recoverCalls, 1);
    for (int i : {0, 2, 3}) {
        EXPECT_EQ(host.labels[i].text, "??");
        EXPECT_EQ(host.labels[i].colour, clBlue);
    }
    EXPECT_EQ(link.NoReplyCount, 11);
}

TEST_F(LinkOnPty, TwentiethSilentTransactionReopensThePortAtTheRateInUse)
{
    bus.AddInverter(1, 19200);
    bus.SetRegister(1, 100, 1);
    Open(2);
    link.IdBaudCode[1] = 0;   // a stale table entry must not decide the rate
    bus.AddFault(1, F(FaultKind::Silence));
    Silent(19);
    EXPECT_EQ(host.panelWrites[1], 1);
    Silent(1);
    EXPECT_EQ(host.panelWrites[1], 2);
    EXPECT_EQ(host.panels[1], "19200");
    EXPECT_EQ(link.Com.BaudRate, 19200);
    EXPECT_TRUE(link.Com.IsOpen());
    EXPECT_EQ(bus.LineBaud(), 19200);
    Silent(19);
    EXPECT_EQ(host.panelWrites[1], 2);
    Silent(1);
    EXPECT_EQ(host.panelWrites[1], 3);   // again at the 40th

    bus.ClearFaults(1);
    ASSERT_EQ(link.Request(100, 1, 6), 0);
    EXPECT_EQ(link.ReplyOk, 1);
    EXPECT_TRUE(host.messages.isEmpty());
}

TEST_F(LinkOnPty, APortThatCannotBeReopenedIsALinkFailure)
{
    Open();
    link.PortName = "/nonexistent/ttyUSB9";
    bus.AddFault(1, F(FaultKind::Silence));
    Silent(19);
    time.factor = 0.1;
    EXPECT_EQ(link.Request(100, 1, 6), 1);
    EXPECT_EQ(host.messages, QStringList{"COM Can't Open"});
    EXPECT_FALSE(link.Com.IsOpen());
    EXPECT_EQ(link.Request(100, 1, 6), 1);   // and every request after it fails at once
}

TEST_F(LinkOnPty, PortsThatCannotBeOpened)
{
    EXPECT_EQ(link.OpenCom("/nonexistent/ttyUSB9"), 1);
    EXPECT_EQ(host.messages, QStringList{"COM Can't Open"});
    EXPECT_FALSE(link.Com.IsOpen());
    EXPECT_EQ(link.LinkType, LinkNone);
    EXPECT_EQ(link.PortName, "/nonexistent/ttyUSB9");

    // The port is not shared: a second open of the same line fails while the first holds it.
    Open();
    Tcomm other;
    other.SetHost(&host);
    EXPECT_EQ(other.Open(QString::fromStdString(bus.Path())), 1);
    EXPECT_FALSE(other.IsOpen());
    EXPECT_EQ(host.messages.size(), 2);
    link.Com.Close();
    EXPECT_EQ(other.Open(QString::fromStdString(bus.Path())), 0);
    EXPECT_EQ(other.WriteTx(0), 0);
}

TEST_F(LinkOnPty, OversizedReceptionIsALinkFailure)
{
    bus.AddFault(1, F(FaultKind::Flood, 12000, 1));
    bus.SetInput(1, 1, 1);
    Open();
    EXPECT_EQ(link.Request(1, 30, 4), 1);
    ASSERT_EQ(host.messages.size(), 1);
    const auto match = QRegularExpression("^Rx Size > Buffer (\\d+)$").match(host.messages[0]);
    ASSERT_TRUE(match.hasMatch()) << host.messages[0].toStdString();
    EXPECT_GE(match.captured(1).toInt(), 8191);
    EXPECT_EQ(link.Com.RxCount, 0);
    EXPECT_EQ(link.ReplyLength, 0);
}

TEST_F(LinkOnPty, VanishedLineIsALinkFailureNotAHang)
{
    bus.SetRegister(1, 1, 1);
    bus.AddFault(1, F(FaultKind::Hangup));
    Open();
    const auto t0 = NowUs();
    EXPECT_EQ(link.Request(1, 30, 4), 1);   // gone after it took the request
    EXPECT_LT(NowUs() - t0, 2000000);
    EXPECT_EQ(link.Request(1, 1, 3), 1);    // and nothing goes through afterwards
}

TEST_F(LinkOnPty, LineGoneBeforeTheWriteIsALinkFailure)
{
    Open();
    bus.Stop();
    EXPECT_EQ(link.Request(1, 1, 3), 1);
    EXPECT_EQ(link.TxCounter, 0);
}

TEST_F(LinkOnPty, ARequestInsideARequestIsRefused)
{
    bus.SetRegister(1, 1, 0x002A);
    bus.SetRegister(1, 2, 0x0001);
    Open();
    int nestedResult = -1;
    int nestedOk = -1;
    int nestedLength = -1;
    auto nested = [&] {
        if (nestedResult != -1)
            return;
        nestedResult = link.Request(2, 1, 3);
        nestedOk = link.ReplyOk;
        nestedLength = link.ReplyLength;
    };
    // Inside the waits of the transaction.
    time.onPump = nested;
    ASSERT_EQ(link.Request(1, 1, 3), 0);
    time.onPump = nullptr;
    EXPECT_EQ(nestedResult, 0);
    EXPECT_EQ(nestedOk, 0);
    EXPECT_EQ(nestedLength, 0);
    EXPECT_EQ(link.ReplyOk, 1);
    EXPECT_EQ(link.Reply[4], 0x2A);

    // Inside the pump after the transaction: the outer reply survives.
    nestedResult = -1;
    host.onPump = nested;
    ASSERT_EQ(link.Request(1, 1, 3), 0);
    host.onPump = nullptr;
    EXPECT_EQ(nestedResult, 0);
    EXPECT_EQ(nestedOk, 0);
    EXPECT_EQ(link.ReplyOk, 1);
    EXPECT_EQ(link.ReplyLength, 7);
    EXPECT_EQ(link.Reply[4], 0x2A);
    EXPECT_EQ(bus.Frames().size(), 2u);   // the refused requests sent nothing
}

TEST_F(LinkOnPty, RequestAndReplyLinesOnlyWhileTheDebugPanelIsOpen)
{
    bus.SetRegister(1, 1, 0x002A);
    Open();
    ASSERT_EQ(link.Request(1, 1, 3), 0);
    EXPECT_TRUE(host.pane.lines.isEmpty());

    host.debugOpen = true;
    ASSERT_EQ(link.Request(1, 1, 3), 0);
    EXPECT_EQ(host.pane.lines, (QStringList{"Tx:8: 01 03 00 00 00 01 84 0A", "Rx:7: 01 03 02 00 2A 39 9B"}));

    host.pane.lines.clear();
    bus.AddFault(1, F(FaultKind::Exception, 2, 1));
    ASSERT_EQ(link.Request(1, 1, 3), 0);
    ASSERT_EQ(host.pane.lines.size(), 2);
    EXPECT_TRUE(host.pane.lines[1].startsWith("Rx:5: 01 83 02 ")) << host.pane.lines[1].toStdString();

    host.pane.lines.clear();
    bus.AddFault(1, F(FaultKind::Short, 100, 1));   // 3 bytes arrive: no Rx line
    ASSERT_EQ(link.Request(1, 1, 3), 0);
    EXPECT_EQ(link.ReplyLength, 3);
    EXPECT_EQ(host.pane.lines.size(), 1);
}

} // namespace

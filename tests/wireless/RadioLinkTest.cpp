// The radio link against the simulated adapter on a pseudo-terminal: the command texts and
// their order, the reply line, the frequency fallback and the scan.
#include "WirelessSupport.h"

namespace {

using namespace wireless;
using invsim::FaultKind;
using Texts = std::vector<std::string>;

// "rf tx " and the 13-byte radio frame of a request, built apart from the program's code.
std::string TxCommand(std::uint8_t id, std::uint8_t fc, int reg, int value, std::uint32_t hz)
{
    const int a = reg - 1;
    Bytes f{id, fc, static_cast<std::uint8_t>(a >> 8), static_cast<std::uint8_t>(a), static_cast<std::uint8_t>(value >> 8),
            static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(hz >> 24), static_cast<std::uint8_t>(hz >> 16),
            static_cast<std::uint8_t>(hz >> 8), static_cast<std::uint8_t>(hz), 0xFF};
    invsim::AppendCrc(f);
    return "rf tx " + invsim::HexText(f);
}

const Texts kConfiguration{"rf rx_con off", "rf set_sync 51", "rf set_sf 9", "rf set_bw 250", "rf set_pwr 15"};

class RadioLink : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string error;
        ASSERT_TRUE(adapter.Start(&error)) << error;
        adapter.AddInverter(5);
        time = std::make_unique<CountingTime>(0.3);
        // The answer comes out 100 ms of the program's time after reception is switched on:
        // after the program's look for the acknowledgement (50 ms), before its read (900 ms on).
        adapter.SetReplyDelayMs(100);
        adapter.SetClock([t = time.get()] { return t->ProgramUs(); });
        // Each step of the program's waits lets the adapter catch up with what it was sent and
        // with an answer whose time has come, so that a busy machine cuts nothing off.
        time->settle = [this] { adapter.WaitIdle(5000); };
        vcl::SetTimeService(time.get());
        link.SetHost(&host);
    }
    void TearDown() override
    {
        vcl::SetTimeService(nullptr);
        link.Com.Close();
        adapter.Stop();
    }
    // Opens the radio link as the window does: port, 38400 bit/s, counters, the first inverter,
    // the adapter's configuration, then the working frequency from the edit (MHz x 10).
    void Open(int tenths = 9289)
    {
        ASSERT_EQ(link.OpenCom(QString::fromStdString(adapter.Path())), 0);
        link.LinkType = LinkSub1g;
        link.SetBaudCode(3);
        link.ResetLinkCounters();
        link.SlaveId = 5;
        link.RadioConfigure();
        link.SetRadioFreq(tenths);
    }
    Texts Sent() const { return adapter.CommandTexts(); }

    invsim::RadioAdapter adapter;
    std::unique_ptr<CountingTime> time;
    RecordingHost host;
    Modbus link;
};

TEST_F(RadioLink, FrameOfAProbeRead)
{
    link.SlaveId = 5;
    link.BuildRadioFrame(40963, 1, 4);
    const Bytes head{0x05, 0x04, 0xA0, 0x02, 0x00, 0x01, 0x35, 0xA4, 0xE9, 0x00, 0xFF};
    EXPECT_EQ(Bytes(link.Com.TxBuffer, link.Com.TxBuffer + 11), head);
    EXPECT_EQ(Bytes(link.Com.TxBuffer, link.Com.TxBuffer + 13), WithCrc(head));
    EXPECT_EQ(link.Com.TxText, TxCommand(5, 4, 40963, 1, 900000000));
    EXPECT_EQ(link.Com.TxText.size(), 32u);

    link.RadioFreq = 928900000;
    link.SlaveId = 0xFE;
    link.BuildRadioFrame(0xC000, 0xFF00, 5);
    EXPECT_EQ(link.Com.TxText, TxCommand(0xFE, 5, 0xC000, 0xFF00, 928900000));
}

TEST_F(RadioLink, OpeningConfiguresAndARequestSendsItsCommandsInOrder)
{
    Open();
    Texts expected{"rf set_freq 900000000"};
    expected.insert(expected.end(), kConfiguration.begin(), kConfiguration.end());
    EXPECT_EQ(Sent(), expected);
    // The settings are logged although the debug panel is closed; nothing else is.
    EXPECT_EQ(host.pane.lines, QStringList({"rf rx_con off", "rf set_sync 51", "rf set_sf 9", "rf set_bw 250", "rf set_pwr 15"}));
    EXPECT_EQ(link.RadioFreqCurrent, 900000000);
    EXPECT_EQ(link.RadioFreq, 928900000);
    EXPECT_EQ(host.panels[1], "38400");

    adapter.SetInput(5, 40963, 0x1234);
    adapter.SetSignal(5, -72, 6);
    adapter.ClearCommands();
    time->steps = 0;
    ASSERT_EQ(link.Request(40963, 1, 4), 0);
    EXPECT_EQ(Sent(), (Texts{TxCommand(5, 4, 40963, 1, 928900000), "rf rx_con on", "rf rx_con off", "rf set_freq 928900000"}));
    EXPECT_EQ(ReplyBytes(link), WithCrc({0x05, 0x04, 0x02, 0x12, 0x34}));
    EXPECT_EQ(link.ReplyOk, 1);
    EXPECT_EQ(host.panels[9], "RSSI: -72");
    EXPECT_EQ(host.panels[10], "SNR: 6");
    EXPECT_EQ(host.panels[5], "NoRx/Error:0/0");
    EXPECT_EQ(host.panels[3], "1");
    EXPECT_EQ(time->steps, 20 + 5 + 5 + 90 + 5 + 10);   // about 1.25 s, and 100 ms for the tuning
    EXPECT_EQ(link.RadioFreqCurrent, 928900000);
    EXPECT_EQ(adapter.ListenHz(5), 928900000);   // the inverter moved to the frame's frequency

    // On the working frequency now: no tuning, and the debug panel shows the traffic.
    host.debugOpen = true;
    adapter.ClearCommands();
    ASSERT_EQ(link.Request(40963, 1, 4), 0);
    EXPECT_EQ(Sent(), (Texts{TxCommand(5, 4, 40963, 1, 928900000), "rf rx_con on", "rf rx_con off"}));
    EXPECT_EQ(link.ReplyOk, 1);
    EXPECT_TRUE(host.pane.lines.contains(QString::fromStdString("Tx:32:" + TxCommand(5, 4, 40963, 1, 928900000))));
    QString replyLine = "Rx:7:";
    for (auto b : WithCrc({5, 4, 2, 0x12, 0x34}))
        replyLine += QStringLiteral(" %1").arg(b, 2, 16, QLatin1Char('0')).toUpper();
    EXPECT_TRUE(host.pane.lines.contains(replyLine)) << replyLine.toStdString();
}

TEST_F(RadioLink, MissedReplyIsRetriedOnTheDefaultFrequencyAndTunedBack)
{
    Open();
    adapter.SetInput(5, 40963, 7);
    ASSERT_EQ(link.Request(40963, 1, 4), 0);
    ASSERT_EQ(link.RadioFreqCurrent, 928900000);

    // The inverter restarted and listens on 900 MHz again.
    adapter.SetListenHz(5, 900000000);
    adapter.ClearCommands();
    ASSERT_EQ(link.Request(40963, 1, 4), 0);
    const std::string tx = TxCommand(5, 4, 40963, 1, 928900000);
    EXPECT_EQ(Sent(), (Texts{tx, "rf rx_con on", "rf rx_con off", "rf set_freq 900000000",
                             tx, "rf rx_con on", "rf rx_con off", "rf set_freq 928900000"}));
    EXPECT_EQ(link.ReplyOk, 1);
    EXPECT_EQ(link.TxCounter, 3);   // both exchanges count as sent
    EXPECT_EQ(link.NoReplyCount, 0);
    EXPECT_EQ(link.FailStreak, 0);
    EXPECT_EQ(link.RadioFreqCurrent, 928900000);
}

TEST_F(RadioLink, AbsentInverterIsTriedOnBothFrequenciesAndCountsOnce)
{
    Open();
    link.SlaveId = 9;
    ASSERT_EQ(link.Request(40963, 1, 4), 0);
    const std::string tx = TxCommand(9, 4, 40963, 1, 928900000);
    // Still on the fallback frequency after the configuration: the other try is the working one.
    EXPECT_EQ(Sent().back(), "rf rx_con off");
    const Texts sent = Sent();
    EXPECT_EQ(Texts(sent.end() - 7, sent.end()),
              (Texts{tx, "rf rx_con on", "rf rx_con off", "rf set_freq 928900000", tx, "rf rx_con on", "rf rx_con off"}));
    EXPECT_EQ(link.ReplyLength, 0);
    EXPECT_EQ(link.NoReplyCount, 1);
    EXPECT_EQ(link.FailStreak, 1);
    EXPECT_EQ(link.CrcErrors, 0);
}

TEST_F(RadioLink, LongSilenceReconfiguresTheAdapterFirst)
{
    Open();
    adapter.SetInput(5, 40963, 7);
    link.FailStreak = 19;
    adapter.ClearCommands();
    ASSERT_EQ(link.Request(40963, 1, 4), 0);
    Texts expected = kConfiguration;   // already on the fallback frequency: no tuning first
    for (const char* t : {"rf rx_con on", "rf rx_con off", "rf set_freq 928900000"})
        expected.push_back(t);
    expected.insert(expected.begin() + 5, TxCommand(5, 4, 40963, 1, 928900000));
    EXPECT_EQ(Sent(), expected);
    EXPECT_EQ(link.ReplyOk, 1);
    EXPECT_EQ(link.FailStreak, 0);
    EXPECT_EQ(host.recoverCalls, 1);
}

TEST_F(RadioLink, ReplyLinesAreTakenApart)
{
    link.LinkType = LinkSub1g;
    link.SlaveId = 5;
    link.BuildRadioFrame(40963, 1, 4);
    const std::string good = invsim::HexText(WithCrc({0x05, 0x04, 0x02, 0x00, 0x2A}));
    std::string badCrc = good;
    badCrc.back() = badCrc.back() == '0' ? '1' : '0';
    const std::string other = invsim::HexText(WithCrc({0x06, 0x04, 0x02, 0x00, 0x2B}));     // slave 6
    const std::string otherFc = invsim::HexText(WithCrc({0x05, 0x03, 0x02, 0x00, 0x2C}));   // function 3
    const std::string stale = invsim::HexText(WithCrc({0x05, 0x04, 0x04, 0, 1, 0, 2}));     // two words
    const std::string exception = invsim::HexText(WithCrc({0x05, 0x84, 0x02}));
    struct Case {
        std::string text;
        int length;        // ReplyLength after the parse
        int ok;            // ReplyOk
        QString rssi;      // panel 9 after the parse; empty: not written
        QString snr;
    };
    const Case cases[] = {
        {"Ok\r\nradio_rx " + good + " -70 7\r\n", 7, 1, "RSSI: -70", "SNR: 7"},
        {"radio_rx " + good + " -101 -12", 7, 1, "RSSI: -101", "SNR: -12"},
        {"radio_rx " + good, 7, 1, "", ""},
        {"radio_rx " + good + " -88\r\n", 7, 1, "RSSI: -88", ""},
        // Tabs and NULs separate as blanks do; a run of separators is one.
        {"radio_rx\t" + good + "\t-70\t7", 7, 1, "RSSI: -70", "SNR: 7"},
        {std::string("radio_rx\0", 9) + good + std::string("\0-70\0", 5) + "7", 7, 1, "RSSI: -70", "SNR: 7"},
        {"Ok\r\n\r\n radio_rx \t\r " + good + " \r\n-70\t \t7\r", 7, 1, "RSSI: -70", "SNR: 7"},
        {"Ok\r\nradio_rx", 0, 0, "", ""},                        // nothing after the token
        {"Ok\r\nradio_rx\r\n", 0, 0, "", ""},
        {"radio_rx " + badCrc + " -70 7\r\n", 0, 0, "RSSI: -70", "SNR: 7"},
        {"radio_rx " + good.substr(1) + " -70 7", 0, 0, "RSSI: -70", "SNR: 7"},   // odd length
        {"radio_rx ZZ" + good.substr(2) + " -70 7", 0, 0, "RSSI: -70", "SNR: 7"},
        {"radio_rx 0504 -70 7", 0, 0, "RSSI: -70", "SNR: 7"},  // too short to carry a CRC
        // The CRC is right but a one-register read got two registers.
        {"radio_rx " + invsim::HexText(WithCrc({0x05, 0x04, 0x04, 0, 1, 0, 2})) + " -70 7", 9, 0, "RSSI: -70", "SNR: 7"},
        {"Ok\r\nOk\r\n", 0, 0, "", ""},
        {"radio_rx " + good + " -1 2 radio_rx " + badCrc + " -3 4", 7, 1, "RSSI: -1", "SNR: 2"},   // the good one counts
        // The line taken is the one that answers the request: its slave and its function.
        {"radio_rx " + other + " -90 3\r\nradio_rx " + good + " -70 7\r\n", 7, 1, "RSSI: -70", "SNR: 7"},
        {"radio_rx " + good + " -70 7\r\nradio_rx " + other + " -90 3\r\n", 7, 1, "RSSI: -70", "SNR: 7"},
        {"radio_rx " + otherFc + " -90 3\r\nradio_rx " + good + " -70 7\r\n", 7, 1, "RSSI: -70", "SNR: 7"},
        {"radio_rx " + stale + " -90 3\r\nradio_rx " + good + " -70 7\r\n", 7, 1, "RSSI: -70", "SNR: 7"},
        // A line from another slave or for another function alone is no answer.
        {"radio_rx " + other + " -90 3\r\n", 7, 0, "RSSI: -90", "SNR: 3"},
        {"radio_rx " + otherFc + " -90 3\r\n", 7, 0, "RSSI: -90", "SNR: 3"},
        // The slave's exception reply passes; the caller reads its function code.
        {"radio_rx " + exception + " -70 7\r\n", 5, 1, "RSSI: -70", "SNR: 7"},
    };
    for (const auto& c : cases) {
        host.panels.clear();
        link.ReplyOk = 0;
        link.ReplyLength = 0;
        std::memset(link.Com.RxBuffer, 0, sizeof link.Com.RxBuffer);
        std::memcpy(link.Com.RxBuffer, c.text.data(), c.text.size());
        link.Com.RxCount = static_cast<int>(c.text.size());
        EXPECT_EQ(link.ParseRadioReply(), 0);
        EXPECT_EQ(link.ReplyLength, c.length) << c.text;
        EXPECT_EQ(link.ReplyOk, c.ok) << c.text;
        EXPECT_EQ(host.panels.count(9) ? host.panels[9] : QString(), c.rssi) << c.text;
        EXPECT_EQ(host.panels.count(10) ? host.panels[10] : QString(), c.snr) << c.text;
    }
}

TEST_F(RadioLink, FrequencyOutsideTheBandFallsBackWithAMessage)
{
    struct Case { int tenths; std::int32_t hz; bool message; };
    const Case cases[] = {{9289, 928900000, false}, {8620, 862000000, false}, {9320, 932000000, false},
                          {8619, 900000000, true},  {9321, 900000000, true},  {0, 900000000, true},
                          {-9289, 900000000, true}};
    for (const auto& c : cases) {
        host.messages.clear();
        link.RadioFreq = 1;
        EXPECT_EQ(link.SetRadioFreq(c.tenths), 0);
        EXPECT_EQ(link.RadioFreq, c.hz) << c.tenths;
        EXPECT_EQ(host.messages, c.message ? QStringList{"illegal freq, default setting"} : QStringList{}) << c.tenths;
    }
}

TEST_F(RadioLink, TuningWithoutOkIsTriedAgainAndTuningInPlaceSendsNothing)
{
    Open();
    adapter.SetTuneAnswers(false);
    adapter.ClearCommands();
    EXPECT_EQ(link.TuneRadio(928900000), 1);
    EXPECT_EQ(link.RadioFreqCurrent, 900000000);
    EXPECT_EQ(link.TuneRadio(928900000), 1);
    EXPECT_EQ(Sent(), (Texts{"rf set_freq 928900000", "rf set_freq 928900000"}));
    adapter.SetTuneAnswers(true);
    EXPECT_EQ(link.TuneRadio(928900000), 0);
    EXPECT_EQ(link.RadioFreqCurrent, 928900000);
    EXPECT_EQ(link.TuneRadio(928900000), 0);
    EXPECT_EQ(Sent().size(), 3u);
}

TEST_F(RadioLink, VanishedAdapterIsALinkFailure)
{
    Open();
    adapter.SetInput(5, 40963, 7);
    adapter.AddFault(5, F(FaultKind::Hangup, -1, 1));
    EXPECT_EQ(link.Request(40963, 1, 4), 1);
}

TEST_F(RadioLink, SplitLineAndBadCrcOnTheAir)
{
    Open();
    adapter.SetInput(5, 40963, 0x0102);
    adapter.AddFault(5, F(FaultKind::Split, 12, 1, 20));
    ASSERT_EQ(link.Request(40963, 1, 4), 0);
    EXPECT_EQ(link.ReplyOk, 1);
    EXPECT_EQ(ReplyBytes(link), WithCrc({0x05, 0x04, 0x02, 0x01, 0x02}));

    // A spoilt answer leaves no reply; the retry on the other frequency finds nobody there
    // (the inverter moved on), so the request stays unanswered and counts as such.
    adapter.AddFault(5, F(FaultKind::BadCrc, -1, 1));
    ASSERT_EQ(link.Request(40963, 1, 4), 0);
    EXPECT_EQ(link.ReplyLength, 0);
    EXPECT_EQ(link.NoReplyCount, 1);
    EXPECT_EQ(link.CrcErrors, 0);
}

// An answer that comes too late for its own window comes in the next request's window, ahead of
// that request's own answer: the line taken is the one that answers the request.
TEST_F(RadioLink, ALateAnswerInTheNextWindowIsNotTakenForItsAnswer)
{
    Open();
    adapter.SetInput(5, 40963, 7);
    adapter.SetHolding(5, 10, 9);
    adapter.AddFault(5, F(FaultKind::Late, -1, 1));
    ASSERT_EQ(link.Request(40963, 1, 4), 0);
    ASSERT_EQ(link.Request(10, 1, 3), 0);
    EXPECT_EQ(ReplyBytes(link), WithCrc({0x05, 0x03, 0x02, 0x00, 0x09}));
    EXPECT_EQ(link.ReplyOk, 1);
    // Only the late answer in the window: it is not this request's.
    adapter.AddFault(5, F(FaultKind::Late));
    ASSERT_EQ(link.Request(40963, 1, 4), 0);
    link.ResetLinkCounters();
    for (int i = 1; i <= 4; ++i) {
        ASSERT_EQ(link.Request(i % 2 ? 10 : 40963, 1, i % 2 ? 3 : 4), 0);
        EXPECT_FALSE(link.ReplyOk == 1 && link.Reply[1] == (i % 2 ? 3 : 4)) << i;
        EXPECT_EQ(link.FailStreak, i);
    }
}

// A probe's window that receives another inverter's late answer finds nobody at the probed ID.
TEST_F(RadioLink, ScanTakesNoLateAnswerForTheNextId)
{
    adapter.AddInverter(2);
    adapter.AddInverter(4);
    adapter.AddFault(2, F(FaultKind::Late));
    Open();
    link.ScanFirst = 1;
    link.ScanLast = 4;
    link.ScanIds();
    EXPECT_EQ(link.IdFound[3], 0);
    EXPECT_EQ(link.IdFound[4], 4);
    EXPECT_EQ(link.IdFound[1], 0);
}

TEST_F(RadioLink, ScanFindsTheInvertersOnTheAir)
{
    adapter.AddInverter(2);
    adapter.AddInverter(4);
    Open();
    link.ScanFirst = 1;
    link.ScanLast = 5;
    link.ScanIds();
    for (int id = 0; id <= 6; ++id) {
        const bool there = id == 2 || id == 4 || id == 5;
        EXPECT_EQ(link.IdFound[id], there ? id : 0) << id;
        EXPECT_EQ(link.IdBaudCode[id], there ? 3 : 0) << id;
    }
    EXPECT_EQ(host.panels[0], "ID: 5");
    EXPECT_EQ(host.panels[1], "38400");
    // Every probe read input register 40963 (0xA003 on the air).
    for (const auto& t : Sent()) {
        if (t.rfind("rf tx ", 0) == 0) {
            EXPECT_EQ(t.substr(8, 10), "04A0020001") << t;
        }
    }
}

} // namespace

namespace {

using namespace wireless;

// Whatever the adapter sends (line noise, cut lines, binary bytes, a buffer full), the parse
// stays inside the reply buffer and accepts only a frame that carries its CRC.
TEST(RadioReplyParse, ArbitraryAdapterOutputKeepsTheReplyConsistent)
{
    RecordingHost host;
    Modbus link(&host);
    link.LinkType = LinkSub1g;
    link.SlaveId = 5;
    link.BuildRadioFrame(40963, 1, 4);
    std::string good;
    for (auto b : WithCrc({0x05, 0x04, 0x02, 0x00, 0x2A})) {
        good += "0123456789ABCDEF"[b >> 4];
        good += "0123456789ABCDEF"[b & 15];
    }
    const std::vector<std::string> pieces{"radio_rx", good, "-70", "7", "Ok", "\r\n", " ", "  ", "radio_rx" + good,
                                          "ZZ", "0", "FFFF", std::string(1, '\0'), "\xFF\xFE", "-", "radio_r", "x"};
    std::uint32_t seed = 12345;
    const auto next = [&seed] { seed = seed * 1103515245u + 12345u; return seed >> 8; };
    int accepted = 0;
    for (int round = 0; round < 4000; ++round) {
        std::string text;
        if (round % 10 == 9) {
            // Raw bytes, up to a full receive buffer.
            const std::size_t n = next() % (round % 100 == 99 ? Tcomm::kRxOversize : 600);
            for (std::size_t i = 0; i < n; ++i)
                text += static_cast<char>(next() & 0xFF);
        } else {
            const int count = 1 + static_cast<int>(next() % 8);
            for (int i = 0; i < count; ++i) {
                text += pieces[next() % pieces.size()];
                if (next() % 3)
                    text += ' ';
            }
        }
        if (round % 50 == 0)   // a long hex payload
            text = "radio_rx " + std::string(2 * (next() % 6000), 'A') + " 1 2";
        text.resize(std::min<std::size_t>(text.size(), Tcomm::kRxOversize - 1));
        link.ReplyOk = 0;
        link.ReplyLength = 0;
        std::memset(link.Com.RxBuffer, 0, sizeof link.Com.RxBuffer);
        std::memcpy(link.Com.RxBuffer, text.data(), text.size());
        link.Com.RxCount = static_cast<int>(text.size());
        ASSERT_EQ(link.ParseRadioReply(), 0);
        ASSERT_GE(link.ReplyLength, 0);
        ASSERT_LE(link.ReplyLength, Modbus::kReplySize);
        if (link.ReplyOk == 1) {
            ++accepted;
            ASSERT_GE(link.ReplyLength, 4);
            ASSERT_EQ(link.CheckReplyCrc(), 1);
        }
    }
    EXPECT_GT(accepted, 0);   // the good payload did come up
}

} // namespace

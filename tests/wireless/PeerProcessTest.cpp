// The Wi-Fi and radio links against peers in other processes: pymodbus's own server with its
// RTU framer (a peer nobody here wrote) and the invsim program's tcp and radio commands.
#include "WirelessSupport.h"
#include "support/PeerProcess.h"
#include "support/Python.h"

#include <QDeadlineTimer>
#include <QProcess>

namespace {

using namespace wireless;

using Peer = testsupport::PeerProcess;

class PeerProcess : public ::testing::Test {
protected:
    void SetUp() override
    {
        vcl::SetTimeService(&time);
        link.SetHost(&host);
    }
    void TearDown() override
    {
        link.Tcp.Cleanup();
        link.Com.Close();
        vcl::SetTimeService(nullptr);
    }
    void OpenWifi()
    {
        link.LinkType = LinkWifi;
        link.SlaveId = 255;
        link.ResetLinkCounters();
    }
    int Word(int k) const { return link.Reply[3 + 2 * k] * 256 + link.Reply[4 + 2 * k]; }

    CountingTime time{0.5};
    RecordingHost host;
    Modbus link;
};

TEST_F(PeerProcess, PymodbusServerWithRtuFramerAnswersTheWifiLink)
{
    const QString missing = testsupport::MissingPythonModules({"pymodbus.server", "pymodbus.transaction"});
    ASSERT_TRUE(missing.isEmpty()) << missing.toStdString();
    Peer server;
    ASSERT_TRUE(server.Start(testsupport::kPython, {QStringLiteral(SUNVANE_TEST_DATA "/pymodbus_rtu_server.py")}))
        << server.process.readAllStandardError().toStdString();
    bool numeric = false;
    const int port = server.first.toInt(&numeric);
    ASSERT_TRUE(numeric && port > 0) << server.first.toStdString();
    WifiAddressScope scope(Loopback(port));
    OpenWifi();

    // The keep-alive write of every polling cycle, echoed.
    ASSERT_EQ(link.Request(60515, 0x55AA, 6), 0);
    EXPECT_EQ(ReplyBytes(link), (Bytes{0xFF, 0x06, 0xEC, 0x62, 0x55, 0xAA, 0xB6, 0x75}));
    EXPECT_EQ(link.ReplyOk, 1);

    ASSERT_EQ(link.Request(1, 10, 3), 0);
    ASSERT_EQ(link.ReplyOk, 1);
    ASSERT_EQ(link.Reply[1], 3);
    EXPECT_EQ(link.ReplyLength, 25);
    for (int k = 0; k < 10; ++k)
        EXPECT_EQ(Word(k), 100 + k);

    ASSERT_EQ(link.Request(1, 30, 4), 0);
    ASSERT_EQ(link.ReplyOk, 1);
    EXPECT_EQ(Word(0), 1000);
    EXPECT_EQ(Word(29), 1029);

    // A write, then the same register read back.
    ASSERT_EQ(link.Request(5, 4321, 6), 0);
    EXPECT_EQ(link.ReplyOk, 1);
    ASSERT_EQ(link.Request(5, 1, 3), 0);
    ASSERT_EQ(link.ReplyOk, 1);
    EXPECT_EQ(Word(0), 4321);

    EXPECT_EQ(link.NoReplyCount, 0);
    EXPECT_EQ(link.CrcErrors, 0);
    EXPECT_EQ(host.panels[5], "NoCon/NoRx/Error:-1/0/0");
}

TEST_F(PeerProcess, InvsimTcpCommandServesTheModuleOnAPortOfItsOwn)
{
    Peer module;
    ASSERT_TRUE(module.Start(QStringLiteral(INVSIM_BIN), {"tcp", "0", "--id", "255", "--set", "255:40000=77", "--fault", "255:crc/1"}))
        << module.process.readAllStandardError().toStdString();
    ASSERT_TRUE(module.first.startsWith("127.0.0.1:")) << module.first.toStdString();
    WifiAddressScope scope(module.first.toStdString());
    OpenWifi();
    ASSERT_EQ(link.Request(40000, 1, 3), 0);
    EXPECT_EQ(link.ReplyOk, 0);   // the fault asked for: one spoilt reply
    EXPECT_EQ(link.CrcErrors, 1);
    ASSERT_EQ(link.Request(40000, 1, 3), 0);
    ASSERT_EQ(link.ReplyOk, 1);
    EXPECT_EQ(Word(0), 77);
    ASSERT_EQ(link.Request(60515, 0x55AA, 6), 0);
    EXPECT_EQ(link.ReplyOk, 1);
}

TEST_F(PeerProcess, InvsimCommandLinesRefuseBadOptions)
{
    struct Case { QStringList args; };
    const Case cases[] = {
        {{"tcp"}}, {{"tcp", "70000"}}, {{"tcp", "0", "--set", "7:1=1"}},   // not the module's ID
        {{"tcp", "0", "--fault", "255:nonsense"}}, {{"radio"}}, {{"radio", "--id", "300"}},
        {{"radio", "--id", "3", "--signal", "3:-70"}}, {{"radio", "--id", "3", "--bogus", "1"}},
    };
    for (const auto& c : cases) {
        QProcess p;
        p.start(QStringLiteral(INVSIM_BIN), c.args);
        ASSERT_TRUE(p.waitForFinished(10000)) << c.args.join(' ').toStdString();
        EXPECT_EQ(p.exitCode(), 2) << c.args.join(' ').toStdString();
        EXPECT_TRUE(p.readAllStandardError().contains("usage:")) << c.args.join(' ').toStdString();
    }
}

TEST_F(PeerProcess, InvsimRadioCommandServesAnAdapterOnAPty)
{
    Peer adapter;
    ASSERT_TRUE(adapter.Start(QStringLiteral(INVSIM_BIN), {"radio", "--id", "3", "--input", "3:100=513", "--signal", "3:-80:5",
                                                            "--reply-delay", "150", "--log"}))
        << adapter.process.readAllStandardError().toStdString();
    ASSERT_EQ(link.OpenCom(adapter.first), 0);
    link.LinkType = LinkSub1g;
    link.SetBaudCode(3);
    link.ResetLinkCounters();
    link.SlaveId = 3;
    link.RadioConfigure();
    link.SetRadioFreq(9000);
    ASSERT_EQ(link.Request(100, 1, 4), 0);
    ASSERT_EQ(link.ReplyOk, 1);
    EXPECT_EQ(Word(0), 513);
    EXPECT_EQ(host.panels[9], "RSSI: -80");
    EXPECT_EQ(host.panels[10], "SNR: 5");
    // --log prints each command the adapter took.
    const QDeadlineTimer deadline(5000);
    while (!adapter.process.readAllStandardOutput().contains("rf rx_con off")) {
        if (deadline.hasExpired() || !adapter.process.waitForReadyRead(static_cast<int>(deadline.remainingTime())))
            FAIL() << "no command log";
    }
}

} // namespace

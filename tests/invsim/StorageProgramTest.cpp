// The invsim program playing a storage inverter and its power meter, read by the program's link
// over the simulator's pseudo-terminal.
#include "link/LinkHost.h"
#include "link/Modbus.h"
#include "support/PeerProcess.h"
#include "support/QtApp.h"

#include <QProcess>
#include <gtest/gtest.h>

namespace {

int Word(const Modbus& link, int k) { return link.Reply[3 + 2 * k] << 8 | link.Reply[4 + 2 * k]; }

TEST(InvsimStorage, PlaysTheBatteryAndTheMeterAtItsOwnId)
{
    testsupport::EnsureCoreApplication();
    testsupport::PeerProcess sim;
    ASSERT_TRUE(sim.Start(QStringLiteral(INVSIM_BIN), {"serial", "--storage", "1", "--meter", "252"}, 5000, 5000));
    LinkHost host;
    Modbus link;
    link.SetHost(&host);
    ASSERT_EQ(link.OpenCom(sim.first), 0);
    link.SetBaudCode(1);
    // The inverter: its identity and its battery.
    link.SlaveId = 1;
    ASSERT_EQ(link.Request(1536, 19, 4), 0);
    ASSERT_EQ(link.ReplyOk, 1);
    EXPECT_EQ(Word(link, 2), 653);
    EXPECT_EQ(Word(link, 10), 0xFFFD);
    ASSERT_EQ(link.Request(25635, 2, 3), 0);
    EXPECT_EQ(Word(link, 0), 100);
    // A window written is read back.
    ASSERT_EQ(link.Request(25635, 730, 6), 0);
    ASSERT_EQ(link.Request(25635, 1, 3), 0);
    EXPECT_EQ(Word(link, 0), 730);
    // The meter answers under its own ID.
    link.SlaveId = 252;
    ASSERT_EQ(link.Request(258, 2, 4), 0);
    ASSERT_EQ(link.ReplyOk, 1);
    EXPECT_EQ(Word(link, 0), 0x0102);
    ASSERT_EQ(link.Request(3072, 7, 3), 0);
    ASSERT_EQ(link.ReplyOk, 1);
    EXPECT_EQ(Word(link, 0), 'P' << 8 | 'M');
    // Nobody else is on the bus.
    link.SlaveId = 253;
    ASSERT_EQ(link.Request(258, 2, 4), 0);
    EXPECT_NE(link.ReplyOk, 1);
    link.Com.Close();
    sim.process.terminate();
    ASSERT_TRUE(sim.process.waitForFinished(5000));
    EXPECT_EQ(sim.process.exitCode(), 0);
}

TEST(InvsimStorage, RefusesIdsOutOfRange)
{
    testsupport::EnsureCoreApplication();
    for (const QStringList& args : {QStringList{"serial", "--storage", "0"}, QStringList{"serial", "--storage", "248"},
                                    QStringList{"serial", "--id", "1", "--meter", "255"},
                                    QStringList{"serial", "--id", "1", "--meter", "x"}}) {
        QProcess p;
        p.start(INVSIM_BIN, args);
        ASSERT_TRUE(p.waitForFinished(5000)) << args.join(' ').toStdString();
        EXPECT_EQ(p.exitCode(), 2) << args.join(' ').toStdString();
        EXPECT_TRUE(p.readAllStandardError().contains("usage: invsim serial"));
    }
}

} // namespace

// The simulator program's --refuse option: a write of the named value is acknowledged, but the
// register keeps what it held, as an inverter does with a setting outside its range.
#include "link/Modbus.h"
#include "support/PeerProcess.h"
#include "support/QtApp.h"

#include <QProcess>
#include <gtest/gtest.h>

namespace {

TEST(InvsimRefuse, AcknowledgesTheWriteButKeepsTheOldValue)
{
    testsupport::EnsureCoreApplication();
    testsupport::PeerProcess sim;
    ASSERT_TRUE(sim.Start(QStringLiteral(INVSIM_BIN),
                          {"serial", "--id", "3", "--holding", "3:1024=2200", "--refuse", "3:1024=2300"}, 5000, 5000));
    Modbus link;
    ASSERT_EQ(link.OpenCom(sim.first), 0);
    link.SetBaudCode(1);
    link.SlaveId = 3;
    auto read = [&] {
        EXPECT_EQ(link.Request(1024, 1, 3), 0);
        EXPECT_TRUE(link.ReplyOk == 1 && link.Reply[1] == 3);
        return link.Reply[3] << 8 | link.Reply[4];
    };
    const struct {
        int write;
        int kept;
    } cases[] = {{2300, 2200}, {2250, 2250}, {2300, 2250}, {2200, 2200}};
    for (const auto& c : cases) {
        ASSERT_EQ(link.Request(1024, c.write, 6), 0);
        EXPECT_TRUE(link.ReplyOk == 1 && link.Reply[1] == 6) << "the write is echoed: " << c.write;
        EXPECT_EQ(read(), c.kept) << c.write;
    }
    link.Com.Close();

    for (const QStringList& bad : {QStringList{"--refuse", "3:1024"}, QStringList{"--refuse", "3:1024=70000"}}) {
        QProcess p;
        p.start(QStringLiteral(INVSIM_BIN), QStringList{"serial", "--id", "3"} + bad);
        ASSERT_TRUE(p.waitForFinished(10000));
        EXPECT_EQ(p.exitCode(), 2) << bad.join(' ').toStdString();
    }
}

} // namespace

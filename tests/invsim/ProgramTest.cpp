// The invsim program as other tools use it, and checked by a Modbus master nobody here wrote.
#include "support/PeerProcess.h"
#include "support/Python.h"
#include "support/QtApp.h"

#include <QFileInfo>
#include <QProcess>
#include <gtest/gtest.h>

namespace {

void EnsureApp()
{
    testsupport::EnsureCoreApplication();
}

// The simulator on a pseudo-terminal; its first line is the terminal's path.
struct Simulator : testsupport::PeerProcess {
    QString path;
    bool Start(const QStringList& args)
    {
        if (!PeerProcess::Start(QStringLiteral(INVSIM_BIN), QStringList{"serial"} + args, 5000, 5000))
            return false;
        path = first;
        return true;
    }
};

TEST(InvsimProgram, PrintsItsPtyAndStopsOnSignal)
{
    EnsureApp();
    Simulator sim;
    ASSERT_TRUE(sim.Start({"--id", "1", "--id", "7@38400", "--set", "1:5=42", "--coil", "1:3=1"}));
    EXPECT_TRUE(sim.path.startsWith("/dev/pts/")) << sim.path.toStdString();
    EXPECT_FALSE(QFileInfo(sim.path).isFile());
    EXPECT_TRUE(QFileInfo::exists(sim.path));
    sim.process.terminate();
    ASSERT_TRUE(sim.process.waitForFinished(5000));
    EXPECT_EQ(sim.process.exitCode(), 0);
}

TEST(InvsimProgram, RefusesABadCommandLine)
{
    EnsureApp();
    const QStringList bad[] = {
        {},
        {"serial"},
        {"serial", "--id", "1@12345"},
        {"serial", "--id", "0"},
        {"serial", "--id", "1", "--set", "1:5"},
        {"serial", "--id", "1", "--set", "1:5=70000"},
        {"serial", "--id", "1", "--coil", "1:3=2"},
        {"serial", "--id", "1", "--fault", "1:loud"},
        {"tcp", "--id", "1"},
    };
    for (const auto& args : bad) {
        QProcess p;
        p.start(INVSIM_BIN, args);
        ASSERT_TRUE(p.waitForFinished(5000)) << args.join(' ').toStdString();
        EXPECT_EQ(p.exitCode(), 2) << args.join(' ').toStdString();
        EXPECT_TRUE(p.readAllStandardOutput().isEmpty());
        const QByteArray said = p.readAllStandardError();
        EXPECT_TRUE(said.contains("usage: invsim serial"));
        // A person who asks for the usage learns every fault the simulator can play.
        for (const char* fault : {"silence", "crc", "short", "split", "delay", "otherid", "flood",
                                  "exception", "hangup", "refuse"})
            EXPECT_TRUE(said.contains(QByteArray("\n  ") + fault)) << fault;
    }
}

TEST(InvsimProgram, AnswersAStandardModbusMaster)
{
    EnsureApp();
    const QString missing = testsupport::MissingPythonModules({"pymodbus.client", "serial"});
    ASSERT_TRUE(missing.isEmpty()) << missing.toStdString();
    Simulator sim;
    ASSERT_TRUE(sim.Start({"--id", "1", "--id", "2@19200", "--set", "1:5=42", "--set", "1:6=0x1234",
                           "--holding", "1:10=7", "--input", "1:20=9", "--coil", "1:3=1", "--coil", "1:4=0",
                           "--coil", "1:5=1", "--page", "1:16=2301,5", "--set", "2:1=77"}));
    QProcess master;
    master.start(testsupport::kPython, {QStringLiteral(SUNVANE_TEST_DATA "/pymodbus_master.py"), sim.path});
    ASSERT_TRUE(master.waitForFinished(60000));
    const QString err = QString::fromUtf8(master.readAllStandardError());
    ASSERT_EQ(master.exitCode(), 0) << err.toStdString();
    const QStringList lines = QString::fromUtf8(master.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    const QStringList expected{
        "fc3 5..6 [42, 4660]",
        "fc4 5..6 [42, 4660]",
        "fc4 10 exception 2",
        "fc4 20 [9]",
        "fc1 3..5 [1, 0, 1]",
        "fc5 4 on ok",
        "fc1 4 [1, 0, 0]",
        "fc6 10 ok",
        "fc3 10 [1000]",
        "fc6 100 exception 2",
        "fc6 800 ok",
        "fc3 800 [16]",
        "fc4 1056..1058 [16, 2301, 5]",
        "fc3 126 regs exception 3",
        "fc2 exception 1",
        "id2 fc3 1 [77]",
    };
    EXPECT_EQ(lines, expected) << err.toStdString();
}

} // namespace

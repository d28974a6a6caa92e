// The real program, driven through its remote user driver: a scan of a bus with inverters at
// 9600 and 38400 bit/s, the tree, and the double-click that moves polling to the second one.
#include "tests/e2e_monitor/MonitorFixture.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocalSocket>
#include <QProcess>
#include <QTest>

namespace {

using namespace monitortest;

class Program {
public:
    Program(const QString& home, const QString& runtime) : socketPath(runtime + "/driver.sock")
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("SUNVANE_HOME", home);
        env.insert("SUNVANE_INSTANCE_DIR", runtime);
        env.insert("SUNVANE_DRIVER", socketPath);
        env.insert("QT_QPA_PLATFORM", "offscreen");
        process.setProcessEnvironment(env);
    }
    ~Program()
    {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished(5000);
        }
    }
    bool Start()
    {
        process.start(QStringLiteral(SUNVANE_BIN), {});
        if (!process.waitForStarted(10000))
            return false;
        QByteArray err;
        const bool ended = QTest::qWaitFor([&] {
            process.waitForReadyRead(50);
            err += process.readAllStandardError();
            return err.contains("SUNVANE_DRIVER listening") || process.state() == QProcess::NotRunning;
        }, 15000);
        if (!ended || !err.contains("SUNVANE_DRIVER listening"))
            return false;
        socket.connectToServer(socketPath);
        return socket.waitForConnected(5000);
    }
    QJsonObject Ask(const QString& request)
    {
        socket.write(request.toUtf8() + "\n");
        socket.waitForBytesWritten(5000);
        QByteArray line;
        const bool answered = QTest::qWaitFor([&] {
            if (socket.canReadLine() || socket.waitForReadyRead(50))
                line += socket.readLine();
            return line.endsWith('\n');
        }, 10000);
        if (!answered)
            return QJsonObject{{"ok", false}, {"error", "no answer"}};
        return QJsonDocument::fromJson(line).object();
    }
    bool Do(const QString& request) { return Ask(request)["ok"].toBool(); }
    QString Text(const QString& name) { return Ask("get " + name)["text"].toString(); }
    QString Status(int n) { return Ask(QStringLiteral("status %1").arg(n))["text"].toString(); }
    QStringList Tree()
    {
        QStringList items;
        for (const auto& v : Ask("tree")["items"].toArray())
            items << v.toString();
        return items;
    }
    bool WaitFor(const std::function<bool()>& condition, int timeoutMs) { return QTest::qWaitFor(condition, timeoutMs); }

    QProcess process;
    QLocalSocket socket;
    QString socketPath;
};

TEST(RemoteScan, ScanTreeAndDoubleClickThroughTheRemoteDriver)
{
    static int argc = 1;
    static char* argv[] = {const_cast<char*>("test_commands"), nullptr};
    if (!QCoreApplication::instance())
        new QCoreApplication(argc, argv);
    QTemporaryDir home, runtime;
    ASSERT_TRUE(home.isValid() && runtime.isValid());
    ASSERT_TRUE(MakeMonitorHome(home.path()));
    invsim::Bus bus;
    std::string error;
    ASSERT_TRUE(bus.Start(&error)) << error;
    bus.With(1, [](invsim::Inverter& inv) { invsim::LoadDemoInverter(inv); });
    bus.AddInverter(3, 9600);
    bus.AddInverter(12, 38400);
    for (int id : {3, 12})
        bus.With(id, [](invsim::Inverter& inv) { invsim::LoadDemoInverter(inv); });

    Program run(home.path(), runtime.path());
    ASSERT_TRUE(run.Start());
    ASSERT_TRUE(run.Do("pickt Combo_SelectMode Monitor"));
    ASSERT_TRUE(run.Do("mousedown Radio_ComRS485"));
    ASSERT_TRUE(run.Do("text Combo_COM " + QString::fromStdString(bus.Path())));
    ASSERT_TRUE(run.Do("text Edit_StartID 3"));
    ASSERT_TRUE(run.Do("text Edit_EndID 12"));
    ASSERT_TRUE(run.Do("click OpenPort"));
    ASSERT_TRUE(run.WaitFor([&] { return run.Text("Label_VantoSN") == "SV5K20A123456"; }, 15000));

    ASSERT_TRUE(run.Do("click Btn_ScanID"));
    bool sawProbe = false;
    ASSERT_TRUE(run.WaitFor([&] {
        sawProbe = sawProbe || run.Status(0).startsWith("ID: ");
        return run.Tree() == QStringList{"Inverters", "ID:003", "ID:012"};
    }, 40000)) << run.Tree().join(",").toStdString();
    EXPECT_TRUE(sawProbe);
    EXPECT_EQ(run.Status(1), "9600");   // inverter 3 is current, at its own rate

    bus.ClearFrames();
    ASSERT_TRUE(run.Do("dblclick TreeView ID:012"));
    ASSERT_TRUE(run.WaitFor([&] { return run.Status(1) == "38400"; }, 10000));
    // The version of inverter 12 is read at its rate.
    ASSERT_TRUE(run.WaitFor([&] {
        for (const auto& f : bus.Frames())
            if (f.bytes[0] == 12 && f.bytes[1] == 3 && (f.bytes[2] << 8 | f.bytes[3]) == 801 && f.baud == 38400)
                return true;
        return false;
    }, 15000));
    ASSERT_TRUE(run.WaitFor([&] { return run.Text("Label_PacR") == "2800 W"; }, 15000));

    ASSERT_TRUE(run.Do("click ClosePort"));
    ASSERT_TRUE(run.WaitFor([&] { return run.Ask("get OpenPort")["enabled"].toBool(); }, 10000));
    EXPECT_TRUE(run.Ask("dialogs")["items"].toArray().isEmpty());
    bus.Stop();
}

} // namespace

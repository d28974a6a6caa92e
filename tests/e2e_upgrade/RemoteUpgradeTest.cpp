// The real program, driven through its remote user driver: polling the simulated inverter, the
// firmware button, an image dropped on the window, then a broken one through the load button.
#include "e2e_monitor/MonitorFixture.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocalSocket>
#include <QProcess>
#include <QTest>

namespace {

using namespace monitortest;

const QString kData = QStringLiteral(SUNVANE_SOURCE_DIR "/tests/upgrade/data/");

class Program {
public:
    Program(const QString& home, const QString& runtime) : socketPath_(runtime + "/driver.sock")
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("SUNVANE_HOME", home);
        env.insert("SUNVANE_INSTANCE_DIR", runtime);
        env.insert("SUNVANE_DRIVER", socketPath_);
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
        (void)QTest::qWaitFor([&] {
            process.waitForReadyRead(50);
            err += process.readAllStandardError();
            return err.contains("SUNVANE_DRIVER listening") || process.state() == QProcess::NotRunning;
        }, 15000);
        if (!err.contains("SUNVANE_DRIVER listening"))
            return false;
        socket_.connectToServer(socketPath_);
        return socket_.waitForConnected(5000);
    }
    QJsonObject Ask(const QString& request)
    {
        socket_.write(request.toUtf8() + "\n");
        socket_.waitForBytesWritten(5000);
        QByteArray line;
        const bool answered = QTest::qWaitFor([&] {
            if (socket_.canReadLine() || socket_.waitForReadyRead(50))
                line += socket_.readLine();
            return line.endsWith('\n');
        }, 10000);
        if (!answered)
            return QJsonObject{{"ok", false}, {"error", "no answer"}};
        return QJsonDocument::fromJson(line).object();
    }
    bool Do(const QString& request) { return Ask(request)["ok"].toBool(); }
    QString TextOf(const QString& name) { return Ask("get " + name)["text"].toString(); }
    bool EnabledOf(const QString& name) { return Ask("get " + name)["enabled"].toBool(); }
    bool WaitFor(const std::function<bool()>& condition, int timeoutMs)
    {
        return QTest::qWaitFor([&] { return condition(); }, timeoutMs);
    }

    QProcess process;

private:
    QString socketPath_;
    QLocalSocket socket_;
};

} // namespace

TEST(RemoteUpgrade, DroppedImageLoadsOnTheUpgradePage)
{
    static int argc = 1;
    static char* argv[] = {const_cast<char*>("test_e2e_upgrade"), nullptr};
    if (!QCoreApplication::instance())
        new QCoreApplication(argc, argv);
    QTemporaryDir home, runtime;
    ASSERT_TRUE(home.isValid() && runtime.isValid());
    ASSERT_TRUE(MakeMonitorHome(home.path()));
    invsim::Bus bus;
    std::string error;
    ASSERT_TRUE(bus.Start(&error)) << error;
    bus.With(1, [](invsim::Inverter& inv) { invsim::LoadDemoInverter(inv); });

    Program run(home.path(), runtime.path());
    ASSERT_TRUE(run.Start());
    ASSERT_TRUE(run.Do("pickt Combo_SelectMode Monitor"));
    ASSERT_TRUE(run.Do("mousedown Radio_ComRS485"));
    ASSERT_TRUE(run.Do("text Combo_COM " + QString::fromStdString(bus.Path())));
    ASSERT_TRUE(run.Do("click OpenPort"));
    ASSERT_TRUE(run.WaitFor([&] { return run.TextOf("Label_VantoSN") == "SV5K20A123456"; }, 15000));

    // The page takes the link over; the main page is gone.
    ASSERT_TRUE(run.Do("click Image_Firmware"));
    // A control of the page can be used once it is the shown page.
    ASSERT_TRUE(run.WaitFor([&] { return run.Do("pickt Combo_Delay 150"); }, 10000));
    EXPECT_FALSE(run.Do("tab PageControl 1"));   // the only page left
    ASSERT_TRUE(run.Do("text Edit_EndID 1"));
    EXPECT_FALSE(run.EnabledOf("Btn_UpgradeStart"));

    ASSERT_TRUE(run.Do("drop " + kData + "linear16_lf.hex"));
    ASSERT_TRUE(run.WaitFor([&] { return run.EnabledOf("Btn_UpgradeStart"); }, 10000));
    EXPECT_EQ(run.TextOf("Edit_HEXPath"), kData + "linear16_lf.hex");
    EXPECT_EQ(run.TextOf("L_STARTADDR"), "0x0001FC00");
    EXPECT_EQ(run.TextOf("L_PROGRAMSIZE"), "64");
    run.Ask("dialogs");

    // A broken image through the load button and the open dialog.
    ASSERT_TRUE(run.Do("answer " + kData + "bad_checksum.hex"));
    ASSERT_TRUE(run.Do("click Btn_LoadHEX"));
    QJsonArray shown;
    ASSERT_TRUE(run.WaitFor([&] {
        for (const auto& item : run.Ask("dialogs")["items"].toArray())
            shown.append(item);
        return shown.contains(QJsonValue("Error - Load Hex File"));
    }, 10000));
    EXPECT_FALSE(run.EnabledOf("Btn_UpgradeStart"));
    EXPECT_EQ(run.TextOf("L_STARTADDR"), QString());

    EXPECT_TRUE(run.Do("close"));
    ASSERT_TRUE(run.process.waitForFinished(10000));
    EXPECT_EQ(run.process.exitCode(), 0);
    bus.Stop();
}

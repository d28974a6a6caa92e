// The real program, driven through its remote user driver: serial links that cannot be used.
#include "e2e_monitor/MonitorFixture.h"
#include "e2e_monitor/OpenLink.h"

#include "support/RemoteProgram.h"
#include "tools/invsim/TcpModule.h"

#include <QFile>
#include <QJsonArray>

namespace {

using namespace monitortest;
using ProgramRun = testsupport::RemoteProgram;
using openlink::DialogsUntil;

class LinkFaults : public ::testing::Test {
protected:
    void SetUp() override
    {
        testsupport::EnsureCoreApplication();
        ASSERT_TRUE(home.isValid() && runtime.isValid());
        ASSERT_TRUE(MakeMonitorHome(home.path()));
    }

    // After the link failed by itself: the message `lost` once, the link closed, the values a
    // red "??", and nothing more said while the window goes on.
    void ExpectLostOnce(ProgramRun& run, const QString& lost)
    {
        QStringList shown = DialogsUntil(run, lost);
        EXPECT_EQ(shown, QStringList{lost});
        EXPECT_TRUE(run.WaitFor([&] { return run.EnabledOf("OpenPort"); }, 5000));
        EXPECT_FALSE(run.EnabledOf("ClosePort"));
        EXPECT_EQ(run.TextOf("Label_PacR"), "??");
        EXPECT_EQ(run.ColourOf("Label_PacR"), "0x0000FF");
        for (int i = 0; i < 20; ++i)
            for (const auto& v : run.Ask("dialogs")["items"].toArray())
                shown << v.toString();
        EXPECT_EQ(shown, QStringList{lost});
    }

    QTemporaryDir home;
    QTemporaryDir runtime;
};

// A path that opens but is no serial port is no link: the message, and the open button stays.
TEST_F(LinkFaults, APathThatIsNoSerialPortCannotOpen)
{
    const QString regular = home.path() + "/not-a-port";
    {
        QFile f(regular);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    ProgramRun run(home.path(), runtime.path());
    ASSERT_TRUE(run.Start());
    ASSERT_TRUE(run.Do("pickt Combo_SelectMode Monitor"));
    ASSERT_TRUE(run.Do("mousedown Radio_ComRS485"));
    for (const QString& path : {QStringLiteral("/dev/null"), regular}) {
        run.Ask("dialogs");
        ASSERT_TRUE(run.Do("text Combo_COM " + path));
        ASSERT_TRUE(run.Do("click OpenPort"));
        EXPECT_EQ(DialogsUntil(run, "COM Can't Open"), QStringList{"COM Can't Open"}) << path.toStdString();
        EXPECT_TRUE(run.EnabledOf("OpenPort")) << path.toStdString();
        EXPECT_FALSE(run.EnabledOf("ClosePort")) << path.toStdString();
    }
    EXPECT_TRUE(run.Do("close"));
    ASSERT_TRUE(run.process.waitForFinished(10000));
}

// A click into the port box selects its text, so the path typed then replaces it.
TEST_F(LinkFaults, TypingIntoThePortBoxReplacesItsText)
{
    invsim::Bus bus;
    std::string error;
    ASSERT_TRUE(bus.Start(&error)) << error;
    bus.With(1, [](invsim::Inverter& inv) { invsim::LoadDemoInverter(inv); });
    ProgramRun run(home.path(), runtime.path());
    ASSERT_TRUE(run.Start());
    ASSERT_TRUE(run.Do("pickt Combo_SelectMode Monitor"));
    ASSERT_TRUE(run.Do("text Combo_COM /dev/ttyS0"));
    ASSERT_TRUE(run.Do("mousedown Radio_ComRS485"));   // the focus leaves the box
    ASSERT_TRUE(run.Do("keys Combo_COM " + QString::fromStdString(bus.Path())));
    ASSERT_TRUE(run.WaitFor([&] { return run.TextOf("Combo_COM") == QString::fromStdString(bus.Path()); }, 5000))
        << run.TextOf("Combo_COM").toStdString();
    ASSERT_TRUE(run.Do("click OpenPort"));
    EXPECT_TRUE(run.WaitFor([&] { return run.TextOf("Label_VantoSN") == "SV5K20A123456"; }, 15000));
    EXPECT_TRUE(run.Ask("dialogs")["items"].toArray().isEmpty());
    EXPECT_TRUE(run.Do("close"));
    ASSERT_TRUE(run.process.waitForFinished(10000));
    bus.Stop();
}

// The device vanishes under the open link: the message once, the values red "??", the link closed.
TEST_F(LinkFaults, ALinkThatFailsByItselfSaysSoAndMarksTheValuesStale)
{
    invsim::Bus bus;
    std::string error;
    ASSERT_TRUE(bus.Start(&error)) << error;
    bus.With(1, [](invsim::Inverter& inv) { invsim::LoadDemoInverter(inv); });
    const QString path = QString::fromStdString(bus.Path());
    ProgramRun run(home.path(), runtime.path());
    ASSERT_TRUE(openlink::OnRs485(run, bus.Path()));
    ASSERT_TRUE(openlink::Shows(run, "Label_PacR", "2800 W"));
    ASSERT_EQ(run.ColourOf("Label_PacR"), "0xFF0000");
    run.Ask("dialogs");

    bus.Stop();   // the pseudo-terminal goes away
    ExpectLostOnce(run, "Link lost: " + path + " (COM Close)");
    EXPECT_EQ(run.Status(4), "COM Close");
    EXPECT_TRUE(run.Do("close"));
    ASSERT_TRUE(run.process.waitForFinished(10000));
}

// The Wi-Fi module stops under the open link (its connection closed, new ones refused): the
// same message once, the values red "??", the loop ended with the link closed.
TEST_F(LinkFaults, AWifiModuleThatStopsSaysSoAndMarksTheValuesStale)
{
    invsim::TcpModule module;
    std::string error;
    ASSERT_TRUE(module.Start(0, &error)) << error;
    module.With([](invsim::Inverter& inv) { invsim::LoadDemoInverter(inv); });
    qputenv("SUNVANE_WIFI_ADDRESS", QByteArray("127.0.0.1:") + QByteArray::number(module.Port()));
    ProgramRun run(home.path(), runtime.path());
    const bool started = run.Start();
    qputenv("SUNVANE_WIFI_ADDRESS", "127.0.0.1:9");
    ASSERT_TRUE(started);
    ASSERT_TRUE(run.Do("pickt Combo_SelectMode Monitor"));
    ASSERT_TRUE(run.Do("mousedown Radio_ComWifi"));
    ASSERT_TRUE(run.Do("click OpenPort"));
    ASSERT_TRUE(run.WaitFor([&] { return run.TextOf("Label_PacR") == "2800 W"; }, 15000));
    ASSERT_EQ(run.ColourOf("Label_PacR"), "0xFF0000");
    run.Ask("dialogs");

    module.Stop();
    ExpectLostOnce(run, "Link lost: Wi-Fi module (COM Close)");
    EXPECT_TRUE(run.Do("close"));
    ASSERT_TRUE(run.process.waitForFinished(10000));
}

} // namespace

// The real program, driven through its remote user driver as a person would, monitoring the
// simulated demonstration inverter on a pseudo-terminal: live values, a silent inverter and its
// return, the close button, a vanished line, a port that does not exist, no mode chosen.
#include "MonitorFixture.h"

#include "groups/Version.h"
#include "support/QtApp.h"
#include "support/RemoteProgram.h"
#include "tools/invsim/TcpModule.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QTest>

namespace {

using namespace monitortest;

using ProgramRun = testsupport::RemoteProgram;

class RemoteProgram : public RemoteMonitor {
protected:
    void SetUp() override
    {
        RemoteMonitor::SetUp();
        if (HasFatalFailure())
            return;
        animator = std::make_unique<invsim::DemoAnimator>(bus, 1, 200);
    }
    void TearDown() override
    {
        animator.reset();
        RemoteMonitor::TearDown();
    }
    std::unique_ptr<invsim::DemoAnimator> animator;
};

const QString kBlue = "0xFF0000";
const QString kRed = "0x0000FF";

TEST_F(RemoteProgram, MonitorsTheSimulatedInverterThroughItsFaults)
{
    ProgramRun run(home.path(), runtime.path());
    ASSERT_TRUE(run.Start());
    const QString port = QString::fromStdString(bus.Path());

    // Without a mode nothing opens.
    ASSERT_TRUE(run.Do("text Combo_COM " + port));
    ASSERT_TRUE(run.Do("click OpenPort"));
    QJsonArray refused;
    ASSERT_TRUE(run.WaitFor([&] { refused = run.Ask("dialogs")["items"].toArray(); return !refused.isEmpty(); }, 5000));
    EXPECT_EQ(refused[0].toString(), "You have to select Monitor Mode first");
    EXPECT_TRUE(run.Ask("get OpenPort")["enabled"].toBool());

    ASSERT_TRUE(run.Do("pickt Combo_SelectMode Monitor"));
    ASSERT_TRUE(run.Do("mousedown Radio_ComRS485"));
    ASSERT_TRUE(run.Do("text Combo_COM " + port));
    ASSERT_TRUE(run.Do("click OpenPort"));

    // Live values with the device's factors and units.
    ASSERT_TRUE(run.WaitFor([&] { return run.TextOf("Label_VantoSN") == "SV5K20A123456" && run.TextOf("Label_PacR") != "??"; }, 15000));
    const std::pair<const char*, const char*> formats[] = {
        {"Label_VacR_Grid", R"(^2\d\d\.\d\d V$)"}, {"Label_IacS", R"(^\d+\.\d A$)"}, {"Label_PacT", R"(^\d+0 W$)"},
        {"Label_FacR", R"(^(49|50)\.\d\d Hz$)"}, {"Label_TotalOutputPower", R"(^\d+0W$)"},
        {"Label_TotalOutputCurrent", R"(^\d+\.\dA$)"}, {"Label_DSP_Rev", "^V2.05$"}, {"Label_ModelName", "^SUNVANE-5K-3P$"},
    };
    for (const auto& [name, pattern] : formats) {
        EXPECT_TRUE(QRegularExpression(pattern).match(run.TextOf(name)).hasMatch()) << name << ": " << run.TextOf(name).toStdString();
        EXPECT_EQ(run.ColourOf(name), kBlue) << name;
    }
    EXPECT_EQ(run.Status(4), "COM Open");
    EXPECT_EQ(run.Status(6), "Idc:10 ; P:10 ; E:10 ; Iac:10 ; V:100");
    EXPECT_EQ(run.Status(7), "Type:0x2105");
    EXPECT_GT(run.Status(3).toInt(), 0);
    EXPECT_FALSE(run.Ask("get OpenPort")["enabled"].toBool());
    EXPECT_TRUE(run.Ask("get ClosePort")["enabled"].toBool());
    // The numbers move as the inverter's output does.
    const QString first = run.TextOf("Label_TotalOutputPower");
    EXPECT_TRUE(run.WaitFor([&] { return run.TextOf("Label_TotalOutputPower") != first; }, 10000));

    // The inverter falls silent: after ten transactions every shown value is a red "??".
    invsim::Fault silence;
    silence.kind = invsim::FaultKind::Silence;
    bus.AddFault(1, silence);
    ASSERT_TRUE(run.WaitFor([&] { return run.ColourOf("Label_PacR") == kRed; }, 15000));
    for (const char* name : {"Label_PacR", "Label_VacT_Grid", "Label_TotalOutputPower", "Label_VantoSN", "Label_DSP_Rev"}) {
        EXPECT_EQ(run.TextOf(name), "??") << name;
        EXPECT_EQ(run.ColourOf(name), kRed) << name;
    }
    EXPECT_EQ(run.Status(0), "");
    // It answers again: the values come back in blue.
    bus.ClearFaults(1);
    ASSERT_TRUE(run.WaitFor([&] { return run.ColourOf("Label_PacR") == kBlue && run.TextOf("Label_PacR") != "??"; }, 15000));
    EXPECT_TRUE(QRegularExpression(R"(^\d+0 W$)").match(run.TextOf("Label_PacS")).hasMatch());

    // Close: the loop ends and the port closes.
    ASSERT_TRUE(run.Do("click ClosePort"));
    ASSERT_TRUE(run.WaitFor([&] { return run.Ask("get OpenPort")["enabled"].toBool(); }, 10000));
    EXPECT_FALSE(run.Ask("get ClosePort")["enabled"].toBool());
    EXPECT_EQ(run.Status(4), "COM Close");
    const auto framesAfterClose = bus.Frames().size();

    // Open again, then the line vanishes: the link closes and the buttons are idle again.
    ASSERT_TRUE(run.Do("click OpenPort"));
    ASSERT_TRUE(run.WaitFor([&] { return bus.Frames().size() > framesAfterClose + 2; }, 10000));
    animator.reset();
    bus.Stop();
    ASSERT_TRUE(run.WaitFor([&] { return run.Ask("get OpenPort")["enabled"].toBool(); }, 15000));
    EXPECT_FALSE(run.Ask("get ClosePort")["enabled"].toBool());
    EXPECT_EQ(run.Status(4), "COM Close");

    // A port that does not exist.
    run.Ask("dialogs");
    ASSERT_TRUE(run.Do("text Combo_COM " + home.path() + "/ttyNone"));
    ASSERT_TRUE(run.Do("click OpenPort"));
    QJsonArray shown;
    ASSERT_TRUE(run.WaitFor([&] { shown = run.Ask("dialogs")["items"].toArray(); return !shown.isEmpty(); }, 5000));
    EXPECT_EQ(shown[0].toString(), "COM Can't Open");
    EXPECT_TRUE(run.WaitFor([&] { return run.Ask("get OpenPort")["enabled"].toBool(); }, 5000));

    EXPECT_TRUE(run.Do("close"));
    ASSERT_TRUE(run.process.waitForFinished(10000));
    EXPECT_EQ(run.process.exitCode(), 0);
}

// A port typed by hand (here a stable by-id name of the adapter) stays in the box when the user
// clicks into it again: the port list is refilled, the typed path is kept and opens the link.
TEST_F(RemoteProgram, TypedPortPathSurvivesAClickIntoTheBox)
{
    const QString byId = runtime.path() + "/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0";
    ASSERT_TRUE(QDir().mkpath(QFileInfo(byId).path()));
    ASSERT_TRUE(QFile::link(QString::fromStdString(bus.Path()), byId));

    ProgramRun run(home.path(), runtime.path());
    ASSERT_TRUE(run.Start());
    ASSERT_TRUE(run.Do("pickt Combo_SelectMode Monitor"));
    ASSERT_TRUE(run.Do("text Combo_COM " + byId));
    // The focus goes elsewhere, then the user clicks into the box again.
    ASSERT_TRUE(run.Do("mousedown Radio_ComRS485"));
    ASSERT_TRUE(run.Do("click Combo_COM"));
    ASSERT_EQ(run.TextOf("Combo_COM"), byId);
    ASSERT_TRUE(run.Do("click OpenPort"));
    ASSERT_TRUE(run.WaitFor([&] { return run.TextOf("Label_VantoSN") == "SV5K20A123456"; }, 15000));
    EXPECT_EQ(run.Status(4), "COM Open");
    EXPECT_TRUE(run.Do("close"));
    ASSERT_TRUE(run.process.waitForFinished(15000));
}

// The user closes the window while it polls: the loop ends, the port closes, the program ends.
TEST_F(RemoteProgram, ClosingTheWindowWhilePollingEndsTheProgram)
{
    ProgramRun run(home.path(), runtime.path());
    ASSERT_TRUE(run.Start());
    ASSERT_TRUE(run.Do("pickt Combo_SelectMode Monitor"));
    ASSERT_TRUE(run.Do("text Combo_COM " + QString::fromStdString(bus.Path())));
    ASSERT_TRUE(run.Do("click OpenPort"));
    ASSERT_TRUE(run.WaitFor([&] { return run.TextOf("Label_PacR") != "??"; }, 15000));
    EXPECT_TRUE(run.Do("close"));
    ASSERT_TRUE(run.process.waitForFinished(15000));
    EXPECT_EQ(run.process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(run.process.exitCode(), 0);
}

// A Wi-Fi module that takes the connection but never answers: while the program waits out a
// request's 6 s the window still answers the user at once, and a click made meanwhile acts.
TEST_F(RemoteProgram, SilentWifiModuleLeavesTheWindowAnswering)
{
    invsim::TcpModule module;
    std::string error;
    ASSERT_TRUE(module.Start(0, &error)) << error;
    invsim::Fault silence;
    silence.kind = invsim::FaultKind::Silence;
    module.AddFault(silence);
    ProgramRun run(home.path(), runtime.path());
    QProcessEnvironment env = run.process.processEnvironment();
    env.insert("SUNVANE_WIFI_ADDRESS", QStringLiteral("127.0.0.1:%1").arg(module.Port()));
    run.process.setProcessEnvironment(env);
    ASSERT_TRUE(run.Start());
    ASSERT_TRUE(run.Do("pickt Combo_SelectMode Monitor"));
    ASSERT_TRUE(run.Do("mousedown Radio_ComWifi"));
    ASSERT_TRUE(run.Do("click OpenPort"));
    ASSERT_TRUE(module.WaitForFrames(1, 10000));

    // Each answer is one turn of the window's event loop: all of them come within the wait for
    // the first request, before the program gives up on it and sends the next.
    for (int i = 0; i < 20; ++i)
        ASSERT_TRUE(run.EnabledOf("ClosePort")) << i;
    EXPECT_EQ(module.Frames().size(), 1u);
    EXPECT_EQ(run.Status(3), "");   // the request counter is shown when the first request ends

    // Close acts during the wait: the loop ends with that request and the connection closes.
    ASSERT_TRUE(run.Do("click ClosePort"));
    ASSERT_TRUE(run.WaitFor([&] { return run.EnabledOf("OpenPort"); }, 15000));
    EXPECT_EQ(module.Frames().size(), 1u);
    EXPECT_TRUE(module.WaitForOpenConnections(0, 5000));

    EXPECT_TRUE(run.Do("close"));
    ASSERT_TRUE(run.process.waitForFinished(15000));
    EXPECT_EQ(run.process.exitCode(), 0);
    module.Stop();
}

// A poll row's value edit writes only a number the user typed: a mistyped or out-of-range value
// is refused with a message and nothing reaches the inverter; a good one is written.
TEST_F(RemoteProgram, PollRowWritesOnlyAWholeNumberInRange)
{
    bus.SetHolding(1, 100, 4660);
    ProgramRun run(home.path(), runtime.path());
    ASSERT_TRUE(run.Start());
    ASSERT_TRUE(run.Do("pickt Combo_SelectMode Monitor"));
    ASSERT_TRUE(run.Do("mousedown Radio_ComRS485"));
    ASSERT_TRUE(run.Do("text Combo_COM " + QString::fromStdString(bus.Path())));
    // The register polls are on the third code's Ctrl page.
    ASSERT_TRUE(run.Do("answer 7352"));
    ASSERT_TRUE(run.Do("tab PageControl 2"));
    ASSERT_TRUE(run.Ask("get Group_Poll01")["visible"].toBool());
    ASSERT_TRUE(run.Do("pick Combo_PollType01 2"));   // HR
    ASSERT_TRUE(run.Do("text Edit_PollAddr01 100"));
    run.Ask("dialogs");
    ASSERT_TRUE(run.Do("click OpenPort"));
    ASSERT_TRUE(run.WaitFor([&] { return run.TextOf("Label_PollVal01") == "4660"; }, 15000));

    const auto writes = [&] {
        std::vector<int> values;
        for (const auto& f : bus.Frames())
            if (f.bytes.size() == 8 && f.bytes[1] == 6 && (f.bytes[2] << 8 | f.bytes[3]) == 99)
                values.push_back(f.bytes[4] << 8 | f.bytes[5]);
        return values;
    };
    for (const char* bad : {"abc", "12.5", "65536", "-32769", " "}) {
        SCOPED_TRACE(bad);
        ASSERT_TRUE(run.Do(QStringLiteral("enter Edit_PollVal01 ") + bad));
        QJsonArray shown;
        ASSERT_TRUE(run.WaitFor([&] { shown = run.Ask("dialogs")["items"].toArray(); return !shown.isEmpty(); }, 5000));
        EXPECT_EQ(shown.size(), 1);
        EXPECT_EQ(shown[0].toString(), "Please input -32768~65535");
        EXPECT_EQ(run.ColourOf("Label_PollVal01"), kBlue);
    }
    // Two more cycles read the row: whatever was posted would have been written by now.
    const auto framesAfter = bus.Frames().size();
    ASSERT_TRUE(run.WaitFor([&] { return bus.Frames().size() > framesAfter + 20; }, 15000));
    EXPECT_TRUE(writes().empty());
    EXPECT_EQ(bus.Holding(1, 100), 4660);

    ASSERT_TRUE(run.Do("enter Edit_PollVal01 -2"));
    ASSERT_TRUE(run.WaitFor([&] { return run.TextOf("Label_PollVal01") == "65534"; }, 15000));
    EXPECT_EQ(writes(), std::vector<int>{0xFFFE});
    EXPECT_TRUE(run.Ask("dialogs")["items"].toArray().isEmpty());

    EXPECT_TRUE(run.Do("close"));
    ASSERT_TRUE(run.process.waitForFinished(15000));
    EXPECT_EQ(run.process.exitCode(), 0);
}

// The simulator program as a person starts it: its demonstration inverter answers the version
// group and its output values move.
TEST(InvsimDemo, ProgramPlaysTheDemonstrationInverter)
{
    testsupport::EnsureCoreApplication();
    QProcess sim;
    sim.start(QStringLiteral(INVSIM_BIN), {"serial", "--demo", "1"});
    ASSERT_TRUE(sim.waitForStarted(5000));
    QByteArray out;
    ASSERT_TRUE(QTest::qWaitFor([&] { sim.waitForReadyRead(50); out += sim.readAllStandardOutput(); return out.contains('\n'); }, 5000));
    const QString port = QString::fromUtf8(out.left(out.indexOf('\n')));

    Modbus link;
    ASSERT_EQ(link.OpenCom(port), 0);
    link.SetBaudCode(1);
    link.SlaveId = 1;
    ASSERT_EQ(link.Request(40963, 33, 4), 0);
    ASSERT_EQ(link.ReplyOk, 1);
    EXPECT_EQ(groups::SerialText(&link.Reply[3 + 24], 14), "SV5K20A123456");
    EXPECT_EQ(link.Reply[3 + 64] << 8 | link.Reply[4 + 64], invsim::demo::kScaleDescriptor);
    ASSERT_EQ(link.Request(49152, 1, 4), 0);
    ASSERT_EQ(link.ReplyOk, 1);
    const int first = link.Reply[3] << 8 | link.Reply[4];
    int later = first;
    EXPECT_TRUE(QTest::qWaitFor([&] {
        if (link.Request(49152, 1, 4) == 0 && link.ReplyOk == 1)
            later = link.Reply[3] << 8 | link.Reply[4];
        return later != first;
    }, 10000));
    link.Com.Close();
    sim.terminate();
    ASSERT_TRUE(sim.waitForFinished(5000));
    EXPECT_EQ(sim.exitCode(), 0);
}

} // namespace

// The real program, driven through its remote user driver, at the edges of a link session: a
// mode switch on the Wi-Fi link with an inverter remembered from RS-485, the firmware button
// followed at once by a mode switch or by "Close", "Close" on the upgrade page, a reopen after
// the values went stale, and the window closed in the middle of a scan.
#include "MonitorFixture.h"
#include "OpenLink.h"

#include "support/QtApp.h"
#include "support/RemoteProgram.h"
#include "tools/invsim/TcpModule.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTest>
#include <functional>

namespace {

using namespace monitortest;

using ProgramRun = testsupport::RemoteProgram;

const QString kBlue = "0xFF0000";
const QString kRed = "0x0000FF";

// Sends the requests in one piece, without waiting for a reply in between: the program takes
// them in the same turn of its event loop, as two clicks made at once. True when every one was
// accepted.
bool DoAtOnce(ProgramRun& run, const QStringList& requests)
{
    QByteArray out;
    for (const QString& r : requests)
        out += r.toUtf8() + "\n";
    run.socket.write(out);
    run.socket.waitForBytesWritten(5000);
    QByteArray in;
    const bool answered = QTest::qWaitFor([&] {
        if (run.socket.bytesAvailable() > 0 || run.socket.waitForReadyRead(50))
            in += run.socket.readAll();
        return in.count('\n') >= requests.size();
    }, 10000);
    return answered && in.count("\"ok\":true") == requests.size();
}

// Waits until no frame has come for `quietMs` (the polling loop has ended); false when frames
// still come after `timeoutMs`.
bool WaitForQuiet(ProgramRun& run, const std::function<std::size_t()>& frames, int quietMs, int timeoutMs)
{
    std::size_t last = frames();
    QElapsedTimer since;
    since.start();
    return run.WaitFor([&] {
        run.Ask("status 0");   // the program keeps turning meanwhile
        if (frames() != last) {
            last = frames();
            since.restart();
        }
        return since.elapsed() >= quietMs;
    }, timeoutMs);
}

// ---- RS-485 -----------------------------------------------------------------------------------

class RemoteLinkState : public RemoteMonitor {
protected:
    // Started, Monitor mode, RS-485 on the simulator, polling with values shown.
    void StartPolling(ProgramRun& run)
    {
        ASSERT_TRUE(openlink::OnRs485(run, bus.Path()));
        ASSERT_TRUE(openlink::Shows(run, "Label_PacR", "2800 W"));
    }
    std::size_t Frames() const { return bus.Frames().size(); }
    bool PollsOn(ProgramRun& run, int frames)
    {
        const std::size_t from = Frames();
        return run.WaitFor([&] { return Frames() >= from + static_cast<std::size_t>(frames); }, 10000);
    }
};

// The firmware button and at once another mode: the loop, already ending for the upgrade page,
// goes on in the new mode on the open link.
TEST_F(RemoteLinkState, ModeChosenRightAfterTheFirmwareButtonKeepsPolling)
{
    ProgramRun run(home.path(), runtime.path());
    StartPolling(run);
    ASSERT_TRUE(DoAtOnce(run, {"click Image_Firmware", "pickt Combo_SelectMode Monitor"}));
    ASSERT_TRUE(run.WaitFor([&] { return run.Ask("get Combo_SelectMode")["index"].toInt() >= 0; }, 10000));
    EXPECT_TRUE(PollsOn(run, 20)) << "no polling after the mode switch";
    EXPECT_FALSE(run.EnabledOf("OpenPort"));
    EXPECT_EQ(run.Status(4), "COM Open");

    // And "Close" still ends it.
    ASSERT_TRUE(run.Do("click ClosePort"));
    ASSERT_TRUE(run.WaitFor([&] { return run.EnabledOf("OpenPort"); }, 10000));
    EXPECT_EQ(run.Status(4), "COM Close");
    EXPECT_TRUE(run.Do("close"));
    EXPECT_TRUE(run.process.waitForFinished(10000));
}

// "Close" on the upgrade page closes the link and the buttons go back to idle: after the loop
// has ended, and when clicked while the loop is still ending.
TEST_F(RemoteLinkState, CloseOnTheUpgradePageClosesTheLink)
{
    ProgramRun run(home.path(), runtime.path());
    StartPolling(run);
    ASSERT_TRUE(run.Do("click Image_Firmware"));
    ASSERT_TRUE(WaitForQuiet(run, [this] { return Frames(); }, 500, 10000));
    EXPECT_FALSE(run.EnabledOf("OpenPort"));
    EXPECT_EQ(run.Status(4), "COM Open");
    ASSERT_TRUE(run.Do("click ClosePort"));
    EXPECT_TRUE(run.WaitFor([&] { return run.EnabledOf("OpenPort"); }, 5000)) << "Close did nothing";
    EXPECT_FALSE(run.EnabledOf("ClosePort"));
    EXPECT_EQ(run.Status(4), "COM Close");

    // Open again (the upgrade page left no mode chosen), then the firmware button and "Close"
    // at once.
    ASSERT_TRUE(run.Do("pickt Combo_SelectMode Monitor"));
    ASSERT_TRUE(run.Do("click OpenPort"));
    ASSERT_TRUE(PollsOn(run, 5));
    ASSERT_TRUE(DoAtOnce(run, {"click Image_Firmware", "click ClosePort"}));
    EXPECT_TRUE(run.WaitFor([&] { return run.EnabledOf("OpenPort"); }, 5000)) << "Close did nothing";
    EXPECT_FALSE(run.EnabledOf("ClosePort"));
    EXPECT_EQ(run.Status(4), "COM Close");
    EXPECT_TRUE(run.Do("close"));
    EXPECT_TRUE(run.process.waitForFinished(10000));
}

// The window closed while a long scan runs: the program ends at once (the scan stops, the wait
// window goes), and the inverters remembered are those from before the scan.
TEST_F(RemoteLinkState, ClosingTheWindowDuringAScanEndsItAndKeepsTheRememberedInverters)
{
    const QString previous = home.path() + "/profile/PreviousSet.RQX";
    ASSERT_TRUE(ReplaceInFile(previous, "\nID7=0", "\nID7=2"));   // an inverter not on this bus
    ProgramRun run(home.path(), runtime.path());
    StartPolling(run);
    ASSERT_TRUE(run.Do("text Edit_StartID 1"));
    ASSERT_TRUE(run.Do("text Edit_EndID 254"));
    ASSERT_TRUE(run.Do("click Btn_ScanID"));
    // A few IDs probed: the scan is well under way.
    ASSERT_TRUE(run.WaitFor([&] {
        const QString status = run.Status(0);
        return status.startsWith("ID: ") && status.mid(4).toInt() >= 4;
    }, 10000));
    ASSERT_TRUE(run.Do("close"));
    EXPECT_TRUE(run.process.waitForFinished(10000)) << "the scan went on after the window closed";

    QFile file(previous);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray saved = file.readAll();
    EXPECT_TRUE(saved.contains("\nID1=1\n"));
    EXPECT_TRUE(saved.contains("\nID7=2\n")) << "a half-finished scan replaced the remembered inverters";
    EXPECT_TRUE(saved.contains("\nEndID=254\n"));
}

// ---- Wi-Fi ------------------------------------------------------------------------------------

// The simulated Wi-Fi module (slave 255) with the demonstration inverter on a loopback port, and
// inverter 1 remembered from RS-485.
class RemoteWifiState : public RemoteMonitor {
protected:
    void SetUp() override
    {
        RemoteMonitor::SetUp();
        if (HasFatalFailure())
            return;
        std::string error;
        ASSERT_TRUE(module.Start(0, &error)) << error;
        module.With([](invsim::Inverter& inv) { invsim::LoadDemoInverter(inv); });
    }
    void TearDown() override
    {
        module.Stop();
        RemoteMonitor::TearDown();
    }
    // Started against the module, Monitor mode, Wi-Fi, polling with values shown.
    void StartPolling(ProgramRun& run)
    {
        ASSERT_TRUE(openlink::OnWifi(run, module.Port()));
        ASSERT_TRUE(openlink::Shows(run, "Label_PacR", "2800 W"));
    }
    std::size_t Frames() const { return module.Frames().size(); }
    // From frame `from` on, `count` more frames come, every one addressed to slave 255. Ends at
    // the first frame to another slave.
    ::testing::AssertionResult NextFramesGoToTheModule(ProgramRun& run, std::size_t from, std::size_t count)
    {
        int wrong = -1;
        const bool enough = run.WaitFor([&] {
            const auto frames = module.Frames();
            for (std::size_t k = from; k < frames.size(); ++k)
                if (frames[k].bytes.empty() || frames[k].bytes[0] != 0xFF) {
                    wrong = frames[k].bytes.empty() ? 0 : frames[k].bytes[0];
                    return true;
                }
            return frames.size() >= from + count;
        }, 15000);
        if (wrong >= 0)
            return ::testing::AssertionFailure() << "a request went to slave " << wrong;
        if (!enough)
            return ::testing::AssertionFailure() << "fewer than " << count << " requests";
        return ::testing::AssertionSuccess();
    }

    invsim::TcpModule module;
};

// A mode switch, and a return from the upgrade page, on the open Wi-Fi link: the requests keep
// going to the module's slave 255, not to the inverter remembered from RS-485.
TEST_F(RemoteWifiState, ModeSwitchesKeepTheModulesSlaveId)
{
    ProgramRun run(home.path(), runtime.path());
    StartPolling(run);

    ASSERT_TRUE(run.Do("pickt Combo_SelectMode GridTied"));
    ASSERT_TRUE(run.WaitFor([&] { return run.TextOf("Combo_SelectMode") == "GridTied"; }, 10000));
    EXPECT_TRUE(NextFramesGoToTheModule(run, Frames(), 10));

    // The upgrade page, then back to monitoring.
    ASSERT_TRUE(run.Do("click Image_Firmware"));
    ASSERT_TRUE(WaitForQuiet(run, [this] { return Frames(); }, 500, 15000));
    const std::size_t before = Frames();
    ASSERT_TRUE(run.Do("pickt Combo_SelectMode Monitor"));
    EXPECT_TRUE(NextFramesGoToTheModule(run, before, 10));
    EXPECT_TRUE(run.WaitFor([&] { return run.TextOf("Label_PacR") == "2800 W" && run.ColourOf("Label_PacR") == kBlue; }, 10000));

    ASSERT_TRUE(run.Do("click ClosePort"));
    ASSERT_TRUE(run.WaitFor([&] { return run.EnabledOf("OpenPort"); }, 10000));
    EXPECT_TRUE(run.Do("close"));
    EXPECT_TRUE(run.process.waitForFinished(10000));
}

// The module is lost and every value turns into a red "??"; after "Close" and a reopen the values
// read afresh show in blue again.
TEST_F(RemoteWifiState, ReopenAfterStaleValuesShowsThemInBlue)
{
    ProgramRun run(home.path(), runtime.path());
    StartPolling(run);
    module.Refuse();
    module.DropConnections();
    ASSERT_TRUE(run.WaitFor([&] { return run.ColourOf("Label_PacR") == kRed; }, 15000));
    EXPECT_EQ(run.TextOf("Label_PacR"), "??");
    run.Do("click ClosePort");   // the loop may have ended by itself
    ASSERT_TRUE(run.WaitFor([&] { return run.EnabledOf("OpenPort"); }, 10000));

    module.Listen();
    ASSERT_TRUE(run.Do("click OpenPort"));
    ASSERT_TRUE(run.WaitFor([&] { return run.TextOf("Label_PacR") == "2800 W"; }, 15000));
    for (const char* name : {"Label_PacR", "Label_VacR_Grid", "Label_TotalOutputPower"})
        EXPECT_EQ(run.ColourOf(name), kBlue) << name;

    ASSERT_TRUE(run.Do("click ClosePort"));
    ASSERT_TRUE(run.WaitFor([&] { return run.EnabledOf("OpenPort"); }, 10000));
    EXPECT_TRUE(run.Do("close"));
    EXPECT_TRUE(run.process.waitForFinished(10000));
}

} // namespace

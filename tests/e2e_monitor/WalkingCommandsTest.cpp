// The real program, driven through its remote user driver: the commands that walk the inverters
// found ("Broadcast" writes, the maximum power for every inverter, the protocol switch for every
// inverter). On the Wi-Fi link the module is the one inverter there is, whatever an RS-485 scan
// left remembered; with no inverter found on RS-485 they say so and send nothing.
#include "MonitorFixture.h"
#include "OpenLink.h"

#include "support/RemoteProgram.h"
#include "tools/invsim/TcpModule.h"

#include <span>

namespace {

using namespace monitortest;
using ProgramRun = testsupport::RemoteProgram;

const QString kNothing = QStringLiteral("No inverter to address: scan for inverters first");

int RegisterOf(const invsim::Frame& f) { return (f.bytes[2] << 8 | f.bytes[3]) + 1; }
bool WriteOf(const invsim::Frame& f, int reg) { return f.bytes.size() == 8 && f.bytes[1] == 6 && RegisterOf(f) == reg; }

// A walking command as the user gives it: the requests, and the register it writes.
struct Walk {
    const char* what;
    QStringList requests;
    int reg;
};

const Walk kWalks[] = {
    {"a broadcast write", {"enter Edit_PollVal01 7"}, 100},
    {"the maximum power", {"answer 2059", "enter Edit_MaxPower 3000"}, 33595},
    {"protocol 800", {"click Image_VantoSun"}, 802},
    {"protocol 801", {"click Image_SunVanto"}, 802},
};

class WalkingCommands : public RemoteMonitor {
protected:
    void SetUp() override
    {
        RemoteMonitor::SetUp();
        if (HasFatalFailure())
            return;
        // A register poll on the first page (beside the status panel with the maximum power).
        ASSERT_TRUE(ReplaceInFile(home.path() + "/Monitor/MonitorSet0.RQX", "[Poll01]\nHeight=40",
                                  "[Poll01]\nHeight=5420\nTop=5\nLeft=920"));
    }
};

TEST_F(WalkingCommands, OnWifiEachAddressesTheModuleOnce)
{
    // Inverters 1, 2 and 7 remembered from an RS-485 scan.
    const QString previous = home.path() + "/profile/PreviousSet.RQX";
    ASSERT_TRUE(ReplaceInFile(previous, "\nID2=0", "\nID2=1"));
    ASSERT_TRUE(ReplaceInFile(previous, "\nID7=0", "\nID7=1"));
    invsim::TcpModule module;
    std::string error;
    ASSERT_TRUE(module.Start(0, &error)) << error;
    module.With([](invsim::Inverter& inv) { invsim::LoadDemoInverter(inv); });
    module.SetHolding(100, 4660);

    ProgramRun run(home.path(), runtime.path());
    ASSERT_TRUE(openlink::OnWifi(run, module.Port()));
    ASSERT_TRUE(openlink::Steps(run, {"pick Combo_PollType01 2", "text Edit_PollAddr01 100", "mousedown Radio_CmdBroadcast"}));
    ASSERT_TRUE(openlink::Shows(run, "Label_PollVal01", "4660"));
    run.Ask("dialogs");

    for (const Walk& walk : kWalks) {
        SCOPED_TRACE(walk.what);
        if (walk.requests.front() == "click Image_SunVanto") {
            // The picture that switches back shows once the version panel has read the module's
            // new protocol: choosing the mode again reads it.
            ASSERT_TRUE(openlink::Steps(run, {"pickt Combo_SelectMode Monitor"}));
            ASSERT_TRUE(run.WaitFor([&] { return run.Ask("get Image_SunVanto")["visible"].toBool(); }, 15000));
        }
        module.ClearFrames();
        ASSERT_TRUE(openlink::Steps(run, walk.requests));
        // The write, then the next polling cycle (it starts with the module's keep-alive): a
        // second write of the command would have come before it.
        auto keepAlivesAfterTheWrite = [&] {
            int seen = -1;
            for (const auto& f : module.Frames()) {
                if (seen < 0 && WriteOf(f, walk.reg))
                    seen = 0;
                else if (seen >= 0 && WriteOf(f, 60515))
                    ++seen;
            }
            return seen;
        };
        ASSERT_TRUE(run.WaitFor([&] { return keepAlivesAfterTheWrite() >= 1; }, 20000));
        int writes = 0;
        for (const auto& f : module.Frames()) {
            EXPECT_EQ(f.bytes[0], 0xFF) << "a request went to slave " << int(f.bytes[0]);
            writes += WriteOf(f, walk.reg) ? 1 : 0;
        }
        EXPECT_EQ(writes, 1);
        const QStringList shown = openlink::TakeDialogs(run);
        EXPECT_FALSE(shown.contains(kNothing));
        if (walk.reg == 802)
            EXPECT_EQ(shown, QStringList{"Check Protocol Please"});
    }
    EXPECT_TRUE(run.Do("close"));
    EXPECT_TRUE(run.process.waitForFinished(15000));
    module.Stop();
}

TEST_F(WalkingCommands, WithNoInverterFoundEachSaysSoAndSendsNothing)
{
    ASSERT_TRUE(ReplaceInFile(home.path() + "/profile/PreviousSet.RQX", "\nID1=1", "\nID1=0"));
    ProgramRun run(home.path(), runtime.path());
    ASSERT_TRUE(openlink::OnRs485(run, bus.Path()));
    ASSERT_TRUE(openlink::Steps(run, {"pick Combo_PollType01 2", "text Edit_PollAddr01 100", "mousedown Radio_CmdBroadcast"}));
    ASSERT_TRUE(run.WaitFor([&] { return !run.EnabledOf("OpenPort"); }, 15000));
    run.Ask("dialogs");

    for (const Walk& walk : std::span(kWalks).first(3)) {   // the picture shown is the one to SunSpec
        SCOPED_TRACE(walk.what);
        ASSERT_TRUE(openlink::Steps(run, walk.requests));
        QStringList shown = openlink::DialogsUntil(run, kNothing);
        shown.removeAll("Input Password Please");
        EXPECT_EQ(shown, QStringList{kNothing});
    }
    // Nothing more came: no "Done", no protocol message, nothing on the wire.
    const QStringList later = openlink::TakeDialogs(run);
    EXPECT_TRUE(later.isEmpty()) << later.join(" | ").toStdString();
    for (const auto& f : bus.Frames())
        EXPECT_NE(f.bytes[1], 6) << "a write went to slave " << int(f.bytes[0]);
    EXPECT_TRUE(run.Do("close"));
    EXPECT_TRUE(run.process.waitForFinished(15000));
}

} // namespace

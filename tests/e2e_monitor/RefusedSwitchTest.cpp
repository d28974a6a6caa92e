// The real program, driven through its remote user driver, with the simulated demonstration
// inverter: a click on a check box or radio button of a panel that is refused (an operation holds
// the link, the write lock) leaves the control showing what it showed before, and
// nothing of it goes on the wire.
#include "MonitorFixture.h"
#include "OpenLink.h"

#include "support/RemoteProgram.h"

#include <QJsonObject>
#include <atomic>

namespace {

using namespace monitortest;
using ProgramRun = testsupport::RemoteProgram;

constexpr int kRemoteCoil = 24576;

bool Checked(ProgramRun& run, const QString& name) { return run.Ask("get " + name)["checked"].toBool(); }

class RefusedSwitch : public RemoteMonitor {
protected:
    void SetUp() override
    {
        RemoteMonitor::SetUp();
        if (HasFatalFailure())
            return;
        // The constant-voltage box shown; the energy clone panel on the first page.
        ASSERT_TRUE(ReplaceInFile(home.path() + "/Monitor/MonitorSet.RQX", "[ConstVlot]\nshow=0", "[ConstVlot]\nshow=1"));
        ASSERT_TRUE(ReplaceInFile(home.path() + "/Monitor/MonitorSet0.RQX", "[EnergyClone]\nHeight=40",
                                  "[EnergyClone]\nHeight=11270\nTop=5\nLeft=620"));
    }
    void TearDown() override
    {
        bus.OnFrame(nullptr);
        RemoteMonitor::TearDown();
    }

    // Writes of what the two controls post: the remote coil, the constant-voltage registers.
    int SwitchWrites() const
    {
        int n = 0;
        for (const auto& f : bus.Frames()) {
            const int reg = (f.bytes[2] << 8 | f.bytes[3]) + 1;
            if (f.bytes.size() == 8 && (f.bytes[1] == 5 || f.bytes[1] == 6) && (reg == kRemoteCoil || reg == 824 || reg == 825))
                ++n;
        }
        return n;
    }

    // The status group has been read: the remote switch and the constant-voltage box show the
    // inverter's state.
    ::testing::AssertionResult StatusRead(ProgramRun& run)
    {
        if (!openlink::Shows(run, "Label_VantoSN", openlink::kDemoSerial))
            return ::testing::AssertionFailure() << "no version read";
        if (!run.WaitFor([&] { return Checked(run, "Radio_RemoteON") && run.TextOf("Label_ConstVolt").endsWith("V"); }, 15000))
            return ::testing::AssertionFailure() << "the status group was not read";
        return ::testing::AssertionSuccess();
    }

    // Both controls clicked; each refusal says `word`, and both show what they showed before.
    void ClickBothRefused(ProgramRun& run, const QString& word, bool remoteOn, bool constVolt)
    {
        ASSERT_TRUE(run.Do("mousedown Check_ConstVolt"));
        ASSERT_TRUE(run.Do("mousedown Radio_RemoteOFF"));
        QStringList shown;
        run.WaitFor([&] { return (shown += openlink::TakeDialogs(run)).size() >= 2; }, 10000);
        EXPECT_EQ(shown, (QStringList{word, word}));
        EXPECT_EQ(Checked(run, "Check_ConstVolt"), constVolt) << "the refused box changed";
        EXPECT_EQ(Checked(run, "Radio_RemoteON"), remoteOn) << "the refused radio changed its group";
        EXPECT_FALSE(Checked(run, "Radio_RemoteOFF")) << "the refused radio shows as chosen";
    }

    // A full polling cycle later nothing of the refused clicks has been written.
    void NothingWrittenAfterACycle(ProgramRun& run)
    {
        const auto now = bus.Frames().size();
        ASSERT_TRUE(bus.WaitForFrames(now + 40, 15000));
        EXPECT_EQ(SwitchWrites(), 0);
        EXPECT_TRUE(openlink::TakeDialogs(run).isEmpty());
        EXPECT_TRUE(run.Do("close"));
        EXPECT_TRUE(run.process.waitForFinished(15000));
    }
};

TEST_F(RefusedSwitch, ClicksDuringAnOperationLeaveTheBoxAndTheRadioAsTheyWere)
{
    ProgramRun run(home.path(), runtime.path());
    ASSERT_TRUE(openlink::OnRs485(run, bus.Path()));
    ASSERT_TRUE(StatusRead(run));
    const bool constVolt = Checked(run, "Check_ConstVolt");
    openlink::TakeDialogs(run);

    // Once the transfer's first read is on the wire its replies come slowly for a while: the
    // clicks surely arrive inside its waits.
    std::atomic<bool> reading{false};
    bus.OnFrame([&](const invsim::Frame& f) {
        const int reg = (f.bytes[2] << 8 | f.bytes[3]) + 1;
        if (reading || f.bytes.size() != 8 || f.bytes[1] != 4 || reg < 2048 || reg >= 2160)
            return;
        bus.AddFault(1, invsim::Fault{invsim::FaultKind::Delay, 30, -1, 60});
        reading = true;
    });
    ASSERT_TRUE(run.Do("click Btn_ReadEnergy"));
    ASSERT_TRUE(run.WaitFor([&] { return reading.load(); }, 15000));
    ClickBothRefused(run, "Please wait until the energy transfer has ended", true, constVolt);
    EXPECT_FALSE(run.EnabledOf("Btn_ReadEnergy")) << "the transfer ended before the clicks were checked";

    ASSERT_TRUE(run.WaitFor([&] { return run.EnabledOf("Btn_ReadEnergy"); }, 30000));
    EXPECT_EQ(Checked(run, "Check_ConstVolt"), constVolt);
    EXPECT_TRUE(Checked(run, "Radio_RemoteON"));
    NothingWrittenAfterACycle(run);
}

TEST_F(RefusedSwitch, ClicksUnderTheWriteLockLeaveTheBoxAndTheRadioAsTheyWere)
{
    ASSERT_TRUE(ReplaceInFile(home.path() + "/Monitor/MonitorSet.RQX", "[Write]\nPermission=0", "[Write]\nPermission=1"));
    ProgramRun run(home.path(), runtime.path());
    ASSERT_TRUE(openlink::OnRs485(run, bus.Path()));
    ASSERT_TRUE(StatusRead(run));
    const bool constVolt = Checked(run, "Check_ConstVolt");
    openlink::TakeDialogs(run);
    ClickBothRefused(run, "Lock: Permission denied", true, constVolt);
    NothingWrittenAfterACycle(run);
}

} // namespace

namespace {

// A country picked while an operation holds the link is refused, and the box shows the country
// it showed before the pick.
TEST_F(RefusedSwitch, ACountryPickedDuringAnOperationShowsTheOldCountry)
{
    ProgramRun run(home.path(), runtime.path());
    ASSERT_TRUE(openlink::OnRs485(run, bus.Path()));
    ASSERT_TRUE(StatusRead(run));
    // The service page with the country set, then back to the page with the transfer.
    ASSERT_TRUE(run.Do("answer 2059"));
    ASSERT_TRUE(run.Do("tab PageControl 1"));
    ASSERT_TRUE(run.WaitFor([&] { return run.TextOf("Label_Country") == "Germany LV"; }, 15000));
    ASSERT_TRUE(run.Do("pickt Combo_Country Germany LV"));
    ASSERT_TRUE(run.WaitFor([&] { return run.ColourOf("Label_Country") == "0xFF0000"; }, 15000));
    const QJsonObject before = run.Ask("get Combo_Country");
    ASSERT_EQ(before["text"].toString(), "Germany LV");
    ASSERT_TRUE(run.Do("tab PageControl 0"));
    openlink::TakeDialogs(run);

    std::atomic<bool> reading{false};
    bus.OnFrame([&](const invsim::Frame& f) {
        const int reg = (f.bytes[2] << 8 | f.bytes[3]) + 1;
        if (reading || f.bytes.size() != 8 || f.bytes[1] != 4 || reg < 2048 || reg >= 2160)
            return;
        bus.AddFault(1, invsim::Fault{invsim::FaultKind::Delay, 30, -1, 60});
        reading = true;
    });
    ASSERT_TRUE(run.Do("click Btn_ReadEnergy"));
    ASSERT_TRUE(run.WaitFor([&] { return reading.load(); }, 15000));
    ASSERT_TRUE(run.Do("tab PageControl 1"));
    const int writesBefore = static_cast<int>(bus.Frames().size());
    ASSERT_TRUE(run.Do("pickt Combo_Country Greece"));
    QStringList shown;
    run.WaitFor([&] { return !(shown += openlink::TakeDialogs(run)).isEmpty(); }, 10000);
    EXPECT_EQ(shown, QStringList{"Please wait until the energy transfer has ended"});
    EXPECT_FALSE(run.EnabledOf("Btn_ReadEnergy")) << "the transfer ended before the pick was checked";
    const QJsonObject after = run.Ask("get Combo_Country");
    EXPECT_EQ(after["text"].toString(), "Germany LV");
    EXPECT_EQ(after["index"], before["index"]);

    ASSERT_TRUE(run.WaitFor([&] { return run.EnabledOf("Btn_ReadEnergy"); }, 30000));
    const auto now = bus.Frames().size();
    ASSERT_TRUE(bus.WaitForFrames(now + 40, 15000));
    int countryWrites = 0;
    const auto frames = bus.Frames();
    for (size_t k = static_cast<size_t>(writesBefore); k < frames.size(); ++k) {
        const auto& f = frames[k];
        if (f.bytes.size() == 8 && f.bytes[1] == 6 && (f.bytes[2] << 8 | f.bytes[3]) + 1 == 797)
            ++countryWrites;
    }
    EXPECT_EQ(countryWrites, 0);
    EXPECT_EQ(run.Ask("get Combo_Country")["text"].toString(), "Germany LV");
    EXPECT_TRUE(run.Do("close"));
    EXPECT_TRUE(run.process.waitForFinished(15000));
}

} // namespace

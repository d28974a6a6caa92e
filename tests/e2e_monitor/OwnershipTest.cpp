// Clicks made inside an operation's waits: judged against the inverter the user chose, and a
// window closed during a transfer stops it at its next request and says so.
#include "MonitorFixture.h"

namespace {

using namespace monitortest;

// A quick clock that also runs the test's hook in every pump (a transfer is two thousand
// transactions); each wait ends only once the simulator has answered (`settle`), so that a
// loaded machine still answers in it.
struct QuickHookedTime : testsupport::HookedScaledTime {
    QuickHookedTime() : testsupport::HookedScaledTime(0.2) {}
};

class Ownership : public MonitorWindow {
protected:
    int FramesTo(int id, int reg, int fc) const { return RequestsFor(reg, fc, id); }
};

TEST_F(Ownership, AClickDuringTheMeterReadIsJudgedAgainstTheChosenInverter)
{
    Prepare();
    OpenWithoutLoop();
    TForm_Main& w = *window;
    HideEveryGroup();
    w.GroupPanel("Group_PowerMeterInfo")->SetVisible(true);
    w.GroupPanel("Group_RelayFunction1")->SetVisible(true);
    w.PowerMeterLabels.MeterId->SetText("253");
    bus.With(253, [](invsim::Inverter& inv) { inv.SetHolding(3072, 0x3030); });
    // The alarm word of relay 1 of inverter 1 is read in a cycle.
    w.PollCycleCount = 1;
    ASSERT_EQ(w.PollCycle(), 0);
    const bool warnBefore = driver->Checked("Check_Relay1AllWarning");

    // The user ticks "Warn" while the meter is being read.
    bool clicked = false;
    std::int32_t posted = -1;
    time.hook = [&] {
        if (!clicked && w.StatusText(2) == "Meter...") {
            clicked = true;
            driver->MouseDown("Check_Relay1AllWarning");
            posted = w.Link.CommandCode;
        }
    };
    bus.ClearFrames();
    ASSERT_EQ(w.PollCycle(), 0);
    time.hook = nullptr;
    ASSERT_TRUE(clicked);
    EXPECT_NE(posted, 0) << "the click posted nothing, yet the box shows the new state";
    EXPECT_NE(driver->Checked("Check_Relay1AllWarning"), warnBefore);
    EXPECT_EQ(w.Link.SlaveId, 1);
    // The word went to the chosen inverter, never to the meter.
    int toInverter = 0;
    for (const auto& f : bus.Frames())
        if (f.bytes.size() == 8 && f.bytes[1] == 6) {
            EXPECT_EQ(f.bytes[0], 1);
            toInverter += f.bytes[0] == 1 ? 1 : 0;
        }
    EXPECT_GE(toInverter, 1);
}

TEST_F(Ownership, CloseDuringAnEnergyWriteStopsItAtItsNextRequestAndSaysSo)
{
    Prepare();
    OpenWithoutLoop();
    TForm_Main& w = *window;
    HideEveryGroup();
    w.GroupPanel("Group_EnergyClone")->SetVisible(true);
    bus.With(1, [](invsim::Inverter& inv) { inv.SetBaud(38400); });
    w.Link.SetBaudCode(3);
    QuickHookedTime quick;
    quick.settle = SettleOnBus();
    vcl::SetTimeService(&quick);
    driver->Click("Btn_ReadEnergy");
    ASSERT_EQ(w.PollCycle(), 0);
    ASSERT_TRUE(driver->Enabled("Btn_WriteEnergy"));
    dialogs.TakeShown();

    bool closed = false;
    std::size_t framesAtClose = 0;
    quick.hook = [&] {
        const QString progress = w.Label_EnergyDsp->Caption();
        if (!closed && progress.startsWith("Day: ") && progress.mid(5).toInt() >= 20) {
            closed = true;
            w.Close();
            framesAtClose = bus.Frames().size();
        }
    };
    bus.ClearFrames();
    driver->Click("Btn_WriteEnergy");
    const int result = w.PollCycle();
    quick.hook = nullptr;
    vcl::SetTimeService(&time);
    ASSERT_TRUE(closed) << w.Label_EnergyDsp->Caption().toStdString() << " " << dialogs.shown.join(" | ").toStdString();
    EXPECT_EQ(result, 1);   // the loop ends with the window
    // Nothing more went on the wire after the request in progress, and no commit.
    EXPECT_LE(bus.Frames().size(), framesAtClose + 1);
    EXPECT_EQ(FramesTo(1, 24665, 6), 1) << "only the start word";
    EXPECT_EQ(dialogs.TakeShown(), QStringList{"Window closed: the energy transfer was stopped before it completed"});
    EXPECT_FALSE(w.Link.Held());
}

} // namespace

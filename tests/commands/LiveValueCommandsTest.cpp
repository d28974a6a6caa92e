// The buttons of the live-value panels in the real main window against the simulated inverter:
// the dry-contact test ON and OFF and the string-current enable, with their frames, pauses,
// write lock and link failure.
#include "CommandsSupport.h"
#include "tests/e2e_monitor/MonitorFixture.h"

namespace {

using namespace monitortest;

// Blocking pauses recorded with the number of frames the simulator had received by then.
class PauseLog : public testsupport::HookedScaledTime {
public:
    PauseLog() : testsupport::HookedScaledTime(0.2) {}
    const invsim::Bus* bus = nullptr;
    std::vector<std::pair<int, std::size_t>> pauses;
    void Sleep(int ms) override
    {
        pauses.push_back({ms, bus ? bus->Frames().size() : 0});
        testsupport::HookedScaledTime::Sleep(ms);
    }
};

// (register, value) of the writes received.
using Writes = std::vector<std::pair<int, int>>;

class LiveValueButtons : public MonitorWindow {
protected:
    void SetUp() override
    {
        MonitorWindow::SetUp();
        if (HasFatalFailure())
            return;
        log.bus = &bus;
        vcl::SetTimeService(&log);
        Prepare();
        // Relay 1's labels on the multi-function relay panel, as its reader shows them.
        for (auto [name, text] : {std::pair{"Label_MultiRelay1", "3: External Load Control"}, std::pair{"Label_PowerPro1", "0: Disable"}}) {
            auto* l = dynamic_cast<vcl::TLabel*>(window->FindComponent(QString::fromLatin1(name)));
            ASSERT_NE(l, nullptr) << name;
            l->SetCaption(QString::fromLatin1(text));
            l->Font()->SetColor(vcl::clBlue);
        }
        OpenWithoutLoop();
        HideEveryGroup();
        for (const char* name : {"Group_DryContactTest", "Group_StringCurr"}) {
            vcl::TPanel* p = window->GroupPanel(QString::fromLatin1(name));
            p->SetParent(window->ScrollPages[0]);
            p->SetHeight(p->Tag());
            p->SetVisible(true);
        }
        window->PollCycleCount = 1;
        bus.ClearFrames();
    }
    Writes Written() const
    {
        Writes w;
        for (const auto& f : bus.Frames())
            if (f.bytes.size() == 8 && f.bytes[1] == 6)
                w.push_back({(f.bytes[2] << 8 | f.bytes[3]) + 1, f.bytes[4] << 8 | f.bytes[5]});
        return w;
    }
    bool Enabled(const char* name) const { return dynamic_cast<vcl::TControl*>(window->FindComponent(QString::fromLatin1(name)))->Enabled(); }

    PauseLog log;
};

TEST_F(LiveValueButtons, DryContactTestSwitchesRelayOneAndBack)
{
    TForm_Main& w = *window;
    EXPECT_TRUE(Enabled("Btn_DryContactTest3PON"));
    EXPECT_FALSE(Enabled("Btn_DryContactTest3POFF"));
    driver->Click("Btn_DryContactTest3PON");
    EXPECT_EQ(w.Link.CommandCode, 417);
    EXPECT_EQ(driver->Color("Label_MultiRelay1"), vcl::clRed);
    EXPECT_EQ(driver->Color("Label_PowerPro1"), vcl::clRed);
    // The buttons follow the command when it runs, not the click.
    EXPECT_TRUE(Enabled("Btn_DryContactTest3PON"));
    ASSERT_EQ(w.PollCycle(), 0);
    EXPECT_EQ(Written(), (Writes{{52738, 2}, {52742, 1}}));
    EXPECT_FALSE(Enabled("Btn_DryContactTest3PON"));
    EXPECT_TRUE(Enabled("Btn_DryContactTest3POFF"));

    bus.ClearFrames();
    driver->Click("Btn_DryContactTest3POFF");
    ASSERT_EQ(w.PollCycle(), 0);
    // Relay 1 gets back the function shown before the test; the country has to be chosen again.
    EXPECT_EQ(Written(), (Writes{{52738, 3}, {52742, 0}, {797, 0}}));
    EXPECT_EQ(bus.Holding(1, 52738), 3);
    EXPECT_TRUE(Enabled("Btn_DryContactTest3PON"));
    EXPECT_FALSE(Enabled("Btn_DryContactTest3POFF"));

    // A relay function not yet read ("??") is kept as 0.
    dynamic_cast<vcl::TLabel*>(w.FindComponent("Label_MultiRelay1"))->SetCaption("??");
    for (const char* button : {"Btn_DryContactTest3PON", "Btn_DryContactTest3POFF"}) {
        bus.ClearFrames();
        driver->Click(button);
        ASSERT_EQ(w.PollCycle(), 0);
    }
    EXPECT_EQ(Written(), (Writes{{52738, 0}, {52742, 0}, {797, 0}}));
    EXPECT_TRUE(dialogs.shown.isEmpty());
}

TEST_F(LiveValueButtons, WriteLockRefusesTheTestAndTheButtonsStay)
{
    TForm_Main& w = *window;
    w.WriteLock = 1;
    w.SuperUserMode = 0;
    driver->Click("Btn_DryContactTest3PON");
    ASSERT_EQ(w.PollCycle(), 0);
    EXPECT_EQ(dialogs.shown, QStringList{"Lock: Permission denied"});
    EXPECT_TRUE(Written().empty());
    EXPECT_TRUE(Enabled("Btn_DryContactTest3PON"));
    EXPECT_FALSE(Enabled("Btn_DryContactTest3POFF"));
}

TEST_F(LiveValueButtons, StringCurrentEnableWritesTheSetUpThenStoresIt)
{
    TForm_Main& w = *window;
    driver->Click("Btn_StrCurrentEnableDC12");
    EXPECT_EQ(w.Link.CommandCode, 1931);
    ASSERT_EQ(w.PollCycle(), 0);
    EXPECT_EQ(Written(), (Writes{{48931, 0x0909}, {48932, 0}, {48933, 0}, {24665, 0x55AA}}));
    const auto frames = bus.Frames();
    ASSERT_EQ(frames.size(), 4u);
    EXPECT_EQ(frames[0].bytes, (std::vector<std::uint8_t>{0x01, 0x06, 0xBF, 0x22, 0x09, 0x09, 0xCA, 0x42}));
    // The 2000 ms pause falls after the third write.
    EXPECT_NE(std::find(log.pauses.begin(), log.pauses.end(), std::pair<int, std::size_t>{2000, 3}), log.pauses.end());

    // A line that fails on the second write ends the loop there.
    bus.ClearFrames();
    for (auto kind : {invsim::FaultKind::Delay, invsim::FaultKind::Hangup}) {
        invsim::Fault f;
        f.kind = kind;
        f.param = 0;
        f.times = 1;
        bus.AddFault(1, f);
    }
    driver->Click("Btn_StrCurrentEnableDC12");
    EXPECT_EQ(w.PollCycle(), 1);
    EXPECT_EQ(Written(), (Writes{{48931, 0x0909}, {48932, 0}}));
}

} // namespace

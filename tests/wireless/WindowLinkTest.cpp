// The Wi-Fi and radio links through the real main window: the user picks the link and clicks
// open; the polling loop runs against the simulated module or adapter until the test clicks
// close from inside it, as a user's click arrives inside the loop.
#include "WirelessSupport.h"
#include "e2e_monitor/MonitorFixture.h"

namespace {

using namespace wireless;
using invsim::FaultKind;

using testsupport::HookedScaledTime;

const Bytes kKeepAlive{0xFF, 0x06, 0xEC, 0x62, 0x55, 0xAA, 0xB6, 0x75};

class WirelessWindow : public monitortest::MonitorHomeWindow {
protected:
    void SetUp() override
    {
        MonitorHomeWindow::SetUp();
        if (HasFatalFailure())
            return;
        UseClock(0.1);
        OpenWindow();
        if (HasFatalFailure())
            return;
        driver->PickText("Combo_SelectMode", "Monitor");
    }
    void TearDown() override
    {
        if (time)
            time->hook = nullptr;
        MonitorHomeWindow::TearDown();
    }
    void UseClock(double factor)
    {
        auto next = std::make_unique<HookedScaledTime>(factor);
        vcl::SetTimeService(next.get());
        time = std::move(next);
    }
    // Only these group panels shown, so that a cycle reads just them.
    void ShowOnly(std::initializer_list<const char*> names)
    {
        for (vcl::TPanel* p : window->GroupPanels)
            p->SetVisible(false);
        for (const char* name : names)
            window->GroupPanel(QString::fromLatin1(name))->SetVisible(true);
    }
    // Clicks open and, from inside the loop, close once `cycles` cycles are complete (the loop
    // may also end by itself). Returns when the click handler returns.
    void OpenAndPoll(int cycles)
    {
        TForm_Main& w = *window;
        time->hook = [&w, this, cycles] {
            if (w.PollCycleCount >= cycles && w.StopRequest == 0 && !w.OpenPort->Enabled())
                driver->Click("ClosePort");
        };
        driver->Click("OpenPort");
        time->hook = nullptr;
    }
    QStringList EventLog() const
    {
        QStringList lines;
        for (int i = 0; i < window->List_Event->Lines()->Count(); ++i)
            lines << window->List_Event->Lines()->Strings(i);
        return lines;
    }
    int Count(const QString& line) const { return static_cast<int>(EventLog().count(line)); }

    std::unique_ptr<HookedScaledTime> time;
};

class WifiWindow : public WirelessWindow {
protected:
    void SetUp() override
    {
        std::string error;
        ASSERT_TRUE(module.Start(0, &error)) << error;
        module.With([](invsim::Inverter& inv) { invsim::LoadDemoInverter(inv); });
        address = std::make_unique<WifiAddressScope>(Loopback(module.Port()));
        WirelessWindow::SetUp();
        driver->MouseDown("Radio_ComWifi");
    }
    void TearDown() override
    {
        WirelessWindow::TearDown();
        module.Stop();
    }
    int KeepAlives() const
    {
        int n = 0;
        for (const auto& f : module.Frames())
            n += f.bytes == kKeepAlive;
        return n;
    }
    invsim::TcpModule module;
    std::unique_ptr<WifiAddressScope> address;
};

TEST_F(WifiWindow, PollsTheModuleShowsItsCountersAndStartsEachSessionWithoutAConnection)
{
    ShowOnly({"Group_GetAC1"});
    OpenAndPoll(2);
    TForm_Main& w = *window;
    EXPECT_EQ(w.Link.SlaveId, 255);
    // Power x 10: the inverter's own factor, read though the version group is not shown.
    EXPECT_EQ(driver->Text("Label_PacR"), "2800 W");
    const auto frames = module.Frames();
    ASSERT_GE(frames.size(), 8u);
    // The first cycle: the keep-alive write, the scale factors (identity block, type word), then
    // the output reader's coil and block; each later cycle the keep-alive, the coil and the block.
    auto head = [](const invsim::Frame& f) { return Bytes(f.bytes.begin(), f.bytes.begin() + 6); };
    EXPECT_EQ(frames[0].bytes, kKeepAlive);
    EXPECT_EQ(head(frames[1]), (Bytes{0xFF, 0x04, 0xA0, 0x02, 0x00, 0x21}));
    EXPECT_EQ(head(frames[2]), (Bytes{0xFF, 0x03, 0x62, 0xF9, 0x00, 0x01}));
    for (std::size_t i = 3; i + 2 < frames.size(); i += 3) {
        if (i > 3) {
            EXPECT_EQ(frames[i - 1].bytes, kKeepAlive) << i;
        }
        EXPECT_EQ(frames[i].bytes[1], 1) << i;
        EXPECT_EQ(frames[i + 1].bytes[1], 4) << i;
    }
    EXPECT_EQ(driver->Status(5), "NoCon/NoRx/Error:-1/0/0");
    EXPECT_EQ(driver->Status(3), QString::number(w.Link.TxCounter));
    EXPECT_EQ(module.Accepted(), 1);
    EXPECT_TRUE(module.WaitForOpenConnections(0, 5000));   // closing the link closed it
    EXPECT_TRUE(w.OpenPort->Enabled());

    // Opening again starts from no connection and counts afresh.
    module.ClearFrames();
    OpenAndPoll(1);
    EXPECT_EQ(module.Accepted(), 2);
    ASSERT_GE(module.Frames().size(), 2u);
    EXPECT_EQ(module.Frames()[0].bytes, kKeepAlive);
    EXPECT_EQ(head(module.Frames()[1]), (Bytes{0xFF, 0x04, 0xA0, 0x02, 0x00, 0x21}));   // read afresh
    EXPECT_EQ(driver->Status(5), "NoCon/NoRx/Error:-1/0/0");
    EXPECT_TRUE(module.WaitForOpenConnections(0, 5000));
    EXPECT_TRUE(dialogs.shown.isEmpty()) << dialogs.shown.join("; ").toStdString();
}

TEST_F(WifiWindow, SilentModuleGivesReceiveErrorsAndANewConnectionEachTime)
{
    UseClock(0.01);   // the 6 s wait becomes 60 ms
    ShowOnly({});
    module.AddFault(F(FaultKind::Silence, -1, 2));
    OpenAndPoll(4);
    EXPECT_GE(window->PollCycleCount, 4);   // polling went on
    EXPECT_EQ(Count("Error - Receive"), 2);
    EXPECT_EQ(module.Accepted(), 3);
    EXPECT_EQ(driver->Status(5), "NoCon/NoRx/Error:-1/2/0");
    EXPECT_GE(KeepAlives(), 4);
}

TEST_F(WifiWindow, RefusedConnectionGivesSendErrorsUntilTheModuleListens)
{
    ShowOnly({});
    module.Refuse();
    TForm_Main& w = *window;
    time->hook = [&] {
        // Two cycles in vain, each the keep-alive and one try at the scale factors.
        if (w.PollCycleCount == 2 && w.Link.FailStreak == 4)
            module.Listen();
        if (w.PollCycleCount >= 4 && w.StopRequest == 0)
            driver->Click("ClosePort");
    };
    driver->Click("OpenPort");
    time->hook = nullptr;
    EXPECT_EQ(Count("Error - Send"), 4);
    EXPECT_EQ(w.Link.ConnectErrors, 3);
    EXPECT_TRUE(driver->Status(5).startsWith("NoCon/NoRx/Error:3/4/0")) << driver->Status(5).toStdString();
    EXPECT_EQ(w.Link.FailStreak, 0);
    EXPECT_GE(KeepAlives(), 2);
    // Once the module listens the scale factors are read, once; then only the keep-alives.
    EXPECT_TRUE(w.ScaleFactorsKnown);
    const auto frames = module.Frames();
    ASSERT_GE(frames.size(), 4u);
    EXPECT_EQ(frames[0].bytes, kKeepAlive);
    EXPECT_EQ(frames[1].bytes, (Bytes{0xFF, 0x04, 0xA0, 0x02, 0x00, 0x21, 0xA6, 0x0C}));
    EXPECT_EQ(frames[2].bytes, (Bytes{0xFF, 0x03, 0x62, 0xF9, 0x00, 0x01, 0x5E, 0x5D}));
    for (std::size_t i = 3; i < frames.size(); ++i)
        EXPECT_EQ(frames[i].bytes, kKeepAlive) << i;
}

TEST_F(WifiWindow, AddressThatCannotBeResolvedEndsPolling)
{
    WifiAddressScope bad("no such host!:5001");
    OpenAndPoll(100);   // ends by itself
    EXPECT_EQ(Count("Error - Build Socket"), 1);
    EXPECT_EQ(window->PollCycleCount, 0);
    EXPECT_TRUE(window->OpenPort->Enabled());
    EXPECT_FALSE(window->ClosePort->Enabled());
    EXPECT_EQ(module.Accepted(), 0);
}

class RadioWindow : public WirelessWindow {
protected:
    void SetUp() override
    {
        std::string error;
        ASSERT_TRUE(adapter.Start(&error)) << error;
        adapter.AddInverter(1);   // the inverter remembered as found
        adapter.With(1, [](invsim::Inverter& inv) { invsim::LoadDemoInverter(inv); });
        adapter.SetSignal(1, -77, 9);
        adapter.SetReplyDelayMs(100);
        WirelessWindow::SetUp();
        UseClock(0.3);
        // The answers' delay counts on the program's time, and each of its waits lets the
        // adapter catch up: an answer comes out between the same two reads however busy the
        // machine is.
        adapter.SetClock([t = time.get()] { return t->ProgramUs(); });
        time->settle = [this] { adapter.WaitIdle(5000); };
        // The radio choice is offered in the super-user mode only.
        window->Radio_ComSub1g->SetVisible(true);
        driver->MouseDown("Radio_ComSub1g");
        driver->Type("Combo_COM", QString::fromStdString(adapter.Path()));
    }
    void TearDown() override
    {
        if (time)
            time->settle = nullptr;
        WirelessWindow::TearDown();
        adapter.Stop();
    }
    invsim::RadioAdapter adapter;
};

TEST_F(RadioWindow, OpeningConfiguresTheAdapterAndPollsOverTheAir)
{
    ASSERT_TRUE(driver->Visible("Edit_RolaNextFreq"));
    EXPECT_EQ(driver->Text("Edit_RolaNextFreq"), "928.9");
    ShowOnly({"Group_GetAC1"});
    OpenAndPoll(1);
    const auto sent = adapter.CommandTexts();
    ASSERT_GE(sent.size(), 13u);
    const std::vector<std::string> opening{"rf set_freq 900000000", "rf rx_con off", "rf set_sync 51", "rf set_sf 9",
                                           "rf set_bw 250", "rf set_pwr 15"};
    EXPECT_EQ(std::vector<std::string>(sent.begin(), sent.begin() + 6), opening);
    // The inverter's scale factors first (identity block, then the type word), then the output
    // reader's coil, all to slave 1.
    EXPECT_EQ(sent[6].substr(0, 18), "rf tx 0104A0020021");
    EXPECT_EQ(sent[6].substr(18, 8), "375DE3A0");     // 928.9 MHz from the edit
    EXPECT_EQ(sent[7], "rf rx_con on");
    EXPECT_EQ(sent[8], "rf rx_con off");
    EXPECT_EQ(sent[9], "rf set_freq 928900000");
    ASSERT_GE(sent.size(), 14u);
    EXPECT_EQ(sent[10].substr(0, 18), "rf tx 010362F90001");
    EXPECT_EQ(sent[13].substr(0, 10), "rf tx 0101");
    EXPECT_EQ(driver->Text("Label_PacR"), "2800 W");   // power x 10, the inverter's own factor
    EXPECT_EQ(driver->Status(9), "RSSI: -77");
    EXPECT_EQ(driver->Status(10), "SNR: 9");
    EXPECT_EQ(driver->Status(5), "NoRx/Error:0/0");
    EXPECT_EQ(driver->Status(4), "COM Close");
    EXPECT_TRUE(EventLog().contains("rf set_pwr 15"));
    EXPECT_TRUE(dialogs.shown.isEmpty()) << dialogs.shown.join("; ").toStdString();
}

TEST_F(RadioWindow, FrequencyOutsideTheBandIsReplacedByTheDefault)
{
    driver->Type("Edit_RolaNextFreq", "850.0");
    ShowOnly({"Group_GetAC1"});
    OpenAndPoll(1);
    EXPECT_EQ(dialogs.shown, QStringList{"illegal freq, default setting"});
    EXPECT_EQ(window->Link.RadioFreq, 900000000);
    EXPECT_EQ(driver->Text("Label_PacR"), "2800 W");
    for (const auto& t : adapter.CommandTexts())
        EXPECT_NE(t, "rf set_freq 928900000");
}

TEST_F(RadioWindow, ScanButtonFindsTheInvertersOnTheAir)
{
    adapter.AddInverter(3);
    ShowOnly({});
    driver->Type("Edit_StartID", "1");
    driver->Type("Edit_EndID", "4");
    TForm_Main& w = *window;
    bool clicked = false;
    time->hook = [&] {
        if (!clicked && w.PollCycleCount >= 1) {
            clicked = true;
            driver->Click("Btn_ScanID");
        }
        if (clicked && w.Link.CommandCode == 0 && w.PollCycleCount >= 3 && w.StopRequest == 0)
            driver->Click("ClosePort");
    };
    driver->Click("OpenPort");
    time->hook = nullptr;
    for (int id = 1; id <= 4; ++id)
        EXPECT_EQ(w.Link.IdFound[id], id == 1 || id == 3 ? id : 0) << id;
    EXPECT_EQ(w.Link.IdBaudCode[3], 3);
    const QStringList tree = driver->TreeItems();
    EXPECT_EQ(tree.size(), 3) << tree.join(", ").toStdString();   // the root and the two found
    // On the air: the first cycle's scale factors of slave 1, then the probes, each the read of
    // input register 40963, up from ID 1 to 4; after the scan the factors of the first inverter
    // found are read afresh (it may be another one under the same ID).
    std::vector<std::string> requests;
    for (const auto& t : adapter.CommandTexts())
        if (t.rfind("rf tx ", 0) == 0)
            requests.push_back(t.substr(6, 12));
    const std::string identity = "0104A0020021", type = "010362F90001";
    ASSERT_GE(requests.size(), 8u);
    EXPECT_EQ(requests[0], identity);
    EXPECT_EQ(requests[1], type);
    std::size_t k = 2;
    int probes = 0, lastId = 0;
    for (; k < requests.size() && requests[k].substr(2) == "04A0020001"; ++k, ++probes) {
        const int id = std::stoi(requests[k].substr(0, 2), nullptr, 16);
        EXPECT_GE(id, lastId) << requests[k];
        lastId = id;
    }
    EXPECT_EQ(lastId, 4);
    ASSERT_LT(k, requests.size());
    for (; k < requests.size(); ++k)
        EXPECT_TRUE(requests[k] == identity || requests[k] == type) << requests[k];
    EXPECT_EQ(requests.back(), type);
    EXPECT_GE(probes, 4);
    EXPECT_TRUE(dialogs.shown.isEmpty()) << dialogs.shown.join("; ").toStdString();
}

// Another inverter's late answer in a probe's window: the probed ID is not found, and the tree
// shows only the inverters that answered for themselves.
TEST_F(RadioWindow, AScanTakesNoLateAnswerForTheProbedId)
{
    adapter.AddInverter(2);
    adapter.AddInverter(4);
    adapter.AddFault(2, F(FaultKind::Late));
    ShowOnly({});
    driver->Type("Edit_StartID", "2");
    driver->Type("Edit_EndID", "4");
    TForm_Main& w = *window;
    bool clicked = false;
    time->hook = [&] {
        if (!clicked && w.PollCycleCount >= 1) {
            clicked = true;
            driver->Click("Btn_ScanID");
        }
        if (clicked && w.Link.CommandCode == 0 && w.PollCycleCount >= 3 && w.StopRequest == 0)
            driver->Click("ClosePort");
    };
    driver->Click("OpenPort");
    time->hook = nullptr;
    EXPECT_EQ(w.Link.IdFound[3], 0);
    EXPECT_EQ(w.Link.IdFound[4], 4);
    const QStringList tree = driver->TreeItems();
    EXPECT_FALSE(tree.join(",").contains("003")) << tree.join(", ").toStdString();
    EXPECT_TRUE(tree.join(",").contains("004")) << tree.join(", ").toStdString();
    EXPECT_TRUE(dialogs.shown.isEmpty()) << dialogs.shown.join("; ").toStdString();
}

} // namespace

// The polling loop in the real window against the simulated inverter: opening and closing,
// the reader order and its rules, the power meter's own ID, the firmware button, the mode switch.
#include "MonitorFixture.h"

#include "groups/PowerMeter.h"
#include "tools/invsim/Faults.h"
#include "tools/invsim/TcpModule.h"

namespace {

using namespace monitortest;

TEST_F(MonitorWindow, OpenShowsTheInverterAndCloseEndsTheLoop)
{
    Prepare();
    TForm_Main& w = *window;
    int cyclesSeen = 0;
    QString outputDuringLoop;
    time.hook = [&] {
        // After two full cycles the user clicks "Close".
        if (w.PollCycleCount >= 2 && w.ClosePort->Enabled() && w.StopRequest == 0) {
            cyclesSeen = w.PollCycleCount;
            outputDuringLoop = Text("Label_PacR");
            EXPECT_FALSE(w.OpenPort->Enabled());
            driver->Click("ClosePort");
        }
    };
    DataLogActive = 1;
    driver->Click("OpenPort");   // runs the loop until the close
    time.hook = nullptr;
    EXPECT_EQ(DataLogActive, 0);   // closing the link stops the continuous data log
    EXPECT_GE(cyclesSeen, 2);
    EXPECT_EQ(outputDuringLoop, "2800 W");
    EXPECT_TRUE(dialogs.shown.isEmpty()) << dialogs.shown.join("; ").toStdString();

    // Output groups with the device's factors (voltage / 100, current / 10, power x 10).
    const std::pair<const char*, const char*> expected[] = {
        {"Label_VacR_Grid", "230.00 V"}, {"Label_IacR", "12.2 A"}, {"Label_PacR", "2800 W"}, {"Label_FacR", "50.00 Hz"},
        {"Label_VacS_Grid", "231.30 V"}, {"Label_IacS", "13.2 A"}, {"Label_PacS", "3050 W"}, {"Label_FacS", "50.00 Hz"},
        {"Label_VacT_Grid", "228.70 V"}, {"Label_IacT", "11.5 A"}, {"Label_PacT", "2620 W"}, {"Label_FacT", "50.00 Hz"},
        {"Label_TotalOutputPower", "8470W"}, {"Label_TotalOutputCurrent", "36.9A"},
        {"Label19", "Voltage(L-N)"},
        {"Label_Display_Rev", "V1.23"}, {"Label_COMM_Date", "Y20W09"}, {"Label_DSP_Rev", "V2.05"},
        {"Label_Redundant_Rev", "V1.49"}, {"Label_ARC_Rev", "."}, {"Label_SCM_Rev", "V3.16"},
        {"Label_Sub1G_Rev", "V1.02"}, {"Label_VantoSN", "SV5K20A123456"}, {"Label_ModelName", "SUNVANE-5K-3P"},
        {"Label_InvProtocol", "Vanto"},
    };
    for (const auto& [name, text] : expected)
        EXPECT_EQ(Text(name), text) << name;
    for (const char* name : {"Label_VacR_Grid", "Label_PacT", "Label_TotalOutputPower", "Label_VantoSN", "Label_DSP_Rev"})
        EXPECT_EQ(driver->Color(name), vcl::clBlue) << name;
    EXPECT_EQ(driver->Color("Label_InvProtocol"), vcl::clGreen);
    EXPECT_TRUE(driver->Visible("Label_COMM_Date"));   // the mode shows the build weeks
    EXPECT_EQ(w.AcLayout, 0);
    EXPECT_EQ(w.SignedValues, 1);

    // Status bar: bit rate, transactions, port, counters, factors, type, options.
    EXPECT_EQ(driver->Status(1), "9600");
    EXPECT_EQ(driver->Status(3), QString::number(w.Link.TxCounter));
    EXPECT_GT(w.Link.TxCounter, 5);
    EXPECT_EQ(driver->Status(4), "COM Close");
    EXPECT_EQ(driver->Status(5), "NoRx/Error:0/0");
    EXPECT_EQ(driver->Status(6), "Idc:10 ; P:10 ; E:10 ; Iac:10 ; V:100");
    EXPECT_EQ(driver->Status(7), "Type:0x2105");
    EXPECT_EQ(driver->Status(8), "Ind+ 1% , Unlock");

    // Idle again: the port closed, the buttons back.
    EXPECT_TRUE(w.OpenPort->Enabled());
    EXPECT_FALSE(w.ClosePort->Enabled());
    EXPECT_FALSE(w.Link.Com.IsOpen());
    EXPECT_FALSE(w.PollRunning);
    // Every request went to the inverter found at ID 1.
    for (const auto& f : bus.Frames())
        EXPECT_EQ(f.bytes[0], 1);
}

TEST_F(MonitorWindow, OpenRefusedWithoutModeOrPort)
{
    driver->MouseDown("Radio_ComRS485");
    driver->Type("Combo_COM", QString::fromStdString(bus.Path()));
    driver->Click("OpenPort");
    EXPECT_EQ(dialogs.shown, QStringList{"You have to select Monitor Mode first"});
    EXPECT_TRUE(window->OpenPort->Enabled());
    EXPECT_FALSE(window->Link.Com.IsOpen());

    dialogs.shown.clear();
    driver->PickText("Combo_SelectMode", "Monitor");
    driver->Type("Combo_COM", home.path() + "/no-such-port");
    driver->Click("OpenPort");
    EXPECT_EQ(dialogs.shown, QStringList{"COM Can't Open"});
    EXPECT_TRUE(window->OpenPort->Enabled());
    EXPECT_FALSE(window->ClosePort->Enabled());
    EXPECT_EQ(driver->Status(4), "COM Close");
    EXPECT_TRUE(bus.Frames().empty());
}

TEST_F(MonitorWindow, CycleWithEveryPanelHiddenSendsNothing)
{
    Prepare();
    OpenWithoutLoop();
    HideEveryGroup();
    // The inverter's scale factors are read once, whatever is shown; then nothing more.
    ASSERT_EQ(window->PollCycle(), 0);
    EXPECT_TRUE(window->ScaleFactorsKnown);
    EXPECT_EQ(bus.Frames().size(), 2u);
    bus.ClearFrames();
    for (int i = 0; i < 2; ++i)
        ASSERT_EQ(window->PollCycle(), 0);
    EXPECT_EQ(window->PollCycleCount, 3);
    EXPECT_TRUE(bus.Frames().empty());
    EXPECT_EQ(window->Link.TxCounter, 2);
}

// While the inverter does not answer for its identity block, each cycle asks for it once (not
// for the type word too) and the readers that scale wait; once it answers, the factors are read
// and not asked again. An inverter that has no type word (an exception reply) has unsigned
// values, whatever the inverter before had.
TEST_F(MonitorWindow, ScaleFactorsAreAskedOnceACycleUntilTheInverterAnswers)
{
    Prepare();
    OpenWithoutLoop();
    HideEveryGroup();
    window->GroupPanel("Group_GetAC1")->SetVisible(true);
    invsim::Fault silence;
    silence.kind = invsim::FaultKind::Silence;
    silence.times = 2;
    silence.reg = 40963;
    bus.AddFault(1, silence);
    invsim::Fault noType;
    noType.kind = invsim::FaultKind::Exception;
    noType.param = 2;
    noType.reg = 25338;
    bus.AddFault(1, noType);
    window->SignedValues = 1;
    for (int silent = 0; silent < 2; ++silent) {
        EXPECT_EQ(AskedInACycle(), (Asked{{4, 40963}})) << silent;
        EXPECT_FALSE(window->ScaleFactorsKnown);
        EXPECT_EQ(Text("Label_PacR"), "??");
    }
    EXPECT_EQ(AskedInACycle(), (Asked{{4, 40963}, {3, 25338}, {1, 24649}, {4, 49152}}));
    EXPECT_TRUE(window->ScaleFactorsKnown);
    EXPECT_EQ(window->SignedValues, 0);
    EXPECT_EQ(window->PowerMultiplier, 10);
    EXPECT_EQ(Text("Label_PacR"), "2800 W");
    EXPECT_EQ(AskedInACycle(), (Asked{{1, 24649}, {4, 49152}}));
}

// An inverter that refuses its identity block (an exception reply) is asked again only after a
// pause, and the status bar says why the scaled values stay "??"; another inverter chosen is
// asked at once.
TEST_F(MonitorWindow, AnIdentityBlockRefusedIsAskedAgainOnlyAfterAPause)
{
    Prepare();
    OpenWithoutLoop();
    HideEveryGroup();
    window->GroupPanel("Group_GetAC1")->SetVisible(true);
    invsim::Fault refuse;
    refuse.kind = invsim::FaultKind::Exception;
    refuse.param = 2;
    refuse.reg = 40963;
    bus.AddFault(1, refuse);
    EXPECT_EQ(AskedInACycle(), (Asked{{4, 40963}}));
    EXPECT_EQ(window->StatusText(6), "Scale factors cannot be read: the inverter refuses its identity block");
    for (int cycle = 0; cycle < 5; ++cycle)
        EXPECT_EQ(AskedInACycle(), Asked{}) << cycle;
    EXPECT_FALSE(window->ScaleFactorsKnown);
    EXPECT_EQ(Text("Label_PacR"), "??");
    // The pause over: asked again.
    window->IdentityRefusedMs -= 10000;
    EXPECT_EQ(AskedInACycle(), (Asked{{4, 40963}}));
    EXPECT_EQ(AskedInACycle(), Asked{});
    // The inverter chosen afresh: asked at once; now it answers.
    bus.ClearFaults(1);
    window->RereadScaleFactors();
    const Asked asked = AskedInACycle();
    ASSERT_GE(asked.size(), 2u);
    EXPECT_EQ(asked[0], (std::pair<int, int>{4, 40963}));
    EXPECT_TRUE(window->ScaleFactorsKnown);
    EXPECT_TRUE(window->StatusText(6).startsWith("Idc:")) << window->StatusText(6).toStdString();
}

TEST_F(MonitorWindow, PendingCommandMakesTheReadersSkipAndIsClearedAtTheEnd)
{
    Prepare();
    OpenWithoutLoop();
    window->Link.CommandCode = 6;
    window->Link.CommandAddress = 797;
    ASSERT_EQ(window->PollCycle(), 0);
    // No reader sent anything; only the command's own write went out, at the cycle's end.
    const auto frames = bus.Frames();
    ASSERT_LE(frames.size(), 1u);
    for (const auto& f : frames)
        EXPECT_EQ(f.bytes[1], 6);
    EXPECT_EQ(RequestsFor(802, 3), 0);
    EXPECT_EQ(RequestsFor(49152, 4), 0);
    EXPECT_EQ(window->Link.CommandCode, 0);

    // A command posted in the middle of a cycle (here: while the version group is read) makes
    // the readers after it skip; the next cycle reads them again.
    window->PollCycleCount = 0;
    time.hook = [&] {
        if (window->StatusText(2) == "Version..." && window->Link.CommandCode == 0 && RequestsFor(802, 3) == 1)
            window->Link.CommandCode = 6;
    };
    ASSERT_EQ(window->PollCycle(), 0);
    time.hook = nullptr;
    EXPECT_EQ(RequestsFor(49152, 4), 0);
    EXPECT_EQ(window->Link.CommandCode, 0);
    ASSERT_EQ(window->PollCycle(), 0);
    EXPECT_EQ(RequestsFor(49152, 4), 1);
}

TEST_F(MonitorWindow, VersionGroupEveryTenthCycle)
{
    Prepare();
    OpenWithoutLoop();
    HideEveryGroup();
    window->GroupPanel("Group_Version")->SetVisible(true);
    window->PollCycleCount = 0;
    std::vector<int> readIn;
    for (int cycle = 0; cycle <= 20; ++cycle) {
        const int before = RequestsFor(802, 3);
        ASSERT_EQ(window->PollCycle(), 0);
        if (RequestsFor(802, 3) > before)
            readIn.push_back(cycle);
    }
    EXPECT_EQ(readIn, (std::vector<int>{0, 10, 20}));

    // Another inverter chosen: -1 skips once, and the cycle after it reads the version.
    window->PollCycleCount = -1;
    ASSERT_EQ(window->PollCycle(), 0);
    EXPECT_EQ(RequestsFor(802, 3), 3);
    ASSERT_EQ(window->PollCycle(), 0);
    EXPECT_EQ(RequestsFor(802, 3), 4);
}

TEST_F(MonitorWindow, PowerMeterReadGoesToTheMeterAndTheInverterIsKept)
{
    Prepare();
    OpenWithoutLoop();
    HideEveryGroup();
    window->GroupPanel("Group_PowerMeterInfo")->SetVisible(true);
    window->GroupPanel("Group_Version")->SetVisible(true);
    window->PowerMeterLabels.MeterId->SetText("253");
    bus.With(253, [](invsim::Inverter& inv) {
        for (int w = 0; w < 7; ++w)
            inv.SetHolding(3072 + w, 0x3030);
        inv.SetInput(258, 0x0102);
        inv.SetInput(259, 0x1503);
    });
    window->PollCycleCount = 0;
    ASSERT_EQ(window->PollCycle(), 0);
    EXPECT_EQ(window->Link.SlaveId, 1);
    EXPECT_EQ(RequestsFor(3072, 3, 253), 1);
    EXPECT_EQ(RequestsFor(258, 4, 253), 1);
    EXPECT_EQ(RequestsFor(802, 3, 1), 1);
    EXPECT_EQ(Text("Label_PowerMeter_FW_Version"), "V1.02");
    EXPECT_EQ(Text("Label_PowerMeter_SN"), "00000000000000");
    // The next cycle again reads the inverter under its own ID.
    window->PollCycleCount = 10;
    ASSERT_EQ(window->PollCycle(), 0);
    EXPECT_EQ(RequestsFor(802, 3, 1), 2);

    // The line vanishes during the meter's read: the loop ends and the inverter's ID is back.
    window->PollCycleCount = 1;
    time.hook = [&] {
        if (window->StatusText(2) == "Meter..." && window->Link.WireId() == 253)
            bus.Stop();
    };
    EXPECT_EQ(window->PollCycle(), 1);
    time.hook = nullptr;
    EXPECT_EQ(window->Link.SlaveId, 1);
}

TEST_F(MonitorWindow, FirmwareButtonEndsPollingAndKeepsTheLinkOpen)
{
    Prepare();
    TForm_Main& w = *window;
    driver->Click("Image_Firmware");
    EXPECT_EQ(dialogs.shown, QStringList{"Please Connect to Inverters first"});

    time.hook = [&] {
        if (w.PollCycleCount >= 1 && w.FirmwarePageFlag == 0)
            driver->Click("Image_Firmware");
    };
    driver->Click("OpenPort");
    time.hook = nullptr;
    EXPECT_EQ(w.FirmwarePageFlag, 1);
    EXPECT_FALSE(w.PollRunning);
    EXPECT_TRUE(w.Link.Com.IsOpen());
    EXPECT_FALSE(w.OpenPort->Enabled());
    EXPECT_TRUE(w.ClosePort->Enabled());
    EXPECT_EQ(driver->Status(4), "COM Open");
    EXPECT_EQ(w.PageControl->ActivePage(), w.Tab_Firmware);
    EXPECT_EQ(w.Combo_SelectMode->ItemIndex(), -1);

    // A mode chosen afterwards starts polling again on the open link.
    const auto framesBefore = bus.Frames().size();
    time.hook = [&] {
        if (w.PollCycleCount >= 1 && w.StopRequest == 0)
            driver->Click("ClosePort");
    };
    driver->PickText("Combo_SelectMode", "Monitor");
    time.hook = nullptr;
    EXPECT_GT(bus.Frames().size(), framesBefore);
    EXPECT_TRUE(w.OpenPort->Enabled());
    EXPECT_FALSE(w.Link.Com.IsOpen());
}

// A mode switch while polling starts no second loop: the running one carries on in the new
// mode and reads the version group in its next cycle.
TEST_F(MonitorWindow, ModeSwitchWhilePollingKeepsOneLoop)
{
    Prepare();
    TForm_Main& w = *window;
    int switchedAt = -1;
    int versionReadsAtSwitch = 0;
    int closeCount = 0;
    time.hook = [&] {
        if (switchedAt < 0 && w.PollCycleCount == 3 && w.StatusText(2) == "Output...") {
            switchedAt = w.PollCycleCount;
            versionReadsAtSwitch = RequestsFor(802, 3);
            driver->PickText("Combo_SelectMode", "Storage");   // runs inside this pump
            EXPECT_TRUE(w.PollRunning);
        } else if (switchedAt >= 0 && w.StopRequest == 0 && RequestsFor(802, 3) > versionReadsAtSwitch) {
            ++closeCount;
            driver->Click("ClosePort");
        }
    };
    driver->Click("OpenPort");
    time.hook = nullptr;
    EXPECT_EQ(switchedAt, 3);
    EXPECT_EQ(closeCount, 1);
    // Cycle 3 was counted, the new mode's first cycle read the version.
    EXPECT_EQ(RequestsFor(802, 3), versionReadsAtSwitch + 1);
    EXPECT_FALSE(w.PollRunning);
    EXPECT_TRUE(w.OpenPort->Enabled());
}

} // namespace

namespace {

using namespace monitortest;

TEST_F(MonitorWindow, StatusPanelEightShowsTheReactiveOptionsAndTheLock)
{
    Prepare();
    OpenWithoutLoop();
    HideEveryGroup();
    struct Case { int sign, step; std::uint8_t lock; const char* text; };
    const Case cases[] = {{0, 0, 0, "Ind+ 1% , Unlock"}, {1, 1, 1, "Ind- 0.1% , Lock"}, {2, 2, 0, " , Unlock"},
                          {0, 1, 2, "Ind+ 0.1% , Unlock"}};
    for (const Case& c : cases) {
        window->ReactiveSign = c.sign;
        window->CosPhiStep = c.step;
        window->WriteLock = c.lock;
        ASSERT_EQ(window->PollCycle(), 0);
        EXPECT_EQ(driver->Status(8), c.text);
    }
}

// On the Wi-Fi link every cycle begins with the module's keep-alive write, to slave 255; the
// first one then reads the inverter's scale factors, the next one nothing more.
TEST_F(MonitorWindow, WifiCycleStartsWithTheKeepAlive)
{
    invsim::TcpModule module;
    std::string error;
    ASSERT_TRUE(module.Start(0, &error)) << error;
    module.With([](invsim::Inverter& inv) { invsim::LoadDemoInverter(inv); });
    qputenv("SUNVANE_WIFI_ADDRESS", QByteArray("127.0.0.1:") + QByteArray::number(module.Port()));
    Prepare();
    HideEveryGroup();
    window->Link.LinkType = LinkWifi;
    window->Link.SlaveId = 255;
    window->StopRequest = 0;
    ASSERT_EQ(window->PollCycle(), 0);
    ASSERT_EQ(window->PollCycle(), 0);
    window->CloseLink();
    qputenv("SUNVANE_WIFI_ADDRESS", "127.0.0.1:9");
    EXPECT_TRUE(window->ScaleFactorsKnown);
    std::vector<std::vector<std::uint8_t>> frames;
    for (const auto& f : module.Frames())
        frames.push_back(f.bytes);
    const std::vector<std::uint8_t> keepAlive{0xFF, 0x06, 0xEC, 0x62, 0x55, 0xAA, 0xB6, 0x75};
    const std::vector<std::uint8_t> identity{0xFF, 0x04, 0xA0, 0x02, 0x00, 0x21, 0xA6, 0x0C};
    const std::vector<std::uint8_t> deviceType{0xFF, 0x03, 0x62, 0xF9, 0x00, 0x01, 0x5E, 0x5D};
    EXPECT_EQ(frames, (std::vector<std::vector<std::uint8_t>>{keepAlive, identity, deviceType, keepAlive}));
    module.Stop();
}

} // namespace

namespace {

using namespace monitortest;

// "Close" clicked while the output block's reply is awaited: the reply is still taken and
// shown, the next reader returns at once, and the link closes.
TEST_F(MonitorWindow, CloseDuringATransactionFinishesIt)
{
    Prepare();
    TForm_Main& w = *window;
    bus.SetInput(1, 49152 + 3, 4321);   // phase R power word
    time.hook = [&] {
        if (w.PollCycleCount == 1 && w.StopRequest == 0 && RequestsFor(49152, 4) == 2)
            driver->Click("ClosePort");
    };
    driver->Click("OpenPort");
    time.hook = nullptr;
    EXPECT_EQ(Text("Label_PacR"), "43210 W");
    EXPECT_EQ(RequestsFor(49152, 4), 2);
    EXPECT_EQ(RequestsFor(802, 3), 1);   // only the first cycle's version read
    EXPECT_EQ(w.PollCycleCount, 1);      // the stopped cycle is not counted
    EXPECT_TRUE(w.OpenPort->Enabled());
    EXPECT_FALSE(w.Link.Com.IsOpen());
}

} // namespace

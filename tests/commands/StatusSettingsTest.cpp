// The settings of the status, country and service groups in the real main window (offscreen)
// against simulated inverters: every kind of control writes its frame, the access code guards
// the maximum power, the country box writes the code of the name picked, the fixed sequences
// keep their order and pauses, and the input gain calibration computes its gains.
#include "CommandsWindow.h"

#include "common/Tables.h"

#include <QFile>

#include <algorithm>
#include <atomic>
#include <mutex>

namespace {

using namespace monitortest;
using namespace commandstest;

const char* const kFamilyPanels[] = {"Group_Status", "Group_NightMode", "Group_Country", "Group_Factory",
                                     "Group_AcTerminal", "Group_FanTest", "Group_MPPTSwitch", "Group_VIPGain",
                                     "Group_K4PSetting", "Group_CalibrateInput"};

class StatusSettings : public CommandsWindow {
protected:
    // Every panel of the family on the main page, expanded (the constant-voltage part too).
    void ShowFamily()
    {
        window->StatusLabels.Status.ConstVoltPart->SetVisible(true);
        window->StatusLabels.Country.LanguageBox->SetVisible(true);   // the mode's option hides it
        for (const char* name : kFamilyPanels) {
            vcl::TPanel* p = window->GroupPanel(QString::fromLatin1(name));
            p->SetParent(window->ScrollPages[0]);
            p->SetHeight(p->Tag());
            p->SetVisible(true);
        }
    }
    // The family shown, the link open, ID 1 current.
    void OpenWithFamilyShown()
    {
        Prepare();
        ShowFamily();
        OpenWithThreeFound();
    }
    void Act(char kind, const QString& control, const QString& input)
    {
        switch (kind) {
        case 'e': driver->Enter(control, input); break;
        case 'm': driver->MouseDown(control); break;
        case 'c': driver->Click(control); break;
        case 'p': driver->Pick(control, input.toInt()); break;
        }
    }
    // The write posted by the last action, run as the executor would between two cycles.
    std::vector<Write> Execute()
    {
        bus.ClearFrames();
        EXPECT_EQ(window->ExecutePendingCommand(), 0);
        return Writes();
    }
    vcl::TColor Colour(const char* name) const
    {
        return dynamic_cast<vcl::TLabel*>(window->FindComponent(QString::fromLatin1(name)))->Font()->Color();
    }
};

TEST_F(StatusSettings, EveryControlWritesItsFrame)
{
    OpenWithFamilyShown();
    window->ServiceLabels.Factory.FactoryPart->SetVisible(true);
    struct Case {
        char kind;   // e Enter, m mouse press, c click, p pick (input = item index)
        const char* control;
        const char* input;
        std::vector<Write> writes;
        const char* painted;
    };
    const Case cases[] = {
        {'m', "Radio_RemoteON", "", {{1, 9600, 24576, 0xFF00}}, nullptr},
        {'m', "Radio_RemoteOFF", "", {{1, 9600, 24576, 0}}, nullptr},
        {'e', "Edit_ConstVolt", "230.5", {{1, 9600, 829, 2305}}, "Label_ConstVolt"},
        {'m', "Check_ConstVolt", "", {{1, 9600, 824, 0}, {1, 9600, 825, 1024}}, nullptr},
        {'m', "Radio_NightModeON", "", {{1, 9600, 48158, 0x8040}}, nullptr},
        {'m', "Radio_NightModeOFF", "", {{1, 9600, 48158, 0x0040}}, nullptr},
        {'e', "Edit_ReclosureSet", "0.6", {{1, 9600, 48154, 60}}, "Label_ReclosureSet"},
        {'p', "Combo_LanguageSelect", "2", {{1, 9600, 48162, 2}}, "Label_LanguageSelect"},
        {'e', "Edit_InverterID", "12", {{1, 9600, 48163, 12}}, "Label_InverterID"},
        {'p', "Combo_Baudrate", "2", {{1, 9600, 33821, 4}}, "Label_Baudrate"},
        {'c', "Btn_SaveData", "", {{1, 9600, 24665, 0x55AA}}, "Label_SaveData"},
        {'c', "Btn_ClearEvent", "", {{1, 9600, 24624, 0xFF00}}, nullptr},
        {'m', "Label_GridLockON", "", {{1, 9600, 48158, 0x8002}}, nullptr},
        {'m', "Label_GridLockOFF", "", {{1, 9600, 48158, 0x0002}}, nullptr},
        {'m', "Radio_RepairON", "", {{1, 9600, 24609, 0xFF00}}, nullptr},
        {'m', "Radio_3P3W", "", {{1, 9600, 24649, 0xFF00}}, nullptr},
        {'m', "Radio_3P4W", "", {{1, 9600, 24649, 0}}, nullptr},
        {'m', "Radio_FanON", "", {{1, 9600, 824, 32}}, nullptr},
        {'m', "Radio_FanOFF", "", {{1, 9600, 824, 0}}, nullptr},
        {'e', "Edit_FanDuty", "50", {{1, 9600, 807, 0x8032}}, "Label_FanDuty"},
        {'m', "Radio_MPPTSwitchON3", "", {{1, 9600, 24580, 0xFF00}}, nullptr},
        {'m', "Radio_MPPTSwitchOFF6", "", {{1, 9600, 24583, 0}}, nullptr},
        {'p', "Combo_GainIndex", "11", {{1, 9600, 33536, 64}}, "Label_GainIndex"},    // "Pbus"
        {'p', "Combo_GainIndex", "13", {{1, 9600, 33536, 16}}, "Label_GainIndex"},    // "Output1(out)"
        {'p', "Combo_GainIndex", "0", {{1, 9600, 33536, 48}}, "Label_GainIndex"},     // "Inout1"
        {'e', "Edit_PowertBoundary", "2400", {{1, 9600, 33544, 2400}}, "Label_PowertBoundary"},
        {'e', "Edit_VoltLowGainRed", "65535", {{1, 9600, 33548, 0xFFFF}}, "Label_VoltLowGainRed"},
        {'m', "Radio_EUParallelON", "", {{1, 9600, 24649, 0xFF00}}, nullptr},
        {'m', "Radio_EUEffOFF", "", {{1, 9600, 24619, 0}}, nullptr},
        {'m', "Radio_AFCION", "", {{1, 9600, 24652, 0xFF00}}, nullptr},
        {'p', "Combo_EUShadowMode", "4", {{1, 9600, 48432, 4}}, "Label_EUShadowMode"},
        {'e', "Edit_EUShadowInterval", "50", {{1, 9600, 48433, 50}}, "Label_EUShadowInterval"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.control) + " " + c.input);
        if (c.painted) {
            dynamic_cast<vcl::TLabel*>(window->FindComponent(QString::fromLatin1(c.painted)))->Font()->SetColor(vcl::clBlue);
        }
        Act(c.kind, QString::fromLatin1(c.control), QString::fromLatin1(c.input));
        if (c.painted) {
            EXPECT_EQ(Colour(c.painted), vcl::clRed);
        }
        EXPECT_EQ(Execute(), c.writes);
    }
    // The press on a checked constant-voltage box switches it off with one write.
    window->StatusLabels.Status.ConstVolt->SetChecked(true);
    driver->MouseDown("Check_ConstVolt");
    EXPECT_EQ(Execute(), (std::vector<Write>{{1, 9600, 825, 0xFFFF}}));
    // A gain that is no integer: the conversion error, nothing posted.
    driver->Enter("Edit_VoltHighGain", "4.1");
    EXPECT_EQ(window->Link.CommandCode, 0);
    EXPECT_TRUE(Execute().empty());
    EXPECT_TRUE(dialogs.TakeShown().contains("'4.1' is not a valid integer value"));
}

TEST_F(StatusSettings, ValuesTurnRedOnPostAndBlueWhenReadBack)
{
    OpenWithFamilyShown();
    TForm_Main& w = *window;
    ASSERT_EQ(w.PollCycle(), 0);
    EXPECT_TRUE(w.StatusLabels.NightMode.NightMode.On->Checked());
    driver->MouseDown("Radio_NightModeOFF");
    driver->Enter("Edit_ConstVolt", "231");
    EXPECT_EQ(Colour("Label_ConstVolt"), vcl::clRed);
    ASSERT_EQ(w.PollCycle(), 0);   // the readers skip, the write runs
    ASSERT_EQ(w.PollCycle(), 0);
    EXPECT_EQ(Text("Label_ConstVolt"), "231.0V");
    EXPECT_EQ(Colour("Label_ConstVolt"), vcl::clBlue);
    // The later post replaced the night-mode one; now the radio follows the flag word.
    driver->MouseDown("Radio_NightModeOFF");
    ASSERT_EQ(w.PollCycle(), 0);
    ASSERT_EQ(w.PollCycle(), 0);
    EXPECT_EQ(bus.Holding(1, 48158), 0);
    EXPECT_TRUE(w.StatusLabels.NightMode.NightMode.Off->Checked());
    driver->MouseDown("Label_GridLockON");
    ASSERT_EQ(w.PollCycle(), 0);
    ASSERT_EQ(w.PollCycle(), 0);
    EXPECT_EQ(bus.Holding(1, 48158), 0x0002);
    EXPECT_TRUE(w.ServiceLabels.Factory.GridLock.On->Checked());
    EXPECT_TRUE(w.StatusLabels.NightMode.NightMode.Off->Checked());
    // Grid unlock: the inverter drops its lock and the status group says so.
    EXPECT_EQ(Text("Label_WarningOccur"), "Lock");
    driver->Click("Btn_Unlock");
    ASSERT_EQ(w.PollCycle(), 0);
    ASSERT_EQ(w.PollCycle(), 0);
    EXPECT_EQ(Text("Label_WarningOccur"), "");
}

TEST_F(StatusSettings, MaximumPowerBehindTheAccessCodeForOneOrEveryInverter)
{
    OpenWithFamilyShown();
    TForm_Main& w = *window;
    // Before the inverter's factors are read the watts have no unit: the entry says so, asks
    // for no code and posts nothing.
    ASSERT_FALSE(w.ScaleFactorsKnown);
    driver->Enter("Edit_MaxPower", "6000");
    EXPECT_EQ(dialogs.TakeShown(), QStringList({"Max. Power not written: the inverter's scale factors are not read yet"}));
    EXPECT_TRUE(dialogs.prompts.isEmpty());
    EXPECT_EQ(w.Link.CommandCode, 0);
    w.PowerMultiplier = 10;
    w.ScaleFactorsKnown = true;
    // A wrong code: "Password Error", nothing posted, the wrong text remembered.
    dialogs.answers = {"1234"};
    driver->Enter("Edit_MaxPower", "6000");
    EXPECT_EQ(dialogs.prompts, QStringList({"Input Password Please|Password"}));
    EXPECT_EQ(dialogs.TakeShown(), QStringList({"Password Error"}));
    EXPECT_EQ(w.Link.CommandCode, 0);
    EXPECT_EQ(w.RememberedPassword, "1234");
    // A right code: one inverter gets the watts in its unit.
    dialogs.answers = {"2059"};
    driver->Enter("Edit_MaxPower", "6000");
    EXPECT_EQ(Colour("Label_MaxPower"), vcl::clRed);
    EXPECT_EQ(w.Link.CommandCode, 6);
    EXPECT_EQ(Execute(), (std::vector<Write>{{1, 9600, 33595, 600}}));
    // The code is remembered: no second prompt.
    driver->Enter("Edit_MaxPower", "2500");
    EXPECT_EQ(dialogs.prompts.size(), 2);
    EXPECT_EQ(Execute(), (std::vector<Write>{{1, 9600, 33595, 250}}));

    // Broadcast: each inverter with its own multiplier (ID 12 counts in 100 W); one whose
    // descriptor does not come (ID 3) is left alone. The window keeps its own factors.
    bus.With(12, [](invsim::Inverter& inv) { inv.SetInput(40995, 4 << 3); });
    invsim::Fault refuse;
    refuse.kind = invsim::FaultKind::Exception;
    refuse.param = 2;
    refuse.times = 1;
    bus.AddFault(3, refuse);
    driver->MouseDown("Radio_CmdBroadcast");
    w.Link.SlaveId = 3;
    driver->Enter("Edit_MaxPower", "6000");
    EXPECT_EQ(w.Link.CommandCode, 595);
    EXPECT_EQ(w.Link.CommandValue, 6000);
    EXPECT_EQ(Execute(), (std::vector<Write>{{1, 9600, 33595, 600}, {12, 38400, 33595, 60}}));
    EXPECT_EQ(dialogs.TakeShown(), QStringList{"Max. Power: no answer from ID 3; taken by ID 1, 12"});
    EXPECT_EQ(w.PowerMultiplier, 10);
    EXPECT_EQ(w.Link.SlaveId, 3);
    // Watts beyond 32767 travel as an unsigned word.
    driver->Enter("Edit_MaxPower", "40000");
    EXPECT_EQ(Execute(), (std::vector<Write>{{1, 9600, 33595, 4000}, {3, 9600, 33595, 4000}, {12, 38400, 33595, 400}}));
    EXPECT_TRUE(dialogs.TakeShown().isEmpty());

    // The super-user mode asks for no code.
    w.RememberedPassword.clear();
    w.SuperUserMode = 1;
    driver->MouseDown("Radio_SendSingle");
    driver->Enter("Edit_MaxPower", "3000");
    EXPECT_EQ(dialogs.prompts.size(), 2);
    EXPECT_EQ(w.Link.CommandCode, 6);
    EXPECT_EQ(w.Link.CommandValue, 300);
}

// Max. Power for one inverter is converted into that inverter's unit when it is typed: it is
// written only if, when its turn comes, the same inverter is addressed with the same factors
// and the post still goes to one inverter.
TEST_F(StatusSettings, MaximumPowerGoesOnlyToTheInverterItWasConvertedFor)
{
    OpenWithFamilyShown();
    TForm_Main& w = *window;
    const QString unscaled = "Max. Power not written: another inverter was chosen (or its scale factors read again) "
                             "after it was typed, please enter it again";
    struct Case {
        const char* meanwhile;   // what the user does before the cycle's end
        std::vector<Write> writes;
        QStringList shown;
    };
    const Case cases[] = {
        {"", {{1, 9600, 33595, 600}}, {}},
        {"dblclick ID:003", {}, {unscaled}},
        {"dblclick ID:001", {}, {unscaled}},   // the same inverter chosen again: read afresh
        {"broadcast", {}, {"Max. Power not written: it was converted for one inverter, please enter it again for all"}},
    };
    dialogs.answers = {"2059"};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.meanwhile);
        driver->MouseDown("Radio_SendSingle");
        driver->DblClickNode("TreeView", "ID:001");
        ASSERT_EQ(w.PollCycle(), 0);   // the demonstration inverter's factors: power x 10
        ASSERT_TRUE(w.ScaleFactorsKnown);
        ASSERT_EQ(w.PowerMultiplier, 10);
        driver->Enter("Edit_MaxPower", "6000");
        ASSERT_EQ(w.Link.CommandCode, 6);
        const QString action = QString::fromLatin1(c.meanwhile);
        if (action.startsWith("dblclick "))
            driver->DblClickNode("TreeView", action.mid(9));
        else if (action == "broadcast")
            driver->MouseDown("Radio_CmdBroadcast");
        EXPECT_EQ(Execute(), c.writes);
        EXPECT_EQ(dialogs.TakeShown(), c.shown);
        EXPECT_EQ(w.Link.CommandCode, 0);
    }
}

// Max. Power typed for one inverter, another inverter double-clicked, and a whole polling cycle
// before the command's turn: the message, and no inverter gets the watts in a unit not its own.
TEST_F(StatusSettings, MaximumPowerTypedBeforeAnotherInverterIsChosenIsNotWrittenAfterACycle)
{
    OpenWithFamilyShown();
    TForm_Main& w = *window;
    bus.With(3, [](invsim::Inverter& inv) { inv.SetInput(40995, 4 << 3); });   // ID 3 counts in 100 W
    dialogs.answers = {"2059"};
    driver->MouseDown("Radio_SendSingle");
    driver->DblClickNode("TreeView", "ID:001");
    ASSERT_EQ(w.PollCycle(), 0);
    ASSERT_EQ(w.PowerMultiplier, 10);
    driver->Enter("Edit_MaxPower", "6000");
    ASSERT_EQ(w.Link.CommandCode, 6);
    ASSERT_EQ(w.Link.CommandValue, 600);
    driver->DblClickNode("TreeView", "ID:003");
    dialogs.TakeShown();
    bus.ClearFrames();
    for (int cycle = 0; cycle < 2; ++cycle)
        ASSERT_EQ(w.PollCycle(), 0);
    EXPECT_EQ(dialogs.TakeShown(), QStringList({"Max. Power not written: another inverter was chosen (or its scale "
                                                "factors read again) after it was typed, please enter it again"}));
    EXPECT_EQ(RequestsFor(33595, 6, 1) + RequestsFor(33595, 6, 3) + RequestsFor(33595, 6, 12), 0);
    EXPECT_TRUE(w.ScaleFactorsKnown);
    EXPECT_EQ(w.PowerMultiplier, 100);
    // Typed again, it goes to the inverter chosen in its own unit.
    driver->Enter("Edit_MaxPower", "6000");
    EXPECT_EQ(Execute(), (std::vector<Write>{{3, 9600, 33595, 60}}));
}

TEST_F(StatusSettings, CountryBoxWritesTheCodeOfTheNamePicked)
{
    OpenWithFamilyShown();
    TForm_Main& w = *window;
    vcl::TComboBox* box = w.StatusLabels.Country.CountryBox;
    // The mode's own list: blank lines keep the codes of the countries it leaves out.
    const int germany = box->Items()->IndexOf("Germany LV");
    ASSERT_GT(germany, 0);
    EXPECT_LT(box->Items()->Count(), 32);
    EXPECT_EQ(box->Items()->IndexOf("Greece"), 6);
    driver->Pick("Combo_Country", 6);
    EXPECT_EQ(Execute(), (std::vector<Write>{{1, 9600, 797, 7}}));
    driver->Pick("Combo_Country", germany);
    EXPECT_EQ(Colour("Label_Country"), vcl::clRed);
    EXPECT_EQ(Execute(), (std::vector<Write>{{1, 9600, 797, 28}}));
    bus.SetHolding(1, 797, 29);
    ASSERT_EQ(w.PollCycle(), 0);
    EXPECT_EQ(Text("Label_Country"), "Germany MV");
    EXPECT_EQ(Colour("Label_Country"), vcl::clBlue);

    // A mode without a list: the built-in list of the inverter's product.
    ASSERT_TRUE(QFile::remove(home.path() + "/Monitor/CountryList.RQX"));
    w.Link.IdProductId[1] = CountryListProductId;
    PickModeWhileOpen("Storage");
    PickModeWhileOpen("Monitor");
    ShowFamily();
    ASSERT_EQ(w.Link.SlaveId, 1);
    EXPECT_EQ(box->Items()->Count(), 2);
    EXPECT_EQ(box->Items()->Strings(1), "Germany LV");
    // The box was filled for that product: its pick writes that list's code even when the
    // product known for the inverter has changed since.
    w.Link.IdProductId[1] = 0;
    driver->Pick("Combo_Country", 1);
    EXPECT_EQ(Execute(), (std::vector<Write>{{1, 9600, 797, 28}}));
    bus.SetHolding(1, 797, 1);
    ASSERT_EQ(w.PollCycle(), 0);
    EXPECT_EQ(Text("Label_Country"), "Custom");

    w.CountryListInit();
    EXPECT_EQ(box->Items()->Count(), 32);
    driver->Pick("Combo_Country", 6);
    EXPECT_EQ(Execute(), (std::vector<Write>{{1, 9600, 797, 7}}));
    driver->Pick("Combo_Country", 31);
    EXPECT_EQ(Execute(), (std::vector<Write>{{1, 9600, 797, 42}}));
    bus.SetHolding(1, 797, 150);
    ASSERT_EQ(w.PollCycle(), 0);
    EXPECT_EQ(Text("Label_Country"), "Default");
}

// The time between the end of two frames, in milliseconds.
double GapMs(const invsim::Frame& a, const invsim::Frame& b) { return (b.timeUs - a.timeUs) / 1000.0; }

TEST_F(StatusSettings, SequencesKeepTheirOrderAndPauses)
{
    OpenWithFamilyShown();
    // Real time: each pause is measured on the frames' time stamps (at least as long as asked
    // for). That no pause lies where none belongs is counted, not timed, so that a busy machine
    // cannot fail it: the blocking pauses, and the pumped 10 ms steps between two frames.
    struct CountingClock : testsupport::HookedTime {
        std::atomic<int> steps{0};
        std::atomic<int> frames{0};
        std::vector<std::pair<int, int>> sleeps;   // frames received before it, milliseconds
        void WaitTenMs() override
        {
            HookedTime::WaitTenMs();   // the settle step: the simulator has seen what was sent
            ++steps;
        }
        void Sleep(int ms) override
        {
            sleeps.emplace_back(frames.load(), ms);
            HookedTime::Sleep(ms);
        }
    } clock;
    clock.settle = SettleOnBus();
    std::mutex stepsMutex;
    std::vector<int> stepsAtFrame;
    bus.OnFrame([&](const invsim::Frame&) {
        std::lock_guard<std::mutex> lock(stepsMutex);
        stepsAtFrame.push_back(clock.steps.load());
        ++clock.frames;
    });
    vcl::SetTimeService(&clock);
    struct Restore {
        invsim::Bus& bus;
        testsupport::HookedTime& time;
        ~Restore()
        {
            bus.OnFrame({});
            vcl::SetTimeService(&time);
        }
    } restore{bus, time};
    // Between two writes without a pause the program only waits for the echo and takes its
    // short pause before a request: far fewer steps than the shortest pause (200 ms) would be.
    constexpr int kStepsOfShortestPause = 20;
    struct Case {
        const char* button;
        std::vector<std::pair<int, int>> writes;   // register, value
        std::vector<int> pausesMs;                 // after write k (0: none)
    };
    std::vector<std::pair<int, int>> cloud;
    for (int c : {24628, 24629, 24624, 24597, 24643})
        cloud.push_back({c, 0xFF00});
    for (auto rv : {std::pair{60416, 512}, {60416, 1024}, {60566, 0xFF00}, {60567, 0x55AA}})
        cloud.push_back(rv);
    for (int j = 0; j < 20; ++j) {
        cloud.push_back({60566, j});
        cloud.push_back({60567, 0});
    }
    std::vector<int> cloudPauses(cloud.size(), 0);
    for (int k = 0; k < 5; ++k)
        cloudPauses[static_cast<size_t>(k)] = 500;
    const Case cases[] = {
        {"Btn_ClearEnergy", {{24628, 0xFF00}, {24629, 0xFF00}}, {500, 0}},
        {"Btn_ClearCloudRegister", cloud, cloudPauses},
        {"Btn_PowerLimit2500",
         {{33595, 2500}, {44032, 0x5137}, {44033, 0x2E30}, {44034, 0x5F33}, {44035, 0x3834}, {44036, 0}, {44037, 0},
          {44038, 0}, {44039, 0}},
         {200, 200, 200, 200, 200, 0, 0, 0, 0}},
        {"Btn_Unlock", {{25411, 1}, {48384, 1}}, {200, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.button);
        driver->Click(c.button);
        bus.ClearFrames();
        {
            std::lock_guard<std::mutex> lock(stepsMutex);
            stepsAtFrame.clear();
            clock.frames = 0;
            clock.sleeps.clear();
        }
        ASSERT_EQ(window->ExecutePendingCommand(), 0);
        const auto frames = bus.Frames();
        ASSERT_EQ(frames.size(), c.writes.size());
        std::vector<int> steps;
        {
            std::lock_guard<std::mutex> lock(stepsMutex);
            steps = stepsAtFrame;
        }
        ASSERT_EQ(steps.size(), frames.size());
        std::vector<std::pair<int, int>> pauses;
        for (size_t k = 0; k < c.pausesMs.size(); ++k)
            if (c.pausesMs[k] > 0)
                pauses.emplace_back(static_cast<int>(k) + 1, c.pausesMs[k]);
        EXPECT_EQ(clock.sleeps, pauses);
        EXPECT_EQ(cloud.size(), 49u);
        for (size_t k = 0; k < frames.size(); ++k) {
            const auto& f = frames[k];
            EXPECT_EQ(f.bytes[0], 1);
            EXPECT_EQ((f.bytes[2] << 8 | f.bytes[3]) + 1, c.writes[k].first) << k;
            EXPECT_EQ(f.bytes[4] << 8 | f.bytes[5], c.writes[k].second) << k;
            EXPECT_EQ(f.bytes[1], c.writes[k].first < 40000 && c.writes[k].first >= 24576 && c.writes[k].first <= 24643 ? 5 : 6) << k;
            // A pause lies between the end of one write and the end of the next; a write
            // without one follows after a few steps of the echo's wait.
            if (k + 1 < frames.size()) {
                const int pause = c.pausesMs[k];
                if (pause > 0)
                    EXPECT_GE(GapMs(f, frames[k + 1]), pause) << k;
                else
                    EXPECT_LT(steps[k + 1] - steps[k], kStepsOfShortestPause) << k;
            }
        }
    }
    // Constant voltage on: two writes, no pause.
    window->StatusLabels.Status.ConstVolt->SetChecked(false);
    driver->MouseDown("Check_ConstVolt");
    bus.ClearFrames();
    ASSERT_EQ(window->ExecutePendingCommand(), 0);
    EXPECT_EQ(Writes(), (std::vector<Write>{{1, 9600, 824, 0}, {1, 9600, 825, 1024}}));
    EXPECT_TRUE(dialogs.shown.isEmpty());
}

TEST_F(StatusSettings, GainCalibrationWorkedExamples)
{
    OpenWithFamilyShown();
    TForm_Main& w = *window;
    auto counts = [&](int page, int v, int i, int p) {
        bus.With(1, [&](invsim::Inverter& inv) {
            inv.SetMeasurementWord(page, 12, static_cast<std::uint16_t>(v));
            inv.SetMeasurementWord(page, 13, static_cast<std::uint16_t>(i));
            inv.SetMeasurementWord(page, 14, static_cast<std::uint16_t>(p));
        });
    };
    // Input 3: the gain set and the ADC page of input 3.
    driver->Pick("Combo_GainSelect", 2);
    EXPECT_EQ(Execute(), (std::vector<Write>{{1, 9600, 33536, 50}, {1, 9600, 800, 50}}));
    EXPECT_EQ(Text("Label_GainSelect"), "2");
    // Voltage low point 200.0 V at count 1000: boundary 1000, low gain 2000 x 4096 / 1000.
    // Each count is read right after its own page select.
    counts(50, 1000, 0, 3000);
    driver->Enter("Edit_GainCaliVdcLow", "200");
    EXPECT_EQ(Execute(), (std::vector<Write>{{1, 9600, 800, 50}, {1, 9600, 33538, 1000}, {1, 9600, 33539, 8192}}));
    EXPECT_EQ(dialogs.TakeShown(), QStringList({"1000"}));
    ASSERT_GE(bus.Frames().size(), 2u);
    EXPECT_EQ(bus.Frames()[1].bytes[1], 4);
    // High point 400.0 V at count 3000: (4000 - 2000) x 4096 / (3000 - 1000).
    counts(50, 3000, 0, 3000);
    driver->Enter("Edit_GainCaliVdcHigh", "400");
    EXPECT_EQ(Execute(), (std::vector<Write>{{1, 9600, 800, 50}, {1, 9600, 33537, 4096}}));
    // Power low point 1500 W at count 3000.
    driver->Enter("Edit_GainCaliPdcLow", "1500");
    EXPECT_EQ(Execute(), (std::vector<Write>{{1, 9600, 800, 50}, {1, 9600, 33544, 3000}, {1, 9600, 33545, 2048}}));
    EXPECT_TRUE(dialogs.TakeShown().isEmpty());   // only the voltage shows its count
    // A high point at the low point's own count computes nothing.
    const std::vector<Write> pageOnly{{1, 9600, 800, 50}};
    driver->Enter("Edit_GainCaliPdcHigh", "1600");
    EXPECT_EQ(Execute(), pageOnly);
    // Count 0: "Error - No ADC", nothing written.
    driver->Enter("Edit_GainCaliIdcLow", "5.5");
    EXPECT_EQ(Execute(), pageOnly);
    EXPECT_EQ(dialogs.TakeShown(), QStringList({"Error - No ADC"}));
    // No reply to the count: nothing computed from it, and the user is told.
    counts(50, 1000, 800, 3000);
    invsim::Fault refuse;
    refuse.kind = invsim::FaultKind::Exception;
    refuse.param = 2;
    refuse.times = 2;
    bus.AddFault(1, refuse);
    driver->Enter("Edit_GainCaliIdcLow", "5.5");
    EXPECT_EQ(Execute(), pageOnly);
    driver->Enter("Edit_GainCaliIdcHigh", "9");
    EXPECT_EQ(Execute(), pageOnly);
    EXPECT_EQ(dialogs.TakeShown(), QStringList({"Error - No ADC", "Error - No ADC"}));
    // Input 4 with no low point yet: the high point divides by the count itself.
    driver->Pick("Combo_GainSelect", 3);
    EXPECT_EQ(Execute(), (std::vector<Write>{{1, 9600, 33536, 51}, {1, 9600, 800, 51}}));
    counts(51, 500, 0, 0);
    driver->Enter("Edit_GainCaliVdcHigh", "100");
    EXPECT_EQ(Execute(), (std::vector<Write>{{1, 9600, 800, 51}, {1, 9600, 33537, 8192}}));
    EXPECT_EQ(w.Link.CalibrationIndex, 3);
    EXPECT_EQ(w.Link.CalibrationPoints[2][0], 2000);
    EXPECT_EQ(w.Link.CalibrationPoints[2][3], 1000);

    // The ADC panel's reader left another page selected (the N-bus, with a count): the count is
    // still read from the calibrated input's page, so no ADC and no gain from the N-bus count.
    counts(51, 0, 0, 0);
    counts(65, 2946, 0, 0);
    ASSERT_EQ(w.Link.Request(800, 65, 6), 0);
    driver->Enter("Edit_GainCaliVdcLow", "200");
    EXPECT_EQ(Execute(), (std::vector<Write>{{1, 9600, 800, 51}}));
    EXPECT_EQ(dialogs.TakeShown(), QStringList({"Error - No ADC"}));
}

} // namespace

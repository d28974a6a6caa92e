// The protection page of the real window against the simulated inverter: the limits as the
// panels show them, every limit edit's write on the wire, the grid's bounds on the slow
// frequency stage, and the red-to-blue round trip of a value label.
#include "MonitorFixture.h"

#include "tools/invsim/Faults.h"

namespace {

using namespace monitortest;

class ProtectionPage : public MonitorWindow {
protected:
    // The "Config" page of the access code 4780 (country, voltage and frequency protection).
    void OpenConfigPage(const char* code = "4780", int tab = 1)
    {
        Prepare();
        dialogs.answers.push_back(code);
        driver->ChooseTab("PageControl", tab);
        OpenWithoutLoop();
    }
    // The register writes (function 6) on the wire since the last ClearFrames.
    std::vector<std::pair<int, int>> Writes() const
    {
        std::vector<std::pair<int, int>> out;
        for (const auto& f : bus.Frames())
            if (f.bytes.size() >= 6 && f.bytes[1] == 6)
                out.emplace_back((f.bytes[2] << 8 | f.bytes[3]) + 1, f.bytes[4] << 8 | f.bytes[5]);
        return out;
    }
};

TEST_F(ProtectionPage, ShowsTheLimitsAndMarksASilentInverter)
{
    OpenConfigPage();
    ASSERT_TRUE(driver->Visible("Label_UHighOFF"));
    ASSERT_TRUE(driver->Visible("Label_ULowONSlow2"));   // the wide panel of this mode
    ASSERT_EQ(window->PollCycle(), 0);
    const std::pair<const char*, const char*> expected[] = {
        {"Label_UHighOFF", "264.5 V"}, {"Label_UHighOFFTime", "0.20 Sec"}, {"Label_UHighON", "253.0 V"},
        {"Label_ULowOFF", "184.0 V"}, {"Label_UHighOFFSlow", "253.0 V"}, {"Label_UHighOFFSlowTime", "3.00 Sec"},
        {"Label_UHighOFFSlow2", "260.0 V"}, {"Label_ULowONSlow2", "207.0 V"},
        {"Label_FHighOFF", "52.00 Hz"}, {"Label_FHighON", "50.05 Hz"}, {"Label_FLowOFFSlow", "48.00 Hz"},
        {"Label_FLowOFFSlowTime", "5.00 Sec"},
    };
    for (const auto& [name, text] : expected) {
        EXPECT_EQ(Text(name), text) << name;
        EXPECT_EQ(driver->Color(name), vcl::clBlue) << name;
    }
    EXPECT_TRUE(Writes().empty());

    // The inverter falls silent: the shown limits turn into red "??".
    invsim::Fault silence;
    silence.kind = invsim::FaultKind::Silence;
    bus.AddFault(1, silence);
    for (int cycle = 0; cycle < 12 && driver->Color("Label_UHighOFF") != vcl::clRed; ++cycle)
        if (window->PollCycle() != 0)
            break;
    // One whole cycle more: the marking may have come after the frequency reader in its cycle.
    ASSERT_EQ(window->PollCycle(), 0);
    for (const char* name : {"Label_UHighOFF", "Label_ULowONSlow2"}) {
        EXPECT_EQ(Text(name), "??") << name;
        EXPECT_EQ(driver->Color(name), vcl::clRed) << name;
    }
    // The frequency reader paints its labels blue after every read, answered or not: the "??"
    // stays, in blue.
    EXPECT_EQ(Text("Label_FLowOFFSlowTime"), "??");
    EXPECT_EQ(driver->Color("Label_FLowOFFSlowTime"), vcl::clBlue);
}

TEST_F(ProtectionPage, EveryEditWritesItsRegisterInItsScale)
{
    OpenConfigPage();
    ASSERT_EQ(window->PollCycle(), 0);
    struct Case {
        const char* edit;
        const char* text;
        int reg;
        int value;
    };
    const Case cases[] = {
        {"Edit_UHighOFF", "253.05", 33552, 2530},
        {"Edit_UHighOFFTime", "0.16", 33553, 16},
        {"Edit_ULowONSlow", "207", 33563, 2070},
        {"Edit_UHighOFFSlowTime2", "0.5", 48177, 50},
        {"Edit_ULowOFFSlow2", "6553.5", 48179, 65535},   // no bound here but the register's
        {"Edit_FHighOFF", "70", 33568, 7000},              // the fast stage has no bound
        {"Edit_FLowOFFTime", "655.35", 33572, 65535},
        // The slow stage is held to the grid's range.
        {"Edit_FHighOFFSlow", "70", 33610, 6500},
        {"Edit_FHighOFFSlow", "64.5", 33610, 6450},
        {"Edit_FHighOFFSlow", "400", 33610, 6500},         // clamped before the cut, no wrap past it
        {"Edit_FHighOFFSlow", "-1", 33610, 0},             // nor a negative word
        {"Edit_FHighONSlow", "66", 33612, 6500},
        {"Edit_FHighOFFSlowTime", "700", 33611, 60000},
        {"Edit_FLowOFFSlowTime", "600", 33614, 60000},
        {"Edit_FLowOFFSlowTime", "1000", 33614, 60000},    // 100000 would wrap to 34464
        {"Edit_FLowOFFSlow", "44", 33613, 4500},
        {"Edit_FLowOFFSlow", "-1e9", 33613, 4500},         // beyond 32 bits: raised, never 0
        {"Edit_FLowONSlow", "-1", 33615, 4500},
        {"Edit_FLowONSlow", "47.5", 33615, 4750},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.edit) + " " + c.text);
        const QString label = QStringLiteral("Label_") + QString::fromLatin1(c.edit).mid(5);
        bus.ClearFrames();
        driver->Enter(c.edit, c.text);
        EXPECT_EQ(driver->Color(label), vcl::clRed);
        ASSERT_EQ(window->PollCycle(), 0);   // readers skip, the command runs at the cycle's end
        EXPECT_EQ(Writes(), (std::vector<std::pair<int, int>>{{c.reg, c.value}}));
        ASSERT_EQ(window->PollCycle(), 0);   // read back: blue again
        EXPECT_EQ(driver->Color(label), vcl::clBlue);
    }
    // Another key than Enter posts nothing.
    bus.ClearFrames();
    driver->Type("Edit_UHighOFF", "250");
    driver->PressKey("Edit_UHighOFF", 'A');
    ASSERT_EQ(window->PollCycle(), 0);
    EXPECT_TRUE(Writes().empty());
    EXPECT_EQ(window->Link.CommandCode, 0);
}

TEST_F(ProtectionPage, AustraliaSetShowsAndWrites)
{
    bus.SetInput(1, 1793, 2);
    OpenConfigPage("2059", 1);
    ASSERT_TRUE(driver->Visible("Label_DRM"));
    ASSERT_EQ(window->PollCycle(), 0);
    EXPECT_EQ(Text("Label_DRM"), "2");
    EXPECT_EQ(Text("Label_UHighOn2"), "253.0 V");
    EXPECT_EQ(Text("Label_PuStopVolt"), "265.0 V");
    bus.ClearFrames();
    driver->Enter("Edit_PuStopVolt", "270.4");
    ASSERT_EQ(window->PollCycle(), 0);
    EXPECT_EQ(Writes(), (std::vector<std::pair<int, int>>{{48551, 2704}}));
    ASSERT_EQ(window->PollCycle(), 0);
    EXPECT_EQ(Text("Label_PuStopVolt"), "270.4 V");
}

} // namespace

namespace {

using namespace monitortest;

// The switched protections: each press, edit and pick on the wire, and what a reader's check of
// a radio does (nothing).
class SwitchPage : public MonitorWindow {
protected:
    void Open(const char* mode, const char* code, int tab)
    {
        Prepare(mode);
        dialogs.answers.push_back(code);
        driver->ChooseTab("PageControl", tab);
        OpenWithoutLoop();
    }
    struct Write {
        int fc;
        int reg;
        int value;
        bool operator==(const Write&) const = default;
    };
    std::vector<Write> Writes() const
    {
        std::vector<Write> out;
        for (const auto& f : bus.Frames())
            if (f.bytes.size() >= 6 && (f.bytes[1] == 5 || f.bytes[1] == 6))
                out.push_back({f.bytes[1], (f.bytes[2] << 8 | f.bytes[3]) + 1, f.bytes[4] << 8 | f.bytes[5]});
        return out;
    }
    struct Case {
        const char* control;
        const char* action;   // "press", "right", "enter TEXT", "pick N"
        Write expected;
        const char* label;    // painted red, then blue; nullptr: none
    };
    void Run(const Case& c)
    {
        SCOPED_TRACE(std::string(c.control) + " " + c.action);
        bus.ClearFrames();
        const QString action = QString::fromLatin1(c.action);
        if (action == "press") {
            driver->MouseDown(c.control);
        } else if (action == "right") {
            auto* r = dynamic_cast<vcl::TControl*>(driver->Find(c.control));
            ASSERT_TRUE(r && r->OnMouseDown);
            r->OnMouseDown(r, vcl::mbRight, {}, 1, 1);
        } else if (action.startsWith("enter ")) {
            driver->Enter(c.control, action.mid(6));
        } else if (action.startsWith("pick ")) {
            driver->Pick(c.control, action.mid(5).toInt());
        }
        if (c.label) {
            EXPECT_EQ(driver->Color(c.label), vcl::clRed);
        }
        ASSERT_EQ(window->PollCycle(), 0);
        EXPECT_EQ(Writes(), std::vector<Write>{c.expected});
        ASSERT_EQ(window->PollCycle(), 0);
        if (c.label) {
            EXPECT_EQ(driver->Color(c.label), vcl::clBlue);
        }
    }
};

TEST_F(SwitchPage, InsulationGroundCurrentAndDcInjectionWrite)
{
    Open("Monitor", "7352", 1);
    ASSERT_EQ(window->PollCycle(), 0);
    EXPECT_TRUE(driver->Checked("Radio_InsulatON"));
    EXPECT_EQ(Text("Label_LeakageR2_Avg"), "1920");
    EXPECT_EQ(Text("Label_GroundCurrAmp"), "0.3 A");
    EXPECT_EQ(Text("Label_DcInjAmp"), "0.50 A");
    EXPECT_TRUE(driver->Checked("Radio_DcInjOFF"));
    // The readers checked radios from code: nothing was written.
    EXPECT_TRUE(Writes().empty());
    const Case cases[] = {
        {"Radio_InsulatON", "press", {5, 24641, 0xFF00}, nullptr},
        {"Radio_InsulatOFF", "press", {5, 24641, 0}, nullptr},
        {"Edit_RLimit", "enter 350", {6, 33584, 350}, "Label_RLimit"},
        {"Edit_RLimit", "enter 65535", {6, 33584, 65535}, "Label_RLimit"},
        {"Radio_GroundCurrON", "press", {5, 24642, 0xFF00}, nullptr},
        {"Radio_GroundCurrOFF", "press", {5, 24642, 0}, nullptr},
        {"Edit_GroundCurrAmp", "enter 0.3", {6, 33593, 3}, "Label_GroundCurrAmp"},
        {"Edit_GroundCurrTime", "enter 1.5", {6, 33594, 15}, "Label_GroundCurrTime"},
        {"Radio_DcInjON", "right", {5, 24640, 0xFF00}, nullptr},   // any mouse button
        {"Radio_DcInjOFF", "press", {5, 24640, 0}, nullptr},
        {"Edit_DcInjAmp", "enter 0.3", {6, 33576, 30}, "Label_DcInjAmp"},
        {"Edit_DcInjTime", "enter 0.2", {6, 33577, 2}, "Label_DcInjTime"},
    };
    for (const Case& c : cases)
        Run(c);
}

TEST_F(SwitchPage, CommProtectionWritesARegister)
{
    Open("Monitor", "2059", 1);
    ASSERT_EQ(window->PollCycle(), 0);
    EXPECT_TRUE(driver->Checked("Radio_CommProtectionON"));
    EXPECT_EQ(Text("Label_CommProDisTime"), "60 Sec");
    const Case cases[] = {
        {"Radio_CommProtectionOFF", "press", {6, 25412, 0}, nullptr},
        {"Radio_CommProtectionON", "press", {6, 25412, 1}, nullptr},
        {"Edit_CommProDisTime", "enter 120", {6, 25413, 120}, "Label_CommProDisTime"},
    };
    for (const Case& c : cases)
        Run(c);
    EXPECT_EQ(Text("Label_CommProDisTime"), "120 Sec");
}

TEST_F(SwitchPage, DryContactModesWriteTheirCode)
{
    Open("Storage", "2059", 2);
    ASSERT_TRUE(driver->Visible("Combo_DryContact2_Mode"));
    ASSERT_EQ(window->PollCycle(), 0);
    EXPECT_EQ(Text("Label_DryContact1_Mode"), "On Grid");
    EXPECT_EQ(Text("Label_DryContact2_Mode"), "Alarm");
    EXPECT_EQ(driver->Items("Combo_DryContact1_Mode"),
              (QStringList{"Disable", "On Grid", "Fan Fail", "Insulation", "Alarm", "Error", "Fault", "Warning"}));
    const Case cases[] = {
        {"Combo_DryContact2_Mode", "pick 7", {6, 48174, 7}, "Label_DryContact2_Mode"},
        {"Combo_DryContact1_Mode", "pick 0", {6, 48173, 0}, "Label_DryContact1_Mode"},
    };
    for (const Case& c : cases)
        Run(c);
    EXPECT_EQ(Text("Label_DryContact2_Mode"), "Warning");
}

} // namespace

namespace {

using namespace monitortest;

// The relay panels take their writes from the protection page's fixture.
class RelayPage : public ProtectionPage {};

TEST_F(RelayPage, AlarmClassesWriteTheWordOfTheRelayReadFromThisInverter)
{
    Prepare("Storage");
    dialogs.answers.push_back("2059");
    driver->ChooseTab("PageControl", 2);
    OpenWithoutLoop();
    ASSERT_EQ(window->PollCycle(), 0);
    EXPECT_EQ(Text("Label_SelectRelay"), "Relay 1");
    EXPECT_EQ(Text("Label_MultiRelay1"), "2: Power Production");

    // Relay 1's word (no class set) gets its error bit.
    bus.ClearFrames();
    driver->MouseDown("Check_Relay1AllError");
    ASSERT_EQ(window->PollCycle(), 0);
    EXPECT_EQ(Writes(), (std::vector<std::pair<int, int>>{{52748, 1}}));

    // Relay 2 chosen: nothing is written until its own word was read.
    bus.ClearFrames();
    driver->Pick("Combo_SelectRelay", 1);
    EXPECT_EQ(Text("Label_SelectRelay"), "Relay 2");
    driver->MouseDown("Check_Relay1AllWarning");
    EXPECT_EQ(window->Link.CommandCode, 0);
    ASSERT_EQ(window->PollCycle(), 0);   // reads relay 2: all errors and faults
    EXPECT_TRUE(Writes().empty());
    EXPECT_EQ(Text("Label_MultiRelay1"), "1: Fault/Error/Warning");
    driver->MouseDown("Check_Relay1AllWarning");
    ASSERT_EQ(window->PollCycle(), 0);
    EXPECT_EQ(Writes(), (std::vector<std::pair<int, int>>{{52760, 7}}));

    // The inverter chosen again (as after a scan or a mode switch): the word is gone.
    bus.ClearFrames();
    window->ExeSelectInv(0);
    driver->MouseDown("Check_Relay1AllFault");
    EXPECT_EQ(window->Link.CommandCode, 0);
}

} // namespace

// The status, night-mode, country and service readers against the simulated inverter, with the
// real kit controls: the texts of the tables, the switches that follow the inverter's words,
// the hidden register behind its unlock, and what a reader never does.
#include "GroupsTestSupport.h"

#include "common/Tables.h"
#include "groups/Service.h"
#include "groups/Status.h"

namespace {

using namespace groupstest;

const char* const kPanels[] = {"Group_Status", "Group_NightMode", "Group_Country", "Group_Factory",
                               "Group_AcTerminal", "Group_FanTest", "Group_MPPTSwitch", "Group_VIPGain",
                               "Group_K4PSetting", "Group_CalibrateInput"};

class StatusOnPty : public GroupsOnPty {
protected:
    void SetUp() override
    {
        GroupsOnPty::SetUp();
        if (HasFatalFailure())
            return;
        int top = 1250;
        for (const char* name : kPanels) {
            auto* p = MakeGroupPanel(*form, name, top);
            p->SetHeight(480);
            top += 480;
        }
        status = groups::BuildStatusGroups(*form);
        service = groups::BuildServiceGroups(*form);
        bus.With(1, [](invsim::Inverter& inv) { invsim::LoadDemoInverter(inv); });
        names = {CountryNames1, 100};
    }
    // Every reader of the family once, in the polling loop's order.
    void ReadAll(int stateTable = 0)
    {
        ASSERT_EQ(groups::ReadMpptSwitch(link, service.Mppt, 0), 0);
        ASSERT_EQ(groups::ReadCountrySet(link, names, status.Country, 0), 0);
        ASSERT_EQ(groups::ReadAcTerminal(link, service.AcTerminal, 0), 0);
        ASSERT_EQ(groups::ReadFactory(link, service.Factory, 0), 0);
        ASSERT_EQ(groups::ReadGain(link, service.Gain, 0), 0);
        ASSERT_EQ(groups::ReadFanTest(link, service.FanTest, 0), 0);
        ASSERT_EQ(groups::ReadStatus(link, ctx, status.Status, stateTable, 0), 0);
        ASSERT_EQ(groups::ReadEuSet(link, service.EuSet, 0), 0);
        ASSERT_EQ(groups::ReadNightMode(link, status.NightMode, 0), 0);
    }
    // The reader of the group panel that holds the control.
    void ReadGroupOf(const char* control, int stateTable)
    {
        vcl::TControl* c = dynamic_cast<vcl::TControl*>(form->FindComponent(QString::fromLatin1(control)));
        while (c && !c->Name().startsWith("Group_") )
            c = c->Parent();
        while (c && c->Parent() && c->Parent()->Name().startsWith("Group_"))
            c = c->Parent();   // a part (Group_ConstVolt) inside its group
        ASSERT_NE(c, nullptr) << control;
        const QString panel = c->Name();
        int r = -1;
        if (panel == "Group_Status") r = groups::ReadStatus(link, ctx, status.Status, stateTable, 0);
        if (panel == "Group_NightMode") r = groups::ReadNightMode(link, status.NightMode, 0);
        if (panel == "Group_Country") r = groups::ReadCountrySet(link, names, status.Country, 0);
        if (panel == "Group_Factory") r = groups::ReadFactory(link, service.Factory, 0);
        if (panel == "Group_AcTerminal") r = groups::ReadAcTerminal(link, service.AcTerminal, 0);
        if (panel == "Group_FanTest") r = groups::ReadFanTest(link, service.FanTest, 0);
        if (panel == "Group_MPPTSwitch") r = groups::ReadMpptSwitch(link, service.Mppt, 0);
        if (panel == "Group_VIPGain") r = groups::ReadGain(link, service.Gain, 0);
        if (panel == "Group_K4PSetting") r = groups::ReadEuSet(link, service.EuSet, 0);
        ASSERT_EQ(r, 0) << panel.toStdString();
    }
    bool Checked(const char* name) const
    {
        vcl::TComponent* c = form->FindComponent(QString::fromLatin1(name));
        if (auto* r = dynamic_cast<vcl::TRadioButton*>(c))
            return r->Checked();
        return dynamic_cast<vcl::TCheckBox*>(c)->Checked();
    }
    // Frames that write (function codes 5 and 6) since the last ClearFrames.
    std::vector<invsim::Frame> Writes() const
    {
        std::vector<invsim::Frame> w;
        for (const auto& f : bus.Frames())
            if (f.bytes[1] == 5 || f.bytes[1] == 6)
                w.push_back(f);
        return w;
    }

    groups::StatusGroups status;
    groups::ServiceGroups service;
    groups::CountryNameList names;
};

TEST_F(StatusOnPty, DemoInverterFillsEveryPanel)
{
    state.PowerMultiplier = 10;
    ReadAll();
    const std::pair<const char*, const char*> shown[] = {
        {"Label_InvStatus", "On Grid(2)"}, {"Label_ReclosureT", "0 s"}, {"Label_ConstVolt", "230.0V"},
        {"Label_MaxPower", "5,000 W"}, {"Label_WarningOccur", "Lock"}, {"Label_Country", "Germany LV"},
        {"Label_LanguageSelect", "English"}, {"Label_ReclosureSet", "60.00 sec"}, {"Label_InverterID", "1"},
        {"Label_Baudrate", "9600"}, {"Label_SaveData", "0"}, {"Label_FanDuty", "50"},
        {"Label_GainIndex", "Input1"}, {"Label_VoltHighGain", "4102"}, {"Label_PowertBoundary", "2400"},
        {"Label_VoltLowGainRed", "4085"}, {"Label_AFCICount", "3"}, {"Label487", "12"},
        {"Label_EUShadowMode", "Noon"}, {"Label_EUShadowInterval", "30"},
    };
    for (const auto& [name, text] : shown) {
        EXPECT_EQ(Text(name), text) << name;
        EXPECT_EQ(Colour(name), vcl::clBlue) << name;
    }
    for (const char* on : {"Radio_RemoteON", "Radio_NightModeON", "Label_GridLockOFF", "Radio_RepairOFF",
                           "Radio_3P4W", "Radio_FanOFF", "Radio_MPPTSwitchON1", "Radio_MPPTSwitchON2",
                           "Radio_MPPTSwitchOFF3", "Radio_MPPTSwitchOFF6", "Radio_EUParallelOFF", "Radio_EUEffOFF"})
        EXPECT_TRUE(Checked(on)) << on;
    EXPECT_FALSE(Checked("Check_ConstVolt"));
    EXPECT_EQ(host.panels[2], "Night M...");
}

// One register changed at a time from the demonstration values: the text or switch expected.
TEST_F(StatusOnPty, RegistersShowAsTheirTablesSay)
{
    struct Case {
        const char* what;
        char kind;   // 'h' holding, 'i' input, 'c' coil
        int reg;
        int value;
        int multiplier;
        int stateTable;
        const char* control;
        const char* expected;   // a text, or "checked" / "unchecked"
    };
    const Case cases[] = {
        {"state 2, table 0", 'i', 1048, 2, 1, 0, "Label_InvStatus", "On Grid(2)"},
        {"state 2, table 1", 'i', 1048, 2, 1, 1, "Label_InvStatus", "Unknown(2)"},
        {"state 15, table 1", 'i', 1048, 15, 1, 1, "Label_InvStatus", "Solar2 MPPT (15)"},
        {"state beyond both tables", 'i', 1048, 65535, 1, 0, "Label_InvStatus", "Unknown(65535)"},
        {"state with a table of no texts", 'i', 1048, 3, 1, 2, "Label_InvStatus", "(3)"},
        {"reclosure countdown", 'i', 1049, 30, 1, 0, "Label_ReclosureT", "30 s"},
        {"maximum power 250 x 10", 'h', 33595, 250, 10, 0, "Label_MaxPower", "2,500 W"},
        {"maximum power 1000", 'h', 33595, 1000, 1, 0, "Label_MaxPower", "1000 W"},
        {"maximum power 1001", 'h', 33595, 1001, 1, 0, "Label_MaxPower", "1,001 W"},
        {"maximum power 65535 x 10", 'h', 33595, 65535, 10, 0, "Label_MaxPower", "655,350 W"},
        {"constant voltage on", 'h', 825, 1024, 1, 0, "Check_ConstVolt", "checked"},
        {"constant voltage 0x0401 is not on", 'h', 825, 0x0401, 1, 0, "Check_ConstVolt", "unchecked"},
        {"grid lock by the second register", 'h', 48384, 1, 1, 0, "Label_WarningOccur", "Lock"},
        {"remote off", 'c', 24576, 0, 1, 0, "Radio_RemoteOFF", "checked"},
        {"night mode by bit 6 with bit 1 set", 'h', 48158, 0x0042, 1, 0, "Radio_NightModeON", "checked"},
        {"night mode off, grid lock on", 'h', 48158, 0x0002, 1, 0, "Radio_NightModeOFF", "checked"},
        {"grid lock switch on", 'h', 48158, 0x0002, 1, 0, "Label_GridLockON", "checked"},
        {"country code 7", 'h', 797, 7, 1, 0, "Label_Country", "Greece"},
        {"country code 6 has no name", 'h', 797, 6, 1, 0, "Label_Country", ""},
        {"country code 150 beyond the built-in list", 'h', 797, 150, 1, 0, "Label_Country", "Default"},
        {"country code 300", 'h', 797, 300, 1, 0, "Label_Country", "Default"},
        {"language 5", 'h', 48162, 5, 1, 0, "Label_LanguageSelect", "Nederlands"},
        {"language 7", 'h', 48162, 7, 1, 0, "Label_LanguageSelect", ""},
        {"bit rate 38400", 'h', 33821, 4, 1, 0, "Label_Baudrate", "38400"},
        {"bit rate code 5 keeps the row before's text", 'h', 33821, 5, 1, 0, "Label_Baudrate", "38400"},
        {"inverter ID", 'h', 48163, 17, 1, 0, "Label_InverterID", "17"},
        {"repair on", 'c', 24609, 1, 1, 0, "Radio_RepairON", "checked"},
        {"three-wire terminal", 'c', 24649, 1, 1, 0, "Radio_3P3W", "checked"},
        {"the same coil is the EU parallel mode", 'c', 24649, 1, 1, 0, "Radio_EUParallelON", "checked"},
        {"fan test by the low byte 0x0120", 'h', 824, 0x0120, 1, 0, "Radio_FanON", "checked"},
        {"fan test 0x0010 is off", 'h', 824, 0x0010, 1, 0, "Radio_FanOFF", "checked"},
        {"fan duty behind bit 15", 'h', 807, 0x8032, 1, 0, "Label_FanDuty", "50"},
        {"gain index 50", 'h', 33536, 50, 1, 0, "Label_GainIndex", "Input3"},
        {"gain index 67", 'h', 33536, 67, 1, 0, "Label_GainIndex", "Error(67)"},
        {"gain index 66", 'h', 33536, 66, 1, 0, "Label_GainIndex", "Total Bus"},
        {"gain index 17", 'h', 33536, 17, 1, 0, "Label_GainIndex", "Output2(out)"},
        {"gain words are unsigned", 'h', 33545, 0xFFFF, 1, 0, "Label_PowerLowGain", "65535"},
        {"efficiency mode", 'c', 24619, 1, 1, 0, "Radio_EUEffON", "checked"},
        {"shadow mode 4", 'h', 48432, 4, 1, 0, "Label_EUShadowMode", "All Day"},
        {"shadow mode 7", 'h', 48432, 7, 1, 0, "Label_EUShadowMode", "Error"},
        {"shadow interval raw", 'h', 48433, 50, 1, 0, "Label_EUShadowInterval", "50"},
        {"hidden AFCI count", 'x', 1128, 9, 1, 0, "Label_AFCICount", "9"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        bus.With(1, [&](invsim::Inverter& inv) {
            invsim::LoadDemoInverter(inv);
            switch (c.kind) {
            case 'h': inv.SetHolding(c.reg, static_cast<std::uint16_t>(c.value)); break;
            case 'i': inv.SetInput(c.reg, static_cast<std::uint16_t>(c.value)); break;
            case 'c': inv.SetCoil(c.reg, c.value != 0); break;
            case 'x': inv.SetHiddenInput(c.reg, static_cast<std::uint16_t>(c.value)); break;
            }
        });
        state.PowerMultiplier = c.multiplier;
        ReadGroupOf(c.control, c.stateTable);
        if (QLatin1String(c.expected) == QLatin1String("checked")) {
            EXPECT_TRUE(Checked(c.control)) << c.control;
        } else if (QLatin1String(c.expected) == QLatin1String("unchecked")) {
            EXPECT_FALSE(Checked(c.control)) << c.control;
        } else {
            EXPECT_EQ(Text(c.control), QString::fromUtf8(c.expected)) << c.control;
            EXPECT_EQ(Colour(c.control), vcl::clBlue) << c.control;
        }
    }
}

TEST_F(StatusOnPty, CountryNamesFromTheModeListOrTheSecondBuiltInList)
{
    // The mode's list as read from its file, line ends kept.
    QString file[300];
    file[0] = "Default\n";
    file[1] = "Custom\n";
    file[2] = "\n";
    file[3] = "Netherlands\n";
    const struct { groups::CountryNameList list; int code; const char* name; } cases[] = {
        {{file, 300}, 3, "Netherlands"},
        {{file, 300}, 2, ""},
        {{file, 300}, 250, ""},     // a code no line of the file reaches
        {{file, 300}, 256, "Default"},
        {{CountryNames2, 100}, 28, "Germany LV"},
        {{CountryNames2, 100}, 7, ""},
        {{CountryNames2, 100}, 100, ""},   // code 0 of the second list has no name
        {{CountryNames1, 100}, 99, ""},
        {{CountryNames1, 100}, 42, "Namibia"},
    };
    for (const auto& c : cases) {
        names = c.list;
        bus.SetHolding(1, 797, static_cast<std::uint16_t>(c.code));
        ASSERT_EQ(groups::ReadCountrySet(link, names, status.Country, 0), 0);
        EXPECT_EQ(Text("Label_Country"), c.name) << c.code;
    }
}

TEST_F(StatusOnPty, AfciCountIsReadRightAfterItsUnlockAndOnlyThen)
{
    ReadAll();
    // The only write of all the readers is the unlock, and the hidden read follows it at once.
    const auto writes = Writes();
    ASSERT_EQ(writes.size(), 1u);
    EXPECT_EQ(invsim::HexText(writes[0].bytes, " "), "01 06 03 3F 3D 9B E8 B9");
    const auto frames = bus.Frames();
    for (size_t i = 0; i + 1 < frames.size(); ++i) {
        if (frames[i].bytes[1] == 6) {
            EXPECT_EQ(invsim::HexText(frames[i + 1].bytes, " "), "01 04 04 67 00 01 81 25");
        }
    }
    EXPECT_EQ(Text("Label_AFCICount"), "3");

    // Every run unlocks again; the simulator serves the count only right after the unlock.
    bus.ClearFrames();
    bus.With(1, [](invsim::Inverter& inv) { inv.SetHiddenInput(1128, 4); });
    ASSERT_EQ(groups::ReadEuSet(link, service.EuSet, 0), 0);
    EXPECT_EQ(Writes().size(), 1u);
    EXPECT_EQ(Text("Label_AFCICount"), "4");
    ASSERT_EQ(link.Request(1128, 1, 4), 0);
    EXPECT_FALSE(groups::Accepted(link, 4));

    // A hidden panel writes nothing.
    bus.ClearFrames();
    dynamic_cast<vcl::TControl*>(form->FindComponent("Group_K4PSetting"))->SetVisible(false);
    ASSERT_EQ(groups::ReadEuSet(link, service.EuSet, 0), 0);
    EXPECT_TRUE(bus.Frames().empty());
}

TEST_F(StatusOnPty, RejectedRepliesLeaveEachStepsControls)
{
    state.PowerMultiplier = 10;
    ReadAll();
    ASSERT_EQ(Text("Label_MaxPower"), "5,000 W");
    // The status block's fourth request (maximum power) gets an exception; the others pass.
    bus.With(1, [](invsim::Inverter& inv) {
        inv.SetHolding(33595, 1);
        inv.SetHolding(829, 2400);
    });
    invsim::Fault pass;
    pass.kind = invsim::FaultKind::Delay;
    pass.param = 0;
    pass.times = 3;
    invsim::Fault refuse;
    refuse.kind = invsim::FaultKind::Exception;
    refuse.param = 2;
    refuse.times = 1;
    bus.AddFault(1, pass);
    bus.AddFault(1, refuse);
    ASSERT_EQ(groups::ReadStatus(link, ctx, status.Status, 0, 0), 0);
    EXPECT_EQ(Text("Label_MaxPower"), "5,000 W");
    EXPECT_EQ(Text("Label_ConstVolt"), "240.0V");
}

TEST_F(StatusOnPty, ReadersFollowTheFrame)
{
    for (const char* name : kPanels)
        dynamic_cast<vcl::TControl*>(form->FindComponent(name))->SetVisible(false);
    ReadAll();
    EXPECT_TRUE(bus.Frames().empty());
    for (const char* name : kPanels)
        dynamic_cast<vcl::TControl*>(form->FindComponent(name))->SetVisible(true);
    link.CommandCode = 6;
    ReadAll();
    EXPECT_TRUE(bus.Frames().empty());
    link.CommandCode = 0;
    EXPECT_EQ(groups::ReadStatus(link, ctx, status.Status, 0, 1), 1);
    EXPECT_EQ(groups::ReadEuSet(link, service.EuSet, 1), 1);
    bus.Stop();
    EXPECT_EQ(groups::ReadCountrySet(link, names, status.Country, 0), 1);
    EXPECT_EQ(groups::ReadEuSet(link, service.EuSet, 0), 1);
}

TEST(MpptSwitchStates, ByteCountDecidesTheCoding)
{
    struct Case { std::vector<std::uint8_t> data; bool decoded; std::array<bool, 6> on; };
    const Case cases[] = {
        {{1, 0, 1, 0, 0, 1}, true, {true, false, true, false, false, true}},
        {{2, 1, 0, 0, 0xFF, 1}, true, {false, true, false, false, false, true}},
        {{0x25}, true, {true, false, true, false, false, true}},
        {{0xC0}, true, {false, false, false, false, false, false}},
        {{1, 1}, false, {false, false, false, false, false, false}},
    };
    for (const Case& c : cases) {
        std::array<bool, 6> on{};
        EXPECT_EQ(groups::MpptSwitchStates(c.data.data(), static_cast<int>(c.data.size()), on), c.decoded);
        EXPECT_EQ(on, c.on);
    }
}

} // namespace

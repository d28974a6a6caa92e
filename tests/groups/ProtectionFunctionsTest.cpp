// The protection functions' readers: dark current, EPO, islanding, anti-islanding, arc
// detection, anti-PID and fault ride-through.
#include "GroupsTestSupport.h"

#include "groups/ProtectionFunctions.h"

namespace {

using namespace groupstest;

class Functions : public GroupsOnPty {
protected:
    void SetUp() override
    {
        GroupsOnPty::SetUp();
        if (HasFatalFailure())
            return;
        for (const char* name : {"Group_DarkCurrent", "Group_EPO", "Group_Islanding", "Group_AntiIsland",
                                 "Group_ARCTest", "Group_AntiPid", "Group_LVFR"})
            MakeGroupPanel(*form, name, 1250);
        g = groups::BuildProtectionFunctionGroups(*form);
        bus.With(1, [](invsim::Inverter& inv) { invsim::LoadDemoProtection(inv); });
    }
    bool Checked(const char* name) const
    {
        return dynamic_cast<vcl::TRadioButton*>(form->FindComponent(QString::fromLatin1(name)))->Checked();
    }
    int ReadAll()
    {
        return groups::ReadDarkCurrent(link, g, *form, 0) | groups::ReadEpo(link, g, *form, 0)
            | groups::ReadIslanding(link, g, *form, 0) | groups::ReadAntiIslanding(link, g, *form, 0)
            | groups::ReadArc(link, g, *form, 0) | groups::ReadAntiPid(link, g, *form, 0)
            | groups::ReadFrt(link, g, *form, 0);
    }
    groups::ProtectionFunctionGroup g;
};

TEST_F(Functions, DemoValuesShowAsTheirTexts)
{
    ASSERT_EQ(ReadAll(), 0);
    const std::pair<const char*, const char*> expected[] = {
        {"Label_DarkCurrentState", "Dark Current Standby for Night"}, {"Label_DarkCurrentStringSelect", "3"},
        {"Label_DarkCurrentStringCurrent", "1.50 A"}, {"Label_DarkCurrentEnergy", "12345"},
        {"Label_DarkCurrentRuntime", "1:2:5"}, {"Label_EPO1_Mode", "Normal Close"}, {"Label_EPO2_Mode", "Normal Open"},
        {"Label_IslandingMode", "ON"}, {"Label_AntiIslandMode", "ON"}, {"Label_ARC_FaultStatus", "Normal"},
        {"Label_AntiPidTripTime", "30"}, {"Label_AntiPidState", "Ready"},
        {"Label_FRTMode", "Enable"}, {"Label_T1Time", "0.15 sec"}, {"Label_UacFault", "20 %"},
        {"Label_DeadBandUmax", "110 %"}, {"Label_KFactor", "2.0"}, {"Label_HVRT_Mode", "Enable"},
        {"Label_HVRT_V2", "125 %"}, {"Label_HVRT_T2", "1.00 sec"},
    };
    for (const auto& [name, text] : expected)
        EXPECT_EQ(Text(name), text) << name;
    for (const char* name : {"Radio_DarkCurrentEnable", "Radio_DarkCurrentPowerOFF", "Radio_DarkCurrentTime30Min",
                             "Radio_ARC_Enable"})
        EXPECT_TRUE(Checked(name)) << name;
    EXPECT_EQ(bus.Frames().size(), 10u);
    for (const auto& f : bus.Frames())
        EXPECT_NE(f.bytes[1], 6);   // readers only read
}

TEST_F(Functions, DarkCurrentRules)
{
    struct Case {
        std::vector<std::uint16_t> block;   // words 0..4
        std::uint16_t runLow;
        const char* state;
        const char* current;
        const char* checked;   // time radio checked afterwards
        const char* runtime;
    };
    const Case cases[] = {
        {{3, 16, 2, 0xFF9C, 3600}, 0x0E10, "No support Dark current Function", "-1.00 A", "Radio_DarkCurrentTime60Min", "1:0:0"},
        {{0, 12, 2, 50, 900}, 59, "No support Dark current Function", "0.50 A", "Radio_DarkCurrentTime60Min", "0:0:59"},
        {{0, 15, 2, 0, 600}, 3661, "Other Fail", "0.00 A", "Radio_DarkCurrentTime10Min", "1:1:1"},
    };
    for (const Case& c : cases) {
        for (int k = 0; k < 5; ++k)
            bus.SetHolding(1, 48976 + k, c.block[static_cast<std::size_t>(k)]);
        bus.SetInput(1, 49257, c.runLow);
        ASSERT_EQ(groups::ReadDarkCurrent(link, g, *form, 0), 0);
        EXPECT_EQ(Text("Label_DarkCurrentState"), c.state);
        EXPECT_EQ(Text("Label_DarkCurrentStringCurrent"), c.current);
        EXPECT_TRUE(Checked(c.checked)) << c.checked;
        EXPECT_EQ(Text("Label_DarkCurrentRuntime"), c.runtime);
        EXPECT_EQ(Checked("Radio_DarkCurrentEnable"), (c.block[0] & 1) != 0);
        EXPECT_EQ(Checked("Radio_DarkCurrentPowerON"), (c.block[0] & 2) != 0);
    }
    EXPECT_EQ(groups::RunTimeText(-61), "0:-1:-1");   // a signed count truncates toward zero
}

TEST_F(Functions, ValuesOutsideTheTablesLeaveOrEmptyTheText)
{
    ASSERT_EQ(ReadAll(), 0);
    auto* island = groups::FindLabel(*form, "Label_IslandingMode");
    island->Font()->SetColor(vcl::clRed);
    bus.SetHolding(1, 33580, 1);
    bus.SetHolding(1, 33648, 1);
    bus.SetHolding(1, 48384, 7);
    bus.SetHolding(1, 25420, 9);
    bus.SetHolding(1, 853, 3);
    ASSERT_EQ(ReadAll(), 0);
    EXPECT_EQ(Text("Label_IslandingMode"), "ON");   // kept, yet painted blue
    EXPECT_EQ(island->Font()->Color(), vcl::clBlue);
    EXPECT_EQ(Text("Label_AntiIslandMode"), "ON");
    EXPECT_EQ(Text("Label_ARC_FaultStatus"), "Normal");
    EXPECT_EQ(Text("Label_AntiPidState"), "");
    EXPECT_EQ(Text("Label_FRTMode"), "Enable");
    bus.SetCoil(1, 24652, true);
    bus.SetHolding(1, 48384, 1);
    ASSERT_EQ(groups::ReadArc(link, g, *form, 0), 0);
    EXPECT_TRUE(Checked("Radio_ARC_Disable"));
    EXPECT_EQ(Text("Label_ARC_FaultStatus"), "Lock");
}

TEST_F(Functions, RideThroughBlocksStandAlone)
{
    // The high-voltage block unanswered after an accepted low-voltage block.
    bus.With(1, [](invsim::Inverter& inv) { inv = invsim::Inverter(1, 9600); });
    for (int k = 0; k < 9; ++k)
        bus.SetHolding(1, 853 + k, static_cast<std::uint16_t>(k));
    for (const char* name : {"Label_T1Time", "Label_HVRT_V1"})
        groups::FindLabel(*form, name)->Font()->SetColor(vcl::clRed);
    ASSERT_EQ(groups::ReadFrt(link, g, *form, 0), 0);
    EXPECT_EQ(Text("Label_FRTMode"), "Disable");
    EXPECT_EQ(Text("Label_T1Time"), "0.01 sec");
    EXPECT_EQ(Colour("Label_T1Time"), vcl::clBlue);
    EXPECT_EQ(Text("Label_HVRT_V1"), "??");
    EXPECT_EQ(Colour("Label_HVRT_V1"), vcl::clRed);
}

} // namespace

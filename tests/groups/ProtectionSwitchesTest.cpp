// The switched protections' readers: insulation (with its three ways to the average), ground
// current and DC injection, comm protection and the dry contacts' modes.
#include "GroupsTestSupport.h"

#include "groups/ProtectionSwitches.h"

namespace {

using namespace groupstest;

class Switches : public GroupsOnPty {
protected:
    void SetUp() override
    {
        GroupsOnPty::SetUp();
        if (HasFatalFailure())
            return;
        for (const char* name : {"Group_Insulation", "Group_GroundCurr", "Group_DcInj", "Group_CommProtection",
                                 "Group_DryContact"})
            MakeGroupPanel(*form, name, 1250);
        g = groups::BuildProtectionSwitchGroups(*form);
    }
    bool Checked(const char* name) const
    {
        return dynamic_cast<vcl::TRadioButton*>(form->FindComponent(QString::fromLatin1(name)))->Checked();
    }
    // (function, register) of every request since the last ClearFrames.
    std::vector<std::pair<int, int>> Asked() const
    {
        std::vector<std::pair<int, int>> out;
        for (const auto& f : bus.Frames())
            out.emplace_back(f.bytes[1], (f.bytes[2] << 8 | f.bytes[3]) + 1);
        return out;
    }
    groups::ProtectionSwitchGroup g;
};

TEST_F(Switches, InsulationReadsItsAverageByTheStateTable)
{
    bus.With(1, [](invsim::Inverter& inv) { invsim::LoadDemoProtection(inv); });
    bus.SetInput(1, 1131, 777);
    struct Case {
        int table;
        const char* r1;
        const char* r2;
        std::vector<std::pair<int, int>> asked;
    };
    const Case cases[] = {
        {0, "1850", "1920", {{1, 24641}, {4, 53288}, {4, 53504}, {3, 33584}}},
        {1, "777", "", {{1, 24641}, {6, 832}, {4, 1131}, {4, 53504}, {3, 33584}}},
        {2, "777", "", {{1, 24641}, {4, 53504}, {3, 33584}}},   // nothing for the average
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.table);
        bus.ClearFrames();
        ASSERT_EQ(groups::ReadInsulation(link, g, *form, c.table, 0), 0);
        EXPECT_EQ(Asked(), c.asked);
        EXPECT_EQ(Text("Label_LeakageR1_Avg"), c.r1);
        EXPECT_EQ(Text("Label_LeakageR2_Avg"), c.r2);
    }
    // The unlock value on the wire: 01 06 03 3F 21 45.
    bus.ClearFrames();
    ASSERT_EQ(groups::ReadInsulation(link, g, *form, 1, 0), 0);
    const auto unlock = bus.Frames()[1].bytes;
    EXPECT_EQ(std::vector<int>(unlock.begin(), unlock.begin() + 6), (std::vector<int>{1, 6, 0x03, 0x3F, 0x21, 0x45}));
    EXPECT_TRUE(Checked("Radio_InsulatON"));
    EXPECT_FALSE(Checked("Radio_InsulatOFF"));
    const std::pair<const char*, const char*> expected[] = {
        {"Label_LeakageR1_Max", "2400"}, {"Label_LeakageR1_Min", "1500"}, {"Label_LeakageR2_Max", "2450"},
        {"Label_LeakageR2_Min", "1600"}, {"Label_RLimit", "400"},
    };
    for (const auto& [name, text] : expected)
        EXPECT_EQ(Text(name), text) << name;
    bus.SetCoil(1, 24641, false);
    ASSERT_EQ(groups::ReadInsulation(link, g, *form, 0, 0), 0);
    EXPECT_TRUE(Checked("Radio_InsulatOFF"));
    EXPECT_FALSE(Checked("Radio_InsulatON"));
}

TEST_F(Switches, LimitsSwitchesAndModes)
{
    bus.With(1, [](invsim::Inverter& inv) { invsim::LoadDemoProtection(inv); });
    bus.SetHolding(1, 33593, 25);
    bus.SetHolding(1, 33576, 25);
    ASSERT_EQ(groups::ReadGroundCurrent(link, g, *form, 0), 0);
    ASSERT_EQ(groups::ReadDcInjection(link, g, *form, 0), 0);
    EXPECT_EQ(Text("Label_GroundCurrAmp"), "2.5 A");
    EXPECT_EQ(Text("Label_DcInjAmp"), "0.25 A");
    EXPECT_EQ(Text("Label_GroundCurrTime"), "0.3 Sec");
    EXPECT_EQ(Text("Label_DcInjTime"), "0.5 Sec");
    EXPECT_TRUE(Checked("Radio_GroundCurrON"));
    EXPECT_TRUE(Checked("Radio_DcInjOFF"));
    EXPECT_EQ(host.panels[2], "Dc Inj...");

    // Comm protection: the low byte of the mode word is the switch.
    const std::pair<std::uint16_t, bool> modes[] = {{0x0101, true}, {0x0100, false}, {0x0001, true}, {0x0002, false}};
    for (const auto& [word, on] : modes) {
        bus.SetHolding(1, 25412, word);
        ASSERT_EQ(groups::ReadCommProtection(link, g, *form, 0), 0);
        EXPECT_EQ(Checked("Radio_CommProtectionON"), on) << word;
        EXPECT_EQ(Checked("Radio_CommProtectionOFF"), !on) << word;
    }
    EXPECT_EQ(Text("Label_CommProDisTime"), "60 Sec");

    // Dry contacts: the low three bits pick the mode.
    const std::pair<std::uint16_t, const char*> contacts[] = {
        {0x000F, "Warning"}, {0x000B, "Insulation"}, {0x0108, "Disable"}, {2, "Fan Fail"}, {6, "Fault"},
    };
    for (const auto& [word, text] : contacts) {
        bus.SetHolding(1, 48174, word);
        ASSERT_EQ(groups::ReadDryContact(link, g, *form, 0), 0);
        EXPECT_EQ(Text("Label_DryContact2_Mode"), text) << word;
        EXPECT_EQ(Text("Label_DryContact1_Mode"), "On Grid");
    }
}

TEST_F(Switches, UnansweredBlocksLeaveTheirLabels)
{
    // Only the coils answer: the limits keep their texts; ground current stays red, the comm
    // protection's time and the resistance limit turn blue even so.
    bus.SetCoil(1, 24642, true);
    for (const char* name : {"Label_GroundCurrAmp", "Label_CommProDisTime", "Label_RLimit", "Label_DryContact1_Mode"})
        groups::FindLabel(*form, QString::fromLatin1(name))->Font()->SetColor(vcl::clRed);
    ASSERT_EQ(groups::ReadGroundCurrent(link, g, *form, 0), 0);
    ASSERT_EQ(groups::ReadCommProtection(link, g, *form, 0), 0);
    ASSERT_EQ(groups::ReadInsulation(link, g, *form, 0, 0), 0);
    ASSERT_EQ(groups::ReadDryContact(link, g, *form, 0), 0);
    EXPECT_TRUE(Checked("Radio_GroundCurrON"));
    EXPECT_EQ(Colour("Label_GroundCurrAmp"), vcl::clRed);
    EXPECT_EQ(Colour("Label_DryContact1_Mode"), vcl::clRed);
    EXPECT_EQ(Colour("Label_CommProDisTime"), vcl::clBlue);
    EXPECT_EQ(Colour("Label_RLimit"), vcl::clBlue);
    for (const char* name : {"Label_GroundCurrAmp", "Label_CommProDisTime", "Label_RLimit", "Label_DryContact1_Mode"})
        EXPECT_EQ(Text(name), "??") << name;
}

} // namespace

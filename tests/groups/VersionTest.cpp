// The version reader: identity labels, scale factors, signed values, status panels 6 and 7.
#include "GroupsTestSupport.h"

namespace {

using namespace groupstest;

class VersionOnPty : public GroupsOnPty {
protected:
    void SetUp() override
    {
        GroupsOnPty::SetUp();
        // The header band's protocol label and pictures live outside the group.
        protocol = new vcl::TLabel(form.get());
        protocol->SetName("Label_InvProtocol");
        protocol->SetParent(form.get());
        vantoSun = new vcl::TImage(form.get());
        vantoSun->SetName("Image_VantoSun");
        vantoSun->SetParent(form.get());
        sunVanto = new vcl::TImage(form.get());
        sunVanto->SetName("Image_SunVanto");
        sunVanto->SetParent(form.get());
        ver = groups::FindVersionGroup(*form);
        bus.With(1, [](invsim::Inverter& inv) { invsim::LoadDemoInverter(inv); });
    }
    // The 14 serial bytes of the identity block (words 12..18).
    void SetIdentitySerial(const std::string& bytes14)
    {
        for (int w = 0; w < 7; ++w)
            bus.SetInput(1, 40963 + 12 + w,
                         static_cast<std::uint16_t>(static_cast<std::uint8_t>(bytes14[2 * w]) << 8 |
                                                    static_cast<std::uint8_t>(bytes14[2 * w + 1])));
    }
    vcl::TLabel* protocol = nullptr;
    vcl::TImage* vantoSun = nullptr;
    vcl::TImage* sunVanto = nullptr;
};

TEST_F(VersionOnPty, DemoInverterFillsTheGroupAndSetsTheFactors)
{
    state.ShowFirmwareDates = 1;
    ASSERT_EQ(groups::ReadVersion(link, ctx, ver, 0), 0);
    EXPECT_EQ(host.panels[2], "Version...");
    EXPECT_EQ(protocol->Caption(), "Vanto");
    EXPECT_EQ(protocol->Font()->Color(), vcl::clGreen);
    EXPECT_TRUE(vantoSun->Visible());
    EXPECT_FALSE(sunVanto->Visible());
    EXPECT_EQ(Text("Label_Display_Rev"), "V1.23");
    EXPECT_EQ(Text("Label_COMM_Date"), "Y20W09");
    EXPECT_EQ(Text("Label_DSP_Rev"), "V2.05");
    EXPECT_EQ(Text("Label_DSP_Date"), "Y20W18");
    EXPECT_EQ(Text("Label_Redundant_Rev"), "V1.49");
    EXPECT_EQ(Text("Label_RED_Date"), "Y21W02");
    for (const char* name : {"Label_COMM_Date", "Label_DSP_Date", "Label_RED_Date", "Label1022", "Label1023", "Label1024"})
        EXPECT_TRUE(Shown(name)) << name;
    EXPECT_EQ(Text("Label_ARC_Rev"), ".");           // no arc-detection board
    EXPECT_FALSE(ver.ArcCaption->Visible());
    EXPECT_EQ(Text("Label_SCM_Rev"), "V3.16");
    EXPECT_TRUE(ver.ScmCaption->Visible());
    EXPECT_EQ(Text("Label_Sub1G_Rev"), "V1.02");
    EXPECT_TRUE(ver.Sub1GCaption->Visible());
    EXPECT_EQ(Text("Label_VantoSN"), "SV5K20A123456");
    EXPECT_EQ(Colour("Label_VantoSN"), vcl::clBlue);
    EXPECT_EQ(Text("Label_ModelName"), "SUNVANE-5K-3P");
    EXPECT_EQ(state.PhaseCount, 3);
    EXPECT_EQ(state.IdcDivisor, 10);
    EXPECT_EQ(state.PowerMultiplier, 10);
    EXPECT_EQ(state.EnergyMultiplier, 10);
    EXPECT_EQ(state.IacDivisor, 10);
    EXPECT_EQ(state.VoltageDivisor, 100);
    EXPECT_EQ(state.SignedValues, 1);
    EXPECT_EQ(host.panels[6], "Idc:10 ; P:10 ; E:10 ; Iac:10 ; V:100");
    EXPECT_EQ(host.panels[7], "Type:0x2105");
    // Protocol, identity, model, type, Sub-1G: five requests in this order.
    const auto frames = bus.Frames();
    ASSERT_EQ(frames.size(), 5u);
    const std::pair<int, int> expected[] = {{3, 801}, {4, 40962}, {3, 44031}, {3, 25337}, {3, 60672}};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(frames[i].bytes[1], expected[i].first);
        EXPECT_EQ(frames[i].bytes[2] << 8 | frames[i].bytes[3], expected[i].second);
    }
}

TEST_F(VersionOnPty, DeviceVariants)
{
    struct Case {
        const char* what;
        std::uint16_t protocol, phases, descriptor, type, arc;
        const char* protocolText;
        bool sunVantoShown;
        const char* factors;
        const char* typeText;
        std::uint8_t signedValues;
    };
    const Case cases[] = {
        {"single phase without descriptor", 0, 1, 0, 0x2105, 0x0101, "Vanto", false,
         "Idc:100 ; P:1 ; E:1 ; Iac:100 ; V:10", "Type:0x2105", 1},
        {"SunSpec, unsigned type", 5, 3, 0x2D5C, 0x2205, 0xFF00, "SunSpec", true,
         "Idc:10 ; P:10 ; E:10 ; Iac:1 ; V:10", "Type:0x2205", 0},
        {"unknown protocol", 3, 3, 0x0001, 0x31ab, 0x0212, "???", true,
         "Idc:100 ; P:1 ; E:10 ; Iac:100 ; V:10", "Type:0x31AB", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        bus.SetHolding(1, 802, c.protocol);
        bus.SetInput(1, 40963 + 24, c.phases);
        bus.SetInput(1, 40963 + 32, c.descriptor);
        bus.SetInput(1, 40963 + 6, c.arc);
        bus.SetHolding(1, 25338, c.type);
        ASSERT_EQ(groups::ReadVersion(link, ctx, ver, 0), 0);
        EXPECT_EQ(protocol->Caption(), c.protocolText);
        EXPECT_EQ(protocol->Font()->Color(), vcl::clGreen);
        EXPECT_EQ(sunVanto->Visible(), c.sunVantoShown);
        EXPECT_EQ(vantoSun->Visible(), !c.sunVantoShown);
        EXPECT_EQ(host.panels[6], c.factors);
        EXPECT_EQ(host.panels[7], c.typeText);
        EXPECT_EQ(state.SignedValues, c.signedValues);
        EXPECT_EQ(ver.ArcCaption->Visible(), (c.arc >> 8) != 255);
        EXPECT_EQ(Text("Label_ARC_Rev"), (c.arc >> 8) == 255 ? QString(".") : groups::VersionText(c.arc));
    }
}

// The device type's high byte decides whether power and current words are signed: a device
// that feeds back shows its negative power with a sign, not as a huge positive number.
TEST_F(VersionOnPty, SignedDeviceTypesShowNegativePowerWithItsSign)
{
    std::vector<std::uint16_t> block(30, 0);
    block[0] = 0xFFF6;   // total power -10, times the demo inverter's power factor 10
    block[3] = 0xFFF6;   // phase R power
    SetOutputBlock(block);
    bus.SetCoil(1, 24649, false);
    struct Case { std::uint16_t type; bool isSigned; };
    const Case cases[] = {
        {0x2000, true}, {0x20FF, true}, {0x2105, true}, {0x21FF, true},
        {0x3000, true}, {0x30A5, true}, {0x3100, true}, {0x31FF, true},
        {0x0000, false}, {0x0020, false}, {0x0130, false}, {0x1F00, false},
        {0x1FFF, false}, {0x2200, false}, {0x2F30, false}, {0x3200, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.type);
        bus.SetHolding(1, 25338, c.type);
        ASSERT_EQ(groups::ReadVersion(link, ctx, ver, 0), 0);
        ASSERT_EQ(state.PowerMultiplier, 10);
        EXPECT_EQ(state.SignedValues, c.isSigned ? 1 : 0);
        ASSERT_EQ(groups::ReadOutput(link, ctx, output, 0), 0);
        EXPECT_EQ(Text("Label_PacR"), c.isSigned ? "-100 W" : "655260 W");
        EXPECT_EQ(Text("Label_TotalOutputPower"), c.isSigned ? "-100W" : "655260W");
    }
}

TEST_F(VersionOnPty, SerialNumberKeepsDigitsAndCapitalsOnly)
{
    SetIdentitySerial(std::string("A1-23 B4x\x01\x7F@:Z\0", 14));
    ASSERT_EQ(groups::ReadVersion(link, ctx, ver, 0), 0);
    EXPECT_EQ(Text("Label_VantoSN"), "A123B4@:Z");
}

TEST_F(VersionOnPty, TypeWithItsOwnSerialBlock)
{
    bus.SetHolding(1, 25338, 0x1107);
    // Reply bytes 0..13: byte 0, then the pairs swapped; byte 1 unused; a control byte dropped.
    const std::uint8_t bytes[14] = {'K', '?', 'V', '2', '0', '1', '2', '\x02', 'X', 'Y', '9', '8', '7', '6'};
    for (int w = 0; w < 7; ++w)
        bus.SetHolding(1, 24832 + w, static_cast<std::uint16_t>(bytes[2 * w] << 8 | bytes[2 * w + 1]));
    ASSERT_EQ(groups::ReadVersion(link, ctx, ver, 0), 0);
    EXPECT_EQ(Text("Label_VantoSN"), "K2V102YX8967");
    EXPECT_EQ(state.SignedValues, 0);
    EXPECT_EQ(host.panels[7], "Type:0x1107");
}

TEST_F(VersionOnPty, DatesHiddenWhenTheModeSaysSo)
{
    state.ShowFirmwareDates = 0;
    ASSERT_EQ(groups::ReadVersion(link, ctx, ver, 0), 0);
    EXPECT_EQ(Text("Label_COMM_Date"), "Y20W09");
    for (const char* name : {"Label_COMM_Date", "Label_DSP_Date", "Label_RED_Date", "Label1022", "Label1023", "Label1024"})
        EXPECT_FALSE(Shown(name)) << name;
}

// Rejected replies change nothing: the factors, the signed flag and the serial number stay
// those of the last accepted read.
TEST_F(VersionOnPty, RejectedRepliesKeepWhatWasRead)
{
    ASSERT_EQ(groups::ReadVersion(link, ctx, ver, 0), 0);
    ASSERT_EQ(state.SignedValues, 1);
    // Every reply of the next run is an exception.
    invsim::Fault f;
    f.kind = invsim::FaultKind::Exception;
    bus.AddFault(1, f);
    ASSERT_EQ(groups::ReadVersion(link, ctx, ver, 0), 0);
    EXPECT_EQ(state.SignedValues, 1);
    EXPECT_EQ(state.VoltageDivisor, 100);
    EXPECT_EQ(Text("Label_VantoSN"), "SV5K20A123456");
    EXPECT_EQ(Text("Label_ModelName"), "SUNVANE-5K-3P");
    EXPECT_EQ(Text("Label_Sub1G_Rev"), ".");
    EXPECT_FALSE(ver.Sub1GCaption->Visible());
    EXPECT_EQ(host.panels[7], "Type:0x0000");
    EXPECT_EQ(host.panels[6], "Idc:10 ; P:10 ; E:10 ; Iac:10 ; V:100");
}

TEST_F(VersionOnPty, HiddenGroupAndVanishedLine)
{
    version->SetVisible(false);
    EXPECT_EQ(groups::ReadVersion(link, ctx, ver, 0), 0);
    EXPECT_EQ(groups::ReadVersion(link, ctx, ver, 1), 1);
    EXPECT_TRUE(bus.Frames().empty());
    version->SetVisible(true);
    bus.Stop();
    EXPECT_EQ(groups::ReadVersion(link, ctx, ver, 0), 1);
}

TEST(VersionTexts, VersionAndWeek)
{
    EXPECT_EQ(groups::VersionText(0x0117), "V1.23");
    EXPECT_EQ(groups::VersionText(0x0205), "V2.05");
    EXPECT_EQ(groups::VersionText(0x017B), "V1.123");
    EXPECT_EQ(groups::BuildWeekText(0x1409), "Y20W09");
}

} // namespace

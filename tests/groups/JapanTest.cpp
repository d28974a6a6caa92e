// The Japanese-market groups on the simulator: what the readers request and in which order, the
// texts they show (versions, device texts without control bytes, the state, the code tables of
// both user-setting layouts), the mask words they keep, and that they write nothing.
#include "GroupsTestSupport.h"

#include "groups/Japan.h"
#include "tools/invsim/Faults.h"

namespace {

using namespace groupstest;

class Japan : public GroupsOnPty {
protected:
    void SetUp() override
    {
        GroupsOnPty::SetUp();
        if (HasFatalFailure())
            return;
        int top = 1250;
        for (const char* name : {"Group_JapanSet", "Group_JapanSet3P", "Group_JapanVersion", "Group_Japan_RemoteCtrl",
                                 "Group_ShipmentTest", "Group_JapanProtectSet", "Group_UserSetJapan3P", "Group_JapUserSet",
                                 "Group_JapUserSet_Old"}) {
            MakeGroupPanel(*form, name, top)->SetBounds(0, top, 300, 920);
            top += 925;
        }
        g = groups::BuildJapanGroups(*form);
        bus.With(1, [](invsim::Inverter& inv) { invsim::LoadDemoInverter(inv); });
    }
    bool Checked(const char* name) const { return dynamic_cast<vcl::TRadioButton*>(form->FindComponent(name))->Checked(); }
    void Holding(int reg, int v) { bus.SetHolding(1, reg, static_cast<std::uint16_t>(v)); }
    void Input(int reg, int v) { bus.SetInput(1, reg, static_cast<std::uint16_t>(v)); }
    void Hide(vcl::TWinControl* p) { p->SetVisible(false); }
    // (function code, 1-based register) of every request since the last ClearFrames.
    std::vector<std::pair<int, int>> Requests() const
    {
        std::vector<std::pair<int, int>> out;
        for (const auto& f : bus.Frames())
            out.emplace_back(f.bytes[1], (f.bytes[2] << 8 | f.bytes[3]) + 1);
        return out;
    }
    bool OnlyReads() const
    {
        for (const auto& [fc, reg] : Requests())
            if (fc != 1 && fc != 3 && fc != 4)
                return false;
        return true;
    }
    groups::JapanGroups g;
};

TEST_F(Japan, SetReadsItsBlocksInOrderAndShowsIdentityAndState)
{
    // A serial and a model with control bytes in them; versions and weeks as words.
    const std::uint16_t serial[7] = {0x4A50, 0x0135, 0x4B00, 0x3132, 0x7F33, 0x3435, 0x3637};   // "JP\x01" "5K\0" ...
    for (int k = 0; k < 7; ++k)
        Input(40975 + k, serial[k]);
    const char* model = "SV-5.5K-JP-X\tYZW";   // 16 bytes; a tab among the first 13
    for (int k = 0; k < 8; ++k)
        Holding(44032 + k, model[2 * k] << 8 | model[2 * k + 1]);
    Input(1040, 0x0300);
    Input(1041, 20 << 8 | 45);
    Input(1044, 2 << 8 | 123);
    bus.ClearFrames();
    ASSERT_EQ(groups::ReadJapanSet(link, g, *form, 0), 0);
    const std::vector<std::pair<int, int>> order = {
        {1, 24576}, {1, 24577}, {1, 24595}, {1, 24642}, {1, 24649}, {1, 24617}, {1, 24626}, {1, 24609}, {1, 24641},
        {3, 33597}, {3, 44032}, {4, 40975}, {4, 1040}, {4, 20840}, {1, 24576}, {1, 24577}, {4, 1049}};
    EXPECT_EQ(Requests(), order);
    EXPECT_EQ(host.panels[2], "Japan...");
    const std::pair<const char*, const char*> shown[] = {
        {"Label_Rating", "5500"},           {"Label_ModelName2", "SV-5.5K-JP-X"},  {"Label_VantoSN1", "JP5K1234567"},
        {"Label_DSPVer", "V3.00"},          {"Label_DSPDate", "Y20W45"},           {"Label_RedVer", "V2.03"},
        {"Label_CommVer", "V2.123"},        {"Label_CommDate", "Y21W09"},          {"Label_DeratingTime", "12 min"},
        {"Label_JapanState", "On Grid"},    {"Label_JapanCountdown", "0 s"},
    };
    for (const auto& [name, text] : shown)
        EXPECT_EQ(Text(name), QString::fromUtf8(text)) << name;
    // The version group's copies get the same texts.
    EXPECT_EQ(Text("Label_ModelName"), "SV-5.5K-JP-X");
    EXPECT_EQ(Text("Label_VantoSN"), "JP5K1234567");
    EXPECT_TRUE(Checked("Radio_StartON"));
    EXPECT_TRUE(Checked("Radio_24577GT"));
    EXPECT_TRUE(Checked("Radio_RCMU1ON"));
    EXPECT_TRUE(Checked("Radio_RepairOFFJapan"));
    EXPECT_TRUE(Checked("Radio_GfONJapan"));
    EXPECT_EQ(link.CommandCode, 0);
    EXPECT_TRUE(OnlyReads());
}

// The state comes from the remote and stand-alone coils of requests 15 and 16; a coil read that
// is refused counts as 0.
TEST_F(Japan, StateFollowsTheModeCoils)
{
    struct Case {
        bool remote;
        bool standAlone;
        bool refuseRemote;
        const char* state;
    };
    const Case cases[] = {
        {true, true, false, "Stand alone"},
        {true, false, false, "On Grid"},
        {false, true, false, "Stop"},
        {true, true, true, "Stop"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.state);
        bus.With(1, [&](invsim::Inverter& inv) {
            inv.SetCoil(24576, c.remote);
            inv.SetCoil(24577, c.standAlone);
        });
        if (c.refuseRemote) {
            // Fourteen replies as they are, then an exception for the remote coil's second read.
            invsim::Fault pass;
            pass.kind = invsim::FaultKind::Delay;
            pass.param = 0;
            pass.times = 14;
            invsim::Fault refuse;
            refuse.kind = invsim::FaultKind::Exception;
            refuse.times = 1;
            bus.AddFault(1, pass);
            bus.AddFault(1, refuse);
        }
        ASSERT_EQ(groups::ReadJapanSet(link, g, *form, 0), 0);
        EXPECT_EQ(Text("Label_JapanState"), c.state);
        EXPECT_EQ(Checked("Radio_24577SA"), c.standAlone);
    }
}

TEST_F(Japan, ThreePhaseSetAndVersionsShowTheirWords)
{
    // Serial bytes A, B, minus, 1, 2, blank, c, d, then padding: only "0".."Z" stay.
    const std::uint16_t serial[8] = {0x4142, 0x2D31, 0x3220, 0x6364, 0, 0, 0, 0x5A00};
    for (int k = 0; k < 8; ++k)
        Input(40975 + k, serial[k]);
    ASSERT_EQ(groups::ReadJapanSet3P(link, g, *form, 0), 0);
    EXPECT_EQ(Text("Label_InvSN3"), "AB12Z");
    EXPECT_EQ(Text("Label_Version_COMM"), "V1.23");
    EXPECT_EQ(Text("Label_Date_COMM"), "Y20W09");
    EXPECT_EQ(Text("Label_Version_DSP"), "V2.05");
    EXPECT_EQ(Text("Label_Date_RED"), "Y21W02");
    EXPECT_EQ(Text("Label_Japan3P_ModelName"), "SUNVANE-5K-3P");

    ASSERT_EQ(groups::ReadJapanVersions(link, g, *form, 0), 0);
    EXPECT_EQ(Text("Label_JapanVersionCOM"), "V1.23");
    EXPECT_EQ(Text("Label_JapanVersionDSP"), "V2.05");
    EXPECT_EQ(Text("Label_JapanVersionSBMS"), "V1.04");
    EXPECT_EQ(Text("Label_JapanVersionRBMS"), "V2.01");

    // Each reader has its own gate.
    Hide(g.Version);
    bus.ClearFrames();
    ASSERT_EQ(groups::ReadJapanVersions(link, g, *form, 0), 0);
    EXPECT_TRUE(Requests().empty());
    Hide(g.Set3P);
    g.Version->SetVisible(true);
    ASSERT_EQ(groups::ReadJapanVersions(link, g, *form, 0), 0);
    EXPECT_EQ(Requests().size(), 3u);
}

TEST_F(Japan, RemoteControlShowsTheLowTwoBits)
{
    EXPECT_EQ(Text("Label_Japan_RemoteCtrlMode"), "???");
    const std::pair<int, const char*> cases[] = {{6, "Stand Alone"}, {7, "Stand Alone"}, {4, "OFF"}, {5, "ON Grid"}, {3, "ON Grid"}};
    for (const auto& [word, text] : cases) {
        Holding(25409, word);
        groups::FindLabel(*form, "Label_Japan_RemoteCtrlMode")->Font()->SetColor(vcl::clRed);
        ASSERT_EQ(groups::ReadJapanRemoteCtrl(link, g, *form, 0), 0);
        EXPECT_EQ(Text("Label_Japan_RemoteCtrlMode"), text) << word;   // 3: the text stays
        EXPECT_EQ(Colour("Label_Japan_RemoteCtrlMode"), vcl::clBlue) << word;
    }
    bus.With(1, [](invsim::Inverter& inv) { inv.SetCoil(24627, true); });
    ASSERT_EQ(groups::ReadShipmentTest(link, g, *form, 0), 0);
    EXPECT_TRUE(Checked("Radio_LEDTestON"));
}

TEST_F(Japan, ProtectMasksShowTheirBitsAndKeepTheWords)
{
    Holding(33648, 0x0105);
    Holding(33659, 1);
    Holding(25366, 0x0100);
    ASSERT_EQ(groups::ReadJapanProtect(link, g, *form, 0), 0);
    for (const char* on : {"Radio_JapanAntiActiveON", "Radio_JapanInherentON", "Radio_JapanLNOVRON", "Radio_JapanAntiPassiveOFF",
                           "Radio_JapanAdditionalOFF", "Radio_JapanL1L2OVROFF", "Radio_JapanL1L2UFROFF",
                           "Radio_JapanEnaBackToNormalModeON", "Radio_JapanFlicker1_SWON", "Radio_JapanFlicker2_SWOFF",
                           "Radio_JapanInitAction2", "Radio_JapanGroundFaultOn", "Radio_JapanRCMUOff",
                           "Radio_JapanThermalProtectOff"})
        EXPECT_TRUE(Checked(on)) << on;
    ASSERT_TRUE(g.Masks->first.valid);
    EXPECT_EQ(g.Masks->first.word, 261);
    EXPECT_EQ(g.Masks->first.slaveId, 1);
    EXPECT_EQ(g.Masks->second.word, 3);

    // Every bit clear that the panel shows; an initial action of no choice leaves the radios.
    Holding(33648, 0xFE00);
    Holding(33659, 3);
    ASSERT_EQ(groups::ReadJapanProtect(link, g, *form, 0), 0);
    for (const char* off : {"Radio_JapanAntiActiveOFF", "Radio_JapanInherentOFF", "Radio_JapanLNOVROFF", "Radio_JapanL1L2OFROFF"})
        EXPECT_TRUE(Checked(off)) << off;
    EXPECT_TRUE(Checked("Radio_JapanInitAction2"));
    EXPECT_EQ(g.Masks->first.word, 0xFE00);

    // A refused reply keeps the word.
    invsim::Fault refuse;
    refuse.kind = invsim::FaultKind::Exception;
    refuse.times = 1;
    bus.AddFault(1, refuse);
    Holding(33648, 0x0001);
    ASSERT_EQ(groups::ReadJapanProtect(link, g, *form, 0), 0);
    EXPECT_EQ(g.Masks->first.word, 0xFE00);
    EXPECT_TRUE(Checked("Radio_JapanAntiActiveOFF"));
    EXPECT_EQ(link.CommandCode, 0);
    EXPECT_TRUE(OnlyReads());
}

TEST_F(Japan, ThreePhaseUserSettingShowsItsBlocks)
{
    // A Japanese three-phase inverter's output control and voltage-rise suppression (the
    // demonstration inverter holds a 230 V grid's values in these registers).
    const std::pair<int, int> japanese[] = {{798, 1},     {799, 100},  {48514, 300}, {33616, 1},
                                            {48790, 1070}, {48791, 95}, {48792, 1090}, {48793, 50}};
    for (const auto& [reg, value] : japanese)
        Holding(reg, value);
    bus.ClearFrames();
    ASSERT_EQ(groups::ReadJapanUserSet3P(link, g, *form, 0), 0);
    const std::vector<std::pair<int, int>> order = {{1, 24641}, {3, 33648}, {1, 24576}, {3, 48154}, {3, 25411}, {3, 33552},
                                                    {3, 797},   {3, 48514}, {3, 33616}, {3, 48790}, {3, 48769}};
    EXPECT_EQ(Requests(), order);
    const std::pair<const char*, const char*> shown[] = {
        {"Label_Japan3P_RunST_Mode", "能動方式&&受動方式"},
        {"Label_Japan3P_ReclosureTime", "60 sec"},
        {"Label_Japan3P_InvID", "1"},
        {"Label_Japan3P_UHighOff", "264.5 V"},
        {"Label_Japan3P_UHighOffTime", "0.20 Sec"},
        {"Label_Japan3P_ULowOff", "184.0 V"},
        {"Label_Japan3P_FHighOff", "52.00 Hz"},
        {"Label_Japan3P_FLowOffTime", "0.20 Sec"},
        {"Label_Japan3P_ActivePowerMode", "Enable"},
        {"Label_Japan3P_PowerManage", "100 %"},
        {"Label_Japan3P_PowerManageTime", "300 sec"},
        {"Label_Japan3P_VoltageSuppressionMode", "力率一定制御"},
        {"Label_Japan3P_ReactiveStartVoltage", "107.0 V"},
        {"Label_Japan3P_ReactivePF", "0.95"},
        {"Label_Japan3P_ReactiveSuppressVoltage", "109.0 V"},
        {"Label_Japan3P_SuppressLevel", "50%"},
        {"Label_Japan3P_PowerSuppress", "Ind 0.95"},
    };
    for (const auto& [name, text] : shown) {
        EXPECT_EQ(Text(name), QString::fromUtf8(text)) << name;
        EXPECT_EQ(Colour(name), vcl::clBlue) << name;
    }
    EXPECT_TRUE(Checked("Radio_Japan3P_InsulationON"));
    EXPECT_TRUE(Checked("Radio_Japan3P_RemoteON"));
    EXPECT_TRUE(Checked("Radio_Japan3P_GridLockOFF"));
    EXPECT_TRUE(dynamic_cast<vcl::TControl*>(form->FindComponent("Btn_Japan3P_GridUnlock"))->Enabled());
    EXPECT_TRUE(OnlyReads());
}

// The rules of the three-phase block's own: bit fields, byte sums, signs and left texts.
TEST_F(Japan, ThreePhaseUserSettingDecodingRules)
{
    bus.With(1, [](invsim::Inverter& inv) {
        inv.SetCoil(24641, false);
        inv.SetCoil(24642, true);
    });
    Holding(33648, 0x000D);
    Holding(48158, 0x0042);
    Holding(48154, 4599);
    Holding(48163, 0x0102);
    Holding(25411, 0);
    Holding(797, 0x2D00);   // byte sum 45
    Holding(799, 0xFFFB);
    Holding(33616, 0x0404);   // byte sum 8
    Holding(48769, 0xFFA1);
    ASSERT_EQ(groups::ReadJapanUserSet3P(link, g, *form, 0), 0);
    EXPECT_TRUE(Checked("Radio_Japan3P_InsulationOFF"));
    EXPECT_TRUE(Checked("Radio_Japan3P_GroundCurrentON"));
    EXPECT_EQ(Text("Label_Japan3P_RunST_Mode"), QString::fromUtf8("能動方式"));
    EXPECT_TRUE(Checked("Radio_Japan3P_GridLockON"));
    EXPECT_EQ(Text("Label_Japan3P_ReclosureTime"), "45.99 sec");   // hundredths shown, not cut off
    EXPECT_EQ(Text("Label_Japan3P_InvID"), "3");
    EXPECT_FALSE(dynamic_cast<vcl::TControl*>(form->FindComponent("Btn_Japan3P_GridUnlock"))->Enabled());
    EXPECT_TRUE(Checked("Radio_Japan3P_Country50Hz"));
    EXPECT_EQ(Text("Label_Japan3P_PowerManage"), "-5 %");
    EXPECT_EQ(Text("Label_Japan3P_VoltageSuppressionMode"), QString::fromUtf8("系統電圧上昇抑"));
    EXPECT_EQ(Text("Label_Japan3P_PowerSuppress"), "Cap 0.95");

    // Codes of no text leave theirs, still painted blue; a byte sum of 47 changes no radio.
    Holding(33616, 2);
    Holding(797, 47);
    groups::FindLabel(*form, "Label_Japan3P_VoltageSuppressionMode")->Font()->SetColor(vcl::clRed);
    ASSERT_EQ(groups::ReadJapanUserSet3P(link, g, *form, 0), 0);
    EXPECT_EQ(Text("Label_Japan3P_VoltageSuppressionMode"), QString::fromUtf8("系統電圧上昇抑"));
    EXPECT_EQ(Colour("Label_Japan3P_VoltageSuppressionMode"), vcl::clBlue);
    EXPECT_TRUE(Checked("Radio_Japan3P_Country50Hz"));
    EXPECT_FALSE(Checked("Radio_Japan3P_Country60Hz"));
}

// The code tables: (word, code, current layout's text, old layout's text); "" leaves the label.
TEST(JapanUserSettingText, CodeTablesOfBothLayouts)
{
    struct Case {
        int word;
        int code;
        const char* current;
        const char* old;
    };
    const Case cases[] = {
        {0, 10, "120 V", "120 V"},     {0, 11, "", ""},                 {1, 12, "92 V", "92 V"},
        {2, 3, "2.0 sec", "2.0 sec"},  {2, 4, "", ""},                  {3, 0, "60.5 Hz", "60.6 Hz"},
        {3, 12, "61.7 Hz", "61.8 Hz"}, {4, 3, "57.3 Hz", "58.5 Hz"},    {10, 5, "51.0 Hz", "51.0 Hz"},
        {11, 0, "47.0 Hz", "48.5 Hz"}, {6, 4, "Set", "Set"},            {6, 5, "", ""},
        {7, 0, "OFF", "OFF"},          {7, 2, "107.5 V", "107.5 V"},    {7, 12, "", ""},
        {8, 1, "ON", "ON"},            {8, 2, "OFF", "OFF"},            {9, 1, "50 %", "50 %"},
        {9, 3, "0 %", "0 %"},          {12, 2, "ON", "ON"},             {13, 0, "In-door", "In-door"},
        {13, 9, "Out-door", "Out-door"}, {14, 16, "Ind 0.95", "Ind 0.95"}, {14, 42, "??", "??"},
        {15, 0, "OFF", "OFF"},         {15, 1, "105.0/107.0V", "Index1"}, {15, 11, "109.0/112.0V", "Index11"},
        {15, 12, "", ""},              {16, 10, "0.95", "0.95"},        {16, 15, "1.00", "1.00"},
        {17, 2, "Rated", "Rated"},     {18, 100, "100 %", "100 %"},     {19, 300, "300", "300"},
        {20, 2, "Gain C", "Gain C"},   {20, 3, "", ""},                 {21, 5, "6000", "6000"},
        {22, 7, "ON", "ON"},           {23, 0, "OFF", "OFF"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(groups::JapanUserSettingText(c.word, c.code, false), QString::fromUtf8(c.current)) << c.word << " " << c.code;
        EXPECT_EQ(groups::JapanUserSettingText(c.word, c.code, true), QString::fromUtf8(c.old)) << c.word << " " << c.code;
    }
}

TEST_F(Japan, UserSettingLayoutsReadTheirBlocks)
{
    Hide(g.UserSetOld);
    Holding(25344, 11);   // no text: the label stays
    Holding(25347, 12);
    Holding(25368, 0x0101);
    Holding(25369, 0x0100);
    auto* protocol = new vcl::TLabel(form.get());   // the header band's protocol label
    protocol->SetName("Label_InvProtocol");
    protocol->SetParent(form.get());
    protocol->SetCaption(QStringLiteral("Other"));
    bus.ClearFrames();
    ASSERT_EQ(groups::ReadJapanUserSet(link, g, *form, 0), 0);
    EXPECT_EQ(Requests(), (std::vector<std::pair<int, int>>{{3, 25344}, {3, 44040}, {3, 25368}}));
    EXPECT_EQ(host.panels[2], "Japan User...");
    const std::pair<const char*, const char*> shown[] = {
        {"Label_JapOVR", "??"},          {"Label_JapUVR", "80 V"},           {"Label_JapOFR60", "61.7 Hz"},
        {"Label_JapRT", "300 sec"},      {"Label_JapSuppVolt", "108 V"},     {"Label_JapIslandPass", "ON"},
        {"Label_JapConstPF", "Ind 0.95"}, {"Label_JapQU_PU", "105.0/108.0V"}, {"Label_JapQU_PF", "0.95"},
        {"Label_JapPMM", "Rated"},       {"Label_JapAPP", "100 %"},          {"Label_JapAPS", "300"},
        {"Label_JapActiveIslanding", "Gain A"}, {"Label_JapGroundFault", "ON"}, {"Label_JapIDsetting", "1"},
        {"Label_JapanCurrBackflowProtect", "ON"}, {"Label_JapanTraceLoad", "OFF"}, {"Label_JapUFRDelayTime", "??"},
    };
    for (const auto& [name, text] : shown)
        EXPECT_EQ(Text(name), QString::fromUtf8(text)) << name;
    EXPECT_EQ(Colour("Label_JapOVR"), vcl::clBlue);
    EXPECT_EQ(Text("Label_InvProtocol"), "Vanto");

    // Both panels: the old one shows its own bases and the UFR time of the current panel.
    g.UserSetOld->SetVisible(true);
    Holding(33572, 2);
    bus.ClearFrames();
    ASSERT_EQ(groups::ReadJapanUserSetOld(link, g, *form, 0), 0);
    EXPECT_EQ(Requests(), (std::vector<std::pair<int, int>>{{3, 25344}, {3, 44040}, {3, 33572}}));
    EXPECT_EQ(Text("Label_JapOFR60_Old"), "61.8 Hz");
    EXPECT_EQ(Text("Label_JapQU_PU_Old"), "Index3");
    EXPECT_EQ(Text("Label_JapIDsetting_Old"), "1");
    EXPECT_EQ(Text("Label_JapUFRDelayTime"), "1.5 sec");
    EXPECT_EQ(Colour("Label_JapUFRDelayTime"), vcl::clBlue);

    // A refused main block ends the old reader at once.
    invsim::Fault refuse;
    refuse.kind = invsim::FaultKind::Exception;
    refuse.times = 1;
    bus.AddFault(1, refuse);
    bus.ClearFrames();
    ASSERT_EQ(groups::ReadJapanUserSetOld(link, g, *form, 0), 0);
    EXPECT_EQ(Requests().size(), 1u);
    EXPECT_TRUE(OnlyReads());
}

TEST_F(Japan, EveryReaderFollowsTheFrame)
{
    using Reader = int (*)(Modbus&, const groups::JapanGroups&, vcl::TComponent&, std::uint8_t);
    const Reader readers[] = {groups::ReadJapanSet,       groups::ReadJapanSet3P,    groups::ReadJapanVersions,
                              groups::ReadJapanRemoteCtrl, groups::ReadShipmentTest,  groups::ReadJapanProtect,
                              groups::ReadJapanUserSet3P, groups::ReadJapanUserSet,  groups::ReadJapanUserSetOld};
    for (Reader r : readers)
        EXPECT_EQ(r(link, g, *form, 1), 1);   // the stop flag
    link.CommandCode = 6;
    bus.ClearFrames();
    for (Reader r : readers)
        EXPECT_EQ(r(link, g, *form, 0), 0);   // a pending command: no request
    EXPECT_TRUE(Requests().empty());
}

} // namespace

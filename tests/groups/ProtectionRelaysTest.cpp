// P-F control, the multi-function relays and the RPR/OVGR inputs: what the readers show, the
// relay they read, the alarm word they keep, and that their radio checks write nothing.
#include "GroupsTestSupport.h"

#include "app/ProtectionSettings.h"
#include "groups/ProtectionRelays.h"
#include "vcl/UserDriver.h"

namespace {

using namespace groupstest;

class Relays : public GroupsOnPty {
protected:
    void SetUp() override
    {
        GroupsOnPty::SetUp();
        if (HasFatalFailure())
            return;
        for (const char* name : {"Group_PFCtrl", "Group_RelayFunction1", "Group_RPR_OVGR", "Group_HRN_SetPoint"})
            MakeGroupPanel(*form, name, 1250)->SetBounds(0, 1250, 300, 560);
        g = groups::BuildRelayGroups(*form);
        bus.With(1, [](invsim::Inverter& inv) { invsim::LoadDemoProtection(inv); });
        settingsCtx.link = &link;
        settingsCtx.form = form.get();
        settings::BindTable(settings::ProtectionBindings(), settingsCtx);
    }
    vcl::TComboBox* Select() const { return dynamic_cast<vcl::TComboBox*>(form->FindComponent("Combo_SelectRelay")); }
    bool Checked(const char* name) const
    {
        auto* c = form->FindComponent(QString::fromLatin1(name));
        if (auto* r = dynamic_cast<vcl::TRadioButton*>(c))
            return r->Checked();
        return dynamic_cast<vcl::TCheckBox*>(c)->Checked();
    }
    groups::RelayGroup g;
    settings::Context settingsCtx;
};

TEST_F(Relays, PfControlShowsBothDirections)
{
    ASSERT_EQ(groups::ReadPfControl(link, g, *form, 0), 0);
    const std::pair<const char*, const char*> expected[] = {
        {"Label_PROFRMode", "Enable"}, {"Label_PROFRGradient", "40 %"}, {"Label_FacStart", "50.20 Hz"},
        {"Label_PF_ReocveryTime", "300.00 sec"}, {"Label_Statism", "4.0 %"}, {"Label_PROFR_ResponseTime", "0.50 sec"},
        {"Label_FacRec_Under", "49.90 Hz"}, {"Label_PminPercent", "20 %"}, {"Label_PROFRMode_Under", "Disable"},
        {"Label_FHighOFF1", "52.00 Hz"},
    };
    for (const auto& [name, text] : expected)
        EXPECT_EQ(Text(name), text) << name;
    EXPECT_FALSE(Shown("Label_Statism"));
}

TEST_F(Relays, TheChosenRelayIsReadAndItsAlarmWordKept)
{
    // No choice yet: relay 1, and the combo shows it.
    ASSERT_EQ(Select()->ItemIndex(), -1);
    ASSERT_EQ(groups::ReadRelayFunction(link, g, *form, -1, 0), 0);
    EXPECT_EQ(Select()->ItemIndex(), 0);
    EXPECT_EQ(Text("Label_SelectRelay"), "Relay 1");
    EXPECT_EQ(Text("Label_MultiRelay1"), "2: Power Production");
    EXPECT_EQ(Text("Label_PowerPro1"), "1: Enable");
    EXPECT_EQ(Text("Label_RelayOP1"), "1.50 KW");
    EXPECT_EQ(Text("Label_RelayDuration1"), "5 min");
    EXPECT_EQ(Text("Label_Relay1Temp1"), "45.0 °C");
    EXPECT_TRUE(g.AlarmWord->Matches(1, 0));
    EXPECT_EQ(g.AlarmWord->word, 0);

    // Relay 2.
    Select()->SetItemIndex(1);
    bus.SetHolding(1, 52758, 0xFFEC);
    bus.ClearFrames();
    ASSERT_EQ(groups::ReadRelayFunction(link, g, *form, 1, 0), 0);
    std::vector<int> asked;
    for (const auto& f : bus.Frames())
        asked.push_back((f.bytes[2] << 8 | f.bytes[3]) + 1);
    EXPECT_EQ(asked, (std::vector<int>{52750, 52754}));
    EXPECT_EQ(Text("Label_MultiRelay1"), "1: Fault/Error/Warning");
    EXPECT_EQ(Text("Label_Relay1_FEW2"), "302");
    EXPECT_EQ(Text("Label_PowerPro1"), "0: Disable");
    EXPECT_EQ(Text("Label_Relay1Temp1"), "-2.0 °C");
    EXPECT_TRUE(Checked("Check_Relay1AllError"));
    EXPECT_TRUE(Checked("Check_Relay1AllFault"));
    EXPECT_FALSE(Checked("Check_Relay1AllWarning"));
    EXPECT_TRUE(g.AlarmWord->Matches(1, 1));
    EXPECT_EQ(g.AlarmWord->word, 3);

    // Out-of-table words.
    bus.SetHolding(1, 52750, 5);
    bus.SetHolding(1, 52754, 2);
    ASSERT_EQ(groups::ReadRelayFunction(link, g, *form, 1, 0), 0);
    EXPECT_EQ(Text("Label_MultiRelay1"), "??");
    EXPECT_EQ(Text("Label_PowerPro1"), "??");
}

TEST_F(Relays, RprReadsWriteNothingAndShowTheLocks)
{
    ASSERT_EQ(groups::ReadRprOvgr(link, g, *form, 0), 0);
    EXPECT_TRUE(Checked("Radio_RPR1Enabled"));
    EXPECT_TRUE(Checked("Radio_RPR1NormalOpen"));
    EXPECT_TRUE(Checked("Radio_RPR1ReconnectAuto"));
    EXPECT_TRUE(Checked("Radio_RPR2Disabled"));
    EXPECT_EQ(Text("Label_RPR1ReconnectTime"), "300 sec");
    EXPECT_EQ(Text("Label_RPR1Status"), "ノーマル");
    // The device's flags change: the reader checks other radios, and still posts nothing.
    bus.SetHolding(1, 52675, 7);
    bus.SetHolding(1, 25411, 0x0018);
    ASSERT_EQ(groups::ReadRprOvgr(link, g, *form, 0), 0);
    EXPECT_TRUE(Checked("Radio_RPR2Enabled"));
    EXPECT_TRUE(Checked("Radio_RPR2ReconnectManual"));
    EXPECT_EQ(link.CommandCode, 0);
    EXPECT_EQ(Text("Label_RPR1Status"), "ロック");
    EXPECT_EQ(Text("Label_RPR2Status"), "ロック");
    // A user's click on a radio writes its flag.
    vcl::UserDriver(form.get()).Click("Radio_RPR2Disabled");
    EXPECT_EQ(link.CommandCode, 6);
    EXPECT_EQ(link.CommandAddress, 52675);
    EXPECT_EQ(link.CommandValue, 1);
}

} // namespace

// The partner brand's set points: the grid frequency picks the 60 Hz or the 50 Hz rows (or
// neither, at exactly 55.00 Hz); the coded rows show their texts, and codes outside their
// tables leave the text or show "??" as each row does. The reader writes nothing and changes no
// colour.
TEST_F(Relays, PartnerSetPointsFollowTheGridFrequency)
{
    auto words = [&](std::initializer_list<std::pair<int, int>> w) {
        bus.With(1, [&](invsim::Inverter& inv) {
            for (auto [k, v] : w)
                inv.SetHolding(25344 + k, static_cast<std::uint16_t>(v));
        });
    };
    auto hz = [&](int v) { bus.With(1, [&](invsim::Inverter& inv) { inv.SetInput(3332, static_cast<std::uint16_t>(v)); }); };
    ASSERT_EQ(groups::ReadHarunetSetPoint(link, g, *form, 0), 0);
    const std::pair<const char*, const char*> demo[] = {
        {"Label_HRN_SysOVR", "115 V"},         {"Label_HRN_SysUVR", "80 V"},
        {"Label_HRN_OVRUVRTime", "1.0 秒"},    {"Label_HRN_SysOFR", "61.1 Hz"},
        {"Label_HRN_SysUFR", "58.2 Hz"},       {"Label_HRN_OFRUFRTime", "2.0 秒"},
        {"Label_HRN_RecoveryTime", "300 秒"},  {"Label_HRN_SysVoltDerate2", "108"},
        {"Label_HRN_SingleOP", "ON"},          {"Label_HRN_OutputDerate", "0 %"},
        {"Label_HRN_PowDerate", "0.95"},       {"Label_HRN_SysVoltDerate1", "3"},
        {"Label_HRN_PhaseNoEffect", "0.95"},
    };
    for (const auto& [name, text] : demo)
        EXPECT_EQ(Text(name), QString::fromUtf8(text)) << name;

    hz(5000);
    words({{10, 5}, {2, 3}, {6, 7}, {14, 22}, {8, 2}, {9, 1}, {7, 0}});
    ASSERT_EQ(groups::ReadHarunetSetPoint(link, g, *form, 0), 0);
    EXPECT_EQ(Text("Label_HRN_SysOFR"), "51 Hz");
    EXPECT_EQ(Text("Label_HRN_SysUFR"), "48.5 Hz");
    EXPECT_EQ(Text("Label_HRN_OVRUVRTime"), QString::fromUtf8("2.0 秒"));
    EXPECT_EQ(Text("Label_HRN_RecoveryTime"), "??");
    EXPECT_EQ(Text("Label_HRN_PowDerate"), "-0.99");
    EXPECT_EQ(Text("Label_HRN_SingleOP"), "ON");        // 2 is no code: the text stays
    EXPECT_EQ(Text("Label_HRN_OutputDerate"), "50 %");
    EXPECT_EQ(Text("Label_HRN_SysVoltDerate2"), "OFF");

    hz(5500);
    words({{10, 0}, {3, 0}, {14, 41}, {6, 4}});
    ASSERT_EQ(groups::ReadHarunetSetPoint(link, g, *form, 0), 0);
    EXPECT_EQ(Text("Label_HRN_SysOFR"), "51 Hz");        // neither scale: unchanged
    EXPECT_EQ(Text("Label_HRN_PowDerate"), "-0.80");
    EXPECT_EQ(Text("Label_HRN_RecoveryTime"), "0xAA55(Set)");
    words({{14, 42}});
    ASSERT_EQ(groups::ReadHarunetSetPoint(link, g, *form, 0), 0);
    EXPECT_EQ(Text("Label_HRN_PowDerate"), "-0.80");     // 42 is no code: the text stays
    words({{14, 21}});
    ASSERT_EQ(groups::ReadHarunetSetPoint(link, g, *form, 0), 0);
    EXPECT_EQ(Text("Label_HRN_PowDerate"), "1.00");

    // Reads only: nothing written to the inverter.
    for (const auto& f : bus.Frames())
        EXPECT_TRUE(f.bytes[1] == 3 || f.bytes[1] == 4) << int(f.bytes[1]);
}

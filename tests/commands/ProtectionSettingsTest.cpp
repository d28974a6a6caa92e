// The protection groups' settings table on the real panels: every kind of control posts the
// command its row gives, and the rules of their own (strict entries, the arc switch's pause).
#include "CommandsSupport.h"

#include "app/ProtectionSettings.h"
#include "app/ReadModifyWrite.h"
#include "groups/Protection.h"
#include "groups/ProtectionFunctions.h"
#include "groups/ProtectionRelays.h"
#include "groups/ProtectionSwitches.h"
#include "link/Modbus.h"
#include "vcl/Kit.h"
#include "vcl/Services.h"
#include "vcl/UserDriver.h"

#include <gtest/gtest.h>
#include <memory>

namespace {

struct CountingTime : vcl::TimeService {
    int slept = 0;
    void Sleep(int ms) override { slept += ms; }
};

class ProtectionSettings : public ::testing::Test {
protected:
    void SetUp() override
    {
        EnsureApplication();
        vcl::SetDialogService(&dialogs);
        vcl::SetTimeService(&time);
        form = std::make_unique<vcl::TForm>();
        form->SetName("Form_Test");
        int top = 0;
        for (const char* name : {"Group_UacProtection", "Group_FreqProtection", "Group_AustraliaSet",
                                 "Group_Insulation", "Group_GroundCurr", "Group_DcInj", "Group_CommProtection",
                                 "Group_DryContact", "Group_DarkCurrent", "Group_EPO", "Group_Islanding",
                                 "Group_AntiIsland", "Group_ARCTest", "Group_AntiPid", "Group_LVFR",
                                 "Group_PFCtrl", "Group_RelayFunction1", "Group_RPR_OVGR"}) {
            auto* p = new vcl::TPanel(form.get());
            p->SetName(name);
            p->SetParent(form.get());
            p->SetBounds(0, top, QString(name) == "Group_UacProtection" ? 520 : 300, 540);
            top += 545;
        }
        groups::BuildProtectionGroups(*form);
        groups::BuildProtectionSwitchGroups(*form);
        groups::BuildProtectionFunctionGroups(*form);
        relays = groups::BuildRelayGroups(*form);
        ctx.link = &link;
        ctx.form = form.get();
        bound = settings::BindTable(settings::ProtectionBindings(), ctx);
        user = std::make_unique<vcl::UserDriver>(form.get());
    }
    void TearDown() override
    {
        user.reset();
        form.reset();
        vcl::SetTimeService(nullptr);
        vcl::SetDialogService(nullptr);
    }
    int Word() const { return static_cast<std::uint16_t>(link.CommandValue); }

    RecordedDialogs dialogs;
    CountingTime time;
    std::unique_ptr<vcl::TForm> form;
    Modbus link;
    settings::Context ctx;
    std::unique_ptr<vcl::UserDriver> user;
    int bound = 0;
    groups::RelayGroup relays;
};

TEST_F(ProtectionSettings, EveryControlPostsItsCommand)
{
    // Every row finds its control on these panels (the Japan set's two radios live elsewhere).
    EXPECT_EQ(bound, static_cast<int>(settings::ProtectionBindings().size()) - 2);
    struct Case {
        const char* control;
        const char* action;   // "press", "click", "enter TEXT", "pick N"
        int code;
        int address;
        int value;
    };
    const Case cases[] = {
        {"Radio_DarkCurrentEnable", "press", 6, 48976, 0x8001},
        {"Radio_DarkCurrentDisable", "press", 6, 48976, 1},
        {"Radio_DarkCurrentPowerON", "press", 6, 48976, 0x8002},
        {"Radio_DarkCurrentPowerOFF", "press", 6, 48976, 2},
        {"Combo_DarkCurrentStringSelect", "pick 12", 6, 48978, 12},
        {"Combo_DarkCurrentStringCurrent", "pick 5", 6, 48979, 250},
        {"Radio_DarkCurrentTime20Min", "press", 6, 48980, 1200},
        {"Radio_DarkCurrentTime60Min", "press", 6, 48980, 3600},
        {"Combo_EPO2_Mode", "pick 1", 6, 33604, 1},
        {"Combo_IslandingMode", "pick 1", 6, 33580, 0xFFFF},
        {"Combo_IslandingMode", "pick 0", 6, 33580, 0},
        {"Combo_AntiIslandMode", "pick 1", 6, 33648, 3},
        {"Btn_ARC_Unlock", "click", 6, 48384, 1},
        {"Btn_ARC_SelfTest", "click", 5, 24675, 0xFF00},
        {"Edit_AntiPidTripTime", "enter 45", 6, 25419, 45},
        {"Combo_FRTMode", "pick 2", 6, 853, 2},
        {"Edit_T1Time", "enter 0.15", 6, 854, 15},
        {"Edit_UacFault", "enter 30", 6, 855, 30},
        {"Edit_DeadBandUmax", "enter 3", 6, 860, 3},
        {"Edit_KFactor", "enter 2.5", 6, 861, 25},
        {"Combo_HVRT_Mode", "pick 1", 6, 48905, 1},
        {"Edit_HVRT_V1", "enter 110", 6, 48906, 110},
        {"Edit_HVRT_T2", "enter 1.2", 6, 48909, 120},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.control) + " " + c.action);
        link.CommandCode = 0;
        link.CommandAddress = 0;
        const QString action = QString::fromLatin1(c.action);
        if (action == "press")
            user->MouseDown(c.control);
        else if (action == "click")
            user->Click(c.control);
        else if (action.startsWith("enter "))
            user->Enter(c.control, action.mid(6));
        else
            user->Pick(c.control, action.mid(5).toInt());
        EXPECT_EQ(link.CommandCode, c.code);
        EXPECT_EQ(link.CommandAddress, c.address);
        EXPECT_EQ(Word(), c.value);
    }
    EXPECT_TRUE(dialogs.shown.isEmpty());
    EXPECT_EQ(time.slept, 0);
}

TEST_F(ProtectionSettings, StrictEntriesRefuseWhatIsNoWholeNumber)
{
    for (const char* edit : {"Edit_UacFault", "Edit_FRTU1", "Edit_DeadBandUmin", "Edit_DeadBandUmax"}) {
        SCOPED_TRACE(edit);
        link.CommandCode = 0;
        const QString label = QStringLiteral("Label_") + QString::fromLatin1(edit).mid(5);
        user->Enter(edit, "");
        EXPECT_EQ(dialogs.TakeShown(), QStringList{"'' is not a valid integer value"});
        EXPECT_EQ(link.CommandCode, 0);
        EXPECT_EQ(user->Color(label), vcl::clBlue);
    }
}

TEST_F(ProtectionSettings, ArcSwitchPausesHalfASecond)
{
    user->MouseDown("Radio_ARC_Disable");
    EXPECT_EQ(link.CommandCode, 5);
    EXPECT_EQ(link.CommandAddress, 24652);
    EXPECT_EQ(Word(), 0xFF00);
    EXPECT_EQ(time.slept, 500);
    user->MouseDown("Radio_ARC_Enable");
    EXPECT_EQ(Word(), 0);
    EXPECT_EQ(time.slept, 1000);
}

} // namespace

namespace {

TEST_F(ProtectionSettings, RelayHandlersAddressTheChosenRelay)
{
    struct Case {
        int relayItem;
        const char* control;
        const char* action;
        int address;
        int value;
    };
    const Case cases[] = {
        {0, "Edit_RelayMD1", "enter 10", 52745, 10},
        {1, "Edit_RelayMD1", "enter 10", 52757, 10},
        {-1, "Edit_RelayMD1", "enter 10", 52757, 10},   // no choice yet: relay 2's register
        {1, "Combo_MultiRelay1", "pick 4", 52750, 4},
        {0, "Edit_RelayOP1", "enter 1.5", 52743, 150},
        {0, "Edit_Relay1Temp1", "enter 25.3", 52746, 253},
        {1, "Edit_Relay1Temp1", "enter -5", 52758, 0xFFCE},
        {0, "Edit_Relay1Temp1", "enter 0.1", 52746, 1},
        {0, "Edit_PF_ReocveryTime", "enter 600", 48646, 60000},
        {0, "Edit_PminPercent", "enter 5", 48652, 5},
        {0, "Edit_FHighOFF1", "enter 70", 33568, 7000},
        {0, "Btn_RPR2TrigUnlock", "click", 25411, 0x8010},
    };
    auto* select = dynamic_cast<vcl::TComboBox*>(form->FindComponent("Combo_SelectRelay"));
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.control) + " " + c.action + " relay item " + std::to_string(c.relayItem));
        select->SetItemIndex(c.relayItem);
        link.CommandCode = 0;
        const QString action = QString::fromLatin1(c.action);
        if (action == "click")
            user->Click(c.control);
        else if (action.startsWith("enter "))
            user->Enter(c.control, action.mid(6));
        else
            user->Pick(c.control, action.mid(5).toInt());
        EXPECT_EQ(link.CommandCode, 6);
        EXPECT_EQ(link.CommandAddress, c.address);
        EXPECT_EQ(Word(), c.value);
    }
    // Refused above 600.00 s with the range: nothing posted, the label keeps its colour.
    link.CommandCode = 0;
    dynamic_cast<vcl::TLabel*>(form->FindComponent("Label_PF_ReocveryTime"))->Font()->SetColor(vcl::clBlue);
    user->Enter("Edit_PF_ReocveryTime", "600.01");
    EXPECT_EQ(dialogs.TakeShown(), QStringList{"Please input 0~600"});
    EXPECT_EQ(link.CommandCode, 0);
    EXPECT_EQ(user->Color("Label_PF_ReocveryTime"), vcl::clBlue);
    user->Enter("Edit_PROFRGradient", "5.5");
    EXPECT_EQ(dialogs.TakeShown(), QStringList{"'5.5' is not a valid integer value"});
    EXPECT_EQ(link.CommandCode, 0);
    // Choosing the relay posts nothing and shows the choice.
    user->Pick("Combo_SelectRelay", 1);
    EXPECT_EQ(link.CommandCode, 0);
    EXPECT_EQ(user->Text("Label_SelectRelay"), "Relay 2");
}

TEST_F(ProtectionSettings, AlarmClassesFlipTheWordReadFromThisInverterAndRelay)
{
    auto* select = dynamic_cast<vcl::TComboBox*>(form->FindComponent("Combo_SelectRelay"));
    select->SetItemIndex(1);
    link.SlaveId = 4;
    // Nothing read yet: a press writes nothing.
    user->MouseDown("Check_Relay1AllWarning");
    EXPECT_EQ(link.CommandCode, 0);

    // Relay 2 of inverter 4 read with all errors and faults.
    relays.AlarmWord->valid = true;
    relays.AlarmWord->slaveId = 4;
    relays.AlarmWord->relay = 1;
    relays.AlarmWord->word = 3;
    user->MouseDown("Check_Relay1AllWarning");
    EXPECT_EQ(link.CommandCode, 6);
    EXPECT_EQ(link.CommandAddress, 52760);
    EXPECT_EQ(Word(), 7);
    EXPECT_EQ(relays.AlarmWord->word, 7);
    user->MouseDown("Check_Relay1AllWarning");   // again before the next read: back
    EXPECT_EQ(Word(), 3);

    // The word belongs to that inverter and relay.
    const std::pair<int, int> others[] = {{5, 1}, {4, 0}};
    for (const auto& [id, item] : others) {
        link.SlaveId = static_cast<std::uint8_t>(id);
        select->SetItemIndex(item);
        link.CommandCode = 0;
        user->MouseDown("Check_Relay1AllError");
        EXPECT_EQ(link.CommandCode, 0) << id << " " << item;
    }
    // Forgotten (another inverter chosen, a scan, the link closed, a mode switch).
    link.SlaveId = 4;
    select->SetItemIndex(1);
    relays.AlarmWord->Forget();
    user->MouseDown("Check_Relay1AllError");
    EXPECT_EQ(link.CommandCode, 0);
}

// Under "Broadcast" an alarm-class box is refused with the reason, and stays as it was: the word
// it changes was read from one inverter and would be written into every other.
TEST_F(ProtectionSettings, AlarmClassesAreRefusedUnderBroadcast)
{
    auto* broadcast = new vcl::TRadioButton(form.get());
    broadcast->SetName("Radio_CmdBroadcast");
    broadcast->SetParent(form.get());
    broadcast->SetChecked(true);
    dynamic_cast<vcl::TComboBox*>(form->FindComponent("Combo_SelectRelay"))->SetItemIndex(0);
    link.SlaveId = 1;
    relays.AlarmWord->valid = true;
    relays.AlarmWord->slaveId = 1;
    relays.AlarmWord->relay = 0;
    relays.AlarmWord->word = 3;
    for (const char* box : {"Check_Relay1AllError", "Check_Relay1AllFault", "Check_Relay1AllWarning"}) {
        SCOPED_TRACE(box);
        const bool before = user->Checked(box);
        user->MouseDown(box);
        EXPECT_EQ(link.CommandCode, 0);
        EXPECT_EQ(dialogs.TakeShown(), QStringList{settings::kBroadcastRefusal});
        EXPECT_EQ(user->Checked(box), before);
        EXPECT_EQ(relays.AlarmWord->word, 3);
    }
    // "Single": the word goes to the inverter it was read from.
    broadcast->SetChecked(false);
    user->MouseDown("Check_Relay1AllWarning");
    EXPECT_EQ(link.CommandCode, 6);
    EXPECT_EQ(Word(), 7);
    EXPECT_TRUE(dialogs.TakeShown().isEmpty());
}

} // namespace

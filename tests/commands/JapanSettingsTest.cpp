// The Japanese-market settings on their real panels: what every kind of control posts, the
// bounded entries, the mask radios that change one bit of the word read from this inverter, and
// the run-state command on the simulator.
#include "CommandsSupport.h"

#include "app/JapanSettings.h"
#include "app/ReadModifyWrite.h"
#include "groups/Japan.h"
#include "link/Modbus.h"
#include "tools/invsim/Bus.h"
#include "tools/invsim/Faults.h"
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

class JapanSettings : public ::testing::Test {
protected:
    void SetUp() override
    {
        EnsureApplication();
        vcl::SetDialogService(&dialogs);
        vcl::SetTimeService(&time);
        form = std::make_unique<vcl::TForm>();
        form->SetName("Form_Test");
        int top = 0;
        for (const char* name : {"Group_JapanSet", "Group_JapanSet3P", "Group_JapanVersion", "Group_Japan_RemoteCtrl",
                                 "Group_ShipmentTest", "Group_JapanProtectSet", "Group_UserSetJapan3P", "Group_JapUserSet",
                                 "Group_JapUserSet_Old"}) {
            auto* p = new vcl::TPanel(form.get());
            p->SetName(name);
            p->SetParent(form.get());
            p->SetBounds(0, top, 300, 920);
            top += 925;
        }
        g = groups::BuildJapanGroups(*form);
        ctx.link = &link;
        ctx.form = form.get();
        bound = settings::BindTable(settings::JapanBindings(), ctx);
        user = std::make_unique<vcl::UserDriver>(form.get());
        link.SlaveId = 1;
    }
    void TearDown() override
    {
        user.reset();
        form.reset();
        vcl::SetTimeService(nullptr);
        vcl::SetDialogService(nullptr);
    }
    int Word() const { return static_cast<std::uint16_t>(link.CommandValue); }
    void Act(const char* control, const QString& action)
    {
        if (action == "press")
            user->MouseDown(control);
        else if (action == "click")
            user->Click(control);
        else if (action.startsWith("enter "))
            user->Enter(control, action.mid(6));
        else
            user->Pick(control, action.mid(5).toInt());
    }

    RecordedDialogs dialogs;
    CountingTime time;
    std::unique_ptr<vcl::TForm> form;
    Modbus link;
    settings::Context ctx;
    std::unique_ptr<vcl::UserDriver> user;
    groups::JapanGroups g;
    int bound = 0;
};

TEST_F(JapanSettings, EveryControlPostsItsCommand)
{
    // Every row finds its control on the panels.
    EXPECT_EQ(bound, static_cast<int>(settings::JapanBindings().size()));
    struct Case {
        const char* control;
        const char* action;   // "press", "click", "enter TEXT", "pick N"
        int code;
        int address;
        int value;
        const char* red;      // the label painted red, or nullptr
    };
    const Case cases[] = {
        {"Radio_StartON", "press", 5, 24576, 0xFF00, nullptr},
        {"Radio_24577GT", "press", 5, 24577, 0, nullptr},
        {"Radio_24577SA", "press", 5, 24577, 0xFF00, nullptr},
        {"Radio_ParllModeOFF", "press", 5, 24649, 0, nullptr},
        {"Radio_RepairONJapan", "press", 5, 24609, 0xFF00, nullptr},
        {"Btn_CountSpeedup", "click", 5, 24609, 0xFF00, nullptr},
        {"Btn_LedTestOFF", "click", 5, 24713, 0, nullptr},
        {"Btn_EventResetJapan", "click", 5, 24624, 0xFF00, nullptr},
        {"Radio_GfOFFJapan", "press", 0, 0, 0, nullptr},   // the insulation switch's row, not bound here
        {"Radio_LEDTestON", "press", 5, 24627, 0xFF00, nullptr},
        {"Btn_LEDTest2", "click", 6, 811, 2, nullptr},
        {"Btn_LEDAllOFF", "click", 6, 811, 0, nullptr},
        {"Btn_ReclosureTime30Sec", "click", 6, 48154, 3000, nullptr},
        {"Combo_Japan_RemoteCtrlMode", "pick 2", 6, 25409, 2, "Label_Japan_RemoteCtrlMode"},
        {"Radio_JapanGroundFaultOn", "press", 6500, 25366, 1, nullptr},
        {"Radio_JapanRCMUOff", "press", 6500, 25356, 0, nullptr},
        {"Radio_JapanInitAction3", "press", 6500, 33659, 2, nullptr},
        {"Radio_JapanThermalProtectOn", "press", 5, 24617, 0xFF00, nullptr},
        {"Radio_Japan3P_Country60Hz", "press", 6, 797, 46, nullptr},
        {"Radio_Japan3P_GroundCurrentOFF", "press", 5, 24642, 0, nullptr},
        {"Radio_Japan3P_GridLockON", "press", 6, 48158, 0x8002, nullptr},
        {"Radio_Japan3P_GridLockOFF", "press", 6, 48158, 0x0002, nullptr},
        {"Combo_Japan3P_RunST_Mode", "pick 2", 648, 33648, 2, "Label_Japan3P_RunST_Mode"},
        {"Edit_Japan3P_ReclosureTime", "enter 30", 6, 48154, 3000, "Label_Japan3P_ReclosureTime"},
        {"Edit_Japan3P_ReclosureTime", "enter 0.29", 6, 48154, 29, "Label_Japan3P_ReclosureTime"},
        {"Edit_Japan3P_UHighOff", "enter 115.5", 6, 33552, 1155, "Label_Japan3P_UHighOff"},
        {"Edit_Japan3P_FLowOffTime", "enter 2", 6, 33572, 200, "Label_Japan3P_FLowOffTime"},
        {"Edit_Japan3P_InvID", "enter 7", 6, 48163, 7, "Label_Japan3P_InvID"},
        {"Combo_Japan3P_VoltageSuppressionMode", "pick 2", 6, 33616, 8, "Label_Japan3P_VoltageSuppressionMode"},
        {"Combo_Japan3P_VoltageSuppressionMode", "pick 1", 6, 33616, 1, "Label_Japan3P_VoltageSuppressionMode"},
        {"Edit_Japan3P_ReactiveStartVoltage", "enter 107", 6, 48790, 1070, "Label_Japan3P_ReactiveStartVoltage"},
        {"Edit_Japan3P_ReactivePF", "enter 0.95", 6, 48791, 95, "Label_Japan3P_ReactivePF"},
        {"Edit_Japan3P_ReactiveSuppressVoltage", "enter 109", 6, 48792, 1090, "Label_Japan3P_ReactiveSuppressVoltage"},
        {"Edit_Japan3P_PowerSuppress", "enter -0.95", 6, 48769, 0xFFA1, "Label_Japan3P_PowerSuppress"},
        {"Edit_Japan3P_PowerManage", "enter 80", 6, 799, 80, "Label_Japan3P_PowerManage"},
        {"Combo_JapOVR", "pick 10", 6, 25344, 10, "Label_JapOVR"},
        {"Combo_JapRT", "pick 2", 6, 25350, 2, "Label_JapRT"},
        {"Combo_JapAPS", "pick 2", 6, 25363, 120, "Label_JapAPS"},
        {"Combo_JapUFRDelayTime", "pick 3", 6, 33572, 3, "Label_JapUFRDelayTime"},
        {"Combo_JapanTraceLoad", "pick 1", 6, 25369, 1, "Label_JapanTraceLoad"},
        {"Edit_JapAPP", "enter 100", 6, 25362, 100, "Label_JapAPP"},
        {"Edit_JapIDsetting", "enter 32", 6, 44040, 32, "Label_JapIDsetting"},
        {"Combo_JapQU_PF_Old", "pick 5", 6, 25360, 5, "Label_JapQU_PF_Old"},
        {"Combo_JapAPS_Old", "pick 0", 6, 25363, 60, "Label_JapAPS_Old"},
        {"Edit_JapAPP_Old", "enter 101", 6, 25362, 101, "Label_JapAPP_Old"},
        {"Edit_JapIDsetting_Old", "enter 0", 6, 44040, 0, "Label_JapIDsetting_Old"},
        {"Edit_JapIDsetting_Old", "enter 33", 6, 44040, 33, "Label_JapIDsetting_Old"},
        {"Btn_ReturnToDefault", "click", 5, 24691, 0xFF00, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.control) + " " + c.action);
        link.CommandCode = 0;
        link.CommandAddress = 0;
        link.CommandValue = 0;
        if (c.red)
            groups::FindLabel(*form, QLatin1String(c.red))->Font()->SetColor(vcl::clBlue);
        Act(c.control, QString::fromLatin1(c.action));
        EXPECT_EQ(link.CommandCode, c.code);
        EXPECT_EQ(link.CommandAddress, c.address);
        EXPECT_EQ(Word(), c.value);
        if (c.red) {
            EXPECT_EQ(user->Color(c.red), vcl::clRed);
        }
    }
    EXPECT_TRUE(dialogs.shown.isEmpty());
    EXPECT_EQ(time.slept, 0);
}

TEST_F(JapanSettings, BoundedEntriesRefuseAndLeaveTheMailbox)
{
    struct Case {
        const char* edit;
        const char* text;
        const char* message;
    };
    const Case cases[] = {
        {"Edit_JapAPP", "101", "Please input 0~100"}, {"Edit_JapAPP", "-1", "Please input 0~100"},
        {"Edit_JapAPP", "65636", "Please input 0~100"}, {"Edit_JapAPP", "abc", "Please input 0~100"},
        {"Edit_JapIDsetting", "0", "Please input 1~32"}, {"Edit_JapIDsetting", "33", "Please input 1~32"},
        {"Edit_JapIDsetting", "", "Please input 1~32"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.edit) + " " + c.text);
        // A command posted by another control waits in the mailbox.
        link.CommandCode = 5;
        link.CommandAddress = 24576;
        link.CommandValue = static_cast<std::int16_t>(0xFF00 - 0x10000);
        const QString label = QStringLiteral("Label_") + QString::fromLatin1(c.edit).mid(5);
        user->Enter(c.edit, QString::fromLatin1(c.text));
        EXPECT_EQ(dialogs.TakeShown(), QStringList{QString::fromLatin1(c.message)});
        EXPECT_EQ(link.CommandCode, 5);
        EXPECT_EQ(link.CommandAddress, 24576);
        EXPECT_EQ(Word(), 0xFF00);
        EXPECT_EQ(user->Color(label), vcl::clBlue);
    }
    // The strict entry refuses what is no whole number, with the conversion error.
    link.CommandCode = 0;
    user->Enter("Edit_Japan3P_PowerManage", "8.5");
    EXPECT_EQ(dialogs.TakeShown(), QStringList{"'8.5' is not a valid integer value"});
    EXPECT_EQ(link.CommandCode, 0);
    // The remote radios hold the window half a second after their post.
    user->MouseDown("Radio_Japan3P_RemoteOFF");
    EXPECT_EQ(link.CommandCode, 5);
    EXPECT_EQ(link.CommandAddress, 24576);
    EXPECT_EQ(time.slept, 500);
}

// A mask radio changes exactly its bit of the word read last from the inverter now addressed;
// without such a word it posts nothing.
TEST_F(JapanSettings, MaskRadiosChangeOneBitOfThisInvertersWord)
{
    auto press = [&](const char* radio) {
        link.CommandCode = 0;
        link.CommandAddress = 0;
        link.CommandValue = 0;
        user->MouseDown(radio);
    };
    const QStringList notRead{"Protection mask not written: this inverter's masks are not read yet"};
    press("Radio_JapanAntiPassiveON");
    EXPECT_EQ(link.CommandCode, 0);   // nothing read yet
    EXPECT_EQ(dialogs.TakeShown(), notRead);

    g.Masks->first = {true, 1, 0x0105};
    g.Masks->second = {true, 1, 0x0002};
    struct Case {
        const char* radio;
        int address;
        int value;
    };
    const Case cases[] = {
        {"Radio_JapanAntiPassiveON", 33648, 0x0107},  {"Radio_JapanLNOVROFF", 33648, 0x0005},
        {"Radio_JapanAntiActiveON", 33648, 0x0105},   {"Radio_JapanL1L2UFRON", 33648, 0x0185},
        {"Radio_JapanFlicker2_SWON", 33658, 0x0006},  {"Radio_JapanFlicker1_SWOFF", 33658, 0x0000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.radio);
        press(c.radio);
        EXPECT_EQ(link.CommandCode, 6500);
        EXPECT_EQ(link.CommandAddress, c.address);
        EXPECT_EQ(Word(), c.value);
    }
    // The bits the panel does not show go back as read.
    g.Masks->first.word = 0xFFFF;
    press("Radio_JapanAntiActiveOFF");
    EXPECT_EQ(Word(), 0xFFFE);
    g.Masks->first.word = 0xFE00;
    press("Radio_JapanAntiActiveON");
    EXPECT_EQ(Word(), 0xFE01);

    EXPECT_TRUE(dialogs.TakeShown().isEmpty());

    // Another inverter addressed, or the words forgotten: nothing, and the user is told why.
    link.SlaveId = 2;
    press("Radio_JapanAntiActiveON");
    EXPECT_EQ(link.CommandCode, 0);
    EXPECT_EQ(dialogs.TakeShown(), notRead);
    link.SlaveId = 1;
    g.Masks->Forget();
    press("Radio_JapanFlicker1_SWON");
    EXPECT_EQ(link.CommandCode, 0);
    EXPECT_EQ(dialogs.TakeShown(), notRead);

    // Under "Broadcast" one inverter's word is never sent to all.
    g.Masks->first = {true, 1, 0x0105};
    auto* broadcast = new vcl::TRadioButton(form.get());
    broadcast->SetName("Radio_CmdBroadcast");
    broadcast->SetChecked(true);
    press("Radio_JapanAntiActiveOFF");
    EXPECT_EQ(link.CommandCode, 0);
    EXPECT_EQ(dialogs.TakeShown(), QStringList{settings::kBroadcastRefusal});
    EXPECT_FALSE(dynamic_cast<vcl::TRadioButton*>(form->FindComponent("Radio_JapanAntiActiveOFF"))->Checked());
}

// Under "Broadcast" a click that changes some bits of a word read from one inverter is refused
// with the reason, and the radio stays as it was; the run-state choice (its word is read when it
// runs) is refused the same way.
TEST_F(JapanSettings, ReadModifyWriteClicksAreRefusedUnderBroadcast)
{
    auto* broadcast = new vcl::TRadioButton(form.get());
    broadcast->SetName("Radio_CmdBroadcast");
    broadcast->SetParent(form.get());
    broadcast->SetChecked(true);
    g.Masks->first = {true, 1, 0x0105};
    g.Masks->second = {true, 1, 0x0002};
    for (const char* radio : {"Radio_JapanAntiPassiveON", "Radio_JapanLNOVROFF", "Radio_JapanFlicker2_SWON"}) {
        SCOPED_TRACE(radio);
        link.CommandCode = 0;
        const bool before = user->Checked(radio);
        user->MouseDown(radio);
        EXPECT_EQ(link.CommandCode, 0);
        EXPECT_EQ(dialogs.TakeShown(), QStringList{settings::kBroadcastRefusal});
        EXPECT_EQ(user->Checked(radio), before);
    }
    link.CommandCode = 0;
    user->Pick("Combo_Japan3P_RunST_Mode", 2);
    EXPECT_EQ(link.CommandCode, 0);
    EXPECT_EQ(dialogs.TakeShown(), QStringList{settings::kBroadcastRefusal});
    // Whole-word settings of the same panels still go to every inverter.
    user->MouseDown("Radio_Japan3P_GridLockON");
    EXPECT_EQ(link.CommandCode, 6);
    EXPECT_TRUE(dialogs.TakeShown().isEmpty());

    broadcast->SetChecked(false);
    link.CommandCode = 0;
    user->MouseDown("Radio_JapanAntiPassiveON");
    EXPECT_EQ(link.CommandCode, 6500);
    user->Pick("Combo_Japan3P_RunST_Mode", 1);
    EXPECT_EQ(link.CommandCode, 648);
    EXPECT_TRUE(dialogs.TakeShown().isEmpty());
}

// The run-state command on the simulator: read, keep the upper twelve bits, add the choice's bits.
TEST(RunStateCommand, RewritesTheLowFourBitsOfTheReadWord)
{
    EnsureApplication();
    invsim::Bus bus;
    std::string error;
    ASSERT_TRUE(bus.Start(&error)) << error;
    bus.AddInverter(1, 9600);
    Modbus link;
    ASSERT_EQ(link.OpenCom(QString::fromStdString(bus.Path())), 0);
    link.SetBaudCode(1);
    link.ResetLinkCounters();
    link.SlaveId = 1;
    auto writes = [&bus] {
        std::vector<std::pair<int, int>> out;
        for (const auto& f : bus.Frames())
            if (f.bytes[1] == 6)
                out.emplace_back((f.bytes[2] << 8 | f.bytes[3]) + 1, f.bytes[4] << 8 | f.bytes[5]);
        return out;
    };
    const std::pair<int, int> cases[] = {{2, 0x1232}, {0, 0x1230}, {1, 0x123D}, {3, 0x123F}};
    for (const auto& [choice, written] : cases) {
        SCOPED_TRACE(choice);
        bus.SetHolding(1, 33648, 0x1237);
        bus.ClearFrames();
        link.CommandCode = CmdSetRunStateMode;
        link.CommandAddress = 33648;
        link.CommandValue = static_cast<std::int16_t>(choice);
        EXPECT_EQ(settings::ExecuteRunStateMode(link), 0);
        EXPECT_EQ(link.CommandCode, 0);
        EXPECT_EQ(writes(), (std::vector<std::pair<int, int>>{{33648, written}}));
    }
    // A refused read is no base for the write: nothing is written.
    invsim::Fault refuse;
    refuse.kind = invsim::FaultKind::Exception;
    refuse.times = 1;
    bus.AddFault(1, refuse);
    bus.ClearFrames();
    link.CommandCode = CmdSetRunStateMode;
    link.CommandValue = 1;
    EXPECT_EQ(settings::ExecuteRunStateMode(link), 0);
    EXPECT_TRUE(writes().empty());
    EXPECT_EQ(bus.Frames().size(), 1u);
    link.Com.Close();
    bus.Stop();
}

} // namespace

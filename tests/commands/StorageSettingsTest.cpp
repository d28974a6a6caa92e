// The storage groups' settings on their real panels: what each control posts into the mailbox,
// the window buttons' pair of values taken from the rows the lists show, and the labels that
// turn red.
#include "CommandsSupport.h"

#include "app/StorageSettings.h"
#include "groups/Storage.h"
#include "link/Modbus.h"
#include "vcl/Kit.h"
#include "vcl/Services.h"
#include "vcl/UserDriver.h"

#include <gtest/gtest.h>
#include <memory>

namespace {

class StorageSettings : public ::testing::Test {
protected:
    void SetUp() override
    {
        EnsureApplication();
        vcl::SetDialogService(&dialogs);
        form = std::make_unique<vcl::TForm>();
        form->SetName("Form_Test");
        int top = 0;
        for (const char* name : {"Group_BT_CTRL", "Group_Subsidy"}) {
            auto* p = new vcl::TPanel(form.get());
            p->SetName(name);
            p->SetParent(form.get());
            p->SetBounds(0, top, 300, 400);
            top += 405;
        }
        groups::BuildStorageGroups(*form);
        ctx.link = &link;
        ctx.form = form.get();
        bound = settings::BindTable(settings::StorageBindings(), ctx);
        user = std::make_unique<vcl::UserDriver>(form.get());
    }
    void TearDown() override
    {
        user.reset();
        form.reset();
        vcl::SetDialogService(nullptr);
    }
    static int U16(int v) { return static_cast<std::uint16_t>(v); }

    RecordedDialogs dialogs;
    std::unique_ptr<vcl::TForm> form;
    Modbus link;
    settings::Context ctx;
    std::unique_ptr<vcl::UserDriver> user;
    int bound = 0;
};

TEST_F(StorageSettings, EveryControlPostsItsCommand)
{
    EXPECT_EQ(bound, static_cast<int>(settings::StorageBindings().size()));
    // Lists of the charge window 1 at 07 / 30 to 22 / 00; discharge window 3 at 23 / 30 to 00 / 00.
    user->ScrollTop("List_BTC_T1StartHour", 7);
    user->ScrollTop("List_BTC_T1StartMin", 1);
    user->ScrollTop("List_BTC_T1StopHour", 22);
    user->ScrollTop("List_BTDCHG_T3StartHour", 23);
    user->ScrollTop("List_BTDCHG_T3StartMin", 1);
    struct Case {
        const char* control;
        const char* action;   // "click", "enter TEXT", "pick N"
        int code;
        int address;
        int value;
        int value2;           // -1: not part of the command
        std::vector<const char*> red;
    };
    const Case cases[] = {
        {"Combo_BT_CtrlMode", "pick 2", 6, 25627, 3, -1, {"Label_BT_CtrlMode"}},
        {"Combo_BT_CtrlMode", "pick 0", 6, 25627, 1, -1, {"Label_BT_CtrlMode"}},
        {"Combo_BT_CtrlMode", "pick 5", 6, 25627, 6, -1, {"Label_BT_CtrlMode"}},
        // The hint's range is not enforced; a text that is no number gives 0.
        {"Edit_SOC_Limit", "enter 70", 6, 25617, 70, -1, {"Label_SOC_Limit"}},   // its hint's top; 71 is refused
        {"Edit_Peak_Cut_Power", "enter 12", 6, 25620, 12, -1, {"Label_Peak_Cut_Power"}},
        {"Combo_Subsidy_Mode", "pick 1", 6, 25632, 1, -1, {"Label_Subsidy_Mode"}},
        {"Combo_Subsidy_Mode", "pick 0", 6, 25632, 0, -1, {"Label_Subsidy_Mode"}},
        {"Edit_PV_Capacity", "enter 12.34", 6, 25633, 123, -1, {"Label_PV_Capacity"}},
        {"Edit_Feedin_Percent", "enter 70", 6, 25634, 70, -1, {"Label_Feedin_Percent"}},
        {"Edit_Feedin_Percent", "enter 65535", 6, 25634, 0xFFFF, -1, {"Label_Feedin_Percent"}},
        {"Btn_BTChargeT1Set", "click", 36, 25635, 730, 2200, {"Label_BT_Charge_T1Start", "Label_BT_Charge_T1Stop"}},
        {"Btn_BTChargeT2Set", "click", 36, 25637, 0, 0, {"Label_BT_Charge_T2Start", "Label_BT_Charge_T2Stop"}},
        {"Btn_BTDCHGT3Set", "click", 36, 25645, 2330, 0, {"Label_BT_DCHG_T3Start", "Label_BT_DCHG_T3Stop"}},
        {"Btn_BTChargeT1Clear", "click", 36, 25635, 0x55AA, 0x55AA, {"Label_BT_Charge_T1Start", "Label_BT_Charge_T1Stop"}},
        {"Btn_BTChargeT2Clear", "click", 36, 25637, 0x55AA, 0x55AA, {"Label_BT_Charge_T2Start", "Label_BT_Charge_T2Stop"}},
        {"Btn_BTChargeT3Clear", "click", 36, 25639, 0x55AA, 0x55AA, {"Label_BT_Charge_T3Start", "Label_BT_Charge_T3Stop"}},
        {"Btn_BTDCHGT1Clear", "click", 36, 25641, 0x55AA, 0x55AA, {"Label_BT_DCHG_T1Start", "Label_BT_DCHG_T1Stop"}},
        {"Btn_BTDCHGT2Clear", "click", 36, 25643, 0x55AA, 0x55AA, {"Label_BT_DCHG_T2Start", "Label_BT_DCHG_T2Stop"}},
        {"Btn_BTDCHGT3Clear", "click", 36, 25645, 0x55AA, 0x55AA, {"Label_BT_DCHG_T3Start", "Label_BT_DCHG_T3Stop"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.control) + " " + c.action);
        link.CommandCode = 0;
        link.CommandAddress = 0;
        link.CommandValue2 = -1;
        for (const char* n : c.red)
            groups::FindLabel(*form, n)->Font()->SetColor(vcl::clBlue);
        const QString action = QString::fromLatin1(c.action);
        if (action == "click")
            user->Click(c.control);
        else if (action.startsWith("enter "))
            user->Enter(c.control, action.mid(6));
        else
            user->Pick(c.control, action.mid(5).toInt());
        EXPECT_EQ(link.CommandCode, c.code);
        EXPECT_EQ(link.CommandAddress, c.address);
        EXPECT_EQ(U16(link.CommandValue), c.value);
        if (c.value2 >= 0)
            EXPECT_EQ(U16(link.CommandValue2), c.value2);
        else
            EXPECT_EQ(link.CommandValue2, -1);
        for (const char* n : c.red)
            EXPECT_EQ(user->Color(n), vcl::clRed) << n;
    }
    EXPECT_TRUE(dialogs.shown.isEmpty());
}

TEST_F(StorageSettings, ButtonsAndItemsReadAsTheEngineerSeesThem)
{
    EXPECT_EQ(user->Text("Btn_BTChargeT1Clear"), "T1 Clear");
    EXPECT_EQ(user->Text("Btn_BTDCHGT2Set"), "T2 Set");
    EXPECT_EQ(user->Items("Combo_BT_CtrlMode"),
              (QStringList{"1: Selfconsumption", "2: Peak Cut", "3: Selling First", "4: Charge First",
                           "5: Discharge First", "6: Without Battery"}));
    EXPECT_EQ(user->Items("Combo_Subsidy_Mode"), (QStringList{"OFF", "ON"}));
    // Only Enter posts from an edit.
    link.CommandCode = 0;
    user->Type("Edit_SOC_Limit", "30");
    user->PressKey("Edit_SOC_Limit", 'A');
    EXPECT_EQ(link.CommandCode, 0);
    EXPECT_EQ(user->Color("Label_SOC_Limit"), vcl::clBlue);
}

} // namespace

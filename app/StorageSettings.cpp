#include "app/StorageSettings.h"

#include "groups/Storage.h"
#include "link/Modbus.h"
#include "vcl/StdCtrls.h"

namespace settings {

namespace {

// A window's pair of registers gets its start and its stop at once. The start goes out as the
// post's value, the stop as the mailbox's second value; both labels turn red.
Binding Window(const char* button, int reg, const char* labels, const char* lists, bool clear)
{
    const QString start = QLatin1String(labels) + QStringLiteral("Start");
    const QString stop = QLatin1String(labels) + QStringLiteral("Stop");
    const QString listName = QLatin1String(lists);
    return Binding(QLatin1String(button))
        .Register(reg)
        .Code(CmdWriteRegisterPair)
        .Constant(kClearedWindow)
        .Paint(start)
        .Adjust([stop, listName, clear](const Context& ctx, Post& post) {
            if (!ctx.form)
                return false;
            int second = kClearedWindow;
            if (!clear) {
                post.value = groups::WindowTime(*ctx.form, listName, false);
                second = groups::WindowTime(*ctx.form, listName, true);
            }
            if (ctx.link)
                ctx.link->CommandValue2 = static_cast<std::int16_t>(static_cast<std::uint16_t>(second));
            if (auto* label = dynamic_cast<vcl::TLabel*>(ctx.form->FindComponent(stop)))
                label->Font()->SetColor(vcl::clRed);
            return true;
        });
}

const Binding kStorage[] = {
    // Battery control: the modes the user may set are 1 to 6, item 0 being mode 1.
    Binding("Combo_BT_CtrlMode").Register(25627).Index(1).Paint("Label_BT_CtrlMode"),
    // The edit's own hint gives the range: 0~70 %.
    Binding("Edit_SOC_Limit").Register(25617).Tolerant().Refuse(0, 70).Paint("Label_SOC_Limit"),
    Binding("Edit_Peak_Cut_Power").Register(25620).Tolerant().Paint("Label_Peak_Cut_Power"),
    // Subsidy.
    Binding("Combo_Subsidy_Mode").Register(25632).Index().Paint("Label_Subsidy_Mode"),
    Binding("Edit_PV_Capacity").Register(25633).Decimal(10).Paint("Label_PV_Capacity"),
    Binding("Edit_Feedin_Percent").Register(25634).Tolerant().Paint("Label_Feedin_Percent"),
    // The windows.
    Window("Btn_BTChargeT1Set", 25635, "Label_BT_Charge_T1", "List_BTC_T1", false),
    Window("Btn_BTChargeT2Set", 25637, "Label_BT_Charge_T2", "List_BTC_T2", false),
    Window("Btn_BTChargeT3Set", 25639, "Label_BT_Charge_T3", "List_BTC_T3", false),
    Window("Btn_BTDCHGT1Set", 25641, "Label_BT_DCHG_T1", "List_BTDCHG_T1", false),
    Window("Btn_BTDCHGT2Set", 25643, "Label_BT_DCHG_T2", "List_BTDCHG_T2", false),
    Window("Btn_BTDCHGT3Set", 25645, "Label_BT_DCHG_T3", "List_BTDCHG_T3", false),
    Window("Btn_BTChargeT1Clear", 25635, "Label_BT_Charge_T1", "List_BTC_T1", true),
    Window("Btn_BTChargeT2Clear", 25637, "Label_BT_Charge_T2", "List_BTC_T2", true),
    Window("Btn_BTChargeT3Clear", 25639, "Label_BT_Charge_T3", "List_BTC_T3", true),
    Window("Btn_BTDCHGT1Clear", 25641, "Label_BT_DCHG_T1", "List_BTDCHG_T1", true),
    Window("Btn_BTDCHGT2Clear", 25643, "Label_BT_DCHG_T2", "List_BTDCHG_T2", true),
    Window("Btn_BTDCHGT3Clear", 25645, "Label_BT_DCHG_T3", "List_BTDCHG_T3", true),
};

} // namespace

std::span<const Binding> StorageBindings() { return kStorage; }

} // namespace settings

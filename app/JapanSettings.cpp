#include "app/JapanSettings.h"

#include "app/ReadModifyWrite.h"
#include "groups/Japan.h"
#include "link/Modbus.h"
#include "vcl/Services.h"

#include <vector>

namespace settings {

namespace {

constexpr int kOn = 0xFF00;
constexpr int kMaskRegister = 33648;
constexpr int kMaskRegister2 = 33658;

// A mask radio sets (on) or clears its bit of the word read last from this inverter and posts
// the whole word; every other bit goes back as read. Without such a word, or under "Broadcast",
// it posts nothing.
Binding Mask(const char* radio, int reg, int bit, bool on)
{
    return Binding(QLatin1String(radio)).Register(reg).Code(CmdWriteRegisterCurrentId).Constant(0)
        .Adjust([reg, bit, on](const Context& ctx, Post& post) {
            if (!ctx.form || !ctx.link || RefusedUnderBroadcast(ctx))
                return false;
            auto* masks = dynamic_cast<groups::JapanMaskWords*>(ctx.form->FindComponent(QStringLiteral("JapanProtectBits")));
            const groups::JapanMaskWords::Word* w = masks ? (reg == kMaskRegister ? &masks->first : &masks->second) : nullptr;
            if (!w || !w->valid || w->slaveId != ctx.link->SlaveId) {
                vcl::MessageBox(QStringLiteral("Protection mask not written: this inverter's masks are not read yet"));
                return false;
            }
            post.value = on ? (w->word | 1 << bit) & 0xFFFF : w->word & ~(1 << bit) & 0xFFFF;
            return true;
        });
}

// The remote radios hold the window for half a second after their press, without pumping.
bool RemotePause(const Context&, Post&)
{
    vcl::Time().Sleep(500);
    return true;
}

Binding Edit3P(const char* stem, int reg)
{
    const QString s = QLatin1String(stem);
    return Binding(QStringLiteral("Edit_Japan3P_") + s).Register(reg).Paint(QStringLiteral("Label_Japan3P_") + s);
}

// The enumerated settings: combo and register by word.
const char* const kEnumerated[20] = {"JapOVR",   "JapUVR",   "JapVST",  "JapOFR60",     "JapUFR60",   "JapFST",  "JapRT",
                                     "JapSuppVolt", "JapIslandPass", "JapSupLevel", "JapOFR50", "JapUFR50", "JapRCMU",
                                     "JapInOutDoor", "JapConstPF", "JapQU_PU", "JapQU_PF", "JapPMM", nullptr, nullptr};

std::vector<Binding> MakeRows()
{
    std::vector<Binding> rows = {
        // Japan set: mode coils and switches.
        Binding("Radio_StartON").Coil(24576).Constant(kOn),
        Binding("Radio_StartOFF").Coil(24576).Constant(0),
        Binding("Radio_24577GT").Coil(24577).Constant(0),
        Binding("Radio_24577SA").Coil(24577).Constant(kOn),
        Binding("Radio_RCMU1ON").Coil(24595).Constant(kOn),
        Binding("Radio_RCMU1OFF").Coil(24595).Constant(0),
        Binding("Radio_RCMU2ON").Coil(24642).Constant(kOn),
        Binding("Radio_RCMU2OFF").Coil(24642).Constant(0),
        Binding("Radio_ParllModeON").Coil(24649).Constant(kOn),
        Binding("Radio_ParllModeOFF").Coil(24649).Constant(0),
        Binding("Radio_ThermalDisON").Coil(24617).Constant(kOn),
        Binding("Radio_ThermalDisOFF").Coil(24617).Constant(0),
        Binding("Radio_DefaultON").Coil(24626).Constant(kOn),
        Binding("Radio_DefaultOFF").Coil(24626).Constant(0),
        Binding("Radio_RepairONJapan").Coil(24609).Constant(kOn),
        Binding("Radio_RepairOFFJapan").Coil(24609).Constant(0),
        Binding("Btn_CountSpeedup").Coil(24609).Constant(kOn),
        Binding("Btn_LedTestON").Coil(24713).Constant(kOn),
        Binding("Btn_LedTestOFF").Coil(24713).Constant(0),
        Binding("Btn_EnergyResetJapan").Code(CmdResetEnergy).NoValue(),
        Binding("Btn_EventResetJapan").Coil(24624).Constant(kOn),
        // Arrival inspection.
        Binding("Radio_LEDTestON").Coil(24627).Constant(kOn),
        Binding("Radio_LEDTestOFF").Coil(24627).Constant(0),
        Binding("Btn_LEDTest1").Register(811).Constant(1),
        Binding("Btn_LEDTest2").Register(811).Constant(2),
        Binding("Btn_LEDAllOFF").Register(811).Constant(0),
        Binding("Btn_ReclosureTime30Sec").Register(48154).Constant(3000),
        Binding("Btn_EnergyResetShip").Code(CmdResetEnergy).NoValue(),
        Binding("Btn_EventResetShip").Coil(24624).Constant(kOn),
        // Remote control: a fixed list, so no typed text can post an index of no item.
        Binding("Combo_Japan_RemoteCtrlMode").Register(25409).Index().Paint("Label_Japan_RemoteCtrlMode"),
        // Protection masks and switches: the current inverter only.
        Mask("Radio_JapanAntiActiveON", kMaskRegister, 0, true),
        Mask("Radio_JapanAntiActiveOFF", kMaskRegister, 0, false),
        Mask("Radio_JapanAntiPassiveON", kMaskRegister, 1, true),
        Mask("Radio_JapanAntiPassiveOFF", kMaskRegister, 1, false),
        Mask("Radio_JapanInherentON", kMaskRegister, 2, true),
        Mask("Radio_JapanInherentOFF", kMaskRegister, 2, false),
        Mask("Radio_JapanAdditionalON", kMaskRegister, 3, true),
        Mask("Radio_JapanAdditionalOFF", kMaskRegister, 3, false),
        Mask("Radio_JapanL1L2OVRON", kMaskRegister, 4, true),
        Mask("Radio_JapanL1L2OVROFF", kMaskRegister, 4, false),
        Mask("Radio_JapanL1L2UVRON", kMaskRegister, 5, true),
        Mask("Radio_JapanL1L2UVROFF", kMaskRegister, 5, false),
        Mask("Radio_JapanL1L2OFRON", kMaskRegister, 6, true),
        Mask("Radio_JapanL1L2OFROFF", kMaskRegister, 6, false),
        Mask("Radio_JapanL1L2UFRON", kMaskRegister, 7, true),
        Mask("Radio_JapanL1L2UFROFF", kMaskRegister, 7, false),
        Mask("Radio_JapanLNOVRON", kMaskRegister, 8, true),
        Mask("Radio_JapanLNOVROFF", kMaskRegister, 8, false),
        Mask("Radio_JapanEnaBackToNormalModeON", kMaskRegister2, 0, true),
        Mask("Radio_JapanEnaBackToNormalModeOFF", kMaskRegister2, 0, false),
        Mask("Radio_JapanFlicker1_SWON", kMaskRegister2, 1, true),
        Mask("Radio_JapanFlicker1_SWOFF", kMaskRegister2, 1, false),
        Mask("Radio_JapanFlicker2_SWON", kMaskRegister2, 2, true),
        Mask("Radio_JapanFlicker2_SWOFF", kMaskRegister2, 2, false),
        Binding("Radio_JapanGroundFaultOn").Register(25366).Code(CmdWriteRegisterCurrentId).Constant(1),
        Binding("Radio_JapanGroundFaultOff").Register(25366).Code(CmdWriteRegisterCurrentId).Constant(0),
        Binding("Radio_JapanRCMUOn").Register(25356).Code(CmdWriteRegisterCurrentId).Constant(1),
        Binding("Radio_JapanRCMUOff").Register(25356).Code(CmdWriteRegisterCurrentId).Constant(0),
        Binding("Radio_JapanInitAction1").Register(33659).Code(CmdWriteRegisterCurrentId).Constant(0),
        Binding("Radio_JapanInitAction2").Register(33659).Code(CmdWriteRegisterCurrentId).Constant(1),
        Binding("Radio_JapanInitAction3").Register(33659).Code(CmdWriteRegisterCurrentId).Constant(2),
        Binding("Radio_JapanThermalProtectOn").Coil(24617).Constant(kOn),
        Binding("Radio_JapanThermalProtectOff").Coil(24617).Constant(0),
        // User setting, three-phase.
        Binding("Radio_Japan3P_Country50Hz").Register(797).Constant(45),
        Binding("Radio_Japan3P_Country60Hz").Register(797).Constant(46),
        Binding("Radio_Japan3P_InsulationON").Coil(24641).Constant(kOn),
        Binding("Radio_Japan3P_InsulationOFF").Coil(24641).Constant(0),
        Binding("Radio_Japan3P_GroundCurrentON").Coil(24642).Constant(kOn),
        Binding("Radio_Japan3P_GroundCurrentOFF").Coil(24642).Constant(0),
        Binding("Radio_Japan3P_RemoteON").Coil(24576).Constant(kOn).Adjust(RemotePause),
        Binding("Radio_Japan3P_RemoteOFF").Coil(24576).Constant(0).Adjust(RemotePause),
        // Bit 1 of the flag word is the grid lock; bit 15 carries on or off.
        Binding("Radio_Japan3P_GridLockON").Register(48158).Constant(0x8002),
        Binding("Radio_Japan3P_GridLockOFF").Register(48158).Constant(0x0002),
        // The run state is four bits of the mask word, read and written back when it runs.
        Binding("Combo_Japan3P_RunST_Mode").Register(kMaskRegister).Code(CmdSetRunStateMode).Index().Paint("Label_Japan3P_RunST_Mode")
            .Adjust([](const Context& ctx, Post&) { return !RefusedUnderBroadcast(ctx); }),
        // The inverter's Modbus address: a unicast one, or it leaves the bus for good.
        Edit3P("InvID", 48163).Tolerant().Refuse(1, 247),
        Edit3P("ReclosureTime", 48154).Decimal(100),
        Edit3P("UHighOff", 33552).Decimal(10),
        Edit3P("UHighOffTime", 33553).Decimal(100),
        Edit3P("ULowOff", 33555).Decimal(10),
        Edit3P("ULowOffTime", 33556).Decimal(100),
        Edit3P("FHighOff", 33568).Decimal(100),
        Edit3P("FHighOffTime", 33569).Decimal(100),
        Edit3P("FLowOff", 33571).Decimal(100),
        Edit3P("FLowOffTime", 33572).Decimal(100),
        Binding("Combo_Japan3P_ActivePowerMode").Register(798).Index().Paint("Label_Japan3P_ActivePowerMode"),
        Edit3P("PowerManage", 799).Strict().Refuse(0, 100),
        Edit3P("PowerManageTime", 48514).Tolerant(),
        Binding("Combo_Japan3P_VoltageSuppressionMode").Register(33616).Codes({0, 1, 8}).Paint("Label_Japan3P_VoltageSuppressionMode"),
        // Start voltage and power factor are typed as their labels show them: volts, a factor.
        Edit3P("ReactiveStartVoltage", 48790).Decimal(10),
        Edit3P("ReactivePF", 48791).Decimal(100),
        Edit3P("ReactiveSuppressVoltage", 48792).Decimal(10),
        Edit3P("SuppressLevel", 48793).Tolerant(),
        // A power factor with its side in the sign, shown as "Ind 0.95" or "Cap 0.95".
        Edit3P("PowerSuppress", 48769).Decimal(100).Signed(),
        // User setting, current layout: the rows that are not a plain code.
        Binding("Combo_JapActiveIslanding").Register(25364).Index().Paint("Label_JapActiveIslanding"),
        Binding("Combo_JapRPRStandbyTime").Register(25365).Index().Paint("Label_JapRPRStandbyTime"),
        Binding("Combo_JapGroundFault").Register(25366).Index().Paint("Label_JapGroundFault"),
        Binding("Combo_JapanSetMainLoadCal").Register(25367).Index().Paint("Label_JapanSetMainLoadCal"),
        Binding("Combo_JapanCurrBackflowProtect").Register(25368).Index().Paint("Label_JapanCurrBackflowProtect"),
        Binding("Combo_JapanTraceLoad").Register(25369).Index().Paint("Label_JapanTraceLoad"),
        Binding("Combo_JapUFRDelayTime").Register(33572).Index().Paint("Label_JapUFRDelayTime"),
        Binding("Combo_JapAPS").Register(25363).ItemText().Paint("Label_JapAPS"),
        Binding("Edit_JapAPP").Register(25362).Tolerant().RefuseWithMessage(0, 100, QStringLiteral("Please input 0~100"))
            .Paint("Label_JapAPP"),
        Binding("Edit_JapIDsetting").Register(44040).Tolerant().RefuseWithMessage(1, 32, QStringLiteral("Please input 1~32"))
            .Paint("Label_JapIDsetting"),
        // Old layout: no bounds.
        Binding("Combo_JapAPS_Old").Register(25363).ItemText().Paint("Label_JapAPS_Old"),
        Binding("Edit_JapAPP_Old").Register(25362).Tolerant().Paint("Label_JapAPP_Old"),
        Binding("Edit_JapIDsetting_Old").Register(44040).Tolerant().Paint("Label_JapIDsetting_Old"),
        Binding("Btn_ReturnToDefault").Coil(24691).Constant(kOn),
    };
    // The enumerated codes of both layouts: the item index is the code.
    for (int word = 0; word < 20; ++word) {
        if (!kEnumerated[word])
            continue;
        const QString stem = QLatin1String(kEnumerated[word]);
        for (const QString& suffix : {QString(), QStringLiteral("_Old")})
            rows.push_back(Binding(QStringLiteral("Combo_") + stem + suffix).Register(25344 + word).Index().Paint(QStringLiteral("Label_") + stem + suffix));
    }
    return rows;
}

} // namespace

std::span<const Binding> JapanBindings()
{
    static const std::vector<Binding> rows = MakeRows();
    return rows;
}

int ExecuteRunStateMode(Modbus& m)
{
    static const int kAdded[4] = {0, 13, 2, 15};   // none; active (bits 0, 2, 3); passive (bit 1); both
    const int choice = static_cast<std::uint16_t>(m.CommandValue);
    m.CommandCode = 0;
    if (m.Request(kMaskRegister, 1, 3))
        return 1;
    // A word that did not arrive is no base for a write: the other bits would be lost.
    if (m.Reply[1] != 3 || m.ReplyOk != 1 || choice > 3)
        return 0;
    const int word = m.Reply[3] * 256 + m.Reply[4];
    return m.Request(kMaskRegister, (word & 0xFFF0) + kAdded[choice], 6) ? 1 : 0;
}

} // namespace settings

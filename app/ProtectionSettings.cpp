#include "app/ProtectionSettings.h"

#include "vcl/Services.h"

#include <climits>

namespace settings {

namespace {

// A limit typed in volts, seconds or hertz and kept in tenths or hundredths.
Binding Limit(const char* name, int reg, int scale)
{
    const QString n = QLatin1String(name);
    return Binding(QStringLiteral("Edit_") + n).Register(reg).Decimal(scale).Paint(QStringLiteral("Label_") + n);
}

// No upper-bounded entry may wrap past its bound or go negative into a large word.
Binding AtMost(const char* name, int reg, int bound) { return Limit(name, reg, 100).Clamp(0, bound); }
Binding AtLeast(const char* name, int reg, int bound) { return Limit(name, reg, 100).Clamp(bound, INT_MAX).OnWord(); }

// The arc-detection switch holds the window for half a second after its press (the detector
// needs it before the next command), without pumping.
bool ArcPause(const Context&, Post&)
{
    vcl::Time().Sleep(500);
    return true;
}

const Binding kProtection[] = {
    // Uac Protection.
    Limit("UHighOFF", 33552, 10),
    Limit("UHighOFFTime", 33553, 100),
    Limit("UHighON", 33554, 10),
    Limit("ULowOFF", 33555, 10),
    Limit("ULowOFFTime", 33556, 100),
    Limit("ULowON", 33557, 10),
    Limit("UHighOFFSlow", 33558, 10),
    Limit("UHighOFFSlowTime", 33559, 100),
    Limit("UHighONSlow", 33560, 10),
    Limit("ULowOFFSlow", 33561, 10),
    Limit("ULowOFFSlowTime", 33562, 100),
    Limit("ULowONSlow", 33563, 10),
    Limit("UHighOFFSlow2", 48176, 10),
    Limit("UHighOFFSlowTime2", 48177, 100),
    Limit("UHighONSlow2", 48178, 10),
    Limit("ULowOFFSlow2", 48179, 10),
    Limit("ULowOFFSlowTime2", 48180, 100),
    Limit("ULowONSlow2", 48181, 10),
    // Freq. Protection.
    Limit("FHighOFF", 33568, 100),
    Limit("FHighOFFTime", 33569, 100),
    Limit("FHighON", 33570, 100),
    Limit("FLowOFF", 33571, 100),
    Limit("FLowOFFTime", 33572, 100),
    Limit("FLowON", 33573, 100),
    AtMost("FHighOFFSlow", 33610, 6500),
    AtMost("FHighOFFSlowTime", 33611, 60000),
    AtMost("FHighONSlow", 33612, 6500),
    AtLeast("FLowOFFSlow", 33613, 4500),
    AtMost("FLowOFFSlowTime", 33614, 60000),
    AtLeast("FLowONSlow", 33615, 4500),
    // AU/NZ Setting.
    Limit("UHighOff2", 33564, 10),
    Limit("UHighOffTime2", 33565, 100),
    Limit("UHighOn2", 33566, 10),
    Limit("PuStartVolt", 48550, 10),
    Limit("PuStopVolt", 48551, 10),
    // Insulation (the Japan set's ground-fault radios switch the same coil).
    Binding("Radio_InsulatON").Coil(24641).Constant(0xFF00),
    Binding("Radio_InsulatOFF").Coil(24641).Constant(0),
    Binding("Radio_GfONJapan").Coil(24641).Constant(0xFF00),
    Binding("Radio_GfOFFJapan").Coil(24641).Constant(0),
    Binding("Edit_RLimit").Register(33584).Tolerant().Paint("Label_RLimit"),
    // Ground current and DC injection.
    Binding("Radio_GroundCurrON").Coil(24642).Constant(0xFF00),
    Binding("Radio_GroundCurrOFF").Coil(24642).Constant(0),
    Limit("GroundCurrAmp", 33593, 10),
    Limit("GroundCurrTime", 33594, 10),
    Binding("Radio_DcInjON").Coil(24640).Constant(0xFF00),
    Binding("Radio_DcInjOFF").Coil(24640).Constant(0),
    Limit("DcInjAmp", 33576, 100),
    Limit("DcInjTime", 33577, 10),
    // Comm protection: a register written 1 or 0, not a coil.
    Binding("Radio_CommProtectionON").Register(25412).Constant(1),
    Binding("Radio_CommProtectionOFF").Register(25412).Constant(0),
    Binding("Edit_CommProDisTime").Register(25413).Tolerant().Paint("Label_CommProDisTime"),
    // Dry contacts: the item index is the mode code.
    Binding("Combo_DryContact1_Mode").Register(48173).Index().Paint("Label_DryContact1_Mode"),
    Binding("Combo_DryContact2_Mode").Register(48174).Index().Paint("Label_DryContact2_Mode"),
    // Dark current: the control word carries the bit it concerns and, in bit 15, on or off.
    Binding("Radio_DarkCurrentEnable").Register(48976).Constant(0x8001),
    Binding("Radio_DarkCurrentDisable").Register(48976).Constant(1),
    Binding("Radio_DarkCurrentPowerON").Register(48976).Constant(0x8002),
    Binding("Radio_DarkCurrentPowerOFF").Register(48976).Constant(2),
    Binding("Combo_DarkCurrentStringSelect").Register(48978).Index().Paint("Label_DarkCurrentStringSelect"),
    Binding("Combo_DarkCurrentStringCurrent").Register(48979).Index(0, 50).Paint("Label_DarkCurrentStringCurrent"),
    Binding("Radio_DarkCurrentTime10Min").Register(48980).Constant(600),
    Binding("Radio_DarkCurrentTime20Min").Register(48980).Constant(1200),
    Binding("Radio_DarkCurrentTime30Min").Register(48980).Constant(1800),
    Binding("Radio_DarkCurrentTime60Min").Register(48980).Constant(3600),
    // EPO, islanding, anti-islanding, arc detection, anti-PID.
    Binding("Combo_EPO1_Mode").Register(33603).Index().Paint("Label_EPO1_Mode"),
    Binding("Combo_EPO2_Mode").Register(33604).Index().Paint("Label_EPO2_Mode"),
    Binding("Combo_IslandingMode").Register(33580).Codes({0, 0xFFFF}).Paint("Label_IslandingMode"),
    Binding("Combo_AntiIslandMode").Register(33648).Codes({0, 3}).Paint("Label_AntiIslandMode"),
    Binding("Radio_ARC_Enable").Coil(24652).Constant(0).Adjust(ArcPause),
    Binding("Radio_ARC_Disable").Coil(24652).Constant(0xFF00).Adjust(ArcPause),
    Binding("Btn_ARC_Unlock").Register(48384).Constant(1),
    Binding("Btn_ARC_SelfTest").Coil(24675).Constant(0xFF00),
    Binding("Edit_AntiPidTripTime").Register(25419).Tolerant().Paint("Label_AntiPidTripTime"),
    // Fault ride-through: percentages are whole numbers; a low-voltage one that is no number is
    // refused with the conversion error.
    Binding("Combo_FRTMode").Register(853).Index().Paint("Label_FRTMode"),
    Limit("T1Time", 854, 100),
    Binding("Edit_UacFault").Register(855).Strict().Paint("Label_UacFault"),
    Binding("Edit_FRTU1").Register(856).Strict().Paint("Label_FRTU1"),
    Binding("Edit_DeadBandUmin").Register(857).Strict().Paint("Label_DeadBandUmin"),
    Limit("T2Time", 858, 100),
    Limit("T3Time", 859, 100),
    Binding("Edit_DeadBandUmax").Register(860).Strict().Paint("Label_DeadBandUmax"),
    Limit("KFactor", 861, 10),
    Binding("Combo_HVRT_Mode").Register(48905).Index().Paint("Label_HVRT_Mode"),
    Binding("Edit_HVRT_V1").Register(48906).Tolerant().Paint("Label_HVRT_V1"),
    Binding("Edit_HVRT_V2").Register(48907).Tolerant().Paint("Label_HVRT_V2"),
    Limit("HVRT_T1", 48908, 100),
    Limit("HVRT_T2", 48909, 100),
};

} // namespace

std::span<const Binding> ProtectionBindings() { return kProtection; }

} // namespace settings

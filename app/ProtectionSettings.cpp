#include "app/ProtectionSettings.h"

#include "app/ReadModifyWrite.h"
#include "groups/ProtectionRelays.h"
#include "link/Modbus.h"
#include "vcl/Kit.h"
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
Binding AtLeast(const char* name, int reg, int bound) { return Limit(name, reg, 100).ClampBelow(bound); }

// The arc-detection switch holds the window for half a second after its press (the detector
// needs it before the next command), without pumping.
bool ArcPause(const Context&, Post&)
{
    vcl::Time().Sleep(500);
    return true;
}

// The relay handlers address the relay chosen when they run.
bool ToChosenRelay(const Context& ctx, Post& post)
{
    if (ctx.form && groups::ChosenRelay(*ctx.form) == 1)
        post.address += 12;
    return true;
}
Binding Relay(const Binding& b) { return b.Adjust(ToChosenRelay); }

bool RelayTemperature(const Context& ctx, Post& post)
{
    auto* edit = ctx.form ? dynamic_cast<vcl::TEdit*>(ctx.form->FindComponent(QStringLiteral("Edit_Relay1Temp1"))) : nullptr;
    post.value = groups::RelayTemperatureWord(edit ? edit->Text() : QString());
    return ToChosenRelay(ctx, post);
}

// A relay choice posts nothing: it shows the relay chosen, whose values the next cycle reads.
bool SelectRelay(const Context& ctx, Post&)
{
    if (!ctx.form)
        return false;
    auto* combo = dynamic_cast<vcl::TComboBox*>(ctx.form->FindComponent(QStringLiteral("Combo_SelectRelay")));
    if (auto* label = dynamic_cast<vcl::TLabel*>(ctx.form->FindComponent(QStringLiteral("Label_SelectRelay"))); label && combo)
        label->SetCaption(combo->Text());
    return false;
}

// An alarm-class box flips its bit of the alarm word read from this inverter's chosen relay and
// writes the word back; without such a word, or under "Broadcast", it writes nothing.
Binding AlarmClass(const char* box, int bit)
{
    return Binding(QLatin1String(box)).Register(52748).Constant(0).Adjust([bit](const Context& ctx, Post& post) {
        if (!ctx.form || !ctx.link || RefusedUnderBroadcast(ctx))
            return false;
        auto* word = dynamic_cast<groups::RelayAlarmWord*>(ctx.form->FindComponent(QStringLiteral("RelayAlarmMask")));
        const int relay = groups::ChosenRelay(*ctx.form);
        if (!word || !word->Matches(ctx.link->SlaveId, relay))
            return false;
        const int w = (word->word & 0xFFFF) ^ (1 << bit);
        post.value = w;
        word->word = static_cast<std::int16_t>(static_cast<std::uint16_t>(w));
        return ToChosenRelay(ctx, post);
    });
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
    // P-F control.
    Binding("Combo_PROFRMode").Register(48640).Index().Paint("Label_PROFRMode"),
    Binding("Edit_PROFRGradient").Register(48641).Strict().Paint("Label_PROFRGradient"),
    Limit("FacStart", 48642, 100),
    Limit("FacStop", 48643, 100),
    Limit("FacRec", 48644, 100),
    Limit("PF_ReocveryTime", 48646, 100).Refuse(0, 60000),
    Limit("Statism", 48647, 10),
    Limit("PROFR_ResponseTime", 48648, 100),
    Binding("Edit_PROFRGradient_Under").Register(48649).Strict().Paint("Label_PROFRGradient_Under"),
    Limit("FacStart_Under", 48650, 100),
    Limit("FacRec_Under", 48651, 100),
    Binding("Edit_PminPercent").Register(48652).Tolerant().Paint("Label_PminPercent"),
    Binding("Combo_PROFRMode_Under").Register(48653).Index().Paint("Label_PROFRMode_Under"),
    Limit("PF_ReocveryTime_Under", 48654, 100).Refuse(0, 60000),
    Limit("FHighOFF1", 33568, 100),
    // Multi-function relay: relay 2's registers lie twelve above relay 1's.
    Binding("Combo_SelectRelay").NoValue().Adjust(SelectRelay),
    Relay(Binding("Combo_MultiRelay1").Register(52738).Index().Paint("Label_MultiRelay1")),
    Relay(Binding("Edit_Relay1_FEW1").Register(52739).Tolerant().Paint("Label_Relay1_FEW1")),
    Relay(Binding("Edit_Relay1_FEW2").Register(52740).Tolerant().Paint("Label_Relay1_FEW2")),
    Relay(Binding("Edit_Relay1_FEW3").Register(52741).Tolerant().Paint("Label_Relay1_FEW3")),
    Relay(Binding("Combo_PowerPro1").Register(52742).Index().Paint("Label_PowerPro1")),
    Relay(Limit("RelayOP1", 52743, 100)),
    Relay(Binding("Edit_RelayDuration1").Register(52744).Tolerant().Paint("Label_RelayDuration1")),
    Relay(Binding("Edit_RelayMD1").Register(52745).Tolerant().Paint("Label_RelayMD1")),
    Relay(Binding("Edit_Relay1Temp1").Register(52746).Decimal(10).Signed().Paint("Label_Relay1Temp1")).Adjust(RelayTemperature),
    AlarmClass("Check_Relay1AllError", 0),
    AlarmClass("Check_Relay1AllFault", 1),
    AlarmClass("Check_Relay1AllWarning", 2),
    // RPR/OVGR: the flag word carries the flag in its low bits and, in bit 15, the first choice
    // of its pair. Only a user's click writes (the reader checks them quietly).
    Binding("Radio_RPR1Enabled").Register(52672).Constant(0x8001).On(settings::Event::Click),
    Binding("Radio_RPR1Disabled").Register(52672).Constant(1).On(settings::Event::Click),
    Binding("Radio_RPR1NormalOpen").Register(52672).Constant(0x8002).On(settings::Event::Click),
    Binding("Radio_RPR1NormalClose").Register(52672).Constant(2).On(settings::Event::Click),
    Binding("Radio_RPR1ReconnectManual").Register(52672).Constant(0x8004).On(settings::Event::Click),
    Binding("Radio_RPR1ReconnectAuto").Register(52672).Constant(4).On(settings::Event::Click),
    Binding("Btn_RPR1TrigUnlock").Register(25411).Constant(0x8008),
    Binding("Edit_RPR1ReconnectTime").Register(52673).Tolerant().Paint("Label_RPR1ReconnectTime"),
    Binding("Radio_RPR2Enabled").Register(52675).Constant(0x8001).On(settings::Event::Click),
    Binding("Radio_RPR2Disabled").Register(52675).Constant(1).On(settings::Event::Click),
    Binding("Radio_RPR2NormalOpen").Register(52675).Constant(0x8002).On(settings::Event::Click),
    Binding("Radio_RPR2NormalClose").Register(52675).Constant(2).On(settings::Event::Click),
    Binding("Radio_RPR2ReconnectManual").Register(52675).Constant(0x8004).On(settings::Event::Click),
    Binding("Radio_RPR2ReconnectAuto").Register(52675).Constant(4).On(settings::Event::Click),
    Binding("Btn_RPR2TrigUnlock").Register(25411).Constant(0x8010),
    Binding("Edit_RPR2ReconnectTime").Register(52676).Tolerant().Paint("Label_RPR2ReconnectTime"),
};

} // namespace

std::span<const Binding> ProtectionBindings() { return kProtection; }

} // namespace settings

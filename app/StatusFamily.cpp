// The status, night-mode, country and service groups on the main window: their controls, the
// settings their controls post, and their readers as the polling loop calls them.
#include "app/Main.h"

#include "app/StatusSettings.h"
#include "common/Tables.h"

using namespace vcl;
using settings::Binding;

namespace {

constexpr int kOn = 0xFF00;
constexpr int kMaxPowerRegister = 33595;
constexpr int kFirstUnicastId = 1;
constexpr int kLastUnicastId = 247;
constexpr int kFanDutyMax = 255;   // the duty is the low byte; bit 15 carries the switch

} // namespace

// The rows that read as plain sentences; the window's own rules follow in SetUpStatusFamily.
std::vector<Binding> settings::StatusBindings()
{
    std::vector<Binding> rows = {
        // Status
        Binding("Radio_RemoteON").Coil(24576).Constant(kOn),
        Binding("Radio_RemoteOFF").Coil(24576).Constant(0),
        Binding("Btn_Unlock").Code(CmdGridUnlock).NoValue(),
        Binding("Btn_Japan3P_GridUnlock").Code(CmdGridUnlock).NoValue(),
        Binding("Edit_ConstVolt").Register(829).Decimal(10).Paint("Label_ConstVolt"),
        // Night mode: the flag word names bit 6 and carries the new state in bit 15.
        Binding("Radio_NightModeON").Register(48158).Constant(0x8040),
        Binding("Radio_NightModeOFF").Register(48158).Constant(0x0040),
        // Country set
        Binding("Edit_ReclosureSet").Register(48154).Decimal(100).Paint("Label_ReclosureSet"),
        Binding("Combo_LanguageSelect").Register(48162).Index().Paint("Label_LanguageSelect"),
        // The inverter's own Modbus address: a unicast one, or it leaves the bus for good.
        Binding("Edit_InverterID").Register(48163).Tolerant().Refuse(kFirstUnicastId, kLastUnicastId).Paint("Label_InverterID"),
        Binding("Combo_Baudrate").Register(33821).Index(2).Paint("Label_Baudrate"),
        // Factory
        Binding("Btn_SaveData").Register(24665).Constant(0x55AA).Paint("Label_SaveData"),
        Binding("Btn_ClearEnergy").Code(CmdResetEnergy).NoValue(),
        Binding("Btn_ClearEvent").Coil(24624).Constant(kOn),
        Binding("Btn_ClearCloudRegister").Code(CmdClearCloudRegisters).NoValue(),
        Binding("Btn_PowerLimit2500").Code(CmdPowerLimitPreset).NoValue(),
        Binding("Label_GridLockON").Register(48158).Constant(0x8002),
        Binding("Label_GridLockOFF").Register(48158).Constant(0x0002),
        Binding("Radio_RepairON").Coil(24609).Constant(kOn),
        Binding("Radio_RepairOFF").Coil(24609).Constant(0),
        // AC terminal
        Binding("Radio_3P4W").Coil(24649).Constant(0),
        Binding("Radio_3P3W").Coil(24649).Constant(kOn),
        // Fan test: the duty travels with bit 15 set.
        Binding("Radio_FanON").Register(824).Constant(32),
        Binding("Radio_FanOFF").Register(824).Constant(0),
        Binding("Edit_FanDuty").Register(807).Tolerant().Refuse(0, kFanDutyMax).Paint("Label_FanDuty")
            .Adjust([](const settings::Context&, settings::Post& p) { p.value = (p.value - 0x8000) & 0xFFFF; return true; }),
        // EU settings
        Binding("Radio_EUParallelON").Coil(24649).Constant(kOn),
        Binding("Radio_EUParallelOFF").Coil(24649).Constant(0),
        Binding("Radio_EUEffON").Coil(24619).Constant(kOn),
        Binding("Radio_EUEffOFF").Coil(24619).Constant(0),
        Binding("Radio_AFCION").Coil(24652).Constant(kOn),
        Binding("Radio_AFCIOFF").Coil(24652).Constant(0),
        Binding("Combo_EUShadowMode").Register(48432).Index().Paint("Label_EUShadowMode"),
        // The interval is typed as its label shows it: the register's own number.
        Binding("Edit_EUShadowInterval").Register(48433).Tolerant().Paint("Label_EUShadowInterval"),
        // Input gain calibration: the executor reads the counts and writes the gains; it takes
        // the reference value as a signed word.
        Binding("Combo_GainSelect").Code(CmdGainSelectInput).Index(),
        Binding("Edit_GainCaliVdcLow").Code(CmdGainLowVoltage).Decimal(10).Signed(),
        Binding("Edit_GainCaliIdcLow").Code(CmdGainLowCurrent).Decimal(100).Signed(),
        Binding("Edit_GainCaliPdcLow").Code(CmdGainLowPower).Decimal(1).Signed(),
        Binding("Edit_GainCaliVdcHigh").Code(CmdGainHighVoltage).Decimal(10).Signed(),
        Binding("Edit_GainCaliIdcHigh").Code(CmdGainHighCurrent).Decimal(100).Signed(),
        Binding("Edit_GainCaliPdcHigh").Code(CmdGainHighPower).Decimal(1).Signed(),
    };
    // MPPT switches 1 to 6: coils 24578 to 24583.
    for (int k = 1; k <= groups::kMpptSwitches; ++k) {
        rows.push_back(Binding(QStringLiteral("Radio_MPPTSwitchON%1").arg(k)).Coil(24577 + k).Constant(kOn));
        rows.push_back(Binding(QStringLiteral("Radio_MPPTSwitchOFF%1").arg(k)).Coil(24577 + k).Constant(0));
    }
    // Gains: strict integers into 33537..33548, each painting its own label.
    static const char* const kGains[groups::kGainWords] = {
        "VoltHighGain", "VoltBoundary", "VoltLowGain", "CurrHighGain", "CurrBoundary", "CurrLowGain",
        "PowerHighGain", "PowertBoundary", "PowerLowGain", "VoltHighGainRed", "VoltBoundaryRed", "VoltLowGainRed"};
    for (int k = 0; k < groups::kGainWords; ++k) {
        const QString name = QString::fromLatin1(kGains[k]);
        rows.push_back(Binding(QStringLiteral("Edit_") + name).Register(33537 + k).Strict().Paint(QStringLiteral("Label_") + name));
    }
    // The gain index box posts the index its item stands for; no choice posts input 1.
    rows.push_back(Binding("Combo_GainIndex").Register(33536).Index().Paint("Label_GainIndex")
        .Adjust([](const settings::Context&, settings::Post& p) {
            const int k = p.value;
            p.value = k >= 0 && k < static_cast<int>(std::size(groups::kGainIndexItems)) ? groups::kGainIndexItems[k].index : 48;
            return true;
        }));
    return rows;
}

void TForm_Main::SetUpStatusFamily()
{
    StatusLabels = groups::BuildStatusGroups(*this);
    ServiceLabels = groups::BuildServiceGroups(*this);

    // Watts typed for one inverter count in its own power unit, known once its factors are read;
    // "Broadcast" hands the watts on as they are.
    Settings.powerUnit = [this] {
        if (!Radio_SendSingle->Checked())
            return 1;
        return ScaleFactorsKnown ? std::max(PowerMultiplier, 1) : 0;
    };
    static const std::vector<Binding> plain = settings::StatusBindings();
    settings::BindTable(plain, Settings);
    for (const Binding& b : WindowStatusBindings())
        settings::Bind(b, Settings);
}

std::vector<Binding> TForm_Main::WindowStatusBindings()
{
    return {
        // Maximum power: behind the access code; one inverter gets the watts in its own unit,
        // "Broadcast" hands the watts to the sequence that scales them for each inverter.
        Binding("Edit_MaxPower").Register(kMaxPowerRegister).Tolerant().PerPowerUnit().Paint("Label_MaxPower")
            .Adjust([this](const settings::Context&, settings::Post& p) {
                // The watts become the inverter's unit with its own power factor, read from it
                // (the entry is refused while it is not known).
                if (CheckServicePassword() == 0)
                    return false;
                if (Radio_SendSingle->Checked()) {
                    p.value /= PowerMultiplier > 0 ? PowerMultiplier : 1;
                    MaxPowerPostEpoch = ScaleFactorEpoch;
                } else {
                    p.code = CmdBroadcastMaxPower;
                }
                return true;
            }),
        // Constant voltage: a press on the checked box switches it off (825 := 0xFFFF), on an
        // unchecked one the sequence switches it on.
        Binding("Check_ConstVolt").Register(825).Constant(0xFFFF)
            .Adjust([](const settings::Context& ctx, settings::Post& p) {
                auto* box = dynamic_cast<TCheckBox*>(ctx.form->FindComponent(QStringLiteral("Check_ConstVolt")));
                if (box && !box->Checked())
                    p.code = CmdConstVoltOn;
                return true;
            }),
        // Country: the code of the item picked, from the same list that filled the box.
        Binding("Combo_Country").Register(797).Index().Paint("Label_Country")
            .Adjust([this](const settings::Context&, settings::Post& p) {
                if (p.value < 0 || p.value >= static_cast<int>(CountryBoxCodes.size()))
                    return false;
                p.value = CountryBoxCodes[static_cast<size_t>(p.value)];
                return true;
            }),
    };
}

bool TForm_Main::DropsStaleMaxPowerPost()
{
    const int epoch = MaxPowerPostEpoch;
    MaxPowerPostEpoch = -1;
    if (epoch < 0 || Link.CommandCode != CmdWriteRegister || Link.CommandAddress != kMaxPowerRegister)
        return false;
    // Another inverter chosen (or the factors re-read) since the watts were converted: the
    // number is in the unit of an inverter that is not the one addressed now.
    if (epoch != ScaleFactorEpoch)
        MessageBox(QStringLiteral("Max. Power not written: another inverter was chosen (or its scale factors read again) "
                                  "after it was typed, please enter it again"));
    else if (!ScaleFactorsKnown)
        MessageBox(settings::kPowerUnitUnknown);
    else if (Radio_CmdBroadcast->Checked())
        MessageBox(QStringLiteral("Max. Power not written: it was converted for one inverter, please enter it again for all"));
    else
        return false;
    Link.CommandCode = 0;
    return true;
}

groups::CountryNameList TForm_Main::CountryNamesInUse() const
{
    if (!CountryListFile.UsesBuiltIn())
        return {CountryListFile.names.data(), static_cast<int>(CountryListFile.names.size())};
    if (Link.IdProductId[Link.SlaveId] == CountryListProductId)
        return {CountryNames2, 100};
    return {CountryNames1, 100};
}

int TForm_Main::ReadStatus(std::uint8_t stop)
{
    return groups::ReadStatus(Link, Readers, StatusLabels.Status, StateTextTable, stop);
}
int TForm_Main::ReadNightMode(std::uint8_t stop) { return groups::ReadNightMode(Link, StatusLabels.NightMode, stop); }
int TForm_Main::ReadCountrySet(std::uint8_t stop)
{
    return groups::ReadCountrySet(Link, CountryNamesInUse(), StatusLabels.Country, stop);
}
int TForm_Main::ReadFactory(std::uint8_t stop) { return groups::ReadFactory(Link, ServiceLabels.Factory, stop); }
int TForm_Main::ReadAcTerminal(std::uint8_t stop) { return groups::ReadAcTerminal(Link, ServiceLabels.AcTerminal, stop); }
int TForm_Main::ReadFanTest(std::uint8_t stop) { return groups::ReadFanTest(Link, ServiceLabels.FanTest, stop); }
int TForm_Main::ReadMpptSwitch(std::uint8_t stop) { return groups::ReadMpptSwitch(Link, ServiceLabels.Mppt, stop); }
int TForm_Main::ReadGain(std::uint8_t stop) { return groups::ReadGain(Link, ServiceLabels.Gain, stop); }
int TForm_Main::ReadEuSet(std::uint8_t stop) { return groups::ReadEuSet(Link, ServiceLabels.EuSet, stop); }

// The live-value readers as the polling loop calls them, and the command sequences of the
// live-value panels' buttons.
#include "app/Main.h"

#include "vcl/Services.h"

using namespace vcl;

namespace {

// Relay 1 of the multi-function relays and the settings store.
constexpr int kRelay1Function = 52738;          // 0xCE02
constexpr int kRelay1PowerProduction = 52742;   // 0xCE06
constexpr int kCountryCode = 797;               // 0x31D
constexpr int kRelayPowerProductionFunction = 2;
constexpr int kStringCurrentConfig = 48931;     // 0xBF23 .. 0xBF25
constexpr int kStringCurrentDc12 = 0x0909;
constexpr int kStoreSettings = 24665;           // 0x6059
constexpr int kStoreSettingsValue = 0x55AA;
constexpr int kStorePauseMs = 2000;

} // namespace

int TForm_Main::ReadTemperature1(std::uint8_t stop) { return groups::ReadTemperature(Link, Readers, LiveLabels, 0, stop); }
int TForm_Main::ReadTemperature2(std::uint8_t stop) { return groups::ReadTemperature(Link, Readers, LiveLabels, 1, stop); }
int TForm_Main::ReadOutputEnergy(std::uint8_t stop) { return groups::ReadOutputEnergy(Link, Readers, LiveLabels, stop); }
int TForm_Main::ReadAcPhase1(std::uint8_t stop) { return groups::ReadAcPhase(Link, Readers, OutputLabels, 0, stop); }
int TForm_Main::ReadAcPhase2(std::uint8_t stop) { return groups::ReadAcPhase(Link, Readers, OutputLabels, 1, stop); }
int TForm_Main::ReadAcPhase3(std::uint8_t stop) { return groups::ReadAcPhase(Link, Readers, OutputLabels, 2, stop); }
int TForm_Main::ReadInternalMeter(std::uint8_t stop) { return groups::ReadInternalMeter(Link, Readers, LiveLabels, stop); }
int TForm_Main::ReadLnSt(std::uint8_t stop) { return groups::ReadLnSt(Link, Readers, LiveLabels, stop); }
int TForm_Main::ReadInput1to6(std::uint8_t stop) { return groups::ReadInput1to6(Link, Readers, LiveLabels, OutputLabels, stop); }
int TForm_Main::ReadInput7to12(std::uint8_t stop) { return groups::ReadInput7to12(Link, Readers, LiveLabels, OutputLabels, stop); }
int TForm_Main::ReadStringCurrent(std::uint8_t stop) { return groups::ReadStringCurrent(Link, Readers, LiveLabels, stop); }
int TForm_Main::ReadAdcCount(std::uint8_t stop) { return groups::ReadAdcCount(Link, Readers, LiveLabels, stop); }
int TForm_Main::ReadBusVoltage(std::uint8_t stop) { return groups::ReadBusVoltage(Link, Readers, LiveLabels, stop); }
int TForm_Main::ReadTotalBus(std::uint8_t stop) { return groups::ReadTotalBus(Link, Readers, LiveLabels, stop); }
int TForm_Main::ReadTotalPower(std::uint8_t stop)
{
    return groups::ReadTotalPower(Link, Readers, LiveLabels, OutputLabels, ReactiveSign, stop);
}
int TForm_Main::ReadTestValue(std::uint8_t stop) { return groups::ReadTestValue(Link, Readers, LiveLabels, stop); }
int TForm_Main::ReadDcRelayTimes(std::uint8_t stop) { return groups::ReadDcRelayTimes(Link, Readers, LiveLabels, stop); }
int TForm_Main::ReadLoad1(std::uint8_t stop) { return groups::ReadLoad(Link, Readers, LiveLabels, 0, stop); }
int TForm_Main::ReadLoad2(std::uint8_t stop) { return groups::ReadLoad(Link, Readers, LiveLabels, 1, stop); }
int TForm_Main::ReadStandAlone3P(std::uint8_t stop) { return groups::ReadStandAlone3P(Link, Readers, LiveLabels, stop); }
int TForm_Main::ReadMaxOutput(std::uint8_t stop) { return groups::ReadMaxOutput(Link, Readers, LiveLabels, stop); }
int TForm_Main::ReadMaxInput(std::uint8_t stop) { return groups::ReadMaxInput(Link, Readers, LiveLabels, stop); }

int TForm_Main::RunLiveValueCommand()
{
    Modbus& m = Link;
    const int code = m.CommandCode;
    m.CommandCode = 0;
    // Each write goes to the current inverter only; a failed link stops the sequence there.
    const auto write = [&m](int reg, int value) { return m.Request(reg, value, 6) != 0; };
    const auto switchTest = [this](bool on) {
        if (auto* b = dynamic_cast<TControl*>(FindComponent(QStringLiteral("Btn_DryContactTest3PON"))))
            b->SetEnabled(!on);
        if (auto* b = dynamic_cast<TControl*>(FindComponent(QStringLiteral("Btn_DryContactTest3POFF"))))
            b->SetEnabled(on);
    };
    switch (code) {
    case CmdDryContactTestOn: {
        // Relay 1's function as shown ("3: External Load Control"): its first digit, 0 for "??".
        const auto* shown = dynamic_cast<TControl*>(FindComponent(QStringLiteral("Label_MultiRelay1")));
        DryContactRelayNumber = StrToIntSafe(shown ? shown->Caption().left(1) : QString());
        if (write(kRelay1Function, kRelayPowerProductionFunction) || write(kRelay1PowerProduction, 1))
            return 1;
        // The buttons follow what the inverter was told, not the click.
        switchTest(true);
        return 0;
    }
    case CmdDryContactTestOff:
        if (write(kRelay1Function, DryContactRelayNumber) || write(kRelay1PowerProduction, 0) || write(kCountryCode, 0))
            return 1;
        switchTest(false);
        return 0;
    case CmdEnableStringCurrentDc12:
        if (write(kStringCurrentConfig, kStringCurrentDc12) || write(kStringCurrentConfig + 1, 0) ||
            write(kStringCurrentConfig + 2, 0))
            return 1;
        Time().Sleep(kStorePauseMs);
        return write(kStoreSettings, kStoreSettingsValue) ? 1 : 0;
    default:
        return 0;
    }
}

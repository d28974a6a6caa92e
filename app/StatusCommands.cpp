// The fixed sequences that the status and service groups post (constant voltage on, energy
// reset, cloud registers back to default, the 2.5 kW preset, grid unlock, the maximum power
// broadcast) and the input gain calibration. They run in the executor, between two polling
// cycles; their pauses block without pumping the window.
#include "app/Main.h"

#include "link/WalkReport.h"
#include "vcl/Services.h"

#include <algorithm>

using namespace vcl;

namespace {

constexpr int kOn = 0xFF00;
constexpr int kCoilPauseMs = 500;
constexpr int kPresetPauseMs = 200;

// The ADC counts of the calibrated input (AdcWindow, behind PageSelect) and the gain registers.
constexpr int kAdcCounts = 1068;       // 1068 voltage, 1069 current, 1070 power
constexpr int kGainIndexRegister = 33536;
constexpr int kHighGain = 33537;       // + 3 q: high gain, boundary count, low gain of quantity q
constexpr int kPageSelect = 800;
constexpr int kFirstInputPage = 48;
constexpr int kGainOne = 4096;

// Count q of the calibrated input. The window's page is selected right before the read: a reader
// of the ADC panel pages the same window between two commands, and a count of its page would
// turn into another input's gain. read is true only when the page select and the read were both
// accepted. Returns the link's failure.
int ReadCalibrationCount(Modbus& m, int q, bool& read)
{
    read = false;
    if (m.Request(kPageSelect, (std::clamp(m.CalibrationIndex, 0, 17) + kFirstInputPage) & 0xFFFF, 6))
        return 1;
    if (!groups::Accepted(m, 6))
        return 0;
    if (m.Request(kAdcCounts + q, 1, 4))
        return 1;
    read = groups::Accepted(m, 4);
    return 0;
}

} // namespace

int TForm_Main::RunStatusSequence()
{
    Modbus& m = Link;
    const int value = m.CommandValue;   // sign-extended
    auto write = [&m](int reg, int v) { m.Request(reg, v & 0xFFFF, 6); };
    auto coil = [&m](int reg) { m.Request(reg, kOn, 5); };

    switch (m.CommandCode) {
    case CmdConstVoltOn:
        write(824, 0);
        write(825, 1024);
        return 0;
    case CmdResetEnergy:
        coil(24628);
        Time().Sleep(kCoilPauseMs);
        coil(24629);
        return 0;
    case CmdClearCloudRegisters:
        for (int c : {24628, 24629, 24624, 24597, 24643}) {
            coil(c);
            Time().Sleep(kCoilPauseMs);
        }
        write(60416, 512);
        write(60416, 1024);
        write(60566, 0xFF00);
        write(60567, 0x55AA);
        for (int j = 0; j < 20; ++j) {
            write(60566, j);
            write(60567, 0);
        }
        return 0;
    case CmdPowerLimitPreset: {
        write(33595, 2500);
        Time().Sleep(kPresetPauseMs);
        // The model designation, two characters a register, the first in the high byte.
        const char model[] = "Q7.0_384";
        for (int k = 0; k < 4; ++k) {
            write(44032 + k, static_cast<unsigned char>(model[2 * k]) << 8 | static_cast<unsigned char>(model[2 * k + 1]));
            Time().Sleep(kPresetPauseMs);
        }
        for (int k = 4; k < 8; ++k)
            write(44032 + k, 0);
        return 0;
    }
    case CmdGridUnlock:
        write(25411, 1);
        Time().Sleep(kPresetPauseMs);
        write(48384, 1);
        return 0;
    case CmdBroadcastMaxPower: {
        // Each inverter takes the watts in its own power unit. Its scale descriptor is read for
        // the division only: the window's factors stay those of the current inverter, and an
        // inverter whose descriptor did not come is left alone.
        const int watts = static_cast<std::uint16_t>(m.CommandValue);
        const int address = m.CommandAddress;
        const std::uint8_t saved = m.SlaveId;
        const int count = TargetCount();
        WalkReport report;
        for (int k = 1; k <= count; ++k) {
            SelectTarget(k);
            m.Request(40988, 8, 4);
            if (!groups::Accepted(m, 4) || m.Reply[2] != 16) {
                report.Missed(m.SlaveId);
                continue;
            }
            const int mode = groups::Word(m, 0);
            int power = 1;
            DecodeScaleDescriptor(groups::Word(m, 7), &mode, nullptr, &power, nullptr, nullptr, nullptr);
            const int unit = watts / std::max(power, 1);
            write(address, unit);
            report.Add(m.SlaveId, WriteTaken(m, address, unit, 6));
        }
        RestoreSelection(saved);
        if (report.AnyMissed())
            MessageBox(report.Message(QStringLiteral("Max. Power")));
        return 0;
    }
    case CmdGainSelectInput: {
        // The input's gains and its ADC page; the page stays chosen until a reader pages.
        m.CalibrationIndex = std::clamp(value, 0, 17);
        if (m.Request(kGainIndexRegister, (value + kFirstInputPage) & 0xFFFF, 6))
            return 1;
        if (m.Request(kPageSelect, (value + kFirstInputPage) & 0xFFFF, 6))
            return 1;
        groups::SetText(ServiceLabels.Calibrate.Selected, QString::number(static_cast<std::int16_t>(value)));
        return 0;
    }
    case CmdGainLowVoltage:
    case CmdGainLowCurrent:
    case CmdGainLowPower: {
        const int q = m.CommandCode - CmdGainLowVoltage;
        std::int32_t* r = m.CalibrationPoints[std::clamp(m.CalibrationIndex, 0, 17)];
        bool read = false;
        if (ReadCalibrationCount(m, q, read))
            return 1;
        // A count that did not come is no count: nothing is computed from it.
        const int count = read ? groups::Word(m, 0) : 0;
        r[3 + q] = count;
        if (count == 0) {
            MessageBox(QStringLiteral("Error - No ADC"));
            return 0;
        }
        r[q] = value;
        const std::int32_t lowGain = value * kGainOne / count;
        if (q == 0)
            MessageBox(QString::number(count));
        if (m.Request(kHighGain + 3 * q + 1, count & 0xFFFF, 6))
            return 1;
        if (m.Request(kHighGain + 3 * q + 2, lowGain & 0xFFFF, 6))
            return 1;
        return 0;
    }
    case CmdGainHighVoltage:
    case CmdGainHighCurrent:
    case CmdGainHighPower: {
        const int q = m.CommandCode - CmdGainHighVoltage;
        const std::int32_t* r = m.CalibrationPoints[std::clamp(m.CalibrationIndex, 0, 17)];
        bool read = false;
        if (ReadCalibrationCount(m, q, read))
            return 1;
        if (!read) {
            MessageBox(QStringLiteral("Error - No ADC"));
            return 0;
        }
        const int span = groups::Word(m, 0) - r[3 + q];
        if (span == 0)
            return 0;   // no second point apart from the first: no gain
        const std::int32_t highGain = (value - r[q]) * kGainOne / span;
        if (m.Request(kHighGain + 3 * q, highGain & 0xFFFF, 6))
            return 1;
        return 0;
    }
    default:
        return -1;
    }
}

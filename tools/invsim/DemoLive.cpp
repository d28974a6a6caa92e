// The demonstration inverter's live values beyond the AC output block: the measurement pages
// behind register 800 (grid and output side of each phase, loads, DC-input ADC counts, bus),
// the DC inputs and strings, the output side's totals and maxima, the internal meter, energy
// and counters, temperatures, test values, and the registers the live-value buttons write.
#include "tools/invsim/Demo.h"

#include <cmath>

namespace invsim {

namespace {

std::uint16_t W(double v) { return static_cast<std::uint16_t>(static_cast<std::int32_t>(std::lround(v)) & 0xFFFF); }

void Put(Inverter& inv, int reg, std::initializer_list<double> words)
{
    for (double w : words)
        inv.SetInput(reg++, W(w));
}

// A 32-bit value into two input registers, low word first.
void PutPair(Inverter& inv, int reg, std::uint32_t v)
{
    inv.SetInput(reg, static_cast<std::uint16_t>(v & 0xFFFF));
    inv.SetInput(reg + 1, static_cast<std::uint16_t>(v >> 16));
}

void HoldingIfAbsent(Inverter& inv, int reg, std::uint16_t v)
{
    if (!inv.Holding(reg))
        inv.SetHolding(reg, v);
}

// A measurement page: words 1..7 of the page, and at words 12..15 its raw ADC counts (the ADC
// window at 1068 is word 12 of the measurement window at 1056).
void PutPage(Inverter& inv, int page, std::array<double, 7> words, std::array<double, 4> counts)
{
    std::vector<std::uint16_t> w(16, 0);
    for (int k = 0; k < 7; ++k)
        w[static_cast<size_t>(k + 1)] = W(words[static_cast<size_t>(k)]);
    for (int k = 0; k < 4; ++k)
        w[static_cast<size_t>(k + 12)] = W(counts[static_cast<size_t>(k)]);
    inv.SetMeasurementPage(page, std::move(w));
}

constexpr int kOutputBlock = 49152;
constexpr int kInputs1to6 = 45056;
constexpr int kReactiveBlock = 49248;
constexpr int kTemperatures = 1080;

} // namespace

void LoadDemoLiveValues(Inverter& inv)
{
    // Loads (tenths of a volt, hundredths of an ampere, watts), bus and total bus (volts / 100).
    PutPage(inv, 32, {2305, 152, 350, 5000, 0, 0, 0}, {});
    PutPage(inv, 33, {2301, 87, 198, 5000, 0, 0, 0}, {});
    PutPage(inv, 64, {32506, 0, 0, 0, 0, 0, 0}, {2950, 0, 0, 0});
    PutPage(inv, 65, {32480, 0, 0, 0, 0, 0, 0}, {2946, 0, 0, 0});
    PutPage(inv, 66, {64986, 0, 0, 0, 0, 0, 0}, {3012, 0, 0, 0});
    // DC inputs 1..6: only their ADC counts are paged (voltage, current, power).
    for (int i = 0; i < 6; ++i)
        PutPage(inv, 48 + i, {}, i < 3 ? std::array<double, 4>{2480.0 + 7 * i, 1210.0 - 5 * i, 3005.0 + 11 * i, 0}
                                       : std::array<double, 4>{12, 3, 0, 0});

    // Stand-alone output (U-W, U-O, W-O) and the LN/ST voltages.
    Put(inv, 49167, {24010, 52, 125, 6000, 12005, 26, 31, 6000, 12003, 26, 31, 6000, 0, 0, 0, 0});
    Put(inv, 3328, {13209, 12010, 0, 0, 0, 24005});
    // The per-phase maxima since the last reset.
    Put(inv, 49215, {24530, 131, 302, 5012, 24495, 129, 298, 5011, 24560, 133, 305, 5013});
    // Input maxima 1..6 and 7..8; inputs 7..12 are not connected.
    Put(inv, 45075, {64210, 61, 381, 63990, 60, 372, 64120, 61, 376, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    for (int k = 0; k < 18; ++k)
        inv.SetInput(45093 + k, 0);
    for (int k = 0; k < 6; ++k)
        inv.SetInput(45111 + k, 0);
    // String currents (/10): two strings on each of the three inputs.
    for (int k = 0; k < 24; ++k)
        inv.SetInput(53776 + k, k < 6 ? static_cast<std::uint16_t>(24 + k % 2) : 0);

    // Internal meter of a single-phase three-wire connection: U and W, 60 Hz.
    Put(inv, 26176, {1201, 1150, 1380, 0, 0, 6000, 1199, 1120, 1343, 0, 0, 6000});
    PutPair(inv, 26188, 123456);   // U energy in, tenths of a kWh
    PutPair(inv, 26190, 2345);     // U energy out
    PutPair(inv, 26192, 120987);   // W energy in
    PutPair(inv, 26194, 2210);     // W energy out
    // Output energy (Wh / 10) and running times; the lifetime total is beyond a float's digits.
    PutPair(inv, 1072, 1825);
    PutPair(inv, 1074, 22350);
    PutPair(inv, 1076, 123456789);
    PutPair(inv, 1078, 9876543);
    // DC relay operations.
    PutPair(inv, 23050, 1532);
    PutPair(inv, 23052, 1531);
    PutPair(inv, 23054, 1530);
    PutPair(inv, 23056, 70001);
    // Temperature maxima; the present values move.
    Put(inv, 1152, {45, 71, 68, 74, 79, 80, 78, 44});
    // Service test values.
    Put(inv, 21504, {0, 1, -2, 300, 4096, -32768, 32767, 12, 0, 7, -15, 99});
    Put(inv, 24128, {5, 0, 0, -1, 250, 251, 249, 0, 3, 0, 0, 1});

    // The registers the live-value buttons write (relay 1, country, string-current set-up, store).
    for (int reg : {52738, 52742, 797, 48931, 48932, 48933, 24665})
        HoldingIfAbsent(inv, reg, 0);
    UpdateDemoLiveValues(inv, 0.0);
}

void UpdateDemoLiveValues(Inverter& inv, double t)
{
    // The phase pages follow the output block: grid side, its redundant measurement a little
    // apart, and the output side a few tenths above the grid.
    for (int p = 0; p < 3; ++p) {
        const int base = kOutputBlock + 1 + 4 * p;
        const double volts = inv.Input(base).value_or(0), amps = inv.Input(base + 1).value_or(0);
        const double power = static_cast<std::int16_t>(inv.Input(base + 2).value_or(0)), hertz = inv.Input(base + 3).value_or(0);
        PutPage(inv, p, {volts, amps, power, hertz, 0, volts + 20, hertz + 1},
                {volts / 10 + 300, amps * 2 + 100, power + 1000, volts / 10 + 302});
        PutPage(inv, 16 + p, {volts + 30, 0, 0, 0, 0, volts + 40, 0}, {volts / 10 + 303, 0, 0, volts / 10 + 304});
    }
    // Three PV inputs around 610 V and 4.9 A (current / 10, power x 10), the rest dark.
    double total = 0;
    std::vector<double> words;
    for (int n = 0; n < 6; ++n) {
        const double v = n < 3 ? 612.0 + 4 * std::sin(t / 9.0 + n) : 0.4;
        const double i = n < 3 ? 4.9 + 0.3 * std::sin(t / 11.0 + n) : 0;
        words.insert(words.end(), {v * 100, i * 10, v * i / 10});
        total += v * i;
    }
    inv.SetInput(kInputs1to6, W(total / 10));
    for (std::size_t k = 0; k < words.size(); ++k)
        inv.SetInput(kInputs1to6 + 1 + static_cast<int>(k), W(words[k]));
    // Reactive power (x 10) and power factor (hundredths), capacitive.
    inv.SetInput(kReactiveBlock, W(-(120 + 10 * std::sin(t / 13.0)) / 10));
    inv.SetInput(kReactiveBlock + 1, W(-99));
    // Temperatures: ambient, boosts, inverter, heat sinks, second ambient.
    const double warm = 3 * std::sin(t / 17.0);
    Put(inv, kTemperatures, {38 + warm, 52 + warm, 49 + warm, 55 + warm, 61 + warm, 63 + warm, 60 + warm, 36 + warm});
}

} // namespace invsim

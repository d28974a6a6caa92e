// The protection limits of the demonstration inverter: a 230 V / 50 Hz grid code with two
// voltage stages, slow stages and the AU/NZ extras, as a commissioned inverter holds them.
#include "tools/invsim/Demo.h"

#include <initializer_list>

namespace invsim {

void LoadDemoProtection(Inverter& inv)
{
    struct Block {
        int first;
        std::initializer_list<std::uint16_t> words;
    };
    const Block holding[] = {
        // U high off/time/on, U low off/time/on, then the slow stage (0.1 V, 0.01 s).
        {33552, {2645, 20, 2530, 1840, 20, 1955, 2530, 300, 2500, 2070, 300, 2070}},
        // U high off 2, time, on (AU/NZ).
        {33564, {2650, 20, 2530}},
        // F high off/time/on, F low off/time/on; slow stage (0.01 Hz, 0.01 s).
        {33568, {5200, 20, 5005, 4750, 20, 4995}},
        {33610, {5150, 500, 5005, 4800, 500, 4995}},
        // The second slow stage.
        {48176, {2600, 1000, 2500, 1950, 1000, 2070}},
        // P(U) start and stop voltage.
        {48550, {2500, 2650}},
        // Insulation resistance limit (kohm), ground current 0.1 A / 0.1 s, DC injection
        // 0.01 A / 0.1 s, comm protection on after 60 s, dry contacts "On Grid" and "Alarm".
        {33584, {400}},
        {33593, {3, 3}},
        {33576, {50, 5}},
        {25412, {1, 60}},
        {48173, {1, 4}},
        // Dark current on, power-on switch off, standing by for the night, string 3, 1.5 A, 30 min.
        {48976, {1, 1, 3, 150, 1800}},
        // EPO inputs, islanding on, anti-islanding on, arc status normal, anti-PID 30 ready.
        {33603, {0, 1}},
        {33580, {0xFFFF}},
        {33648, {3}},
        {48384, {0}},
        {25419, {30, 0}},
        // Low-voltage ride-through: enabled, 0.15 s, 20 %, 90 %, 85 %, 0.50 s, 1.50 s, 110 %, k 2.0.
        {853, {1, 15, 20, 90, 85, 50, 150, 110, 20}},
        // High-voltage ride-through: enabled, 120 %, 125 %, 0.10 s, 1.00 s.
        {48905, {1, 120, 125, 10, 100}},
        // Over-frequency reduction on: 40 %, 50.20 / 51.50 / 50.10 Hz, recovery 300 s, 0.50 s
        // response; under-frequency off: 40 %, 49.80 / 49.90 Hz, Pmin 20 %.
        {48640, {1, 40, 5020, 5150, 5010, 0, 30000, 40, 50, 40, 4980, 4990, 20, 0, 30000}},
        // Relay 1: power production above 1.50 kW after 5 min, off 10 min after, fan 45.0 degrees;
        // relay 2: fault/error/warning on events 301, 302, 0, all errors and faults.
        {52738, {2, 0, 0, 0}},
        {52742, {1, 150, 5, 10, 450, 0, 0}},
        {52750, {1, 301, 302, 0}},
        {52754, {0, 0, 0, 0, 0, 0, 3}},
        // RPR/OVGR inputs: input 1 enabled, normally open, auto reconnect after 300 s; input 2 off.
        // Their lock bits 3 and 4 of 25411 clear; bit 0 there is the grid lock, engaged as the
        // status group's demonstration shows it.
        {52672, {3, 300, 0, 0, 300, 0}},
        {25411, {1}},
        // The partner brand's set points on a 60 Hz grid: OVR 115 V, UVR 80 V, 1.0 s; OFR 61.1 Hz,
        // UFR 58.2 Hz, 2.0 s; reconnection after 300 s; voltage rise suppression 108.0 and 3;
        // islanding detection on, no output limit; fixed power factor 0.95; 50 Hz rows 51/48.5.
        {25344, {5, 0, 1, 5, 0, 3, 3, 3, 1, 0, 5, 0, 0, 0, 16, 3, 10}},
    };
    for (const Block& b : holding) {
        int reg = b.first;
        for (std::uint16_t w : b.words)
            inv.SetHolding(reg++, w);
    }
    inv.SetInput(1793, 0);   // DRM state: no demand response mode asserted
    inv.SetInput(3332, 6000);   // grid frequency 60.00 Hz: the set points' 60 Hz rows
    // The partner brand's monitor and energy: 2032 h 51 min of output since 2020/01/01, maxima of
    // 438.5 V DC and 245.1 V AC; two strings live. The processor versions it shows are those of
    // the Japanese-market block (LoadDemoJapan).
    const std::pair<int, std::vector<std::uint16_t>> partner[] = {
        {53254, {0xAB10, 0x006F}},
        {55808, {0x5E0B, 0xE100}},
        {1114, {4120, 4385, 0, 3980, 2451}},
        {3360, {3652, 812, 2965, 3610, 798, 2881, 0, 0, 0, 0, 0, 0}},
    };
    for (const auto& [first, words] : partner) {
        int reg = first;
        for (std::uint16_t w : words)
            inv.SetInput(reg++, w);
    }
    // Insulation: the switches on, the leakage resistances now / max / min of R1 and R2.
    inv.SetCoil(24641, true);
    inv.SetCoil(24642, true);
    inv.SetCoil(24640, false);
    const std::uint16_t leakage[5] = {1850, 0, 0, 0, 1920};
    for (int k = 0; k < 5; ++k)
        inv.SetInput(53288 + k, leakage[k]);
    const std::uint16_t extremes[4] = {2400, 1500, 2450, 1600};
    for (int k = 0; k < 4; ++k)
        inv.SetInput(53504 + k, extremes[k]);
    inv.SetInput(1131, 1850);   // the same average behind the unlock value
    // Dark-current energy 12345 Wh and run time 3725 s, low words first.
    const std::uint16_t dark[4] = {12345, 0, 3725, 0};
    for (int k = 0; k < 4; ++k)
        inv.SetInput(49255 + k, dark[k]);
    inv.SetCoil(24652, false);   // arc detection enabled
}

} // namespace invsim

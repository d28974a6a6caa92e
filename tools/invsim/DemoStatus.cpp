// The demonstration inverter's status, country and service registers: a 5 kW unit on the grid
// in Germany with night mode on, a grid lock to undo, two of six MPPT trackers in use, its gains
// and calibration counts, and the EU settings with an arc-fault counter behind its unlock.
#include "tools/invsim/Demo.h"

namespace invsim {

namespace {

struct HoldingValue {
    int reg;
    std::uint16_t value;
};

constexpr HoldingValue kHolding[] = {
    // Status: constant voltage off at 230.0 V, maximum power 500 x 10 W, the grid locked.
    {824, 0}, {825, 0}, {826, 0}, {827, 0}, {828, 0}, {829, 2300}, {33595, 500},
    {25411, 1}, {48384, 0},
    // Flag word: night mode on (bit 6), grid lock switch off (bit 1).
    {48158, 0x0040},
    // Country set: Germany LV, English display, 60.00 s reclosure, inverter ID 1, 9600 bit/s.
    {797, 28}, {48162, 0}, {48154, 6000}, {48163, 1}, {33821, 2},
    // Factory: store-settings register; fan duty 50 %.
    {24665, 0}, {807, 50},
    // Gains of input 1 (index 48): high gain, boundary count, low gain for voltage, current,
    // power and the redundant voltage measurement; 4096 is a gain of 1.
    {33536, 48}, {33537, 4102}, {33538, 1850}, {33539, 4088}, {33540, 4096}, {33541, 1210},
    {33542, 4111}, {33543, 4093}, {33544, 2400}, {33545, 4090}, {33546, 4099}, {33547, 1852},
    {33548, 4085},
    // EU settings: the unlock register, shadow mode "Noon" every 30.
    {832, 0}, {48432, 2}, {48433, 30},
    // Registers the cloud reset writes (the 2.5 kW preset writes the model name, 44032..44039).
    {60416, 0}, {60566, 0}, {60567, 0},
};

struct CoilValue {
    int reg;
    bool on;
};

constexpr CoilValue kCoils[] = {
    {24576, true},                      // remote on
    {24609, false},                     // repair mode
    {24578, true}, {24579, true}, {24580, false}, {24581, false}, {24582, false}, {24583, false},
    {24619, false},                     // efficiency mode
    {24652, false},                     // arc-fault detector
    // Command coils: clear energy and run time, event log, cloud registers.
    {24628, false}, {24629, false}, {24624, false}, {24597, false}, {24643, false},
};

} // namespace

void LoadDemoStatusGroups(Inverter& inv)
{
    for (const HoldingValue& h : kHolding)
        inv.SetHolding(h.reg, h.value);
    for (const CoilValue& c : kCoils)
        inv.SetCoil(c.reg, c.on);
    inv.SetInput(1048, 2);          // state: on grid
    inv.SetInput(1049, 0);          // reclosure countdown
    inv.SetInput(1046, 12);         // AFCI revision
    inv.SetHiddenInput(1128, 3);    // AFCI events, behind the unlock
    // Raw ADC counts of the DC inputs (pages 48 to 53, window words 12 to 14: voltage, current,
    // power) as the calibration reads them.
    for (int i = 0; i < 6; ++i) {
        inv.SetMeasurementWord(48 + i, 12, static_cast<std::uint16_t>(i < 2 ? 3120 - 40 * i : 0));
        inv.SetMeasurementWord(48 + i, 13, static_cast<std::uint16_t>(i < 2 ? 1460 + 25 * i : 0));
        inv.SetMeasurementWord(48 + i, 14, static_cast<std::uint16_t>(i < 2 ? 2780 - 30 * i : 0));
    }
}

} // namespace invsim

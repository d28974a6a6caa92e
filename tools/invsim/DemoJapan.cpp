// The Japanese-market registers of the demonstration inverter: rating, firmware versions with
// their build weeks, state coils, protection masks, the three-phase user settings and the rest
// of the enumerated grid settings (their first words are the partner brand's set points).
#include "tools/invsim/Demo.h"

#include <initializer_list>
#include <utility>

namespace invsim {

void LoadDemoJapan(Inverter& inv)
{
    struct Block {
        int first;
        std::initializer_list<std::uint16_t> words;
    };
    const Block holding[] = {
        {33597, {5500}},                      // rating 5500 W
        {25665, {0x0104}},                    // storage BMS V1.04
        {25409, {1}},                         // remote control: on grid
        // Masks: active and passive islanding detection on (the anti-islanding mode reads the
        // same word), back to normal and disturbance detection 1 on; initial action normal.
        {33658, {0x0003, 2}},
        // The rest of the enumerated settings: output control rated, 100 %, 300 s; active
        // islanding gain A, RPR standby 0, ground fault on, main-load measurement off;
        // backflow protection on, load following off.
        {25361, {1, 100, 300, 1, 0, 1, 0, 1, 0}},
        {44040, {1}},                         // ID setting
        // Three-phase user settings: power factor Ind 0.95. The output control (798.., 48514), the
        // reactive mode (33616) and the voltage-rise suppression (48790..) are the registers the
        // grid-tied power-control panels show; the demonstration inverter keeps their values.
        {48769, {95}},
    };
    for (const Block& b : holding) {
        int reg = b.first;
        for (std::uint16_t w : b.words)
            inv.SetHolding(reg++, w);
    }
    // The three-phase panel reads whole blocks (reclosure .. device ID, the voltage and frequency
    // limits): the words between the ones other groups show hold 0 unless set already.
    for (const auto& [first, count] : {std::pair{48154, 10}, std::pair{33552, 21}})
        for (int reg = first; reg < first + count; ++reg)
            if (!inv.Holding(reg))
                inv.SetHolding(reg, 0);
    // The processors' versions and build weeks: DSP V1.02 Y21W07, RED V2.03 Y21W07, COMM
    // V10.03 Y21W09.
    const std::uint16_t firmware[6] = {0x0102, 0x1507, 0x0203, 0x1507, 0x0A03, 0x1509};
    for (int k = 0; k < 6; ++k)
        inv.SetInput(1040 + k, firmware[k]);
    inv.SetInput(20840, 12);      // derating for 12 min
    inv.SetInput(1615, 0x0201);   // rack BMS V2.01
    const std::pair<int, bool> coils[] = {
        {24577, false},   // grid-tied, not stand-alone
        {24595, true},    // RCMU on
        {24617, false},   // thermal protection not disabled
        {24626, false},   // no return to default
        {24627, false},   // LED test off
    };
    for (const auto& [coil, on] : coils)
        inv.SetCoil(coil, on);
}

} // namespace invsim

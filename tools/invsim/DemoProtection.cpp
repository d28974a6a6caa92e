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
    };
    for (const Block& b : holding) {
        int reg = b.first;
        for (std::uint16_t w : b.words)
            inv.SetHolding(reg++, w);
    }
    inv.SetInput(1793, 0);   // DRM state: no demand response mode asserted
}

} // namespace invsim

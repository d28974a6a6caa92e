#include "tools/invsim/DemoStorage.h"

#include <cstring>
#include <initializer_list>

namespace invsim {

namespace {

enum class Kind { Holding, Input };

void Put(Inverter& inv, Kind kind, int first, std::initializer_list<int> words)
{
    int reg = first;
    for (int w : words) {
        const auto v = static_cast<std::uint16_t>(w & 0xFFFF);
        if (kind == Kind::Holding)
            inv.SetHolding(reg, v);
        else
            inv.SetInput(reg, v);
        ++reg;
    }
}

// Text as register words, high byte first, padded with NUL bytes.
void PutText(Inverter& inv, Kind kind, int first, int words, const char* text)
{
    const std::size_t n = std::strlen(text);
    for (int w = 0; w < words; ++w) {
        const auto i = static_cast<std::size_t>(2 * w);
        const int hi = i < n ? static_cast<unsigned char>(text[i]) : 0;
        const int lo = i + 1 < n ? static_cast<unsigned char>(text[i + 1]) : 0;
        Put(inv, kind, first + w, {hi << 8 | lo});
    }
}

constexpr int kCleared = 0x55AA;

} // namespace

void LoadDemoStorage(Inverter& inv)
{
    // The summary: discharging at 1.4 kW from 65 % (the demo's power factor is x10).
    Put(inv, Kind::Input, 1536,
        {2, 0, 653, 98, 0, 0, 3342, 0, 3318, 12, -3, 0, 0, 102, 0, 0, 1, 0, 648});
    Put(inv, Kind::Input, 1564, {-35, 532, -2630, -140});
    Put(inv, Kind::Holding, 25614, {500, 500});
    // Control: self-consumption, 20 % reserve, 5 kW peak cut; charging from the grid at night,
    // discharging in the evening; the feed-in subsidy on for 9.8 kWp at 70 %.
    Put(inv, Kind::Holding, 25617, {20, 0, 0, 5});
    Put(inv, Kind::Holding, 25627, {1});
    Put(inv, Kind::Holding, 25632,
        {1, 98, 70, 100, 600, kCleared, kCleared, kCleared, kCleared, 1730, 2200, kCleared, kCleared, kCleared,
         kCleared});
    // Two modules, the second one a little colder.
    Put(inv, Kind::Input, 1600, {1, 0, 0, 655, 985, 3342, 3318, -1315, 118, -32, 0, 0, 1520, 1432});
    Put(inv, Kind::Input, 1616, {1, 0, 0, 651, 979, 3339, 3321, -1315, 104, -57, 0, 0, 1498, 1417});
    PutText(inv, Kind::Input, 1666, 8, "BTM5K1A2300117");
    PutText(inv, Kind::Input, 1682, 8, "BTM5K1A2300118");
    // The battery pack.
    PutText(inv, Kind::Holding, 24832, 8, "QR45A2209001234");
    Put(inv, Kind::Input, 1044, {0x0107, 0x1614});
    Put(inv, Kind::Input, 31026, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 65, 98, 0, 532, 0, 0, 0, 3342, 3318});
    // The DC boards of the stack: the slave board's registers lie 128 above the master's.
    for (int board = 0; board < 2; ++board) {
        const int offset = board * 128;
        PutText(inv, Kind::Input, 35209 + offset, 8, board == 0 ? "DCB2301M0042" : "DCB2301S0043");
        Put(inv, Kind::Input, 35122 + offset, {0, 0, board == 0 ? 0 : 4});
        Put(inv, Kind::Input, 35139 + offset,
            {65, 98, 212 + board, 532, 0, 0, 0, 3342 - board * 3, 3318 + board * 3, 0, 0, 0, 0, 0, 12 - board,
             -3 - board * 2, 0, 0, 0, 0, 0, 1432 - board * 15});
    }
}

void LoadDemoMeter(Inverter& meter)
{
    PutText(meter, Kind::Holding, 3072, 7, demo::kMeterSerial);
    Put(meter, Kind::Input, 258, {0x0102, 0x1511});
}

} // namespace invsim

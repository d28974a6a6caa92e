// The demonstration inverter's records: an event log of 30 events, warnings, derating causes,
// a failed fan, error-code counters, derating records, the installation date, a clock on the
// computer's local time and a year of day and month energies.
#include "tools/invsim/Demo.h"

#include <cmath>
#include <ctime>

namespace invsim {

namespace {

constexpr std::uint32_t kDemoEpoch = 1717200000;   // 2024/06/01 00:00:00

// Seconds since 1970 of the computer's local wall-clock time (what a synchronised inverter shows).
std::uint32_t LocalNow()
{
    const std::time_t t = std::time(nullptr);
    std::tm local{};
    localtime_r(&t, &local);
    return static_cast<std::uint32_t>(t + local.tm_gmtoff);
}

void PutWords(Inverter& inv, int reg, std::initializer_list<std::uint16_t> words)
{
    for (std::uint16_t w : words)
        inv.SetInput(reg++, w);
}

// One derating record block: `count` records, the first few filled.
void PutDeratingBlock(Inverter& inv, int block, std::uint32_t start, int filled, int count)
{
    for (int i = 0; i < count; ++i) {
        const std::uint32_t t = i < filled ? start - static_cast<std::uint32_t>(i) * 86400u * 3u - 3600u * static_cast<std::uint32_t>(i) : 0;
        const std::uint16_t seconds = i < filled ? static_cast<std::uint16_t>(120 + 475 * i) : 0;
        inv.SetInput(block + 3 * i, static_cast<std::uint16_t>(t & 0xFFFF));
        inv.SetInput(block + 3 * i + 1, static_cast<std::uint16_t>(t >> 16));
        inv.SetInput(block + 3 * i + 2, seconds);
    }
}

} // namespace

void LoadDemoRecords(Inverter& inv)
{
    // The event log, newest first: grid errors in the morning, a derating warning at noon.
    const std::uint16_t codes[30] = {137, 129, 215, 5,   138, 137, 139, 130, 0x0105, 215,
                                     21,  137, 137, 136, 218, 129, 130, 140, 215,    134,
                                     24,  137, 29,  135, 137, 226, 227, 131, 137,    0};
    for (int p = 0; p < 3; ++p) {
        std::array<std::uint16_t, 10> c{};
        std::array<std::uint32_t, 10> t{};
        for (int k = 0; k < 10; ++k) {
            const int n = 10 * p + k;
            c[static_cast<size_t>(k)] = codes[n];
            t[static_cast<size_t>(k)] = codes[n] == 0 ? 0 : kDemoEpoch - static_cast<std::uint32_t>(n) * 37013u;
        }
        inv.SetEventPage(p, c, t);
    }
    PutWords(inv, 53282, {0x0082, 0x0000});           // Solar1 Low, De-rating
    PutWords(inv, 20991, {0x0082});                   // derating: Thermal, Ramp up
    PutWords(inv, 53297, {0x0004, 0x0000, 0x0000, 0x0000});   // internal fan 2 failed
    for (int k = 0; k < 30; ++k)
        inv.SetInput(1152 + k, static_cast<std::uint16_t>(k % 7 == 0 ? 3 * k + 1 : k % 3));
    PutDeratingBlock(inv, 21056, kDemoEpoch - 7200, 5, 16);    // thermal
    PutDeratingBlock(inv, 21120, kDemoEpoch - 90000, 3, 16);   // OPV
    PutDeratingBlock(inv, 21184, kDemoEpoch - 400000, 1, 16);  // Vin
    PutDeratingBlock(inv, 21248, 0, 0, 16);                    // OPV low: none
    PutWords(inv, 1168, {2019, 6, 3});                 // installed 2019/06/03
    inv.SetClock(LocalNow());
    // What the history transfer reads and writes beside the history: the control word, four
    // extra energy words (read at 1076, written back at 44224) and seven holding registers.
    inv.SetHolding(24665, 0);
    PutWords(inv, 1076, {0x1F40, 0x0003, 0x5A10, 0x0001});
    for (int k = 0; k < 4; ++k)
        inv.SetHolding(44224 + k, 0);
    for (int k = 0; k < 7; ++k)
        inv.SetHolding(24832 + k, static_cast<std::uint16_t>(100 + k));
    // A year of days: 5 to 30 kWh by the season (the demo's energy factor is x10, so a count of
    // 100 is one kWh); months the sum of thirty such days.
    auto& days = inv.DayHistory();
    for (int d = 0; d < kDayHistoryWords / 2; ++d) {
        const double kwh = 17.5 + 12.0 * std::cos(d * 2 * 3.14159265 / 365.0) + 3.0 * std::sin(d * 1.7);
        const auto count = static_cast<std::uint32_t>(std::lround(kwh * 100));
        days[static_cast<size_t>(2 * d)] = static_cast<std::uint16_t>(count & 0xFFFF);
        days[static_cast<size_t>(2 * d + 1)] = static_cast<std::uint16_t>(count >> 16);
    }
    auto& months = inv.MonthHistory();
    for (int m = 0; m < kMonthHistoryWords / 2; ++m) {
        const double kwh = 30 * (17.5 + 12.0 * std::cos(m * 2 * 3.14159265 / 12.0));
        const auto count = static_cast<std::uint32_t>(std::lround(kwh * 100));
        months[static_cast<size_t>(2 * m)] = static_cast<std::uint16_t>(count & 0xFFFF);
        months[static_cast<size_t>(2 * m + 1)] = static_cast<std::uint16_t>(count >> 16);
    }
}

} // namespace invsim

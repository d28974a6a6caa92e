// Readers of counters and plain values: the internal meter (phases U and W and their sum), the
// output energy and running times, the DC relay counters, the temperatures and the test values.
#include "groups/LiveValues.h"

namespace groups {

namespace {

constexpr int kMeterBlock = 26176;     // 0x6640, 20 words
constexpr int kEnergyBlock = 1072;     // 0x430, 8 words
constexpr int kRelayBlock = 23050;     // 0x5A0A, 8 words
constexpr int kTemperatures[2] = {1080, 1084};   // 0x438, 0x43C: present values
constexpr int kTemperatureMaxima[2] = {1152, 1156};
constexpr int kTestFirst = 21504;      // 0x5400
constexpr int kTestSecond = 24128;     // 0x5E40

// The U+W panel: the two phases' voltages, powers and energies added in full width.
void FillMeterSums(const Modbus& link, const LiveGroups& g)
{
    const auto& s = g.MeterSum;
    const auto power = [&link](int k) { return SignMagnitude(static_cast<std::uint32_t>(PairWord(link, k))); };
    const auto energy = [&link](int k) { return static_cast<std::int64_t>(PairWord(link, k)); };
    SetText(s[0], ExactFixed(static_cast<std::int64_t>(Word(link, 0)) + Word(link, 6), 1) + QStringLiteral(" V"));
    SetText(s[2], QString::number(power(2) + power(8)) + QStringLiteral(" W"));
    SetText(s[4], ExactFixed(energy(12) + energy(16), 1) + QStringLiteral(" kWh"));
    SetText(s[5], ExactFixed(energy(14) + energy(18), 1) + QStringLiteral(" kWh"));
}

} // namespace

int ReadInternalMeter(Modbus& link, const ReaderContext& ctx, LiveGroups& g, std::uint8_t stop)
{
    const int frame = FrameStart(link, stop, {g.MeterPanel[0], g.MeterPanel[1], g.MeterPanel[2]}, QStringLiteral("Meter..."));
    if (frame >= 0)
        return frame;
    if (link.Request(kMeterBlock, 20, 4))
        return 1;
    if (Accepted(link, 4)) {
        FillCells(link, g.Meter, ctx);
        FillMeterSums(link, g);
    }
    return 0;
}

int ReadOutputEnergy(Modbus& link, const ReaderContext& ctx, LiveGroups& g, std::uint8_t stop)
{
    const int frame = FrameStart(link, stop, {g.EnergyPanel}, QStringLiteral("OutP..."));
    if (frame >= 0)
        return frame;
    const int failed = ReadBlock(link, ctx, kEnergyBlock, 8, g.Energy);
    if (failed)
        return 1;
    // Blue after every read, answered or not.
    if (g.TotalWh)
        g.TotalWh->Font()->SetColor(vcl::clBlue);
    return 0;
}

int ReadDcRelayTimes(Modbus& link, const ReaderContext& ctx, LiveGroups& g, std::uint8_t stop)
{
    const int frame = FrameStart(link, stop, {g.RelayPanel}, QStringLiteral("DC Relay..."));
    if (frame >= 0)
        return frame;
    return ReadBlock(link, ctx, kRelayBlock, 8, g.Relay);
}

int ReadTemperature(Modbus& link, const ReaderContext& ctx, LiveGroups& g, int group, std::uint8_t stop)
{
    const auto t = static_cast<size_t>(group);
    const int frame = FrameStart(link, stop, {g.TemperPanel[t]}, QStringLiteral("Temper%1...").arg(group + 1));
    if (frame >= 0)
        return frame;
    if (ReadBlock(link, ctx, kTemperatures[group], 4, g.TempNow[t]))
        return 1;
    return ReadBlock(link, ctx, kTemperatureMaxima[group], 4, g.TempMax[t]);
}

int ReadTestValue(Modbus& link, const ReaderContext& ctx, LiveGroups& g, std::uint8_t stop)
{
    const int frame = FrameStart(link, stop, {g.TestPanel}, QStringLiteral("Test Value..."));
    if (frame >= 0)
        return frame;
    if (ReadBlock(link, ctx, kTestFirst, 12, g.TestFirst))
        return 1;
    return ReadBlock(link, ctx, kTestSecond, 12, g.TestSecond);
}

} // namespace groups

// Readers of the paged windows: the AC phase groups (grid and output page of each phase), the
// bus voltages, the total bus, the two load outputs and the raw ADC counts. Every reader selects
// its page itself right before each window read and relies on no page left by anyone else.
#include "groups/LiveValues.h"

namespace groups {

namespace {

constexpr int kOutputPageOffset = 16;   // page n + 16 is the output side of grid page n
constexpr int kBusPages[2] = {64, 65};  // P bus, N bus
constexpr int kTotalBusPage = 66;
constexpr int kLoadPages[2] = {32, 33};
// The ADC group's pages in reading order, with the words read from each.
constexpr int kAdcPageList[14][2] = {{0, 4}, {1, 4}, {2, 4}, {16, 4}, {17, 4}, {18, 4}, {48, 3},
                                     {49, 3}, {50, 3}, {51, 3}, {52, 3}, {53, 3}, {64, 1}, {65, 1}};

} // namespace

int ReadAcPhase(Modbus& link, const ReaderContext& ctx, OutputGroup& g, int phase, std::uint8_t stop)
{
    AcPhaseLabels& p = g.Phase[static_cast<size_t>(phase)];
    const int frame = FrameStart(link, stop, {p.Panel}, QStringLiteral("AC_%1...").arg(phase + 1));
    if (frame >= 0)
        return frame;
    bool accepted = false;
    if (ReadWindow(link, Window::Measurement, phase, 8, accepted))
        return 1;
    if (accepted) {
        // Word 5 is read and not used.
        FillCells(link, {{1, p.VacGrid, Show::Volt}, {2, p.Iac, Show::AcAmp}, {3, p.Pac, Show::Watt},
                         {4, p.Fac, Show::Hertz}, {6, p.VacGridRed, Show::Volt}, {7, p.FacRed, Show::Hertz}}, ctx);
    }
    if (ReadWindow(link, Window::Measurement, phase + kOutputPageOffset, 7, accepted))
        return 1;
    if (accepted)
        FillCells(link, {{1, p.VacOut, Show::Volt}, {6, p.VacOutRed, Show::Volt}}, ctx);
    return 0;
}

int ReadBusVoltage(Modbus& link, const ReaderContext& ctx, LiveGroups& g, std::uint8_t stop)
{
    const int frame = FrameStart(link, stop, {g.BusPanel}, QStringLiteral("BUS..."));
    if (frame >= 0)
        return frame;
    vcl::TLabel* labels[2] = {g.PBus, g.NBus};
    for (int i = 0; i < 2; ++i) {
        bool accepted = false;
        if (ReadWindow(link, Window::Measurement, kBusPages[i], 2, accepted))
            return 1;
        if (accepted)
            FillCells(link, {{1, labels[i], Show::Volt}}, ctx);
    }
    return 0;
}

int ReadTotalBus(Modbus& link, const ReaderContext& ctx, LiveGroups& g, std::uint8_t stop)
{
    const int frame = FrameStart(link, stop, {g.TotalBusPanel}, QStringLiteral("Total BUS..."));
    if (frame >= 0)
        return frame;
    bool accepted = false;
    if (ReadWindow(link, Window::Measurement, kTotalBusPage, 14, accepted))
        return 1;
    // Word 12 is register 1068, the page's first ADC count; it goes to the ADC panel.
    if (accepted)
        FillCells(link, {{1, g.TotalBus, Show::Volt}, {12, g.PbusAdcVolt, Show::Count}}, ctx);
    return 0;
}

int ReadLoad(Modbus& link, const ReaderContext& ctx, LiveGroups& g, int load, std::uint8_t stop)
{
    const int frame = FrameStart(link, stop, {g.LoadPanel[static_cast<size_t>(load)]}, QStringLiteral("Load%1...").arg(load + 1));
    if (frame >= 0)
        return frame;
    bool accepted = false;
    if (ReadWindow(link, Window::Measurement, kLoadPages[load], 5, accepted))
        return 1;
    if (accepted)
        FillCells(link, g.Load[static_cast<size_t>(load)], ctx);
    return 0;
}

int ReadAdcCount(Modbus& link, const ReaderContext& ctx, LiveGroups& g, std::uint8_t stop)
{
    const int frame = FrameStart(link, stop, {g.AdcPanel}, QStringLiteral("ADC..."));
    if (frame >= 0)
        return frame;
    for (int i = 0; i < 14; ++i) {
        bool accepted = false;
        if (ReadWindow(link, Window::Adc, kAdcPageList[i][0], kAdcPageList[i][1], accepted))
            return 1;
        if (accepted)
            FillCells(link, g.AdcPages[static_cast<size_t>(i)], ctx);
    }
    return 0;
}

} // namespace groups

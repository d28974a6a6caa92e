// Readers of the PV side: the twelve DC inputs (with the total input power and current of the
// total-power group), the 24 string currents and the maxima of inputs 1 to 8.
#include "groups/LiveValues.h"

#include "common/Myfunc.h"
#include "link/LinkHost.h"

#include <algorithm>

namespace groups {

namespace {

constexpr int kInputs1to6 = 45056;    // 0xB000: total power, then V, I, P of inputs 1..6
constexpr int kMaxInputs1to6 = 45075; // 0xB013 = 45056 + 19
constexpr int kInputs7to12 = 45093;   // 0xB025
constexpr int kMaxInputs7to8 = 45111; // 0xB037 = 45093 + 18
constexpr int kStringCurrents = 53776;   // 0xD210

bool AnyShown(std::span<vcl::TWinControl* const> panels)
{
    return std::any_of(panels.begin(), panels.end(), [](const vcl::TWinControl* p) { return p && p->Visible(); });
}

// Fills the inputs' labels and adds their currents (each as the device reads it: signed when
// the device's words are) to the running sum, in full width.
void FillInputs(const Modbus& link, const ReaderContext& ctx, const LabelCells& cells, std::int32_t& sum)
{
    FillCells(link, cells, ctx);
    for (const LabelCell& c : cells)
        if (c.show == Show::DcAmp)
            sum += DeviceWord(link, c.word, *ctx.SignedValues);
}

void ShowInputCurrentSum(const ReaderContext& ctx, const LiveGroups& g, OutputGroup& out)
{
    SetText(out.Total.TotalInputCurrent, FormatScaledInt(g.InputCurrentSum, *ctx.IdcDivisor, 0) + QStringLiteral("A"));
}

} // namespace

int ReadInput1to6(Modbus& link, const ReaderContext& ctx, LiveGroups& g, OutputGroup& out, std::uint8_t stop)
{
    if (stop == 1)
        return 1;
    if (link.CommandCode != 0)
        return 0;
    // A new cycle's sum, whether or not these inputs are read.
    g.InputCurrentSum = 0;
    const std::span<vcl::TWinControl* const> panels(g.InputPanel.data(), 6);
    if (!AnyShown(panels))
        return 0;
    link.Host().SetStatusPanel(2, QStringLiteral("Input..."));
    if (link.Request(kInputs1to6, 19, 4))
        return 1;
    if (!Accepted(link, 4))
        return 0;
    SetText(out.Total.TotalInputPower,
            QString::number(DeviceWord(link, 0, *ctx.SignedValues) * *ctx.PowerMultiplier) + QStringLiteral("W"));
    FillInputs(link, ctx, g.Input1to6, g.InputCurrentSum);
    // The total is the later reader's when any of inputs 7..12 is shown.
    if (!AnyShown(std::span<vcl::TWinControl* const>(g.InputPanel.data() + 6, 6)))
        ShowInputCurrentSum(ctx, g, out);
    return 0;
}

int ReadInput7to12(Modbus& link, const ReaderContext& ctx, LiveGroups& g, OutputGroup& out, std::uint8_t stop)
{
    const std::span<vcl::TWinControl* const> panels(g.InputPanel.data() + 6, 6);
    if (stop == 1)
        return 1;
    if (link.CommandCode != 0 || !AnyShown(panels))
        return 0;
    link.Host().SetStatusPanel(2, QStringLiteral("I7~12..."));
    if (link.Request(kInputs7to12, 18, 4))
        return 1;
    if (!Accepted(link, 4))
        return 0;
    FillInputs(link, ctx, g.Input7to12, g.InputCurrentSum);
    ShowInputCurrentSum(ctx, g, out);
    return 0;
}

int ReadStringCurrent(Modbus& link, const ReaderContext& ctx, LiveGroups& g, std::uint8_t stop)
{
    const int frame = FrameStart(link, stop, {g.StringPanel}, QStringLiteral("CS..."));
    if (frame >= 0)
        return frame;
    return ReadBlock(link, ctx, kStringCurrents, 24, g.Strings);
}

int ReadMaxInput(Modbus& link, const ReaderContext& ctx, LiveGroups& g, std::uint8_t stop)
{
    const int frame = FrameStart(link, stop, {g.MaxInputPanel}, QStringLiteral("Max in..."));
    if (frame >= 0)
        return frame;
    // The second block is read whether or not the first was answered.
    if (ReadBlock(link, ctx, kMaxInputs1to6, 18, g.MaxInput1to6))
        return 1;
    return ReadBlock(link, ctx, kMaxInputs7to8, 6, g.MaxInput7to8);
}

} // namespace groups

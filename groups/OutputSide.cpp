// Readers of the output side at fixed registers: the stand-alone output (U-W, U-O, W-O), the
// LN/ST voltages, the per-phase maxima (which also tell the AC layout), and the plant totals.
#include "groups/LiveValues.h"

#include "common/Myfunc.h"

namespace groups {

namespace {

constexpr int kStandAloneBlock = 49167;   // 0xC00F, 16 words
constexpr int kLnStBlock = 3328;          // 0xD00, 6 words
constexpr int kAcTerminalCoil = 24649;    // 0x6049: on = three-phase three-wire terminal
constexpr int kMaxOutputBlock = 49215;    // 0xC03F, 12 words
constexpr int kInputPowerRegister = 45056;   // 0xB000
constexpr int kOutputPowerRegister = 49152;  // 0xC000
constexpr int kReactiveBlock = 49248;     // 0xC060: Q, then the power factor
constexpr float kSqrt3 = 1.73205f;

// The power-total rows, read here only while the group that also shows them is hidden.
int ReadPowerTotal(Modbus& link, const ReaderContext& ctx, int reg, vcl::TLabel* power, vcl::TLabel* current)
{
    if (link.Request(reg, 1, 4))
        return 1;
    if (Accepted(link, 4))
        SetText(power, QString::number(DeviceWord(link, 0, *ctx.SignedValues) * *ctx.PowerMultiplier) + QStringLiteral(" W"));
    SetText(current, QString());
    return 0;
}

} // namespace

int ReadStandAlone3P(Modbus& link, const ReaderContext& ctx, LiveGroups& g, std::uint8_t stop)
{
    const int frame = FrameStart(link, stop, {g.StandAlonePanel}, QStringLiteral("SA..."));
    if (frame >= 0)
        return frame;
    return ReadBlock(link, ctx, kStandAloneBlock, 16, g.StandAlone);
}

int ReadLnSt(Modbus& link, const ReaderContext& ctx, LiveGroups& g, std::uint8_t stop)
{
    const int frame = FrameStart(link, stop, {g.LnStPanel}, QStringLiteral("LN&&ST..."));
    if (frame >= 0)
        return frame;
    if (link.Request(kLnStBlock, 6, 4))
        return 1;
    if (!Accepted(link, 4))
        return 0;
    FillCells(link, {{1, g.OutL1N, Show::Volt}, {5, g.OutST, Show::Volt}}, ctx);
    // L2-N is the difference of words 0 and 1, in tenths of a volt.
    SetText(g.OutL2N, FormatDiv10(static_cast<float>(Word(link, 0) - Word(link, 1))) + QStringLiteral(" V"));
    return 0;
}

int ReadMaxOutput(Modbus& link, const ReaderContext& ctx, LiveGroups& g, std::uint8_t stop)
{
    const int frame = FrameStart(link, stop, {g.MaxOutputPanel}, QStringLiteral("Max out..."));
    if (frame >= 0)
        return frame;
    if (link.Request(kAcTerminalCoil, 1, 1))
        return 1;
    if (Accepted(link, 1))
        *ctx.AcLayout = link.Reply[3] == 1 ? 1 : 0;
    if (link.Request(kMaxOutputBlock, 12, 4))
        return 1;
    if (!Accepted(link, 4))
        return 0;
    FillCells(link, g.MaxOutput, ctx);
    // A three-wire terminal measures line to line: the phase maxima times the square root of 3.
    if (*ctx.AcLayout == 1)
        for (int p = 0; p < 3; ++p)
            SetText(g.MaxVac[static_cast<size_t>(p)],
                    FormatScaledFloat(static_cast<float>(Word(link, 4 * p)) * kSqrt3, *ctx.VoltageDivisor) + QStringLiteral(" V"));
    return 0;
}

int ReadTotalPower(Modbus& link, const ReaderContext& ctx, const LiveGroups& g, OutputGroup& out,
                   int reactiveSign, std::uint8_t stop)
{
    TotalPowerLabels& t = out.Total;
    const int frame = FrameStart(link, stop, {t.Panel}, QStringLiteral("Total Pow..."));
    if (frame >= 0)
        return frame;
    if (!(g.InputPanel[0] && g.InputPanel[0]->Visible()) &&
        ReadPowerTotal(link, ctx, kInputPowerRegister, t.TotalInputPower, t.TotalInputCurrent))
        return 1;
    // The Output group's reader writes the total output only in the AC layouts 0 and 1 and
    // only while its panel is shown; in every other case it is read here.
    const bool outputReaderWrites = out.Phase[0].Panel && out.Phase[0].Panel->Visible() &&
                                    (*ctx.AcLayout == 0 || *ctx.AcLayout == 1);
    if (!outputReaderWrites &&
        ReadPowerTotal(link, ctx, kOutputPowerRegister, t.TotalOutputPower, t.TotalOutputCurrent))
        return 1;

    if (link.Request(kReactiveBlock, 2, 4))
        return 1;
    if (!Accepted(link, 4))
        return 0;
    const QString positive = reactiveSign == 0 ? QStringLiteral("Ind ") : QStringLiteral("Cap ");
    const QString negative = reactiveSign == 0 ? QStringLiteral("Cap ") : QStringLiteral("Ind ");
    // Q is always signed, whatever the device's sign flag says.
    const int q = SignedWord(link, 0);
    const int var = q * *ctx.PowerMultiplier;
    SetText(t.QSum, (q >= 0 ? positive : negative) + QString::number(q >= 0 ? var : -var) + QStringLiteral(" Var"));
    const int pf = SignedWord(link, 1);
    SetText(t.PowerFactor, (pf >= 0 ? positive : negative) + FormatDiv100(static_cast<float>(pf >= 0 ? pf : -pf)));
    return 0;
}

} // namespace groups

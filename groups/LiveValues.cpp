// What the live-value readers share: words into texts, the paged-window read, row building.
#include "groups/LiveValues.h"

#include "common/Myfunc.h"

namespace groups {

LabelCells FindCells(const vcl::TComponent& form, std::span<const WordRow> rows)
{
    LabelCells cells;
    cells.reserve(rows.size());
    for (const WordRow& r : rows)
        cells.push_back({r.word, FindLabel(form, QLatin1String(r.label)), r.show});
    return cells;
}

std::int32_t PairWord(const Modbus& link, int k)
{
    const auto pair = static_cast<std::uint32_t>(Word(link, k + 1)) << 16 | static_cast<std::uint32_t>(Word(link, k));
    return static_cast<std::int32_t>(pair);
}

std::int64_t SignMagnitude(std::uint32_t pair)
{
    const std::int64_t magnitude = pair & 0x7FFFFFFFu;
    return (pair & 0x80000000u) ? -magnitude : magnitude;
}

QString ExactFixed(std::int64_t v, int decimals)
{
    std::uint64_t scale = 1;
    for (int i = 0; i < decimals; ++i)
        scale *= 10;
    const bool negative = v < 0;
    const std::uint64_t magnitude = negative ? 0 - static_cast<std::uint64_t>(v) : static_cast<std::uint64_t>(v);
    QString text = QString::number(magnitude / scale);
    if (decimals > 0)
        text += QLatin1Char('.') + QString::number(magnitude % scale).rightJustified(decimals, QLatin1Char('0'));
    return negative ? QLatin1Char('-') + text : text;
}

QString ShowWord(const Modbus& link, int k, Show show, const ReaderContext& ctx)
{
    const std::uint8_t sign = *ctx.SignedValues;
    const auto word = [&] { return static_cast<float>(Word(link, k)); };
    switch (show) {
    case Show::Volt: return FormatScaledFloat(word(), *ctx.VoltageDivisor) + QStringLiteral(" V");
    case Show::AcAmp: return FormatScaledInt(Word(link, k), *ctx.IacDivisor, sign) + QStringLiteral(" A");
    case Show::AcAmpPlain: return FormatScaledFloat(word(), *ctx.IacDivisor) + QStringLiteral(" A");
    case Show::DcAmp: return FormatScaledInt(Word(link, k), *ctx.IdcDivisor, sign) + QStringLiteral(" A");
    case Show::DcAmpPlain: return FormatScaledFloat(word(), *ctx.IdcDivisor) + QStringLiteral(" A");
    case Show::Watt: return QString::number(DeviceWord(link, k, sign) * *ctx.PowerMultiplier) + QStringLiteral(" W");
    case Show::WattPlain: return QString::number(Word(link, k) * *ctx.PowerMultiplier) + QStringLiteral(" W");
    case Show::Hertz: return FormatDiv100(word()) + QStringLiteral(" Hz");
    case Show::TenthVolt: return FormatDiv10(word()) + QStringLiteral(" V");
    case Show::HundredthAmp: return FormatDiv100(word()) + QStringLiteral(" A");
    case Show::RawWatt: return QString::number(Word(link, k)) + QStringLiteral(" W");
    case Show::Count: return QString::number(Word(link, k));
    case Show::Signed: return QString::number(SignedWord(link, k));
    case Show::Celsius: return QString::number(SignedWord(link, k)) + QStringLiteral(" \u2103");
    case Show::PairCount: return QString::number(PairWord(link, k));
    case Show::PairEnergy:
        return ExactFixed(static_cast<std::int64_t>(PairWord(link, k)) * *ctx.EnergyMultiplier, 3) + QStringLiteral(" KWh");
    case Show::PairTime: {
        const std::int32_t s = PairWord(link, k);
        return QStringLiteral("%1:%2:%3").arg(s / 3600).arg(s % 3600 / 60).arg(s % 60);
    }
    case Show::PairTenthKwh: return ExactFixed(PairWord(link, k), 1) + QStringLiteral(" kWh");
    case Show::PairSignWatt:
        return QString::number(SignMagnitude(static_cast<std::uint32_t>(PairWord(link, k)))) + QStringLiteral(" W");
    }
    return QString();
}

void FillCells(const Modbus& link, const LabelCells& cells, const ReaderContext& ctx)
{
    for (const LabelCell& c : cells)
        if (c.label)
            c.label->SetCaption(ShowWord(link, c.word, c.show, ctx));
}

int ReadBlock(Modbus& link, const ReaderContext& ctx, int reg, int count, const LabelCells& cells)
{
    if (link.Request(reg, count, 4))
        return 1;
    if (Accepted(link, 4))
        FillCells(link, cells, ctx);
    return 0;
}

int ReadWindow(Modbus& link, Window window, int page, int count, bool& accepted)
{
    accepted = false;
    if (link.Request(kPageSelect, page, 6))
        return 1;
    const bool selected = Accepted(link, 6);
    if (link.Request(window == Window::Measurement ? kMeasurementWindow : kAdcWindow, count, 4))
        return 1;
    if (!Accepted(link, 4))
        return 0;
    // The echo's high byte is not examined.
    accepted = window == Window::Measurement ? link.Reply[4] == (page & 0xFF) : selected;
    return 0;
}

int BuildValueRows(vcl::TComponent& form, vcl::TWinControl* panel, std::span<const CaptionedValue> rows,
                   int captionNumber, int top, int valueWidth)
{
    for (const CaptionedValue& r : rows) {
        CaptionLabel(&form, panel, QStringLiteral("Label%1").arg(captionNumber++), QString::fromUtf8(r.caption), 10, top);
        ValueLabel(&form, panel, QLatin1String(r.value), kValueLeft, top, valueWidth);
        top += kRowPitch;
    }
    return top;
}

} // namespace groups

#include "upgrade/MetaBlock.h"

#include <algorithm>
#include <iterator>

namespace {

QString Hex2(std::uint8_t b)
{
    return QStringLiteral("%1").arg(b, 2, 16, QLatin1Char('0')).toUpper();
}

// "0x" and the bytes from the most significant (highest index) down to the lowest.
QString HexText(const std::uint8_t* meta, int lowIndex, int highIndex)
{
    QString t = QStringLiteral("0x");
    for (int i = highIndex; i >= lowIndex; --i)
        t += Hex2(meta[i]);
    return t;
}

} // namespace

QString VersionText(int major, int minor)
{
    return QString::number(major) + QLatin1Char('.') + QString::number(minor / 10) + QString::number(minor % 10);
}

MetaReport DecodeMetaBlock(const std::uint8_t* meta)
{
    MetaReport r;
    HexInfo& h = r.Info;
    h.ChecksumText = HexText(meta, 25, 26);
    h.FillValueText = HexText(meta, 24, 24);
    h.DelayBase = meta[23];
    h.BlockSize = meta[22];
    h.EraseSize = meta[21];
    h.StopAddressText = HexText(meta, 17, 20);
    h.StartAddressText = HexText(meta, 13, 16);
    h.MetaBaudRate = meta[12] * 256 + meta[11];
    h.SwMajor = meta[10];
    h.SwMinor = meta[9];
    h.HwMajor = meta[8];
    h.HwMinor = meta[7];
    h.Processor = meta[6];
    h.ProductIdText = HexText(meta, 2, 5);
    h.MetaVersionMajor = meta[1];
    h.MetaVersionMinor = meta[0];

    // The values in the order of kMetaFields; each gives a label's text and a report line.
    const QString texts[] = {
        VersionText(h.MetaVersionMajor, h.MetaVersionMinor),
        QString::number(FwStrToInt(h.ProductIdText)),
        QString::number(h.Processor),
        VersionText(h.HwMajor, h.HwMinor),
        VersionText(h.SwMajor, h.SwMinor),
        h.StartAddressText,
        h.StopAddressText,
        QString::number(h.EraseSize),
        h.FillValueText,
        h.ChecksumText,
        QString::number(h.MetaBaudRate),
        QString::number(h.BlockSize),
        QString::number(h.DelayBase),
    };
    static_assert(std::size(texts) == std::size(kMetaFields));
    r.Lines << QStringLiteral("||----------------------------------Load Hex File-------------------------------||");
    for (std::size_t i = 0; i < std::size(texts); ++i) {
        r.Labels.push_back({QLatin1String(kMetaFields[i].Control), texts[i]});
        r.Lines << QLatin1String(kMetaFields[i].Title) + QStringLiteral(": ") + texts[i];
    }
    return r;
}

int DecodeMetaWindow(const HexRecordList& records, int index, bool swapped, MetaReport& report)
{
    if (index < 0 || static_cast<std::size_t>(index) >= records.size())
        return 1;
    const std::size_t maxRecords = swapped ? records.size() : 5;
    const std::size_t maxBytes = swapped ? 256 : 200;
    std::vector<std::uint8_t> window;
    window.reserve(maxBytes);
    for (std::size_t i = static_cast<std::size_t>(index), n = 0; i < records.size() && n < maxRecords; ++i, ++n) {
        const HexStruct& rec = records[i];
        const int len = std::clamp<int>(rec.Length, 0, MaxRecordLength);
        for (int k = 0; k < len && window.size() < maxBytes; ++k)
            window.push_back(rec.Data[static_cast<std::size_t>(k)]);
        if (window.size() >= maxBytes)
            break;
    }
    const std::uint8_t* marker = swapped ? BootKey2Swapped.data() : BootKey2.data();
    const std::size_t markerLength = swapped ? BootKey2Swapped.size() : BootKey2.size();
    std::ptrdiff_t last = -1;
    for (std::size_t j = 0; j + markerLength <= window.size(); ++j)
        if (std::equal(marker, marker + markerLength, window.begin() + static_cast<std::ptrdiff_t>(j)))
            last = static_cast<std::ptrdiff_t>(j);
    if (last < MetaBlockSize)
        return 1;
    report = DecodeMetaBlock(window.data() + last - MetaBlockSize);
    return 0;
}

QString MetaValueError(const HexInfo& info)
{
    if (info.Processor >= 10)
        return QStringLiteral("Meta Block Error: Processor ") + QString::number(info.Processor);
    if (info.MetaBaudRate == 0)
        return QStringLiteral("Meta Block Error: Baud Rate 0");
    return QString();
}

void ApplyMetaValues(HexInfo& target, const HexInfo& d)
{
    target.MetaVersionMajor = d.MetaVersionMajor;
    target.MetaVersionMinor = d.MetaVersionMinor;
    target.ProductIdText = d.ProductIdText;
    target.Processor = d.Processor;
    target.HwMajor = d.HwMajor;
    target.HwMinor = d.HwMinor;
    target.SwMajor = d.SwMajor;
    target.SwMinor = d.SwMinor;
    target.StartAddressText = d.StartAddressText;
    target.StopAddressText = d.StopAddressText;
    target.EraseSize = d.EraseSize;
    target.BlockSize = d.BlockSize;
    target.FillValueText = d.FillValueText;
    target.ChecksumText = d.ChecksumText;
    target.DelayBase = d.DelayBase;
    target.MetaBaudRate = d.MetaBaudRate;
}

#include "upgrade/FirmwareImage.h"

#include <algorithm>
#include <cstring>

namespace {

int HexDigit(int c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Hexadecimal digits from begin to end as a 32-bit pattern; false when empty, not hex or
// wider than 32 bits.
template <typename Char>
bool ParseHexDigits(const Char* begin, const Char* end, std::uint32_t& value)
{
    if (begin == end)
        return false;
    std::uint64_t v = 0;
    for (const Char* p = begin; p != end; ++p) {
        int d = HexDigit(static_cast<int>(*p));
        if (d < 0)
            return false;
        v = v * 16 + static_cast<std::uint64_t>(d);
        if (v > 0xFFFFFFFFull)
            return false;
    }
    value = static_cast<std::uint32_t>(v);
    return true;
}

} // namespace

std::int32_t FwStrToInt(const QString& text)
{
    const QChar* p = text.constData();
    const QChar* end = p + text.size();
    bool negative = false;
    if (p != end && (*p == u'-' || *p == u'+')) {
        negative = *p == u'-';
        ++p;
    }
    bool hex = false;
    if (p != end && *p == u'$') {
        hex = true;
        ++p;
    } else if (end - p >= 2 && *p == u'0' && (p[1] == u'x' || p[1] == u'X')) {
        hex = true;
        p += 2;
    } else if (p != end && (*p == u'x' || *p == u'X')) {
        hex = true;
        ++p;
    }
    if (hex) {
        std::uint32_t v = 0;
        if (!ParseHexDigits(reinterpret_cast<const char16_t*>(p), reinterpret_cast<const char16_t*>(end), v))
            return 0;
        return negative ? static_cast<std::int32_t>(0u - v) : static_cast<std::int32_t>(v);
    }
    if (p == end)
        return 0;
    std::int64_t v = 0;
    for (; p != end; ++p) {
        if (*p < u'0' || *p > u'9')
            return 0;
        v = v * 10 + (p->unicode() - u'0');
        if (v > 2147483648LL)
            return 0;
    }
    if (negative)
        v = -v;
    if (v > 2147483647LL)
        return 0;
    return static_cast<std::int32_t>(v);
}

std::int32_t FwHexToInt(const QString& text)
{
    std::uint32_t v = 0;
    const char16_t* b = reinterpret_cast<const char16_t*>(text.constData());
    if (!ParseHexDigits(b, b + text.size(), v))
        return 0;
    return static_cast<std::int32_t>(v);
}

HexLine ParseHexLine(const char* text, int length)
{
    HexLine out;
    while (length > 0 && (text[length - 1] == '\r' || text[length - 1] == '\n' || text[length - 1] == ' '
                          || text[length - 1] == '\t'))
        --length;
    if (length < 1 || text[0] != ':')
        return out;
    out.AddressChars = QString::fromLatin1(text + 3 > text + length ? text + length : text + 3,
                                           std::max(0, std::min(4, length - 3)));
    const int digits = length - 1;
    if (digits < 10 || digits % 2 != 0) {
        out.Status = HexLineStatus::BadRecord;
        return out;
    }
    // Every field must be hexadecimal: a stray character is a broken record, never a 0.
    std::array<std::uint8_t, 5 + 255 + 1> bytes{};
    const int nbytes = digits / 2;
    if (nbytes > static_cast<int>(bytes.size())) {
        out.Status = HexLineStatus::BadRecord;
        return out;
    }
    for (int k = 0; k < nbytes; ++k) {
        int hi = HexDigit(text[1 + 2 * k]);
        int lo = HexDigit(text[2 + 2 * k]);
        if (hi < 0 || lo < 0) {
            out.Status = HexLineStatus::BadRecord;
            return out;
        }
        bytes[static_cast<std::size_t>(k)] = static_cast<std::uint8_t>(hi * 16 + lo);
    }
    unsigned sum = 0;
    for (int k = 0; k < nbytes - 1; ++k)
        sum += bytes[static_cast<std::size_t>(k)];
    if (bytes[static_cast<std::size_t>(nbytes - 1)] != (256 - (sum % 256)) % 256) {
        out.Status = HexLineStatus::BadChecksum;
        return out;
    }
    out.Count = bytes[0];
    if (out.Count > MaxRecordLength || nbytes != out.Count + 5) {
        out.Status = HexLineStatus::BadRecord;
        return out;
    }
    out.Field = static_cast<std::uint32_t>(bytes[1]) << 8 | bytes[2];
    out.Type = bytes[3];
    for (int i = 0; i < out.Count; ++i)
        out.Data[static_cast<std::size_t>(i)] = bytes[static_cast<std::size_t>(4 + i)];
    out.Status = HexLineStatus::Ok;
    return out;
}

HexReadResult ReadHexRecords(const QByteArray& text)
{
    HexReadResult result;
    std::uint32_t base = 0;
    const char* p = text.constData();
    const char* end = p + text.size();
    while (p < end) {
        const char* nl = static_cast<const char*>(memchr(p, '\n', static_cast<std::size_t>(end - p)));
        const char* lineEnd = nl ? nl : end;
        HexLine line = ParseHexLine(p, static_cast<int>(lineEnd - p));
        p = nl ? nl + 1 : end;
        switch (line.Status) {
        case HexLineStatus::NotRecord:
            continue;
        case HexLineStatus::BadChecksum:
            result.Ok = false;
            result.ErrorLine = QStringLiteral("CheckSUM Error: ") + line.AddressChars;
            return result;
        case HexLineStatus::BadRecord:
            result.Ok = false;
            result.ErrorLine = QStringLiteral("Hex Record Error: ") + line.AddressChars;
            return result;
        case HexLineStatus::Ok:
            break;
        }
        if (line.Type == 0x00) {
            HexStruct rec;
            rec.Address = line.Field + base;
            rec.Data = line.Data;
            rec.Length = line.Count;
            result.Records.push_back(rec);
        } else if (line.Type == 0x01) {
            result.EndRecord = true;
            break;
        } else if (line.Type == 0x02 || line.Type == 0x04) {
            std::uint32_t value = 0;
            for (int i = 0; i < line.Count; ++i)
                value = value << 8 | line.Data[static_cast<std::size_t>(i)];
            base = line.Type == 0x02 ? value * 16u : value * 65536u;
        }
    }
    return result;
}

HexRecordList BinRecords(const QByteArray& bytes)
{
    HexRecordList records;
    const qsizetype rows = bytes.size() / BinRowSize;
    records.resize(static_cast<std::size_t>(rows));
    const auto* src = reinterpret_cast<const std::uint8_t*>(bytes.constData());
    for (qsizetype j = 0; j < rows; ++j) {
        HexStruct& rec = records[static_cast<std::size_t>(j)];
        rec.Address = BinBaseAddress + static_cast<std::uint32_t>(BinRowSize * j);
        std::copy(src + j * BinRowSize, src + (j + 1) * BinRowSize, rec.Data.begin());
        rec.Length = BinRowSize;
    }
    return records;
}

int FindMarkerRecord(const HexRecordList& records, const std::uint8_t* marker, int markerLength)
{
    int s = 0;
    for (std::size_t i = 0; i < records.size(); ++i) {
        const HexStruct& rec = records[i];
        const int len = std::max(0, std::min<int>(rec.Length, MaxRecordLength));
        for (int k = 0; k < len; ++k) {
            const std::uint8_t b = rec.Data[static_cast<std::size_t>(k)];
            if (b == marker[s])
                ++s;
            else
                s = b == marker[0] ? 1 : 0;
            if (s == markerLength) {
                if (i != 0)
                    return static_cast<int>(i);
                s = 0; // a marker that ends in record 0 does not count
            }
        }
    }
    return 0;
}

int FindMetaBlock(const HexRecordList& records)
{
    const int e = FindMarkerRecord(records, BootKey2.data(), static_cast<int>(BootKey2.size()));
    const int s = FindMarkerRecord(records, BootKey1.data(), static_cast<int>(BootKey1.size()));
    return e > s && e - s < 5 ? s : -1;
}

int FindMetaBlockSwapped(const HexRecordList& records)
{
    const int e = FindMarkerRecord(records, BootKey2Swapped.data(), static_cast<int>(BootKey2Swapped.size()));
    const int s = FindMarkerRecord(records, BootKey1Swapped.data(), static_cast<int>(BootKey1Swapped.size()));
    return e != 0 && e <= s ? s : -1;
}

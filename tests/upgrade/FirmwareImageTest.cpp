#include "FwTestUtil.h"

#include "upgrade/FirmwareImage.h"
#include "common/Myfunc.h"

#include <gtest/gtest.h>

using namespace fwtest;

TEST(HexLine, ParsesRecordsAndRejectsBrokenOnes)
{
    struct Case {
        QByteArray line;
        HexLineStatus status;
    };
    const QByteArray good = Record(0, 0x00A0, Bytes({1, 2, 3}));
    QByteArray badSum = good;
    badSum[badSum.size() - 1] = badSum[badSum.size() - 1] == '0' ? '1' : '0';
    QByteArray nonHex = good;
    nonHex[10] = 'G';
    const std::vector<std::uint8_t> big(129, 0x11);
    const Case cases[] = {
        {good, HexLineStatus::Ok},
        {good + "\r", HexLineStatus::Ok},                    // CR LF line end
        {good.toLower(), HexLineStatus::Ok},                 // digits of either case
        {"", HexLineStatus::NotRecord},
        {"; a comment", HexLineStatus::NotRecord},
        {badSum, HexLineStatus::BadChecksum},
        {nonHex, HexLineStatus::BadRecord},                  // never read as 0
        {good.left(good.size() - 1), HexLineStatus::BadRecord}, // odd digit count
        {":00", HexLineStatus::BadRecord},                   // too short
        {Record(0, 0, big), HexLineStatus::BadRecord},       // more than 128 data bytes
        {Record(0, 0, std::vector<std::uint8_t>(128, 0x22)), HexLineStatus::Ok},
        // count byte claims 4 bytes, line holds 3, checksum made to fit
        {":04000000010203F6", HexLineStatus::BadRecord},
    };
    for (const Case& c : cases) {
        HexLine l = ParseHexLine(c.line.constData(), static_cast<int>(c.line.size()));
        EXPECT_EQ(static_cast<int>(l.Status), static_cast<int>(c.status)) << c.line.constData();
    }
    HexLine l = ParseHexLine(good.constData(), static_cast<int>(good.size()));
    EXPECT_EQ(l.Field, 0x00A0u);
    EXPECT_EQ(l.Count, 3);
    EXPECT_EQ(l.AddressChars, QStringLiteral("00A0"));
}

TEST(HexRecords, BaseAddressesEndRecordAndErrors)
{
    QByteArray text;
    text += "garbage line\n";
    text += Record(0, 0x0010, Bytes({0xAA})) + "\n";
    text += Record(4, 0, Bytes({0x00, 0x01})) + "\r\n";         // base 65536
    text += Record(0, 0x0100, Bytes({0xBB, 0xCC})) + "\n";
    text += Record(2, 0, Bytes({0x10, 0x00})) + "\n";           // base 0x1000 * 16
    text += Record(0, 0x0002, Bytes({0xDD})) + "\n";
    text += Record(5, 0, Bytes({0, 0, 0, 0})) + "\n";           // start address: ignored
    text += Record(3, 0, Bytes({0, 0, 0, 0})) + "\n";
    text += Record(4, 0, Bytes({0xFF, 0xFF})) + "\n";
    text += Record(0, 0xFFFF, Bytes({0xEE})) + "\n";            // 0xFFFFFFFF
    text += ":00000001FF\n";
    text += Record(0, 0x0000, Bytes({0x99})) + "\n";            // after the end: not read
    HexReadResult r = ReadHexRecords(text);
    ASSERT_TRUE(r.Ok);
    ASSERT_EQ(r.Records.size(), 4u);
    EXPECT_EQ(r.Records[0].Address, 0x10u);
    EXPECT_EQ(r.Records[1].Address, 65536u + 256u);
    EXPECT_EQ(r.Records[1].Length, 2);
    EXPECT_EQ(r.Records[1].Data[1], 0xCC);
    EXPECT_EQ(r.Records[2].Address, 0x10002u);
    EXPECT_EQ(r.Records[3].Address, 0xFFFFFFFFu);

    // The first bad record ends reading with its address characters as written.
    QByteArray bad = Record(0, 0x00A0, Bytes({1, 2}));
    bad[bad.size() - 1] = bad[bad.size() - 1] == 'F' ? 'E' : 'F';
    r = ReadHexRecords(Record(0, 0, Bytes({1})) + "\n" + bad.toLower() + "\n" + Record(0, 0x10, Bytes({1})));
    EXPECT_FALSE(r.Ok);
    EXPECT_EQ(r.ErrorLine, QStringLiteral("CheckSUM Error: 00a0"));
    r = ReadHexRecords(":10ZZ0000\n");
    EXPECT_FALSE(r.Ok);
    EXPECT_EQ(r.ErrorLine, QStringLiteral("Hex Record Error: ZZ00"));

    // No record at all: an empty list, and no meta block.
    r = ReadHexRecords("nothing here\n\n");
    EXPECT_TRUE(r.Ok);
    EXPECT_TRUE(r.Records.empty());
    EXPECT_EQ(FindMetaBlock(r.Records), -1);
}

namespace {
// Records of 16 bytes; the start marker ends in record s, the end marker in record e (each
// placed at the end of its record); -1 leaves a marker out.
HexRecordList MarkerRecords(int count, int s, int e)
{
    HexRecordList list;
    for (int i = 0; i < count; ++i) {
        HexStruct r;
        r.Address = static_cast<std::uint32_t>(16 * i);
        r.Length = 16;
        r.Data.fill(0x11);
        list.push_back(r);
    }
    auto put = [&](int rec, const std::uint8_t* m, int n) {
        if (rec >= 0)
            std::copy(m, m + n, list[static_cast<std::size_t>(rec)].Data.begin() + (16 - n));
    };
    put(s, BootKey1.data(), 7);
    put(e, BootKey2.data(), 7);
    return list;
}
} // namespace

TEST(MarkerSearch, HexRules)
{
    struct Case {
        int s, e, expected;
    };
    const Case cases[] = {
        {2, 3, 2}, {2, 6, 2},  // one to four records later
        {2, 7, -1},            // five later
        {3, 2, -1},            // end before start
        {-1, 1, 0}, {-1, 4, 0}, // no start marker: counts as record 0
        {-1, 5, -1},
        {0, 2, 0},             // a start marker in record 0 does not count: still 0
        {2, -1, -1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FindMetaBlock(MarkerRecords(10, c.s, c.e)), c.expected) << c.s << " " << c.e;

    // Both markers in the same (long) record.
    HexRecordList one = Records({{0, std::vector<std::uint8_t>(8, 0)}, {8, {}}});
    auto end = std::copy(BootKey1.begin(), BootKey1.end(), one[1].Data.begin());
    end = std::copy(BootKey2.begin(), BootKey2.end(), end);
    one[1].Length = static_cast<int>(end - one[1].Data.begin());
    EXPECT_EQ(FindMetaBlock(one), -1);

    // A marker split over two records, and a partial match that restarts on the first byte.
    HexRecordList split = Records({{0, {1, 2}},
                                   {2, {0x5A, 0x5A, 0xC3, 0x21}},
                                   {6, {0x9E, 0x47, 0xB8, 0x0D}},
                                   {10, {0xE4, 0x17, 0x6B, 0xD2, 0x38, 0xA9, 0xF1}}});
    EXPECT_EQ(FindMarkerRecord(split, BootKey1.data(), 7), 2);
    EXPECT_EQ(FindMetaBlock(split), 2);

    // The end marker ending in record 0 does not count and the search goes on after it.
    HexRecordList zero = Records({{0, std::vector<std::uint8_t>(BootKey2.begin(), BootKey2.end())},
                                  {7, std::vector<std::uint8_t>(BootKey2.begin(), BootKey2.end())}});
    EXPECT_EQ(FindMarkerRecord(zero, BootKey2.data(), 7), 1);
}

TEST(MarkerSearch, BinRules)
{
    // Both swapped markers ending in row 3 (index 2) pass; the end marker a row later does not;
    // both in the first row do not.
    auto rows = [](int s, int e) {
        HexRecordList list(5);
        for (auto& r : list) {
            r.Length = 128;
            r.Data.fill(0x22);
        }
        std::copy(BootKey1Swapped.begin(), BootKey1Swapped.end(), list[static_cast<std::size_t>(s)].Data.begin() + 10);
        std::copy(BootKey2Swapped.begin(), BootKey2Swapped.end(), list[static_cast<std::size_t>(e)].Data.begin() + 60);
        return list;
    };
    EXPECT_EQ(FindMetaBlockSwapped(rows(2, 2)), 2);
    EXPECT_EQ(FindMetaBlockSwapped(rows(2, 3)), -1);
    EXPECT_EQ(FindMetaBlockSwapped(rows(0, 0)), -1);
    EXPECT_EQ(FindMetaBlockSwapped(rows(3, 1)), 3);
}

TEST(BinImage, WholeRowsOnly)
{
    QByteArray bytes(1000, '\x01');
    HexRecordList rows = BinRecords(bytes);
    ASSERT_EQ(rows.size(), 7u);
    EXPECT_EQ(rows[6].Address, 0x80000300u);
    EXPECT_EQ(rows[6].Length, 128);
    EXPECT_TRUE(BinRecords(QByteArray()).empty());
    EXPECT_EQ(FindMetaBlockSwapped(BinRecords(QByteArray())), -1);
}

TEST(Numbers, TextToIntRule)
{
    struct Case {
        const char* text;
        std::int32_t value;
    };
    const Case cases[] = {
        {"0x1F", 31}, {"$10", 16}, {"x10", 16}, {"0XfF", 255}, {"0xFFFFFFFF", -1}, {"0x80000000", INT32_MIN},
        {"0x100000000", 0}, {"0x", 0}, {"", 0}, {"12", 12}, {"-12", -12}, {"12 ", 0}, {"1G", 0},
        {"2147483648", 0}, {"-2147483648", INT32_MIN},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FwStrToInt(QString::fromLatin1(c.text)), c.value) << c.text;
        // the loaders' reading of a number is the program's one
        EXPECT_EQ(FwStrToInt(QString::fromLatin1(c.text)), StrToIntSafe(QString::fromLatin1(c.text))) << c.text;
    }
    for (const char* cell : {"FF", "00", "7f", "", "G1", "12345678", "123456789", "-1", " 1"})
        EXPECT_EQ(FwHexToInt(QString::fromLatin1(cell)), StrToIntSafe("0x" + QString::fromLatin1(cell))) << cell;
    EXPECT_EQ(FwHexToInt(QStringLiteral("FF")), 255);
    EXPECT_EQ(FwHexToInt(QString()), 0);
    EXPECT_EQ(FwHexToInt(QStringLiteral("-1")), 0);
}

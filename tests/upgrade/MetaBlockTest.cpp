#include "FwTestUtil.h"

#include "upgrade/MetaBlock.h"

#include <gtest/gtest.h>

using namespace fwtest;

namespace {
QString Label(const MetaReport& r, const char* name)
{
    for (const auto& l : r.Labels)
        if (l.Control == QLatin1String(name))
            return l.Text;
    return QStringLiteral("<none>");
}

// 16-byte records holding the framed meta block from offset `at` of the image.
HexRecordList MetaImage(const Meta& m, int at, int size = 256, int recordSize = 16)
{
    std::vector<std::uint8_t> image(static_cast<std::size_t>(size), 0x33);
    auto f = m.framed();
    std::copy(f.begin(), f.end(), image.begin() + at);
    std::vector<std::pair<std::uint32_t, std::vector<std::uint8_t>>> list;
    for (int off = 0; off < size; off += recordSize)
        list.push_back({static_cast<std::uint32_t>(off),
                        std::vector<std::uint8_t>(image.begin() + off, image.begin() + off + recordSize)});
    return Records(list);
}
} // namespace

TEST(MetaBlock, DecodesLabelsAndReportExactly)
{
    Meta m;
    m.versionMajor = 2;
    m.versionMinor = 3;
    m.productId = 0x0000000A;
    m.processor = 9;
    m.hwMajor = 1;
    m.hwMinor = 0;
    m.swMajor = 4;
    m.swMinor = 12;
    m.baud = 19200; // bytes 00 4B
    m.start = 0x3E8000;
    m.stop = 0x3F7FFE;
    m.erase = 0x80;
    m.block = 48;
    m.delay = 150;
    m.fill = 0xFF;
    m.checksum = 0x12AB;
    auto bytes = m.bytes();
    EXPECT_EQ(bytes[11], 0x00);
    EXPECT_EQ(bytes[12], 0x4B);
    MetaReport r = DecodeMetaBlock(bytes.data());
    EXPECT_EQ(r.Info.ProductIdText, QStringLiteral("0x0000000A"));
    EXPECT_EQ(r.Info.StartAddressText, QStringLiteral("0x003E8000"));
    EXPECT_EQ(r.Info.StopAddressText, QStringLiteral("0x003F7FFE"));
    EXPECT_EQ(r.Info.ChecksumText, QStringLiteral("0x12AB"));
    EXPECT_EQ(r.Info.FillValueText, QStringLiteral("0xFF"));
    EXPECT_EQ(r.Info.MetaBaudRate, 19200);
    EXPECT_EQ(r.Info.BlockSize, 48);
    const QStringList expected = {
        "||----------------------------------Load Hex File-------------------------------||",
        "MetaBlock Version: 2.03",
        "Product ID: 10",
        "Processor: 9",
        "Hardware Version: 1.00",
        "Software Version: 4.12",
        "Start Address: 0x003E8000",
        "Stop Address: 0x003F7FFE",
        "Erase Size: 128",
        "Fill Value: 0xFF",
        "Checksum: 0x12AB",
        "Baud Rate: 19200",
        "Program Size: 48",
        "Delay: 150",
    };
    EXPECT_EQ(r.Lines, expected);
    EXPECT_EQ(Label(r, "Combo_Delay"), QStringLiteral("150"));
    EXPECT_EQ(Label(r, "L_PROGRAMSIZE"), QStringLiteral("48"));
    EXPECT_EQ(Label(r, "L_SVERSION"), QStringLiteral("4.12"));
    EXPECT_EQ(r.Labels.size(), 13u);
}

TEST(MetaBlock, VersionsAndProductIds)
{
    EXPECT_EQ(VersionText(2, 3), QStringLiteral("2.03"));
    EXPECT_EQ(VersionText(2, 0), QStringLiteral("2.00"));
    EXPECT_EQ(VersionText(2, 12), QStringLiteral("2.12"));
    EXPECT_EQ(VersionText(2, 123), QStringLiteral("2.123"));
    Meta m;
    m.productId = 0x80000001;
    MetaReport r = DecodeMetaBlock(m.bytes().data());
    EXPECT_EQ(Label(r, "L_PRODUCTID"), QStringLiteral("-2147483647"));
}

TEST(MetaBlock, WindowRules)
{
    Meta m;
    m.delay = 200;
    MetaReport r;
    // The start marker ends in record 2; the window is 5 records from there.
    HexRecordList list = MetaImage(m, 26);
    ASSERT_EQ(FindMetaBlock(list), 2);
    ASSERT_EQ(DecodeMetaWindow(list, 2, false, r), 0);
    EXPECT_EQ(r.Info.DelayBase, 200);

    // Two end markers in the window: the later one decides.
    Meta later;
    later.delay = 250;
    HexRecordList two = MetaImage(m, 26);
    // a second meta block and end marker right after the first end marker
    std::vector<std::uint8_t> flat;
    for (auto& rec : two)
        flat.insert(flat.end(), rec.Data.begin(), rec.Data.begin() + rec.Length);
    auto second = later.bytes();
    second.insert(second.end(), BootKey2.begin(), BootKey2.end());
    std::copy(second.begin(), second.end(), flat.begin() + 26 + 41);
    std::vector<std::pair<std::uint32_t, std::vector<std::uint8_t>>> parts;
    for (int off = 0; off < 256; off += 16)
        parts.push_back({static_cast<std::uint32_t>(off), std::vector<std::uint8_t>(flat.begin() + off, flat.begin() + off + 16)});
    two = Records(parts);
    ASSERT_EQ(DecodeMetaWindow(two, 2, false, r), 0);
    EXPECT_EQ(r.Info.DelayBase, 250);

    // An end marker fewer than 27 bytes into the window is not usable.
    HexRecordList near = Records({{0, std::vector<std::uint8_t>(16, 0)},
                                  {16, std::vector<std::uint8_t>(BootKey2.begin(), BootKey2.end())}});
    EXPECT_NE(DecodeMetaWindow(near, 1, false, r), 0);

    // Records of 64 bytes: only the first 200 bytes of the five records are searched.
    HexRecordList wide = MetaImage(m, 200 - 41, 512, 64);
    EXPECT_EQ(DecodeMetaWindow(wide, 0, false, r), 0);
    wide = MetaImage(m, 201 - 41, 512, 64);
    EXPECT_NE(DecodeMetaWindow(wide, 0, false, r), 0);
}

TEST(MetaBlock, SwappedWindowTakesBytesAsTheyStand)
{
    Meta m;
    m.processor = 9;
    HexRecordList rows(4);
    for (auto& row : rows) {
        row.Length = 128;
        row.Data.fill(0x44);
    }
    auto meta = m.bytes();
    std::copy(BootKey1Swapped.begin(), BootKey1Swapped.end(), rows[2].Data.begin());
    std::copy(meta.begin(), meta.end(), rows[2].Data.begin() + 101);
    // the meta block runs into the next row, the end marker stands there
    std::copy(BootKey2Swapped.begin(), BootKey2Swapped.end(), rows[3].Data.begin());
    MetaReport r;
    ASSERT_EQ(DecodeMetaWindow(rows, 2, true, r), 0);
    EXPECT_EQ(r.Info.Processor, 9);
    EXPECT_EQ(r.Info.ProductIdText, QStringLiteral("0x0000000A"));
    // The window is the start row and the next one: a marker two rows on is not seen.
    EXPECT_NE(DecodeMetaWindow(rows, 1, true, r), 0);
}

TEST(MetaBlock, ValuesARunCannotUse)
{
    HexInfo h;
    h.MetaBaudRate = 9600;
    h.Processor = 9;
    EXPECT_TRUE(MetaValueError(h).isEmpty());
    h.Processor = 10;
    EXPECT_EQ(MetaValueError(h), QStringLiteral("Meta Block Error: Processor 10"));
    h.Processor = 0;
    h.MetaBaudRate = 0;
    EXPECT_EQ(MetaValueError(h), QStringLiteral("Meta Block Error: Baud Rate 0"));
}

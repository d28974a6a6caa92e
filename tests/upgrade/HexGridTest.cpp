#include "FwTestUtil.h"

#include "upgrade/HexGrid.h"
#include "link/Crc.h"

#include <gtest/gtest.h>

using namespace fwtest;

namespace {

HexInfo Info(std::uint32_t start, std::uint32_t stop, int block = 0, int erase = 0, int fill = 0xFF)
{
    HexInfo h;
    h.StartAddressText = QStringLiteral("0x%1").arg(start, 8, 16, QLatin1Char('0')).toUpper().replace("0X", "0x");
    h.StopAddressText = QStringLiteral("0x%1").arg(stop, 8, 16, QLatin1Char('0')).toUpper().replace("0X", "0x");
    h.BlockSize = block;
    h.EraseSize = erase;
    h.FillValueText = QStringLiteral("0x%1").arg(fill, 2, 16, QLatin1Char('0')).toUpper().replace("0X", "0x");
    return h;
}

// Records of recordSize bytes covering image from base, addresses advancing by
// recordSize / unit.
HexRecordList Image(std::uint32_t base, const std::vector<std::uint8_t>& image, int recordSize = 16, int unit = 1)
{
    std::vector<std::pair<std::uint32_t, std::vector<std::uint8_t>>> list;
    for (std::size_t off = 0; off < image.size(); off += static_cast<std::size_t>(recordSize))
        list.push_back({base + static_cast<std::uint32_t>(off / static_cast<std::size_t>(unit)),
                        std::vector<std::uint8_t>(image.begin() + static_cast<std::ptrdiff_t>(off),
                                                  image.begin() + static_cast<std::ptrdiff_t>(off) + recordSize)});
    return Records(list);
}

std::vector<std::uint8_t> Counting(std::size_t n)
{
    std::vector<std::uint8_t> v(n);
    for (std::size_t i = 0; i < n; ++i)
        v[i] = static_cast<std::uint8_t>(i % 251);
    return v;
}

std::uint16_t PlainCrc(const std::vector<std::uint8_t>& bytes)
{
    return Crc16Modbus(bytes.data(), bytes.size());
}

} // namespace

TEST(HexGrid, BlockSizeFollowsMetaAndOldBootLoaders)
{
    struct Case {
        int meta;
        bool old;
        int block;
    };
    const Case cases[] = {{0, false, 32}, {48, false, 32}, {64, false, 64}, {128, false, 128}, {128, true, 32},
                          {250, true, 32}};
    for (const Case& c : cases) {
        MemoryGrid grid;
        HexInfo h = Info(0x1000, 0x1400, c.meta);
        LayoutResult r = LayoutHexImage(Image(0x1000, Counting(0x400)), h, c.old, grid);
        ASSERT_TRUE(r.Ok) << c.meta << " " << r.ErrorLine.toStdString();
        EXPECT_EQ(h.BlockSize, c.block);
        EXPECT_EQ(grid.ColCount(), c.block + 3);
        EXPECT_EQ(grid.RowCount(), 0x400 / c.block + 2);
        EXPECT_EQ(h.Length10, 0x400);
        EXPECT_EQ(h.Crc10, PlainCrc(Counting(0x400)));
        EXPECT_EQ(grid.Cell(1, 1), QStringLiteral("00001000"));
        EXPECT_EQ(grid.Cell(2 + c.block - 1, 1), QStringLiteral("%1").arg(c.block - 1, 2, 16, QLatin1Char('0')).toUpper());
    }
    MemoryGrid grid;
    HexInfo h = Info(0x1000, 0x1400, 250);
    LayoutResult r = LayoutHexImage(Image(0x1000, Counting(0x400)), h, false, grid);
    EXPECT_FALSE(r.Ok);
    EXPECT_EQ(r.ErrorLine, QStringLiteral("Meta Block Error: Program Size 250"));
}

TEST(HexGrid, SkippedRowsAndModeLengths)
{
    // 16 rows of 32 bytes; rows 5 to 12 and 14 to 16 hold only FF.
    auto image = Counting(16 * 32);
    std::fill(image.begin() + 4 * 32, image.begin() + 12 * 32, 0xFF);
    std::fill(image.begin() + 13 * 32, image.end(), 0xFF);
    MemoryGrid grid;
    HexInfo h = Info(0x2000, 0x3000, 0, 0);
    LayoutResult r = LayoutHexImage(Image(0x2000, image), h, false, grid);
    ASSERT_TRUE(r.Ok) << r.ErrorLine.toStdString();
    QList<int> skipped;
    for (int row = 1; row <= 16; ++row)
        if (grid.Cell(0, row).isEmpty())
            skipped << row;
    EXPECT_EQ(skipped, (QList<int>{5, 6, 7, 8, 9}));
    EXPECT_EQ(h.Length10, 16 * 32);
    EXPECT_EQ(h.Length20, 11 * 32);
    std::vector<std::uint8_t> sent;
    for (int row = 1; row <= 16; ++row)
        if (!skipped.contains(row))
            sent.insert(sent.end(), image.begin() + (row - 1) * 32, image.begin() + row * 32);
    EXPECT_EQ(h.Crc20, PlainCrc(sent));
    EXPECT_EQ(h.Crc10, PlainCrc(image));
    EXPECT_EQ(r.LogLines, (QStringList{
        QStringLiteral("Hex Length: 512(0x10) / 352(0x20)"),
        "Hex SUM CRC: 0x" + Hex4(h.Crc10) + "(0x10) / " + Hex4(h.Crc20) + "(0x20)"}));

    // A fill of 00 in a gap is never skipped, FF gaps are.
    HexRecordList gap = Image(0x2000, Counting(64));
    HexRecordList tail = Image(0x2000 + 0x200, Counting(64));
    gap.insert(gap.end(), tail.begin(), tail.end());
    for (int fill : {0x00, 0xFF}) {
        MemoryGrid g;
        HexInfo hi = Info(0x2000, 0x3000, 0, 0, fill);
        ASSERT_TRUE(LayoutHexImage(gap, hi, false, g).Ok);
        EXPECT_EQ(hi.Length10, 0x240);
        EXPECT_EQ(hi.Length20, fill == 0 ? 0x240 : 0x240 - 11 * 32) << fill;
    }
}

TEST(HexGrid, RowsCoverTheLastRecordAndWordAddressedImages)
{
    // Records not aligned to the rows: the last record's bytes all reach the grid.
    MemoryGrid grid;
    HexInfo h = Info(0x1000, 0x2000);
    auto bytes = Counting(64);
    LayoutResult r = LayoutHexImage(Image(0x1008, bytes), h, false, grid);
    ASSERT_TRUE(r.Ok);
    EXPECT_EQ(grid.RowCount(), 3 + 2);
    EXPECT_EQ(grid.Cell(1, 3), QStringLiteral("00001040"));
    EXPECT_EQ(grid.Cell(2 + 7, 3), QStringLiteral("3F")); // byte 63 of the image at 0x1047
    EXPECT_EQ(grid.Cell(2 + 8, 3), QStringLiteral("FF"));
    EXPECT_EQ(grid.Cell(2, 1), QStringLiteral("FF"));

    // 16-byte records whose addresses advance by 8: two bytes per address, 16 units a row.
    MemoryGrid words;
    HexInfo w = Info(0x100, 0x200);
    r = LayoutHexImage(Image(0x100, Counting(128), 16, 2), w, false, words);
    ASSERT_TRUE(r.Ok) << r.ErrorLine.toStdString();
    EXPECT_EQ(words.RowCount(), 4 + 2);
    EXPECT_EQ(words.Cell(1, 2), QStringLiteral("00000110"));
    EXPECT_EQ(words.Cell(2, 2), QStringLiteral("20"));
    EXPECT_EQ(w.Length10, 128);
}

TEST(HexGrid, GeometryTheRowsCannotCarry)
{
    struct Case {
        const char* what;
        HexRecordList records;
        HexInfo info;
    };
    HexRecordList outOfOrder = Records({{0x1010, Counting(16)}, {0x1000, Counting(16)}});
    HexRecordList single = Records({{0x1000, Counting(16)}});
    HexRecordList twelve = Image(0x1000, Counting(96), 12, 1);
    for (auto& rec : twelve)
        rec.Address = 0x1000 + static_cast<std::uint32_t>(8 * (&rec - &twelve[0])); // 12 bytes every 8: overlap
    HexRecordList triple = Image(0x1000, Counting(96), 12, 3);                    // three bytes per address
    const Case cases[] = {
        {"out of order", outOfOrder, Info(0x1000, 0x2000)},
        {"single record", single, Info(0x1000, 0x2000)},
        {"overlapping records", twelve, Info(0x1000, 0x2000)},
        {"rows not whole units", triple, Info(0x1000, 0x2000)},
        {"start above data", Image(0x1000, Counting(64)), Info(0x3000, 0x4000)},
        {"meta stop 0", Image(0x1000, Counting(64)), Info(0x1000, 0)},
        {"start 0", Image(0x0, Counting(64)), Info(0x0, 0x1000)},
        {"too large", Records({{0x1000, Counting(16)}, {0x1010, Counting(16)}, {0x7000000, Counting(16)}}),
         Info(0x1000, 0x8000000)},
    };
    for (const Case& c : cases) {
        MemoryGrid grid;
        HexInfo h = c.info;
        LayoutResult r = LayoutHexImage(c.records, h, false, grid);
        EXPECT_FALSE(r.Ok) << c.what;
        EXPECT_FALSE(r.ErrorLine.isEmpty()) << c.what;
        EXPECT_EQ(h.Length10, 0) << c.what;
    }
}

TEST(HexGrid, WideBlocksAreSkippedOnlyWhenWhollyFF)
{
    // Blocks of 192 bytes with an erase size of 128: a row whose first 128 bytes are FF but
    // which holds data after them is sent.
    auto image = Counting(192 * 3);
    std::fill(image.begin() + 192, image.begin() + 192 + 128, 0xFF);
    MemoryGrid grid;
    HexInfo h = Info(0x1000, 0x2000, 192, 128);
    ASSERT_TRUE(LayoutHexImage(Image(0x1000, image), h, false, grid).Ok);
    EXPECT_EQ(grid.Cell(0, 2), QStringLiteral("2"));
    EXPECT_EQ(h.Length20, 192 * 3);
}

TEST(HexGrid, ReadingBlocksBack)
{
    auto image = Counting(8 * 32);
    std::fill(image.begin() + 2 * 32, image.begin() + 6 * 32, 0xFF); // rows 3..6 FF: row 3 skipped
    MemoryGrid grid;
    HexInfo h = Info(0x1000, 0x2000, 0, 0);
    ASSERT_TRUE(LayoutHexImage(Image(0x1000, image), h, false, grid).Ok);
    ASSERT_TRUE(grid.Cell(0, 3).isEmpty());
    ASSERT_FALSE(grid.Cell(0, 4).isEmpty());

    GridBlock b;
    ASSERT_EQ(ReadHexGridBlock(2, b, grid, 32, QStringLiteral("0x00001FFF")), 0);
    EXPECT_EQ(b.Address, 0x1020u);
    EXPECT_EQ(b.NextAddress, 0x1060u); // passes the skipped row 3
    EXPECT_EQ(b.Data[0], image[32]);
    ASSERT_EQ(ReadHexGridBlock(3, b, grid, 32, QStringLiteral("0x00001FFF")), 0); // a skipped row reads too
    EXPECT_EQ(b.Data[0], 0xFF);
    // After the last row: the stop address, made even when odd and below 0x80000000.
    ASSERT_EQ(ReadHexGridBlock(8, b, grid, 32, QStringLiteral("0x00001FFF")), 0);
    EXPECT_EQ(b.NextAddress, 0x2000u);
    ASSERT_EQ(ReadHexGridBlock(8, b, grid, 32, QStringLiteral("0x80000001")), 0);
    EXPECT_EQ(b.NextAddress, 0x80000001u);
    EXPECT_EQ(ReadHexGridBlock(9, b, grid, 32, QStringLiteral("0x00001FFF")), 1);
    EXPECT_EQ(ReadHexGridBlock(0, b, grid, 32, QStringLiteral("0x00001FFF")), 1);
    // Cells beyond the row's data read as 0.
    ASSERT_EQ(ReadHexGridBlock(1, b, grid, 40, QStringLiteral("0x00001FFF")), 0);
    EXPECT_EQ(b.Data[39], 0);

    EXPECT_EQ(FindHexGridRow(0x1040, grid), 3);
    EXPECT_EQ(FindHexGridRow(0x1050, grid), 3);  // between rows: the lower one
    EXPECT_EQ(FindHexGridRow(0x0800, grid), 0);  // below the first
    EXPECT_EQ(FindHexGridRow(0x5000, grid), -1); // above the last
}

TEST(HexGrid, BinRowsAndSeededCrc)
{
    QByteArray bytes;
    for (int i = 0; i < 3 * 128 + 50; ++i)
        bytes.append(static_cast<char>(i * 7));
    MemoryGrid grid;
    WriteBinRows(bytes, grid);
    EXPECT_EQ(grid.ColCount(), 130);
    EXPECT_EQ(grid.RowCount(), 4);
    EXPECT_EQ(grid.Cell(0, 3), QStringLiteral("3"));
    EXPECT_EQ(grid.Cell(1, 3), QStringLiteral("80000100"));
    EXPECT_TRUE(grid.Cell(2, 4).isEmpty()); // the partial row is not part of the image

    HexInfo h;
    h.Length10 = 77;
    HexRecordList rows = BinRecords(bytes);
    LayoutResult r = BinLengthAndCrc(rows, h);
    EXPECT_EQ(h.Length20, 384);
    EXPECT_EQ(h.Length10, 77); // the (0x10) values are not the BIN loader's
    std::vector<std::uint8_t> all(bytes.begin(), bytes.begin() + 384);
    EXPECT_NE(h.Crc20, PlainCrc(all));
    EXPECT_EQ(r.LogLines.first(), QStringLiteral("Hex Length: 384(0x20)"));

    HexInfo one;
    BinLengthAndCrc(HexRecordList(rows.begin(), rows.begin() + 1), one);
    EXPECT_EQ(one.Crc20, PlainCrc(std::vector<std::uint8_t>(all.begin(), all.begin() + 128)));
}

TEST(HexGrid, ClearingEmptiesEveryCellAndWritesTheHeader)
{
    MemoryGrid grid(10, 3);
    grid.SetCell(5, 2, QStringLiteral("FF"));
    grid.SetCell(40, 900, QStringLiteral("FF")); // outside the counts
    ClearHexGrid(grid);
    EXPECT_TRUE(grid.Cell(5, 2).isEmpty());
    EXPECT_TRUE(grid.Cell(40, 900).isEmpty());
    EXPECT_EQ(grid.RowCount(), 3);
    EXPECT_EQ(grid.ColCount(), 10);
    EXPECT_EQ(grid.Cell(1, 0), QStringLiteral("Address"));
    EXPECT_EQ(grid.Cell(2, 0), QStringLiteral("1"));
    EXPECT_EQ(grid.Cell(257, 0), QStringLiteral("256"));
    EXPECT_TRUE(grid.Cell(0, 0).isEmpty());
    EXPECT_EQ(grid.ColWidth(0), 40);
    EXPECT_EQ(grid.ColWidth(1), 60);
}

TEST(HexGrid, ReaderReadsAsTheFunctionDoes)
{
    // Runs of skipped rows at the start, in the middle and at the end of the image.
    auto image = Counting(40 * 32);
    std::fill(image.begin(), image.begin() + 6 * 32, 0xFF);
    std::fill(image.begin() + 10 * 32, image.begin() + 25 * 32, 0xFF);
    std::fill(image.begin() + 33 * 32, image.end(), 0xFF);
    MemoryGrid grid;
    HexInfo h = Info(0x1000, 0x2000, 0, 0);
    ASSERT_TRUE(LayoutHexImage(Image(0x1000, image), h, false, grid).Ok);
    const HexGridReader reader(grid);
    for (const QString& stop : {QStringLiteral("0x00001FFF"), QStringLiteral("0x80000001"), QString()}) {
        for (int row = -1; row <= 45; ++row) {
            GridBlock a, b;
            const int ra = ReadHexGridBlock(row, a, grid, 32, stop);
            const int rb = reader.Read(row, b, 32, stop);
            ASSERT_EQ(ra, rb) << row;
            if (ra == 0) {
                EXPECT_EQ(a.Address, b.Address) << row;
                EXPECT_EQ(a.NextAddress, b.NextAddress) << row;
                EXPECT_EQ(a.Data, b.Data) << row;
            }
        }
    }
}

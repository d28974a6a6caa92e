// The block grid: a loaded image laid out as programming blocks, one block per row, which is
// also the store from which the programming steps read their blocks back.
//
// Layout: row 0 is the header ("Address" over column 1, "1", "2", ... over the data bytes);
// each data row holds its row number in column 0 (empty for a skipped row), its address as
// 8 hexadecimal digits in column 1 and its bytes as 2 hexadecimal digits from column 2 on.
#pragma once

#include "upgrade/FirmwareImage.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <vector>

// The cells of a string grid. Cells outside the row and column counts are kept: the layout
// writes rows before it sets the counts.
class CellGrid {
public:
    virtual ~CellGrid() = default;
    virtual QString Cell(int col, int row) const = 0;
    virtual void SetCell(int col, int row, const QString& text) = 0;
    virtual int RowCount() const = 0;
    virtual int ColCount() const = 0;
    virtual void SetRowCount(int rows) = 0;
    virtual void SetColCount(int cols) = 0;
    virtual void SetColWidth(int col, int width) = 0;
    // Empties every cell, inside and outside the counts; keeps the counts.
    virtual void ClearCells() = 0;
    // Brackets a large update, so that a view repaints once.
    virtual void BeginUpdate() {}
    virtual void EndUpdate() {}
};

// A cell store in memory: the loader's own grid in tests, fuzzing and benchmarks.
class MemoryGrid : public CellGrid {
public:
    MemoryGrid(int cols = 5, int rows = 5) : cols_(cols), rows_(rows) {}
    QString Cell(int col, int row) const override;
    void SetCell(int col, int row, const QString& text) override;
    int RowCount() const override { return rows_; }
    int ColCount() const override { return cols_; }
    void SetRowCount(int rows) override { rows_ = rows; }
    void SetColCount(int cols) override { cols_ = cols; }
    void SetColWidth(int col, int width) override;
    int ColWidth(int col) const;
    void ClearCells() override { cells_.clear(); }

private:
    int cols_;
    int rows_;
    std::vector<std::vector<QString>> cells_;
    std::vector<int> widths_;
};

// One block as read back from the grid.
struct GridBlock {
    std::uint32_t Address = 0;
    std::uint32_t NextAddress = 0;
    std::vector<std::uint8_t> Data;
};

// Reads the block of a data row: 0 when read, 1 at the end of the image (an empty address or
// an address of 0). NextAddress passes over skipped rows; after the last row it is the stop
// text's value (raised to the next even address when that is odd and below 0x80000000).
int ReadHexGridBlock(int row, GridBlock& block, const CellGrid& grid, int count, const QString& stopText);
// The same reading for a grid that does not change while it is read (a programming run):
// the walk over skipped rows is done once for the whole grid, so reading every row of an image
// with long runs of skipped rows stays linear.
class HexGridReader {
public:
    explicit HexGridReader(const CellGrid& grid);
    // As ReadHexGridBlock on the grid given to the constructor.
    int Read(int row, GridBlock& block, int count, const QString& stopText) const;

private:
    const CellGrid& grid_;
    std::vector<std::uint32_t> address_;  // by row, from row 0 to the first empty address
    std::vector<std::uint32_t> next_;     // the next address before the stop-address rule
};

// The data row with the given address; else the row before the first row with a larger
// address (0 when the first is already larger); else -1.
int FindHexGridRow(std::uint32_t address, const CellGrid& grid);

// The grid part of clearing the display: every cell emptied, the header row written, the
// widths of columns 0 and 1 set. The grid's size stays.
void ClearHexGrid(CellGrid& grid);

// The outcome of laying out an image: the upgrade log lines, or the line that tells why the
// image cannot be programmed.
struct LayoutResult {
    bool Ok = false;
    QString ErrorLine;
    QString MessageText;            // a refusal the user must see at once, or empty
    QStringList LogLines;
};

// The largest image the loaders accept (bytes of the image window or of a BIN file).
inline constexpr std::int64_t MaxImageBytes = 16 * 1024 * 1024;

// The first address to which two records give different bytes, or -1 when they all agree. R is
// the number of data bytes one address unit holds.
std::int64_t FirstConflictingAddress(const HexRecordList& records, std::int64_t R);

// Lays out a HEX image from its record list after the meta block has been decoded into info:
// block size, image window and fill, rows, skipped rows, grid size, and the lengths and CRCs
// of both programming modes (written into info with the two log lines). oldBootLoader: an
// inverter with a version-2 boot loader is present, which limits blocks to 32 bytes.
LayoutResult LayoutHexImage(const HexRecordList& records, HexInfo& info, bool oldBootLoader, CellGrid& grid);

// Writes a BIN image's whole 128-byte rows into the grid (130 columns, n + 1 rows).
void WriteBinRows(const QByteArray& bytes, CellGrid& grid);
// The (0x20) length and seeded CRC of a BIN image's rows, written into info with the two log
// lines.
LayoutResult BinLengthAndCrc(const HexRecordList& rows, HexInfo& info);

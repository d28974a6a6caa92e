#include "upgrade/HexGrid.h"

#include "link/Crc.h"

#include <algorithm>

namespace {

// "00" to "FF", shared by every cell that shows a byte.
const QString& ByteText(std::uint8_t b)
{
    static const std::vector<QString> table = [] {
        std::vector<QString> t;
        t.reserve(256);
        for (int i = 0; i < 256; ++i)
            t.push_back(QStringLiteral("%1").arg(i, 2, 16, QLatin1Char('0')).toUpper());
        return t;
    }();
    return table[b];
}

QString AddressText(std::uint32_t a)
{
    return QStringLiteral("%1").arg(a, 8, 16, QLatin1Char('0')).toUpper();
}

QString Hex4(std::uint32_t v)
{
    return QStringLiteral("%1").arg(v & 0xFFFF, 4, 16, QLatin1Char('0')).toUpper();
}

LayoutResult Fail(const QString& line)
{
    LayoutResult r;
    r.ErrorLine = line;
    return r;
}

// Two records that disagree leave it open which bytes the inverter should get: refused with the
// address, in the log and in a message box.
LayoutResult Conflict(std::int64_t address)
{
    LayoutResult r = Fail(QStringLiteral("Hex Record Error: two records give address 0x")
                          + QStringLiteral("%1").arg(static_cast<qulonglong>(address), 8, 16, QLatin1Char('0')).toUpper()
                          + QStringLiteral(" different bytes"));
    r.MessageText = r.ErrorLine;
    return r;
}

} // namespace

// --- MemoryGrid ---------------------------------------------------------------------------------

QString MemoryGrid::Cell(int col, int row) const
{
    if (row < 0 || col < 0 || static_cast<std::size_t>(row) >= cells_.size())
        return QString();
    const auto& r = cells_[static_cast<std::size_t>(row)];
    return static_cast<std::size_t>(col) < r.size() ? r[static_cast<std::size_t>(col)] : QString();
}

void MemoryGrid::SetCell(int col, int row, const QString& text)
{
    if (row < 0 || col < 0)
        return;
    if (static_cast<std::size_t>(row) >= cells_.size())
        cells_.resize(static_cast<std::size_t>(row) + 1);
    auto& r = cells_[static_cast<std::size_t>(row)];
    if (static_cast<std::size_t>(col) >= r.size())
        r.resize(static_cast<std::size_t>(col) + 1);
    r[static_cast<std::size_t>(col)] = text;
}

void MemoryGrid::SetColWidth(int col, int width)
{
    if (col < 0)
        return;
    if (static_cast<std::size_t>(col) >= widths_.size())
        widths_.resize(static_cast<std::size_t>(col) + 1, 25);
    widths_[static_cast<std::size_t>(col)] = width;
}

int MemoryGrid::ColWidth(int col) const
{
    return col >= 0 && static_cast<std::size_t>(col) < widths_.size() ? widths_[static_cast<std::size_t>(col)] : 25;
}

// --- reading blocks back ----------------------------------------------------------------------------

namespace {

// After the last row the next address is the stop address, made even when it is odd and
// below 0x80000000.
void ApplyStopAddress(GridBlock& block, const QString& stopText)
{
    if (block.NextAddress < block.Address) {
        const std::int32_t stop = FwStrToInt(stopText);
        block.NextAddress = static_cast<std::uint32_t>(stop);
        if (stop > 0 && (stop & 1))
            block.NextAddress += 1;
    }
}

void ReadBlockData(int row, GridBlock& block, const CellGrid& grid, int count)
{
    block.Data.assign(static_cast<std::size_t>(std::max(0, count)), 0);
    for (int i = 0; i < count; ++i)
        block.Data[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(FwHexToInt(grid.Cell(2 + i, row)));
}

} // namespace

int ReadHexGridBlock(int row, GridBlock& block, const CellGrid& grid, int count, const QString& stopText)
{
    block.Address = static_cast<std::uint32_t>(FwHexToInt(grid.Cell(1, row)));
    if (block.Address == 0)
        return 1;
    for (int k = 1;; ++k) {
        block.NextAddress = static_cast<std::uint32_t>(FwHexToInt(grid.Cell(1, row + k)));
        if (!grid.Cell(0, row + k).isEmpty() || block.NextAddress == 0)
            break;
    }
    ApplyStopAddress(block, stopText);
    ReadBlockData(row, block, grid, count);
    return 0;
}

HexGridReader::HexGridReader(const CellGrid& grid) : grid_(grid)
{
    // Rows 0 (the header, address 0) to the first row without an address.
    address_.push_back(0);
    std::vector<bool> stops{true};
    for (int row = 1;; ++row) {
        const std::uint32_t a = static_cast<std::uint32_t>(FwHexToInt(grid.Cell(1, row)));
        address_.push_back(a);
        stops.push_back(a == 0 || !grid.Cell(0, row).isEmpty());
        if (a == 0)
            break;
    }
    // next_[r]: the address of the first row after r at which the walk stops.
    next_.assign(address_.size(), 0);
    std::uint32_t stopAddress = 0;
    for (std::size_t r = address_.size(); r-- > 0;) {
        next_[r] = stopAddress;
        if (stops[r])
            stopAddress = address_[r];
    }
}

int HexGridReader::Read(int row, GridBlock& block, int count, const QString& stopText) const
{
    if (row < 1 || static_cast<std::size_t>(row) >= address_.size())
        return ReadHexGridBlock(row, block, grid_, count, stopText);
    block.Address = address_[static_cast<std::size_t>(row)];
    if (block.Address == 0)
        return 1;
    block.NextAddress = next_[static_cast<std::size_t>(row)];
    ApplyStopAddress(block, stopText);
    ReadBlockData(row, block, grid_, count);
    return 0;
}

int FindHexGridRow(std::uint32_t address, const CellGrid& grid)
{
    for (int row = 1;; ++row) {
        const QString cell = grid.Cell(1, row);
        std::uint32_t a = 0;
        bool ok = false;
        a = cell.toUInt(&ok, 16);
        if (cell.isEmpty() || !ok)
            return -1;
        if (a == address)
            return row;
        if (static_cast<std::int32_t>(a) > static_cast<std::int32_t>(address))
            return row - 1;
    }
}

void ClearHexGrid(CellGrid& grid)
{
    grid.BeginUpdate();
    grid.ClearCells();
    grid.SetCell(1, 0, QStringLiteral("Address"));
    for (int c = 2; c <= 257; ++c)
        grid.SetCell(c, 0, QString::number(c - 1));
    grid.SetColWidth(0, 40);
    grid.SetColWidth(1, 60);
    grid.EndUpdate();
}

// --- HEX layout -----------------------------------------------------------------------------------

std::int64_t FirstConflictingAddress(const HexRecordList& records, std::int64_t R)
{
    if (R < 1)
        return -1;
    std::vector<std::size_t> order(records.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return records[a].Address < records[b].Address; });
    // In address order, every record met so far agrees with the others; from the current record's
    // first byte on, the one that reaches farthest covers all that any of them gives, so the
    // current record need only be compared with that one.
    bool any = false;
    std::size_t far = 0;
    std::int64_t farEnd = 0;
    for (const std::size_t i : order) {
        const HexStruct& r = records[i];
        const std::int64_t len = std::clamp<std::int64_t>(r.Length, 0, MaxRecordLength);
        if (len == 0)
            continue;
        const std::int64_t begin = static_cast<std::int64_t>(r.Address) * R;
        const std::int64_t end = begin + len;
        if (any && farEnd > begin) {
            const HexStruct& f = records[far];
            const std::int64_t fBegin = static_cast<std::int64_t>(f.Address) * R;
            for (std::int64_t p = begin; p < std::min(end, farEnd); ++p)
                if (r.Data[static_cast<std::size_t>(p - begin)] != f.Data[static_cast<std::size_t>(p - fBegin)])
                    return p / R;
        }
        if (!any || end > farEnd) {
            any = true;
            far = i;
            farEnd = end;
        }
    }
    return -1;
}

LayoutResult LayoutHexImage(const HexRecordList& records, HexInfo& info, bool oldBootLoader, CellGrid& grid)
{
    const std::uint32_t start = static_cast<std::uint32_t>(FwStrToInt(info.StartAddressText));
    const std::uint32_t metaStop = static_cast<std::uint32_t>(FwStrToInt(info.StopAddressText));

    // The image: the records at or above start and below the meta stop; stop is the address
    // of the last one.
    std::uint32_t stop = 0;
    for (const HexStruct& r : records)
        if (r.Address < metaStop && r.Address > stop)
            stop = r.Address;
    const std::uint8_t fill = static_cast<std::uint8_t>(FwStrToInt(info.FillValueText) & 0xFF);

    int B = info.BlockSize >= 64 ? info.BlockSize : 32;
    if (oldBootLoader)
        B = 32;
    info.BlockSize = B;
    // A block travels in one frame whose length byte counts the block and 9 more bytes.
    if (B + 9 > 255)
        return Fail(QStringLiteral("Meta Block Error: Program Size ") + QString::number(B));

    // Bytes per address unit, from the first record that reaches its successor.
    std::int64_t L = 0, D = 0;
    bool found = false;
    for (std::size_t i = 0; i + 1 < records.size(); ++i) {
        D = static_cast<std::int32_t>(records[i + 1].Address - records[i].Address);
        L = records[i].Length;
        if (L >= D) {
            found = true;
            if (D == 0) {
                // Two records at one address: whatever the unit, their bytes fall on each other.
                const HexStruct& a = records[i];
                const HexStruct& b = records[i + 1];
                const int common = std::clamp(std::min(a.Length, b.Length), 0, MaxRecordLength);
                for (int k = 0; k < common; ++k)
                    if (a.Data[static_cast<std::size_t>(k)] != b.Data[static_cast<std::size_t>(k)])
                        return Conflict(static_cast<std::int64_t>(a.Address) + k);
            }
            break;
        }
    }
    if (!found || D <= 0)
        return Fail(QStringLiteral("Hex Block Error: no records in address order"));
    // A row of B bytes covers B / R address units; when a record's length is not a whole
    // number of units, or a row not a whole number of units, rows and addresses disagree.
    const std::int64_t R = L / D;
    if (L % D != 0 || B % R != 0)
        return Fail(QStringLiteral("Hex Block Error: record length ") + QString::number(L)
                    + QStringLiteral(" does not fit program size ") + QString::number(B));
    const std::int64_t step = B / R;
    if (const std::int64_t conflict = FirstConflictingAddress(records, R); conflict >= 0)
        return Conflict(conflict);

    if (metaStop == 0 || stop < start || stop == 0)
        return Fail(QStringLiteral("Hex Block Error: no data between start and stop address"));

    // Rows run until the last record's bytes are all on the grid.
    std::int64_t lastEnd = static_cast<std::int64_t>(stop) + 1;
    std::int64_t bufferBytes = 0;
    for (const HexStruct& r : records) {
        if (r.Address < start || r.Address > stop)
            continue;
        const std::int64_t len = std::clamp<std::int64_t>(r.Length, 0, MaxRecordLength);
        lastEnd = std::max(lastEnd, static_cast<std::int64_t>(r.Address) + (len + R - 1) / R);
        bufferBytes = std::max(bufferBytes, (static_cast<std::int64_t>(r.Address) - start) * R + len);
    }
    if ((lastEnd - start) * R > MaxImageBytes || lastEnd > 0x100000000LL)
        return Fail(QStringLiteral("Hex Block Error: image larger than ") + QString::number(MaxImageBytes)
                    + QStringLiteral(" bytes"));
    const std::int64_t rows = (lastEnd - start + step - 1) / step;
    bufferBytes = std::max(bufferBytes, rows * B);

    std::vector<std::uint8_t> buffer(static_cast<std::size_t>(bufferBytes), fill);
    for (const HexStruct& r : records) {
        if (r.Address < start || r.Address > stop)
            continue;
        const std::int64_t len = std::clamp<std::int64_t>(r.Length, 0, MaxRecordLength);
        std::copy(r.Data.begin(), r.Data.begin() + len,
                  buffer.begin() + static_cast<std::ptrdiff_t>((static_cast<std::int64_t>(r.Address) - start) * R));
    }

    const int N = static_cast<int>(rows);
    // A row is skipped when it starts a run of "FF" at least one skip window long; the window
    // covers at least the whole row, so a row holding data is never left out.
    const std::int64_t E = std::max<std::int64_t>(std::max(info.EraseSize, 128), B);
    const std::int64_t dataBytes = static_cast<std::int64_t>(N) * B;
    std::vector<bool> skipped(static_cast<std::size_t>(N) + 1, false);
    std::int64_t ffRun = 0; // "FF" bytes from position p on, computed backwards
    std::vector<std::int64_t> runAt(static_cast<std::size_t>(N) + 1, 0);
    for (std::int64_t p = dataBytes - 1; p >= 0; --p) {
        ffRun = buffer[static_cast<std::size_t>(p)] == 0xFF ? ffRun + 1 : 0;
        if (p % B == 0)
            runAt[static_cast<std::size_t>(p / B) + 1] = ffRun;
    }
    for (int r = 1; r <= N; ++r)
        skipped[static_cast<std::size_t>(r)] = runAt[static_cast<std::size_t>(r)] >= E;

    grid.BeginUpdate();
    for (int r = 1; r <= N; ++r) {
        const std::uint32_t addr = static_cast<std::uint32_t>(start + (r - 1) * step);
        grid.SetCell(0, r, skipped[static_cast<std::size_t>(r)] ? QString() : QString::number(r));
        grid.SetCell(1, r, AddressText(addr));
        const std::uint8_t* bytes = buffer.data() + static_cast<std::ptrdiff_t>(r - 1) * B;
        for (int c = 0; c < B; ++c)
            grid.SetCell(2 + c, r, ByteText(bytes[c]));
    }
    grid.SetRowCount(N + 2);
    grid.SetColCount(B + 3);
    grid.EndUpdate();

    // Lengths and CRCs of both modes, over the rows as the programming steps read them: an
    // address of 0 ends the image.
    std::int64_t length10 = 0, length20 = 0;
    std::uint16_t crc10 = 0xFFFF, crc20 = 0xFFFF;
    for (int r = 1; r <= N; ++r) {
        const std::uint32_t addr = static_cast<std::uint32_t>(start + (r - 1) * step);
        if (addr == 0)
            break;
        const std::uint8_t* bytes = buffer.data() + static_cast<std::ptrdiff_t>(r - 1) * B;
        length10 += B;
        crc10 = Crc16ModbusContinue(bytes, static_cast<std::size_t>(B), static_cast<std::uint8_t>(crc10 & 0xFF),
                                    static_cast<std::uint8_t>(crc10 >> 8));
        if (!skipped[static_cast<std::size_t>(r)]) {
            length20 += B;
            crc20 = Crc16ModbusContinue(bytes, static_cast<std::size_t>(B), static_cast<std::uint8_t>(crc20 & 0xFF),
                                        static_cast<std::uint8_t>(crc20 >> 8));
        }
    }
    if (length10 == 0)
        return Fail(QStringLiteral("Hex Block Error: nothing to program from address ")
                    + AddressText(start));

    LayoutResult result;
    result.Ok = true;
    result.LogLines << QStringLiteral("Hex Length: ") + QString::number(length10) + QStringLiteral("(0x10) / ")
                           + QString::number(length20) + QStringLiteral("(0x20)")
                    << QStringLiteral("Hex SUM CRC: 0x") + Hex4(crc10) + QStringLiteral("(0x10) / ") + Hex4(crc20)
                           + QStringLiteral("(0x20)");
    info.Length10 = static_cast<std::int32_t>(length10);
    info.Crc10 = crc10;
    info.Length20 = static_cast<std::int32_t>(length20);
    info.Crc20 = crc20;
    return result;
}

// --- BIN layout -----------------------------------------------------------------------------------

void WriteBinRows(const QByteArray& bytes, CellGrid& grid)
{
    const int n = static_cast<int>(bytes.size() / BinRowSize);
    const auto* src = reinterpret_cast<const std::uint8_t*>(bytes.constData());
    grid.BeginUpdate();
    grid.SetColCount(2 + BinRowSize);
    for (int j = 1; j <= n; ++j) {
        grid.SetCell(0, j, QString::number(j));
        grid.SetCell(1, j, AddressText(BinBaseAddress + static_cast<std::uint32_t>(BinRowSize) * static_cast<std::uint32_t>(j - 1)));
        const std::uint8_t* row = src + static_cast<std::ptrdiff_t>(j - 1) * BinRowSize;
        for (int c = 0; c < BinRowSize; ++c)
            grid.SetCell(2 + c, j, ByteText(row[c]));
    }
    grid.SetRowCount(n + 1);
    grid.EndUpdate();
}

LayoutResult BinLengthAndCrc(const HexRecordList& rows, HexInfo& info)
{
    std::int64_t length = 0;
    std::uint16_t crc = 0xFFFF;
    for (const HexStruct& r : rows) {
        length += BinRowSize;
        crc = Crc16ModbusSeeded(r.Data.data(), BinRowSize, crc);
    }
    LayoutResult result;
    result.Ok = true;
    result.LogLines << QStringLiteral("Hex Length: ") + QString::number(length) + QStringLiteral("(0x20)")
                    << QStringLiteral("Hex SUM CRC: 0x") + Hex4(crc) + QStringLiteral("(0x20)");
    info.Length20 = static_cast<std::int32_t>(length);
    info.Crc20 = crc;
    return result;
}

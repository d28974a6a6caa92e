// Loading a 1 MiB firmware image and laying out its block grid: the pure loader on an
// in-memory cell store, and the whole load through the upgrade page onto the kit's string grid.
// Bounds, medians over 5 runs each: the whole load from the file onto the kit's grid of a new
// page at most 1.5 s (what a user waits for, once per image); the load and layout on the
// in-memory store at most 500 ms; every read-back of the blocks at most 250 ms. Every load must succeed with the expected number of rows.
//   bench_upgrade_load
#include "Verdict.h"

#include "support/Clocks.h"
#include "upgrade/ImageLoad.h"
#include "upgrade/UpgradeKitView.h"
#include "upgrade/UpgradePage.h"

#include "vcl/ComCtrls.h"
#include "vcl/Forms.h"
#include "vcl/Services.h"
#include "vcl/StdCtrls.h"
#include "vcl/StringGrid.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <cstring>
#include <vector>

namespace {

QByteArray Record(int type, unsigned field, const std::uint8_t* data, int n)
{
    std::vector<std::uint8_t> b{static_cast<std::uint8_t>(n), static_cast<std::uint8_t>(field >> 8),
                                static_cast<std::uint8_t>(field), static_cast<std::uint8_t>(type)};
    b.insert(b.end(), data, data + n);
    unsigned sum = 0;
    for (auto x : b)
        sum += x;
    b.push_back(static_cast<std::uint8_t>(-sum));
    QByteArray line(1, ':');
    line += QByteArray(reinterpret_cast<const char*>(b.data()), static_cast<qsizetype>(b.size())).toHex().toUpper();
    line += "\r\n";
    return line;
}

// A 1 MiB image at 0x08000000 with its meta block 1 KiB in, as Intel-HEX with 16-byte records.
QByteArray MakeHex(std::size_t size, std::uint32_t base, int block, std::size_t span = 0)
{
    std::vector<std::uint8_t> image(size);
    std::uint32_t x = 12345;
    for (auto& b : image) {
        x = x * 1103515245u + 12345u;
        b = static_cast<std::uint8_t>((x >> 16) % 255);
    }
    std::vector<std::uint8_t> meta = {3, 2, 10, 0, 0, 0, 1, 2, 1, 4, 3, 0x00, 0x4B};
    for (std::uint32_t v : {base, base + static_cast<std::uint32_t>(span ? span : size)})
        for (int i = 0; i < 4; ++i)
            meta.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    for (int v : {128, block, 100, 0xFF, 0xEF, 0xBE})
        meta.push_back(static_cast<std::uint8_t>(v));
    std::size_t at = 1024 + 9;
    std::copy(BootKey1.begin(), BootKey1.end(), image.begin() + static_cast<std::ptrdiff_t>(at));
    std::copy(meta.begin(), meta.end(), image.begin() + static_cast<std::ptrdiff_t>(at + 7));
    std::copy(BootKey2.begin(), BootKey2.end(), image.begin() + static_cast<std::ptrdiff_t>(at + 7 + 27));
    QByteArray text;
    text.reserve(static_cast<qsizetype>(size * 3));
    std::uint32_t upper = 0xFFFFFFFF;
    for (std::size_t off = 0; off < size; off += 16) {
        const std::uint32_t a = base + static_cast<std::uint32_t>(off);
        if (a >> 16 != upper) {
            upper = a >> 16;
            const std::uint8_t u[2] = {static_cast<std::uint8_t>(upper >> 8), static_cast<std::uint8_t>(upper)};
            text += Record(4, 0, u, 2);
        }
        text += Record(0, a & 0xFFFF, image.data() + off, 16);
    }
    text += ":00000001FF\r\n";
    return text;
}

class NullPane : public LogPane {
public:
    int LineCount() const override { return 0; }
    void Clear() override {}
    void AddLine(const QString&, LogColour) override {}
    void ScrollToEnd() override {}
};

constexpr std::size_t kRuns = 5;

double Elapsed(const QElapsedTimer& t)
{
    return static_cast<double>(t.nsecsElapsed()) / 1e6;
}

void RunHex(bench::Verdict& verdict, std::size_t size, int block)
{
    const QByteArray text = MakeHex(size, 0x08000000, block);
    const int lines = static_cast<int>(text.count('\n'));
    // The meta block's program size 0 means blocks of 32 bytes.
    const int blockBytes = block == 0 ? 32 : block;
    const int rows = static_cast<int>(size) / blockBytes;
    const std::string what = "HEX " + std::to_string(blockBytes) + "-byte blocks";
    std::printf("-- HEX image of %zu bytes, %d lines, %lld bytes of text, blocks of %d bytes: %d rows\n", size, lines,
                static_cast<long long>(text.size()), blockBytes, rows);

    // The pure loader on the in-memory store.
    QElapsedTimer t;
    std::vector<double> memory;
    for (std::size_t i = 0; i < kRuns; ++i) {
        MemoryGrid grid;
        HexInfo info;
        t.start();
        const ImageLoad load = LoadHexImage(text, info, false, grid);
        memory.push_back(Elapsed(t));
        verdict.Check(load.Result == 0 && info.BlockSize == blockBytes, what + ": load in memory failed");
    }
    verdict.AtMost(what + ", load + layout in memory", memory, kRuns, 500, "ms");

    // The whole load through the page onto the kit's string grid, from the file.
    QTemporaryDir dir;
    const QString path = dir.filePath("image.hex");
    {
        QFile f(path);
        verdict.Check(f.open(QIODevice::WriteOnly) && f.write(text) == text.size(), what + ": cannot write the image file");
    }
    // Each run on a new page, as the first load of an image into the program.
    std::vector<double> onGrid;
    vcl::TForm form;
    auto* edit = new vcl::TEdit(&form);
    auto* start = new vcl::TButton(&form);
    vcl::TStringGrid* grid = nullptr;
    NullPane pane;
    upgradeTool tool;
    form.Show();
    for (std::size_t i = 0; i < kRuns; ++i) {
        delete grid;
        grid = new vcl::TStringGrid(&form);
        grid->SetParent(&form);
        KitUpgradeView view(*edit, *grid, *start, form, pane, pane);
        UpgradePage page(tool, view);
        page.LinkOpen = [] { return true; };
        page.LinkType = [] { return int(UpgradePage::LinkWifi); };
        start->SetEnabled(false);
        edit->SetText(path);
        t.start();
        page.LoadUpgradeFile();
        vcl::ProcessMessages();
        onGrid.push_back(Elapsed(t));
        verdict.Check(start->Enabled() && tool.FileInfo.BlockSize == blockBytes, what + ": load onto the kit grid failed");
    }
    std::printf("   kit grid: %d rows x %d columns\n", grid->RowCount(), grid->ColCount());
    verdict.AtMost(what + ", from the file onto the kit grid", onGrid, kRuns, 1500, "ms");

    // Every block read back in order, as a (0x10) programming run reads them.
    KitHexGrid cells(*grid);
    std::vector<double> readBack;
    for (std::size_t i = 0; i < kRuns; ++i) {
        t.start();
        const HexGridReader reader(cells);
        GridBlock b;
        int read = 0;
        while (reader.Read(read + 1, b, tool.FileInfo.BlockSize, tool.FileInfo.StopAddressText) == 0)
            ++read;
        readBack.push_back(Elapsed(t));
        verdict.Check(read == rows, what + ": " + std::to_string(read) + " blocks read back, " + std::to_string(rows) +
                                        " expected");
    }
    verdict.AtMost(what + ", every block read back from the kit grid", readBack, kRuns, 250, "ms");
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    bench::Verdict verdict("upgrade_load");

    const std::size_t size = 1024 * 1024;
    RunHex(verdict, size, 0);   // blocks of 32 bytes: 32768 rows
    RunHex(verdict, size, 128); // blocks of 128 bytes: 8192 rows

    // An image that is mostly fill: one long run of skipped rows, read back row by row.
    {
        MemoryGrid grid;
        HexInfo info;
        // 64 KiB of data, then fill up to one record at the end of the first MiB
        QByteArray text = MakeHex(64 * 1024, 0x08000000, 0, 1024 * 1024);
        text.chop(static_cast<qsizetype>(strlen(":00000001FF\r\n")));
        const std::uint8_t upper[2] = {0x08, 0x0F};
        const std::uint8_t last[16] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
        text += Record(4, 0, upper, 2) + Record(0, 0xFFF0, last, 16) + ":00000001FF\r\n";
        const ImageLoad load = LoadHexImage(text, info, false, grid);
        verdict.Check(load.Result == 0, "mostly fill: load failed");
        std::vector<double> readBack;
        int rows = 0, skipped = 0;
        for (std::size_t i = 0; i < kRuns; ++i) {
            QElapsedTimer t;
            t.start();
            const HexGridReader reader(grid);
            GridBlock b;
            rows = 0;
            while (reader.Read(rows + 1, b, info.BlockSize, info.StopAddressText) == 0)
                ++rows;
            readBack.push_back(Elapsed(t));
        }
        for (int r = 1; r <= rows; ++r)
            skipped += grid.Cell(0, r).isEmpty() ? 1 : 0;
        std::printf("-- mostly fill: %d rows (%d skipped)\n", rows, skipped);
        verdict.Check(rows == 32768 && skipped > 30000, "mostly fill: " + std::to_string(rows) + " rows, " +
                                                            std::to_string(skipped) + " skipped");
        verdict.AtMost("mostly fill, read back with the grid reader", readBack, kRuns, 250, "ms");
    }

    // A 1 MiB BIN image (no meta block needed for the row layout's cost).
    {
        const QByteArray bin(static_cast<qsizetype>(size), '\x5A');
        std::vector<double> times;
        for (std::size_t i = 0; i < kRuns; ++i) {
            MemoryGrid binGrid;
            HexInfo info;
            QElapsedTimer t;
            t.start();
            LoadBinImage(bin, info, binGrid);
            times.push_back(Elapsed(t));
            // One grid row per 128-byte row of the image, below the header row.
            verdict.Check(binGrid.RowCount() == static_cast<int>(size / BinRowSize) + 1,
                          "BIN: " + std::to_string(binGrid.RowCount()) + " grid rows");
        }
        std::printf("-- BIN image of %zu bytes\n", size);
        verdict.AtMost("BIN, rows written in memory", times, kRuns, 250, "ms");
    }
    return verdict.Finish();
}

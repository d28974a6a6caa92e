// Loading a 1 MiB firmware image and laying out its block grid: the pure loader on an
// in-memory cell store, and the whole load through the upgrade page onto the kit's string grid.
// Run: build/.../bench/bench_upgrade_load   (prints the times; no pass or fail)
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

void RunHex(std::size_t size, int block)
{
    const QByteArray text = MakeHex(size, 0x08000000, block);
    const int lines = static_cast<int>(text.count('\n'));
    std::printf("-- HEX image of %zu bytes, %d lines, %lld bytes of text, meta program size %d\n", size, lines,
                static_cast<long long>(text.size()), block);

    // The pure loader on the in-memory store, best of three.
    QElapsedTimer t;
    qint64 best = -1;
    int result = 1;
    for (int i = 0; i < 3; ++i) {
        MemoryGrid grid;
        HexInfo info;
        t.start();
        ImageLoad load = LoadHexImage(text, info, false, grid);
        const qint64 ms = t.elapsed();
        result = load.Result;
        best = best < 0 ? ms : std::min(best, ms);
    }
    std::printf("   load + grid layout in memory: %lld ms%s\n", static_cast<long long>(best),
                result == 0 ? "" : " (LOAD FAILED)");

    // The whole load through the page onto the kit's string grid, from the file.
    QTemporaryDir dir;
    const QString path = dir.filePath("image.hex");
    {
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(text);
    }
    vcl::TForm form;
    auto* edit = new vcl::TEdit(&form);
    auto* grid = new vcl::TStringGrid(&form);
    auto* start = new vcl::TButton(&form);
    grid->SetParent(&form);
    NullPane pane;
    KitUpgradeView view(*edit, *grid, *start, form, pane, pane);
    upgradeTool tool;
    UpgradePage page(tool, view);
    page.LinkOpen = [] { return true; };
    page.LinkType = [] { return int(UpgradePage::LinkWifi); };
    form.Show();
    for (int i = 0; i < 2; ++i) {
        edit->SetText(path);
        t.start();
        page.LoadUpgradeFile();
        vcl::ProcessMessages();
        const qint64 ms = t.elapsed();
        std::printf("   from the file onto the kit grid (%d rows x %d columns)%s: %lld ms%s\n", grid->RowCount(),
                    grid->ColCount(), i == 0 ? "" : ", a second load over the first", static_cast<long long>(ms),
                    start->Enabled() ? "" : " (LOAD FAILED)");
    }

    // Every block read back in order, as a (0x10) programming run reads them.
    KitHexGrid cells(*grid);
    t.start();
    const HexGridReader reader(cells);
    GridBlock b;
    int rows = 0;
    while (reader.Read(rows + 1, b, tool.FileInfo.BlockSize, tool.FileInfo.StopAddressText) == 0)
        ++rows;
    std::printf("   every block read back from the kit grid (%d rows): %lld ms\n", rows,
                static_cast<long long>(t.elapsed()));
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    const std::size_t size = 1024 * 1024;
    RunHex(size, 0);   // blocks of 32 bytes: 32768 rows
    RunHex(size, 128); // blocks of 128 bytes

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
        ImageLoad load = LoadHexImage(text, info, false, grid);
        QElapsedTimer t;
        t.start();
        const HexGridReader reader(grid);
        GridBlock b;
        int rows = 0, skipped = 0;
        while (reader.Read(rows + 1, b, info.BlockSize, info.StopAddressText) == 0) {
            ++rows;
            skipped += grid.Cell(0, rows).isEmpty() ? 1 : 0;
        }
        std::printf("-- mostly fill: %d rows (%d skipped) read back with the grid reader: %lld ms%s\n", rows,
                    skipped, static_cast<long long>(t.elapsed()), load.Result == 0 ? "" : " (LOAD FAILED)");
    }

    // A 1 MiB BIN image (no meta block needed for the row layout's cost).
    QByteArray bin(static_cast<qsizetype>(size), '\x5A');
    MemoryGrid binGrid;
    HexInfo info;
    QElapsedTimer t;
    t.start();
    LoadBinImage(bin, info, binGrid);
    std::printf("-- BIN image of %zu bytes, rows written in memory: %lld ms\n", size, static_cast<long long>(t.elapsed()));
    return 0;
}

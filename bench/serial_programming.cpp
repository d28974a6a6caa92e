// Programming a 256 KiB image into one simulated inverter over the bus at 38400 bit/s: step 5,
// the block loop, whose cost the boot loader's pacing prescribes (each block's bytes on the wire
// plus the block delay and the settling pause, then the final wait for late retry requests).
// Bounds: the median time per block (2048 samples) and the whole step each at most the
// prescribed pacing plus 5 %. Checks: every block reached the loader, the length check passed.
//   bench_serial_programming
#include "Verdict.h"

// The test helpers' data folder is not used here.
#define SUNVANE_TEST_DATA ""

#include "link/Modbus.h"
#include "tools/invsim/BootLoader.h"
#include "tools/invsim/Bus.h"
#include "upgrade/FwTestUtil.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>

int main()
{
    testsupport::EnsureApplication();
    bench::Verdict verdict("serial_programming");
    constexpr std::uint32_t kBase = 0x00040000;
    constexpr int kImage = 256 * 1024;
    constexpr int kBlock = 128;
    constexpr int kBaud = 38400;

    fwtest::Meta meta;
    meta.start = kBase;
    meta.stop = kBase + kImage;
    meta.block = kBlock;
    meta.baud = kBaud;
    std::vector<std::uint8_t> image = meta.framed();
    for (int i = static_cast<int>(image.size()); i < kImage; ++i)
        image.push_back(static_cast<std::uint8_t>((i * 7 + 3) % 251));   // no 0xFF: no skipped rows
    QTemporaryDir dir;
    const QString path = dir.path() + "/big.hex";
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) || f.write(fwtest::HexText(kBase, image, 32)) < 0)
            return verdict.Check(false, "image written"), verdict.Finish();
    }

    invsim::Bus bus;
    std::string error;
    if (!verdict.Check(bus.Start(&error), "simulated bus: " + error))
        return verdict.Finish();
    bus.AddInverter(1, kBaud);
    bus.With(1, [](invsim::Inverter& inv) { inv.Boot().inBoot = true; });
    Modbus link;
    if (!verdict.Check(link.OpenCom(QString::fromStdString(bus.Path())) == 0, "port opened"))
        return verdict.Finish();
    link.LinkType = LinkRs485;
    link.SetBaudCode(3);

    fwtest::TestView view;
    upgradeTool tool;
    tool.View = &view;
    tool.Link = &link;
    view.path = path;
    if (!verdict.Check(tool.LoadHexFile() == 0, "image loaded"))
        return verdict.Finish();
    tool.InvAddress[1] = 1;
    tool.InvSelected[1] = 1;
    tool.InvStepOk[1] = 1;
    tool.InvBootVersion[1] = 3;
    tool.FileInfo.BlockDelay = 0;

    // The time of each block, from one block's progress text to the next.
    std::vector<double> perBlock;
    QElapsedTimer clock;
    qint64 last = -1;
    clock.start();
    const auto statusHook = [&](int index) {
        if (index != 9)
            return;
        const qint64 now = clock.nsecsElapsed();
        if (last >= 0)
            perBlock.push_back(static_cast<double>(now - last) / 1e6);
        last = now;
    };
    view.onStatus = statusHook;
    const int result = tool.ProgramBlocks(0);
    const double total = static_cast<double>(clock.nsecsElapsed()) / 1e6;

    const int blocks = kImage / kBlock;
    const int pace = (kBlock * 10000 + 120000) / kBaud + tool.FileInfo.BlockDelay + 5;
    const double prescribed = double(blocks) * pace + 5000;
    std::printf("  %d blocks of %d bytes at %d bit/s: %.0f ms, prescribed %d ms a block and %.0f ms in all\n", blocks,
                kBlock, kBaud, total, pace, prescribed);
    verdict.Check(result == 0, "programming succeeded");
    std::size_t held = 0;
    bus.With(1, [&](invsim::Inverter& inv) { held = inv.Boot().blocks.size(); });
    verdict.Check(held == static_cast<std::size_t>(blocks), "every block reached the loader");
    verdict.AtMost("time per block", perBlock, 1000, pace * 1.05, "ms");
    verdict.AtMost("whole step", {total}, 1, prescribed * 1.05, "ms");
    link.Com.Close();
    bus.Stop();
    return verdict.Finish();
}

// The RS-485 programming run on a simulated bus: block programming's retry requests, its queue
// thresholds and drain, its error lines; the single-inverter bank close on an image whose two
// CRCs differ; the procedures' attempts with their pauses and longer block delays; and a run
// whose version check fails.
#include "upgrade/FwTestUtil.h"

#include "link/Modbus.h"
#include "tools/invsim/Bus.h"
#include "upgrade/UpgradeRuns.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <set>
#include <thread>

using namespace fwtest;

namespace {

std::string Joined(const QStringList& lines) { return lines.join(QStringLiteral(" | ")).toStdString(); }

// The run's fixed pauses (a second or more) shrink a hundredfold, the waits for a reply to half
// their length; each ends only once the simulator has answered what it was sent (`settle`), so
// that its answers are there even on a busy machine. Every pause asked for is recorded.
class ShortPauses : public vcl::TimeService {
public:
    void Sleep(int ms) override
    {
        asked.push_back(ms);
        std::this_thread::sleep_for(std::chrono::milliseconds(ms >= 1000 ? ms / 100 : ms / 2));
        if (settle)
            settle();
    }
    std::vector<int> asked;
    std::function<void()> settle;
};

// Waits for a condition with a deadline; false when it never held.
template <typename Condition>
bool WaitUntil(Condition condition, int timeoutMs = 10000)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

class SerialRunsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        testsupport::EnsureApplication();
        vcl::SetTimeService(&time);
        vcl::SetDialogService(&dialogs);
        tool.View = &view;
        tool.Link = &link;
        std::string error;
        ASSERT_TRUE(bus.Start(&error)) << error;
        time.settle = [this] { bus.WaitIdle(5000); };
        ASSERT_EQ(link.OpenCom(QString::fromStdString(bus.Path())), 0);
        link.LinkType = LinkRs485;
        // After each block the simulated loaders have taken it and their retry requests are in
        // the queue: the run's next look at the queue sees them, however busy the machine.
        view.onStatus = [&](int panel) {
            if (panel != 9 || !settleBlocks)
                return;
            ++blocksOut;
            ASSERT_TRUE(WaitUntil([&] { return BlockFrames() >= blocksOut; })) << "block " << blocksOut;
            int requests = 0;
            for (int id : ids)
                bus.With(id, [&](invsim::Inverter& inv) { requests += inv.Boot().retryRequestsSent; });
            ASSERT_TRUE(bus.WaitForBytesSent(static_cast<std::size_t>(12 * requests), 10000));
        };
    }
    void TearDown() override
    {
        time.settle = nullptr;
        link.Com.Close();
        bus.Stop();
        vcl::SetTimeService(nullptr);
        vcl::SetDialogService(nullptr);
    }
    // A short image, to keep the runs short: 16 rows of 32 bytes from 0x1000 with the meta block
    // (product ID 10, processor 1, hardware 1.02, software 3.04) in the second row.
    QString ShortImage()
    {
        Meta m;
        m.start = 0x1000;
        m.stop = 0x1200;
        m.block = 32;
        std::vector<std::uint8_t> image(0x200);
        for (std::size_t i = 0; i < image.size(); ++i)
            image[i] = static_cast<std::uint8_t>((i * 37 + 11) % 251);
        const auto f = m.framed();
        std::copy(f.begin(), f.end(), image.begin() + 0x20);
        const QString path = files.path() + "/short.hex";
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(HexText(0x1000, image));
        return path;
    }
    void Load(const QString& path)
    {
        view.path = path;
        tool.ClearHexInfo();
        ASSERT_EQ(tool.LoadHexFile(), 0) << Joined(view.upgradeLog);
        view.upgradeLog.clear();
    }
    // Inverter i as the survey leaves it, ticked: the image's board (hardware 1.02, product ID
    // 10), software 3.03, its application running (mode 1) or only its boot loader (mode 0).
    void Inverter(int i, int bootVersion, int mode, bool inBoot = false)
    {
        ids.push_back(i);
        bus.AddInverter(i, 19200);
        bus.With(i, [&](invsim::Inverter& inv) {
            inv.SetProductId(10);
            inv.Boot().version = bootVersion;
            inv.Boot().inBoot = inBoot || mode == 0;
            inv.Boot().hardware[1] = {1, 2};
            inv.Boot().software[1] = {3, 3};
        });
        const auto k = static_cast<std::size_t>(i);
        tool.InvAddress[k] = static_cast<std::uint8_t>(i);
        tool.InvHwVersion[k][1] = {1, 2};
        tool.InvSwVersion[k][1] = {3, 3};
        tool.InvProductId[k] = 10;
        tool.InvMode[k] = mode;
        tool.InvBootVersion[k] = bootVersion;
        tool.InvBaudIndex[k] = 2;
        tool.InvSelected[k] = 1;
        tool.InvStepOk[k] = 1;
    }
    // Ready for block programming alone: loaders in boot mode, the link at the image's rate.
    void ReadyToProgram()
    {
        link.SetBaudCode(2);
        tool.FileInfo.BlockDelay = 0;
        settleBlocks = true;
    }
    std::size_t BlockFrames() const
    {
        std::size_t n = 0;
        for (const auto& f : bus.Frames())
            n += f.bytes.size() > 6 && f.bytes[2] == 0xFF && f.bytes[3] == 0xFF && (f.bytes[5] == 0x10 || f.bytes[5] == 0x20);
        return n;
    }
    std::uint32_t RowAddress(int row) const
    {
        return static_cast<std::uint32_t>(FwHexToInt(view.grid.Cell(1, row)));
    }
    int RetryLines(int id) const
    {
        return static_cast<int>(view.upgradeLog.filter(QStringLiteral("   ID%1: Retry Address: ").arg(id)).size());
    }

    QTemporaryDir files;
    ShortPauses time;
    RecordingDialogs dialogs;
    invsim::Bus bus;
    Modbus link;
    upgradeTool tool;
    TestView view;
    std::vector<int> ids;
    bool settleBlocks = false;
    std::size_t blocksOut = 0;
};

} // namespace

// An inverter that keeps asking for the last two rows is served twenty times in one step; its
// twenty-first request is logged and passed over, and the step ends.
TEST_F(SerialRunsTest, TwentyRetryRequestsAreServed)
{
    Load(ShortImage());
    Inverter(1, 3, 1, true);
    tool.CurrentAddress = 1;
    bus.With(1, [&](invsim::Inverter& inv) {
        inv.Boot().retryAfterBlock = 16;
        inv.Boot().retryAddress = RowAddress(15);
        inv.Boot().retryTimes = 30;
        inv.Boot().retryGap = 2;
    });
    ReadyToProgram();
    EXPECT_EQ(tool.ProgramBlocks(1), 0) << Joined(view.upgradeLog);
    EXPECT_EQ(RetryLines(1), 21) << Joined(view.upgradeLog);
    EXPECT_EQ(BlockFrames(), 16u + 20u * 2u);
    EXPECT_EQ(tool.TotalSent, tool.FileInfo.Length10);
    EXPECT_TRUE(view.upgradeLog.contains("   Total Hex Length: 512"));
}

// When a request is acted on: the (0x10) mode looks at 12 waiting bytes (one request), the
// (0x20) mode only at 20 (two); what waits below that is dropped unread after the ninth block.
// The single-inverter run serves no other inverter's request.
TEST_F(SerialRunsTest, RetryQueueThresholdsAndTheNinthBlockDrain)
{
    struct Case {
        const char* name;
        int mode;
        std::vector<int> asking;   // inverters that ask for row 2 after the third block
        int servedFrom;            // the inverter whose request is served (0 none)
    };
    const Case cases[] = {
        {"single run: one request is served at once", 1, {1}, 1},
        {"single run: another inverter's request is ignored", 1, {2}, 0},
        {"broadcast: one request waits and goes with the drain", 0, {1}, 0},
        {"broadcast: two requests reach the threshold", 0, {1, 2}, 1},
    };
    Load(ShortImage());
    Inverter(1, 3, 1, true);
    Inverter(2, 3, 1, true);
    tool.CurrentAddress = 1;
    ReadyToProgram();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        view.upgradeLog.clear();
        bus.ClearFrames();
        blocksOut = 0;
        for (int id : c.asking)
            bus.With(id, [&](invsim::Inverter& inv) {
                inv.Boot().blocksReceived = 0;
                inv.Boot().retryAfterBlock = 3;
                inv.Boot().retryAddress = RowAddress(2);
                inv.Boot().retryTimes = 1;
            });
        EXPECT_EQ(tool.ProgramBlocks(c.mode), 0) << Joined(view.upgradeLog);
        EXPECT_EQ(RetryLines(1), c.servedFrom == 1 ? 1 : 0) << Joined(view.upgradeLog);
        EXPECT_EQ(RetryLines(2), 0) << Joined(view.upgradeLog);
        // A served request sends rows 2 and 3 again.
        EXPECT_EQ(BlockFrames(), c.servedFrom ? 18u : 16u);
    }
}

// The three ways block programming fails, each with its line.
TEST_F(SerialRunsTest, BlockProgrammingErrorLines)
{
    Load(ShortImage());
    Inverter(1, 3, 1, true);
    tool.CurrentAddress = 1;
    ReadyToProgram();

    tool.InvSelected[1] = 0;
    EXPECT_EQ(tool.ProgramBlocks(0), 1);
    EXPECT_EQ(view.upgradePane.red, QStringList({"   No Inverter to Program"}));
    EXPECT_EQ(BlockFrames(), 0u);
    tool.InvSelected[1] = 1;

    bus.With(1, [&](invsim::Inverter& inv) {
        inv.Boot().retryAfterBlock = 3;
        inv.Boot().retryAddress = 0x7FFFFFF0;   // beyond the image
    });
    EXPECT_EQ(tool.ProgramBlocks(1), 1);
    EXPECT_EQ(view.upgradeLog.last(), "Retry Address Error") << Joined(view.upgradeLog);

    // An image whose rows hold less than its length says so in its mode.
    for (int mode : {1, 0}) {
        SCOPED_TRACE(mode);
        Load(ShortImage());
        tool.FileInfo.BlockDelay = 0;
        (mode == 1 ? tool.FileInfo.Length10 : tool.FileInfo.Length20) += 64;
        EXPECT_EQ(tool.ProgramBlocks(mode), 1);
        EXPECT_EQ(view.upgradeLog.last(), mode == 1 ? "TX Total Length Error(0x10" : "TX Total Length Error(0x20)");
    }
}

// An old-style loader gets every row of an image with skipped rows, and its bank close is
// checked against the (0x10) CRC, which differs from the (0x20) one here.
TEST_F(SerialRunsTest, SingleBankCloseChecksTheFullImageCrc)
{
    Inverter(2, 2, 1);
    Load(DataFile("gaps.hex"));
    ASSERT_NE(tool.FileInfo.Crc10, tool.FileInfo.Crc20);
    tool.FileInfo.BlockDelay = 0;
    EXPECT_EQ(tool.V02Procedure(), 0) << Joined(view.upgradeLog);
    EXPECT_TRUE(view.upgradeLog.contains("   ID2: Check SUM CRC & Bank Close OK")) << Joined(view.upgradeLog);
    EXPECT_TRUE(view.upgradeLog.contains("   PC_CheckSUM - 0xFA07")) << Joined(view.upgradeLog);
    EXPECT_EQ(tool.InvSelected[2], 0);
}

// A procedure that fails is tried three times, each with a block delay 20 ms longer: the
// boot-mode procedure pauses 20 s after each failure, the version-2 procedure does not; the run
// fails without reaching the broadcast run.
TEST_F(SerialRunsTest, ProcedureAttempts)
{
    struct Case {
        const char* name;
        int id;
        int mode;                 // 0: only the boot loader runs (the boot-mode procedure)
        const char* procedure;
        int longPauses;
    };
    const Case cases[] = {
        {"boot-mode procedure", 1, 0, "In Boot Procedure", 3},
        {"version-2 procedure", 3, 1, "In V02 Procedure", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        tool.InvSelected.fill(0);
        view.upgradeLog.clear();
        view.upgradePane.red.clear();
        time.asked.clear();
        Inverter(c.id, 2, c.mode);
        bus.With(c.id, [](invsim::Inverter& inv) { inv.Boot().errorCommands.insert(0x13); });   // every bank close fails
        Load(ShortImage());
        tool.FileInfo.DelayBase = 10;
        std::set<int> delays;
        view.onStatus = [&](int panel) {
            if (panel == 9)
                delays.insert(tool.FileInfo.BlockDelay);
        };
        EXPECT_EQ(RunSerialProcedures(tool), UpgradeRuns::Outcome::Failed);
        EXPECT_EQ(view.upgradePane.red.filter("Procedure Fail").size(), 3) << Joined(view.upgradePane.red);
        EXPECT_EQ(view.upgradeLog.filter(c.procedure).size(), 3);
        EXPECT_EQ(view.upgradeLog.filter("In V03 Procedure").size(), 0);
        EXPECT_EQ(delays, (std::set<int>{10, 30, 50}));
        EXPECT_EQ(std::count(time.asked.begin(), time.asked.end(), 20000), c.longPauses);
        // Out of the way of the next case: its application runs again.
        bus.With(c.id, [](invsim::Inverter& inv) { inv.Boot().inBoot = false; });
        tool.InvAddress[static_cast<std::size_t>(c.id)] = 0;
    }
}

// A run in which every procedure did its work, but an inverter still ticked (here one whose
// boot loader is of no procedure's kind) does not report the image's version afterwards, is
// uncertain; the programmed one is no longer checked.
TEST_F(SerialRunsTest, VersionCheckFailureMakesTheRunUncertain)
{
    Inverter(1, 3, 1);
    Inverter(2, 3, 1);
    tool.InvBootVersion[2] = 1;
    Load(ShortImage());
    tool.FileInfo.DelayBase = 0;
    EXPECT_EQ(RunSerialProcedures(tool), UpgradeRuns::Outcome::Uncertain) << Joined(view.upgradeLog);
    EXPECT_TRUE(view.upgradeLog.contains("   ID1: Check SUM CRC& Bank Close OK")) << Joined(view.upgradeLog);
    EXPECT_EQ(tool.InvSelected[1], 0);
    EXPECT_EQ(view.upgradePane.red, QStringList({"   ID2: Check SV Error"}));
}

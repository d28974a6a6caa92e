// The boot loader over the Wi-Fi module: a whole run against the simulated module on 127.0.0.1,
// the frames it sends, the image the module holds afterwards, and how the run meets a refused
// block, a wrong bank checksum, a dropped connection and a product-ID mismatch.
#include "upgrade/FwTestUtil.h"

#include "link/Mysock.h"
#include "tools/invsim/TcpModule.h"
#include "upgrade/HexGrid.h"

#include <gtest/gtest.h>

#include <functional>

using namespace fwtest;

namespace {

std::string Joined(const QStringList& lines) { return lines.join(QStringLiteral(" | ")).toStdString(); }

class WifiUpgradeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        testsupport::EnsureApplication();
        vcl::SetTimeService(&time);
        std::string error;
        ASSERT_TRUE(module.Start(0, &error)) << error;
        qputenv("SUNVANE_WIFI_ADDRESS", QByteArray("127.0.0.1:") + QByteArray::number(module.Port()));
        tool.View = &view;
        tool.Tcp = &client;
    }
    void TearDown() override
    {
        client.CloseSlots();
        module.Stop();
        qputenv("SUNVANE_WIFI_ADDRESS", "127.0.0.1:9");
        vcl::SetTimeService(nullptr);
    }
    // Loads an image and gives the module's inverter the image's product ID.
    void Load(const char* file)
    {
        view.path = DataFile(file);
        ASSERT_EQ(tool.LoadHexFile(), 0) << Joined(view.upgradeLog);
        const auto pid = static_cast<std::uint32_t>(FwStrToInt(tool.FileInfo.ProductIdText));
        module.WithBootLoader([&](invsim::WifiBootLoader& b) { b.productId = pid; });
        view.upgradeLog.clear();
    }
    // The blocks the grid holds for programming (skipped rows left out), by address.
    std::map<std::uint32_t, std::vector<std::uint8_t>> GridBlocks() const
    {
        std::map<std::uint32_t, std::vector<std::uint8_t>> out;
        const int count = std::max(tool.FileInfo.BlockSize, 32);
        GridBlock block;
        for (int row = 1; ReadHexGridBlock(row, block, view.grid, count, tool.FileInfo.StopAddressText) == 0; ++row)
            if (FwStrToInt(view.grid.Cell(0, row)) != 0)
                out[block.Address] = block.Data;
        return out;
    }
    std::map<std::uint32_t, std::vector<std::uint8_t>> ModuleBlocks()
    {
        std::map<std::uint32_t, std::vector<std::uint8_t>> out;
        module.WithBootLoader([&](invsim::WifiBootLoader& b) { out = b.blocks; });
        return out;
    }
    // Requests of one boot-loader command the module received.
    std::vector<invsim::Bytes> Requests(std::uint8_t command) const
    {
        std::vector<invsim::Bytes> out;
        for (const auto& f : module.Frames())
            if (f.bytes.size() >= 8 && f.bytes[2] == 0xFF && f.bytes[3] == 0xFF && f.bytes[5] == command)
                out.push_back(f.bytes);
        return out;
    }
    void WithLoader(const std::function<void(invsim::WifiBootLoader&)>& f) { module.WithBootLoader(f); }

    // Twenty times faster than real time: a whole run takes about a second.
    vcl::ScaledTimeService time{0.05};
    invsim::TcpModule module;
    KivClient client;
    upgradeTool tool;
    TestView view;
};

} // namespace

TEST_F(WifiUpgradeTest, ProgramsTheImageBlockByAcknowledgedBlock)
{
    Load("linear32_crlf.hex");
    ASSERT_EQ(tool.WifiUpgrade(), 0) << Joined(view.upgradeLog);

    EXPECT_EQ(ModuleBlocks(), GridBlocks());
    WithLoader([&](invsim::WifiBootLoader& b) {
        EXPECT_TRUE(b.finished);
        EXPECT_EQ(b.selectedProcessor, tool.FileInfo.Processor);
        EXPECT_EQ(b.bankStart, static_cast<std::uint32_t>(FwStrToInt(tool.FileInfo.StartAddressText)));
        EXPECT_EQ(b.closedLength, 2048u);
    });
    // The step lines in their order, and the end of the run.
    QStringList steps;
    for (const QString& l : view.upgradeLog)
        if (!l.startsWith(QLatin1Char(' ')) && !l.startsWith(QLatin1String("PID")))
            steps << l;
    EXPECT_EQ(steps, QStringList({"1. Check PID", "2. Enter Bootloader Mode", "3. Processor Select", "4. Bank Select",
                                  "5. Programming Data", "6. Bank Close", "7. Done", "8. Internal Procedure",
                                  "Upgrade Finish"}));
    EXPECT_TRUE(view.upgradeLog.contains("   ID1: Enter bootloader mode1 - OK"));
    EXPECT_TRUE(view.upgradeLog.contains("   ID:1 Select Processor 1 OK"));
    EXPECT_TRUE(view.upgradeLog.contains("   PC_CheckSUM - 0x047C"));
    EXPECT_TRUE(view.upgradeLog.contains("   ID1: INV_CheckSUM - 0x047C"));
    EXPECT_TRUE(view.upgradeLog.contains("   Total Hex Length: 2048"));
    EXPECT_TRUE(view.upgradePane.red.isEmpty()) << Joined(view.upgradePane.red);
    EXPECT_EQ(view.progress, 100);
    EXPECT_EQ(view.status.value(8), "Processing... 100%");

    // Frames as the module's loader reads them: to inverter 1, a 64-byte block is 80 bytes with
    // the length byte 73, and the progress request says length 1 over its 9 bytes.
    const auto blocks = Requests(0x20);
    ASSERT_EQ(blocks.size(), 32u);
    EXPECT_EQ(blocks[0].size(), 80u);
    EXPECT_EQ(blocks[0][4], 73);
    EXPECT_EQ(blocks[0][0], 1);
    EXPECT_EQ(blocks[0][1], 0);
    const auto polls = Requests(0x90);
    ASSERT_FALSE(polls.empty());
    EXPECT_EQ(polls[0], (invsim::Bytes{0x01, 0x00, 0xFF, 0xFF, 0x01, 0x90, 0x00, polls[0][7], polls[0][8]}));
    const auto enter = Requests(0x05);
    ASSERT_EQ(enter.size(), 1u);
    EXPECT_EQ(enter[0].size(), 15u);
    EXPECT_TRUE(std::equal(BootKey1.begin(), BootKey1.end(), enter[0].begin() + 6));
}

// Skipped rows are not sent; the bank is closed with the (0x20) length and its CRC matches.
TEST_F(WifiUpgradeTest, SkippedRowsStayOffTheWire)
{
    Load("gaps.hex");
    ASSERT_EQ(tool.WifiUpgrade(), 0) << Joined(view.upgradeLog);
    EXPECT_EQ(ModuleBlocks(), GridBlocks());
    EXPECT_EQ(ModuleBlocks().size(), 80u - 34u);
    WithLoader([&](invsim::WifiBootLoader& b) { EXPECT_EQ(b.closedLength, 1472u); });
    EXPECT_TRUE(view.upgradeLog.contains("   ID1: INV_CheckSUM - 0xE58E"));
}

TEST_F(WifiUpgradeTest, FaultsOfTheModule)
{
    struct Case {
        const char* name;
        std::function<void(invsim::WifiBootLoader&)> fault;
        int result;
        QString lastLine;       // the last line of the page's log
        QString redLine;        // a red line the run must have written ("" none)
    };
    const Case cases[] = {
        {"a block refused once is sent again", [](auto& b) { b.refuseBlock = 3; }, 0, "Upgrade Finish",
         "   ID1: Programming Error"},
        {"a block refused twice gets its third try",
         [](auto& b) {
             b.refuseBlock = 3;
             b.refuseBlockTimes = 2;
         },
         0, "Upgrade Finish", "   ID1: Programming Error"},
        {"a block refused three times ends the run",
         [](auto& b) {
             b.refuseBlock = 3;
             b.refuseBlockTimes = 3;
         },
         1, "5. Programming Data - Error", "   ID1: Programming Error"},
        {"a wrong bank checksum is tried again", [](auto& b) { b.spoilCloseCrc = 0x1234; }, 0, "Upgrade Finish",
         "   ID1: Check SUM CRC& Bank Close Error"},
        {"a dropped connection is made again", [](auto& b) { b.dropAtBlock = 2; }, 0, "Upgrade Finish", ""},
        {"another product ID stops before the boot loader", [](auto& b) { b.productId ^= 1; }, 1, "PID don't match", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        view.upgradeLog.clear();
        view.eventLog.clear();
        view.upgradePane.red.clear();
        module.ClearFrames();
        Load("linear32_crlf.hex");
        WithLoader([&](invsim::WifiBootLoader& b) {
            b = invsim::WifiBootLoader{};
            b.productId = static_cast<std::uint32_t>(FwStrToInt(tool.FileInfo.ProductIdText));
            c.fault(b);
        });
        EXPECT_EQ(tool.WifiUpgrade(), c.result) << Joined(view.upgradeLog);
        ASSERT_FALSE(view.upgradeLog.isEmpty());
        EXPECT_EQ(view.upgradeLog.last(), c.lastLine);
        if (!c.redLine.isEmpty()) {
            EXPECT_TRUE(view.upgradePane.red.contains(c.redLine)) << Joined(view.upgradePane.red);
        }
        if (c.result == 0) {
            EXPECT_EQ(ModuleBlocks(), GridBlocks());
        }
    }
    // The mismatch sent nothing after the product-ID request.
    EXPECT_TRUE(Requests(0x05).empty());
}

TEST_F(WifiUpgradeTest, NoModuleNoRun)
{
    Load("linear32_crlf.hex");
    module.Stop();
    EXPECT_EQ(tool.WifiUpgrade(), 1);
    EXPECT_EQ(view.upgradeLog.last(), "1. Check PID - Error");
}

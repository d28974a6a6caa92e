// The serial firmware engine's own rules: the device check and the product-ID table, the
// automatic selection, the tick toggle, step 2's alternating bit rates, the version check's
// rate sweep and the raw-image procedure, on a simulated bus where frames are needed.
#include "upgrade/FwTestUtil.h"

#include "link/Modbus.h"
#include "support/HookedTime.h"
#include "tools/invsim/BootLoader.h"
#include "tools/invsim/Bus.h"

#include <QFile>

#include <gtest/gtest.h>

using namespace fwtest;

namespace {

std::string Joined(const QStringList& lines) { return lines.join(QStringLiteral(" | ")).toStdString(); }

class SerialEngineTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        testsupport::EnsureApplication();
        vcl::SetTimeService(&time);
        tool.View = &view;
        tool.Link = &link;
        view.path = DataFile("linear32_crlf.hex");
        ASSERT_EQ(tool.LoadHexFile(), 0);
        view.upgradeLog.clear();
    }
    void TearDown() override
    {
        time.settle = nullptr;
        link.Com.Close();
        bus.Stop();
        vcl::SetTimeService(nullptr);
    }
    void OpenBus()
    {
        std::string error;
        ASSERT_TRUE(bus.Start(&error)) << error;
        time.settle = [this] { bus.WaitIdle(5000); };
        ASSERT_EQ(link.OpenCom(QString::fromStdString(bus.Path())), 0);
        link.LinkType = LinkRs485;
    }
    // Inverter i present in the table as the survey would leave it.
    void Present(int i, FwVersion hw, FwVersion sw, std::int32_t pid, int mode = 1)
    {
        const auto k = static_cast<std::size_t>(i);
        tool.InvAddress[k] = static_cast<std::uint8_t>(i);
        tool.InvHwVersion[k][1] = hw;
        tool.InvSwVersion[k][1] = sw;
        tool.InvProductId[k] = pid;
        tool.InvMode[k] = mode;
        tool.InvStepOk[k] = 1;
    }

    // Each of the engine's waits ends only once the simulator has answered what it was sent:
    // a frame is taken at the rate it was written at, and its answer is there when read.
    testsupport::Hooked<vcl::ScaledTimeService> time{0.25};
    RecordingDialogs dialogs;
    invsim::Bus bus;
    Modbus link;
    upgradeTool tool;
    TestView view;
};

} // namespace

TEST(ProductIdTable, FitsItsOwnIdAndTheListedOnes)
{
    const std::vector<ProductIdEquivalence> table = {{100, {200, 201}}, {300, {100}}};
    EXPECT_TRUE(ProductIdFits(100, 100, table));
    EXPECT_TRUE(ProductIdFits(100, 201, table));
    EXPECT_TRUE(ProductIdFits(300, 100, table));
    EXPECT_FALSE(ProductIdFits(100, 300, table));   // accepted one way only
    EXPECT_FALSE(ProductIdFits(999, 200, table));
    EXPECT_FALSE(ProductIdFits(100, 0, table));
    EXPECT_EQ(ProductIdTable().size(), 9u);
}

// The image: product ID 10, processor 1, hardware 1.02, software 3.04.
TEST_F(SerialEngineTest, DeviceCheckAndAutomaticSelection)
{
    struct Case {
        int id;
        FwVersion hw, sw;
        std::int32_t pid;
        int mode;
        int selected;      // after the automatic selection
        const char* red;   // the device check's line ("" none)
    };
    const Case cases[] = {
        {1, {1, 2}, {3, 3}, 10, 1, 1, ""},                              // older software: due
        {2, {1, 2}, {3, 4}, 10, 1, 0, ""},                              // same version, running
        {3, {1, 2}, {3, 4}, 10, 0, 1, ""},                              // same version, boot mode
        {4, {1, 2}, {0, 0}, 10, 1, 1, ""},                              // 0.00: due, and boot mode
        {5, {2, 2}, {3, 3}, 10, 1, 0, "ID5: HW Version No Match"},
        {6, {1, 3}, {3, 3}, 10, 1, 0, "ID6: HW Version  No Match"},
        {7, {1, 2}, {3, 3}, 11, 1, 0, "ID7: PID No Match "},
    };
    for (const Case& c : cases)
        Present(c.id, c.hw, c.sw, c.pid, c.mode);
    Present(8, {1, 2}, {255, 0}, 10, 1);
    tool.InvSelected[8] = 1;   // a major of 255 keeps what it had
    tool.AutoSelectInverters();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        EXPECT_EQ(tool.InvSelected[static_cast<std::size_t>(c.id)], c.selected);
        if (*c.red) {
            EXPECT_TRUE(view.upgradePane.red.contains(c.red)) << Joined(view.upgradePane.red);
        }
    }
    EXPECT_EQ(tool.InvSelected[8], 1);
    EXPECT_EQ(tool.InvMode[4], 0);
    EXPECT_EQ(view.upgradePane.red.size(), 3);

    // The grid's tick: refused for a major of 255, two toggles restore the first state.
    tool.ShowDeviceGrid();
    tool.InvGridRow[8] = 8;
    tool.InvSelected[8] = 0;
    tool.ToggleSelection(8);
    EXPECT_EQ(tool.InvSelected[8], 0);
    tool.InvGridRow[1] = 1;
    tool.ToggleSelection(1);
    EXPECT_EQ(tool.InvSelected[1], 0);
    tool.ToggleSelection(1);
    EXPECT_EQ(tool.InvSelected[1], 1);
}

// A silent boot loader: five first frames at the inverter's rate and 9600 bit/s by turns, no
// second frame, and the step fails with the inverter marked failed.
TEST_F(SerialEngineTest, EnterBootloaderAlternatesTheRates)
{
    OpenBus();
    bus.AddInverter(5, 38400);
    bus.With(5, [](invsim::Inverter& inv) { inv.Boot().silentCommands = {0x05, 0x06}; });
    Present(5, {1, 2}, {3, 3}, 10);
    tool.InvBaudIndex[5] = 3;
    EXPECT_EQ(tool.Step2EnterBootloader(5), 1);
    EXPECT_EQ(tool.InvStepOk[5], 0);
    std::vector<int> rates;
    for (const auto& f : bus.Frames()) {
        ASSERT_EQ(f.bytes[5], 0x05);
        rates.push_back(f.baud);
    }
    EXPECT_EQ(rates, (std::vector<int>{38400, 9600, 38400, 9600, 38400}));

    // With the loader answering, both keys pass and the inverter's step is good.
    bus.With(5, [](invsim::Inverter& inv) { inv.Boot().silentCommands.clear(); });
    EXPECT_EQ(tool.Step2EnterBootloader(5), 0);
    EXPECT_EQ(tool.InvStepOk[5], 1);
    EXPECT_TRUE(view.upgradeLog.contains("   ID5: Enter bootloader mode2 - OK")) << Joined(view.upgradeLog);
}

// The version check walks the four rates; an inverter heard only at 38400 bit/s is found at the
// fourth try. One that never reports the version fails with its red line after 20 tries.
TEST_F(SerialEngineTest, VersionCheckSweepsTheRates)
{
    OpenBus();
    bus.AddInverter(6, 38400);
    bus.With(6, [](invsim::Inverter& inv) { inv.Boot().software[1] = {3, 4}; });
    EXPECT_EQ(tool.CheckSoftwareVersion(6, 304, 1), 0);
    EXPECT_EQ(bus.Frames().size(), 4u);
    EXPECT_EQ(tool.InvSwVersion[6][1].Minor, 4);
    bus.ClearFrames();
    EXPECT_EQ(tool.CheckSoftwareVersion(6, 305, 1), 1);
    EXPECT_EQ(bus.Frames().size(), 20u);
    EXPECT_TRUE(view.upgradePane.red.contains("   ID6: Check SV Error"));
}

// A raw image goes to slave ID 1 with the fixed parameters, even when no scan found it; the
// loader holds every row and the bank check (with its exchanged CRC bytes) passes.
TEST_F(SerialEngineTest, RawImageProcedureProgramsSlaveOne)
{
    OpenBus();
    bus.AddInverter(1, 19200);
    view.path = DataFile("image_1000.bin");
    tool.ClearHexInfo();   // as the page does before every load
    ASSERT_EQ(tool.LoadBinFile(), 0);
    view.upgradeLog.clear();
    EXPECT_EQ(tool.BinProcedure(), 0) << Joined(view.upgradeLog);
    EXPECT_TRUE(view.upgradeLog.contains("   ID1: Check SUM CRC& Bank Close OK")) << Joined(view.upgradeLog);
    EXPECT_EQ(tool.FileInfo.Processor, 9);
    EXPECT_EQ(tool.FileInfo.StopAddressText, "0xF000000");
    invsim::Bytes image;
    std::size_t rows = 0;
    bus.With(1, [&](invsim::Inverter& inv) {
        image = inv.Boot().Image();
        rows = inv.Boot().blocks.size();
        EXPECT_EQ(inv.Boot().selectedProcessor, 9);
        EXPECT_EQ(inv.Boot().bankStart, 0x80000000u);
    });
    EXPECT_EQ(rows, 7u);
    QFile file(DataFile("image_1000.bin"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll().left(7 * 128);
    EXPECT_EQ(image, invsim::Bytes(bytes.begin(), bytes.end()));

    // Not on the bus: the raw-image procedure leaves its parameters for the link's own run and
    // sends nothing; nothing failed.
    bus.ClearFrames();
    link.LinkType = LinkWifi;
    tool.FileInfo.Processor = 1;
    view.upgradeLog.clear();
    EXPECT_EQ(tool.BinProcedure(), 0);
    EXPECT_EQ(tool.FileInfo.Processor, 9);
    EXPECT_TRUE(view.upgradeLog.isEmpty()) << Joined(view.upgradeLog);
    EXPECT_TRUE(bus.Frames().empty());
}

// Firmware over the RS-485 bus on the real main window against the simulated boot loaders: the
// survey that fills the inverter grid, a run that programs an old-style loader on its own and
// two new-style loaders by broadcast, and what the loaders' faults do to a run.
#include "e2e_monitor/MonitorFixture.h"
#include "e2e_upgrade/UpgradeRunSupport.h"

#include "app/Mymessage.h"
#include "support/HookedTime.h"
#include "support/PeerProcess.h"
#include "tools/invsim/BootLoader.h"
#include "upgrade/HexGrid.h"
#include "upgrade/Upgrade.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QRegularExpression>
#include <QWidget>
#include <QTimer>

using namespace monitortest;

namespace {

using namespace upgraderun;

// The image's own identity (tests/upgrade/data: product ID 10, processor 1, hardware 1.02,
// software 3.04): an inverter that runs 3.03 on that hardware is due for it.
void MakeDue(invsim::Inverter& inv, int bootVersion)
{
    invsim::LoadDemoInverter(inv);
    inv.SetProductId(10);
    invsim::BootLoaderState& b = inv.Boot();
    b.version = bootVersion;
    b.hardware[1] = {1, 2};
    b.software[1] = {3, 3};
}

class SerialRunTest : public MonitorHomeWindow {
protected:
    void SetUp() override
    {
        MonitorHomeWindow::SetUp();
        if (HasFatalFailure())
            return;
        vcl::SetDialogService(&images);
        // A run's fixed pauses shrink; its waits for replies keep their length and end only
        // once the simulated bus has answered what it was sent.
        vcl::SetTimeService(&time);
        std::string error;
        ASSERT_TRUE(bus.Start(&error)) << error;
        time.settle = [this] { bus.WaitIdle(5000); };
        OpenWindow();
        result = std::make_unique<TForm_Message>();
    }
    void TearDown() override
    {
        time.hook = nullptr;
        time.settle = nullptr;
        window.reset();
        result.reset();
        bus.Stop();
        MonitorHomeWindow::TearDown();
    }
    // Polling on the bus, then the upgrade page, and the image through the load button (which
    // rescans IDs 1 to `last` and surveys the inverters).
    void LoadOnThePage(const char* file, int last, const QString& port = QString())
    {
        TForm_Main& w = *window;
        driver->PickText("Combo_SelectMode", "Monitor");
        driver->MouseDown("Radio_ComRS485");
        driver->Type("Combo_COM", port.isEmpty() ? QString::fromStdString(bus.Path()) : port);
        time.hook = [&] {
            if (w.PollCycleCount >= 1 && w.FirmwarePageFlag == 0)
                driver->Click("Image_Firmware");
        };
        driver->Click("OpenPort");
        time.hook = nullptr;
        ASSERT_EQ(w.PageControl->ActivePage(), w.Tab_Firmware);
        driver->Type("Edit_EndID", QString::number(last));
        images.answers << kData + QLatin1String(file);
        driver->Click("Btn_LoadHEX");
    }
    void Start()
    {
        shownLabels.clear();
        QTimer closer;
        closer.setInterval(10);
        QObject::connect(&closer, &QTimer::timeout, [&] {
            if (result->Visible()) {
                shownLabels << result->Label1->Caption() << result->Label2->Caption();
                logsAtResult = LogFiles();
                driver->Click("BitBtn1");
            }
        });
        closer.start();
        driver->Click("Btn_UpgradeStart");
        closer.stop();
    }
    QStringList Log() const
    {
        QStringList lines;
        for (int i = 0; i < window->List_UpgradeEvent->Lines()->Count(); ++i)
            lines << window->List_UpgradeEvent->Lines()->Strings(i);
        return lines;
    }
    // The upgrade log files as name and text.
    QMap<QString, QString> LogFiles() const
    {
        QMap<QString, QString> out;
        for (const QFileInfo& f : QDir(home.path() + "/UpgradeLog").entryInfoList(QDir::Files)) {
            QFile file(f.filePath());
            out[f.fileName()] = file.open(QIODevice::ReadOnly) ? QString::fromLatin1(file.readAll()) : QString("?");
        }
        return out;
    }
    QStringList Row(int row) const
    {
        QStringList cells;
        for (int col = 0; col < 11; ++col)
            cells << window->Grid_Dev->Cells(col, row);
        return cells;
    }
    // The image's blocks by address: every row, or only those not skipped.
    std::map<std::uint32_t, invsim::Bytes> FileBlocks(bool skippedToo) const
    {
        std::map<std::uint32_t, invsim::Bytes> out;
        const HexInfo& info = UpgradeEngine().FileInfo;
        GridBlock block;
        CellGrid& grid = UpgradeEngine().View->HexGrid();
        for (int row = 1;
             ReadHexGridBlock(row, block, grid, std::max(info.BlockSize, 32), info.StopAddressText) == 0; ++row)
            if (skippedToo || !grid.Cell(0, row).isEmpty())
                out[block.Address] = block.Data;
        return out;
    }
    std::map<std::uint32_t, invsim::Bytes> LoaderBlocks(int id)
    {
        std::map<std::uint32_t, invsim::Bytes> out;
        bus.With(id, [&](invsim::Inverter& inv) { out = inv.Boot().blocks; });
        return out;
    }

    testsupport::Hooked<PausesScaled> time{0.02};
    ImageDialogs images;
    invsim::Bus bus;
    std::unique_ptr<TForm_Message> result;
    QStringList shownLabels;
    QMap<QString, QString> logsAtResult;   // the log files while the result window was up
};

} // namespace

// Three inverters on the bus: an old-style loader and two new-style ones, one of them with its
// application stopped. The survey lists them; a fourth whose loader does not answer is unknown
// and not ticked. One start programs the old-style one on its own in the (0x10) mode and the two
// others by broadcast in the (0x20) mode; every loader holds the image afterwards.
TEST_F(SerialRunTest, SurveyThenOneRunForBothKindsOfLoader)
{
    bus.With(1, [](invsim::Inverter& inv) { MakeDue(inv, 3); });
    bus.With(2, [](invsim::Inverter& inv) { MakeDue(inv, 2); });
    bus.With(3, [](invsim::Inverter& inv) {
        MakeDue(inv, 3);
        inv.Boot().serial = std::string("SN\x01\x02-0003", 9);   // control bytes stay out of the grid
        inv.Boot().inBoot = true;                                   // only its boot loader runs
    });
    bus.With(4, [](invsim::Inverter& inv) {
        MakeDue(inv, 3);
        for (int c : {0x01, 0x02, 0x03, 0x04, 0x16})
            inv.Boot().silentCommands.insert(c);
    });
    LoadOnThePage("linear32_crlf.hex", 4);
    ASSERT_TRUE(driver->Enabled("Btn_UpgradeStart")) << Joined(Log());

    EXPECT_EQ(window->Grid_Dev->RowCount(), 5);
    EXPECT_EQ(Row(0).mid(2), (QStringList{"ID", "", "Mode", "Model Name", "Serial Number", "Product ID", "Boot SW", "HW", "SW"}));
    EXPECT_EQ(Row(1), (QStringList{"1", "", " 1", "", "Normal", "SV5000TL-E", "SV5K20A123456", "10", "V03", "1.02", "3.03"}));
    EXPECT_EQ(Row(2).mid(8), (QStringList{"V02", "1.02", "3.03"}));
    EXPECT_EQ(Row(3).at(6), "SN-0003");
    EXPECT_EQ(Row(3).at(4), "Boot");
    EXPECT_EQ(Row(4).mid(4), (QStringList{"Normal", "", "", "10", "V02", "0.00", "0.00"}));
    // Every caption and value fits its column, and every column fits the grid.
    vcl::TStringGrid& grid = *window->Grid_Dev;
    int total = 0;
    for (int col = 0; col < grid.ColCount(); ++col) {
        total += grid.ColWidths(col) + 1;
        for (int row = 0; row < grid.RowCount(); ++row)
            EXPECT_LE(grid.TextWidth(grid.Cells(col, row)) + 8, grid.ColWidths(col)) << grid.Cells(col, row).toStdString();
    }
    EXPECT_LE(total, grid.Handle()->contentsRect().width());
    if (const char* dir = std::getenv("SUNVANE_SHOTS"))
        window->Handle()->grab().save(QString::fromUtf8(dir) + "/UpgradePage.png");
    const upgradeTool& tool = UpgradeEngine();
    EXPECT_EQ(std::vector<int>({tool.InvSelected[1], tool.InvSelected[2], tool.InvSelected[3], tool.InvSelected[4]}),
              std::vector<int>({1, 1, 1, 0}));

    Start();
    const QStringList log = Log();
    EXPECT_EQ(shownLabels, QStringList({"FIRMWARE UPGRADE", "COMPLETED"})) << Joined(log);
    EXPECT_EQ(log.filter("In V02 Procedure").size(), 1);
    EXPECT_EQ(log.filter("In V03 Procedure").size(), 1);
    EXPECT_TRUE(log.contains("   ID2: Check SUM CRC & Bank Close OK")) << Joined(log);
    EXPECT_TRUE(log.contains("   ID1: Check SUM CRC& Bank Close OK")) << Joined(log);
    EXPECT_TRUE(log.contains("   ID3: Check SUM CRC& Bank Close OK")) << Joined(log);
    EXPECT_EQ(LoaderBlocks(2), FileBlocks(true));
    EXPECT_EQ(LoaderBlocks(1), FileBlocks(false));
    EXPECT_EQ(LoaderBlocks(3), FileBlocks(false));
    EXPECT_TRUE(LoaderBlocks(4).empty());
    // Finished inverters are no longer ticked; the grid shows the table again after the run.
    EXPECT_EQ(std::vector<int>({tool.InvSelected[1], tool.InvSelected[2], tool.InvSelected[3]}),
              std::vector<int>({0, 0, 0}));
    // Blocks go out to every loader at once, one frame per row, in the mode of the procedure.
    int block10 = 0, block20 = 0;
    for (const auto& f : bus.Frames())
        if (f.bytes.size() > 6 && f.bytes[0] == 0x00 && f.bytes[1] == 0xE0 && f.bytes[2] == 0xFF) {
            block10 += f.bytes[5] == 0x10;
            block20 += f.bytes[5] == 0x20;
        }
    // An old-style loader on the bus takes 32-byte blocks only: the image loaded as 64 rows.
    EXPECT_EQ(block10, 64);
    EXPECT_EQ(block20, 64);
    EXPECT_FALSE(driver->Enabled("Btn_UpgradeStart"));
}

// A loader that asks for a block again gets the image from there; a loader whose bank check
// fails is tried five times and the run says it failed; the engine can start again.
TEST_F(SerialRunTest, RetryRequestAndAFailedBankClose)
{
    bus.With(1, [](invsim::Inverter& inv) {
        MakeDue(inv, 3);
        inv.Boot().retryAfterBlock = 32;   // after the last block: the tail goes out again
        inv.Boot().retryAddress = 0x0001FC00 + 10 * 64 + 5;   // inside row 11
    });
    LoadOnThePage("linear32_crlf.hex", 1);
    ASSERT_TRUE(driver->Enabled("Btn_UpgradeStart")) << Joined(Log());
    Start();
    QStringList log = Log();
    EXPECT_EQ(shownLabels, QStringList({"FIRMWARE UPGRADE", "COMPLETED"})) << Joined(log);
    EXPECT_TRUE(log.contains("   ID1: Retry Address: 0x0001FE85")) << Joined(log);
    EXPECT_EQ(LoaderBlocks(1), FileBlocks(false));
    int blocks = 0;
    for (const auto& f : bus.Frames())
        blocks += f.bytes.size() > 6 && f.bytes[1] == 0xE0 && f.bytes[5] == 0x20;
    EXPECT_EQ(blocks, 32 + 22);   // rows 11 to 32 went out again

    // Now the bank close is refused by an error reply: five tries, then a failed run.
    window->List_UpgradeEvent->Clear();
    bus.With(1, [](invsim::Inverter& inv) {
        inv.Boot().software[1] = {3, 3};
        inv.Boot().errorCommands.insert(0x13);
    });
    images.answers << kData + "linear32_crlf.hex";
    driver->Click("Btn_LoadHEX");
    ASSERT_TRUE(driver->Enabled("Btn_UpgradeStart"));
    Start();
    log = Log();
    EXPECT_EQ(shownLabels, QStringList({"Failed", ""})) << Joined(log);
    EXPECT_EQ(log.filter("   ID1: Check SUM CRC& Bank Close Error").size(), 15);   // three attempts of five tries
    EXPECT_TRUE(UpgradeEngine().InvSelected[1]);
}

// A BIN image named in lower case runs the BIN procedure: slave ID 1 gets the image's rows at the
// fixed processor and bank, although no survey ticked it. The run ends as every bus run does: time
// lines, the grid showing what the run left, the log on the disk, then the result window; no
// message and no red line.
TEST_F(SerialRunTest, LowerCaseBinImageRunsTheBinProcedure)
{
    bus.AddInverter(1, 19200);   // the BIN procedure's rate
    bus.With(1, [](invsim::Inverter& inv) { MakeDue(inv, 3); });
    LoadOnThePage("image_1000.bin", 1);
    ASSERT_TRUE(driver->Enabled("Btn_UpgradeStart")) << Joined(Log());
    images.TakeShown();
    Start();
    const QStringList log = Log();
    EXPECT_TRUE(log.contains("In BIN Procedure")) << Joined(log);
    EXPECT_TRUE(log.contains("   ID1: Check SUM CRC& Bank Close OK")) << Joined(log);
    EXPECT_EQ(log.filter(QRegularExpression("^   ID1: Done - Bank = ")).size(), 1) << Joined(log);
    EXPECT_EQ(log.filter(QRegularExpression("^Start Time: ")).size(), 1) << Joined(log);
    EXPECT_EQ(log.filter(QRegularExpression("^End Time: ")).size(), 1) << Joined(log);
    EXPECT_TRUE(log.last().startsWith("Total Time: ")) << Joined(log);
    EXPECT_EQ(shownLabels, QStringList({"FIRMWARE UPGRADE", "COMPLETED"})) << Joined(log);
    ASSERT_EQ(logsAtResult.size(), 1);
    EXPECT_TRUE(logsAtResult.first().contains("In BIN Procedure"));
    EXPECT_TRUE(logsAtResult.first().contains("Total Time: "));
    EXPECT_EQ(images.TakeShown(), QStringList());
    for (int i = 0; i < window->List_UpgradeEvent->Lines()->Count(); ++i)
        EXPECT_NE(window->List_UpgradeEvent->Lines()->ColorOf(i), vcl::clRed) << Log().value(i).toStdString();
    // The programmed inverter runs the image's version.
    const HexInfo& info = UpgradeEngine().FileInfo;
    const QString version = QString::number(info.SwMajor) + "." + QString::number(info.SwMinor / 10)
                            + QString::number(info.SwMinor % 10);
    EXPECT_EQ(Row(1).mid(2, 3), (QStringList{" 1", "", "Normal"}));
    EXPECT_EQ(Row(1).at(10), version);
    EXPECT_FALSE(driver->Enabled("Btn_UpgradeStart"));
    invsim::Bytes image;
    int processor = -1;
    std::uint32_t bank = 0;
    bus.With(1, [&](invsim::Inverter& inv) {
        image = inv.Boot().Image();
        processor = inv.Boot().selectedProcessor;
        bank = inv.Boot().bankStart;
    });
    EXPECT_EQ(processor, 9);
    EXPECT_EQ(bank, 0x80000000u);
    QFile file(kData + "image_1000.bin");
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray rows = file.readAll().left(7 * 128);
    EXPECT_EQ(image, invsim::Bytes(rows.begin(), rows.end()));
}

// Three inverters: one already up to date, one whose application had stopped in its boot loader,
// one that falls silent half-way through its blocks. After the run the grid shows what each was
// left with: the first as it was, the second running the new version, the third stopped in its
// boot loader with no software. The run failed, and its log was on the disk when that was said.
// A new image then starts with an empty status bar.
TEST_F(SerialRunTest, GridShowsWhatTheRunLeftEachInverterWith)
{
    bus.With(1, [](invsim::Inverter& inv) {
        MakeDue(inv, 3);
        inv.Boot().software[1] = {3, 4};   // the image's version already
    });
    bus.With(2, [](invsim::Inverter& inv) {
        MakeDue(inv, 3);
        inv.Boot().inBoot = true;
    });
    bus.With(3, [](invsim::Inverter& inv) {
        MakeDue(inv, 3);
        inv.Boot().silentAfterBlocks = 10;
    });
    LoadOnThePage("linear32_crlf.hex", 3);
    ASSERT_TRUE(driver->Enabled("Btn_UpgradeStart")) << Joined(Log());
    EXPECT_EQ(Row(1).mid(4), (QStringList{"Normal", "SV5000TL-E", "SV5K20A123456", "10", "V03", "1.02", "3.04"}));
    EXPECT_EQ(Row(2).at(4), "Boot");
    EXPECT_EQ(Row(2).at(10), "3.03");
    EXPECT_EQ(Row(3).at(4), "Normal");
    EXPECT_EQ(Row(3).at(10), "3.03");
    const upgradeTool& tool = UpgradeEngine();
    ASSERT_EQ(std::vector<int>({tool.InvSelected[1], tool.InvSelected[2], tool.InvSelected[3]}),
              std::vector<int>({0, 1, 1}));

    Start();
    const QStringList log = Log();
    EXPECT_EQ(shownLabels, QStringList({"Failed", ""})) << Joined(log);
    EXPECT_TRUE(log.contains("   ID2: Check SUM CRC& Bank Close OK")) << Joined(log);
    EXPECT_TRUE(log.contains("   ID3: Check SUM CRC& Bank Close Error")) << Joined(log);
    EXPECT_EQ(LoaderBlocks(2), FileBlocks(false));
    EXPECT_EQ(Row(1).mid(2), (QStringList{" 1", "", "Normal", "SV5000TL-E", "SV5K20A123456", "10", "V03", "1.02", "3.04"}));
    EXPECT_EQ(Row(2).mid(2), (QStringList{" 2", "", "Normal", "SV5000TL-E", "SV5K20A123456", "10", "V03", "1.02", "3.04"}));
    EXPECT_EQ(Row(3).mid(2), (QStringList{" 3", "", "Boot", "SV5000TL-E", "SV5K20A123456", "10", "V03", "1.02", "0.00"}));
    EXPECT_EQ(std::vector<int>({tool.InvSelected[1], tool.InvSelected[2], tool.InvSelected[3]}),
              std::vector<int>({0, 0, 1}));
    ASSERT_EQ(logsAtResult.size(), 1);
    const QString saved = logsAtResult.first();
    EXPECT_TRUE(saved.startsWith("{\\rtf1")) << saved.left(40).toStdString();
    EXPECT_TRUE(saved.contains("   ID3: Check SUM CRC& Bank Close Error"));
    EXPECT_TRUE(saved.contains("Total Time: "));
    EXPECT_EQ(LogFiles(), logsAtResult);   // nothing changed it after the window

    EXPECT_TRUE(driver->Status(8).startsWith("Processing... ")) << driver->Status(8).toStdString();
    EXPECT_TRUE(driver->Status(9).startsWith("Addr: 0x")) << driver->Status(9).toStdString();
    images.answers << kData + "linear32_crlf.hex";
    driver->Click("Btn_LoadHEX");
    EXPECT_EQ(driver->Status(8), QString());
    EXPECT_EQ(driver->Status(9), QString());
}

// The upgrade as a new user does it against the simulator program: "invsim serial --demo 1
// --product-id 10" reports a board and a version the shipped images are made for, so loading
// linear32_crlf.hex ticks it and "Upgrade" completes.
TEST_F(SerialRunTest, SimulatorProgramTakesTheShippedImage)
{
    testsupport::PeerProcess sim;
    ASSERT_TRUE(sim.Start(QStringLiteral(INVSIM_BIN), {"serial", "--demo", "1", "--product-id", "10"}))
        << sim.process.readAllStandardError().toStdString();
    LoadOnThePage("linear32_crlf.hex", 1, sim.first);
    ASSERT_TRUE(driver->Enabled("Btn_UpgradeStart")) << Joined(Log());
    EXPECT_EQ(Row(1).mid(7), (QStringList{"10", "V03", "1.02", "3.03"}));
    EXPECT_EQ(UpgradeEngine().InvSelected[1], 1);
    Start();
    const QStringList log = Log();
    EXPECT_EQ(shownLabels, QStringList({"FIRMWARE UPGRADE", "COMPLETED"})) << Joined(log);
    EXPECT_TRUE(log.contains("   ID1: Check SUM CRC& Bank Close OK")) << Joined(log);
}

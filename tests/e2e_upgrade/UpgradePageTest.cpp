// The upgrade page on the real main window: the firmware button takes the open RS-485 link over
// from polling and shows the page; images come in through the open dialog and by dropping them
// on the window.
#include "e2e_monitor/MonitorFixture.h"

#include "tools/invsim/TcpModule.h"
#include "upgrade/Upgrade.h"

#include <QWidget>

using namespace monitortest;

namespace {

const QString kData = QStringLiteral(SUNVANE_SOURCE_DIR "/tests/upgrade/data/");

// The dialogs of the fixture with open-dialog answers queued by the test.
class LoadDialogs : public ScriptedDialogs {
public:
    QString OpenFile(const QString&, const QString& filter, const QString&) override
    {
        filters << filter;
        return answers.isEmpty() ? QString() : answers.takeFirst();
    }
    QStringList answers;
    QStringList filters;
};

class UpgradePageTest : public MonitorWindow {
protected:
    void SetUp() override
    {
        MonitorWindow::SetUp();
        if (HasFatalFailure())
            return;
        vcl::SetDialogService(&load);
    }
    // Polling on the simulator's bus, then the firmware button from inside the loop.
    void OpenUpgradePage()
    {
        Prepare();
        TForm_Main& w = *window;
        time.hook = [&] {
            if (w.PollCycleCount >= 1 && w.FirmwarePageFlag == 0)
                driver->Click("Image_Firmware");
        };
        driver->Click("OpenPort");
        time.hook = nullptr;
        ASSERT_EQ(w.PageControl->ActivePage(), w.Tab_Firmware);
        // The load button rescans the bus: ID 1 only keeps it short.
        driver->Type("Edit_EndID", "1");
    }
    void LoadThroughDialog(const QString& file)
    {
        load.answers << kData + file;
        driver->Click("Btn_LoadHEX");
    }
    QString Cell(int col, int row) const { return window->Grid_HEX->Cells(col, row); }

    LoadDialogs load;
};

const char* const kMetaLabels[] = {"L_METAVERSION", "L_PRODUCTID", "L_PROCESSOR", "L_HVERSION",
                                   "L_SVERSION",    "L_STARTADDR", "L_STOPADDR",  "L_ERASESIZE",
                                   "L_FILLVALUE",   "L_CHECKSUM",  "L_BAUDRATE",  "L_PROGRAMSIZE"};

} // namespace

TEST_F(UpgradePageTest, FirmwareButtonShowsThePageForTheBus)
{
    TForm_Main& w = *window;
    OpenUpgradePage();
    EXPECT_TRUE(w.Link.Com.IsOpen());
    EXPECT_FALSE(w.TabSheets[0]->TabVisible());
    EXPECT_TRUE(driver->Visible("Grid_Dev"));
    EXPECT_EQ(w.List_UpgradeEvent->Top(), 560);
    EXPECT_FALSE(driver->Enabled("Btn_UpgradeStart"));
    EXPECT_EQ(driver->Text("Btn_UpgradeStart"), "Upgrade");
    for (const char* name : kMetaLabels)
        EXPECT_EQ(Text(name), "??") << name;
    EXPECT_EQ(driver->Items("Combo_Delay"), (QStringList{"100", "150", "200", "250", "300"}));
    EXPECT_EQ(w.Grid_Dev->ColCount(), 11);
    EXPECT_EQ(w.Grid_Dev->DefaultRowHeight(), 28);
}

// A good image, a broken one and a cancelled dialog, one after the other through the button.
TEST_F(UpgradePageTest, LoadButtonFillsTheBlockGridAndTheMetaBlock)
{
    TForm_Main& w = *window;
    OpenUpgradePage();
    const auto framesBefore = bus.Frames().size();

    LoadThroughDialog("linear16_lf.hex");
    EXPECT_TRUE(load.shown.isEmpty()) << load.shown.join(" | ").toStdString();
    EXPECT_TRUE(load.filters.value(0).contains("*.hex;*.bin"));
    EXPECT_EQ(Text("Edit_HEXPath"), kData + "linear16_lf.hex");
    EXPECT_GT(bus.Frames().size(), framesBefore);   // the bus was scanned again first
    // 32 blocks of 64 bytes from 0001FC00 to 000203C0, below the header row.
    EXPECT_EQ(w.Grid_HEX->RowCount(), 34);
    EXPECT_EQ(Cell(1, 0), "Address");
    EXPECT_EQ(Cell(1, 1), "0001FC00");
    EXPECT_EQ(Cell(1, 32), "000203C0");
    EXPECT_TRUE(Cell(1, 33).isEmpty());
    EXPECT_EQ(Text("L_METAVERSION"), "2.03");
    EXPECT_EQ(Text("L_PRODUCTID"), "10");
    EXPECT_EQ(Text("L_PROCESSOR"), "1");
    EXPECT_EQ(Text("L_HVERSION"), "1.02");
    EXPECT_EQ(Text("L_SVERSION"), "3.04");
    EXPECT_EQ(Text("L_STARTADDR"), "0x0001FC00");
    EXPECT_EQ(Text("L_STOPADDR"), "0x00020400");
    EXPECT_EQ(Text("L_PROGRAMSIZE"), "64");
    EXPECT_EQ(Text("L_BAUDRATE"), "19200");
    EXPECT_EQ(Text("Combo_Delay"), "100");
    // Before the image, the boot loaders' versions; after it, the survey of ID 1.
    const QString log = w.List_UpgradeEvent->Lines()->Text();
    EXPECT_TRUE(log.contains("Hex Length: 2048(0x10) / 2048(0x20)")) << log.toStdString();
    EXPECT_LT(log.indexOf("   Rx: FF FF 01 00 06 16 03"), log.indexOf("Hex Length: "));
    EXPECT_GT(log.indexOf("ID1: Getting Information"), log.indexOf("Hex Length: "));
    EXPECT_EQ(w.Grid_Dev->Cells(2, 1), " 1");
    EXPECT_EQ(w.Grid_Dev->Cells(4, 1), "Normal");
    EXPECT_EQ(UpgradeEngine().FileInfo.Length20, 2048);
    EXPECT_EQ(UpgradeEngine().FileInfo.Crc10, 0x047C);
    EXPECT_TRUE(driver->Enabled("Btn_UpgradeStart"));

    // A checksum fault: the box, the start disabled, nothing of the previous image left.
    LoadThroughDialog("bad_checksum.hex");
    EXPECT_EQ(load.shown, QStringList{"Error - Load Hex File"});
    EXPECT_FALSE(driver->Enabled("Btn_UpgradeStart"));
    EXPECT_TRUE(Cell(1, 1).isEmpty());
    EXPECT_TRUE(Cell(1, 32).isEmpty());
    for (const char* name : kMetaLabels)
        EXPECT_TRUE(Text(name).isEmpty()) << name;
    const HexInfo& info = UpgradeEngine().FileInfo;
    EXPECT_EQ(info.Length10, 0);
    EXPECT_EQ(info.Crc10, 0);
    EXPECT_EQ(info.Length20, 0);
    EXPECT_EQ(info.Crc20, 0);
    EXPECT_TRUE(w.List_UpgradeEvent->Lines()->Text().contains("CheckSUM Error: FC50"));

    // A BIN image without a meta block has its own box.
    load.shown.clear();
    LoadThroughDialog("no_meta.bin");
    EXPECT_EQ(load.shown, (QStringList{"No Meta Block", "Error - Load BIN File"}));
    EXPECT_FALSE(driver->Enabled("Btn_UpgradeStart"));

    // A good BIN image, then a cancelled dialog: the start goes off again.
    load.shown.clear();
    LoadThroughDialog("image_1000.bin");
    EXPECT_TRUE(load.shown.isEmpty());
    EXPECT_EQ(Cell(1, 1), "80000000");
    EXPECT_EQ(Cell(1, 7), "80000300");
    EXPECT_EQ(UpgradeEngine().FileInfo.Length20, 896);
    EXPECT_TRUE(driver->Enabled("Btn_UpgradeStart"));
    driver->Click("Btn_LoadHEX");
    EXPECT_FALSE(driver->Enabled("Btn_UpgradeStart"));
    EXPECT_EQ(Cell(1, 1), "80000000");   // the image stays; only the start is withheld
}

// Files dropped on the window: the first counts, and only a name ending in "hex" is taken.
TEST_F(UpgradePageTest, DroppedImagesReachThePage)
{
    TForm_Main& w = *window;
    OpenUpgradePage();
    const auto framesBefore = bus.Frames().size();

    // An upper-case copy: names ending in "HEX" are images too.
    QTemporaryDir dir;
    const QString upper = dir.filePath("FW.HEX");
    ASSERT_TRUE(QFile::copy(kData + "segment16.hex", upper));
    driver->Drop({upper, kData + "bad_checksum.hex", kData + "image_1000.bin"});
    EXPECT_TRUE(load.shown.isEmpty()) << load.shown.join(" | ").toStdString();
    EXPECT_EQ(Text("Edit_HEXPath"), upper);
    EXPECT_EQ(w.Grid_HEX->RowCount(), 130);
    EXPECT_EQ(Cell(1, 1), "0000F800");
    EXPECT_EQ(UpgradeEngine().FileInfo.Crc10, 0x8005);
    EXPECT_TRUE(driver->Enabled("Btn_UpgradeStart"));
    // A drop rescans nothing: the one product-ID request is the survey's own, at ID 1's rate.
    int productIdRequests = 0;
    const auto frames = bus.Frames();
    for (std::size_t i = framesBefore; i < frames.size(); ++i) {
        const auto& f = frames[i];
        productIdRequests += f.bytes.size() == 8 && f.bytes[2] == 0xFF && f.bytes[5] == 0x00;
    }
    EXPECT_EQ(productIdRequests, 1);

    // A BIN image, a text file and a broken image dropped second are not taken; a broken HEX
    // dropped first fails like a load through the button.
    for (const QString& ignored : {kData + "image_1000.bin", kData + "expected.txt"}) {
        driver->Drop({ignored});
        EXPECT_EQ(Text("Edit_HEXPath"), upper);
        EXPECT_EQ(Cell(1, 1), "0000F800");
    }
    driver->Drop({kData + "no_meta.hex"});
    EXPECT_EQ(load.shown, (QStringList{"No Meta Block", "Error - Load Hex File"}));
    EXPECT_FALSE(driver->Enabled("Btn_UpgradeStart"));
    EXPECT_TRUE(Cell(1, 1).isEmpty());
}

// A drop that arrives while a load is under way (its message box is open) is refused.
TEST_F(UpgradePageTest, NoSecondLoadWhileOneIsUnderWay)
{
    TForm_Main& w = *window;
    OpenUpgradePage();
    class NestedDrop : public LoadDialogs {
    public:
        std::function<void()> whileBoxOpen;
        int MessageBox(const QString& text, const QString& caption, int flags) override
        {
            if (whileBoxOpen) {
                auto once = whileBoxOpen;
                whileBoxOpen = nullptr;
                once();
            }
            return LoadDialogs::MessageBox(text, caption, flags);
        }
    } nested;
    vcl::SetDialogService(&nested);
    bool busyInside = false;
    nested.whileBoxOpen = [&] {
        busyInside = w.UpgradeLoadBusy();
        driver->Drop({kData + "linear16_lf.hex"});
    };
    driver->Drop({kData + "no_meta.hex"});
    EXPECT_TRUE(busyInside);
    EXPECT_FALSE(w.UpgradeLoadBusy());
    EXPECT_EQ(Text("Edit_HEXPath"), kData + "no_meta.hex");
    EXPECT_EQ(nested.shown, (QStringList{"Please wait until the image load has ended", "No Meta Block", "Error - Load Hex File"}));
    EXPECT_FALSE(driver->Enabled("Btn_UpgradeStart"));
    EXPECT_TRUE(Cell(1, 1).isEmpty());
}

// On the Wi-Fi link there is no bus to survey: the log takes the inverter grid's place, and a
// HEX image loads without a scan.
TEST_F(UpgradePageTest, WifiPageHasNoInverterGrid)
{
    invsim::TcpModule module;
    std::string error;
    ASSERT_TRUE(module.Start(0, &error)) << error;
    module.With([](invsim::Inverter& inv) { invsim::LoadDemoInverter(inv); });
    qputenv("SUNVANE_WIFI_ADDRESS", QByteArray("127.0.0.1:") + QByteArray::number(module.Port()));
    TForm_Main& w = *window;
    driver->PickText("Combo_SelectMode", "Monitor");
    driver->MouseDown("Radio_ComWifi");
    time.hook = [&] {
        if (w.PollCycleCount >= 1 && w.FirmwarePageFlag == 0)
            driver->Click("Image_Firmware");
    };
    driver->Click("OpenPort");
    time.hook = nullptr;
    qputenv("SUNVANE_WIFI_ADDRESS", "127.0.0.1:9");
    ASSERT_EQ(w.PageControl->ActivePage(), w.Tab_Firmware);
    EXPECT_FALSE(driver->Visible("Grid_Dev"));
    EXPECT_EQ(w.List_UpgradeEvent->Top(), 230);

    const auto framesBefore = module.Frames().size();
    LoadThroughDialog("linear32_crlf.hex");
    EXPECT_TRUE(load.shown.isEmpty()) << load.shown.join(" | ").toStdString();
    EXPECT_EQ(module.Frames().size(), framesBefore);
    EXPECT_EQ(Cell(1, 32), "000203C0");
    EXPECT_TRUE(driver->Enabled("Btn_UpgradeStart"));
    module.Stop();
}

// While the load button's rescan runs (it pumps the window's events), the scan button and the
// mode list are refused: neither a second scan nor polling starts in the middle of the load.
TEST_F(UpgradePageTest, ScanAndModeSwitchWaitForTheLoad)
{
    TForm_Main& w = *window;
    OpenUpgradePage();
    auto probes = [&] {
        int n = 0;
        for (const auto& f : bus.Frames())
            if (f.bytes.size() == 8 && f.bytes[1] == 0x00 && f.bytes[2] == 0xFF && f.bytes[3] == 0xFF && f.bytes[5] == 0x00)
                ++n;
        return n;
    };
    const int probesBefore = probes();
    bool tried = false;
    time.hook = [&] {
        if (!tried && w.UpgradeLoadBusy()) {
            tried = true;
            driver->Click("Btn_ScanID");
            driver->PickText("Combo_SelectMode", "Monitor");
        } else if (w.PollRunning && w.StopRequest == 0) {
            driver->Click("ClosePort");   // a loop that got in: end it so that the test can fail
        }
    };
    LoadThroughDialog("linear16_lf.hex");
    time.hook = nullptr;
    ASSERT_TRUE(tried);
    EXPECT_EQ(probes() - probesBefore, 4);   // ID 1 once at each of the three rates, then the survey
    EXPECT_EQ(w.Combo_SelectMode->ItemIndex(), -1);
    EXPECT_EQ(w.FirmwarePageFlag, 1);
    EXPECT_FALSE(w.PollRunning);
    EXPECT_EQ(w.PageControl->ActivePage(), w.Tab_Firmware);
    EXPECT_TRUE(driver->Enabled("Btn_UpgradeStart"));
    // Both are refused with a word.
    EXPECT_EQ(load.shown, QStringList(2, "Please wait until the image load has ended"));

    // Afterwards both work again: the scan at once, the mode back to polling.
    driver->Click("Btn_ScanID");
    EXPECT_EQ(probes() - probesBefore, 7);
}

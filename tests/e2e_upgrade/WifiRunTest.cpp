// The upgrade page's start over the Wi-Fi link, on the real main window against the simulated
// module: the run, its time lines, the result window, the "UpgradeLog" file, and what is refused
// while the run is under way.
#include "e2e_monitor/MonitorFixture.h"
#include "e2e_upgrade/UpgradeRunSupport.h"

#include "app/Mymessage.h"
#include "support/HookedTime.h"
#include "tools/invsim/TcpModule.h"
#include "upgrade/HexGrid.h"
#include "upgrade/Upgrade.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTimer>

using namespace monitortest;

namespace {

using namespace upgraderun;

class WifiRunTest : public MonitorHomeWindow {
protected:
    void SetUp() override
    {
        MonitorHomeWindow::SetUp();
        if (HasFatalFailure())
            return;
        vcl::SetDialogService(&images);
        // Twenty times faster than real time: the run's fixed pauses take a fraction of a second.
        vcl::SetTimeService(&time);
        std::string error;
        ASSERT_TRUE(module.Start(0, &error)) << error;
        module.With([](invsim::Inverter& inv) { invsim::LoadDemoInverter(inv); });
        qputenv("SUNVANE_WIFI_ADDRESS", QByteArray("127.0.0.1:") + QByteArray::number(module.Port()));
        OpenWindow();
        result = std::make_unique<TForm_Message>();
    }
    void TearDown() override
    {
        time.hook = nullptr;
        window.reset();
        result.reset();
        module.Stop();
        qputenv("SUNVANE_WIFI_ADDRESS", "127.0.0.1:9");
        MonitorHomeWindow::TearDown();
    }
    // The Wi-Fi link open and the upgrade page shown, with an image loaded.
    void OpenPageWithImage(const char* file)
    {
        TForm_Main& w = *window;
        driver->PickText("Combo_SelectMode", "Monitor");
        driver->MouseDown("Radio_ComWifi");
        time.hook = [&] {
            if (w.PollCycleCount >= 1 && w.FirmwarePageFlag == 0)
                driver->Click("Image_Firmware");
        };
        driver->Click("OpenPort");
        time.hook = nullptr;
        ASSERT_EQ(w.PageControl->ActivePage(), w.Tab_Firmware);
        images.answers << kData + QLatin1String(file);
        driver->Click("Btn_LoadHEX");
        ASSERT_TRUE(driver->Enabled("Btn_UpgradeStart"));
        const auto pid = static_cast<std::uint32_t>(FwStrToInt(UpgradeEngine().FileInfo.ProductIdText));
        module.WithBootLoader([&](invsim::WifiBootLoader& b) {
            b = invsim::WifiBootLoader{};
            b.productId = pid;
        });
    }
    // Presses the start button; the result window is read and closed as soon as it shows.
    void Start()
    {
        shownLabels.clear();
        QTimer closer;
        closer.setInterval(10);
        QObject::connect(&closer, &QTimer::timeout, [&] {
            if (result->Visible()) {
                shownLabels << result->Label1->Caption() << result->Label2->Caption();
                shownColour = result->Label1->Font()->Color();
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
    QStringList LogFiles() const
    {
        return QDir(home.path() + "/UpgradeLog").entryList(QDir::Files, QDir::Name);
    }
    std::map<std::uint32_t, std::vector<std::uint8_t>> ModuleBlocks()
    {
        std::map<std::uint32_t, std::vector<std::uint8_t>> out;
        module.WithBootLoader([&](invsim::WifiBootLoader& b) { out = b.blocks; });
        return out;
    }

    testsupport::HookedScaledTime time{0.05};
    ImageDialogs images;
    invsim::TcpModule module;
    std::unique_ptr<TForm_Message> result;
    QStringList shownLabels;
    vcl::TColor shownColour = 0;
};

} // namespace

TEST_F(WifiRunTest, StartProgramsTheModuleAndSavesTheRunsLog)
{
    OpenPageWithImage("linear32_crlf.hex");
    const QString today = QDate::currentDate().toString("yyyyMMdd");
    Start();

    EXPECT_EQ(shownLabels, QStringList({"FIRMWARE UPGRADE", "COMPLETED"}));
    EXPECT_FALSE(driver->Enabled("Btn_UpgradeStart"));
    const QStringList log = Log();
    ASSERT_TRUE(log.contains("Upgrade Finish")) << Joined(log);
    EXPECT_EQ(log.filter("Programming Begin").size(), 1);
    const int start = static_cast<int>(log.indexOf(QRegularExpression("^Start Time: \\d{1,2}:\\d{1,2}:\\d{1,2}$")));
    const int end = static_cast<int>(log.indexOf(QRegularExpression("^End Time: \\d{1,2}:\\d{1,2}:\\d{1,2}$")));
    ASSERT_GE(start, 0) << Joined(log);
    EXPECT_GT(end, static_cast<int>(log.indexOf("Upgrade Finish")));
    EXPECT_TRUE(log.at(end + 1).contains(QRegularExpression("^Total Time: \\d+ S$"))) << Joined(log);
    EXPECT_EQ(window->ProgressBar->Position(), 100);

    // The module holds exactly the image's blocks.
    std::map<std::uint32_t, std::vector<std::uint8_t>> expected;
    GridBlock block;
    const HexInfo& info = UpgradeEngine().FileInfo;
    for (int row = 1; ReadHexGridBlock(row, block, UpgradeEngine().View->HexGrid(), std::max(info.BlockSize, 32),
                                                      info.StopAddressText) == 0;
                         ++row)
        expected[block.Address] = block.Data;
    EXPECT_EQ(ModuleBlocks(), expected);

    // One rich-text log file for the run, named by the day, the next one numbered on.
    ASSERT_EQ(LogFiles(), QStringList({"Log" + today + "_1.txt"}));
    QFile saved(home.path() + "/UpgradeLog/Log" + today + "_1.txt");
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    const QByteArray rtf = saved.readAll();
    EXPECT_TRUE(rtf.startsWith("{\\rtf")) << rtf.left(40).toStdString();
    EXPECT_TRUE(rtf.contains("Upgrade Finish"));

    // A second run the same day: a module that answers with another product ID fails three
    // times and the window says so in dark red. Nothing of the first run's 100 % is left, and
    // the second file holds the second run alone.
    images.answers << kData + "linear32_crlf.hex";
    driver->Click("Btn_LoadHEX");
    module.WithBootLoader([](invsim::WifiBootLoader& b) { b.productId ^= 1; });
    Start();
    EXPECT_EQ(shownLabels, QStringList({"Failed", ""}));
    EXPECT_EQ(shownColour, vcl::RGB(180, 0, 0));
    EXPECT_EQ(Log().filter(QRegularExpression("^Retry\\.\\.\\.$")).size(), 3);
    EXPECT_EQ(window->ProgressBar->Position(), 0);
    EXPECT_FALSE(window->StatusText(8).contains("100%")) << window->StatusText(8).toStdString();
    EXPECT_FALSE(window->StatusText(9).startsWith("Addr: ")) << window->StatusText(9).toStdString();
    EXPECT_EQ(LogFiles(), QStringList({"Log" + today + "_1.txt", "Log" + today + "_2.txt"}));
    QFile second(home.path() + "/UpgradeLog/Log" + today + "_2.txt");
    ASSERT_TRUE(second.open(QIODevice::ReadOnly));
    const QByteArray secondRtf = second.readAll();
    EXPECT_TRUE(secondRtf.startsWith("{\\rtf"));
    EXPECT_EQ(secondRtf.count("Programming Begin"), 1);
    EXPECT_TRUE(secondRtf.contains("Retry..."));
    EXPECT_TRUE(secondRtf.contains("Hex Length: 2048"));   // the load the run programmed
    EXPECT_FALSE(secondRtf.contains("Upgrade Finish"));    // the first run's end
    saved.seek(0);
    EXPECT_EQ(saved.readAll(), rtf);                        // the first file stays as it was
}

// A BIN image named in lower case, as the load recorded it: the BIN procedure's fixed values
// (processor 9, bank 0x80000000, stop 0x0F000000) go to the module with the image's rows. It has
// no serial steps on this link: the module's run programs the image, and the log calls nothing
// stopped.
TEST_F(WifiRunTest, LowerCaseBinImageGoesOutWithTheBinProcedureValues)
{
    OpenPageWithImage("image_1000.bin");
    Start();
    const QStringList log = Log();
    EXPECT_EQ(shownLabels, QStringList({"FIRMWARE UPGRADE", "COMPLETED"})) << Joined(log);
    EXPECT_FALSE(log.contains("Procedure Stop")) << Joined(log);
    EXPECT_FALSE(log.contains("In BIN Procedure")) << Joined(log);
    int selected = -1;
    std::uint32_t bank = 0, next = 0;
    module.WithBootLoader([&](invsim::WifiBootLoader& b) {
        selected = b.selectedProcessor;
        bank = b.bankStart;
        next = b.lastNextAddress;
    });
    EXPECT_EQ(selected, 9);
    EXPECT_EQ(bank, 0x80000000u);
    EXPECT_EQ(next, 0x0F000000u);
    QFile file(kData + "image_1000.bin");
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    std::map<std::uint32_t, std::vector<std::uint8_t>> expected;
    for (int row = 0; row < 7; ++row) {
        const QByteArray part = bytes.mid(row * 128, 128);
        expected[0x80000000u + 128u * static_cast<std::uint32_t>(row)] = std::vector<std::uint8_t>(part.begin(), part.end());
    }
    EXPECT_EQ(ModuleBlocks(), expected);
}

// A log that cannot be written is a red line in the page's log, not lost in silence.
TEST_F(WifiRunTest, UnwritableLogIsARedLine)
{
    OpenPageWithImage("linear32_crlf.hex");
    QFile blocker(home.path() + "/UpgradeLog");
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));   // a file where the folder should be
    blocker.close();
    Start();
    EXPECT_EQ(shownLabels, QStringList({"FIRMWARE UPGRADE", "COMPLETED"}));
    const int last = window->List_UpgradeEvent->Lines()->Count() - 1;
    EXPECT_TRUE(window->List_UpgradeEvent->Lines()->Strings(last).startsWith("Upgrade log not saved: "));
    EXPECT_EQ(window->List_UpgradeEvent->Lines()->ColorOf(last), vcl::clRed);
}

// While the run is under way the window answers, but a mode switch, a scan and another image
// are refused; the run ends as it would have.
TEST_F(WifiRunTest, RunRefusesWhatWouldDisturbIt)
{
    OpenPageWithImage("linear32_crlf.hex");
    TForm_Main& w = *window;
    const QString mode = w.Combo_SelectMode->Text();
    bool tried = false;
    time.hook = [&] {
        if (tried || module.Frames().size() < 10)
            return;
        tried = true;
        images.answers << kData + "gaps.hex";
        driver->Click("Btn_LoadHEX");
        driver->PickText("Combo_SelectMode", "GridTied");
    };
    Start();
    time.hook = nullptr;
    EXPECT_TRUE(tried);
    EXPECT_EQ(shownLabels, QStringList({"FIRMWARE UPGRADE", "COMPLETED"}));
    EXPECT_EQ(w.Combo_SelectMode->Text(), mode);
    EXPECT_EQ(images.answers.size(), 1);   // the open dialog never came up
    EXPECT_TRUE(Log().contains("Upgrade Finish"));
}

// The close button is taken as closing the window is: the run ends at its next frame, says it
// was stopped, and the link closes once it has ended.
TEST_F(WifiRunTest, CloseEndsTheRunAndSaysSo)
{
    OpenPageWithImage("linear32_crlf.hex");
    TForm_Main& w = *window;
    std::size_t framesAtClose = 0;
    time.hook = [&] {
        if (framesAtClose != 0 || module.Frames().size() < 10)
            return;
        framesAtClose = module.Frames().size();
        driver->Click("ClosePort");
    };
    Start();
    time.hook = nullptr;
    ASSERT_NE(framesAtClose, 0u);
    EXPECT_NE(shownLabels, QStringList({"FIRMWARE UPGRADE", "COMPLETED"}));
    EXPECT_LE(module.Frames().size(), framesAtClose + 1) << "the run went on after Close";
    EXPECT_TRUE(images.shown.contains("Link closed: the programming run was stopped before it completed"))
        << images.shown.join(" | ").toStdString();
    EXPECT_TRUE(w.OpenPort->Enabled());
    EXPECT_FALSE(w.ClosePort->Enabled());
}

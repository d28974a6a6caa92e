// The real program, driven through its remote user driver: polling the simulated inverter, the
// firmware button, an image dropped on the window, then a broken one through the load button.
#include "e2e_monitor/MonitorFixture.h"
#include "e2e_monitor/OpenLink.h"

#include "support/QtApp.h"
#include "support/PeerProcess.h"
#include "support/RemoteProgram.h"

#include <QDir>
#include <QJsonArray>
#include <QRegularExpression>

namespace {

using namespace monitortest;

const QString kData = QStringLiteral(SUNVANE_SOURCE_DIR "/tests/upgrade/data/");

using Program = testsupport::RemoteProgram;
using RemoteUpgrade = RemoteMonitor;

} // namespace

TEST_F(RemoteUpgrade, DroppedImageLoadsOnTheUpgradePage)
{

    Program run(home.path(), runtime.path());
    ASSERT_TRUE(openlink::OnRs485(run, bus.Path()));
    ASSERT_TRUE(openlink::Shows(run, "Label_VantoSN", openlink::kDemoSerial));

    // The page takes the link over; the main page is gone.
    ASSERT_TRUE(run.Do("click Image_Firmware"));
    // A control of the page can be used once it is the shown page.
    ASSERT_TRUE(run.WaitFor([&] { return run.Do("pickt Combo_Delay 150"); }, 10000));
    EXPECT_FALSE(run.Do("tab PageControl 1"));   // the only page left
    ASSERT_TRUE(run.Do("text Edit_EndID 1"));
    EXPECT_FALSE(run.EnabledOf("Btn_UpgradeStart"));

    ASSERT_TRUE(run.Do("drop " + kData + "linear16_lf.hex"));
    ASSERT_TRUE(run.WaitFor([&] { return run.EnabledOf("Btn_UpgradeStart"); }, 10000));
    EXPECT_EQ(run.TextOf("Edit_HEXPath"), kData + "linear16_lf.hex");
    EXPECT_EQ(run.TextOf("L_STARTADDR"), "0x0001FC00");
    EXPECT_EQ(run.TextOf("L_PROGRAMSIZE"), "64");
    run.Ask("dialogs");

    // What the user reads: the meta block in the event log, the image's length and check sum
    // in the upgrade log, and the image in the block grid, 64 bytes to a row after the row
    // number and the address.
    const QStringList events = run.LinesOf("List_Event");
    EXPECT_TRUE(events.contains("Start Address: 0x0001FC00")) << events.join(" | ").toStdString();
    EXPECT_TRUE(events.contains("Program Size: 64")) << events.join(" | ").toStdString();
    // The image's length and check sum, between the boot loaders' versions and the survey.
    const QStringList upgradeLog = run.LinesOf("List_UpgradeEvent");
    const int lengthLine = static_cast<int>(upgradeLog.indexOf("Hex Length: 2048(0x10) / 2048(0x20)"));
    ASSERT_GT(lengthLine, 0) << upgradeLog.join(" | ").toStdString();
    EXPECT_EQ(upgradeLog.value(lengthLine + 1), "Hex SUM CRC: 0x047C(0x10) / 047C(0x20)");
    EXPECT_TRUE(upgradeLog.contains("ID1: Getting Information")) << upgradeLog.join(" | ").toStdString();
    const QList<QStringList> rows = run.CellsOf("Grid_HEX");
    ASSERT_GE(rows.size(), 33);
    EXPECT_EQ(rows[0].mid(0, 4), (QStringList{"", "Address", "1", "2"}));
    // The first record of the file: ":10FC00002291D8CDC310411E7EC27378A661C9353A".
    EXPECT_EQ(rows[1].mid(0, 18), (QStringList{"1", "0001FC00", "22", "91", "D8", "CD", "C3", "10", "41", "1E", "7E",
                                               "C2", "73", "78", "A6", "61", "C9", "35"}));
    EXPECT_EQ(rows[32].mid(0, 2), (QStringList{"32", "000203C0"}));
    for (const QStringList& row : rows)
        EXPECT_EQ(row.size(), rows[0].size());

    // A broken image through the load button and the open dialog.
    ASSERT_TRUE(run.Do("answer " + kData + "bad_checksum.hex"));
    ASSERT_TRUE(run.Do("click Btn_LoadHEX"));
    QJsonArray shown;
    ASSERT_TRUE(run.WaitFor([&] {
        for (const auto& item : run.Ask("dialogs")["items"].toArray())
            shown.append(item);
        return shown.contains(QJsonValue("Error - Load Hex File"));
    }, 10000));
    EXPECT_FALSE(run.EnabledOf("Btn_UpgradeStart"));
    EXPECT_EQ(run.TextOf("L_STARTADDR"), QString());
    EXPECT_TRUE(run.LinesOf("List_UpgradeEvent").contains("CheckSUM Error: FC50"));

    EXPECT_TRUE(run.Do("close"));
    ASSERT_TRUE(run.process.waitForFinished(10000));
    EXPECT_EQ(run.process.exitCode(), 0);
    bus.Stop();
}

// As the README tells a new user: the simulator's Wi-Fi module with a boot loader of the
// image's product ID, the program on the Wi-Fi link, the firmware page, an image, the start.
// The module holds the image afterwards; the result window says so and closes with its button.
TEST_F(RemoteUpgrade, WifiModuleIsProgrammedFromTheUpgradePage)
{
    testsupport::PeerProcess module;
    ASSERT_TRUE(module.Start(QStringLiteral(INVSIM_BIN), {"tcp", "0", "--demo", "255", "--product-id", "10", "--log"}));
    ASSERT_TRUE(module.first.startsWith("127.0.0.1:")) << module.first.toStdString();
    Program run(home.path(), runtime.path());
    ASSERT_TRUE(openlink::OnWifi(run, module.first.section(':', 1).toInt()));
    ASSERT_TRUE(openlink::Shows(run, "Label_VantoSN", openlink::kDemoSerial));
    ASSERT_TRUE(run.Do("click Image_Firmware"));
    ASSERT_TRUE(run.WaitFor([&] { return run.Do("pickt Combo_Delay 150"); }, 10000));
    ASSERT_TRUE(run.Do("answer " + kData + "linear32_crlf.hex"));
    ASSERT_TRUE(run.Do("click Btn_LoadHEX"));
    ASSERT_TRUE(run.WaitFor([&] { return run.EnabledOf("Btn_UpgradeStart"); }, 10000));

    ASSERT_TRUE(run.Do("click Btn_UpgradeStart"));
    // The run's fixed pauses alone take seven seconds on a real module; the result window
    // comes up after the time lines.
    ASSERT_TRUE(run.WaitFor([&] { return run.LinesOf("List_UpgradeEvent").filter("Total Time: ").size() == 1; }, 40000))
        << run.LinesOf("List_UpgradeEvent").join(" | ").toStdString();
    ASSERT_TRUE(run.WaitFor([&] { return run.Ask("get Form_Message")["visible"].toBool(); }, 5000));
    EXPECT_EQ(run.TextOf("Label1"), "FIRMWARE UPGRADE");
    EXPECT_EQ(run.TextOf("Label2"), "COMPLETED");
    ASSERT_TRUE(run.Do("click BitBtn1"));
    ASSERT_TRUE(run.WaitFor([&] { return !run.Ask("get Form_Message")["visible"].toBool(); }, 5000));
    const QStringList log = run.LinesOf("List_UpgradeEvent");
    EXPECT_TRUE(log.contains("Upgrade Finish")) << log.join(" | ").toStdString();
    EXPECT_TRUE(log.contains("   ID1: INV_CheckSUM - 0x047C")) << log.join(" | ").toStdString();
    EXPECT_FALSE(run.EnabledOf("Btn_UpgradeStart"));
    ASSERT_TRUE(run.WaitFor([&] { return !QDir(home.path() + "/UpgradeLog").entryList(QDir::Files).isEmpty(); }, 5000));

    EXPECT_TRUE(run.Do("close"));
    ASSERT_TRUE(run.process.waitForFinished(10000));
    EXPECT_EQ(run.process.exitCode(), 0);
    // Every one of the image's 32 blocks reached the module's boot loader.
    module.process.terminate();
    ASSERT_TRUE(module.process.waitForFinished(5000));
    const QString traffic = QString::fromUtf8(module.process.readAllStandardOutput());
    EXPECT_EQ(traffic.count(QRegularExpression("rx \\S* ?01 00 FF FF 49 20 ")), 32) << traffic.left(2000).toStdString();
}

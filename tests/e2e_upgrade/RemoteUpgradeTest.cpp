// The real program, driven through its remote user driver: polling the simulated inverter, the
// firmware button, an image dropped on the window, then a broken one through the load button.
#include "e2e_monitor/MonitorFixture.h"

#include "support/QtApp.h"
#include "support/RemoteProgram.h"

#include <QJsonArray>

namespace {

using namespace monitortest;

const QString kData = QStringLiteral(SUNVANE_SOURCE_DIR "/tests/upgrade/data/");

using Program = testsupport::RemoteProgram;
using RemoteUpgrade = RemoteMonitor;

} // namespace

TEST_F(RemoteUpgrade, DroppedImageLoadsOnTheUpgradePage)
{

    Program run(home.path(), runtime.path());
    ASSERT_TRUE(run.Start());
    ASSERT_TRUE(run.Do("pickt Combo_SelectMode Monitor"));
    ASSERT_TRUE(run.Do("mousedown Radio_ComRS485"));
    ASSERT_TRUE(run.Do("text Combo_COM " + QString::fromStdString(bus.Path())));
    ASSERT_TRUE(run.Do("click OpenPort"));
    ASSERT_TRUE(run.WaitFor([&] { return run.TextOf("Label_VantoSN") == "SV5K20A123456"; }, 15000));

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

    EXPECT_TRUE(run.Do("close"));
    ASSERT_TRUE(run.process.waitForFinished(10000));
    EXPECT_EQ(run.process.exitCode(), 0);
    bus.Stop();
}

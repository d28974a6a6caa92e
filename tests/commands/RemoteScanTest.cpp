// The real program, driven through its remote user driver: a scan of a bus with inverters at
// 9600 and 38400 bit/s, the tree, and the double-click that moves polling to the second one.
#include "tests/e2e_monitor/MonitorFixture.h"

#include "support/QtApp.h"
#include "support/RemoteProgram.h"

#include <QJsonArray>

namespace {

using namespace monitortest;

using Program = testsupport::RemoteProgram;
using RemoteScan = RemoteMonitor;

TEST_F(RemoteScan, ScanTreeAndDoubleClickThroughTheRemoteDriver)
{
    bus.AddInverter(3, 9600);
    bus.AddInverter(12, 38400);
    for (int id : {3, 12})
        bus.With(id, [](invsim::Inverter& inv) { invsim::LoadDemoInverter(inv); });

    Program run(home.path(), runtime.path());
    ASSERT_TRUE(run.Start());
    ASSERT_TRUE(run.Do("pickt Combo_SelectMode Monitor"));
    ASSERT_TRUE(run.Do("mousedown Radio_ComRS485"));
    ASSERT_TRUE(run.Do("text Combo_COM " + QString::fromStdString(bus.Path())));
    ASSERT_TRUE(run.Do("text Edit_StartID 3"));
    ASSERT_TRUE(run.Do("text Edit_EndID 12"));
    ASSERT_TRUE(run.Do("click OpenPort"));
    ASSERT_TRUE(run.WaitFor([&] { return run.TextOf("Label_VantoSN") == "SV5K20A123456"; }, 15000));

    ASSERT_TRUE(run.Do("click Btn_ScanID"));
    bool sawProbe = false;
    ASSERT_TRUE(run.WaitFor([&] {
        sawProbe = sawProbe || run.Status(0).startsWith("ID: ");
        return run.Tree() == QStringList{"Inverters", "ID:003", "ID:012"};
    }, 40000)) << run.Tree().join(",").toStdString();
    EXPECT_TRUE(sawProbe);
    EXPECT_EQ(run.Status(1), "9600");   // inverter 3 is current, at its own rate
    // Status panel 0 names the inverter polled, not the last ID probed.
    EXPECT_TRUE(run.WaitFor([&] { return run.Status(0) == "ID: 3"; }, 5000)) << run.Status(0).toStdString();

    bus.ClearFrames();
    ASSERT_TRUE(run.Do("dblclick TreeView ID:012"));
    ASSERT_TRUE(run.WaitFor([&] { return run.Status(1) == "38400"; }, 10000));
    EXPECT_EQ(run.Status(0), "ID: 12");
    // The version of inverter 12 is read at its rate.
    ASSERT_TRUE(run.WaitFor([&] {
        for (const auto& f : bus.Frames())
            if (f.bytes[0] == 12 && f.bytes[1] == 3 && (f.bytes[2] << 8 | f.bytes[3]) == 801 && f.baud == 38400)
                return true;
        return false;
    }, 15000));
    ASSERT_TRUE(run.WaitFor([&] { return run.TextOf("Label_PacR") == "2800 W"; }, 15000));

    ASSERT_TRUE(run.Do("click ClosePort"));
    ASSERT_TRUE(run.WaitFor([&] { return run.Ask("get OpenPort")["enabled"].toBool(); }, 10000));
    EXPECT_TRUE(run.Ask("dialogs")["items"].toArray().isEmpty());
    bus.Stop();
}

} // namespace

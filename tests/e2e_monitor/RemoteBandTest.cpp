// The header band of the real program, driven through its remote user driver while it polls the
// simulated demonstration inverter: the protocol switch there and back, and the grid-setting
// picture that asks for the service code.
#include "MonitorFixture.h"

#include "support/RemoteProgram.h"

#include <QJsonArray>

namespace {

using namespace monitortest;

const QString kRed = "0x0000FF";
const QString kGreen = "0x008000";

QStringList Dialogs(testsupport::RemoteProgram& run)
{
    QStringList items;
    for (const auto& v : run.Ask("dialogs")["items"].toArray())
        items << v.toString();
    return items;
}

TEST_F(RemoteMonitor, ProtocolSwitchThereAndBackAndTheServiceCode)
{
    testsupport::RemoteProgram run(home.path(), runtime.path());
    ASSERT_TRUE(run.Start());
    ASSERT_TRUE(run.Do("pickt Combo_SelectMode Monitor"));
    ASSERT_TRUE(run.Do("mousedown Radio_ComRS485"));
    ASSERT_TRUE(run.Do("text Combo_COM " + QString::fromStdString(bus.Path())));
    ASSERT_TRUE(run.Do("click OpenPort"));
    ASSERT_TRUE(run.WaitFor([&] { return run.TextOf("Label_InvProtocol") == "Vanto"; }, 15000));
    EXPECT_EQ(run.ColourOf("Label_InvProtocol"), kGreen);
    EXPECT_FALSE(run.Ask("get Image_SunVanto")["visible"].toBool());

    // To the standard protocol: the label turns red at the click, the inverter gets 802 := 5 and
    // the user is asked to check. The version group reads the protocol every tenth cycle; a
    // double-click on the inverter reads it at once, and the band then offers the way back.
    ASSERT_TRUE(run.Do("click Image_VantoSun"));
    EXPECT_EQ(run.ColourOf("Label_InvProtocol"), kRed);
    QStringList shown;
    ASSERT_TRUE(run.WaitFor([&] { shown << Dialogs(run); return !shown.isEmpty(); }, 15000));
    EXPECT_EQ(shown, QStringList{"Check Protocol Please"});
    EXPECT_EQ(bus.Holding(1, 802), 5);
    ASSERT_TRUE(run.Do("dblclick TreeView ID:001"));
    ASSERT_TRUE(run.WaitFor([&] { return run.TextOf("Label_InvProtocol") == "SunSpec"; }, 15000));
    EXPECT_EQ(run.ColourOf("Label_InvProtocol"), kGreen);
    EXPECT_TRUE(run.Ask("get Image_SunVanto")["visible"].toBool());
    EXPECT_FALSE(run.Ask("get Image_VantoSun")["visible"].toBool());

    ASSERT_TRUE(run.Do("click Image_SunVanto"));
    shown.clear();
    ASSERT_TRUE(run.WaitFor([&] { shown << Dialogs(run); return !shown.isEmpty(); }, 15000));
    EXPECT_EQ(shown, QStringList{"Check Protocol Please"});
    EXPECT_EQ(bus.Holding(1, 802), 0);
    ASSERT_TRUE(run.Do("dblclick TreeView ID:001"));
    ASSERT_TRUE(run.WaitFor([&] { return run.TextOf("Label_InvProtocol") == "Vanto"; }, 15000));
    EXPECT_TRUE(run.Ask("get Image_VantoSun")["visible"].toBool());

    // The grid-setting save refuses a wrong service code and writes nothing.
    bus.ClearFrames();
    ASSERT_TRUE(run.Do("answer 1111"));
    ASSERT_TRUE(run.Do("click Image_SaveGridSet"));
    shown.clear();
    ASSERT_TRUE(run.WaitFor([&] { shown << Dialogs(run); return shown.contains("Password Error"); }, 5000));
    EXPECT_EQ(shown, (QStringList{"Input Password Please", "Password Error"}));
    EXPECT_NE(run.ColourOf("Label_GridSetLog"), kRed);
    for (const auto& f : bus.Frames())
        EXPECT_TRUE((f.bytes[1] != 5 && f.bytes[1] != 6) ||
                    (f.bytes[2] << 8 | f.bytes[3]) == 799 || (f.bytes[2] << 8 | f.bytes[3]) == 800)
            << "a write to " << ((f.bytes[2] << 8 | f.bytes[3]) + 1);

    EXPECT_TRUE(run.Do("close"));
    EXPECT_TRUE(run.process.waitForFinished(15000));
}

} // namespace

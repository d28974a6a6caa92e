// The real program, driven through its remote user driver, on the status and country groups of
// the simulated demonstration inverter: the values as the tables give them, a setting on each
// page checked on the inverter's frame log, and a silent inverter's red "??".
#include "MonitorFixture.h"

#include "support/RemoteProgram.h"

#include <QJsonArray>

namespace {

using namespace monitortest;

const QString kBlue = "0xFF0000";
const QString kRed = "0x0000FF";

// Writes (function 5 or 6) the inverter received: register, value.
// The writes of commands: a reader's page select of register 800 or 801 is part of its read.
std::vector<std::pair<int, int>> WritesOf(const invsim::Bus& bus)
{
    std::vector<std::pair<int, int>> w;
    for (const auto& f : bus.Frames())
        if (f.bytes.size() == 8 && (f.bytes[1] == 5 || f.bytes[1] == 6) && (f.bytes[2] << 8 | f.bytes[3]) != 799
            && (f.bytes[2] << 8 | f.bytes[3]) != 800)
            w.push_back({(f.bytes[2] << 8 | f.bytes[3]) + 1, f.bytes[4] << 8 | f.bytes[5]});
    return w;
}

TEST_F(RemoteMonitor, StatusAndCountryGroupsOfTheDemonstrationInverter)
{
    testsupport::RemoteProgram run(home.path(), runtime.path());
    ASSERT_TRUE(run.Start());
    ASSERT_TRUE(run.Do("pickt Combo_SelectMode Monitor"));
    ASSERT_TRUE(run.Do("mousedown Radio_ComRS485"));
    ASSERT_TRUE(run.Do("text Combo_COM " + QString::fromStdString(bus.Path())));
    ASSERT_TRUE(run.Do("click OpenPort"));

    // The main page's status group, with the inverter's power unit (10 W) from the version group.
    // (The window answers between two requests of a reader: wait for the group's last label.)
    ASSERT_TRUE(run.WaitFor([&] { return run.TextOf("Label_WarningOccur") == "Lock"; }, 15000));
    const std::pair<const char*, const char*> shown[] = {
        {"Label_InvStatus", "On Grid(2)"}, {"Label_ReclosureT", "0 s"}, {"Label_WarningOccur", "Lock"},
        {"Label_MaxPower", "5,000 W"},
    };
    for (const auto& [name, text] : shown) {
        EXPECT_EQ(run.TextOf(name), text) << name;
        EXPECT_EQ(run.ColourOf(name), kBlue) << name;
    }
    EXPECT_TRUE(run.Ask("get Radio_RemoteON")["checked"].toBool());

    // Remote off, then grid unlock: the inverter gets the frames and the group follows it.
    ASSERT_TRUE(run.Do("mousedown Radio_RemoteOFF"));
    // (A click while the executor writes is lost with the command it replaces: the next
    // click waits for the group to read the coil back.)
    ASSERT_TRUE(run.WaitFor([&] {
        bool written = false, readAfter = false;
        for (const auto& f : bus.Frames()) {
            const int reg = (f.bytes[2] << 8 | f.bytes[3]) + 1;
            written = written || (f.bytes[1] == 5 && reg == 24576);
            readAfter = readAfter || (written && f.bytes[1] == 1 && reg == 24576);
        }
        return readAfter;
    }, 10000));
    ASSERT_TRUE(run.Do("click Btn_Unlock"));
    ASSERT_TRUE(run.WaitFor([&] { return run.TextOf("Label_WarningOccur").isEmpty(); }, 10000));
    const auto writes = WritesOf(bus);
    EXPECT_EQ(writes, (std::vector<std::pair<int, int>>{{24576, 0}, {25411, 1}, {48384, 1}}));

    // The grid-code page behind its access code: the country group with the mode's list.
    ASSERT_TRUE(run.Do("answer 4780"));
    ASSERT_TRUE(run.Do("tab PageControl 1"));
    ASSERT_TRUE(run.WaitFor([&] { return run.TextOf("Label_Baudrate") == "9600"; }, 15000));
    EXPECT_EQ(run.TextOf("Label_Country"), "Germany LV");
    EXPECT_EQ(run.TextOf("Label_ReclosureSet"), "60.00 sec");
    EXPECT_EQ(run.TextOf("Label_Baudrate"), "9600");
    const QJsonArray items = run.Ask("get Combo_Country")["items"].toArray();
    int austria = -1;
    for (int k = 0; k < items.size(); ++k)
        if (items[k].toString() == "Austria")
            austria = k;
    ASSERT_GE(austria, 0);
    ASSERT_TRUE(run.Do(QStringLiteral("pick Combo_Country %1").arg(austria)));
    ASSERT_TRUE(run.WaitFor([&] { return run.TextOf("Label_Country") == "Austria" && run.ColourOf("Label_Country") == kBlue; }, 10000));
    EXPECT_EQ(bus.Holding(1, 797), 8);

    // A silent inverter: the country group's values turn into red "??".
    invsim::Fault silence;
    silence.kind = invsim::FaultKind::Silence;
    bus.AddFault(1, silence);
    ASSERT_TRUE(run.WaitFor([&] { return run.ColourOf("Label_Country") == kRed; }, 20000));
    for (const char* name : {"Label_Country", "Label_ReclosureSet", "Label_InverterID"}) {
        EXPECT_EQ(run.TextOf(name), "??") << name;
        EXPECT_EQ(run.ColourOf(name), kRed) << name;
    }
    bus.ClearFaults(1);
    ASSERT_TRUE(run.WaitFor([&] { return run.TextOf("Label_Country") == "Austria"; }, 15000));
    EXPECT_TRUE(run.Do("close"));
    EXPECT_TRUE(run.process.waitForFinished(15000));
}

} // namespace

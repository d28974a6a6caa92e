// Monitoring over the Wi-Fi module: the simulated module on a loopback port behind
// SUNVANE_WIFI_ADDRESS, slave 255, the keep-alive write first in every cycle.
#include "MonitorFixture.h"

#include <algorithm>

#include "link/EnergyHistory.h"
#include "tools/invsim/TcpModule.h"

#include <QElapsedTimer>
#include <ctime>

namespace {

using namespace monitortest;

TEST_F(MonitorWindow, WifiLinkPollsTheModuleAndClosesItsConnection)
{
    invsim::TcpModule module;
    std::string error;
    ASSERT_TRUE(module.Start(0, &error)) << error;
    module.With([](invsim::Inverter& inv) { invsim::LoadDemoInverter(inv); });
    module.SetHolding(60515, 0);
    qputenv("SUNVANE_WIFI_ADDRESS", QByteArray("127.0.0.1:") + QByteArray::number(module.Port()));

    driver->PickText("Combo_SelectMode", "Monitor");
    driver->MouseDown("Radio_ComWifi");
    TForm_Main& w = *window;
    time.hook = [&] {
        if (w.PollCycleCount >= 1 && w.StopRequest == 0)
            driver->Click("ClosePort");
    };
    driver->Click("OpenPort");
    time.hook = nullptr;
    qputenv("SUNVANE_WIFI_ADDRESS", "127.0.0.1:9");

    EXPECT_EQ(w.Link.SlaveId, 255);
    EXPECT_EQ(Text("Label_VantoSN"), "SV5K20A123456");
    EXPECT_EQ(Text("Label_PacR"), "2800 W");
    EXPECT_EQ(module.Holding(60515), 0x55AA);
    const auto frames = module.Frames();
    ASSERT_GE(frames.size(), 8u);
    // Cycle 0: keep-alive, five version requests, coil and block, then the other groups of the
    // main page; cycle 1 starts with the keep-alive.
    const std::vector<std::uint8_t> keepAlive{0xFF, 0x06, 0xEC, 0x62, 0x55, 0xAA, 0xB6, 0x75};
    EXPECT_EQ(frames[0].bytes, keepAlive);
    EXPECT_NE(frames[6].bytes, keepAlive);
    const auto second = std::find_if(frames.begin() + 1, frames.end(), [&](const auto& f) { return f.bytes == keepAlive; });
    ASSERT_NE(second, frames.end());
    const std::size_t cycle0 = static_cast<std::size_t>(second - frames.begin());
    EXPECT_GT(cycle0, 8u);
    const std::vector<std::uint8_t> outputBlock{0xFF, 0x04, 0xBF, 0xFF, 0x00, 0x1E};
    EXPECT_EQ(std::count_if(frames.begin(), second, [&](const auto& f) {
        return std::vector<std::uint8_t>(f.bytes.begin(), f.bytes.begin() + 6) == outputBlock;
    }), 1);
    for (const auto& f : frames)
        EXPECT_EQ(f.bytes[0], 0xFF);
    EXPECT_TRUE(w.OpenPort->Enabled());
    EXPECT_TRUE(module.WaitForOpenConnections(0, 5000));
    EXPECT_TRUE(dialogs.shown.isEmpty()) << dialogs.shown.join("; ").toStdString();
    module.Stop();
}

// The clock button on the Wi-Fi link sets the module's inverter (slave 255) to the computer's
// local time, whatever inverters are remembered from RS-485, and says so once.
TEST_F(MonitorWindow, WifiClockSynchronisationSetsTheModulesInverter)
{
    invsim::TcpModule module;
    std::string error;
    ASSERT_TRUE(module.Start(0, &error)) << error;
    module.With([](invsim::Inverter& inv) {
        invsim::LoadDemoInverter(inv);
        inv.SetClock(1577836800, false);   // 2020/01/01, far from now
    });
    module.SetHolding(60515, 0);
    qputenv("SUNVANE_WIFI_ADDRESS", QByteArray("127.0.0.1:") + QByteArray::number(module.Port()));

    driver->PickText("Combo_SelectMode", "Monitor");
    driver->MouseDown("Radio_ComWifi");
    HideEveryGroup();   // only the keep-alive and the clock's writes on the link
    TForm_Main& w = *window;
    w.FoundIdList[0] = 1;   // an inverter remembered from RS-485 is not addressed on Wi-Fi
    w.FoundIdList[1] = 7;
    w.FoundIdList[256] = 1;
    int stage = 0;
    std::int64_t before = 0, after = 0;
    QElapsedTimer clock;
    clock.start();
    time.hook = [&] {
        if (w.StopRequest != 0)
            return;
        if (clock.elapsed() > 20000) {
            ADD_FAILURE() << "the clock synchronisation did not finish in time";
            driver->Click("ClosePort");
        } else if (stage == 0 && w.PollCycleCount >= 1) {
            before = std::time(nullptr);
            driver->Click("Image_SyncClock");
            stage = 1;
        } else if (stage == 1 && w.Link.CommandCode == 0 && w.PollCycleCount >= 3) {
            after = std::time(nullptr);
            driver->Click("ClosePort");
        }
    };
    driver->Click("OpenPort");
    time.hook = nullptr;
    qputenv("SUNVANE_WIFI_ADDRESS", "127.0.0.1:9");

    EXPECT_EQ(dialogs.TakeShown(), QStringList{"Sync Clock Done"});
    EXPECT_EQ(driver->Color("Label_SyncClock"), vcl::clGreen);
    std::uint32_t set = 0;
    module.With([&](invsim::Inverter& inv) { set = inv.Clock(); });
    EXPECT_GE(set, energy::LocalClockSeconds(before));
    EXPECT_LE(set, energy::LocalClockSeconds(after) + 1);
    for (const auto& f : module.Frames())
        EXPECT_EQ(f.bytes[0], 0xFF);
    module.Stop();
}

} // namespace

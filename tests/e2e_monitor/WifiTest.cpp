// Monitoring over the Wi-Fi module: the simulated module on a loopback port behind
// SUNVANE_WIFI_ADDRESS, slave 255, the keep-alive write first in every cycle.
#include "MonitorFixture.h"

#include <algorithm>

#include "tools/invsim/TcpModule.h"

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

} // namespace

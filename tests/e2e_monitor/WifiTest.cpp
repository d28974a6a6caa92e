// Monitoring over the Wi-Fi module: the simulated module on a loopback port behind
// SUNVANE_WIFI_ADDRESS, slave 255, the keep-alive write first in every cycle.
#include "MonitorFixture.h"

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
    ASSERT_GE(frames.size(), 9u);
    // Every cycle starts with the keep-alive: cycle 0 with the version requests, coil and block
    // (and the record panels of the page), then cycle 1.
    const std::vector<std::uint8_t> keepAlive{0xFF, 0x06, 0xEC, 0x62, 0x55, 0xAA, 0xB6, 0x75};
    EXPECT_EQ(frames[0].bytes, keepAlive);
    EXPECT_GE(std::count_if(frames.begin() + 1, frames.end(), [&](const auto& f) { return f.bytes == keepAlive; }), 1);
    for (const auto& f : frames)
        EXPECT_EQ(f.bytes[0], 0xFF);
    EXPECT_TRUE(w.OpenPort->Enabled());
    EXPECT_TRUE(module.WaitForOpenConnections(0, 5000));
    EXPECT_TRUE(dialogs.shown.isEmpty()) << dialogs.shown.join("; ").toStdString();
    module.Stop();
}

} // namespace

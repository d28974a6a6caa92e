// Which link opens: the one chosen when Open was clicked. A link button clicked while the link
// closes only chooses the next Open's link. And a Wi-Fi module nobody listens for says so once.
#include "MonitorFixture.h"

#include "tools/invsim/TcpModule.h"

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

using namespace monitortest;

// A loopback port nothing listens on: bound once by the system's choice, then given up.
int FreeLoopbackPort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t n = sizeof a;
    int port = 0;
    if (fd >= 0 && ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 &&
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &n) == 0)
        port = ntohs(a.sin_port);
    if (fd >= 0)
        ::close(fd);
    return port;
}

struct Switch {
    const char* mode;
    const char* from;   // the link open
    const char* to;     // the link button clicked right after Close
};

int LinkTypeOf(const char* radio)
{
    const QByteArray r(radio);
    return r == "Radio_ComWifi" ? LinkWifi : r == "Radio_ComRS485" ? LinkRs485 : LinkSub1g;
}

class LinkChoice : public MonitorWindow, public ::testing::WithParamInterface<Switch> {
protected:
    void SetUp() override
    {
        MonitorWindow::SetUp();
        if (HasFatalFailure())
            return;
        std::string error;
        ASSERT_TRUE(module.Start(0, &error)) << error;
        module.With([](invsim::Inverter& inv) { invsim::LoadDemoInverter(inv); });
        qputenv("SUNVANE_WIFI_ADDRESS", QByteArray("127.0.0.1:") + QByteArray::number(module.Port()));
    }
    void TearDown() override
    {
        qputenv("SUNVANE_WIFI_ADDRESS", "127.0.0.1:9");
        MonitorWindow::TearDown();
        module.Stop();
    }
    invsim::TcpModule module;
};

// Close and then another link button, both clicked while the loop is still in its wait (as a
// quick hand does): the link closes, and nothing is opened until the next Open, which opens
// the link then chosen.
TEST_P(LinkChoice, ALinkChosenWhileClosingWaitsForTheNextOpen)
{
    const Switch s = GetParam();
    TForm_Main& w = *window;
    Prepare(s.mode);
    driver->MouseDown(QString::fromLatin1(s.from));
    bool clicked = false;
    time.hook = [&] {
        if (clicked || w.PollCycleCount < 1)
            return;
        clicked = true;
        driver->Click("ClosePort");
        driver->MouseDown(QString::fromLatin1(s.to));
    };
    driver->Click("OpenPort");
    time.hook = nullptr;
    const std::size_t busFrames = bus.Frames().size();
    const std::size_t moduleFrames = module.Frames().size();
    const int accepted = module.Accepted();

    ASSERT_TRUE(clicked);
    EXPECT_TRUE(w.OpenPort->Enabled());
    EXPECT_FALSE(w.ClosePort->Enabled());
    EXPECT_EQ(w.Link.LinkType, LinkTypeOf(s.from)) << "another link was opened after the one closed";
    EXPECT_FALSE(w.Link.Com.IsOpen()) << "a port is open with no Open clicked";
    EXPECT_FALSE(w.Link.Tcp.Connected(KivClient::kLinkSlot)) << "a connection is open with no Open clicked";
    EXPECT_TRUE(driver->Checked(QString::fromLatin1(s.to)));

    // The next Open opens the link chosen (closed again as soon as it polls).
    bool opened = false;
    time.hook = [&] {
        if (!w.PollRunning || w.StopRequest != 0)
            return;
        opened = opened || (w.Link.LinkType == LinkTypeOf(s.to) && (w.Link.LinkType == LinkWifi || w.Link.Com.IsOpen()));
        if (w.PollCycleCount >= 1 || (opened && w.Link.LinkType == LinkSub1g))
            driver->Click("ClosePort");
    };
    driver->Click("OpenPort");
    time.hook = nullptr;
    EXPECT_TRUE(opened) << "the link chosen was not opened";
    if (LinkTypeOf(s.to) == LinkRs485) {
        EXPECT_GT(bus.Frames().size(), busFrames) << "the bus was not polled";
    }
    if (LinkTypeOf(s.to) == LinkWifi) {
        EXPECT_GT(module.Frames().size(), moduleFrames) << "the module was not polled";
    }
    EXPECT_GE(module.Accepted(), accepted);
    EXPECT_TRUE(w.OpenPort->Enabled());
}

INSTANTIATE_TEST_SUITE_P(Switches, LinkChoice,
                         ::testing::Values(Switch{"Monitor", "Radio_ComWifi", "Radio_ComRS485"},
                                           Switch{"SuperHero", "Radio_ComRS485", "Radio_ComSub1g"}),
                         [](const ::testing::TestParamInfo<Switch>& info) {
                             return std::string(info.param.from + 9) + "To" + (info.param.to + 9);
                         });

// A module address with nothing listening: the user is told once, with the address, while the
// loop goes on trying; status panel 4 shows the link's state.
TEST_F(MonitorWindow, AWifiModuleThatCannotBeReachedIsSaidOnceWithItsAddress)
{
    TForm_Main& w = *window;
    const int port = FreeLoopbackPort();
    ASSERT_GT(port, 0);
    qputenv("SUNVANE_WIFI_ADDRESS", QByteArray("127.0.0.1:") + QByteArray::number(port));
    driver->PickText("Combo_SelectMode", "Monitor");
    driver->MouseDown("Radio_ComWifi");
    QString status;
    time.hook = [&] {
        if (w.Link.ConnectErrors >= 6 && w.StopRequest == 0) {
            status = w.StatusText(4);
            driver->Click("ClosePort");
        }
    };
    driver->Click("OpenPort");
    time.hook = nullptr;
    qputenv("SUNVANE_WIFI_ADDRESS", "127.0.0.1:9");

    const QString said = QStringLiteral("Wi-Fi module at 127.0.0.1:%1 cannot be reached").arg(port);
    EXPECT_EQ(dialogs.shown, QStringList{said});
    EXPECT_EQ(status, "Wi-Fi No Connection");
    EXPECT_EQ(w.StatusText(4), "Wi-Fi Close");
    EXPECT_TRUE(w.OpenPort->Enabled());

    // Each Open says it again, once.
    dialogs.shown.clear();
    qputenv("SUNVANE_WIFI_ADDRESS", QByteArray("127.0.0.1:") + QByteArray::number(port));
    time.hook = [&] {
        if (w.Link.ConnectErrors >= 3 && w.StopRequest == 0)
            driver->Click("ClosePort");
    };
    driver->Click("OpenPort");
    time.hook = nullptr;
    qputenv("SUNVANE_WIFI_ADDRESS", "127.0.0.1:9");
    EXPECT_EQ(dialogs.shown, QStringList{said});
}

// AC layout 2 (the grid-tied mode's three AC phase panels): the main page's total output power
// is the inverter's.
TEST_F(MonitorWindow, TotalOutputPowerIsShownInAcLayoutTwo)
{
    TForm_Main& w = *window;
    bus.SetInput(1, 49152, 1234);
    Prepare("GridTied");
    ASSERT_EQ(w.AcLayout, 2);
    ASSERT_TRUE(w.GroupPanel("Group_GetAC1")->Visible());
    ASSERT_TRUE(w.GroupPanel("Group_TotalPower")->Visible());
    OpenWithoutLoop();
    for (int cycle = 0; cycle < 2; ++cycle)
        ASSERT_EQ(w.PollCycle(), 0);
    ASSERT_TRUE(w.ScaleFactorsKnown);
    EXPECT_EQ(Text("Label_TotalOutputPower"), QString::number(1234 * w.PowerMultiplier) + " W");
}

} // namespace

// The picture buttons of the header band in the real window against three simulated inverters:
// the protocol switch to one inverter or to every one found (and a failing line), the label it
// marks, and the buttons that post their commands behind the service code.
#include "CommandsWindow.h"

#include <QCoreApplication>
#include <QEnterEvent>
#include <QEvent>

namespace {

using namespace commandstest;

constexpr int kProtocol = 802;

class HeaderBand : public CommandsWindow {
protected:
    void SetUp() override
    {
        CommandsWindow::SetUp();
        if (HasFatalFailure())
            return;
        Prepare();
        OpenWithThreeFound();
        HideEveryGroup();
        window->Link.SlaveId = 3;   // the current inverter (chosen by a double-click)
        window->Link.SetBaudCode(1);
        for (int id : {1, 3, 12})
            bus.SetHolding(id, kProtocol, 0);
    }
    std::uint16_t Protocol(int id) { return bus.Holding(id, kProtocol).value_or(0xFFFF); }
};

TEST_F(HeaderBand, ProtocolSwitchToTheCurrentInverterOnlyWithSingle)
{
    TForm_Main& w = *window;
    ASSERT_TRUE(w.Radio_SendSingle->Checked());
    driver->Click("Image_VantoSun");
    EXPECT_EQ(w.Link.CommandCode, 800);
    EXPECT_EQ(driver->Color("Label_InvProtocol"), vcl::clRed);
    ASSERT_EQ(w.PollCycle(), 0);
    EXPECT_EQ(Writes(), (std::vector<Write>{{3, 9600, kProtocol, 5}}));
    EXPECT_EQ(Protocol(3), 5);
    EXPECT_EQ(Protocol(1), 0);
    EXPECT_EQ(dialogs.TakeShown(), QStringList{"Check Protocol Please"});
    EXPECT_EQ(w.Link.CommandCode, 0);
    EXPECT_EQ(w.Link.SlaveId, 3);

    // The version group now offers the way back, and the label reads the new protocol.
    w.GroupPanel("Group_Version")->SetVisible(true);
    w.PollCycleCount = 0;
    ASSERT_EQ(w.PollCycle(), 0);
    EXPECT_EQ(Text("Label_InvProtocol"), "SunSpec");
    EXPECT_EQ(driver->Color("Label_InvProtocol"), vcl::clGreen);
    EXPECT_TRUE(driver->Visible("Image_SunVanto"));
    EXPECT_FALSE(driver->Visible("Image_VantoSun"));
    HideEveryGroup();
    bus.ClearFrames();
    driver->Click("Image_SunVanto");
    EXPECT_EQ(w.Link.CommandCode, 801);
    EXPECT_EQ(driver->Color("Label_InvProtocol"), vcl::clRed);
    ASSERT_EQ(w.PollCycle(), 0);
    EXPECT_EQ(Writes(), (std::vector<Write>{{3, 9600, kProtocol, 0}}));
    EXPECT_EQ(dialogs.TakeShown(), QStringList{"Check Protocol Please"});
}

TEST_F(HeaderBand, ProtocolSwitchToEveryInverterFoundWithBroadcast)
{
    TForm_Main& w = *window;
    driver->MouseDown("Radio_CmdBroadcast");
    driver->Click("Image_VantoSun");
    ASSERT_EQ(w.PollCycle(), 0);
    EXPECT_EQ(Writes(), (std::vector<Write>{{1, 9600, kProtocol, 5}, {3, 9600, kProtocol, 5}, {12, 38400, kProtocol, 5}}));
    for (int id : {1, 3, 12})
        EXPECT_EQ(Protocol(id), 5) << id;
    EXPECT_EQ(dialogs.TakeShown(), QStringList{"Check Protocol Please"});
    // The current inverter and its rate come back.
    EXPECT_EQ(w.Link.SlaveId, 3);
    EXPECT_EQ(w.Link.Com.BaudRate, 9600);

    // Under the write lock nothing is written.
    bus.ClearFrames();
    w.WriteLock = 1;
    driver->Click("Image_VantoSun");
    ASSERT_EQ(w.PollCycle(), 0);
    EXPECT_TRUE(Writes().empty());
    EXPECT_EQ(dialogs.TakeShown(), QStringList{"Lock: Permission denied"});
}

// A line that fails on the second inverter ends polling there: the third gets nothing, no
// message claims success (the one shown says the command was left undone), and the failing
// inverter stays the selected one.
TEST_F(HeaderBand, AFailingInverterEndsTheBroadcastAndStaysSelected)
{
    TForm_Main& w = *window;
    driver->MouseDown("Radio_CmdBroadcast");
    invsim::Fault hangup;
    hangup.kind = invsim::FaultKind::Hangup;
    hangup.times = 1;
    bus.AddFault(3, hangup);
    w.Link.SlaveId = 12;
    w.Link.SetBaudCode(3);
    // Only the picture the version group shows can be clicked.
    EXPECT_THROW(driver->Click("Image_SunVanto"), vcl::DriverError);
    EXPECT_EQ(w.Link.CommandCode, 0);
    w.Image_SunVanto->SetVisible(true);
    driver->Click("Image_SunVanto");
    EXPECT_EQ(w.PollCycle(), 1);
    const auto writes = Writes();
    ASSERT_GE(writes.size(), 1u);
    EXPECT_EQ(writes[0], (Write{1, 9600, kProtocol, 0}));
    for (const Write& x : writes)
        EXPECT_NE(x.id, 12);
    EXPECT_EQ(w.Link.SlaveId, 3);
    EXPECT_EQ(dialogs.TakeShown(), QStringList{"Link lost: the command was stopped before it completed"});
}

TEST_F(HeaderBand, PointingAtTheProtocolPictureMarksItsLabel)
{
    TForm_Main& w = *window;
    for (const char* name : {"Image_VantoSun", "Image_SunVanto"}) {
        auto* image = dynamic_cast<vcl::TControl*>(w.FindComponent(QString::fromLatin1(name)));
        ASSERT_NE(image, nullptr);
        QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
        QCoreApplication::sendEvent(image->Handle(), &enter);
        EXPECT_EQ(w.Label_InvProtocol->Font()->Style(), vcl::fsBold) << name;
        QEvent leave(QEvent::Leave);
        QCoreApplication::sendEvent(image->Handle(), &leave);
        EXPECT_EQ(w.Label_InvProtocol->Font()->Style(), 0u) << name;
    }
}

// The grid-setting pictures post only behind one of the service codes; the designer mode and a
// code typed before need no question. The repair button of its panel posts its command.
TEST_F(HeaderBand, GridSettingButtonsPostBehindTheServiceCode)
{
    TForm_Main& w = *window;
    struct Case {
        const char* picture;
        const char* typed;   // nullptr: no question expected
        QStringList shown;
        int posted;
    };
    const Case cases[] = {
        {"Image_SaveGridSet", "1234", {"Password Error"}, 0},
        {"Image_OpenGridSet", "Cancel", {"Password Error"}, 0},
        {"Image_SaveGridSet", "4780", {}, 420},
        {"Image_OpenGridSet", nullptr, {}, 421},   // the code typed before is remembered
    };
    for (const Case& c : cases) {
        w.Link.CommandCode = 0;
        dialogs.prompts.clear();
        if (c.typed)
            dialogs.answers.push_back(QString::fromLatin1(c.typed));
        driver->Click(QString::fromLatin1(c.picture));
        EXPECT_EQ(dialogs.TakeShown(), c.shown) << c.picture << " " << (c.typed ? c.typed : "-");
        EXPECT_EQ(dialogs.prompts.size(), c.typed ? 1 : 0) << c.picture;
        EXPECT_EQ(w.Link.CommandCode, c.posted) << c.picture << " " << (c.typed ? c.typed : "-");
    }

    PickModeWhileOpen("SuperHero");   // forgets the code, needs none
    dialogs.prompts.clear();
    w.Link.CommandCode = 0;
    driver->Click("Image_SaveGridSet");
    EXPECT_EQ(w.Link.CommandCode, 420);
    EXPECT_TRUE(dialogs.prompts.isEmpty());

    ShowPoll("Group_OnSiteRepair");
    EXPECT_EQ(Text("Btn_OnSiteRepair"), "RUN");
    driver->Click("Btn_OnSiteRepair");
    EXPECT_EQ(w.Link.CommandCode, 440);
}

} // namespace

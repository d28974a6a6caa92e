// The grid-setting save and load as the executor runs them inside the polling loop of the real
// window: the access code, the wait window over a responsive main window, the selection put
// back, a cancelled open dialog.
#include "e2e_monitor/MonitorFixture.h"

#include "app/Formwait.h"

#include <QFile>

namespace {

using namespace monitortest;

class GridCommands : public MonitorHomeWindow {
protected:
    void SetUp() override
    {
        MonitorHomeWindow::SetUp();
        if (HasFatalFailure())
            return;
        const QString prev = home.path() + "/profile/PreviousSet.RQX";
        ASSERT_TRUE(ReplaceInFile(prev, "\nID1=1", "\nID1=0"));
        ASSERT_TRUE(ReplaceInFile(prev, "\nID5=0", "\nID5=1"));
        ASSERT_TRUE(ReplaceInFile(prev, "\nID7=0", "\nID7=1"));
        vcl::SetTimeService(&time);
        std::string error;
        ASSERT_TRUE(bus.Start(&error)) << error;
        time.settle = [this] { bus.WaitIdle(5000); };
        for (int id : {5, 7})
            bus.With(id, [](invsim::Inverter& inv) { invsim::LoadDemoInverter(inv); });
        wait = std::make_unique<TForm_wait>();
        OpenWindow();
        driver->PickText("Combo_SelectMode", "Monitor");
        driver->MouseDown("Radio_ComRS485");
        driver->Type("Combo_COM", QString::fromStdString(bus.Path()));
    }
    void TearDown() override
    {
        time.hook = nullptr;
        time.settle = nullptr;
        window.reset();
        wait.reset();
        bus.Stop();
        MonitorHomeWindow::TearDown();
    }
    int Writes() const
    {
        int n = 0;
        for (const auto& f : bus.Frames())
            n += f.bytes.size() == 8 && f.bytes[1] == 6 && (f.bytes[2] << 8 | f.bytes[3]) + 1 >= 33000;
        return n;
    }

    HookedTime time;
    invsim::Bus bus;
    std::unique_ptr<TForm_wait> wait;
};

TEST_F(GridCommands, TheSaveRunsBehindTheWaitWindowAndPutsTheSelectionBack)
{
    TForm_Main& w = *window;
    enum { Polling, Refused, Saving, Saved } stage = Polling;
    bool waitShownDuringDump = false;
    int ticksBefore = 0, ticksDuring = 0;
    time.hook = [&] {
        if (stage == Polling && w.PollCycleCount >= 1) {
            // A wrong code posts nothing.
            dialogs.answers.push_back("1111");
            driver->Click("Image_SaveGridSet");
            EXPECT_EQ(w.Link.CommandCode, 0);
            stage = Refused;
            dialogs.answers.push_back("4780");
            driver->Click("Image_SaveGridSet");
            EXPECT_EQ(w.Link.CommandCode, CmdSaveGridSettings);
            ticksBefore = TForm_wait::TickCount();
            stage = Saving;
        } else if (stage == Saving && w.Link.CommandCode == CmdSaveGridSettings && w.Link.SlaveId == 7) {
            waitShownDuringDump = waitShownDuringDump || wait->Visible();
            ticksDuring = TForm_wait::TickCount() - ticksBefore;
            EXPECT_EQ(driver->Color("Label_GridSetLog"), vcl::clRed);
        } else if (stage == Saving && dialogs.shown.contains("Done")) {
            stage = Saved;
            driver->Click("ClosePort");
        }
    };
    driver->Click("OpenPort");
    time.hook = nullptr;
    ASSERT_EQ(stage, Saved);
    EXPECT_EQ(dialogs.shown, (QStringList{"Password Error", "Done"}));
    EXPECT_TRUE(waitShownDuringDump);
    EXPECT_GE(ticksDuring, 1) << "the window's timers run while the dump waits for replies";
    EXPECT_FALSE(wait->Visible());
    EXPECT_EQ(driver->Color("Label_GridSetLog"), vcl::clGreen);
    EXPECT_EQ(w.Link.SlaveId, 5) << "the inverter current before is selected again";
    EXPECT_TRUE(QFile::exists(home.path() + "/ConfigLog/Config_ID5.csv"));
    EXPECT_TRUE(QFile::exists(home.path() + "/ConfigLog/Config_ID7.csv"));
    QFile dump(home.path() + "/ConfigLog/Config_ID7.csv");
    ASSERT_TRUE(dump.open(QIODevice::ReadOnly));
    const QByteArray text = dump.readAll();
    EXPECT_TRUE(text.startsWith("Name,Address,Default\r\n")) << text.toStdString();
    EXPECT_FALSE(text.contains("Error")) << text.toStdString();
}

TEST_F(GridCommands, ACancelledOpenDialogSendsNothing)
{
    TForm_Main& w = *window;
    bool posted = false, over = false;
    time.hook = [&] {
        if (!posted && w.PollCycleCount >= 1) {
            posted = true;
            dialogs.answers.push_back("4780");
            driver->Click("Image_OpenGridSet");
            EXPECT_EQ(w.Link.CommandCode, CmdLoadGridSettings);
        } else if (posted && !over && w.Link.CommandCode == 0 && w.PollCycleCount >= 3) {
            over = true;
            driver->Click("ClosePort");
        }
    };
    driver->Click("OpenPort");
    time.hook = nullptr;
    ASSERT_TRUE(over);
    EXPECT_EQ(Writes(), 0);
    EXPECT_TRUE(dialogs.shown.isEmpty()) << dialogs.shown.join("; ").toStdString();
    EXPECT_FALSE(wait->Visible());
    EXPECT_EQ(w.Link.SlaveId, 5);
}

} // namespace

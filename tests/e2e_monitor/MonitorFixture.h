// The real main window (offscreen) on a temporary program folder, a simulated inverter on a
// pseudo-terminal, scripted dialogs, and a clock whose pump lets a test act from inside the
// polling loop, as the user's events arrive inside it.
#pragma once

#include "app/Main.h"
#include "support/Dialogs.h"
#include "support/HookedTime.h"
#include "support/ProgramFolder.h"
#include "support/QtApp.h"
#include "tools/invsim/Bus.h"
#include "tools/invsim/Demo.h"
#include "vcl/Services.h"
#include "vcl/UserDriver.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

namespace monitortest {

using testsupport::CopyTree;
using testsupport::ReplaceInFile;
using testsupport::ScriptedDialogs;
using testsupport::HookedTime;

inline void EnsureApp() { testsupport::EnsureApplication(); }

// A program folder with the mode "Monitor": the grid-tied layouts (page 0 shows Version,
// Output 1 to 3 and Total Power) read by the output reader (AC layout 0), and inverter ID 1
// remembered as found at 9600 bit/s.
inline bool MakeMonitorHome(const QString& home)
{
    return testsupport::CopyProgramFolder(home) &&
           CopyTree(home + "/GridTied", home + "/Monitor") &&
           ReplaceInFile(home + "/Monitor/MonitorSet.RQX", "ShowAcMode=2", "ShowAcMode=0") &&
           ReplaceInFile(home + "/profile/PreviousSet.RQX", "\nID1=0", "\nID1=1");
}

// The main window (offscreen) on a program folder with the mode "Monitor" and the scripted
// dialogs. A subclass installs its clock and whatever the window talks to, then OpenWindow().
class MonitorHomeWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        EnsureApp();
        ASSERT_TRUE(home.isValid());
        ASSERT_TRUE(MakeMonitorHome(home.path()));
        qputenv("SUNVANE_HOME", home.path().toUtf8());
        qputenv("SUNVANE_INSTANCE_DIR", lockDir.path().toUtf8());
        vcl::SetDialogService(&dialogs);
    }
    // Creates and shows the window (its start-up runs) and a user driver for it.
    void OpenWindow()
    {
        window = std::make_unique<TForm_Main>();
        ASSERT_FALSE(window->InstanceRefused());
        window->Show();
        driver = std::make_unique<vcl::UserDriver>(window.get());
    }
    void TearDown() override
    {
        window.reset();
        vcl::SetTimeService(nullptr);
        vcl::SetDialogService(nullptr);
        qunsetenv("SUNVANE_HOME");
        qunsetenv("SUNVANE_INSTANCE_DIR");
    }

    QTemporaryDir home;
    QTemporaryDir lockDir;
    ScriptedDialogs dialogs;
    std::unique_ptr<TForm_Main> window;
    std::unique_ptr<vcl::UserDriver> driver;
};

// The window on the "Monitor" folder with the demonstration inverter as ID 1 on a simulated bus
// and the real-time hooked clock.
class MonitorWindow : public MonitorHomeWindow {
protected:
    void SetUp() override
    {
        MonitorHomeWindow::SetUp();
        if (HasFatalFailure())
            return;
        vcl::SetTimeService(&time);
        std::string error;
        ASSERT_TRUE(bus.Start(&error)) << error;
        time.settle = SettleOnBus();
        bus.With(1, [](invsim::Inverter& inv) { invsim::LoadDemoInverter(inv); });
        OpenWindow();
    }
    void TearDown() override
    {
        time.hook = nullptr;
        time.settle = nullptr;
        window.reset();
        bus.Stop();
        MonitorHomeWindow::TearDown();
    }
    // A clock's settle step: the wait goes on until the simulator has answered what the program
    // sent (a stuck simulator is given up on after a few seconds, and the program sees no reply).
    std::function<void()> SettleOnBus()
    {
        return [this] { bus.WaitIdle(5000); };
    }
    // Mode chosen, RS-485 with the simulator's port: ready for the open button.
    void Prepare(const char* mode = "Monitor")
    {
        driver->PickText("Combo_SelectMode", QString::fromLatin1(mode));
        driver->MouseDown("Radio_ComRS485");
        driver->Type("Combo_COM", QString::fromStdString(bus.Path()));
    }
    // The link opened as the open button does it, without starting the loop (for single cycles).
    void OpenWithoutLoop()
    {
        TForm_Main& w = *window;
        ASSERT_EQ(w.Link.OpenCom(QString::fromStdString(bus.Path())), 0);
        w.Link.LinkType = LinkRs485;
        w.Link.ResetLinkCounters();
        w.Link.ClearStop();   // a new link is not stopped by the Close of the one before
        w.ExeSelectInv(0);
        w.StopRequest = 0;
        w.PollCycleCount = 0;   // as the loop's start sets it
        w.ScaleFactorsKnown = false;
        w.OpenPort->SetEnabled(false);
        w.ClosePort->SetEnabled(true);
        ASSERT_EQ(w.Link.SlaveId, 1);
    }
    // Requests of the frames received for a register (1-based) and function code.
    int RequestsFor(int reg, int fc, int id = 1) const
    {
        int n = 0;
        for (const auto& f : bus.Frames())
            if (f.bytes.size() >= 4 && f.bytes[0] == id && f.bytes[1] == fc && (f.bytes[2] << 8 | f.bytes[3]) == reg - 1)
                ++n;
        return n;
    }
    // One polling cycle: (function code, register) of the requests it sent, in their order.
    using Asked = std::vector<std::pair<int, int>>;
    Asked AskedInACycle()
    {
        bus.ClearFrames();
        EXPECT_EQ(window->PollCycle(), 0);
        Asked asked;
        for (const auto& f : bus.Frames())
            asked.emplace_back(f.bytes[1], (f.bytes[2] << 8 | f.bytes[3]) + 1);
        return asked;
    }
    void HideEveryGroup()
    {
        for (vcl::TPanel* p : window->GroupPanels)
            p->SetVisible(false);
    }
    QString Text(const char* name) const { return driver->Text(QString::fromLatin1(name)); }

    HookedTime time;
    invsim::Bus bus;
};

// The real program (started and driven from outside, see testsupport::RemoteProgram) on a
// program folder with the mode "Monitor" (home; runtime for its lock and driver socket), and
// the demonstration inverter as ID 1 on a simulated bus.
class RemoteMonitor : public ::testing::Test {
protected:
    void SetUp() override
    {
        testsupport::EnsureCoreApplication();
        ASSERT_TRUE(home.isValid() && runtime.isValid());
        ASSERT_TRUE(MakeMonitorHome(home.path()));
        std::string error;
        ASSERT_TRUE(bus.Start(&error)) << error;
        bus.With(1, [](invsim::Inverter& inv) { invsim::LoadDemoInverter(inv); });
    }
    void TearDown() override { bus.Stop(); }

    QTemporaryDir home;
    QTemporaryDir runtime;
    invsim::Bus bus;
};

} // namespace monitortest

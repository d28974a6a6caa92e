// The real main window (offscreen) on the "Monitor" folder with three simulated inverters on
// one bus (IDs 1, 3 and 12), a faster clock whose pumps run the test's hook, and the writes the
// inverters received.
#pragma once

#include "CommandsSupport.h"
#include "tests/e2e_monitor/MonitorFixture.h"

#include <QElapsedTimer>
#include <functional>

namespace commandstest {

using namespace monitortest;

// A faster clock (the link's waits and the blocking pauses shortened) whose every pump also runs
// the test's hook, as the user's events arrive inside the polling loop. Pauses are recorded.
class FastHookedTime : public testsupport::HookedScaledTime {
public:
    FastHookedTime() : testsupport::HookedScaledTime(0.4) {}
    std::vector<int> sleeps;
    std::function<void(int)> onSleep;
    void Sleep(int ms) override
    {
        sleeps.push_back(ms);
        if (onSleep)
            onSleep(ms);
        testsupport::HookedScaledTime::Sleep(ms);
    }
};

// A write (function 5 or 6) received: id, line rate, register, value.
struct Write {
    int id, baud, reg, value;
    bool operator==(const Write&) const = default;
};

inline void PrintTo(const Write& w, std::ostream* os)
{
    *os << "{id " << w.id << " @" << w.baud << " reg " << w.reg << " = " << w.value << "}";
}

class CommandsWindow : public MonitorWindow {
protected:
    void SetUp() override
    {
        MonitorWindow::SetUp();
        vcl::SetTimeService(&fast);
        fast.settle = SettleOnBus();
        for (auto [id, baud] : {std::pair{3, 9600}, std::pair{12, 38400}}) {
            bus.AddInverter(id, baud);
            bus.With(id, [id = id](invsim::Inverter& inv) {
                invsim::LoadDemoInverter(inv);
                inv.SetProductId(static_cast<std::uint32_t>(1000 + id));
            });
        }
        for (int id : {1, 3, 12}) {
            bus.SetHolding(id, 100, 0xFFFF);
            bus.SetHolding(id, 101, 0);
            bus.SetCoil(id, 24577, false);
        }
    }
    void TearDown() override
    {
        fast.hook = nullptr;
        fast.onSleep = nullptr;
        fast.settle = nullptr;
        MonitorWindow::TearDown();
    }
    // A deadline for a scripted loop, counted from clock.start() in real time and in the
    // program's time (a loaded machine stretches the waits, not the deadline): past it the user
    // closes the link and the test fails.
    bool Overdue(int ms)
    {
        if (programStartUs < 0)
            programStartUs = fast.ProgramUs();
        if (clock.elapsed() < ms || (fast.ProgramUs() - programStartUs < 1000LL * ms && clock.elapsed() < 5LL * ms))
            return false;
        if (window->StopRequest == 0) {
            ADD_FAILURE() << "the script did not finish in time";
            driver->Click("ClosePort");
        }
        return true;
    }
    // Shows a poll group on the main page, expanded.
    void ShowPoll(const char* name)
    {
        vcl::TPanel* p = window->GroupPanel(QString::fromLatin1(name));
        p->SetParent(window->ScrollPages[0]);
        p->SetHeight(p->Tag());
        p->SetVisible(true);
    }
    void SetRow(const QString& suffix, int type, const QString& address)
    {
        driver->Pick("Combo_PollType" + suffix, type);
        driver->Type("Edit_PollAddr" + suffix, address);
    }
    // The link opened on the simulator with inverters 1, 3 and 12 found (as a scan leaves them).
    void OpenWithThreeFound()
    {
        OpenWithoutLoop();
        TForm_Main& w = *window;
        for (auto [id, code] : {std::pair{1, 1}, std::pair{3, 1}, std::pair{12, 3}}) {
            w.Link.IdFound[id] = id;
            w.Link.IdBaudCode[id] = code;
        }
        BuildFoundIdList(w.FoundIdList, w.Link.IdFound, w.Link.IdBaudCode);
        w.BuildIdTree();
        bus.ClearFrames();
        fast.sleeps.clear();
    }
    // The user picks another mode while the link is open: the polling loop carries on in it
    // (here the user closes the link after its first cycle), then the link is opened again as
    // the single-cycle tests have it.
    void PickModeWhileOpen(const char* mode)
    {
        TForm_Main& w = *window;
        ASSERT_FALSE(w.OpenPort->Enabled());
        fast.hook = [&w, this] {
            if (w.PollRunning && w.PollCycleCount >= 1 && w.StopRequest == 0)
                driver->Click("ClosePort");
        };
        driver->PickText("Combo_SelectMode", QString::fromLatin1(mode));
        fast.hook = nullptr;
        ASSERT_FALSE(w.PollRunning);
        ASSERT_TRUE(w.OpenPort->Enabled());
        OpenWithThreeFound();
    }
    std::vector<Write> Writes() const
    {
        std::vector<Write> w;
        for (const auto& f : bus.Frames())
            if (f.bytes.size() == 8 && (f.bytes[1] == 5 || f.bytes[1] == 6))
                w.push_back({f.bytes[0], f.baud, (f.bytes[2] << 8 | f.bytes[3]) + 1, f.bytes[4] << 8 | f.bytes[5]});
        return w;
    }

    FastHookedTime fast;
    QElapsedTimer clock;
    std::int64_t programStartUs = -1;   // the program's time at the first look at the deadline
};

} // namespace commandstest

// A recording host, a controllable clock and a link opened on a simulated bus.
#pragma once

#include "link/LinkHost.h"
#include "link/Modbus.h"
#include "tools/invsim/Bus.h"
#include "vcl/Services.h"

#include <QStringList>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <thread>
#include <vector>
#include <gtest/gtest.h>

namespace linktest {

constexpr std::uint32_t clBlue = 0xFF0000;
constexpr std::uint32_t clRed = 0x0000FF;
constexpr std::uint32_t clBlack = 0x000000;

struct RecordingPane : LogPane {
    QStringList lines;
    QList<LogColour> colours;
    int scrolls = 0;
    int LineCount() const override { return static_cast<int>(lines.size()); }
    void Clear() override { lines.clear(); colours.clear(); }
    void AddLine(const QString& text, LogColour colour) override { lines << text; colours << colour; }
    void ScrollToEnd() override { ++scrolls; }
};

// A window in miniature: a few labels with their colours, the status bar, the log, messages.
struct RecordingHost : LinkHost {
    struct Label { QString text; std::uint32_t colour; };
    std::vector<Label> labels{{"230.1 V", clBlue}, {"Output", clBlack}, {"0.95", clRed}, {"50.00 Hz", clBlue}};
    std::map<int, QString> panels;
    std::map<int, int> panelWrites;
    int staleCalls = 0;
    int recoverCalls = 0;
    QStringList messages;
    RecordingPane pane;
    bool debugOpen = false;
    int pumps = 0;
    std::function<void()> onPump;

    void Pump() override { ++pumps; if (onPump) onPump(); }
    void SetStatusPanel(int index, const QString& text) override { panels[index] = text; ++panelWrites[index]; }
    void MarkStale() override
    {
        ++staleCalls;
        for (auto& l : labels)
            if (l.colour == clBlue)
                l = {"??", clRed};
    }
    void RecoverStale() override
    {
        ++recoverCalls;
        for (auto& l : labels)
            if (l.colour == clRed)
                l = {"??", clBlue};
    }
    LogPane* EventLog() override { return &pane; }
    bool DebugPaneOpen() override { return debugOpen; }
    void ShowMessage(const QString& text) override { messages << text; }
};

// The kit's clock, scaled by a factor the test may change between transactions, counting the
// 10 ms steps and the blocking pauses.
struct TestTime : vcl::TimeService {
    double factor = 1.0;
    int steps = 0;
    std::vector<int> sleeps;
    std::function<void()> onPump;
    // Runs after each 10 ms step and each pause: a test may wait there for the simulator's answer.
    std::function<void()> settle;
    void Sleep(int ms) override
    {
        sleeps.push_back(ms);
        std::this_thread::sleep_for(std::chrono::microseconds(static_cast<long>(ms * 1000 * factor)));
        if (ms > 0)
            programUs += 1000LL * ms;
        if (settle)
            settle();
    }
    void WaitTenMs() override
    {
        ++steps;
        std::this_thread::sleep_for(std::chrono::microseconds(static_cast<long>(10000 * factor)));
        programUs += 10000;
        if (settle)
            settle();
    }
    // The program's own time: its waits added up, whatever the factor and the machine's load.
    std::int64_t ProgramUs() const { return programUs.load(); }
    std::atomic<std::int64_t> programUs{0};
    void Pump() override { if (onPump) onPump(); }
};

inline std::int64_t NowUs()
{
    using namespace std::chrono;
    return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

class LinkOnPty : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string error;
        ASSERT_TRUE(bus.Start(&error)) << error;
        bus.AddInverter(1, 9600);
        link.SetHost(&host);
        // Every wait of the program lets the simulator answer what it was sent first, and a
        // fault's delay counts on the program's own time: a busy machine neither cuts a reply
        // off nor moves a late one into the program's wait.
        time.settle = [this] { bus.WaitIdle(5000); };
        bus.SetClock([this] { return time.ProgramUs(); });
        vcl::SetTimeService(&time);
    }
    void TearDown() override
    {
        time.settle = nullptr;
        vcl::SetTimeService(nullptr);
        link.Com.Close();
        bus.Stop();
    }
    // Opens the link as the window does: port, rate, counters, the selected inverter.
    void Open(int code = 1, std::uint8_t id = 1)
    {
        ASSERT_EQ(link.OpenCom(QString::fromStdString(bus.Path())), 0);
        link.SetBaudCode(code);
        link.ResetLinkCounters();
        link.SlaveId = id;
    }
    // Silent transactions run on a fast clock: nothing answers, only the count of waits matters.
    void Silent(int n, std::uint8_t fc = 6)
    {
        const double keep = time.factor;
        time.factor = 0.1;
        for (int i = 0; i < n; ++i)
            ASSERT_EQ(link.Request(100, 1, fc), 0);
        time.factor = keep;
    }

    invsim::Bus bus;
    RecordingHost host;
    TestTime time;
    Modbus link;
};

} // namespace linktest

// What a simulated device behind a pseudo-terminal is made of (the serial bus, the radio
// adapter): the pty the program opens, the thread that serves it and the log of what came in
// (Record: a frame, a command) and how much went out.
#pragma once

#include "tools/invsim/Lines.h"
#include "tools/invsim/Traffic.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <poll.h>
#include <string>

namespace invsim {

template <typename Record>
class PtyDevice {
public:
    PtyDevice(const PtyDevice&) = delete;
    PtyDevice& operator=(const PtyDevice&) = delete;

    // Opens the pty and starts serving. False (and a reason) when the pty cannot be made.
    bool Start(std::string* error = nullptr)
    {
        if (!pty_.Open(speed_, error))
            return false;
        traffic_.SetStopped(false);
        if (!serving_.Start([this] { Serve(); }, error)) {
            pty_.Close();
            return false;
        }
        return true;
    }
    // Stops serving and closes the pty: the program's end sees the line vanish.
    void Stop()
    {
        traffic_.SetStopped(true);
        serving_.Stop();
        pty_.Close();
    }
    // Path of the pty's device, for the program to open.
    std::string Path() const { return pty_.Path(); }

    // The clock the device's deliberate delays count on, in microseconds: the steady clock
    // unless set. A test gives the program's own time (its waits added up), so that a delayed
    // answer comes out between the same two reads of the program however slowly the machine
    // runs them.
    void SetClock(std::function<std::int64_t()> nowUs)
    {
        std::lock_guard<std::mutex> lock(clockMutex_);
        clock_ = std::move(nowUs);
    }

    // Waits until the device has read every byte the program wrote and put every answer on the
    // line (a fault's or the device's own deliberate delay excepted, until it is due); false on
    // time-out. A quick test clock waits here at each step, so that a loaded machine stretches
    // the program's waits instead of cutting an answer off.
    bool WaitIdle(int timeoutMs) const
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        for (;;) {
            // Unread bytes first, then the flag: the serving thread raises the flag before it
            // reads, so bytes it has taken off the line are never missed between the two looks.
            // A poll also hands over what the terminal layer still holds for the reader.
            const int fd = pty_.Master();
            if (fd < 0)
                return true;
            pollfd p{fd, POLLIN, 0};
            const bool unread = ::poll(&p, 1, 0) > 0 && (p.revents & POLLIN);
            if (!unread && !busy_ && !PauseOverdue() && !Overdue())
                return true;
            if (std::chrono::steady_clock::now() >= deadline)
                return false;
            std::unique_lock<std::mutex> lock(idleMutex_);
            idleCv_.wait_for(lock, std::chrono::milliseconds(1), [this] { return !busy_; });
        }
    }

protected:
    // The line is raw at this speed until the program sets its own.
    explicit PtyDevice(speed_t speed) : speed_(speed) {}
    // The device's destructor calls Stop, so that the thread ends before the device's parts.
    ~PtyDevice() = default;

    // The serving thread's work, until serving_.Stopping() or the pty is closed.
    virtual void Serve() = 0;
    bool PauseMs(int ms) { return serving_.Pause(ms); }   // false when stopping
    // The serving thread says when it has bytes in hand that it has not yet answered.
    void SetBusy(bool busy)
    {
        {
            std::lock_guard<std::mutex> lock(idleMutex_);
            busy_ = busy;
        }
        if (!busy)
            idleCv_.notify_all();
    }
    // A fault's pause, on the device's clock: the device counts as idle meanwhile, until the
    // pause's end has come.
    bool DeliberatePause(int ms)
    {
        const std::int64_t due = ClockUs() + 1000LL * ms;
        pauseDueUs_ = due;
        SetBusy(false);
        bool goOn = true;
        for (std::int64_t now = ClockUs(); goOn && now < due; now = ClockUs())
            goOn = PauseMs(OwnClock() ? 1 : static_cast<int>((due - now + 999) / 1000));
        SetBusy(true);
        pauseDueUs_ = 0;
        return goOn;
    }
    std::int64_t ClockUs() const
    {
        std::function<std::int64_t()> clock;
        {
            std::lock_guard<std::mutex> lock(clockMutex_);
            clock = clock_;
        }
        if (clock)
            return clock();
        using namespace std::chrono;
        return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
    }
    // A clock that may move at any moment: a wait for it looks again every millisecond.
    bool OwnClock() const
    {
        std::lock_guard<std::mutex> lock(clockMutex_);
        return static_cast<bool>(clock_);
    }
    // An answer held back on purpose whose time has come but that is not yet on the line.
    virtual bool Overdue() const { return false; }
    // Writes the bytes to the line (all of them, unless the line closes or the device stops).
    void PutOnLine(const std::uint8_t* bytes, std::size_t n)
    {
        pty_.Write(bytes, n, serving_.WakeFd(), [this](std::size_t sent) { traffic_.AddSent(sent); });
    }

    Pty pty_;
    ServingThread serving_;
    Traffic<Record> traffic_;

private:
    bool PauseOverdue() const
    {
        const std::int64_t due = pauseDueUs_;
        return due != 0 && ClockUs() >= due;
    }

    speed_t speed_;
    std::atomic<bool> busy_{false};
    std::atomic<std::int64_t> pauseDueUs_{0};   // the end of a deliberate pause under way; 0 none
    mutable std::mutex clockMutex_;
    std::function<std::int64_t()> clock_;
    mutable std::mutex idleMutex_;
    mutable std::condition_variable idleCv_;
};

} // namespace invsim

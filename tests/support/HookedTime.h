// A clock whose every pump of the window also runs the test's hook, so that a test acts from
// inside a polling loop as the user's events arrive inside it. The hook may replace itself; it
// never runs inside itself. HookedTime keeps real time, HookedScaledTime runs faster by a factor.
// Both may wait for a simulated device at each step of a pumped wait (`settle`).
//
// A hook waits for a state of the program (the loop's second cycle, a value on the window), and
// a faulty program may never reach it: the wait would only end at CTest's time-out. So every hook
// has a deadline, counted from its assignment (`hookDeadlineMs`): it passes once that much real
// time and that much of the program's own time (its waits added up) have gone by, so that a
// loaded machine, which stretches every wait, does not bring it closer; a program that pumps
// without waiting meets it at five times the real time. Once it has passed, the test fails (once, naming the deadline) and every pump throws until another hook
// is assigned: the handler that runs the wait (the click that opened the link) is ended by the
// kit's exception guard, and the test goes on to its checks at once.
#pragma once

#include "vcl/Services.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <utility>

namespace testsupport {

// The test's hook with the time it was set, in real time and in the program's time.
class PumpHook {
public:
    explicit PumpHook(const std::atomic<std::int64_t>* programUs = nullptr) : programUs_(programUs) {}
    PumpHook& operator=(std::function<void()> f)
    {
        f_ = std::move(f);
        since_ = std::chrono::steady_clock::now();
        sinceProgramUs_ = programUs_ ? programUs_->load() : 0;
        expired_ = false;
        return *this;
    }
    explicit operator bool() const { return static_cast<bool>(f_); }
    void operator()() const { f_(); }

    // Milliseconds of real time since the hook was set.
    long long ElapsedMs() const
    {
        return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - since_).count();
    }
    // Milliseconds of the program's time since the hook was set (real time without a source).
    long long ProgramElapsedMs() const { return programUs_ ? (programUs_->load() - sinceProgramUs_) / 1000 : ElapsedMs(); }
    // Its deadline passed (until another hook is set).
    bool Expired() const { return expired_; }
    void Expire() { expired_ = true; }

private:
    std::function<void()> f_;
    bool expired_ = false;
    std::chrono::steady_clock::time_point since_ = std::chrono::steady_clock::now();
    const std::atomic<std::int64_t>* programUs_ = nullptr;
    std::int64_t sinceProgramUs_ = 0;
};

template <class Clock>
class Hooked : public Clock {
    std::atomic<std::int64_t> programUs{0};   // first: the hook counts on it

public:
    using Clock::Clock;
    PumpHook hook{&programUs};
    int hookDeadlineMs = 20000;
    // Runs after every 10 ms step of a pumped wait and after every blocking pause. A test
    // against a simulated device lets it wait there until the device has answered what the
    // program sent (invsim::Bus::WaitIdle), so that a reply never misses the program's wait
    // because the machine is busy.
    std::function<void()> settle;

    void WaitTenMs() override
    {
        Clock::WaitTenMs();
        programUs += 10000;
        if (settle)
            settle();
    }
    void Sleep(int ms) override
    {
        Clock::Sleep(ms);
        if (ms > 0)
            programUs += 1000LL * ms;
        if (settle)
            settle();
    }
    // The program's own time: the waits it asked for added up, however long the machine took
    // over them (a simulated device may count its delays on it).
    std::int64_t ProgramUs() const { return programUs.load(); }

    void Pump() override
    {
        Clock::Pump();
        if (!hook || inHook_)
            return;
        const long long real = hook.ElapsedMs();
        if (hook.Expired() || (real > hookDeadlineMs && (hook.ProgramElapsedMs() > hookDeadlineMs || real > 5LL * hookDeadlineMs))) {
            if (!hook.Expired())
                ADD_FAILURE() << "the program did not reach the state the test waits for within "
                              << hookDeadlineMs << " ms";
            hook.Expire();
            throw std::runtime_error("test deadline passed");
        }
        inHook_ = true;
        PumpHook keep = hook;   // the hook may replace itself
        try {
            keep();
        } catch (...) {
            inHook_ = false;
            throw;
        }
        inHook_ = false;
    }

private:
    bool inHook_ = false;
};

using HookedTime = Hooked<vcl::TimeService>;
using HookedScaledTime = Hooked<vcl::ScaledTimeService>;

} // namespace testsupport

// A clock whose every pump of the window also runs the test's hook, so that a test acts from
// inside a polling loop as the user's events arrive inside it. The hook may replace itself; it
// never runs inside itself. HookedTime keeps real time, HookedScaledTime runs faster by a factor.
#pragma once

#include "vcl/Services.h"

#include <functional>

namespace testsupport {

template <class Clock>
class Hooked : public Clock {
public:
    using Clock::Clock;
    std::function<void()> hook;
    void Pump() override
    {
        Clock::Pump();
        if (hook && !inHook_) {
            inHook_ = true;
            auto keep = hook;   // the hook may replace itself
            keep();
            inHook_ = false;
        }
    }
private:
    bool inHook_ = false;
};

using HookedTime = Hooked<vcl::TimeService>;
using HookedScaledTime = Hooked<vcl::ScaledTimeService>;

} // namespace testsupport

// Pumped waits: ms / 10 steps, each a 10 ms wait followed by one pump.
#include "common/Waits.h"
#include "vcl/Services.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Records the order of waits and pumps without waiting.
class RecordingTime : public vcl::TimeService {
public:
    std::string log;
    void WaitTenMs() override { log += 'w'; }
    void Pump() override { log += 'p'; }
};

TEST(DelayPumped, StepsOfTenMilliseconds)
{
    RecordingTime time;
    vcl::SetTimeService(&time);
    struct Case { int ms; const char* log; };
    const Case cases[] = {{0, ""}, {5, ""}, {9, ""}, {10, "wp"}, {30, "wpwpwp"}, {39, "wpwpwp"}, {-20, ""}};
    for (const Case& c : cases) {
        time.log.clear();
        EXPECT_EQ(DelayPumped(c.ms), 0);
        EXPECT_EQ(time.log, c.log) << c.ms;
    }
    time.log.clear();
    EXPECT_EQ(WaitTenMs(), 1);
    EXPECT_EQ(time.log, "w");
    vcl::SetTimeService(nullptr);
}

} // namespace

// The process's time zone (TZ) set for as long as an object lives, the previous one restored
// after it: a test of local time runs in a zone of its own choosing, whatever the machine's.
#pragma once

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

namespace testsupport {

class TimeZone {
public:
    explicit TimeZone(const char* tz)
    {
        if (const char* old = std::getenv("TZ"))
            old_ = old;
        ::setenv("TZ", tz, 1);
        ::tzset();
    }
    ~TimeZone()
    {
        if (old_)
            ::setenv("TZ", old_->c_str(), 1);
        else
            ::unsetenv("TZ");
        ::tzset();
    }
    TimeZone(const TimeZone&) = delete;
    TimeZone& operator=(const TimeZone&) = delete;

private:
    std::optional<std::string> old_;
};

// Zones whose offset from UTC is known without the C library: India's (five and a half hours
// ahead, no daylight saving), and one three hours behind UTC with daylight saving all year round
// (so one hour behind): a program that leaves daylight saving out is two hours off there.
constexpr const char* kIndiaZone = "IST-5:30";
constexpr int kIndiaOffset = 5 * 3600 + 30 * 60;
constexpr const char* kSummerAllYearZone = "XST+3XDT+1,0/0,J365/25";
constexpr int kSummerAllYearOffset = -3600;

} // namespace testsupport

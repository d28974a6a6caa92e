// Clocks for the benchmarks: wall time on a monotonic clock, the CPU time of the calling thread
// and of the whole process, all in milliseconds; and the median of a set of figures.
#pragma once

#include <algorithm>
#include <chrono>
#include <ctime>
#include <vector>

namespace testsupport {

inline double NowMs()
{
    using namespace std::chrono;
    return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

inline double ThreadCpuMs()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

inline double ProcessCpuMs()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

// The middle one of the figures (the upper of the two middle ones for an even count); 0 for none.
inline double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

} // namespace testsupport

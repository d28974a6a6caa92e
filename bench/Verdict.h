// What a benchmark decides: its bounds on medians and its checks of what was measured (every
// reply accepted, the counts right). Finish() prints the verdict as the last line and gives the
// exit status: 0 only when every bound held and every check passed.
#pragma once

#include "support/Clocks.h"

#include <cstdio>
#include <string>
#include <vector>

namespace bench {

class Verdict {
public:
    explicit Verdict(std::string name) : name_(std::move(name)) {}

    // A check of what was measured; a failed one makes the run fail.
    bool Check(bool ok, const std::string& what)
    {
        if (!ok)
            failed_.push_back(what);
        return ok;
    }

    // The median of the figures must not exceed the limit; fewer than minSamples figures is a
    // failure of its own (a median of a handful says nothing).
    bool AtMost(const std::string& what, const std::vector<double>& figures, std::size_t minSamples, double limit,
                const char* unit)
    {
        const double median = testsupport::Median(figures);
        const bool enough = figures.size() >= minSamples;
        const bool held = enough && median <= limit;
        std::printf("  bound %s: median %.2f %s over %zu samples, limit %.2f %s: %s\n", what.c_str(), median, unit,
                    figures.size(), limit, unit,
                    !enough ? "TOO FEW SAMPLES" : held ? "held" : "NOT HELD");
        ++bounds_;
        if (!enough)
            failed_.push_back(what + ": " + std::to_string(figures.size()) + " samples, at least " +
                              std::to_string(minSamples) + " needed");
        else if (!held)
            failed_.push_back(what + " not held");
        return held;
    }

    int Finish() const
    {
        if (failed_.empty()) {
            std::printf("%s: PASS, %d bounds held\n", name_.c_str(), bounds_);
            return 0;
        }
        std::string why;
        for (const std::string& f : failed_)
            why += (why.empty() ? "" : "; ") + f;
        std::printf("%s: FAIL, %s\n", name_.c_str(), why.c_str());
        return 1;
    }

private:
    std::string name_;
    int bounds_ = 0;
    std::vector<std::string> failed_;
};

} // namespace bench

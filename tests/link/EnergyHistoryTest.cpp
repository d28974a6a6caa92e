// The inverter's clock and its energy history against the simulated inverter: what reaches the
// wire when a page or a write is not answered, when the inverter's clock is set, and in which
// time zone.
#include "LinkTestSupport.h"

#include "link/EnergyHistory.h"
#include "support/TimeZone.h"
#include "tools/invsim/Demo.h"

#include <algorithm>
#include <ctime>
#include <optional>

namespace {

using namespace linktest;
using invsim::Fault;
using invsim::FaultKind;

using RegValue = std::pair<int, int>;

constexpr int kDayPage = 809, kMonthPage = 810, kDayWindow = 2048, kMonthWindow = 2112;
constexpr int kControl = 24665, kCommit = 0x55AA;

Fault AimedAt(int reg, FaultKind kind, int times)
{
    Fault f;
    f.kind = kind;
    f.param = kind == FaultKind::Delay ? 0 : -1;
    f.times = times;
    f.reg = reg;
    return f;
}

// The link at 38400 bit/s on the records' demonstration inverter, a quick clock that waits for
// each answer of the simulator (so that a busy machine never cuts a reply off), and a history in
// the link object whose every word differs from the inverter's.
class EnergyLink : public LinkOnPty {
protected:
    void SetUp() override
    {
        LinkOnPty::SetUp();
        if (HasFatalFailure())
            return;
        bus.With(1, [](invsim::Inverter& inv) {
            invsim::LoadDemoRecords(inv);
            inv.SetBaud(38400);
        });
        time.factor = 0.01;
        Open(3);
        for (int i = 0; i < 732; ++i)
            link.DayEnergy[i] = 40000 + i;
        for (int i = 0; i < 240; ++i)
            link.MonthEnergy[i] = 50000 + i;
        for (int k = 0; k < 11; ++k)
            link.EnergyExtra[k] = 600 + k;
    }
    std::vector<RegValue> Writes() const
    {
        std::vector<RegValue> w;
        for (const auto& f : bus.Frames())
            if (f.bytes.size() == 8 && f.bytes[1] == 6)
                w.emplace_back((f.bytes[2] << 8 | f.bytes[3]) + 1, f.bytes[4] << 8 | f.bytes[5]);
        return w;
    }
    int Reads(int reg) const
    {
        int n = 0;
        for (const auto& f : bus.Frames())
            if (f.bytes.size() == 8 && f.bytes[1] == 4 && (f.bytes[2] << 8 | f.bytes[3]) + 1 == reg)
                ++n;
        return n;
    }
    std::vector<std::uint16_t> Expected(const std::int32_t* words, int n) const
    {
        std::vector<std::uint16_t> v;
        for (int i = 0; i < n; ++i)
            v.push_back(static_cast<std::uint16_t>(words[i]));
        return v;
    }
};

TEST_F(EnergyLink, AWriteNotTakenIsSentOnceMoreAndAFailedOneEndsTheTransferUnclosed)
{
    // Day word 36 goes to window register 2084 (its first write); the extra words follow the
    // day history, the closing word comes last.
    struct Case {
        const char* what;
        int reg;
        int skip;   // writes of the register that pass before the fault
        FaultKind kind;
        int times;
        int result;
    };
    const Case cases[] = {
        {"unanswered day word", kDayWindow + 36, 0, FaultKind::Silence, 1, energy::kDone},
        {"day word echoed short", kDayWindow + 36, 0, FaultKind::Short, 1, energy::kDone},
        {"day word refused", kDayWindow + 36, 0, FaultKind::Exception, 1, energy::kDone},
        {"day page select unanswered", kDayPage, 3, FaultKind::Silence, 1, energy::kDone},
        {"day word unanswered twice", kDayWindow + 36, 0, FaultKind::Silence, 2, energy::kIncomplete},
        {"extra word refused twice", 44226, 0, FaultKind::Exception, 2, energy::kIncomplete},
        {"end of the day write unanswered twice", kControl, 1, FaultKind::Silence, 2, energy::kIncomplete},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        bus.With(1, [](invsim::Inverter& inv) { std::fill(inv.DayHistory().begin(), inv.DayHistory().end(), 0); });
        bus.ClearFaults(1);
        if (c.skip > 0)
            bus.AddFault(1, AimedAt(c.reg, FaultKind::Delay, c.skip));   // a delay of 0 ms: answered
        bus.AddFault(1, AimedAt(c.reg, c.kind, c.times));
        bus.ClearFrames();
        ASSERT_EQ(energy::WriteDayEnergy(link, nullptr), c.result);
        const auto writes = Writes();
        // The faulted write went out twice in a row, and no other did.
        const auto first = std::adjacent_find(writes.begin(), writes.end());
        ASSERT_NE(first, writes.end());
        EXPECT_EQ(first->first, c.reg);
        EXPECT_EQ(std::adjacent_find(first + 1, writes.end()), writes.end());
        const auto commits = std::count(writes.begin(), writes.end(), RegValue{kControl, kCommit});
        if (c.result == energy::kDone) {
            EXPECT_EQ(writes.size(), 732u + 13 + 2 + 11 + 1 + 1);
            EXPECT_EQ(writes.back(), (RegValue{kControl, kCommit}));
            EXPECT_EQ(commits, 1);
            bus.With(1, [&](invsim::Inverter& inv) { EXPECT_EQ(inv.DayHistory(), Expected(link.DayEnergy, 732)); });
        } else {
            // Nothing after the failed write but a day page reset, and never the closing word
            // that would make the inverter take over a history it did not get whole.
            EXPECT_EQ(commits, 0);
            const auto last = writes.end() - (c.reg == kDayWindow + 36 ? 3 : 2);
            EXPECT_EQ(last, first);
            if (c.reg == kDayWindow + 36) {
                EXPECT_EQ(writes.back(), (RegValue{kDayPage, 0}));
            }
        }
    }
}

TEST_F(EnergyLink, MonthWriteRetriesAWordNotTaken)
{
    bus.AddFault(1, AimedAt(kMonthWindow + 5, FaultKind::Silence, 1));
    ASSERT_EQ(energy::WriteMonthEnergy(link, nullptr), energy::kDone);
    const auto writes = Writes();
    EXPECT_EQ(writes.size(), 240u + 1 + 6 + 1 + 1);
    EXPECT_EQ(std::count(writes.begin(), writes.end(), RegValue{kMonthWindow + 5, 50005}), 2);
    EXPECT_EQ(writes.back(), (RegValue{kControl, 4115}));
    bus.With(1, [&](invsim::Inverter& inv) { EXPECT_EQ(inv.MonthHistory(), Expected(link.MonthEnergy, 240)); });
}

TEST_F(EnergyLink, APageNotAnsweredIsReadOnceMoreAndAMissingPageFailsTheRead)
{
    std::vector<std::uint16_t> days;
    bus.With(1, [&](invsim::Inverter& inv) { days = inv.DayHistory(); });
    struct Case {
        const char* what;
        std::optional<Fault> fault;
        std::optional<int> missingPage;
        int result;
        int windowReads;
    };
    const Case cases[] = {
        {"every page answered", std::nullopt, std::nullopt, energy::kDone, 12},
        {"one page unanswered", AimedAt(kDayWindow, FaultKind::Silence, 1), std::nullopt, energy::kDone, 13},
        {"one page short", AimedAt(kDayWindow, FaultKind::Short, 1), std::nullopt, energy::kDone, 13},
        {"one page unanswered twice", AimedAt(kDayWindow, FaultKind::Silence, 2), std::nullopt, energy::kIncomplete, 2},
        {"page 64 refused", std::nullopt, 64, energy::kIncomplete, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        bus.ClearFaults(1);
        if (c.fault)
            bus.AddFault(1, *c.fault);
        bus.With(1, [&](invsim::Inverter& inv) { inv.SetMissingDayPage(c.missingPage); });
        bus.ClearFrames();
        std::fill(std::begin(link.DayEnergy), std::end(link.DayEnergy), -1);
        ASSERT_EQ(energy::ReadDayEnergy(link, nullptr), c.result);
        EXPECT_EQ(Reads(kDayWindow), c.windowReads);
        EXPECT_EQ(Writes().back(), (RegValue{kDayPage, 0}));
        if (c.result == energy::kDone) {
            EXPECT_EQ(Expected(link.DayEnergy, 732), days);
        }
    }
}

TEST_F(EnergyLink, ClockIsWrittenTwiceHalfASecondApartInTheComputersLocalTime)
{
    time.factor = 1.0;   // the pause is measured on the frames' time stamps
    struct Case {
        const char* tz;
        int offsetSeconds;   // local time minus UTC, worked out by hand
    };
    const Case cases[] = {
        {testsupport::kIndiaZone, testsupport::kIndiaOffset},
        {testsupport::kSummerAllYearZone, testsupport::kSummerAllYearOffset},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tz);
        testsupport::TimeZone zone(c.tz);
        bus.ClearFrames();
        const std::int64_t before = std::time(nullptr);
        ASSERT_EQ(energy::SyncClock(link), energy::kDone);
        const std::int64_t after = std::time(nullptr);
        const auto writes = Writes();
        ASSERT_EQ(writes.size(), 4u);
        EXPECT_EQ(writes[0].first, 785);
        EXPECT_EQ(writes[1].first, 784);
        EXPECT_EQ(writes[2], writes[0]);
        EXPECT_EQ(writes[3], writes[1]);
        const std::int64_t written = static_cast<std::int64_t>(writes[1].second) << 16 | writes[0].second;
        EXPECT_GE(written, before + c.offsetSeconds);
        EXPECT_LE(written, after + c.offsetSeconds);
        const auto frames = bus.Frames();
        EXPECT_GE(frames[2].timeUs - frames[1].timeUs, 500000);
    }
}

TEST_F(EnergyLink, ClockCountsAsSetWhenOnePassWasTaken)
{
    bus.AddFault(1, AimedAt(784, FaultKind::Exception, 1));
    EXPECT_EQ(energy::SyncClock(link), energy::kDone);
    bus.AddFault(1, AimedAt(785, FaultKind::Silence, -1));
    EXPECT_EQ(energy::SyncClock(link), energy::kIncomplete);
}

} // namespace

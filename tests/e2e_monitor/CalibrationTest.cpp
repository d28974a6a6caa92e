// The real program, driven through its remote user driver, on the designer mode's page that shows
// the ADC panel beside the input calibration: the ADC reader pages the same count window in every
// cycle, and a calibration point still reads the count of its own input.
#include "MonitorFixture.h"
#include "OpenLink.h"

#include "support/RemoteProgram.h"

namespace {

using namespace monitortest;
using ProgramRun = testsupport::RemoteProgram;
using Calibration = RemoteMonitor;

constexpr int kInput4Page = 51;
constexpr int kNbusPage = 65;
constexpr int kCountWord = 12;   // the voltage count of a page's window
constexpr int kLowPointCount = 33538;

TEST_F(Calibration, TheCountIsReadRightAfterItsOwnPageSelect)
{
    bus.With(1, [](invsim::Inverter& inv) {
        inv.SetMeasurementWord(kInput4Page, kCountWord, 0);   // no ADC on input 4
        inv.SetMeasurementWord(kNbusPage, kCountWord, 2946);
    });
    ProgramRun run(home.path(), runtime.path());
    ASSERT_TRUE(openlink::OnRs485(run, bus.Path(), "SuperHero"));
    ASSERT_TRUE(openlink::Steps(run, {"tab PageControl 3"}));
    ASSERT_TRUE(run.Ask("get Group_ADC")["visible"].toBool());
    ASSERT_TRUE(run.Ask("get Group_CalibrateInput")["visible"].toBool());
    ASSERT_TRUE(openlink::Shows(run, "Label_NbusAdcVolt", "2946"));   // the ADC reader has paged on
    openlink::TakeDialogs(run);

    // Input 4 chosen; the ADC reader pages the window again in the cycles after.
    ASSERT_TRUE(openlink::Steps(run, {"pick Combo_GainSelect 3"}));
    ASSERT_TRUE(openlink::Shows(run, "Label_GainSelect", "3"));
    bus.ClearFrames();
    ASSERT_TRUE(run.WaitFor([&] { return run.TextOf("Label_NbusAdcVolt") == "2946" && bus.Frames().size() > 40; }, 15000));

    // Input 4 has no count: no gain from the N-bus count the reader left in the window.
    ASSERT_TRUE(openlink::Steps(run, {"enter Edit_GainCaliVdcLow 200"}));
    EXPECT_EQ(openlink::DialogsUntil(run, "Error - No ADC"), QStringList{"Error - No ADC"});
    EXPECT_NE(bus.Holding(1, kLowPointCount), 2946);

    // With a count on input 4 the low point takes it, read right after the page select.
    bus.With(1, [](invsim::Inverter& inv) { inv.SetMeasurementWord(kInput4Page, kCountWord, 1000); });
    bus.ClearFrames();
    ASSERT_TRUE(openlink::Steps(run, {"enter Edit_GainCaliVdcLow 200"}));
    EXPECT_EQ(openlink::DialogsUntil(run, "1000"), QStringList{"1000"});
    ASSERT_TRUE(run.WaitFor([&] { return bus.Holding(1, kLowPointCount) == 1000; }, 10000));
    // The count read that the low point came from is the last one before its write, and the
    // request right before that read selects input 4's page.
    const auto frames = bus.Frames();
    auto isRequest = [](const invsim::Frame& f, int fc, int reg) {
        return f.bytes.size() == 8 && f.bytes[1] == fc && (f.bytes[2] << 8 | f.bytes[3]) + 1 == reg;
    };
    std::size_t write = 0;
    while (write < frames.size() && !isRequest(frames[write], 6, kLowPointCount))
        ++write;
    ASSERT_LT(write, frames.size());
    std::size_t read = write;
    while (read > 1 && !isRequest(frames[read], 4, 1068))
        --read;
    ASSERT_TRUE(isRequest(frames[read], 4, 1068));
    EXPECT_TRUE(isRequest(frames[read - 1], 6, 800));
    EXPECT_EQ(frames[read - 1].bytes[5], kInput4Page);

    EXPECT_TRUE(run.Do("close"));
    EXPECT_TRUE(run.process.waitForFinished(15000));
}

} // namespace

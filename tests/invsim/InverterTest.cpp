#include "tools/invsim/Bus.h"
#include "tools/invsim/Inverter.h"

#include <gtest/gtest.h>

namespace {

using invsim::Bytes;
using invsim::Inverter;

Bytes Request(int id, int fc, int reg, int value)
{
    Bytes f{static_cast<std::uint8_t>(id), static_cast<std::uint8_t>(fc),
            static_cast<std::uint8_t>((reg - 1) >> 8), static_cast<std::uint8_t>((reg - 1) & 0xFF),
            static_cast<std::uint8_t>(value >> 8), static_cast<std::uint8_t>(value & 0xFF)};
    invsim::AppendCrc(f);
    return f;
}

Bytes Body(const Bytes& reply)
{
    EXPECT_TRUE(invsim::CrcOk(reply));
    return reply.size() >= 2 ? Bytes(reply.begin(), reply.end() - 2) : Bytes{};
}

TEST(Inverter, AnswersAsAStandardSlave)
{
    Inverter inv(3);
    inv.SetRegister(5, 42);
    inv.SetHolding(6, 0x1234);
    inv.SetInput(7, 0xBEEF);
    for (int c = 1; c <= 10; ++c)
        inv.SetCoil(c, c % 3 == 0);

    struct Case { Bytes request; Bytes body; };
    const Case cases[] = {
        {Request(3, 3, 5, 2), {3, 3, 4, 0x00, 0x2A, 0x12, 0x34}},
        {Request(3, 4, 5, 1), {3, 4, 2, 0x00, 0x2A}},
        {Request(3, 4, 7, 1), {3, 4, 2, 0xBE, 0xEF}},
        {Request(3, 4, 6, 1), {3, 0x84, 2}},                 // holding only: not an input register
        {Request(3, 3, 7, 1), {3, 0x83, 2}},
        {Request(3, 3, 5, 3), {3, 0x83, 2}},                 // a block running past what it holds
        {Request(3, 3, 5, 0), {3, 0x83, 3}},                 // count 0
        {Request(3, 3, 5, 126), {3, 0x83, 3}},               // count above 125
        {Request(3, 1, 1, 10), {3, 1, 2, 0x24, 0x01}},       // coils 3, 6, 9 packed from bit 0
        {Request(3, 1, 10, 2), {3, 0x81, 2}},
        {Request(3, 5, 1, 0xFF00), Body(Request(3, 5, 1, 0xFF00))},
        {Request(3, 5, 1, 0x1234), {3, 0x85, 3}},            // a coil takes only FF00 or 0000
        {Request(3, 5, 11, 0x0000), {3, 0x85, 2}},
        {Request(3, 6, 6, 0xABCD), Body(Request(3, 6, 6, 0xABCD))},
        {Request(3, 6, 7, 1), {3, 0x86, 2}},                 // input only: not writable
        {Request(3, 2, 1, 1), {3, 0x82, 1}},                 // function codes it does not know
        {Request(3, 16, 1, 1), {3, 0x90, 1}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Body(inv.Answer(c.request)), c.body) << "fc " << int(c.request[1]) << " reg " << (c.request[2] * 256 + c.request[3] + 1);
    EXPECT_EQ(inv.Coil(1), true);
    EXPECT_EQ(inv.Holding(6), 0xABCD);
    EXPECT_EQ(inv.Input(6), std::nullopt);
}

TEST(Inverter, PagedMeasurementWindow)
{
    Inverter inv(1);
    std::vector<std::uint16_t> grid(16, 0);
    grid[1] = 2301;
    grid[4] = 5000;
    grid[12] = 0x0ABC;   // the first ADC count, also register 1068
    inv.SetMeasurementPage(0, grid);
    inv.SetMeasurementPage(16, {0, 2299, 0, 0, 0, 0, 2298});

    EXPECT_EQ(Body(inv.Answer(Request(1, 6, 800, 16))), Body(Request(1, 6, 800, 16)));
    EXPECT_EQ(Body(inv.Answer(Request(1, 3, 800, 1))), (Bytes{1, 3, 2, 0, 16}));
    EXPECT_EQ(Body(inv.Answer(Request(1, 4, 1056, 2))), (Bytes{1, 4, 4, 0, 16, 0x08, 0xFB}));
    inv.Answer(Request(1, 6, 800, 0));
    const Bytes window = Body(inv.Answer(Request(1, 4, 1056, 14)));
    ASSERT_EQ(window.size(), 3u + 28u);
    EXPECT_EQ(window[4], 0);                                     // echo of page 0
    EXPECT_EQ(window[5] << 8 | window[6], 2301);
    EXPECT_EQ(window[3 + 2 * 12] << 8 | window[4 + 2 * 12], 0x0ABC);
    EXPECT_EQ(Body(inv.Answer(Request(1, 4, 1068, 1))), (Bytes{1, 4, 2, 0x0A, 0xBC}));
    // A page nobody filled still answers, with zeros after its echo.
    inv.Answer(Request(1, 6, 800, 66));
    EXPECT_EQ(Body(inv.Answer(Request(1, 4, 1056, 2))), (Bytes{1, 4, 4, 0, 66, 0, 0}));
    // A stale window: word 0 shows another page whatever is selected.
    inv.SetEchoOverride(0x0110);
    EXPECT_EQ(Body(inv.Answer(Request(1, 4, 1056, 1))), (Bytes{1, 4, 2, 0x01, 0x10}));
}

TEST(Inverter, PagedEventWindows)
{
    Inverter inv(1);
    std::array<std::uint16_t, 10> codes{};
    std::array<std::uint32_t, 10> times{};
    codes[0] = 129;
    codes[9] = 0x0105;
    times[0] = 0x5E7333A0;
    inv.SetEventPage(1, codes, times);

    inv.Answer(Request(1, 6, 801, 1));
    const Bytes code = Body(inv.Answer(Request(1, 4, 1088, 11)));
    ASSERT_EQ(code.size(), 3u + 22u);
    EXPECT_EQ(code[4], 1);                                       // echo of event page 1
    EXPECT_EQ(code[5] << 8 | code[6], 129);
    EXPECT_EQ(code[3 + 2 * 10] << 8 | code[4 + 2 * 10], 0x0105);
    const Bytes time = Body(inv.Answer(Request(1, 4, 1184, 20)));
    ASSERT_EQ(time.size(), 3u + 40u);
    EXPECT_EQ(time[3] << 8 | time[4], 0x33A0);                   // low word first
    EXPECT_EQ(time[5] << 8 | time[6], 0x5E73);
    inv.Answer(Request(1, 6, 801, 2));
    EXPECT_EQ(Body(inv.Answer(Request(1, 4, 1088, 2))), (Bytes{1, 4, 4, 0, 2, 0, 0}));
    EXPECT_EQ(Body(inv.Answer(Request(1, 4, 1099, 1))), (Bytes{1, 0x84, 2}));   // past the window
}

TEST(Inverter, FaultTexts)
{
    using invsim::FaultKind;
    struct Case { const char* text; bool ok; FaultKind kind; int param; int param2; int times; };
    const Case cases[] = {
        {"silence", true, FaultKind::Silence, -1, -1, -1},
        {"crc/3", true, FaultKind::BadCrc, -1, -1, 3},
        {"short:2", true, FaultKind::Short, 2, -1, -1},
        {"split:4:30/1", true, FaultKind::Split, 4, 30, 1},
        {"delay:500", true, FaultKind::Delay, 500, -1, -1},
        {"otherid:9", true, FaultKind::OtherId, 9, -1, -1},
        {"flood", true, FaultKind::Flood, -1, -1, -1},
        {"exception:3/2", true, FaultKind::Exception, 3, -1, 2},
        {"hangup", true, FaultKind::Hangup, -1, -1, -1},
        {"delay", false, FaultKind::Silence, 0, 0, 0},
        {"crc/0", false, FaultKind::Silence, 0, 0, 0},
        {"loud", false, FaultKind::Silence, 0, 0, 0},
        {"short:x", false, FaultKind::Silence, 0, 0, 0},
    };
    for (const auto& c : cases) {
        invsim::Fault f;
        ASSERT_EQ(invsim::ParseFault(c.text, f), c.ok) << c.text;
        if (!c.ok)
            continue;
        EXPECT_EQ(f.kind, c.kind) << c.text;
        EXPECT_EQ(f.param, c.param) << c.text;
        EXPECT_EQ(f.param2, c.param2) << c.text;
        EXPECT_EQ(f.times, c.times) << c.text;
    }
}

} // namespace

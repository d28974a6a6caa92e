#include "link/Crc.h"
#include "link/Modbus.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes FrameOf(int slave, int reg, int value, std::uint8_t fc)
{
    Modbus link;
    link.SlaveId = static_cast<std::uint8_t>(slave);
    link.BuildRtuFrame(reg, value, fc);
    EXPECT_EQ(link.TxLength, 8);
    return Bytes(link.Com.TxBuffer, link.Com.TxBuffer + 8);
}

TEST(Crc, ModbusOfTheStandardExampleGoesLowByteFirst)
{
    const Bytes req{0x01, 0x03, 0x00, 0x00, 0x00, 0x01};
    const std::uint16_t crc = Crc16Modbus(req.data(), req.size());
    EXPECT_EQ(crc & 0xFF, 0x84);
    EXPECT_EQ(crc >> 8, 0x0A);
    // The check value of the published algorithm.
    const Bytes digits{'1', '2', '3', '4', '5', '6', '7', '8', '9'};
    EXPECT_EQ(Crc16Modbus(digits.data(), digits.size()), 0x4B37);
    EXPECT_EQ(Crc16Modbus(nullptr, 0), 0xFFFF);
}

TEST(Crc, ContinueAndSeededCarryTheRunningValue)
{
    const Bytes all{0x05, 0x04, 0xA0, 0x02, 0x00, 0x01, 0x35, 0xA4};
    const std::uint16_t whole = Crc16Modbus(all.data(), all.size());
    const std::uint16_t head = Crc16Modbus(all.data(), 3);
    EXPECT_EQ(Crc16ModbusContinue(all.data() + 3, all.size() - 3, head & 0xFF, head >> 8), whole);
    // The seed is taken byte-swapped: its high byte is the running low byte.
    const std::uint16_t swapped = static_cast<std::uint16_t>((head & 0xFF) << 8 | head >> 8);
    EXPECT_EQ(Crc16ModbusSeeded(all.data() + 3, all.size() - 3, swapped), whole);
    EXPECT_NE(Crc16ModbusSeeded(all.data() + 3, all.size() - 3, head), whole);
}

TEST(Crc, ArcOfTheStxFrame)
{
    // 02 05 01 02 10 02 | E0 3D | 03: the checksum covers length, address, command and sub-command.
    const Bytes stx{0x02, 0x05, 0x01, 0x02, 0x10, 0x02};
    EXPECT_EQ(Crc16Arc(&stx[1], &stx[5]), 0x3DE0);
    const Bytes digits{'1', '2', '3', '4', '5', '6', '7', '8', '9'};
    EXPECT_EQ(Crc16Arc(&digits.front(), &digits.back()), 0xBB3D);
}

TEST(Frames, RegisterNumberMinusOneOnTheWire)
{
    struct Case { int slave; int reg; int value; std::uint8_t fc; Bytes head; };
    const Case cases[] = {
        {1, 1, 1, 3, {0x01, 0x03, 0x00, 0x00, 0x00, 0x01}},
        {1, 802, 2, 3, {0x01, 0x03, 0x03, 0x21, 0x00, 0x02}},
        {5, 40963, 1, 4, {0x05, 0x04, 0xA0, 0x02, 0x00, 0x01}},
        {7, 0xC000, 30, 4, {0x07, 0x04, 0xBF, 0xFF, 0x00, 0x1E}},
        {2, 24624, 0xFF00, 5, {0x02, 0x05, 0x60, 0x2F, 0xFF, 0x00}},
        {2, 33617, 95, 6, {0x02, 0x06, 0x83, 0x50, 0x00, 0x5F}},
        {3, 800, -1, 6, {0x03, 0x06, 0x03, 0x1F, 0xFF, 0xFF}},   // a negative value goes out as its 16 bits
        {1, 0, 1, 3, {0x01, 0x03, 0xFF, 0xFF, 0x00, 0x01}},       // register 0 wraps to 0xFFFF
    };
    for (const auto& c : cases) {
        const Bytes frame = FrameOf(c.slave, c.reg, c.value, c.fc);
        EXPECT_EQ(Bytes(frame.begin(), frame.begin() + 6), c.head) << "register " << c.reg;
        const std::uint16_t crc = Crc16Modbus(frame.data(), 6);
        EXPECT_EQ(frame[6], crc & 0xFF);
        EXPECT_EQ(frame[7], crc >> 8);
    }
    EXPECT_EQ(FrameOf(1, 1, 1, 3), (Bytes{0x01, 0x03, 0x00, 0x00, 0x00, 0x01, 0x84, 0x0A}));
}

TEST(Frames, ReplyCheck)
{
    struct Case { Bytes bytes; int ok; };
    const Case cases[] = {
        {{0x01, 0x03, 0x02, 0x00, 0x2A, 0x39, 0x9B}, 1},
        {{0x01, 0x03, 0x02, 0x00, 0x2A, 0x39, 0x9C}, 0},   // high CRC byte wrong
        {{0x01, 0x03, 0x02, 0x00, 0x2A, 0x9B, 0x39}, 0},   // CRC bytes in the wrong order
        {{0x01, 0x83, 0x02, 0xC0, 0xF1}, 1},               // an exception reply passes the check
        {{0x01, 0x83, 0x02}, 0},                           // three bytes or fewer never pass
        {{}, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Modbus::CheckCrc(c.bytes.data(), static_cast<int>(c.bytes.size())), c.ok);
        Modbus link;
        std::copy(c.bytes.begin(), c.bytes.end(), link.Reply);
        link.ReplyLength = static_cast<int>(c.bytes.size());
        EXPECT_EQ(link.CheckReplyCrc(), c.ok);
    }
}

TEST(Frames, FreshLinkObject)
{
    Modbus link;
    EXPECT_EQ(link.ScanLast, 32);
    EXPECT_EQ(link.RadioFreq, 900000000);
    EXPECT_EQ(link.RadioFreqDefault, 900000000);
    EXPECT_EQ(link.RadioFreqCurrent, 0);
    EXPECT_EQ(link.LinkType, LinkNone);
    EXPECT_FALSE(link.Com.IsOpen());
    link.ResetLinkCounters();
    EXPECT_EQ(link.ConnectErrors, -1);
    // Without a link nothing is sent and nothing fails.
    link.SlaveId = 1;
    EXPECT_EQ(link.Request(1, 1, 3), 0);
    EXPECT_EQ(link.ReplyLength, 0);
}

} // namespace

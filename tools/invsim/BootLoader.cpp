#include "tools/invsim/BootLoader.h"

#include <algorithm>

namespace invsim {

namespace {

constexpr std::array<std::uint8_t, 7> kKey1{0x5A, 0xC3, 0x21, 0x9E, 0x47, 0xB8, 0x0D};
constexpr std::array<std::uint8_t, 7> kKey2{0xE4, 0x17, 0x6B, 0xD2, 0x38, 0xA9, 0xF1};

std::uint32_t Le32(const Bytes& b, std::size_t at)
{
    return std::uint32_t(b[at]) | std::uint32_t(b[at + 1]) << 8 | std::uint32_t(b[at + 2]) << 16
           | std::uint32_t(b[at + 3]) << 24;
}

void PutLe32(Bytes& out, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

std::uint16_t CrcFrom(std::uint16_t crc, const Bytes& bytes)
{
    for (std::uint8_t byte : bytes) {
        crc ^= byte;
        for (int b = 0; b < 8; ++b)
            crc = (crc & 1) ? static_cast<std::uint16_t>((crc >> 1) ^ 0xA001) : static_cast<std::uint16_t>(crc >> 1);
    }
    return crc;
}

Bytes Reply(int id, std::uint8_t command, const Bytes& data)
{
    Bytes r{0xFF, 0xFF, static_cast<std::uint8_t>(id & 0xFF), static_cast<std::uint8_t>(id >> 8),
            static_cast<std::uint8_t>(data.size() + 1), command};
    r.insert(r.end(), data.begin(), data.end());
    AppendCrc(r);
    return r;
}

Bytes Text16(const std::string& text)
{
    Bytes out(16, 0);
    std::copy_n(text.begin(), std::min<std::size_t>(16, text.size()), out.begin());
    return out;
}

// The new image names its own version in its meta block: the loader's application reports it
// once the image runs.
void TakeVersionFromImage(BootLoaderState& s)
{
    const Bytes image = s.Image();
    const auto at = std::search(image.begin(), image.end(), kKey1.begin(), kKey1.end());
    if (at == image.end() || image.end() - at < 7 + 11 || s.selectedProcessor < 0 || s.selectedProcessor > 9)
        return;
    const auto meta = at + 7;
    s.software[static_cast<std::size_t>(s.selectedProcessor)] = {meta[10], meta[9]};
}

} // namespace

Bytes BootLoaderState::Image() const
{
    Bytes out;
    for (const auto& [address, data] : blocks)
        out.insert(out.end(), data.begin(), data.end());
    return out;
}

bool IsBootLoaderFrame(const Bytes& frame)
{
    return frame.size() >= 8 && frame[2] == 0xFF && frame[3] == 0xFF
        && frame.size() == static_cast<std::size_t>(frame[4]) + 7;
}

std::size_t BootFrameSize(const Bytes& bytes)
{
    if (bytes.size() < 5 || bytes[2] != 0xFF || bytes[3] != 0xFF)
        return 0;
    return std::size_t(bytes[4]) + 7;
}

Bytes BootLoaderAnswer(int id, std::uint32_t productId, BootLoaderState& s, const Bytes& request, Bytes* unsolicited)
{
    if (!IsBootLoaderFrame(request))
        return {};
    const int destination = request[0] | request[1] << 8;
    const bool broadcast = destination == kBootBroadcast;
    if (destination != id && !(broadcast && s.inBoot))
        return {};
    const std::uint8_t command = request[5];
    const Bytes data(request.begin() + 6, request.end() - 2);
    if (s.silentAfterBlocks > 0 && s.blocksReceived >= s.silentAfterBlocks)
        return {};
    if (s.silentCommands.count(command))
        return {};
    if (s.errorCommands.count(command))
        return Reply(id, static_cast<std::uint8_t>(command | 0x80), {});
    const auto processorOf = [&](std::size_t at) { return std::min<std::size_t>(data.size() > at ? data[at] : 0, 9); };

    switch (command) {
    case 0x00: {
        Bytes d;
        PutLe32(d, productId);
        return Reply(id, command, d);
    }
    case 0x01:
        return Reply(id, command, Text16(s.serial));
    case 0x02:
        return Reply(id, command, Text16(s.model));
    case 0x03:
    case 0x04: {
        const std::size_t p = processorOf(0);
        const BootVersion v = command == 0x03 ? s.hardware[p] : s.software[p];
        return Reply(id, command, {static_cast<std::uint8_t>(p), static_cast<std::uint8_t>(v.minor),
                                   static_cast<std::uint8_t>(v.major)});
    }
    case 0x05:
    case 0x06: {
        const auto& key = command == 0x05 ? kKey1 : kKey2;
        if (data.size() != key.size() || !std::equal(key.begin(), key.end(), data.begin()))
            return Reply(id, static_cast<std::uint8_t>(command | 0x80), {});
        if (command == 0x06)
            s.inBoot = true;
        return Reply(id, command, {});
    }
    case 0x16:
        if (s.version < 3)
            return {};   // an old loader does not know the request
        return Reply(id, command, {static_cast<std::uint8_t>(s.version), 0, 0, 0, 0});
    default:
        break;
    }
    if (!s.inBoot)
        return {};
    switch (command) {
    case 0x10:
    case 0x20: {
        const std::size_t head = command == 0x10 ? 4 : 8;
        if (data.size() < head)
            return {};
        const std::uint32_t address = Le32(data, 0);
        s.blocks[address] = Bytes(data.begin() + static_cast<std::ptrdiff_t>(head), data.end());
        ++s.blocksReceived;
        if (unsolicited && s.retryAfterBlock != 0 && s.blocksReceived == s.retryAfterBlock) {
            ++s.retryRequestsSent;
            s.retryAfterBlock = --s.retryTimes > 0 ? s.blocksReceived + std::max(s.retryGap, 1) : 0;
            Bytes d;
            PutLe32(d, s.retryAddress);
            *unsolicited = Reply(id, 0x90, d);
        }
        return {};
    }
    case 0x11:
        s.selectedProcessor = static_cast<int>(processorOf(0));
        return Reply(id, command, {0x00});
    case 0x12:
        if (data.size() < 5)
            return Reply(id, 0x92, {});
        s.bankStart = Le32(data, 1);
        s.blocks.clear();
        s.blocksReceived = 0;
        return Reply(id, command, [&] {
            Bytes d{0x01};
            PutLe32(d, s.bankStart);
            return d;
        }());
    case 0x13: {
        if (data.size() < 5)
            return Reply(id, 0x93, {});
        s.closedLength = Le32(data, 1);
        // Raw images live above 0x80000000; their check exchanges the CRC's bytes between rows.
        std::uint16_t crc = 0xFFFF;
        for (const auto& [address, block] : s.blocks)
            crc = s.bankStart >= 0x80000000u ? CrcFrom(static_cast<std::uint16_t>((crc >> 8) | (crc << 8)), block)
                                             : CrcFrom(crc, block);
        return Reply(id, command, {0x00, static_cast<std::uint8_t>(crc), static_cast<std::uint8_t>(crc >> 8)});
    }
    case 0x14:
        s.inBoot = false;
        ++s.finishes;
        TakeVersionFromImage(s);
        return Reply(id, command, {0x01});
    default:
        return Reply(id, static_cast<std::uint8_t>(command | 0x80), {});
    }
}

} // namespace invsim

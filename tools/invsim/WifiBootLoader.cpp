#include "tools/invsim/WifiBootLoader.h"

#include <algorithm>

namespace invsim {

namespace {

constexpr int kAddress = 1;

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

// CRC-16/MODBUS continued from a running register value.
std::uint16_t CrcFrom(std::uint16_t crc, const std::uint8_t* bytes, std::size_t n)
{
    for (std::size_t i = 0; i < n; ++i) {
        crc ^= bytes[i];
        for (int b = 0; b < 8; ++b)
            crc = (crc & 1) ? static_cast<std::uint16_t>((crc >> 1) ^ 0xA001) : static_cast<std::uint16_t>(crc >> 1);
    }
    return crc;
}

} // namespace

bool WifiBootLoader::LooksLikeRequest(const Bytes& bytes)
{
    return bytes.size() >= 5 && bytes[2] == 0xFF && bytes[3] == 0xFF;
}

std::size_t WifiBootLoader::RequestSize(const Bytes& bytes)
{
    if (bytes.size() >= 6 && bytes[5] == 0x90 && bytes[4] == 1)
        return 9;
    return std::size_t(bytes[4]) + 7u;
}

Bytes WifiBootLoader::Reply(std::uint8_t command, const Bytes& data) const
{
    Bytes r{0xFF, 0xFF, kAddress, 0x00, static_cast<std::uint8_t>(data.size() + 1), command};
    r.insert(r.end(), data.begin(), data.end());
    AppendCrc(r);
    return r;
}

Bytes WifiBootLoader::Answer(const Bytes& request, bool& hangup)
{
    hangup = false;
    if (request.size() < 8 || (request[0] | request[1] << 8) != kAddress)
        return {};
    const std::uint8_t command = request[5];
    const std::size_t dataAt = 6;
    const std::size_t dataEnd = request.size() - 2;
    switch (command) {
    case 0x00:
        return Reply(0x00, [&] {
            Bytes d;
            PutLe32(d, productId);
            return d;
        }());
    case 0x05:
    case 0x06:
        inBootMode = true;
        return Reply(command, {});
    case 0x11:
        if (dataEnd <= dataAt)
            return Reply(0x91, {});
        selectedProcessor = request[dataAt];
        return Reply(0x11, {0x00});
    case 0x12: {
        if (dataEnd < dataAt + 5)
            return Reply(0x92, {});
        bankStart = Le32(request, dataAt + 1);
        blocks.clear();
        blocksReceived = 0;
        blockIndex_ = 0;
        crc_ = 0xFFFF;
        // Raw images live above 0x80000000; their check exchanges the CRC's bytes between blocks.
        binCrc_ = bankStart >= 0x80000000u;
        finished = false;
        progress_ = 0;   // erasing
        Bytes d{0x01};
        PutLe32(d, bankStart);
        return Reply(0x12, d);
    }
    case 0x20: {
        if (dataEnd < dataAt + 8)
            return Reply(0xA0 | 0x80, {});
        ++blockIndex_;
        if (dropAtBlock == blockIndex_ && !dropped_) {
            dropped_ = true;
            --blockIndex_;
            hangup = true;
            return {};
        }
        const std::uint32_t address = Le32(request, dataAt);
        if (refuseBlock == blockIndex_ && refusedSoFar_ < refuseBlockTimes) {
            ++refusedSoFar_;
            --blockIndex_;
            Bytes d;
            PutLe32(d, address ^ 0xFFFFFFFFu);
            return Reply(0xA0, d);
        }
        Bytes data(request.begin() + static_cast<std::ptrdiff_t>(dataAt + 8),
                   request.begin() + static_cast<std::ptrdiff_t>(dataEnd));
        if (binCrc_)
            crc_ = CrcFrom(static_cast<std::uint16_t>((crc_ >> 8) | (crc_ << 8)), data.data(), data.size());
        else
            crc_ = CrcFrom(crc_, data.data(), data.size());
        blocks[address] = std::move(data);
        lastNextAddress = Le32(request, dataAt + 4);
        ++blocksReceived;
        Bytes d;
        PutLe32(d, address);
        return Reply(0xA0, d);
    }
    case 0x13: {
        if (dataEnd < dataAt + 5)
            return Reply(0x93, {});
        closedLength = Le32(request, dataAt + 1);
        const std::uint16_t crc = spoilCloseCrc ? *spoilCloseCrc : crc_;
        spoilCloseCrc.reset();
        return Reply(0x13, {0x00, static_cast<std::uint8_t>(crc), static_cast<std::uint8_t>(crc >> 8)});
    }
    case 0x14:
        progress_ = 0;   // copying the new image into place
        finished = true;
        return Reply(0x14, {0x01});
    case 0x90: {
        const int percent = progress_;
        progress_ = std::min(100, progress_ + progressStep);
        // The length byte says 1 although the percent follows, as the module's loader sends it.
        Bytes r{0xFF, 0xFF, kAddress, 0x00, 1, 0x90, static_cast<std::uint8_t>(percent)};
        AppendCrc(r);
        return r;
    }
    default:
        return Reply(static_cast<std::uint8_t>(command | 0x80), {});
    }
}

Bytes WifiBootLoader::Image() const
{
    Bytes out;
    for (const auto& [address, data] : blocks)
        out.insert(out.end(), data.begin(), data.end());
    return out;
}

} // namespace invsim

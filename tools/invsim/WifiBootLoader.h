// The boot loader behind a simulated Wi-Fi module: it answers the boot-loader frames that the
// program's Wi-Fi upgrade sends to inverter 1 (product ID, boot keys, processor, bank, blocks
// with an acknowledgement each, bank close with the CRC of what it received, finish, progress)
// and keeps the blocks, so a test can compare the programmed image with the file.
#pragma once

#include "tools/invsim/Inverter.h"

#include <cstdint>
#include <map>
#include <optional>

namespace invsim {

class WifiBootLoader {
public:
    std::uint32_t productId = 52000100;
    // Percent the progress report climbs by on each poll, while erasing and while finishing.
    int progressStep = 50;

    // Faults on request. The n-th block (1-based) is answered with a wrong acknowledgement
    // `refuseBlockTimes` times; the connection is dropped when the n-th block arrives, once.
    int refuseBlock = 0;
    int refuseBlockTimes = 1;
    int dropAtBlock = 0;
    // The next bank close reports this CRC instead of the one it computed.
    std::optional<std::uint16_t> spoilCloseCrc;

    // What the loader holds.
    std::map<std::uint32_t, Bytes> blocks;   // by block address, the data of its last write
    int blocksReceived = 0;
    std::uint32_t lastNextAddress = 0;       // the next-block address the last block carried
    bool inBootMode = false;
    bool finished = false;
    int selectedProcessor = -1;
    std::uint32_t bankStart = 0;
    std::uint32_t closedLength = 0;          // the length the last bank close carried

    // True when the bytes start with a boot-loader request frame addressed anywhere: the
    // frame's size is then its length byte plus seven.
    static bool LooksLikeRequest(const Bytes& bytes);
    // The size of the request the bytes start with: the length byte plus seven, but nine for
    // the progress request, whose length byte says 1 although a data byte follows.
    static std::size_t RequestSize(const Bytes& bytes);
    // The reply to one request (CRC already checked); empty for none. hangup is set when the
    // module must drop the connection instead.
    Bytes Answer(const Bytes& request, bool& hangup);
    // The image as received, blocks in address order joined.
    Bytes Image() const;

private:
    Bytes Reply(std::uint8_t command, const Bytes& data) const;
    int progress_ = 100;
    std::uint16_t crc_ = 0xFFFF;
    bool binCrc_ = false;
    int blockIndex_ = 0;
    int refusedSoFar_ = 0;
    bool dropped_ = false;
};

} // namespace invsim

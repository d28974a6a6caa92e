#include "tools/invsim/BootLoader.h"

namespace invsim {

bool IsBootLoaderFrame(const Bytes& frame)
{
    return frame.size() >= 8 && frame[2] == 0xFF && frame[3] == 0xFF
        && frame.size() == static_cast<std::size_t>(frame[4]) + 7;
}

Bytes BootLoaderAnswer(int id, std::uint32_t productId, const Bytes& request)
{
    if (!IsBootLoaderFrame(request))
        return {};
    const int destination = request[0] | request[1] << 8;
    if (destination != id)
        return {};
    const std::uint8_t command = request[5];
    Bytes reply{0xFF, 0xFF, static_cast<std::uint8_t>(id & 0xFF), static_cast<std::uint8_t>(id >> 8)};
    if (command == kBootReadProductId) {
        reply.push_back(5);
        reply.push_back(command);
        for (int shift = 0; shift < 32; shift += 8)
            reply.push_back(static_cast<std::uint8_t>(productId >> shift));
    } else {
        reply.push_back(1);
        reply.push_back(static_cast<std::uint8_t>(command | 0x80));
    }
    AppendCrc(reply);
    return reply;
}

} // namespace invsim

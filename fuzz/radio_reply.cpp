// The radio adapter's text as the link reads it after a request: any bytes in the receive buffer
// go through the reply parser (tokens, the "radio_rx" payload in hex, RSSI, SNR) and the log.
#include "FuzzLink.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzzlink::QuietHost& host = fuzzlink::Setup(0.001);
    if (size < 2)
        return 0;
    Modbus link(&host);
    link.LinkType = LinkSub1g;
    link.SlaveId = 1;
    // The first two bytes choose the request.
    const fuzzlink::Ask ask = fuzzlink::AskFrom(data[0], data[1]);
    link.BuildRadioFrame(100, ask.count, ask.fc);
    data += 2;
    size -= 2;
    const std::size_t n = size < sizeof link.Com.RxBuffer - 1 ? size : sizeof link.Com.RxBuffer - 1;
    std::memcpy(link.Com.RxBuffer, data, n);
    link.Com.RxBuffer[n] = 0;
    link.Com.RxCount = static_cast<int>(n);
    link.LogRxText();
    link.ParseRadioReply();
    link.LogReply();
    fuzzlink::CheckAccepted(link, ask);
    return 0;
}

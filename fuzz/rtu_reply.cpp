// A reply on the RS-485 link: the input's bytes wait on a pseudo-terminal when the link sends its
// request, and go through the serial read, the CRC and the length checks and the log.
#include "FuzzLink.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace {

// The device end of the line: its master side, non-blocking.
int Master()
{
    static const int fd = [] {
        const int m = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (m < 0 || grantpt(m) != 0 || unlockpt(m) != 0)
            __builtin_trap();
        return m;
    }();
    return fd;
}

void Drain(int fd)
{
    char sink[4096];
    while (::read(fd, sink, sizeof sink) > 0) {
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzzlink::QuietHost& host = fuzzlink::Setup(0.005);
    static Modbus link(&host);
    static const bool opened = [] {
        if (link.OpenCom(QString::fromLatin1(ptsname(Master()))) != 0)
            __builtin_trap();
        link.SetBaudCode(1);
        link.SlaveId = 1;
        return true;
    }();
    (void)opened;
    // The first two bytes choose the request; at most 1 KiB follows (a pty holds 4 KiB).
    if (size < 2 || size > 1026)
        return 0;
    const fuzzlink::Ask ask = fuzzlink::AskFrom(data[0], data[1]);
    // Nothing of an earlier run is left on either side of the line.
    Drain(Master());
    while (link.Com.ReadAvailable() == 0 && link.Com.RxCount > 0) {
    }
    if (size > 2 && ::write(Master(), data + 2, size - 2) != static_cast<ssize_t>(size - 2))
        __builtin_trap();
    const int value = ask.fc == 5 ? 0xFF00 : ask.fc == 6 ? 0x1234 : ask.count;
    if (link.Request(100, value, ask.fc) != 0)
        __builtin_trap();   // the pty stays open: the link itself never fails here
    fuzzlink::CheckAccepted(link, ask);
    return 0;
}

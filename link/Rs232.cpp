#include "link/Rs232.h"

#include "common/Waits.h"
#include "link/LinkHost.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace {

speed_t SpeedOf(int baud)
{
    switch (baud) {
    case 4800: return B4800;
    case 9600: return B9600;
    case 19200: return B19200;
    case 38400: return B38400;
    default: return B0;
    }
}

// Raw 8N1 at the given rate, no flow control, reads that never block.
bool ApplyLine(int fd, int baud)
{
    termios tio{};
    if (tcgetattr(fd, &tio) != 0)
        return false;
    cfmakeraw(&tio);
    tio.c_cflag &= ~(PARENB | CSTOPB | CSIZE | CRTSCTS);
    tio.c_cflag |= CS8 | CLOCAL | CREAD;
    tio.c_iflag &= ~(IXON | IXOFF | IXANY);
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    const speed_t speed = SpeedOf(baud);
    if (speed == B0 || cfsetispeed(&tio, speed) != 0 || cfsetospeed(&tio, speed) != 0)
        return false;
    return tcsetattr(fd, TCSANOW, &tio) == 0;
}

} // namespace

int BaudOfCode(int code)
{
    return (code >= 0 && code <= 3) ? 4800 << code : 0;
}

int CodeOfBaud(int baud)
{
    for (int code = 0; code <= 3; ++code)
        if (BaudOfCode(code) == baud)
            return code;
    return -1;
}

Tcomm::~Tcomm()
{
    if (ComHandle >= 0)
        ::close(ComHandle);
}

LinkHost& Tcomm::Host()
{
    return host_ ? *host_ : DefaultLinkHost();
}

int Tcomm::Open(const QString& name)
{
    if (ComHandle >= 0)
        Close();
    const QByteArray path = name.toLocal8Bit();
    int fd = ::open(path.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    // No sharing: a port that another program (or another of our handles) holds does not open.
    if (fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        fd = -1;
    }
    if (fd < 0) {
        Host().ShowMessage(QStringLiteral("COM Can't Open"));
        return 1;
    }
    // A path that opens but is no serial port (a regular file, /dev/null) is no link either.
    if (!ApplyLine(fd, 4800)) {
        ::close(fd);
        Host().ShowMessage(QStringLiteral("COM Can't Open"));
        return 1;
    }
    ComHandle = fd;
    BaudRate = 4800;
    staged_.clear();
    tcflush(fd, TCIOFLUSH);
    int lines = TIOCM_DTR;
    ioctl(fd, TIOCMBIC, &lines);   // a pseudo-terminal has no modem lines: the failure is harmless
    lines = TIOCM_RTS;
    ioctl(fd, TIOCMBIC, &lines);
    return 0;
}

int Tcomm::SetBaud(std::uint8_t code)
{
    if (code > 3)
        return 1;
    BaudRate = BaudOfCode(code);
    if (ComHandle < 0)
        return 1;
    return ApplyLine(ComHandle, BaudRate) ? 0 : 1;
}

int Tcomm::Close()
{
    if (ComHandle >= 0) {
        tcflush(ComHandle, TCIFLUSH);
        ::close(ComHandle);
        ComHandle = -1;
    }
    staged_.clear();
    return 0;
}

int Tcomm::WriteTx(int n)
{
    return Write(TxBuffer, n < 0 ? 0 : (n > kTxBufferSize ? kTxBufferSize : n));
}

int Tcomm::WriteText()
{
    return Write(reinterpret_cast<const std::uint8_t*>(TxText.data()), static_cast<int>(TxText.size()));
}

int Tcomm::Write(const std::uint8_t* bytes, int n)
{
    if (ComHandle < 0)
        return 1;
    // The write may take 10 ms per byte, as the line needs at its slowest.
    int budgetMs = 10 * n + 10;
    int done = 0;
    while (done < n) {
        const ssize_t w = ::write(ComHandle, bytes + done, static_cast<size_t>(n - done));
        if (w > 0) {
            done += static_cast<int>(w);
            continue;
        }
        if (w < 0 && errno == EINTR)
            continue;
        if (w < 0 && (errno == EAGAIN || errno == EWOULDBLOCK) && budgetMs > 0) {
            pollfd p{ComHandle, POLLOUT, 0};
            const int step = budgetMs < 10 ? budgetMs : 10;
            ::poll(&p, 1, step);
            budgetMs -= step;
            if (p.revents & (POLLERR | POLLHUP | POLLNVAL))
                return 1;
            continue;
        }
        return 1;
    }
    return 0;
}

int Tcomm::QueryQueue(int& count)
{
    count = static_cast<int>(staged_.size());
    if (ComHandle < 0)
        return 1;
    pollfd p{ComHandle, POLLIN, 0};
    if (::poll(&p, 1, 0) < 0 && errno != EINTR)
        return 1;
    if (p.revents & (POLLERR | POLLNVAL))
        return 1;
    const bool hungUp = (p.revents & POLLHUP) != 0;
    // The terminal layer hands over at most a few kilobytes at a time; when a read finds its
    // buffer full, give it a moment to refill so that a flood is seen as the flood it is.
    std::uint8_t chunk[4096];
    int roundBytes = 0;
    while (staged_.size() < static_cast<size_t>(kRxOversize)) {
        const ssize_t r = ::read(ComHandle, chunk, sizeof chunk);
        if (r > 0) {
            staged_.insert(staged_.end(), chunk, chunk + r);
            roundBytes += static_cast<int>(r);
            continue;
        }
        if (r < 0 && errno == EINTR)
            continue;
        // A raw line without a minimum count reads 0 when nothing is waiting.
        if (r == 0 || errno == EAGAIN || errno == EWOULDBLOCK) {
            if (roundBytes >= static_cast<int>(sizeof chunk) / 2) {
                roundBytes = 0;
                pollfd again{ComHandle, POLLIN, 0};
                if (::poll(&again, 1, 2) > 0 && (again.revents & POLLIN))
                    continue;
            }
            break;
        }
        count = static_cast<int>(staged_.size());
        return 1;   // an I/O error
    }
    count = static_cast<int>(staged_.size());
    // The other end of the line is gone (a pseudo-terminal's master closed, an adapter pulled).
    return hungUp ? 1 : 0;
}

void Tcomm::Purge()
{
    staged_.clear();
    if (ComHandle >= 0)
        tcflush(ComHandle, TCIFLUSH);
}

int Tcomm::TakeWaiting(int count)
{
    RxCount = count;
    if (count == 0)
        return 0;
    if (count < kRxOversize) {
        std::memcpy(RxBuffer, staged_.data(), static_cast<size_t>(count));
        RxBuffer[count] = 0;
        staged_.erase(staged_.begin(), staged_.begin() + count);
        return 0;
    }
    Host().ShowMessage(QStringLiteral("Rx Size > Buffer %1").arg(static_cast<unsigned long>(count)));
    Purge();
    RxBuffer[0] = 0;
    RxCount = 0;
    return 1;
}

int Tcomm::StartRead(int& count)
{
    RxCount = 0;
    count = 0;
    if (ComHandle < 0)
        return 1;
    std::memset(RxBuffer, 0, sizeof RxBuffer);
    return QueryQueue(count);
}

int Tcomm::ReadAvailable()
{
    int count = 0;
    if (StartRead(count) != 0)
        return 1;
    return TakeWaiting(count);
}

int Tcomm::ReadExpected(int expected)
{
    int count = 0;
    if (StartRead(count) != 0)
        return 1;
    const int polls = expected < 10 ? 4 : (expected <= 20 ? 6 : 10);
    int fiveBytePolls = 0;
    for (int i = 0; i < polls; ++i) {
        DelayPumped(40);
        if (QueryQueue(count) != 0)
            return 1;
        if (count >= expected)
            break;
        // Two polls that found exactly five bytes: an exception reply, nothing more is coming.
        if (count == 5 && ++fiveBytePolls == 2)
            break;
    }
    return TakeWaiting(count);
}

int Tcomm::InQueue()
{
    int count = 0;
    if (QueryQueue(count) != 0)
        return 0;
    return count;
}

#include "link/Mysock.h"

#include "common/Waits.h"
#include "link/CommLog.h"
#include "link/LinkHost.h"
#include "link/Modbus.h"
#include "vcl/Services.h"

#include <QString>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr const char* kDefaultWifiHost = "10.10.100.254";
constexpr const char* kDefaultWifiPort = "5001";
constexpr int kReceiveSeconds = 6;
// The longest stretch a socket wait goes without letting the window handle its events.
constexpr std::int64_t kPumpSliceMs = 50;

// Tests run the kit's clock faster; the socket waits follow the same scale.
double ClockScale()
{
    if (auto* scaled = dynamic_cast<vcl::ScaledTimeService*>(&vcl::Time()))
        return scaled->factor();
    return 1.0;
}

std::int64_t SteadyMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

bool NumericPort(const std::string& port)
{
    if (port.empty() || port.size() > 5)
        return false;
    for (char c : port)
        if (c < '0' || c > '9')
            return false;
    const long n = std::strtol(port.c_str(), nullptr, 10);
    return n >= 1 && n <= 65535;
}

} // namespace

bool PlausibleHostName(const std::string& host)
{
    if (host.empty() || host.size() > 253)
        return false;
    for (char c : host) {
        const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '.';
        if (!ok)
            return false;
    }
    return true;
}

void WifiAddress(std::string& host, std::string& port)
{
    const QByteArray value = qgetenv("SUNVANE_WIFI_ADDRESS").trimmed();
    if (value.isEmpty()) {
        host = kDefaultWifiHost;
        port = kDefaultWifiPort;
        return;
    }
    const std::string text = value.toStdString();
    const auto colon = text.rfind(':');
    if (colon == std::string::npos) {
        host = text;
        port = kDefaultWifiPort;
    } else {
        host = text.substr(0, colon);
        port = text.substr(colon + 1);
    }
}

KivClient::KivClient()
{
    for (int& s : SocketSlots)
        s = -1;
}

KivClient::~KivClient()
{
    Cleanup();
}

int* KivClient::SocketOf(int slot)
{
    if (slot == kLinkSlot)
        return &LinkSocket;
    if (slot < 0 || slot >= kSlotCount)
        return nullptr;
    return &SocketSlots[slot];
}

const int* KivClient::SocketOf(int slot) const
{
    return const_cast<KivClient*>(this)->SocketOf(slot);
}

void KivClient::PumpOnce()
{
    (host_ ? *host_ : DefaultLinkHost()).Pump();
}

int KivClient::Startup()
{
    return 0;
}

int KivClient::Cleanup()
{
    CloseSlots();
    CloseSlot(kLinkSlot);
    return 0;
}

bool KivClient::Connected(int slot) const
{
    const int* s = SocketOf(slot);
    return s && *s >= 0;
}

void KivClient::CloseSlot(int slot)
{
    int* s = SocketOf(slot);
    if (s && *s >= 0) {
        ::close(*s);
        *s = -1;
    }
}

void KivClient::PeerEnded(int slot)
{
    CloseSlot(slot);
    if (slot == kLinkSlot)
        LinkHungUp = true;
}

void KivClient::CloseSlots()
{
    for (int slot = 0; slot < kSlotCount; ++slot)
        CloseSlot(slot);
}

int KivClient::Connect(int slot, const std::string& host, const std::string& port)
{
    int* s = SocketOf(slot);
    if (!s)
        return -1;
    CloseSlot(slot);   // a connection still held is not left open behind the new one

    addrinfo* found = nullptr;
    int rc = EAI_NONAME;
    if (PlausibleHostName(host) && NumericPort(port)) {
        addrinfo hints{};
        hints.ai_family = AF_INET;
        hints.ai_socktype = SOCK_STREAM;
        hints.ai_flags = AI_NUMERICHOST | AI_NUMERICSERV;
        // An address written as numbers needs no look-up; only a name goes to the resolver.
        rc = getaddrinfo(host.c_str(), port.c_str(), &hints, &found);
        if (rc == EAI_NONAME) {
            hints.ai_flags = AI_NUMERICSERV;
            rc = getaddrinfo(host.c_str(), port.c_str(), &hints, &found);
        }
    }
    PumpOnce();
    if (rc != 0 || !found)
        return -1;

    const int fd = ::socket(AF_INET, found->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, found->ai_protocol);
    if (fd < 0) {
        freeaddrinfo(found);
        return -1;
    }
    const int one = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    *s = fd;
    // The connection completes (or is refused) in the background; the first send finds out.
    ::connect(fd, found->ai_addr, found->ai_addrlen);
    freeaddrinfo(found);
    return 0;
}

int KivClient::Send(int slot, const std::uint8_t* bytes, int n)
{
    int* s = SocketOf(slot);
    bool ok = s && *s >= 0 && n >= 0;
    SendRefused = false;
    if (ok) {
        ssize_t w;
        do
            w = ::send(*s, bytes, static_cast<size_t>(n), MSG_NOSIGNAL);
        while (w < 0 && errno == EINTR);
        ok = w == n;
        SendRefused = w < 0 && (errno == ECONNREFUSED || errno == ECONNRESET || errno == EPIPE);
    }
    if (!ok)
        CloseSlot(slot);
    PumpOnce();
    return ok ? 0 : 1;
}

std::int64_t KivClient::DeadlineAfter(long long ms)
{
    return SteadyMs() + static_cast<std::int64_t>(static_cast<double>(ms) * ClockScale());
}

int KivClient::PollReadable(int slot, std::int64_t deadline)
{
    for (;;) {
        // Looked up afresh after every pump: a handler may have closed the link meanwhile.
        const int* s = SocketOf(slot);
        if (!s || *s < 0)
            return -1;
        const std::int64_t left = deadline - SteadyMs();
        const int slice = static_cast<int>(std::clamp<std::int64_t>(left, 0, kPumpSliceMs));
        pollfd p{*s, POLLIN, 0};
        const int r = ::poll(&p, 1, slice);
        if (r < 0 && errno == EINTR)
            continue;
        if (r < 0 || (p.revents & POLLNVAL))
            return -1;
        // A reset or closed connection is readable too: the read then tells what happened.
        if (r > 0)
            return 0;
        if (left <= slice)
            return 1;
        // A silent module must not freeze the window for the whole wait.
        PumpOnce();
    }
}

int KivClient::WaitReadable(int slot, int seconds)
{
    const int r = PollReadable(slot, DeadlineAfter(static_cast<long long>(seconds) * 1000 + 1));
    if (r == 1)
        PumpOnce();
    return r;
}

int KivClient::Receive(int slot, int seconds)
{
    std::memset(RecvBuffer, 0, sizeof RecvBuffer);
    RecvLength = 0;
    const int r = WaitReadable(slot, seconds);
    PumpOnce();
    if (r != 0) {
        CloseSlot(slot);
        return 1;
    }
    const int* s = SocketOf(slot);   // the pump may have closed the link meanwhile
    if (!s || *s < 0)
        return 0;
    ssize_t n;
    do
        n = ::recv(*s, RecvBuffer, kRecvMax, 0);
    while (n < 0 && errno == EINTR);
    if (n > 0) {
        RecvLength = static_cast<std::int32_t>(n);
    } else if (!(n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))) {
        // The module closed or reset the connection: the next exchange connects again instead
        // of sending into a dead socket.
        PeerEnded(slot);
    }
    RecvBuffer[RecvLength] = 0;
    return 0;
}

int KivClient::ReceiveMore(int slot, std::int64_t deadline)
{
    if (RecvLength >= kRecvMax || PollReadable(slot, deadline) != 0)
        return 1;
    const int* s = SocketOf(slot);
    ssize_t n;
    do
        n = ::recv(*s, RecvBuffer + RecvLength, static_cast<size_t>(kRecvMax - RecvLength), 0);
    while (n < 0 && errno == EINTR);
    if (n <= 0) {
        if (!(n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)))
            PeerEnded(slot);
        return 1;
    }
    RecvLength += static_cast<std::int32_t>(n);
    RecvBuffer[RecvLength] = 0;
    return 0;
}

bool KivClient::Drain(int slot)
{
    const int* s = SocketOf(slot);
    if (!s || *s < 0)
        return true;
    // A module that keeps sending would hold the window here for as long as it sends: what is
    // read is bounded by bytes and by time, and a connection that is still flooded past them is
    // given up (the next exchange makes a fresh one).
    const std::int64_t deadline = SteadyMs() + kDrainMs;
    std::uint8_t junk[512];
    int drained = 0;
    for (;;) {
        const ssize_t n = ::recv(*s, junk, sizeof junk, MSG_DONTWAIT);
        if (n > 0) {
            drained += static_cast<int>(n);
            if (drained >= kDrainMaxBytes || SteadyMs() >= deadline) {
                CloseSlot(slot);
                return false;
            }
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        // Closed or reset by the module while idle: start afresh rather than send into it.
        if (n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK))
            PeerEnded(slot);
        return true;
    }
}

// ---------------------------------------------------------------------------------------------
// One request and reply over the Wi-Fi module.

namespace {

// Length of the complete reply to the request in the frame, judged from the bytes so far:
// an exception reply has 5 bytes, a read announces its byte count in byte 2, a write is echoed.
// 0 while too few bytes are there to tell.
int ExpectedTcpReply(const std::uint8_t* request, const std::uint8_t* got, int n)
{
    if (n >= 2 && (got[1] & 0x80))
        return 5;
    switch (request[1]) {
    case 1:
    case 3:
    case 4:
        return n >= 3 ? got[2] + 5 : 0;
    default:
        return 8;
    }
}

} // namespace

int Modbus::TransactTcp()
{
    const int slot = KivClient::kLinkSlot;
    // Bytes that came after an earlier exchange had given up belong to no request of ours; a
    // connection the module closed meanwhile is found here and made afresh.
    Tcp.Drain(slot);
    std::string host, port;
    const bool fresh = !Tcp.Connected(slot);
    if (fresh) {
        WifiAddress(host, port);
        const int started = Tcp.Connect(slot, host, port);
        DelayPumped(50);
        if (started == -1) {
            AppendCommLine(QStringLiteral("Error - Build Socket"));
            ReplyLength = 0;
            return -1;
        }
    }
    ClearReply();
    ++TxCounter;

    // A module that ended the connection itself and then turns the next one away is gone (its
    // power or its server stopped): the link is lost. A module that only stays silent is not.
    bool lost = false;
    if (Tcp.Send(slot, Com.TxBuffer, TxLength) != 0) {
        AppendCommLine(QStringLiteral("Error - Send"));
        ++ConnectErrors;
        ++NoReplyCount;
        lost = Tcp.LinkHungUp && Tcp.SendRefused;
        if (fresh && !lost) {
            // Nothing took the connection: the module is off, out of reach or at another
            // address. The user is told once per open link, with the address tried.
            const QString address = QString::fromStdString(host) + QLatin1Char(':') + QString::fromStdString(port);
            Host().SetStatusPanel(4, QStringLiteral("Wi-Fi No Connection"));
            if (!unreachableSaid_) {
                unreachableSaid_ = true;
                Host().ShowMessage(QStringLiteral("Wi-Fi module at %1 cannot be reached").arg(address));
            }
        }
    } else {
        LogTx();
        const std::int64_t deadline = KivClient::DeadlineAfter(kReceiveSeconds * 1000 + 1);
        if (Tcp.Receive(slot, kReceiveSeconds) != 0) {
            AppendCommLine(QStringLiteral("Error - Receive"));
            ++NoReplyCount;
        } else {
            // A reply may come in several pieces: the rest is awaited within the same 6 s. An STX
            // reply says its length in its fourth byte.
            const bool stx = StxRequestSent();
            if ((TxLength == 8 || stx) && Tcp.RecvLength > 0) {
                for (;;) {
                    const int expected = stx ? (Tcp.RecvLength >= 4 ? StxReplyLength(Tcp.RecvBuffer, Tcp.RecvLength) : 0)
                                             : ExpectedTcpReply(Com.TxBuffer, Tcp.RecvBuffer, Tcp.RecvLength);
                    if ((expected != 0 && Tcp.RecvLength >= expected) || Tcp.ReceiveMore(slot, deadline) != 0)
                        break;
                }
            }
            Com.RxCount = Tcp.RecvLength;
            if (Tcp.RecvLength < 1) {
                ++NoReplyCount;
            } else {
                Tcp.LinkHungUp = false;
                Host().SetStatusPanel(4, QStringLiteral("Wi-Fi Open"));
                ReplyLength = Tcp.RecvLength;
                std::memcpy(Com.RxBuffer, Tcp.RecvBuffer, static_cast<size_t>(ReplyLength));
                Com.RxBuffer[ReplyLength] = 0;
                std::memcpy(Reply, Tcp.RecvBuffer, static_cast<size_t>(ReplyLength));
                LogRxHex();
                ReplyOk = static_cast<std::uint8_t>(CheckReplyCrc());
                CheckReplyFits();
                if (!ReplyBringsData())
                    ++CrcErrors;
            }
        }
    }
    Host().SetStatusPanel(3, QString::number(TxCounter));
    Host().SetStatusPanel(5, QStringLiteral("NoCon/NoRx/Error:%1/%2/%3").arg(ConnectErrors).arg(NoReplyCount).arg(CrcErrors));
    return lost ? 1 : 0;
}

#include "tools/invsim/TcpModule.h"

#include "tools/invsim/Stx.h"

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace invsim {

namespace {

std::int64_t NowUs()
{
    using namespace std::chrono;
    return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

std::int64_t NowMs() { return NowUs() / 1000; }

} // namespace

TcpModule::TcpModule(int id) : id_(id), inverter_(id)
{
    // The module takes the keep-alive write of every polling cycle.
    inverter_.SetHolding(60515, 0);
}

TcpModule::~TcpModule()
{
    Stop();
}

bool TcpModule::OpenListener(std::string* error)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        if (error)
            *error = std::string("socket: ") + std::strerror(errno);
        return false;
    }
    const int one = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons(static_cast<std::uint16_t>(port_));
    if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || ::listen(fd, 16) != 0) {
        if (error)
            *error = "127.0.0.1:" + std::to_string(port_) + ": " + std::strerror(errno);
        ::close(fd);
        return false;
    }
    socklen_t len = sizeof addr;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
    port_ = ntohs(addr.sin_port);
    listener_ = fd;
    return true;
}

void TcpModule::CloseListener()
{
    if (listener_ >= 0)
        ::close(listener_);
    listener_ = -1;
}

bool TcpModule::Start(int port, std::string* error)
{
    std::lock_guard<std::mutex> lock(mutex_);
    port_ = port;
    if (!OpenListener(error))
        return false;
    traffic_.SetStopped(false);
    if (!serving_.Start([this] { Serve(); }, error)) {
        CloseListener();
        return false;
    }
    return true;
}

void TcpModule::Stop()
{
    traffic_.SetStopped(true);
    serving_.Stop();
    std::lock_guard<std::mutex> lock(mutex_);
    CloseListener();
    for (auto& c : clients_)
        ::close(c.fd);
    clients_.clear();
    open_ = 0;
    cv_.notify_all();
}

void TcpModule::With(const std::function<void(Inverter&)>& f)
{
    std::lock_guard<std::mutex> lock(mutex_);
    f(inverter_);
}

std::optional<std::uint16_t> TcpModule::Holding(int reg)
{
    std::lock_guard<std::mutex> lock(mutex_);
    return inverter_.Holding(reg);
}

void TcpModule::AddFault(const Fault& fault)
{
    std::lock_guard<std::mutex> lock(mutex_);
    faults_.push_back(fault);
}

void TcpModule::ClearFaults()
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        faults_.clear();
        quiet_ = true;
    }
    Wake();
}

void TcpModule::SetLinkWaitMs(int ms)
{
    std::lock_guard<std::mutex> lock(mutex_);
    linkWaitMs_ = ms;
}

void TcpModule::Babble()
{
    static const Bytes noise(16384, 0x55);
    const std::int64_t now = NowMs();
    for (auto& c : clients_) {
        if (c.fd < 0 || c.babbleUntilMs == 0)
            continue;
        if (now >= c.babbleUntilMs) {
            c.babbleUntilMs = 0;
            continue;
        }
        // As much as the connection takes, a bounded amount per turn so that requests are heard.
        for (int i = 0; i < 64; ++i) {
            const ssize_t w = ::send(c.fd, noise.data(), noise.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
            if (w <= 0)
                break;
            traffic_.AddSent(static_cast<std::size_t>(w));
        }
    }
}

void TcpModule::Refuse(int ms)
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        CloseListener();
        listenAgainAtMs_ = ms < 0 ? -1 : NowMs() + ms;
    }
    Wake();
}

void TcpModule::Listen()
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        listenAgainAtMs_ = -1;
        if (listener_ < 0)
            OpenListener(nullptr);
    }
    Wake();
}

void TcpModule::DropConnections()
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        dropAll_ = true;
    }
    Wake();
}

int TcpModule::Accepted() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return accepted_;
}

int TcpModule::OpenConnections() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return open_;
}

bool TcpModule::WaitForOpenConnections(int n, int timeoutMs) const
{
    std::unique_lock<std::mutex> lock(mutex_);
    return cv_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return open_ == n; });
}

bool TcpModule::PauseMs(int ms)
{
    if (serving_.Pause(ms))
        return true;
    return !serving_.Stopping();   // a wake for another reason (a refusal) does not end the pause early
}

bool TcpModule::SendTo(int fd, const Bytes& bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t w = ::send(fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
        if (w > 0) {
            done += static_cast<std::size_t>(w);
            traffic_.AddSent(static_cast<std::size_t>(w));
            continue;
        }
        if (w < 0 && errno == EINTR)
            continue;
        if (w < 0 && errno == EAGAIN) {
            pollfd p{fd, POLLOUT, 0};
            ::poll(&p, 1, 100);
            continue;
        }
        return false;
    }
    return true;
}

// Answers one frame; the client is closed by the caller when its fd was set to -1 here.
void TcpModule::Handle(Client& client, const Bytes& bytes)
{
    traffic_.Add(Frame{NowUs(), 0, bytes});
    if (WifiBootLoader::LooksLikeRequest(bytes) && bytes.size() == WifiBootLoader::RequestSize(bytes) && CrcOk(bytes)) {
        bool hangup = false;
        Bytes reply;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            reply = bootLoader_.Answer(bytes, hangup);
        }
        if (hangup) {
            ::close(client.fd);
            client.fd = -1;
        } else if (!reply.empty()) {
            SendTo(client.fd, reply);
        }
        return;
    }
    const bool stx = IsStxRequest(bytes);
    if (!stx && (bytes.size() < 4 || !CrcOk(bytes) || bytes[0] != id_))
        return;

    Bytes reply;
    std::optional<Fault> fault;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (stx) {
            // The module passes an STX request through to its inverter as it stands.
            reply = StxAnswer(id_, inverter_.Talvera(), bytes);
            if (reply.empty())
                return;
            fault = TakeFault(faults_);
            if (fault && fault->kind == FaultKind::Silence)
                return;
            if (fault)
                SpoilReply(reply, *fault);
        } else {
            fault = TakeFault(faults_);
            reply = AnswerUnderFault(inverter_, bytes, fault);
        }
        if (fault && fault->kind == FaultKind::Late) {
            fault->kind = FaultKind::Delay;
            fault->param = linkWaitMs_ + (fault->param < 0 ? 100 : fault->param);
        }
    }
    if (fault && fault->kind == FaultKind::Babble) {
        // Noise without pause on this connection in place of the reply.
        client.babbleUntilMs = NowMs() + (fault->param < 0 ? 3000 : fault->param);
        return;
    }
    if (fault && fault->kind == FaultKind::Hangup) {
        ::close(client.fd);
        client.fd = -1;
        if (fault->param >= 0) {
            std::lock_guard<std::mutex> lock(mutex_);
            CloseListener();
            listenAgainAtMs_ = NowMs() + fault->param;
        }
        return;
    }
    // A split reply goes out as two TCP segments (no coalescing on the module's side).
    DeliverReply(reply, fault, [&](const Bytes& b) { SendTo(client.fd, b); }, [this](int ms) { return PauseMs(ms); });
}

void TcpModule::WithBootLoader(const std::function<void(WifiBootLoader&)>& f)
{
    std::lock_guard<std::mutex> lock(mutex_);
    f(bootLoader_);
}

void TcpModule::Serve()
{
    std::uint8_t chunk[4096];
    for (;;) {
        std::vector<pollfd> fds;
        int listener;
        int timeout = -1;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (serving_.Stopping())
                return;
            if (listener_ < 0 && listenAgainAtMs_ >= 0 && NowMs() >= listenAgainAtMs_) {
                listenAgainAtMs_ = -1;
                OpenListener(nullptr);
            }
            listener = listener_;
            if (dropAll_) {
                dropAll_ = false;
                for (auto& c : clients_)
                    ::close(c.fd);
                clients_.clear();
                open_ = 0;
                cv_.notify_all();
            }
            if (listener_ < 0 && listenAgainAtMs_ >= 0)
                timeout = static_cast<int>(std::max<std::int64_t>(1, listenAgainAtMs_ - NowMs()));
            if (quiet_) {
                quiet_ = false;
                for (auto& c : clients_)
                    c.babbleUntilMs = 0;
            }
        }
        bool babbling = false;
        for (const auto& c : clients_)
            babbling = babbling || c.babbleUntilMs != 0;
        if (babbling)
            timeout = 1;
        fds.push_back({serving_.WakeFd(), POLLIN, 0});
        if (listener >= 0)
            fds.push_back({listener, POLLIN, 0});
        bool anyPending = false;
        for (auto& c : clients_) {
            fds.push_back({c.fd, POLLIN, 0});
            anyPending = anyPending || !c.pending.empty();
        }
        // A frame ends at the first silence of a few milliseconds after its last byte.
        if (anyPending && (timeout < 0 || timeout > 5))
            timeout = 5;
        const int r = ::poll(fds.data(), fds.size(), timeout);
        if (r < 0 && errno != EINTR)
            return;
        if (fds[0].revents) {
            serving_.Drain();
            continue;   // the state changed (stop, refusal): look again
        }
        if (r == 0) {
            for (auto& c : clients_)
                if (!c.pending.empty()) {
                    Bytes frame;
                    frame.swap(c.pending);
                    Handle(c, frame);
                }
        }
        std::size_t at = 1;
        if (listener >= 0) {
            if (fds[1].revents & POLLIN) {
                const int fd = ::accept4(listener, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
                if (fd >= 0) {
                    const int one = 1;
                    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
                    clients_.push_back({fd, {}});
                    std::lock_guard<std::mutex> lock(mutex_);
                    ++accepted_;
                    ++open_;
                }
            }
            at = 2;
        }
        for (std::size_t i = 0; i + at < fds.size() && i < clients_.size(); ++i) {
            Client& c = clients_[i];
            if (c.fd < 0 || !(fds[i + at].revents & (POLLIN | POLLHUP | POLLERR)))
                continue;
            const ssize_t n = ::recv(c.fd, chunk, sizeof chunk, 0);
            if (n > 0) {
                c.pending.insert(c.pending.end(), chunk, chunk + n);
                // A complete request is answered at once, without waiting for the gap: a boot-loader
                // frame by its length byte, a Modbus request of 8 bytes by its CRC.
                for (;;) {
                    std::size_t size = 8;
                    const bool stx = c.pending.size() >= 2 && c.pending[0] == 0x02 && c.pending[1] == 0x05;
                    if (stx)
                        size = 9;
                    else if (WifiBootLoader::LooksLikeRequest(c.pending) && c.pending.size() >= 6)
                        size = WifiBootLoader::RequestSize(c.pending);
                    if (c.fd < 0 || c.pending.size() < size)
                        break;
                    Bytes frame(c.pending.begin(), c.pending.begin() + static_cast<std::ptrdiff_t>(size));
                    if (stx ? !IsStxRequest(frame) : !CrcOk(frame))
                        break;
                    c.pending.erase(c.pending.begin(), c.pending.begin() + static_cast<std::ptrdiff_t>(size));
                    Handle(c, frame);
                }
            } else if (n == 0 || (errno != EAGAIN && errno != EINTR)) {
                ::close(c.fd);
                c.fd = -1;
            }
        }
        Babble();
        bool closed = false;
        for (auto it = clients_.begin(); it != clients_.end();) {
            if (it->fd < 0) {
                it = clients_.erase(it);
                closed = true;
            } else {
                ++it;
            }
        }
        {
            std::lock_guard<std::mutex> lock(mutex_);
            open_ = static_cast<int>(clients_.size());
        }
        if (closed || r > 0)
            cv_.notify_all();
    }
}

} // namespace invsim

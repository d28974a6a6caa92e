#include "tools/invsim/Bus.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

namespace invsim {

namespace {

std::int64_t NowUs()
{
    using namespace std::chrono;
    return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

int BaudOfSpeed(speed_t s)
{
    switch (s) {
    case B1200: return 1200;
    case B2400: return 2400;
    case B4800: return 4800;
    case B9600: return 9600;
    case B19200: return 19200;
    case B38400: return 38400;
    case B57600: return 57600;
    case B115200: return 115200;
    default: return 0;
    }
}

bool ParseInt(const std::string& s, int& v)
{
    if (s.empty())
        return false;
    char* end = nullptr;
    errno = 0;
    const long n = std::strtol(s.c_str(), &end, 0);
    if (errno || *end || n < 0 || n > 1000000)
        return false;
    v = static_cast<int>(n);
    return true;
}

} // namespace

bool ParseFault(const std::string& textIn, Fault& fault)
{
    std::string text = textIn;
    fault = Fault{};
    // "/N" at the end counts the replies the fault applies to ("crc/3", "delay:50/2").
    const auto slash = text.find('/');
    if (slash != std::string::npos) {
        if (!ParseInt(text.substr(slash + 1), fault.times) || fault.times == 0)
            return false;
        text = text.substr(0, slash);
    }
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        const auto colon = text.find(':', start);
        parts.push_back(text.substr(start, colon == std::string::npos ? std::string::npos : colon - start));
        if (colon == std::string::npos)
            break;
        start = colon + 1;
    }
    static const std::map<std::string, FaultKind> kinds{
        {"silence", FaultKind::Silence}, {"crc", FaultKind::BadCrc}, {"short", FaultKind::Short},
        {"split", FaultKind::Split}, {"delay", FaultKind::Delay}, {"otherid", FaultKind::OtherId},
        {"flood", FaultKind::Flood}, {"exception", FaultKind::Exception}, {"hangup", FaultKind::Hangup}};
    auto it = kinds.find(parts[0]);
    if (it == kinds.end() || parts.size() > 3)
        return false;
    fault.kind = it->second;
    if (parts.size() > 1 && !ParseInt(parts[1], fault.param))
        return false;
    if (parts.size() > 2 && !ParseInt(parts[2], fault.param2))
        return false;
    if ((fault.kind == FaultKind::Delay || fault.kind == FaultKind::OtherId) && fault.param < 0)
        return false;
    return true;
}

Bus::Bus() = default;

Bus::~Bus()
{
    Stop();
}

bool Bus::Start(std::string* error)
{
    char name[256] = {};
    if (openpty(&master_, &slave_, name, nullptr, nullptr) != 0) {
        if (error)
            *error = std::string("openpty: ") + std::strerror(errno);
        return false;
    }
    path_ = name;
    // The line stays raw (no echo, no character mapping) from the start; the program then
    // chooses the rate. Holding the slave open keeps the pty alive while the program reopens it.
    termios tio{};
    tcgetattr(slave_, &tio);
    cfmakeraw(&tio);
    cfsetispeed(&tio, B9600);
    cfsetospeed(&tio, B9600);
    tcsetattr(slave_, TCSANOW, &tio);
    fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
    fcntl(master_, F_SETFD, FD_CLOEXEC);
    fcntl(slave_, F_SETFD, FD_CLOEXEC);
    if (pipe2(wake_, O_CLOEXEC | O_NONBLOCK) != 0) {
        if (error)
            *error = std::string("pipe: ") + std::strerror(errno);
        CloseFds();
        return false;
    }
    stopping_ = false;
    thread_ = std::thread([this] { Serve(); });
    return true;
}

void Bus::CloseFds()
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (master_ >= 0)
        ::close(master_);
    if (slave_ >= 0)
        ::close(slave_);
    master_ = slave_ = -1;
}

void Bus::Stop()
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    if (wake_[1] >= 0) {
        const char c = 1;
        [[maybe_unused]] auto n = ::write(wake_[1], &c, 1);
    }
    if (thread_.joinable())
        thread_.join();
    CloseFds();
    for (int& fd : wake_) {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
    frameCv_.notify_all();
}

int Bus::LineBaud() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (master_ < 0)
        return 0;
    termios tio{};
    // On the master side this reads the settings the program made on its end.
    if (tcgetattr(master_, &tio) != 0)
        return 0;
    return BaudOfSpeed(cfgetospeed(&tio));
}

void Bus::AddInverter(int id, int baud)
{
    std::lock_guard<std::mutex> lock(mutex_);
    inverters_.insert_or_assign(id, Inverter(id, baud));
}

void Bus::With(int id, const std::function<void(Inverter&)>& f)
{
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = inverters_.find(id);
    if (it == inverters_.end())
        it = inverters_.emplace(id, Inverter(id)).first;
    f(it->second);
}

std::optional<std::uint16_t> Bus::Holding(int id, int reg)
{
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = inverters_.find(id);
    return it == inverters_.end() ? std::nullopt : it->second.Holding(reg);
}

std::optional<bool> Bus::Coil(int id, int reg)
{
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = inverters_.find(id);
    return it == inverters_.end() ? std::nullopt : it->second.Coil(reg);
}

void Bus::AddFault(int id, const Fault& fault)
{
    std::lock_guard<std::mutex> lock(mutex_);
    faults_[id].push_back(fault);
}

void Bus::ClearFaults(int id)
{
    std::lock_guard<std::mutex> lock(mutex_);
    faults_.erase(id);
}

std::vector<Frame> Bus::Frames() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return frames_;
}

void Bus::ClearFrames()
{
    std::lock_guard<std::mutex> lock(mutex_);
    frames_.clear();
}

bool Bus::WaitForFrames(std::size_t n, int timeoutMs) const
{
    std::unique_lock<std::mutex> lock(mutex_);
    return frameCv_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                             [&] { return frames_.size() >= n || stopping_; }) && frames_.size() >= n;
}

void Bus::OnFrame(std::function<void(const Frame&)> f)
{
    std::lock_guard<std::mutex> lock(mutex_);
    onFrame_ = std::move(f);
}

std::size_t Bus::BytesSent() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return bytesSent_;
}

bool Bus::WaitForBytesSent(std::size_t n, int timeoutMs) const
{
    std::unique_lock<std::mutex> lock(mutex_);
    return frameCv_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                             [&] { return bytesSent_ >= n || stopping_; }) && bytesSent_ >= n;
}

bool Bus::PauseMs(int ms)
{
    pollfd p{wake_[0], POLLIN, 0};
    return ::poll(&p, 1, ms) == 0;
}

void Bus::Send(const Bytes& bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        int fd;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            fd = master_;
        }
        if (fd < 0)
            return;
        const ssize_t w = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (w > 0) {
            done += static_cast<std::size_t>(w);
            {
                std::lock_guard<std::mutex> lock(mutex_);
                bytesSent_ += static_cast<std::size_t>(w);
            }
            frameCv_.notify_all();
            continue;
        }
        if (w < 0 && errno == EINTR)
            continue;
        if (w < 0 && errno == EAGAIN) {
            pollfd p[2] = {{fd, POLLOUT, 0}, {wake_[0], POLLIN, 0}};
            if (::poll(p, 2, 100) > 0 && p[1].revents)
                return;
            continue;
        }
        return;
    }
}

void Bus::Handle(const Bytes& bytes)
{
    Frame rec{NowUs(), LineBaud(), bytes};
    std::function<void(const Frame&)> onFrame;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        frames_.push_back(rec);
        onFrame = onFrame_;
    }
    frameCv_.notify_all();
    if (onFrame)
        onFrame(rec);
    if (!CrcOk(bytes) || bytes.size() < 4)
        return;

    const int id = bytes[0];
    Bytes reply;
    Fault fault;
    bool faulty = false;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (id == 0) {
            // Broadcast: every inverter at this rate takes the write; nobody answers.
            if (bytes[1] == 5 || bytes[1] == 6)
                for (auto& [_, inv] : inverters_)
                    if (inv.Baud() == rec.baud)
                        inv.Answer(bytes);
            return;
        }
        auto it = inverters_.find(id);
        if (it == inverters_.end() || it->second.Baud() != rec.baud)
            return;   // not here, or not at the rate this inverter listens on
        auto& list = faults_[id];
        if (!list.empty()) {
            fault = list.front();
            faulty = true;
            if (list.front().times > 0 && --list.front().times == 0)
                list.erase(list.begin());
        }
        if (faulty && fault.kind == FaultKind::Silence)
            return;
        if (faulty && fault.kind == FaultKind::Exception) {
            reply = {static_cast<std::uint8_t>(id), static_cast<std::uint8_t>(bytes[1] | 0x80),
                     static_cast<std::uint8_t>(fault.param < 0 ? 4 : fault.param)};
            AppendCrc(reply);
        } else if (!(faulty && fault.kind == FaultKind::Hangup)) {
            reply = it->second.Answer(bytes);
        }
    }
    if (!faulty) {
        Send(reply);
        return;
    }
    switch (fault.kind) {
    case FaultKind::Silence:
        return;
    case FaultKind::Hangup:
        CloseFds();
        return;
    case FaultKind::BadCrc:
        reply.back() ^= 0xFF;
        break;
    case FaultKind::Short: {
        const std::size_t cut = static_cast<std::size_t>(fault.param < 0 ? 2 : fault.param);
        const std::size_t body = reply.size() - 2;
        reply.resize(body > cut + 1 ? body - cut : 1);
        AppendCrc(reply);
        break;
    }
    case FaultKind::OtherId:
        reply.resize(reply.size() - 2);
        reply[0] = static_cast<std::uint8_t>(fault.param);
        AppendCrc(reply);
        break;
    case FaultKind::Delay:
        if (!PauseMs(fault.param))
            return;
        break;
    case FaultKind::Split: {
        std::size_t first = fault.param < 0 ? reply.size() / 2 : static_cast<std::size_t>(fault.param);
        if (first > reply.size())
            first = reply.size();
        Send(Bytes(reply.begin(), reply.begin() + static_cast<std::ptrdiff_t>(first)));
        if (!PauseMs(fault.param2 < 0 ? 20 : fault.param2))
            return;
        Send(Bytes(reply.begin() + static_cast<std::ptrdiff_t>(first), reply.end()));
        return;
    }
    case FaultKind::Flood:
        Send(Bytes(static_cast<std::size_t>(fault.param < 0 ? 10000 : fault.param), 0x55));
        return;
    case FaultKind::Exception:
        break;
    }
    Send(reply);
}

void Bus::Serve()
{
    Bytes pending;
    std::uint8_t chunk[4096];
    for (;;) {
        int fd;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (stopping_)
                return;
            fd = master_;
        }
        if (fd < 0)
            return;   // the line was hung up on purpose
        pollfd p[2] = {{fd, POLLIN, 0}, {wake_[0], POLLIN, 0}};
        // A frame ends at the first silence of a few milliseconds after its last byte.
        const int r = ::poll(p, 2, pending.empty() ? -1 : 5);
        if (r < 0 && errno != EINTR)
            return;
        if (p[1].revents)
            return;
        if (r == 0) {
            if (!pending.empty()) {
                Handle(pending);
                pending.clear();
            }
            continue;
        }
        if (p[0].revents & POLLIN) {
            const ssize_t n = ::read(fd, chunk, sizeof chunk);
            if (n > 0) {
                pending.insert(pending.end(), chunk, chunk + n);
                // A complete request of 8 bytes is answered at once, without waiting for the gap.
                while (pending.size() >= 8 && CrcOk(Bytes(pending.begin(), pending.begin() + 8))) {
                    Bytes frame(pending.begin(), pending.begin() + 8);
                    pending.erase(pending.begin(), pending.begin() + 8);
                    Handle(frame);
                }
            }
        } else if (p[0].revents & (POLLHUP | POLLERR)) {
            // Nobody has the line open for a moment (a reopen): wait for it to come back.
            if (!PauseMs(5))
                return;
        }
    }
}

} // namespace invsim

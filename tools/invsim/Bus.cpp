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

} // namespace

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
    traffic_.SetStopped(false);
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
    traffic_.SetStopped(true);
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
            traffic_.AddSent(static_cast<std::size_t>(w));
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
    const Frame rec{NowUs(), LineBaud(), bytes};
    traffic_.Add(rec);
    if (!CrcOk(bytes) || bytes.size() < 4)
        return;

    const int id = bytes[0];
    Bytes reply;
    std::optional<Fault> fault;
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
        fault = TakeFault(faults_[id]);
        reply = AnswerUnderFault(it->second, bytes, fault);
    }
    if (fault && fault->kind == FaultKind::Hangup) {
        CloseFds();
        return;
    }
    DeliverReply(reply, fault, [this](const Bytes& b) { Send(b); }, [this](int ms) { return PauseMs(ms); });
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

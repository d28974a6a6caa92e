#include "tools/invsim/Lines.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <unistd.h>

namespace invsim {

namespace {

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

bool ServingThread::Start(std::function<void()> serve, std::string* error)
{
    if (pipe2(fds_, O_CLOEXEC | O_NONBLOCK) != 0) {
        if (error)
            *error = std::string("pipe: ") + std::strerror(errno);
        return false;
    }
    stopping_ = false;
    thread_ = std::thread(std::move(serve));
    return true;
}

void ServingThread::Stop()
{
    stopping_ = true;
    Wake();
    if (thread_.joinable())
        thread_.join();
    for (int& fd : fds_) {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
}

void ServingThread::Wake()
{
    if (fds_[1] >= 0) {
        const char c = 1;
        [[maybe_unused]] auto n = ::write(fds_[1], &c, 1);
    }
}

void ServingThread::Drain()
{
    char junk[64];
    while (::read(fds_[0], junk, sizeof junk) > 0) {
    }
}

bool ServingThread::Pause(int ms) const
{
    pollfd p{fds_[0], POLLIN, 0};
    return ::poll(&p, 1, ms) == 0;
}

bool Pty::Open(speed_t speed, std::string* error)
{
    std::lock_guard<std::mutex> lock(mutex_);
    char name[256] = {};
    if (openpty(&master_, &slave_, name, nullptr, nullptr) != 0) {
        if (error)
            *error = std::string("openpty: ") + std::strerror(errno);
        return false;
    }
    path_ = name;
    termios tio{};
    tcgetattr(slave_, &tio);
    cfmakeraw(&tio);
    cfsetispeed(&tio, speed);
    cfsetospeed(&tio, speed);
    tcsetattr(slave_, TCSANOW, &tio);
    fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
    fcntl(master_, F_SETFD, FD_CLOEXEC);
    fcntl(slave_, F_SETFD, FD_CLOEXEC);
    return true;
}

void Pty::Close()
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (master_ >= 0)
        ::close(master_);
    if (slave_ >= 0)
        ::close(slave_);
    master_ = slave_ = -1;
}

int Pty::Master() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return master_;
}

int Pty::Baud() const
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

void Pty::Write(const std::uint8_t* bytes, std::size_t n, int wakeFd,
                const std::function<void(std::size_t)>& written)
{
    std::size_t done = 0;
    while (done < n) {
        const int fd = Master();
        if (fd < 0)
            return;
        const ssize_t w = ::write(fd, bytes + done, n - done);
        if (w > 0) {
            done += static_cast<std::size_t>(w);
            if (written)
                written(static_cast<std::size_t>(w));
            continue;
        }
        if (w < 0 && errno == EINTR)
            continue;
        if (w < 0 && errno == EAGAIN) {
            // The program reads slowly: wait for room, unless the device stops.
            pollfd p[2] = {{fd, POLLOUT, 0}, {wakeFd, POLLIN, 0}};
            if (::poll(p, 2, 100) > 0 && p[1].revents)
                return;
            continue;
        }
        return;
    }
}

} // namespace invsim

// The simulator's ends of its lines: a device's serving thread with the pipe that wakes it, and
// a pseudo-terminal whose other end the program opens as its serial port.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <termios.h>
#include <thread>

namespace invsim {

// A device's serving thread, its stop flag and the pipe that wakes it: Stop (or Wake, when the
// device's state changed) makes the thread's poll on WakeFd() return.
class ServingThread {
public:
    ServingThread() = default;
    ~ServingThread() { Stop(); }
    ServingThread(const ServingThread&) = delete;
    ServingThread& operator=(const ServingThread&) = delete;

    // Opens the wake pipe and runs serve on a new thread. False (and a reason) when the pipe
    // cannot be made.
    bool Start(std::function<void()> serve, std::string* error);
    // Tells the thread to stop, wakes it, waits for its end and closes the pipe.
    void Stop();
    bool Stopping() const { return stopping_; }
    void Wake();
    // Reads the wakes that came, so that the next poll waits again.
    void Drain();
    // The end the thread polls for POLLIN.
    int WakeFd() const { return fds_[0]; }
    // Waits ms milliseconds; false when woken first.
    bool Pause(int ms) const;

private:
    int fds_[2] = {-1, -1};
    std::atomic<bool> stopping_{false};
    std::thread thread_;
};

// The simulator's end (master) of a pseudo-terminal. The other end is held open as well, so
// that the line lives on while the program closes and reopens its port.
class Pty {
public:
    Pty() = default;
    ~Pty() { Close(); }
    Pty(const Pty&) = delete;
    Pty& operator=(const Pty&) = delete;

    // Makes the pty, raw (no echo, no character mapping) at this speed until the program sets
    // its own. False (and a reason) when it cannot be made.
    bool Open(speed_t speed, std::string* error);
    // Closes both ends: the program's end sees the line vanish.
    void Close();
    // Path of the device the program opens (kept after Close).
    std::string Path() const { return path_; }
    // The master's descriptor, -1 once closed.
    int Master() const;
    // Line rate the program set on its end (0 when unknown or closed).
    int Baud() const;
    // Writes all the bytes unless the line closes or wakeFd wakes (the device stops); written(n)
    // counts each piece that went out.
    void Write(const std::uint8_t* bytes, std::size_t n, int wakeFd,
               const std::function<void(std::size_t)>& written = {});

private:
    mutable std::mutex mutex_;
    int master_ = -1;
    int slave_ = -1;
    std::string path_;
};

} // namespace invsim

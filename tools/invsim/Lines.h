// The simulator's ends of its lines: the pipe that wakes a device's serving thread, and a
// pseudo-terminal whose other end the program opens as its serial port.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <termios.h>

namespace invsim {

// Makes a serving thread's poll return: when the device stops, or its state changed.
class WakePipe {
public:
    WakePipe() = default;
    ~WakePipe() { Close(); }
    WakePipe(const WakePipe&) = delete;
    WakePipe& operator=(const WakePipe&) = delete;

    bool Open(std::string* error);
    void Close();
    void Wake();
    // Reads the wakes that came, so that the next poll waits again.
    void Drain();
    // The end a serving thread polls for POLLIN.
    int ReadFd() const { return fds_[0]; }
    // Waits ms milliseconds; false when woken first.
    bool Pause(int ms) const;

private:
    int fds_[2] = {-1, -1};
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
    // Writes all the bytes unless the line closes or the wake pipe wakes; written(n) counts
    // each piece that went out.
    void Write(const std::uint8_t* bytes, std::size_t n, const WakePipe& wake,
               const std::function<void(std::size_t)>& written = {});

private:
    mutable std::mutex mutex_;
    int master_ = -1;
    int slave_ = -1;
    std::string path_;
};

} // namespace invsim

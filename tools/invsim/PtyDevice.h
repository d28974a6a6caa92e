// What a simulated device behind a pseudo-terminal is made of (the serial bus, the radio
// adapter): the pty the program opens, the thread that serves it and the log of what came in
// (Record: a frame, a command) and how much went out.
#pragma once

#include "tools/invsim/Lines.h"
#include "tools/invsim/Traffic.h"

#include <string>

namespace invsim {

template <typename Record>
class PtyDevice {
public:
    PtyDevice(const PtyDevice&) = delete;
    PtyDevice& operator=(const PtyDevice&) = delete;

    // Opens the pty and starts serving. False (and a reason) when the pty cannot be made.
    bool Start(std::string* error = nullptr)
    {
        if (!pty_.Open(speed_, error))
            return false;
        traffic_.SetStopped(false);
        if (!serving_.Start([this] { Serve(); }, error)) {
            pty_.Close();
            return false;
        }
        return true;
    }
    // Stops serving and closes the pty: the program's end sees the line vanish.
    void Stop()
    {
        traffic_.SetStopped(true);
        serving_.Stop();
        pty_.Close();
    }
    // Path of the pty's device, for the program to open.
    std::string Path() const { return pty_.Path(); }

protected:
    // The line is raw at this speed until the program sets its own.
    explicit PtyDevice(speed_t speed) : speed_(speed) {}
    // The device's destructor calls Stop, so that the thread ends before the device's parts.
    ~PtyDevice() = default;

    // The serving thread's work, until serving_.Stopping() or the pty is closed.
    virtual void Serve() = 0;
    bool PauseMs(int ms) { return serving_.Pause(ms); }   // false when stopping
    // Writes the bytes to the line (all of them, unless the line closes or the device stops).
    void PutOnLine(const std::uint8_t* bytes, std::size_t n)
    {
        pty_.Write(bytes, n, serving_.WakeFd(), [this](std::size_t sent) { traffic_.AddSent(sent); });
    }

    Pty pty_;
    ServingThread serving_;
    Traffic<Record> traffic_;

private:
    speed_t speed_;
};

} // namespace invsim

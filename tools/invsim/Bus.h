// A simulated RS-485 bus on a pseudo-terminal: one or more inverters behind one pty, served by
// a thread. Tests use it in-process; the invsim program wraps it for other processes.
#pragma once

#include "tools/invsim/Faults.h"
#include "tools/invsim/Inverter.h"
#include "tools/invsim/PtyDevice.h"

#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace invsim {

struct Frame {
    std::int64_t timeUs = 0;   // steady clock, microseconds, when the frame was complete
    int baud = 0;              // line rate the program had set when it arrived
    Bytes bytes;
};

// Start, Stop, Path and WaitIdle: PtyDevice.
class Bus : public PtyDevice<Frame> {
public:
    Bus();
    ~Bus();

    // Line rate the program set on the pty (0 when unknown).
    int LineBaud() const;

    // The inverters (slave IDs 1 to 247 answer; several may share the bus).
    void AddInverter(int id, int baud = 9600);
    // Runs f on the inverter with this ID under the bus lock (adds it at 9600 when missing).
    void With(int id, const std::function<void(Inverter&)>& f);
    // Runs f on every inverter of the bus, in ID order, under the bus lock.
    void ForEach(const std::function<void(Inverter&)>& f);
    void SetCoil(int id, int reg, bool on) { With(id, [&](Inverter& i) { i.SetCoil(reg, on); }); }
    void SetHolding(int id, int reg, std::uint16_t v) { With(id, [&](Inverter& i) { i.SetHolding(reg, v); }); }
    void SetInput(int id, int reg, std::uint16_t v) { With(id, [&](Inverter& i) { i.SetInput(reg, v); }); }
    void SetRegister(int id, int reg, std::uint16_t v) { With(id, [&](Inverter& i) { i.SetRegister(reg, v); }); }
    std::optional<std::uint16_t> Holding(int id, int reg);
    std::optional<bool> Coil(int id, int reg);

    // Faults of one inverter's replies, applied in the order added.
    void AddFault(int id, const Fault& fault);
    void ClearFaults(int id);

    // Every frame received, in order, whether or not anyone answered it.
    std::vector<Frame> Frames() const { return traffic_.Records(); }
    void ClearFrames() { traffic_.Clear(); }
    // Waits until at least n frames were received; false on time-out.
    bool WaitForFrames(std::size_t n, int timeoutMs) const { return traffic_.WaitForRecords(n, timeoutMs); }
    // Called on the serving thread for each frame received (the program's --log).
    void OnFrame(std::function<void(const Frame&)> f) { traffic_.OnRecord(std::move(f)); }
    // Bytes written to the line since the start (replies and faults).
    std::size_t BytesSent() const { return traffic_.Sent(); }
    // Waits until at least n bytes were written to the line; false on time-out.
    bool WaitForBytesSent(std::size_t n, int timeoutMs) const { return traffic_.WaitForSent(n, timeoutMs); }

private:
    void Serve() override;
    void Handle(const Bytes& frame);
    bool HandleBootFrame(const Frame& frame);
    void HandleStxFrame(const Frame& frame);
    void Send(const Bytes& bytes) { PutOnLine(bytes.data(), bytes.size()); }

    mutable std::mutex mutex_;
    std::map<int, Inverter> inverters_;
    std::map<int, std::vector<Fault>> faults_;
};

} // namespace invsim

// A simulated Wi-Fi module on a loopback TCP port: it takes Modbus RTU frames (no MBAP header)
// on any number of connections and answers them from the inverter behind it (slave 255 unless
// told otherwise), with the bus's faults per reply and two of its own: a dropped connection and
// a refused one. It listens on 127.0.0.1 only.
#pragma once

#include "tools/invsim/Bus.h"
#include "tools/invsim/Inverter.h"
#include "tools/invsim/Lines.h"
#include "tools/invsim/Traffic.h"
#include "tools/invsim/WifiBootLoader.h"

#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace invsim {

class TcpModule {
public:
    explicit TcpModule(int id = 255);
    ~TcpModule();
    TcpModule(const TcpModule&) = delete;
    TcpModule& operator=(const TcpModule&) = delete;

    // Listens on 127.0.0.1:port (0 = a free port) and starts serving. False (and a reason) when
    // the port cannot be had.
    bool Start(int port = 0, std::string* error = nullptr);
    // Stops serving and closes every connection and the listener.
    void Stop();
    int Port() const { return port_; }
    int Id() const { return id_; }

    // The inverter behind the module (1-based register numbers).
    void With(const std::function<void(Inverter&)>& f);
    void SetHolding(int reg, std::uint16_t v) { With([&](Inverter& i) { i.SetHolding(reg, v); }); }
    void SetInput(int reg, std::uint16_t v) { With([&](Inverter& i) { i.SetInput(reg, v); }); }
    void SetRegister(int reg, std::uint16_t v) { With([&](Inverter& i) { i.SetRegister(reg, v); }); }
    void SetCoil(int reg, bool on) { With([&](Inverter& i) { i.SetCoil(reg, on); }); }
    std::optional<std::uint16_t> Holding(int reg);
    // The boot loader of the inverter behind the module (its faults, the blocks it received).
    void WithBootLoader(const std::function<void(WifiBootLoader&)>& f);

    // Faults of the replies, applied in the order added (see ParseModuleFault). Clearing them
    // also ends a babble under way.
    void AddFault(const Fault& fault);
    void ClearFaults();
    // How long the program waits for a reply (real milliseconds): a late reply comes after it.
    void SetLinkWaitMs(int ms);
    // Refuses connections: the listener is closed for ms milliseconds (-1: until Listen()).
    void Refuse(int ms = -1);
    void Listen();
    // Closes every open connection at once (the module restarting between two requests).
    void DropConnections();

    // Every frame received, in order (Frame::baud is 0).
    std::vector<Frame> Frames() const { return traffic_.Records(); }
    void ClearFrames() { traffic_.Clear(); }
    bool WaitForFrames(std::size_t n, int timeoutMs) const { return traffic_.WaitForRecords(n, timeoutMs); }
    void OnFrame(std::function<void(const Frame&)> f) { traffic_.OnRecord(std::move(f)); }
    // Connections accepted since the start, and those open now.
    int Accepted() const;
    int OpenConnections() const;
    // Waits until exactly n connections are open; false on time-out.
    bool WaitForOpenConnections(int n, int timeoutMs) const;
    // Bytes sent to the connections since the start, and a wait for a count of them.
    std::size_t BytesSent() const { return traffic_.Sent(); }
    bool WaitForBytesSent(std::size_t n, int timeoutMs) const { return traffic_.WaitForSent(n, timeoutMs); }

private:
    struct Client {
        int fd = -1;
        Bytes pending;
        std::int64_t babbleUntilMs = 0;   // sending noise until then (steady clock); 0 none
    };
    // Puts as much noise as the connection takes now on every babbling one.
    void Babble();
    void Serve();
    void Handle(Client& client, const Bytes& frame);
    bool SendTo(int fd, const Bytes& bytes);
    bool PauseMs(int ms);
    bool OpenListener(std::string* error);
    void CloseListener();
    void Wake() { serving_.Wake(); }

    int id_;
    int port_ = 0;
    int listener_ = -1;
    std::int64_t listenAgainAtMs_ = -1;   // a refusal's end on the steady clock; -1 none
    ServingThread serving_;
    mutable std::mutex mutex_;
    mutable std::condition_variable cv_;
    Inverter inverter_;
    WifiBootLoader bootLoader_;
    std::vector<Fault> faults_;
    Traffic<Frame> traffic_;
    std::vector<Client> clients_;
    int accepted_ = 0;
    int open_ = 0;
    bool dropAll_ = false;
    bool quiet_ = false;   // every babble ends
    int linkWaitMs_ = 6000;
};

// The "invsim tcp" command: serves a module on 127.0.0.1:PORT until a signal ends it.
int TcpMain(int argc, char** argv);

} // namespace invsim

#include "tools/invsim/Bus.h"

#include "tools/invsim/BootLoader.h"
#include "tools/invsim/Stx.h"

#include <cerrno>
#include <chrono>
#include <poll.h>
#include <unistd.h>

namespace invsim {

namespace {

std::int64_t NowUs()
{
    using namespace std::chrono;
    return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

} // namespace

Bus::Bus() : PtyDevice(B9600)   // the program then chooses the rate
{
}

Bus::~Bus()
{
    Stop();
}

int Bus::LineBaud() const
{
    return pty_.Baud();
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

void Bus::ForEach(const std::function<void(Inverter&)>& f)
{
    std::lock_guard<std::mutex> lock(mutex_);
    for (auto& [id, inverter] : inverters_)
        f(inverter);
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

void Bus::Handle(const Bytes& bytes)
{
    const Frame rec{NowUs(), LineBaud(), bytes};
    traffic_.Add(rec);
    if (IsStxRequest(bytes)) {
        HandleStxFrame(rec);
        return;
    }
    if (!CrcOk(bytes) || bytes.size() < 4)
        return;
    if (IsBootLoaderFrame(bytes) && HandleBootFrame(rec))
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
        fault = TakeFault(faults_[id], bytes);
        reply = AnswerUnderFault(it->second, bytes, fault);
    }
    if (fault && fault->kind == FaultKind::Late) {
        // Past the program's wait for this request: the reply comes while the program makes
        // ready for its next one.
        fault->kind = FaultKind::Delay;
        fault->param = SerialWaitMs(bytes) + (fault->param < 0 ? 15 : fault->param);
    }
    if (fault && fault->kind == FaultKind::Hangup) {
        pty_.Close();
        return;
    }
    DeliverReply(reply, fault, [this](const Bytes& b) { Send(b); }, [this](int ms) { return DeliberatePause(ms); });
}

// A boot-loader frame to every boot loader that runs (0xE000) or to one in boot mode; false for
// a frame to an inverter whose application runs (answered like any request, faults included).
// A loader that runs listens at any rate (the programming rate is the image's). Replies go out
// in address order, each paced at the line rate.
// An STX request: answered by the inverter of that line at the slave ID, at its own rate, the
// reply paced at the line rate (with the inverter's faults, as a Modbus reply is).
void Bus::HandleStxFrame(const Frame& rec)
{
    Bytes reply;
    std::optional<Fault> fault;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        auto it = inverters_.find(rec.bytes[2]);
        if (it == inverters_.end() || it->second.Baud() != rec.baud)
            return;
        reply = StxAnswer(it->first, it->second.Talvera(), rec.bytes);
        if (reply.empty())
            return;
        fault = TakeFault(faults_[it->first]);
    }
    if (fault && fault->kind == FaultKind::Silence)
        return;
    if (fault)
        SpoilReply(reply, *fault);
    DeliverReply(reply, fault, [this](const Bytes& b) { Send(b); }, [this](int ms) { return DeliberatePause(ms); });
}

bool Bus::HandleBootFrame(const Frame& rec)
{
    const Bytes& bytes = rec.bytes;
    const int destination = bytes[0] | bytes[1] << 8;
    std::vector<Bytes> out;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (destination != kBootBroadcast) {
            auto it = inverters_.find(destination);
            if (it == inverters_.end() || !it->second.Boot().inBoot)
                return false;
        }
        for (auto& [id, inv] : inverters_) {
            const bool addressed = destination == id || (destination == kBootBroadcast && inv.Boot().inBoot);
            if (!addressed || (!inv.Boot().inBoot && inv.Baud() != rec.baud))
                continue;
            std::optional<Fault> fault = TakeFault(faults_[id]);
            if (fault && fault->kind == FaultKind::Silence)
                continue;
            Bytes unsolicited;
            Bytes reply = BootLoaderAnswer(id, inv.ProductId(), inv.Boot(), bytes, &unsolicited);
            if (!reply.empty())
                out.push_back(std::move(reply));
            if (!unsolicited.empty())
                out.push_back(std::move(unsolicited));
        }
    }
    const int baud = rec.baud > 0 ? rec.baud : 9600;
    for (const Bytes& reply : out) {
        // Ten bit times a byte on the wire.
        if (!PauseMs(static_cast<int>((reply.size() * 10000 + static_cast<std::size_t>(baud) - 1) / static_cast<std::size_t>(baud))))
            return true;
        Send(reply);
    }
    return true;
}

void Bus::Serve()
{
    Bytes pending;
    std::uint8_t chunk[4096];
    for (;;) {
        if (serving_.Stopping())
            return;
        const int fd = pty_.Master();
        if (fd < 0)
            return;   // the line was hung up on purpose
        pollfd p[2] = {{fd, POLLIN, 0}, {serving_.WakeFd(), POLLIN, 0}};
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
            SetBusy(false);
            continue;
        }
        if (p[0].revents & POLLIN) {
            SetBusy(true);
            const ssize_t n = ::read(fd, chunk, sizeof chunk);
            if (n > 0) {
                pending.insert(pending.end(), chunk, chunk + n);
                // A complete request is answered at once, without waiting for the gap: a
                // boot-loader frame by its length byte, a Modbus request of 8 bytes by its CRC.
                for (;;) {
                    const std::size_t boot = BootFrameSize(pending);
                    const std::size_t size = boot >= 8 ? boot : 8;
                    if (pending.size() < size)
                        break;
                    Bytes frame(pending.begin(), pending.begin() + static_cast<std::ptrdiff_t>(size));
                    if (!CrcOk(frame))
                        break;
                    pending.erase(pending.begin(), pending.begin() + static_cast<std::ptrdiff_t>(size));
                    Handle(frame);
                }
            }
            // A frame not yet complete keeps the bus busy until the silence that ends it.
            if (pending.empty())
                SetBusy(false);
        } else if (p[0].revents & (POLLHUP | POLLERR)) {
            // Nobody has the line open for a moment (a reopen): wait for it to come back.
            if (!PauseMs(5))
                return;
        }
    }
}

} // namespace invsim

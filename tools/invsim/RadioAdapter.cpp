#include "tools/invsim/RadioAdapter.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <poll.h>
#include <unistd.h>

namespace invsim {

namespace {

bool Digits(const std::string& s, long long& v)
{
    if (s.empty() || s.size() > 10)
        return false;
    v = 0;
    for (char c : s) {
        if (c < '0' || c > '9')
            return false;
        v = v * 10 + (c - '0');
    }
    return true;
}

int Hex(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

constexpr std::int64_t kMinHz = 862000000;
constexpr std::int64_t kMaxHz = 932000000;

} // namespace

RadioAdapter::RadioAdapter() : PtyDevice(B38400)
{
}

RadioAdapter::~RadioAdapter()
{
    Stop();
}

void RadioAdapter::AddInverter(int id)
{
    std::lock_guard<std::mutex> lock(mutex_);
    Station st{Inverter(id, 38400), kRadioDefaultHz, -61, 8, {}};
    // The input register the program's radio scan reads.
    st.inverter.SetInput(kRadioScanRegister, 0);
    stations_.insert_or_assign(id, st);
}

void RadioAdapter::With(int id, const std::function<void(Inverter&)>& f)
{
    std::lock_guard<std::mutex> lock(mutex_);
    f(StationOf(id).inverter);
}

RadioAdapter::Station& RadioAdapter::StationOf(int id)
{
    auto it = stations_.find(id);
    if (it == stations_.end())
        it = stations_.emplace(id, Station{Inverter(id, 38400), kRadioDefaultHz, -61, 8, {}}).first;
    return it->second;
}

void RadioAdapter::SetListenHz(int id, std::int32_t hz)
{
    std::lock_guard<std::mutex> lock(mutex_);
    StationOf(id).listenHz = hz;
}

std::int32_t RadioAdapter::ListenHz(int id) const
{
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = stations_.find(id);
    return it == stations_.end() ? 0 : it->second.listenHz;
}

void RadioAdapter::SetSignal(int id, int rssi, int snr)
{
    std::lock_guard<std::mutex> lock(mutex_);
    Station& st = StationOf(id);
    st.rssi = rssi;
    st.snr = snr;
}

void RadioAdapter::AddFault(int id, const Fault& fault)
{
    std::lock_guard<std::mutex> lock(mutex_);
    StationOf(id).faults.push_back(fault);
}

void RadioAdapter::ClearFaults(int id)
{
    std::lock_guard<std::mutex> lock(mutex_);
    StationOf(id).faults.clear();
}

void RadioAdapter::SetReplyDelayMs(int ms)
{
    std::lock_guard<std::mutex> lock(mutex_);
    replyDelayMs_ = ms;
}

void RadioAdapter::SetTuneAnswers(bool ok)
{
    std::lock_guard<std::mutex> lock(mutex_);
    tuneOk_ = ok;
}

std::int32_t RadioAdapter::TunedHz() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return tunedHz_;
}

std::vector<std::string> RadioAdapter::CommandTexts() const
{
    std::vector<std::string> texts;
    for (const auto& c : traffic_.Records())
        texts.push_back(c.text);
    return texts;
}

void RadioAdapter::Command(const std::string& text)
{
    using namespace std::chrono;
    traffic_.Add(RadioCommand{duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count(), text});

    std::string answer = "Ok\r\n";
    bool hangup = false;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        const auto arg = [&](const char* prefix, long long& v) {
            const std::size_t n = std::strlen(prefix);
            return text.compare(0, n, prefix) == 0 && Digits(text.substr(n), v);
        };
        long long v = 0;
        if (text == "rf rx_con on") {
            rxOn_ = true;
            if (!answer_.empty()) {
                const std::int64_t later = Now() + 1000LL * replyDelayMs_ - answer_.front().dueUs;
                for (Piece& piece : answer_)
                    piece.dueUs += std::max<std::int64_t>(0, later);
            }
        } else if (text == "rf rx_con off") {
            rxOn_ = false;
            answer_.clear();
        } else if (arg("rf set_freq ", v)) {
            if (!tuneOk_ || v < 800000000 || v > 1000000000)
                answer = "Error: set_freq\r\n";
            else
                tunedHz_ = static_cast<std::int32_t>(v);
        } else if (arg("rf set_sync ", v)) {
            sync_ = static_cast<int>(v);
        } else if (arg("rf set_sf ", v)) {
            sf_ = static_cast<int>(v);
        } else if (arg("rf set_bw ", v)) {
            bw_ = static_cast<int>(v);
        } else if (arg("rf set_pwr ", v)) {
            pwr_ = static_cast<int>(v);
        } else if (text.compare(0, 6, "rf tx ") == 0 && text.size() == 6 + 26) {
            Bytes frame;
            for (std::size_t i = 6; i < text.size(); i += 2) {
                const int hi = Hex(text[i]), lo = Hex(text[i + 1]);
                if (hi < 0 || lo < 0)
                    break;
                frame.push_back(static_cast<std::uint8_t>(hi << 4 | lo));
            }
            if (frame.size() != 13 || frame[10] != 0xFF || !CrcOk(frame)) {
                answer = "Error: tx frame\r\n";
            } else {
                const Bytes asked(frame.begin(), frame.begin() + 6);
                answer_.clear();
                if (!lateLine_.empty() && asked != lateFor_) {
                    // The late answer to an earlier request comes first.
                    answer_.push_back({lateLine_, Now() + 500LL * replyDelayMs_});
                    lateLine_.clear();
                }
                auto it = stations_.find(frame[0]);
                const bool onAir = sync_ == 51 && sf_ == 9 && bw_ == 250;
                if (onAir && it != stations_.end() && it->second.listenHz == tunedHz_) {
                    Station& st = it->second;
                    const std::optional<Fault> fault = TakeFault(st.faults);
                    if (!(fault && fault->kind == FaultKind::Silence)) {
                        Bytes request(frame.begin(), frame.begin() + 6);
                        AppendCrc(request);
                        // A hang-up is the adapter's line going down after the frame went out
                        // on the air: the inverter still hears and answers it.
                        hangup = fault && fault->kind == FaultKind::Hangup;
                        const Bytes reply = AnswerUnderFault(st.inverter, request, hangup ? std::nullopt : fault);
                        // The inverter moves to the frequency the frame names.
                        const std::int64_t next = static_cast<std::int64_t>(frame[6]) << 24 | frame[7] << 16 | frame[8] << 8 | frame[9];
                        if (next >= kMinHz && next <= kMaxHz)
                            st.listenHz = static_cast<std::int32_t>(next);
                        int extraMs = 0;
                        if (fault && fault->kind == FaultKind::Delay)
                            extraMs = fault->param;
                        const std::string line = "radio_rx " + HexText(reply) + " " + std::to_string(st.rssi) +
                                                 " " + std::to_string(st.snr) + "\r\n";
                        const std::int64_t due = Now() + 1000LL * (replyDelayMs_ + extraMs);
                        if (fault && fault->kind == FaultKind::Late) {
                            lateLine_ = line;
                            lateFor_ = request;
                            lateFor_.resize(6);
                            hangup = false;
                        }
                        std::size_t split = line.size();
                        if (fault && fault->kind == FaultKind::Split)
                            split = std::min<std::size_t>(line.size(), fault->param < 0 ? 20 : static_cast<std::size_t>(fault->param));
                        const bool late = fault && fault->kind == FaultKind::Late;
                        if (!hangup && !late)
                            answer_.push_back({line.substr(0, split), due});
                        if (!hangup && split < line.size())
                            answer_.push_back({line.substr(split), due + 1000LL * (fault->param2 < 0 ? 20 : fault->param2)});
                    }
                }
            }
        } else {
            answer = "Error: unknown command\r\n";
        }
    }
    Write(answer);
    if (hangup)
        pty_.Close();
}

void RadioAdapter::DeliverDue()
{
    std::vector<std::string> due;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        while (rxOn_ && !answer_.empty() && Now() >= answer_.front().dueUs) {
            due.push_back(std::move(answer_.front().text));
            answer_.pop_front();
        }
        if (due.empty())
            return;
        SetBusy(true);   // no longer overdue, not yet on the line
    }
    for (const std::string& piece : due)
        Write(piece);
}

void RadioAdapter::Serve()
{
    std::string pending;
    char chunk[1024];
    for (;;) {
        int timeout = -1;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (serving_.Stopping())
                return;
            // On a clock of its own the time may move at any moment: look again soon.
            if (rxOn_ && !answer_.empty())
                timeout = OwnClock() ? 1 : static_cast<int>(std::max<std::int64_t>(0, (answer_.front().dueUs - Now() + 999) / 1000));
        }
        const int fd = pty_.Master();
        if (fd < 0)
            return;   // the line was hung up on purpose
        // Commands have no terminator: one ends at a short silence, or where the next begins.
        if (!pending.empty() && (timeout < 0 || timeout > 3))
            timeout = 3;
        pollfd p[2] = {{fd, POLLIN, 0}, {serving_.WakeFd(), POLLIN, 0}};
        const int r = ::poll(p, 2, timeout);
        if (r < 0 && errno != EINTR)
            return;
        if (p[1].revents)
            return;
        if (r == 0 && !pending.empty()) {
            std::vector<std::string> pieces;
            std::size_t start = 0;
            for (;;) {
                const std::size_t next = pending.find("rf ", start + 1);
                pieces.push_back(pending.substr(start, next == std::string::npos ? std::string::npos : next - start));
                if (next == std::string::npos)
                    break;
                start = next;
            }
            pending.clear();
            for (const auto& piece : pieces)
                Command(piece);
        }
        if (p[0].revents & POLLIN) {
            SetBusy(true);
            const ssize_t n = ::read(fd, chunk, sizeof chunk);
            if (n > 0)
                pending.append(chunk, static_cast<std::size_t>(n));
        } else if (p[0].revents & (POLLHUP | POLLERR)) {
            // Nobody has the line open for a moment: wait for it to come back.
            if (!PauseMs(5))
                return;
        }
        DeliverDue();
        // A command not yet ended by its silence keeps the adapter busy.
        if (pending.empty())
            SetBusy(false);
    }
}

bool RadioAdapter::Overdue() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return rxOn_ && !answer_.empty() && Now() >= answer_.front().dueUs;
}

} // namespace invsim

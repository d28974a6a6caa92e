// A simulated sub-1 GHz radio adapter on a pseudo-terminal, with inverters on the air behind it.
//
// The adapter takes "rf ..." text commands written without a terminator and answers each with a
// line ("Ok", or "Error ..."). "rf tx " with 26 hex digits sends a 13-byte radio frame (Modbus
// request, frequency in Hz, 0xFF, CRC); an inverter hears it when the adapter is tuned to the
// frequency the inverter listens on and the adapter has the inverters' settings (sync word 51,
// spreading factor 9, bandwidth 250). The inverter answers on that frequency and then moves to
// the frequency the frame names. While reception is on ("rf rx_con on") the answer comes out a
// little later as "radio_rx <hex> <rssi> <snr>"; "rf rx_con off" drops an answer still on the air.
// Every inverter starts listening on 900 MHz, the adapter starts tuned there.
#pragma once

#include "tools/invsim/Bus.h"
#include "tools/invsim/Inverter.h"
#include "tools/invsim/PtyDevice.h"

#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace invsim {

constexpr std::int32_t kRadioDefaultHz = 900000000;
constexpr int kRadioScanRegister = 40963;   // every inverter added holds this input register

struct RadioCommand {
    std::int64_t timeUs = 0;   // steady clock, microseconds, when the command was complete
    std::string text;          // as written, without anything added
};

// Start, Stop, Path and WaitIdle: PtyDevice.
class RadioAdapter : public PtyDevice<RadioCommand> {
public:
    RadioAdapter();
    ~RadioAdapter();

    // Inverters on the air (slave IDs 1 to 247), each holding input register 40963.
    void AddInverter(int id);
    void With(int id, const std::function<void(Inverter&)>& f);
    void SetRegister(int id, int reg, std::uint16_t v) { With(id, [&](Inverter& i) { i.SetRegister(reg, v); }); }
    void SetInput(int id, int reg, std::uint16_t v) { With(id, [&](Inverter& i) { i.SetInput(reg, v); }); }
    void SetHolding(int id, int reg, std::uint16_t v) { With(id, [&](Inverter& i) { i.SetHolding(reg, v); }); }
    // The frequency the inverter listens on (an inverter that restarted listens on 900 MHz).
    void SetListenHz(int id, std::int32_t hz);
    std::int32_t ListenHz(int id) const;
    // Signal figures reported with the inverter's answers (the setters add a missing inverter).
    void SetSignal(int id, int rssi, int snr);
    // Faults of one inverter's answers (the bus's kinds; "hangup" closes the adapter's line).
    void AddFault(int id, const Fault& fault);
    void ClearFaults(int id);

    // Milliseconds from "rf rx_con on" (or from the frame, when reception was already on) to
    // the "radio_rx" line. Default 300.
    // Counted on the device's clock (SetClock).
    void SetReplyDelayMs(int ms);
    // Whether "rf set_freq" is answered "Ok" (true) or with an error line.
    void SetTuneAnswers(bool ok);
    std::int32_t TunedHz() const;

    std::vector<RadioCommand> Commands() const { return traffic_.Records(); }
    std::vector<std::string> CommandTexts() const;
    void ClearCommands() { traffic_.Clear(); }
    bool WaitForCommands(std::size_t n, int timeoutMs) const { return traffic_.WaitForRecords(n, timeoutMs); }
    void OnCommand(std::function<void(const RadioCommand&)> f) { traffic_.OnRecord(std::move(f)); }

private:
    struct Station {
        Inverter inverter;
        std::int32_t listenHz = kRadioDefaultHz;
        int rssi = -61;
        int snr = 8;
        std::vector<Fault> faults;
    };
    Station& StationOf(int id);   // made when missing; under the lock
    void Serve() override;
    void Command(const std::string& text);
    void Write(const std::string& text) { PutOnLine(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()); }
    void DeliverDue();
    bool Overdue() const override;
    std::int64_t Now() const { return ClockUs(); }

    mutable std::mutex mutex_;
    std::map<int, Station> stations_;
    std::int32_t tunedHz_ = kRadioDefaultHz;
    int sync_ = 0, sf_ = 7, bw_ = 125, pwr_ = 10;   // as the adapter powers up
    bool rxOn_ = false;
    bool tuneOk_ = true;
    int replyDelayMs_ = 300;
    // An answer on the air: its line in one piece, or in two when it is split, each with the
    // time it may come out.
    struct Piece {
        std::string text;
        std::int64_t dueUs = 0;
    };
    std::deque<Piece> answer_;
    // A late answer ("late" fault): still on the air when reception ends, it comes out in the
    // window of the next frame that asks something else, ahead of that frame's own answer.
    std::string lateLine_;
    Bytes lateFor_;   // the request it answers
};

// The "invsim radio" command: serves an adapter on a pty until a signal ends it.
int RadioMain(int argc, char** argv);

} // namespace invsim

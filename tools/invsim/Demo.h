// A demonstration inverter: identity, firmware versions, scale descriptor, model name and
// device type as the version group reads them, and AC output values that drift over time,
// so that a person trying the program sees live numbers.
#pragma once

#include "tools/invsim/Inverter.h"

#include <condition_variable>
#include <mutex>
#include <thread>

namespace invsim {

class Bus;

// What the demonstration inverter reports about itself.
namespace demo {
constexpr std::uint16_t kProtocol = 0;            // register 802: the maker's own protocol
constexpr std::uint16_t kCommVersion = 0x0117;    // V1.23
constexpr std::uint16_t kCommWeek = 0x1409;       // Y20W09
constexpr std::uint16_t kDspVersion = 0x0205;     // V2.05
constexpr std::uint16_t kDspWeek = 0x1412;        // Y20W18
constexpr std::uint16_t kRedVersion = 0x0131;     // V1.49
constexpr std::uint16_t kRedWeek = 0x1502;        // Y21W02
constexpr std::uint16_t kArcVersion = 0xFF00;     // no arc-detection board
constexpr std::uint16_t kScmVersion = 0x0310;     // V3.16
constexpr std::uint16_t kSub1GVersion = 0x0102;   // V1.02
constexpr const char* kSerial = "SV5K20A123456";  // 13 characters, padded to 14 bytes
constexpr const char* kModel = "SUNVANE-5K-3P";   // 13 characters
constexpr std::uint16_t kPhaseCount = 3;
// Voltage / 100, AC and DC current / 10, power x 10, energy x 10.
constexpr std::uint16_t kScaleDescriptor = (2 << 1) | (3 << 3) | (5 << 6) | (2 << 10) | (1 << 12);
constexpr std::uint16_t kDeviceType = 0x2105;     // power and current words are signed
} // namespace demo

// Puts the demonstration identity and a first set of AC values into the inverter.
void LoadDemoInverter(Inverter& inverter);
// The status, country and service registers of the demonstration inverter (LoadDemoInverter
// loads them too).
void LoadDemoStatusGroups(Inverter& inverter);
// The voltage and frequency protection limits (LoadDemoInverter loads them too).
void LoadDemoProtection(Inverter& inverter);
// The reactive and active power settings (LoadDemoInverter loads them too).
void LoadDemoReactive(Inverter& inverter);
// The Japanese-market groups' registers (LoadDemoInverter loads them too).
void LoadDemoJapan(Inverter& inverter);
// The record groups' registers: event log, warnings and flags, derating records, installation
// date, a clock on the computer's local time, day and month energy history.
void LoadDemoRecords(Inverter& inverter);
// The AC output block (input registers 49152..49181) as it stands `seconds` after the start:
// per phase voltage (/100), current (/10), power (x10) and frequency (/100), with slow swings.
void UpdateDemoAc(Inverter& inverter, double seconds);
// The live values of the other groups (DemoLive.cpp): the measurement pages behind register
// 800, DC inputs, totals, meter, energy, counters, temperatures; the pages follow the AC block.
void LoadDemoLiveValues(Inverter& inverter);
void UpdateDemoLiveValues(Inverter& inverter, double seconds);

// Keeps the AC values of one inverter of a bus moving (a thread; stops with the object). The
// inverter gets the demonstration values first with LoadDemoInverter.
class DemoAnimator {
public:
    DemoAnimator(Bus& bus, int id, int periodMs = 500);
    ~DemoAnimator();
    DemoAnimator(const DemoAnimator&) = delete;
    DemoAnimator& operator=(const DemoAnimator&) = delete;
private:
    std::mutex mutex_;
    std::condition_variable cv_;
    bool stop_ = false;
    std::thread thread_;
};

} // namespace invsim

#include "tools/invsim/Demo.h"

#include "tools/invsim/Bus.h"

#include <chrono>
#include <cmath>
#include <cstring>

namespace invsim {

namespace {

constexpr int kIdentityBlock = 40963;
constexpr int kModelName = 44032;
constexpr int kDeviceType = 25338;
constexpr int kSub1G = 60673;
constexpr int kAcTerminalCoil = 24649;
constexpr int kOutputBlock = 49152;

// Text as big-endian register words (high byte first), padded with NUL bytes.
void PutText(Inverter& inv, int reg, int words, const char* text, bool input)
{
    const std::size_t n = std::strlen(text);
    for (int w = 0; w < words; ++w) {
        const std::size_t i = static_cast<std::size_t>(2 * w);
        const std::uint8_t hi = i < n ? static_cast<std::uint8_t>(text[i]) : 0;
        const std::uint8_t lo = i + 1 < n ? static_cast<std::uint8_t>(text[i + 1]) : 0;
        const auto v = static_cast<std::uint16_t>(hi << 8 | lo);
        if (input)
            inv.SetInput(reg + w, v);
        else
            inv.SetHolding(reg + w, v);
    }
}

std::uint16_t W(double v) { return static_cast<std::uint16_t>(static_cast<std::int32_t>(std::lround(v)) & 0xFFFF); }

} // namespace

void LoadDemoInverter(Inverter& inv)
{
    inv.SetHolding(802, demo::kProtocol);
    for (int k = 0; k < 33; ++k)
        inv.SetInput(kIdentityBlock + k, 0);
    const std::uint16_t firmware[] = {demo::kCommVersion, demo::kCommWeek, demo::kDspVersion, demo::kDspWeek,
                                      demo::kRedVersion, demo::kRedWeek, demo::kArcVersion, 0, demo::kScmVersion};
    for (int k = 0; k < 9; ++k)
        inv.SetInput(kIdentityBlock + k, firmware[k]);
    PutText(inv, kIdentityBlock + 12, 7, demo::kSerial, true);
    inv.SetInput(kIdentityBlock + 24, demo::kPhaseCount);
    inv.SetInput(kIdentityBlock + 32, demo::kScaleDescriptor);
    PutText(inv, kModelName, 8, demo::kModel, false);
    inv.SetHolding(kDeviceType, demo::kDeviceType);
    inv.SetHolding(kSub1G, demo::kSub1GVersion);
    inv.SetCoil(kAcTerminalCoil, false);
    for (int k = 0; k < 30; ++k)
        inv.SetInput(kOutputBlock + k, 0);
    UpdateDemoAc(inv, 0.0);
    // The records first: a few of their registers have another meaning on other products (1152..
    // error codes or temperature maxima; 1076.. the energy the history transfer copies), and the
    // live values' meaning is the one the demonstration pages show.
    LoadDemoRecords(inv);
    LoadDemoLiveValues(inv);
    LoadDemoStatusGroups(inv);
    LoadDemoProtection(inv);
    LoadDemoReactive(inv);
    LoadDemoJapan(inv);
}

void UpdateDemoAc(Inverter& inv, double t)
{
    // A sunny afternoon: power swings slowly around 2.8 kW per phase, the grid breathes a little.
    const double pi = 3.14159265358979;
    double totalPower = 0;
    for (int p = 0; p < 3; ++p) {
        const double phase = 2 * pi * p / 3;
        const double volts = 230.0 + 1.5 * std::sin(t / 7.0 + phase);
        const double watts = 2800.0 + 250.0 * std::sin(t / 11.0 + phase) + 40.0 * std::sin(t * 1.3 + p);
        const double amps = watts / volts;
        const double hertz = 50.0 + 0.03 * std::sin(t / 5.0);
        const int base = kOutputBlock + 1 + 4 * p;
        inv.SetInput(base, W(volts * 100));
        inv.SetInput(base + 1, W(amps * 10));
        inv.SetInput(base + 2, W(watts / 10));
        inv.SetInput(base + 3, W(hertz * 100));
        totalPower += watts;
        // Line-to-line voltages of a three-wire terminal (words 27..29).
        inv.SetInput(kOutputBlock + 27 + p, W(volts * std::sqrt(3.0) * 100));
    }
    inv.SetInput(kOutputBlock, W(totalPower / 10));
    UpdateDemoLiveValues(inv, t);
}

DemoAnimator::DemoAnimator(Bus& bus, int id, int periodMs)
{
    thread_ = std::thread([this, &bus, id, periodMs] {
        const auto start = std::chrono::steady_clock::now();
        std::unique_lock lock(mutex_);
        while (!cv_.wait_for(lock, std::chrono::milliseconds(periodMs), [this] { return stop_; })) {
            const double t = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            bus.With(id, [t](Inverter& inv) { UpdateDemoAc(inv, t); });
        }
    });
}

DemoAnimator::~DemoAnimator()
{
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    cv_.notify_all();
    if (thread_.joinable())
        thread_.join();
}

} // namespace invsim

// One simulated inverter as a Modbus RTU slave: coils, holding and input registers, the paged
// measurement and event windows, and the answer it gives to one request frame.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace invsim {

using Bytes = std::vector<std::uint8_t>;

// CRC-16/MODBUS, bit by bit (kept apart from the program's table version on purpose).
std::uint16_t Crc16(const std::uint8_t* bytes, std::size_t n);
// Appends the CRC of the bytes, low byte first.
void AppendCrc(Bytes& frame);
// True when the last two bytes are the CRC of the others.
bool CrcOk(const Bytes& frame);
// The bytes as upper-case hex digits, two a byte, with `between` between bytes ("0103", "01 03").
std::string HexText(const Bytes& bytes, const char* between = "");

// Registers that are always there: the page selects and the windows they page.
constexpr int kPageSelect = 800;          // holding: page of the measurement window
constexpr int kEventPageSelect = 801;     // holding: page of the event windows
constexpr int kMeasurementWindow = 1056;  // input 1056..1071: word 0 echoes the page
constexpr int kMeasurementWords = 16;
constexpr int kEventCodeWindow = 1088;    // input 1088..1098: word 0 echoes the page, 10 codes
constexpr int kEventTimeWindow = 1184;    // input 1184..1203: 10 times, low word first
// The energy history: 366 days and 120 months of two words each (low word first), shown through
// windows whose first day (809) and first month (810) the page registers choose; a write into a
// window stores into the history. The clock: seconds since 1970 in 784 (high) and 785 (low),
// running from the last write, and as calendar fields in 1033..1038.
constexpr int kDayPageSelect = 809;
constexpr int kMonthPageSelect = 810;
constexpr int kDayWindow = 2048;          // input x64
constexpr int kDayWindowWords = 64;
constexpr int kMonthWindow = 2112;        // input x48
constexpr int kMonthWindowWords = 48;
constexpr int kDayHistoryWords = 732;
constexpr int kMonthHistoryWords = 240;
constexpr int kClockHigh = 784;
constexpr int kClockLow = 785;
constexpr int kClockFields = 1033;

// The boot loader of a simulated inverter (answered in BootLoader.cpp): its identity, its
// faults on request and the blocks it was sent.
struct BootVersion {
    int major = 0;
    int minor = 0;
};

struct BootLoaderState {
    int version = 3;                 // 2: one inverter at a time, (0x10) blocks; 3: broadcast runs
    bool inBoot = false;             // only the boot loader runs (the application is silent)
    std::string serial = "SV5K20A123456";
    std::string model = "SV5000TL-EU";
    std::array<BootVersion, 10> hardware{};   // by processor
    std::array<BootVersion, 10> software{};

    // Requests on purpose: commands answered with an error reply, commands not answered at all.
    std::set<int> errorCommands;
    std::set<int> silentCommands;
    // After the n-th block of a bank (1-based), a retry request for this address; retryTimes
    // requests in all, each further one retryGap blocks after the one before.
    int retryAfterBlock = 0;
    std::uint32_t retryAddress = 0;
    int retryTimes = 1;
    int retryGap = 1;
    int retryRequestsSent = 0;
    // After this many blocks of a bank (0: never) the loader falls silent for good: it takes and
    // answers nothing more, as one whose power or cable was lost half-way.
    int silentAfterBlocks = 0;

    // What it holds: the blocks of the current bank by address (the last write of each).
    std::map<std::uint32_t, Bytes> blocks;
    int blocksReceived = 0;
    int selectedProcessor = -1;
    std::uint32_t bankStart = 0;
    std::uint32_t closedLength = 0;
    int finishes = 0;

    // The blocks joined in address order.
    Bytes Image() const;
};


// An inverter of the line that answers STX frames (answered in Stx.cpp): its identity texts, its
// clock and the values of command 0x10 by sub-command.
struct TalveraState {
    bool answers = false;
    std::string type = "TLV-5000";
    std::string serial = "TV50A2411007";
    std::string sap = "SAP-7731-02";
    int day = 15, month = 3, year = 24;    // year within the century
    int hour = 9, minute = 5, second = 0;
    std::map<int, int> values;             // command 0x10: sub-command -> value (< 0: acknowledged with no data)
};

class Inverter {
public:
    explicit Inverter(int id = 1, int baud = 9600) : id_(id), baud_(baud) {}

    int Id() const { return id_; }
    int Baud() const { return baud_; }
    void SetBaud(int baud) { baud_ = baud; }

    // Register and coil numbers are 1-based, as the program counts them (wire address + 1).
    void SetCoil(int reg, bool on) { coils_[reg] = on; }
    void SetHolding(int reg, std::uint16_t v) { holding_[reg] = v; }
    void SetInput(int reg, std::uint16_t v) { input_[reg] = v; }
    // A register that answers function codes 3 and 4 alike.
    void SetRegister(int reg, std::uint16_t v) { SetHolding(reg, v); SetInput(reg, v); }
    std::optional<bool> Coil(int reg) const;
    std::optional<std::uint16_t> Holding(int reg) const;
    std::optional<std::uint16_t> Input(int reg) const;

    // Words 1.. of a measurement page (index 0 of the vector is ignored: word 0 is the echo).
    void SetMeasurementPage(int page, std::vector<std::uint16_t> words) { pages_[page] = std::move(words); }
    // Event page p (0 to 2): ten codes and ten times (seconds since 1970).
    void SetEventPage(int page, const std::array<std::uint16_t, 10>& codes, const std::array<std::uint32_t, 10>& times);
    // Makes word 0 of the measurement window read this value whatever page is selected
    // (a stale window); nullopt restores the echo.
    void SetEchoOverride(std::optional<std::uint16_t> word0) { echoOverride_ = word0; }
    // The same for word 0 of the event code window.
    void SetEventEchoOverride(std::optional<std::uint16_t> word0) { eventEchoOverride_ = word0; }

    // ---- Energy history and clock ----
    std::vector<std::uint16_t>& DayHistory() { return dayHistory_; }
    std::vector<std::uint16_t>& MonthHistory() { return monthHistory_; }
    // Sets the clock (seconds since 1970, the inverter's wall-clock time); it runs on from there
    // (a write of 784 or 785 sets it running), or stands still when `runs` is false.
    void SetClock(std::uint32_t seconds, bool runs = true);
    std::uint32_t Clock() const;
    // Makes the day window answer with an exception while this page is selected (a missing page).
    void SetMissingDayPage(std::optional<int> first) { missingDayPage_ = first; }
    // ---- end energy history and clock ----

    // One word of a measurement page (the page's other words are kept).
    void SetMeasurementWord(int page, int word, std::uint16_t value);

    // ---- Registers with rules of their own (status and service groups) ----
    // An input register served only by the read right after holding 832 was written with the
    // unlock value 15771; any other read gets an exception (illegal address).
    void SetHiddenInput(int reg, std::uint16_t v) { hidden_[reg] = v; }
    // Holding 48158, the flag word: a write names switches by bits of its low byte and sets them
    // (bit 15 set) or clears them; a read reports the switches. Holding 25411 and 48384 are the
    // grid lock: writing 1 to either unlocks the grid (both read 0 afterwards).
    static constexpr int kFlagWord = 48158;
    static constexpr int kGridLock = 25411;
    static constexpr int kGridLock2 = 48384;
    static constexpr int kUnlockRegister = 832;
    static constexpr std::uint16_t kUnlockValue = 15771;
    // A write of this value to this holding register is acknowledged but not kept (the register
    // keeps its old value), as an inverter does with a setting outside its range.
    void RefuseWrite(int reg, std::uint16_t value) { refused_.insert({reg, value}); }
    // ---- end registers with rules ----

    // ---- Boot loader: its product ID and state (BootLoader.h) ----
    std::uint32_t ProductId() const { return productId_; }
    void SetProductId(std::uint32_t id) { productId_ = id; }
    BootLoaderState& Boot() { return boot_; }
    TalveraState& Talvera() { return talvera_; }
    const BootLoaderState& Boot() const { return boot_; }
    // ---- end boot loader ----

    // Applies one request (address byte, function code, ..., CRC checked by the caller) and
    // returns the reply frame with its CRC; an exception reply for what this inverter does not hold.
    Bytes Answer(const Bytes& request);

private:
    Bytes Exception(std::uint8_t fc, std::uint8_t code) const;

    int id_;
    int baud_;
    std::map<int, bool> coils_;
    std::map<int, std::uint16_t> holding_;
    std::map<int, std::uint16_t> input_;
    std::map<int, std::vector<std::uint16_t>> pages_;
    std::map<int, std::array<std::uint16_t, 10>> eventCodes_;
    std::map<int, std::array<std::uint32_t, 10>> eventTimes_;
    std::optional<std::uint16_t> echoOverride_;
    std::map<int, std::uint16_t> hidden_;   // served only right after the unlock
    bool unlocked_ = false;
    std::set<std::pair<int, std::uint16_t>> refused_;   // writes acknowledged, not kept
    // A holding write with a rule of its own; false when the register has none.
    bool WriteWithRule(int reg, std::uint16_t value);
    std::optional<std::uint16_t> eventEchoOverride_;
    std::uint16_t page_ = 0;
    std::uint16_t eventPage_ = 0;
    std::vector<std::uint16_t> dayHistory_ = std::vector<std::uint16_t>(kDayHistoryWords, 0);
    std::vector<std::uint16_t> monthHistory_ = std::vector<std::uint16_t>(kMonthHistoryWords, 0);
    std::uint16_t dayPage_ = 0;
    std::uint16_t monthPage_ = 0;
    std::optional<int> missingDayPage_;
    std::uint32_t clockBase_ = 1577836800;   // 2020/01/01 00:00:00
    std::int64_t clockSetAt_ = 0;            // steady seconds when the clock was set
    std::uint32_t productId_ = 52000100;   // boot loader's product ID (kDefaultProductId)
    BootLoaderState boot_;
    TalveraState talvera_;
};

} // namespace invsim

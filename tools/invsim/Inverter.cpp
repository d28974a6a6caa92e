#include "tools/invsim/Inverter.h"
#include "tools/invsim/BootLoader.h"

#include <chrono>

namespace invsim {

std::uint16_t Crc16(const std::uint8_t* bytes, std::size_t n)
{
    std::uint16_t crc = 0xFFFF;
    for (std::size_t i = 0; i < n; ++i) {
        crc ^= bytes[i];
        for (int b = 0; b < 8; ++b)
            crc = (crc & 1) ? static_cast<std::uint16_t>((crc >> 1) ^ 0xA001) : static_cast<std::uint16_t>(crc >> 1);
    }
    return crc;
}

void AppendCrc(Bytes& frame)
{
    const std::uint16_t crc = Crc16(frame.data(), frame.size());
    frame.push_back(static_cast<std::uint8_t>(crc & 0xFF));
    frame.push_back(static_cast<std::uint8_t>(crc >> 8));
}

bool CrcOk(const Bytes& frame)
{
    if (frame.size() < 4)
        return false;
    const std::uint16_t crc = Crc16(frame.data(), frame.size() - 2);
    return frame[frame.size() - 2] == (crc & 0xFF) && frame[frame.size() - 1] == (crc >> 8);
}

std::string HexText(const Bytes& bytes, const char* between)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string s;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i > 0)
            s += between;
        s += digits[bytes[i] >> 4];
        s += digits[bytes[i] & 0x0F];
    }
    return s;
}

namespace {

std::int64_t SteadySeconds()
{
    return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// Calendar fields of seconds since 1970 (no time zone).
void CivilFields(std::uint32_t t, int f[6])
{
    const std::int64_t days = t / 86400, rest = t % 86400;
    const std::int64_t z = days + 719468, era = z / 146097, doe = z - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100), mp = (5 * doy + 2) / 153;
    const std::int64_t d = doy - (153 * mp + 2) / 5 + 1, m = mp < 10 ? mp + 3 : mp - 9;
    f[0] = static_cast<int>(yoe + era * 400 + (m <= 2));
    f[1] = static_cast<int>(m);
    f[2] = static_cast<int>(d);
    f[3] = static_cast<int>(rest / 3600);
    f[4] = static_cast<int>(rest % 3600 / 60);
    f[5] = static_cast<int>(rest % 60);
}

} // namespace

void Inverter::SetClock(std::uint32_t seconds, bool runs)
{
    clockBase_ = seconds;
    clockSetAt_ = runs ? SteadySeconds() : 0;
}

std::uint32_t Inverter::Clock() const
{
    return clockBase_ + static_cast<std::uint32_t>(clockSetAt_ == 0 ? 0 : SteadySeconds() - clockSetAt_);
}

std::optional<bool> Inverter::Coil(int reg) const
{
    auto it = coils_.find(reg);
    if (it == coils_.end())
        return std::nullopt;
    return it->second;
}

std::optional<std::uint16_t> Inverter::Holding(int reg) const
{
    if (reg == kPageSelect)
        return page_;
    if (reg == kEventPageSelect)
        return eventPage_;
    if (reg == kDayPageSelect)
        return dayPage_;
    if (reg == kMonthPageSelect)
        return monthPage_;
    if (reg == kClockHigh)
        return static_cast<std::uint16_t>(Clock() >> 16);
    if (reg == kClockLow)
        return static_cast<std::uint16_t>(Clock() & 0xFFFF);
    auto it = holding_.find(reg);
    if (it == holding_.end())
        return std::nullopt;
    return it->second;
}

std::optional<std::uint16_t> Inverter::Input(int reg) const
{
    if (reg >= kMeasurementWindow && reg < kMeasurementWindow + kMeasurementWords) {
        const int word = reg - kMeasurementWindow;
        if (word == 0)
            return echoOverride_ ? *echoOverride_ : static_cast<std::uint16_t>(page_ & 0xFF);
        auto it = pages_.find(page_);
        if (it == pages_.end() || word >= static_cast<int>(it->second.size()))
            return 0;
        return it->second[static_cast<size_t>(word)];
    }
    if (reg >= kEventCodeWindow && reg <= kEventCodeWindow + 10) {
        const int word = reg - kEventCodeWindow;
        if (word == 0)
            return eventEchoOverride_ ? *eventEchoOverride_ : static_cast<std::uint16_t>(eventPage_ & 0xFF);
        auto it = eventCodes_.find(eventPage_);
        return it == eventCodes_.end() ? 0 : it->second[static_cast<size_t>(word - 1)];
    }
    if (reg >= kEventTimeWindow && reg < kEventTimeWindow + 20) {
        const int word = reg - kEventTimeWindow;
        auto it = eventTimes_.find(eventPage_);
        if (it == eventTimes_.end())
            return 0;
        const std::uint32_t t = it->second[static_cast<size_t>(word / 2)];
        return static_cast<std::uint16_t>(word % 2 == 0 ? t & 0xFFFF : t >> 16);
    }
    if (auto h = hidden_.find(reg); h != hidden_.end()) {
        if (!unlocked_)
            return std::nullopt;
        return h->second;
    }
    if (reg >= kDayWindow && reg < kDayWindow + kDayWindowWords) {
        if (missingDayPage_ && *missingDayPage_ == dayPage_)
            return std::nullopt;
        const std::size_t i = 2u * dayPage_ + static_cast<std::size_t>(reg - kDayWindow);
        return i < dayHistory_.size() ? dayHistory_[i] : 0;
    }
    if (reg >= kMonthWindow && reg < kMonthWindow + kMonthWindowWords) {
        const std::size_t i = 2u * monthPage_ + static_cast<std::size_t>(reg - kMonthWindow);
        return i < monthHistory_.size() ? monthHistory_[i] : 0;
    }
    if (reg >= kClockFields && reg < kClockFields + 6) {
        int f[6];
        CivilFields(Clock(), f);
        return static_cast<std::uint16_t>(f[reg - kClockFields]);
    }
    auto it = input_.find(reg);
    if (it == input_.end())
        return std::nullopt;
    return it->second;
}

void Inverter::SetMeasurementWord(int page, int word, std::uint16_t value)
{
    std::vector<std::uint16_t>& words = pages_[page];
    if (static_cast<int>(words.size()) <= word)
        words.resize(static_cast<size_t>(word) + 1, 0);
    words[static_cast<size_t>(word)] = value;
}

bool Inverter::WriteWithRule(int reg, std::uint16_t value)
{
    switch (reg) {
    case kFlagWord: {
        const std::uint16_t bits = value & 0xFF;
        std::uint16_t& flags = holding_[kFlagWord];
        flags = (value & 0x8000) ? static_cast<std::uint16_t>(flags | bits) : static_cast<std::uint16_t>(flags & ~bits);
        return true;
    }
    case kGridLock:
    case kGridLock2:
        if (value == 1) {
            holding_[kGridLock] = 0;
            holding_[kGridLock2] = 0;
        } else {
            holding_[reg] = value;
        }
        return true;
    case kUnlockRegister:
        holding_[reg] = value;
        unlocked_ = value == kUnlockValue;
        return true;
    default:
        return false;
    }
}

void Inverter::SetEventPage(int page, const std::array<std::uint16_t, 10>& codes, const std::array<std::uint32_t, 10>& times)
{
    eventCodes_[page] = codes;
    eventTimes_[page] = times;
}

Bytes Inverter::Exception(std::uint8_t fc, std::uint8_t code) const
{
    Bytes reply{static_cast<std::uint8_t>(id_), static_cast<std::uint8_t>(fc | 0x80), code};
    AppendCrc(reply);
    return reply;
}

Bytes Inverter::Answer(const Bytes& request)
{
    if (request.size() < 4)
        return {};
    // ---- Boot loader: the product-ID request of the slave-ID scan ----
    if (IsBootLoaderFrame(request))
        return BootLoaderAnswer(id_, productId_, boot_, request);
    if (boot_.inBoot)
        return {};   // only the boot loader runs: the application does not answer
    // ---- end boot loader ----
    const std::uint8_t fc = request[1];
    if (request.size() != 8 || fc < 1 || fc > 6 || fc == 2)
        return Exception(fc, 0x01);   // illegal function
    const int first = (request[2] << 8 | request[3]) + 1;   // 1-based register number
    const int value = request[4] << 8 | request[5];
    Bytes reply{static_cast<std::uint8_t>(id_), fc};

    switch (fc) {
    case 1: {
        if (value < 1 || value > 2000)
            return Exception(fc, 0x03);
        Bytes bits(static_cast<size_t>((value + 7) / 8), 0);
        for (int i = 0; i < value; ++i) {
            const auto coil = Coil(first + i);
            if (!coil)
                return Exception(fc, 0x02);
            if (*coil)
                bits[static_cast<size_t>(i / 8)] |= static_cast<std::uint8_t>(1u << (i % 8));
        }
        reply.push_back(static_cast<std::uint8_t>(bits.size()));
        reply.insert(reply.end(), bits.begin(), bits.end());
        break;
    }
    case 3:
    case 4: {
        if (value < 1 || value > 125)
            return Exception(fc, 0x03);
        // A read of a hidden register uses up the unlock, served or not.
        bool touchesHidden = false;
        for (int i = 0; fc == 4 && i < value; ++i)
            touchesHidden = touchesHidden || hidden_.count(first + i) > 0;
        struct Relock {
            bool& unlocked;
            bool on;
            ~Relock() { if (on) unlocked = false; }
        } relock{unlocked_, touchesHidden};
        reply.push_back(static_cast<std::uint8_t>(2 * value));
        for (int i = 0; i < value; ++i) {
            const auto word = fc == 3 ? Holding(first + i) : Input(first + i);
            if (!word)
                return Exception(fc, 0x02);
            reply.push_back(static_cast<std::uint8_t>(*word >> 8));
            reply.push_back(static_cast<std::uint8_t>(*word & 0xFF));
        }
        break;
    }
    case 5:
        if (value != 0xFF00 && value != 0x0000)
            return Exception(fc, 0x03);
        if (!Coil(first))
            return Exception(fc, 0x02);
        coils_[first] = value == 0xFF00;
        reply.assign(request.begin(), request.end() - 2);
        break;
    case 6:
        if (first == kPageSelect)
            page_ = static_cast<std::uint16_t>(value);
        else if (first == kEventPageSelect)
            eventPage_ = static_cast<std::uint16_t>(value);
        else if (first == kDayPageSelect)
            dayPage_ = static_cast<std::uint16_t>(value);
        else if (first == kMonthPageSelect)
            monthPage_ = static_cast<std::uint16_t>(value);
        else if (first == kClockHigh)
            SetClock((static_cast<std::uint32_t>(value) << 16) | (Clock() & 0xFFFF));
        else if (first == kClockLow)
            SetClock((Clock() & 0xFFFF0000u) | static_cast<std::uint32_t>(value));
        else if (first >= kDayWindow && first < kDayWindow + kDayWindowWords) {
            const std::size_t i = 2u * dayPage_ + static_cast<std::size_t>(first - kDayWindow);
            if (i < dayHistory_.size())
                dayHistory_[i] = static_cast<std::uint16_t>(value);
        } else if (first >= kMonthWindow && first < kMonthWindow + kMonthWindowWords) {
            const std::size_t i = 2u * monthPage_ + static_cast<std::size_t>(first - kMonthWindow);
            if (i < monthHistory_.size())
                monthHistory_[i] = static_cast<std::uint16_t>(value);
        }
        else if (holding_.count(first)) {
            if (refused_.count({first, static_cast<std::uint16_t>(value)}) == 0 &&
                !WriteWithRule(first, static_cast<std::uint16_t>(value)))
                holding_[first] = static_cast<std::uint16_t>(value);
        }
        else
            return Exception(fc, 0x02);
        reply.assign(request.begin(), request.end() - 2);
        break;
    }
    reply[0] = static_cast<std::uint8_t>(id_);
    AppendCrc(reply);
    return reply;
}

} // namespace invsim

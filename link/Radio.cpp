// The sub-1 GHz radio adapter: a serial device driven by short "rf ..." text commands written
// without a terminator. A Modbus request travels as the hex text of a 13-byte radio frame in
// "rf tx "; the inverter's reply comes back in a "radio_rx" line with the reply frame in hex,
// the RSSI and the SNR.
#include "link/Modbus.h"

#include "common/Myfunc.h"
#include "common/Waits.h"
#include "link/CommLog.h"
#include "link/Crc.h"
#include "link/LinkHost.h"

#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr const char* kRxOn = "rf rx_con on";
constexpr const char* kRxOff = "rf rx_con off";
// The adapter's fixed settings, sent after tuning to the fallback frequency.
constexpr const char* kSettings[] = {"rf rx_con off", "rf set_sync 51", "rf set_sf 9", "rf set_bw 250", "rf set_pwr 15"};

constexpr int kFreqMinTenths = 8620;     // 862.0 MHz
constexpr int kFreqMaxTenths = 9320;     // 932.0 MHz
constexpr int kFreqFallbackTenths = 9000;

int WriteCommand(Tcomm& com, const std::string& text)
{
    return com.Write(reinterpret_cast<const std::uint8_t*>(text.data()), static_cast<int>(text.size()));
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// The bytes of a hex payload; false for an odd length or a character that is no hex digit.
bool HexPayload(const std::string& text, std::vector<std::uint8_t>& bytes)
{
    bytes.clear();
    if (text.size() % 2 != 0)
        return false;
    for (std::size_t i = 0; i < text.size(); i += 2) {
        const int hi = HexDigit(text[i]);
        const int lo = HexDigit(text[i + 1]);
        if (hi < 0 || lo < 0)
            return false;
        bytes.push_back(static_cast<std::uint8_t>(hi << 4 | lo));
    }
    return true;
}

} // namespace

void Modbus::BuildRadioFrame(int reg, int countOrValue, std::uint8_t fc)
{
    PutRequestHead(reg, countOrValue, fc);
    const std::uint32_t freq = static_cast<std::uint32_t>(RadioFreq);
    std::uint8_t* f = Com.TxBuffer;
    f[6] = static_cast<std::uint8_t>(freq >> 24);
    f[7] = static_cast<std::uint8_t>(freq >> 16);
    f[8] = static_cast<std::uint8_t>(freq >> 8);
    f[9] = static_cast<std::uint8_t>(freq);
    f[10] = 0xFF;
    const std::uint16_t crc = Crc16Modbus(f, 11);
    f[11] = static_cast<std::uint8_t>(crc & 0xFF);
    f[12] = static_cast<std::uint8_t>(crc >> 8);

    static const char digits[] = "0123456789ABCDEF";
    std::string text = "rf tx ";
    for (int i = 0; i < 13; ++i) {
        text += digits[f[i] >> 4];
        text += digits[f[i] & 0x0F];
    }
    Com.TxText = text;
}

int Modbus::TransactRadio()
{
    DelayPumped(200);
    if (Com.WriteText() != 0)
        return 1;
    LogTx();
    DelayPumped(50);
    Com.ReadAvailable();   // the adapter's acknowledgement: logged, not judged
    LogRxText();

    ++TxCounter;
    Host().SetStatusPanel(3, QString::number(TxCounter));
    ClearReply();

    WriteCommand(Com, kRxOn);
    DelayPumped(50);
    if (Com.ReadAvailable() != 0)
        return 1;
    LogRxText();

    DelayPumped(900);
    if (Com.ReadAvailable() != 0)
        return 1;
    if (Com.RxCount > 0) {
        LogRxText();
        ParseRadioReply();
        LogReply();
    }

    WriteCommand(Com, kRxOff);
    DelayPumped(50);
    if (Com.ReadAvailable() != 0)
        return 1;
    LogRxText();

    Host().SetStatusPanel(5, QStringLiteral("NoRx/Error:%1/%2").arg(NoReplyCount).arg(CrcErrors));
    return 0;
}

int Modbus::ParseRadioReply()
{
    // The adapter ends its lines with CR LF: they separate tokens as blanks do, so that the
    // last figure of a line reads as the number it is and not as 0.
    std::string text(reinterpret_cast<const char*>(Com.RxBuffer), static_cast<std::size_t>(Com.RxCount));
    for (char& c : text)
        if (c == '\r' || c == '\n' || c == '\t' || c == '\0')
            c = ' ';
    std::vector<WebReqStr> tokens;
    SplitText(text, ' ', tokens);
    // A run of separators (a blank before a line end) separates once.
    std::erase_if(tokens, [](const WebReqStr& t) { return t.Text.empty(); });

    // The window may hold more than one line: a late answer to an earlier request, another
    // inverter's. The line taken is the (last) one that answers this request; failing that, the
    // last one with a good CRC, which is then refused. A payload that fails its CRC is no reply.
    constexpr std::size_t kNone = static_cast<std::size_t>(-1);
    std::size_t first = kNone, taken = kNone;
    bool fits = false;
    std::vector<std::uint8_t> reply;
    for (std::size_t at = 0; at < tokens.size(); ++at) {
        if (!ContainsText(tokens[at].Text, "radio_rx"))
            continue;
        if (first == kNone)
            first = at;
        std::vector<std::uint8_t> bytes;
        if (at + 1 >= tokens.size() || !HexPayload(tokens[at + 1].Text, bytes) ||
            bytes.size() > static_cast<std::size_t>(kReplySize) || CheckCrc(bytes.data(), static_cast<int>(bytes.size())) != 1)
            continue;
        const bool answers = FitsRequest(bytes.data(), static_cast<int>(bytes.size()));
        if (answers || !fits) {
            taken = at;
            fits = answers;
            reply = std::move(bytes);
        }
    }
    if (taken != kNone) {
        ReplyLength = static_cast<std::int32_t>(reply.size());
        std::memcpy(Reply, reply.data(), reply.size());
        ReplyOk = fits ? 1 : 0;
    }
    const std::size_t at = taken != kNone ? taken : first;
    if (at == kNone)
        return 0;
    if (at + 2 < tokens.size())
        Host().SetStatusPanel(9, QStringLiteral("RSSI: %1").arg(StrToIntSafe(QString::fromStdString(tokens[at + 2].Text))));
    if (at + 3 < tokens.size())
        Host().SetStatusPanel(10, QStringLiteral("SNR: %1").arg(StrToIntSafe(QString::fromStdString(tokens[at + 3].Text))));
    return 0;
}

int Modbus::TuneRadio(std::int32_t frequency)
{
    if (RadioFreqCurrent == frequency)
        return 0;
    WriteCommand(Com, "rf set_freq " + std::to_string(frequency));
    DelayPumped(100);
    Com.ReadAvailable();
    LogRxText();
    const std::string answer(reinterpret_cast<const char*>(Com.RxBuffer), static_cast<std::size_t>(Com.RxCount));
    if (!ContainsText(answer, "Ok"))
        return 1;
    RadioFreqCurrent = frequency;
    return 0;
}

int Modbus::SetRadioFreq(int tenths)
{
    if (tenths < kFreqMinTenths || tenths > kFreqMaxTenths) {
        Host().ShowMessage(QStringLiteral("illegal freq, default setting"));
        tenths = kFreqFallbackTenths;
    }
    RadioFreq = tenths * 100000;
    return 0;
}

int Modbus::RadioConfigure()
{
    TuneRadio(RadioFreqDefault);
    for (const char* command : kSettings) {
        WriteCommand(Com, command);
        // The settings are logged whether or not the debug panel is open.
        AppendCommLine(QString::fromLatin1(command));
        DelayPumped(100);
        Com.ReadAvailable();
        LogRxText();
    }
    return 0;
}

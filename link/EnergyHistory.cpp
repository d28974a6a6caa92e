#include "link/EnergyHistory.h"

#include "link/CommLog.h"
#include "link/LinkHost.h"
#include "vcl/Services.h"

#include <ctime>

namespace energy {

namespace {

constexpr int kClockHigh = 784;
constexpr int kClockLow = 785;
constexpr int kDayPage = 809;
constexpr int kMonthPage = 810;
constexpr int kDayWindow = 2048;
constexpr int kDayWindowWords = 64;
constexpr int kMonthWindow = 2112;
constexpr int kMonthWindowWords = 48;
constexpr int kDayWords = 732;
constexpr int kMonthWords = 240;
constexpr int kExtraInput = 1076;        // 4 words
constexpr int kExtraHolding = 24832;     // 7 words, read and written back
constexpr int kExtraWriteBack = 44224;   // where the 4 input words are written back
constexpr int kTransferControl = 24665;
constexpr int kDayWriteStart = 4112, kDayWriteEnd = 4113, kMonthWriteStart = 4114, kMonthWriteEnd = 4115;
constexpr int kDayWriteCommit = 0x55AA;

// One read whose reply counts only when complete: the function code, the reply check and the
// byte count must all match; an unanswered read is tried once more.
int ReadBlock(Modbus& link, int reg, int count, std::uint8_t fc, bool& ok)
{
    ok = false;
    for (int attempt = 0; attempt < 2 && !ok; ++attempt) {
        if (link.Request(reg, count, fc))
            return kLinkFailed;
        ok = link.Reply[1] == fc && link.ReplyOk == 1 && link.Reply[2] == 2 * count && link.ReplyLength >= 5 + 2 * count;
    }
    return kDone;
}

int Word(const Modbus& link, int k) { return link.Reply[3 + 2 * k] * 256 + link.Reply[4 + 2 * k]; }

// One register write that counts only when the inverter echoes it; tried once more otherwise.
int WriteChecked(Modbus& link, int reg, int value)
{
    const int v = value & 0xFFFF;
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (link.Request(reg, v, 6))
            return kLinkFailed;
        const int echoedReg = link.Reply[2] * 256 + link.Reply[3] + 1;
        const int echoedValue = link.Reply[4] * 256 + link.Reply[5];
        if (link.Reply[1] == 6 && link.ReplyOk == 1 && echoedReg == reg && echoedValue == v)
            return kDone;
    }
    return kIncomplete;
}

void Log(Modbus& link, const QString& text)
{
    if (LogPane* pane = link.Host().EventLog())
        AppendLogLine(*pane, text);
}

// Reads `total` words through a paged window into `store`; the page register takes the first
// entry (two words each) of every page.
int ReadHistory(Modbus& link, int pageReg, int window, int windowWords, std::int32_t* store, int total,
                const char* logName, const char* labelName, const Progress& progress)
{
    if (WriteChecked(link, pageReg, 0) == kLinkFailed)
        return kLinkFailed;
    int stored = 0;
    int result = kDone;
    while (stored < total) {
        bool ok = false;
        if (ReadBlock(link, window, windowWords, 4, ok))
            return kLinkFailed;
        if (!ok) {
            result = kIncomplete;
            break;
        }
        const int n = std::min(windowWords, total - stored);
        for (int k = 0; k < n; ++k, ++stored) {
            store[stored] = Word(link, k);
            Log(link, QString::fromLatin1(logName) + QString::number(stored / 2) + QStringLiteral(": ") + QString::number(store[stored]));
            if (progress)
                progress(QString::fromLatin1(labelName) + QString::number(stored / 2));
        }
        if (stored < total) {
            const int w = WriteChecked(link, pageReg, stored / 2);
            if (w == kLinkFailed)
                return kLinkFailed;
            if (w == kIncomplete) {
                result = kIncomplete;
                break;
            }
        }
    }
    // The window is left on its first page, as the inverter's own displays expect it.
    const int reset = WriteChecked(link, pageReg, 0);
    if (reset == kLinkFailed)
        return kLinkFailed;
    return result;
}

int WriteHistory(Modbus& link, int pageReg, int window, int windowWords, const std::int32_t* store, int total,
                 const char* labelName, const Progress& progress)
{
    int r = WriteChecked(link, pageReg, 0);
    for (int i = 0; i < total && r == kDone; ++i) {
        if (i > 0 && i % windowWords == 0)
            if ((r = WriteChecked(link, pageReg, i / 2)) != kDone)
                break;
        r = WriteChecked(link, window + i % windowWords, store[i]);
        if (progress)
            progress(QString::fromLatin1(labelName) + QString::number(i / 2));
    }
    if (r == kLinkFailed)
        return kLinkFailed;
    const int reset = WriteChecked(link, pageReg, 0);
    if (reset == kLinkFailed)
        return kLinkFailed;
    return r;
}

} // namespace

std::uint32_t LocalClockSeconds(std::int64_t utcSeconds)
{
    const std::time_t t = static_cast<std::time_t>(utcSeconds);
    std::tm local{};
    localtime_r(&t, &local);
    return static_cast<std::uint32_t>(utcSeconds + local.tm_gmtoff);
}

int SyncClock(Modbus& link)
{
    const LinkTargetPin pin(link);
    const std::uint32_t local = LocalClockSeconds(static_cast<std::int64_t>(std::time(nullptr)));
    const int words[2][2] = {{kClockLow, static_cast<int>(local & 0xFFFF)}, {kClockHigh, static_cast<int>(local >> 16)}};
    // The clock counts as set only when the inverter took both words (echoed them) in a pass.
    bool set = false;
    for (int pass = 0; pass < 2; ++pass) {
        if (pass == 1)
            vcl::Time().Sleep(500);
        bool echoed = true;
        for (const auto& [reg, value] : words) {
            if (link.Request(reg, value, 6))
                return kLinkFailed;
            echoed = echoed && link.Reply[1] == 6 && link.ReplyOk == 1 && link.Reply[2] * 256 + link.Reply[3] + 1 == reg &&
                     link.Reply[4] * 256 + link.Reply[5] == value;
        }
        set = set || echoed;
    }
    return set ? kDone : kIncomplete;
}

int ReadDayEnergy(Modbus& link, const Progress& progress)
{
    const LinkTargetPin pin(link);
    const int r = ReadHistory(link, kDayPage, kDayWindow, kDayWindowWords, link.DayEnergy, kDayWords, "Day", "Day: ", progress);
    if (r != kDone)
        return r;
    bool ok = false;
    if (ReadBlock(link, kExtraInput, 4, 4, ok))
        return kLinkFailed;
    if (!ok)
        return kIncomplete;
    for (int k = 0; k < 4; ++k)
        link.EnergyExtra[k] = Word(link, k);
    if (ReadBlock(link, kExtraHolding, 7, 3, ok))
        return kLinkFailed;
    if (!ok)
        return kIncomplete;
    for (int k = 0; k < 7; ++k)
        link.EnergyExtra[4 + k] = Word(link, k);
    return kDone;
}

int ReadMonthEnergy(Modbus& link, const Progress& progress)
{
    const LinkTargetPin pin(link);
    return ReadHistory(link, kMonthPage, kMonthWindow, kMonthWindowWords, link.MonthEnergy, kMonthWords, "Month", "Month: ", progress);
}

int WriteDayEnergy(Modbus& link, const Progress& progress)
{
    const LinkTargetPin pin(link);
    int r = WriteChecked(link, kTransferControl, kDayWriteStart);
    if (r == kDone)
        r = WriteHistory(link, kDayPage, kDayWindow, kDayWindowWords, link.DayEnergy, kDayWords, "Day: ", progress);
    if (r == kDone)
        r = WriteChecked(link, kTransferControl, kDayWriteEnd);
    for (int k = 0; k < 4 && r == kDone; ++k)
        r = WriteChecked(link, kExtraWriteBack + k, link.EnergyExtra[k]);
    for (int k = 0; k < 7 && r == kDone; ++k)
        r = WriteChecked(link, kExtraHolding + k, link.EnergyExtra[4 + k]);
    // The inverter takes the day history over only with the closing word; an incomplete
    // transfer does not send it.
    if (r == kDone)
        r = WriteChecked(link, kTransferControl, kDayWriteCommit);
    return r;
}

int WriteMonthEnergy(Modbus& link, const Progress& progress)
{
    const LinkTargetPin pin(link);
    int r = WriteChecked(link, kTransferControl, kMonthWriteStart);
    if (r == kDone)
        r = WriteHistory(link, kMonthPage, kMonthWindow, kMonthWindowWords, link.MonthEnergy, kMonthWords, "Month: ", progress);
    if (r == kDone)
        r = WriteChecked(link, kTransferControl, kMonthWriteEnd);
    return r;
}

} // namespace energy

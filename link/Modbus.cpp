#include "link/Modbus.h"

#include "common/Waits.h"
#include "link/CommLog.h"
#include "link/Crc.h"
#include "link/LinkHost.h"
#include "vcl/Services.h"

#include <cstring>

Modbus::Modbus(LinkHost* host)
{
    SetHost(host);
}

void Modbus::SetHost(LinkHost* host)
{
    host_ = host;
    Com.SetHost(host);
    Tcp.SetHost(host);
}

LinkHost& Modbus::Host() const
{
    return host_ ? *host_ : DefaultLinkHost();
}

void Modbus::ResetLinkCounters()
{
    TxCounter = 0;
    FailStreak = 0;
    CrcErrors = 0;
    NoReplyCount = 0;
    ConnectErrors = -1;
    Tcp.LinkHungUp = false;
    unreachableSaid_ = false;
}

void Modbus::PutRequestHead(int reg, int countOrValue, std::uint8_t fc)
{
    // Registers are numbered from 1; the wire carries the number minus one.
    const std::uint16_t address = static_cast<std::uint16_t>(reg - 1);
    const std::uint16_t value = static_cast<std::uint16_t>(countOrValue);
    std::uint8_t* f = Com.TxBuffer;
    f[0] = WireId();
    f[1] = fc;
    f[2] = static_cast<std::uint8_t>(address >> 8);
    f[3] = static_cast<std::uint8_t>(address & 0xFF);
    f[4] = static_cast<std::uint8_t>(value >> 8);
    f[5] = static_cast<std::uint8_t>(value & 0xFF);
}

void Modbus::BuildRtuFrame(int reg, int countOrValue, std::uint8_t fc)
{
    PutRequestHead(reg, countOrValue, fc);
    std::uint8_t* f = Com.TxBuffer;
    const std::uint16_t crc = Crc16Modbus(f, 6);
    f[6] = static_cast<std::uint8_t>(crc & 0xFF);
    f[7] = static_cast<std::uint8_t>(crc >> 8);
    TxLength = 8;
}

bool Modbus::Refuses(int& result)
{
    lastRefused_ = busy_;
    if (busy_) {
        refusedInside_ = true;
        ReplyOk = 0;
        ReplyLength = 0;
        result = 0;
        return true;
    }
    if (StopsWork()) {
        // The link or the window was closed, or the link was lost: nothing more goes on the
        // wire, and the operation that holds the link ends as on a failed link.
        ReplyOk = 0;
        ReplyLength = 0;
        result = 1;
        return true;
    }
    return false;
}

int Modbus::Request(int reg, int countOrValue, std::uint8_t fc)
{
    // A handler running inside this request's waits must not start a request of its own: it
    // would rewrite the frame and the reply under the request in progress.
    if (int refused = 0; Refuses(refused))
        return refused;
    struct Busy {
        Modbus& m;
        explicit Busy(Modbus& link) : m(link) { m.busy_ = true; m.refusedInside_ = false; }
        ~Busy() { m.busy_ = false; }
    } busy(*this);

    switch (LinkType) {
    case LinkRs485:
    case LinkWifi:
        BuildRtuFrame(reg, countOrValue, fc);
        if (Transact() != 0)
            return LinkFailedUnderWork();
        break;
    case LinkSub1g:
        // The radio adapter carries the request as a text command.
        BuildRadioFrame(reg, countOrValue, fc);
        if (Transact() != 0)
            return LinkFailedUnderWork();
        break;
    default:
        break;
    }

    const std::uint8_t ok = ReplyOk;
    const std::int32_t length = ReplyLength;
    Host().Pump();
    if (refusedInside_) {
        // A refused request inside the pump cleared the verdict for its own caller; ours stands.
        ReplyOk = ok;
        ReplyLength = length;
    }
    return 0;
}

QString LinkWorkName(LinkWork work)
{
    switch (work) {
    case LinkWork::None: break;
    case LinkWork::Commands: return QStringLiteral("the command");
    case LinkWork::Transfer: return QStringLiteral("the energy transfer");
    case LinkWork::ClockSync: return QStringLiteral("the clock synchronisation");
    case LinkWork::DumpUpload: return QStringLiteral("the grid setting transfer");
    case LinkWork::Survey: return QStringLiteral("the image load");
    case LinkWork::Programming: return QStringLiteral("the programming run");
    case LinkWork::LastPoll: return QStringLiteral("the last poll before the upgrade page");
    case LinkWork::Scan: return QStringLiteral("the scan");
    }
    return QString();
}

QString StoppedWorkMessage(LinkStop why, LinkWork work)
{
    QString cause;
    switch (why) {
    case LinkStop::None: return QString();
    case LinkStop::LinkLost: cause = QStringLiteral("Link lost"); break;
    case LinkStop::LinkClosed: cause = QStringLiteral("Link closed"); break;
    case LinkStop::WindowClosed: cause = QStringLiteral("Window closed"); break;
    }
    return QStringLiteral("%1: %2 was stopped before it completed").arg(cause, LinkWorkName(work));
}

int Modbus::LinkFailedUnderWork()
{
    // The link failed under an operation: the request did not complete, and no later one of
    // that operation goes out, so its end says what it left undone.
    if (Held()) {
        StopAll(LinkStop::LinkLost);
        ++stoppedRequests_;
    }
    return 1;
}

void Modbus::Hold(LinkWork work)
{
    if (holdDepth_++ == 0) {
        holder_ = work;
        stoppedRequests_ = 0;
    }
}

void Modbus::Release()
{
    if (holdDepth_ == 0 || --holdDepth_ > 0)
        return;
    const LinkWork ended = holder_;
    holder_ = LinkWork::None;
    if (Stopped() && stoppedRequests_ > 0) {
        stoppedRequests_ = 0;
        Host().ShowMessage(StoppedWorkMessage(stop_, ended));
    }
}

void Modbus::StopAll(LinkStop why)
{
    if (stop_ == LinkStop::None || why == LinkStop::WindowClosed)
        stop_ = why;
}

bool Modbus::StopsWork()
{
    if (Stopped() && Held())
        ++stoppedRequests_;
    return Stopped();
}

void Modbus::ClearStop()
{
    stop_ = LinkStop::None;
    stoppedRequests_ = 0;
}

int Modbus::Transact()
{
    // No inverter selected: nothing is sent and nothing counts.
    if (Com.TxBuffer[0] == 0) {
        vcl::Time().Sleep(500);
        return 0;
    }
    switch (LinkType) {
    case LinkRs485: {
        const std::int32_t streakBefore = FailStreak;
        if (TransactSerial() != 0)
            return 1;
        if (streakBefore % 20 == 19) {
            // A long silence: reopen the port, at the rate that was in use.
            const int rateCode = CodeOfBaud(Com.BaudRate);
            Com.Close();
            if (Com.Open(PortName) != 0)
                return 1;
            SetBaudCode(rateCode >= 0 ? rateCode : IdBaudCode[SlaveId]);
        }
        break;
    }
    // ---- Wi-Fi module and radio adapter ----
    case LinkWifi:
        if (TransactTcp() != 0)
            return 1;
        Host().Pump();
        vcl::Time().Sleep(250);
        // The exchange counted its own failures; only the silent streak is left to count.
        CountResult(false);
        return 0;
    case LinkSub1g: {
        const auto good = [this] { return ReplyLength > 0 && ReplyOk == 1; };
        if (FailStreak % 20 == 19)
            RadioConfigure();
        if (TransactRadio() != 0)
            return 1;
        if (good()) {
            TuneRadio(RadioFreq);
        } else {
            // No answer: try the other of the working and the fallback frequency once.
            TuneRadio(RadioFreqCurrent == RadioFreq ? RadioFreqDefault : RadioFreq);
            if (TransactRadio() != 0)
                return 1;
            if (good() && RadioFreqCurrent == RadioFreqDefault)
                TuneRadio(RadioFreq);
        }
        break;
    }
    // ---- end Wi-Fi module and radio adapter ----
    default:
        return 0;
    }
    CountResult();
    return 0;
}

void Modbus::CountResult(bool countTotals)
{
    if (ReplyLength == 0) {
        if (countTotals)
            ++NoReplyCount;
        ++FailStreak;
    } else if (ReplyBringsData()) {
        if (FailStreak >= 10)
            Host().RecoverStale();
        FailStreak = 0;
    } else {
        // Another slave's reply, a spoilt one, an exception or another function's: the inverter
        // told us nothing, and its values age as they do in silence.
        if (countTotals)
            ++CrcErrors;
        ++FailStreak;
    }
    if (FailStreak == 10) {
        Host().MarkStale();
        Host().SetStatusPanel(0, QString());
    }
}

void Modbus::ClearReply()
{
    ReplyOk = 0;
    std::memset(Reply, 0, sizeof Reply);
    ReplyLength = 0;
}

bool Modbus::ModbusRequestSent() const
{
    // Radio frames are always Modbus requests (13 bytes, TxLength untouched).
    return (TxLength == 8 || LinkType == LinkSub1g) && !StxRequestSent();
}

bool Modbus::FitsRequest(const std::uint8_t* bytes, int n) const
{
    const std::uint8_t* asked = Com.TxBuffer;
    if (n < 4)
        return false;
    if (LinkType != LinkWifi && bytes[0] != asked[0])
        return false;   // another inverter on the bus or on the air
    const std::uint8_t fc = asked[1];
    if (bytes[1] == (fc | 0x80))
        return n == 5;   // the slave's exception: address, code, exception code, CRC
    if (bytes[1] != fc)
        return false;
    const int count = asked[4] << 8 | asked[5];
    switch (fc) {
    case 3:
    case 4:
        return bytes[2] == 2 * count && n == 2 * count + 5;
    case 1:
        return n == bytes[2] + 5;
    default:
        return true;
    }
}

void Modbus::CheckReplyFits()
{
    if (ReplyOk == 1 && ModbusRequestSent() && !FitsRequest(Reply, ReplyLength))
        ReplyOk = 0;
}

bool Modbus::ReplyBringsData() const
{
    if (ReplyLength <= 0 || ReplyOk != 1)
        return false;
    return !ModbusRequestSent() || Reply[1] == Com.TxBuffer[1];
}

int Modbus::TransactSerial()
{
    DelayPumped(30);
    // Whatever waits now answers no request of ours (a reply that came after its wait had
    // ended): left in, it would be read as the answer to this one.
    Com.DiscardInput();
    if (Com.WriteTx(TxLength) != 0)
        return 1;
    LogTx();
    ++TxCounter;
    Host().SetStatusPanel(3, QString::number(TxCounter));
    ClearReply();

    const std::uint8_t fc = Com.TxBuffer[1];
    const int count = Com.TxBuffer[5];
    int expected = TxLength;                 // a write is answered by its echo
    if (fc == 1)
        expected = count + 5;
    else if (fc == 3 || fc == 4)
        expected = 2 * count + 5;
    if (StxRequestSent())
        expected = 9;
    if (Com.ReadExpected(expected) != 0)
        return 1;
    if (StxRequestSent() && ReadStxTail() != 0)
        return 1;
    LogRxHex();

    if (Com.RxCount >= 1) {
        ReplyLength = Com.RxCount < kReplySize ? Com.RxCount : kReplySize;
        std::memcpy(Reply, Com.RxBuffer, static_cast<size_t>(ReplyLength));
        ReplyOk = static_cast<std::uint8_t>(CheckReplyCrc());
    }
    CheckReplyFits();
    Host().SetStatusPanel(5, QStringLiteral("NoRx/Error:%1/%2").arg(NoReplyCount).arg(CrcErrors));
    return 0;
}

int Modbus::ReadStxTail()
{
    // An STX reply says its own length in its fourth byte: wait for that many, a poll at a time.
    constexpr int kRoom = Tcomm::kRxBufferSize - 1;   // a NUL follows the bytes
    std::uint8_t got[kRoom];
    int n = Com.RxCount < kRoom ? Com.RxCount : kRoom;
    std::memcpy(got, Com.RxBuffer, static_cast<std::size_t>(n));
    for (int poll = 0; poll < 10 && n < kRoom; ++poll) {
        const int want = StxReplyLength(got, n);
        if (n < 4 ? n == 0 : n >= want)
            break;
        DelayPumped(40);
        if (Com.ReadAvailable() != 0)
            return 1;
        const int more = Com.RxCount < kRoom - n ? Com.RxCount : kRoom - n;
        std::memcpy(got + n, Com.RxBuffer, static_cast<std::size_t>(more));
        n += more;
    }
    std::memcpy(Com.RxBuffer, got, static_cast<std::size_t>(n));
    Com.RxBuffer[n] = 0;
    Com.RxCount = n;
    return 0;
}

int Modbus::CheckCrc(const std::uint8_t* bytes, int n)
{
    if (!bytes || n <= 3)
        return 0;
    const std::uint16_t crc = Crc16Modbus(bytes, static_cast<std::size_t>(n - 2));
    return (bytes[n - 2] == (crc & 0xFF) && bytes[n - 1] == (crc >> 8)) ? 1 : 0;
}

int Modbus::CheckReplyCrc() const
{
    const int n = ReplyLength < kReplySize ? ReplyLength : kReplySize;
    return StxRequestSent() ? CheckStx(Reply, n) : CheckCrc(Reply, n);
}

int Modbus::OpenCom(const QString& name)
{
    PortName = name;
    if (Com.Open(name) != 0)
        return 1;
    Host().SetStatusPanel(4, QStringLiteral("COM Open"));
    LinkType = LinkRs485;
    return 0;
}

int Modbus::SetBaudCode(int code)
{
    if (code >= 0 && code <= 3)
        Com.SetBaud(static_cast<std::uint8_t>(code));
    Host().SetStatusPanel(1, QString::number(Com.BaudRate));
    return 0;
}

void Modbus::AppendCommLine(const QString& line)
{
    if (LogPane* pane = Host().EventLog())
        AppendLogLine(*pane, line);
}

int Modbus::LogTx()
{
    if (!Host().DebugPaneOpen())
        return 0;
    if (LinkType == LinkSub1g) {
        AppendCommLine(QStringLiteral("Tx:%1:").arg(Com.TxText.size()) + QString::fromLatin1(Com.TxText.c_str()));
        return 0;
    }
    const int n = TxLength < 0 ? 0 : (TxLength > Tcomm::kTxBufferSize ? Tcomm::kTxBufferSize : TxLength);
    AppendCommLine(QStringLiteral("Tx:%1:").arg(TxLength) + HexBytes(Com.TxBuffer, n));
    return 0;
}

int Modbus::LogRxHex()
{
    if (!Host().DebugPaneOpen() || Com.RxCount <= 3)
        return 0;
    AppendCommLine(QStringLiteral("Rx:%1:").arg(Com.RxCount) + HexBytes(Com.RxBuffer, Com.RxCount));
    return 0;
}

int Modbus::LogRxText()
{
    if (!Host().DebugPaneOpen() || Com.RxCount <= 3)
        return 0;
    QString line = QStringLiteral("Rx:%1:").arg(Com.RxCount);
    for (int i = 0; i < Com.RxCount; ++i) {
        line += QLatin1Char(' ');
        line += QLatin1Char(static_cast<char>(Com.RxBuffer[i]));
    }
    AppendCommLine(line);
    return 0;
}

int Modbus::LogReply()
{
    if (!Host().DebugPaneOpen() || ReplyLength <= 3)
        return 0;
    AppendCommLine(QStringLiteral("Rx:%1:").arg(ReplyLength) + HexBytes(Reply, ReplyLength));
    return 0;
}

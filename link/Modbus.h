// The device link: one Modbus RTU master object for the whole program. It builds each request,
// hands it to the serial port, the Wi-Fi module or the radio adapter, keeps the last reply with
// its verdict, counts failures, reopens a silent port and marks the window's values stale.
#pragma once

#include "link/Mysock.h"
#include "link/Rs232.h"

#include <QString>
#include <cstdint>

class LinkHost;

enum LinkTypes : int { LinkNone = 0, LinkRs485 = 1, LinkWifi = 2, LinkSub1g = 3 };

// The operations that hold the link from their first request to their last. While one holds it,
// a user action that would start other link work or change the target is refused.
enum class LinkWork : int {
    None = 0,
    Commands,       // a command sequence of the executor
    Transfer,       // an energy history read or write
    ClockSync,      // setting the inverters' clocks
    DumpUpload,     // a register dump or a settings upload
    Survey,         // an image load with its survey of the bus
    Programming,    // a firmware programming run
    LastPoll,       // the polling loop's last transaction before the upgrade page
    Scan,           // the slave-ID scan
};

// What the operation is called in the messages about it ("the energy transfer").
QString LinkWorkName(LinkWork work);

// Why nothing more is sent on the link.
enum class LinkStop : int {
    None = 0,
    LinkLost,       // a request failed on the link itself while an operation held it
    LinkClosed,     // the user clicked Close
    WindowClosed,   // the main window closed
};

// What the user is told when the operation that held the link was stopped before its end.
QString StoppedWorkMessage(LinkStop why, LinkWork work);

class Modbus {
public:
    static constexpr int kReplySize = 8192;
    static constexpr int kIdCount = 256;   // every 8-bit slave ID indexes the ID tables

    explicit Modbus(LinkHost* host = nullptr);
    Modbus(const Modbus&) = delete;
    Modbus& operator=(const Modbus&) = delete;

    // The window that owns the link (status bar, stale marking, log, messages).
    void SetHost(LinkHost* host);
    LinkHost& Host() const;

    Tcomm Com;                                  // the serial port; its TxBuffer holds the request frame
    std::uint8_t Reply[kReplySize]{};           // the last received frame
    std::uint8_t SlaveId = 0;                   // the inverter the user chose; 255 on Wi-Fi
    // When 0..255, the address of the requests in place of SlaveId: the power meter's ID during
    // its read, or the inverter an operation started with. SlaveId keeps the user's choice, so
    // the checks of a click are made against the chosen inverter, not the meter. -1: none.
    int AddressOverride = -1;
    // The address the next request goes to.
    std::uint8_t WireId() const { return static_cast<std::uint8_t>(AddressOverride >= 0 ? AddressOverride : SlaveId); }
    // Command mailbox: written by the settings handlers, executed and cleared by the poll loop.
    std::int32_t CommandAddress = 0;
    std::int16_t CommandValue = 0;
    std::int16_t CommandValue2 = 0;
    std::int32_t CommandCode = 0;
    // Results of the last slave-ID scan, indexed by the ID.
    std::int32_t IdFound[kIdCount]{};
    std::int32_t IdBaudCode[kIdCount]{};
    std::int32_t IdProductId[kIdCount]{};
    std::int32_t IdMode[kIdCount]{};
    std::int32_t IdSpare[kIdCount]{};
    std::uint8_t ReplyOk = 0;                   // 1 when the last reply passed the reply check
    std::int32_t ScanLast = 32;
    std::int32_t ScanFirst = 0;
    std::int32_t TxCounter = 0;                 // requests sent since the link was opened
    std::int32_t FailStreak = 0;                // transactions in a row that brought no data
    std::int32_t CrcErrors = 0;                 // replies that brought no data (check, exception)
    std::int32_t NoReplyCount = 0;              // transactions that received nothing
    std::int32_t ConnectErrors = 0;             // TCP send failures
    KivClient Tcp;                              // the Wi-Fi module's client (its own link connection)
    std::int32_t LinkType = LinkNone;
    QString PortName;                           // device path of the serial link, for the reopen
    std::int32_t CalibrationPoints[18][6]{};
    std::int32_t CalibrationIndex = 0;
    std::int32_t TxLength = 0;                  // bytes of the request frame: 8 Modbus, 9 STX
    std::int32_t ReplyLength = 0;               // valid bytes in Reply; 0 = no reply
    std::int32_t DayEnergy[732]{};
    std::int32_t MonthEnergy[240]{};
    std::int32_t EnergyExtra[11]{};
    std::int32_t RadioFreq = 900000000;
    std::int32_t RadioFreqCurrent = 0;
    std::int32_t RadioFreqDefault = 900000000;

    // The register operation of the whole program: register number (1-based), count of a read
    // or value of a write (0xFF00 / 0x0000 for a coil), function code 1, 3, 4, 5 or 6.
    // Returns 1 only when the link itself failed; the caller then accepts data only when
    // Reply[1] is its function code and ReplyOk is 1. A call made while another is in progress
    // (from a handler that runs inside the other's waits) is refused: 0 with no reply. After
    // StopAll nothing is sent: 1, as for a failed link.
    int Request(int reg, int countOrValue, std::uint8_t fc);
    // Whether the last Request was refused because another was in progress: its empty reply
    // says nothing about the inverter.
    bool LastRequestRefused() const { return lastRefused_; }

    // ---- The operation that holds the link ----
    // Takes the link for an operation until the matching Release. An operation started inside
    // another (a transfer run by the executor's command) is counted; the outer one stays the
    // holder. When the window closed during the hold, the last Release says what was left undone.
    void Hold(LinkWork work);
    void Release();
    LinkWork Holder() const { return holder_; }
    bool Held() const { return holder_ != LinkWork::None; }
    // Close (of the link or the window), or a link lost under an operation: every later request
    // fails as a link failure without being sent, so the operation that holds the link ends at
    // its next request. Stays set until a new link is opened; a closed window outranks the rest.
    void StopAll(LinkStop why = LinkStop::WindowClosed);
    void ClearStop();
    bool Stopped() const { return stop_ != LinkStop::None; }
    LinkStop StopCause() const { return stop_; }
    // Asked before anything is sent: true after the stop (and counted as work left undone).
    bool StopsWork();
    // Requests refused since the stop while an operation held the link.
    int StoppedRequests() const { return stoppedRequests_; }
    // The STX request of one product line (Stx.cpp): command and sub-command to SlaveId. 1 on a
    // link failure; the caller accepts the reply only when Reply[1] is 0x06 and ReplyOk is 1.
    // The radio link sends nothing (no reply).
    int RequestStx(std::uint8_t command, std::uint8_t subCommand);
    // Whether the request in Com.TxBuffer is an STX request: its reply is then judged as an STX
    // frame (0x02, length byte, CRC-16/ARC, 0x03), not by the Modbus CRC.
    bool StxRequestSent() const;
    // The length an STX reply announces (its length byte plus seven), 0 before it is known.
    static int StxReplyLength(const std::uint8_t* bytes, int n);
    // 1 when the n bytes are exactly one STX reply with a good CRC-16/ARC and end byte.
    static int CheckStx(const std::uint8_t* bytes, int n);
    // Writes a frame its caller built in Com.TxBuffer (the boot loader's) onto the serial port.
    // 1 when the write failed, and after StopAll, when nothing is written.
    int WriteFrame(int length) { return StopsWork() ? 1 : Com.WriteTx(length); }
    // Sends the frame in Com.TxBuffer on the current link and judges the reply. 1 on a link failure.
    int Transact();
    // One request and reply on the serial port. 1 on a link failure.
    int TransactSerial();
    // After an STX request: reads on until the reply's announced length is there (at most ten
    // polls of 40 ms). 1 on a failed port.
    int ReadStxTail();
    // CRC-16/MODBUS check of the first ReplyLength bytes of Reply (fewer than 4 bytes fail).
    int CheckReplyCrc() const;
    // Whether the last reply carries data for the request: accepted, and neither an exception
    // nor another function's reply. Any other reply counts as none: towards the streak that
    // marks the values stale, and in the status bar.
    bool ReplyBringsData() const;
    // The same check on any buffer (n <= 3 fails).
    static int CheckCrc(const std::uint8_t* bytes, int n);
    // Opens the serial port by name; "COM Open" and LinkType 1 on success. 1 when it cannot open.
    int OpenCom(const QString& name);
    // Bit rate 4800 << code (code 0 to 3) on the serial port, shown in status panel 1. Returns 0.
    int SetBaudCode(int code);
    // Counters as a fresh link session starts them.
    void ResetLinkCounters();

    // Communication-log lines (only while the debug panel is open).
    int LogTx();
    int LogRxHex();
    int LogRxText();
    int LogReply();

    // Builds the 8-byte RTU request in Com.TxBuffer (TxLength := 8).
    void BuildRtuFrame(int reg, int countOrValue, std::uint8_t fc);

    // ---- Wi-Fi module and radio adapter (Mysock.cpp, Radio.cpp) ----
    // One request and reply over the Wi-Fi module's TCP connection (made when there is none).
    // 0, also for a failed send or receive (counted and logged); -1 when the socket cannot be
    // built ("Error - Build Socket"); 1 when the module, having closed or reset the connection
    // itself, refuses the new one. Both are link failures.
    int TransactTcp();
    // Builds the 13-byte radio frame in Com.TxBuffer (request, RadioFreq, 0xFF, CRC) and its
    // "rf tx " command text in Com.TxText. TxLength keeps its value.
    void BuildRadioFrame(int reg, int countOrValue, std::uint8_t fc);
    // One request and reply through the radio adapter (about 1.25 s). 1 on a link failure.
    int TransactRadio();
    // Takes the reply out of the adapter's "radio_rx" line in Com.RxBuffer; RSSI and SNR go to
    // status panels 9 and 10. Returns 0.
    int ParseRadioReply();
    // Tunes the adapter ("rf set_freq"); nothing is sent when it is already there. 0 tuned,
    // 1 when the adapter did not answer "Ok" (RadioFreqCurrent unchanged).
    int TuneRadio(std::int32_t frequency);
    // RadioFreq from MHz x 10 (8620 to 9320); any other value gives the message
    // "illegal freq, default setting" and 900.0 MHz. Returns 0.
    int SetRadioFreq(int tenths);
    // Tunes the adapter to RadioFreqDefault and sends its fixed settings. Returns 0.
    int RadioConfigure();
    // ---- end Wi-Fi module and radio adapter ----

    // ---- Slave-ID probe and scan (Probe.cpp) ----
    // Clears the ID tables and probes ScanFirst..ScanLast (held to 1..254) on the current link:
    // RS-485 at 9600, 19200 and 38400 bit/s, the radio link at its one rate. Returns 0; 1 when
    // ScanStop ended it before its last probe (the tables then hold again what they held before).
    int ScanIds();
    // Set when the program ends: a scan under way stops at its next probe, and none runs. It
    // stays set until cleared.
    std::uint8_t ScanStop = 0;
    // IdFound and IdBaudCode of an ID as the last finished scan left them: during a scan, as
    // they were before it (what may be remembered); 0 outside the tables.
    std::int32_t KnownIdFound(int id) const;
    std::int32_t KnownIdBaudCode(int id) const;
    // Probes one slave ID; records it with the rate code when it answered. 0 answered, 1 not.
    int ProbeId(int id, int code);
    // ---- end slave-ID probe and scan ----

private:
    // Whether a request may not be sent now: re-entered inside another (result 0, no reply) or
    // after the stop (result 1, a link failure).
    bool Refuses(int& result);
    // The six bytes every request starts with, into Com.TxBuffer: slave ID, function code,
    // register number minus one and count (or value), both big-endian.
    void PutRequestHead(int reg, int countOrValue, std::uint8_t fc);
    void ClearReply();
    void AppendCommLine(const QString& line);
    // Whether n bytes with a good CRC answer the Modbus request in Com.TxBuffer: from the slave it
    // was sent to (on every link but Wi-Fi, whose module is the only peer), with its function
    // code or that code's exception, and as long as a read of its count is (FC3/FC4 carry
    // 2 x count data bytes, FC1 its byte count).
    bool FitsRequest(const std::uint8_t* bytes, int n) const;
    // ReplyOk := 0 for an accepted reply that does not answer the request (FitsRequest).
    void CheckReplyFits();
    // Whether the request in Com.TxBuffer is a Modbus one (an STX request has its own check).
    bool ModbusRequestSent() const;
    // Counts the exchange; countTotals false when the transport counted NoReplyCount and
    // CrcErrors itself (the Wi-Fi exchange, so that each failure counts once).
    void CountResult(bool countTotals = true);

    // The ID tables as a scan found them when it started (alive while it runs).
    struct ScanTables {
        std::int32_t found[kIdCount];
        std::int32_t baudCode[kIdCount];
        std::int32_t productId[kIdCount];
        std::int32_t mode[kIdCount];
        std::int32_t spare[kIdCount];
    };
    const ScanTables* beforeScan_ = nullptr;

    // A request failed on the link itself: 1, and the operation that holds the link is stopped.
    int LinkFailedUnderWork();

    LinkHost* host_ = nullptr;
    bool busy_ = false;             // a request is in progress
    bool lastRefused_ = false;      // the last Request was refused for re-entry
    LinkWork holder_ = LinkWork::None;
    int holdDepth_ = 0;
    LinkStop stop_ = LinkStop::None;
    bool unreachableSaid_ = false;  // the Wi-Fi module's address was said to be out of reach
    int stoppedRequests_ = 0;
    bool refusedInside_ = false;    // a nested request was refused during the current one
};

// An operation's hold on the link for the life of the object.
class LinkHold {
public:
    LinkHold(Modbus& link, LinkWork work) : link_(link) { link_.Hold(work); }
    ~LinkHold() { link_.Release(); }
    LinkHold(const LinkHold&) = delete;
    LinkHold& operator=(const LinkHold&) = delete;

private:
    Modbus& link_;
};

// Keeps every request of an operation on the inverter it started with, whatever the selection
// does meanwhile; the address before it comes back at the end.
class LinkTargetPin {
public:
    explicit LinkTargetPin(Modbus& link) : link_(link), before_(link.AddressOverride) { link_.AddressOverride = link_.WireId(); }
    ~LinkTargetPin() { link_.AddressOverride = before_; }
    LinkTargetPin(const LinkTargetPin&) = delete;
    LinkTargetPin& operator=(const LinkTargetPin&) = delete;

private:
    Modbus& link_;
    int before_;
};

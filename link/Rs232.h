// Tcomm: the program's serial port (RS-485 adapters and the radio adapter) on POSIX termios.
#pragma once

#include <QString>
#include <cstdint>
#include <string>
#include <vector>

class LinkHost;

class Tcomm {
public:
    static constexpr int kRxBufferSize = 8192;
    static constexpr int kTxBufferSize = 512;
    // A reception of this many bytes or more does not fit the receive buffer.
    static constexpr int kRxOversize = 8191;

    Tcomm() = default;
    ~Tcomm();
    // One port, one owner: a user that needs the open port (the firmware engine) takes a reference.
    Tcomm(const Tcomm&) = delete;
    Tcomm& operator=(const Tcomm&) = delete;

    int ComHandle = -1;                    // file descriptor of the open port; -1 when closed
    std::uint8_t RxBuffer[kRxBufferSize]{}; // cleared before every read, NUL after the bytes read
    std::uint8_t TxBuffer[kTxBufferSize]{}; // the link object builds its request frames here
    std::string TxText;                     // command text for the radio adapter
    int RxCount = 0;                        // bytes received by the last read
    int BaudRate = 0;                       // current bit rate

    // Where messages go ("COM Can't Open", "Rx Size > Buffer n"); the default host when unset.
    void SetHost(LinkHost* host) { host_ = host; }

    bool IsOpen() const { return ComHandle >= 0; }
    // Opens the port by its device path, exclusively, raw 8N1 at 4800 bit/s, queues purged,
    // DTR and RTS cleared. 0 opened; 1 failed ("COM Can't Open" when the device cannot be opened).
    int Open(const QString& name);
    // BaudRate := 4800 << code (code 0 to 3) and applies it with 8N1. 0 applied, 1 not.
    int SetBaud(std::uint8_t code);
    // Discards what is waiting and closes the port. Returns 0.
    int Close();
    // Writes the first n bytes of TxBuffer. 0 written, 1 failed or port closed.
    int WriteTx(int n);
    // Writes n bytes of the given buffer. 0 / 1.
    int Write(const std::uint8_t* bytes, int n);
    // Writes TxText, one byte per character. 0 / 1.
    int WriteText();
    // Reads every byte waiting into RxBuffer (RxCount). 0 read (perhaps nothing); 1 on a failed
    // port, a vanished peer or a reception of 8191 bytes or more (discarded, with a message).
    int ReadAvailable();
    // Polls the receive queue every 40 ms (pumped) for up to 4, 6 or 10 polls (expected below 10,
    // 10 to 20, above 20 bytes) until the expected count is there or two polls saw exactly the
    // 5 bytes of an exception reply, then reads as ReadAvailable does. 0 / 1.
    int ReadExpected(int expected);
    // Number of bytes waiting (0 when the port is closed or failed).
    int InQueue();
    // Throws away every byte received and not yet read.
    void DiscardInput() { Purge(); }

private:
    LinkHost& Host();
    // Moves what the driver holds into the staging area; count := bytes waiting. 0 / 1.
    int QueryQueue(int& count);
    // The start of both reads: RxCount := 0, RxBuffer cleared, the queue queried. 0 / 1 (port
    // closed or failed).
    int StartRead(int& count);
    // Takes the count bytes waiting into RxBuffer. 0 / 1 (oversize).
    int TakeWaiting(int count);
    void Purge();

    LinkHost* host_ = nullptr;
    std::vector<std::uint8_t> staged_;
};

// Bit rate of a rate code: 4800 << code (code 0 to 3).
int BaudOfCode(int code);
// The rate code of a bit rate, or -1 when it is none of 4800, 9600, 19200, 38400.
int CodeOfBaud(int baud);

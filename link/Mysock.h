// KivClient: the TCP client that reaches an inverter's Wi-Fi module (and the boot loader behind
// it) on POSIX sockets. Connections are non-blocking; every wait is bounded and pumps the window
// while it lasts. Slots 0..79 are the firmware engine's; the Wi-Fi link keeps its own connection in
// a member apart (kLinkSlot), so that walking the slots never touches it by accident and
// closing the link closes it.
#pragma once

#include <cstdint>
#include <string>

class LinkHost;

class KivClient {
public:
    static constexpr int kSlotCount = 80;
    static constexpr int kLinkSlot = kSlotCount;      // the Wi-Fi link's own connection
    static constexpr int kRecvBufferSize = 1024;
    static constexpr int kRecvMax = kRecvBufferSize - 1;   // a NUL always follows the bytes
    // What Drain reads at most before a request: a few late replies' worth, for a short time.
    static constexpr int kDrainMaxBytes = 8192;
    static constexpr int kDrainMs = 50;

    KivClient();
    ~KivClient();
    KivClient(const KivClient&) = delete;
    KivClient& operator=(const KivClient&) = delete;

    std::uint8_t RecvBuffer[kRecvBufferSize]{};   // bytes of the last reception, then a NUL
    std::int32_t RecvLength = 0;                  // bytes received by the last Receive
    int SocketSlots[kSlotCount];                  // one connection per slot; -1 = none
    int LinkSocket = -1;                          // the Wi-Fi link's connection; -1 = none
    // The module itself ended the link's connection (closed or reset it) and no reply has come
    // since. Set by the waits and reads below; cleared by the link when a reply arrives.
    bool LinkHungUp = false;
    // The last failed Send was turned away by the peer (connection refused or reset), not
    // merely unable to go out yet.
    bool SendRefused = false;

    // Where the pumps go; the default host when unset.
    void SetHost(LinkHost* host) { host_ = host; }

    // Nothing to start on POSIX. Returns 0.
    int Startup();
    // Ends the socket library's use: every connection of this client is closed. Returns 0.
    int Cleanup();

    // Starts a connection in the slot to host:port without waiting for it (a socket still in the
    // slot is closed first). The host is taken as the user gives it: an IPv4 address, or a name
    // made only of the characters a host name may hold; any other text is refused before any
    // look-up. 0 started; -1 when the address cannot be resolved or the socket cannot be set up
    // (the slot is then empty). Pumps the window once.
    int Connect(int slot, const std::string& host, const std::string& port);
    // One send of n bytes on the slot's connection, then one pump. 0 sent; 1 failed (the
    // connection is closed and the slot emptied; SendRefused tells why).
    int Send(int slot, const std::uint8_t* bytes, int n);
    // Waits until the slot's connection is readable, at most the given seconds plus one
    // millisecond, pumping the window at least every 50 ms meanwhile (handlers run inside and
    // may close the connection). 0 readable; 1 not in time (after one more pump); -1 error or
    // no connection.
    int WaitReadable(int slot, int seconds);
    // Waits for the slot's connection to become readable (at most the given seconds), pumps
    // once, then reads once, at most 1023 bytes, into RecvBuffer (RecvLength). 0 received (a
    // peer that closed the connection gives RecvLength 0 and empties the slot); 1 nothing came
    // in time (the connection is closed and the slot emptied).
    int Receive(int slot, int seconds);
    // Appends what arrives on the slot's connection before the deadline (DeadlineAfter) to
    // RecvBuffer (RecvLength grows, at most to 1023), pumping as WaitReadable does. 0 when
    // bytes came; 1 when none did.
    int ReceiveMore(int slot, std::int64_t deadline);
    // The moment ms milliseconds from now, on the kit's clock scale (tests run it faster).
    static std::int64_t DeadlineAfter(long long ms);
    // Discards whatever is waiting unread on the slot's connection (a late reply's tail).
    // false when it kept coming past the bound and the connection was closed.
    bool Drain(int slot);

    bool Connected(int slot) const;
    // Closes the slot's connection, if any, and empties the slot.
    void CloseSlot(int slot);
    // Closes the 80 slots (not the Wi-Fi link's connection).
    void CloseSlots();

private:
    int* SocketOf(int slot);
    const int* SocketOf(int slot) const;
    void PumpOnce();
    // The peer closed or reset the slot's connection: it is closed and the slot emptied.
    void PeerEnded(int slot);
    // poll() for reading on the slot's connection until the deadline, in slices of at most
    // 50 ms with a pump between them. 0 readable / 1 not in time / -1 error or no connection.
    int PollReadable(int slot, std::int64_t deadline);

    LinkHost* host_ = nullptr;
};

// The Wi-Fi module's address: SUNVANE_WIFI_ADDRESS ("host:port") when set, else the module's
// default access point 10.10.100.254 port 5001. A value without ":port" takes port 5001.
void WifiAddress(std::string& host, std::string& port);

// Whether a text may be a host name or an IPv4 address: 1 to 253 characters, each a letter, a
// digit, "-" or ".". Checked before any look-up, so a text that can never resolve asks no server.
bool PlausibleHostName(const std::string& host);

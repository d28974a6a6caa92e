// Faults a simulated device puts into its replies, and the one way every device (serial bus,
// Wi-Fi module, radio adapter) applies them: which fault the next reply gets, what the inverter
// answers under it and how the answer goes out.
#pragma once

#include "tools/invsim/Inverter.h"

#include <functional>
#include <string>
#include <vector>

namespace invsim {

enum class FaultKind {
    Silence,    // no reply (the request is not heard)
    BadCrc,     // the reply with its last CRC byte spoilt
    Short,      // param data bytes (default 2) left out, CRC correct for what is sent
    Split,      // the first param bytes (default half), a pause of param2 ms (default 20), the rest
    Delay,      // the reply after param ms
    OtherId,    // the reply from slave ID param (CRC correct)
    Flood,      // param bytes (default 10000) of noise in place of the reply
    Exception,  // exception reply with code param (default 4)
    Hangup,     // the simulator closes its end of the line on this request
    Late,       // the reply after the program has stopped waiting for it (param ms past its wait)
    OtherFunction,  // the reply with another function code param (default 4 for 3, else 3), CRC correct
    Babble,     // (tcp) noise without end in place of the reply, for param ms (default 3000)
};

struct Fault {
    FaultKind kind = FaultKind::Silence;
    int param = -1;     // -1: the kind's default
    int param2 = -1;
    int times = -1;     // replies it applies to; -1 = every reply from now on
    int reg = 0;        // only requests for this register (1-based, as the program counts); 0: any
};

// Parses "silence", "crc", "short[:N]", "split[:N[:MS]]", "delay:MS", "otherid:ID", "flood[:N]",
// "exception[:CODE]", "hangup", "late[:MS]", "otherfc[:FC]", "babble[:MS]", each optionally
// followed by "/TIMES" ("crc/3"); false when bad.
bool ParseFault(const std::string& text, Fault& fault);

// The bus's faults, and "refuse[:MS]": the module drops the connection on that request and
// refuses connections for MS milliseconds (default 1000). "hangup:MS" is the same thing;
// plain "hangup" only drops the connection.
bool ParseModuleFault(const std::string& text, Fault& fault);

// How long the program waits on its serial line for the reply to a Modbus request: 4, 6 or 10
// polls of 40 ms by the length it expects.
int SerialWaitMs(const Bytes& request);

// Spoils a reply frame as a bad-CRC, short, other-ID or other-function fault asks (other faults
// leave it).
void SpoilReply(Bytes& reply, const Fault& fault);

// The fault of the next reply, taken from the front of the list (its count goes down, and it
// leaves the list when spent); nullopt when the list is empty.
std::optional<Fault> TakeFault(std::vector<Fault>& faults);
// The same for a Modbus request: the first fault of the list that applies to it (a fault aimed
// at a register passes over requests for other registers).
std::optional<Fault> TakeFault(std::vector<Fault>& faults, const Bytes& request);

// What the inverter sends back for a request (CRC checked, addressed to it) under a fault:
// nothing for silence and hangup (the request is not heard), the exception reply for exception,
// otherwise its own answer, spoilt as a bad-CRC, short or other-ID fault asks.
Bytes AnswerUnderFault(Inverter& inverter, const Bytes& request, const std::optional<Fault>& fault);

// Puts a reply on a byte line as the fault asks: after a delay, in two pieces with a pause, or
// noise in its place. send writes bytes; pause waits ms milliseconds and is false when the
// device is stopping. Silence and hangup send nothing (the caller hangs up).
void DeliverReply(const Bytes& reply, const std::optional<Fault>& fault,
                  const std::function<void(const Bytes&)>& send, const std::function<bool(int)>& pause);

} // namespace invsim

// The STX frame of one product line: a 9-byte request (STX, 0x05, slave ID, 0x02, command,
// sub-command, CRC-16/ARC, ETX) carried by the same transaction driver as a Modbus request, and
// its reply checked as an STX frame by its own length, CRC and end byte.
#include "link/Modbus.h"

#include "link/Crc.h"
#include "link/LinkHost.h"
#include "vcl/Services.h"

int Modbus::RequestStx(std::uint8_t command, std::uint8_t subCommand)
{
    if (int refused = 0; Refuses(refused))
        return refused;
    struct Busy {
        Modbus& m;
        explicit Busy(Modbus& link) : m(link) { m.busy_ = true; m.refusedInside_ = false; }
        ~Busy() { m.busy_ = false; }
    } busy(*this);

    // The radio adapter carries Modbus requests only: an STX request sends nothing there.
    if (LinkType != LinkRs485 && LinkType != LinkWifi) {
        ClearReply();
        return 0;
    }
    // No inverter selected: nothing is sent and nothing counts, as for a Modbus request (the
    // frame's first byte is STX, so the driver's own test of the slave ID cannot see it).
    if (WireId() == 0) {
        ClearReply();
        vcl::Time().Sleep(500);
        return 0;
    }
    std::uint8_t* f = Com.TxBuffer;
    f[0] = 0x02;
    f[1] = 0x05;
    f[2] = WireId();
    f[3] = 0x02;
    f[4] = command;
    f[5] = subCommand;
    const std::uint16_t crc = Crc16Arc(f + 1, f + 5);
    f[6] = static_cast<std::uint8_t>(crc & 0xFF);
    f[7] = static_cast<std::uint8_t>(crc >> 8);
    f[8] = 0x03;
    TxLength = 9;
    if (Transact() != 0)
        return LinkFailedUnderWork();
    const std::uint8_t ok = ReplyOk;
    const std::int32_t length = ReplyLength;
    Host().Pump();
    if (refusedInside_) {
        ReplyOk = ok;
        ReplyLength = length;
    }
    return 0;
}

bool Modbus::StxRequestSent() const
{
    return TxLength == 9 && Com.TxBuffer[0] == 0x02 && Com.TxBuffer[8] == 0x03;
}

int Modbus::StxReplyLength(const std::uint8_t* bytes, int n)
{
    return n >= 4 && bytes[0] == 0x02 ? bytes[3] + 7 : 0;
}

int Modbus::CheckStx(const std::uint8_t* bytes, int n)
{
    if (!bytes || n < 8 || bytes[0] != 0x02 || StxReplyLength(bytes, n) != n || bytes[n - 1] != 0x03)
        return 0;
    const std::uint16_t crc = Crc16Arc(bytes + 1, bytes + n - 4);
    return bytes[n - 3] == (crc & 0xFF) && bytes[n - 2] == (crc >> 8) ? 1 : 0;
}

// The slave-ID scan: which IDs answer on the bus, and at which bit rate. On RS-485 each ID is
// asked for its product ID through the boot loader's request, once at each of the three rates;
// on the radio link one input register is read. The Wi-Fi link has no scan (always slave 255).
#include "link/Modbus.h"

#include "common/Waits.h"
#include "link/Crc.h"
#include "link/LinkHost.h"

#include <algorithm>
#include <utility>

namespace {

constexpr int kFirstId = 1;
constexpr int kLastId = 254;
constexpr int kRadioProbeRegister = 40963;   // one input register, 0xA003 on the wire
constexpr std::uint8_t kBootReadProductId = 0x00;

} // namespace

int Modbus::ScanIds()
{
    // The tables as they were: a scan that is stopped before its end gives them back, so that an
    // unfinished scan never replaces the inverters found before it.
    ScanTables before;
    const std::pair<std::int32_t*, std::int32_t*> tables[] = {
        {IdFound, before.found}, {IdBaudCode, before.baudCode}, {IdProductId, before.productId},
        {IdMode, before.mode}, {IdSpare, before.spare}};
    for (const auto& [table, saved] : tables)
        std::copy_n(table, kIdCount, saved);
    beforeScan_ = &before;
    struct Forget {
        const ScanTables*& p;
        ~Forget() { p = nullptr; }
    } forget{beforeScan_};

    for (int id = 0; id < kIdCount; ++id) {
        IdFound[id] = 0;
        IdBaudCode[id] = 0;
        IdProductId[id] = 0;
        IdMode[id] = 1;
        IdSpare[id] = 0;
    }
    // The range is held to the IDs the tables and the bus know, whatever the edits said.
    const int first = std::max(ScanFirst, kFirstId);
    const int last = std::min(ScanLast, kLastId);
    // Every probe pumps the window: the stop request is looked at before each one. After Close
    // (of the link or the window) the probes left count as work left undone.
    auto probeAll = [&](int code) {
        for (int id = first; id <= last; ++id) {
            if (StopsWork() || ScanStop)
                return false;
            ProbeId(id, code);
        }
        return true;
    };
    bool finished = true;
    if (LinkType == LinkRs485) {
        for (int code = 1; code <= 3 && finished; ++code) {
            SetBaudCode(code);
            finished = probeAll(code);
        }
    } else if (LinkType == LinkSub1g) {
        SetBaudCode(3);
        finished = probeAll(3);
    }
    if (finished)
        return 0;
    for (const auto& [table, saved] : tables)
        std::copy_n(saved, kIdCount, table);
    return 1;
}

std::int32_t Modbus::KnownIdFound(int id) const
{
    if (id < 0 || id >= kIdCount)
        return 0;
    return beforeScan_ ? beforeScan_->found[id] : IdFound[id];
}

std::int32_t Modbus::KnownIdBaudCode(int id) const
{
    if (id < 0 || id >= kIdCount)
        return 0;
    return beforeScan_ ? beforeScan_->baudCode[id] : IdBaudCode[id];
}

int Modbus::ProbeId(int id, int code)
{
    if (id < 0 || id >= kIdCount)
        return 1;
    Host().SetStatusPanel(0, QStringLiteral("ID: %1").arg(id));

    if (LinkType == LinkSub1g) {
        // A normal transaction over the adapter: it counts like any other.
        SlaveId = static_cast<std::uint8_t>(id);
        if (Request(kRadioProbeRegister, 1, 4) != 0)
            return 1;
        if (Reply[0] != id || Reply[1] != 4 || ReplyOk != 1)
            return 1;
        IdFound[id] = id;
        IdBaudCode[id] = code;
        return 0;
    }
    if (LinkType != LinkRs485)
        return 1;

    // The boot loader's product-ID request, sent beside the transaction driver: it counts no
    // failure, writes no log line and never marks values stale or reopens the port.
    std::uint8_t* f = Com.TxBuffer;
    f[0] = static_cast<std::uint8_t>(id);
    f[1] = 0x00;
    f[2] = 0xFF;
    f[3] = 0xFF;
    f[4] = 0x01;
    f[5] = kBootReadProductId;
    const std::uint16_t crc = Crc16Modbus(f, 6);
    f[6] = static_cast<std::uint8_t>(crc & 0xFF);
    f[7] = static_cast<std::uint8_t>(crc >> 8);
    TxLength = 8;

    DelayPumped(50);
    if (Com.WriteTx(TxLength) != 0)
        return 1;
    ++TxCounter;
    Host().SetStatusPanel(3, QString::number(TxCounter));
    DelayPumped(200);
    if (Com.ReadAvailable() != 0)
        return 1;

    // The answer's CRC is not looked at; its header must name the probed ID and the command.
    const std::uint8_t* r = Com.RxBuffer;
    if (r[0] != 0xFF || r[1] != 0xFF || r[2] != id || r[4] != 5 || r[5] != kBootReadProductId)
        return 1;
    IdFound[id] = id;
    IdBaudCode[id] = code;
    IdProductId[id] = static_cast<std::int32_t>(static_cast<std::uint32_t>(r[6]) | static_cast<std::uint32_t>(r[7]) << 8
                                               | static_cast<std::uint32_t>(r[8]) << 16 | static_cast<std::uint32_t>(r[9]) << 24);
    return 0;
}

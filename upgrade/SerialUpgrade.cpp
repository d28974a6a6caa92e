// Firmware over the RS-485 bus: the inverter table, the survey, the boot-loader handshakes, block
// programming with retry requests, and the procedures that string them together. Every frame goes
// through the device link's serial port; the waits block, as the boot loaders' timing expects,
// and only the pacing of the blocks keeps the window running.
#include "upgrade/Upgrade.h"

#include "link/CommLog.h"
#include "link/Crc.h"
#include "link/Modbus.h"
#include "link/Mysock.h"
#include "link/Rs232.h"
#include "vcl/Services.h"

#include <algorithm>
#include <chrono>
#include <thread>

namespace {

constexpr std::uint8_t kReadProductId = 0x00;
constexpr std::uint8_t kReadSerialNumber = 0x01;
constexpr std::uint8_t kReadModelName = 0x02;
constexpr std::uint8_t kReadHardwareVersion = 0x03;
constexpr std::uint8_t kReadSoftwareVersion = 0x04;
constexpr std::uint8_t kEnterBootMode1 = 0x05;
constexpr std::uint8_t kEnterBootMode2 = 0x06;
constexpr std::uint8_t kWriteBlock10 = 0x10;
constexpr std::uint8_t kSelectProcessor = 0x11;
constexpr std::uint8_t kSelectBank = 0x12;
constexpr std::uint8_t kCloseBank = 0x13;
constexpr std::uint8_t kFinishUpgrade = 0x14;
constexpr std::uint8_t kReadBootVersion = 0x16;
constexpr std::uint8_t kWriteBlock20 = 0x20;

void Sleep(int ms) { vcl::Time().Sleep(ms); }

void PutLe32(std::vector<std::uint8_t>& out, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

std::uint32_t Le32(const std::uint8_t* p)
{
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
}

QString Hex(std::uint32_t v, int digits) { return QString::number(v, 16).toUpper().rightJustified(digits, QLatin1Char('0')); }

QString Id(int i) { return QStringLiteral("   ID") + QString::number(i); }

// "1.05": major, then the minor's tens and units.
QString VersionText(const FwVersion& v)
{
    return QString::number(v.Major) + QLatin1Char('.') + QString::number(v.Minor / 10) + QString::number(v.Minor % 10);
}

bool CrcAt(const std::uint8_t* frame, int over)
{
    const std::uint16_t crc = Crc16Modbus(frame, static_cast<std::size_t>(over));
    return frame[over] == (crc & 0xFF) && frame[over + 1] == (crc >> 8);
}

// A text of the boot loader: its bytes up to the first NUL, control bytes left out.
QString DeviceText(const std::uint8_t* bytes, int n)
{
    QString out;
    for (int k = 0; k < n && bytes[k] != 0; ++k)
        if (bytes[k] >= 0x20 && bytes[k] != 0x7F)
            out += QChar::fromLatin1(static_cast<char>(bytes[k]));
    return out;
}

} // namespace

std::vector<std::uint8_t> BootFrame(std::uint16_t destination, std::uint8_t command,
                                    const std::vector<std::uint8_t>& data, int lengthByte)
{
    std::vector<std::uint8_t> f(data.size() + 8);
    f[0] = static_cast<std::uint8_t>(destination);
    f[1] = static_cast<std::uint8_t>(destination >> 8);
    f[2] = 0xFF;
    f[3] = 0xFF;
    f[4] = static_cast<std::uint8_t>(lengthByte >= 0 ? lengthByte : int(data.size()) + 1);
    f[5] = command;
    std::copy(data.begin(), data.end(), f.begin() + 6);
    f.resize(data.size() + 6);
    const std::uint16_t crc = Crc16Modbus(f.data(), f.size());
    f.push_back(static_cast<std::uint8_t>(crc));
    f.push_back(static_cast<std::uint8_t>(crc >> 8));
    return f;
}

const std::vector<ProductIdEquivalence>& ProductIdTable()
{
    // Placeholder entries: the shape of the product data (nine file IDs, their accepted inverter
    // IDs), with identifiers that no shipped inverter reports.
    static const std::vector<ProductIdEquivalence> table = {
        {0xFFFF0001u, {0xFFFF1001u, 0xFFFF1002u, 0xFFFF1003u, 0xFFFF1004u}},
        {0xFFFF0002u, {0xFFFF1005u, 0xFFFF0003u}},
        {0xFFFF0003u, {0xFFFF0002u}},
        {0xFFFF0004u, {0xFFFF1004u}},
        {0xFFFF0005u, {0xFFFF1004u}},
        {0xFFFF0006u, {0xFFFF1004u}},
        {0xFFFF0007u, {0xFFFF0001u}},
        {0xFFFF0008u, {0xFFFF1006u}},
        {0xFFFF0009u, {0xFFFF1007u}},
    };
    return table;
}

bool ProductIdFits(std::uint32_t fileId, std::uint32_t inverterId, const std::vector<ProductIdEquivalence>& table)
{
    if (fileId == inverterId)
        return true;
    for (const ProductIdEquivalence& e : table)
        if (e.FileId == fileId)
            return std::find(e.InverterIds.begin(), e.InverterIds.end(), inverterId) != e.InverterIds.end();
    return false;
}

// --- small shared operations -------------------------------------------------------------------

LogPane& upgradeTool::Log() { return View->UpgradePane(); }

void upgradeTool::Frame(std::uint16_t destination, std::uint8_t command, const std::vector<std::uint8_t>& data)
{
    const std::vector<std::uint8_t> f = BootFrame(destination, command, data);
    std::copy(f.begin(), f.end(), Link->Com.TxBuffer);
    FrameLength = static_cast<std::int32_t>(f.size());
}

int upgradeTool::DrainPort() { return Link->Com.ReadAvailable(); }

int upgradeTool::WriteReadDump(int waitBefore, int waitAfter)
{
    if (waitBefore > 0)
        Sleep(waitBefore);
    if (Link->WriteFrame(FrameLength) != 0)
        return 1;
    Sleep(waitAfter);
    if (Link->Com.ReadAvailable() != 0)
        return 1;
    AppendRxHexLine(Log(), Link->Com.RxBuffer, Link->Com.RxCount);
    return 0;
}

int upgradeTool::FindReply(int lead, int source, int length, std::uint8_t command, int crcOver, int& at) const
{
    const std::uint8_t* rx = Link->Com.RxBuffer;
    for (int k = at; k + crcOver + 2 <= Link->Com.RxCount; ++k) {
        const std::uint8_t* f = rx + k;
        const bool leadOk = lead == 0 ? (f[0] == 0xFF && f[1] == 0xFF) : (f[0] == 0xFF || f[1] == 0xFF);
        if (!leadOk || f[2] != static_cast<std::uint8_t>(source) || f[4] != length || !CrcAt(f, crcOver))
            continue;
        if (command != 0 && f[5] != command)
            continue;
        at = k;
        return 0;
    }
    return 1;
}

void upgradeTool::SetProgrammingRate()
{
    const int code = CodeOfBaud(FileInfo.MetaBaudRate);
    if (code >= 0)
        Link->SetBaudCode(code);
}

void upgradeTool::SetDevCell(int i, int col, const QString& text)
{
    if (CellGrid* grid = View->DeviceGrid(); grid && InvGridRow[static_cast<std::size_t>(i)] > 0)
        grid->SetCell(col, InvGridRow[static_cast<std::size_t>(i)], text);
}

// The inverter table follows what the steps did, so that the grid the run ends with shows it:
// an inverter whose processor was selected is in its boot loader with no software; one that
// finished runs the image's version.
void upgradeTool::MarkInBootLoader(int i, int processor)
{
    const auto k = static_cast<std::size_t>(i);
    InvMode[k] = 0;
    InvSwVersion[k][static_cast<std::size_t>(std::clamp(processor, 0, 9))] = {};
    SetDevCell(i, 10, QStringLiteral("0.00"));
    SetDevCell(i, 4, QStringLiteral("Boot"));
}

void upgradeTool::MarkProgrammed(int i)
{
    const auto k = static_cast<std::size_t>(i);
    InvSelected[k] = 0;
    InvMode[k] = 1;
    InvSwVersion[k][static_cast<std::size_t>(std::clamp(FileInfo.Processor, 0, 9))] = {FileInfo.SwMajor,
                                                                                       FileInfo.SwMinor};
    SetDevCell(i, 10, QStringLiteral("Done"));
    SetDevCell(i, 4, QStringLiteral("Normal"));
}

bool upgradeTool::Eligible(int i, bool testStepOk) const
{
    const auto k = static_cast<std::size_t>(i);
    return InvSelected[k] == 1 && InvAddress[k] == i && (!testStepOk || InvStepOk[k] == 1) && InvBootVersion[k] >= 3;
}

bool upgradeTool::AnySelected() const
{
    for (int i = 1; i <= 253; ++i)
        if (InvSelected[static_cast<std::size_t>(i)] == 1)
            return true;
    return false;
}

bool upgradeTool::SelectedStepFailed() const
{
    for (int i = 1; i <= 253; ++i)
        if (InvSelected[static_cast<std::size_t>(i)] == 1 && InvStepOk[static_cast<std::size_t>(i)] == 0)
            return true;
    return false;
}

int upgradeTool::InitInverterTable()
{
    for (int i = 1; i <= 253; ++i) {
        const auto k = static_cast<std::size_t>(i);
        InvAddress[k] = Link ? static_cast<std::uint8_t>(Link->IdFound[k] & 0xFF) : 0;
        InvBaudIndex[k] = Link ? Link->IdBaudCode[k] : 0;
        InvMode[k] = Link ? Link->IdMode[k] : 0;
        InvGridRow[k] = 0;
        InvSelected[k] = 0;
        InvStepOk[k] = 1;
        InvBootVersion[k] = 2;
    }
    return 0;
}

int upgradeTool::SendReceive(int tries, int waitMs)
{
    Tcomm& port = Link->Com;
    for (int k = 0; k < tries; ++k) {
        Sleep(30);
        if (Link->WriteFrame(FrameLength) != 0)
            return 1;
        if (k > 0)
            Sleep(50 * k);
        Sleep(120);
        if (port.ReadAvailable() != 0)
            return 1;
        AppendRxHexLine(Log(), port.RxBuffer, port.RxCount);
        if (port.RxCount < 6)
            continue;
        View->Pump();
        if (CrcAt(port.RxBuffer, port.RxCount - 2))
            return 0;
        Sleep(waitMs);
    }
    return 1;
}

int upgradeTool::SendBlock10(std::uint32_t address, std::uint32_t, const std::uint8_t* data, int count)
{
    std::vector<std::uint8_t> body;
    PutLe32(body, address);
    body.insert(body.end(), data, data + count);
    const std::vector<std::uint8_t> f = BootFrame(BroadcastAddress, kWriteBlock10, body, count + 5);
    std::copy(f.begin(), f.end(), Link->Com.TxBuffer);
    FrameLength = static_cast<std::int32_t>(f.size());
    return Link->WriteFrame(FrameLength);
}

int upgradeTool::SendBlock20(std::uint32_t address, std::uint32_t nextAddress, const std::uint8_t* data, int count)
{
    std::vector<std::uint8_t> body;
    PutLe32(body, address);
    PutLe32(body, nextAddress);
    body.insert(body.end(), data, data + count);
    const std::vector<std::uint8_t> f = BootFrame(BroadcastAddress, kWriteBlock20, body, count + 9);
    std::copy(f.begin(), f.end(), Link->Com.TxBuffer);
    FrameLength = static_cast<std::int32_t>(f.size());
    return Link->WriteFrame(FrameLength);
}

int upgradeTool::ToggleSelection(int row)
{
    const int p = std::clamp(FileInfo.Processor, 0, 9);
    for (int i = 1; i <= 253; ++i) {
        const auto k = static_cast<std::size_t>(i);
        if (InvGridRow[k] != row || row <= 0)
            continue;
        if (InvSwVersion[k][static_cast<std::size_t>(p)].Major != 255)
            InvSelected[k] = InvSelected[k] ? 0 : 1;
        break;
    }
    return 0;
}

// --- the survey ------------------------------------------------------------------------------

int upgradeTool::ReadBootVersions()
{
    if (CellGrid* grid = View->DeviceGrid())
        grid->SetRowCount(1);
    View->SetProgress(0);
    View->Pump();
    const std::uint8_t* rx = Link->Com.RxBuffer;
    for (int i = 1; i <= 253; ++i) {
        if (InvAddress[static_cast<std::size_t>(i)] != i)
            continue;
        Link->SetBaudCode(InvBaudIndex[static_cast<std::size_t>(i)]);
        Frame(static_cast<std::uint16_t>(i), kReadBootVersion, {});
        SendReceive(2, 200);
        if (Link->Com.RxCount >= 7 && rx[0] == 0xFF && rx[1] == 0xFF && rx[2] == i && rx[4] == 6
            && rx[5] == kReadBootVersion)
            InvBootVersion[static_cast<std::size_t>(i)] = rx[6];
    }
    for (int i = 1; i <= 253; ++i) {
        if (InvAddress[static_cast<std::size_t>(i)] != i)
            continue;
        Link->SetBaudCode(InvBaudIndex[static_cast<std::size_t>(i)]);
        Link->SlaveId = static_cast<std::uint8_t>(i);
        if (Link->Request(802, 1, 3) != 0)
            return 1;
        // An answer to a register read means the application runs; silence, only the boot loader.
        InvMode[static_cast<std::size_t>(i)] = (Link->Reply[1] == 3 && Link->ReplyOk == 1) ? 1 : 0;
    }
    return 0;
}

int upgradeTool::GetDeviceInfo()
{
    if (CellGrid* grid = View->DeviceGrid())
        grid->SetRowCount(1);
    View->SetProgress(0);
    View->Pump();
    const int p = std::clamp(FileInfo.Processor, 0, 9);
    const std::uint8_t* rx = Link->Com.RxBuffer;
    const int& n = Link->Com.RxCount;
    // What an earlier survey learnt is forgotten first: an inverter this survey does not reach
    // shows as unknown and fits no image, instead of passing for what it was.
    for (int i = 1; i <= 253; ++i) {
        const auto k = static_cast<std::size_t>(i);
        if (InvAddress[k] != i)
            continue;
        InvProductId[k] = 0;
        InvSerial[k].clear();
        InvModel[k].clear();
        InvHwVersion[k][static_cast<std::size_t>(p)] = {};
        InvSwVersion[k][static_cast<std::size_t>(p)] = {};
    }
    for (int i = 1; i <= 253; ++i) {
        const auto k = static_cast<std::size_t>(i);
        if (InvAddress[k] == i) {
            Link->SetBaudCode(InvBaudIndex[k]);
            AppendLogLineNow(Log(), QStringLiteral("ID") + QString::number(i) + QStringLiteral(": Getting Information"));
            auto ours = [&] { return n >= 6 && rx[0] == 0xFF && rx[1] == 0xFF && rx[2] == i; };
            Frame(static_cast<std::uint16_t>(i), kReadProductId, {});
            if (SendReceive(5, 200) != 0)
                return 1;
            if (ours() && rx[4] == 5 && rx[5] == kReadProductId && n >= 12)
                InvProductId[k] = static_cast<std::int32_t>(Le32(rx + 6));
            else if (ours() && rx[4] == 1 && rx[5] == 0x80)
                InvProductId[k] = 0;

            Frame(static_cast<std::uint16_t>(i), kReadSerialNumber, {});
            if (SendReceive(5, 200) != 0)
                return 1;
            if (ours() && rx[4] == 17 && rx[5] == kReadSerialNumber && n >= 24)
                InvSerial[k] = DeviceText(rx + 6, 16);
            else if (ours() && rx[4] == 1 && rx[5] == 0x81)
                InvSerial[k] = QString(16, QLatin1Char('x'));

            Frame(static_cast<std::uint16_t>(i), kReadModelName, {});
            if (SendReceive(5, 200) != 0)
                return 1;
            if (ours() && rx[4] == 17 && rx[5] == kReadModelName && n >= 24)
                InvModel[k] = DeviceText(rx + 6, 10);
            else if (ours() && rx[4] == 1 && rx[5] == 0x82)
                InvModel[k] = QString(10, QLatin1Char('x'));

            auto& hw = InvHwVersion[k][static_cast<std::size_t>(p)];
            Frame(static_cast<std::uint16_t>(i), kReadHardwareVersion, {static_cast<std::uint8_t>(p)});
            if (SendReceive(5, 200) != 0)
                return 1;
            if (ours() && rx[4] == 4 && rx[5] == kReadHardwareVersion && rx[6] == p && n >= 11)
                hw = {rx[8], rx[7]};
            else if (ours() && rx[4] == 1 && rx[5] == 0x83 && rx[6] == p)
                hw = {120, 120};

            auto& sw = InvSwVersion[k][static_cast<std::size_t>(p)];
            sw = {0, 0};
            Frame(static_cast<std::uint16_t>(i), kReadSoftwareVersion, {static_cast<std::uint8_t>(p)});
            if (SendReceive(5, 200) != 0)
                return 1;
            if (ours() && rx[4] == 4 && rx[5] == kReadSoftwareVersion && rx[6] == p && n >= 11)
                sw = {rx[8], rx[7]};
        }
        if (InvAddress[k] == i)
            View->Pump();
    }
    return 0;
}

int upgradeTool::ShowDeviceGrid()
{
    CellGrid* grid = View->DeviceGrid();
    if (!grid)
        return 0;
    static const struct {
        int col, width;
        const char* header;
    } kColumns[] = {{1, 30, ""},           {2, 30, "ID"},          {4, 50, "Mode"},
                    {5, 90, "Model Name"}, {6, 105, "Serial Number"}, {7, 70, "Product ID"},
                    {8, 45, "Boot SW"},    {9, 40, "HW"},          {10, 40, "SW"}};
    grid->BeginUpdate();
    for (const auto& c : kColumns) {
        grid->SetColWidth(c.col, c.width);
        grid->SetCell(c.col, 0, QString::fromLatin1(c.header));
    }
    const auto p = static_cast<std::size_t>(std::clamp(FileInfo.Processor, 0, 9));
    int row = 1;
    grid->SetRowCount(1);
    for (int i = 1; i <= 253; ++i) {
        const auto k = static_cast<std::size_t>(i);
        if (InvAddress[k] != i)
            continue;
        InvGridRow[k] = row;
        grid->SetCell(0, row, QString::number(row));
        grid->SetCell(1, row, QString());
        grid->SetCell(2, row, QStringLiteral(" ") + QString::number(i));
        grid->SetCell(3, row, QString());
        grid->SetCell(4, row, InvMode[k] != 0 ? QStringLiteral("Normal") : QStringLiteral("Boot"));
        grid->SetCell(5, row, InvModel[k]);
        grid->SetCell(6, row, InvSerial[k]);
        grid->SetCell(7, row, QString::number(InvProductId[k]));
        grid->SetCell(8, row, QStringLiteral("V") + Hex(static_cast<std::uint32_t>(InvBootVersion[k]) & 0xFF, 2));
        grid->SetCell(9, row, VersionText(InvHwVersion[k][p]));
        grid->SetCell(10, row, VersionText(InvSwVersion[k][p]));
        ++row;
        grid->SetRowCount(row);
    }
    grid->EndUpdate();
    return 0;
}

// --- the boot-loader steps -------------------------------------------------------------------

int upgradeTool::CheckDevice(const HexInfo& image, int i)
{
    const auto k = static_cast<std::size_t>(i);
    const FwVersion hw = InvHwVersion[k][static_cast<std::size_t>(std::clamp(image.Processor, 0, 9))];
    if (hw.Major != image.HwMajor) {
        AppendLogLineRed(Log(), QStringLiteral("ID") + QString::number(i) + QStringLiteral(": HW Version No Match"));
        return 1;
    }
    if (hw.Minor != image.HwMinor) {
        AppendLogLineRed(Log(), QStringLiteral("ID") + QString::number(i) + QStringLiteral(": HW Version  No Match"));
        return 1;
    }
    const auto file = static_cast<std::uint32_t>(FwStrToInt(image.ProductIdText));
    if (ProductIdFits(file, static_cast<std::uint32_t>(InvProductId[k])))
        return 0;
    AppendLogLineRed(Log(), QStringLiteral("ID") + QString::number(i) + QStringLiteral(": PID No Match "));
    return 1;
}

namespace {

// 0 accepted, 1 no or a wrong reply, 2 the port failed.
int EnterBootMode(upgradeTool& tool, Modbus& link, int i, std::uint8_t command, bool bothLead, const QString& mode)
{
    const auto& key = command == kEnterBootMode1 ? BootKey1 : BootKey2;
    const int address = tool.InvAddress[static_cast<std::size_t>(i)];
    const std::vector<std::uint8_t> f =
        BootFrame(static_cast<std::uint16_t>(address), command, {key.begin(), key.end()});
    std::copy(f.begin(), f.end(), link.Com.TxBuffer);
    tool.FrameLength = static_cast<std::int32_t>(f.size());
    Sleep(20);
    if (link.WriteFrame(tool.FrameLength) != 0)
        return 2;
    Sleep(120);
    if (link.Com.ReadAvailable() != 0)
        return 2;
    LogPane& log = tool.View->UpgradePane();
    AppendRxHexLine(log, link.Com.RxBuffer, link.Com.RxCount);
    const std::uint8_t* rx = link.Com.RxBuffer;
    for (int k = 0; k + 8 <= link.Com.RxCount; ++k) {
        const std::uint8_t* r = rx + k;
        const bool lead = bothLead ? (r[0] == 0xFF && r[1] == 0xFF) : (r[0] == 0xFF || r[1] == 0xFF);
        if (!lead || (r[2] | r[3] << 8) != address || !CrcAt(r, 6))
            continue;
        if (r[4] == 1 && r[5] == command) {
            AppendLogLineNow(log, Id(i) + QStringLiteral(": Enter bootloader ") + mode + QStringLiteral(" - OK"));
            return 0;
        }
        AppendLogLineRed(log, Id(i) + QStringLiteral(": Enter bootloader ") + mode + QStringLiteral(" - ERROR"));
        return 1;
    }
    return 1;
}

} // namespace

int upgradeTool::SendEnterBootMode1(int i)
{
    return EnterBootMode(*this, *Link, i, kEnterBootMode1, true, QStringLiteral("mode1"));
}

int upgradeTool::SendEnterBootMode2(int i)
{
    return EnterBootMode(*this, *Link, i, kEnterBootMode2, false, QStringLiteral("mode2"));
}

int upgradeTool::EnterBootloaderTries(int i)
{
    const auto k = static_cast<std::size_t>(i);
    for (int t = 0; t < 5; ++t) {
        // Every other try at 9600 bit/s: a boot loader left running listens there.
        Link->SetBaudCode(t % 2 == 0 ? InvBaudIndex[k] : 1);
        InvStepOk[k] = 0;
        const int first = SendEnterBootMode1(i);
        if (first == 2)
            return 2;
        if (first != 0)
            continue;
        const int second = SendEnterBootMode2(i);
        if (second == 2)
            return 2;
        if (second == 0) {
            InvStepOk[k] = 1;
            InvMode[k] = 0;   // its application has stopped: only the boot loader answers now
            return 0;
        }
        Sleep(2000);
    }
    return 1;
}

int upgradeTool::Step2EnterBootloader(int i)
{
    return EnterBootloaderTries(i) == 0 ? 0 : 1;
}

int upgradeTool::Step2EnterBootloaderAll()
{
    if (DrainPort() != 0)
        return 1;
    for (int i = 1; i <= 253; ++i) {
        if (!Eligible(i, false))
            continue;
        View->Pump();
        // An inverter that does not enter stays unmarked; only a failed link ends the step.
        if (EnterBootloaderTries(i) == 2)
            return 1;
    }
    return 0;
}

// One handshake with inverter i: up to five tries of the frame already built. accepted(at)
// searches the bytes read (and logs what its reply says); 0 accepted, 1 five failed tries, 2
// the port failed.
template <typename Try>
int upgradeTool::Handshake(int i, int waitBefore, int waitAfter, int failPause, Try accepted, const QString& okLine,
                           const QString& errorLine, bool errorRed)
{
    const auto k = static_cast<std::size_t>(i);
    for (int t = 0; t < 5; ++t) {
        if (WriteReadDump(waitBefore, waitAfter) != 0)
            return 2;
        if (accepted()) {
            InvStepOk[k] = 1;
            if (!okLine.isEmpty())
                AppendLogLineNow(Log(), okLine);
            return 0;
        }
        InvStepOk[k] = 0;
        if (errorRed)
            AppendLogLineRed(Log(), errorLine);
        else
            AppendLogLineNow(Log(), errorLine);
        if (failPause > 0)
            Sleep(failPause);
    }
    return 1;
}

int upgradeTool::Step3SelectProcessor(int i, int processor)
{
    if (DrainPort() != 0)
        return 1;
    Frame(BroadcastAddress, kSelectProcessor, {static_cast<std::uint8_t>(processor)});
    const QString head = QStringLiteral("   ID:") + QString::number(i) + QStringLiteral(" Select Processor ")
                         + QString::number(processor);
    const int source = InvAddress[static_cast<std::size_t>(i)];
    const int r = Handshake(
        i, 20, 200, 2000, [&] { int at = 0; return FindReply(0, source, 2, kSelectProcessor, 7, at) == 0; },
        head + QStringLiteral(" OK"), head + QStringLiteral(" Error"), true);
    if (r == 0)
        MarkInBootLoader(i, processor);
    return r == 0 ? 0 : 1;
}

int upgradeTool::Step3SelectProcessorAll(int processor)
{
    if (DrainPort() != 0)
        return 1;
    for (int i = 1; i <= 253; ++i) {
        if (!Eligible(i, true))
            continue;
        Frame(static_cast<std::uint16_t>(InvAddress[static_cast<std::size_t>(i)]), kSelectProcessor,
              {static_cast<std::uint8_t>(processor)});
        const QString head = QStringLiteral("   ID:") + QString::number(i) + QStringLiteral(" Select Processor ")
                             + QString::number(processor);
        const int r = Handshake(
            i, 20, 200, 2000, [&] { int at = 0; return FindReply(0, i, 2, kSelectProcessor, 7, at) == 0; },
            head + QStringLiteral(" OK"), head + QStringLiteral(" Error"), true);
        if (r == 2)
            return 1;
        if (r == 0)
            MarkInBootLoader(i, processor);
    }
    return 0;
}

namespace {

std::vector<std::uint8_t> BankData(std::uint32_t start)
{
    std::vector<std::uint8_t> d{0x00};
    PutLe32(d, start);
    return d;
}

} // namespace

int upgradeTool::Step4SelectBank(int i, std::uint32_t start)
{
    if (DrainPort() != 0)
        return 1;
    Frame(BroadcastAddress, kSelectBank, BankData(start));
    const int source = InvAddress[static_cast<std::size_t>(i)];
    auto accepted = [&] {
        int at = 0;
        if (FindReply(0, source, 6, kSelectBank, 11, at) != 0)
            return false;
        const std::uint8_t* r = Link->Com.RxBuffer + at;
        AppendLogLineNow(Log(), QStringLiteral("   Bank select: ") + QString::number(r[6]));
        AppendLogLineNow(Log(), QStringLiteral("   This Device Starts address: 0x") + Hex(Le32(r + 7), 8));
        return true;
    };
    return Handshake(i, 20, 2000, 5000, accepted, Id(i) + QStringLiteral(": Bank select OK"),
                     Id(i) + QStringLiteral(": Bank select Error"), true) == 0 ? 0 : 1;
}

int upgradeTool::Step4SelectBankAll(std::uint32_t start)
{
    if (DrainPort() != 0)
        return 1;
    for (int i = 1; i <= 253; ++i) {
        if (!Eligible(i, true))
            continue;
        Frame(static_cast<std::uint16_t>(InvAddress[static_cast<std::size_t>(i)]), kSelectBank, BankData(start));
        auto accepted = [&] {
            int at = 0;
            if (FindReply(0, i, 6, kSelectBank, 11, at) != 0)
                return false;
            const std::uint8_t* r = Link->Com.RxBuffer + at;
            AppendLogLineNow(Log(), QStringLiteral("   Bank select: ") + QString::number(r[6]));
            AppendLogLineNow(Log(), QStringLiteral("   This Device Starts address: 0x") + Hex(Le32(r + 7), 8));
            return true;
        };
        if (Handshake(i, 0, 2000, 5000, accepted, Id(i) + QStringLiteral(": Bank select OK"),
                      Id(i) + QStringLiteral(": Bank select Error"), true) == 2)
            return 1;
    }
    return 0;
}

namespace {

// Searches the bytes read for inverter i's bank-close reply; every well-formed candidate's CRC is
// logged, and only a 0x13 reply with the PC's CRC is taken.
bool CloseBankAccepted(upgradeTool& tool, const Modbus& link, int i, std::uint16_t pcCrc)
{
    const std::uint8_t* rx = link.Com.RxBuffer;
    for (int k = 0; k + 11 <= link.Com.RxCount; ++k) {
        const std::uint8_t* r = rx + k;
        if (!(r[0] == 0xFF || r[1] == 0xFF) || r[2] != static_cast<std::uint8_t>(i) || r[4] != 4 || !CrcAt(r, 9))
            continue;
        const std::uint16_t crc = static_cast<std::uint16_t>(r[7] | r[8] << 8);
        AppendLogLineNow(tool.View->UpgradePane(), Id(i) + QStringLiteral(": INV_CheckSUM - 0x") + Hex(crc, 4));
        if (r[5] == kCloseBank && crc == pcCrc)
            return true;
    }
    return false;
}

std::vector<std::uint8_t> CloseData(std::int32_t total)
{
    std::vector<std::uint8_t> d{0x00};
    PutLe32(d, static_cast<std::uint32_t>(total));
    return d;
}

} // namespace

int upgradeTool::Step6CloseBank(int i, const HexInfo& image)
{
    if (DrainPort() != 0)
        return 1;
    const auto pcCrc = static_cast<std::uint16_t>(image.Crc10);
    AppendLogLineNow(Log(), QStringLiteral("   PC_CheckSUM - 0x") + Hex(pcCrc, 4));
    Frame(BroadcastAddress, kCloseBank, CloseData(TotalSent));
    return Handshake(i, 20, 500, 0, [&] { return CloseBankAccepted(*this, *Link, i, pcCrc); },
                     Id(i) + QStringLiteral(": Check SUM CRC & Bank Close OK"),
                     Id(i) + QStringLiteral(": Check SUM CRC& Bank Close Error"), true) == 0 ? 0 : 1;
}

int upgradeTool::Step6CloseBankAll(const HexInfo& image)
{
    if (DrainPort() != 0)
        return 1;
    const auto pcCrc = static_cast<std::uint16_t>(image.Crc20);
    AppendLogLineNow(Log(), QStringLiteral("   PC_CheckSUM - 0x") + Hex(pcCrc, 4));
    for (int i = 1; i <= 253; ++i) {
        if (!Eligible(i, true))
            continue;
        Frame(static_cast<std::uint16_t>(InvAddress[static_cast<std::size_t>(i)]), kCloseBank, CloseData(TotalSent));
        if (Handshake(i, 20, 500, 0, [&] { return CloseBankAccepted(*this, *Link, i, pcCrc); },
                      Id(i) + QStringLiteral(": Check SUM CRC& Bank Close OK"),
                      Id(i) + QStringLiteral(": Check SUM CRC& Bank Close Error"), true) == 2)
            return 1;
    }
    return 0;
}

int upgradeTool::Step7Done(int i, const HexInfo&)
{
    if (DrainPort() != 0)
        return 1;
    Frame(BroadcastAddress, kFinishUpgrade, {0x00});
    const int r = Handshake(
        i, 20, 200, 0,
        [&] {
            int at = 0;
            if (FindReply(1, i, 2, kFinishUpgrade, 7, at) != 0)
                return false;
            AppendLogLineNow(Log(), Id(i) + QStringLiteral(": Done - Bank = ") + QString::number(Link->Com.RxBuffer[at + 6]));
            return true;
        },
        QString(), Id(i) + QStringLiteral(": Done - ERROR"), false);
    if (r == 0)
        MarkProgrammed(i);
    return r == 0 ? 0 : 1;
}

int upgradeTool::Step7DoneAll(const HexInfo&)
{
    if (DrainPort() != 0)
        return 1;
    for (int i = 1; i <= 253; ++i) {
        if (!Eligible(i, true))
            continue;
        Frame(static_cast<std::uint16_t>(InvAddress[static_cast<std::size_t>(i)]), kFinishUpgrade, {0x00});
        const int r = Handshake(
            i, 20, 200, 0,
            [&] {
                int at = 0;
                if (FindReply(1, i, 2, kFinishUpgrade, 7, at) != 0)
                    return false;
                AppendLogLineNow(Log(),
                                 Id(i) + QStringLiteral(": Done - Bank = ") + QString::number(Link->Com.RxBuffer[at + 6]));
                return true;
            },
            QString(), Id(i) + QStringLiteral(": Done - ERROR"), false);
        if (r == 2)
            return 1;
        if (r == 0)
            MarkProgrammed(i);
    }
    return 0;
}

// --- block programming -----------------------------------------------------------------------

int upgradeTool::ParseRetryRequests(int mode)
{
    Tcomm& port = Link->Com;
    AppendRxHexLine(Log(), port.RxBuffer, port.RxCount);
    const std::uint8_t* rx = port.RxBuffer;
    for (int k = 0; k + 12 <= port.RxCount; ++k) {
        const std::uint8_t* r = rx + k;
        const int s = r[2];
        if (r[0] != 0xFF || r[1] != 0xFF || s < 1 || s > 253)
            continue;
        const auto sk = static_cast<std::size_t>(s);
        if (InvSelected[sk] == 0 || InvStepOk[sk] == 0)
            continue;
        if (mode == 1 ? s != CurrentAddress : InvBootVersion[sk] < 3)
            continue;
        if (r[4] != 5 || (r[5] != 0x90 && r[5] != 0xA0) || !CrcAt(r, 10))
            continue;
        LastRetryAddress = Le32(r + 6);
        if (LastRetryAddress == 0)
            continue;
        AppendLogLineNow(Log(), Id(s) + QStringLiteral(": Retry Address: 0x") + Hex(LastRetryAddress, 8));
        if (++InvRetryCount[sk] <= 20)
            return FindHexGridRow(LastRetryAddress, View->HexGrid());
        return 0;
    }
    return 0;
}

int upgradeTool::ProgramBlocks(int mode)
{
    Tcomm& port = Link->Com;
    if (port.ReadAvailable() != 0)
        return 1;
    const int count = std::max(FileInfo.BlockSize, 32);
    int inverters = 0;
    for (int i = 1; i <= 253; ++i)
        if (InvSelected[static_cast<std::size_t>(i)] == 1 && InvAddress[static_cast<std::size_t>(i)] == i
            && InvStepOk[static_cast<std::size_t>(i)] == 1)
            ++inverters;
    if (inverters == 0) {
        AppendLogLineRed(Log(), QStringLiteral("   No Inverter to Program"));
        return 1;
    }
    CellGrid& grid = View->HexGrid();
    const int rows = grid.RowCount();
    const HexGridReader reader(grid);
    TotalSent = 0;
    InvRetryCount.fill(0);
    const int threshold = mode == 1 ? 12 : 20;
    const int baud = FileInfo.MetaBaudRate > 0 ? FileInfo.MetaBaudRate : 9600;
    const int pace = (count * 10000 + 120000) / baud + FileInfo.BlockDelay + (inverters <= 1 ? 5 : 50);
    int row = 1;
    int sinceDrain = 0;
    GridBlock block;
    for (;;) {
        if (port.InQueue() >= threshold) {
            if (port.ReadAvailable() != 0)
                return 1;
            const int r = ParseRetryRequests(mode);
            if (r < 0) {
                AppendLogLineNow(Log(), QStringLiteral("Retry Address Error"));
                return 1;
            }
            if (r == 0)
                continue;
            row = r;
            Sleep(500);
            sinceDrain = 0;
        }
        if (reader.Read(row, block, count, FileInfo.StopAddressText) != 0) {
            // The image is out: late retry requests still get their tail.
            Sleep(5000);
            if (port.InQueue() < 12)
                break;
            if (port.ReadAvailable() != 0)
                return 1;
            const int r = ParseRetryRequests(mode);
            if (r < 1)
                break;
            row = r;
            Sleep(500);
            if (reader.Read(row, block, count, FileInfo.StopAddressText) != 0)
                break;
        }
        const int sent = mode == 1 ? SendBlock10(block.Address, block.NextAddress, block.Data.data(), count)
                                   : SendBlock20(block.Address, block.NextAddress, block.Data.data(), count);
        if (sent != 0)
            return 1;
        // The frame's time on the wire plus the block delay, with the window running meanwhile.
        const std::int64_t until = KivClient::DeadlineAfter(pace);
        while (KivClient::DeadlineAfter(0) < until) {
            View->Pump();
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        TotalSent += count;
        View->SetStatusPanel(9, QStringLiteral("Addr: 0x") + Hex(block.Address, 8) + QStringLiteral("   Len: ")
                                    + QString::number(count));
        View->SetStatusPanel(8, QStringLiteral("Processing... ") + QString::number((row * 100 + 200) / rows)
                                    + QStringLiteral("%"));
        View->SetProgress((row * 100 + 100) / rows);
        View->Pump();
        ++row;
        if (mode == 0)
            while (row < rows && grid.Cell(0, row).isEmpty() && !grid.Cell(1, row).isEmpty())
                ++row;
        if (++sinceDrain >= 9) {
            if (port.ReadAvailable() != 0)
                return 1;
            sinceDrain = 0;
        }
    }
    const std::int32_t expected = mode == 1 ? FileInfo.Length10 : FileInfo.Length20;
    if (TotalSent < expected) {
        AppendLogLineNow(Log(), mode == 1 ? QStringLiteral("TX Total Length Error(0x10")
                                          : QStringLiteral("TX Total Length Error(0x20)"));
        return 1;
    }
    TotalSent = expected;
    AppendLogLineNow(Log(), QStringLiteral("   Total Hex Length: ") + QString::number(TotalSent));
    View->SetStatusPanel(8, QStringLiteral("Processing... 100%"));
    View->SetProgress(100);
    return 0;
}

// --- the procedures --------------------------------------------------------------------------

int upgradeTool::RunSingleProcedure(int i)
{
    CurrentAddress = i;
    const HexInfo image = FileInfo;
    AppendLogLineNow(Log(), QStringLiteral("Step1 - Check Device"));
    if (CheckDevice(image, i) != 0)
        return 1;
    AppendLogLineNow(Log(), QStringLiteral("Step2 - Enter bootloader mode"));
    if (Step2EnterBootloader(i) != 0)
        return 1;
    Sleep(5000);
    SetProgrammingRate();
    AppendLogLineNow(Log(), QStringLiteral("Step3 - Select Processor"));
    if (Step3SelectProcessor(i, FileInfo.Processor) != 0)
        return 1;
    Sleep(5000);
    AppendLogLineNow(Log(), QStringLiteral("Step4 - Select Bank"));
    if (Step4SelectBank(i, static_cast<std::uint32_t>(FwStrToInt(FileInfo.StartAddressText))) != 0)
        return 1;
    Sleep(5000);
    AppendLogLineNow(Log(), QStringLiteral("Step5 - Programming"));
    if (ProgramBlocks(1) != 0)
        return 1;
    Sleep(5000);
    AppendLogLineNow(Log(), QStringLiteral("Step6 - Bank Close"));
    if (Step6CloseBank(i, FileInfo) != 0)
        return 1;
    Sleep(2000);
    AppendLogLineNow(Log(), QStringLiteral("Step7 - Done"));
    return Step7Done(i, FileInfo);
}

int upgradeTool::BootProcedure()
{
    for (int i = 1; i <= 253; ++i) {
        const auto k = static_cast<std::size_t>(i);
        if (InvSelected[k] != 1 || InvAddress[k] != i || InvBootVersion[k] != 2 || InvMode[k] != 0)
            continue;
        AppendLogLineNow(Log(), QStringLiteral("In Boot Procedure"));
        if (RunSingleProcedure(i) != 0)
            return 1;
    }
    return 0;
}

int upgradeTool::V02Procedure()
{
    for (int i = 1; i <= 253; ++i) {
        const auto k = static_cast<std::size_t>(i);
        if (InvSelected[k] != 1 || InvAddress[k] != i || InvBootVersion[k] != 2)
            continue;
        AppendLogLineNow(Log(), QStringLiteral("In V02 Procedure"));
        if (RunSingleProcedure(i) != 0)
            return 1;
    }
    return 0;
}

namespace {

// Steps 3 to 7 of the broadcast run, for the inverters still in it.
int BroadcastSteps(upgradeTool& tool, int processor, std::uint32_t start)
{
    LogPane& log = tool.View->UpgradePane();
    AppendLogLineNow(log, QStringLiteral("Step3 - Select Processor"));
    if (tool.Step3SelectProcessorAll(processor) != 0)
        return 1;
    Sleep(5000);
    AppendLogLineNow(log, QStringLiteral("Step4 - Select Bank"));
    if (tool.Step4SelectBankAll(start) != 0)
        return 1;
    Sleep(5000);
    AppendLogLineNow(log, QStringLiteral("Step5 - Programming"));
    if (tool.ProgramBlocks(0) != 0)
        return 1;
    Sleep(5000);
    AppendLogLineNow(log, QStringLiteral("Step6 - Bank Close"));
    if (tool.Step6CloseBankAll(tool.FileInfo) != 0)
        return 1;
    Sleep(2000);
    AppendLogLineNow(log, QStringLiteral("Step7 - Done"));
    return tool.Step7DoneAll(tool.FileInfo);
}

} // namespace

int upgradeTool::V03Procedure()
{
    bool any = false;
    for (int i = 1; i <= 253 && !any; ++i)
        any = InvSelected[static_cast<std::size_t>(i)] == 1 && InvAddress[static_cast<std::size_t>(i)] == i
              && InvBootVersion[static_cast<std::size_t>(i)] >= 3;
    if (!any)
        return 0;
    AppendLogLineNow(Log(), QStringLiteral("In V03 Procedure"));
    AppendLogLineNow(Log(), QStringLiteral("Step1 - Check Device"));
    for (int i = 1; i <= 253; ++i)
        if (InvSelected[static_cast<std::size_t>(i)] == 1 && CheckDevice(FileInfo, i) != 0)
            return 1;
    AppendLogLineNow(Log(), QStringLiteral("Step2 - Enter bootloader mode"));
    if (Step2EnterBootloaderAll() != 0)
        return 1;
    Sleep(5000);
    SetProgrammingRate();
    return BroadcastSteps(*this, FileInfo.Processor, static_cast<std::uint32_t>(FwStrToInt(FileInfo.StartAddressText)));
}

int upgradeTool::BinProcedure()
{
    InvSelected[1] = 1;
    InvAddress[1] = 1;
    InvBootVersion[1] = 3;
    FileInfo.BlockSize = 128;
    FileInfo.StopAddressText = QStringLiteral("0xF000000");
    FileInfo.MetaBaudRate = 19200;
    FileInfo.StartAddressText = QStringLiteral("0x80000000");
    FileInfo.Processor = 9;
    FileInfo.BlockDelay = 200;
    InvBaudIndex[1] = 2;
    // Only the bus has boot loaders to talk to frame by frame; elsewhere nothing is sent here
    // and the link's own run programs the image with the parameters set above.
    if (!Link || Link->LinkType != LinkRs485)
        return 0;
    Link->SetBaudCode(2);
    AppendLogLineNow(Log(), QStringLiteral("In BIN Procedure"));
    AppendLogLineNow(Log(), QStringLiteral("Step2 - Enter bootloader mode"));
    if (Step2EnterBootloaderAll() != 0)
        return 1;
    Sleep(5000);
    Link->SetBaudCode(2);
    return BroadcastSteps(*this, 9, 0x80000000u);
}

int upgradeTool::CheckSoftwareVersion(int i, int expected, int processor)
{
    Frame(static_cast<std::uint16_t>(i), kReadSoftwareVersion, {static_cast<std::uint8_t>(processor)});
    Tcomm& port = Link->Com;
    const std::uint8_t* rx = port.RxBuffer;
    for (int t = 0; t < 20; ++t) {
        Link->SetBaudCode(t % 4);
        Sleep(50);
        if (Link->WriteFrame(FrameLength) != 0)
            return 1;
        Sleep(200);
        if (port.ReadAvailable() != 0)
            return 1;
        AppendRxHexLine(Log(), rx, port.RxCount);
        if (port.RxCount >= 9 && rx[0] == 0xFF && rx[1] == 0xFF && rx[4] == 4 && rx[5] == kReadSoftwareVersion
            && rx[6] == processor && rx[8] * 100 + rx[7] == expected) {
            InvSwVersion[static_cast<std::size_t>(i)][static_cast<std::size_t>(std::clamp(processor, 0, 9))] = {rx[8], rx[7]};
            return 0;
        }
        Sleep(300);
        View->Pump();
    }
    AppendLogLineRed(Log(), Id(i) + QStringLiteral(": Check SV Error"));
    return 1;
}

int upgradeTool::AutoSelectInverters()
{
    const auto p = static_cast<std::size_t>(std::clamp(FileInfo.Processor, 0, 9));
    const int f = FileInfo.SwMajor * 100 + FileInfo.SwMinor;
    for (int i = 1; i <= 253; ++i) {
        const auto k = static_cast<std::size_t>(i);
        if (InvAddress[k] != i || InvSwVersion[k][p].Major == 255)
            continue;
        const int v = InvSwVersion[k][p].Major * 100 + InvSwVersion[k][p].Minor;
        const int c = CheckDevice(FileInfo, i);
        if (v < f && c == 0) {
            InvSelected[k] = 1;
            if (v == 0)
                InvMode[k] = 0;
        } else if (InvMode[k] == 0 && c == 0) {
            InvSelected[k] = 1;
        } else {
            InvSelected[k] = 0;
        }
    }
    return 0;
}

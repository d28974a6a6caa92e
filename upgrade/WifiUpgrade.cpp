// Programming one inverter through its Wi-Fi module: the boot-loader frames travel over a TCP
// connection to the module, addressed to inverter 1, one request and one reception at a time.
#include "upgrade/Upgrade.h"

#include "link/CommLog.h"
#include "link/Crc.h"
#include "link/Modbus.h"
#include "link/Mysock.h"
#include "vcl/Services.h"

#include <algorithm>
#include <functional>

namespace {

constexpr int kSlot = 1;              // the connection the run uses, beside the link's own
constexpr std::uint8_t kReadProductId = 0x00;
constexpr std::uint8_t kEnterBootMode1 = 0x05;
constexpr std::uint8_t kEnterBootMode2 = 0x06;
constexpr std::uint8_t kSelectProcessor = 0x11;
constexpr std::uint8_t kSelectBank = 0x12;
constexpr std::uint8_t kCloseBank = 0x13;
constexpr std::uint8_t kFinishUpgrade = 0x14;
constexpr std::uint8_t kWriteBlock20 = 0x20;
constexpr std::uint8_t kReadProgress = 0x90;
constexpr std::uint8_t kBlockAck = 0xA0;

void PutLe32(std::vector<std::uint8_t>& out, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

std::uint32_t Le32(const std::uint8_t* p)
{
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
}

QString Hex(std::uint32_t v, int digits)
{
    return QString::number(v, 16).toUpper().rightJustified(digits, QLatin1Char('0'));
}

QString Id(int index) { return QStringLiteral("   ID") + QString::number(index); }

void Sleep(int ms) { vcl::Time().Sleep(ms); }

} // namespace

int upgradeTool::WifiConnect()
{
    return Tcp->Connect(kSlot, wifiHost_, wifiPort_) < 0 ? 1 : 0;
}

int upgradeTool::WifiReconnect(const char* failureLine)
{
    if (WifiConnect() == 0)
        return 0;
    if (failureLine)
        AppendLogLine(View->EventPane(), QString::fromLatin1(failureLine));
    return 1;
}

void upgradeTool::WifiBuild(int index, std::uint8_t command, const std::vector<std::uint8_t>& data, int lengthByte)
{
    wifiTx_ = BootFrame(static_cast<std::uint16_t>(index), command, data, lengthByte);
    FrameLength = static_cast<std::int32_t>(wifiTx_.size());
}

int upgradeTool::WifiExchange(int index, std::uint8_t command, const std::vector<std::uint8_t>& data, int lengthByte,
                              int seconds, bool logRx)
{
    WifiBuild(index, command, data, lengthByte);
    if ((Link && Link->StopsWork()) || Tcp->Send(kSlot, wifiTx_.data(), FrameLength) != 0) {
        if (logRx)
            AppendLogLine(View->UpgradePane(), QStringLiteral("Error - Send"));
        return 1;
    }
    if (Tcp->Receive(kSlot, seconds) != 0) {
        if (logRx)
            AppendLogLine(View->UpgradePane(), QStringLiteral("Error - Receive"));
        return 1;
    }
    if (logRx)
        AppendRxHexLine(View->UpgradePane(), Tcp->RecvBuffer, Tcp->RecvLength);
    return 0;
}

bool upgradeTool::WifiAccepted(int index, int length, std::uint8_t command, bool anySource) const
{
    const std::uint8_t* r = Tcp->RecvBuffer;
    // The reply's own bytes must be there: a short reception is never read past its end.
    if (Tcp->RecvLength < 5 + std::max(length, 1))
        return false;
    if (r[0] != 0xFF || r[1] != 0xFF || r[4] != length || r[5] != command)
        return false;
    return anySource || (r[2] | r[3] << 8) == index;
}

int upgradeTool::WifiReadPid(int index)
{
    InvProductId[static_cast<std::size_t>(index)] = 0;
    if (WifiExchange(index, kReadProductId, {}, 1, 5, true) != 0)
        return 1;
    if (WifiAccepted(index, 5, kReadProductId, true))
        InvProductId[static_cast<std::size_t>(index)] = static_cast<std::int32_t>(Le32(Tcp->RecvBuffer + 6));
    AppendLogLineNow(View->UpgradePane(),
                     QStringLiteral("PID: ") + QString::number(InvProductId[static_cast<std::size_t>(index)]));
    return 0;
}

static int StepResult(LogPane& pane, bool ok, const QString& okLine, const QString& errorLine)
{
    if (ok) {
        AppendLogLineNow(pane, okLine);
        return 0;
    }
    AppendLogLineRed(pane, errorLine);
    return 1;
}

int upgradeTool::WifiEnterBootMode1(int index)
{
    if (WifiExchange(index, kEnterBootMode1, {BootKey1.begin(), BootKey1.end()}, 8, 5, true) != 0)
        return 1;
    return StepResult(View->UpgradePane(), WifiAccepted(index, 1, kEnterBootMode1),
                      Id(index) + QStringLiteral(": Enter bootloader mode1 - OK"),
                      Id(index) + QStringLiteral(": Enter bootloader mode1 - ERROR"));
}

int upgradeTool::WifiEnterBootMode2(int index)
{
    if (WifiExchange(index, kEnterBootMode2, {BootKey2.begin(), BootKey2.end()}, 8, 5, true) != 0)
        return 1;
    return StepResult(View->UpgradePane(), WifiAccepted(index, 1, kEnterBootMode2),
                      Id(index) + QStringLiteral(": Enter bootloader mode2 - OK"),
                      Id(index) + QStringLiteral(": Enter bootloader mode2 - ERROR"));
}

int upgradeTool::WifiSelectProcessor(int index, int processor)
{
    if (WifiExchange(index, kSelectProcessor, {static_cast<std::uint8_t>(processor)}, 2, 15, true) != 0)
        return 1;
    const QString head = QStringLiteral("   ID:") + QString::number(index) + QStringLiteral(" Select Processor ")
                         + QString::number(processor);
    return StepResult(View->UpgradePane(), WifiAccepted(index, 2, kSelectProcessor), head + QStringLiteral(" OK"),
                      head + QStringLiteral(" Error"));
}

int upgradeTool::WifiSelectBank(int index, std::uint32_t startAddress)
{
    std::vector<std::uint8_t> data{0x00};
    PutLe32(data, startAddress);
    if (WifiExchange(index, kSelectBank, data, 6, 5, true) != 0)
        return 1;
    LogPane& pane = View->UpgradePane();
    if (!WifiAccepted(index, 6, kSelectBank)) {
        AppendLogLineRed(pane, Id(index) + QStringLiteral(": Bank select Error"));
        return 1;
    }
    const std::uint8_t* r = Tcp->RecvBuffer;
    AppendLogLineNow(pane, QStringLiteral("   Bank select: ") + QString::number(r[6]));
    AppendLogLineNow(pane, QStringLiteral("   This Device Starts address: 0x") + Hex(Le32(r + 7), 8));
    AppendLogLineNow(pane, Id(index) + QStringLiteral(": Bank select OK"));
    return 0;
}

int upgradeTool::WifiSendBlock(int index, std::uint32_t address, std::uint32_t nextAddress, const std::uint8_t* data,
                               int count)
{
    std::vector<std::uint8_t> body;
    body.reserve(static_cast<std::size_t>(count) + 8);
    PutLe32(body, address);
    PutLe32(body, nextAddress);
    body.insert(body.end(), data, data + count);
    // The length byte holds the block's size plus nine, cut to a byte as the boot loader reads it.
    WifiBuild(index, kWriteBlock20, body, count + 9);
    if (Tcp->Send(kSlot, wifiTx_.data(), FrameLength) != 0) {
        AppendLogLine(View->UpgradePane(), QStringLiteral("Error - Send"));
        return 1;
    }
    if (Tcp->Receive(kSlot, 5) != 0) {
        AppendLogLine(View->UpgradePane(), QStringLiteral("     ..."));
        return 1;
    }
    if (WifiAccepted(index, 5, kBlockAck) && Le32(Tcp->RecvBuffer + 6) == address)
        return 0;
    AppendLogLineRed(View->UpgradePane(), Id(index) + QStringLiteral(": Programming Error"));
    return 1;
}

int upgradeTool::WifiCloseBank(int index)
{
    LogPane& pane = View->UpgradePane();
    AppendLogLineNow(pane, QStringLiteral("   PC_CheckSUM - 0x") + Hex(static_cast<std::uint16_t>(FileInfo.Crc20), 4));
    std::vector<std::uint8_t> data{0x00};
    PutLe32(data, static_cast<std::uint32_t>(TotalSent));
    if (WifiExchange(index, kCloseBank, data, 6, 5, true) != 0)
        return 1;
    const std::uint8_t* r = Tcp->RecvBuffer;
    const QString error = Id(index) + QStringLiteral(": Check SUM CRC& Bank Close Error");
    // The header, length and source first; the command and the two checksums decide after.
    if (Tcp->RecvLength < 9 || r[0] != 0xFF || r[1] != 0xFF || r[4] != 4 || (r[2] | r[3] << 8) != index) {
        AppendLogLineRed(pane, error);
        return 1;
    }
    const std::uint16_t inverterCrc = static_cast<std::uint16_t>(r[7] | r[8] << 8);
    AppendLogLineNow(pane, Id(index) + QStringLiteral(": INV_CheckSUM - 0x") + Hex(inverterCrc, 4));
    if (r[5] != kCloseBank || inverterCrc != static_cast<std::uint16_t>(FileInfo.Crc20)) {
        AppendLogLineRed(pane, error);
        return 1;
    }
    return 0;
}

int upgradeTool::WifiFinish(int index)
{
    if (WifiExchange(index, kFinishUpgrade, {0x00}, 2, 5, true) != 0)
        return 1;
    const bool ok = WifiAccepted(index, 2, kFinishUpgrade);
    return StepResult(View->UpgradePane(), ok,
                      Id(index) + QStringLiteral(": Done - Bank = ") + QString::number(Tcp->RecvBuffer[6]),
                      Id(index) + QStringLiteral(": Done - ERROR"));
}

int upgradeTool::WifiReadProgress(int index, int& percent)
{
    // The request says length 1 although a data byte follows: the module's boot loader expects it so.
    if (WifiExchange(index, kReadProgress, {0x00}, 1, 1, false) != 0)
        return 1;
    // The percent byte follows the command although the length byte says 1.
    if (Tcp->RecvLength < 7 || !WifiAccepted(index, 1, kReadProgress))
        return 1;
    percent = Tcp->RecvBuffer[6];
    return 0;
}

int upgradeTool::WifiProgramBlocks(int index)
{
    CellGrid& grid = View->HexGrid();
    const int rows = grid.RowCount();
    TotalSent = 0;
    const int count = std::max(FileInfo.BlockSize, 32);
    const HexGridReader reader(grid);
    auto empty = [&](int col, int row) { return grid.Cell(col, row).isEmpty(); };

    int row = 1;
    GridBlock block;
    while (rows > 0 && reader.Read(row, block, count, FileInfo.StopAddressText) == 0) {
        int tries = 0;
        while (WifiSendBlock(index, block.Address, block.NextAddress, block.Data.data(), count) != 0) {
            View->Pump();
            Sleep(3000);
            WifiReconnect("Error - Could not connect");
            Sleep(200);
            if (++tries == 3)
                return 1;
        }
        View->Pump();
        TotalSent += count;
        View->SetStatusPanel(9, QStringLiteral("Addr: 0x") + Hex(block.Address, 8) + QStringLiteral("   Len: ")
                                    + QString::number(count));
        View->SetStatusPanel(8, QStringLiteral("Processing... ") + QString::number((row * 100 + 200) / rows)
                                    + QStringLiteral("%"));
        View->SetProgress((row * 100 + 100) / rows);
        View->Pump();
        ++row;
        // Skipped rows (no block number, an address) are passed; a wholly empty row ends the walk.
        while (row < rows && empty(0, row) && !empty(1, row))
            ++row;
    }
    if (TotalSent < FileInfo.Length20) {
        AppendLogLineNow(View->UpgradePane(), QStringLiteral("TX Total Length Error(0x20)"));
        return 1;
    }
    // The bank is closed with the image's length, whatever the last block's padding added.
    TotalSent = FileInfo.Length20;
    AppendLogLineNow(View->UpgradePane(), QStringLiteral("   Total Hex Length: ") + QString::number(TotalSent));
    View->SetStatusPanel(8, QStringLiteral("Processing... 100%"));
    View->SetProgress(100);
    return 0;
}

namespace {

// A wait for the device's own progress to reach 100 %. Failed polls reconnect; the run gives up
// after more than maxFailures of them. 0 reached, 1 given up, 2 the polls ran out.
template <typename Poll, typename Shown>
int ProgressWait(int polls, int maxFailures, Poll poll, Shown shown, const std::function<int()>& reconnect,
                 const std::function<void()>& pump)
{
    int failures = 0;
    for (int i = 0; i < polls; ++i) {
        int percent = 0;
        if (poll(percent) != 0) {
            reconnect();
            ++failures;
            Sleep(200);
        } else {
            shown(percent);
            if (percent == 100)
                return 0;
        }
        if (failures > maxFailures)
            return 1;
        pump();
        Sleep(1000);
    }
    return 2;
}

} // namespace

int upgradeTool::WifiUpgrade()
{
    if (!Tcp || !View)
        return 1;
    constexpr int index = 1;
    LogPane& log = View->UpgradePane();
    LogPane& events = View->EventPane();
    auto line = [&](const char* text) { AppendLogLine(log, QString::fromLatin1(text)); };
    WifiAddress(wifiHost_, wifiPort_);

    if (WifiConnect() != 0) {
        line("Error - Could not connect");
        return 1;
    }
    Sleep(50);

    line("1. Check PID");
    if (WifiReadPid(index) != 0) {
        line("1. Check PID - Error");
        return 1;
    }
    if (static_cast<std::uint32_t>(FwStrToInt(FileInfo.ProductIdText))
        != static_cast<std::uint32_t>(InvProductId[index])) {
        line("PID don't match");
        return 1;
    }

    line("2. Enter Bootloader Mode");
    if (WifiEnterBootMode1(index) != 0) {
        line("2. Enter Bootloader Mode1 - Error");
        return 1;
    }
    if (WifiEnterBootMode2(index) != 0) {
        line("2. Enter Bootloader Mode2 - Error");
        return 1;
    }
    Sleep(2000);

    line("3. Processor Select");
    if (WifiSelectProcessor(index, FileInfo.Processor) != 0) {
        line("3. Processor Select - Error");
        return 1;
    }
    Sleep(5000);

    line("4. Bank Select");
    const std::uint32_t start = static_cast<std::uint32_t>(FwStrToInt(FileInfo.StartAddressText));
    for (int t = 0;; ++t) {
        if (WifiSelectBank(index, start) == 0)
            break;
        AppendLogLine(events, QStringLiteral("Try to connect"));
        if (WifiReconnect("Error - Could not connect") != 0)
            return 1;
        AppendLogLine(events, QStringLiteral("connect OK"));
        Sleep(200);
        if (t == 2) {
            line("4. Bank Select - Error");
            return 1;
        }
    }

    const std::function<int()> reconnect = [this] { return WifiReconnect("Error - Could not connect"); };
    const std::function<void()> pump = [this] { View->Pump(); };
    auto poll = [&](int& percent) { return WifiReadProgress(index, percent); };
    // The device erases its bank first; after 100 polls the blocks go out all the same.
    if (ProgressWait(100, 15, poll, [](int) {}, reconnect, pump) == 1)
        return 1;

    line("5. Programming Data");
    if (WifiProgramBlocks(index) != 0) {
        line("5. Programming Data - Error");
        return 1;
    }

    line("6. Bank Close");
    for (int t = 0;; ++t) {
        if (WifiCloseBank(index) == 0)
            break;
        if (WifiReconnect("Error - Could not connect") != 0)
            return 1;
        Sleep(200);
        if (t == 2) {
            line("6. Bank Close - Error");
            return 1;
        }
    }

    line("7. Done");
    for (int t = 0;; ++t) {
        if (WifiFinish(index) == 0)
            break;
        WifiReconnect("Error - Could not connect");
        Sleep(200);
        if (t == 2) {
            line("7. Done - Error");
            return 1;
        }
    }

    line("8. Internal Procedure");
    auto shown = [this](int percent) {
        View->SetProgress(percent);
        View->SetStatusPanel(8, QStringLiteral("Processing... ") + QString::number(percent) + QStringLiteral("%"));
    };
    if (ProgressWait(600, 20, poll, shown, reconnect, pump) != 0)
        return 1;
    line("Upgrade Finish");
    return 0;
}

// The firmware engine: the loaded image's values and the part of the inverter table that the
// image loaders read, with the two loaders and the clearing of the image display.
#pragma once

#include "upgrade/FirmwareImage.h"
#include "upgrade/HexGrid.h"
#include "upgrade/ImageLoad.h"
#include "upgrade/MetaBlock.h"

#include "link/LogPane.h"

#include <QString>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

// What the engine and the upgrade page's load logic need of the window: the path edit, the
// block grid, the meta-block labels, the two log panes and the start button.
class UpgradeView {
public:
    virtual ~UpgradeView() = default;
    virtual QString HexPath() const = 0;                    // Edit_HEXPath
    virtual void SetHexPath(const QString& path) = 0;
    virtual CellGrid& HexGrid() = 0;                        // Grid_HEX
    // A meta-block label by name (L_METAVERSION ... L_BAUDRATE) or the edit text of Combo_Delay.
    virtual void SetMetaText(const QString& control, const QString& text) = 0;
    virtual void UpgradeLog(const QString& line) = 0;       // a line in List_UpgradeEvent
    virtual void EventLog(const QString& line) = 0;         // a line in List_Event
    virtual void SetStartEnabled(bool enabled) = 0;         // Btn_UpgradeStart
    virtual bool StartEnabled() const = 0;
    // The two log panes themselves, for the programming runs' red lines and receive dumps.
    virtual LogPane& UpgradePane() = 0;                     // List_UpgradeEvent
    virtual LogPane& EventPane() = 0;                       // List_Event
    virtual void SetProgress(int percent) = 0;              // ProgressBar
    virtual void SetStatusPanel(int index, const QString& text) = 0;
    virtual void Pump() = 0;                                // lets the window run its events
    virtual CellGrid* DeviceGrid() { return nullptr; }      // Grid_Dev (RS-485 only)
};

class KivClient;
class Modbus;

// A version pair as the boot loader reports it.
struct FwVersion {
    std::int32_t Major = 0;
    std::int32_t Minor = 0;
};

// The boot loader's broadcast address: every inverter whose boot loader runs takes the frame.
inline constexpr std::uint16_t BroadcastAddress = 0xE000;

// A boot-loader request: destination (low byte first), 0xFF 0xFF, the length byte, the command,
// the data and the CRC-16/MODBUS.
std::vector<std::uint8_t> BootFrame(std::uint16_t destination, std::uint8_t command,
                                    const std::vector<std::uint8_t>& data, int lengthByte = -1);

// Product IDs an image may be programmed into besides its own: the file's product ID with the
// inverters' IDs it also fits. Placeholder entries until the product data supplies the real ones.
struct ProductIdEquivalence {
    std::uint32_t FileId;
    std::vector<std::uint32_t> InverterIds;
};
const std::vector<ProductIdEquivalence>& ProductIdTable();
// True when an image for fileId may be programmed into an inverter reporting inverterId.
bool ProductIdFits(std::uint32_t fileId, std::uint32_t inverterId,
                   const std::vector<ProductIdEquivalence>& table = ProductIdTable());

// The names of the controls that show the meta block, in the order they are cleared.
const QStringList& MetaControlNames();

class upgradeTool {
public:
    // The loaded image's meta-block values, lengths and CRCs.
    HexInfo FileInfo;
    // Slot i (1 to 253) holds an inverter when InvAddress[i] == i; slot 0 is never used.
    std::array<std::uint8_t, 256> InvAddress{};
    // The boot-loader version of inverter i: a version-2 boot loader takes 32-byte blocks only.
    std::array<std::int32_t, 256> InvBootVersion{};

    // The window the loaders read the path from and write the grid, labels and logs into.
    UpgradeView* View = nullptr;

    // Empties the meta-block labels and the delay box, and every cell of the block grid
    // (writing its header again). The image's values stay. Returns 0.
    int ClearHexInfo();
    // Loads the Intel-HEX image named by the path edit: 0 when loaded, 1 when not. A file that may
    // be cut short loads only when the user confirms it (AcceptHexText).
    int LoadHexFile();
    // Loads the raw image named by the path edit: 0 when loaded, 1 when not.
    int LoadBinFile();
    // The two halves of a load, for a caller that must look at the file before it clears the
    // display. ReadImageFile reads the file named by the path edit, whole: regular files only (a
    // pipe or a device is refused without waiting on it) and no more than an image can hold. When
    // it cannot, the lengths are forgotten, the reason is logged and it returns false.
    bool ReadImageFile(bool hex, QByteArray& bytes);
    // A HEX text whose records run to its end with no end record may be a file cut short: true
    // when it has its end record (or is broken or empty, which its load will say), or when the
    // user chose to load it all the same.
    bool AcceptHexText(const QByteArray& text);
    int LoadHexText(const QByteArray& text);
    int LoadBinBytes(const QByteArray& bytes);

    // True when a present inverter carries a version-2 boot loader.
    bool OldBootLoaderPresent() const;

    // --- the inverters on the bus --------------------------------------------------------------
    // The device link: its serial port carries the boot-loader frames, its scan tables fill the
    // inverter table.
    Modbus* Link = nullptr;
    std::array<std::int32_t, 256> InvGridRow{};
    std::array<std::uint8_t, 256> InvSelected{};
    std::array<std::uint8_t, 256> InvStepOk{};
    std::array<std::int32_t, 256> InvMode{};
    std::array<std::array<FwVersion, 10>, 256> InvHwVersion{};
    std::array<std::array<FwVersion, 10>, 256> InvSwVersion{};
    std::array<QString, 256> InvSerial;
    std::array<QString, 256> InvModel;
    std::array<std::int32_t, 256> InvBaudIndex{};
    std::array<std::int32_t, 256> InvRetryCount{};
    std::int32_t CurrentAddress = 0;
    std::uint32_t LastRetryAddress = 0;

    int InitInverterTable();
    int SendReceive(int tries, int waitMs);
    int SendBlock10(std::uint32_t address, std::uint32_t nextAddress, const std::uint8_t* data, int count);
    int SendBlock20(std::uint32_t address, std::uint32_t nextAddress, const std::uint8_t* data, int count);
    int ToggleSelection(int row);
    // The survey.
    int ReadBootVersions();
    int GetDeviceInfo();
    int ShowDeviceGrid();
    // The boot-loader steps.
    int CheckDevice(const HexInfo& image, int i);
    int SendEnterBootMode1(int i);
    int SendEnterBootMode2(int i);
    int Step2EnterBootloader(int i);
    int Step2EnterBootloaderAll();
    int Step3SelectProcessor(int i, int processor);
    int Step3SelectProcessorAll(int processor);
    int Step4SelectBank(int i, std::uint32_t start);
    int Step4SelectBankAll(std::uint32_t start);
    int Step6CloseBank(int i, const HexInfo& image);
    int Step6CloseBankAll(const HexInfo& image);
    int Step7Done(int i, const HexInfo& image);
    int Step7DoneAll(const HexInfo& image);
    // Block programming: mode 1 the (0x10) mode, 0 the (0x20) mode.
    int ProgramBlocks(int mode);
    int ParseRetryRequests(int mode);
    // The procedures.
    int RunSingleProcedure(int i);
    int BootProcedure();
    int V02Procedure();
    int V03Procedure();
    // Sets the raw image's fixed parameters and, on the bus, programs slave ID 1 with them. 0 done
    // (on another link: nothing sent, the link's run goes on with them), 1 a step failed.
    int BinProcedure();
    int CheckSoftwareVersion(int i, int expected, int processor);
    int AutoSelectInverters();
    // True when some present inverter is selected.
    bool AnySelected() const;
    // True when a selected present inverter failed its last step.
    bool SelectedStepFailed() const;

    // --- the boot loader over the Wi-Fi module -------------------------------------------------
    // The TCP client that reaches the module; the run connects slot 1 to the module's address.
    KivClient* Tcp = nullptr;
    // The product ID read from inverter i (0 after a reply that was not accepted).
    std::array<std::int32_t, 256> InvProductId{};
    // Data bytes sent by the programming step; after it, the count CloseBank sends.
    std::int32_t TotalSent = 0;
    // Bytes of the last request built.
    std::int32_t FrameLength = 0;

    // The whole Wi-Fi run: 0 after "Upgrade Finish", 1 otherwise.
    int WifiUpgrade();
    int WifiReadPid(int index);
    int WifiEnterBootMode1(int index);
    int WifiEnterBootMode2(int index);
    int WifiSelectProcessor(int index, int processor);
    int WifiSelectBank(int index, std::uint32_t startAddress);
    int WifiProgramBlocks(int index);
    int WifiSendBlock(int index, std::uint32_t address, std::uint32_t nextAddress, const std::uint8_t* data, int count);
    int WifiCloseBank(int index);
    int WifiFinish(int index);
    int WifiReadProgress(int index, int& percent);

private:
    // Shows what a load found: labels, report, message box, log lines.
    void Show(const ImageLoad& load);
    void ForgetLengths();

    // Serial helpers (upgrade/SerialUpgrade.cpp).
    LogPane& Log();
    void Frame(std::uint16_t destination, std::uint8_t command, const std::vector<std::uint8_t>& data);
    int DrainPort();
    int WriteReadDump(int waitBefore, int waitAfter);
    int FindReply(int lead, int source, int length, std::uint8_t command, int crcOver, int& at) const;
    void SetProgrammingRate();
    void SetDevCell(int i, int col, const QString& text);
    void MarkInBootLoader(int i, int processor);
    void MarkProgrammed(int i);
    bool Eligible(int i, bool testStepOk) const;
    // Five tries of the two boot-mode handshakes with inverter i: 0 entered (InvStepOk set),
    // 1 every try failed, 2 the link failed.
    int EnterBootloaderTries(int i);
    template <typename Try>
    int Handshake(int i, int waitBefore, int waitAfter, int failPause, Try accepted, const QString& okLine,
                  const QString& errorLine, bool errorRed);

    // Wi-Fi run helpers (upgrade/WifiUpgrade.cpp).
    int WifiConnect();
    void WifiBuild(int index, std::uint8_t command, const std::vector<std::uint8_t>& data, int lengthByte);
    int WifiExchange(int index, std::uint8_t command, const std::vector<std::uint8_t>& data, int lengthByte,
                     int seconds, bool logRx);
    bool WifiAccepted(int index, int length, std::uint8_t command, bool anySource = false) const;
    int WifiReconnect(const char* failureLine);
    std::vector<std::uint8_t> wifiTx_;
    std::string wifiHost_;
    std::string wifiPort_;
};

// The one engine of the program, alive for the whole run.
upgradeTool& UpgradeEngine();

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
};

class KivClient;

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
    // Loads the Intel-HEX image named by the path edit: 0 when loaded, 1 when not.
    int LoadHexFile();
    // Loads the raw image named by the path edit: 0 when loaded, 1 when not.
    int LoadBinFile();

    // True when a present inverter carries a version-2 boot loader.
    bool OldBootLoaderPresent() const;

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
    // Reads the file named by the path edit, at most `limit` bytes. False when it cannot be
    // read; the lengths are forgotten and a file too large is logged as "<kind> File Error".
    bool ReadViewFile(std::int64_t limit, const char* kind, QByteArray& bytes);

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

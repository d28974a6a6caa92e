// The load half of the upgrade page: choosing an image with the open dialog or by dropping it
// on the window, loading it into the engine, and enabling the start button after a good load.
// The main window wires its controls in through an UpgradeView and the link's state through
// the hooks below, for example:
//
//   view = KitUpgradeView(*Edit_HEXPath, *Grid_HEX, *Btn_UpgradeStart, *this,
//                         upgradeLogPane /* List_UpgradeEvent */, eventLogPane /* List_Event */);
//   page = UpgradePage(UpgradeEngine(), view);
//   page.LinkOpen = [this] { return !OpenPort->Enabled(); };
//   page.LinkType = [this] { return Link.LinkType; };
//   page.RescanIds = [this] { Btn_ScanIDClick(Btn_ScanID); };
//   Btn_LoadHEX->OnClick = [this](TObject*) { page.Btn_LoadHEXClick(); };
//   OnDropFiles = [this](TObject*, const QStringList& files) { page.DropFiles(files); };
//
// Grid_HEX keeps the grid's default column width of 25 pixels, with one fixed row and column.
#pragma once

#include "upgrade/Upgrade.h"

#include <QString>
#include <QStringList>

#include <functional>

class UpgradePage {
public:
    UpgradePage(upgradeTool& tool, UpgradeView& view);

    // Link types as the device link counts them.
    enum { LinkRs485 = 1, LinkWifi = 2, LinkRadio = 3 };

    // True while a link is open (the open button disabled).
    std::function<bool()> LinkOpen;
    // The open link's type.
    std::function<int()> LinkType;
    // The click of the scan button: rescans the slave IDs (nothing on Wi-Fi).
    std::function<void()> RescanIds;
    // RS-485 only, around the HEX loader: before it the inverter table and the boot-loader
    // versions (the loader limits the block size for version-2 boot loaders), after a good load
    // the survey, the inverter grid and the automatic selection.
    std::function<void()> BeforeHexLoad;
    std::function<void()> AfterHexLoad;

    // The load button: the open dialog, a rescan, the load. A cancelled dialog disables the start.
    void Btn_LoadHEXClick();
    // Loads the file named in the path edit. Always 0.
    int LoadUpgradeFile();
    // Files dropped on the main window: only the first counts, and only when its name ends in
    // "hex" (any letter case). True when it was taken.
    bool DropFiles(const QStringList& names);
    static bool AcceptsDroppedName(const QString& name);
    // ".BIN" or ".bin", from the last "." on.
    static bool IsBinName(const QString& name);

    // While a load runs (its survey and message boxes let other clicks run) no other load starts.
    bool Busy() const { return busy_; }
    // Whether the image that loaded last is a BIN image; recorded at load for the start.
    bool ImageIsBin() const { return imageIsBin_; }

private:
    int Load();

    upgradeTool& tool_;
    UpgradeView& view_;
    bool busy_ = false;
    bool imageIsBin_ = false;
    QString shownPath_;   // the file whose image (or failed load) the page shows
};

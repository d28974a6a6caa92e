// The upgrade page's controls as the image loaders see them: the block grid, the path edit,
// the meta-block labels, the start button and the two log panes of the main window.
#pragma once

#include "upgrade/Upgrade.h"

#include "link/LogPane.h"

#include <functional>
#include <memory>

namespace vcl {
class TButton;
class TComponent;
class TEdit;
class TStringGrid;
} // namespace vcl

// The block grid on the kit's string grid. The grid keeps cells outside its counts; the
// adapter remembers how far the image reached so that clearing empties all of it.
class KitHexGrid : public CellGrid {
public:
    enum class Fit { AddressColumn, EveryText };
    // AddressColumn: the block grid, whose address column always fits eight hexadecimal digits.
    // EveryText: the inverter grid, whose columns grow to fit every caption and value written.
    explicit KitHexGrid(vcl::TStringGrid& grid, Fit fit = Fit::AddressColumn) : grid_(grid), fit_(fit) {}
    QString Cell(int col, int row) const override;
    void SetCell(int col, int row, const QString& text) override;
    int RowCount() const override;
    int ColCount() const override;
    void SetRowCount(int rows) override;
    void SetColCount(int cols) override;
    void SetColWidth(int col, int width) override;
    void ClearCells() override;

private:
    static constexpr int kAddressColumn = 1;
    // The width a text needs in the grid's own font, with the view's cell margins.
    int Needed(const QString& text) const;
    vcl::TStringGrid& grid_;
    Fit fit_;
    int rowsWritten_ = 0;
    int colsWritten_ = 0;
};

class KitUpgradeView : public UpgradeView {
public:
    // labelOwner owns the meta-block labels (L_METAVERSION ...) and Combo_Delay, found by name.
    KitUpgradeView(vcl::TEdit& pathEdit, vcl::TStringGrid& grid, vcl::TButton& startButton,
                   vcl::TComponent& labelOwner, LogPane& upgradeLog, LogPane& eventLog);

    QString HexPath() const override;
    void SetHexPath(const QString& path) override;
    CellGrid& HexGrid() override { return grid_; }
    void SetMetaText(const QString& control, const QString& text) override;
    void UpgradeLog(const QString& line) override;
    void EventLog(const QString& line) override;
    void SetStartEnabled(bool enabled) override;
    bool StartEnabled() const override;
    LogPane& UpgradePane() override { return upgradeLog_; }
    LogPane& EventPane() override { return eventLog_; }
    void SetProgress(int percent) override;
    void SetStatusPanel(int index, const QString& text) override;
    void Pump() override;
    CellGrid* DeviceGrid() override { return dev_.get(); }
    // Grid_Dev, the inverters found on the bus.
    void SetDeviceGrid(vcl::TStringGrid& grid) { dev_ = std::make_unique<KitHexGrid>(grid, KitHexGrid::Fit::EveryText); }

    // The progress bar and the status bar's panels, wired by the window.
    std::function<void(int)> Progress;
    std::function<void(int, const QString&)> StatusPanel;

private:
    vcl::TEdit& pathEdit_;
    KitHexGrid grid_;
    vcl::TButton& start_;
    vcl::TComponent& labelOwner_;
    LogPane& upgradeLog_;
    LogPane& eventLog_;
    std::unique_ptr<KitHexGrid> dev_;
};

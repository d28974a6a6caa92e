#include "upgrade/UpgradeKitView.h"

#include "vcl/Services.h"

#include "link/CommLog.h"
#include "vcl/StdCtrls.h"
#include "vcl/StringGrid.h"

#include <algorithm>

QString KitHexGrid::Cell(int col, int row) const
{
    return grid_.Cells(col, row);
}

void KitHexGrid::SetCell(int col, int row, const QString& text)
{
    if (!text.isEmpty()) {
        rowsWritten_ = std::max(rowsWritten_, row + 1);
        colsWritten_ = std::max(colsWritten_, col + 1);
        if (fit_ == Fit::EveryText && grid_.ColWidths(col) < Needed(text))
            grid_.SetColWidths(col, Needed(text));
    }
    grid_.SetCells(col, row, text);
}

int KitHexGrid::Needed(const QString& text) const
{
    constexpr int kCellPadding = 12; // the view's cell margins on both sides
    return grid_.TextWidth(text) + kCellPadding;
}

int KitHexGrid::RowCount() const { return grid_.RowCount(); }
int KitHexGrid::ColCount() const { return grid_.ColCount(); }
void KitHexGrid::SetRowCount(int rows) { grid_.SetRowCount(rows); }
void KitHexGrid::SetColCount(int cols) { grid_.SetColCount(cols); }
// A nominal width cuts texts off in a larger font: the block grid's address column always fits
// its eight hexadecimal digits, and an inverter grid's column what it already holds; other
// columns take the width asked for.
void KitHexGrid::SetColWidth(int col, int width)
{
    if (fit_ == Fit::AddressColumn && col == kAddressColumn)
        width = std::max(width, Needed(QStringLiteral("00000000")));
    if (fit_ == Fit::EveryText)
        for (int row = 0; row < grid_.RowCount(); ++row)
            if (!grid_.Cells(col, row).isEmpty())
                width = std::max(width, Needed(grid_.Cells(col, row)));
    grid_.SetColWidths(col, width);
}

void KitHexGrid::ClearCells()
{
    const int rows = std::max(rowsWritten_, grid_.RowCount());
    const int cols = std::max(colsWritten_, grid_.ColCount());
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < cols; ++c)
            if (!grid_.Cells(c, r).isEmpty())
                grid_.SetCells(c, r, QString());
    rowsWritten_ = 0;
    colsWritten_ = 0;
}

KitUpgradeView::KitUpgradeView(vcl::TEdit& pathEdit, vcl::TStringGrid& grid, vcl::TButton& startButton,
                               vcl::TComponent& labelOwner, LogPane& upgradeLog, LogPane& eventLog)
    : pathEdit_(pathEdit), grid_(grid), start_(startButton), labelOwner_(labelOwner), upgradeLog_(upgradeLog),
      eventLog_(eventLog)
{
}

QString KitUpgradeView::HexPath() const { return pathEdit_.Text(); }
void KitUpgradeView::SetHexPath(const QString& path) { pathEdit_.SetText(path); }

void KitUpgradeView::SetMetaText(const QString& control, const QString& text)
{
    if (auto* c = dynamic_cast<vcl::TControl*>(labelOwner_.FindComponent(control)))
        c->SetText(text);
}

void KitUpgradeView::UpgradeLog(const QString& line) { AppendLogLineNow(upgradeLog_, line); }
void KitUpgradeView::EventLog(const QString& line) { AppendLogLineNow(eventLog_, line); }
void KitUpgradeView::SetStartEnabled(bool enabled) { start_.SetEnabled(enabled); }
bool KitUpgradeView::StartEnabled() const { return start_.Enabled(); }

void KitUpgradeView::SetProgress(int percent)
{
    if (Progress)
        Progress(percent);
}

void KitUpgradeView::SetStatusPanel(int index, const QString& text)
{
    if (StatusPanel)
        StatusPanel(index, text);
}

void KitUpgradeView::Pump() { vcl::ProcessMessages(); }

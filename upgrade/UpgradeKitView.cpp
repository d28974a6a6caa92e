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
    }
    grid_.SetCells(col, row, text);
}

int KitHexGrid::RowCount() const { return grid_.RowCount(); }
int KitHexGrid::ColCount() const { return grid_.ColCount(); }
void KitHexGrid::SetRowCount(int rows) { grid_.SetRowCount(rows); }
void KitHexGrid::SetColCount(int cols) { grid_.SetColCount(cols); }
// The address column always fits its eight hexadecimal digits in the grid's own font (a
// nominal width cuts them off with a larger font); the other columns take the width asked for.
void KitHexGrid::SetColWidth(int col, int width)
{
    if (col == kAddressColumn) {
        constexpr int kCellPadding = 12; // the view's cell margins on both sides
        width = std::max(width, grid_.TextWidth(QStringLiteral("00000000")) + kCellPadding);
    }
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

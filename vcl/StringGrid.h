// TStringGrid: a grid of texts addressed as Cells(col, row), column first as in the class library.
//
// The texts live in the kit's own store, not in one widget per cell, so a grid with tens of
// thousands of rows stays fast; the view draws only what is on screen. The store is independent
// of RowCount and ColCount: a cell outside the current counts is KEPT (making RowCount smaller
// and then larger shows the old cells again) and may be written (the text is stored and shows
// once the counts include it). Negative indexes read as an empty text and are not written.
// The first FixedRows rows and FixedCols columns are drawn as headings.
#pragma once

#include "vcl/Controls.h"

#include <QPixmap>

#include <map>
#include <memory>
#include <vector>

namespace vcl {

class TStringGrid : public TWinControl {
public:
    explicit TStringGrid(TComponent* Owner);
    ~TStringGrid() override;
    QString ClassName() const override { return QStringLiteral("TStringGrid"); }

    QString Cells(int col, int row) const;
    void SetCells(int col, int row, const QString& text);

    int RowCount() const { return rowCount_; }
    void SetRowCount(int n);
    int ColCount() const { return colCount_; }
    void SetColCount(int n);
    int FixedRows() const { return fixedRows_; }
    void SetFixedRows(int n);
    int FixedCols() const { return fixedCols_; }
    void SetFixedCols(int n);

    int DefaultColWidth() const { return defaultColWidth_; }
    void SetDefaultColWidth(int w);
    int DefaultRowHeight() const { return defaultRowHeight_; }
    void SetDefaultRowHeight(int h);
    int ColWidths(int col) const;
    void SetColWidths(int col, int width);

    // The selected cell (the class library's Row and Col).
    int Row() const { return row_; }
    int Col() const { return col_; }
    void SetRow(int row);
    void SetCol(int col);
    // The first row shown below the fixed rows.
    int TopRow() const;
    void SetTopRow(int row);

    // Cell colours for drawing (clDefault = the grid's own).
    void SetCellColor(int col, int row, TColor text, TColor background);

    // A picture drawn at the left of a cell's text (a file or a Qt resource ":/..."); an empty
    // path removes it. False when the picture cannot be read.
    bool SetCellPicture(int col, int row, const QString& path);

    // Fires when the user selects a cell.
    std::function<void(TObject* Sender, int Col, int Row, bool& CanSelect)> OnSelectCell;

    // Kit use: stored cell colours, or false.
    bool CellColor(int col, int row, TColor& text, TColor& background) const;

private:
    class Model;
    void Reshape();
    void ScheduleRepaint();
    std::unique_ptr<Model> model_;
    std::vector<std::vector<QString>> cells_; // [row][col]
    std::vector<std::vector<std::pair<TColor, TColor>>> colors_; // [row][col], sparse by size
    std::vector<int> colWidths_;
    std::map<std::pair<int, int>, QPixmap> pictures_; // (col, row)
    int rowCount_ = 5, colCount_ = 5, fixedRows_ = 1, fixedCols_ = 1;
    int defaultColWidth_ = 64, defaultRowHeight_ = 24;
    int row_ = 1, col_ = 1;
    bool repaintPending_ = false;
    bool syncing_ = false;
};

} // namespace vcl

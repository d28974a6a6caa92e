#include "vcl/StringGrid.h"

#include "vcl/KitPrivate.h"

#include <QAbstractTableModel>
#include <QApplication>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QPalette>
#include <QScrollBar>
#include <QTableView>
#include <QTimer>

#include <algorithm>

namespace vcl {

// Serves the grid's store to the view; nothing is copied.
class TStringGrid::Model : public QAbstractTableModel {
public:
    explicit Model(TStringGrid* grid) : grid_(grid) {}
    int rowCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : std::max(0, grid_->rowCount_); }
    int columnCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : std::max(0, grid_->colCount_); }
    QVariant data(const QModelIndex& index, int role) const override
    {
        const int col = index.column(), row = index.row();
        switch (role) {
        case Qt::DisplayRole:
            return grid_->Cells(col, row);
        case Qt::BackgroundRole: {
            TColor text, back;
            if (grid_->CellColor(col, row, text, back) && back != clDefault)
                return detail::ToQColor(back);
            if (row < grid_->fixedRows_ || col < grid_->fixedCols_)
                return QApplication::palette().color(QPalette::Button);
            return {};
        }
        case Qt::DecorationRole: {
            auto it = grid_->pictures_.find({col, row});
            return it == grid_->pictures_.end() ? QVariant() : QVariant(it->second);
        }
        case Qt::ForegroundRole: {
            TColor text, back;
            if (grid_->CellColor(col, row, text, back) && text != clDefault)
                return detail::ToQColor(text);
            return {};
        }
        default:
            return {};
        }
    }
    Qt::ItemFlags flags(const QModelIndex& index) const override
    {
        if (index.row() < grid_->fixedRows_ || index.column() < grid_->fixedCols_)
            return Qt::ItemIsEnabled;
        return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    }
    void Reset() { beginResetModel(); endResetModel(); }

private:
    TStringGrid* grid_;
};

TStringGrid::TStringGrid(TComponent* Owner) : TWinControl(Owner, new QTableView), model_(std::make_unique<Model>(this))
{
    auto* view = static_cast<QTableView*>(Handle());
    view->setModel(model_.get());
    view->horizontalHeader()->hide();
    view->verticalHeader()->hide();
    view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view->verticalHeader()->setDefaultSectionSize(defaultRowHeight_);
    view->horizontalHeader()->setDefaultSectionSize(defaultColWidth_);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    WatchWidget(view->viewport());
    QObject::connect(view->selectionModel(), &QItemSelectionModel::currentChanged, view,
                     [this](const QModelIndex& now, const QModelIndex& before) {
                         if (syncing_ || !now.isValid())
                             return;
                         bool can = true;
                         if (OnSelectCell)
                             Guarded([&] { OnSelectCell(this, now.column(), now.row(), can); });
                         if (!can) {
                             syncing_ = true;
                             static_cast<QTableView*>(Handle())->setCurrentIndex(before);
                             syncing_ = false;
                             return;
                         }
                         col_ = now.column();
                         row_ = now.row();
                     });
    SetBounds(0, 0, 320, 120);
}

TStringGrid::~TStringGrid()
{
    // The view must let go of the model before the model goes.
    if (auto* view = static_cast<QTableView*>(Handle()))
        view->setModel(nullptr);
}

QString TStringGrid::Cells(int col, int row) const
{
    if (row < 0 || col < 0 || row >= static_cast<int>(cells_.size()))
        return {};
    const auto& line = cells_[static_cast<size_t>(row)];
    if (col >= static_cast<int>(line.size()))
        return {};
    return line[static_cast<size_t>(col)];
}

void TStringGrid::SetCells(int col, int row, const QString& text)
{
    if (row < 0 || col < 0)
        return;
    if (row >= static_cast<int>(cells_.size())) {
        if (text.isEmpty())
            return; // nothing to keep
        cells_.resize(static_cast<size_t>(row) + 1);
    }
    auto& line = cells_[static_cast<size_t>(row)];
    if (col >= static_cast<int>(line.size())) {
        if (text.isEmpty())
            return;
        line.resize(static_cast<size_t>(col) + 1);
    }
    line[static_cast<size_t>(col)] = text;
    if (row < rowCount_ && col < colCount_)
        ScheduleRepaint();
}

void TStringGrid::ScheduleRepaint()
{
    // Many cell writes in a row cost one repaint of what is on screen.
    if (repaintPending_)
        return;
    repaintPending_ = true;
    QWidget* view = Handle();
    QTimer::singleShot(0, view, [this] {
        repaintPending_ = false;
        if (Handle())
            static_cast<QTableView*>(Handle())->viewport()->update();
    });
}

void TStringGrid::Reshape()
{
    syncing_ = true;
    model_->Reset();
    auto* view = static_cast<QTableView*>(Handle());
    for (int c = 0; c < static_cast<int>(colWidths_.size()) && c < colCount_; ++c)
        if (colWidths_[static_cast<size_t>(c)] >= 0)
            view->setColumnWidth(c, colWidths_[static_cast<size_t>(c)]);
    if (row_ < rowCount_ && col_ < colCount_)
        view->setCurrentIndex(model_->index(row_, col_));
    syncing_ = false;
}

void TStringGrid::SetRowCount(int n)
{
    rowCount_ = std::max(0, n);
    Reshape();
}

void TStringGrid::SetColCount(int n)
{
    colCount_ = std::max(0, n);
    Reshape();
}

void TStringGrid::SetFixedRows(int n)
{
    fixedRows_ = std::max(0, n);
    Reshape();
}

void TStringGrid::SetFixedCols(int n)
{
    fixedCols_ = std::max(0, n);
    Reshape();
}

void TStringGrid::SetDefaultColWidth(int w)
{
    defaultColWidth_ = w;
    static_cast<QTableView*>(Handle())->horizontalHeader()->setDefaultSectionSize(w);
    Reshape();
}

void TStringGrid::SetDefaultRowHeight(int h)
{
    defaultRowHeight_ = h;
    static_cast<QTableView*>(Handle())->verticalHeader()->setDefaultSectionSize(h);
}

int TStringGrid::ColWidths(int col) const
{
    if (col >= 0 && col < static_cast<int>(colWidths_.size()) && colWidths_[static_cast<size_t>(col)] >= 0)
        return colWidths_[static_cast<size_t>(col)];
    return defaultColWidth_;
}

void TStringGrid::SetColWidths(int col, int width)
{
    if (col < 0)
        return;
    if (col >= static_cast<int>(colWidths_.size()))
        colWidths_.resize(static_cast<size_t>(col) + 1, -1);
    colWidths_[static_cast<size_t>(col)] = width;
    if (col < colCount_)
        static_cast<QTableView*>(Handle())->setColumnWidth(col, width);
}

void TStringGrid::SetRow(int row)
{
    row_ = row;
    syncing_ = true;
    static_cast<QTableView*>(Handle())->setCurrentIndex(model_->index(row_, col_));
    syncing_ = false;
}

void TStringGrid::SetCol(int col)
{
    col_ = col;
    syncing_ = true;
    static_cast<QTableView*>(Handle())->setCurrentIndex(model_->index(row_, col_));
    syncing_ = false;
}

int TStringGrid::TopRow() const
{
    return fixedRows_ + static_cast<QTableView*>(Handle())->verticalScrollBar()->value();
}

void TStringGrid::SetTopRow(int row)
{
    static_cast<QTableView*>(Handle())->verticalScrollBar()->setValue(std::max(0, row - fixedRows_));
}

void TStringGrid::SetCellColor(int col, int row, TColor text, TColor background)
{
    if (row < 0 || col < 0)
        return;
    if (row >= static_cast<int>(colors_.size()))
        colors_.resize(static_cast<size_t>(row) + 1);
    auto& line = colors_[static_cast<size_t>(row)];
    if (col >= static_cast<int>(line.size()))
        line.resize(static_cast<size_t>(col) + 1, {clDefault, clDefault});
    line[static_cast<size_t>(col)] = {text, background};
    ScheduleRepaint();
}

bool TStringGrid::SetCellPicture(int col, int row, const QString& path)
{
    if (path.isEmpty()) {
        pictures_.erase({col, row});
        ScheduleRepaint();
        return true;
    }
    QPixmap pm;
    if (!pm.load(path))
        return false;
    pictures_[{col, row}] = pm;
    ScheduleRepaint();
    return true;
}

bool TStringGrid::CellColor(int col, int row, TColor& text, TColor& background) const
{
    if (row < 0 || col < 0 || row >= static_cast<int>(colors_.size()))
        return false;
    const auto& line = colors_[static_cast<size_t>(row)];
    if (col >= static_cast<int>(line.size()))
        return false;
    text = line[static_cast<size_t>(col)].first;
    background = line[static_cast<size_t>(col)].second;
    return true;
}

} // namespace vcl

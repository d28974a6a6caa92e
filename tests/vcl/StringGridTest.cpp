#include "KitTestApp.h"
#include "vcl/Forms.h"
#include "vcl/StringGrid.h"

#include <gtest/gtest.h>

using namespace vcl;

namespace {

class StringGridTest : public ::testing::Test {
protected:
    void SetUp() override { EnsureApp(); }
};

TEST_F(StringGridTest, CellsOutsideTheCountsAreKept)
{
    TForm form;
    auto* grid = new TStringGrid(&form);
    grid->SetParent(&form);
    grid->SetColCount(3);
    grid->SetRowCount(10);
    for (int r = 0; r < 10; ++r)
        grid->SetCells(2, r, QString("row%1").arg(r));

    // Shrinking hides rows but keeps their texts; growing shows them again.
    grid->SetRowCount(2);
    EXPECT_EQ(grid->RowCount(), 2);
    EXPECT_EQ(grid->Cells(2, 7), "row7");
    grid->SetRowCount(10);
    EXPECT_EQ(grid->Cells(2, 9), "row9");

    // A write beyond both counts is stored and reads back.
    grid->SetCells(5, 40, "far");
    EXPECT_EQ(grid->Cells(5, 40), "far");
    EXPECT_EQ(grid->RowCount(), 10);
    EXPECT_EQ(grid->ColCount(), 3);
    grid->SetColCount(6);
    grid->SetRowCount(41);
    EXPECT_EQ(grid->Cells(5, 40), "far");

    // Unwritten and negative cells read empty; a negative write is dropped.
    EXPECT_EQ(grid->Cells(0, 1000), "");
    EXPECT_EQ(grid->Cells(-1, 0), "");
    grid->SetCells(-1, -1, "x");
    EXPECT_EQ(grid->Cells(-1, -1), "");
}

TEST_F(StringGridTest, ColumnFirstAddressingAndDefaults)
{
    TForm form;
    TStringGrid grid(&form);
    EXPECT_EQ(grid.ColCount(), 5);
    EXPECT_EQ(grid.RowCount(), 5);
    EXPECT_EQ(grid.FixedRows(), 1);
    grid.SetCells(1, 3, "c1r3");
    EXPECT_EQ(grid.Cells(1, 3), "c1r3");
    EXPECT_EQ(grid.Cells(3, 1), "");
    EXPECT_EQ(grid.ClassName(), "TStringGrid");
}

TEST_F(StringGridTest, ManyRowsStayCheapAndShow)
{
    TForm form;
    auto* grid = new TStringGrid(&form);
    grid->SetParent(&form);
    grid->SetColCount(4);
    grid->SetRowCount(20001);
    for (int r = 1; r <= 20000; ++r)
        for (int c = 0; c < 4; ++c)
            grid->SetCells(c, r, QString::number(r * 4 + c));
    form.Show();
    QApplication::processEvents();
    EXPECT_EQ(grid->Cells(3, 20000), QString::number(80003));
    EXPECT_EQ(grid->Cells(0, 1), "4");
}

} // namespace

// A cell store for the fuzz targets: it keeps the first rows only, so that an image of the
// largest accepted size costs time but no memory.
#pragma once

#include "upgrade/HexGrid.h"

class FuzzGrid : public MemoryGrid {
public:
    static constexpr int KeptRows = 2048;
    void SetCell(int col, int row, const QString& text) override
    {
        if (row < KeptRows)
            MemoryGrid::SetCell(col, row, text);
    }
};

// Reads the first rows back as the programming steps do, both ways, which must agree.
inline void ReadBack(const CellGrid& grid, const HexInfo& info, const QString& stop)
{
    const HexGridReader reader(grid);
    GridBlock block, same;
    for (int row = 1; row < 256 && ReadHexGridBlock(row, block, grid, info.BlockSize, stop) == 0; ++row) {
        if (reader.Read(row, same, info.BlockSize, stop) != 0 || same.Address != block.Address
            || same.NextAddress != block.NextAddress || same.Data != block.Data)
            __builtin_trap();
        FindHexGridRow(block.Address + 1, grid);
    }
}

// The BIN loader from a file's bytes: rows, swapped marker search, meta block, seeded CRC.
#include "FuzzGrid.h"

#include "upgrade/ImageLoad.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    FuzzGrid grid;
    HexInfo info;
    ImageLoad load = LoadBinImage(bytes, info, grid);
    if (load.Result == 0) {
        if (info.Length20 != static_cast<int>(size / 128) * 128 || info.Processor >= 10)
            __builtin_trap();
        ReadBack(grid, info, QStringLiteral("0xF0000000"));
    }
    return 0;
}

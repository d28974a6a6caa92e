// The HEX loader from a file's text: records, marker search, meta block, grid layout, lengths
// and CRCs, and reading the blocks back.
#include "FuzzGrid.h"

#include "upgrade/ImageLoad.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // The whole input is the file; its length's parity decides whether an inverter with a
    // version-2 boot loader is present, so that the seed images load as they are.
    const bool oldBootLoader = size & 1;
    const QByteArray text(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    FuzzGrid grid;
    HexInfo info;
    ImageLoad load = LoadHexImage(text, info, oldBootLoader, grid);
    if (load.Result == 0) {
        if (info.Length10 <= 0 || info.Length20 > info.Length10 || info.BlockSize + 9 > 255
            || info.Processor >= 10 || info.MetaBaudRate == 0)
            __builtin_trap();
        ReadBack(grid, info, info.StopAddressText);
    } else if (info.Length10 != 0 || info.Length20 != 0) {
        __builtin_trap();
    }
    return 0;
}

// One line of an Intel-HEX file, and the number texts the loaders read.
#include "upgrade/FirmwareImage.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const char* text = reinterpret_cast<const char*>(data);
    const int n = static_cast<int>(size);
    HexLine line = ParseHexLine(text, n);
    if (line.Status == HexLineStatus::Ok && (line.Count < 0 || line.Count > MaxRecordLength))
        __builtin_trap();
    const QString latin = QString::fromLatin1(text, n);
    FwStrToInt(latin);
    FwHexToInt(latin);
    return 0;
}

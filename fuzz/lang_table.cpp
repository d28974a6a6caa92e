// The language table from any bytes: rows of cells, none lost and none made up.
#include "design/LangTable.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QList<QStringList> rows = design::ReadLangTable(bytes);
    // Every cell is text of the file: the cells and their separators are never more characters
    // than the file holds (two bytes each, and one for an odd last byte).
    qsizetype chars = 0;
    for (const QStringList& cells : rows) {
        if (cells.isEmpty())
            __builtin_trap();
        for (const QString& cell : cells) {
            if (cell.contains(u'\t') || cell.contains(u'\n') || cell.contains(u'\r'))
                __builtin_trap();
            chars += cell.size() + 1;
        }
    }
    if (chars - 1 > static_cast<qsizetype>(size / 2 + 1))
        __builtin_trap();
    return 0;
}

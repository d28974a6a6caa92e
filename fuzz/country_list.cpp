// The mode's country list from any bytes: the lines read, the country box's items and codes.
#include "FuzzFiles.h"

#include "design/CountryList.h"

using namespace design;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzzfiles::Put(QStringLiteral("Mode/CountryList.RQX"), data, size);
    CountryList list;
    if (LoadCountryList(fuzzfiles::Folder().filePath(QStringLiteral("Mode")), list) != 0)
        __builtin_trap();
    if (list.codeCount < 0 || list.codeCount > kCountryListSize)
        __builtin_trap();
    for (int k = 0; k < list.codeCount; ++k)
        if (list.codes[static_cast<std::size_t>(k)] < 0 || list.codes[static_cast<std::size_t>(k)] >= kCountryListSize)
            __builtin_trap();
    const QStringList items = CountryBoxItems(list);
    // Every item has its code, and the code's line holds the item.
    if (items.size() > list.codeCount)
        __builtin_trap();
    for (qsizetype k = 0; k < items.size(); ++k)
        if (!list.names[static_cast<std::size_t>(list.codes[static_cast<std::size_t>(k)])].startsWith(items[k]))
            __builtin_trap();
    return 0;
}

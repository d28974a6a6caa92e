// The mode's country list "CountryList.RQX": one country name per line; the line number
// (counted from 0, blank lines included) is the country code written to the inverter.
#pragma once

#include <QString>
#include <QStringList>
#include <array>

namespace design {

inline constexpr int kCountryListSize = 300;

struct CountryList {
    // Entry i = line i as read, its line end ("\n") kept. Entry 0 is "NONE" when the file could
    // not be opened: the country box then uses the built-in list.
    std::array<QString, kCountryListSize> names;
    // Line numbers of the lines counted as countries (longer than one character, line end
    // included), in file order; codes[k] belongs to the k-th item of the country box.
    std::array<int, kCountryListSize> codes{};
    int codeCount = 0; // entries of `codes` filled by the last read

    bool UsesBuiltIn() const { return names[0] == QLatin1StringView("NONE"); }
};

// Reads modeFolder/CountryList.RQX into `list`, always returns 0. Both tables are emptied first,
// so nothing of an earlier mode's list survives. A missing or unreadable file sets names[0] to
// "NONE". Lines end in LF or CR LF (read as LF); text is UTF-8, a piece that is not valid UTF-8
// is read as Latin-1. At most 300 pieces are read; a line of 99 or more bytes is read in pieces
// of at most 99 bytes, each taking a line number of its own.
int LoadCountryList(const QString& modeFolder, CountryList& list);

// Items of the country box for a list: the entries in order up to the first entry equal to
// "END", each entry longer than one character, shown without its line end. Item k's code is
// list.codes[k].
QStringList CountryBoxItems(const CountryList& list);

} // namespace design

// "profile/PreviousSet.RQX": the scan range, the interface language and the slave IDs found by
// the last scan with their bit-rate codes, kept between runs.
#pragma once

#include <QString>
#include <array>

namespace design {

inline constexpr int kPreviousSetMaxId = 253; // keys ID1..ID253

struct PreviousSet {
    QString startId;       // text of Edit_StartID, unchanged (section Search, key StartID)
    QString endId;         // text of Edit_EndID (Search/EndID)
    int languageIndex = 0; // 0 English, 1 German, 2 French (Language/Set)
    // Indexed by slave ID like the link object's tables (entry 0 unused, entries 254, 255 never
    // read or written here): idFound[i] == i when ID i was found, idBaudCode[i] its code 1..3.
    std::array<int, 256> idFound{};
    std::array<int, 256> idBaudCode{};
};

// Reads the file into `p`: Search/StartID, Search/EndID (missing gives empty text), Language/Set,
// then InvExist/ID1..ID253. A language outside 0..2 reads as 0 (English). A bit-rate code
// outside 1..3 (0, negative, invalid, too large) means not found: idFound[i] = idBaudCode[i] = 0.
// Entries 1..253 are all rewritten. Returns 1 when the file is missing (nothing changed, no
// message), else 0.
int LoadPreviousSet(const QString& path, PreviousSet& p);

// Writes Language/Set, Search/StartID, Search/EndID, then InvExist/ID1..ID253 (the code when
// idFound[i] == i, else 0), key by key. Returns 1 when the file is missing (nothing written, no
// message, not created); 2 when it could not be written (after one message box "Unable to write
// to <path>"); else 0.
int SavePreviousSet(const QString& path, const PreviousSet& p);

} // namespace design

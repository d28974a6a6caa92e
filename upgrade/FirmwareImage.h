// Firmware images as the loaders read them: one record of an image, the values of the loaded
// image, the markers around the meta block, the Intel-HEX line parser and the marker searches.
// Everything here is pure: no window, no file dialog, no link.
#pragma once

#include <QByteArray>
#include <QString>

#include <array>
#include <cstdint>
#include <vector>

// One record of an image: a HEX data record, or one 128-byte row of a BIN image.
struct HexStruct {
    std::uint32_t Address = 0;               // first data byte (HEX: field + base address)
    std::array<std::uint8_t, 128> Data{};    // the record's data bytes
    std::int32_t Length = 0;                 // bytes of Data in use (0..128)
};

using HexRecordList = std::vector<HexStruct>;

// The values of the loaded image: the decoded meta block, the delays, and the lengths and
// CRCs of the two programming modes.
struct HexInfo {
    std::uint8_t MetaVersionMajor = 0;
    std::uint8_t MetaVersionMinor = 0;
    QString ProductIdText;       // "0x" + 8 digits
    std::int32_t Processor = 0;
    std::int32_t HwMajor = 0;
    std::int32_t HwMinor = 0;
    std::int32_t SwMajor = 0;
    std::int32_t SwMinor = 0;
    QString StartAddressText;    // "0x" + 8 digits
    QString StopAddressText;     // "0x" + 8 digits
    std::int32_t EraseSize = 0;
    std::int32_t BlockSize = 0;  // the meta block's value, then the grid's block size (HEX)
    QString FillValueText;       // "0x" + 2 digits
    QString ChecksumText;        // "0x" + 4 digits; shown, never tested
    std::int32_t DelayBase = 0;
    std::int32_t BlockDelay = 0;
    std::int32_t MetaBaudRate = 0;
    std::int32_t Length10 = 0;
    std::int32_t Crc10 = 0;
    std::int32_t Length20 = 0;
    std::int32_t Crc20 = 0;
};

// The two 7-byte keys: start and end marker of the meta block in HEX images.
inline constexpr std::array<std::uint8_t, 7> BootKey1{0x5A, 0xC3, 0x21, 0x9E, 0x47, 0xB8, 0x0D};
inline constexpr std::array<std::uint8_t, 7> BootKey2{0xE4, 0x17, 0x6B, 0xD2, 0x38, 0xA9, 0xF1};
// BIN images hold 16-bit words with their bytes exchanged: the first three words of each key.
inline constexpr std::array<std::uint8_t, 6> BootKey1Swapped{0xC3, 0x5A, 0x9E, 0x21, 0xB8, 0x47};
inline constexpr std::array<std::uint8_t, 6> BootKey2Swapped{0x17, 0xE4, 0xD2, 0x6B, 0xA9, 0x38};

inline constexpr int MetaBlockSize = 27;
inline constexpr int MaxRecordLength = 128;
inline constexpr int BinRowSize = 128;
inline constexpr std::uint32_t BinBaseAddress = 0x80000000u;

// --- numbers as the program reads them -------------------------------------------------------

// The program's text-to-number rule: optional sign and decimal digits, or hexadecimal after
// "$", "0x", "0X", "x" or "X" (eight digits wrap to negative); anything else, or a value
// outside 32 bits, gives 0.
std::int32_t FwStrToInt(const QString& text);
// FwStrToInt("0x" + text), without building the text.
std::int32_t FwHexToInt(const QString& text);

// --- Intel-HEX lines --------------------------------------------------------------------------

enum class HexLineStatus { Ok, NotRecord, BadChecksum, BadRecord };

// One parsed line of a HEX file.
struct HexLine {
    HexLineStatus Status = HexLineStatus::NotRecord;
    int Type = -1;                  // record type TT
    std::uint32_t Field = 0;        // the 16-bit address field
    int Count = 0;                  // LL
    std::array<std::uint8_t, 128> Data{};
    QString AddressChars;           // the address field as written in the file
};

// Parses one line (without its line end; a trailing CR or blanks are ignored). A line that
// does not begin with ':' is NotRecord. A record is BadRecord when it holds a character that
// is not hexadecimal, its length does not match its count byte, or it claims more than 128
// data bytes; BadChecksum when its checksum is wrong.
HexLine ParseHexLine(const char* text, int length);

// The result of reading a HEX file's text into a record list.
struct HexReadResult {
    HexRecordList Records;
    bool Ok = true;
    QString ErrorLine;              // the log line that tells why, when not Ok
    bool EndRecord = false;         // reading stopped at the end record, not at the end of the text
};

// Reads the records of a HEX file's text: data records with their base addresses (02, 04),
// stopping at the end record (01) or the end of the text; lines not beginning with ':' are
// ignored. The first bad record ends reading with its log line ("CheckSUM Error: " or
// "Hex Record Error: " followed by the record's four address characters).
HexReadResult ReadHexRecords(const QByteArray& text);

// --- BIN images -------------------------------------------------------------------------------

// The whole 128-byte rows of a BIN image as records (the bytes after the last whole row are
// not part of the image).
HexRecordList BinRecords(const QByteArray& bytes);

// --- marker searches --------------------------------------------------------------------------

// HEX: the index of the record in which BootKey1 ends, when BootKey2 ends one to four records
// later; else -1.
int FindMetaBlock(const HexRecordList& records);
// BIN: the index of the row in which the swapped start marker ends, when the swapped end marker
// ends in a row other than the first and not after it; else -1.
int FindMetaBlockSwapped(const HexRecordList& records);
// The first record other than record 0 in which the marker ends, walking the records as one
// byte stream; 0 when there is none.
int FindMarkerRecord(const HexRecordList& records, const std::uint8_t* marker, int markerLength);

// The meta block: the 27 bytes before the end marker, decoded into the image's values, the
// texts of the page's meta-block labels and the report lines of the communication log.
#pragma once

#include "upgrade/FirmwareImage.h"

#include <QString>
#include <QStringList>

#include <vector>

// One label text: the control's name (L_PRODUCTID, ..., Combo_Delay) and its text.
struct MetaLabelText {
    QString Control;
    QString Text;
};

// The meta-block values in the order of their labels and report lines: the control that shows
// a value (Combo_Delay for the delay) and the value's title.
struct MetaField {
    const char* Control;
    const char* Title;
};
inline constexpr MetaField kMetaFields[] = {
    {"L_METAVERSION", "MetaBlock Version"}, {"L_PRODUCTID", "Product ID"},
    {"L_PROCESSOR", "Processor"},           {"L_HVERSION", "Hardware Version"},
    {"L_SVERSION", "Software Version"},     {"L_STARTADDR", "Start Address"},
    {"L_STOPADDR", "Stop Address"},         {"L_ERASESIZE", "Erase Size"},
    {"L_FILLVALUE", "Fill Value"},          {"L_CHECKSUM", "Checksum"},
    {"L_BAUDRATE", "Baud Rate"},            {"L_PROGRAMSIZE", "Program Size"},
    {"Combo_Delay", "Delay"},
};

// A decoded meta block as data: the values, the label texts in the order they are given and
// the report lines in the order they are written.
struct MetaReport {
    HexInfo Info;                       // only the meta members are set
    std::vector<MetaLabelText> Labels;
    QStringList Lines;
};

// Major, ".", minor div 10, minor mod 10 ("2.03", "2.12", "2.123").
QString VersionText(int major, int minor);

// Decodes the 27 bytes in front of the given position of the end marker.
MetaReport DecodeMetaBlock(const std::uint8_t* meta);

// Searches the meta window from the record at index (HEX: that record and the four after it,
// at most 200 bytes; BIN, swapped: that row and the rows after it, at most 256 bytes) for the
// last whole end marker with at least 27 bytes in front of it, and decodes those bytes.
// Returns 0 with the report filled, non-zero when the window holds no usable end marker.
int DecodeMetaWindow(const HexRecordList& records, int index, bool swapped, MetaReport& report);

// The values a programming run cannot work with: a processor outside the version tables
// (0 to 9) or a programming bit rate of 0. Empty when the values are usable, else the log line.
QString MetaValueError(const HexInfo& info);

// Copies the meta members of a decoded block into the image's values; the delays, lengths
// and CRCs stay as they are.
void ApplyMetaValues(HexInfo& target, const HexInfo& decoded);

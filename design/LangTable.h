// The language table "profile/LangTable.RQX" of the program folder.
#pragma once

#include <QByteArray>
#include <QList>
#include <QStringList>

namespace design {

// The table's rows from the file's bytes: UTF-16 little-endian text (a byte-order mark is
// skipped; an odd last byte is no character and is dropped), one row per line (CR LF, LF or
// CR), cells split at TAB. Column 0 is the English caption; row 0 is a heading. A line end at the
// end of the text starts no further row.
QList<QStringList> ReadLangTable(QByteArray bytes);

} // namespace design

// The language table's rows from the file's UTF-16 bytes.
#include "design/LangTable.h"

#include <gtest/gtest.h>

namespace {

QByteArray Utf16(const QString& text)
{
    return QByteArray(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
}

TEST(LangTable, RowsAndCellsFromEveryLineEnd)
{
    struct Case {
        const char* what;
        QByteArray bytes;
        QList<QStringList> rows;
    };
    const QList<QStringList> two{{"English", "Deutsch"}, {"Grid", "Netz", "R\u00e9seau"}};
    const Case cases[] = {
        {"LF, last line without end", Utf16("English\tDeutsch\nGrid\tNetz\tR\u00e9seau"), two},
        {"CR LF with a final line end", Utf16("English\tDeutsch\r\nGrid\tNetz\tR\u00e9seau\r\n"), two},
        {"CR alone, byte-order mark", "\xFF\xFE" + Utf16("English\tDeutsch\rGrid\tNetz\tR\u00e9seau\r"), two},
        {"an empty line is a row of one empty cell", Utf16("a\n\nb\n"), {{"a"}, {""}, {"b"}}},
        {"empty file", QByteArray(), {{""}}},
        {"an odd last byte is no character", Utf16("ab") + "x", {{"ab"}}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(design::ReadLangTable(c.bytes), c.rows) << c.what;
}

} // namespace

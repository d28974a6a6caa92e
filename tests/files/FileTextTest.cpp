// The row splitter of the register list and the upload file, reading in bounded pieces, and the
// writers that put a line into a file whole or not at all.
#include "files/FileText.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using files::SplitDelimited;

QByteArray Read(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void Write(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

TEST(SplitDelimited, FollowsTheStringListRules)
{
    const struct {
        const char* row;
        QStringList fields;
    } cases[] = {
        {"Name,Address,Default\n", {"Name", "Address", "Default"}},
        // A blank splits an unquoted field; quotes keep blanks and commas.
        {"Grid Voltage,1024,230\n", {"Grid", "Voltage", "1024", "230"}},
        {"\"Grid Voltage\",1024,230\n", {"Grid Voltage", "1024", "230"}},
        {"\"a,b\"\"c\",x", {"a,b\"c", "x"}},
        {"\"never closed, still one", {"never closed, still one"}},
        // Two commas give an empty field; a last comma adds one only as the very last character.
        {"a,,b", {"a", "", "b"}},
        {"a,b,", {"a", "b", ""}},
        {"a,b,\n", {"a", "b"}},
        {"Limit,0x0400,x\r\n", {"Limit", "0x0400", "x"}},
        // Leading and trailing blanks and tabs around the separators are passed over.
        {"  \t a , b ,c", {"a", "b", "c"}},
        {"OnlyName\n", {"OnlyName"}},
        {"", {}},
        {"   \t\n", {}},
        {"\n", {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SplitDelimited(QString::fromUtf8(c.row)), c.fields) << c.row;
}

TEST(ReadRows, DropsCarriageReturnsAndCutsLongLinesInPieces)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("list.csv");
    const QByteArray longLine(300, 'x');
    // A line of 254 bytes fits with its line end; one of 255 leaves the line end a piece of its own.
    Write(path, "a,1,2\r\n" + longLine + "\r\n" + QByteArray(254, 'y') + "\n" + QByteArray(255, 'z') + "\n" +
                    "\xE4,9,1\r\nlast");
    std::vector<QString> rows;
    ASSERT_TRUE(files::ReadRows(path, rows));
    const std::vector<QString> expected = {
        "a,1,2\n",
        QString(255, 'x'),
        QString(45, 'x') + "\n",
        QString(254, 'y') + "\n",
        QString(255, 'z'),
        "\n",
        QString::fromUtf8("\xC3\xA4,9,1\n"),   // not UTF-8: read as Latin-1
        "last",
    };
    EXPECT_EQ(rows, expected);

    // A UTF-8 character is never cut in two.
    Write(path, QByteArray(254, 'a') + "\xC3\xA9" + "b\n");
    ASSERT_TRUE(files::ReadRows(path, rows));
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0], QString(254, 'a'));
    EXPECT_EQ(rows[1], QString::fromUtf8("\xC3\xA9" "b\n"));

    EXPECT_FALSE(files::ReadRows(dir.filePath("missing.csv"), rows));
    EXPECT_TRUE(rows.empty());
}

TEST(FileWriters, NeverEmptyAnEarlierFileNorLeaveHalfALine)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("log.csv");
    EXPECT_FALSE(files::AppendWhole(path, "x\r\n")) << "appending must not create the file";
    EXPECT_FALSE(QFile::exists(path));
    ASSERT_TRUE(files::WriteNewFile(path, "title\r\n"));
    EXPECT_FALSE(files::WriteNewFile(path, "other\r\n"));
    ASSERT_TRUE(files::AppendWhole(path, "one\r\n"));
    EXPECT_EQ(Read(path), "title\r\none\r\n");

    // A folder that cannot take files (a plain file stands in the folder's place, which holds
    // for root as well): refused, nothing made.
    const QString notAFolder = dir.filePath("notafolder");
    Write(notAFolder, "keep");
    EXPECT_FALSE(files::WriteNewFile(notAFolder + "/new.csv", "title\r\n"));
    EXPECT_FALSE(files::AppendWhole(notAFolder + "/new.csv", "x\r\n"));
    EXPECT_EQ(Read(notAFolder), "keep");
}

// A full disk: /dev/full takes the open and refuses every byte.
TEST(FileWriters, AFullDiskIsAFailure)
{
    ASSERT_TRUE(QFile::exists("/dev/full")) << "needs /dev/full";
    EXPECT_FALSE(files::AppendWhole("/dev/full", QByteArray(100000, 'x')));
}

} // namespace

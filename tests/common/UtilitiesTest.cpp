// Small utilities: text splitting and searching, found-ID list, flag bits, folders.
#include "common/Myfunc.h"
#include "vcl/Forms.h"
#include "vcl/StringGrid.h"

#include <gtest/gtest.h>

#include "support/QtApp.h"
#include <QDir>
#include <QFile>
#include <QSet>
#include <QTemporaryDir>

#include <algorithm>
#include <string>
#include <vector>

namespace {

std::vector<std::string> Tokens(const std::string& text, char sep)
{
    std::vector<WebReqStr> tokens{{"stale", 5}};
    EXPECT_EQ(SplitText(text, sep, tokens), 0);
    std::vector<std::string> out;
    for (const WebReqStr& t : tokens) {
        EXPECT_EQ(t.Length, static_cast<int>(t.Text.size()));
        out.push_back(t.Text);
    }
    return out;
}

TEST(SplitText, Separators)
{
    using V = std::vector<std::string>;
    EXPECT_EQ(Tokens("a,,b,", ','), (V{"a", "", "b"}));
    EXPECT_EQ(Tokens(",a", ','), (V{"", "a"}));
    EXPECT_EQ(Tokens("", ','), V{});
    EXPECT_EQ(Tokens(",", ','), V{""});
    EXPECT_EQ(Tokens("abc", ','), V{"abc"});
    EXPECT_EQ(Tokens("radio_rx 0104020001 -40 7", ' '), (V{"radio_rx", "0104020001", "-40", "7"}));
    // No length limit on a token: a long reply without blanks stays whole.
    const std::string longToken(9000, 'A');
    EXPECT_EQ(Tokens(longToken + " x", ' '), (V{longToken, "x"}));
}

TEST(ContainsText, Patterns)
{
    EXPECT_EQ(ContainsText("abcradio_rxdef", "radio_rx"), 1);
    EXPECT_EQ(ContainsText("radio_rx", "radio_rx"), 1);
    EXPECT_EQ(ContainsText("radio_r", "radio_rx"), 0);
    EXPECT_EQ(ContainsText("radio_rx", ""), 0);
    EXPECT_EQ(ContainsText("", "a"), 0);
    EXPECT_EQ(ContainsText("aab", "ab"), 1);
}

TEST(CopyFirstWord, StopsAndLimit)
{
    std::string w = "old";
    EXPECT_EQ(CopyFirstWord(w, "COM3 19200"), 4);
    EXPECT_EQ(w, "COM3");
    EXPECT_EQ(CopyFirstWord(w, "ab\rcd"), 2);
    EXPECT_EQ(w, "ab");
    EXPECT_EQ(CopyFirstWord(w, " lead"), 0);
    EXPECT_EQ(w, "");
    EXPECT_EQ(CopyFirstWord(w, ""), 0);
    EXPECT_EQ(CopyFirstWord(w, QString(300, u'x')), 200);
    EXPECT_EQ(w, std::string(200, 'x'));
    // 199 ASCII characters and then a two-byte character: the character is not cut in half.
    EXPECT_EQ(CopyFirstWord(w, QString(199, u'x') + QString::fromUtf8("\xC3\xA9zz")), 199);
    EXPECT_EQ(w, std::string(199, 'x'));

    std::string buf = "junk";
    EXPECT_EQ(UnicodeToAnsiBuf(buf, QString::fromUtf8("25 \xE2\x84\x83")), 0);
    EXPECT_EQ(buf, "25 \xE2\x84\x83");
    EXPECT_EQ(UnicodeToAnsiBuf2(QString(), buf), 0);
    EXPECT_EQ(buf, "");
}

TEST(FunctionCodeOfIndex, Items)
{
    EXPECT_EQ(FunctionCodeOfIndex(0), 1);
    EXPECT_EQ(FunctionCodeOfIndex(1), 4);
    EXPECT_EQ(FunctionCodeOfIndex(2), 3);
    EXPECT_EQ(FunctionCodeOfIndex(-1), -1);
    EXPECT_EQ(FunctionCodeOfIndex(3), -1);
}

TEST(TestFlagBit, Bits)
{
    struct Case { std::uint16_t descriptor; int value; int expected; };
    const Case cases[] = {
        {0x8004, 4, 1}, {0x8004, 0, 0}, {0x0004, 4, 0}, {0x0004, 0, 1},
        {0x8000, 0, 0}, {0x8000, 0xFFFF, 0}, {0x0000, 0, 0},
        {0x0005, 1, 1},              // the highest set bit (2) is tested, not bit 0
        {0xC000, 0x4000, 1}, {0x4000, 0x4000, 0},
        {0x8001, 0x10001, 1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TestFlagBit(c.descriptor, c.value), c.expected) << std::hex << c.descriptor << " " << c.value;
}

TEST(BuildFoundIdList, CompactsTheScanTables)
{
    int found[SlaveIdTableSize] = {}, baud[SlaveIdTableSize] = {};
    int list[FoundIdListSize];
    std::fill(std::begin(list), std::end(list), -7);
    found[3] = 3;
    baud[3] = 2;
    found[17] = 17;
    baud[17] = 1;
    found[20] = 5;     // not its own index: not found
    baud[20] = 3;
    found[254] = 254;
    baud[254] = 3;
    found[255] = 255;  // outside 1..254
    EXPECT_EQ(BuildFoundIdList(list, found, baud), 0);
    EXPECT_EQ(list[0], 3);
    EXPECT_EQ(list[1], 3);
    EXPECT_EQ(list[2], 17);
    EXPECT_EQ(list[3], 254);
    EXPECT_EQ(list[4], -7);          // beyond the count: untouched
    EXPECT_EQ(list[256], 2);
    EXPECT_EQ(list[257], 1);
    EXPECT_EQ(list[258], 3);
    EXPECT_EQ(list[259], -7);
    EXPECT_EQ(list[511], 0);

    // All 254 IDs found: the codes fill 256..509 and entry 511 stays 0.
    for (int id = 1; id <= 254; ++id) {
        found[id] = id;
        baud[id] = id % 4;
    }
    EXPECT_EQ(BuildFoundIdList(list, found, baud), 0);
    EXPECT_EQ(list[0], 254);
    EXPECT_EQ(list[254], 254);
    EXPECT_EQ(list[509], 254 % 4);
    EXPECT_EQ(list[511], 0);
}

// A stand-in with the grid's interface (Cells(col, row), RowCount()).
struct Grid {
    std::vector<QString> col0;
    int RowCount() const { return static_cast<int>(col0.size()); }
    QString Cells(int col, int row) const { return col == 0 ? col0[static_cast<size_t>(row)] : QString(); }
};

TEST(FindGridRow, ExactMatchFromRowOne)
{
    const Grid g{{"Caption", "OK", "Cancel", "OK", "ok "}};
    EXPECT_EQ(FindGridRow("OK", g), 1);
    EXPECT_EQ(FindGridRow("Cancel", &g), 2);
    EXPECT_EQ(FindGridRow("Caption", g), 0);    // the heading row never matches
    EXPECT_EQ(FindGridRow("ok", g), 0);         // case and blanks matter
    EXPECT_EQ(FindGridRow("OK", static_cast<const Grid*>(nullptr)), 0);
}

TEST(FindGridRow, KitGrid)
{
    testsupport::EnsureApplication();
    vcl::TForm form;
    auto* grid = new vcl::TStringGrid(&form);
    grid->SetColCount(4);
    grid->SetRowCount(3);
    grid->SetCells(0, 0, "Caption");
    grid->SetCells(0, 1, "Open");
    grid->SetCells(0, 2, "Close");
    grid->SetCells(0, 5, "Hidden");             // kept beyond RowCount, but not a row of the grid
    EXPECT_EQ(FindGridRow("Close", grid), 2);
    EXPECT_EQ(FindGridRow("Caption", *grid), 0);
    EXPECT_EQ(FindGridRow("Hidden", grid), 0);
}

class FolderTest : public ::testing::Test {
protected:
    QTemporaryDir home;
    void SetUp() override { qputenv("SUNVANE_HOME", home.path().toUtf8()); }
    void TearDown() override { qunsetenv("SUNVANE_HOME"); }
    void Mode(const QString& name, bool withSettings = true) const
    {
        ASSERT_TRUE(QDir(home.path()).mkpath(name));
        if (withSettings) {
            QFile f(QDir(home.path()).filePath(name + "/MonitorSet.RQX"));
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        }
    }
};

TEST_F(FolderTest, ProgramFolderFollowsSunvaneHome)
{
    EXPECT_EQ(ProgramFolder(), QDir(home.path()).absolutePath());
    qputenv("SUNVANE_HOME", (home.path() + "/").toUtf8());
    EXPECT_EQ(ProgramFolder(), QDir(home.path()).absolutePath());
    qunsetenv("SUNVANE_HOME");
    EXPECT_FALSE(ProgramFolder().isEmpty());
    EXPECT_NE(ProgramFolder(), QDir(home.path()).absolutePath());
}

TEST_F(FolderTest, EnsureDirectoryCreatesOneLevel)
{
    const QString log = home.path() + "/DataLog";
    EXPECT_EQ(EnsureDirectory(log), 0);
    EXPECT_TRUE(QDir(log).exists());
    EXPECT_EQ(EnsureDirectory(log.toStdString()), 0);   // already there
    EXPECT_EQ(EnsureDirectory((home.path() + "/a/b").toUtf8().constData()), 0);
    EXPECT_FALSE(QDir(home.path() + "/a").exists());    // one level only, no error
}

TEST_F(FolderTest, ListModeFolders)
{
    Mode("Service");
    Mode("installer");
    Mode("Empty", false);               // no settings file: never listed
    Mode(".hidden");
    ASSERT_TRUE(QFile::link(home.path() + "/Service", home.path() + "/Linked"));
    {
        QFile f(home.path() + "/MonitorSet.RQX");   // in the program folder itself
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    QString names[20];
    std::fill(std::begin(names), std::end(names), QStringLiteral("stale"));
    ListModeFolders(names);
    EXPECT_EQ(names[0], "installer");
    EXPECT_EQ(names[1], "Service");
    for (int i = 2; i < 20; ++i) EXPECT_EQ(names[i], QString()) << i;

    // More than 20 qualifying folders: the first 20 of the listing.
    for (int i = 0; i < 25; ++i) Mode(QStringLiteral("Mode%1").arg(i, 2, 10, QLatin1Char('0')));
    ListModeFolders(names);
    QSet<QString> seen;
    for (const QString& n : names) {
        EXPECT_FALSE(n.isEmpty());
        EXPECT_TRUE(QFile::exists(home.path() + "/" + n + "/MonitorSet.RQX")) << n.toStdString();
        seen.insert(n);
    }
    EXPECT_EQ(seen.size(), 20);
    EXPECT_EQ(names[0], "installer");
    EXPECT_EQ(names[19], "Mode18");

    // A missing program folder gives 20 empty names.
    qputenv("SUNVANE_HOME", (home.path() + "/nowhere").toUtf8());
    ListModeFolders(names);
    for (const QString& n : names) EXPECT_EQ(n, QString());
}

} // namespace

#include "DesignTestSupport.h"

#include "design/CountryList.h"

namespace {

using namespace design;
using designtest::WriteAll;

class CountryListFile : public designtest::DesignTest {
protected:
    CountryList Load(const QByteArray& content)
    {
        WriteAll(Path("CountryList.RQX"), content);
        CountryList list;
        EXPECT_EQ(LoadCountryList(dir.path(), list), 0);
        return list;
    }
    static std::vector<int> Codes(const CountryList& l)
    {
        return std::vector<int>(l.codes.begin(), l.codes.begin() + l.codeCount);
    }
};

TEST_F(CountryListFile, LineNumbersAreTheCodesAndItemsStopAtEnd)
{
    struct Case { QByteArray file; QStringList items; std::vector<int> codes; };
    const QByteArray line150(150, 'A');
    const QByteArray line99(99, 'B');
    const Case cases[] = {
        {"Default\nCustom\n\nNetherlands\n", {"Default", "Custom", "Netherlands"}, {0, 1, 3}},
        {"Default\r\nCustom\r\n\r\nNetherlands\r\n", {"Default", "Custom", "Netherlands"}, {0, 1, 3}},
        {"Italy\nSpain\nEND", {"Italy", "Spain"}, {0, 1, 2}},              // last "END" ends the box
        {"Italy\nEND\nSpain\n", {"Italy", "END", "Spain"}, {0, 1, 2}},     // "END\n" is a country
        {"Italy\nX", {"Italy"}, {0}},                                      // one-character last line
        {"Italy\nXY", {"Italy", "XY"}, {0, 1}},
        {"A\n", {"A"}, {0}},                                               // "A\n" has two characters
        {line150 + "\nFrance\n", {QString(99, 'A'), QString(51, 'A'), "France"}, {0, 1, 2}},
        {line99 + "\nFrance\n", {QString(99, 'B'), "France"}, {0, 2}},   // line end becomes a blank line
        {"Deutschland\n\xC3\x96sterreich\n", {"Deutschland", QString::fromUtf8("Österreich")}, {0, 1}},
        {"Espa\xF1" "a\n", {QString::fromLatin1("Espa\xF1" "a")}, {0}},  // not UTF-8: Latin-1
    };
    for (const Case& c : cases) {
        const CountryList l = Load(c.file);
        EXPECT_FALSE(l.UsesBuiltIn());
        EXPECT_EQ(CountryBoxItems(l), c.items) << c.file.left(40).constData();
        EXPECT_EQ(Codes(l), c.codes) << c.file.left(40).constData();
    }
}

TEST_F(CountryListFile, AtMostThreeHundredLinesAreRead)
{
    QByteArray file;
    for (int i = 0; i < 320; ++i)
        file += "Country" + QByteArray::number(i) + "\n";
    const CountryList l = Load(file);
    EXPECT_EQ(l.codeCount, 300);
    EXPECT_EQ(l.names[299], "Country299\n");
    EXPECT_EQ(CountryBoxItems(l).size(), 300);
}

TEST_F(CountryListFile, EveryReadStartsEmptyAndAMissingFileSelectsTheBuiltInList)
{
    CountryList l = Load("One\nTwo\nThree\nFour\n");
    ASSERT_EQ(l.codeCount, 4);
    WriteAll(Path("CountryList.RQX"), "Five\n");
    ASSERT_EQ(LoadCountryList(dir.path(), l), 0);
    EXPECT_EQ(CountryBoxItems(l), QStringList{"Five"});
    EXPECT_EQ(l.codeCount, 1);
    EXPECT_EQ(l.names[1], "");

    WriteAll(Path("CountryList.RQX"), "");
    ASSERT_EQ(LoadCountryList(dir.path(), l), 0);
    EXPECT_TRUE(CountryBoxItems(l).isEmpty());
    EXPECT_FALSE(l.UsesBuiltIn());

    ASSERT_EQ(LoadCountryList(dir.filePath("NoSuchMode"), l), 0);
    EXPECT_TRUE(l.UsesBuiltIn());
    EXPECT_EQ(l.codeCount, 0);
    EXPECT_TRUE(dialogs.shown.isEmpty());
}

} // namespace

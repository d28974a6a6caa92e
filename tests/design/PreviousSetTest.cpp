#include "DesignTestSupport.h"

#include "design/PreviousSet.h"

namespace {

using namespace design;
using designtest::ReadAll;
using designtest::WriteAll;

class PreviousSetFile : public designtest::DesignTest {};

TEST_F(PreviousSetFile, FoundIdsComeBackWithTheirCodesAndOutOfRangeCodesAreNotFound)
{
    const QString path = Path("profile/PreviousSet.RQX");
    WriteAll(path, "[Search]\nStartID=3x\nEndID=40\n[Language]\nSet=1\n[InvExist]\n"
                   "ID7=2\nID200=3\nID8=-1\nID9=0\nID10=4\nID11=x\nID12=32\nID253=1\nID254=2\n");
    PreviousSet p;
    p.idFound[50] = 50;
    p.idBaudCode[50] = 2;
    ASSERT_EQ(LoadPreviousSet(path, p), 0);
    EXPECT_EQ(p.startId, "3x");   // any text, unchanged
    EXPECT_EQ(p.endId, "40");
    EXPECT_EQ(p.languageIndex, 1);
    for (int id = 1; id <= 255; ++id) {
        const int code = id == 7 ? 2 : id == 200 ? 3 : id == 253 ? 1 : 0;
        EXPECT_EQ(p.idBaudCode[id], code) << id;
        EXPECT_EQ(p.idFound[id], code ? id : 0) << id;
    }
}

TEST_F(PreviousSetFile, LanguageOutsideTheThreeIsEnglish)
{
    const QString path = Path("PreviousSet.RQX");
    for (const char* value : {"5", "-1", "3", "abc", ""}) {
        WriteAll(path, QByteArray("[Language]\nSet=") + value + "\n");
        PreviousSet p;
        p.languageIndex = 2;
        ASSERT_EQ(LoadPreviousSet(path, p), 0);
        EXPECT_EQ(p.languageIndex, 0) << value;
    }
}

TEST_F(PreviousSetFile, SaveToEmptyFileWritesSectionsInOrderAndRoundTrips)
{
    const QString path = Path("PreviousSet.RQX");
    WriteAll(path, "");
    PreviousSet p;
    p.startId = "1";
    p.endId = "32";
    p.languageIndex = 2;
    p.idFound[7] = 7;   p.idBaudCode[7] = 2;
    p.idFound[200] = 200; p.idBaudCode[200] = 3;
    p.idBaudCode[9] = 3;            // code without the found mark is not stored
    p.idFound[254] = 254; p.idBaudCode[254] = 1;   // beyond the file's keys
    ASSERT_EQ(SavePreviousSet(path, p), 0);
    const QByteArray text = ReadAll(path);
    EXPECT_TRUE(text.startsWith("[Language]\nSet=2\n[Search]\nStartID=1\nEndID=32\n[InvExist]\nID1=0\n"));
    EXPECT_TRUE(text.endsWith("ID252=0\nID253=0\n"));
    EXPECT_TRUE(text.contains("\nID7=2\n"));
    EXPECT_TRUE(text.contains("\nID9=0\n"));
    EXPECT_FALSE(text.contains("ID254"));

    PreviousSet back;
    ASSERT_EQ(LoadPreviousSet(path, back), 0);
    EXPECT_EQ(back.startId, p.startId);
    EXPECT_EQ(back.endId, p.endId);
    EXPECT_EQ(back.languageIndex, 2);
    for (int id = 1; id <= kPreviousSetMaxId; ++id) {
        EXPECT_EQ(back.idFound[id], id == 7 || id == 200 ? id : 0) << id;
        EXPECT_EQ(back.idBaudCode[id], id == 7 ? 2 : id == 200 ? 3 : 0) << id;
    }
    // A second save changes nothing.
    ASSERT_EQ(SavePreviousSet(path, back), 0);
    EXPECT_EQ(ReadAll(path), text);
}

TEST_F(PreviousSetFile, MissingFileIsNeitherReadNorCreatedNorReported)
{
    const QString path = Path("profile/PreviousSet.RQX");
    PreviousSet p;
    p.startId = "1";
    p.languageIndex = 1;
    EXPECT_EQ(LoadPreviousSet(path, p), 1);
    EXPECT_EQ(p.startId, "1");
    EXPECT_EQ(p.languageIndex, 1);
    EXPECT_EQ(SavePreviousSet(path, p), 1);
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_TRUE(dialogs.shown.isEmpty());
}

} // namespace

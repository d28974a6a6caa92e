#include "DesignTestSupport.h"

#include "design/LayoutFile.h"

#include <QFile>

namespace {

using namespace design;
using designtest::ReadAll;
using designtest::WriteAll;

class LayoutFile : public designtest::DesignTest {
protected:
    static int Idx(const char16_t* name) { return GroupPanelIndex(name); }
    static void Place(PanelStates& s, const char16_t* name, int page, int left, int top)
    {
        PanelState& p = s[Idx(name)];
        p.height = p.tag;
        p.page = page;
        p.left = left;
        p.top = top;
    }
};

TEST_F(LayoutFile, VersionPanelIsStoredEncodedAndReadBack)
{
    const QString path = Path("MonitorSet0.RQX");
    WriteAll(path, "");
    PanelStates s = InitialPanelStates();
    Place(s, u"Group_Version", 0, 3, 3);
    ASSERT_EQ(SavePageDesign(path, s, 0), 0);
    const QByteArray text = ReadAll(path);
    EXPECT_TRUE(text.startsWith("[Version]\nHeight=7770\nTop=3\nLeft=3\n[Status]\nHeight=40\n")) << text.left(80).constData();

    PanelStates loaded = InitialPanelStates();
    for (PanelState& p : loaded) { p.left = 77; p.top = 88; }
    ASSERT_EQ(LoadPageDesign(path, loaded), 0);
    const PanelState& v = loaded[Idx(u"Group_Version")];
    EXPECT_EQ(v.height, 350);
    EXPECT_EQ(v.left, 3);
    EXPECT_EQ(v.top, 3);
    // Collapsed panels keep their position; panels without a section are not touched.
    EXPECT_EQ(loaded[Idx(u"Group_Status")].height, 40);
    EXPECT_EQ(loaded[Idx(u"Group_Status")].left, 77);
    EXPECT_EQ(loaded[Idx(u"Group_Debug")].left, 77);
    EXPECT_TRUE(dialogs.shown.isEmpty());
}

TEST_F(LayoutFile, SaveThenLoadGivesEveryPanelOfThePageItsPlaceAgain)
{
    const QString path = Path("MonitorSet2.RQX");
    WriteAll(path, "; kept comment\r\n[Other]\r\nx=1\r\n");
    PanelStates s = InitialPanelStates();
    Place(s, u"Group_Version", 2, 5, 5);
    Place(s, u"Group_ErrorEvent", 2, 310, 5);
    Place(s, u"Group_Mask7", 2, -20, 1200);         // negative and large positions survive
    Place(s, u"Group_Status", 1, 615, 5);           // expanded, but on another page
    s[Idx(u"Group_Country")].page = 2;              // on the page's box, but collapsed
    s[Idx(u"Group_Debug")].height = s[Idx(u"Group_Debug")].tag;  // no section
    s[Idx(u"Group_Debug")].page = 2;
    ASSERT_EQ(SavePageDesign(path, s, 2), 0);

    const QByteArray text = ReadAll(path);
    EXPECT_TRUE(text.startsWith("; kept comment\r\n[Other]\r\nx=1\r\n[Version]\r\n"));
    EXPECT_FALSE(text.contains("Debug"));

    PanelStates loaded = InitialPanelStates();
    ASSERT_EQ(LoadPageDesign(path, loaded), 0);
    for (int i = 0; i < kLayoutSectionCount; ++i) {
        const bool onPage = StandsOnPage(s[i], 2);
        EXPECT_EQ(loaded[i].height, onPage ? s[i].tag : 40) << GroupPanels()[i].name;
        if (onPage) {
            EXPECT_EQ(loaded[i].left, s[i].left) << GroupPanels()[i].name;
            EXPECT_EQ(loaded[i].top, s[i].top) << GroupPanels()[i].name;
        }
    }
}

TEST_F(LayoutFile, PanelTakenOffThePageKeepsItsOldPositionKeysInTheFile)
{
    const QString path = Path("MonitorSet0.RQX");
    WriteAll(path, "[Version]\nHeight=7770\nTop=3\nLeft=9\n");
    PanelStates s = InitialPanelStates();   // Version collapsed now
    ASSERT_EQ(SavePageDesign(path, s, 0), 0);
    EXPECT_TRUE(ReadAll(path).startsWith("[Version]\nHeight=40\nTop=3\nLeft=9\n[Status]\n"));
}

TEST_F(LayoutFile, EmptyOrUnreadableEntriesKeepThePanelOffThePage)
{
    const QString path = Path("MonitorSet0.RQX");
    WriteAll(path, "[version]\nheight=7770\nleft=12\n"      // letter case ignored, Top missing
                   "[Status]\nHeight=230\nTop=4\nLeft=4\n"     // plain pixel height
                   "[ActivePower]\nHeight=11540\nTop=1\nLeft=1\n" // saved with tag 250
                   "[Country]\nHeight=abc\n");
    PanelStates s = InitialPanelStates();
    for (PanelState& p : s) { p.left = 50; p.top = 50; }
    ASSERT_EQ(LoadPageDesign(path, s), 0);
    EXPECT_EQ(s[Idx(u"Group_Version")].height, 350);
    EXPECT_EQ(s[Idx(u"Group_Version")].left, 12);
    EXPECT_EQ(s[Idx(u"Group_Version")].top, 0);
    EXPECT_EQ(s[Idx(u"Group_Status")].height, 230 - 10 * NameSum(u"Status"));
    EXPECT_EQ(s[Idx(u"Group_ActivePower")].height, 250);
    EXPECT_NE(s[Idx(u"Group_ActivePower")].height, s[Idx(u"Group_ActivePower")].tag);
    EXPECT_EQ(s[Idx(u"Group_Country")].height, -10 * NameSum(u"Country"));
    // A section the file lacks: height -10 x S at 0,0.
    EXPECT_EQ(s[Idx(u"Group_Mask1")].height, -10 * NameSum(u"Mask1"));
    EXPECT_EQ(s[Idx(u"Group_Mask1")].left, 0);
    EXPECT_EQ(s[Idx(u"Group_Mask1")].top, 0);
    for (int i = 0; i < kLayoutSectionCount; ++i) {
        if (i != Idx(u"Group_Version")) {
            EXPECT_NE(s[i].height, s[i].tag) << GroupPanels()[i].name;
        }
    }
}

TEST_F(LayoutFile, MissingFileChangesNothingAndIsNeverCreated)
{
    const QString path = Path("SuperHero/MonitorSet4.RQX");
    PanelStates s = InitialPanelStates();
    s[0].height = 350;
    s[0].left = 8;
    const PanelStates before = s;
    EXPECT_EQ(LoadPageDesign(path, s), 1);
    EXPECT_EQ(s[0].left, before[0].left);
    EXPECT_TRUE(dialogs.shown.isEmpty());

    EXPECT_EQ(SavePageDesign(path, s, 0), 1);
    EXPECT_EQ(dialogs.shown, QStringList{"No found Setting File"});
    EXPECT_FALSE(QFile::exists(path));
}

} // namespace

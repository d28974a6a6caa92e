#include "DesignTestSupport.h"

#include "design/GroupPanels.h"
#include "design/ModeState.h"

#include <QSet>
#include <gtest/gtest.h>

namespace {

using namespace design;

TEST(GroupPanels, TableHoldsEveryPanelOnceWithSectionsFirst)
{
    const auto table = GroupPanels();
    QSet<QString> names, sections;
    for (int i = 0; i < kGroupPanelCount; ++i) {
        names.insert(QString::fromLatin1(table[i].name).toLower());
        EXPECT_GT(table[i].tag, 0) << table[i].name;
        EXPECT_NE(table[i].tag, kCollapsedHeight) << table[i].name;
        if (i < kLayoutSectionCount) {
            ASSERT_NE(table[i].section, nullptr) << i;
            sections.insert(QString::fromLatin1(table[i].section).toLower());
        } else {
            EXPECT_EQ(table[i].section, nullptr) << table[i].name;
        }
    }
    EXPECT_EQ(names.size(), kGroupPanelCount);
    EXPECT_EQ(sections.size(), kLayoutSectionCount);
    EXPECT_EQ(GroupPanelIndex(u"group_version"), 0);
    EXPECT_EQ(LayoutSectionIndex(u"VERSION"), 0);
    EXPECT_EQ(LayoutSectionIndex(u"Debug"), -1);
    EXPECT_EQ(QString::fromUtf8(table[GroupPanelIndex(u"Group_CosPCtrl")].title), QString::fromUtf8("cos(φ) of P Ctrl"));
}

TEST(GroupPanels, HeightEncodingRoundTrips)
{
    struct Case { const char16_t* section; int tag; int stored; };
    const Case cases[] = {
        {u"Version", 350, 7770},     // name sum 742
        {u"Output1", 250, 7310},
        {u"Mask1", 25, 4475},
        {u"ActivePower", 200, 11490},
        {u"ActivePower", 250, 11540},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(EncodePanelHeight(c.section, c.tag, c.tag, true), c.stored) << c.stored;
        EXPECT_EQ(DecodePanelHeight(c.stored, c.section), c.tag) << c.stored;
        // Collapsed, or expanded on another page, is stored as 40.
        EXPECT_EQ(EncodePanelHeight(c.section, kCollapsedHeight, c.tag, true), kCollapsedHeight);
        EXPECT_EQ(EncodePanelHeight(c.section, c.tag, c.tag, false), kCollapsedHeight);
    }
    EXPECT_EQ(NameSum(u"Version"), 742);
    EXPECT_EQ(DecodePanelHeight(40, u"Version"), 40);
    EXPECT_EQ(DecodePanelHeight(0, u"Version"), -7420);
}

TEST(AccessCodes, CodeChoosesTheLayoutPairOfConfigAndCtrl)
{
    struct Case { int tab; bool super; const char* code; int layout; };
    const Case cases[] = {
        {0, false, "", 0},        {1, false, "4780", 1}, {2, false, "4780", 2},
        {1, false, "2059", 3},    {2, false, "2059", 4}, {1, false, "7352", 5},
        {2, false, "7352", 6},    {0, false, "7352", 0},
        {1, false, "", -1},       {1, false, "Cancel", -1}, {1, false, "Password", -1},
        {1, false, " 4780", -1},  {3, false, "4780", -1}, {-1, false, "", -1},
        {3, true, "", 3},         {6, true, "", 6},      {1, true, "7352", 1},
        {7, true, "", -1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(LayoutNumberForTab(c.tab, c.super, QString::fromLatin1(c.code)), c.layout)
            << c.tab << " " << c.super << " " << c.code;
}

TEST(AccessCodes, TabCaptionsFollowTheMode)
{
    const QStringList ordinary = {"Main", "Config", "Ctrl"};
    const QStringList super = {"Main", "Config4780", "Ctrl4780", "Config2059", "Ctrl2059", "Config7352", "Ctrl7352"};
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(TabCaption(i, false), ordinary[i]);
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(TabCaption(i, true), super[i]);
}

TEST(ModeState, FactoryReloadOnlyOntoThePageOnScreen)
{
    EXPECT_TRUE(FactoryReloadAllowed(3, 7, 3));
    EXPECT_TRUE(FactoryReloadAllowed(0, 3, 0));
    EXPECT_FALSE(FactoryReloadAllowed(0, 7, -1));  // no page shown yet
    EXPECT_FALSE(FactoryReloadAllowed(0, 7, 3));   // upgrade page left tab 0 selected
    EXPECT_FALSE(FactoryReloadAllowed(3, 3, 3));   // index 3 is the upgrade tab in an ordinary mode
}

TEST(ModeState, PathsStartAtTheProgramFolder)
{
    EXPECT_EQ(ModeSettingsPath(ModeFolderPath("/p", "GridTied")), "/p/GridTied/MonitorSet.RQX");
    EXPECT_EQ(LayoutPath("/p/GridTied", 5), "/p/GridTied/MonitorSet5.RQX");
    EXPECT_EQ(FactoryLayoutPath("/p", 2), "/p/SuperUser/Init/MonitorSet2.RQX");
    EXPECT_EQ(SuperUserLayoutPath("/p", 6), "/p/SuperHero/MonitorSet6.RQX");
    EXPECT_EQ(PreviousSetPath("/p"), "/p/profile/PreviousSet.RQX");
    EXPECT_FALSE(IsOfferedModeName("ab"));
    EXPECT_TRUE(IsOfferedModeName("abc"));
}

} // namespace

namespace {

TEST(ModeList, OnlyModeFoldersWithNamesOfThreeOrMoreCharactersAreOffered)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    auto mode = [&](const QString& name, bool withSettings) {
        QDir(dir.path()).mkpath(name);
        if (withSettings)
            designtest::WriteAll(QDir(dir.filePath(name)).filePath("MonitorSet.RQX"), "");
    };
    mode("ab", true);
    mode("abc", true);
    mode("NoSettings", false);
    mode("Storage", true);
    EXPECT_EQ(design::OfferedModeNames(dir.path()), (QStringList{"abc", "Storage"}));
    EXPECT_TRUE(design::OfferedModeNames(dir.filePath("missing")).isEmpty());
}

} // namespace

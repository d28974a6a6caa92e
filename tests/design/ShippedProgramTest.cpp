// Checks the program folder that ships beside the program: every mode is complete, every layout
// places its panels inside the page without overlap, and the files are the generator's output.
#include "DesignTestSupport.h"

#include "design/CountryList.h"
#include "design/LayoutFile.h"
#include "design/ModeSettings.h"
#include "design/ModeState.h"
#include "design/PreviousSet.h"
#include "support/Python.h"

#include <QDirIterator>
#include <QProcess>
#include <QRect>

namespace {

using namespace design;

const QString kProgram = QStringLiteral(SUNVANE_SOURCE_DIR "/resources/program");

struct ModeCase {
    const char* folder;
    int maxRight;   // width of the page box the layouts are made for
};

const ModeCase kModes[] = {
    {"GridTied", 1225},
    {"Storage", 1225},
    {"Japan", 1225},
    {"SuperHero", 1225},
};

int PanelWidth(int index, const ModeSettings& s)
{
    if (index == GroupPanelIndex(u"Group_UacProtection"))
        return s.VacProtectSet == 0 ? 255 : 520;
    return 300;
}

// Loads one layout the way the page switch shows it and checks the page's geometry.
void CheckLayout(const QString& path, const ModeSettings& s, int maxRight)
{
    SCOPED_TRACE(path.toStdString());
    PanelStates panels = InitialPanelStates();
    panels[GroupPanelIndex(u"Group_ActivePower")].tag = s.ActiveSlopeShow == 1 ? 250 : 200;
    ASSERT_EQ(LoadPageDesign(path, panels), 0);
    std::vector<std::pair<int, QRect>> shown;
    for (int i = 0; i < kLayoutSectionCount; ++i) {
        const PanelState& p = panels[i];
        if (p.height == kCollapsedHeight)
            continue;
        ASSERT_EQ(p.height, p.tag) << GroupPanels()[i].name << " would not be shown";
        const QRect r(p.left, p.top, PanelWidth(i, s), p.height);
        EXPECT_GE(r.left(), 0) << GroupPanels()[i].name;
        EXPECT_GE(r.top(), 0) << GroupPanels()[i].name;
        EXPECT_LE(r.right(), maxRight) << GroupPanels()[i].name;
        for (const auto& [j, other] : shown)
            EXPECT_FALSE(r.intersects(other)) << GroupPanels()[i].name << " overlaps " << GroupPanels()[j].name;
        shown.emplace_back(i, r);
    }
    EXPECT_GE(shown.size(), 3u);
}

TEST(ShippedProgram, EveryModeIsCompleteAndItsPagesAreOrderly)
{
    for (const ModeCase& m : kModes) {
        const QString folder = ModeFolderPath(kProgram, m.folder);
        ModeSettings s;
        ASSERT_EQ(LoadMonitorSet(ModeSettingsPath(folder), s), 0) << m.folder;
        EXPECT_EQ(s.temperatureTitles[0], "Ambient");
        for (int n = 0; n < kPageCount; ++n)
            CheckLayout(LayoutPath(folder, n), s, m.maxRight);
        CountryList countries;
        LoadCountryList(folder, countries);
        EXPECT_FALSE(countries.UsesBuiltIn()) << m.folder;
        const QStringList items = CountryBoxItems(countries);
        EXPECT_EQ(items.first(), "Default");
        EXPECT_FALSE(items.contains("END")) << m.folder;
    }
    ModeSettings designer;
    ASSERT_EQ(LoadMonitorSet(ModeSettingsPath(ModeFolderPath(kProgram, kSuperUserModeName)), designer), 0);
    for (int n = 0; n < kPageCount; ++n)
        CheckLayout(FactoryLayoutPath(kProgram, n), designer, 1225);
    EXPECT_TRUE(QFileInfo(ModeSettingsPath(ModeFolderPath(kProgram, kFactoryReloadName))).isFile());
}

TEST(ShippedProgram, ModeListOffersTheModesAndTheFactoryReload)
{
    EXPECT_EQ(OfferedModeNames(kProgram),
              (QStringList{"GridTied", "Japan", "Storage", "SuperHero", "SuperUser-Init"}));
}

TEST(ShippedProgram, CountryCodesFollowTheBuiltInCodes)
{
    CountryList l;
    LoadCountryList(ModeFolderPath(kProgram, "GridTied"), l);
    const QStringList items = CountryBoxItems(l);
    ASSERT_GE(items.size(), 3);
    const int germany = items.indexOf("Germany LV");
    ASSERT_GE(germany, 0);
    EXPECT_EQ(l.codes[germany], 28);
    EXPECT_EQ(l.codes[items.indexOf("Austria")], 8);
}

TEST(ShippedProgram, PreviousStateStartsWithTheDefaultRangeAndNoInverter)
{
    PreviousSet p;
    ASSERT_EQ(LoadPreviousSet(PreviousSetPath(kProgram), p), 0);
    EXPECT_EQ(p.startId, "1");
    EXPECT_EQ(p.endId, "32");
    EXPECT_EQ(p.languageIndex, 0);
    for (int id = 1; id <= kPreviousSetMaxId; ++id)
        EXPECT_EQ(p.idFound[id], 0);
}

TEST(ShippedProgram, FilesAreTheGeneratorsOutput)
{
    QTemporaryDir out;
    ASSERT_TRUE(out.isValid());
    QProcess gen;
    gen.start(testsupport::kPython,
              {QStringLiteral(SUNVANE_SOURCE_DIR "/resources/gen_program.py"), QStringLiteral("--out"), out.path()});
    ASSERT_TRUE(gen.waitForFinished(30000));
    ASSERT_EQ(gen.exitCode(), 0) << gen.readAllStandardError().constData();
    QStringList generated, shipped;
    for (QDirIterator it(out.path(), QDir::Files, QDirIterator::Subdirectories); it.hasNext();)
        generated << QDir(out.path()).relativeFilePath(it.next());
    for (QDirIterator it(kProgram, QDir::Files, QDirIterator::Subdirectories); it.hasNext();)
        shipped << QDir(kProgram).relativeFilePath(it.next());
    generated.sort();
    shipped.sort();
    EXPECT_EQ(generated, shipped);
    for (const QString& f : generated)
        EXPECT_EQ(designtest::ReadAll(out.filePath(f)), designtest::ReadAll(QDir(kProgram).filePath(f))) << f.toStdString();
}

} // namespace

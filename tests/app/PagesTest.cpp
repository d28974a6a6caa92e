// Every page of every shipped mode: the panels its layout names stand on the page at their
// places, nothing else does, none lies outside the page or on another, no panel's content is cut
// by its bottom edge, and the page is grabbed
// as a picture (into SUNVANE_SCREENSHOTS when set) so that it can be looked at.
#include "TextFit.h"
#include "WindowFixture.h"

#include "design/LayoutFile.h"
#include "design/ModeState.h"
#include "tools/invsim/Bus.h"
#include "tools/invsim/Demo.h"
#include "common/Myfunc.h"
#include "vcl/IniFile.h"

#include <QFile>
#include <QPixmap>
#include <QRect>
#include <QScrollArea>
#include <QScrollBar>
#include <QWidget>
#include <functional>

namespace {

struct PageCase {
    std::string mode;
    int tab;            // visible tab index = page
    const char* code;   // access code typed at the prompt, or nullptr
    int layout;         // layout file number expected on the page
};

// Every page of every mode shipped beside the program: the main page and the three Config and
// Ctrl pairs of an ordinary mode, the seven pages of the designer mode.
std::vector<PageCase> ShippedPages()
{
    std::vector<PageCase> cases;
    const QDir program(QStringLiteral(SUNVANE_SOURCE_DIR "/resources/program"));
    for (const QString& mode : program.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
        if (!QFile::exists(program.filePath(mode + "/MonitorSet.RQX")) || mode == design::kFactoryReloadName)
            continue;
        const std::string m = mode.toStdString();
        if (mode == design::kSuperUserModeName) {
            for (int page = 0; page < 7; ++page)
                cases.push_back({m, page, nullptr, page});
            continue;
        }
        cases.push_back({m, 0, nullptr, 0});
        const char* codes[] = {"4780", "2059", "7352"};
        for (int k = 0; k < 3; ++k) {
            cases.push_back({m, 1, codes[k], 2 * k + 1});
            cases.push_back({m, 2, codes[k], 2 * k + 2});
        }
    }
    return cases;
}

class PagesTest : public WindowTest, public ::testing::WithParamInterface<PageCase> {};

} // namespace

TEST_P(PagesTest, LayoutStandsOnItsPage)
{
    const PageCase& c = GetParam();
    TForm_Main& w = Open();
    driver->PickText("Combo_SelectMode", QString::fromStdString(c.mode));
    if (c.code)
        dialogs.answers.push_back(QString::fromLatin1(c.code));
    if (c.tab > 0)
        driver->ChooseTab("PageControl", c.tab);
    ASSERT_EQ(w.PageControl->TabIndex(), c.tab);
    EXPECT_TRUE(dialogs.shown.isEmpty()) << dialogs.shown.join("; ").toStdString();

    // What the layout file says, with the tags the window has in this mode.
    design::PanelStates expected = design::InitialPanelStates();
    for (int i = 0; i < design::kGroupPanelCount; ++i)
        expected[static_cast<size_t>(i)].tag = w.GroupPanels[static_cast<size_t>(i)]->Tag();
    const QString path = design::LayoutPath(Home(QString::fromStdString(c.mode)), c.layout);
    ASSERT_EQ(design::LoadPageDesign(path, expected), 0);

    vcl::TScrollBox* box = w.PageBox(c.tab);
    int shown = 0;
    std::vector<QRect> places;
    for (int i = 0; i < design::kGroupPanelCount; ++i) {
        const vcl::TPanel* panel = w.GroupPanels[static_cast<size_t>(i)];
        const design::PanelState& e = expected[static_cast<size_t>(i)];
        const bool onPage = panel->Visible() && panel->Parent() == box && panel->Height() == panel->Tag();
        const bool wanted = i < design::kLayoutSectionCount && e.height == e.tag;
        EXPECT_EQ(onPage, wanted) << panel->Name().toStdString();
        if (!wanted || !onPage)
            continue;
        ++shown;
        EXPECT_EQ(panel->Left(), e.left) << panel->Name().toStdString();
        EXPECT_EQ(panel->Top(), e.top) << panel->Name().toStdString();
        EXPECT_GE(panel->Left(), 0) << panel->Name().toStdString();
        EXPECT_GE(panel->Top(), 0) << panel->Name().toStdString();
        const QRect place(panel->Left(), panel->Top(), panel->Width(), panel->Height());
        for (const QRect& other : places)
            EXPECT_FALSE(place.intersects(other)) << panel->Name().toStdString() << " lies on another panel";
        places.push_back(place);
        // The widget shows where the kit says, inside the page's scrolled area.
        const QWidget* widget = panel->Handle();
        EXPECT_EQ(widget->geometry(), place) << panel->Name().toStdString();
        const QWidget* area = widget->parentWidget();
        EXPECT_TRUE(area->rect().contains(widget->geometry())) << panel->Name().toStdString() << " outside its page";
        // The page never scrolls sideways: every panel ends within the width the page shows.
        EXPECT_LE(place.right(), box->MouseWidget()->rect().right())
            << panel->Name().toStdString() << " reaches past the page's visible width";
        // Nothing the panel shows is cut in half by its bottom edge. (A row wholly below the edge
        // is hidden by the panel's size on purpose, as the active power's slope row is while the
        // panel has its shorter height.)
        for (int k = 0; k < panel->ControlCount(); ++k) {
            const vcl::TControl* child = panel->Controls(k);
            if (child->Visible() && child->Top() < panel->Height()) {
                EXPECT_LE(child->Top() + child->Height(), panel->Height())
                    << child->Name().toStdString() << " is cut by the bottom of " << panel->Name().toStdString();
            }
        }
    }
    EXPECT_GT(shown, 0);
    // Nor does the page as a whole.
    QCoreApplication::processEvents();
    EXPECT_EQ(static_cast<const QScrollArea*>(box->Handle())->horizontalScrollBar()->maximum(), 0)
        << "the page scrolls sideways";

    const QByteArray dir = qgetenv("SUNVANE_SCREENSHOTS");
    if (!dir.isEmpty()) {
        QDir().mkpath(QString::fromUtf8(dir));
        const QString file = QStringLiteral("%1/%2-page%3-layout%4.png")
                                 .arg(QString::fromUtf8(dir), QString::fromStdString(c.mode))
                                 .arg(c.tab)
                                 .arg(c.layout);
        EXPECT_TRUE(w.Handle()->grab().save(file));
        // The whole page, scrolled area included.
        const QString full = QStringLiteral("%1/%2-page%3-layout%4-full.png")
                                 .arg(QString::fromUtf8(dir), QString::fromStdString(c.mode))
                                 .arg(c.tab)
                                 .arg(c.layout);
        EXPECT_TRUE(box->ClientWidget()->grab().save(full));
    }
}

INSTANTIATE_TEST_SUITE_P(ShippedModes, PagesTest, ::testing::ValuesIn(ShippedPages()),
                         [](const ::testing::TestParamInfo<PageCase>& info) {
                             return info.param.mode + "_Tab" + std::to_string(info.param.tab) +
                                    "_Layout" + std::to_string(info.param.layout);
                         });

namespace {

struct TextCase {
    std::string mode;
    int language;   // 0 English, 1 German, 2 French
};

std::string LanguageName(int language)
{
    return language == 0 ? "English" : language == 1 ? "German" : "French";
}

void PrintTo(const TextCase& c, std::ostream* os)
{
    *os << c.mode << " in " << LanguageName(c.language);
}

std::vector<TextCase> ShippedModesInEveryLanguage()
{
    std::vector<TextCase> cases;
    std::vector<std::string> modes;
    for (const PageCase& page : ShippedPages())
        if (modes.empty() || modes.back() != page.mode)
            modes.push_back(page.mode);
    for (const std::string& mode : modes)
        for (int language : {0, 1, 2})
            cases.push_back({mode, language});
    return cases;
}

// The window in a language, on the demonstration inverter (ID 1 on a simulated bus).
class PageTextsTest : public WindowTest, public ::testing::WithParamInterface<TextCase> {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        if (HasFatalFailure())
            return;
        std::string error;
        ASSERT_TRUE(bus.Start(&error)) << error;
        // The fastest bit rate keeps the replies' line time short.
        bus.AddInverter(1, 38400);
        bus.With(1, [](invsim::Inverter& inv) { invsim::LoadDemoInverter(inv); });
        ASSERT_TRUE(testsupport::ReplaceInFile(Home("profile/PreviousSet.RQX"), "\nID1=0", "\nID1=3"));
        vcl::TIniFile(Home("profile/PreviousSet.RQX")).WriteInteger("Language", "Set", GetParam().language);
    }
    void TearDown() override
    {
        window.reset();
        bus.Stop();
        WindowTest::TearDown();
    }
    // A first polling cycle on the link (it reads the version and its scale factors before the
    // groups), so that the page shows the inverter's values.
    void Poll()
    {
        TForm_Main& w = *window;
        if (!w.Link.Com.IsOpen()) {
            ASSERT_EQ(w.Link.OpenCom(QString::fromStdString(bus.Path())), 0);
            w.Link.LinkType = LinkRs485;
        }
        w.ExeSelectInv(0);
        ASSERT_EQ(w.Link.SlaveId, 1);
        w.PollCycleCount = 0;
        w.StopRequest = 0;
        ASSERT_EQ(w.PollCycle(), 0);
    }
    QString NameOf(const QWidget* widget) const
    {
        for (int i = 0; i < window->ComponentCount(); ++i)
            if (auto* c = dynamic_cast<vcl::TControl*>(window->Components(i)); c && c->Handle() == widget)
                return c->Name() + " \"" + c->Caption() + "\"";
        return widget->metaObject()->className();
    }
    // The faults of every panel on the page shown, and of the status bar's texts.
    QStringList PageFaults(int tab)
    {
        QStringList faults;
        for (const QString& fault : textfit::FitFaults(window->StatusBar->Handle(), [](const QWidget* w) {
                 return QStringLiteral("status panel \"") + qobject_cast<const QLabel*>(w)->text() + u'"';
             }))
            faults << fault;
        const vcl::TScrollBox* box = window->PageBox(tab);
        for (const vcl::TPanel* panel : window->GroupPanels)
            if (panel->Visible() && panel->Parent() == box && panel->Height() == panel->Tag())
                for (const QString& fault : textfit::FitFaults(panel->Handle(), [this](const QWidget* w) { return NameOf(w); }))
                    faults << panel->Name() + ": " + fault;
        return faults;
    }

    // The captions of the page's panels still in English where the language table has the
    // window's language for them (a reader or an option that set its text after the language
    // was applied).
    QStringList EnglishLeft(int tab)
    {
        QStringList faults;
        if (window->LanguageIndex <= 0)
            return faults;
        const vcl::TStringGrid& table = *window->Grid_MultiLang;
        std::function<void(const vcl::TWinControl*, const QString&)> walk = [&](const vcl::TWinControl* parent,
                                                                               const QString& panel) {
            for (int k = 0; k < parent->ControlCount(); ++k) {
                const vcl::TControl* c = parent->Controls(k);
                if (!c->Visible())
                    continue;
                if (const auto* inner = dynamic_cast<const vcl::TWinControl*>(c))
                    walk(inner, panel);
                const bool caption = c->Tag() == 1 && (c->ClassName() == QLatin1String("TLabel") ||
                                                       c->ClassName() == QLatin1String("TRadioButton"));
                const int row = caption ? FindGridRow(c->Caption(), table) : -1;
                if (row > 0 && table.Cells(window->LanguageIndex, row) != c->Caption())
                    faults << panel + ": " + c->Name() + " \"" + c->Caption() + "\" is not in the window's language";
            }
        };
        const vcl::TScrollBox* box = window->PageBox(tab);
        for (const vcl::TPanel* panel : window->GroupPanels)
            if (panel->Visible() && panel->Parent() == box && panel->Height() == panel->Tag())
                walk(panel, panel->Name());
        return faults;
    }

    invsim::Bus bus;
};

} // namespace

// On every page of the mode, in the language, with the inverter's values: no caption or value is
// wider than its control, no two controls of a panel run over each other, and every caption the
// language table knows is in the window's language after the readers have run.
TEST_P(PageTextsTest, EveryTextFitsAndNothingOverlaps)
{
    const TextCase& c = GetParam();
    TForm_Main& w = Open();
    QStringList faults;
    const QByteArray dir = qgetenv("SUNVANE_SCREENSHOTS");
    for (const PageCase& page : ShippedPages()) {
        if (page.mode != c.mode)
            continue;
        // A new access code needs the mode chosen again.
        if (page.tab == 0 || (page.code && page.tab == 1))
            driver->PickText("Combo_SelectMode", QString::fromStdString(c.mode));
        if (page.code && page.tab == 1)
            dialogs.answers.push_back(QString::fromLatin1(page.code));
        if (page.tab > 0)
            driver->ChooseTab("PageControl", page.tab);
        ASSERT_EQ(w.PageControl->TabIndex(), page.tab);
        Poll();
        if (HasFatalFailure())
            return;
        for (const QString& fault : PageFaults(page.tab) + EnglishLeft(page.tab))
            faults << QStringLiteral("page %1 layout %2: ").arg(page.tab).arg(page.layout) + fault;
        if (!dir.isEmpty()) {
            QDir().mkpath(QString::fromUtf8(dir));
            const QString file = QStringLiteral("%1/texts-%2-lang%3-layout%4.png")
                                     .arg(QString::fromUtf8(dir), QString::fromStdString(c.mode))
                                     .arg(c.language)
                                     .arg(page.layout);
            EXPECT_TRUE(w.PageBox(page.tab)->ClientWidget()->grab().save(file));
            // The window as the engineer sees it, status bar included.
            EXPECT_TRUE(w.Handle()->grab().save(QString(file).replace("/texts-", "/window-")));
        }
    }
    faults.removeDuplicates();
    EXPECT_TRUE(faults.isEmpty()) << faults.size() << " faults:\n" << faults.join("\n").toStdString();
}

INSTANTIATE_TEST_SUITE_P(ShippedModes, PageTextsTest, ::testing::ValuesIn(ShippedModesInEveryLanguage()),
                         [](const ::testing::TestParamInfo<TextCase>& info) {
                             return info.param.mode + "_" + LanguageName(info.param.language);
                         });

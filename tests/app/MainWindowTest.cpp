// The main window's start-up, modes, pages, access codes, what it saves, and its shell.
#include "TextFit.h"
#include "WindowFixture.h"

#include <QFontMetrics>
#include <QLabel>
#include <QLayout>

#include "app/Formwait.h"
#include "app/MainHooks.h"
#include "app/Mymessage.h"
#include "app/PortList.h"
#include "app/SingleInstance.h"
#include "design/LayoutFile.h"
#include "design/ModeState.h"
#include "vcl/IniFile.h"

#include <QStringEncoder>
#include <QTest>
#include <QTimer>
#include <QWidget>

using namespace vcl;

namespace {

// Panels standing on page box `page`, by name.
QStringList PanelsOnPage(const TForm_Main& w, int page)
{
    QStringList names;
    for (const TPanel* p : w.GroupPanels)
        if (p->Visible() && p->Parent() == w.PageBox(page) && p->Height() == p->Tag())
            names << p->Name();
    return names;
}

// Panels that the layout file places on its page, with the tags the window has now (never none).
QStringList PanelsOfLayout(const TForm_Main& w, const QString& path)
{
    design::PanelStates states = design::InitialPanelStates();
    for (int i = 0; i < design::kGroupPanelCount; ++i)
        states[static_cast<size_t>(i)].tag = w.GroupPanels[static_cast<size_t>(i)]->Tag();
    EXPECT_EQ(design::LoadPageDesign(path, states), 0) << path.toStdString();
    QStringList names;
    for (int i = 0; i < design::kLayoutSectionCount; ++i)
        if (states[static_cast<size_t>(i)].height == states[static_cast<size_t>(i)].tag)
            names << QString::fromLatin1(design::GroupPanels()[static_cast<size_t>(i)].name);
    // Every shipped layout places panels: an empty list would make any empty page pass.
    EXPECT_FALSE(names.isEmpty()) << "no panel in " << path.toStdString();
    return names;
}

QStringList Sorted(QStringList l)
{
    l.sort();
    return l;
}

} // namespace

TEST_F(WindowTest, StartUpShowsNoModeNoTabAndCollapsedPanels)
{
    TForm_Main& w = Open();
    EXPECT_EQ(w.Caption(), "Sunvane V5.4.2");
    EXPECT_EQ(w.StopRequest, 1);
    EXPECT_EQ(w.CurrentPageIndex, -1);
    EXPECT_EQ(w.Combo_SelectMode->ItemIndex(), -1);
    // The mode folders in name order; the layout folder of the factory reload is no mode.
    const QStringList modes = driver->Items("Combo_SelectMode");
    for (const char* mode : {"GridTied", "Storage", "SuperHero", "SuperUser-Init"})
        EXPECT_TRUE(modes.contains(mode)) << mode;
    EXPECT_FALSE(modes.contains("SuperUser"));
    EXPECT_FALSE(modes.contains("profile"));
    QStringList sorted = modes;
    std::sort(sorted.begin(), sorted.end(), [](const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
    EXPECT_EQ(modes, sorted);
    for (int i = 0; i < w.PageControl->PageCount(); ++i)
        EXPECT_FALSE(w.PageControl->Pages(i)->TabVisible()) << i;
    for (const TPanel* p : w.GroupPanels) {
        EXPECT_FALSE(p->Visible()) << p->Name().toStdString();
        EXPECT_EQ(p->Height(), 40) << p->Name().toStdString();
        EXPECT_GT(p->Tag(), 0) << p->Name().toStdString();
    }
    EXPECT_EQ(w.PowerMultiplier, 1);
    EXPECT_EQ(w.EnergyMultiplier, 10);
    EXPECT_EQ(w.VoltageDivisor, 10);
    EXPECT_EQ(w.IdcDivisor, 100);
    EXPECT_EQ(w.IacDivisor, 100);
    EXPECT_EQ(w.ReclosureRate, 10);
    EXPECT_EQ(w.StatusBar->Panels()->Count(), 11);
    EXPECT_EQ(driver->TreeItems(), QStringList{"Inverters"});
    EXPECT_EQ(w.Edit_StartID->Text(), "1");
    EXPECT_EQ(w.Edit_EndID->Text(), "32");
    // Every group panel is one of the form's panels with a tag; the other panels have none.
    int tagged = 0;
    for (int i = 0; i < w.ComponentCount(); ++i)
        if (w.Components(i)->ClassName() == "TPanel" && w.Components(i)->Tag() > 0)
            ++tagged;
    EXPECT_EQ(tagged, design::kGroupPanelCount);
    EXPECT_EQ(w.Panel1->Tag() + w.Panel_LeftDown->Tag() + w.Panel_RightDown->Tag(), 0);
    EXPECT_TRUE(dialogs.shown.isEmpty());
}

TEST_F(WindowTest, RememberedInvertersFillTheTree)
{
    TIniFile ini(Home("profile/PreviousSet.RQX"));
    ASSERT_TRUE(ini.WriteString("InvExist", "ID7", "2"));
    ASSERT_TRUE(ini.WriteString("InvExist", "ID200", "3"));
    ASSERT_TRUE(ini.WriteString("Search", "StartID", "abc"));
    TForm_Main& w = Open();
    EXPECT_EQ(driver->TreeItems(), (QStringList{"Inverters", "ID:007", "ID:200"}));
    EXPECT_EQ(w.FoundIdList[0], 2);
    EXPECT_EQ(w.Link.SlaveId, 7);
    EXPECT_EQ(w.Link.IdBaudCode[7], 2);
    EXPECT_EQ(w.Link.IdBaudCode[200], 3);
    EXPECT_EQ(w.Edit_StartID->Text(), "abc"); // taken as it is; the edit checks it when left
    EXPECT_EQ(w.IdTreeRoot->Item(0)->ImageIndex(), 2);
    EXPECT_EQ(w.IdTreeRoot->Item(1)->ImageIndex(), 1);
}

TEST_F(WindowTest, OrdinaryModeShowsThreeTabsAndItsMainPage)
{
    TForm_Main& w = Open();
    driver->PickText("Combo_SelectMode", "Storage");
    EXPECT_EQ(w.SuperUserMode, 0);
    EXPECT_EQ(w.PageControl->TabIndex(), 0);
    EXPECT_EQ(w.CurrentPageIndex, 0);
    for (int page = 0; page < 7; ++page)
        EXPECT_EQ(w.TabSheets[page]->TabVisible(), page < 3) << page;
    EXPECT_FALSE(w.Tab_Firmware->TabVisible());
    EXPECT_EQ(w.TabSheets[1]->Caption(), "Config");
    EXPECT_EQ(w.TabSheets[2]->Caption(), "Ctrl");
    EXPECT_FALSE(w.Radio_ComSub1g->Visible());
    EXPECT_EQ(Sorted(PanelsOnPage(w, 0)), Sorted(PanelsOfLayout(w, Home("Storage/MonitorSet0.RQX"))));
}

// Each code opens its pair of layouts; the first question is the only one until the next mode.
TEST_F(WindowTest, AccessCodesChooseTheConfigAndCtrlLayouts)
{
    struct Case { const char* code; int config; int ctrl; };
    for (const Case& c : {Case{"4780", 1, 2}, Case{"2059", 3, 4}, Case{"7352", 5, 6}}) {
        SCOPED_TRACE(c.code);
        if (!window)
            Open();
        TForm_Main& w = *window;
        dialogs.prompts.clear();
        driver->PickText("Combo_SelectMode", "GridTied"); // a mode switch forgets the code
        EXPECT_TRUE(w.RememberedPassword.isEmpty());
        dialogs.answers.push_back(c.code);
        driver->ChooseTab("PageControl", 1);
        EXPECT_EQ(dialogs.prompts, QStringList{"Input Password Please|Password"});
        EXPECT_EQ(Sorted(PanelsOnPage(w, 1)),
                  Sorted(PanelsOfLayout(w, design::LayoutPath(Home("GridTied"), c.config))));
        driver->ChooseTab("PageControl", 2);
        EXPECT_EQ(dialogs.prompts.size(), 1);
        EXPECT_EQ(Sorted(PanelsOnPage(w, 2)),
                  Sorted(PanelsOfLayout(w, design::LayoutPath(Home("GridTied"), c.ctrl))));
        EXPECT_TRUE(dialogs.shown.isEmpty());
    }
}

TEST_F(WindowTest, WrongOrCancelledCodeReturnsToTheMainPage)
{
    TForm_Main& w = Open();
    driver->PickText("Combo_SelectMode", "GridTied");
    const QStringList mainPage = Sorted(PanelsOnPage(w, 0));
    for (const char* answer : std::initializer_list<const char*>{"1234", "47800", nullptr /* Cancel */}) {
        SCOPED_TRACE(answer ? answer : "Cancel");
        dialogs.shown.clear();
        if (answer)
            dialogs.answers.push_back(answer);
        driver->ChooseTab("PageControl", 2);
        EXPECT_EQ(dialogs.shown, QStringList{"Password Error"});
        EXPECT_EQ(w.PageControl->TabIndex(), 0);
        EXPECT_EQ(w.CurrentPageIndex, 0);
        EXPECT_EQ(Sorted(PanelsOnPage(w, 0)), mainPage);
        EXPECT_TRUE(PanelsOnPage(w, 2).isEmpty());
    }
}

TEST_F(WindowTest, ServiceCodeCheckOfTheGridSettingButtons)
{
    TForm_Main& w = Open();
    driver->PickText("Combo_SelectMode", "GridTied");
    dialogs.answers.push_back("0000");
    EXPECT_EQ(w.CheckServicePassword(), 0);
    EXPECT_EQ(dialogs.shown, QStringList{"Password Error"});
    dialogs.answers.push_back("7352");
    EXPECT_EQ(w.CheckServicePassword(), 1);
    EXPECT_EQ(w.CheckServicePassword(), 1); // remembered: no further question
    EXPECT_EQ(dialogs.prompts.size(), 2);
    // The code typed there also chooses the Config layout.
    driver->ChooseTab("PageControl", 1);
    EXPECT_EQ(Sorted(PanelsOnPage(w, 1)), Sorted(PanelsOfLayout(w, design::LayoutPath(Home("GridTied"), 5))));

    driver->PickText("Combo_SelectMode", "SuperHero");
    dialogs.prompts.clear();
    EXPECT_EQ(w.CheckServicePassword(), 1);
    EXPECT_TRUE(dialogs.prompts.isEmpty());
}

TEST_F(WindowTest, OrdinaryModeWritesNothing)
{
    const auto before = Snapshot(home.path());
    TForm_Main& w = Open();
    driver->PickText("Combo_SelectMode", "GridTied");
    dialogs.answers.push_back("2059");
    driver->ChooseTab("PageControl", 1);
    w.GroupPanels[0]->SetLeft(w.GroupPanels[0]->Left() + 7); // moved on screen, never saved
    driver->ChooseTab("PageControl", 2);
    driver->ChooseTab("PageControl", 0);
    driver->PickText("Combo_SelectMode", "Storage");
    driver->Close();
    EXPECT_FALSE(w.Visible());
    const auto after = Snapshot(home.path());
    EXPECT_EQ(before.size(), after.size());
    for (const auto& [path, bytes] : before)
        EXPECT_EQ(after.at(path), bytes) << path.toStdString();
}

TEST_F(WindowTest, SuperHeroOpensAllPagesAndSavesThePageLeft)
{
    TForm_Main& w = Open();
    driver->PickText("Combo_SelectMode", "GridTied");
    const auto superHeroBefore = Snapshot(Home("SuperHero"));
    driver->PickText("Combo_SelectMode", "SuperHero");
    // Entering the designer mode does not save the ordinary mode's page into its folder.
    EXPECT_EQ(Snapshot(Home("SuperHero")), superHeroBefore);
    EXPECT_EQ(w.SuperUserMode, 1);
    EXPECT_TRUE(w.Radio_ComSub1g->Visible());
    const QStringList captions{"Main", "Config4780", "Ctrl4780", "Config2059", "Ctrl2059", "Config7352", "Ctrl7352"};
    for (int page = 0; page < 7; ++page) {
        EXPECT_TRUE(w.TabSheets[page]->TabVisible()) << page;
        EXPECT_EQ(w.TabSheets[page]->Caption(), captions[page]);
    }
    for (int page = 1; page < 7; ++page) {
        driver->ChooseTab("PageControl", page);
        EXPECT_EQ(Sorted(PanelsOnPage(w, page)),
                  Sorted(PanelsOfLayout(w, design::LayoutPath(Home("SuperHero"), page))));
    }
    EXPECT_TRUE(dialogs.prompts.isEmpty());

    // A panel moved on page 6 is saved into page 6's layout when the page is left.
    driver->ChooseTab("PageControl", 6);
    TPanel* moved = nullptr;
    for (TPanel* p : w.GroupPanels)
        if (p->Visible() && p->Parent() == w.PageBox(6))
            moved = p;
    ASSERT_NE(moved, nullptr);
    moved->SetBounds(777, 888, moved->Width(), moved->Height());
    driver->ChooseTab("PageControl", 0);
    const design::GroupPanelInfo& info = design::GroupPanels()[design::GroupPanelIndex(moved->Name())];
    TIniFile layout6(design::LayoutPath(Home("SuperHero"), 6));
    EXPECT_EQ(layout6.ReadInteger(info.section, "Left", 0), 777);
    EXPECT_EQ(layout6.ReadInteger(info.section, "Top", 0), 888);

    // Closing saves the page on screen and the mode settings.
    w.ReclosureRate = 37;
    driver->Close();
    TIniFile settings(Home("SuperHero/MonitorSet.RQX"));
    EXPECT_EQ(settings.ReadInteger("reclosureTime", "Rate", 0), 37);
    EXPECT_TRUE(dialogs.shown.isEmpty()) << dialogs.shown.join("; ").toStdString();
}

TEST_F(WindowTest, FactoryReloadPutsTheFactoryLayoutOnThePageShown)
{
    TForm_Main& w = Open();
    driver->PickText("Combo_SelectMode", "SuperHero");
    driver->ChooseTab("PageControl", 3);
    driver->PickText("Combo_SelectMode", "SuperUser-Init");
    EXPECT_EQ(Sorted(PanelsOnPage(w, 3)),
              Sorted(PanelsOfLayout(w, design::FactoryLayoutPath(home.path(), 3))));
    EXPECT_EQ(w.Combo_SelectMode->Text(), "SuperHero");
    EXPECT_EQ(w.SuperUserMode, 1);
    EXPECT_EQ(w.CurrentPageIndex, 3);
}

TEST_F(WindowTest, ReadOnlyDesignerLayoutIsReportedAndThePageStillShows)
{
    TForm_Main& w = Open();
    driver->PickText("Combo_SelectMode", "SuperHero");
    QFile::setPermissions(design::LayoutPath(Home("SuperHero"), 0), QFile::ReadOwner);
    QFile::setPermissions(Home("SuperHero"), QFile::ReadOwner | QFile::ExeOwner);
    driver->ChooseTab("PageControl", 1);
    QFile::setPermissions(Home("SuperHero"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    ASSERT_EQ(dialogs.shown.size(), 1);
    EXPECT_TRUE(dialogs.shown[0].contains("MonitorSet0.RQX")) << dialogs.shown[0].toStdString();
    EXPECT_EQ(Sorted(PanelsOnPage(w, 1)), Sorted(PanelsOfLayout(w, design::LayoutPath(Home("SuperHero"), 1))));
}

TEST_F(WindowTest, MissingLayoutLeavesThePanelsAndSaysSo)
{
    TForm_Main& w = Open();
    QFile::remove(design::LayoutPath(Home("Storage"), 0));
    driver->PickText("Combo_SelectMode", "Storage");
    EXPECT_EQ(dialogs.shown, QStringList{"No Found Setting File2"});
    EXPECT_TRUE(PanelsOnPage(w, 0).isEmpty());
}

TEST_F(WindowTest, FoldingTheHeaderBandAndTheLeftPane)
{
    TForm_Main& w = Open();
    driver->Click("Label_TopRetract");
    EXPECT_EQ(w.Group_Top->Height(), 14);
    EXPECT_EQ(w.Label_TopRetract->Caption(), "+");
    EXPECT_EQ(w.Label_TopRetract->Top(), -5);
    EXPECT_EQ(w.BorderStyle(), bsNone);
    // F11 anywhere in the window folds it back.
    driver->PressKey("Edit_StartID", VK_F11);
    EXPECT_EQ(w.Group_Top->Height(), 75);
    EXPECT_EQ(w.Label_TopRetract->Caption(), "_");
    EXPECT_EQ(w.Label_TopRetract->Font()->Size(), 18);
    EXPECT_EQ(w.BorderStyle(), bsSizeable);

    driver->Click("Label_LeftDownRetract");
    EXPECT_EQ(w.Panel_LeftDown->Width(), 5);
    EXPECT_EQ(w.Label_LeftDownRetract->Caption(), ">>");
    driver->Click("Label_LeftDownRetract");
    EXPECT_EQ(w.Panel_LeftDown->Width(), 140);
    EXPECT_EQ(w.Label_LeftDownRetract->Caption(), "<<");
}

// The header band's background covers 3000 pixels (any window width): one shade per row, the
// same from the left end to the right, from (200, 250, 255) down to (128, 178, 255); its last two
// rows are clear.
TEST_F(WindowTest, HeaderBandBackgroundIsOneShadePerRowAcrossItsWidth)
{
    TForm_Main& w = Open();
    const QImage band = w.Image_TopRight->Picture().convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(band.size(), QSize(3000, 75));
    EXPECT_EQ(band.pixel(0, 0), qRgb(200, 250, 255));
    EXPECT_EQ(band.pixel(1, 1), qRgb(199, 249, 255));
    EXPECT_EQ(band.pixel(2999, 72), qRgb(128, 178, 255));
    for (int y : {73, 74})
        for (int x : {0, 1500, 2999})
            EXPECT_EQ(qAlpha(band.pixel(x, y)), 0) << x << "," << y;
    for (int y = 0; y < 73; ++y) {
        const QRgb shade = band.pixel(0, y);
        EXPECT_EQ(qAlpha(shade), 255) << y;
        for (int x : {1, 777, 2998, 2999})
            ASSERT_EQ(band.pixel(x, y), shade) << x << "," << y;
    }
}

// With the header band and the left pane both folded, the two labels that unfold them stand
// whole in the band's strip, where the user can see and click them.
TEST_F(WindowTest, UnfoldLabelsStandWholeInTheFoldedBand)
{
    TForm_Main& w = Open();
    driver->Click("Label_LeftDownRetract");
    driver->Click("Label_TopRetract");
    ASSERT_EQ(w.Group_Top->Height(), 14);
    const QRect strip = w.Group_Top->Handle()->rect();
    for (vcl::TLabel* label : {w.Label_TopRetract, w.Label_LeftDownRetract}) {
        SCOPED_TRACE(label->Name().toStdString());
        const auto* widget = static_cast<const QLabel*>(label->Handle());
        ASSERT_TRUE(widget->isVisibleTo(w.Group_Top->Handle()));
        // The glyphs as drawn: the text starts at the label's top-left, on the font's baseline.
        const QFontMetrics metrics(widget->font());
        const QRect glyphs = metrics.tightBoundingRect(widget->text()).translated(widget->geometry().topLeft() + QPoint(0, metrics.ascent()));
        EXPECT_TRUE(strip.contains(glyphs)) << "glyphs at " << glyphs.top() << ".." << glyphs.bottom() << ", "
                                            << glyphs.left() << ".." << glyphs.right() << " of a strip "
                                            << strip.height() << " high";
        EXPECT_TRUE(widget->geometry().intersected(strip).contains(glyphs));
    }
    EXPECT_FALSE(w.Label_TopRetract->Handle()->geometry().intersects(w.Label_LeftDownRetract->Handle()->geometry()));
    // Both unfold again from there.
    driver->Click("Label_LeftDownRetract");
    EXPECT_EQ(w.Panel_LeftDown->Width(), 140);
    driver->Click("Label_TopRetract");
    EXPECT_EQ(w.Group_Top->Height(), 75);
    EXPECT_EQ(w.Label_LeftDownRetract->Top(), 44) << "back beside the help button";
}

// Each status panel holds its longest text whole: the link's counters on Wi-Fi with five digits
// each, the port state, the data-log count.
TEST_F(WindowTest, StatusPanelsHoldTheirLongestTexts)
{
    TForm_Main& w = Open();
    const std::pair<int, const char*> texts[] = {
        {4, "COM Close"},
        {5, "NoCon/NoRx/Error:99999/99999/99999"},
        {5, "NoRx/Error:99999/99999"},
        {9, "Report: 99999"},
        {9, "RSSI: -120"},
    };
    for (const auto& [panel, text] : texts) {
        w.SetStatusText(panel, QString::fromLatin1(text));
        const auto* label = qobject_cast<const QLabel*>(w.StatusBar->Handle()->layout()->itemAt(panel)->widget());
        ASSERT_NE(label, nullptr);
        EXPECT_EQ(label->text(), QString::fromLatin1(text));
        EXPECT_EQ(textfit::TooNarrow(label), QString()) << "panel " << panel << " \"" << text << "\"";
    }
}

TEST_F(WindowTest, ResizeKeepsTheMinimumAndTheRightEdgeControls)
{
    TForm_Main& w = Open();
    w.SetBounds(w.Left(), w.Top(), 700, 500);
    ProcessMessages();
    EXPECT_EQ(w.Width(), 800);
    EXPECT_EQ(w.Height(), 600);
    w.SetBounds(w.Left(), w.Top(), 1500, 900);
    ProcessMessages();
    EXPECT_EQ(w.Btn_Help->Left(), 1500 - 72);
    EXPECT_EQ(w.Label_TopRetract->Left(), 1500 - 65);
    EXPECT_EQ(w.Label_LeftDownRetract->Left(), 1500 - 40);
}

// The header band's controls as the user sees them at every width from the smallest up: the
// help button and the two folding labels at the right edge lie on nothing of the band (a box
// that does not fit is cut off before them), and the port box is whole, wide enough for a
// by-id path once the window leaves room for it.
TEST_F(WindowTest, RightEdgeControlsNeverCoverTheHeaderBand)
{
    TForm_Main& w = Open();
    // A control's rectangle in the band's coordinates, cut by every box it sits in.
    auto seen = [&](const TControl* c) {
        QRect r(c->Left(), c->Top(), c->Width(), c->Height());
        for (const TWinControl* p = c->Parent(); p && p != w.Group_Top; p = p->Parent()) {
            r &= QRect(0, 0, p->Width(), p->Height());
            r.translate(p->Left(), p->Top());
        }
        return r & QRect(0, 0, w.Group_Top->Width(), w.Group_Top->Height());
    };
    auto inBand = [&](const TControl* c) {
        for (const TWinControl* p = c->Parent(); p; p = p->Parent())
            if (p == w.Group_Top)
                return true;
        return false;
    };
    const QString byId = "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0";
    const int byIdWidth = w.Combo_COM->Handle()->fontMetrics().horizontalAdvance(byId);
    for (const int width : {800, 1000, 1280, 1400, 1920}) {
        w.SetBounds(w.Left(), w.Top(), width, 860);
        ProcessMessages();
        ASSERT_EQ(w.Width(), width);
        const TControl* edge[] = {w.Btn_Help, w.Label_LeftDownRetract, w.Label_TopRetract};
        for (const TControl* e : edge) {
            EXPECT_EQ(seen(e), QRect(e->Left(), e->Top(), e->Width(), e->Height()) & QRect(0, 0, width, 75))
                << e->Name().toStdString() << " at " << width;
            for (int i = 0; i < w.ComponentCount(); ++i) {
                const auto* c = dynamic_cast<const TControl*>(w.Components(i));
                if (!c || !c->Visible() || !inBand(c) || c == w.Image_TopRight || c == w.Btn_Help
                    || c == w.Label_LeftDownRetract || c == w.Label_TopRetract)
                    continue;
                EXPECT_FALSE(seen(c).intersects(seen(e)))
                    << e->Name().toStdString() << " covers " << c->Name().toStdString() << " at " << width;
            }
        }
        for (const TControl* c : std::initializer_list<const TControl*>{w.Combo_COM, w.OpenPort, w.ClosePort})
            EXPECT_EQ(seen(c).width(), c->Width()) << c->Name().toStdString() << " at " << width;
        if (width >= 1400) {
            EXPECT_GT(w.Combo_COM->Width(), byIdWidth + 20) << width;
        }
    }
}

TEST_F(WindowTest, LinkChoiceEnablesThePortList)
{
    TForm_Main& w = Open();
    driver->MouseDown("Radio_ComWifi");
    EXPECT_FALSE(w.Combo_COM->Enabled());
    driver->MouseDown("Radio_ComRS485");
    EXPECT_TRUE(w.Combo_COM->Enabled());
    EXPECT_FALSE(w.Edit_RolaNextFreq->Visible());
    driver->PickText("Combo_SelectMode", "SuperHero");
    driver->MouseDown("Radio_ComSub1g");
    EXPECT_TRUE(w.Combo_COM->Enabled());
    EXPECT_TRUE(w.Edit_RolaNextFreq->Visible());
    EXPECT_EQ(w.Edit_RolaNextFreq->Text(), "928.9");
    // The radio frequency shows only while the radio link is chosen, in a mode that offers it.
    driver->MouseDown("Radio_ComRS485");
    EXPECT_FALSE(w.Edit_RolaNextFreq->Visible());
    driver->MouseDown("Radio_ComSub1g");
    EXPECT_TRUE(w.Edit_RolaNextFreq->Visible());
    driver->MouseDown("Radio_ComWifi");
    EXPECT_FALSE(w.Edit_RolaNextFreq->Visible());
    driver->MouseDown("Radio_ComSub1g");
    driver->PickText("Combo_SelectMode", "GridTied");
    EXPECT_FALSE(w.Radio_ComSub1g->Visible());
    EXPECT_FALSE(w.Edit_RolaNextFreq->Visible());
    driver->PickText("Combo_SelectMode", "SuperHero");
    EXPECT_TRUE(w.Edit_RolaNextFreq->Visible());
    driver->MouseDown("Radio_ComRS485");
    // A port path typed by the user (a by-id name, a pseudo-terminal) stays.
    driver->Type("Combo_COM", "/dev/pts/9");
    EXPECT_EQ(w.Combo_COM->Text(), "/dev/pts/9");
}

// The language choice saves the language and starts the program again; the new process must
// not meet this one's lock.
TEST_F(WindowTest, LanguageChoiceRestartsWithTheLockReleased)
{
    TForm_Main& w = Open();
    bool started = false, lockFree = false;
    auto saved = mainhooks::StartProgram;
    mainhooks::StartProgram = [&] {
        started = true;
        SingleInstance next(QStringLiteral("Sunvane V5.4.2"));
        lockFree = next.Acquire([] {});
        return true;
    };
    driver->Click("Image_Country_Genman");
    mainhooks::StartProgram = saved;
    EXPECT_TRUE(started);
    EXPECT_TRUE(lockFree);
    EXPECT_FALSE(w.Visible());
    EXPECT_EQ(TIniFile(Home("profile/PreviousSet.RQX")).ReadInteger("Language", "Set", -1), 1);
}

TEST_F(WindowTest, LanguageTableRecaptionsTaggedTexts)
{
    QFile table(Home("profile/LangTable.RQX"));
    ASSERT_TRUE(table.open(QIODevice::WriteOnly));
    QStringEncoder utf16(QStringEncoder::Utf16LE, QStringEncoder::Flag::WriteBom);
    table.write(utf16.encode(QStringLiteral("English\tDeutsch\tFrancais\r\n"
                                            "Sync Clock\tUhr stellen\tHorloge\r\n"
                                            "Single\tEinzeln\tUnique\r\n"
                                            "Status\tStatus\r\n")));
    table.close();
    TIniFile(Home("profile/PreviousSet.RQX")).WriteInteger("Language", "Set", 2);
    TForm_Main& w = Open();
    EXPECT_EQ(w.Label_SelectLanguage->Caption(), "French");
    EXPECT_EQ(w.Label_SyncClock->Caption(), "Horloge");
    EXPECT_EQ(w.Radio_SendSingle->Caption(), "Unique");
    EXPECT_EQ(driver->Text("Label_Status"), ""); // a row without the column gives an empty text
    EXPECT_EQ(w.Label2003->Caption(), "Firmware");
    bool logged = false;
    for (int i = 0; i < w.List_Event->Lines()->Count(); ++i)
        logged |= w.List_Event->Lines()->Strings(i) == "Firmware Search Error";
    EXPECT_TRUE(logged);
}

TEST_F(WindowTest, PrintListsEveryLabelInTheLog)
{
    TForm_Main& w = Open();
    w.Btn_PrintLabelClick(w.Btn_PrintLabel);
    QStringList lines;
    for (int i = 0; i < w.List_Event->Lines()->Count(); ++i)
        lines << w.List_Event->Lines()->Strings(i);
    EXPECT_TRUE(lines.contains("Sync Clock"));
    EXPECT_TRUE(lines.contains("Version"));
    EXPECT_TRUE(lines.contains("Q(P) for Q by night && Q 24/7"));
}

TEST_F(WindowTest, GuideIsWrittenWhenMissingAndNeverReplaced)
{
    TForm_Main& w = Open();
    QStringList opened;
    auto saved = mainhooks::OpenDocument;
    mainhooks::OpenDocument = [&](const QString& path) { opened << path; return true; };
    driver->Click("Btn_Help");
    ASSERT_EQ(opened.size(), 1);
    EXPECT_EQ(opened[0], Home("KIV_Guide.pdf"));
    QFile guide(opened[0]);
    ASSERT_TRUE(guide.open(QIODevice::ReadOnly));
    EXPECT_TRUE(guide.read(5).startsWith("%PDF"));
    guide.close();
    // The user's own guide stays.
    ASSERT_TRUE(guide.open(QIODevice::WriteOnly | QIODevice::Truncate));
    guide.write("mine");
    guide.close();
    driver->Click("Btn_Help");
    mainhooks::OpenDocument = saved;
    ASSERT_TRUE(guide.open(QIODevice::ReadOnly));
    EXPECT_EQ(guide.readAll(), "mine");
    EXPECT_EQ(w.Caption(), "Sunvane V5.4.2");
}

TEST(PortList, RealUartsUsbAndStableNames)
{
    QTemporaryDir dev, sys;
    auto touch = [](const QString& path, const QByteArray& content = {}) {
        QDir().mkpath(QFileInfo(path).path());
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(content);
    };
    for (const char* n : {"ttyS0", "ttyS1", "ttyS10", "ttyUSB10", "ttyUSB2", "ttyACM0", "tty0", "serial/by-id/usb-FTDI_A1"})
        touch(dev.path() + "/" + n);
    touch(sys.path() + "/ttyS0/type", "4\n");
    touch(sys.path() + "/ttyS1/type", "0\n"); // no UART behind it
    touch(sys.path() + "/ttyS10/type", "4\n");
    const QString d = dev.path();
    EXPECT_EQ(SerialPortNames(d, sys.path()),
              (QStringList{d + "/ttyS0", d + "/ttyS10", d + "/ttyUSB2", d + "/ttyUSB10", d + "/ttyACM0",
                           d + "/serial/by-id/usb-FTDI_A1"}));
    EXPECT_TRUE(SerialPortNames(d + "/none", sys.path()).isEmpty());
}

TEST_F(WindowTest, WaitWindowShowsOnePictureAtATime)
{
    Open();
    TForm_wait wait;
    const int first = TForm_wait::TickCount();
    int seen[3] = {0, 0, 0};
    for (int tick = 0; tick < 3; ++tick) {
        wait.Timer_WaitTimer(wait.Timer_Wait);
        const bool v[3] = {wait.Image_Wait1->Visible(), wait.Image_Wait2->Visible(), wait.Image_Wait3->Visible()};
        EXPECT_EQ(v[0] + v[1] + v[2], 1);
        for (int i = 0; i < 3; ++i)
            seen[i] += v[i];
    }
    EXPECT_EQ(TForm_wait::TickCount(), first + 3);
    EXPECT_EQ(seen[0], 1);
    EXPECT_EQ(seen[1], 1);
    EXPECT_EQ(seen[2], 1);
    EXPECT_TRUE(wait.Timer_Wait->Enabled());
    EXPECT_EQ(wait.Timer_Wait->Interval(), 1000);
}

// The wait window over the middle of the main window shows its current picture and nothing
// else: its own ground is clear, not a grey square around the picture.
TEST_F(WindowTest, WaitWindowShowsItsPictureOnAClearGround)
{
    TForm_Main& w = Open();
    w.SetBounds(100, 50, 1400, 860);
    ProcessMessages();
    TForm_wait wait;
    wait.Timer_WaitTimer(wait.Timer_Wait);
    wait.Show();
    ProcessMessages();
    EXPECT_EQ(wait.Left(), 100 + (1400 - 300) / 2);
    EXPECT_EQ(wait.Top(), 50 + (860 - 306) / 2);
    const int frame = wait.Image_Wait1->Visible() ? 1 : wait.Image_Wait2->Visible() ? 2 : 3;
    const QImage picture = QImage(QString(":/window/Wait%1.png").arg(frame)).convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(picture.size(), QSize(257, 265));
    const QImage seen = wait.Handle()->grab().toImage().convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(seen.size(), QSize(300, 306));
    int wrong = 0;
    for (int y = 0; y < seen.height(); ++y)
        for (int x = 0; x < seen.width(); ++x) {
            const QPoint inPicture(x - 20, y - 20);
            const int expected = picture.rect().contains(inPicture) ? qAlpha(picture.pixel(inPicture)) : 0;
            if (std::abs(qAlpha(seen.pixel(x, y)) - expected) > 2 && wrong++ < 5)
                ADD_FAILURE() << "alpha " << qAlpha(seen.pixel(x, y)) << " at " << x << "," << y << ", not " << expected;
        }
    EXPECT_EQ(wrong, 0);
    wait.Close();
}

// The result window: two centred lines in the middle of its 480-pixel labels, the "Close" button
// at its place with its larger letters, the whole window over the middle of the main window.
TEST_F(WindowTest, ResultWindowLayout)
{
    TForm_Main& w = Open();
    w.SetBounds(100, 50, 1400, 860);
    ProcessMessages();
    TForm_Message message;
    EXPECT_EQ(message.BorderStyle(), bsDialog);
    EXPECT_EQ(message.Font()->Name(), "Tahoma");
    const TButton* button = message.BitBtn1;
    EXPECT_EQ(QRect(button->Left(), button->Top(), button->Width(), button->Height()), QRect(213, 180, 116, 35));
    EXPECT_EQ(button->Font()->Name(), "Tahoma");
    EXPECT_EQ(button->Font()->Height(), -27);
    EXPECT_EQ(button->Handle()->font().pixelSize(), 27);
    for (const TLabel* label : {message.Label1, message.Label2}) {
        EXPECT_EQ(label->Font()->Name(), "Tahoma");
        EXPECT_EQ(label->Font()->Height(), -37);
        EXPECT_EQ(label->Font()->Size(), 28);
        EXPECT_EQ(label->Font()->Style(), 0);
        EXPECT_EQ(label->Font()->Color(), RGB(0, 128, 0));
        EXPECT_EQ(label->Alignment(), taCenter);
        EXPECT_EQ(label->Width(), 480);
    }
    message.Show();
    ProcessMessages();
    EXPECT_EQ(message.Left(), 100 + (1400 - 536) / 2);
    EXPECT_EQ(message.Top(), 50 + (860 - 216) / 2);
    // The green letters of each line sit in the middle of the window (30 + 480 / 2).
    const QImage seen = message.Handle()->grab().toImage().convertToFormat(QImage::Format_ARGB32);
    for (const TLabel* label : {message.Label1, message.Label2}) {
        int first = seen.width(), last = -1;
        for (int y = label->Top(); y < label->Top() + label->Height(); ++y)
            for (int x = 0; x < seen.width(); ++x) {
                const QRgb p = seen.pixel(x, y);
                if (qGreen(p) > 90 && qRed(p) < 60 && qBlue(p) < 60) {
                    first = std::min(first, x);
                    last = std::max(last, x);
                }
            }
        ASSERT_GE(last, first) << label->Name().toStdString();
        EXPECT_NEAR((first + last) / 2.0, 270, 3) << label->Name().toStdString();
    }
    message.Close();
}

TEST_F(WindowTest, ResultWindowClosesWithEscLikeItsButton)
{
    Open();
    TForm_Message message;
    EXPECT_EQ(message.Label1->Caption(), "FIRMWARE UPGRADE");
    EXPECT_EQ(message.Label2->Caption(), "COMPLETED");
    EXPECT_EQ(message.BitBtn1->Caption(), "Close");
    QTimer::singleShot(0, [&] { driver->PressKey("BitBtn1", VK_ESCAPE); });
    message.ShowModal();
    EXPECT_FALSE(message.Visible());
    QTimer::singleShot(0, [&] { driver->Click("BitBtn1"); });
    message.ShowModal();
    EXPECT_FALSE(message.Visible());
}

// A designer settings file that cannot be written is reported with its path; the remembered
// state is still saved and the window still closes.
TEST_F(WindowTest, UnwritableDesignerSettingsDoNotStopTheShutDown)
{
    TForm_Main& w = Open();
    driver->PickText("Combo_SelectMode", "SuperHero");
    w.Edit_EndID->SetText("17");
    QFile::setPermissions(Home("SuperHero/MonitorSet.RQX"), QFile::ReadOwner);
    QFile::setPermissions(Home("SuperHero"), QFile::ReadOwner | QFile::ExeOwner);
    driver->Close();
    QFile::setPermissions(Home("SuperHero"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_FALSE(w.Visible());
    ASSERT_FALSE(dialogs.shown.isEmpty());
    EXPECT_TRUE(dialogs.shown.join("\n").contains("MonitorSet")) << dialogs.shown.join("; ").toStdString();
    EXPECT_EQ(TIniFile(Home("profile/PreviousSet.RQX")).ReadString("Search", "EndID", ""), "17");
}

// Remembered values out of range count as nothing found, and a wrong language as English.
TEST_F(WindowTest, RememberedValuesOutOfRangeAreIgnored)
{
    TIniFile ini(Home("profile/PreviousSet.RQX"));
    ASSERT_TRUE(ini.WriteString("InvExist", "ID7", "5"));
    ASSERT_TRUE(ini.WriteString("InvExist", "ID9", "-1"));
    ASSERT_TRUE(ini.WriteString("InvExist", "ID12", "1"));
    ASSERT_TRUE(ini.WriteString("Language", "Set", "5"));
    TForm_Main& w = Open();
    EXPECT_EQ(driver->TreeItems(), (QStringList{"Inverters", "ID:012"}));
    EXPECT_EQ(w.LanguageIndex, 0);
    EXPECT_EQ(w.Label_SelectLanguage->Caption(), "English");
}

// A second start while the window is minimised brings it back.
TEST_F(WindowTest, SecondStartRestoresTheMinimisedWindow)
{
    TForm_Main& w = Open();
    w.Handle()->showMinimized();
    ProcessMessages();
    SingleInstance second(w.Caption());
    EXPECT_FALSE(second.Acquire([] {}));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !w.Handle()->isMinimized(); }, 5000));
}

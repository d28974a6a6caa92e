// The page designer and the display options on the real window, driven as a user does: the
// mouse over a page, the popup menu, dragging a panel by its title, removing it; the options
// applied at once and again from the mode settings after a restart; the hover pictures.
#include "WindowFixture.h"

#include "design/GroupPanels.h"
#include "design/ModeState.h"
#include "vcl/IniFile.h"

#include <QApplication>
#include <QAction>
#include <QEvent>
#include <QPoint>
#include <QWidget>

#include <functional>

namespace {

using vcl::DriverError;

QByteArray Bytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

class DesignerTest : public WindowTest {
protected:
    TForm_Main& OpenSuperHero()
    {
        TForm_Main& w = Open();
        driver->PickText("Combo_SelectMode", design::kSuperUserModeName);
        EXPECT_EQ(w.SuperUserMode, 1);
        return w;
    }
    vcl::TPanel* Panel(const char* name) { return window->GroupPanel(QString::fromLatin1(name)); }
    static QByteArray Lines(const QByteArray& file, const QList<QByteArray>& without)
    {
        QList<QByteArray> kept;
        for (const QByteArray& line : file.split('\n'))
            if (!without.contains(line.trimmed()))
                kept << line;
        return kept.join('\n');
    }
};

// A right click opens the menu where the mouse is, whatever the page saw of the mouse before:
// the panel inserted lands there, in the page's own coordinates, also when the click was over
// another panel (where the page sees no mouse move), and on a page scrolled down.
TEST_F(DesignerTest, AnInsertLandsWhereTheUserRightClicked)
{
    TForm_Main& w = OpenSuperHero();
    vcl::TPanel* poll = Panel("Group_Poll01");
    vcl::TPanel* version = Panel("Group_Version");
    ASSERT_TRUE(version->Visible());
    ASSERT_EQ(version->Parent(), w.ScrollPages[0]);
    driver->MouseMove("Scroll_Page1", 400, 120);   // an earlier place on the page

    driver->RightClick("Group_Version", 30, 20);
    driver->Menu("ScrollPopMenu", "Custom/Poll/Poll 01 (Unsigned)");
    EXPECT_EQ(poll->Parent(), w.ScrollPages[0]);
    EXPECT_EQ(poll->Left(), version->Left() + 30);
    EXPECT_EQ(poll->Top(), version->Top() + 20);

    // The page scrolled down: the place clicked on the page, not in its visible area.
    driver->Wheel("Scroll_Page1", 3);
    const int scrolled = w.ScrollPages[0]->VertScrollPosition();
    driver->RightClick("Scroll_Page1", 200, 50);
    driver->Menu("ScrollPopMenu", "Custom/Poll/Poll 02 (Unsigned)");
    vcl::TPanel* second = Panel("Group_Poll02");
    EXPECT_EQ(second->Left(), 200);
    EXPECT_EQ(second->Top(), 50 + scrolled);
}

TEST_F(DesignerTest, PlaceDragRemoveAndTheNextPageSwitchSavesThePage)
{
    TForm_Main& w = OpenSuperHero();
    vcl::TPanel* poll = Panel("Group_Poll01");
    vcl::TPanel* version = Panel("Group_Version");
    ASSERT_FALSE(poll->Visible()) << "the shipped main page has no poll panel";
    ASSERT_TRUE(version->Visible());

    // The mouse over the page, then the menu: the panel opens there at its full height.
    driver->MouseMove("Scroll_Page1", 400, 120);
    EXPECT_EQ(w.PanelDrag.LastX, 400);
    EXPECT_EQ(w.PanelDrag.LastY, 120);
    driver->RightClick("Scroll_Page1", 400, 120);
    driver->Menu("ScrollPopMenu", "Custom/Poll/Poll 01 (Unsigned)");
    EXPECT_TRUE(poll->Visible());
    EXPECT_EQ(poll->Parent(), w.ScrollPages[0]);
    EXPECT_EQ(poll->Height(), poll->Tag());
    EXPECT_EQ(poll->Left(), 400);
    EXPECT_EQ(poll->Top(), 120);

    // Dragging by the title: the panel follows the mouse; past the top edge it stops at its last
    // place above 0 while it still follows sideways; past the right limit it stays put.
    struct Drag {
        int dx, dy;
        int left, top;
    };
    // The drag moves in eight steps; a first step beyond the right limit leaves every step there.
    const int beyondRight = 8 * (w.ScrollPages[0]->Width() - 50 - 480) + 8;
    ASSERT_GT(beyondRight, 8);
    for (const Drag& d : {Drag{30, 40, 430, 160}, Drag{50, -200, 480, 10}, Drag{beyondRight, 0, 480, 10},
                          Drag{-470, 100, 10, 110}, Drag{-20, 0, 10, 110}}) {
        SCOPED_TRACE(testing::Message() << d.dx << "," << d.dy);
        driver->DragBy("Label_Poll01", d.dx, d.dy);
        EXPECT_EQ(poll->Left(), d.left);
        EXPECT_EQ(poll->Top(), d.top);
        EXPECT_EQ(w.PanelDrag.DownX, 0) << "the release ends the drag";
        EXPECT_EQ(w.PanelDrag.DownY, 0);
    }

    // A double click on a title takes the panel off the page; it keeps its parent.
    driver->DblClick("Label_Version");
    EXPECT_FALSE(version->Visible());
    EXPECT_EQ(version->Height(), design::kCollapsedHeight);
    EXPECT_EQ(version->Parent(), w.ScrollPages[0]);

    // The page switch writes the page into the designer's layout file.
    const QString layout = design::SuperUserLayoutPath(home.path(), 0);
    const QByteArray before = Bytes(layout);
    driver->ChooseTab("PageControl", 1);
    EXPECT_EQ(w.CurrentPageIndex, 1);
    EXPECT_TRUE(dialogs.shown.isEmpty()) << dialogs.shown.join(" | ").toStdString();
    vcl::TIniFile saved(layout);
    EXPECT_EQ(saved.ReadInteger("Poll01", "Height", 0), design::EncodePanelHeight(u"Poll01", poll->Tag(), poll->Tag(), true));
    EXPECT_EQ(saved.ReadInteger("Poll01", "Left", 0), 10);
    EXPECT_EQ(saved.ReadInteger("Poll01", "Top", 0), 110);
    EXPECT_EQ(saved.ReadInteger("Version", "Height", 0), design::kCollapsedHeight);
    EXPECT_NE(Bytes(layout), before);

    // The panel stands on page 2 now when inserted there: it leaves the first page.
    driver->MouseMove("Scroll_Page2", 60, 70);
    driver->Menu("ScrollPopMenu", "Custom/Poll/Poll 01 (Unsigned)");
    EXPECT_EQ(poll->Parent(), w.ScrollPages[1]);
    EXPECT_EQ(poll->Left(), 60);
    EXPECT_EQ(poll->Top(), 70);

    // After a restart the main page shows the saved arrangement.
    window.reset();
    TForm_Main& again = OpenSuperHero();
    EXPECT_TRUE(Panel("Group_Poll01")->Visible());
    EXPECT_EQ(Panel("Group_Poll01")->Parent(), again.ScrollPages[0]);
    EXPECT_EQ(Panel("Group_Poll01")->Left(), 10);
    EXPECT_EQ(Panel("Group_Poll01")->Top(), 110);
    EXPECT_FALSE(Panel("Group_Version")->Visible());
}

TEST_F(DesignerTest, OrdinaryModeHasNoDesigner)
{
    TForm_Main& w = Open();
    driver->PickText("Combo_SelectMode", "GridTied");
    ASSERT_EQ(w.SuperUserMode, 0);
    EXPECT_THROW(driver->Menu("ScrollPopMenu", "Custom/Poll/Poll 01 (Unsigned)"), DriverError);
    driver->RightClick("Scroll_Page1", 300, 300);   // opens nothing
    EXPECT_FALSE(w.ScrollPopMenu->IsOpen());
    EXPECT_FALSE(Panel("Group_Poll01")->Visible());

    // A visible panel of the page: a press brings it to the front, a drag or a double click
    // does nothing else.
    vcl::TPanel* shown = nullptr;
    for (vcl::TPanel* p : w.GroupPanels)
        if (p->Visible() && p->Parent() == w.ScrollPages[0] && !QString(p->Name()).startsWith("Group_Mask")) {
            shown = p;
            break;
        }
    ASSERT_NE(shown, nullptr);
    const QString title = "Label_" + shown->Name().mid(6);
    const int left = shown->Left(), top = shown->Top(), height = shown->Height();
    ASSERT_NE(shown->Handle()->parentWidget()->children().last(), shown->Handle());
    driver->DragBy(title, 40, 40);
    driver->DblClick(title);
    EXPECT_EQ(shown->Left(), left);
    EXPECT_EQ(shown->Top(), top);
    EXPECT_EQ(shown->Height(), height);
    EXPECT_TRUE(shown->Visible());
    const QObjectList& stack = shown->Handle()->parentWidget()->children();
    EXPECT_EQ(stack.last(), shown->Handle()) << "brought to the front";
}

// Every option item's effect on the window at once, and from the mode settings after a
// restart; the settings file changes only in the option keys.
TEST_F(DesignerTest, OptionItemsApplyAtOnceAndAfterARestart)
{
    TForm_Main& w = OpenSuperHero();
    const QString settings = design::ModeSettingsPath(Home(design::kSuperUserModeName));
    const QByteArray before = Bytes(settings);
    ASSERT_EQ(w.VacProtectSet, 1) << "the shipped designer mode shows both voltage stages";
    ASSERT_EQ(w.ActiveSlopeShow, 1);

    driver->MouseMove("Scroll_Page1", 620, 20);
    driver->Menu("ScrollPopMenu", "Config Page/2. Uac Protection/RULE 21");
    driver->Menu("ScrollPopMenu", "Config Page/3. Freq. Protection/HECO");
    driver->Menu("ScrollPopMenu", "Ctrl Page/0. Option/Ind- ; Cap+");
    driver->Menu("ScrollPopMenu", "Ctrl Page/4. Active Power/1. No Slope");
    driver->Menu("ScrollPopMenu", "Main Page/3.Output/Option/Title: VAB...");
    driver->Menu("ScrollPopMenu", "Main Page/15. Write Permission/Lock");

    auto check = [&](TForm_Main& win, const char* when) {
        SCOPED_TRACE(when);
        EXPECT_EQ(win.VacProtectSet, 2);
        EXPECT_EQ(Panel("Group_UacProtection")->Width(), 520);
        EXPECT_EQ(driver->Text("Label71"), "HV2");
        EXPECT_FALSE(driver->Visible("GroupBox39"));
        EXPECT_EQ(win.ShowGsFacMode, 2);
        EXPECT_EQ(driver->Text("Label76"), "OF2");
        EXPECT_EQ(driver->Text("Label80"), "Maximun trip time");
        EXPECT_EQ(win.ReactiveSign, 1);
        EXPECT_EQ(win.ActiveSlopeShow, 0);
        EXPECT_EQ(Panel("Group_ActivePower")->Tag(), 200);
        EXPECT_EQ(win.ShowAcTitle, 1);
        EXPECT_EQ(driver->Text("Label_GetAC1"), "VAB");
        EXPECT_EQ(win.WriteLock, 1);
    };
    check(w, "at once");
    // The panels the items insert stand on the page shown, at the mouse, at their full height.
    EXPECT_TRUE(Panel("Group_ActivePower")->Visible());
    EXPECT_EQ(Panel("Group_ActivePower")->Height(), 200);
    EXPECT_EQ(Panel("Group_ActivePower")->Left(), 620);

    driver->Close();   // closing in the designer mode saves the options
    EXPECT_TRUE(dialogs.shown.isEmpty()) << dialogs.shown.join(" | ").toStdString();
    window.reset();
    const QByteArray after = Bytes(settings);
    const QList<QByteArray> changed = {"set=1", "set=2", "ShowGsFacMode=0", "ShowGsFacMode=2", "Sign=0", "Sign=1",
                                       "show=0", "show=1", "ShowAcTitle=0", "ShowAcTitle=1", "Permission=0",
                                       "Permission=1"};
    EXPECT_NE(after, before);
    EXPECT_EQ(Lines(after, changed), Lines(before, changed)) << "every other line byte for byte";

    TForm_Main& again = OpenSuperHero();
    check(again, "after a restart");
}

TEST_F(DesignerTest, InsertOnAScrolledPageLandsUnderTheMouse)
{
    TForm_Main& w = OpenSuperHero();
    vcl::TScrollBox* page = w.ScrollPages[0];
    vcl::TPanel* poll = Panel("Group_Poll01");
    // The user scrolls the page down (its scroll bar), then points at it and inserts a panel.
    page->ScrollTo(0, 250);
    const int scrolled = page->VertScrollPosition();
    ASSERT_GT(scrolled, 0) << "the main page must be taller than its visible area";
    driver->MouseMove("Scroll_Page1", 400, 120);
    driver->RightClick("Scroll_Page1", 400, 120);
    driver->Menu("ScrollPopMenu", "Custom/Poll/Poll 01 (Unsigned)");
    ASSERT_TRUE(poll->Visible());
    ASSERT_EQ(poll->Parent(), page);
    EXPECT_EQ(poll->Left(), 400);
    EXPECT_EQ(poll->Top(), 120 + scrolled);
    EXPECT_EQ(poll->Handle()->mapTo(page->MouseWidget(), QPoint(0, 0)), QPoint(400, 120))
        << "the panel's corner is where the mouse was";

    // Dragged by its title there, it follows the mouse.
    driver->DragBy("Label_Poll01", 40, 40);
    EXPECT_EQ(poll->Left(), 440);
    EXPECT_EQ(poll->Top(), 160 + scrolled);
}

// Separators are lines: a style that draws a separator's text as a heading shows nothing there.
TEST_F(DesignerTest, MenuSeparatorsCarryNoText)
{
    OpenSuperHero();
    int separators = 0;
    std::function<void(vcl::TMenuItem*)> walk = [&](vcl::TMenuItem* item) {
        if (item->IsSeparator()) {
            ++separators;
            EXPECT_TRUE(item->Action()->isSeparator());
            EXPECT_EQ(item->Action()->text(), QString());
        }
        for (int i = 0; i < item->Count(); ++i)
            walk(item->Items(i));
    };
    for (int i = 0; i < window->ScrollPopMenu->Count(); ++i)
        walk(window->ScrollPopMenu->Items(i));
    EXPECT_GT(separators, 3);
}

// In a German window the option items set their captions in German.
TEST_F(DesignerTest, OptionCaptionsInTheWindowLanguage)
{
    vcl::TIniFile(Home("profile/PreviousSet.RQX")).WriteInteger("Language", "Set", 1);
    OpenSuperHero();
    driver->RightClick("Scroll_Page1", 400, 120);
    driver->Menu("ScrollPopMenu", "Main Page/3.Output/Option/Title: VAB...");
    driver->RightClick("Scroll_Page1", 400, 120);
    driver->Menu("ScrollPopMenu", "Main Page/3.Output/Option/Title:Output");
    driver->RightClick("Scroll_Page1", 400, 120);
    driver->Menu("ScrollPopMenu", "Main Page/3.Output/Option/Engineer");
    driver->RightClick("Scroll_Page1", 400, 120);
    driver->Menu("ScrollPopMenu", "Config Page/3. Freq. Protection/HECO");
    driver->RightClick("Scroll_Page1", 400, 120);
    driver->Menu("ScrollPopMenu", "Config Page/3. Freq. Protection/Display");
    EXPECT_EQ(driver->Text("Label_GetAC1"), "Ausgang 1");
    EXPECT_EQ(driver->Text("Label76"), "F hoch Aus:");
    EXPECT_EQ(driver->Text("Label19"), "Spannung (L-N)");
}

TEST_F(DesignerTest, HoverPicturesChangeOnEnterAndLeave)
{
    TForm_Main& w = Open();
    auto send = [](vcl::TImage* image, QEvent::Type type) {
        QEvent e(type);
        QApplication::sendEvent(image->Handle(), &e);
    };
    for (vcl::TImage* image : {w.Image_SyncClock, w.Image_DataLog, w.Image_Firmware}) {
        SCOPED_TRACE(image->Name().toStdString());
        const QImage rest = image->Picture();
        send(image, QEvent::Enter);
        const QImage hovered = image->Picture();
        EXPECT_NE(hovered, rest.convertToFormat(hovered.format()));
        send(image, QEvent::Leave);
        const QImage left = image->Picture();
        send(image, QEvent::Enter);
        send(image, QEvent::Leave);
        EXPECT_EQ(image->Picture(), left) << "entering and leaving again gives the same picture";
        EXPECT_NE(left, hovered);
    }

    // The framed buttons: light top and left edges, dark bottom and right edges, corners left
    // alone; on leaving every edge pixel takes the corner's colour.
    struct Frame {
        vcl::TImage* image;
        int right, bottom;   // the frame's last column and row
    };
    for (vcl::TImage* image : {w.Image_OpenGridSet, w.Image_SaveGridSet}) {
        const Frame f{image, image->Width() - 1, image->Height() - 1};
        SCOPED_TRACE(f.image->Name().toStdString());
        send(f.image, QEvent::Enter);
        vcl::TCanvas* c = f.image->Canvas();
        const vcl::TColor corner = c->Pixel(0, 0);
        EXPECT_EQ(c->Pixel(5, 0), vcl::RGB(200, 200, 200));
        EXPECT_EQ(c->Pixel(0, 5), vcl::RGB(200, 200, 200));
        EXPECT_EQ(c->Pixel(5, f.bottom), vcl::RGB(128, 128, 128));
        EXPECT_EQ(c->Pixel(f.right, 5), vcl::RGB(128, 128, 128));
        EXPECT_NE(corner, vcl::RGB(200, 200, 200));
        send(f.image, QEvent::Leave);
        for (auto [x, y] : {std::pair{5, 0}, {0, 5}, {5, f.bottom}, {f.right, 5}})
            EXPECT_EQ(c->Pixel(x, y), corner) << x << "," << y;
    }
}

} // namespace

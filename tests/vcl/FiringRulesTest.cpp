// The class library's firing rules, each acted out through the user driver.
#include "KitTestApp.h"
#include "vcl/Kit.h"
#include "vcl/UserDriver.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QTest>
#include <QEventLoop>
#include <QTimer>
#include <gtest/gtest.h>

using namespace vcl;

namespace {

struct RecordingDialogs : DialogService {
    QStringList shown;
    int MessageBox(const QString& text, const QString&, int) override { shown << text; return IDOK; }
};

class FiringRules : public ::testing::Test {
protected:
    void SetUp() override
    {
        EnsureApp();
        form = std::make_unique<TForm>();
        form->SetName("Form_Main");
        form->SetCaption("Sunvane V5.4.2");
        SetDialogService(&dialogs);
    }
    void TearDown() override
    {
        form.reset();
        SetDialogService(nullptr);
    }
    template <class T>
    T* Make(const QString& name, TWinControl* parent = nullptr)
    {
        auto* c = new T(form.get());
        c->SetName(name);
        c->SetParent(parent ? parent : form.get());
        return c;
    }

    RecordingDialogs dialogs;
    std::unique_ptr<TForm> form;
    QStringList log;
};

TEST_F(FiringRules, ComboChangeFiresForTheUsersPickOnly)
{
    auto* combo = Make<TComboBox>("Combo_Country");
    combo->SetStyle(csDropDownList);
    for (const char* s : {"Custom", "Germany LV", "France"})
        combo->Items()->Add(s);
    combo->OnChange = [&](TObject*) { log << QString("change %1").arg(combo->ItemIndex()); };
    form->Show();
    UserDriver user(form.get());

    combo->SetItemIndex(1);
    combo->SetText("France");
    combo->Items()->Add("Japan");
    EXPECT_TRUE(log.isEmpty());
    EXPECT_EQ(user.Index("Combo_Country"), 2);

    user.Pick("Combo_Country", 0);
    user.PickText("Combo_Country", "Germany LV");
    EXPECT_EQ(log, (QStringList{"change 0", "change 1"}));
    EXPECT_EQ(user.Text("Combo_Country"), "Germany LV");
    EXPECT_THROW(user.Pick("Combo_Country", 4), DriverError);
    EXPECT_THROW(user.PickText("Combo_Country", "Mars"), DriverError);
    EXPECT_EQ(log.size(), 2);
}

TEST_F(FiringRules, EditableComboFiresForTypingAndKeepsTheText)
{
    auto* combo = Make<TComboBox>("Combo_PowerMeter_ID");
    combo->SetStyle(csDropDown); // set again: still one OnChange per key
    combo->Items()->Add("1");
    combo->Items()->Add("2");
    combo->OnChange = [&](TObject*) { log << combo->Text(); };
    form->Show();
    UserDriver user(form.get());
    user.Type("Combo_PowerMeter_ID", "12");
    EXPECT_EQ(log, (QStringList{"1", "12"}));
    EXPECT_EQ(combo->ItemIndex(), -1);
    EXPECT_EQ(combo->Text(), "12");
    combo->SetText("2");
    EXPECT_EQ(combo->ItemIndex(), 1);
    EXPECT_EQ(log.size(), 2);
}

// A narrow box opens a list that shows its longest item whole.
TEST_F(FiringRules, ComboListIsAsWideAsItsWidestItem)
{
    auto* combo = Make<TComboBox>("Combo_COM");
    combo->SetBounds(0, 0, 130, 21);
    const QString byId = "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0";
    combo->Items()->Add("/dev/ttyS0");
    combo->Items()->Add(byId);
    form->Show();
    auto* box = static_cast<QComboBox*>(combo->Handle());
    box->showPopup();
    QWidget* popup = box->view()->window();
    ASSERT_TRUE(QTest::qWaitFor([&] { return popup->isVisible(); }, 5000));
    EXPECT_GT(box->view()->viewport()->width(), box->view()->fontMetrics().horizontalAdvance(byId));
    EXPECT_GE(popup->width(), box->view()->width());
    box->hidePopup();
}

TEST_F(FiringRules, RadioCheckedFromCodeFiresOnClickAndGroupsByParent)
{
    auto* panelA = Make<TPanel>("PanelA");
    auto* panelB = Make<TPanel>("PanelB");
    auto* on = Make<TRadioButton>("Radio_RPRON", panelA);
    auto* off = Make<TRadioButton>("Radio_RPROFF", panelA);
    auto* other = Make<TRadioButton>("Radio_Other", panelB);
    for (TRadioButton* r : {on, off, other})
        r->OnClick = [&, r](TObject*) { log << r->Name(); };
    other->SetChecked(true);
    on->SetChecked(true);  // fires
    on->SetChecked(true);  // no change, no click
    off->SetChecked(true); // fires, turns "on" off without a click
    EXPECT_EQ(log, (QStringList{"Radio_Other", "Radio_RPRON", "Radio_RPROFF"}));
    EXPECT_FALSE(on->Checked());
    EXPECT_TRUE(other->Checked()); // another parent, another group

    form->Show();
    UserDriver user(form.get());
    log.clear();
    user.Click("Radio_RPROFF"); // already checked: nothing
    user.Click("Radio_RPRON");
    EXPECT_EQ(log, QStringList{"Radio_RPRON"});
    EXPECT_TRUE(user.Checked("Radio_RPRON"));
    EXPECT_FALSE(user.Checked("Radio_RPROFF"));
    on->SetChecked(false); // from code, off: no click, and no radio checked is allowed
    EXPECT_FALSE(on->Checked());
    EXPECT_FALSE(off->Checked());
    EXPECT_EQ(log.size(), 1);
}

TEST_F(FiringRules, MouseDownSeesTheStateBeforeTheClick)
{
    auto* check = Make<TCheckBox>("Check_ConstVolt");
    auto* radio = Make<TRadioButton>("Radio_RemoteON");
    check->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int, int) { log << QString("down %1").arg(check->Checked()); };
    check->OnClick = [&](TObject*) { log << QString("click %1").arg(check->Checked()); };
    radio->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int, int) { log << QString("rdown %1").arg(radio->Checked()); };
    form->Show();
    UserDriver user(form.get());

    user.MouseDown("Check_ConstVolt");
    user.MouseDown("Check_ConstVolt");
    user.MouseDown("Radio_RemoteON");
    user.MouseDown("Radio_RemoteON"); // mouse-down also on a checked radio button
    EXPECT_EQ(log, (QStringList{"down 0", "click 1", "down 1", "click 0", "rdown 0", "rdown 1"}));
    EXPECT_THROW(user.MouseDown("Form_Main"), DriverError);
}

// A handler refuses the user's click from OnMouseDown (before the change) or from the OnClick the
// click fired (after it): the box and the radio group show, on the screen too, what they showed
// before, and no further OnClick fires. A refusal is spent with its click.
TEST_F(FiringRules, ARefusedClickLeavesTheBoxAndTheGroupAsTheyWere)
{
    auto* check = Make<TCheckBox>("Check_ConstVolt");
    auto* panel = Make<TPanel>("Panel1201");
    auto* on = Make<TRadioButton>("Radio_RemoteON", panel);
    auto* off = Make<TRadioButton>("Radio_RemoteOFF", panel);
    panel->SetBounds(0, 40, 240, 20);
    off->SetLeft(100);
    on->SetChecked(true);
    enum class Refuse { No, AtMouseDown, AtClick };
    Refuse refuse = Refuse::No;
    for (TButtonControl* c : std::initializer_list<TButtonControl*>{check, on, off}) {
        c->OnMouseDown = [&, c](TObject*, TMouseButton, TShiftState, int, int) {
            if (refuse == Refuse::AtMouseDown)
                c->RefuseClick();
        };
        c->OnClick = [&, c](TObject*) {
            log << c->Name();
            if (refuse == Refuse::AtClick)
                c->RefuseClick();
        };
    }
    form->Show();
    UserDriver user(form.get());
    const auto shown = [](TControl* c) { return static_cast<QAbstractButton*>(c->Handle())->isChecked(); };
    const auto expectState = [&](bool box, bool remoteOn, bool remoteOff, const char* when) {
        EXPECT_EQ(check->Checked(), box) << when;
        EXPECT_EQ(shown(check), box) << when;
        EXPECT_EQ(on->Checked(), remoteOn) << when;
        EXPECT_EQ(shown(on), remoteOn) << when;
        EXPECT_EQ(off->Checked(), remoteOff) << when;
        EXPECT_EQ(shown(off), remoteOff) << when;
    };
    log.clear();

    for (Refuse r : {Refuse::AtMouseDown, Refuse::AtClick}) {
        refuse = r;
        const char* when = r == Refuse::AtMouseDown ? "refused at mouse-down" : "refused at the click";
        user.MouseDown("Check_ConstVolt");
        user.MouseDown("Radio_RemoteOFF");
        expectState(false, true, false, when);
        EXPECT_EQ(log, r == Refuse::AtClick ? (QStringList{"Check_ConstVolt", "Radio_RemoteOFF"}) : QStringList{}) << when;
        log.clear();
        // A refusal from code outside a click changes nothing.
        check->RefuseClick();
        off->RefuseClick();
        expectState(false, true, false, when);
    }

    // The next clicks are the user's own again, also after a press that never became a click.
    refuse = Refuse::AtMouseDown;
    QTest::mouseClick(check->Handle(), Qt::RightButton);
    refuse = Refuse::No;
    user.MouseDown("Check_ConstVolt");
    user.MouseDown("Radio_RemoteOFF");
    expectState(true, false, true, "accepted");
    EXPECT_EQ(log, (QStringList{"Check_ConstVolt", "Radio_RemoteOFF"}));
}

TEST_F(FiringRules, EditActsOnEnter)
{
    auto* edit = Make<TEdit>("Edit_FixCos");
    edit->SetText("1.00");
    QStringList keys;
    edit->OnKeyDown = [&](TObject*, WORD& key, TShiftState) {
        keys << QString::number(key);
        if (key == VK_RETURN)
            log << edit->Text();
    };
    form->Show();
    UserDriver user(form.get());
    user.Enter("Edit_FixCos", "0.95");
    EXPECT_EQ(log, QStringList{"0.95"});
    EXPECT_EQ(keys.last(), "13");
    EXPECT_EQ(keys.size(), 5); // four typed keys, then Enter

    user.Type("Edit_FixCos", "7");
    EXPECT_EQ(log.size(), 1); // typing alone posts nothing
    EXPECT_EQ(user.Text("Edit_FixCos"), "7");
    user.Enter("Edit_FixCos", "");
    EXPECT_EQ(log.last(), "");
}

TEST_F(FiringRules, OneRowListTopIndexIsApartFromTheSelection)
{
    auto* list = Make<TListBox>("List_CosSign");
    list->SetHeight(17);
    list->Items()->Add("Ind");
    list->Items()->Add("Cap");
    list->SetItemIndex(0);
    form->Show();
    QApplication::processEvents();
    UserDriver user(form.get());
    user.ScrollTop("List_CosSign", 1);
    EXPECT_EQ(user.Top("List_CosSign"), 1);
    EXPECT_EQ(user.Index("List_CosSign"), 0);
    EXPECT_THROW(user.ScrollTop("List_CosSign", 2), DriverError);
    list->SetTopIndex(0);
    EXPECT_EQ(list->TopIndex(), 0);
}

TEST_F(FiringRules, TabIndexCountsVisibleTabsAndOnlyTheUserFiresOnChange)
{
    auto* pages = Make<TPageControl>("PageControl1");
    std::vector<TTabSheet*> sheets;
    for (int i = 0; i < 4; ++i) {
        auto* sheet = new TTabSheet(form.get());
        sheet->SetName(QString("TabSheet%1").arg(i + 1));
        sheet->SetCaption(QString("Page %1").arg(i + 1));
        sheet->SetPageControl(pages);
        sheets.push_back(sheet);
    }
    auto* button = Make<TButton>("Btn_OnPage3", sheets[2]);
    button->OnClick = [&](TObject*) { log << "clicked"; };
    pages->OnChange = [&](TObject*) { log << QString("tab %1").arg(pages->TabIndex()); };
    sheets[1]->SetTabVisible(false);
    pages->SetActivePage(sheets[3]);
    form->Show();
    UserDriver user(form.get());
    EXPECT_EQ(user.Index("PageControl1"), 2);
    EXPECT_EQ(pages->ActivePageIndex(), 3);
    EXPECT_TRUE(log.isEmpty());

    EXPECT_THROW(user.Click("Btn_OnPage3"), DriverError); // its page is not shown
    user.ChooseTab("PageControl1", 1);                       // the second visible tab: sheet 3
    EXPECT_EQ(pages->ActivePage(), sheets[2]);
    user.Click("Btn_OnPage3");
    EXPECT_EQ(log, (QStringList{"tab 1", "clicked"}));
    EXPECT_THROW(user.ChooseTab("PageControl1", 3), DriverError);
    EXPECT_TRUE(sheets[1]->Visible()); // a hidden tab's sheet keeps its own flag
}

TEST_F(FiringRules, DoubleClickOnATreeNodeSelectsItFirst)
{
    auto* tree = Make<TTreeView>("TreeView1");
    tree->SetBounds(0, 0, 150, 200);
    TTreeNode* root = tree->Items()->Add(nullptr, "Inverters");
    for (const char* id : {"ID:003", "ID:012"})
        tree->Items()->AddChild(root, id);
    tree->FullExpand();
    tree->OnDblClick = [&](TObject*) { log << (tree->Selected() ? tree->Selected()->Text() : QString("none")); };
    form->Show();
    QApplication::processEvents();
    UserDriver user(form.get());
    user.DblClickNode("TreeView1", "ID:012");
    user.DblClickNode("TreeView1", "ID:003");
    EXPECT_EQ(log, (QStringList{"ID:012", "ID:003"}));
    EXPECT_EQ(user.TreeItems(), (QStringList{"Inverters", "ID:003", "ID:012"}));
    EXPECT_THROW(user.DblClickNode("TreeView1", "ID:099"), DriverError);
    tree->Items()->Item(2)->Delete();
    EXPECT_EQ(tree->Items()->Count(), 2);
}

TEST_F(FiringRules, ClicksReachOnlyVisibleEnabledControls)
{
    auto* panel = Make<TPanel>("Group_Top");
    auto* button = Make<TSpeedButton>("OpenPort", panel);
    auto* label = Make<TLabel>("Label_Fold");
    auto* image = Make<TImage>("Image_SyncClock");
    for (TControl* c : std::initializer_list<TControl*>{button, label, image})
        c->OnClick = [&, c](TObject*) { log << c->Name(); };
    form->Show();
    UserDriver user(form.get());
    user.Click("OpenPort");
    user.Click("Label_Fold");
    user.Click("Image_SyncClock");
    button->SetEnabled(false);
    EXPECT_THROW(user.Click("OpenPort"), DriverError);
    button->SetEnabled(true);
    panel->SetVisible(false);
    EXPECT_THROW(user.Click("OpenPort"), DriverError);
    EXPECT_THROW(user.Click("NoSuchControl"), DriverError);
    EXPECT_EQ(log, (QStringList{"OpenPort", "Label_Fold", "Image_SyncClock"}));
}

TEST_F(FiringRules, AClickBelongsToTheControlUnderTheMouseOnly)
{
    auto* panel = Make<TPanel>("Group_Status");
    auto* label = Make<TLabel>("Label_Status", panel);
    label->SetCaption("Status");
    auto* check = Make<TCheckBox>("Check_Alarm", panel);
    check->SetTop(20);
    panel->OnClick = [&](TObject*) { log << "panel click"; };
    panel->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int, int) { log << "panel down"; };
    label->OnClick = [&](TObject*) { log << "label click"; };
    check->OnClick = [&](TObject*) { log << "check click"; };
    form->Show();
    UserDriver user(form.get());
    user.Click("Label_Status");
    user.Click("Check_Alarm");
    user.Click("Group_Status");
    EXPECT_EQ(log, (QStringList{"label click", "check click", "panel down", "panel click"}));
}

TEST_F(FiringRules, LeavingAnEditRunsOnExitExceptForASpeedButton)
{
    auto* edit = Make<TEdit>("Edit_StartID");
    edit->OnExit = [&](TObject*) { log << "exit " + edit->Text(); };
    edit->OnEnter = [&](TObject*) { log << "enter"; };
    auto* speed = Make<TSpeedButton>("OpenPort");
    speed->SetLeft(200);
    speed->OnClick = [&](TObject*) { log << "open"; };
    auto* button = Make<TButton>("Btn_ScanID");
    button->SetLeft(300);
    button->OnClick = [&](TObject*) { log << "scan"; };
    form->Show();
    UserDriver user(form.get());
    user.Type("Edit_StartID", "300");
    user.Click("OpenPort");
    user.Click("Btn_ScanID");
    EXPECT_EQ(log, (QStringList{"enter", "open", "exit 300", "scan"}));
}

TEST_F(FiringRules, DraggingATitleMovesItsPanel)
{
    auto* page = Make<TScrollBox>("Scroll_Page1");
    page->SetBounds(0, 0, 600, 400);
    auto* panel = Make<TGroupBox>("Group_Output", page);
    panel->SetBounds(50, 50, 300, 120);
    auto* title = Make<TLabel>("Label_Output", panel);
    title->SetCaption("Output");
    title->SetBounds(10, 2, 0, 13);
    int downX = 0, downY = 0, pageMoves = 0;
    title->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int x, int y) { downX = x; downY = y; };
    title->OnMouseMove = [&](TObject*, TShiftState shift, int x, int y) {
        if (shift & ssLeft)
            panel->SetBounds(panel->Left() + x - downX, panel->Top() + y - downY, panel->Width(), panel->Height());
    };
    page->OnMouseMove = [&](TObject*, TShiftState, int, int) { ++pageMoves; };
    form->Show();
    UserDriver user(form.get());
    user.Drag("Label_Output", 5, 5, 45, 65, 4);
    EXPECT_EQ(panel->Left(), 90);
    EXPECT_EQ(panel->Top(), 110);
    EXPECT_EQ(pageMoves, 0); // the moves belonged to the title
    user.MouseMove("Scroll_Page1", 300, 300);
    EXPECT_EQ(pageMoves, 1);
}

// The wheel over a chooser scrolls the page and never changes the chooser; the keyboard still
// chooses on a focused box.
TEST_F(FiringRules, TheWheelScrollsThePageOverChoosersAndChangesNone)
{
    form->SetBounds(0, 0, 420, 320);
    auto* page = Make<TScrollBox>("Scroll_Page1");
    page->SetBounds(0, 0, 400, 300);
    auto* combo = Make<TComboBox>("Combo_Country", page);
    combo->SetStyle(csDropDownList);
    for (const char* s : {"Default", "Germany LV", "France"})
        combo->Items()->Add(s);
    combo->SetItemIndex(1);
    combo->SetBounds(20, 100, 145, 21);
    auto* edited = Make<TComboBox>("Combo_Calibration", page);
    edited->Items()->Add("0");
    edited->Items()->Add("1");
    edited->SetItemIndex(0);
    edited->SetBounds(20, 140, 145, 21);
    auto* check = Make<TCheckBox>("Check_ConstVolt", page);
    check->SetBounds(20, 180, 120, 17);
    auto* radio = Make<TRadioButton>("Radio_RemoteON", page);
    radio->SetBounds(20, 210, 120, 17);
    auto* bottom = Make<TLabel>("Label_Far", page);
    bottom->SetBounds(20, 1500, 60, 17);
    for (TComboBox* c : {combo, edited})
        c->OnChange = [&, c](TObject*) { log << "change " + c->Name(); };
    check->OnClick = [&](TObject*) { log << "check"; };
    radio->OnClick = [&](TObject*) { log << "radio"; };
    form->Show();
    UserDriver user(form.get());

    ASSERT_EQ(page->VertScrollPosition(), 0);
    for (const char* name : {"Combo_Country", "Combo_Calibration", "Check_ConstVolt", "Radio_RemoteON"}) {
        SCOPED_TRACE(name);
        user.Wheel(name, 1);
        EXPECT_GT(page->VertScrollPosition(), 0) << "the page did not scroll down";
        user.Wheel(name, -1);
        EXPECT_EQ(page->VertScrollPosition(), 0) << "the page did not scroll back";
    }
    EXPECT_TRUE(log.isEmpty()) << log.join(", ").toStdString();
    EXPECT_EQ(combo->ItemIndex(), 1);
    EXPECT_EQ(edited->Text(), "0");
    EXPECT_FALSE(check->Checked());
    EXPECT_FALSE(radio->Checked());

    // A middle off the screen cannot be pointed at; a step count must be a number.
    EXPECT_THROW(user.Wheel("Label_Far", 1), DriverError);
    EXPECT_THROW(user.Validate("wheel", "Combo_Country", "x"), DriverError);

    // The keyboard chooses on the focused box as before.
    combo->SetFocus();
    user.PressKey("Combo_Country", VK_DOWN);
    EXPECT_EQ(combo->ItemIndex(), 2);
    EXPECT_EQ(log, QStringList{"change Combo_Country"});
}

// A list that chooses a setting takes the wheel only once clicked, and gives it back to the page
// when the focus leaves it; a list that chooses nothing scrolls as it always did.
TEST_F(FiringRules, AChooserListTakesTheWheelOnlyAfterAClick)
{
    form->SetBounds(0, 0, 420, 320);
    auto* page = Make<TScrollBox>("Scroll_Page1");
    page->SetBounds(0, 0, 400, 300);
    auto* side = Make<TListBox>("List_CosRange", page);
    side->Items()->Add("Ind");
    side->Items()->Add("Cap");
    side->SetItemHeight(17);
    side->SetBounds(20, 100, 50, 22);
    side->SetWheelAfterClick(true);
    auto* log = Make<TListBox>("List_Log", page);
    for (int k = 0; k < 20; ++k)
        log->Items()->Add(QString::number(k));
    log->SetBounds(200, 100, 100, 60);
    auto* edit = Make<TEdit>("Edit_FixCos", page);
    edit->SetBounds(100, 100, 60, 21);
    auto* bottom = Make<TLabel>("Label_Far", page);
    bottom->SetBounds(20, 1500, 60, 17);
    form->Show();
    UserDriver user(form.get());

    user.Wheel("List_CosRange", 1);
    EXPECT_EQ(side->TopIndex(), 0);
    EXPECT_GT(page->VertScrollPosition(), 0) << "the page did not scroll";
    user.Wheel("List_CosRange", -1);
    EXPECT_EQ(page->VertScrollPosition(), 0);

    user.Click("List_CosRange");
    user.Wheel("List_CosRange", 1);
    EXPECT_EQ(side->TopIndex(), 1);
    EXPECT_EQ(page->VertScrollPosition(), 0) << "the page scrolled with the list";
    // The focus elsewhere: the wheel is the page's again.
    user.Click("Edit_FixCos");
    user.Wheel("List_CosRange", -1);
    EXPECT_EQ(side->TopIndex(), 1);

    user.Wheel("List_Log", 1);
    EXPECT_GT(log->TopIndex(), 0);
}

// A pick whose handler refuses it shows the item the box had; one taken stays.
TEST_F(FiringRules, ARefusedPickShowsTheItemBefore)
{
    auto* combo = Make<TComboBox>("Combo_Country");
    combo->SetStyle(csDropDownList);
    for (const char* s : {"Default", "Germany LV", "France"})
        combo->Items()->Add(s);
    combo->SetItemIndex(1);
    bool refuse = true;
    QStringList seen;
    combo->OnChange = [&](TObject*) {
        seen << combo->Text();
        if (refuse)
            combo->RefusePick();
    };
    form->Show();
    UserDriver user(form.get());
    user.Pick("Combo_Country", 2);
    EXPECT_EQ(combo->ItemIndex(), 1);
    EXPECT_EQ(combo->Text(), "Germany LV");
    EXPECT_EQ(static_cast<QComboBox*>(combo->Handle())->currentIndex(), 1);
    refuse = false;
    user.Pick("Combo_Country", 2);
    EXPECT_EQ(combo->ItemIndex(), 2);
    EXPECT_EQ(seen, (QStringList{"France", "France"}));
    // Outside a pick it does nothing.
    combo->RefusePick();
    EXPECT_EQ(combo->ItemIndex(), 2);
}

TEST_F(FiringRules, DropCloseAndEscapedExceptions)
{
    QStringList dropped;
    form->OnDropFiles = [&](TObject*, const QStringList& files) { dropped = files; };
    int closes = 0;
    form->OnClose = [&](TObject*, TCloseAction& action) {
        if (++closes == 1)
            action = caNone; // the first close is refused
    };
    auto* button = Make<TButton>("Btn_Fail");
    button->OnClick = [](TObject*) { throw std::runtime_error("'abc' is not a valid integer value"); };
    auto* after = Make<TButton>("Btn_After");
    after->OnClick = [&](TObject*) { log << "after"; };
    form->Show();
    UserDriver user(form.get());

    user.Drop({"/tmp/image.hex"});
    EXPECT_EQ(dropped, QStringList{"/tmp/image.hex"});

    user.Click("Btn_Fail");
    user.Click("Btn_After");
    EXPECT_EQ(dialogs.shown, QStringList{"'abc' is not a valid integer value"});
    EXPECT_EQ(log, QStringList{"after"});

    user.Close();
    EXPECT_TRUE(form->Visible());
    user.Close();
    EXPECT_FALSE(form->Visible());
    EXPECT_EQ(closes, 2);
}

TEST_F(FiringRules, TheFormSeesShortCutsBeforeTheFocusedControl)
{
    auto* edit = Make<TEdit>("Edit_Range");
    QStringList keys;
    edit->OnKeyDown = [&](TObject*, WORD& key, TShiftState) { keys << QString("edit %1").arg(key); };
    form->OnShortCut = [&](WORD key, TShiftState, bool& handled) {
        keys << QString("form %1").arg(key);
        handled = key == VK_F11;
    };
    form->Show();
    UserDriver user(form.get());
    user.PressKey("Edit_Range", VK_F11);
    user.PressKey("Edit_Range", VK_RETURN);
    EXPECT_EQ(keys, (QStringList{"form 122", "form 13", "edit 13"}));
}

TEST_F(FiringRules, DefaultAndCancelButtonsAnswerEnterAndEsc)
{
    auto* ok = Make<TButton>("Btn_OK");
    ok->SetDefault(true);
    ok->SetModalResult(mrOk);
    auto* cancel = Make<TButton>("Btn_Cancel");
    cancel->SetCancel(true);
    cancel->SetModalResult(mrCancel);
    Make<TEdit>("Edit_Value");
    UserDriver user(form.get());
    int result = -1;
    QTimer::singleShot(0, [&] { user.PressKey("Edit_Value", VK_ESCAPE); });
    result = form->ShowModal();
    EXPECT_EQ(result, mrCancel);
    QTimer::singleShot(0, [&] { user.Enter("Edit_Value", "5"); });
    result = form->ShowModal();
    EXPECT_EQ(result, mrOk);
    EXPECT_FALSE(form->Visible());
}

TEST_F(FiringRules, TimerFiresFromTheEventLoop)
{
    auto* timer = new TTimer(form.get());
    timer->SetInterval(5);
    int ticks = 0;
    QEventLoop loop;
    timer->OnTimer = [&](TObject*) {
        if (++ticks == 3) {
            timer->SetEnabled(false);
            loop.quit();
        }
    };
    loop.exec();
    EXPECT_EQ(ticks, 3);
    EXPECT_FALSE(timer->Enabled());
}

} // namespace

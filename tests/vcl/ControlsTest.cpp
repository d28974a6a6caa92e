#include "KitTestApp.h"
#include "vcl/Kit.h"
#include "vcl/UserDriver.h"

#include <QApplication>
#include <QLabel>
#include <QWidget>
#include <gtest/gtest.h>

using namespace vcl;

namespace {

class ControlsTest : public ::testing::Test {
protected:
    void SetUp() override { EnsureApp(); }
};

TEST_F(ControlsTest, PanelKeepsItsOwnHeightAndVisibleFlag)
{
    TForm form;
    auto* pages = new TPageControl(&form);
    pages->SetParent(&form);
    auto* sheet1 = new TTabSheet(&form);
    sheet1->SetPageControl(pages);
    auto* sheet2 = new TTabSheet(&form);
    sheet2->SetPageControl(pages);
    auto* group = new TGroupBox(&form);
    group->SetName("Group_X");
    group->SetParent(sheet2);
    group->SetTag(215);
    form.Show();
    pages->SetActivePage(sheet1);

    for (int h : {40, 0, -7, 215}) {
        group->SetHeight(h);
        EXPECT_EQ(group->Height(), h);
    }
    // On a page that is not shown the panel is still Visible by its own flag.
    EXPECT_TRUE(group->Visible());
    EXPECT_FALSE(group->Handle()->isVisible());
    group->SetVisible(false);
    EXPECT_FALSE(group->Visible());
    pages->SetActivePage(sheet2);
    EXPECT_FALSE(group->Visible());
    group->SetVisible(true);
    EXPECT_TRUE(group->Handle()->isVisible());
    EXPECT_EQ(group->Tag(), 215);
}

namespace app_like {
class TForm_Main : public TForm {};
} // namespace app_like

TEST_F(ControlsTest, ComponentListFindsByNameAndClass)
{
    EXPECT_EQ(app_like::TForm_Main().ClassName(), "TForm_Main");
    TForm form;
    EXPECT_EQ(form.ClassName(), "TForm");
    auto* label = new TLabel(&form);
    label->SetName("Label_FixCos");
    auto* radio = new TRadioButton(&form);
    radio->SetName("Label_GridLockON");
    EXPECT_EQ(form.ComponentCount(), 2);
    EXPECT_EQ(form.FindComponent("label_fixcos"), label);
    EXPECT_EQ(form.FindComponent("Label_GridLockON")->ClassName(), "TRadioButton");
    EXPECT_EQ(form.Components(0)->ClassName(), "TLabel");
    EXPECT_EQ(form.FindComponent("nothing"), nullptr);
    EXPECT_THROW(form.Components(2), std::out_of_range);
    delete radio;
    EXPECT_EQ(form.ComponentCount(), 1);
}

TEST_F(ControlsTest, LabelColourIsTheStoredNumber)
{
    TForm form;
    TLabel label(&form);
    EXPECT_EQ(label.Font()->Color(), clWindowText);
    label.Font()->SetColor(clRed);
    EXPECT_EQ(label.Font()->Color(), 0x0000FF);
    EXPECT_EQ(label.Handle()->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    label.Font()->SetColor(clBlue);
    EXPECT_EQ(label.Handle()->palette().color(QPalette::WindowText), QColor(0, 0, 255));
    EXPECT_EQ(ColorText(clBlue), "0xFF0000");
    EXPECT_EQ(ColorText(clRed), "0x0000FF");
}

// A font given by its height in pixels draws letters that high; Size and Height describe each
// other at 96 pixels to the inch, and the one set last decides.
TEST_F(ControlsTest, FontHeightIsPixelsAndSizeIsPoints)
{
    TForm form;
    TButton button(&form);
    button.Font()->SetHeight(-27);
    EXPECT_EQ(button.Font()->Height(), -27);
    EXPECT_EQ(button.Font()->Size(), 20);
    EXPECT_EQ(button.Handle()->font().pixelSize(), 27);
    button.Font()->SetSize(28);
    EXPECT_EQ(button.Font()->Height(), -37);
    EXPECT_EQ(button.Handle()->font().pointSize(), 28);
    button.Font()->SetHeight(0);
    EXPECT_EQ(button.Font()->Size(), 0);
    EXPECT_EQ(button.Font()->Height(), 0);
}

// A new label takes the size of no text in the application's font: every new label alike, and
// a larger font gives the labels made after it a larger size.
TEST_F(ControlsTest, NewLabelsSizeToNoTextInTheApplicationsFont)
{
    const QFont before = QApplication::font();
    TForm form;
    auto expectedSize = [] {
        QLabel measured;
        measured.setTextFormat(Qt::PlainText);
        return measured.sizeHint();
    };
    const QSize small = expectedSize();
    for (int i = 0; i < 2; ++i) {
        TLabel label(&form);
        EXPECT_EQ(QSize(label.Width(), label.Height()), small) << i;
    }
    QFont larger = before;
    larger.setPixelSize(40);
    QApplication::setFont(larger);
    const QSize large = expectedSize();
    TLabel after(&form);
    QApplication::setFont(before);
    EXPECT_GT(large.height(), small.height());
    EXPECT_EQ(QSize(after.Width(), after.Height()), large);
    TLabel again(&form);
    EXPECT_EQ(QSize(again.Width(), again.Height()), small);
}

TEST_F(ControlsTest, AlignedChildrenShareTheirHolder)
{
    TForm form;
    form.SetBounds(0, 0, 800, 600);
    auto* top = new TPanel(&form);
    top->SetParent(&form);
    top->SetHeight(75);
    top->SetAlign(alTop);
    auto* status = new TStatusBar(&form);
    status->SetParent(&form);
    auto* client = new TPanel(&form);
    client->SetParent(&form);
    client->SetAlign(alClient);
    EXPECT_EQ(top->Width(), 800);
    EXPECT_EQ(status->Top(), 600 - 19);
    EXPECT_EQ(client->Top(), 75);
    EXPECT_EQ(client->Height(), 600 - 75 - 19);
    top->SetHeight(14); // folding the header gives the room to the client
    EXPECT_EQ(client->Top(), 14);
    form.SetBounds(0, 0, 1000, 700);
    EXPECT_EQ(client->Width(), 1000);
    EXPECT_EQ(status->Top(), 700 - 19);
}

TEST_F(ControlsTest, FormSizeFollowsTheWindowAndItsOnResizeMayCorrectIt)
{
    TForm form;
    form.OnResize = [&](TObject*) {
        if (form.Width() < 800)
            form.SetWidth(800);
        if (form.Height() < 600)
            form.SetHeight(600);
    };
    form.SetBounds(0, 0, 1000, 700);
    form.Show();
    QApplication::processEvents();
    form.Handle()->resize(700, 500); // the user makes the window smaller
    QApplication::processEvents();
    EXPECT_EQ(form.Width(), 800);
    EXPECT_EQ(form.Height(), 600);
    EXPECT_EQ(form.Handle()->size(), QSize(800, 600));
}

TEST_F(ControlsTest, PartsMayGoInAnyOrder)
{
    auto form = std::make_unique<TForm>();
    auto* sheet = new TTabSheet(form.get()); // made before its page control: destroyed after it
    auto* pages = new TPageControl(form.get());
    pages->SetParent(form.get());
    sheet->SetPageControl(pages);
    auto* menu = new TPopupMenu(form.get());
    auto* item = new TMenuItem(form.get());
    item->SetName("Pop_Output");
    item->SetTag(12);
    menu->Add(item);
    int clicked = 0;
    item->OnClick = [&](TObject* sender) { clicked = static_cast<TMenuItem*>(sender)->Tag(); };
    UserDriver(form.get()).Click("Pop_Output");
    EXPECT_EQ(clicked, 12);
    delete item;
    EXPECT_EQ(menu->Count(), 0);
    EXPECT_EQ(pages->PageCount(), 1);
    delete pages;
    EXPECT_EQ(sheet->PageControl(), nullptr);
    form.reset(); // must not touch what is gone
}

} // namespace

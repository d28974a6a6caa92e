// A combo box's edit is made only when it can be seen or typed into: it must then behave as if
// it had been there from the start (typing, colours, the style chosen before or after).
#include "KitTestApp.h"
#include "vcl/Kit.h"
#include "vcl/UserDriver.h"

#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>

using namespace vcl;

namespace {

class ComboEditTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        EnsureApp();
        form = std::make_unique<TForm>();
        form->SetBounds(0, 0, 400, 300);
    }
    TComboBox* Make(const QString& name, TComboBoxStyle style, bool setStyle = true)
    {
        auto* c = new TComboBox(form.get());
        c->SetName(name);
        c->SetParent(form.get());
        if (setStyle)
            c->SetStyle(style);
        c->Items()->Add("0.95");
        c->Items()->Add("1.00");
        return c;
    }
    static QComboBox* Box(TComboBox* c) { return static_cast<QComboBox*>(c->Handle()); }
    std::unique_ptr<TForm> form;
};

TEST_F(ComboEditTest, ShownBoxesHaveAnEditExactlyWhenTheirStyleIsDropDown)
{
    auto* byDefault = Make("Combo_Default", csDropDown, false);
    auto* dropDown = Make("Combo_DropDown", csDropDown);
    auto* list = Make("Combo_List", csDropDownList);
    auto* turned = Make("Combo_Turned", csDropDownList);
    byDefault->SetText("0.90");
    form->Show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form->Handle()));
    EXPECT_TRUE(Box(byDefault)->isEditable());
    ASSERT_NE(Box(byDefault)->lineEdit(), nullptr);
    EXPECT_EQ(Box(byDefault)->lineEdit()->text(), "0.90"); // a text set before the edit existed
    EXPECT_TRUE(Box(byDefault)->lineEdit()->isVisible());
    EXPECT_TRUE(Box(dropDown)->isEditable());
    EXPECT_FALSE(Box(list)->isEditable());
    // A style changed once shown takes effect at once.
    turned->SetStyle(csDropDown);
    ASSERT_NE(Box(turned)->lineEdit(), nullptr);
    EXPECT_TRUE(Box(turned)->lineEdit()->isVisible());
    dropDown->SetStyle(csDropDownList);
    EXPECT_FALSE(Box(dropDown)->isEditable());
}

// Typed into before the window is shown: the driver reaches the edit all the same.
TEST_F(ComboEditTest, TypingReachesTheEditBeforeTheWindowIsShown)
{
    auto* combo = Make("Combo_PowerMeter_ID", csDropDown);
    QStringList log;
    combo->OnChange = [&](TObject*) { log << combo->Text(); };
    UserDriver user(form.get());
    user.Type("Combo_PowerMeter_ID", "12");
    EXPECT_EQ(log, (QStringList{"1", "12"}));
    EXPECT_EQ(combo->Text(), "12");
    EXPECT_EQ(combo->ItemIndex(), -1);
    user.Type("Combo_PowerMeter_ID", "1.00");
    EXPECT_EQ(combo->ItemIndex(), 1);
}

// The edit takes the box's colours, also those set before it was made and those set after.
TEST_F(ComboEditTest, TheEditFollowsTheBoxsColours)
{
    auto* combo = Make("Combo_Colour", csDropDown);
    combo->SetColor(clYellow);
    form->Show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form->Handle()));
    QLineEdit* edit = Box(combo)->lineEdit();
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->palette().color(QPalette::Base), QColor(255, 255, 0));
    combo->SetColor(clRed);
    combo->Font()->SetColor(clBlue);
    EXPECT_EQ(edit->palette().color(QPalette::Base), QColor(255, 0, 0));
    EXPECT_EQ(edit->palette().color(QPalette::Text), QColor(0, 0, 255));
}

} // namespace

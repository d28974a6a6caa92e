// The password prompt: the real dialog, driven by key and button events while it is modal.
#include "KitTestApp.h"
#include "vcl/KitPrivate.h"
#include "vcl/Services.h"

#include <QApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>

namespace {

struct Seen {
    QString display, selected;
    bool masked = false;
    int height = 0;
    int labelWidth = 0;
    int width = 0;
};

void Key(QWidget* w, int key, const QString& text = {})
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(w, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(w, &release);
}

// Shows the prompt through the dialog service and acts on it once it is up.
QString Prompt(const QString& caption, const QString& prompt, const QString& value,
               const std::function<void(QDialog*, QLineEdit*)>& act, Seen* seen = nullptr)
{
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        auto* edit = dialog->findChild<QLineEdit*>("Value");
        if (seen) {
            seen->display = edit->displayText();
            seen->selected = edit->selectedText();
            seen->masked = edit->echoMode() == QLineEdit::Password;
            seen->height = dialog->height();
            seen->width = dialog->width();
            seen->labelWidth = dialog->findChild<QLabel*>("Prompt")->width();
        }
        act(dialog, edit);
    });
    return vcl::InputBox(caption, prompt, value);
}

class PromptTest : public ::testing::Test {
protected:
    void SetUp() override { EnsureApp(); }
};

TEST_F(PromptTest, PasswordIsMaskedAndAllSelected)
{
    Seen seen;
    const QString answer = Prompt("Input Password Please", "", "Password",
                                  [](QDialog*, QLineEdit* edit) { Key(edit, Qt::Key_Return, "\r"); }, &seen);
    EXPECT_TRUE(seen.masked);
    EXPECT_EQ(seen.display, "********");
    EXPECT_EQ(seen.selected, "Password");
    EXPECT_EQ(answer, "Password"); // confirming the untouched prompt returns the text itself
}

TEST_F(PromptTest, OtherInitialTextsShowInClearAndTypingReplacesThem)
{
    for (const QString initial : {"password", "2", "Password "}) {
        Seen seen;
        const QString answer = Prompt("Period", "Please Input Interval(sec)", initial,
                                      [](QDialog*, QLineEdit* edit) {
                                          Key(edit, Qt::Key_5, "5");
                                          Key(edit, Qt::Key_Return, "\r");
                                      }, &seen);
        EXPECT_FALSE(seen.masked) << initial.toStdString();
        EXPECT_EQ(seen.display, initial);
        EXPECT_EQ(answer, "5");
    }
}

TEST_F(PromptTest, EveryWayButOkGivesCancel)
{
    using Act = std::function<void(QDialog*, QLineEdit*)>;
    const std::vector<std::pair<const char*, Act>> cases = {
        {"Cancel button", [](QDialog* d, QLineEdit*) { d->findChild<QPushButton*>("Cancel")->click(); }},
        {"Esc", [](QDialog*, QLineEdit* edit) { Key(edit, Qt::Key_Escape); }},
        {"close box", [](QDialog* d, QLineEdit*) { d->close(); }},
    };
    for (const auto& [what, act] : cases)
        EXPECT_EQ(Prompt("Input Password Please", "", "Password", act), "Cancel") << what;
}

TEST_F(PromptTest, OkOnAnEmptiedEditGivesAnEmptyText)
{
    const QString answer = Prompt("Period", "Please Input Interval(sec)", "2", [](QDialog* d, QLineEdit* edit) {
        Key(edit, Qt::Key_Delete);
        d->findChild<QPushButton*>("OK")->click();
    });
    EXPECT_EQ(answer, "");
}

TEST_F(PromptTest, LongPromptWrapsAndPushesTheEditDown)
{
    Seen shortSeen, longSeen;
    auto ok = [](QDialog*, QLineEdit* edit) { Key(edit, Qt::Key_Return, "\r"); };
    Prompt("Period", "Short", "2", ok, &shortSeen);
    Prompt("Period", QString("A much longer prompt text ").repeated(6), "2", ok, &longSeen);
    EXPECT_GT(longSeen.height, shortSeen.height);
    int x = 0, y = 0;
    vcl::detail::DialogUnits(QApplication::font(), x, y);
    EXPECT_LE(longSeen.labelWidth, vcl::detail::MulDiv(164, x, 4));
    EXPECT_GT(longSeen.labelWidth, vcl::detail::MulDiv(100, x, 4));
    EXPECT_EQ(longSeen.width, vcl::detail::MulDiv(180, x, 4));
}

} // namespace

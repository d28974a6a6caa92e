// The program's one text prompt (InputQuery / InputBox).
#include "vcl/KitPrivate.h"
#include "vcl/Services.h"

#include <QApplication>
#include <QDialog>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

namespace vcl {

bool InputQuery(const QString& caption, const QString& prompt, QString& value)
{
    // Built anew for every call; its geometry is in dialog units of its font: X is the average
    // width of the letters, Y their height; n horizontal units are n*X/4 pixels, n vertical
    // units n*Y/8 pixels.
    QDialog dialog;
    dialog.setObjectName("InputQuery");
    dialog.setWindowTitle(caption);
    dialog.setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    int x = 0, y = 0;
    detail::DialogUnits(dialog.font(), x, y);
    auto h = [x](int n) { return detail::MulDiv(n, x, 4); };
    auto v = [y](int n) { return detail::MulDiv(n, y, 8); };

    auto* label = new QLabel(&dialog);
    label->setObjectName("Prompt");
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setText(prompt);
    const int labelWidth = prompt.isEmpty() ? 0 : std::min(h(164), QFontMetrics(label->font()).horizontalAdvance(prompt) + 1);
    const int labelHeight = prompt.isEmpty() ? QFontMetrics(label->font()).height()
                                             : std::max(label->heightForWidth(std::max(1, labelWidth)), QFontMetrics(label->font()).height());
    label->setGeometry(h(8), v(8), std::max(labelWidth, 1), labelHeight);

    auto* edit = new QLineEdit(&dialog);
    edit->setObjectName("Value");
    edit->setMaxLength(255);
    if (value == "Password") {
        edit->setEchoMode(QLineEdit::Password);
        edit->setStyleSheet("lineedit-password-character: 42;"); // '*'
    }
    edit->setText(value);
    edit->selectAll();
    const int editTop = label->y() + labelHeight + 5;
    const int editHeight = edit->sizeHint().height();
    edit->setGeometry(h(8), editTop, h(164), editHeight);

    const int buttonTop = editTop + editHeight + 15;
    auto* ok = new QPushButton("OK", &dialog);
    ok->setObjectName("OK");
    ok->setDefault(true);
    ok->setGeometry(h(38), buttonTop, h(50), v(14));
    auto* cancel = new QPushButton("Cancel", &dialog);
    cancel->setObjectName("Cancel");
    cancel->setAutoDefault(false);
    cancel->setGeometry(h(92), buttonTop, h(50), v(14));
    QObject::connect(ok, &QPushButton::clicked, &dialog, &QDialog::accept);
    QObject::connect(cancel, &QPushButton::clicked, &dialog, &QDialog::reject);

    dialog.setFixedSize(h(180), buttonTop + v(14) + 13);
    if (QScreen* screen = QApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        dialog.move(area.x() + (area.width() - dialog.width()) / 2, area.y() + (area.height() - dialog.height()) / 2);
    }
    edit->setFocus();

    // OK (button or Enter) gives the text as it stands, even empty or untouched; Cancel, Esc
    // and the close box give "Cancel". There is no failure result.
    value = dialog.exec() == QDialog::Accepted ? edit->text() : QString("Cancel");
    return true;
}

} // namespace vcl

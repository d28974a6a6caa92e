// Whether what a control shows fits the place the window gives it: a label's text, a radio or
// check box with its caption, a combo's chosen item, an edit's text, a button's caption; and
// whether two controls side by side run over each other.
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QWidget>

#include <functional>

namespace textfit {

// Where a one-line label's text stands, as its alignment places it (empty for no text).
inline QRect TextRect(const QLabel* label)
{
    const QRect g = label->geometry();
    if (label->text().isEmpty())
        return {};
    if (label->wordWrap())
        return g;
    int widest = 0;
    for (const QString& line : label->text().split(u'\n'))
        widest = std::max(widest, QFontMetrics(label->font()).horizontalAdvance(line));
    const int width = std::min(widest, g.width());
    int left = g.left();
    if (label->alignment() & Qt::AlignHCenter)
        left += (g.width() - width) / 2;
    else if (label->alignment() & Qt::AlignRight)
        left += g.width() - width;
    return QRect(left, g.top(), width, g.height());
}

inline bool IsPicture(const QWidget* w)
{
    const auto* label = qobject_cast<const QLabel*>(w);
    return label && !label->pixmap().isNull();
}

// The room a control's text needs beyond what it has, or an empty text when it fits.
inline QString TooNarrow(const QWidget* w)
{
    const QFontMetrics metrics(w->font());
    auto say = [](int needed, int has) { return QStringLiteral("needs %1 px, has %2").arg(needed).arg(has); };
    if (const auto* label = qobject_cast<const QLabel*>(w)) {
        if (IsPicture(label) || label->text().isEmpty())
            return {};
        if (label->wordWrap()) {
            const int h = label->heightForWidth(label->width());
            return h > label->height() ? QStringLiteral("needs %1 px high, has %2").arg(h).arg(label->height()) : QString();
        }
        int widest = 0;
        for (const QString& line : label->text().split(u'\n'))
            widest = std::max(widest, metrics.horizontalAdvance(line));
        const int needed = widest + 2 * label->margin();
        return needed > label->contentsRect().width() ? say(needed, label->contentsRect().width()) : QString();
    }
    if (qobject_cast<const QRadioButton*>(w) || qobject_cast<const QCheckBox*>(w)) {
        const int needed = w->sizeHint().width();
        return needed > w->width() ? say(needed, w->width()) : QString();
    }
    if (const auto* combo = qobject_cast<const QComboBox*>(w)) {
        if (combo->currentText().isEmpty())
            return {};
        QStyleOptionComboBox option;
        option.initFrom(combo);
        option.editable = combo->isEditable();
        const int room = combo->style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, combo).width();
        const int needed = metrics.horizontalAdvance(combo->currentText());
        return needed > room ? say(needed, room) : QString();
    }
    if (const auto* edit = qobject_cast<const QLineEdit*>(w)) {
        if (edit->echoMode() != QLineEdit::Normal || edit->text().isEmpty())
            return {};
        // The frame and the edit's own margin of 2 px each side.
        const int room = edit->contentsRect().width() - 4 - (edit->hasFrame() ? 2 * edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth) : 0);
        const int needed = metrics.horizontalAdvance(edit->text());
        return needed > room ? say(needed, room) : QString();
    }
    if (const auto* button = qobject_cast<const QPushButton*>(w)) {
        const int needed = metrics.horizontalAdvance(button->text()) + 4;
        return needed > button->width() ? say(needed, button->width()) : QString();
    }
    return {};
}

// The place a control takes where it could meet another: a label's text, any other control's
// rectangle.
inline QRect Place(const QWidget* w)
{
    if (const auto* label = qobject_cast<const QLabel*>(w))
        return TextRect(label);
    return w->geometry();
}

// A label's text that ends (or starts) on the same row closer to the next control than a space
// reads as one word with it ("Reclosure60.00 sec"): the gap a reader needs between them.
constexpr int kTextGap = 4;

inline bool RunInto(const QWidget* a, const QRect& pa, const QWidget* b, const QRect& pb)
{
    // Two texts, each with a word of its own (a separator such as " / " or "~" joins its
    // neighbours on purpose).
    const auto* la = qobject_cast<const QLabel*>(a);
    const auto* lb = qobject_cast<const QLabel*>(b);
    const auto wordy = [](const QLabel* l) {
        for (const QChar c : l->text())
            if (c.isLetterOrNumber())
                return true;
        return false;
    };
    if (!la || !lb || !wordy(la) || !wordy(lb))
        return false;
    // The same row: each one's middle within the other's height.
    if (!(pa.top() <= pb.center().y() && pb.center().y() <= pa.bottom()) &&
        !(pb.top() <= pa.center().y() && pa.center().y() <= pb.bottom()))
        return false;
    const QRect& left = pa.left() <= pb.left() ? pa : pb;
    const QRect& right = pa.left() <= pb.left() ? pb : pa;
    const int gap = right.left() - (left.right() + 1);
    return gap >= 0 && gap < kTextGap;
}

// Every fault of the controls shown inside `container` (its frames searched too): a text wider
// than its control, two controls that run over each other, and a text that touches its neighbour. A picture lies under the texts as
// their background, and a frame around other controls holds them; neither counts as overlap.
// A control that lies wholly outside its container is out of sight on purpose (a row below a
// panel's shorter height, a column beyond its width) and is not looked at.
// `nameOf` names a widget in the messages.
inline QStringList FitFaults(const QWidget* container, const std::function<QString(const QWidget*)>& nameOf)
{
    QStringList faults;
    std::vector<const QWidget*> shown;
    for (const QObject* o : container->children()) {
        const auto* w = qobject_cast<const QWidget*>(o);
        if (w && !w->isHidden() && !w->isWindow() && container->rect().intersects(w->geometry()))
            shown.push_back(w);
    }
    for (const QWidget* w : shown) {
        if (const QString why = TooNarrow(w); !why.isEmpty())
            faults << nameOf(w) + QStringLiteral(": text does not fit, ") + why;
        if (!qobject_cast<const QComboBox*>(w) && !qobject_cast<const QLineEdit*>(w))
            faults << FitFaults(w, nameOf);
    }
    for (std::size_t i = 0; i < shown.size(); ++i) {
        for (std::size_t k = i + 1; k < shown.size(); ++k) {
            const QWidget* a = shown[i];
            const QWidget* b = shown[k];
            if (IsPicture(a) || IsPicture(b))
                continue;
            const QRect pa = Place(a), pb = Place(b);
            if (pa.isEmpty() || pb.isEmpty() || a->geometry().contains(pb) || b->geometry().contains(pa))
                continue;
            if (pa.intersects(pb))
                faults << nameOf(a) + QStringLiteral(" and ") + nameOf(b) + QStringLiteral(" overlap");
            else if (RunInto(a, pa, b, pb))
                faults << nameOf(a) + QStringLiteral(" runs into ") + nameOf(b);
        }
    }
    return faults;
}

} // namespace textfit

#include "vcl/Controls.h"

#include "vcl/Forms.h"
#include "vcl/KitPrivate.h"
#include "vcl/Menus.h"
#include "vcl/Services.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QFontMetrics>
#include <QPalette>
#include <QWidget>

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace vcl {

// ---------------------------------------------------------------------------------------------
namespace detail {

QColor ToQColor(TColor color)
{
    if (color == clDefault || color == clNone)
        return {};
    if ((color & clSystemColor) == clSystemColor) {
        const QPalette pal = QApplication::palette();
        switch (color & 0xFF) {
        case 5: return pal.color(QPalette::Base);
        case 8: return pal.color(QPalette::WindowText);
        case 13: return pal.color(QPalette::Highlight);
        case 14: return pal.color(QPalette::HighlightedText);
        case 15: return pal.color(QPalette::Button);
        case 16: return pal.color(QPalette::Dark);
        case 17: return pal.color(QPalette::PlaceholderText);
        case 18: return pal.color(QPalette::ButtonText);
        case 24: return pal.color(QPalette::ToolTipBase);
        default: return pal.color(QPalette::Window);
        }
    }
    return QColor(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF);
}

WORD VkFromQtKey(int key)
{
    switch (key) {
    case Qt::Key_Return: case Qt::Key_Enter: return VK_RETURN;
    case Qt::Key_Escape: return VK_ESCAPE;
    case Qt::Key_Tab: case Qt::Key_Backtab: return VK_TAB;
    case Qt::Key_Backspace: return VK_BACK;
    case Qt::Key_Delete: return VK_DELETE;
    case Qt::Key_Insert: return VK_INSERT;
    case Qt::Key_Left: return VK_LEFT;
    case Qt::Key_Right: return VK_RIGHT;
    case Qt::Key_Up: return VK_UP;
    case Qt::Key_Down: return VK_DOWN;
    case Qt::Key_Home: return VK_HOME;
    case Qt::Key_End: return VK_END;
    case Qt::Key_PageUp: return VK_PRIOR;
    case Qt::Key_PageDown: return VK_NEXT;
    case Qt::Key_Shift: return VK_SHIFT;
    case Qt::Key_Control: return VK_CONTROL;
    case Qt::Key_Alt: return VK_MENU;
    case Qt::Key_Space: return VK_SPACE;
    default: break;
    }
    if (key >= Qt::Key_F1 && key <= Qt::Key_F12)
        return static_cast<WORD>(VK_F1 + (key - Qt::Key_F1));
    if ((key >= Qt::Key_A && key <= Qt::Key_Z) || (key >= Qt::Key_0 && key <= Qt::Key_9))
        return static_cast<WORD>(key);
    return static_cast<WORD>(key & 0xFFFF);
}

int QtKeyFromVk(WORD vk)
{
    switch (vk) {
    case VK_RETURN: return Qt::Key_Return;
    case VK_ESCAPE: return Qt::Key_Escape;
    case VK_TAB: return Qt::Key_Tab;
    case VK_BACK: return Qt::Key_Backspace;
    case VK_DELETE: return Qt::Key_Delete;
    case VK_LEFT: return Qt::Key_Left;
    case VK_RIGHT: return Qt::Key_Right;
    case VK_UP: return Qt::Key_Up;
    case VK_DOWN: return Qt::Key_Down;
    case VK_HOME: return Qt::Key_Home;
    case VK_END: return Qt::Key_End;
    case VK_SPACE: return Qt::Key_Space;
    default: break;
    }
    if (vk >= VK_F1 && vk <= VK_F12)
        return Qt::Key_F1 + (vk - VK_F1);
    return vk;
}

TShiftState ShiftFromQt(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons)
{
    TShiftState s = 0;
    if (modifiers & Qt::ShiftModifier) s |= ssShift;
    if (modifiers & Qt::AltModifier) s |= ssAlt;
    if (modifiers & Qt::ControlModifier) s |= ssCtrl;
    if (buttons & Qt::LeftButton) s |= ssLeft;
    if (buttons & Qt::RightButton) s |= ssRight;
    if (buttons & Qt::MiddleButton) s |= ssMiddle;
    return s;
}

TMouseButton ButtonFromQt(Qt::MouseButton button)
{
    switch (button) {
    case Qt::RightButton: return mbRight;
    case Qt::MiddleButton: return mbMiddle;
    default: return mbLeft;
    }
}

void DialogUnits(const QFont& font, int& x, int& y)
{
    const QFontMetrics fm(font);
    const QString letters = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    x = fm.horizontalAdvance(letters) / 52;
    y = fm.height();
}

int MulDiv(int n, int numerator, int denominator)
{
    if (denominator == 0)
        return -1;
    const double v = static_cast<double>(n) * numerator / denominator;
    return static_cast<int>(v < 0 ? std::ceil(v - 0.5) : std::floor(v + 0.5));
}

} // namespace detail

QString ColorText(TColor color)
{
    return QString("0x%1").arg(static_cast<std::uint32_t>(color), 6, 16, QChar('0')).toUpper().replace("0X", "0x");
}

// ---------------------------------------------------------------------------------------------
void ShowException(const QString& text)
{
    Dialogs().MessageBox(text, QCoreApplication::applicationName(), MB_OK | MB_ICONERROR);
}

void Guarded(const std::function<void()>& fn)
{
    try {
        fn();
    } catch (const std::exception& e) {
        ShowException(QString::fromUtf8(e.what()));
    } catch (...) {
        ShowException("Unknown exception");
    }
}

// ---------------------------------------------------------------------------------------------
namespace {

std::uint64_t nextComponentSerial = 0;

// The key of a name in the name index: every code point folded as a case-insensitive
// comparison of two names folds it, so equal keys mean names that compare equal.
QString NameKey(const QString& name)
{
    bool plain = true, ascii = true;
    for (QChar c : name) {
        if (c.unicode() >= 0x80) {
            plain = ascii = false;
            break;
        }
        if (c >= u'A' && c <= u'Z')
            plain = false;
    }
    if (plain)
        return name;
    if (ascii) {
        // Control names are ASCII: folding is lowering the capitals, without a look-up per letter.
        QString key(name.size(), Qt::Uninitialized);
        char16_t* out = reinterpret_cast<char16_t*>(key.data());
        for (QChar c : name) {
            const char16_t u = c.unicode();
            *out++ = (u >= u'A' && u <= u'Z') ? static_cast<char16_t>(u + (u'a' - u'A')) : u;
        }
        return key;
    }
    QString key;
    key.reserve(name.size());
    for (qsizetype i = 0; i < name.size(); ++i) {
        char32_t c = name[i].unicode();
        // A pair is one code point; a lone surrogate stays as it is.
        if (QChar::isHighSurrogate(c) && i + 1 < name.size() && name[i + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(name[i], name[i + 1]);
            ++i;
        }
        const char32_t folded = QChar::toCaseFolded(c);
        if (QChar::requiresSurrogates(folded)) {
            key.append(QChar(QChar::highSurrogate(folded)));
            key.append(QChar(QChar::lowSurrogate(folded)));
        } else {
            key.append(QChar(static_cast<char16_t>(folded)));
        }
    }
    return key;
}

} // namespace

TComponent::TComponent(TComponent* Owner) : owner_(Owner), serial_(nextComponentSerial++)
{
    if (owner_)
        owner_->components_.push_back(this);
}

TComponent::~TComponent()
{
    DestroyComponents();
    if (owner_) {
        UnindexName();
        // Components usually go last first (an owner destroys them so): search from the end.
        auto& list = owner_->components_;
        const auto it = std::find(list.rbegin(), list.rend(), this);
        if (it != list.rend())
            list.erase(std::next(it).base());
    }
}

void TComponent::SetName(const QString& name)
{
    if (name == name_)
        return;
    UnindexName();
    name_ = name;
    IndexName();
}

void TComponent::IndexName()
{
    if (owner_ && !name_.isEmpty())
        owner_->names_.insert(NameKey(name_), this);
}

void TComponent::UnindexName()
{
    if (owner_ && !name_.isEmpty())
        owner_->names_.remove(NameKey(name_), this);
}

void TComponent::DestroyComponents()
{
    while (!components_.empty())
        delete components_.back(); // its destructor takes it off the list and the index
}

TComponent* TComponent::Components(int i) const
{
    if (i < 0 || i >= ComponentCount())
        throw std::out_of_range(QString("Component index out of bounds (%1)").arg(i).toStdString());
    return components_[static_cast<size_t>(i)];
}

TComponent* TComponent::FindComponent(const QString& name) const
{
    if (name.isEmpty())
        return nullptr;
    TComponent* first = nullptr;
    const auto [from, to] = names_.equal_range(NameKey(name));
    for (auto it = from; it != to; ++it)
        if (!first || it.value()->serial_ < first->serial_)
            first = it.value();
    return first;
}

// ---------------------------------------------------------------------------------------------
void TFont::SetColor(TColor color)
{
    if (color == color_)
        return;
    color_ = color;
    if (colourChanged_)
        colourChanged_();
    else if (changed_)
        changed_();
}

void TFont::SetSize(int points)
{
    if (points == size_ && pixels_ == 0)
        return;
    size_ = points;
    pixels_ = 0;
    if (changed_) changed_();
}

int TFont::Height() const
{
    if (pixels_ > 0)
        return -pixels_;
    return size_ > 0 ? -static_cast<int>(std::lround(size_ * 96.0 / 72.0)) : 0;
}

void TFont::SetHeight(int height)
{
    const int pixels = std::abs(height);
    if (pixels == 0) {
        SetSize(0);
        return;
    }
    if (pixels == pixels_)
        return;
    pixels_ = pixels;
    size_ = static_cast<int>(std::lround(pixels * 72.0 / 96.0));
    if (changed_) changed_();
}

void TFont::SetStyle(TFontStyles style)
{
    if (style == style_)
        return;
    style_ = style;
    if (changed_) changed_();
}

void TFont::SetName(const QString& name)
{
    if (name == name_)
        return;
    name_ = name;
    if (changed_) changed_();
}

// ---------------------------------------------------------------------------------------------
// Passes every event of a control's widgets to the control first.
class ControlBridge : public QObject {
public:
    explicit ControlBridge(TControl* control) : control_(control) {}
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        return control_->WidgetEvent(watched, event);
    }

private:
    TControl* control_;
};

namespace {
// Silences the signals of a control's widget and of its inner widgets (scroll bars, an edit
// part), not of the widgets of the controls placed on it (`placed`): once the control is being
// destroyed its handlers must not run.
void Silence(QObject* object, const std::vector<TControl*>& placed)
{
    object->blockSignals(true);
    for (QObject* child : object->children()) {
        const bool control = std::any_of(placed.begin(), placed.end(),
                                         [child](const TControl* c) { return c->Handle() == child; });
        if (!control)
            Silence(child, placed);
    }
}
} // namespace

TControl::TControl(TComponent* owner, QWidget* widget)
    : TComponent(owner), widget_(widget), bridge_(std::make_unique<ControlBridge>(this)),
      font_([this] { ApplyFont(); }, [this] { ApplyColours(); })
{
    widget_->installEventFilter(bridge_.get());
    widget_->setMouseTracking(true);
    widget_->hide();
    // Polished now, while it stands alone: polished once placed (when first shown), each widget
    // sets its colours again down its parents' line, several times the cost.
    widget_->ensurePolished();
}

TControl::~TControl()
{
    DestroyComponents();
    // A holder has taken the widgets of the controls placed on it out already (~TWinControl).
    if (widget_)
        Silence(widget_, {});
    if (parent_) {
        auto& list = parent_->controls_;
        list.erase(std::remove(list.begin(), list.end(), this), list.end());
        if (align_ != alNone)
            parent_->Realign();
    }
    if (widget_) {
        widget_->removeEventFilter(bridge_.get());
        delete widget_.data();
    }
}

void TControl::WatchWidget(QObject* widget)
{
    widget->installEventFilter(bridge_.get());
    if (widget->isWidgetType())
        static_cast<QWidget*>(widget)->setMouseTracking(true);
}

void TControl::SetParent(TWinControl* parent)
{
    if (parent == parent_)
        return;
    if (parent_) {
        auto& list = parent_->controls_;
        list.erase(std::remove(list.begin(), list.end(), this), list.end());
        if (align_ != alNone)
            parent_->Realign();
    }
    parent_ = parent;
    if (widget_)
        widget_->setParent(parent_ ? parent_->ClientWidget() : nullptr);
    if (parent_)
        parent_->controls_.push_back(this);
    ApplyGeometry();
    ApplyVisible();
    if (parent_) {
        if (align_ != alNone)
            parent_->Realign();
        parent_->ChildrenChanged();
    }
}

void TControl::ApplyVisible()
{
    if (!widget_)
        return;
    // A control without a parent is never shown on its own (it is not a window).
    widget_->setVisible(visible_ && parent_ != nullptr);
}

void TControl::SetVisible(bool visible)
{
    if (visible == visible_)
        return;
    visible_ = visible;
    ApplyVisible();
    if (parent_ && align_ != alNone)
        parent_->Realign();
    if (parent_)
        parent_->ChildrenChanged(); // a scroll box sizes its area to the visible children
}

void TControl::SetEnabled(bool enabled)
{
    enabled_ = enabled;
    if (widget_)
        widget_->setEnabled(enabled);
}

void TControl::ApplyGeometry()
{
    if (widget_)
        widget_->setGeometry(left_, top_, std::max(0, width_), std::max(0, height_));
}

void TControl::SetBounds(int left, int top, int width, int height)
{
    const bool resized = width != width_ || height != height_;
    const bool moved = left != left_ || top != top_;
    if (!resized && !moved)
        return;
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    ApplyGeometry();
    if (resized) {
        if (auto* holder = dynamic_cast<TWinControl*>(this))
            holder->Realign();
    }
    if (parent_ && align_ != alNone && !parent_->aligning_)
        parent_->Realign();
    if (parent_)
        parent_->ChildrenChanged();
    if (resized && OnResize)
        Guarded([&] { OnResize(this); });
}

void TControl::SetAlign(TAlign align)
{
    if (align == align_)
        return;
    align_ = align;
    if (parent_)
        parent_->Realign();
}

void TControl::SetCaption(const QString& caption)
{
    caption_ = caption;
    ApplyCaption();
}

void TControl::SetHint(const QString& hint)
{
    hint_ = hint;
    if (widget_)
        widget_->setToolTip(hint);
}

void TControl::SetShowHint(bool show)
{
    showHint_ = show;
}

void TControl::SetColor(TColor color)
{
    if (color == color_)
        return;
    color_ = color;
    ApplyColours();
}

void TControl::ApplyFont()
{
    if (!widget_)
        return;
    QFont f = widget_->font();
    if (font_.PixelHeight() > 0)
        f.setPixelSize(font_.PixelHeight());
    else if (font_.Size() > 0)
        f.setPointSize(font_.Size());
    if (!font_.Name().isEmpty())
        f.setFamily(font_.Name());
    f.setBold(font_.Style() & fsBold);
    f.setItalic(font_.Style() & fsItalic);
    f.setUnderline(font_.Style() & fsUnderline);
    f.setStrikeOut(font_.Style() & fsStrikeOut);
    widget_->setFont(f);
    ApplyColours();
    if (font_.Size() > 0 || !font_.Name().isEmpty() || font_.Style())
        ApplyCaption(); // a label that sizes itself to its text measures again
}

// Text and background colours only: a colour change leaves the letters as they are, so the
// widget's font is not set again (thousands of value labels are coloured as they are built).
void TControl::ApplyColours()
{
    if (!widget_)
        return;
    const QColor text = detail::ToQColor(font_.Color());
    const QColor back = detail::ToQColor(color_);
    if (!text.isValid() && !back.isValid())
        return; // the platform's own colours: nothing to set
    QPalette pal = widget_->palette();
    if (text.isValid()) {
        pal.setColor(QPalette::WindowText, text);
        pal.setColor(QPalette::Text, text);
        pal.setColor(QPalette::ButtonText, text);
    }
    if (back.isValid()) {
        pal.setColor(QPalette::Window, back);
        pal.setColor(QPalette::Base, back);
        widget_->setAutoFillBackground(true);
    }
    widget_->setPalette(pal);
}

int TControl::TextWidth(const QString& text) const
{
    return widget_ ? QFontMetrics(widget_->font()).horizontalAdvance(text) : 0;
}

void TControl::BringToFront()
{
    if (widget_) widget_->raise();
}

void TControl::SendToBack()
{
    if (widget_) widget_->lower();
}

void TControl::Refresh()
{
    if (widget_) widget_->repaint();
}

TForm* TControl::ParentForm() const
{
    const TControl* c = this;
    while (c) {
        if (auto* form = dynamic_cast<const TForm*>(c))
            return const_cast<TForm*>(form);
        c = c->parent_;
    }
    return nullptr;
}

void TControl::Click()
{
    if (OnClick)
        Guarded([&] { OnClick(this); });
}

namespace {
// A mouse event that a widget did not take goes on to its parent widget as a copy with the same
// time stamp. The control under the mouse had it first: its holder must not see it as its own.
bool Propagated(QEvent* event)
{
    static QEvent::Type lastType = QEvent::None;
    static quint64 lastStamp = 0;
    static QPointF lastPos;
    auto* me = static_cast<QMouseEvent*>(event);
    const bool again = event->type() == lastType && me->timestamp() == lastStamp && me->globalPosition() == lastPos;
    lastType = event->type();
    lastStamp = me->timestamp();
    lastPos = me->globalPosition();
    return again;
}
} // namespace

bool TControl::WidgetEvent(QObject*, QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
        if (!widget_ || !widget_->isEnabled() || Propagated(event))
            return false;
        auto* me = static_cast<QMouseEvent*>(event);
        const bool dbl = event->type() == QEvent::MouseButtonDblClick;
        pressed_ = me->button() == Qt::LeftButton;
        if (OnMouseDown) {
            const QPoint p = MouseWidget()->mapFromGlobal(me->globalPosition().toPoint());
            TShiftState shift = detail::ShiftFromQt(me->modifiers(), me->buttons());
            if (dbl) shift |= ssDouble;
            Guarded([&] { OnMouseDown(this, detail::ButtonFromQt(me->button()), shift, p.x(), p.y()); });
        }
        if (dbl && me->button() == Qt::LeftButton && OnDblClick)
            Guarded([&] { OnDblClick(this); });
        return false;
    }
    case QEvent::MouseButtonRelease: {
        if (!widget_ || !widget_->isEnabled() || Propagated(event))
            return false;
        auto* me = static_cast<QMouseEvent*>(event);
        const QPoint p = MouseWidget()->mapFromGlobal(me->globalPosition().toPoint());
        const bool wasPressed = pressed_;
        pressed_ = false;
        if (OnMouseUp)
            Guarded([&] { OnMouseUp(this, detail::ButtonFromQt(me->button()), detail::ShiftFromQt(me->modifiers(), me->buttons()), p.x(), p.y()); });
        if (wasPressed && me->button() == Qt::LeftButton && ClicksOnRelease() && widget_ && MouseWidget()->rect().contains(p))
            Click();
        return false;
    }
    case QEvent::MouseMove: {
        if (!widget_ || !widget_->isEnabled() || Propagated(event))
            return false;
        if (OnMouseMove) {
            auto* me = static_cast<QMouseEvent*>(event);
            const QPoint p = MouseWidget()->mapFromGlobal(me->globalPosition().toPoint());
            Guarded([&] { OnMouseMove(this, detail::ShiftFromQt(me->modifiers(), me->buttons()), p.x(), p.y()); });
        }
        return false;
    }
    case QEvent::Enter:
        if (OnMouseEnter) Guarded([&] { OnMouseEnter(this); });
        return false;
    case QEvent::Leave:
        if (OnMouseLeave) Guarded([&] { OnMouseLeave(this); });
        return false;
    case QEvent::Wheel:
        // Ignored and handled: the window system hands the wheel on to the holder (the page's
        // scroll box), and the control's own widget never sees it.
        if (WheelScrollsHolder()) {
            event->ignore();
            return true;
        }
        return false;
    case QEvent::ContextMenu:
        if (popup_) {
            auto* ce = static_cast<QContextMenuEvent*>(event);
            popup_->Popup(ce->globalPos().x(), ce->globalPos().y());
            return true;
        }
        return false;
    default:
        return false;
    }
}

// ---------------------------------------------------------------------------------------------
TWinControl::TWinControl(TComponent* owner, QWidget* widget) : TControl(owner, widget) {}

TWinControl::~TWinControl()
{
    DestroyComponents();
    if (Handle())
        Silence(Handle(), controls_);
    // Children owned elsewhere outlive this holder: take their widgets out before ours goes.
    for (TControl* child : std::vector<TControl*>(controls_)) {
        child->parent_ = nullptr;
        if (child->widget_) {
            child->widget_->hide();
            child->widget_->setParent(nullptr);
        }
    }
    controls_.clear();
}

TControl* TWinControl::Controls(int i) const
{
    if (i < 0 || i >= ControlCount())
        throw std::out_of_range(QString("Control index out of bounds (%1)").arg(i).toStdString());
    return controls_[static_cast<size_t>(i)];
}

QWidget* TWinControl::ClientWidget() const
{
    return Handle();
}

bool TWinControl::WidgetEvent(QObject* source, QEvent* event)
{
    switch (event->type()) {
    case QEvent::KeyPress: {
        auto* ke = static_cast<QKeyEvent*>(event);
        WORD key = detail::VkFromQtKey(ke->key());
        const TShiftState shift = detail::ShiftFromQt(ke->modifiers());
        if (OnKeyDown) {
            Guarded([&] { OnKeyDown(this, key, shift); });
            if (key == 0)
                return true;
        }
        if (OnKeyPress && !ke->text().isEmpty()) {
            QChar c = ke->text().at(0);
            Guarded([&] { OnKeyPress(this, c); });
            if (c.isNull())
                return true;
        }
        return false;
    }
    case QEvent::KeyRelease: {
        auto* ke = static_cast<QKeyEvent*>(event);
        if (OnKeyUp) {
            WORD key = detail::VkFromQtKey(ke->key());
            Guarded([&] { OnKeyUp(this, key, detail::ShiftFromQt(ke->modifiers())); });
            if (key == 0)
                return true;
        }
        return false;
    }
    case QEvent::FocusIn:
        if (!inFocus_) {
            inFocus_ = true;
            if (OnEnter) Guarded([&] { OnEnter(this); });
        }
        return false;
    case QEvent::FocusOut: {
        QWidget* now = QApplication::focusWidget();
        if (inFocus_ && !(now && Handle() && (now == Handle() || Handle()->isAncestorOf(now)))) {
            inFocus_ = false;
            if (OnExit) Guarded([&] { OnExit(this); });
        }
        return false;
    }
    default:
        return TControl::WidgetEvent(source, event);
    }
}

void TWinControl::SetFocus()
{
    if (Handle())
        Handle()->setFocus(Qt::OtherFocusReason);
}

bool TWinControl::Focused() const
{
    return Handle() && Handle()->hasFocus();
}

void TWinControl::SetTabStop(bool stop)
{
    tabStop_ = stop;
}

void TWinControl::ClientArea(int& left, int& top, int& width, int& height) const
{
    left = 0;
    top = 0;
    width = Width();
    height = Height();
}

void TWinControl::Realign()
{
    if (aligning_)
        return;
    aligning_ = true;
    int l, t, w, h;
    ClientArea(l, t, w, h);
    int r = l + w, b = t + h;
    for (TAlign kind : {alTop, alBottom, alLeft, alRight, alClient}) {
        for (TControl* c : controls_) {
            if (c->align_ != kind || !c->visible_)
                continue;
            const int cw = std::max(0, c->width_), ch = std::max(0, c->height_);
            switch (kind) {
            case alTop: c->SetBounds(l, t, r - l, c->height_); t += ch; break;
            case alBottom: c->SetBounds(l, b - ch, r - l, c->height_); b -= ch; break;
            case alLeft: c->SetBounds(l, t, c->width_, b - t); l += cw; break;
            case alRight: c->SetBounds(r - cw, t, c->width_, b - t); r -= cw; break;
            case alClient: c->SetBounds(l, t, r - l, b - t); break;
            default: break;
            }
        }
    }
    aligning_ = false;
}

} // namespace vcl

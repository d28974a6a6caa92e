#include "vcl/UserDriver.h"

#include "vcl/ComCtrls.h"
#include "vcl/Forms.h"
#include "vcl/KitPrivate.h"
#include "vcl/Menus.h"
#include "vcl/StdCtrls.h"
#include "vcl/StringGrid.h"

#include <QApplication>
#include <QCheckBox>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDropEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QScrollBar>
#include <QTreeWidget>
#include <QUrl>
#include <QWheelEvent>

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace vcl {

namespace {

ulong g_stamp = 1000;

void SendMouse(QWidget* w, QEvent::Type type, QPoint pos, Qt::MouseButton button, Qt::MouseButtons buttons)
{
    QMouseEvent me(type, QPointF(pos), QPointF(w->mapToGlobal(pos)), button, buttons, Qt::NoModifier);
    me.setTimestamp(g_stamp += 10);
    QApplication::sendEvent(w, &me);
}

// A press of the mouse moves the keyboard focus as the window system does for a user: to the
// widget (or its nearest holder) that takes focus by click. Leaving a control this way runs its
// OnExit; a speed button takes no focus, so pressing it leaves the focus where it is.
void GiveFocus(QWidget* w)
{
    for (QWidget* f = w; f; f = f->parentWidget()) {
        if (f->isEnabled() && (f->focusPolicy() & Qt::ClickFocus)) {
            // The user's click activates the window first (at once: no other event may run
            // in the middle of the user's action).
            if (!f->window()->isActiveWindow()) {
                QT_WARNING_PUSH
                QT_WARNING_DISABLE_DEPRECATED
                QApplication::setActiveWindow(f->window());
                QT_WARNING_POP
            }
            f->setFocus(Qt::MouseFocusReason);
            return;
        }
        if (f->isWindow())
            return;
    }
}

// A press and a release of the left button, as a user's click.
void MouseClick(QWidget* w, QPoint pos)
{
    GiveFocus(w);
    SendMouse(w, QEvent::MouseButtonPress, pos, Qt::LeftButton, Qt::LeftButton);
    SendMouse(w, QEvent::MouseButtonRelease, pos, Qt::LeftButton, Qt::NoButton);
    g_stamp += 1000; // the next click is not the second half of a double-click
}

void MouseDoubleClick(QWidget* w, QPoint pos)
{
    GiveFocus(w);
    SendMouse(w, QEvent::MouseButtonPress, pos, Qt::LeftButton, Qt::LeftButton);
    SendMouse(w, QEvent::MouseButtonRelease, pos, Qt::LeftButton, Qt::NoButton);
    SendMouse(w, QEvent::MouseButtonDblClick, pos, Qt::LeftButton, Qt::LeftButton);
    SendMouse(w, QEvent::MouseButtonRelease, pos, Qt::LeftButton, Qt::NoButton);
    g_stamp += 1000;
}

void SendKey(QWidget* w, int key, const QString& text)
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(w, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(w, &release);
}

// Types a text key by key into a widget (each key goes through OnKeyDown as a user's would).
void TypeText(QWidget* w, const QString& text)
{
    for (const QChar c : text) {
        int key = Qt::Key_unknown;
        const QChar u = c.toUpper();
        if (u.unicode() >= 0x20 && u.unicode() < 0x7F)
            key = u.unicode();
        SendKey(w, key, QString(c));
    }
}

// Where a user clicks a control: the middle, or for a check box or radio button the middle of
// the part that takes clicks (the box and its caption).
QPoint ClickPoint(QWidget* w)
{
    QStyle::SubElement element;
    if (qobject_cast<QCheckBox*>(w))
        element = QStyle::SE_CheckBoxClickRect;
    else if (qobject_cast<QRadioButton*>(w))
        element = QStyle::SE_RadioButtonClickRect;
    else
        return w->rect().center();
    QStyleOptionButton option;
    option.initFrom(w);
    option.text = static_cast<QAbstractButton*>(w)->text();
    const QRect r = w->style()->subElementRect(element, &option, w) & w->rect();
    return r.isValid() ? r.center() : w->rect().center();
}

// Whether a point of a shown widget lies inside every widget that holds it (not cut off by the
// visible area of a scroll box, nor outside the window).
bool PointShown(QWidget* w, QPoint p)
{
    if (!w->isVisible())
        return false;
    for (QWidget* a = w; a; a = a->parentWidget()) {
        if (!a->rect().contains(w->mapTo(a, p)))
            return false;
        if (a->isWindow())
            break;
    }
    return true;
}

// One notch of the wheel with the pointer at `global`, delivered as the window system does: to
// the widget under the pointer, and on to its holders while none of them takes it.
void WheelNotch(QWidget* window, QPoint global, int delta)
{
    QWidget* w = window->childAt(window->mapFromGlobal(global));
    if (!w)
        w = window;
    while (w) {
        QWheelEvent we(QPointF(w->mapFromGlobal(global)), QPointF(global), QPoint(), QPoint(0, delta), Qt::NoButton,
                       Qt::NoModifier, Qt::NoScrollPhase, false);
        we.setTimestamp(g_stamp += 10);
        const bool handled = QApplication::sendEvent(w, &we);
        if (handled && we.isAccepted())
            return;
        if (w->isWindow() || w->testAttribute(Qt::WA_NoMousePropagation))
            return;
        w = w->parentWidget();
    }
}

QString Describe(const TComponent* c)
{
    return QString("%1 (%2)").arg(c->Name(), c->ClassName());
}

} // namespace

// ---------------------------------------------------------------------------------------------
TComponent* UserDriver::Find(const QString& name) const
{
    if (main_ && main_->Name().compare(name, Qt::CaseInsensitive) == 0)
        return main_;
    if (main_)
        if (TComponent* c = main_->FindComponent(name))
            return c;
    for (int i = 0; i < FormCount(); ++i) {
        TForm* form = Forms(i);
        if (form == main_)
            continue;
        if (form->Name().compare(name, Qt::CaseInsensitive) == 0)
            return form;
        if (TComponent* c = form->FindComponent(name))
            return c;
    }
    throw DriverError(QString("no control named %1").arg(name));
}

bool UserDriver::Has(const QString& name) const
{
    try {
        Find(name);
        return true;
    } catch (const DriverError&) {
        return false;
    }
}

template <class T>
T* UserDriver::As(const QString& name, const char* kind) const
{
    TComponent* c = Find(name);
    if (auto* t = dynamic_cast<T*>(c))
        return t;
    throw DriverError(QString("%1 is not %2").arg(Describe(c), kind));
}

TControl* UserDriver::Reachable(const QString& name) const
{
    TControl* control = As<TControl>(name, "a control");
    for (TControl* c = control; c; c = c->Parent()) {
        if (dynamic_cast<TForm*>(c))
            break;
        if (!c->Visible())
            throw DriverError(QString("%1 is not visible").arg(c == control ? Describe(c) : Describe(control) + " is on " + Describe(c) + ", which"));
        if (!c->Enabled())
            throw DriverError(QString("%1 is not enabled").arg(c == control ? Describe(c) : Describe(control) + " is on " + Describe(c) + ", which"));
        if (auto* sheet = dynamic_cast<TTabSheet*>(c); sheet && sheet->PageControl()) {
            if (!sheet->TabVisible() || sheet->PageControl()->ActivePage() != sheet)
                throw DriverError(QString("%1 is on page %2, which is not shown").arg(Describe(control), sheet->Name()));
        }
    }
    return control;
}

template <class T>
T* UserDriver::ReachableAs(const QString& name, const char* kind) const
{
    T* t = As<T>(name, kind);
    Reachable(name);
    return t;
}

void UserDriver::Validate(const QString& verb, const QString& name, const QString& argument) const
{
    if (verb == "click") {
        TComponent* c = Find(name);
        if (auto* item = dynamic_cast<TMenuItem*>(c)) {
            if (!item->Enabled() || !item->Visible())
                throw DriverError(QString("%1 is not enabled").arg(Describe(c)));
            return;
        }
        Reachable(name);
    } else if (verb == "mousedown") {
        TControl* c = Reachable(name);
        if (!dynamic_cast<TRadioButton*>(c) && !dynamic_cast<TCheckBox*>(c))
            throw DriverError(QString("%1 is not a radio button or check box").arg(Describe(c)));
    } else if (verb == "enter") {
        TControl* c = Reachable(name);
        if (!dynamic_cast<TEdit*>(c) && !dynamic_cast<TComboBox*>(c))
            throw DriverError(QString("%1 is not an edit").arg(Describe(c)));
    } else if (verb == "text" || verb == "keys") {
        TControl* c = Reachable(name);
        auto* combo = dynamic_cast<TComboBox*>(c);
        if (!dynamic_cast<TEdit*>(c) && !(combo && combo->Style() == csDropDown))
            throw DriverError(QString("%1 takes no typed text").arg(Describe(c)));
    } else if (verb == "pick" || verb == "pickt") {
        auto* combo = ReachableAs<TComboBox>(name, "a combo box");
        if (verb == "pick") {
            bool ok = false;
            const int i = argument.trimmed().toInt(&ok);
            if (!ok || i < 0 || i >= combo->Items()->Count())
                throw DriverError(QString("%1 has no item %2").arg(Describe(combo), argument));
        } else if (combo->Items()->List().indexOf(argument) < 0 && combo->Items()->IndexOf(argument) < 0) {
            throw DriverError(QString("%1 has no item \"%2\"").arg(Describe(combo), argument));
        }
    } else if (verb == "top") {
        auto* list = ReachableAs<TListBox>(name, "a list box");
        bool ok = false;
        const int i = argument.trimmed().toInt(&ok);
        if (!ok || i < 0 || i >= list->Items()->Count())
            throw DriverError(QString("%1 has no item %2").arg(Describe(list), argument));
    } else if (verb == "dblclick") {
        TControl* c = Reachable(name);
        if (!argument.isEmpty()) {
            auto* tree = dynamic_cast<TTreeView*>(c);
            if (!tree)
                throw DriverError(QString("%1 is not a tree view").arg(Describe(c)));
            if (!tree->Items()->FindText(argument))
                throw DriverError(QString("%1 has no node \"%2\"").arg(Describe(c), argument));
        }
    } else if (verb == "tab") {
        auto* pc = ReachableAs<TPageControl>(name, "a page control");
        bool ok = false;
        const int i = argument.trimmed().toInt(&ok);
        if (!ok || !pc->PageOfTab(i))
            throw DriverError(QString("%1 has no visible tab %2").arg(Describe(pc), argument));
    } else if (verb == "move" || verb == "rightclick" || verb == "drag") {
        TControl* c = Reachable(name);
        const QStringList parts = argument.split(u' ', Qt::SkipEmptyParts);
        bool okX = false, okY = false;
        if (parts.size() == 2) {
            parts[0].toInt(&okX);
            parts[1].toInt(&okY);
        }
        if (!okX || !okY)
            throw DriverError(QString("%1 %2 needs two whole numbers, not \"%3\"").arg(verb, Describe(c), argument));
    } else if (verb == "wheel") {
        TControl* c = Reachable(name);
        bool ok = false;
        argument.trimmed().toInt(&ok);
        if (!ok)
            throw DriverError(QString("wheel %1 needs a whole number of steps, not \"%2\"").arg(Describe(c), argument));
        // The pointer goes to the control's middle: it must be where the user can point.
        QWidget* w = c->Handle();
        if (!PointShown(w, w->rect().center()))
            throw DriverError(QString("the middle of %1 is not on the screen").arg(Describe(c)));
    } else if (verb == "menu") {
        auto* menu = As<TPopupMenu>(name, "a popup menu");
        if (!menu->FindPath(argument))
            throw DriverError(QString("%1 has no item \"%2\"").arg(Describe(menu), argument));
        // The user opens a popup menu only on a control that shows it.
        bool reachable = false;
        auto consider = [&](TComponent* owner) {
            for (int i = 0; !reachable && i < owner->ComponentCount(); ++i) {
                auto* c = dynamic_cast<TControl*>(owner->Components(i));
                if (!c || c->PopupMenu() != menu)
                    continue;
                try {
                    Reachable(c->Name());
                    reachable = true;
                } catch (const DriverError&) {
                }
            }
        };
        if (main_)
            consider(main_);
        if (!reachable)
            throw DriverError(QString("%1 does not open here: no control the user can reach shows it").arg(Describe(menu)));
    } else {
        throw DriverError(QString("unknown action %1").arg(verb));
    }
}

// ---------------------------------------------------------------------------------------------
void UserDriver::Click(const QString& name)
{
    Validate("click", name);
    TComponent* c = Find(name);
    if (auto* item = dynamic_cast<TMenuItem*>(c)) {
        item->Click();
        return;
    }
    auto* control = static_cast<TControl*>(c);
    QWidget* w = control->Handle();
    MouseClick(w, ClickPoint(w));
}

void UserDriver::MouseDown(const QString& name)
{
    Validate("mousedown", name);
    QWidget* w = static_cast<TControl*>(Find(name))->Handle();
    MouseClick(w, ClickPoint(w));
}

namespace {

// The line edit that takes an edit's or an editable combo box's typing.
QLineEdit* TypingTarget(TControl* c)
{
    if (auto* combo = dynamic_cast<TComboBox*>(c))
        return combo->Edit();
    return static_cast<QLineEdit*>(c->Handle());
}

} // namespace

void UserDriver::Type(const QString& name, const QString& text)
{
    Validate("text", name);
    QLineEdit* edit = TypingTarget(static_cast<TControl*>(Find(name)));
    // The user clicks into the field, selects what is there and types over it.
    GiveFocus(edit);
    edit->selectAll();
    if (text.isEmpty())
        SendKey(edit, Qt::Key_Delete, QString());
    else
        TypeText(edit, text);
}

void UserDriver::ClickAndType(const QString& name, const QString& text)
{
    Validate("keys", name);
    QLineEdit* edit = TypingTarget(static_cast<TControl*>(Find(name)));
    MouseClick(edit, ClickPoint(edit));
    // What the click set off (its focus handler's posted work) happens before the first key.
    QCoreApplication::processEvents();
    TypeText(edit, text);
}

void UserDriver::Enter(const QString& name, const QString& text)
{
    Validate("enter", name);
    TControl* c = static_cast<TControl*>(Find(name));
    auto* combo = dynamic_cast<TComboBox*>(c);
    if (combo && combo->Style() != csDropDown)
        throw DriverError(QString("%1 takes no typed text").arg(Describe(c)));
    Type(name, text);
    QWidget* target = combo ? combo->Edit() : c->Handle();
    SendKey(target, Qt::Key_Return, "\r");
}

void UserDriver::PressKey(const QString& name, WORD key)
{
    TControl* c = Reachable(name);
    QWidget* target = c->Handle();
    if (auto* combo = dynamic_cast<TComboBox*>(c))
        if (QLineEdit* edit = combo->Edit())
            target = edit;
    SendKey(target, detail::QtKeyFromVk(key), key == VK_RETURN ? QString("\r") : QString());
}

void UserDriver::Pick(const QString& name, int index)
{
    Validate("pick", name, QString::number(index));
    auto* combo = As<TComboBox>(name, "a combo box");
    // What the drop-down list does when the user chooses an item.
    auto* box = static_cast<QComboBox*>(combo->Handle());
    emit box->activated(index);
}

void UserDriver::PickText(const QString& name, const QString& text)
{
    Validate("pickt", name, text);
    auto* combo = As<TComboBox>(name, "a combo box");
    int index = combo->Items()->List().indexOf(text);
    if (index < 0)
        index = combo->Items()->IndexOf(text);
    Pick(name, index);
}

void UserDriver::ScrollTop(const QString& name, int index)
{
    Validate("top", name, QString::number(index));
    auto* list = As<TListBox>(name, "a list box");
    // The scroll bar moves when it can; the list box follows the scroll bar.
    static_cast<QListWidget*>(list->Handle())->verticalScrollBar()->setValue(index);
    if (list->TopIndex() != index)
        list->UserScrolled(index);
}

void UserDriver::DblClick(const QString& name)
{
    Validate("dblclick", name);
    TControl* c = static_cast<TControl*>(Find(name));
    QWidget* w = c->Handle();
    if (auto* view = dynamic_cast<QAbstractScrollArea*>(w))
        w = view->viewport();
    MouseDoubleClick(w, w->rect().center());
}

void UserDriver::DblClickNode(const QString& name, const QString& nodeText)
{
    Validate("dblclick", name, nodeText);
    auto* tree = As<TTreeView>(name, "a tree view");
    TTreeNode* node = tree->Items()->FindText(nodeText);
    auto* widget = static_cast<QTreeWidget*>(tree->Handle());
    for (QTreeWidgetItem* p = node->Item()->parent(); p; p = p->parent())
        p->setExpanded(true);
    widget->scrollToItem(node->Item());
    const QRect rect = widget->visualItemRect(node->Item());
    if (rect.isValid() && widget->viewport()->rect().contains(rect.center())) {
        MouseDoubleClick(widget->viewport(), rect.center());
    } else {
        // Not laid out (never shown): the press selects the node, then the double-click.
        tree->SetSelected(node);
        MouseDoubleClick(widget, QPoint(0, 0));
    }
}

void UserDriver::ChooseTab(const QString& name, int visibleIndex)
{
    Validate("tab", name, QString::number(visibleIndex));
    As<TPageControl>(name, "a page control")->UserChoseTab(visibleIndex);
}

void UserDriver::Drop(const QStringList& paths)
{
    if (!main_)
        throw DriverError("no main form");
    QMimeData data;
    QList<QUrl> urls;
    for (const QString& p : paths)
        urls << QUrl::fromLocalFile(p);
    data.setUrls(urls);
    QWidget* w = main_->Handle();
    const QPointF pos = QPointF(w->rect().center());
    QDragEnterEvent enter(pos.toPoint(), Qt::CopyAction, &data, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(w, &enter);
    QDropEvent drop(pos, Qt::CopyAction, &data, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(w, &drop);
}

void UserDriver::Close()
{
    if (!main_)
        throw DriverError("no main form");
    main_->Close();
}

void UserDriver::MouseMove(const QString& name, int x, int y)
{
    QWidget* w = Reachable(name)->MouseWidget();
    SendMouse(w, QEvent::MouseMove, QPoint(x, y), Qt::NoButton, Qt::NoButton);
}

void UserDriver::RightClick(const QString& name, int x, int y)
{
    Validate("rightclick", name, QString("%1 %2").arg(x).arg(y));
    TControl* c = Reachable(name);
    QWidget* w = c->MouseWidget();
    const QPoint at(x, y);
    SendMouse(w, QEvent::MouseMove, at, Qt::NoButton, Qt::NoButton);
    SendMouse(w, QEvent::MouseButtonPress, at, Qt::RightButton, Qt::RightButton);
    SendMouse(w, QEvent::MouseButtonRelease, at, Qt::RightButton, Qt::NoButton);
    g_stamp += 1000;
    QContextMenuEvent menu(QContextMenuEvent::Mouse, at, w->mapToGlobal(at));
    QApplication::sendEvent(w, &menu);
}

void UserDriver::Menu(const QString& menuName, const QString& path)
{
    Validate("menu", menuName, path);
    auto* menu = As<TPopupMenu>(menuName, "a popup menu");
    TMenuItem* item = menu->FindPath(path);
    std::vector<TMenuItem*> chain;
    for (TMenuItem* i = item; i; i = i->Parent())
        chain.insert(chain.begin(), i);
    // Each submenu opens as the user points at its header; the last item is chosen. The
    // handlers run with the menu gone, as after the user's choice.
    menu->CloseUp();
    for (TMenuItem* i : chain)
        i->Click();
}

void UserDriver::Wheel(const QString& name, int steps)
{
    Validate("wheel", name, QString::number(steps));
    QWidget* w = Reachable(name)->Handle();
    const QPoint global = w->mapToGlobal(w->rect().center());
    // A notch towards the user (a positive step) scrolls down: Qt counts it negative.
    for (int i = 0; i < std::abs(steps); ++i)
        WheelNotch(w->window(), global, steps > 0 ? -120 : 120);
}

void UserDriver::DragBy(const QString& name, int dx, int dy)
{
    Validate("drag", name, QString("%1 %2").arg(dx).arg(dy));
    QWidget* w = Reachable(name)->MouseWidget();
    const QPoint from = w->rect().center();
    // A few steps, as a hand moves: a limit met on the way stops the control there.
    const int steps = std::clamp((std::abs(dx) + std::abs(dy)) / 20, 1, 8);
    Drag(name, from.x(), from.y(), from.x() + dx, from.y() + dy, steps);
}

void UserDriver::Drag(const QString& name, int fromX, int fromY, int toX, int toY, int steps)
{
    QWidget* w = Reachable(name)->MouseWidget();
    // Positions are fixed on the screen at the start: the control may move with the mouse.
    const QPoint origin = w->mapToGlobal(QPoint(0, 0));
    auto at = [&](int x, int y) { return w->mapFromGlobal(origin + QPoint(x, y)); };
    GiveFocus(w);
    SendMouse(w, QEvent::MouseButtonPress, at(fromX, fromY), Qt::LeftButton, Qt::LeftButton);
    steps = std::max(1, steps);
    for (int i = 1; i <= steps; ++i) {
        const int x = fromX + (toX - fromX) * i / steps, y = fromY + (toY - fromY) * i / steps;
        SendMouse(w, QEvent::MouseMove, at(x, y), Qt::NoButton, Qt::LeftButton);
    }
    SendMouse(w, QEvent::MouseButtonRelease, at(toX, toY), Qt::LeftButton, Qt::NoButton);
    g_stamp += 1000;
}

// ---------------------------------------------------------------------------------------------
QString UserDriver::ClassOf(const QString& name) const
{
    return Find(name)->ClassName();
}

QString UserDriver::Text(const QString& name) const
{
    TComponent* c = Find(name);
    if (auto* item = dynamic_cast<TMenuItem*>(c))
        return item->Caption();
    if (auto* control = dynamic_cast<TControl*>(c))
        return control->Text();
    throw DriverError(QString("%1 has no text").arg(Describe(c)));
}

TColor UserDriver::Color(const QString& name) const
{
    return As<TControl>(name, "a control")->Font()->Color();
}

bool UserDriver::Visible(const QString& name) const
{
    TComponent* c = Find(name);
    if (auto* item = dynamic_cast<TMenuItem*>(c))
        return item->Visible();
    return As<TControl>(name, "a control")->Visible();
}

bool UserDriver::Enabled(const QString& name) const
{
    TComponent* c = Find(name);
    if (auto* item = dynamic_cast<TMenuItem*>(c))
        return item->Enabled();
    return As<TControl>(name, "a control")->Enabled();
}

bool UserDriver::Checked(const QString& name) const
{
    TComponent* c = Find(name);
    if (auto* r = dynamic_cast<TRadioButton*>(c))
        return r->Checked();
    if (auto* b = dynamic_cast<TCheckBox*>(c))
        return b->Checked();
    if (auto* m = dynamic_cast<TMenuItem*>(c))
        return m->Checked();
    throw DriverError(QString("%1 has no check mark").arg(Describe(c)));
}

int UserDriver::Index(const QString& name) const
{
    TComponent* c = Find(name);
    if (auto* combo = dynamic_cast<TComboBox*>(c))
        return combo->ItemIndex();
    if (auto* list = dynamic_cast<TListBox*>(c))
        return list->ItemIndex();
    if (auto* pc = dynamic_cast<TPageControl*>(c))
        return pc->TabIndex();
    throw DriverError(QString("%1 has no item index").arg(Describe(c)));
}

QStringList UserDriver::Items(const QString& name) const
{
    TComponent* c = Find(name);
    if (auto* combo = dynamic_cast<TComboBox*>(c))
        return combo->Items()->List();
    if (auto* list = dynamic_cast<TListBox*>(c))
        return list->Items()->List();
    if (auto* tree = dynamic_cast<TTreeView*>(c)) {
        QStringList texts;
        for (int i = 0; i < tree->Items()->Count(); ++i)
            texts << tree->Items()->Item(i)->Text();
        return texts;
    }
    throw DriverError(QString("%1 has no items").arg(Describe(c)));
}

int UserDriver::Top(const QString& name) const
{
    return As<TListBox>(name, "a list box")->TopIndex();
}

QStringList UserDriver::Lines(const QString& name) const
{
    TComponent* c = Find(name);
    if (auto* rich = dynamic_cast<TRichEdit*>(c)) {
        QStringList lines;
        for (int i = 0; i < rich->Lines()->Count(); ++i)
            lines << rich->Lines()->Strings(i);
        return lines;
    }
    if (auto* list = dynamic_cast<TListBox*>(c))
        return list->Items()->List();
    throw DriverError(QString("%1 has no lines").arg(Describe(c)));
}

QList<QStringList> UserDriver::Cells(const QString& name) const
{
    auto* grid = As<TStringGrid>(name, "a string grid");
    QList<QStringList> rows;
    for (int r = 0; r < grid->RowCount(); ++r) {
        QStringList row;
        for (int k = 0; k < grid->ColCount(); ++k)
            row << grid->Cells(k, r);
        rows << row;
    }
    return rows;
}

int UserDriver::Height(const QString& name) const
{
    return As<TControl>(name, "a control")->Height();
}

int UserDriver::Tag(const QString& name) const
{
    return Find(name)->Tag();
}

QString UserDriver::Status(int panel) const
{
    if (main_)
        for (int i = 0; i < main_->ComponentCount(); ++i)
            if (auto* bar = dynamic_cast<TStatusBar*>(main_->Components(i))) {
                if (panel < 0 || panel >= bar->Panels()->Count())
                    throw DriverError(QString("no status panel %1").arg(panel));
                return bar->Panels()->Items(panel)->Text();
            }
    throw DriverError("the main form has no status bar");
}

QStringList UserDriver::TreeItems() const
{
    if (main_)
        for (int i = 0; i < main_->ComponentCount(); ++i)
            if (auto* tree = dynamic_cast<TTreeView*>(main_->Components(i))) {
                QStringList texts;
                for (int n = 0; n < tree->Items()->Count(); ++n)
                    texts << tree->Items()->Item(n)->Text();
                return texts;
            }
    throw DriverError("the main form has no tree view");
}

} // namespace vcl

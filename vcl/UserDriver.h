// The user driver: the program's test interface. A test acts on a form exactly as a user does,
// by control Name, and reads back what the user would see. Actions go through the window
// system's own mouse and key events wherever that is how a user causes them, so the handlers run
// with the events (and in the order) a user's action brings: OnMouseDown before a click changes
// a radio button, OnKeyDown for every typed key and then Enter, OnChange for a combo pick.
//
// A user can only reach what is there: an action on a control that is not Visible or not
// Enabled (itself or a control it sits on), or that sits on a page that is not the active page
// of its page control, fails with DriverError and does nothing. The form itself need not be
// shown. Every failure (no such name, wrong kind of control, index out of range) is a
// DriverError with a plain message; nothing is done then.
//
// Names are looked up (case-insensitively) as: the main form's own Name, the main form's
// components, then every other form and its components.
//
// Actions                                       Reads
//   Click(name)     buttons, speed buttons,       ClassOf(name)  "TLabel", "TEdit", ...
//                   labels, images, panels,       Text(name)     caption or text
//                   check/radio boxes, menu items Color(name)    Font->Color (TColor)
//   MouseDown(name) radio/check box: the mouse    Visible(name), Enabled(name) (own flags)
//                   goes down (OnMouseDown), then Checked(name)  check/radio box, menu item
//                   the click                     Index(name)    combo/list ItemIndex, page
//   Enter(name, t)  type t over an edit's text,                  control's TabIndex (visible)
//                   then press Enter              Items(name)    combo/list items
//   Type(name, t)   type t over the text only     Top(name)      list box TopIndex
//                   (edit or editable combo)      Height(name), Tag(name)
//   PressKey(name, key) one key (VK_ code)        Lines(name)    a log pane's lines (rich edit,
//                                                                list box)
//                                                 Cells(name)    a string grid's cells, row by row
//                                                 Status(n)      status panel n's text
//   Pick(name, i), PickText(name, t)              TreeItems()    tree node texts in order
//                   choose a combo item           Has(name)      whether the name exists
//   ScrollTop(name, i) scroll a list box
//   DblClick(name), DblClickNode(name, text)
//   ChooseTab(name, visibleIndex)
//   Drop(paths)     files dropped on the main form
//   Close()         the user closes the main form
//   MouseMove(name, x, y)  the mouse moves over a control to x, y (its client coordinates)
//   RightClick(name, x, y) the mouse moves there and the right button clicks: the control's
//                   mouse-down and mouse-up, then its popup menu opens (when it has one)
//   Menu(menu, path) choose an item of a popup menu by its shown captions from the top,
//                   joined by "/" ("Main Page/1. Version/No Date Code"), as the user opens the
//                   submenus (each submenu's own click runs as it opens); the menu must be the
//                   popup menu of a control the user can reach; it closes afterwards
//   DragBy(name, dx, dy) press the left button on a control's middle, move by dx, dy in a
//                   few steps, release
//   Drag(name, from, to) the same between two points of the control (C++ only)
//   Wheel(name, steps) the pointer on a control's middle, the wheel turns `steps` notches
//                   (positive: towards the user, the page scrolls down); each notch goes to
//                   whatever lies under the pointer and on to its holders, as the window
//                   system delivers it (the window must be shown, the middle on the screen)
#pragma once

#include "vcl/Types.h"

#include <QString>
#include <QStringList>

#include <stdexcept>

namespace vcl {

class TComponent;
class TControl;
class TForm;

class DriverError : public std::runtime_error {
public:
    explicit DriverError(const QString& message) : std::runtime_error(message.toStdString()) {}
};

class UserDriver {
public:
    explicit UserDriver(TForm* mainForm) : main_(mainForm) {}
    TForm* MainForm() const { return main_; }

    TComponent* Find(const QString& name) const;
    bool Has(const QString& name) const;

    void Click(const QString& name);
    void MouseDown(const QString& name);
    void Enter(const QString& name, const QString& text);
    void Type(const QString& name, const QString& text);
    // Clicks into an edit or editable combo box and types at wherever that leaves the cursor and
    // the selection (Type selects everything first).
    void ClickAndType(const QString& name, const QString& text);
    void PressKey(const QString& name, WORD key);
    void Pick(const QString& name, int index);
    void PickText(const QString& name, const QString& text);
    void ScrollTop(const QString& name, int index);
    void DblClick(const QString& name);
    void DblClickNode(const QString& name, const QString& nodeText);
    void ChooseTab(const QString& name, int visibleIndex);
    void Drop(const QStringList& paths);
    void Close();
    // The mouse moves over a control to x, y (its client coordinates), no button held.
    void MouseMove(const QString& name, int x, int y);
    // The right button clicks at x, y of the control, after the mouse moved there; the
    // control's popup menu then opens.
    void RightClick(const QString& name, int x, int y);
    // Chooses the item of popup menu `menuName` at `path` (shown captions joined by "/").
    void Menu(const QString& menuName, const QString& path);
    // The wheel turns `steps` notches with the pointer on the control's middle.
    void Wheel(const QString& name, int steps);
    // Presses on the control's middle, moves by dx, dy and releases.
    void DragBy(const QString& name, int dx, int dy);
    // A drag: the left button goes down at (fromX, fromY), the mouse moves to (toX, toY) in
    // `steps` moves, the button comes up there. Coordinates are the control's own at the start.
    void Drag(const QString& name, int fromX, int fromY, int toX, int toY, int steps = 1);

    // Checks that an action (by its remote verb: click, mousedown, enter, text, pick, pickt,
    // top, dblclick, tab, move, rightclick, drag, menu, wheel) can be done on that control now; throws
    // DriverError if not.
    void Validate(const QString& verb, const QString& name, const QString& argument = QString()) const;

    QString ClassOf(const QString& name) const;
    QString Text(const QString& name) const;
    TColor Color(const QString& name) const;
    bool Visible(const QString& name) const;
    bool Enabled(const QString& name) const;
    bool Checked(const QString& name) const;
    int Index(const QString& name) const;
    QStringList Items(const QString& name) const;
    int Top(const QString& name) const;
    // The lines of a log pane: a rich edit's lines, or a list box's items.
    QStringList Lines(const QString& name) const;
    // A string grid's cells: RowCount rows of ColCount texts, the fixed ones included.
    QList<QStringList> Cells(const QString& name) const;
    int Height(const QString& name) const;
    int Tag(const QString& name) const;
    QString Status(int panel) const;
    QStringList TreeItems() const;

private:
    TControl* Reachable(const QString& name) const;
    template <class T> T* As(const QString& name, const char* kind) const;
    template <class T> T* ReachableAs(const QString& name, const char* kind) const;
    TForm* main_;
};

} // namespace vcl

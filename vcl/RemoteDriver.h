// The remote user driver: the user driver (vcl/UserDriver.h) served to another process over a
// local (Unix-domain) socket, so that an end-to-end test drives the real program as a person
// would while real peers (a simulated inverter) sit on the other end of the link.
//
// Switched on by the environment: when SUNVANE_DRIVER names a path, the program listens on a
// local socket at that path, which only its user may use whatever the umask (an old socket file
// there is replaced; anything else there is left alone and nothing listens) and prints
// "SUNVANE_DRIVER listening <path>" on stderr once it does. Without the variable nothing listens.
//
// Protocol. A request is one line (UTF-8, ending in "\n"): a verb, a control's Name, and the rest
// of the line as the argument (one space separates each; the argument keeps its inner spaces).
// The reply is one line of JSON: {"ok":true,...} or {"ok":false,"error":"..."}.
//
// Actions are checked (the control exists, is of the right kind, is visible, enabled and on the
// shown page; the index exists), answered at once and then performed from the event loop, as
// the user's own event would be: a click that starts a long loop does not block the driver.
//   click NAME           buttons, speed buttons, images, labels, panels, menu items
//   mousedown NAME       a radio button or check box: its mouse-down, then the click
//   enter NAME TEXT      type TEXT over an edit's text, then press Enter
//   text NAME TEXT       type TEXT over the text only (an edit or an editable combo box)
//   pick NAME INDEX      choose combo item INDEX as the user would (fires OnChange)
//   pickt NAME TEXT      choose the combo item with that text
//   top NAME INDEX       scroll a (one-row) list box to INDEX; the selection stays
//   dblclick NAME [ITEM] double-click a control, or the tree node whose text is ITEM
//   tab NAME INDEX       choose a page control's visible tab INDEX
//   move NAME X Y        the mouse moves over a control to X, Y (its client coordinates)
//   rightclick NAME X Y  the mouse moves to X, Y of a control and the right button clicks
//                        there: the control's popup menu opens (when it has one)
//   menu NAME PATH       choose the item of popup menu NAME by its shown captions from the
//                        top joined by "/" (a caption may itself hold "/"), as the user opens
//                        the submenus; the menu must be the popup menu of a control the user
//                        can reach (an error otherwise); the item acts where the mouse was last
//   drag NAME DX DY      press the left button on a control's middle, move by DX, DY, release
//   wheel NAME STEPS     the pointer on a control's middle, the mouse wheel turns STEPS notches
//                        (positive: towards the user, scrolling down); each goes to whatever
//                        lies under the pointer and on to its holders, as the mouse's does
//   drop PATH            a file dropped on the main window
//   close                the user closes the main window
// Queries are answered from the current state:
//   get NAME   {"ok":true,"class":"TLabel","text":"...","color":"0xFF0000","visible":true,
//              "enabled":true,"height":17,"tag":0,"left":8,"top":4,"width":60,
//              "parent":"Scroll_Page1"} ("parent" when it has one) plus "checked" (check and radio boxes,
//              menu items), "index" (combo and list boxes: ItemIndex; page controls: the
//              visible tab), "items" (combo and list boxes, tree views), "top" (list boxes),
//              "scroll" (scroll boxes: how far the page is scrolled down, in pixels).
//              The main window answers to its own Name, Form_Main; its caption is its text.
//   status N   {"ok":true,"text":"..."}: status panel N of the main window
//   tree       {"ok":true,"items":[...]}: the main window's tree node texts in display order
//   dialogs    {"ok":true,"items":[...]}: what the message boxes, prompts and open dialogs
//              showed since the last "dialogs" (then cleared): a message box's text; a prompt's
//              caption, followed by ": " and its prompt text when that is not empty; an open
//              dialog's title
//   answer TEXT  queues TEXT as the answer of the next prompt or open dialog ({"ok":true})
// While the driver is on, dialogs do not block: a message box is recorded and closed with OK
// (IDOK; IDYES for a yes/no box); a prompt or open dialog is recorded and takes the next queued
// answer, or is cancelled when none is queued (a prompt gives "Cancel", an open dialog nothing).
#pragma once

#include "vcl/UserDriver.h"

#include <QString>

#include <memory>

class QLocalServer;

namespace vcl {

class TForm;

class RemoteDriver {
public:
    // Listens at path for the driver of mainForm and installs the non-blocking dialogs.
    RemoteDriver(const QString& path, TForm* mainForm);
    // Stops listening and gives the previous dialog service back.
    ~RemoteDriver();
    RemoteDriver(const RemoteDriver&) = delete;
    RemoteDriver& operator=(const RemoteDriver&) = delete;

    // The driver named by SUNVANE_DRIVER, or nullptr when the variable is not set.
    static std::unique_ptr<RemoteDriver> StartFromEnvironment(TForm* mainForm);
    // The listening driver, if any, stops listening at once and frees its path: a program that
    // starts its successor before it ends hands the path over.
    static void StopListening();

    bool Listening() const;
    QString ErrorString() const;
    // One request line in, one JSON reply line out (without the line end). Actions are queued.
    QString Handle(const QString& request);

private:
    class Dialogs;
    void Serve();
    std::unique_ptr<QLocalServer> server_;
    QString refusal_;   // why the path was not taken, when it names something that is no socket
    std::unique_ptr<Dialogs> dialogs_;
    UserDriver user_;
};

} // namespace vcl

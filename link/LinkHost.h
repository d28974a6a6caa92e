// What the link needs of the window that owns it. The link object calls only these; the main
// window implements them on its widgets, tests implement them with a recording host.
//   window member                         host call
//   Application->ProcessMessages          Pump
//   StatusBar1->Panels[i]->Text           SetStatusPanel(i, text)
//   blue / red value labels (TLabel)      MarkStale, RecoverStale
//   List_Event (rich-text log pane)       EventLog
//   Group_Debug->Height >= 50             DebugPaneOpen
//   message boxes of the link             ShowMessage
#pragma once

#include "link/LogPane.h"

#include <QString>

class LinkHost {
public:
    virtual ~LinkHost() = default;
    // Lets the window process its pending events (clicks, timers); the default pumps the kit.
    virtual void Pump();
    // Sets the text of one status-bar panel (0 to 10).
    virtual void SetStatusPanel(int index, const QString& text);
    // Silent inverter: every blue value label becomes a red "??".
    virtual void MarkStale();
    // First answer after a silence: every red label becomes a blue "??".
    virtual void RecoverStale();
    // The communication log pane (List_Event); nullptr when there is none.
    virtual LogPane* EventLog();
    // Whether the debug panel is open (its height is 50 pixels or more); the request and reply
    // lines are written only then.
    virtual bool DebugPaneOpen();
    // A modal message box with the text; the default goes through the kit's dialog service.
    virtual void ShowMessage(const QString& text);
};

// The host used while no window is attached: pumps the kit, shows messages through the kit's
// dialog service and drops everything else.
LinkHost& DefaultLinkHost();

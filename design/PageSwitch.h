// Building blocks of the page switch on a kit form: the access-code prompt, the scroll reset,
// saving the page left in the super-user mode and showing a layout on the selected page.
// The main window's page switch and mode switch use them (PageControlChange strings them
// together in its own order).
#pragma once

#include <QString>

namespace vcl {
class TComponent;
}

namespace design {

// Sets both scroll positions of Scroll_Page1..7 to 0. Returns 0.
int ResetPageScroll(vcl::TComponent& form);

// The access-code check of the grid-setting buttons and the Config/Ctrl pages. Returns 1 when
// the operation may go on: in the super-user mode, or when `rememberedPassword` already holds
// one of the codes. Otherwise empties it, asks with InputBox("Input Password Please", "",
// "Password"), keeps the answer (a cancelled box gives "Cancel") and returns 1 for a code, else
// shows "Password Error" and returns 0.
int CheckServicePassword(bool superUserMode, QString& rememberedPassword);

// Saves the page left: nothing without a chosen mode or with currentPageIndex -1; otherwise
// resets the scroll positions, and in the super-user mode writes page currentPageIndex (0..6)
// into SuperHero/MonitorSet<n>.RQX of the program folder. Returns 0 (a missing or unwritable
// file is reported by the save itself and the switch goes on).
int SaveCurrentPageDesign(vcl::TComponent& form, const QString& programFolder, bool modeChosen,
                          bool superUserMode, int currentPageIndex);

// Loads the layout at `path` and puts it on page `selectedTab` (0..6): a missing file shows
// "No Found Setting File2" and changes nothing. A tab without a page box (the upgrade tab) takes
// no layout. Returns 0.
int ShowPageDesign(vcl::TComponent& form, const QString& path, int selectedTab);

} // namespace design

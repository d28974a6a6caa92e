// Names, paths, access codes and tab captions of the operating modes.
//
// A mode is a folder beside the program holding "MonitorSet.RQX" (mode settings), the seven page
// layouts "MonitorSet0.RQX".."MonitorSet6.RQX" and optionally "CountryList.RQX". The folder
// "SuperHero" is the super-user (designer) mode; "SuperUser-Init" is offered in the mode list but
// is a command that reloads the factory layout of the page on screen from "SuperUser/Init".
// All functions here are pure: they take the program folder as an argument.
#pragma once

#include <QString>
#include <QStringList>
#include <array>

namespace design {

inline const QString kSuperUserModeName = QStringLiteral("SuperHero");
inline const QString kFactoryReloadName = QStringLiteral("SuperUser-Init");
inline const QString kModeSettingsFileName = QStringLiteral("MonitorSet.RQX");
inline const QString kCountryListFileName = QStringLiteral("CountryList.RQX");
inline const QString kProfileFolderName = QStringLiteral("profile");
inline const QString kPreviousSetFileName = QStringLiteral("PreviousSet.RQX");

// Messages of this subsystem, exactly as the user sees them.
inline const QString kMsgNoSettingFile1 = QStringLiteral("No Found Setting File1"); // mode switch: settings missing
inline const QString kMsgNoSettingFile2 = QStringLiteral("No Found Setting File2"); // page show: layout missing
inline const QString kMsgNoSettingFileSave = QStringLiteral("No found Setting File"); // save: file missing
inline const QString kMsgPasswordError = QStringLiteral("Password Error");
inline const QString kMsgLoadDirectoryError = QStringLiteral("Load Directory of Config Error");
inline const QString kPasswordCaption = QStringLiteral("Input Password Please");
inline const QString kPasswordInitial = QStringLiteral("Password");

// --- Paths (every one starts at the program folder) ---
QString ModeFolderPath(const QString& programFolder, const QString& modeName);
QString ModeSettingsPath(const QString& modeFolder);                 // modeFolder/MonitorSet.RQX
QString LayoutPath(const QString& modeFolder, int layoutNumber);     // modeFolder/MonitorSet<n>.RQX
QString FactoryLayoutPath(const QString& programFolder, int page);   // SuperUser/Init/MonitorSet<n>.RQX
QString SuperUserLayoutPath(const QString& programFolder, int page); // SuperHero/MonitorSet<n>.RQX
QString PreviousSetPath(const QString& programFolder);               // profile/PreviousSet.RQX

// --- Access codes ---
// The three 4-digit codes, first to third.
inline const std::array<QString, 3> kAccessCodes = {
    QStringLiteral("4780"), QStringLiteral("2059"), QStringLiteral("7352")};
// 0..2 when the text equals one of the codes character for character, else -1.
int AccessCodeIndex(const QString& text);
inline bool IsAccessCode(const QString& text) { return AccessCodeIndex(text) >= 0; }

// Layout number shown on tab `tabIndex` (0..6). In the super-user mode it is the tab index.
// In an ordinary mode tab 0 shows layout 0 and tabs 1 (Config) and 2 (Ctrl) show the pair chosen
// by the accepted code: first code 1/2, second 3/4, third 5/6. Returns -1 when the tab shows no
// layout (an ordinary-mode tab 1 or 2 without an accepted code, or a tab outside the layout tabs).
int LayoutNumberForTab(int tabIndex, bool superUserMode, const QString& rememberedPassword);

// Number of layout tabs visible in a mode: 3 in an ordinary mode, 7 in the super-user mode.
inline int LayoutTabCount(bool superUserMode) { return superUserMode ? 7 : 3; }

// Caption of TabSheet<page+1> (page 0..6) in the mode: "Main", "Config"/"Ctrl" in an ordinary
// mode, "Config4780".."Ctrl7352" in the super-user mode. Pages 3..6 in an ordinary mode are
// hidden; their design captions are returned.
QString TabCaption(int page, bool superUserMode);

// Whether "SuperUser-Init" may reload a factory layout now: only while a layout tab is selected
// whose index equals the current page index (otherwise the layout could land on another page and
// be saved over that page's super-user layout).
bool FactoryReloadAllowed(int selectedTabIndex, int visibleLayoutTabs, int currentPageIndex);

// A name offered in the mode list: longer than two characters.
inline bool IsOfferedModeName(const QString& name) { return name.size() > 2; }

// The items of the mode list: the mode folders of the program folder (ListModeFoldersIn of
// common/, at most 20, in name order) whose names are longer than two characters.
QStringList OfferedModeNames(const QString& programFolder);

} // namespace design

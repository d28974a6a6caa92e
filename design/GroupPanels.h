// The group panels of the main window and the page-layout file format that places them.
//
// The main window owns a fixed set of 135 group panels (`Group_...`). Each has an expanded height
// (its Tag) and a title. 127 of them have a section in the page-layout files "MonitorSet<n>.RQX";
// the other eight are never stored or loaded.
//
// Layout code here works on plain data: one `PanelState` per group panel, indexed like
// `GroupPanels()`. The window copies its panels into a `PanelStates` array before a save
// (CollectPanels in design/PanelsOnForm.h does that for a kit form), and copies heights and
// positions back after a load.
#pragma once

#include <QString>
#include <QStringView>
#include <array>
#include <span>

namespace design {

// One row of the group-panel table.
struct GroupPanelInfo {
    const char* section; // section name in the layout files, nullptr for the eight without one
    const char* name;    // control name, e.g. "Group_Version"
    int tag;             // expanded height of the window's design (Group_ActivePower: 200, or 250
                         // while ActiveSlopeShow is 1)
    const char* title;   // caption of the panel's title label, UTF-8; "&&" shows as one "&"
};

inline constexpr int kGroupPanelCount = 135;
inline constexpr int kLayoutSectionCount = 127;
inline constexpr int kPageCount = 7;
// Height of a group panel that stands on no page.
inline constexpr int kCollapsedHeight = 40;
// How far a page reaches, in pixels: a position or height read from a layout file is held to
// -kPageExtent..kPageExtent (a height that is neither 40 nor the tag keeps the panel off the
// page, as the format says), so that no arithmetic on them overflows.
inline constexpr int kPageExtent = 32767;

// The 135 panels: first the 127 with a layout section in the order in which a save writes them
// (and appends missing sections), then the eight without a section.
std::span<const GroupPanelInfo, kGroupPanelCount> GroupPanels();

// Index into GroupPanels() of the panel with that control name or section name (letter case
// ignored), or -1.
int GroupPanelIndex(QStringView panelName);
int LayoutSectionIndex(QStringView sectionName);

// Sum of the character codes of a section name (the names are ASCII).
int NameSum(QStringView section);

// Stored height of a panel for the page being saved: its height plus 10 x the section's name
// sum when it stands on that page (height equal to tag and parent equal to the page's box),
// 40 otherwise.
int EncodePanelHeight(QStringView section, int height, int tag, bool inPageBox);
// Height that a stored value gives: 40 stays 40, any other value v gives v - 10 x name sum.
int DecodePanelHeight(int stored, QStringView section);

// Logical state of one group panel as far as the layout files are concerned.
struct PanelState {
    int tag = 0;                     // expanded height
    int height = kCollapsedHeight;   // logical height; may be 40, the tag, or anything a layout gave
    int left = 0;                    // position inside its page box (unscrolled)
    int top = 0;
    int page = -1;                   // page index 0..6 of the page box that is its parent, -1 none
};
using PanelStates = std::array<PanelState, kGroupPanelCount>;

// Every panel at its design tag, collapsed (40), at 0,0 and in no page box.
PanelStates InitialPanelStates();

// A panel stands on page n when its height equals its tag and its parent is page n's box.
inline bool StandsOnPage(const PanelState& p, int page) { return p.height == p.tag && p.page == page; }

} // namespace design

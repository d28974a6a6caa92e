// Page-layout files "MonitorSet<n>.RQX": which group panels stand on one page and where.
//
// One INI section per group panel that has one (GroupPanels(), first 127 rows) with the keys
// "Height", "Top" and "Left". "Height" holds the encoded height (EncodePanelHeight): the panel's
// height plus 10 x the section's name sum when it stands on the saved page, 40 when it does not;
// "Top" and "Left" are written only beside an encoded height. The program never creates a
// layout file; it only updates files that exist.
#pragma once

#include "design/GroupPanels.h"

#include <QString>

namespace design {

// Applies the layout at `path` to the panels' heights and positions; parents (page) and
// visibility are not touched. For each of the 127 sections: height := decoded "Height" (a
// missing or unparsable value counts as 0); when the height is not 40, Left and Top are read
// too (missing gives 0), otherwise the panel keeps its position. Every number is held to the
// page: height, Left and Top to -kPageExtent..kPageExtent.
// Returns 0, or 1 when there is no file at `path` (no message, nothing changed).
int LoadPageDesign(const QString& path, PanelStates& panels);

// Writes the arrangement of page `page` (0..6) into the existing file at `path`, key by key in
// the text, the file once: every other line of the file stays. A panel stands on the page when
// its height equals its tag and its page is `page`.
// Returns 0 written; 1 no file at `path` (after the message box "No found Setting File"; nothing
// is created); 2 the file could not be written (after one message box "Unable to write to
// <path>"; the file stays as it was).
int SavePageDesign(const QString& path, const PanelStates& panels, int page);

} // namespace design

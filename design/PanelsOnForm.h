// The layout operations on a kit form: the group panels and page boxes are found by name
// (`Group_...`, `Scroll_Page1`..`Scroll_Page7`) with the form's FindComponent, copied into the
// plain PanelStates of design/GroupPanels.h and back.
#pragma once

#include "design/GroupPanels.h"

#include <QString>

namespace vcl {
class TComponent;
class TControl;
class TScrollBox;
}

namespace design {

// The scroll box of page 0..6 (`Scroll_Page1`..`Scroll_Page7`), or nullptr.
vcl::TScrollBox* PageBox(const vcl::TComponent& form, int page);

// The group panels of the form as plain data: tag, logical height, position and page box.
// A panel the form lacks keeps the values of InitialPanelStates().
PanelStates CollectPanels(const vcl::TComponent& form);
// Sets height, left and top of every group panel that has a layout section from `panels`;
// parents, visibility and the eight panels without a section are left alone.
void ApplyPanelGeometry(vcl::TComponent& form, const PanelStates& states);

// The layout load and save of design/LayoutFile.h on the form's panels (same results).
int LoadPageDesign(vcl::TComponent& form, const QString& path);
int SavePageDesign(const vcl::TComponent& form, const QString& path, int page);

// Puts a loaded layout on page `page` (0..6): every group panel is hidden, then every group
// panel whose height equals its tag is moved into the page's box (Left and Top kept) and shown.
// Does nothing for a page outside 0..6 or a form without that page box.
void PlaceExpandedPanels(vcl::TComponent& form, int page);

} // namespace design

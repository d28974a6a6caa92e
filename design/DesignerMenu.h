// The designer's popup menu ScrollPopMenu: its items in order, with each item's Tag, caption
// and the group panel it puts on the page. Every item and the three bound submenu headers
// share one handler, which acts on the Tag alone (see DesignerMenuPanel and the display
// options' items).
#pragma once

#include <QString>

#include <functional>
#include <span>

namespace vcl {
class TComponent;
class TMenuItem;
class TObject;
class TPopupMenu;
}

namespace design {

struct DesignerMenuEntry {
    int depth;            // 0 for an item of the menu itself, 1 inside a submenu, ...
    int tag;
    const char* caption;  // "-" for a separator; "&&" shows as "&"
    const char* panel;    // the group panel the item inserts, or nullptr
    bool bound;           // the item runs the menu's handler
    bool hidden;          // hidden in the window's design (and never shown)
};

// The menu in its order, submenus after their headers one level deeper.
std::span<const DesignerMenuEntry> DesignerMenuEntries();

// The group panel that the item with this Tag inserts, or an empty text.
QString DesignerMenuPanel(int tag);

// Builds the items of `menu` (owned by `owner`) from the table and binds the bound ones to
// `onClick`.
void BuildDesignerMenu(vcl::TComponent* owner, vcl::TPopupMenu* menu,
                       const std::function<void(vcl::TObject*)>& onClick);

} // namespace design

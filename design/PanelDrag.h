// The page designer's gestures on the group panels: dragging a panel by its title label,
// removing it from its page and putting it on the page now shown at the place where the mouse
// last moved over a page.
#pragma once

namespace vcl {
class TControl;
class TWinControl;
}

namespace design {

// Drag limits: a panel's place in the page's visible area stays inside
// 0 < Left < page width - 50 and 0 < Top < page height - 80 (the page's visible size).
constexpr int kDragRightMargin = 50;
constexpr int kDragBottomMargin = 80;

struct PanelDragState {
    // Mouse position inside a title label when a button went down on it; both 0: no drag.
    int DownX = 0;
    int DownY = 0;
    // The last mouse position over a page's scroll box, in its client coordinates: where the
    // next inserted panel goes.
    int LastX = 0;
    int LastY = 0;

    // A button went down at x, y of a title label.
    int Start(int x, int y);
    // The mouse moved to x, y of the title label of `panel` while a button is held; `page` is
    // the scroll box of the page shown. Each axis follows the mouse only within its limits.
    int Move(vcl::TControl* panel, const vcl::TWinControl* page, int x, int y);
    // Takes the panel off its page: 40 pixels high and hidden; parent and position stay.
    int Hide(vcl::TControl* panel);
    // Puts the panel on `page` (when not null) at the last mouse position with `height`, and
    // shows it; on a scrolled page the panel lands under the mouse.
    int Show(vcl::TControl* panel, int height, vcl::TWinControl* page);
};

} // namespace design

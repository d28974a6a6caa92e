#include "design/PanelDrag.h"

#include "design/GroupPanels.h"
#include "vcl/Controls.h"
#include "vcl/StdCtrls.h"

#include <QPoint>

namespace design {

namespace {

// How far a page is scrolled: mouse positions are those of its visible area, while the panels
// on it stand in its scrolled area.
QPoint ScrollOffset(const vcl::TWinControl* page)
{
    if (const auto* box = dynamic_cast<const vcl::TScrollBox*>(page))
        return {box->HorzScrollPosition(), box->VertScrollPosition()};
    return {};
}

} // namespace

int PanelDragState::Start(int x, int y)
{
    DownX = x;
    DownY = y;
    return 0;
}

int PanelDragState::Move(vcl::TControl* panel, const vcl::TWinControl* page, int x, int y)
{
    if (!panel || !page || (DownX == 0 && DownY == 0))
        return 0;
    // The title moves with its panel, so x - DownX is the mouse's way since the last step and
    // the grab point stays under the mouse while no limit is met.
    // The limits hold for the panel's place in the page's visible area.
    const QPoint scrolled = ScrollOffset(page);
    const int left = panel->Left() + (x - DownX);
    if (left - scrolled.x() > 0 && left - scrolled.x() < page->Width() - kDragRightMargin)
        panel->SetLeft(left);
    const int top = panel->Top() + (y - DownY);
    if (top - scrolled.y() > 0 && top - scrolled.y() < page->Height() - kDragBottomMargin)
        panel->SetTop(top);
    return 0;
}

int PanelDragState::Hide(vcl::TControl* panel)
{
    if (panel) {
        panel->SetHeight(kCollapsedHeight);
        panel->SetVisible(false);
    }
    DownX = 0;
    DownY = 0;
    return 0;
}

int PanelDragState::Show(vcl::TControl* panel, int height, vcl::TWinControl* page)
{
    if (panel) {
        panel->SetHeight(height);
        panel->SetVisible(true);
        // The mouse was over the visible area: the panel lands under it on a scrolled page too.
        const QPoint scrolled = ScrollOffset(page);
        panel->SetLeft(LastX + scrolled.x());
        panel->SetTop(LastY + scrolled.y());
        // Left and Top are set first; the new page keeps them.
        if (page)
            panel->SetParent(page);
    }
    DownX = 0;
    DownY = 0;
    return 0;
}

} // namespace design

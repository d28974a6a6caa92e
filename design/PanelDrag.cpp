#include "design/PanelDrag.h"

#include "design/GroupPanels.h"
#include "vcl/Controls.h"

namespace design {

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
    const int left = panel->Left() + (x - DownX);
    if (left > 0 && left < page->Width() - kDragRightMargin)
        panel->SetLeft(left);
    const int top = panel->Top() + (y - DownY);
    if (top > 0 && top < page->Height() - kDragBottomMargin)
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
        panel->SetLeft(LastX);
        panel->SetTop(LastY);
        // Left and Top are set first; the new page keeps them.
        if (page)
            panel->SetParent(page);
    }
    DownX = 0;
    DownY = 0;
    return 0;
}

} // namespace design

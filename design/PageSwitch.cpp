#include "design/PageSwitch.h"

#include "design/ModeState.h"
#include "design/PanelsOnForm.h"
#include "vcl/Services.h"
#include "vcl/StdCtrls.h"

namespace design {

int ResetPageScroll(vcl::TComponent& form)
{
    for (int page = 0; page < kPageCount; ++page)
        if (vcl::TScrollBox* box = PageBox(form, page))
            box->ScrollTo(0, 0);
    return 0;
}

int CheckServicePassword(bool superUserMode, QString& rememberedPassword)
{
    if (superUserMode || IsAccessCode(rememberedPassword))
        return 1;
    rememberedPassword.clear();
    rememberedPassword = vcl::InputBox(kPasswordCaption, QString(), kPasswordInitial);
    if (IsAccessCode(rememberedPassword))
        return 1;
    vcl::MessageBox(kMsgPasswordError);
    return 0;
}

int SaveCurrentPageDesign(vcl::TComponent& form, const QString& programFolder, bool modeChosen,
                          bool superUserMode, int currentPageIndex)
{
    if (!modeChosen || currentPageIndex == -1)
        return 0;
    ResetPageScroll(form);
    if (!superUserMode || currentPageIndex < 0 || currentPageIndex >= kPageCount)
        return 0;
    SavePageDesign(form, SuperUserLayoutPath(programFolder, currentPageIndex), currentPageIndex);
    return 0;
}

int ShowPageDesign(vcl::TComponent& form, const QString& path, int selectedTab)
{
    // Only a layout tab has a page box to take the panels.
    if (!PageBox(form, selectedTab))
        return 0;
    if (LoadPageDesign(form, path) != 0) {
        vcl::MessageBox(kMsgNoSettingFile2);
        return 0;
    }
    PlaceExpandedPanels(form, selectedTab);
    return 0;
}

} // namespace design

#include "design/PanelsOnForm.h"

#include "design/LayoutFile.h"
#include "vcl/Controls.h"
#include "vcl/StdCtrls.h"

namespace design {

namespace {

vcl::TControl* Panel(const vcl::TComponent& form, int index)
{
    return dynamic_cast<vcl::TControl*>(
        form.FindComponent(QString::fromLatin1(GroupPanels()[index].name)));
}

} // namespace

vcl::TScrollBox* PageBox(const vcl::TComponent& form, int page)
{
    if (page < 0 || page >= kPageCount)
        return nullptr;
    return dynamic_cast<vcl::TScrollBox*>(form.FindComponent(QStringLiteral("Scroll_Page%1").arg(page + 1)));
}

int PageOfParent(const vcl::TComponent& form, const vcl::TControl& control)
{
    const vcl::TWinControl* parent = control.Parent();
    if (!parent)
        return -1;
    for (int page = 0; page < kPageCount; ++page)
        if (parent == PageBox(form, page))
            return page;
    return -1;
}

PanelStates CollectPanels(const vcl::TComponent& form)
{
    PanelStates states = InitialPanelStates();
    for (int i = 0; i < kGroupPanelCount; ++i) {
        const vcl::TControl* panel = Panel(form, i);
        if (!panel)
            continue;
        PanelState& s = states[i];
        s.tag = panel->Tag();
        s.height = panel->Height();
        s.left = panel->Left();
        s.top = panel->Top();
        s.page = PageOfParent(form, *panel);
    }
    return states;
}

void ApplyPanelGeometry(vcl::TComponent& form, const PanelStates& panels)
{
    for (int i = 0; i < kLayoutSectionCount; ++i) {
        vcl::TControl* panel = Panel(form, i);
        if (!panel)
            continue;
        const PanelState& s = panels[i];
        panel->SetBounds(s.left, s.top, panel->Width(), s.height);
    }
}

int LoadPageDesign(vcl::TComponent& form, const QString& path)
{
    PanelStates states = CollectPanels(form);
    if (LoadPageDesign(path, states) != 0)
        return 1;
    ApplyPanelGeometry(form, states);
    return 0;
}

int SavePageDesign(const vcl::TComponent& form, const QString& path, int page)
{
    return SavePageDesign(path, CollectPanels(form), page);
}

void PlaceExpandedPanels(vcl::TComponent& form, int page)
{
    vcl::TScrollBox* box = PageBox(form, page);
    if (!box)
        return;
    for (int i = 0; i < kGroupPanelCount; ++i)
        if (vcl::TControl* panel = Panel(form, i))
            panel->Hide();
    for (int i = 0; i < kGroupPanelCount; ++i) {
        vcl::TControl* panel = Panel(form, i);
        if (panel && panel->Height() == panel->Tag()) {
            const int left = panel->Left();
            const int top = panel->Top();
            panel->SetParent(box);
            if (panel->Left() != left || panel->Top() != top)
                panel->SetBounds(left, top, panel->Width(), panel->Height());
            panel->Show();
        }
    }
}

} // namespace design

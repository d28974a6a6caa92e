#include "design/PanelsOnForm.h"

#include "design/LayoutFile.h"
#include "vcl/Controls.h"
#include "vcl/StdCtrls.h"

#include <array>

namespace design {

namespace {

using PanelControls = std::array<vcl::TControl*, kGroupPanelCount>;

// The form's group panels, indexed like GroupPanels() (nullptr for one the form lacks), found in
// one walk over the form's components: the window owns thousands of them.
PanelControls FindPanels(const vcl::TComponent& form)
{
    PanelControls panels{};
    for (int i = 0; i < form.ComponentCount(); ++i) {
        vcl::TComponent* c = form.Components(i);
        if (!c->Name().startsWith(QLatin1String("Group_"), Qt::CaseInsensitive))
            continue;
        const int index = GroupPanelIndex(c->Name());
        if (index >= 0 && !panels[static_cast<size_t>(index)])
            panels[static_cast<size_t>(index)] = dynamic_cast<vcl::TControl*>(c);
    }
    return panels;
}

} // namespace

vcl::TScrollBox* PageBox(const vcl::TComponent& form, int page)
{
    if (page < 0 || page >= kPageCount)
        return nullptr;
    return dynamic_cast<vcl::TScrollBox*>(form.FindComponent(QStringLiteral("Scroll_Page%1").arg(page + 1)));
}

PanelStates CollectPanels(const vcl::TComponent& form)
{
    PanelStates states = InitialPanelStates();
    const PanelControls panels = FindPanels(form);
    std::array<const vcl::TWinControl*, kPageCount> boxes{};
    for (int page = 0; page < kPageCount; ++page)
        boxes[static_cast<size_t>(page)] = PageBox(form, page);
    for (int i = 0; i < kGroupPanelCount; ++i) {
        const vcl::TControl* panel = panels[static_cast<size_t>(i)];
        if (!panel)
            continue;
        PanelState& s = states[static_cast<size_t>(i)];
        s.tag = panel->Tag();
        s.height = panel->Height();
        s.left = panel->Left();
        s.top = panel->Top();
        s.page = -1;
        for (int page = 0; page < kPageCount; ++page)
            if (panel->Parent() && panel->Parent() == boxes[static_cast<size_t>(page)])
                s.page = page;
    }
    return states;
}

void ApplyPanelGeometry(vcl::TComponent& form, const PanelStates& states)
{
    const PanelControls panels = FindPanels(form);
    for (int i = 0; i < kLayoutSectionCount; ++i) {
        vcl::TControl* panel = panels[static_cast<size_t>(i)];
        if (!panel)
            continue;
        const PanelState& s = states[static_cast<size_t>(i)];
        if (s.height != panel->Height() || s.left != panel->Left() || s.top != panel->Top())
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
    const PanelControls panels = FindPanels(form);
    for (vcl::TControl* panel : panels)
        if (panel)
            panel->Hide();
    for (vcl::TControl* panel : panels) {
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

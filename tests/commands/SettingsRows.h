// The settings rows of every family as the window binds them, and a window on which a test puts
// the group panel of any row where the user can reach it.
#pragma once

#include "CommandsWindow.h"

#include "app/JapanSettings.h"
#include "app/ProtectionSettings.h"
#include "app/ReactiveSettings.h"
#include "app/StatusSettings.h"
#include "app/StorageSettings.h"

#include <span>
#include <vector>

namespace commandstest {

using settings::Binding;

// Exactly the register value `raw` in units of 1/scale: 65536 at 100 is "655.36".
inline QString Typed(long long raw, int scale)
{
    const int decimals = scale >= 1000 ? 3 : scale >= 100 ? 2 : scale >= 10 ? 1 : 0;
    return QString::number(static_cast<double>(raw) / scale, 'f', decimals);
}

// One family's rows by name.
struct Family {
    const char* name;
    std::vector<Binding> rows;
};

// Every family's table of rows, the window's own rows (which need the window) included.
inline std::vector<Family> Families(TForm_Main& w)
{
    const auto copy = [](std::span<const Binding> rows) { return std::vector<Binding>(rows.begin(), rows.end()); };
    std::vector<Binding> status = settings::StatusBindings();
    for (const Binding& b : w.WindowStatusBindings())
        status.push_back(b);
    return {
        {"status", status},
        {"protection", copy(settings::ProtectionBindings())},
        {"reactive", copy(settings::ReactiveBindings())},
        {"japan", copy(settings::JapanBindings())},
        {"storage", copy(settings::StorageBindings())},
    };
}

class SettingsRowsWindow : public CommandsWindow {
protected:
    // Puts the group panel that holds the control on the shown page, so a user can reach it.
    void Reach(const QString& control)
    {
        auto* c = dynamic_cast<vcl::TControl*>(window->FindComponent(control));
        ASSERT_NE(c, nullptr) << control.toStdString();
        for (vcl::TControl* p = c; p; p = p->Parent()) {
            if (vcl::TPanel* group = GroupOf(p)) {
                group->SetParent(ShownPage());
                group->SetTop(0);
                if (group->Tag() > 0)
                    group->SetHeight(group->Tag());
                group->SetVisible(true);
                return;
            }
            p->SetVisible(true);
        }
    }
    // The group panel that holds a control, or nullptr.
    vcl::TPanel* PanelOf(const QString& control) const
    {
        auto* c = dynamic_cast<vcl::TControl*>(window->FindComponent(control));
        for (vcl::TControl* p = c; p; p = p->Parent())
            if (vcl::TPanel* group = GroupOf(p))
                return group;
        return nullptr;
    }
    vcl::TPanel* GroupOf(vcl::TControl* c) const
    {
        for (vcl::TPanel* group : window->GroupPanels)
            if (group == c)
                return group;
        return nullptr;
    }
    // The scroll page of the tab that is shown.
    vcl::TWinControl* ShownPage() const
    {
        for (vcl::TScrollBox* page : window->ScrollPages) {
            auto* sheet = page ? dynamic_cast<vcl::TTabSheet*>(page->Parent()) : nullptr;
            if (sheet && sheet->TabVisible() && sheet->PageControl()->ActivePage() == sheet)
                return page;
        }
        ADD_FAILURE() << "no page is shown";
        return window->ScrollPages[0];
    }
    // Every typed entry of a family's rows whose edit the window has.
    std::vector<Binding> TypedRows(std::span<const Binding> rows) const
    {
        std::vector<Binding> typed;
        for (const Binding& b : rows)
            if (settings::IsEntry(b) && dynamic_cast<vcl::TEdit*>(window->FindComponent(b.control)))
                typed.push_back(b);
        return typed;
    }
};

} // namespace commandstest

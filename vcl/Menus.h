// Pop-up menus: TPopupMenu holds TMenuItem entries; a control with a PopupMenu shows it on a
// right click. A menu item's OnClick runs when the user chooses it.
#pragma once

#include "vcl/Controls.h"

#include <memory>

class QMenu;
class QAction;

namespace vcl {

class TMenuItem : public TComponent {
public:
    explicit TMenuItem(TComponent* Owner);
    ~TMenuItem() override;
    QString ClassName() const override { return "TMenuItem"; }
    QString Caption() const { return caption_; }
    void SetCaption(const QString& caption);
    bool Checked() const { return checked_; }
    void SetChecked(bool on);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool on);
    bool Visible() const { return visible_; }
    void SetVisible(bool on);
    // Chooses the item as the user would (fires OnClick when enabled).
    void Click();
    TNotifyEvent OnClick;
    // Kit use: the menu entry.
    QAction* Action() const { return action_.get(); }
private:
    friend class TPopupMenu;
    std::unique_ptr<QAction> action_;
    TPopupMenu* menu_ = nullptr;
    QString caption_;
    bool checked_ = false, enabled_ = true, visible_ = true;
};

class TPopupMenu : public TComponent {
public:
    explicit TPopupMenu(TComponent* Owner);
    ~TPopupMenu() override;
    QString ClassName() const override { return "TPopupMenu"; }
    // Adds an item (the menu does not own it; its Owner does).
    void Add(TMenuItem* item);
    int Count() const { return static_cast<int>(items_.size()); }
    TMenuItem* Items(int i) const;
    // Shows the menu at screen position x, y; returns when it closes.
    void Popup(int x, int y);
    TNotifyEvent OnPopup;
private:
    friend class TMenuItem;
    std::unique_ptr<QMenu> menu_;
    std::vector<TMenuItem*> items_;
};

} // namespace vcl

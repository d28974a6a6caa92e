// Pop-up menus: TPopupMenu holds TMenuItem entries, and an item may hold items of its own (a
// submenu). A control with a PopupMenu shows it on a right click. A menu item's OnClick runs
// when the user chooses it.
#pragma once

#include "vcl/Controls.h"

#include <QStringList>

#include <memory>

class QMenu;
class QAction;

namespace vcl {

class TPopupMenu;

class TMenuItem : public TComponent {
public:
    explicit TMenuItem(TComponent* Owner);
    ~TMenuItem() override;
    QString ClassName() const override { return QStringLiteral("TMenuItem"); }
    // The caption as set: "-" is a separator, "&&" shows as one "&".
    QString Caption() const { return caption_; }
    void SetCaption(const QString& caption);
    // The caption as the menu shows it ("&&" as "&").
    QString ShownCaption() const;
    bool Checked() const { return checked_; }
    void SetChecked(bool on);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool on);
    bool Visible() const { return visible_; }
    void SetVisible(bool on);
    bool IsSeparator() const { return caption_ == QLatin1String("-"); }
    // Chooses the item as the user would (fires OnClick when enabled).
    void Click();
    TNotifyEvent OnClick;

    // Submenu: an item that holds items opens them (the items are owned by their Owner).
    void Add(TMenuItem* item);
    int Count() const { return static_cast<int>(items_.size()); }
    TMenuItem* Items(int i) const;
    // The item this one sits in, or nullptr for an item of the menu itself.
    TMenuItem* Parent() const { return parent_; }
    TPopupMenu* Menu() const;

    // Kit use: the menu entry.
    QAction* Action() const { return action_.get(); }
private:
    friend class TPopupMenu;
    void Detach();
    std::unique_ptr<QAction> action_;
    std::unique_ptr<QMenu> submenu_;
    TPopupMenu* menu_ = nullptr;
    TMenuItem* parent_ = nullptr;
    std::vector<TMenuItem*> items_;
    QString caption_;
    bool checked_ = false, enabled_ = true, visible_ = true;
};

class TPopupMenu : public TComponent {
public:
    explicit TPopupMenu(TComponent* Owner);
    ~TPopupMenu() override;
    QString ClassName() const override { return QStringLiteral("TPopupMenu"); }
    // Adds an item (the menu does not own it; its Owner does).
    void Add(TMenuItem* item);
    int Count() const { return static_cast<int>(items_.size()); }
    TMenuItem* Items(int i) const;
    // Opens the menu at screen position x, y (OnPopup first). The menu stays open until an
    // item is chosen or the user closes it; the caller does not wait for that.
    void Popup(int x, int y);
    // The screen position the menu was last opened at (as given to Popup).
    int PopupX() const { return popupX_; }
    int PopupY() const { return popupY_; }
    bool IsOpen() const;
    void CloseUp();
    // The item reached by opening the submenus with these shown captions from the top (hidden
    // items and separators are not reached), or nullptr.
    TMenuItem* FindPath(const QStringList& captions) const;
    // The same for a path written as the captions joined by "/"; a caption may itself hold
    // "/" (the path is matched against the captions there are).
    TMenuItem* FindPath(const QString& path) const;
    TNotifyEvent OnPopup;
private:
    friend class TMenuItem;
    std::unique_ptr<QMenu> menu_;
    std::vector<TMenuItem*> items_;
    int popupX_ = 0, popupY_ = 0;
};

} // namespace vcl

#include "vcl/Menus.h"

#include <QAction>
#include <QMenu>

#include <algorithm>
#include <stdexcept>

namespace vcl {

TMenuItem::TMenuItem(TComponent* Owner) : TComponent(Owner), action_(std::make_unique<QAction>())
{
    QObject::connect(action_.get(), &QAction::triggered, action_.get(), [this] {
        if (OnClick) Guarded([&] { OnClick(this); });
    });
}

TMenuItem::~TMenuItem()
{
    if (menu_)
        menu_->items_.erase(std::remove(menu_->items_.begin(), menu_->items_.end(), this), menu_->items_.end());
}

void TMenuItem::SetCaption(const QString& caption)
{
    caption_ = caption;
    action_->setText(caption);
    action_->setSeparator(caption == "-");
}

void TMenuItem::SetChecked(bool on)
{
    checked_ = on;
    action_->setCheckable(true);
    action_->setChecked(on);
}

void TMenuItem::SetEnabled(bool on)
{
    enabled_ = on;
    action_->setEnabled(on);
}

void TMenuItem::SetVisible(bool on)
{
    visible_ = on;
    action_->setVisible(on);
}

void TMenuItem::Click()
{
    if (enabled_ && OnClick)
        Guarded([&] { OnClick(this); });
}

TPopupMenu::TPopupMenu(TComponent* Owner) : TComponent(Owner), menu_(std::make_unique<QMenu>()) {}

TPopupMenu::~TPopupMenu()
{
    for (TMenuItem* item : items_)
        item->menu_ = nullptr;
}

void TPopupMenu::Add(TMenuItem* item)
{
    if (item->menu_)
        return;
    item->menu_ = this;
    items_.push_back(item);
    menu_->addAction(item->Action());
}

TMenuItem* TPopupMenu::Items(int i) const
{
    if (i < 0 || i >= Count())
        throw std::out_of_range(QString("Menu index out of bounds (%1)").arg(i).toStdString());
    return items_[static_cast<size_t>(i)];
}

void TPopupMenu::Popup(int x, int y)
{
    if (OnPopup)
        Guarded([&] { OnPopup(this); });
    menu_->exec(QPoint(x, y));
}

} // namespace vcl

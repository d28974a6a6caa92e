#include "vcl/Menus.h"

#include <QAction>
#include <QMenu>

#include <algorithm>
#include <stdexcept>

namespace vcl {

namespace {

// The text Qt shows for a caption: "&&" is one "&", a single "&" marks the access key.
QString Shown(const QString& caption)
{
    QString out;
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption[i] == u'&' && i + 1 < caption.size()) {
            out += caption[++i];
            continue;
        }
        out += caption[i];
    }
    return out;
}

// Walks the items down the remaining path; a caption may hold "/", so every item whose shown
// caption starts the remaining path (up to a "/" or the end) is tried.
TMenuItem* Walk(const std::vector<TMenuItem*>& items, const QString& rest)
{
    for (TMenuItem* item : items) {
        if (!item->Visible() || item->IsSeparator())
            continue;
        const QString shown = item->ShownCaption();
        if (rest == shown)
            return item;
        if (rest.startsWith(shown + u'/') && item->Count() > 0) {
            std::vector<TMenuItem*> children;
            for (int i = 0; i < item->Count(); ++i)
                children.push_back(item->Items(i));
            if (TMenuItem* found = Walk(children, rest.mid(shown.size() + 1)))
                return found;
        }
    }
    return nullptr;
}

} // namespace

TMenuItem::TMenuItem(TComponent* Owner) : TComponent(Owner), action_(std::make_unique<QAction>())
{
    QObject::connect(action_.get(), &QAction::triggered, action_.get(), [this] {
        if (OnClick) Guarded([&] { OnClick(this); });
    });
}

TMenuItem::~TMenuItem()
{
    for (TMenuItem* item : items_)
        item->parent_ = nullptr;
    Detach();
    // The entry lets go of its submenu before the submenu goes.
    if (submenu_)
        action_->setMenu(static_cast<QMenu*>(nullptr));
}

void TMenuItem::Detach()
{
    if (parent_) {
        parent_->items_.erase(std::remove(parent_->items_.begin(), parent_->items_.end(), this), parent_->items_.end());
        parent_ = nullptr;
    }
    if (menu_) {
        menu_->items_.erase(std::remove(menu_->items_.begin(), menu_->items_.end(), this), menu_->items_.end());
        menu_ = nullptr;
    }
}

void TMenuItem::SetCaption(const QString& caption)
{
    caption_ = caption;
    // A separator carries no text: some styles draw a separator's text as a section heading.
    const bool separator = caption == "-";
    action_->setText(separator ? QString() : caption);
    action_->setSeparator(separator);
}

QString TMenuItem::ShownCaption() const
{
    return Shown(caption_);
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

void TMenuItem::Add(TMenuItem* item)
{
    if (!item || item == this || item->menu_ || item->parent_)
        return;
    if (!submenu_) {
        submenu_ = std::make_unique<QMenu>();
        action_->setMenu(submenu_.get());
        // Opening the submenu is the header's own click, as the user's pointing at it.
        QObject::connect(submenu_.get(), &QMenu::aboutToShow, action_.get(), [this] { Click(); });
    }
    item->parent_ = this;
    items_.push_back(item);
    submenu_->addAction(item->Action());
}

TMenuItem* TMenuItem::Items(int i) const
{
    if (i < 0 || i >= Count())
        throw std::out_of_range(QString("Menu index out of bounds (%1)").arg(i).toStdString());
    return items_[static_cast<size_t>(i)];
}

TPopupMenu* TMenuItem::Menu() const
{
    const TMenuItem* item = this;
    while (item->parent_)
        item = item->parent_;
    return item->menu_;
}

TPopupMenu::TPopupMenu(TComponent* Owner) : TComponent(Owner), menu_(std::make_unique<QMenu>()) {}

TPopupMenu::~TPopupMenu()
{
    for (TMenuItem* item : items_)
        item->menu_ = nullptr;
}

void TPopupMenu::Add(TMenuItem* item)
{
    if (!item || item->menu_ || item->parent_)
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
    popupX_ = x;
    popupY_ = y;
    if (OnPopup)
        Guarded([&] { OnPopup(this); });
    menu_->popup(QPoint(x, y));
}

bool TPopupMenu::IsOpen() const
{
    return menu_->isVisible();
}

void TPopupMenu::CloseUp()
{
    menu_->hide();
}

TMenuItem* TPopupMenu::FindPath(const QStringList& captions) const
{
    return FindPath(captions.join(u'/'));
}

TMenuItem* TPopupMenu::FindPath(const QString& path) const
{
    return Walk(items_, path);
}

} // namespace vcl

#include "vcl/ComCtrls.h"

#include "vcl/FileWrite.h"

#include "vcl/KitPrivate.h"

#include <QFile>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QScrollBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>
#include <QTimer>
#include <QTreeWidget>

#include <algorithm>
#include <stdexcept>

namespace vcl {

namespace {
[[noreturn]] void OutOfRange(const char* what, int i)
{
    throw std::out_of_range(QString("%1 index out of bounds (%2)").arg(what).arg(i).toStdString());
}
} // namespace

// ---------------------------------------------------------------------------------------------
TTabSheet::TTabSheet(TComponent* Owner) : TWinControl(Owner, new QWidget) {}

TTabSheet::~TTabSheet()
{
    if (pageControl_)
        pageControl_->RemovePage(this);
}

void TTabSheet::SetPageControl(TPageControl* pc)
{
    SetParent(pc);
}

void TTabSheet::SetParent(TWinControl* parent)
{
    auto* pc = dynamic_cast<TPageControl*>(parent);
    if (pageControl_ && pageControl_ != pc)
        pageControl_->RemovePage(this);
    TWinControl::SetParent(parent);
    if (pc && pageControl_ != pc)
        pc->AddPage(this);
}

void TTabSheet::ApplyCaption()
{
    if (pageControl_) {
        auto* tabs = static_cast<QTabWidget*>(pageControl_->Handle());
        tabs->setTabText(tabs->indexOf(Handle()), caption_);
    }
}

void TTabSheet::SetTabVisible(bool on)
{
    tabVisible_ = on;
    if (pageControl_) {
        auto* tabs = static_cast<QTabWidget*>(pageControl_->Handle());
        pageControl_->syncing_ = true;
        tabs->setTabVisible(tabs->indexOf(Handle()), on);
        pageControl_->syncing_ = false;
    }
}

int TTabSheet::PageIndex() const
{
    if (!pageControl_)
        return -1;
    const auto& pages = pageControl_->pages_;
    return static_cast<int>(std::find(pages.begin(), pages.end(), this) - pages.begin());
}

// ---------------------------------------------------------------------------------------------
TPageControl::TPageControl(TComponent* Owner) : TWinControl(Owner, new QTabWidget)
{
    auto* tabs = static_cast<QTabWidget*>(Handle());
    WatchWidget(tabs->tabBar());
    QObject::connect(tabs, &QTabWidget::currentChanged, tabs, [this](int) {
        if (!syncing_ && OnChange)
            Guarded([&] { OnChange(this); });
    });
    SetBounds(0, 0, 289, 193);
}

TPageControl::~TPageControl()
{
    // Sheets that outlive the page control forget it.
    for (TTabSheet* page : pages_)
        page->pageControl_ = nullptr;
}

void TPageControl::AddPage(TTabSheet* page)
{
    pages_.push_back(page);
    page->pageControl_ = this;
    auto* tabs = static_cast<QTabWidget*>(Handle());
    syncing_ = true;
    tabs->addTab(page->Handle(), page->Caption());
    tabs->setTabVisible(tabs->indexOf(page->Handle()), page->tabVisible_);
    syncing_ = false;
    SizeSheet(page);
}

void TPageControl::RemovePage(TTabSheet* page)
{
    auto* tabs = static_cast<QTabWidget*>(Handle());
    syncing_ = true;
    if (tabs && page->Handle())
        tabs->removeTab(tabs->indexOf(page->Handle()));
    syncing_ = false;
    pages_.erase(std::remove(pages_.begin(), pages_.end(), page), pages_.end());
    page->pageControl_ = nullptr;
}

void TPageControl::SizeSheet(TTabSheet* page)
{
    page->SetBounds(0, 0, std::max(0, Width() - 8), std::max(0, Height() - 28));
}

void TPageControl::ApplyGeometry()
{
    TWinControl::ApplyGeometry();
    for (TTabSheet* page : pages_)
        SizeSheet(page);
}

TTabSheet* TPageControl::Pages(int i) const
{
    if (i < 0 || i >= PageCount())
        OutOfRange("Page", i);
    return pages_[static_cast<size_t>(i)];
}

TTabSheet* TPageControl::ActivePage() const
{
    auto* tabs = static_cast<QTabWidget*>(Handle());
    QWidget* current = tabs->currentWidget();
    for (TTabSheet* page : pages_)
        if (page->Handle() == current)
            return page;
    return nullptr;
}

void TPageControl::SetActivePage(TTabSheet* page)
{
    if (!page || page->pageControl_ != this)
        return;
    syncing_ = true;
    static_cast<QTabWidget*>(Handle())->setCurrentWidget(page->Handle());
    syncing_ = false;
}

int TPageControl::ActivePageIndex() const
{
    TTabSheet* page = ActivePage();
    return page ? page->PageIndex() : -1;
}

void TPageControl::SetActivePageIndex(int i)
{
    if (i >= 0 && i < PageCount())
        SetActivePage(pages_[static_cast<size_t>(i)]);
}

TTabSheet* TPageControl::PageOfTab(int visibleIndex) const
{
    int n = 0;
    for (TTabSheet* page : pages_) {
        if (!page->tabVisible_)
            continue;
        if (n == visibleIndex)
            return page;
        ++n;
    }
    return nullptr;
}

int TPageControl::TabIndex() const
{
    TTabSheet* active = ActivePage();
    if (!active || !active->tabVisible_)
        return -1;
    int n = 0;
    for (TTabSheet* page : pages_) {
        if (page == active)
            return n;
        if (page->tabVisible_)
            ++n;
    }
    return -1;
}

void TPageControl::SetTabIndex(int visibleIndex)
{
    SetActivePage(PageOfTab(visibleIndex));
}

void TPageControl::UserChoseTab(int visibleIndex)
{
    TTabSheet* page = PageOfTab(visibleIndex);
    if (!page)
        throw std::out_of_range(QString("No visible tab %1").arg(visibleIndex).toStdString());
    // As the tab bar does for a click: the page changes and OnChange fires.
    static_cast<QTabWidget*>(Handle())->setCurrentWidget(page->Handle());
}

// ---------------------------------------------------------------------------------------------
TImageList::TImageList(TComponent* Owner) : TComponent(Owner) {}
TImageList::~TImageList() = default;

int TImageList::Add(const QString& path)
{
    QPixmap pm;
    if (!pm.load(path))
        return -1;
    icons_.push_back(std::make_unique<QIcon>(pm));
    return Count() - 1;
}

const QIcon* TImageList::Icon(int i) const
{
    if (i < 0 || i >= Count())
        return nullptr;
    return icons_[static_cast<size_t>(i)].get();
}

// ---------------------------------------------------------------------------------------------
QString TTreeNode::Text() const { return item_->text(0); }
void TTreeNode::SetText(const QString& text) { item_->setText(0, text); }

void TTreeNode::SetImageIndex(int i)
{
    imageIndex_ = i;
    const QIcon* icon = tree_->Images() ? tree_->Images()->Icon(i) : nullptr;
    item_->setIcon(0, icon ? *icon : QIcon());
}

int TTreeNode::Level() const
{
    int level = 0;
    for (QTreeWidgetItem* p = item_->parent(); p; p = p->parent())
        ++level;
    return level;
}

int TTreeNode::Index() const
{
    if (QTreeWidgetItem* p = item_->parent())
        return p->indexOfChild(item_);
    return item_->treeWidget() ? item_->treeWidget()->indexOfTopLevelItem(item_) : -1;
}

TTreeNode* TTreeNode::Parent() const
{
    return item_->parent() ? tree_->Items()->NodeOf(item_->parent()) : nullptr;
}

int TTreeNode::Count() const { return item_->childCount(); }

TTreeNode* TTreeNode::Item(int i) const
{
    if (i < 0 || i >= Count())
        OutOfRange("Tree node", i);
    return tree_->Items()->NodeOf(item_->child(i));
}

void TTreeNode::Expand(bool recurse)
{
    item_->setExpanded(true);
    if (recurse)
        for (int i = 0; i < Count(); ++i)
            Item(i)->Expand(true);
}

void TTreeNode::Collapse(bool recurse)
{
    item_->setExpanded(false);
    if (recurse)
        for (int i = 0; i < Count(); ++i)
            Item(i)->Collapse(true);
}

bool TTreeNode::Expanded() const { return item_->isExpanded(); }
bool TTreeNode::Selected() const { return tree_->Selected() == this; }

void TTreeNode::Delete()
{
    TTreeView* tree = tree_;
    QTreeWidgetItem* item = item_;
    tree->syncing_ = true;
    tree->Items()->Forget(item); // destroys this node object and its children's
    delete item;
    tree->syncing_ = false;
}

// ---------------------------------------------------------------------------------------------
TTreeNode* TTreeNodes::Add(TTreeNode* sibling, const QString& text)
{
    if (sibling && sibling->Parent())
        return AddChild(sibling->Parent(), text);
    auto* item = new QTreeWidgetItem(QStringList{text});
    static_cast<QTreeWidget*>(tree_->Handle())->addTopLevelItem(item);
    auto node = std::make_unique<TTreeNode>(tree_, item);
    TTreeNode* raw = node.get();
    nodes_[item] = std::move(node);
    return raw;
}

TTreeNode* TTreeNodes::AddChild(TTreeNode* parent, const QString& text)
{
    if (!parent)
        return Add(nullptr, text);
    auto* item = new QTreeWidgetItem(QStringList{text});
    parent->Item()->addChild(item);
    auto node = std::make_unique<TTreeNode>(tree_, item);
    TTreeNode* raw = node.get();
    nodes_[item] = std::move(node);
    return raw;
}

void TTreeNodes::Clear()
{
    tree_->syncing_ = true;
    static_cast<QTreeWidget*>(tree_->Handle())->clear();
    nodes_.clear();
    tree_->syncing_ = false;
}

void TTreeNodes::Flatten(std::vector<TTreeNode*>& out) const
{
    auto* tree = static_cast<QTreeWidget*>(tree_->Handle());
    std::function<void(QTreeWidgetItem*)> walk = [&](QTreeWidgetItem* item) {
        out.push_back(NodeOf(item));
        for (int i = 0; i < item->childCount(); ++i)
            walk(item->child(i));
    };
    for (int i = 0; i < tree->topLevelItemCount(); ++i)
        walk(tree->topLevelItem(i));
}

int TTreeNodes::Count() const { return static_cast<int>(nodes_.size()); }

TTreeNode* TTreeNodes::Item(int i) const
{
    std::vector<TTreeNode*> all;
    Flatten(all);
    if (i < 0 || i >= static_cast<int>(all.size()))
        OutOfRange("Tree node", i);
    return all[static_cast<size_t>(i)];
}

TTreeNode* TTreeNodes::GetFirstNode() const
{
    auto* tree = static_cast<QTreeWidget*>(tree_->Handle());
    return tree->topLevelItemCount() ? NodeOf(tree->topLevelItem(0)) : nullptr;
}

TTreeNode* TTreeNodes::FindText(const QString& text) const
{
    std::vector<TTreeNode*> all;
    Flatten(all);
    for (TTreeNode* node : all)
        if (node->Text() == text)
            return node;
    return nullptr;
}

TTreeNode* TTreeNodes::NodeOf(QTreeWidgetItem* item) const
{
    auto it = nodes_.find(item);
    return it == nodes_.end() ? nullptr : it->second.get();
}

void TTreeNodes::Forget(QTreeWidgetItem* item)
{
    for (int i = 0; i < item->childCount(); ++i)
        Forget(item->child(i));
    nodes_.erase(item);
}

// ---------------------------------------------------------------------------------------------
TTreeView::TTreeView(TComponent* Owner) : TWinControl(Owner, new QTreeWidget), nodes_(std::make_unique<TTreeNodes>(this))
{
    auto* tree = static_cast<QTreeWidget*>(Handle());
    tree->setHeaderHidden(true);
    tree->setColumnCount(1);
    tree->setExpandsOnDoubleClick(false);
    WatchWidget(tree->viewport());
    QObject::connect(tree, &QTreeWidget::currentItemChanged, tree, [this](QTreeWidgetItem* now, QTreeWidgetItem*) {
        if (syncing_)
            return;
        if (TTreeNode* node = nodes_->NodeOf(now); node && OnChange)
            Guarded([&] { OnChange(this, node); });
    });
    SetBounds(0, 0, 121, 97);
}

TTreeView::~TTreeView()
{
    syncing_ = true;
    if (auto* tree = static_cast<QTreeWidget*>(Handle()))
        tree->clear();
}

TTreeNode* TTreeView::Selected() const
{
    return nodes_->NodeOf(static_cast<QTreeWidget*>(Handle())->currentItem());
}

void TTreeView::SetSelected(TTreeNode* node)
{
    auto* tree = static_cast<QTreeWidget*>(Handle());
    tree->setCurrentItem(node ? node->Item() : nullptr);
}

void TTreeView::FullExpand()
{
    static_cast<QTreeWidget*>(Handle())->expandAll();
}

// ---------------------------------------------------------------------------------------------
void TStatusPanel::SetText(const QString& text)
{
    text_ = text;
    label_->setText(text);
}

void TStatusPanel::SetWidth(int width)
{
    width_ = width;
    label_->setFixedWidth(std::max(0, width));
}

TStatusPanel* TStatusPanels::Add()
{
    auto* label = new QLabel(bar_);
    label->setTextFormat(Qt::PlainText);
    label->setFrameShape(QFrame::Panel);
    label->setFrameShadow(QFrame::Sunken);
    static_cast<QHBoxLayout*>(bar_->layout())->addWidget(label);
    panels_.push_back(std::make_unique<TStatusPanel>(label));
    panels_.back()->SetWidth(50);
    return panels_.back().get();
}

TStatusPanel* TStatusPanels::Items(int i) const
{
    if (i < 0 || i >= Count())
        OutOfRange("Status panel", i);
    return panels_[static_cast<size_t>(i)].get();
}

TStatusBar::TStatusBar(TComponent* Owner) : TWinControl(Owner, new QWidget)
{
    auto* layout = new QHBoxLayout(Handle());
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->setAlignment(Qt::AlignLeft);
    panels_ = std::make_unique<TStatusPanels>(Handle());
    SetBounds(0, 0, 200, 19);
    SetAlign(alBottom);
}

TStatusBar::~TStatusBar() = default;

// ---------------------------------------------------------------------------------------------
namespace {
QStringList SplitBreaks(const QString& text)
{
    QString t = text;
    t.replace("\r\n", "\n").replace('\r', '\n');
    return t.split('\n');
}

QString RtfEscape(const QString& text)
{
    QString out;
    for (const QChar c : text) {
        const ushort u = c.unicode();
        if (c == '\\' || c == '{' || c == '}')
            out += '\\', out += c;
        else if (u < 0x80)
            out += c;
        else
            out += QString("\\u%1?").arg(static_cast<short>(u));
    }
    return out;
}
} // namespace

void TRichLines::Add(const QString& text)
{
    for (const QString& line : SplitBreaks(text)) {
        lines_ << line;
        colors_.push_back(edit_->selAttributes_.Color());
        edit_->AppendBlock(line, colors_.back());
    }
}

QString TRichLines::Strings(int i) const
{
    if (i < 0 || i >= Count())
        OutOfRange("Line", i);
    return lines_.at(i);
}

void TRichLines::Clear()
{
    lines_.clear();
    colors_.clear();
    edit_->Rebuild();
}

void TRichLines::Delete(int i)
{
    if (i < 0 || i >= Count())
        OutOfRange("Line", i);
    lines_.removeAt(i);
    colors_.erase(colors_.begin() + i);
    edit_->Rebuild();
}

QString TRichLines::Text() const
{
    QString t;
    for (const QString& s : lines_)
        t += s + "\r\n";
    return t;
}

bool TRichLines::SaveToFile(const QString& path) const
{
    return WriteFileWhole(path, Text().toUtf8());
}

TRichEdit::TRichEdit(TComponent* Owner) : TWinControl(Owner, new QTextEdit), lines_(std::make_unique<TRichLines>(this))
{
    auto* edit = static_cast<QTextEdit*>(Handle());
    edit->setAcceptRichText(false);
    edit->setLineWrapMode(QTextEdit::NoWrap);
    SetBounds(0, 0, 185, 89);
}

TRichEdit::~TRichEdit() = default;

void TRichEdit::AddLine(const QString& text, TColor color)
{
    const TColor keep = selAttributes_.Color();
    selAttributes_.SetColor(color);
    lines_->Add(text);
    selAttributes_.SetColor(keep);
}

void TRichEdit::SetReadOnly(bool on)
{
    readOnly_ = on;
    static_cast<QTextEdit*>(Handle())->setReadOnly(on);
}

void TRichEdit::AppendBlock(const QString& text, TColor color)
{
    auto* edit = static_cast<QTextEdit*>(Handle());
    QTextCursor cursor(edit->document());
    cursor.movePosition(QTextCursor::End);
    QTextCharFormat format;
    const QColor c = detail::ToQColor(color);
    if (c.isValid())
        format.setForeground(c);
    if (lines_->Count() > 1)
        cursor.insertBlock();
    cursor.insertText(text, format);
}

void TRichEdit::Rebuild()
{
    static_cast<QTextEdit*>(Handle())->clear();
    const QStringList lines = lines_->lines_;
    const std::vector<TColor> colors = lines_->colors_;
    lines_->lines_.clear();
    lines_->colors_.clear();
    for (int i = 0; i < lines.size(); ++i) {
        lines_->lines_ << lines[i];
        lines_->colors_.push_back(colors[static_cast<size_t>(i)]);
        AppendBlock(lines[i], colors[static_cast<size_t>(i)]);
    }
}

void TRichEdit::ScrollToEnd()
{
    QWidget* w = Handle();
    QTimer::singleShot(0, w, [w] {
        auto* sb = static_cast<QTextEdit*>(w)->verticalScrollBar();
        sb->setValue(sb->maximum());
    });
}

QByteArray TRichEdit::RtfText() const
{
    // A colour table of the distinct colours used, then one paragraph per line.
    std::vector<TColor> table;
    for (int i = 0; i < lines_->Count(); ++i) {
        const TColor c = lines_->ColorOf(i);
        if (std::find(table.begin(), table.end(), c) == table.end())
            table.push_back(c);
    }
    QString rtf = "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fnil Tahoma;}}\r\n{\\colortbl ;";
    for (TColor c : table) {
        const QColor q = detail::ToQColor(c).isValid() ? detail::ToQColor(c) : QColor(Qt::black);
        rtf += QString("\\red%1\\green%2\\blue%3;").arg(q.red()).arg(q.green()).arg(q.blue());
    }
    rtf += "}\r\n\\viewkind4\\uc1\\pard\\f0\\fs16\r\n";
    for (int i = 0; i < lines_->Count(); ++i) {
        const auto index = std::find(table.begin(), table.end(), lines_->ColorOf(i)) - table.begin() + 1;
        rtf += QString("\\cf%1 %2\\par\r\n").arg(index).arg(RtfEscape(lines_->Strings(i)));
    }
    rtf += "}\r\n";
    return rtf.toLatin1();
}

bool TRichEdit::SaveToFile(const QString& path) const
{
    return WriteFileWhole(path, RtfText());
}

} // namespace vcl

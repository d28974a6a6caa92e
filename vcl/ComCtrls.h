// Common controls: page control with tab sheets, tree view, status bar, rich edit, image list.
#pragma once

#include "vcl/Controls.h"
#include "vcl/StringList.h"

#include <memory>
#include <unordered_map>
#include <vector>

class QTreeWidgetItem;
class QIcon;
class QLabel;

namespace vcl {

class TPageControl;

// A page of a page control. Visible is its own flag; whether its tab shows is TabVisible.
class TTabSheet : public TWinControl {
public:
    explicit TTabSheet(TComponent* Owner);
    ~TTabSheet() override;
    QString ClassName() const override { return QStringLiteral("TTabSheet"); }
    TPageControl* PageControl() const { return pageControl_; }
    // Puts the sheet on a page control (as its last page) and makes it the sheet's Parent.
    void SetPageControl(TPageControl* pc);
    void SetParent(TWinControl* parent) override;
    bool TabVisible() const { return tabVisible_; }
    void SetTabVisible(bool on);
    // The sheet's position among all pages of its page control.
    int PageIndex() const;
protected:
    void ApplyCaption() override;
    void ApplyVisible() override {}
    void ApplyGeometry() override {}
private:
    friend class TPageControl;
    TPageControl* pageControl_ = nullptr;
    bool tabVisible_ = true;
};

// Pages with tabs. ActivePageIndex counts all pages; TabIndex counts the visible tabs only
// (the third visible tab is TabIndex 2 whatever pages are hidden before it). OnChange fires
// when the user chooses a tab, not when code sets the page.
class TPageControl : public TWinControl {
public:
    explicit TPageControl(TComponent* Owner);
    ~TPageControl() override;
    QString ClassName() const override { return QStringLiteral("TPageControl"); }
    int PageCount() const { return static_cast<int>(pages_.size()); }
    TTabSheet* Pages(int i) const;
    TTabSheet* ActivePage() const;
    void SetActivePage(TTabSheet* page);
    int ActivePageIndex() const;
    void SetActivePageIndex(int i);
    int TabIndex() const;
    void SetTabIndex(int visibleIndex);
    // The page of the visible tab with that index, or nullptr.
    TTabSheet* PageOfTab(int visibleIndex) const;
    TNotifyEvent OnChange;
protected:
    void ApplyGeometry() override;
private:
    friend class TTabSheet;
    friend class UserDriver;
    void AddPage(TTabSheet* page);
    void RemovePage(TTabSheet* page);
    void SizeSheet(TTabSheet* page);
    // The user chooses the visible tab with that index.
    void UserChoseTab(int visibleIndex);
    std::vector<TTabSheet*> pages_;
    bool syncing_ = false;
};

// A list of pictures for tree nodes, loaded from files or Qt resources.
class TImageList : public TComponent {
public:
    explicit TImageList(TComponent* Owner);
    ~TImageList() override;
    QString ClassName() const override { return QStringLiteral("TImageList"); }
    // Adds a picture; returns its index, or -1 when it cannot be read.
    int Add(const QString& path);
    int Count() const { return static_cast<int>(icons_.size()); }
    // Kit use.
    const QIcon* Icon(int i) const;
private:
    std::vector<std::unique_ptr<QIcon>> icons_;
};

class TTreeView;

class TTreeNode {
public:
    QString Text() const;
    void SetText(const QString& text);
    int ImageIndex() const { return imageIndex_; }
    void SetImageIndex(int i);
    int SelectedIndex() const { return selectedIndex_; }
    void SetSelectedIndex(int i) { selectedIndex_ = i; }
    int StateIndex() const { return stateIndex_; }
    void SetStateIndex(int i) { stateIndex_ = i; }
    // 0 for a root node.
    int Level() const;
    // Position among its siblings.
    int Index() const;
    TTreeNode* Parent() const;
    int Count() const;
    TTreeNode* Item(int i) const;
    void Expand(bool recurse);
    void Collapse(bool recurse);
    bool Expanded() const;
    bool Selected() const;
    // Deletes the node and its children (the node object is gone afterwards).
    void Delete();
    TTreeView* TreeView() const { return tree_; }
    int Data() const { return data_; }
    void SetData(int data) { data_ = data; }
    // Kit use.
    QTreeWidgetItem* Item() const { return item_; }
    TTreeNode(TTreeView* tree, QTreeWidgetItem* item) : tree_(tree), item_(item) {}
private:
    TTreeView* tree_;
    QTreeWidgetItem* item_;
    int imageIndex_ = -1, selectedIndex_ = -1, stateIndex_ = -1, data_ = 0;
};

// The nodes of a tree view, in display order.
class TTreeNodes {
public:
    explicit TTreeNodes(TTreeView* tree) : tree_(tree) {}
    // Adds a root node (or a last sibling of node), or a last child of parent.
    TTreeNode* Add(TTreeNode* sibling, const QString& text);
    TTreeNode* AddChild(TTreeNode* parent, const QString& text);
    void Clear();
    // Every node, counted in display order (children after their parent).
    int Count() const;
    TTreeNode* Item(int i) const;
    TTreeNode* GetFirstNode() const;
    // The first node with that text (display order), or nullptr.
    TTreeNode* FindText(const QString& text) const;
    // Kit use.
    TTreeNode* NodeOf(QTreeWidgetItem* item) const;
    void Forget(QTreeWidgetItem* item);
private:
    void Flatten(std::vector<TTreeNode*>& out) const;
    TTreeView* tree_;
    std::unordered_map<QTreeWidgetItem*, std::unique_ptr<TTreeNode>> nodes_;
};

// A tree of texts. Selected is the chosen node; a double-click selects the node under the
// mouse and fires OnDblClick.
class TTreeView : public TWinControl {
public:
    explicit TTreeView(TComponent* Owner);
    ~TTreeView() override;
    QString ClassName() const override { return QStringLiteral("TTreeView"); }
    TTreeNodes* Items() { return nodes_.get(); }
    TTreeNode* Selected() const;
    void SetSelected(TTreeNode* node);
    void FullExpand();
    TImageList* Images() const { return images_; }
    void SetImages(TImageList* images) { images_ = images; }
    // Fires when the selection changes.
    std::function<void(TObject* Sender, TTreeNode* Node)> OnChange;
private:
    std::unique_ptr<TTreeNodes> nodes_;
    TImageList* images_ = nullptr;
    bool syncing_ = false;
    friend class TTreeNodes;
    friend class TTreeNode;
};

class TStatusPanel {
public:
    QString Text() const { return text_; }
    void SetText(const QString& text);
    int Width() const { return width_; }
    void SetWidth(int width);
    // Kit use.
    TStatusPanel(QLabel* label) : label_(label) {}
private:
    QLabel* label_;
    QString text_;
    int width_ = 50;
};

class TStatusPanels {
public:
    explicit TStatusPanels(QWidget* bar) : bar_(bar) {}
    TStatusPanel* Add();
    int Count() const { return static_cast<int>(panels_.size()); }
    // Panel i; std::out_of_range outside 0..Count()-1.
    TStatusPanel* Items(int i) const;
private:
    QWidget* bar_;
    std::vector<std::unique_ptr<TStatusPanel>> panels_;
};

// The status bar: panels of text side by side, at the bottom of its parent (Align alBottom).
class TStatusBar : public TWinControl {
public:
    explicit TStatusBar(TComponent* Owner);
    ~TStatusBar() override;
    QString ClassName() const override { return QStringLiteral("TStatusBar"); }
    TStatusPanels* Panels() { return panels_.get(); }
private:
    std::unique_ptr<TStatusPanels> panels_;
};

// The lines of a rich edit: added lines take the edit's current SelAttributes colour.
class TRichEdit;
class TRichLines {
public:
    explicit TRichLines(TRichEdit* edit) : edit_(edit) {}
    // Adds a line (a text with line breaks adds several).
    void Add(const QString& text);
    int Count() const { return static_cast<int>(lines_.size()); }
    QString Strings(int i) const;
    void Clear();
    void Delete(int i);
    QString Text() const;
    // Plain text, UTF-8, lines ending in "\r\n"; the file whole or not at all (vcl/FileWrite.h).
    bool SaveToFile(const QString& path) const;
    // Kit use.
    TColor ColorOf(int i) const { return colors_.at(static_cast<size_t>(i)); }
private:
    friend class TRichEdit;
    TRichEdit* edit_;
    QStringList lines_;
    std::vector<TColor> colors_;
};

class TTextAttributes {
public:
    TColor Color() const { return color_; }
    void SetColor(TColor color) { color_ = color; }
private:
    TColor color_ = clWindowText;
};

// A multi-line text with a colour per line (the program's log panes).
class TRichEdit : public TWinControl {
public:
    explicit TRichEdit(TComponent* Owner);
    ~TRichEdit() override;
    QString ClassName() const override { return QStringLiteral("TRichEdit"); }
    TRichLines* Lines() { return lines_.get(); }
    TTextAttributes* SelAttributes() { return &selAttributes_; }
    // Adds a line in a colour (SelAttributes stays as it was).
    void AddLine(const QString& text, TColor color);
    void Clear() { lines_->Clear(); }
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool on);
    // Scrolls to the last line once the pending events have run.
    void ScrollToEnd();
    // Saves the lines with their colours as a rich-text (RTF) file, whole or not at all
    // (vcl/FileWrite.h); false when it cannot be written.
    bool SaveToFile(const QString& path) const;
    // The lines with their colours as rich text (RTF), as SaveToFile writes them.
    QByteArray RtfText() const;
private:
    friend class TRichLines;
    void Rebuild();
    void AppendBlock(const QString& text, TColor color);
    std::unique_ptr<TRichLines> lines_;
    TTextAttributes selAttributes_;
    bool readOnly_ = false;
};

} // namespace vcl

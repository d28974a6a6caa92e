#include "vcl/StdCtrls.h"

#include "vcl/Forms.h"
#include "vcl/KitPrivate.h"
#include "vcl/Services.h"

#include <QComboBox>
#include <QCheckBox>
#include <QGroupBox>
#include <QImage>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPixmapCache>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QAbstractItemView>
#include <QTimer>
#include <QToolButton>

#include <algorithm>
#include <utility>

namespace vcl {

namespace {
// "&&" shows as "&"; a single "&" marks an accelerator and does not show.
QString DisplayCaption(const QString& caption)
{
    QString out;
    for (int i = 0; i < caption.size(); ++i) {
        if (caption.at(i) == '&') {
            if (i + 1 < caption.size() && caption.at(i + 1) == '&') {
                out += '&';
                ++i;
            }
            continue;
        }
        out += caption.at(i);
    }
    return out;
}

// A radio button that the user can only turn on; the kit turns its siblings off.
class KRadioButton : public QRadioButton {
public:
    KRadioButton() { setAutoExclusive(false); }
protected:
    void nextCheckState() override { setChecked(true); }
};

// A combo box that tells its control before it shows and before its list opens, so that the
// edit and the list's width are made only when they can be seen: a window holds well over a
// hundred combo boxes, most of which never show an edit.
class KComboBox : public QComboBox {
public:
    std::function<void()> beforeShow, beforePopup;
    void showPopup() override
    {
        if (beforePopup)
            beforePopup();
        QComboBox::showPopup();
    }
protected:
    bool event(QEvent* e) override
    {
        if (e->type() == QEvent::Show && beforeShow)
            beforeShow();
        return QComboBox::event(e);
    }
};
} // namespace

// ---------------------------------------------------------------------------------------------
TLabel::TLabel(TComponent* Owner) : TControl(Owner, new QLabel)
{
    auto* label = static_cast<QLabel*>(Handle());
    label->setTextFormat(Qt::PlainText);
    SetBounds(0, 0, 0, 13);
    // A new label sizes itself to no text in the application's font and style, the same for
    // every label until those change: measured once, not for each of thousands of labels.
    static QFont measuredFont;
    static const QStyle* measuredStyle = nullptr;
    static QSize emptySize;
    if (measuredStyle == label->style() && measuredFont == label->font()) {
        SetBounds(0, 0, emptySize.width(), emptySize.height());
        return;
    }
    ApplyCaption();
    measuredStyle = label->style();
    measuredFont = label->font();
    emptySize = QSize(Width(), Height());
}

void TLabel::ApplyCaption()
{
    auto* label = static_cast<QLabel*>(Handle());
    if (!label)
        return;
    label->setText(DisplayCaption(caption_));
    if (!autoSize_)
        return;
    if (wordWrap_) {
        const int h = label->heightForWidth(std::max(1, Width()));
        SetBounds(Left(), Top(), Width(), h > 0 ? h : label->sizeHint().height());
    } else {
        const QSize hint = label->sizeHint();
        SetBounds(Left(), Top(), hint.width(), hint.height());
    }
}

void TLabel::SetAutoSize(bool on)
{
    autoSize_ = on;
    ApplyCaption();
}

void TLabel::SetWordWrap(bool on)
{
    wordWrap_ = on;
    static_cast<QLabel*>(Handle())->setWordWrap(on);
    ApplyCaption();
}

void TLabel::SetAlignment(TAlignment a)
{
    alignment_ = a;
    Qt::Alignment qa = a == taCenter ? Qt::AlignHCenter : a == taRightJustify ? Qt::AlignRight : Qt::AlignLeft;
    static_cast<QLabel*>(Handle())->setAlignment(qa | Qt::AlignTop);
}

// ---------------------------------------------------------------------------------------------
TEdit::TEdit(TComponent* Owner) : TWinControl(Owner, new QLineEdit)
{
    auto* edit = static_cast<QLineEdit*>(Handle());
    QObject::connect(edit, &QLineEdit::textChanged, edit, [this] {
        if (OnChange) Guarded([&] { OnChange(this); });
    });
    SetBounds(0, 0, 121, 21);
}

QString TEdit::Text() const
{
    return static_cast<QLineEdit*>(Handle())->text();
}

void TEdit::SetText(const QString& text)
{
    static_cast<QLineEdit*>(Handle())->setText(text);
}

void TEdit::SetMaxLength(int n)
{
    maxLength_ = n;
    static_cast<QLineEdit*>(Handle())->setMaxLength(n > 0 ? n : 32767);
}

void TEdit::SetPasswordChar(QChar c)
{
    passwordChar_ = c;
    auto* edit = static_cast<QLineEdit*>(Handle());
    if (c.isNull()) {
        edit->setEchoMode(QLineEdit::Normal);
        edit->setStyleSheet(QString());
    } else {
        edit->setEchoMode(QLineEdit::Password);
        edit->setStyleSheet(QString("lineedit-password-character: %1;").arg(c.unicode()));
    }
}

void TEdit::SetReadOnly(bool on)
{
    readOnly_ = on;
    static_cast<QLineEdit*>(Handle())->setReadOnly(on);
}

void TEdit::SelectAll()
{
    static_cast<QLineEdit*>(Handle())->selectAll();
}

QString TEdit::SelText() const
{
    return static_cast<QLineEdit*>(Handle())->selectedText();
}

// ---------------------------------------------------------------------------------------------
TButton::TButton(TComponent* Owner) : TWinControl(Owner, new QPushButton)
{
    auto* button = static_cast<QPushButton*>(Handle());
    button->setAutoDefault(false);
    QObject::connect(button, &QPushButton::clicked, button, [this] { Click(); });
    SetBounds(0, 0, 75, 25);
}

void TButton::ApplyCaption()
{
    static_cast<QPushButton*>(Handle())->setText(caption_);
}

void TButton::SetDefault(bool on)
{
    default_ = on;
    static_cast<QPushButton*>(Handle())->setDefault(on);
}

void TButton::Click()
{
    TControl::Click();
    if (modalResult_ != mrNone)
        if (TForm* form = ParentForm())
            form->SetModalResult(modalResult_);
}

// ---------------------------------------------------------------------------------------------
TSpeedButton::TSpeedButton(TComponent* Owner) : TControl(Owner, new QToolButton)
{
    auto* button = static_cast<QToolButton*>(Handle());
    button->setFocusPolicy(Qt::NoFocus);
    button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    QObject::connect(button, &QToolButton::clicked, button, [this] { Click(); });
    SetBounds(0, 0, 23, 22);
}

void TSpeedButton::ApplyCaption()
{
    static_cast<QToolButton*>(Handle())->setText(caption_);
}

void TSpeedButton::SetFlat(bool on)
{
    flat_ = on;
    static_cast<QToolButton*>(Handle())->setAutoRaise(on);
}

bool TSpeedButton::LoadGlyph(const QString& path)
{
    QPixmap pm;
    if (!pm.load(path))
        return false;
    auto* button = static_cast<QToolButton*>(Handle());
    button->setIcon(QIcon(pm));
    button->setIconSize(pm.size());
    return true;
}

void TSpeedButton::Click()
{
    TControl::Click();
}

// ---------------------------------------------------------------------------------------------
void TButtonControl::RefuseClick()
{
    if (undo_) {
        const std::function<void()> undo = std::move(undo_);
        undo_ = nullptr;
        undo();
    } else if (inMouseDown_) {
        refusedAhead_ = true;
    }
}

bool TButtonControl::WidgetEvent(QObject* source, QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
        // A new press starts a new click: an earlier refusal whose click never came is spent.
        refusedAhead_ = false;
        inMouseDown_ = true;
        const bool taken = TWinControl::WidgetEvent(source, event);
        inMouseDown_ = false;
        return taken;
    }
    case QEvent::KeyPress:
        refusedAhead_ = false;
        break;
    default:
        break;
    }
    return TWinControl::WidgetEvent(source, event);
}

void TButtonControl::UserClick(const std::function<void()>& change, std::function<void()> undo,
                               const std::function<void()>& resync)
{
    if (refusedAhead_) {
        refusedAhead_ = false;
        resync();
        return;
    }
    undo_ = std::move(undo);
    change();
    undo_ = nullptr;
}

// ---------------------------------------------------------------------------------------------
TCheckBox::TCheckBox(TComponent* Owner) : TButtonControl(Owner, new QCheckBox)
{
    auto* box = static_cast<QCheckBox*>(Handle());
    QObject::connect(box, &QCheckBox::clicked, box, [this](bool on) { UserToggled(on); });
    SetBounds(0, 0, 97, 17);
}

void TCheckBox::ApplyCaption()
{
    static_cast<QCheckBox*>(Handle())->setText(caption_);
}

void TCheckBox::SetChecked(bool on)
{
    if (on == checked_)
        return;
    checked_ = on;
    static_cast<QCheckBox*>(Handle())->setChecked(on);
    Click();
}

void TCheckBox::UserToggled(bool on)
{
    auto* box = static_cast<QCheckBox*>(Handle());
    const bool before = checked_;
    UserClick(
        [this, on] {
            if (on == checked_)
                return;
            checked_ = on;
            Click();
        },
        [this, box, before] {
            checked_ = before;
            box->setChecked(before);
        },
        [this, box] { box->setChecked(checked_); });
}

// ---------------------------------------------------------------------------------------------
TRadioButton::TRadioButton(TComponent* Owner) : TButtonControl(Owner, new KRadioButton)
{
    auto* radio = static_cast<QRadioButton*>(Handle());
    QObject::connect(radio, &QRadioButton::clicked, radio, [this] { UserClicked(); });
    SetBounds(0, 0, 113, 17);
}

void TRadioButton::ApplyCaption()
{
    static_cast<QRadioButton*>(Handle())->setText(caption_);
}

void TRadioButton::ShowChecked(bool on)
{
    checked_ = on;
    static_cast<QRadioButton*>(Handle())->setChecked(on);
}

TRadioButton* TRadioButton::CheckedOfGroup()
{
    if (checked_)
        return this;
    if (!Parent())
        return nullptr;
    for (int i = 0; i < Parent()->ControlCount(); ++i)
        if (auto* sibling = dynamic_cast<TRadioButton*>(Parent()->Controls(i)); sibling && sibling->checked_)
            return sibling;
    return nullptr;
}

void TRadioButton::SetChecked(bool on)
{
    if (on == checked_) {
        ShowChecked(on);
        return;
    }
    ShowChecked(on);
    if (!on)
        return;
    if (Parent()) {
        for (int i = 0; i < Parent()->ControlCount(); ++i) {
            auto* sibling = dynamic_cast<TRadioButton*>(Parent()->Controls(i));
            if (sibling && sibling != this && sibling->checked_)
                sibling->ShowChecked(false);
        }
    }
    Click();
}

void TRadioButton::UserClicked()
{
    TRadioButton* before = CheckedOfGroup();
    UserClick([this] { SetChecked(true); },
              [this, before] {
                  ShowChecked(false);
                  if (before)
                      before->ShowChecked(true);
              },
              [this] { ShowChecked(checked_); });
}

// ---------------------------------------------------------------------------------------------
TComboBox::TComboBox(TComponent* Owner)
    : TWinControl(Owner, new KComboBox),
      items_(std::make_unique<TControlStrings>([this] { SyncItems(); }, [this](int index) { SyncAppended(index); }))
{
    auto* box = static_cast<KComboBox*>(Handle());
    box->setInsertPolicy(QComboBox::NoInsert);
    box->beforeShow = [this] { Edit(); };
    box->beforePopup = [this] { FitListToItems(); };
    QObject::connect(box, &QComboBox::activated, box, [this](int index) { UserPicked(index); });
    // The edit of the default csDropDown is made once the box shows or the kit needs it.
    SetBounds(0, 0, 145, 21);
}

TComboBox::~TComboBox()
{
    if (auto* box = static_cast<KComboBox*>(Handle())) {
        box->beforeShow = nullptr;
        box->beforePopup = nullptr;
    }
}

void TComboBox::SetStyle(TComboBoxStyle style)
{
    style_ = style;
    auto* box = static_cast<QComboBox*>(Handle());
    if (style == csDropDownList || box->lineEdit() || box->isVisible())
        ApplyStyle();
}

void TComboBox::ApplyStyle()
{
    auto* box = static_cast<QComboBox*>(Handle());
    box->setEditable(style_ == csDropDown);
    if (QLineEdit* edit = box->lineEdit(); edit && edit != watchedEdit_) {
        watchedEdit_ = edit;
        box->setCompleter(nullptr);
        WatchWidget(edit);
        QObject::connect(edit, &QLineEdit::textEdited, edit, [this](const QString& t) { UserEdited(t); });
    }
    ShowIndex();
}

QLineEdit* TComboBox::Edit()
{
    auto* box = static_cast<QComboBox*>(Handle());
    if (style_ == csDropDown && !box->lineEdit())
        ApplyStyle();
    return box->lineEdit();
}

void TComboBox::SetDropDownCount(int n)
{
    dropDownCount_ = n;
    static_cast<QComboBox*>(Handle())->setMaxVisibleItems(std::max(1, n));
}

void TComboBox::SyncItems()
{
    auto* box = static_cast<QComboBox*>(Handle());
    syncing_ = true;
    box->clear();
    box->addItems(items_->List());
    syncing_ = false;
    if (itemIndex_ >= items_->Count()) {
        itemIndex_ = -1;
        if (style_ == csDropDownList)
            text_.clear();
    }
    if (items_->Count() == 0) {
        itemIndex_ = -1;
        text_.clear();
    }
    ShowIndex();
}

// An item added at the end: the box takes that one item (filling the list again for each of a
// hundred items would cost the square of their number); the choice stays as it was.
void TComboBox::SyncAppended(int index)
{
    auto* box = static_cast<QComboBox*>(Handle());
    if (box->count() != index) {
        SyncItems();
        return;
    }
    syncing_ = true;
    box->addItem(items_->Strings(index));
    syncing_ = false;
    ShowIndex();
}

// The drop-down list opens at least as wide as its widest item, however narrow the box: a long
// device path must be readable in full when the user chooses it.
void TComboBox::FitListToItems()
{
    auto* box = static_cast<QComboBox*>(Handle());
    QAbstractItemView* view = box->view();
    int width = 0;
    if (box->count() > 0) {
        width = view->sizeHintForColumn(0) + 2 * view->frameWidth();
        if (box->count() > box->maxVisibleItems())
            width += view->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, view);
    }
    view->setMinimumWidth(width);
}

void TComboBox::ShowIndex()
{
    auto* box = static_cast<QComboBox*>(Handle());
    syncing_ = true;
    box->setCurrentIndex(itemIndex_);
    if (QLineEdit* edit = box->lineEdit())
        edit->setText(text_);
    syncing_ = false;
}

void TComboBox::SetItemIndex(int index)
{
    if (index < 0 || index >= items_->Count())
        index = -1;
    itemIndex_ = index;
    text_ = index >= 0 ? items_->Strings(index) : QString();
    ShowIndex();
}

QString TComboBox::Text() const
{
    if (style_ == csDropDown)
        return text_;
    return itemIndex_ >= 0 ? items_->Strings(itemIndex_) : QString();
}

void TComboBox::SetText(const QString& text)
{
    itemIndex_ = items_->IndexOf(text);
    text_ = style_ == csDropDown ? text : (itemIndex_ >= 0 ? items_->Strings(itemIndex_) : QString());
    ShowIndex();
}

void TComboBox::UserPicked(int index)
{
    if (syncing_ || index < 0 || index >= items_->Count())
        return;
    const int before = itemIndex_;
    const QString textBefore = text_;
    itemIndex_ = index;
    text_ = items_->Strings(index);
    ShowIndex();
    if (!OnChange)
        return;
    beforePick_ = before;
    Guarded([&] { OnChange(this); });
    if (beforePick_ == -3) {
        // Refused: the box shows again what it showed before the pick.
        itemIndex_ = before < items_->Count() ? before : -1;
        text_ = textBefore;
        ShowIndex();
    }
    beforePick_ = -2;
}

void TComboBox::RefusePick()
{
    if (beforePick_ != -2)
        beforePick_ = -3;
}

bool TComboBox::WidgetEvent(QObject* source, QEvent* event)
{
    const bool filtered = TWinControl::WidgetEvent(source, event);
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter)
            return true;
    }
    return filtered;
}

void TComboBox::UserEdited(const QString& text)
{
    if (syncing_)
        return;
    text_ = text;
    itemIndex_ = items_->IndexOf(text);
    if (OnChange)
        Guarded([&] { OnChange(this); });
}

// ---------------------------------------------------------------------------------------------
TListBox::TListBox(TComponent* Owner)
    : TWinControl(Owner, new QListWidget),
      items_(std::make_unique<TControlStrings>([this] { SyncItems(); }, [this](int index) { SyncAppended(index); }))
{
    auto* list = static_cast<QListWidget*>(Handle());
    list->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    list->setUniformItemSizes(true);
    WatchWidget(list->viewport());
    QObject::connect(list, &QListWidget::currentRowChanged, list, [this](int row) {
        if (syncing_)
            return;
        itemIndex_ = row;
        Click();
    });
    QObject::connect(list->verticalScrollBar(), &QScrollBar::valueChanged, list, [this](int value) {
        if (!syncing_)
            UserScrolled(value);
    });
    SetBounds(0, 0, 121, 97);
}

TListBox::~TListBox() = default;

void TListBox::SyncItems()
{
    auto* list = static_cast<QListWidget*>(Handle());
    syncing_ = true;
    list->clear();
    list->addItems(items_->List());
    syncing_ = false;
    if (itemIndex_ >= items_->Count())
        itemIndex_ = -1;
    if (topIndex_ >= items_->Count())
        topIndex_ = std::max(0, items_->Count() - 1);
    syncing_ = true;
    list->setCurrentRow(itemIndex_);
    syncing_ = false;
    ShowTop();
}

// An item added at the end: the list takes that one item; the selection and the top stay.
void TListBox::SyncAppended(int index)
{
    auto* list = static_cast<QListWidget*>(Handle());
    if (list->count() != index) {
        SyncItems();
        return;
    }
    syncing_ = true;
    list->addItem(items_->Strings(index));
    list->setCurrentRow(itemIndex_);
    syncing_ = false;
    ShowTop();
}

void TListBox::SetItemIndex(int index)
{
    if (index < 0 || index >= items_->Count())
        index = -1;
    itemIndex_ = index;
    if (index >= 0) {
        // Selecting from code scrolls the item into view, as the class library does.
        const int rows = std::max(1, Height() / std::max(1, itemHeight_));
        if (index < topIndex_)
            topIndex_ = index;
        else if (index >= topIndex_ + rows)
            topIndex_ = index - rows + 1;
    }
    syncing_ = true;
    static_cast<QListWidget*>(Handle())->setCurrentRow(index);
    syncing_ = false;
    ShowTop();
}

void TListBox::SetTopIndex(int index)
{
    topIndex_ = std::clamp(index, 0, std::max(0, items_->Count() - 1));
    ShowTop();
}

void TListBox::SetItemHeight(int h)
{
    itemHeight_ = std::max(1, h);
}

void TListBox::ShowTop()
{
    auto* list = static_cast<QListWidget*>(Handle());
    syncing_ = true;
    list->verticalScrollBar()->setValue(topIndex_);
    syncing_ = false;
}

bool TListBox::WidgetEvent(QObject* source, QEvent* event)
{
    if (source == Handle() && (event->type() == QEvent::Show || event->type() == QEvent::Resize))
        QTimer::singleShot(0, Handle(), [this] { ShowTop(); });
    if (wheelAfterClick_) {
        const QEvent::Type t = event->type();
        if (t == QEvent::MouseButtonPress || t == QEvent::MouseButtonDblClick)
            wheelTaken_ = true;
        else if (source == Handle() && (t == QEvent::Leave || t == QEvent::FocusOut || t == QEvent::Hide))
            wheelTaken_ = false;
    }
    return TWinControl::WidgetEvent(source, event);
}

// The list's scroll bar is a widget of its own: a press on its arrows is a click on the list,
// and the wheel over it is kept from the list as over the rows.
class ListWheelGuard : public QObject {
public:
    explicit ListWheelGuard(TListBox* list) : list_(list) {}
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick)
            list_->wheelTaken_ = true;
        if (event->type() == QEvent::Wheel && list_->WheelScrollsHolder()) {
            event->ignore();
            return true;
        }
        return false;
    }
private:
    TListBox* list_;
};

void TListBox::SetWheelAfterClick(bool on)
{
    wheelAfterClick_ = on;
    wheelTaken_ = false;
    auto* bar = static_cast<QListWidget*>(Handle())->verticalScrollBar();
    if (on && !wheelGuard_) {
        wheelGuard_ = std::make_unique<ListWheelGuard>(this);
        bar->installEventFilter(wheelGuard_.get());
    } else if (!on && wheelGuard_) {
        bar->removeEventFilter(wheelGuard_.get());
        wheelGuard_.reset();
    }
}

void TListBox::UserScrolled(int index)
{
    topIndex_ = std::clamp(index, 0, std::max(0, items_->Count() - 1));
    ShowTop();
}

// ---------------------------------------------------------------------------------------------
TPanel::TPanel(TComponent* Owner) : TWinControl(Owner, new QLabel)
{
    auto* frame = static_cast<QLabel*>(Handle());
    frame->setTextFormat(Qt::PlainText);
    frame->setAlignment(Qt::AlignCenter);
    SetBevelOuter(bvRaised);
    SetBounds(0, 0, 185, 41);
}

void TPanel::ApplyCaption()
{
    static_cast<QLabel*>(Handle())->setText(DisplayCaption(caption_));
}

void TPanel::SetBevelOuter(TBevel b)
{
    bevel_ = b;
    auto* frame = static_cast<QLabel*>(Handle());
    frame->setFrameShape(b == bvNone ? QFrame::NoFrame : QFrame::Panel);
    frame->setFrameShadow(b == bvLowered ? QFrame::Sunken : QFrame::Raised);
}

// ---------------------------------------------------------------------------------------------
TGroupBox::TGroupBox(TComponent* Owner) : TWinControl(Owner, new QGroupBox)
{
    SetBounds(0, 0, 185, 105);
}

void TGroupBox::ApplyCaption()
{
    static_cast<QGroupBox*>(Handle())->setTitle(DisplayCaption(caption_));
}

void TGroupBox::ClientArea(int& left, int& top, int& width, int& height) const
{
    left = 2;
    top = 15;
    width = std::max(0, Width() - 4);
    height = std::max(0, Height() - 17);
}

// ---------------------------------------------------------------------------------------------
TScrollBox::TScrollBox(TComponent* Owner) : TWinControl(Owner, new QScrollArea), inner_(new QWidget)
{
    auto* area = static_cast<QScrollArea*>(Handle());
    area->setWidgetResizable(false);
    area->setWidget(inner_);
    WatchWidget(area->viewport());
    WatchWidget(inner_);
    // A mouse move over the box is reported with no button held, too.
    area->viewport()->setMouseTracking(true);
    inner_->setMouseTracking(true);
    SetBounds(0, 0, 185, 41);
}

QWidget* TScrollBox::MouseWidget() const
{
    return static_cast<QScrollArea*>(Handle())->viewport();
}

QWidget* TScrollBox::ClientWidget() const
{
    return inner_;
}

void TScrollBox::ApplyGeometry()
{
    TWinControl::ApplyGeometry();
    ChildrenChanged();
}

bool TScrollBox::WidgetEvent(QObject* source, QEvent* event)
{
    // The visible area narrows when a scroll bar appears: the area behind it follows, so that a
    // page whose panels fit beside the vertical bar never scrolls sideways.
    if (event->type() == QEvent::Resize && source == static_cast<QScrollArea*>(Handle())->viewport())
        ChildrenChanged();
    return TWinControl::WidgetEvent(source, event);
}

void TScrollBox::ChildrenChanged()
{
    int right = 0, bottom = 0;
    for (int i = 0; i < ControlCount(); ++i) {
        const TControl* c = Controls(i);
        if (!c->Visible())
            continue;
        right = std::max(right, c->Left() + std::max(0, c->Width()));
        bottom = std::max(bottom, c->Top() + std::max(0, c->Height()));
    }
    auto* area = static_cast<QScrollArea*>(Handle());
    const QSize view = area->viewport()->size();
    inner_->resize(std::max(right, view.width()), std::max(bottom, view.height()));
}

int TScrollBox::HorzScrollPosition() const
{
    return static_cast<QScrollArea*>(Handle())->horizontalScrollBar()->value();
}

int TScrollBox::VertScrollPosition() const
{
    return static_cast<QScrollArea*>(Handle())->verticalScrollBar()->value();
}

void TScrollBox::ScrollTo(int x, int y)
{
    auto* area = static_cast<QScrollArea*>(Handle());
    area->horizontalScrollBar()->setValue(x);
    area->verticalScrollBar()->setValue(y);
}

// ---------------------------------------------------------------------------------------------
TProgressBar::TProgressBar(TComponent* Owner) : TWinControl(Owner, new QProgressBar)
{
    static_cast<QProgressBar*>(Handle())->setTextVisible(false);
    Apply();
    SetBounds(0, 0, 150, 17);
}

void TProgressBar::SetMin(int v) { min_ = v; Apply(); }
void TProgressBar::SetMax(int v) { max_ = v; Apply(); }
void TProgressBar::SetPosition(int v) { position_ = std::clamp(v, min_, std::max(min_, max_)); Apply(); }

void TProgressBar::Apply()
{
    auto* bar = static_cast<QProgressBar*>(Handle());
    bar->setRange(min_, std::max(min_, max_));
    bar->setValue(position_);
}

// ---------------------------------------------------------------------------------------------
TCanvas::TCanvas(std::function<void()> changed) : image_(std::make_unique<QImage>()), changed_(std::move(changed)) {}
TCanvas::~TCanvas() = default;

const QImage& TCanvas::Image() const { return *image_; }

void TCanvas::SetSize(int width, int height)
{
    width = std::max(1, width);
    height = std::max(1, height);
    if (image_->width() == width && image_->height() == height)
        return;
    QImage next(width, height, QImage::Format_ARGB32);
    next.fill(Qt::white);
    if (!image_->isNull()) {
        QPainter p(&next);
        p.drawImage(0, 0, *image_);
    }
    *image_ = next;
    if (changed_) changed_();
}

TColor TCanvas::Pixel(int x, int y) const
{
    if (!image_->valid(x, y))
        return clNone;
    const QColor c = image_->pixelColor(x, y);
    return RGB(c.red(), c.green(), c.blue());
}

void TCanvas::SetPixel(int x, int y, TColor color)
{
    if (!image_->valid(x, y))
        return;
    image_->setPixelColor(x, y, detail::ToQColor(color));
    if (changed_) changed_();
}

void TCanvas::Draw(int x, int y, const QImage& picture)
{
    {
        QPainter p(image_.get());
        p.drawImage(x, y, picture);
    }
    if (changed_) changed_();
}

void TCanvas::LineTo(int x, int y)
{
    {
        QPainter p(image_.get());
        p.setPen(QPen(detail::ToQColor(penColor_), penWidth_));
        p.drawLine(x_, y_, x, y);
    }
    x_ = x;
    y_ = y;
    if (changed_) changed_();
}

void TCanvas::FillRect(int left, int top, int right, int bottom)
{
    {
        QPainter p(image_.get());
        p.fillRect(QRect(QPoint(left, top), QPoint(right - 1, bottom - 1)), detail::ToQColor(brushColor_));
    }
    if (changed_) changed_();
}

void TCanvas::TextOut(int x, int y, const QString& text)
{
    {
        QPainter p(image_.get());
        p.setPen(detail::ToQColor(penColor_));
        p.drawText(QPoint(x, y + p.fontMetrics().ascent()), text);
    }
    if (changed_) changed_();
}

// ---------------------------------------------------------------------------------------------
TImage::TImage(TComponent* Owner) : TControl(Owner, new QLabel)
{
    SetBounds(0, 0, 105, 105);
}

TImage::~TImage() = default;

namespace {
// The key of a decoded picture of the program's resources in the pixmap cache: many images show
// the same picture, and a resource never changes while the program runs.
QString ResourcePictureKey(const QString& path)
{
    return QStringLiteral("vcl-picture:") + path;
}

bool IsResource(const QString& path)
{
    return path.startsWith(u':');
}
} // namespace

bool TImage::LoadPicture(const QString& path)
{
    auto* label = static_cast<QLabel*>(Handle());
    QPixmap pm;
    if (IsResource(path) && QPixmapCache::find(ResourcePictureKey(path), &pm)) {
        SetPicture(pm);
        return true;
    }
    if (IsResource(path) && !label->isVisible()) {
        // Decoding waits until the image is seen: the windows hold pictures that are shown
        // only later (the wait window's) or never (a hidden panel's title bar).
        if (!QImageReader(path).canRead())
            return false;
        canvas_.reset();
        pendingPicture_ = path;
        label->setPixmap(QPixmap());
        return true;
    }
    if (!pm.load(path))
        return false;
    if (IsResource(path))
        QPixmapCache::insert(ResourcePictureKey(path), pm);
    SetPicture(pm);
    return true;
}

void TImage::SetPicture(const QPixmap& picture)
{
    canvas_.reset();
    pendingPicture_.clear();
    static_cast<QLabel*>(Handle())->setPixmap(picture);
}

void TImage::ShowPendingPicture() const
{
    if (pendingPicture_.isEmpty())
        return;
    const QString path = std::exchange(pendingPicture_, QString());
    QPixmap pm;
    if (!QPixmapCache::find(ResourcePictureKey(path), &pm) && pm.load(path))
        QPixmapCache::insert(ResourcePictureKey(path), pm);
    static_cast<QLabel*>(Handle())->setPixmap(pm);
}

bool TImage::WidgetEvent(QObject* source, QEvent* event)
{
    if (source == Handle() && (event->type() == QEvent::Show || event->type() == QEvent::Paint))
        ShowPendingPicture();
    return TControl::WidgetEvent(source, event);
}

void TImage::SetStretch(bool on)
{
    stretch_ = on;
    static_cast<QLabel*>(Handle())->setScaledContents(on);
}

void TImage::SetCenter(bool on)
{
    center_ = on;
    static_cast<QLabel*>(Handle())->setAlignment(on ? Qt::AlignCenter : Qt::AlignLeft | Qt::AlignTop);
}

TCanvas* TImage::Canvas()
{
    if (!canvas_) {
        ShowPendingPicture();
        // The canvas starts as the picture shown, as a picture's canvas does.
        const QPixmap shown = static_cast<QLabel*>(Handle())->pixmap();
        canvas_ = std::make_unique<TCanvas>([this] { ShowCanvas(); });
        canvas_->SetSize(Width(), Height());
        if (!shown.isNull())
            canvas_->Draw(0, 0, shown.toImage());
    }
    return canvas_.get();
}

void TImage::ShowCanvas()
{
    // Many strokes (a picture painted pixel by pixel) cost one update of the screen.
    if (showPending_)
        return;
    showPending_ = true;
    QTimer::singleShot(0, Handle(), [this] {
        showPending_ = false;
        if (canvas_)
            static_cast<QLabel*>(Handle())->setPixmap(QPixmap::fromImage(canvas_->Image()));
    });
}

QImage TImage::Picture() const
{
    ShowPendingPicture();
    if (canvas_)
        return canvas_->Image();
    return static_cast<QLabel*>(Handle())->pixmap().toImage();
}

bool TImage::HasPicture() const
{
    return canvas_ || !pendingPicture_.isEmpty() || !static_cast<QLabel*>(Handle())->pixmap().isNull();
}

// ---------------------------------------------------------------------------------------------
TTimer::TTimer(TComponent* Owner) : TComponent(Owner), timer_(std::make_unique<QTimer>())
{
    QObject::connect(timer_.get(), &QTimer::timeout, timer_.get(), [this] {
        if (OnTimer) Guarded([&] { OnTimer(this); });
    });
    Apply();
}

TTimer::~TTimer() = default;

void TTimer::SetEnabled(bool on) { enabled_ = on; Apply(); }
void TTimer::SetInterval(int ms) { interval_ = ms; Apply(); }

void TTimer::Apply()
{
    if (enabled_ && interval_ > 0)
        timer_->start(interval_);
    else
        timer_->stop();
}

// ---------------------------------------------------------------------------------------------
bool TOpenDialog::Execute()
{
    // "Text|*.csv|All|*.*" -> "Text (*.csv);;All (*.*)"
    const QStringList parts = filter_.split('|');
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2)
        filters << QString("%1 (%2)").arg(parts[i], QString(parts[i + 1]).replace(';', ' '));
    const QString path = Dialogs().OpenFile(title_.isEmpty() ? QString("Open") : title_, filters.join(";;"), initialDir_);
    if (path.isEmpty())
        return false;
    fileName_ = path;
    return true;
}

} // namespace vcl

// Standard controls: labels, edits, buttons, check boxes, radio buttons, combo boxes, list boxes,
// panels, group boxes, scroll boxes, progress bars, images; and the non-visual TTimer and
// TOpenDialog. Firing rules are the class library's (see vcl/Kit.h).
#pragma once

#include "vcl/Controls.h"
#include "vcl/StringList.h"

#include <QImage>
#include <QPixmap>

#include <memory>

class QLineEdit;
class QTimer;

namespace vcl {

// A string list that tells its control about every change.
class TControlStrings : public TStringList {
public:
    // changed: after any change; appended (when given): after Add, with the new item's index.
    explicit TControlStrings(std::function<void()> changed, std::function<void(int)> appended = {})
        : changed_(std::move(changed)), appended_(std::move(appended))
    {
    }
    TControlStrings& operator=(const TStringList& other) { Assign(other); return *this; }
protected:
    void Changed() override { if (changed_) changed_(); }
    void Appended(int index) override
    {
        if (appended_)
            appended_(index);
        else
            Changed();
    }
private:
    std::function<void()> changed_;
    std::function<void(int)> appended_;
};

// A text. AutoSize (default on) sizes Width and Height to the caption. "&&" shows as "&".
class TLabel : public TControl {
public:
    explicit TLabel(TComponent* Owner);
    QString ClassName() const override { return QStringLiteral("TLabel"); }
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool on);
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool on);
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment a);
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool on) { transparent_ = on; }
protected:
    void ApplyCaption() override;
private:
    bool autoSize_ = true, wordWrap_ = false, transparent_ = false;
    TAlignment alignment_ = taLeftJustify;
};

// A one-line edit. OnChange follows every change of Text (typed or set by code); handlers act
// on Enter by checking Key == 13 (VK_RETURN) in OnKeyDown.
class TEdit : public TWinControl {
public:
    explicit TEdit(TComponent* Owner);
    QString ClassName() const override { return QStringLiteral("TEdit"); }
    QString Text() const override;
    void SetText(const QString& text) override;
    QString Caption() const override { return Text(); }
    void SetCaption(const QString& text) override { SetText(text); }
    int MaxLength() const { return maxLength_; }
    void SetMaxLength(int n);
    // '\0' shows the text in clear; another character masks every typed character with it.
    QChar PasswordChar() const { return passwordChar_; }
    void SetPasswordChar(QChar c);
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool on);
    void SelectAll();
    QString SelText() const;
    TNotifyEvent OnChange;
private:
    int maxLength_ = 0;
    QChar passwordChar_ = QChar(0);
    bool readOnly_ = false;
};

// A push button. Default: Enter on its form clicks it; Cancel: Esc clicks it; a ModalResult
// other than mrNone closes a modal form with that result.
class TButton : public TWinControl {
public:
    explicit TButton(TComponent* Owner);
    QString ClassName() const override { return QStringLiteral("TButton"); }
    bool Default() const { return default_; }
    void SetDefault(bool on);
    bool Cancel() const { return cancel_; }
    void SetCancel(bool on) { cancel_ = on; }
    int ModalResult() const { return modalResult_; }
    void SetModalResult(int r) { modalResult_ = r; }
    // Clicks the button as the program's own code would (fires OnClick).
    void Click() override;
protected:
    void ApplyCaption() override;
    bool ClicksOnRelease() const override { return false; }
private:
    bool default_ = false, cancel_ = false;
    int modalResult_ = mrNone;
};

// A flat button that never takes the keyboard focus (so an edit loses no focus to it).
class TSpeedButton : public TControl {
public:
    explicit TSpeedButton(TComponent* Owner);
    QString ClassName() const override { return QStringLiteral("TSpeedButton"); }
    bool Flat() const { return flat_; }
    void SetFlat(bool on);
    // A picture from a file or a Qt resource path (":/...").
    bool LoadGlyph(const QString& path);
    void Click() override;
protected:
    void ApplyCaption() override;
    bool ClicksOnRelease() const override { return false; }
private:
    bool flat_ = false;
};

// A check box or radio button: a control whose own state a user's click changes. A handler of
// that click may refuse it; the control then shows what it showed before.
class TButtonControl : public TWinControl {
public:
    // Refuses the user's click in progress. From OnMouseDown, the click that follows leaves the
    // control as it is; from the OnClick the click fired, the control goes back to its state
    // before the click. Either way no further OnClick fires (a state restored from here is not
    // the user's, and must not run a handler that writes). Elsewhere it does nothing.
    void RefuseClick();
protected:
    using TWinControl::TWinControl;
    bool WidgetEvent(QObject* source, QEvent* event) override;
    // Runs a user's click: `change` applies it (and fires OnClick), `undo` puts the state before
    // it back without any event, `resync` makes the widget show the stored state again.
    void UserClick(const std::function<void()>& change, std::function<void()> undo,
                   const std::function<void()>& resync);
private:
    bool inMouseDown_ = false;
    bool refusedAhead_ = false;
    std::function<void()> undo_;
};

// A check box. OnClick fires whenever Checked changes: by the user's click or by code.
// OnMouseDown runs before a click changes Checked.
class TCheckBox : public TButtonControl {
public:
    explicit TCheckBox(TComponent* Owner);
    QString ClassName() const override { return QStringLiteral("TCheckBox"); }
    bool Checked() const { return checked_; }
    void SetChecked(bool on);
protected:
    void ApplyCaption() override;
    bool ClicksOnRelease() const override { return false; }
    bool WheelScrollsHolder() const override { return true; }
private:
    void UserToggled(bool on);
    bool checked_ = false;
};

// A radio button. Radio buttons with the same Parent form one group: checking one unchecks the
// others. OnClick fires when Checked turns true, by the user's click or by code; clicking a
// checked button does nothing; OnMouseDown runs before the click changes it.
class TRadioButton : public TButtonControl {
public:
    explicit TRadioButton(TComponent* Owner);
    QString ClassName() const override { return QStringLiteral("TRadioButton"); }
    bool Checked() const { return checked_; }
    void SetChecked(bool on);
protected:
    void ApplyCaption() override;
    bool ClicksOnRelease() const override { return false; }
    bool WheelScrollsHolder() const override { return true; }
private:
    void UserClicked();
    // The checked button of the group (this one included), or nullptr.
    TRadioButton* CheckedOfGroup();
    void ShowChecked(bool on);
    bool checked_ = false;
};

// A combo box. Style csDropDown (the default) has an edit; csDropDownList only picks items.
// OnChange fires for the user's pick (and, with an edit, for the user's typing), never when
// code sets ItemIndex, Text or Items. The mouse wheel over it scrolls its holder and never
// picks (check boxes and radio buttons also leave the wheel to their holder).
class TComboBox : public TWinControl {
public:
    explicit TComboBox(TComponent* Owner);
    ~TComboBox() override;
    QString ClassName() const override { return QStringLiteral("TComboBox"); }
    TStringList* Items() { return items_.get(); }
    // -1 = no item.
    int ItemIndex() const { return itemIndex_; }
    void SetItemIndex(int index);
    // The edit's text (csDropDown) or the chosen item's text; setting it chooses the item with
    // that text (or none).
    QString Text() const override;
    void SetText(const QString& text) override;
    QString Caption() const override { return Text(); }
    void SetCaption(const QString& text) override { SetText(text); }
    TComboBoxStyle Style() const { return style_; }
    void SetStyle(TComboBoxStyle style);
    int DropDownCount() const { return dropDownCount_; }
    void SetDropDownCount(int n);
    void Clear() { items_->Clear(); }
    TNotifyEvent OnChange;
    // Called from OnChange of the user's pick: the pick is not taken, the box shows the item it
    // had before (OnChange does not fire again). Does nothing outside a pick.
    void RefusePick();
    // The edit of a csDropDown box (made now when not yet), or nullptr.
    QLineEdit* Edit();
protected:
    // Enter in the edit runs OnKeyDown and goes no further (it picks nothing).
    bool WidgetEvent(QObject* source, QEvent* event) override;
    // The wheel scrolls the page; the keyboard still chooses on a focused box.
    bool WheelScrollsHolder() const override { return true; }
private:
    friend class UserDriver;
    void SyncItems();
    void SyncAppended(int index);
    void ApplyStyle();
    void FitListToItems();
    void ShowIndex();
    // The user's pick of item index (as from the drop-down list).
    void UserPicked(int index);
    void UserEdited(const QString& text);
    std::unique_ptr<TControlStrings> items_;
    int itemIndex_ = -1;
    QString text_;
    TComboBoxStyle style_ = csDropDown;
    QObject* watchedEdit_ = nullptr;
    int dropDownCount_ = 8;
    bool syncing_ = false;
    int beforePick_ = -2;   // the item shown before the pick under way; -2: no pick under way
};

// A list box. ItemIndex is the selection; TopIndex is the first item shown, a separate number
// (a one-row list box used as a chooser is read by TopIndex, whatever is selected). OnClick
// fires for the user's selection.
class TListBox : public TWinControl {
public:
    explicit TListBox(TComponent* Owner);
    ~TListBox() override;
    QString ClassName() const override { return QStringLiteral("TListBox"); }
    TStringList* Items() { return items_.get(); }
    int ItemIndex() const { return itemIndex_; }
    void SetItemIndex(int index);
    int TopIndex() const { return topIndex_; }
    void SetTopIndex(int index);
    int ItemHeight() const { return itemHeight_; }
    void SetItemHeight(int h);
    void Clear() { items_->Clear(); }
    // A list that chooses what a setting writes: the mouse wheel over it scrolls the page until
    // the user clicks it; then it scrolls the list until the pointer or the focus leaves it.
    void SetWheelAfterClick(bool on);
protected:
    // Once laid out (shown, resized) the list scrolls to the stored TopIndex.
    bool WidgetEvent(QObject* source, QEvent* event) override;
    bool WheelScrollsHolder() const override { return wheelAfterClick_ && !wheelTaken_; }
private:
    friend class ListWheelGuard;
    friend class UserDriver;
    void SyncItems();
    void SyncAppended(int index);
    void ShowTop();
    // The user scrolls (wheel, scroll bar): TopIndex changes, the selection does not.
    void UserScrolled(int index);
    std::unique_ptr<TControlStrings> items_;
    int itemIndex_ = -1;
    int topIndex_ = 0;
    int itemHeight_ = 13;
    bool syncing_ = false;
    bool wheelAfterClick_ = false;
    bool wheelTaken_ = false;   // clicked: the wheel scrolls the list
    std::unique_ptr<QObject> wheelGuard_;
};

// A panel: a frame with a centred caption that holds controls.
class TPanel : public TWinControl {
public:
    explicit TPanel(TComponent* Owner);
    QString ClassName() const override { return QStringLiteral("TPanel"); }
    enum TBevel { bvNone, bvLowered, bvRaised };
    TBevel BevelOuter() const { return bevel_; }
    void SetBevelOuter(TBevel b);
protected:
    void ApplyCaption() override;
private:
    TBevel bevel_ = bvRaised;
};

// A titled frame that holds controls. Its Height is kept as set (a folded group panel may be
// 40 or even negative); Tag is free for the program (group panels keep their expanded height).
class TGroupBox : public TWinControl {
public:
    explicit TGroupBox(TComponent* Owner);
    QString ClassName() const override { return QStringLiteral("TGroupBox"); }
protected:
    void ApplyCaption() override;
    void ClientArea(int& left, int& top, int& width, int& height) const override;
};

// A scrolling holder: its client area grows to take every child; scroll bars appear as needed.
class TScrollBox : public TWinControl {
public:
    explicit TScrollBox(TComponent* Owner);
    QString ClassName() const override { return QStringLiteral("TScrollBox"); }
    QWidget* ClientWidget() const override;
    // Mouse positions are those of the visible client area.
    QWidget* MouseWidget() const override;
    int HorzScrollPosition() const;
    int VertScrollPosition() const;
    void ScrollTo(int x, int y);
protected:
    void ChildrenChanged() override;
    void ApplyGeometry() override;
    bool WidgetEvent(QObject* source, QEvent* event) override;
private:
    QWidget* inner_;
};

class TProgressBar : public TWinControl {
public:
    explicit TProgressBar(TComponent* Owner);
    QString ClassName() const override { return QStringLiteral("TProgressBar"); }
    int Min() const { return min_; }
    int Max() const { return max_; }
    int Position() const { return position_; }
    void SetMin(int v);
    void SetMax(int v);
    void SetPosition(int v);
private:
    void Apply();
    int min_ = 0, max_ = 100, position_ = 0;
};

// A small drawing surface over a picture (lines and filled rectangles), enough for the
// program's painted backgrounds.
class TCanvas {
public:
    explicit TCanvas(std::function<void()> changed);
    ~TCanvas();
    TColor PenColor() const { return penColor_; }
    void SetPenColor(TColor c) { penColor_ = c; }
    int PenWidth() const { return penWidth_; }
    void SetPenWidth(int w) { penWidth_ = w; }
    TColor BrushColor() const { return brushColor_; }
    void SetBrushColor(TColor c) { brushColor_ = c; }
    // A pixel's colour (clNone outside the picture); setting outside does nothing.
    TColor Pixel(int x, int y) const;
    void SetPixel(int x, int y, TColor color);
    // Draws another picture (e.g. TImage::Picture()) with its top-left corner at x, y.
    void Draw(int x, int y, const QImage& picture);
    void MoveTo(int x, int y) { x_ = x; y_ = y; }
    void LineTo(int x, int y);
    void FillRect(int left, int top, int right, int bottom);
    void TextOut(int x, int y, const QString& text);
    // The picture is resized (kept where it overlaps) to width x height.
    void SetSize(int width, int height);
    // Kit use: the pixels.
    const QImage& Image() const;
private:
    std::unique_ptr<QImage> image_;
    std::function<void()> changed_;
    TColor penColor_ = clBlack, brushColor_ = clWhite;
    int penWidth_ = 1, x_ = 0, y_ = 0;
};

// A picture (from a file or a Qt resource ":/...") or a canvas to draw on; clickable.
class TImage : public TControl {
public:
    explicit TImage(TComponent* Owner);
    ~TImage() override;
    QString ClassName() const override { return QStringLiteral("TImage"); }
    // False when the picture cannot be read (the old picture stays).
    bool LoadPicture(const QString& path);
    // Shows a picture made by the program (replaces a drawing).
    void SetPicture(const QPixmap& picture);
    bool Stretch() const { return stretch_; }
    void SetStretch(bool on);
    bool Center() const { return center_; }
    void SetCenter(bool on);
    // Drawing replaces the picture with the canvas, sized to the image.
    TCanvas* Canvas();
    // Whether a picture or a drawing is shown.
    bool HasPicture() const;
    // The picture shown (the drawing when drawn on).
    QImage Picture() const;
protected:
    bool WidgetEvent(QObject* source, QEvent* event) override;
private:
    void ShowCanvas();
    void ShowPendingPicture() const;
    std::unique_ptr<TCanvas> canvas_;
    // A picture of the program's resources that is decoded once the image is first seen.
    mutable QString pendingPicture_;
    bool stretch_ = false, center_ = false, showPending_ = false;
};

// A timer: OnTimer every Interval milliseconds while Enabled, run from the event loop (also
// inside pumped waits and modal dialogs). Enabled from the start, as in the class library.
class TTimer : public TComponent {
public:
    explicit TTimer(TComponent* Owner);
    ~TTimer() override;
    QString ClassName() const override { return QStringLiteral("TTimer"); }
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool on);
    int Interval() const { return interval_; }
    void SetInterval(int ms);
    TNotifyEvent OnTimer;
private:
    void Apply();
    std::unique_ptr<QTimer> timer_;
    bool enabled_ = true;
    int interval_ = 1000;
};

// The open dialog, through the kit's dialog service. Filter in the class library's form
// "Text|*.csv|All|*.*".
class TOpenDialog : public TComponent {
public:
    explicit TOpenDialog(TComponent* Owner) : TComponent(Owner) {}
    QString ClassName() const override { return QStringLiteral("TOpenDialog"); }
    QString Filter() const { return filter_; }
    void SetFilter(const QString& f) { filter_ = f; }
    QString FileName() const { return fileName_; }
    void SetFileName(const QString& f) { fileName_ = f; }
    QString InitialDir() const { return initialDir_; }
    void SetInitialDir(const QString& d) { initialDir_ = d; }
    QString Title() const { return title_; }
    void SetTitle(const QString& t) { title_ = t; }
    // True when a file was chosen (FileName holds it).
    bool Execute();
private:
    QString filter_, fileName_, initialDir_, title_;
};

} // namespace vcl

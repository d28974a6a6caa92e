// The kit's base classes: TObject, TComponent (owner, Name, Tag, component list), TFont,
// TControl (position, size, visibility, caption, colours, mouse events) and TWinControl (a
// control that holds other controls). See vcl/Kit.h for the conventions.
#pragma once

#include "vcl/Types.h"

#include <QMultiHash>
#include <QPointer>
#include <QWidget>
#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

class QObject;
class QEvent;

namespace vcl {

class TWinControl;
class TForm;
class TPopupMenu;

class TObject {
public:
    virtual ~TObject() = default;
    // The class library's class name of the object, e.g. "TLabel" (exact, not a base class).
    virtual QString ClassName() const { return QStringLiteral("TObject"); }
};

// A component has an owner, which destroys it, and keeps the components it owns in creation
// order (a form owns all the controls built for it).
class TComponent : public TObject {
public:
    explicit TComponent(TComponent* Owner);
    ~TComponent() override;
    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;
    QString ClassName() const override { return QStringLiteral("TComponent"); }

    QString Name() const { return name_; }
    void SetName(const QString& name);
    int Tag() const { return tag_; }
    void SetTag(int tag) { tag_ = tag; }
    TComponent* Owner() const { return owner_; }

    int ComponentCount() const { return static_cast<int>(components_.size()); }
    // Owned component i in creation order; std::out_of_range outside 0..ComponentCount()-1.
    TComponent* Components(int i) const;
    // The owned component of that name (case-insensitive), or nullptr; of several with the
    // same name, the first created.
    TComponent* FindComponent(const QString& name) const;

protected:
    // Destroys the owned components, last first (destructors call it before the widget goes).
    void DestroyComponents();

private:
    void IndexName();
    void UnindexName();

    QString name_;
    int tag_ = 0;
    TComponent* owner_ = nullptr;
    // Creation order among all components: tells which of two same-named ones came first.
    std::uint64_t serial_ = 0;
    std::vector<TComponent*> components_;
    // The named components of components_ by case-folded name, so that a form with thousands
    // of components finds one without comparing every name.
    QMultiHash<QString, TComponent*> names_;
};

// A font: colour (TColor), size in points or height in pixels, styles, face name. Owned by its
// control. A negative Height is the characters' height in pixels without the space above them
// (-27 draws letters 27 pixels high whatever the screen); Size and Height describe each other at
// 96 pixels to the inch, and the one set last decides.
class TFont {
public:
    // changed: after any change; colourChanged (when given): after a change of Color alone.
    explicit TFont(std::function<void()> changed, std::function<void()> colourChanged = {})
        : changed_(std::move(changed)), colourChanged_(std::move(colourChanged))
    {
    }
    TColor Color() const { return color_; }
    void SetColor(TColor color);
    int Size() const { return size_; }
    void SetSize(int points);
    int Height() const;
    void SetHeight(int height);
    // Kit use: the pixel height the font was given by Height (0 when given by Size).
    int PixelHeight() const { return pixels_; }
    TFontStyles Style() const { return style_; }
    void SetStyle(TFontStyles style);
    QString Name() const { return name_; }
    void SetName(const QString& name);

private:
    TColor color_ = clWindowText;
    int size_ = 0; // 0: the platform's default size
    int pixels_ = 0;
    TFontStyles style_ = 0;
    QString name_;
    std::function<void()> changed_;
    std::function<void()> colourChanged_;
};

// A visible control. Every property is stored by the kit and read back from there, never from
// the widget: Visible is the control's own flag (true on a hidden page, too), Left/Top/Width/
// Height are the numbers last set (a negative or tiny height is kept; the widget only clamps it).
class TControl : public TComponent {
public:
    ~TControl() override;
    QString ClassName() const override { return QStringLiteral("TControl"); }

    TWinControl* Parent() const { return parent_; }
    virtual void SetParent(TWinControl* parent);

    bool Visible() const { return visible_; }
    virtual void SetVisible(bool visible);
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }
    bool Enabled() const { return enabled_; }
    virtual void SetEnabled(bool enabled);

    int Left() const { return left_; }
    int Top() const { return top_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    void SetLeft(int v) { SetBounds(v, top_, width_, height_); }
    void SetTop(int v) { SetBounds(left_, v, width_, height_); }
    void SetWidth(int v) { SetBounds(left_, top_, v, height_); }
    void SetHeight(int v) { SetBounds(left_, top_, width_, v); }
    virtual void SetBounds(int left, int top, int width, int height);
    TAlign Align() const { return align_; }
    void SetAlign(TAlign align);

    // Caption and Text are the same text on most controls (an edit's Text is its contents).
    virtual QString Caption() const { return caption_; }
    virtual void SetCaption(const QString& caption);
    virtual QString Text() const { return Caption(); }
    virtual void SetText(const QString& text) { SetCaption(text); }

    QString Hint() const { return hint_; }
    void SetHint(const QString& hint);
    bool ShowHint() const { return showHint_; }
    void SetShowHint(bool show);

    TFont* Font() { return &font_; }
    const TFont* Font() const { return &font_; }
    // Background colour; clDefault leaves the platform's own.
    TColor Color() const { return color_; }
    void SetColor(TColor color);

    // The width in pixels of a text drawn in the control's font (0 without a widget).
    int TextWidth(const QString& text) const;

    TPopupMenu* PopupMenu() const { return popup_; }
    void SetPopupMenu(TPopupMenu* menu) { popup_ = menu; }

    void BringToFront();
    void SendToBack();
    // Repaints now.
    void Refresh();
    void Repaint() { Refresh(); }

    // The form this control is on (walking the parents), or nullptr.
    TForm* ParentForm() const;

    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;
    // Mouse moves over the control, with or without a button held (X, Y in its own coordinates).
    TMouseMoveEvent OnMouseMove;
    TNotifyEvent OnMouseEnter;
    TNotifyEvent OnMouseLeave;
    TNotifyEvent OnResize;

    // The widget behind the control: for the kit and its user driver, not for program code.
    QWidget* Handle() const { return widget_; }
    // The widget whose top-left corner is the origin of the control's mouse coordinates (its
    // client area): the widget itself, or a scroll box's visible area.
    virtual QWidget* MouseWidget() const { return widget_; }

protected:
    // widget: the Qt widget that shows the control; the control owns it.
    TControl(TComponent* owner, QWidget* widget);
    // Re-applies font and colours to the widget (after a font change).
    virtual void ApplyFont();
    // Re-applies the text and background colours alone (after a colour change).
    virtual void ApplyColours();
    virtual void ApplyCaption() {}
    // The kit calls Click() for a user's click; controls that click by themselves (buttons)
    // call it from the widget's signal.
    virtual void Click();
    // Every event of the control's widgets passes here before the widget acts on it (mouse,
    // keys, focus, ...). Return true to swallow the event. Overrides call the base.
    virtual bool WidgetEvent(QObject* source, QEvent* event);
    // Whether a plain press-and-release on the widget counts as a click (labels, images,
    // panels); buttons click through their own signal instead.
    virtual bool ClicksOnRelease() const { return true; }
    // Whether the mouse wheel over the control scrolls what holds it instead of changing the
    // control (choosers that post a setting: a turn of the wheel must never pick a value).
    virtual bool WheelScrollsHolder() const { return false; }
    // Installs the kit's event handling on another widget of the control (e.g. a viewport).
    void WatchWidget(QObject* widget);
    virtual void ApplyGeometry();
    virtual void ApplyVisible();
    // Records a visibility change the window system made (a window closed by the user).
    void StoreVisible(bool visible) { visible_ = visible; }

    QString caption_;

private:
    friend class ControlBridge;
    friend class TWinControl;
    friend class UserDriver;
    QPointer<QWidget> widget_;
    std::unique_ptr<QObject> bridge_;
    TWinControl* parent_ = nullptr;
    TFont font_;
    TColor color_ = clDefault;
    TPopupMenu* popup_ = nullptr;
    TAlign align_ = alNone;
    QString hint_;
    bool showHint_ = false;
    bool visible_ = true;
    bool enabled_ = true;
    bool pressed_ = false;
    int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
};

// A control that holds controls: panels, group boxes, scroll boxes, tab sheets and forms.
// Children with an Align other than alNone are laid out when the holder's size changes.
class TWinControl : public TControl {
public:
    ~TWinControl() override;
    QString ClassName() const override { return QStringLiteral("TWinControl"); }

    int ControlCount() const { return static_cast<int>(controls_.size()); }
    // Child control i in the order they were parented.
    TControl* Controls(int i) const;

    // Keyboard focus and focus events.
    void SetFocus();
    bool Focused() const;
    TNotifyEvent OnEnter;
    TNotifyEvent OnExit;
    TKeyEvent OnKeyDown;
    TKeyEvent OnKeyUp;
    TKeyPressEvent OnKeyPress;
    bool TabStop() const { return tabStop_; }
    void SetTabStop(bool stop);

    // Lays out the aligned children now (the kit does this after size changes).
    void Realign();

    // The widget that children are placed in (the inner widget of a scroll box, for example).
    virtual QWidget* ClientWidget() const;

protected:
    TWinControl(TComponent* owner, QWidget* widget);
    // Keys and focus: OnKeyDown (Key set to 0 swallows the key), OnKeyPress, OnKeyUp, OnEnter, OnExit.
    bool WidgetEvent(QObject* source, QEvent* event) override;
    // The part of the client area that aligned children share (a group box keeps its title).
    virtual void ClientArea(int& left, int& top, int& width, int& height) const;
    virtual void ChildrenChanged() {}

private:
    friend class TControl;
    std::vector<TControl*> controls_;
    bool tabStop_ = true;
    bool aligning_ = false;
    bool inFocus_ = false;
};

// Runs a kit event handler: an exception that escapes it is shown in an error box through the
// dialog service and the program goes on.
void Guarded(const std::function<void()>& fn);

// Shows the error box for an escaped exception (the text of the exception).
void ShowException(const QString& text);

} // namespace vcl

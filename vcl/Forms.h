// Forms (windows) and the application object.
//
// TForm is a window built in code: it owns the components created with it as Owner (its
// component list: ComponentCount, Components(i), FindComponent(name)) and shows the controls
// whose Parent it is. Its Width/Height are its client size and follow the user's resizing.
// TApplication starts the window system (numbers print with "." whatever the locale) and
// catches exceptions that escape an event: they show in an error box and the program goes on.
#pragma once

#include "vcl/Controls.h"

#include <memory>

class QApplication;
class QEventLoop;

namespace vcl {

class TForm : public TWinControl {
public:
    explicit TForm(TComponent* Owner = nullptr);
    ~TForm() override;
    // The form's own class: "TForm", or the name of the class derived from it ("TForm_Main").
    QString ClassName() const override;

    // Shows the window and returns at once.
    void Show() { SetVisible(true); }
    // Asks to close: OnCloseQuery, then OnClose (its Action caNone keeps the window open);
    // the window is hidden. Returns at once.
    void Close();
    // Shows the window modally and returns its ModalResult once a button with a ModalResult
    // or the code sets one (mrCancel when closed otherwise). Events go on meanwhile.
    int ShowModal();
    int ModalResult() const { return modalResult_; }
    void SetModalResult(int result);

    int ClientWidth() const { return Width(); }
    int ClientHeight() const { return Height(); }
    void SetClientWidth(int w) { SetWidth(w); }
    void SetClientHeight(int h) { SetHeight(h); }
    TFormBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TFormBorderStyle style);
    TWindowState WindowState() const { return windowState_; }
    void SetWindowState(TWindowState state);
    // Centres the window on the screen.
    void CenterOnScreen();
    // Where the window appears each time it is shown: where Left and Top say (poDesigned), in
    // the middle of the screen, or in the middle of the application's main form (of the first
    // form made when there is no application object; the screen's when that is this form).
    TPosition Position() const { return position_; }
    void SetPosition(TPosition position) { position_ = position; }
    // A see-through ground: with TransparentColor on and TransparentColorValue equal to the
    // form's Color, the form paints no ground of its own, and only its controls (with their
    // own transparent pixels) are seen over what lies behind. Set it before the first show.
    bool TransparentColor() const { return transparentColor_; }
    void SetTransparentColor(bool on);
    TColor TransparentColorValue() const { return transparentColorValue_; }
    void SetTransparentColorValue(TColor color);
    // Raises the window to the front (and restores it when minimised).
    void BringToFront();

    TNotifyEvent OnShow;
    TCloseEvent OnClose;
    TCloseQueryEvent OnCloseQuery;
    // Runs before a key reaches the focused control of this form; Handled swallows the key.
    TShortCutEvent OnShortCut;
    // Files dropped on the window (local paths, in the order dropped).
    TDropFilesEvent OnDropFiles;

protected:
    void ApplyCaption() override;
    void ApplyColours() override;
    void ApplyVisible() override;
    void ApplyGeometry() override;
    bool WidgetEvent(QObject* source, QEvent* event) override;

private:
    friend class UserDriver;
    // Kit use: closes as the user's close box does (runs OnCloseQuery/OnClose).
    bool CloseRequested();
    void DropFiles(const QStringList& files);
    int modalResult_ = mrNone;
    QEventLoop* modalLoop_ = nullptr;
    TFormBorderStyle borderStyle_ = bsSizeable;
    TWindowState windowState_ = wsNormal;
    TPosition position_ = poDesigned;
    bool transparentColor_ = false;
    TColor transparentColorValue_ = clBlack;
    bool shownOnce_ = false;
    bool SeeThrough() const;
    void PlaceForShow();
};

// Screen: the forms that exist, in creation order.
int FormCount();
TForm* Forms(int i);
// The form of that name (case-insensitive) among all forms, or nullptr.
TForm* FindForm(const QString& name);

class TApplication {
public:
    // Starts the window system. There is one TApplication in a program.
    TApplication(int& argc, char** argv);
    ~TApplication();
    TApplication(const TApplication&) = delete;
    TApplication& operator=(const TApplication&) = delete;

    // Runs the event loop until the main form closes or Terminate(); returns the exit code.
    int Run();
    void Terminate();
    void ProcessMessages();
    QString Title() const;
    void SetTitle(const QString& title);
    // The program file's full path.
    QString ExeName() const;
    TForm* MainForm() const { return mainForm_; }
    void SetMainForm(TForm* form) { mainForm_ = form; }

private:
    std::unique_ptr<QApplication> app_;
    TForm* mainForm_ = nullptr;
};

// The one TApplication, or nullptr (tests may run on a plain Qt application).
TApplication* Application();

} // namespace vcl

#include "vcl/Forms.h"

#include "vcl/KitPrivate.h"
#include "vcl/Services.h"
#include "vcl/StdCtrls.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDropEvent>
#include <QEventLoop>
#include <QMimeData>
#include <QScreen>
#include <QWidget>

#include <algorithm>
#include <cstdlib>
#include <cxxabi.h>
#include <typeinfo>
#include <clocale>
#include <stdexcept>

namespace vcl {

namespace {
std::vector<TForm*>& AllForms()
{
    static std::vector<TForm*> forms;
    return forms;
}

TApplication* g_application = nullptr;

// The application: every event's exceptions end here at the latest and are shown.
class KitApplication : public QApplication {
public:
    KitApplication(int& argc, char** argv) : QApplication(argc, argv) {}
    bool notify(QObject* receiver, QEvent* event) override
    {
        try {
            return QApplication::notify(receiver, event);
        } catch (const std::exception& e) {
            ShowException(QString::fromUtf8(e.what()));
        } catch (...) {
            ShowException("Unknown exception");
        }
        return false;
    }
};

// Offers every key to the OnShortCut of the form it is typed in, before the focused control.
class ShortCutFilter : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress || !watched->isWidgetType())
            return false;
        auto* ke = static_cast<QKeyEvent*>(event);
        auto* widget = static_cast<QWidget*>(watched);
        // A key that no widget takes goes up the parent chain and passes here once per widget:
        // act only at the first.
        const bool goingUp = ke == last_ && ke->timestamp() == lastStamp_ && ke->key() == lastKey_ && lastWidget_
                             && widget->isAncestorOf(lastWidget_);
        last_ = ke;
        lastStamp_ = ke->timestamp();
        lastKey_ = ke->key();
        lastWidget_ = widget;
        if (goingUp)
            return false;
        QWidget* window = widget->window();
        for (TForm* form : AllForms()) {
            if (form->Handle() == window && form->OnShortCut) {
                bool handled = false;
                const WORD key = detail::VkFromQtKey(ke->key());
                Guarded([&] { form->OnShortCut(key, detail::ShiftFromQt(ke->modifiers()), handled); });
                return handled;
            }
        }
        return false;
    }

private:
    const QKeyEvent* last_ = nullptr;
    quint64 lastStamp_ = 0;
    int lastKey_ = 0;
    QPointer<QWidget> lastWidget_;
};

void InstallShortCutFilter()
{
    static ShortCutFilter* filter = nullptr;
    if (!filter && qApp) {
        filter = new ShortCutFilter;
        filter->setParent(qApp);
        qApp->installEventFilter(filter);
    }
}

template <class T>
T* FindButton(TWinControl* holder, bool (TButton::*flag)() const)
{
    for (int i = 0; i < holder->ControlCount(); ++i) {
        TControl* c = holder->Controls(i);
        if (!c->Visible() || !c->Enabled())
            continue;
        if (auto* b = dynamic_cast<TButton*>(c); b && (b->*flag)())
            return b;
        if (auto* w = dynamic_cast<TWinControl*>(c))
            if (T* found = FindButton<T>(w, flag))
                return found;
    }
    return nullptr;
}
} // namespace

// ---------------------------------------------------------------------------------------------
QString TForm::ClassName() const
{
    // The dynamic type's name without its namespaces.
    int status = 0;
    char* raw = abi::__cxa_demangle(typeid(*this).name(), nullptr, nullptr, &status);
    QString name = status == 0 && raw ? QString::fromLatin1(raw) : QString("TForm");
    std::free(raw);
    const qsizetype colon = name.lastIndexOf("::");
    return colon < 0 ? name : name.mid(colon + 2);
}

TForm::TForm(TComponent* Owner) : TWinControl(Owner, new QWidget(nullptr, Qt::Window))
{
    AllForms().push_back(this);
    InstallShortCutFilter();
    Handle()->setAcceptDrops(true);
    StoreVisible(false);
    SetBounds(0, 0, 640, 480);
}

TForm::~TForm()
{
    DestroyComponents();
    auto& forms = AllForms();
    forms.erase(std::remove(forms.begin(), forms.end(), this), forms.end());
    if (modalLoop_)
        modalLoop_->quit();
}

void TForm::ApplyCaption()
{
    Handle()->setWindowTitle(caption_);
}

bool TForm::SeeThrough() const
{
    return transparentColor_ && transparentColorValue_ == Color();
}

void TForm::SetTransparentColor(bool on)
{
    transparentColor_ = on;
    ApplyColours();
}

void TForm::SetTransparentColorValue(TColor color)
{
    transparentColorValue_ = color;
    ApplyColours();
}

void TForm::ApplyColours()
{
    TWinControl::ApplyColours();
    QWidget* w = Handle();
    if (!w)
        return;
    const bool see = SeeThrough();
    if (w->testAttribute(Qt::WA_TranslucentBackground) != see)
        w->setAttribute(Qt::WA_TranslucentBackground, see);
    if (see)
        w->setAutoFillBackground(false);
}

void TForm::PlaceForShow()
{
    if (position_ == poDesigned)
        return;
    const TForm* over = nullptr;
    if (position_ == poMainFormCenter) {
        over = g_application ? g_application->MainForm() : (AllForms().empty() ? nullptr : AllForms().front());
        if (over == this)
            over = nullptr;
    }
    if (!over) {
        CenterOnScreen();
        return;
    }
    SetBounds(over->Left() + (over->Width() - Width()) / 2, over->Top() + (over->Height() - Height()) / 2, Width(),
              Height());
}

void TForm::ApplyVisible()
{
    QWidget* w = Handle();
    if (!w)
        return;
    if (Visible()) {
        if (!w->isVisible())
            PlaceForShow();
        switch (windowState_) {
        case wsMaximized: w->showMaximized(); break;
        case wsMinimized: w->showMinimized(); break;
        default: w->show(); break;
        }
    } else {
        w->hide();
    }
}

void TForm::ApplyGeometry()
{
    QWidget* w = Handle();
    if (!w)
        return;
    w->move(Left(), Top());
    w->resize(std::max(1, Width()), std::max(1, Height()));
}

void TForm::SetBorderStyle(TFormBorderStyle style)
{
    borderStyle_ = style;
    QWidget* w = Handle();
    const bool shown = w->isVisible();
    w->setWindowFlag(Qt::FramelessWindowHint, style == bsNone);
    if (shown)
        w->show(); // changing the flags hides the window
}

void TForm::SetWindowState(TWindowState state)
{
    windowState_ = state;
    if (Visible())
        ApplyVisible();
}

void TForm::CenterOnScreen()
{
    QScreen* screen = QApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    SetBounds(area.x() + (area.width() - Width()) / 2, area.y() + (area.height() - Height()) / 2, Width(), Height());
}

void TForm::BringToFront()
{
    QWidget* w = Handle();
    if (w->isMinimized())
        w->showNormal();
    w->raise();
    w->activateWindow();
}

void TForm::Close()
{
    if (Handle())
        Handle()->close(); // the close event runs OnCloseQuery and OnClose
}

bool TForm::CloseRequested()
{
    bool can = true;
    if (OnCloseQuery)
        Guarded([&] { OnCloseQuery(this, can); });
    if (!can)
        return false;
    TCloseAction action = caHide;
    if (OnClose)
        Guarded([&] { OnClose(this, action); });
    if (action == caNone)
        return false;
    if (action == caMinimize) {
        Handle()->showMinimized();
        return false;
    }
    return true;
}

int TForm::ShowModal()
{
    modalResult_ = mrNone;
    QWidget* w = Handle();
    w->setWindowModality(Qt::ApplicationModal);
    Show();
    if (modalResult_ == mrNone && Visible()) {
        QEventLoop loop;
        modalLoop_ = &loop;
        loop.exec(QEventLoop::DialogExec);
        modalLoop_ = nullptr;
    }
    if (Visible())
        SetVisible(false);
    w->setWindowModality(Qt::NonModal);
    if (modalResult_ == mrNone)
        modalResult_ = mrCancel;
    return modalResult_;
}

void TForm::SetModalResult(int result)
{
    modalResult_ = result;
    if (result != mrNone && modalLoop_) {
        if (!CloseRequested()) {
            modalResult_ = mrNone;
            return;
        }
        SetVisible(false);
        modalLoop_->quit();
    }
}

void TForm::DropFiles(const QStringList& files)
{
    if (OnDropFiles && !files.isEmpty())
        Guarded([&] { OnDropFiles(this, files); });
}

bool TForm::WidgetEvent(QObject* source, QEvent* event)
{
    if (source == Handle()) {
        switch (event->type()) {
        case QEvent::Close: {
            auto* ce = static_cast<QCloseEvent*>(event);
            if (!CloseRequested()) {
                ce->ignore();
                return true;
            }
            StoreVisible(false);
            if (modalLoop_) {
                if (modalResult_ == mrNone)
                    modalResult_ = mrCancel;
                modalLoop_->quit();
            }
            return false;
        }
        case QEvent::Resize: {
            const QSize size = Handle()->size();
            if (size.width() != std::max(1, Width()) || size.height() != std::max(1, Height()))
                SetBounds(Left(), Top(), size.width(), size.height());
            return false;
        }
        case QEvent::Show:
            if (!event->spontaneous() && OnShow)
                Guarded([&] { OnShow(this); });
            return false;
        case QEvent::DragEnter: {
            auto* de = static_cast<QDragEnterEvent*>(event);
            if (de->mimeData() && de->mimeData()->hasUrls()) {
                de->acceptProposedAction();
                return true;
            }
            return false;
        }
        case QEvent::Drop: {
            auto* de = static_cast<QDropEvent*>(event);
            QStringList files;
            if (de->mimeData())
                for (const QUrl& url : de->mimeData()->urls())
                    if (url.isLocalFile())
                        files << url.toLocalFile();
            de->acceptProposedAction();
            DropFiles(files);
            return true;
        }
        case QEvent::KeyPress: {
            // Keys no control took: Enter clicks the default button, Esc the cancel button.
            const bool filtered = TWinControl::WidgetEvent(source, event);
            if (filtered)
                return true;
            const int key = static_cast<QKeyEvent*>(event)->key();
            TButton* button = nullptr;
            if (key == Qt::Key_Return || key == Qt::Key_Enter)
                button = FindButton<TButton>(this, &TButton::Default);
            else if (key == Qt::Key_Escape)
                button = FindButton<TButton>(this, &TButton::Cancel);
            if (button) {
                button->Click();
                return true;
            }
            return false;
        }
        default:
            break;
        }
    }
    return TWinControl::WidgetEvent(source, event);
}

// ---------------------------------------------------------------------------------------------
int FormCount()
{
    return static_cast<int>(AllForms().size());
}

TForm* Forms(int i)
{
    if (i < 0 || i >= FormCount())
        throw std::out_of_range(QString("Form index out of bounds (%1)").arg(i).toStdString());
    return AllForms()[static_cast<size_t>(i)];
}

TForm* FindForm(const QString& name)
{
    for (TForm* form : AllForms())
        if (form->Name().compare(name, Qt::CaseInsensitive) == 0)
            return form;
    return nullptr;
}

// ---------------------------------------------------------------------------------------------
TApplication::TApplication(int& argc, char** argv) : app_(std::make_unique<KitApplication>(argc, argv))
{
    // The window system set the locale from the environment; numbers always print with ".".
    std::setlocale(LC_NUMERIC, "C");
    g_application = this;
    InstallShortCutFilter();
}

TApplication::~TApplication()
{
    if (g_application == this)
        g_application = nullptr;
}

int TApplication::Run()
{
    return app_->exec();
}

void TApplication::Terminate()
{
    QCoreApplication::quit();
}

void TApplication::ProcessMessages()
{
    vcl::ProcessMessages();
}

QString TApplication::Title() const
{
    return QCoreApplication::applicationName();
}

void TApplication::SetTitle(const QString& title)
{
    QCoreApplication::setApplicationName(title);
}

QString TApplication::ExeName() const
{
    return QCoreApplication::applicationFilePath();
}

TApplication* Application()
{
    return g_application;
}

} // namespace vcl

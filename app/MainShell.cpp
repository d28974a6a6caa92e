// The window shell: single instance, resizing, folding the header band and the left pane, F11,
// the link choice, the port list, the guide, the label print-out, and the language choice.
#include "app/Main.h"
#include "app/MainHooks.h"
#include "app/PortList.h"
#include "app/RichLogPane.h"
#include "app/SingleInstance.h"

#include "design/Guide.h"
#include "design/LangTable.h"
#include "link/CommLog.h"
#include "vcl/RemoteDriver.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QTimer>
#include <QUrl>

using namespace vcl;

namespace {

bool OpenWithDesktop(const QString& path)
{
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

bool StartOwnProgram()
{
    return QProcess::startDetached(QCoreApplication::applicationFilePath(), {});
}

} // namespace

namespace mainhooks {
std::function<bool(const QString&)> OpenDocument = OpenWithDesktop;
std::function<bool()> StartProgram = StartOwnProgram;
} // namespace mainhooks

void TForm_Main::FormCreate(TObject*)
{
    // Dropped files reach the window through OnDropFiles (the firmware page takes them).
    if (Application())
        Application()->SetTitle(Caption());
    instance_ = std::make_unique<SingleInstance>(Caption());
    instanceRefused_ = !instance_->Acquire([this] { BringToFront(); });
}

void TForm_Main::FormResize(TObject*)
{
    PaintTopRight();
    const int w = Width();
    Btn_Help->SetLeft(w - 72);
    Label_LeftDownRetract->SetLeft(w - 40);
    Label_TopRetract->SetLeft(w - 65);
    LayOutHeaderBand();
    if (Height() < 600)
        SetHeight(600);
    if (Width() < 800)
        SetWidth(800);
    // The tree takes the rest of the left pane.
    TreeView->SetHeight(std::max(40, Panel_LeftDown->Height() - TreeView->Top() - 4));
}

void TForm_Main::Label_LeftDownRetractClick(TObject*)
{
    if (Panel_LeftDown->Width() == 140) {
        Panel_LeftDown->SetWidth(5);
        Label_LeftDownRetract->SetCaption(QStringLiteral(">>"));
    } else {
        Panel_LeftDown->SetWidth(140);
        Label_LeftDownRetract->SetCaption(QStringLiteral("<<"));
    }
}

// Folds the header band away for a full-screen view without a frame, or brings it back.
void TForm_Main::Label_TopRetractClick(TObject*)
{
    if (Group_Top->Height() == 75) {
        // Both folding labels stay whole in the 14-pixel strip, so that both can unfold again.
        Label_TopRetract->SetTop(-5);
        Label_LeftDownRetract->SetTop(2);
        Group_Top->SetHeight(14);
        Label_TopRetract->SetCaption(QStringLiteral("+"));
        Label_TopRetract->Font()->SetSize(14);
        SetBorderStyle(bsNone);
        SetWindowState(wsMinimized);
        ProcessMessages();
        Time().Sleep(100);
        SetWindowState(wsMaximized);
        ProcessMessages();
    } else {
        Label_TopRetract->SetTop(-20);
        Label_LeftDownRetract->SetTop(44);
        Group_Top->SetHeight(75);
        Label_TopRetract->SetCaption(QStringLiteral("_"));
        Label_TopRetract->Font()->SetSize(18);
        SetBorderStyle(bsSizeable);
    }
}

void TForm_Main::FormShortCut(WORD Key, TShiftState, bool&)
{
    if (Key == VK_F11)
        Label_TopRetractClick(Label_TopRetract);
}

void TForm_Main::Radio_ComWifiClick(TObject*)
{
    Combo_COM->SetEnabled(false);
    Edit_RolaNextFreq->SetVisible(false);
}

void TForm_Main::Radio_ComRS485Click(TObject*)
{
    Combo_COM->SetEnabled(true);
    Edit_RolaNextFreq->SetVisible(false);
}

void TForm_Main::Radio_ComSub1gClick(TObject*)
{
    Combo_COM->SetEnabled(true);
    // The radio frequency belongs to the radio link alone.
    Edit_RolaNextFreq->SetVisible(true);
}

// The list follows the adapters plugged in since; a path the user typed or chose stays in the
// box (refilling the list would otherwise wipe it on every click into the box).
void TForm_Main::Combo_COMEnter(TObject*)
{
    const QString typed = Combo_COM->Text();
    Combo_COM->Items()->Clear();
    for (const QString& port : SerialPortNames())
        Combo_COM->Items()->Add(port);
    if (!typed.isEmpty())
        Combo_COM->SetText(typed);
    else if (Combo_COM->Items()->Count() > 0)
        Combo_COM->SetItemIndex(0);
    // The text is selected, so what the user types replaces it instead of being added to it. The
    // click that brought the focus places the cursor after this handler: select once it is done.
    if (auto* box = qobject_cast<QComboBox*>(Combo_COM->Handle()))
        if (QLineEdit* edit = box->lineEdit())
            QTimer::singleShot(0, edit, [edit] { edit->selectAll(); });
}

void TForm_Main::Btn_HelpClick(TObject*)
{
    QString path, error;
    if (design::EnsureGuide(ProgramFolder(), &path, &error) != 0) {
        vcl::MessageBox(error, Application() ? Application()->Title() : Caption(), MB_ICONERROR);
        return;
    }
    mainhooks::OpenDocument(path); // a viewer that does not start is not reported
}

void TForm_Main::Btn_PrintLabelClick(TObject*)
{
    RichLogPane pane(List_Event);
    for (int i = 0; i < ComponentCount(); ++i) {
        TComponent* c = Components(i);
        if (c->ClassName() == QLatin1String("TLabel"))
            AppendLogLine(pane, static_cast<TLabel*>(c)->Caption());
    }
}

// ---- Language ------------------------------------------------------------------------------

void TForm_Main::Image_Country_USAClick(TObject*) { RestartInLanguage(0); }
void TForm_Main::Image_Country_GenmanClick(TObject*) { RestartInLanguage(1); }
void TForm_Main::Image_Country_FrenchClick(TObject*) { RestartInLanguage(2); }

void TForm_Main::RestartInLanguage(int index)
{
    // The choice lives in the remembered state: one that cannot be written would bring the
    // program back in the language it has now, so it stays as it is (the message said why).
    const int before = LanguageIndex;
    LanguageIndex = index;
    if (SaveRememberedState() == 2) {
        LanguageIndex = before;
        return;
    }
    // Closing the window saves the remembered state again, as at every close.
    Close();
    // The new process must find the lock free, or it would raise this closing window and end;
    // and a driver's path free, or this process, ending after it, would take the path away.
    if (instance_)
        instance_->Release();
    RemoteDriver::StopListening();
    mainhooks::StartProgram();
}

// Re-captions the labels and radio buttons marked for translation (Tag 1) from the language
// table "profile/LangTable.RQX" (design::ReadLangTable); row 0 is a heading and never matches.
void TForm_Main::LanguageChange(int index)
{
    QFile file(ProgramFolder() + QStringLiteral("/profile/LangTable.RQX"));
    if (!file.open(QIODevice::ReadOnly))
        return;
    const QList<QStringList> rows = design::ReadLangTable(file.readAll());
    Grid_MultiLang->SetRowCount(static_cast<int>(rows.size()));
    int columns = 1;
    for (const QStringList& cells : rows)
        columns = std::max(columns, static_cast<int>(cells.size()));
    Grid_MultiLang->SetColCount(columns);
    for (int r = 0; r < rows.size(); ++r)
        for (int k = 0; k < rows[r].size(); ++k)
            Grid_MultiLang->SetCells(k, r, rows[r][k]);

    RichLogPane pane(List_Event);
    auto translate = [&](const char* className) {
        for (int i = 0; i < ComponentCount(); ++i) {
            auto* control = dynamic_cast<TControl*>(Components(i));
            if (!control || control->ClassName() != QLatin1String(className) || control->Tag() != 1)
                continue;
            const int row = FindGridRow(control->Caption(), *Grid_MultiLang);
            if (row > 0)
                control->SetCaption(Grid_MultiLang->Cells(index, row));
            else
                AppendLogLine(pane, control->Caption() + QStringLiteral(" Search Error"));
        }
    };
    translate("TLabel");
    translate("TRadioButton");
}

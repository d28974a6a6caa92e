// The upgrade page on the main window: its controls, the load button and the files dropped on
// the window, wired into the load logic of the firmware engine (upgrade/UpgradePage.h).
#include "app/Main.h"
#include "app/MainBuild.h"
#include "app/Mymessage.h"
#include "app/RichLogPane.h"

#include "common/Myfunc.h"
#include "link/CommLog.h"
#include "vcl/Services.h"

#include "upgrade/Upgrade.h"
#include "upgrade/UpgradeKitView.h"
#include "upgrade/MetaBlock.h"
#include "upgrade/UpgradePage.h"
#include "upgrade/UpgradeRuns.h"

using namespace vcl;

namespace {

// A log pane of the window reached through its member, which may be placed after the page.
class FormLogPane : public LogPane {
public:
    explicit FormLogPane(TRichEdit* const& edit) : edit_(edit) {}
    int LineCount() const override { return RichLogPane(edit_).LineCount(); }
    void Clear() override { RichLogPane(edit_).Clear(); }
    void AddLine(const QString& text, LogColour colour) override { RichLogPane(edit_).AddLine(text, colour); }
    void ScrollToEnd() override { RichLogPane(edit_).ScrollToEnd(); }

private:
    TRichEdit* const& edit_;
};

} // namespace

// The page's log panes, its view of the controls and the load logic, alive as long as the window.
struct UpgradePageParts {
    FormLogPane upgradeLog;
    FormLogPane eventLog;
    KitUpgradeView view;
    UpgradePage page;
    UpgradeRuns runs;

    UpgradePageParts(TForm_Main& form)
        : upgradeLog(form.List_UpgradeEvent), eventLog(form.List_Event),
          view(*form.Edit_HEXPath, *form.Grid_HEX, *form.Btn_UpgradeStart, form, upgradeLog, eventLog),
          page(UpgradeEngine(), view), runs(UpgradeEngine(), view)
    {
    }
    ~UpgradePageParts()
    {
        // The engine outlives the window: it must not keep drawing into controls that are gone.
        if (UpgradeEngine().View == &view)
            UpgradeEngine().View = nullptr;
    }
};

namespace {

// Left column of the page: path, meta block, start and progress, the inverter grid, the log.
constexpr int kColumnWidth = 670;
constexpr int kScrollBarRoom = 24;
constexpr int kDevGridTop = 230;
constexpr int kLogTopRs485 = 560;
constexpr int kLogBottom = 706;

} // namespace

void TForm_Main::BuildUpgradePage()
{
    PLACE_AS(Scroll_Upgrade, Tab_Firmware, 0, 0, kColumnWidth + kScrollBarRoom, kLogBottom + 8);
    Scroll_Upgrade->SetAlign(alLeft);

    PLACE(Btn_LoadHEX, Button, Scroll_Upgrade, "Load", 8, 8, 90, 26);
    Btn_LoadHEX->SetHint(QStringLiteral("Open Hex File"));
    Btn_LoadHEX->SetShowHint(true);
    PLACE(Edit_HEXPath, Edit, Scroll_Upgrade, {}, 106, 9, kColumnWidth - 114);
    Edit_HEXPath->SetReadOnly(true);

    // The meta block in three columns of title and value.
    PLACE_AS(GroupBox17, Scroll_Upgrade, 8, 40, kColumnWidth - 16, 150);
    GroupBox17->SetCaption(QStringLiteral("Meta Block"));
    constexpr int kRowsPerColumn = 5;
    constexpr int kColumnStep = 200;
    int i = 0;
    for (const MetaField& row : kMetaFields) {
        const int left = 10 + (i / kRowsPerColumn) * kColumnStep;
        const int top = 22 + (i % kRowsPerColumn) * 24;
        build::Label(this, GroupBox17, (QByteArray("Label_") + row.Control).constData(),
                     QString::fromLatin1(row.Title), left, top + 3, 114);
        if (QLatin1String(row.Control) == QLatin1String("Combo_Delay")) {
            PLACE(Combo_Delay, Combo, GroupBox17, {"100", "150", "200", "250", "300"}, csDropDown,
                  left + 116, top, 70);
        } else {
            auto* value = build::Label(this, GroupBox17, row.Control, QStringLiteral("??"), left + 116, top + 3, 82);
            value->Font()->SetColor(clBlue);
        }
        ++i;
    }

    PLACE(Btn_UpgradeStart, Button, Scroll_Upgrade, "Upgrade", 8, 196, 90, 28);
    Btn_UpgradeStart->SetHint(QStringLiteral("Begin to Upgrade"));
    Btn_UpgradeStart->SetShowHint(true);
    Btn_UpgradeStart->SetEnabled(false);
    PLACE_AS(ProgressBar, Scroll_Upgrade, 106, 198, kColumnWidth - 114, 24);
    ProgressBar->SetMin(0);
    ProgressBar->SetMax(100);

    // One row per inverter found on the bus, filled by the survey of a load.
    PLACE_AS(Grid_Dev, Scroll_Upgrade, 8, kDevGridTop, kColumnWidth - 16, kLogTopRs485 - kDevGridTop - 8);
    Grid_Dev->SetColCount(11);
    Grid_Dev->SetRowCount(2);
    Grid_Dev->SetDefaultColWidth(30);
    Grid_Dev->SetDefaultRowHeight(28);
    Grid_Dev->Font()->SetColor(clBlue);
    Grid_Dev->Font()->SetStyle(fsBold);

    PLACE_AS(List_UpgradeEvent, Scroll_Upgrade, 8, kLogTopRs485, kColumnWidth - 16, kLogBottom - kLogTopRs485);
    List_UpgradeEvent->SetReadOnly(true);

    // The image, one programming block per row, in the rest of the page.
    PLACE_AS(Grid_HEX, Tab_Firmware, kColumnWidth + kScrollBarRoom, 0, 600, kLogBottom);
    Grid_HEX->SetAlign(alClient);
    Grid_HEX->SetDefaultColWidth(25);
    Grid_HEX->SetFixedRows(1);
    Grid_HEX->SetFixedCols(1);

    upgradeParts_ = std::make_shared<UpgradePageParts>(*this);
    UpgradePage& page = upgradeParts_->page;
    page.LinkOpen = [this] { return !OpenPort->Enabled(); };
    page.LinkType = [this] { return Link.LinkType; };
    page.RescanIds = [this] { Btn_ScanIDClick(Btn_LoadHEX); };
    // No image is loaded or dropped under a programming run that reads the present one.
    // No image is loaded under another load or a programming run (they use the image and the
    // grid); one asked for while the loop ends for this page, or under a command, loads once
    // that has ended.
    Btn_LoadHEX->OnClick = [this](TObject*) {
        if (UpgradeLoadBusy()) {
            RefusedWhileLinkHeld();
            return;
        }
        if (LinkHeld()) {
            deferredLoad_ = true;
            return;
        }
        {
            const LinkHold hold(Link, LinkWork::Survey);
            upgradeParts_->page.Btn_LoadHEXClick();
        }
        RunDeferredActions();
    };

    KitUpgradeView& view = upgradeParts_->view;
    view.Progress = [this](int percent) { ProgressBar->SetPosition(percent); };
    view.StatusPanel = [this](int panel, const QString& text) { SetStatusText(panel, text); };
    UpgradeEngine().Tcp = &Link.Tcp;
    UpgradeEngine().Link = &Link;
    view.SetDeviceGrid(*Grid_Dev);
    UpgradePage& loads = upgradeParts_->page;
    // Before the image is read, what boot loaders the bus carries (an old one limits the block
    // size); after it, who they are, the grid, and the inverters the image is for.
    loads.BeforeHexLoad = [] {
        upgradeTool& tool = UpgradeEngine();
        tool.InitInverterTable();
        tool.ReadBootVersions();
    };
    loads.AfterHexLoad = [this] {
        upgradeTool& tool = UpgradeEngine();
        tool.GetDeviceInfo();
        tool.ShowDeviceGrid();
        tool.AutoSelectInverters();
        PaintDeviceGrid();
        LogGridRows(Grid_Dev->RowCount(), [this](int col, int row) { return Grid_Dev->Cells(col, row); },
                    upgradeParts_->upgradeLog);
    };
    Grid_Dev->OnDblClick = [this](TObject*) {
        if (UpgradeLoadBusy() || Grid_Dev->Col() != 1 || Grid_Dev->Row() <= 0)
            return;
        UpgradeEngine().ToggleSelection(Grid_Dev->Row());
        PaintDeviceGrid();
    };
    UpgradeRuns& runs = upgradeParts_->runs;
    runs.LinkType = [this] { return Link.LinkType; };
    runs.DelayText = [this] { return Combo_Delay->Text(); };
    runs.ProgramFolder = [] { return ProgramFolder(); };
    runs.LogText = [this](int firstLine) {
        // The run's own lines, with their colours, in the rich edit's own form.
        TRichLines& lines = *List_UpgradeEvent->Lines();
        TRichEdit part(nullptr);
        for (int i = std::max(firstLine, 0); i < lines.Count(); ++i)
            part.AddLine(lines.Strings(i), lines.ColorOf(i));
        return part.RtfText();
    };
    runs.ImageIsBin = [this] { return upgradeParts_->page.ImageIsBin(); };
    runs.BinProcedure = [] { return UpgradeEngine().BinProcedure(); };
    runs.HexProcedures = [] { return RunSerialProcedures(UpgradeEngine()); };
    runs.AnySelected = [] { return UpgradeEngine().AnySelected(); };
    runs.ShowDeviceGrid = [this] {
        UpgradeEngine().ShowDeviceGrid();
        PaintDeviceGrid();
    };
    runs.ShowResult = [](UpgradeRuns::Outcome outcome) {
        if (!Form_Message)
            return;
        if (outcome == UpgradeRuns::Outcome::Good)
            Form_Message->ShowSuccess();
        else if (outcome == UpgradeRuns::Outcome::Uncertain)
            Form_Message->ShowUncertain();
        else
            Form_Message->ShowFailure();
        Form_Message->ShowModal();
    };
    Btn_UpgradeStart->OnClick = [this](TObject*) {
        if (RefusedWhileLinkHeld())
            return;
        {
            const LinkHold hold(Link, LinkWork::Programming);
            upgradeParts_->runs.Btn_UpgradeStartClick();
        }
        RunDeferredActions();
    };
    OnDropFiles = [this](TObject*, const QStringList& files) {
        if (UpgradeLoadBusy()) {
            RefusedWhileLinkHeld();
            return;
        }
        if (LinkHeld()) {
            deferredDrop_ = files;
            return;
        }
        // An image is loaded on the upgrade page: while the loop polls, its survey would run
        // inside the loop's transactions.
        if (PollRunning) {
            MessageBox(QStringLiteral("Please wait until the polling has ended"));
            return;
        }
        {
            const LinkHold hold(Link, LinkWork::Survey);
            upgradeParts_->page.DropFiles(files);
        }
        RunDeferredActions();
    };
}

void TForm_Main::LayOutUpgradePage()
{
    // On Wi-Fi there is no bus to survey: the log takes the inverter grid's place.
    if (Link.LinkType == LinkRs485) {
        Grid_Dev->SetVisible(true);
        List_UpgradeEvent->SetBounds(List_UpgradeEvent->Left(), kLogTopRs485, List_UpgradeEvent->Width(),
                                     kLogBottom - kLogTopRs485);
    } else if (Link.LinkType == LinkWifi) {
        Grid_Dev->SetVisible(false);
        List_UpgradeEvent->SetBounds(List_UpgradeEvent->Left(), kDevGridTop, List_UpgradeEvent->Width(),
                                     kLogBottom - kDevGridTop);
    }
}

void TForm_Main::PaintDeviceGrid()
{
    const upgradeTool& tool = UpgradeEngine();
    Grid_Dev->SetCellPicture(1, 0, QStringLiteral(":/window/Tick1.png"));
    for (int row = 1; row < Grid_Dev->RowCount(); ++row) {
        Grid_Dev->SetCellPicture(1, row, QString());
        Grid_Dev->SetCellColor(10, row, clDefault, clDefault);
    }
    // With no image loaded there is nothing to tick.
    if (tool.FileInfo.SwMajor == 0 && tool.FileInfo.SwMinor == 0)
        return;
    for (int i = 1; i <= 253; ++i) {
        const auto k = static_cast<std::size_t>(i);
        const int row = tool.InvGridRow[k];
        if (tool.InvSelected[k] == 0 || row <= 0)
            continue;
        Grid_Dev->SetCellPicture(1, row, QStringLiteral(":/window/Tick2.png"));
        const QString sw = Grid_Dev->Cells(10, row);
        const TColor back = sw == QLatin1String("0.00") ? clRed : sw == QLatin1String("Done") ? clLime : clYellow;
        Grid_Dev->SetCellColor(10, row, clDefault, back);
    }
}

bool TForm_Main::UpgradeLoadBusy() const
{
    return upgradeParts_ && (upgradeParts_->page.Busy() || upgradeParts_->runs.Running());
}

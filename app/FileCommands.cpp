// The data log and the setting files on the window: the data-log button with its sampling and
// animation timers, the hidden one-shot button, the grid-setting save and load buttons and the
// on-site repair button, and the executor's sequences for them.
#include "app/Formwait.h"
#include "app/Main.h"

#include "files/DataLog.h"
#include "files/RegisterDump.h"
#include "files/RepairRecord.h"
#include "files/SettingsUpload.h"
#include "groups/PanelRows.h"

#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QPainterPath>

using namespace vcl;

namespace {

constexpr int kIconWidth = 47;
constexpr int kIconHeight = 48;
constexpr int kDefaultIntervalMs = 2000;

// The three frames of the running data-log button: a chart on a white ground whose curve is
// drawn in one, two or three strokes. Colours in the class library's order (red low byte),
// stored column by column: entry x * 48 + y is pixel (x, y).
const std::array<std::vector<TColor>, 3>& AnimationFrames()
{
    static const std::array<std::vector<TColor>, 3> frames = [] {
        std::array<std::vector<TColor>, 3> out;
        for (int k = 0; k < 3; ++k) {
            QImage image(kIconWidth, kIconHeight, QImage::Format_RGB32);
            image.fill(Qt::white);
            QPainter p(&image);
            p.setRenderHint(QPainter::Antialiasing);
            const QRectF area(8, 9, 31, 29);
            p.setPen(QPen(QColor(30, 60, 120), 2));
            p.drawLine(area.bottomLeft(), area.topLeft());
            p.drawLine(area.bottomLeft(), area.bottomRight());
            const QPointF points[] = {{area.left() + 2, area.bottom() - 6}, {area.left() + 11, area.bottom() - 16},
                                      {area.left() + 19, area.bottom() - 11}, {area.right(), area.top() + 2}};
            QPainterPath curve(points[0]);
            for (int i = 1; i <= k + 1; ++i)
                curve.lineTo(points[i]);
            p.setPen(QPen(QColor(220, 90, 20), 2.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            p.drawPath(curve);
            p.setBrush(QColor(220, 90, 20));
            p.drawEllipse(points[k + 1], 2.5, 2.5);
            p.end();
            out[static_cast<size_t>(k)].resize(kIconWidth * kIconHeight);
            for (int x = 0; x < kIconWidth; ++x)
                for (int y = 0; y < kIconHeight; ++y) {
                    const QColor c = image.pixelColor(x, y);
                    out[static_cast<size_t>(k)][static_cast<size_t>(x * kIconHeight + y)] =
                        static_cast<TColor>(c.red() | c.green() << 8 | c.blue() << 16);
                }
        }
        return out;
    }();
    return frames;
}

} // namespace

void TForm_Main::SetUpFileCommands()
{
    Image_DataLog->OnClick = Method(this, &TForm_Main::Image_DataLogClick);
    Image_DatalogOnce->OnClick = Method(this, &TForm_Main::Image_DatalogOnceClick);
    Timer_Record->OnTimer = Method(this, &TForm_Main::Timer_RecordTimer);
    Timer_Datalog->OnTimer = Method(this, &TForm_Main::Timer_DatalogTimer);
    Image_SaveGridSet->OnClick = Method(this, &TForm_Main::Image_SaveGridSetClick);
    Image_OpenGridSet->OnClick = Method(this, &TForm_Main::Image_OpenGridSetClick);
    auto* panel = groups::FindPanel(*this, QStringLiteral("Group_OnSiteRepair"));
    if (!panel || Btn_OnSiteRepair)
        return;
    Btn_OnSiteRepair = new TButton(this);
    Btn_OnSiteRepair->SetName(QStringLiteral("Btn_OnSiteRepair"));
    Btn_OnSiteRepair->SetParent(panel);
    Btn_OnSiteRepair->SetCaption(QStringLiteral("RUN"));
    Btn_OnSiteRepair->SetBounds(10, groups::kFirstRowTop + 10, 80, 30);
    Btn_OnSiteRepair->OnClick = Method(this, &TForm_Main::Btn_OnSiteRepairClick);
}

// ---- Data log ---------------------------------------------------------------------------------

void TForm_Main::Image_DataLogClick(TObject*)
{
    if (SuperUserMode == 0) {
        if (OpenPort->Enabled()) {
            MessageBox(QStringLiteral("You have to communicate with Inverters first"));
            return;
        }
        if (!TabSheets[0]->TabVisible()) {
            MessageBox(QStringLiteral("Please Select Monitor Mode"));
            return;
        }
    }
    if (DataLogActive == 1) {
        DataLogActive = 0;
        Timer_Record->SetEnabled(false);
        Timer_Datalog->SetEnabled(false);
        if (SuperUserMode == 0)
            for (int i = 1; i < design::kPageCount; ++i)
                TabSheets[static_cast<size_t>(i)]->SetTabVisible(i <= 2);
        Tab_Firmware->SetTabVisible(false);
        return;
    }

    // Outside the designer mode the log keeps to the main page: its panels are the columns.
    std::array<bool, design::kPageCount> tabsBefore{};
    for (int i = 0; i < design::kPageCount; ++i)
        tabsBefore[static_cast<size_t>(i)] = TabSheets[static_cast<size_t>(i)]->TabVisible();
    const bool firmwareTabBefore = Tab_Firmware->TabVisible();
    if (SuperUserMode == 0) {
        PageControl->SetTabIndex(0);
        PageControlChange(nullptr);
        for (int i = 0; i < design::kPageCount; ++i)
            TabSheets[static_cast<size_t>(i)]->SetTabVisible(i == 0);
        Tab_Firmware->SetTabVisible(false);
    }

    // A log that cannot be named or titled does not start, and no earlier file is touched. The
    // interval is asked before the file is made: a Cancel starts nothing, so no file, no timer
    // and the tabs as they were.
    QString path = DataLogPath;
    QString problem;
    bool cancelled = false;
    int seconds = 0;
    if (files::NewDataLogFileName(path) != 0) {
        problem = QStringLiteral("Data log not started: every file name of the day is taken in ") + files::DataLogFolder();
    } else {
        const QString answer =
            InputBox(QStringLiteral("Period"), QStringLiteral("Please Input Interval(sec)"), QStringLiteral("2"));
        cancelled = answer == QLatin1String("Cancel");
        seconds = StrToIntSafe(answer);
    }
    QString error;
    if (problem.isEmpty() && !cancelled && files::WriteDataLogHeader(*this, path, &error) != 0)
        problem = QStringLiteral("Data log not started: ") + error;
    if (cancelled || !problem.isEmpty()) {
        if (SuperUserMode == 0) {
            for (int i = 0; i < design::kPageCount; ++i)
                TabSheets[static_cast<size_t>(i)]->SetTabVisible(tabsBefore[static_cast<size_t>(i)]);
            Tab_Firmware->SetTabVisible(firmwareTabBefore);
        }
        if (!problem.isEmpty())
            MessageBox(problem);
        return;
    }
    DataLogPath = path;
    DataLogActive = 1;
    DataLogRecordCount = 0;
    Timer_Record->SetInterval(seconds >= 1 && seconds <= 2000000 ? seconds * 1000 : kDefaultIntervalMs);
    Timer_Record->SetEnabled(true);
    Timer_Datalog->SetEnabled(true);
}

void TForm_Main::Image_DatalogOnceClick(TObject*)
{
    if (Combo_SelectMode->ItemIndex() == -1) {
        MessageBox(QStringLiteral("Please Select Mode of Monitor"));
        return;
    }
    PageControl->SetTabIndex(0);
    PageControlChange(nullptr);
    const QString path = files::DataLogFolder() + QLatin1Char('/') + Combo_SelectMode->Text() + QStringLiteral(".csv");
    QString error;
    bool written = QFileInfo::exists(path) || files::WriteDataLogHeader(*this, path, &error) == 0;
    written = written &&
              files::WriteDataLogRow(*this, path, Link.SlaveId, QTime::currentTime(), &error) == files::RowResult::Written;
    if (!written)
        MessageBox(error.isEmpty() ? QStringLiteral("Cannot write the data log file ") + path : error);
}

void TForm_Main::Timer_RecordTimer(TObject*)
{
    if (!TabSheets[0]->TabVisible() || DataLogActive == 0)
        return;
    if (StopRequest == 1)
        Timer_Record->SetEnabled(false);
    QString error;
    const files::RowResult result = files::WriteDataLogRow(*this, DataLogPath, Link.SlaveId, QTime::currentTime(), &error);
    if (result == files::RowResult::Written) {
        ++DataLogRecordCount;
        SetStatusText(9, QStringLiteral("Report: ") + QString::number(DataLogRecordCount));
        return;
    }
    // A line that cannot be written ends the log, and says so once.
    DataLogActive = 0;
    Timer_Record->SetEnabled(false);
    Timer_Datalog->SetEnabled(false);
    MessageBox(QStringLiteral("Data log stopped: ") +
               (error.isEmpty() ? QStringLiteral("cannot write ") + DataLogPath : error));
}

void TForm_Main::Timer_DatalogTimer(TObject*)
{
    if (StopRequest == 1)
        Timer_Datalog->SetEnabled(false);
    Timer_Datalog->SetTag(Timer_Datalog->Tag() + 1);
    const std::vector<TColor>& frame = AnimationFrames()[static_cast<size_t>(Timer_Datalog->Tag() % 3)];
    TCanvas* canvas = Image_DataLog->Canvas();
    for (int x = 0; x < kIconWidth; ++x)
        for (int y = 0; y < kIconHeight; ++y)
            canvas->SetPixel(x, y, frame[static_cast<size_t>(x * kIconHeight + y)]);
}

// ---- Grid settings and the repair record ------------------------------------------------------

void TForm_Main::Image_SaveGridSetClick(TObject*)
{
    if (OpenPort->Enabled()) {
        MessageBox(QStringLiteral("Please Connect to Inverters first"));
        return;
    }
    if (CheckServicePassword() == 1)
        Link.CommandCode = CmdSaveGridSettings;
}

void TForm_Main::Image_OpenGridSetClick(TObject*)
{
    if (OpenPort->Enabled()) {
        MessageBox(QStringLiteral("Please Connect to Inverters first"));
        return;
    }
    if (CheckServicePassword() == 1)
        Link.CommandCode = CmdLoadGridSettings;
}

void TForm_Main::Btn_OnSiteRepairClick(TObject*)
{
    if (!RefusedWhileLinkHeld())
        Link.CommandCode = CmdOnSiteRepair;
}

int TForm_Main::RunGridSettingsCommand()
{
    Modbus& m = Link;
    if (m.CommandCode == CmdSaveGridSettings) {
        const std::uint8_t saved = m.SlaveId;
        const int count = TargetCount();
        if (count == 0) {
            m.CommandCode = 0;
            return 0;
        }
        const TColor captionBefore = Label_GridSetLog->Font()->Color();
        Label_GridSetLog->Font()->SetColor(clRed);
        if (Form_wait)
            Form_wait->Show();
        // An inverter missed is said where it happens, naming the file or the inverter and why,
        // and again at the end: "Done" and the green caption only when every dump is whole.
        QStringList missed;
        for (int k = 1; k <= count; ++k) {
            SelectTarget(k);
            QString path, problem;
            files::ConfigLogFileName(path, m.SlaveId);
            if (files::DumpConfigModel(path, m, &problem) != 0) {
                // Close or a lost link: the dump ends here, and its end says what was left undone.
                if (m.Stopped())
                    break;
                missed << QString::number(m.SlaveId);
                if (problem.isEmpty()) {
                    MessageBox(QStringLiteral("Error - ID") + QString::number(m.SlaveId));
                    MessageBox(QStringLiteral("Please Close Config File"));
                } else {
                    MessageBox(problem);
                }
            }
        }
        if (Form_wait)
            Form_wait->Close();
        if (m.Stopped()) {
            Label_GridSetLog->Font()->SetColor(captionBefore);
        } else if (missed.isEmpty()) {
            MessageBox(QStringLiteral("Done"));
            Label_GridSetLog->Font()->SetColor(clGreen);
        } else {
            MessageBox(QStringLiteral("Dump not complete for ID ") + missed.join(QStringLiteral(", ")));
        }
        RestoreSelection(saved);
        m.CommandCode = 0;
    }
    if (m.CommandCode == CmdLoadGridSettings) {
        // The code stays as it is until the executor's end (no post replaces it while the
        // upload holds the link).
        const std::uint8_t saved = m.SlaveId;
        const int count = TargetCount();
        if (count == 0) {
            m.CommandCode = 0;
            return 0;
        }
        if (Form_wait)
            Form_wait->Show();
        if (OpenDialog_OpenSetting->Execute()) {
            int found[FoundIdListSize];
            std::copy(std::begin(FoundIdList), std::end(FoundIdList), found);
            found[0] = count;
            files::UploadSettingFile(m, found, OpenDialog_OpenSetting->FileName(),
                                     [this](int k) { SelectTarget(k); });
        }
        if (Form_wait)
            Form_wait->Close();
        RestoreSelection(saved);
    }
    return 0;
}

int TForm_Main::RunOnSiteRepairCommand()
{
    if (Link.CommandCode != CmdOnSiteRepair)
        return 0;
    QString path;
    const TLabel* serial = groups::FindLabel(*this, QStringLiteral("Label_VantoSN"));
    files::OnSiteRepairFileName(path, serial ? serial->Caption() : QString());
    QString error;
    const int result = files::WriteOnSiteRepairRecord(*this, PhaseCount, path, Link, &error);
    Link.CommandCode = 0;
    MessageBox(result == 0 ? QStringLiteral("Done")
                           : QStringLiteral("Repair record not written: ") + (error.isEmpty() ? path : error));
    return 0;
}

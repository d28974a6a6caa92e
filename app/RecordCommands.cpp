// The clock synchronisation of the header band and the "Energy Clone" panel: their controls and
// the executor's sequences for them.
#include "app/Main.h"

#include "link/EnergyHistory.h"
#include "link/WalkReport.h"
#include "vcl/Services.h"

using namespace vcl;

void TForm_Main::SetUpRecordCommands()
{
    Image_SyncClock->OnClick = Method(this, &TForm_Main::Image_SyncClockClick);
    auto* panel = groups::FindPanel(*this, QStringLiteral("Group_EnergyClone"));
    if (!panel || Btn_ReadEnergy)
        return;
    auto button = [&](const char* name, const char* caption, int left) {
        auto* b = new TButton(this);
        b->SetName(QLatin1String(name));
        b->SetParent(panel);
        b->SetCaption(QLatin1String(caption));
        b->SetBounds(left, groups::kFirstRowTop, 80, 26);
        b->SetTag(1);
        return b;
    };
    Btn_ReadEnergy = button("Btn_ReadEnergy", "Read", 10);
    Btn_WriteEnergy = button("Btn_WriteEnergy", "Write", 100);
    // Nothing to write until a read succeeded.
    Btn_WriteEnergy->SetEnabled(false);
    Label_EnergyDsp = groups::CaptionLabel(this, panel, QStringLiteral("Label_EnergyDsp"), QString(), 10,
                                           groups::kFirstRowTop + 36, 270);
    Label_EnergyDsp->SetTag(0);
    Btn_ReadEnergy->OnClick = Method(this, &TForm_Main::Btn_ReadEnergyClick);
    Btn_WriteEnergy->OnClick = Method(this, &TForm_Main::Btn_WriteEnergyClick);
}

void TForm_Main::Image_SyncClockClick(TObject*)
{
    if (OpenPort->Enabled()) {
        MessageBox(QStringLiteral("Please Connect to Inverters first"));
        return;
    }
    ClaimCommand(CmdSyncClock, Label_SyncClock);
}

void TForm_Main::Btn_ReadEnergyClick(TObject*)
{
    if (RefusedWhileLinkHeld())
        return;
    ClaimCommand(CmdReadEnergyHistory);
    Btn_ReadEnergy->SetEnabled(false);
    Btn_WriteEnergy->SetEnabled(false);
}

void TForm_Main::Btn_WriteEnergyClick(TObject*)
{
    if (RefusedWhileLinkHeld())
        return;
    ClaimCommand(CmdWriteEnergyHistory);
    Btn_ReadEnergy->SetEnabled(false);
    Btn_WriteEnergy->SetEnabled(false);
}

void TForm_Main::ClaimCommand(int code, TLabel* caption)
{
    if (ClaimedCommand != 0)
        GiveBackClaim();   // the command posted before is replaced: it never runs
    Link.CommandCode = code;
    ClaimedCommand = code;
    ClaimedCaption = caption;
    if (caption) {
        ClaimedCaptionColor = caption->Font()->Color();
        caption->Font()->SetColor(clRed);
    }
}

void TForm_Main::ClaimRuns(int code)
{
    if (ClaimedCommand == code) {
        ClaimedCommand = 0;
        ClaimedCaption = nullptr;
    }
}

void TForm_Main::SettleClaim()
{
    if (ClaimedCommand != 0 && Link.CommandCode != ClaimedCommand)
        GiveBackClaim();
}

void TForm_Main::GiveBackClaim()
{
    const int code = ClaimedCommand;
    ClaimedCommand = 0;
    if (code == CmdReadEnergyHistory || code == CmdWriteEnergyHistory) {
        if (Btn_ReadEnergy)
            Btn_ReadEnergy->SetEnabled(true);
        if (Btn_WriteEnergy)
            Btn_WriteEnergy->SetEnabled(EnergyHistoryHeld);
    }
    if (ClaimedCaption)
        ClaimedCaption->Font()->SetColor(ClaimedCaptionColor);
    ClaimedCaption = nullptr;
}

int TForm_Main::RunSyncClock()
{
    ClaimRuns(CmdSyncClock);
    Modbus& m = Link;
    bool wrote = false;
    bool missed = false;
    if (m.LinkType == LinkRs485) {
        const std::uint8_t saved = m.SlaveId;
        const int count = TargetCount();
        WalkReport report;
        for (int k = 1; k <= count && !m.Stopped(); ++k) {
            SelectFoundEntry(k);
            const bool done = energy::SyncClock(m) == energy::kDone;
            // A request cut off by the stop is not the inverter's failure: the stop says it.
            if (!m.Stopped())
                report.Add(m.SlaveId, done);
            wrote = true;
        }
        RestoreSelection(saved);
        if (!m.Stopped() && report.AnyMissed()) {
            MessageBox(report.Message(QStringLiteral("Sync Clock")));
            missed = true;
        }
    } else if (m.LinkType == LinkWifi) {
        if (energy::SyncClock(m) != energy::kDone && !m.Stopped()) {
            MessageBox(QStringLiteral("Sync Clock Fail"));
            missed = true;
        }
        wrote = true;
    }
    m.CommandCode = 0;
    // Stopped by Close or a lost link: the end of the hold says what was left undone.
    if (m.Stopped()) {
        Label_SyncClock->Font()->SetColor(clBlack);
        return 0;
    }
    // The radio link sets no clock, so it reports none set.
    if (!wrote) {
        Label_SyncClock->Font()->SetColor(clBlack);
        return 0;
    }
    // A clock left unset keeps the caption red: never "Done" while one was missed.
    if (missed)
        return 0;
    MessageBox(QStringLiteral("Sync Clock Done"));
    Label_SyncClock->Font()->SetColor(clGreen);
    return 0;
}

int TForm_Main::RunEnergyTransfer()
{
    Modbus& m = Link;
    const bool read = m.CommandCode == CmdReadEnergyHistory;
    ClaimRuns(m.CommandCode);
    auto progress = [this](const QString& text) {
        if (Label_EnergyDsp)
            Label_EnergyDsp->SetCaption(text);
        ProcessMessages();
    };
    int r = read ? energy::ReadDayEnergy(m, progress) : energy::WriteDayEnergy(m, progress);
    if (r == energy::kDone)
        r = read ? energy::ReadMonthEnergy(m, progress) : energy::WriteMonthEnergy(m, progress);
    // The buttons come back in every case; Write only once a whole history is held.
    if (read)
        EnergyHistoryHeld = r == energy::kDone;
    if (Btn_ReadEnergy)
        Btn_ReadEnergy->SetEnabled(true);
    if (Btn_WriteEnergy)
        Btn_WriteEnergy->SetEnabled(EnergyHistoryHeld);
    if (r == energy::kLinkFailed)
        return 1;   // CommandCode stays until the next start of polling clears it
    m.CommandCode = 0;
    if (r == energy::kIncomplete)
        MessageBox(read ? QStringLiteral("Read Energy Fail") : QStringLiteral("Write Energy Fail: the transfer is incomplete"));
    return 0;
}

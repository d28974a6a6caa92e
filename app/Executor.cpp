// The pending-command executor: the one command a settings control posted into the mailbox runs
// between two polling cycles, when no reader uses the link. It knows the plain coil and register
// writes (to the current inverter or to every inverter found), the scan and the write lock;
// the fixed sequences join it by their codes.
#include "app/Formwait.h"
#include "app/Main.h"
#include "app/JapanSettings.h"
#include "link/WalkReport.h"

using namespace vcl;

namespace {

constexpr int kCoilPauseMs = 500;
const QString kLockRefusal = QStringLiteral("Lock: Permission denied");

// What holds the link while a command runs, as the messages about it name it.
LinkWork WorkOfCommand(int code)
{
    switch (code) {
    case CmdReadEnergyHistory:
    case CmdWriteEnergyHistory: return LinkWork::Transfer;
    case CmdSyncClock: return LinkWork::ClockSync;
    case CmdSaveGridSettings:
    case CmdLoadGridSettings: return LinkWork::DumpUpload;
    case CmdScanIds: return LinkWork::Scan;
    default: return LinkWork::Commands;
    }
}

} // namespace

bool TForm_Main::LinkHeld() const
{
    return Link.Held() || UpgradeLoadBusy() || (PollRunning && FirmwarePageFlag == 1);
}

bool TForm_Main::RefusedWhileLinkHeld()
{
    if (!LinkHeld())
        return false;
    const QString work = Link.Held() ? LinkWorkName(Link.Holder())
                         : UpgradeLoadBusy() ? LinkWorkName(LinkWork::Survey)
                                             : LinkWorkName(LinkWork::LastPoll);
    MessageBox(QStringLiteral("Please wait until %1 has ended").arg(work));
    return true;
}

bool TForm_Main::SwitchPostRefused()
{
    if (WriteLocked()) {
        MessageBox(kLockRefusal);
        return true;
    }
    return false;
}

void TForm_Main::GuardHeaderButtons()
{
    for (TControl* button : std::initializer_list<TControl*>{OpenPort, Image_Firmware, Image_SyncClock, Image_SaveGridSet,
                                                             Image_OpenGridSet, Image_VantoSun, Image_SunVanto}) {
        button->OnClick = [this, own = button->OnClick](TObject* sender) {
            if (!RefusedWhileLinkHeld() && own)
                own(sender);
        };
    }
}

int TForm_Main::ExecutePendingCommand()
{
    // No click runs another operation or changes the target inside this command's waits.
    int result = 0;
    {
        const LinkHold hold(Link, WorkOfCommand(Link.CommandCode));
        result = RunPendingCommand();
    }
    RunDeferredActions();
    return result;
}

int TForm_Main::RunPendingCommand()
{
    Modbus& m = Link;
    auto value = [&m] { return static_cast<int>(static_cast<std::uint16_t>(m.CommandValue)); };
    const bool broadcast = Radio_CmdBroadcast->Checked();

    // The scan and the clock synchronisation run even under the write lock.
    if (m.CommandCode == CmdScanIds) {
        if (Form_wait)
            Form_wait->Show();
        RebuildTree();
        m.CommandCode = 0;
        if (Form_wait)
            Form_wait->Close();
        return 0;
    }
    if (m.CommandCode == CmdSyncClock)
        return RunSyncClock();
    if (WriteLocked()) {
        MessageBox(kLockRefusal);
        return 0;
    }
    if (DropsStaleMaxPowerPost())
        return 0;

    // The code is read afresh before each test: a write that turns into its broadcast form is
    // carried on by the later test.
    if (m.CommandCode == CmdWriteCoil) {
        if (m.CommandValue == 1)
            m.CommandValue = static_cast<std::int16_t>(0xFF00 - 0x10000);
        if (broadcast) {
            m.CommandCode = CmdBroadcastCoil;
        } else {
            m.Request(m.CommandAddress, value(), 5);
            m.CommandCode = 0;
        }
        Time().Sleep(kCoilPauseMs);
    }
    if (m.CommandCode == CmdWriteRegister) {
        if (broadcast) {
            m.CommandCode = CmdBroadcastRegister;
        } else {
            m.Request(m.CommandAddress, value(), 6);
            m.CommandCode = 0;
        }
    }
    if (m.CommandCode == CmdWriteRegisterCurrentId && !broadcast) {
        m.Request(m.CommandAddress, value(), 6);
        m.CommandCode = 0;
        Time().Sleep(kCoilPauseMs);
    }
    if (m.CommandCode == CmdBroadcastCoil || m.CommandCode == CmdBroadcastRegister) {
        const std::uint8_t fc = m.CommandCode == CmdBroadcastCoil ? 5 : 6;
        const std::uint8_t saved = m.SlaveId;
        const int address = m.CommandAddress;
        const int count = TargetCount();
        WalkReport report;
        for (int k = 1; k <= count; ++k) {
            SelectTarget(k);
            m.Request(address, value(), fc);
            report.Add(m.SlaveId, WriteTaken(m, address, value(), fc));
        }
        RestoreSelection(saved);
        m.CommandCode = 0;
        // The value label turns blue from the current inverter's read-back alone: an inverter
        // that did not take the write is named here.
        if (report.AnyMissed())
            MessageBox(report.Message(QStringLiteral("Broadcast write to %1 %2")
                                          .arg(fc == 5 ? QStringLiteral("coil") : QStringLiteral("register"))
                                          .arg(address)));
    }
    if (m.CommandCode == CmdWriteRegisterPair) {
        m.Request(m.CommandAddress, value(), 6);
        m.Request(m.CommandAddress + 1, static_cast<std::uint16_t>(m.CommandValue2), 6);
        m.CommandCode = 0;
    }
    RunGridSettingsCommand();   // 420, 421
    if (m.CommandCode == CmdReadEnergyHistory || m.CommandCode == CmdWriteEnergyHistory) {
        // Read and write, day and month history: every request to the inverter it started with.
        const LinkTargetPin pin(m);
        return RunEnergyTransfer();
    }
    // The fixed sequences (codes 10, 40, 41, 42, 166, 410, 411, 417, 418, 420, 421, 440, 595,
    // 648, 800, 801, 1000 to 1007, 1931) join here in that order.
    if (const int result = RunStatusSequence(); result >= 0) {   // 10, 40, 41, 42, 166, 595, 1000 to 1007
        m.CommandCode = 0;
        return result;
    }
    if (m.CommandCode == CmdSetRunStateMode)
        return settings::ExecuteRunStateMode(m);
    RunOnSiteRepairCommand();   // 440
    if (m.CommandCode == CmdDryContactTestOn || m.CommandCode == CmdDryContactTestOff ||
        m.CommandCode == CmdEnableStringCurrentDc12)
        return RunLiveValueCommand();
    if (m.CommandCode == CmdProtocolSunSpec || m.CommandCode == CmdProtocolNative)
        return RunProtocolSwitch();

    m.CommandCode = 0;
    return 0;
}

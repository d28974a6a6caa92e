// The polling loop: every cycle runs the data-group readers in their fixed order, pumps the
// window, pauses 10 ms and lets the pending command run.
#include "app/Main.h"
#include "app/Monitoring.h"
#include "groups/ReaderFrame.h"

#include "vcl/Services.h"

using namespace vcl;

namespace {

// When a reader of the order runs.
enum class When {
    Always,
    VersionCycle,   // the first cycle and every tenth after it
    AcOutput,       // AC layout 0 or 1
    AcPhaseFirst,   // AC layout 2 or 3
    AcPhaseOthers,  // AC layout 2
    PowerMeter,     // every cycle, addressed to the power meter's slave ID
    ScaleFactors,   // while the current inverter's scale factors are not read
};

struct PollEntry {
    When when;
    int (TForm_Main::*read)(std::uint8_t stop);
    // The reader decodes with the scale factors: it waits until they are known, so that no
    // value is shown (or logged) with another inverter's factors.
    bool scaled = false;
};

// The fixed order of the readers in a cycle. Groups join it at their place as they are built.
const PollEntry kPollOrder[] = {
    {When::VersionCycle, &TForm_Main::ReadVersion},
    {When::ScaleFactors, &TForm_Main::ReadScaleFactors},
    {When::Always, &TForm_Main::ReadTemperature1, true},
    {When::Always, &TForm_Main::ReadTemperature2, true},
    {When::Always, &TForm_Main::ReadOutputEnergy, true},
    {When::AcOutput, &TForm_Main::ReadOutput, true},
    {When::AcPhaseFirst, &TForm_Main::ReadAcPhase1, true},
    {When::AcPhaseOthers, &TForm_Main::ReadAcPhase2, true},
    {When::AcPhaseOthers, &TForm_Main::ReadAcPhase3, true},
    {When::Always, &TForm_Main::ReadInternalMeter, true},
    {When::Always, &TForm_Main::ReadLnSt, true},
    {When::Always, &TForm_Main::ReadInput1to6, true},
    {When::Always, &TForm_Main::ReadInput7to12, true},
    {When::Always, &TForm_Main::ReadStringCurrent, true},
    {When::Always, &TForm_Main::ReadAdcCount, true},
    {When::Always, &TForm_Main::ReadBusVoltage, true},
    {When::Always, &TForm_Main::ReadTotalBus, true},
    {When::Always, &TForm_Main::ReadTotalPower, true},
    {When::Always, &TForm_Main::ReadTestValue, true},
    {When::Always, &TForm_Main::ReadDcRelayTimes, true},
    {When::Always, &TForm_Main::ReadAntiPid},
    {When::Always, &TForm_Main::ReadWarnings},
    {When::Always, &TForm_Main::ReadMpptSwitch},
    {When::Always, &TForm_Main::ReadDarkCurrent},
    {When::Always, &TForm_Main::ReadCountrySet},
    {When::Always, &TForm_Main::ReadErrorEvents},
    {When::Always, &TForm_Main::ReadVacProtection},
    {When::Always, &TForm_Main::ReadFreqProtection},
    {When::Always, &TForm_Main::ReadAcTerminal},
    {When::Always, &TForm_Main::ReadReactivePower},
    {When::Always, &TForm_Main::ReadQofU},
    {When::Always, &TForm_Main::ReadCosphiOfP},
    {When::Always, &TForm_Main::ReadExtendCosphiP},
    {When::Always, &TForm_Main::ReadActivePower},
    {When::Always, &TForm_Main::ReadPfControl},
    {When::Always, &TForm_Main::ReadPofU},
    {When::Always, &TForm_Main::ReadCosphiOfU},
    {When::Always, &TForm_Main::ReadFrt},
    {When::Always, &TForm_Main::ReadVoltageSuppression},
    {When::Always, &TForm_Main::ReadIslanding},
    {When::Always, &TForm_Main::ReadAntiIslanding},
    {When::Always, &TForm_Main::ReadArc},
    {When::Always, &TForm_Main::ReadFactory},
    {When::Always, &TForm_Main::ReadGain},
    {When::Always, &TForm_Main::ReadFanTest},
    {When::Always, &TForm_Main::ReadFanFail},
    {When::Always, &TForm_Main::ReadDeratingFlags},
    {When::Always, &TForm_Main::ReadEpo},
    {When::Always, &TForm_Main::ReadStatus, true},
    {When::Always, &TForm_Main::ReadInsulation},
    {When::Always, &TForm_Main::ReadGroundCurrent},
    {When::Always, &TForm_Main::ReadDcInjection},
    {When::Always, &TForm_Main::ReadEuSet},
    {When::Always, &TForm_Main::ReadJapanSet},
    {When::Always, &TForm_Main::ReadJapanUserSet},
    {When::Always, &TForm_Main::ReadJapanUserSetOld},
    {When::Always, &TForm_Main::ReadJapanRemoteCtrl},
    {When::Always, &TForm_Main::ReadJapanProtect},
    {When::Always, &TForm_Main::ReadJapanVersions},
    {When::Always, &TForm_Main::ReadShipmentTest},
    {When::Always, &TForm_Main::ReadBatteryInfo, true},
    {When::Always, &TForm_Main::ReadBatteryCtrl},
    {When::Always, &TForm_Main::ReadSubsidy},
    {When::Always, &TForm_Main::ReadBatteryModule1},
    {When::Always, &TForm_Main::ReadBatteryModule2},
    {When::Always, &TForm_Main::ReadLoad1, true},
    {When::Always, &TForm_Main::ReadLoad2, true},
    {When::Always, &TForm_Main::ReadStandAlone3P, true},
    {When::Always, &TForm_Main::ReadDeratingOpv},
    {When::Always, &TForm_Main::ReadDeratingVin},
    {When::Always, &TForm_Main::ReadDeratingOpvLo},
    {When::Always, &TForm_Main::ReadDeratingThermal},
    {When::Always, &TForm_Main::ReadMaxOutput, true},
    {When::Always, &TForm_Main::ReadMaxInput, true},
    {When::Always, &TForm_Main::ReadInvTime},
    {When::Always, &TForm_Main::ReadDryContact},
    {When::Always, &TForm_Main::ReadDailyEnergy, true},
    {When::Always, &TForm_Main::ReadMonthlyEnergy, true},
    {When::Always, &TForm_Main::ReadNightMode},
    // ---- (QR45, master and slave DCB) ----
    {When::Always, &TForm_Main::ReadQR45},
    {When::Always, &TForm_Main::ReadMasterDcb},
    {When::Always, &TForm_Main::ReadSlaveDcb},
    {When::PowerMeter, &TForm_Main::ReadPowerMeterInfo},
    {When::Always, &TForm_Main::ReadPoll01},
    {When::Always, &TForm_Main::ReadPoll02},
    {When::Always, &TForm_Main::ReadPoll03},
    {When::Always, &TForm_Main::ReadPoll04},
    {When::Always, &TForm_Main::ReadErrorCodes},
    {When::Always, &TForm_Main::ReadJapanErrorList},
    {When::Always, &TForm_Main::ReadJapanSet3P},
    {When::Always, &TForm_Main::ReadJapanUserSet3P},
    {When::Always, &TForm_Main::ReadHarunetMonitor},
    {When::Always, &TForm_Main::ReadHarunetThermalEvents},
    {When::Always, &TForm_Main::ReadHarunetOvpEvents},
    {When::Always, &TForm_Main::ReadHarunetVinEvents},
    {When::Always, &TForm_Main::ReadHarunetOvpLowEvents},
    {When::Always, &TForm_Main::ReadHarunetSetPoint},
    {When::Always, &TForm_Main::ReadHarunetEnergy},
    {When::Always, &TForm_Main::ReadRelayFunction},
    {When::Always, &TForm_Main::ReadJapanActivePower},
    {When::Always, &TForm_Main::ReadTalveraTest},
    {When::Always, &TForm_Main::ReadTalveraDc1},
    {When::Always, &TForm_Main::ReadTalveraDc2},
    {When::Always, &TForm_Main::ReadTalveraAc1},
    {When::Always, &TForm_Main::ReadCommProtection},
    {When::Always, &TForm_Main::ReadAustraliaSet},
    {When::Always, &TForm_Main::ReadQByNight},
    {When::Always, &TForm_Main::ReadQofP},
    {When::Always, &TForm_Main::ReadQofPDaytime},
    {When::Always, &TForm_Main::ReadRprOvgr},
};

constexpr int kIdentityRetryMs = 5000;
constexpr int kScaleFactorPanel = 6;
constexpr int kWifiKeepAliveRegister = 60515;
constexpr int kWifiKeepAliveValue = 0x55AA;

} // namespace

int TForm_Main::ReadOutput(std::uint8_t stop)
{
    return groups::ReadOutput(Link, Readers, OutputLabels, stop);
}

int TForm_Main::ReadVersion(std::uint8_t stop)
{
    return groups::ReadVersion(Link, Readers, VersionLabels, stop);
}

int TForm_Main::ReadScaleFactors(std::uint8_t stop)
{
    // An inverter that refuses its identity block is not asked again at every cycle: it gives
    // the same answer, and the other groups' reads wait meanwhile.
    if (stop != 1 && IdentityRefusedEpoch == ScaleFactorEpoch && Time().NowMs() - IdentityRefusedMs < kIdentityRetryMs)
        return 0;
    const bool asks = stop != 1 && Link.CommandCode == 0;
    const int result = groups::ReadScaleFactors(Link, Readers, stop);
    if (result == 0 && asks && !ScaleFactorsKnown && Link.ReplyLength > 0) {
        IdentityRefusedEpoch = ScaleFactorEpoch;
        IdentityRefusedMs = Time().NowMs();
        SetStatusText(kScaleFactorPanel, QStringLiteral("Scale factors cannot be read: the inverter refuses its identity block"));
    }
    return result;
}

void TForm_Main::ForgetScaleFactors()
{
    ScaleFactorsKnown = false;
    ++ScaleFactorEpoch;
}

void TForm_Main::RereadScaleFactors()
{
    ForgetScaleFactors();
    PollCycleCount = -1;   // the version group too, when the mode shows it
}

int TForm_Main::ReadPowerMeterInfo(std::uint8_t stop)
{
    return groups::ReadPowerMeterInfo(Link, PowerMeterLabels, stop);
}

int TForm_Main::ReadVacProtection(std::uint8_t stop)
{
    return groups::ReadVacProtection(Link, ProtectionLabels, *this, stop);
}

int TForm_Main::ReadFreqProtection(std::uint8_t stop)
{
    return groups::ReadFreqProtection(Link, ProtectionLabels, *this, stop);
}

int TForm_Main::ReadAustraliaSet(std::uint8_t stop)
{
    return groups::ReadAustraliaSet(Link, ProtectionLabels, stop);
}

int TForm_Main::ReadInsulation(std::uint8_t stop)
{
    return groups::ReadInsulation(Link, ProtectionSwitches, *this, StateTextTable, stop);
}

int TForm_Main::ReadGroundCurrent(std::uint8_t stop)
{
    return groups::ReadGroundCurrent(Link, ProtectionSwitches, *this, stop);
}

int TForm_Main::ReadDcInjection(std::uint8_t stop)
{
    return groups::ReadDcInjection(Link, ProtectionSwitches, *this, stop);
}

int TForm_Main::ReadCommProtection(std::uint8_t stop)
{
    return groups::ReadCommProtection(Link, ProtectionSwitches, *this, stop);
}

int TForm_Main::ReadDryContact(std::uint8_t stop)
{
    return groups::ReadDryContact(Link, ProtectionSwitches, *this, stop);
}

int TForm_Main::ReadDarkCurrent(std::uint8_t stop)
{
    return groups::ReadDarkCurrent(Link, ProtectionFunctions, *this, stop);
}

int TForm_Main::ReadEpo(std::uint8_t stop)
{
    return groups::ReadEpo(Link, ProtectionFunctions, *this, stop);
}

int TForm_Main::ReadIslanding(std::uint8_t stop)
{
    return groups::ReadIslanding(Link, ProtectionFunctions, *this, stop);
}

int TForm_Main::ReadAntiIslanding(std::uint8_t stop)
{
    return groups::ReadAntiIslanding(Link, ProtectionFunctions, *this, stop);
}

int TForm_Main::ReadArc(std::uint8_t stop)
{
    return groups::ReadArc(Link, ProtectionFunctions, *this, stop);
}

int TForm_Main::ReadAntiPid(std::uint8_t stop)
{
    return groups::ReadAntiPid(Link, ProtectionFunctions, *this, stop);
}

int TForm_Main::ReadFrt(std::uint8_t stop)
{
    return groups::ReadFrt(Link, ProtectionFunctions, *this, stop);
}

int TForm_Main::ReadPfControl(std::uint8_t stop)
{
    return groups::ReadPfControl(Link, ProtectionRelays, *this, stop);
}

int TForm_Main::ReadRelayFunction(std::uint8_t stop)
{
    // The relay shown is the one chosen when the reader runs.
    const auto* select = dynamic_cast<const TComboBox*>(FindComponent(QStringLiteral("Combo_SelectRelay")));
    return groups::ReadRelayFunction(Link, ProtectionRelays, *this, select ? select->ItemIndex() : -1, stop);
}

int TForm_Main::ReadHarunetSetPoint(std::uint8_t stop)
{
    return groups::ReadHarunetSetPoint(Link, ProtectionRelays, *this, stop);
}

int TForm_Main::ReadHarunetMonitor(std::uint8_t stop)
{
    return groups::ReadHarunetMonitor(Link, PartnerPanels, *this, stop);
}

int TForm_Main::ReadHarunetEnergy(std::uint8_t stop)
{
    return groups::ReadHarunetEnergy(Link, PartnerPanels, *this, stop);
}

int TForm_Main::ReadTalveraTest(std::uint8_t stop) { return groups::ReadTalveraTest(Link, TalveraPanels, *this, stop); }
int TForm_Main::ReadTalveraDc1(std::uint8_t stop) { return groups::ReadTalveraDc1(Link, TalveraPanels, *this, stop); }
int TForm_Main::ReadTalveraDc2(std::uint8_t stop) { return groups::ReadTalveraDc2(Link, TalveraPanels, *this, stop); }
int TForm_Main::ReadTalveraAc1(std::uint8_t stop) { return groups::ReadTalveraAc1(Link, TalveraPanels, *this, stop); }

int TForm_Main::ReadRprOvgr(std::uint8_t stop)
{
    return groups::ReadRprOvgr(Link, ProtectionRelays, *this, stop);
}

bool TForm_Main::PollStepDue(int when) const
{
    switch (static_cast<When>(when)) {
    case When::Always:
    case When::PowerMeter: return true;
    case When::VersionCycle: return PollCycleCount % 10 == 0;
    case When::ScaleFactors: return !ScaleFactorsKnown;
    case When::AcOutput: return AcLayout == 0 || AcLayout == 1;
    case When::AcPhaseFirst: return AcLayout == 2 || AcLayout == 3;
    case When::AcPhaseOthers: return AcLayout == 2;
    }
    return false;
}

QString TForm_Main::PollStatusText() const
{
    QString text;
    if (ReactiveSign == 0)
        text += QStringLiteral("Ind+ ");
    else if (ReactiveSign == 1)
        text += QStringLiteral("Ind- ");
    if (CosPhiStep == 0)
        text += QStringLiteral("1%");
    else if (CosPhiStep == 1)
        text += QStringLiteral("0.1%");
    text += QStringLiteral(" , ");
    text += WriteLock == 1 ? QStringLiteral("Lock") : QStringLiteral("Unlock");
    return text;
}

int TForm_Main::PollCycle()
{
    if (Link.LinkType == LinkWifi && Link.Request(kWifiKeepAliveRegister, kWifiKeepAliveValue, 6))
        return 1;
    for (const PollEntry& e : kPollOrder) {
        if (!PollStepDue(static_cast<int>(e.when)) || (e.scaled && !ScaleFactorsKnown))
            continue;
        if (e.when != When::PowerMeter) {
            if ((this->*e.read)(StopRequest))
                return 1;
            continue;
        }
        // The meter answers under its own ID. Only the requests go there: SlaveId stays the
        // inverter the user chose (a double-click during the meter's read changes it), so the
        // checks of a click made meanwhile are made against that inverter.
        Link.AddressOverride = groups::PowerMeterId(PowerMeterLabels);
        const int result = (this->*e.read)(StopRequest);
        Link.AddressOverride = -1;
        if (result)
            return 1;
    }
    ProcessMessages();
    Time().Sleep(10);
    if (Link.CommandCode >= 1 && ExecutePendingCommand() == 1)
        return 1;
    if (StopRequest == 1)
        return 1;
    Link.CommandCode = 0;
    SettleClaim();
    SetStatusText(8, PollStatusText());
    ++PollCycleCount;
    return 0;
}

int TForm_Main::PollLoop()
{
    // One loop at a time: a second start (from a handler run inside this loop's waits) only
    // makes the running loop read the version group next.
    if (PollRunning) {
        RereadScaleFactors();
        return 0;
    }
    PollRunning = true;
    StopRequest = 0;
    FirmwarePageFlag = 0;
    PollCycleCount = 0;
    ForgetScaleFactors();
    SettleClaim();
    while (PollCycle() == 0) {
    }
    PollRunning = false;
    // A command still waiting when the loop ends never runs in it.
    if (ClaimedCommand != 0)
        GiveBackClaim();
    if (FirmwarePageFlag == 1) {
        // A mode chosen while the loop was ending for the upgrade page polls on the open link.
        RunDeferredActions();
        return 0;
    }
    // No stop was asked for: the link failed by itself (a serial device that vanished, a read
    // error). The values on the window are no longer live, and the user is told once.
    const bool lost = StopRequest == 0 && (!Link.Stopped() || Link.StopCause() == LinkStop::LinkLost);
    CloseLink();
    if (lost) {
        groups::ClearBlueLabels(*this);
        MainHost.MarkStale();
        MessageBox(QStringLiteral("Link lost: ") +
                   (Link.LinkType == LinkWifi ? QStringLiteral("Wi-Fi module") : Link.PortName) +
                   QStringLiteral(" (COM Close)"));
    }
    RunDeferredActions();
    return 1;
}

void TForm_Main::ResumePollingAfterModeSwitch()
{
    if (OpenPort->Enabled())
        return;   // no link open
    if (PollRunning) {
        // The running loop carries on in the new mode; it reads the version in its next cycle
        // (the cycle in progress still counts itself). A loop that is ending for the upgrade page
        // (the firmware button came just before) is kept: the new mode polls, not the upgrade.
        if (FirmwarePageFlag == 1) {
            FirmwarePageFlag = 0;
            StopRequest = 0;
        }
        RereadScaleFactors();
        return;
    }
    PollLoop();
}

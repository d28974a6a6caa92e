// Opening and closing the link from the header band, and the firmware button that takes the
// open link over from the polling loop.
#include "app/Main.h"
#include "app/Monitoring.h"

#include "vcl/Services.h"

using namespace vcl;

std::uint8_t DataLogActive = 0;

void TForm_Main::SetUpMonitoring()
{
    Link.SetHost(&MainHost);
    Link.Com.SetHost(&MainHost);
    Readers = groups::ContextOn(*this, this);
    Readers.InLanguage = [this](const QString& english) { return CaptionInLanguage(english); };
    OutputLabels = groups::BuildOutputGroups(*this);
    VersionLabels = groups::BuildVersionGroup(*this);
    PowerMeterLabels = groups::BuildPowerMeterGroup(*this);
    LiveLabels = groups::BuildLiveGroups(*this);
    ProtectionLabels = groups::BuildProtectionGroups(*this);
    ProtectionSwitches = groups::BuildProtectionSwitchGroups(*this);
    ProtectionFunctions = groups::BuildProtectionFunctionGroups(*this);
    ProtectionRelays = groups::BuildRelayGroups(*this);
    PartnerPanels = groups::BuildPartnerGroups(*this);
    TalveraPanels = groups::BuildTalveraGroups(*this);
    ReactivePanels = groups::BuildReactiveGroups(*this);
    JapanPanels = groups::BuildJapanGroups(*this);
    StoragePanels = groups::BuildStorageGroups(*this);
    RecordLabels = groups::BuildRecordGroups(*this);

    OpenPort->OnClick = Method(this, &TForm_Main::OpenPortClick);
    ClosePort->OnClick = Method(this, &TForm_Main::ClosePortClick);
    if (!Image_Firmware->OnClick)
        Image_Firmware->OnClick = Method(this, &TForm_Main::Image_FirmwareClick);
}

void TForm_Main::OpenPortClick(TObject*)
{
    if (Combo_SelectMode->ItemIndex() < 0) {
        MessageBox(QStringLiteral("You have to select Monitor Mode first"));
        return;
    }
    OpenPort->SetEnabled(false);
    ClosePort->SetEnabled(true);
    for (int panel = 0; panel <= 3; ++panel)
        SetStatusText(panel, QString());

    // A fresh session: a command posted while no link was open is dropped, and no connection
    // of an earlier session is left over (a left-over descriptor would only leak).
    Link.CommandCode = 0;
    SettleClaim();
    ForgetRelayAlarmWord();
    Link.SlaveId = 0;
    Link.ScanStop = 0;
    Link.ClearStop();
    Link.ResetLinkCounters();
    Link.Tcp.CloseSlots();
    Link.Tcp.CloseSlot(KivClient::kLinkSlot);
    // Values marked stale when the last session lost its inverter are read afresh now: they
    // show in their normal colour again.
    MainHost.RecoverStale();

    // The link chosen now is the one opened. A link button clicked while this link polls or
    // closes only chooses the link of the next Open.
    const int chosen = Radio_ComWifi->Checked() ? LinkWifi : Radio_ComRS485->Checked() ? LinkRs485
                       : Radio_ComSub1g->Checked() ? LinkSub1g : LinkNone;
    if (chosen == LinkWifi) {
        Link.LinkType = LinkWifi;
        Link.SlaveId = 255;
        Link.Tcp.Startup();
        SetStatusText(4, QStringLiteral("Wi-Fi Connecting"));
        PollLoop();
    } else if (chosen == LinkRs485 || chosen == LinkSub1g) {
        if (Link.OpenCom(Combo_COM->Text()) != 0) {
            CloseLink();
        } else if (chosen == LinkRs485) {
            Link.LinkType = LinkRs485;
            ExeSelectInv(0);
            PollLoop();
        } else {
            Link.LinkType = LinkSub1g;
            ExeSelectInv(0);
            Link.SetBaudCode(3);
            Link.RadioConfigure();
            // MHz in tenths: "928.9" gives 9289.
            Link.SetRadioFreq(TruncToInt(StrToFloatSafe(Edit_RolaNextFreq->Text()) * 10));
            PollLoop();
        }
    }
}

void TForm_Main::ClosePortClick(TObject*)
{
    StopRequest = 1;
    if (!OpenPort->Enabled()) {
        // Taken as closing the window is: the operation that holds the link ends at its next
        // request (a scan at its next probe) and says what it left undone.
        Link.StopAll(LinkStop::LinkClosed);
        Link.ScanStop = 1;
    }
    if (PollRunning) {
        // The loop closes the link when it ends, also when the firmware button has just asked
        // it to leave the link open.
        FirmwarePageFlag = 0;
        return;
    }
    // The upgrade page holds the open link and no loop runs to see the request: close it here,
    // or, while an image load or a programming run uses the link, as soon as it has ended.
    if (FirmwarePageFlag == 1 && !OpenPort->Enabled()) {
        if (LinkHeld())
            deferredClose_ = true;
        else
            CloseLink();
    }
}

int TForm_Main::CloseLink()
{
    deferredClose_ = false;
    ForgetRelayAlarmWord();
    DataLogActive = 0;
    Timer_Record->SetEnabled(false);
    Timer_Datalog->SetEnabled(false);
    OpenPort->SetEnabled(true);
    ClosePort->SetEnabled(false);
    if (Link.LinkType == LinkWifi) {
        Link.Tcp.CloseSlots();
        Link.Tcp.Cleanup();   // also closes the link's own connection
        SetStatusText(4, QStringLiteral("Wi-Fi Close"));
    } else {
        Link.Com.Close();
        SetStatusText(4, QStringLiteral("COM Close"));
    }
    return 0;
}

void TForm_Main::Image_FirmwareClick(TObject*)
{
    if (OpenPort->Enabled()) {
        MessageBox(QStringLiteral("Please Connect to Inverters first"));
        return;
    }
    // The polling loop ends at its next check and leaves the link open for the upgrade.
    FirmwarePageFlag = 1;
    StopRequest = 1;
    Timer_Record->SetEnabled(false);
    Timer_Datalog->SetEnabled(false);
    for (TTabSheet* sheet : TabSheets)
        sheet->SetTabVisible(false);
    Tab_Firmware->SetTabVisible(true);
    PageControl->SetActivePage(Tab_Firmware);
    Combo_SelectMode->SetItemIndex(-1);
    LayOutUpgradePage();   // Upgrade page
}

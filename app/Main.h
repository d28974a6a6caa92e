// The main window: header band, slave-ID pane, the seven layout pages and the upgrade page,
// the status bar and the 135 group panels that the page layouts place.
//
// The window is built in code (MainBuild.cpp: header band, left pane, pages, status bar;
// MainPanels.cpp: the group panels). Its handlers are spread over files by concern:
// MainShell.cpp (start-up, single instance, resizing, folding, guide, label print-out, language),
// MainModes.cpp (mode switch, page switch, access codes, start-up and shut-down state).
#pragma once

#include "common/Myfunc.h"
#include "design/CountryList.h"
#include "design/GroupPanels.h"
#include "design/ModeSettings.h"
#include "design/PanelDrag.h"
#include "app/Monitoring.h"
#include "app/SettingBinding.h"
#include "groups/LiveValues.h"
#include "groups/Output.h"
#include "groups/Polls.h"
#include "groups/PowerMeter.h"
#include "groups/Service.h"
#include "groups/Status.h"
#include "groups/Storage.h"
#include "groups/Protection.h"
#include "groups/ProtectionFunctions.h"
#include "groups/PartnerBrand.h"
#include "groups/Talvera.h"
#include "groups/ProtectionRelays.h"
#include "groups/Japan.h"
#include "groups/ReactivePower.h"
#include "groups/ProtectionSwitches.h"
#include "groups/Records.h"
#include "groups/Version.h"
#include "link/Modbus.h"
#include "vcl/ComCtrls.h"
#include "vcl/Forms.h"
#include "vcl/Menus.h"
#include "vcl/Services.h"
#include "vcl/StdCtrls.h"
#include "vcl/StringGrid.h"

#include <QString>
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

class SingleInstance;

class TForm_Main : public vcl::TForm, public design::ModeOptions {
public:
    explicit TForm_Main(vcl::TComponent* Owner = nullptr);
    ~TForm_Main() override;

    // True when another instance ran at creation: that one was raised and this window must not
    // be shown; the program ends.
    bool InstanceRefused() const { return instanceRefused_; }

    // ---- State shared by the subsystems -------------------------------------------------
    std::uint8_t StopRequest = 0;
    std::uint8_t FirmwarePageFlag = 0;
    int LanguageIndex = 0;
    int FoundIdList[FoundIdListSize] = {};
    vcl::TTreeNode* IdTreeRoot = nullptr;
    int PhaseCount = 0;
    int PollCycleCount = 0;
    int DataLogRecordCount = 0;

    // Mode and page state.
    std::uint8_t SuperUserMode = 0;
    int CurrentPageIndex = 0;
    QString RememberedPassword;
    QString CurrentModeFolder; // the folder of the mode chosen last (not re-read from the list)

    // Scale factors of the current inverter.
    int PowerMultiplier = 0;
    int EnergyMultiplier = 0;
    int VoltageDivisor = 0;
    int IdcDivisor = 0;
    int IacDivisor = 0;
    std::uint8_t SignedValues = 0;
    // The factors above were read from the inverter now addressed (false after a link open, a
    // device or mode switch until the next cycle has read them).
    bool ScaleFactorsKnown = false;
    // Counts the times the factors stopped being the current inverter's (a link open, a device
    // or mode switch, a scan): a value converted with them is good only under the same count.
    int ScaleFactorEpoch = 0;
    // When the current inverter last refused its identity block (program ms; the epoch of the
    // factors then): it is asked again only after a pause.
    std::int64_t IdentityRefusedMs = 0;
    int IdentityRefusedEpoch = -1;
    // The Max. Power in the mailbox was converted into the inverter's unit under this count
    // (-1: no such post). It is written only to the inverter it was converted for.
    int MaxPowerPostEpoch = -1;

    // The options of the mode settings file (ReclosureRate ... ShowFirmwareDates, WriteLock)
    // are the members of the base design::ModeOptions.
    // The settings file as last read: poll rows and temperature titles whose controls are not
    // on the window keep these values when the designer mode saves the file.
    design::ModeSettings ModeFile;

    // The mode's country list (names[0] "NONE": the built-in list is used).
    design::CountryList CountryListFile;

    // ---- Monitoring: link, poll loop, readers ---------------------------------------------
    // (LinkControl.cpp: opening and closing the link; PollLoop.cpp: the loop and its readers;
    // WindowHost.cpp: the window as the link's host.)
    Modbus Link;                      // the one link object
    MainLinkHost MainHost{*this};     // status bar, stale marking, log pane, message boxes
    groups::ReaderContext Readers;    // the scale members and options the readers follow
    groups::OutputGroup OutputLabels;
    groups::VersionGroup VersionLabels;
    groups::PowerMeterGroup PowerMeterLabels;
    groups::ProtectionGroup ProtectionLabels;
    groups::ProtectionSwitchGroup ProtectionSwitches;
    groups::ProtectionFunctionGroup ProtectionFunctions;
    groups::RelayGroup ProtectionRelays;
    groups::PartnerGroups PartnerPanels;
    groups::TalveraGroups TalveraPanels;
    groups::ReactiveGroups ReactivePanels;
    groups::JapanGroups JapanPanels;
    groups::StorageGroups StoragePanels;
    // The relay alarm word and the Japanese protection masks read last no longer stand for the
    // inverter addressed next.
    void ForgetRelayAlarmWord()
    {
        if (ProtectionRelays.AlarmWord)
            ProtectionRelays.AlarmWord->Forget();
        if (JapanPanels.Masks)
            JapanPanels.Masks->Forget();
    }
    groups::RecordGroups RecordLabels;
    bool PollRunning = false;         // a polling loop runs; no second one is started
    void SetUpMonitoring();
    void OpenPortClick(vcl::TObject* Sender);
    void ClosePortClick(vcl::TObject* Sender);
    void Image_FirmwareClick(vcl::TObject* Sender);
    int CloseLink();
    int PollLoop();
    int PollCycle();
    bool PollStepDue(int when) const;
    QString PollStatusText() const;
    int ExecutePendingCommand();
    int RunPendingCommand();   // the command in the mailbox, under the executor's hold
    // Whether an operation holds the link: a command of the executor (transfer, clock sync,
    // dump or upload among them), an image load or programming run, or the polling loop's last
    // transaction before the upgrade page.
    bool LinkHeld() const;
    // Asked first by a user action that would start other link work or change the target: while
    // the link is held the action is refused with a message (true) and must do nothing.
    bool RefusedWhileLinkHeld();
    // A check box or radio button's post, refused with a word: the write lock holds.
    bool SwitchPostRefused();
    bool WriteLocked() const { return SuperUserMode == 0 && WriteLock == 1; }
    // What the user asked for while the link was held, done once the operation has ended: an
    // image dropped or the load button clicked, then a mode chosen.
    void RunDeferredActions();
    QString deferredMode_;
    QStringList deferredDrop_;
    bool deferredLoad_ = false;
    bool deferredClose_ = false;   // Close on the upgrade page while a load or run held the link
    // The mode switch with a link open: the running loop goes on, or a new one starts.
    void ResumePollingAfterModeSwitch();
    int ReadOutput(std::uint8_t stop);
    int ReadVersion(std::uint8_t stop);
    int ReadScaleFactors(std::uint8_t stop);
    // The scale factors are read afresh in the next cycle (another inverter, mode or session).
    void RereadScaleFactors();
    void ForgetScaleFactors();
    // A Max. Power post converted with factors that are no longer the addressed inverter's (or
    // for one inverter while "Broadcast" is chosen now) is dropped with a word: true then.
    bool DropsStaleMaxPowerPost();
    int ReadPowerMeterInfo(std::uint8_t stop);
    // The storage groups (StorageReaders.cpp).
    int ReadBatteryInfo(std::uint8_t stop);
    int ReadBatteryCtrl(std::uint8_t stop);
    int ReadSubsidy(std::uint8_t stop);
    int ReadBatteryModule1(std::uint8_t stop);
    int ReadBatteryModule2(std::uint8_t stop);
    int ReadQR45(std::uint8_t stop);
    int ReadMasterDcb(std::uint8_t stop);
    int ReadSlaveDcb(std::uint8_t stop);
    // Live values (LiveValues.cpp): the paged windows, AC phases, bus, loads, ADC counts,
    // output side, DC inputs, meter, energy, counters, temperatures and test values, and the
    // command sequences of their panels' buttons.
    groups::LiveGroups LiveLabels;
    int DryContactRelayNumber = 0;   // relay 1's function, kept by the dry-contact test's ON
    int ReadTemperature1(std::uint8_t stop);
    int ReadTemperature2(std::uint8_t stop);
    int ReadOutputEnergy(std::uint8_t stop);
    int ReadAcPhase1(std::uint8_t stop);
    int ReadAcPhase2(std::uint8_t stop);
    int ReadAcPhase3(std::uint8_t stop);
    int ReadInternalMeter(std::uint8_t stop);
    int ReadLnSt(std::uint8_t stop);
    int ReadInput1to6(std::uint8_t stop);
    int ReadInput7to12(std::uint8_t stop);
    int ReadStringCurrent(std::uint8_t stop);
    int ReadAdcCount(std::uint8_t stop);
    int ReadBusVoltage(std::uint8_t stop);
    int ReadTotalBus(std::uint8_t stop);
    int ReadTotalPower(std::uint8_t stop);
    int ReadTestValue(std::uint8_t stop);
    int ReadDcRelayTimes(std::uint8_t stop);
    int ReadLoad1(std::uint8_t stop);
    int ReadLoad2(std::uint8_t stop);
    int ReadStandAlone3P(std::uint8_t stop);
    int ReadMaxOutput(std::uint8_t stop);
    int ReadMaxInput(std::uint8_t stop);
    // The dry-contact test (on, off) and the string-current enable; 1 when the link failed.
    int RunLiveValueCommand();
    int ReadVacProtection(std::uint8_t stop);
    int ReadFreqProtection(std::uint8_t stop);
    int ReadAustraliaSet(std::uint8_t stop);
    int ReadInsulation(std::uint8_t stop);
    int ReadGroundCurrent(std::uint8_t stop);
    int ReadDcInjection(std::uint8_t stop);
    int ReadCommProtection(std::uint8_t stop);
    int ReadDryContact(std::uint8_t stop);
    int ReadDarkCurrent(std::uint8_t stop);
    int ReadEpo(std::uint8_t stop);
    int ReadIslanding(std::uint8_t stop);
    int ReadAntiIslanding(std::uint8_t stop);
    int ReadArc(std::uint8_t stop);
    int ReadAntiPid(std::uint8_t stop);
    int ReadFrt(std::uint8_t stop);
    int ReadPfControl(std::uint8_t stop);
    int ReadRelayFunction(std::uint8_t stop);
    int ReadRprOvgr(std::uint8_t stop);
    // The Japanese-market groups (PollJapan.cpp).
    int ReadJapanSet(std::uint8_t stop);
    int ReadJapanSet3P(std::uint8_t stop);
    int ReadJapanVersions(std::uint8_t stop);
    int ReadJapanRemoteCtrl(std::uint8_t stop);
    int ReadShipmentTest(std::uint8_t stop);
    int ReadJapanProtect(std::uint8_t stop);
    int ReadJapanUserSet3P(std::uint8_t stop);
    int ReadJapanUserSet(std::uint8_t stop);
    int ReadJapanUserSetOld(std::uint8_t stop);
    int ReadHarunetSetPoint(std::uint8_t stop);
    int ReadHarunetMonitor(std::uint8_t stop);
    int ReadHarunetEnergy(std::uint8_t stop);
    int ReadTalveraTest(std::uint8_t stop);
    int ReadTalveraDc1(std::uint8_t stop);
    int ReadTalveraDc2(std::uint8_t stop);
    int ReadTalveraAc1(std::uint8_t stop);
    // The reactive and active power groups (ReactivePoll.cpp).
    groups::ReactiveOptions ReactiveReaderOptions() const;
    int ReadReactivePower(std::uint8_t stop);
    int ReadQofU(std::uint8_t stop);
    int ReadCosphiOfP(std::uint8_t stop);
    int ReadExtendCosphiP(std::uint8_t stop);
    int ReadActivePower(std::uint8_t stop);
    int ReadPofU(std::uint8_t stop);
    int ReadCosphiOfU(std::uint8_t stop);
    int ReadVoltageSuppression(std::uint8_t stop);
    int ReadJapanActivePower(std::uint8_t stop);
    int ReadQByNight(std::uint8_t stop);
    int ReadQofP(std::uint8_t stop);
    int ReadQofPDaytime(std::uint8_t stop);
    // The record groups (PollRecords.cpp).
    int ReadErrorEvents(std::uint8_t stop);
    int ReadJapanErrorList(std::uint8_t stop);
    int ReadWarnings(std::uint8_t stop);
    int ReadDeratingFlags(std::uint8_t stop);
    int ReadFanFail(std::uint8_t stop);
    int ReadErrorCodes(std::uint8_t stop);
    int ReadDeratingOpv(std::uint8_t stop);
    int ReadDeratingVin(std::uint8_t stop);
    int ReadDeratingOpvLo(std::uint8_t stop);
    int ReadDeratingThermal(std::uint8_t stop);
    int ReadHarunetThermalEvents(std::uint8_t stop);
    int ReadHarunetOvpEvents(std::uint8_t stop);
    int ReadHarunetVinEvents(std::uint8_t stop);
    int ReadHarunetOvpLowEvents(std::uint8_t stop);
    int ReadInvTime(std::uint8_t stop);
    int ReadDailyEnergy(std::uint8_t stop);
    int ReadMonthlyEnergy(std::uint8_t stop);
    // Clock synchronisation and the energy clone (RecordCommands.cpp).
    vcl::TButton* Btn_ReadEnergy = nullptr;
    vcl::TButton* Btn_WriteEnergy = nullptr;
    vcl::TLabel* Label_EnergyDsp = nullptr;
    bool EnergyHistoryHeld = false;   // a whole history was read and may be written
    void SetUpRecordCommands();
    void Image_SyncClockClick(vcl::TObject* Sender);
    void Btn_ReadEnergyClick(vcl::TObject* Sender);
    void Btn_WriteEnergyClick(vcl::TObject* Sender);
    int RunSyncClock();
    int RunEnergyTransfer();
    // A click that disables buttons or marks a caption for its command claims them until the
    // command runs; a command that never runs (dropped, refused, replaced by a newer post)
    // gives them back (ClaimedCommand 0: no claim).
    int ClaimedCommand = 0;
    vcl::TLabel* ClaimedCaption = nullptr;
    vcl::TColor ClaimedCaptionColor = 0;
    // Posts code; a caption, when given, turns red until the command runs.
    void ClaimCommand(int code, vcl::TLabel* caption = nullptr);
    // The claimed command runs now: what it took is its own to give back.
    void ClaimRuns(int code);
    // Gives back the claim of a command that is no longer pending (it never ran).
    void SettleClaim();
    void GiveBackClaim();
    // The data log and the setting files (FileCommands.cpp): the data-log buttons and timers,
    // the grid-setting save and load, the on-site repair record.
    vcl::TButton* Btn_OnSiteRepair = nullptr;
    void SetUpFileCommands();
    void Image_DataLogClick(vcl::TObject* Sender);
    void Image_DatalogOnceClick(vcl::TObject* Sender);
    void Timer_RecordTimer(vcl::TObject* Sender);
    void Timer_DatalogTimer(vcl::TObject* Sender);
    void Image_SaveGridSetClick(vcl::TObject* Sender);
    void Image_OpenGridSetClick(vcl::TObject* Sender);
    void Btn_OnSiteRepairClick(vcl::TObject* Sender);
    // The executor's part for the grid-setting save (420) and load (421) and the repair
    // record (440); each leaves a code it did not run alone. Returns 0.
    int RunGridSettingsCommand();
    int RunOnSiteRepairCommand();
    // ---- end of monitoring ----------------------------------------------------------------

    // ---- Commands: executor, settings, scan ------------------------------------------------
    // (Executor.cpp: the pending-command executor; Scan.cpp: the scan range, the scan button,
    // the tree and its double-click; Commands.cpp: setting up the settings tables and the polls.)
    // What the settings handlers read and write: the mailbox, this window's controls, the
    // sign and step conventions of the mode.
    settings::Context Settings{&Link, this, &ReactiveSign, &CosPhiStep, [this] { return RefusedWhileLinkHeld(); },
                                [this] { return SwitchPostRefused(); }, {}};
    groups::PollGroups PollGroups{};
    void SetUpCommands();
    void Edit_StartIDExit(vcl::TObject* Sender);
    void Edit_EndIDExit(vcl::TObject* Sender);
    void Btn_ScanIDClick(vcl::TObject* Sender);
    void RebuildTree();
    void TreeViewDblClick(vcl::TObject* Sender);
    void Btn_Poll1CleanAllClick(vcl::TObject* Sender);
    void Btn_Poll2CleanAllClick(vcl::TObject* Sender);
    void Btn_Poll3ClearAllClick(vcl::TObject* Sender);
    void Btn_Poll4ClearAllClick(vcl::TObject* Sender);
    int ReadPoll01(std::uint8_t stop);
    int ReadPoll02(std::uint8_t stop);
    int ReadPoll03(std::uint8_t stop);
    int ReadPoll04(std::uint8_t stop);
    // Makes entry k (1..count) of FoundIdList the current inverter, and back to a saved ID.
    void SelectFoundEntry(int k);
    // A node of the inverter tree in one picture: 1 found, 2 the current inverter.
    static void SetNodeImages(vcl::TTreeNode* node, int image);
    void RestoreSelection(std::uint8_t savedId);
    // The inverters a command that walks the found ones addresses: on the Wi-Fi link the module
    // alone (it answers only to slave 255, and an RS-485 scan's IDs mean nothing there), on the
    // other links every found inverter. TargetCount says when there is none.
    int TargetCount();
    void SelectTarget(int k);
    // The serial rate for an inverter's rate code on the current link (the radio adapter always
    // runs at code 3; the Wi-Fi link has no serial rate).
    void SetRateForLink(int code);
    // Status panel 0 names the inverter the loop polls (after a scan has shown each probed ID).
    void ShowPolledInverter();
    // ---- end of commands ------------------------------------------------------------------

    // ---- Status, country and service groups -------------------------------------------------
    // (StatusFamily.cpp: their controls, settings and readers; StatusCommands.cpp: the fixed
    // sequences they post and the input gain calibration.)
    groups::StatusGroups StatusLabels;
    groups::ServiceGroups ServiceLabels;
    // The country code of each item of Combo_Country, from the list that filled the box.
    std::vector<int> CountryBoxCodes;
    void SetUpStatusFamily();
    // The status family's rows that use this window (maximum power, constant voltage, country).
    std::vector<settings::Binding> WindowStatusBindings();
    // The names the country group shows: the mode's list, or the built-in list of the current
    // inverter's product.
    groups::CountryNameList CountryNamesInUse() const;
    // The executor's part for the family's codes: -1 when the pending code is none of them,
    // else the executor's result (1 ends the polling loop).
    int RunStatusSequence();
    int ReadStatus(std::uint8_t stop);
    int ReadNightMode(std::uint8_t stop);
    int ReadCountrySet(std::uint8_t stop);
    int ReadFactory(std::uint8_t stop);
    int ReadAcTerminal(std::uint8_t stop);
    int ReadFanTest(std::uint8_t stop);
    int ReadMpptSwitch(std::uint8_t stop);
    int ReadGain(std::uint8_t stop);
    int ReadEuSet(std::uint8_t stop);
    // ---- end of status, country and service groups -------------------------------------------

    // ---- Header band (HeaderBand.cpp): the picture buttons that post commands, and the
    // protocol switch they run.
    void SetUpHeaderBand();
    // The header buttons that start link work ask RefusedWhileLinkHeld before their own handler.
    void GuardHeaderButtons();
    void Image_VantoSunClick(vcl::TObject* Sender);
    void Image_SunVantoClick(vcl::TObject* Sender);
    void Image_ProtocolMouseEnter(vcl::TObject* Sender);
    void Image_ProtocolMouseLeave(vcl::TObject* Sender);
    // Codes 800 and 801: the protocol register of one inverter or of every inverter found;
    // 1 when the link failed.
    int RunProtocolSwitch();
    // ---- end of header band ------------------------------------------------------------------

    // Upgrade page (UpgradePageUi.cpp): the controls of Tab_Firmware and the image load.
    vcl::TScrollBox* Scroll_Upgrade = nullptr;   // the left column; scrolls in a small window
    vcl::TButton* Btn_LoadHEX = nullptr;
    vcl::TEdit* Edit_HEXPath = nullptr;
    vcl::TGroupBox* GroupBox17 = nullptr;   // the meta-block labels (L_METAVERSION ...)
    vcl::TComboBox* Combo_Delay = nullptr;
    vcl::TButton* Btn_UpgradeStart = nullptr;
    vcl::TProgressBar* ProgressBar = nullptr;
    vcl::TStringGrid* Grid_Dev = nullptr;
    vcl::TRichEdit* List_UpgradeEvent = nullptr;
    vcl::TStringGrid* Grid_HEX = nullptr;
    void BuildUpgradePage();
    // Grid and log places for the open link's type.
    void LayOutUpgradePage();
    // An image load is under way (its survey and message boxes let other clicks run).
    bool UpgradeLoadBusy() const;
    // The ticks of the inverters chosen for the upgrade and the state colours of Grid_Dev.
    void PaintDeviceGrid();
    std::shared_ptr<struct UpgradePageParts> upgradeParts_;
    // ---- end of upgrade page --------------------------------------------------------------

    // ---- Page designer and hover pictures (MainDesigner.cpp) -----------------------------
    design::PanelDragState PanelDrag;
    void SetUpDesigner();
    // The scroll box of the page shown (tab index 0..6), or nullptr on any other tab.
    vcl::TScrollBox* ShownPageBox() const;
    // A caption in the window's language, from the language table (the display options' texts).
    QString CaptionInLanguage(const QString& english) const;
    // The English text of a caption shown in the window's language (itself when the table has
    // no such translation), for what goes into the mode's files.
    QString CaptionInEnglish(const QString& shown) const;
    void Scroll_PageMouseMove(vcl::TObject* Sender, vcl::TShiftState Shift, int X, int Y);
    void Label_MouseDown(vcl::TObject* Sender, vcl::TMouseButton Button, vcl::TShiftState Shift, int X, int Y);
    void Label_MouseMove(vcl::TObject* Sender, vcl::TShiftState Shift, int X, int Y);
    void Label_MouseUp(vcl::TObject* Sender, vcl::TMouseButton Button, vcl::TShiftState Shift, int X, int Y);
    void Label_DblClick(vcl::TObject* Sender);
    void Pop_Click(vcl::TObject* Sender);
    void Image_SyncClockMouseEnter(vcl::TObject* Sender);
    void Image_SyncClockMouseLeave(vcl::TObject* Sender);
    void Image_DataLogMouseEnter(vcl::TObject* Sender);
    void Image_DataLogMouseLeave(vcl::TObject* Sender);
    void Image_FirmwareMouseEnter(vcl::TObject* Sender);
    void Image_FirmwareMouseLeave(vcl::TObject* Sender);
    void Image_OpenGridSetMouseEnter(vcl::TObject* Sender);
    void Image_OpenGridSetMouseLeave(vcl::TObject* Sender);
    void Image_SaveGridSetMouseEnter(vcl::TObject* Sender);
    void Image_SaveGridSetMouseLeave(vcl::TObject* Sender);
    std::shared_ptr<struct DesignerParts> designerParts_;
    // ---- end of page designer -------------------------------------------------------------

    // ---- Controls ------------------------------------------------------------------------
    // Header band.
    vcl::TGroupBox* Group_Top = nullptr;
    vcl::TImage* Image_TopRight = nullptr;
    vcl::TGroupBox* GroupBox14 = nullptr; // link
    vcl::TImage* Image51 = nullptr;
    vcl::TLabel* Label2001 = nullptr;
    vcl::TRadioButton* Radio_ComRS485 = nullptr;
    vcl::TRadioButton* Radio_ComWifi = nullptr;
    vcl::TRadioButton* Radio_ComSub1g = nullptr;
    vcl::TComboBox* Combo_COM = nullptr;
    vcl::TEdit* Edit_RolaNextFreq = nullptr;
    vcl::TSpeedButton* OpenPort = nullptr;
    vcl::TSpeedButton* ClosePort = nullptr;
    vcl::TGroupBox* GroupBox18 = nullptr; // mode and sending
    vcl::TImage* Image56 = nullptr;
    vcl::TLabel* Label2002 = nullptr;
    vcl::TComboBox* Combo_SelectMode = nullptr;
    vcl::TRadioButton* Radio_SendSingle = nullptr;
    vcl::TRadioButton* Radio_CmdBroadcast = nullptr;
    vcl::TGroupBox* GroupBox40 = nullptr; // tools
    vcl::TImage* Image99 = nullptr;
    vcl::TImage* Image_SyncClock = nullptr;
    vcl::TLabel* Label_SyncClock = nullptr;
    vcl::TImage* Image_Firmware = nullptr;
    vcl::TLabel* Label2003 = nullptr;
    vcl::TImage* Image_VantoSun = nullptr;
    vcl::TImage* Image_SunVanto = nullptr;
    vcl::TLabel* Label_InvProtocol = nullptr;
    vcl::TImage* Image_OpenGridSet = nullptr;
    vcl::TImage* Image_SaveGridSet = nullptr;
    vcl::TLabel* Label_GridSetLog = nullptr;
    vcl::TImage* Image_DataLog = nullptr;
    vcl::TImage* Image_DatalogOnce = nullptr;
    vcl::TLabel* Label2004 = nullptr;
    vcl::TImage* Image_Country_USA = nullptr;
    vcl::TImage* Image_Country_Genman = nullptr;
    vcl::TImage* Image_Country_French = nullptr;
    vcl::TLabel* Label_SelectLanguage = nullptr;
    vcl::TButton* Btn_Help = nullptr;
    vcl::TLabel* Label_LeftDownRetract = nullptr;
    vcl::TLabel* Label_TopRetract = nullptr;

    // Body: the slave-ID pane on the left, the pages on the right.
    vcl::TPanel* Panel1 = nullptr;
    vcl::TPanel* Panel_LeftDown = nullptr;
    vcl::TLabel* Label2005 = nullptr;
    vcl::TLabel* Label2006 = nullptr;
    vcl::TEdit* Edit_StartID = nullptr;
    vcl::TEdit* Edit_EndID = nullptr;
    vcl::TButton* Btn_ScanID = nullptr;
    vcl::TTreeView* TreeView = nullptr;
    vcl::TPanel* Panel_RightDown = nullptr;
    vcl::TPageControl* PageControl = nullptr;
    std::array<vcl::TTabSheet*, design::kPageCount> TabSheets{}; // TabSheet1..TabSheet7
    std::array<vcl::TScrollBox*, design::kPageCount> ScrollPages{}; // Scroll_Page1..Scroll_Page7
    vcl::TTabSheet* Tab_Firmware = nullptr;
    vcl::TStatusBar* StatusBar = nullptr;

    // Non-visual.
    vcl::TTimer* Timer_Record = nullptr;
    vcl::TTimer* Timer_Datalog = nullptr;
    vcl::TPopupMenu* ScrollPopMenu = nullptr;
    vcl::TOpenDialog* OpenDialog_OpenSetting = nullptr;
    vcl::TStringGrid* Grid_MultiLang = nullptr;

    // Group panels, indexed like design::GroupPanels(), with their title labels and title bars.
    std::array<vcl::TPanel*, design::kGroupPanelCount> GroupPanels{};
    std::array<vcl::TLabel*, design::kGroupPanelCount> GroupTitles{};
    vcl::TPanel* Group_Debug = nullptr;
    vcl::TRichEdit* List_Event = nullptr;
    vcl::TButton* Btn_PrintLabel = nullptr;

    // The group panel of that name, or nullptr.
    vcl::TPanel* GroupPanel(const QString& name) const;
    // Scroll box of page 0..6, or nullptr.
    vcl::TScrollBox* PageBox(int page) const;

    // ---- Handlers and operations -------------------------------------------------------
    void FormCreate(vcl::TObject* Sender);
    void FormShow(vcl::TObject* Sender);
    void FormClose(vcl::TObject* Sender, vcl::TCloseAction& Action);
    void FormResize(vcl::TObject* Sender);
    void FormShortCut(vcl::WORD Key, vcl::TShiftState Shift, bool& Handled);

    void Combo_COMEnter(vcl::TObject* Sender);
    void Btn_HelpClick(vcl::TObject* Sender);
    void Btn_PrintLabelClick(vcl::TObject* Sender);
    void Label_LeftDownRetractClick(vcl::TObject* Sender);
    void Label_TopRetractClick(vcl::TObject* Sender);
    void Radio_ComWifiClick(vcl::TObject* Sender);
    void Radio_ComRS485Click(vcl::TObject* Sender);
    void Radio_ComSub1gClick(vcl::TObject* Sender);
    void Image_Country_USAClick(vcl::TObject* Sender);
    void Image_Country_GenmanClick(vcl::TObject* Sender);
    void Image_Country_FrenchClick(vcl::TObject* Sender);
    void LanguageChange(int index);

    void Combo_SelectModeChange(vcl::TObject* Sender);
    void PageControlChange(vcl::TObject* Sender);
    void PageControlMouseDown(vcl::TObject* Sender, vcl::TMouseButton Button, vcl::TShiftState Shift,
                              int X, int Y);
    int CheckServicePassword();
    int SaveCurrentPageDesign();
    int ShowPageDesign(const QString& path);
    int ResetPageScroll();

    void BuildIdTree();
    void ExeSelectInv(int index);
    void CountryListInit();

    // The text of status-bar panel i (0..10).
    void SetStatusText(int panel, const QString& text);
    QString StatusText(int panel) const;

    // The language choice: closes the window with the chosen language index and restarts the
    // program; the single-instance lock is released first, so that the new process is not
    // turned away by this one.
    void RestartInLanguage(int index);
    // Saves "PreviousSet.RQX" (scan range, language, inverters found): 0 saved, 1 no such file,
    // 2 the file could not be written (after the message that names it and why).
    int SaveRememberedState();

private:
    // Window construction (MainBuild.cpp, MainPanels.cpp).
    void BuildHeaderBand();
    void LayOutHeaderBand();
    void BuildLeftPane();
    void BuildPages();
    void BuildStatusBar();
    void BuildNonVisual();
    void BuildGroupPanels();
    void BuildDebugPanel(vcl::TPanel* panel);
    void PaintTitleBars();
    void PaintHeaderBackgrounds();
    void PaintTopRight();

    void ApplyModeOptions();
    void CollectModeSettings(design::ModeSettings& s) const;
    void SetTabsForMode();

    std::unique_ptr<SingleInstance> instance_;
    bool instanceRefused_ = false;
    bool shown_ = false;
};

// The one main window of the program (set by its constructor, cleared by its destructor).
extern TForm_Main* Form_Main;

// Operating modes and pages on the window: start-up and shut-down state, the mode switch, the
// page switch with its access codes, the slave-ID tree and the country box. The files are read
// and written by the design layer; this side moves the window's controls.
#include "app/Main.h"
#include "app/Formwait.h"

#include "common/Tables.h"
#include "design/CountryList.h"
#include "design/DisplayOptions.h"
#include "design/LayoutFile.h"
#include "design/ModeSettings.h"
#include "design/ModeState.h"
#include "design/PageSwitch.h"
#include "design/PreviousSet.h"
#include "design/SettingsOnForm.h"

#include <QFileInfo>
#include <algorithm>
#include <utility>

using namespace vcl;

namespace {

template <class T>
T* Find(const TComponent* owner, const char* name)
{
    return dynamic_cast<T*>(owner->FindComponent(QString::fromLatin1(name)));
}

void SetVisibleIfPresent(const TComponent* owner, const char* name, bool visible)
{
    if (auto* c = Find<TControl>(owner, name))
        c->SetVisible(visible);
}

} // namespace

// ---- Start-up and shut-down -----------------------------------------------------------------

void TForm_Main::FormShow(TObject*)
{
    if (shown_)
        return;
    shown_ = true;

    StopRequest = 1;
    CurrentPageIndex = -1;
    PageControl->SetTabIndex(0);
    for (TTabSheet* sheet : TabSheets)
        sheet->SetTabVisible(false);
    Tab_Firmware->SetTabVisible(false);

    ReclosureRate = 10;
    ReactiveSign = 0;
    PowerMultiplier = 1;
    EnergyMultiplier = 10;
    VoltageDivisor = 10;
    IdcDivisor = 100;
    IacDivisor = 100;

    ResetPageScroll();
    for (TScrollBox* box : ScrollPages)
        box->SetPopupMenu(nullptr); // the designer's menu pops up only in the super-user mode

    design::PreviousSet previous;
    if (design::LoadPreviousSet(design::PreviousSetPath(ProgramFolder()), previous) == 0) {
        Edit_StartID->SetText(previous.startId);
        Edit_EndID->SetText(previous.endId);
        LanguageIndex = previous.languageIndex;
        for (int id = 1; id <= design::kPreviousSetMaxId; ++id) {
            Link.IdFound[id] = previous.idFound[static_cast<size_t>(id)];
            Link.IdBaudCode[id] = previous.idBaudCode[static_cast<size_t>(id)];
        }
    }
    BuildFoundIdList(FoundIdList, Link.IdFound, Link.IdBaudCode);

    if (LanguageIndex > 0) {
        LanguageChange(LanguageIndex);
        if (LanguageIndex == 1)
            Label_SelectLanguage->SetCaption(QStringLiteral("German"));
        else if (LanguageIndex == 2)
            Label_SelectLanguage->SetCaption(QStringLiteral("French"));
    }

    TreeView->Items()->Clear();
    IdTreeRoot = TreeView->Items()->Add(nullptr, QStringLiteral("Inverters"));
    IdTreeRoot->SetImageIndex(0);
    IdTreeRoot->SetSelectedIndex(0);
    BuildIdTree();

    for (TPanel* panel : GroupPanels) {
        panel->SetVisible(false);
        panel->SetHeight(design::kCollapsedHeight);
    }

    Combo_SelectMode->Items()->Clear();
    for (const QString& name : design::OfferedModeNames(ProgramFolder()))
        Combo_SelectMode->Items()->Add(name);
    Combo_SelectMode->SetItemIndex(-1);

    PaintTitleBars();
    PaintHeaderBackgrounds();
    PaintTopRight();
}

void TForm_Main::FormClose(TObject*, TCloseAction&)
{
    Hide();
    ResetPageScroll();
    StopRequest = 1;
    // A scan under way ends at its next probe, and its wait window goes with this window. Any
    // other operation ends at its next request and says what it left undone: once the window
    // has gone, nothing more is written.
    Link.ScanStop = 1;
    Link.StopAll();
    deferredMode_.clear();
    deferredDrop_.clear();
    deferredLoad_ = false;
    if (Form_wait)
        Form_wait->Close();
    if (Combo_SelectMode->ItemIndex() != -1 && !CurrentModeFolder.isEmpty()) {
        SaveCurrentPageDesign();
        design::ModeSettings settings;
        CollectModeSettings(settings);
        design::SaveMonitorSet(design::ModeSettingsPath(CurrentModeFolder), settings, SuperUserMode);
    }
    SaveRememberedState();
}

int TForm_Main::SaveRememberedState()
{
    design::PreviousSet previous;
    previous.startId = Edit_StartID->Text();
    previous.endId = Edit_EndID->Text();
    previous.languageIndex = LanguageIndex;
    for (int id = 1; id <= design::kPreviousSetMaxId; ++id) {
        // An unfinished scan never replaces the inverters remembered before it.
        previous.idFound[static_cast<size_t>(id)] = Link.KnownIdFound(id);
        previous.idBaudCode[static_cast<size_t>(id)] = Link.KnownIdBaudCode(id);
    }
    return design::SavePreviousSet(design::PreviousSetPath(ProgramFolder()), previous);
}

void TForm_Main::PageControlMouseDown(TObject*, TMouseButton, TShiftState, int, int)
{
}

// ---- Mode switch ----------------------------------------------------------------------------

void TForm_Main::Combo_SelectModeChange(TObject*)
{
    // While an operation holds the link the switch would change the target inside its waits.
    // An image load or a programming run refuses it (the upgrade page stays, with no mode);
    // after any other operation, which ends by itself shortly, the switch is made.
    if (UpgradeLoadBusy()) {
        RefusedWhileLinkHeld();
        Combo_SelectMode->SetItemIndex(-1);
        return;
    }
    if (LinkHeld()) {
        deferredMode_ = Combo_SelectMode->Text();
        return;
    }
    Timer_Datalog->SetEnabled(false);
    Timer_Record->SetEnabled(false);

    const QString modeName = Combo_SelectMode->Text();
    if (modeName == design::kFactoryReloadName) {
        int layoutTabs = 0;
        for (TTabSheet* sheet : TabSheets)
            layoutTabs += sheet->TabVisible() ? 1 : 0;
        const bool allowed = design::FactoryReloadAllowed(PageControl->TabIndex(), layoutTabs, CurrentPageIndex);
        if (allowed)
            ShowPageDesign(design::FactoryLayoutPath(ProgramFolder(), CurrentPageIndex));
        // The list shows the designer mode again (choosing it from code runs no mode switch);
        // when nothing could be reloaded it shows the mode in use.
        const int superHero = Combo_SelectMode->Items()->IndexOf(design::kSuperUserModeName);
        if (allowed && superHero >= 0)
            Combo_SelectMode->SetItemIndex(superHero);
        else if (!allowed)
            Combo_SelectMode->SetItemIndex(
                CurrentModeFolder.isEmpty() ? -1 : Combo_SelectMode->Items()->IndexOf(QFileInfo(CurrentModeFolder).fileName()));
        return;
    }

    CurrentModeFolder = design::ModeFolderPath(ProgramFolder(), modeName);
    if (design::LoadMonitorSet(design::ModeSettingsPath(CurrentModeFolder), ModeFile) == 1)
        vcl::MessageBox(design::kMsgNoSettingFile1);
    else {
        design::ApplyPollsAndTitles(*this, ModeFile, [this](const QString& english) { return CaptionInLanguage(english); });
        static_cast<design::ModeOptions&>(*this) = ModeFile;
    }
    ApplyModeOptions();

    design::LoadCountryList(CurrentModeFolder, CountryListFile);

    const std::uint8_t wasSuperUser = SuperUserMode;
    SuperUserMode = modeName == design::kSuperUserModeName ? 1 : 0;
    for (TScrollBox* box : ScrollPages)
        box->SetPopupMenu(SuperUserMode ? ScrollPopMenu : nullptr);
    PageControl->SetPopupMenu(SuperUserMode ? ScrollPopMenu : nullptr);
    SetTabsForMode();

    PageControl->SetTabIndex(0);
    if (wasSuperUser == 0 && SuperUserMode == 1) {
        // The ordinary mode's page on screen must not be saved into the designer's folder.
        SuperUserMode = 0;
        PageControlChange(PageControl);
        SuperUserMode = 1;
    } else {
        PageControlChange(PageControl);
    }

    CountryListInit();
    ExeSelectInv(0);
    Link.CommandCode = 0;
    SettleClaim();
    RememberedPassword.clear();
    ResumePollingAfterModeSwitch();
}

void TForm_Main::RunDeferredActions()
{
    if (LinkHeld())
        return;
    if (deferredClose_) {
        // Close came while the upgrade page's operation held the link: nothing else runs.
        deferredMode_.clear();
        deferredDrop_.clear();
        deferredLoad_ = false;
        if (FirmwarePageFlag == 1 && !OpenPort->Enabled())
            CloseLink();
        deferredClose_ = false;
        return;
    }
    if (deferredLoad_) {
        deferredLoad_ = false;
        Btn_LoadHEX->OnClick(Btn_LoadHEX);
    }
    if (!deferredDrop_.isEmpty() && !LinkHeld())
        OnDropFiles(this, std::exchange(deferredDrop_, QStringList()));
    if (deferredMode_.isEmpty() || LinkHeld())
        return;
    const int index = Combo_SelectMode->Items()->IndexOf(std::exchange(deferredMode_, QString()));
    if (index < 0)
        return;
    Combo_SelectMode->SetItemIndex(index);
    Combo_SelectModeChange(Combo_SelectMode);
}

// The display options of the mode settings that the window's own controls follow.
void TForm_Main::ApplyModeOptions()
{
    const design::CaptionLanguage language = [this](const QString& english) { return CaptionInLanguage(english); };
    design::ApplyJapanUserSettingLayout(*this, JapanUserSettingMode, language);
    design::ApplyVacProtectSet(*this, VacProtectSet, language);
    design::ApplyFreqProtectCaptions(*this, ShowGsFacMode, language);
    design::ApplyQofUCaptions(*this, ShowQofUMode, language);
    design::ApplyAcOutputTitles(*this, ShowAcTitle, language);
    SetVisibleIfPresent(this, "Group_ConstVolt", ConstVoltShow == 1);

    if (ReactivePowerMode == 0 || ReactivePowerMode == 1) {
        SetVisibleIfPresent(this, "Combo_ReactiveMode", ReactivePowerMode == 0);
        SetVisibleIfPresent(this, "Combo_ReactiveModeForJapan", ReactivePowerMode == 1);
    }
    for (const char* name : {"Label_ShowLang", "Label_LanguageSelect", "Combo_LanguageSelect"})
        SetVisibleIfPresent(this, name, LanguageSelectShow == 1);

    // The expanded height of the active-power panel follows the slope option; it is set before
    // the page is shown so that the layout's height test already uses it.
    GroupPanel(QStringLiteral("Group_ActivePower"))->SetTag(ActiveSlopeShow == 1 ? 250 : 200);
}

void TForm_Main::CollectModeSettings(design::ModeSettings& s) const
{
    s = ModeFile;
    design::CollectPollsAndTitles(*this, s, [this](const QString& shown) { return CaptionInEnglish(shown); });
    static_cast<design::ModeOptions&>(s) = *this;
}

void TForm_Main::SetTabsForMode()
{
    for (int page = 0; page < design::kPageCount; ++page) {
        TTabSheet* sheet = TabSheets[static_cast<size_t>(page)];
        sheet->SetTabVisible(page < 3 || SuperUserMode == 1);
        if (page == 1 || page == 2)
            sheet->SetCaption(design::TabCaption(page, SuperUserMode == 1));
    }
    SetVisibleIfPresent(this, "Group_UseForFactory", SuperUserMode == 1);
    Radio_ComSub1g->SetVisible(SuperUserMode == 1);
    // A mode without the radio link shows no radio frequency.
    Edit_RolaNextFreq->SetVisible(Radio_ComSub1g->Visible() && Radio_ComSub1g->Checked());
    Tab_Firmware->SetTabVisible(false);
}

// ---- Page switch and access codes -----------------------------------------------------------

void TForm_Main::PageControlChange(TObject* Sender)
{
    if (Combo_SelectMode->ItemIndex() == -1)
        return;
    SaveCurrentPageDesign();
    CurrentPageIndex = PageControl->TabIndex();
    if (CurrentPageIndex == design::LayoutTabCount(SuperUserMode == 1))
        return; // the upgrade tab after the layout tabs

    // A service page asks for the access code (once per mode); a wrong one goes back to page 0.
    if (CurrentPageIndex > 0 && CheckServicePassword() == 0) {
        PageControl->SetTabIndex(0);
        PageControlChange(Sender);
        return;
    }

    const int layout = design::LayoutNumberForTab(CurrentPageIndex, SuperUserMode == 1, RememberedPassword);
    if (layout < 0)
        return;
    ShowPageDesign(design::LayoutPath(CurrentModeFolder, layout));
}

// The page switch's building blocks are the design layer's, on this window's controls.
int TForm_Main::CheckServicePassword()
{
    return design::CheckServicePassword(SuperUserMode == 1, RememberedPassword);
}

int TForm_Main::SaveCurrentPageDesign()
{
    return design::SaveCurrentPageDesign(*this, ProgramFolder(), Combo_SelectMode->ItemIndex() != -1,
                                         SuperUserMode == 1, CurrentPageIndex);
}

int TForm_Main::ShowPageDesign(const QString& path)
{
    return design::ShowPageDesign(*this, path, PageControl->TabIndex());
}

int TForm_Main::ResetPageScroll()
{
    return design::ResetPageScroll(*this);
}

// ---- Slave-ID tree and country box ----------------------------------------------------------

void TForm_Main::BuildIdTree()
{
    while (IdTreeRoot->Count() > 0)
        IdTreeRoot->Item(IdTreeRoot->Count() - 1)->Delete();
    const int count = std::clamp(FoundIdList[0], 0, 254);
    for (int i = 1; i <= count; ++i)
        SetNodeImages(TreeView->Items()->AddChild(IdTreeRoot, QStringLiteral("ID:%1").arg(FoundIdList[i], 3, 10, QLatin1Char('0'))), 1);
    ExeSelectInv(0);
    IdTreeRoot->Expand(false);
    CountryListInit();
    TreeView->FullExpand();
}

void TForm_Main::ExeSelectInv(int index)
{
    ForgetRelayAlarmWord();
    if (index < 0 || index >= FoundIdList[0] || !IdTreeRoot)
        return;
    for (int i = 0; i < IdTreeRoot->Count(); ++i)
        SetNodeImages(IdTreeRoot->Item(i), i == index ? 2 : 1);
    // The first inverter found is addressed, whichever node was marked. The Wi-Fi module answers
    // only to slave 255: while its link is open, an inverter remembered from RS-485 is never
    // addressed (its requests would go unanswered and monitoring would stop).
    const std::uint8_t before = Link.SlaveId;
    if (Link.LinkType != LinkWifi || OpenPort->Enabled())
        SelectFoundEntry(1);
    // Another inverter's values must not be scaled with the factors of the one before (after a
    // scan that would show 2300 V for 230 V until the tenth cycle): its version group and scale
    // factors are read in the next cycle, as after a double-click.
    if (Link.SlaveId != before)
        RereadScaleFactors();
    groups::RecoverRedLabels(*this);
}

void TForm_Main::CountryListInit()
{
    auto* combo = Find<TComboBox>(this, "Combo_Country");
    if (!combo)
        return; // the country panel brings its box
    combo->Items()->Clear();
    // The codes are taken from the list that fills the box, so that a pick always writes the
    // code of the name picked, whichever inverter is addressed when it is written.
    CountryBoxCodes.clear();
    if (!CountryListFile.UsesBuiltIn()) {
        const QStringList items = design::CountryBoxItems(CountryListFile);
        for (int k = 0; k < items.size(); ++k) {
            combo->Items()->Add(items[k]);
            CountryBoxCodes.push_back(k < CountryListFile.codeCount ? CountryListFile.codes[static_cast<size_t>(k)] : 0);
        }
        return;
    }
    const bool second = Link.IdProductId[Link.SlaveId] == CountryListProductId;
    const QString* names = second ? CountryNames2 : CountryNames1;
    const int* codes = second ? CountryCodes2 : CountryCodes1;
    for (int i = 0; i < 100; ++i) {
        if (names[i] == QLatin1String("END"))
            break;
        if (names[i].size() > 1) {
            CountryBoxCodes.push_back(codes[combo->Items()->Count()]);
            combo->Items()->Add(names[i]);
        }
    }
}

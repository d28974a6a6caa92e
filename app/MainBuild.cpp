// Construction of the main window: header band, slave-ID pane, pages, status bar and the
// non-visual components. The group panels are built in MainPanels.cpp.
#include "app/Main.h"
#include "app/MainBuild.h"
#include "app/PortList.h"
#include "app/SingleInstance.h"

#include <algorithm>
#include <type_traits>
#include <utility>

using namespace vcl;

TForm_Main* Form_Main = nullptr;

namespace {

constexpr int kHeaderHeight = 75;
constexpr int kHeaderBoxHeight = 74;
constexpr int kLeftPaneWidth = 140;

// The header band from the left: the link box, whose port box grows with the window up to the
// width of a by-id device path, the mode box and the tools box. The help button and the two
// folding labels keep a strip of their own at the right edge ("?" at width - 72); a box that
// reaches into it is cut off there, as the window's edge cuts it, and is never drawn under them.
constexpr int kHeaderGap = 4;
constexpr int kPortBoxNarrowest = 130;
constexpr int kPortBoxWidest = 440;
constexpr int kLinkBoxWithoutPortBox = 170;
constexpr int kModeBoxWidth = 244;
constexpr int kToolsBoxWidth = 430;
constexpr int kRightEdgeStrip = 72 + kHeaderGap;

// Widths of the 11 status panels, each wide enough for its longest text: slave ID, bit rate,
// progress, transmit count, port state, link counters, scale factors, device type, reactive
// sign and lock (an upgrade's progress), data-log count or RSSI (an upgrade's block address), SNR.
// The link's counters (panel 5) take the room of four five-digit numbers.
constexpr int kStatusWidths[11] = {70, 60, 120, 60, 80, 250, 264, 90, 120, 180, 70};

} // namespace

// The window's pictures live in a static library; their resource must be registered by name.
static void InitWindowResources()
{
    Q_INIT_RESOURCE(window);
}

TForm_Main::TForm_Main(TComponent* Owner) : TForm(Owner)
{
    InitWindowResources();
    Form_Main = this;
    SetName(QStringLiteral("Form_Main"));
    SetCaption(QStringLiteral("Sunvane V5.4.2"));
    SetBounds(0, 0, 1400, 860);

    BuildNonVisual();
    // Built bottom-up so that the aligned parts take their places in the right order: the
    // status bar at the bottom, the header band on top, the body in between.
    BuildStatusBar();
    BuildHeaderBand();
    PLACE(Panel1, Panel, this, alClient);
    BuildLeftPane();
    BuildPages();
    BuildGroupPanels();
    SetUpDesigner();
    SetUpMonitoring();
    SetUpCommands();
    SetUpStatusFamily();
    SetUpHeaderBand();

    RememberedPassword.clear();
    CountryListFile.names.fill(QString());

    OnShow = Method(this, &TForm_Main::FormShow);
    OnClose = Method(this, &TForm_Main::FormClose);
    OnResize = Method(this, &TForm_Main::FormResize);
    OnShortCut = Method(this, &TForm_Main::FormShortCut);
    FormCreate(this);
}

TForm_Main::~TForm_Main()
{
    if (Form_Main == this)
        Form_Main = nullptr;
}

void TForm_Main::BuildNonVisual()
{
    PLACE_COMPONENT(Timer_Record);
    Timer_Record->SetEnabled(false);
    Timer_Record->SetInterval(2000);
    PLACE_COMPONENT(Timer_Datalog);
    Timer_Datalog->SetEnabled(false);
    Timer_Datalog->SetInterval(1000);
    PLACE_COMPONENT(ScrollPopMenu);
    PLACE_COMPONENT(OpenDialog_OpenSetting);
    OpenDialog_OpenSetting->SetFilter(QStringLiteral("*.csv|*.csv"));
    PLACE_COMPONENT(Grid_MultiLang);
    Grid_MultiLang->SetVisible(false);
}

void TForm_Main::BuildHeaderBand()
{
    PLACE_AS(Group_Top, this, 0, 0, Width(), kHeaderHeight);
    Group_Top->SetAlign(alTop);
    PLACE(Image_TopRight, Image, Group_Top, nullptr, 0, 0, 3000, kHeaderHeight);

    // Link: RS-485, Wi-Fi or radio, the port, start and stop.
    PLACE_AS(GroupBox14, Group_Top, kHeaderGap, 0, kLinkBoxWithoutPortBox + kPortBoxNarrowest, kHeaderBoxHeight);
    PLACE(Image51, Image, GroupBox14, nullptr, 2, 2, 296, 70);
    Image51->SetTag(2);
    PLACE(Label2001, Label, GroupBox14, "Link", 10, 5, 120);
    PLACE(Radio_ComRS485, Radio, GroupBox14, "RS485", 10, 25, 72);
    PLACE(Radio_ComWifi, Radio, GroupBox14, "Wi-Fi", 10, 48, 72);
    PLACE(Radio_ComSub1g, Radio, GroupBox14, "Sub1G", 84, 48, 66);
    Radio_ComSub1g->SetVisible(false);
    PLACE(Combo_COM, Combo, GroupBox14, {}, csDropDown, 84, 22, kPortBoxNarrowest);
    for (const QString& port : SerialPortNames())
        Combo_COM->Items()->Add(port);
    PLACE(Edit_RolaNextFreq, Edit, GroupBox14, "928.9", 150, 47, 64, 22);
    Edit_RolaNextFreq->SetVisible(false);
    Edit_RolaNextFreq->SetHint(QStringLiteral("Radio frequency (MHz)"));
    PLACE_AS(OpenPort, GroupBox14, 218, 16, 39, 44);
    OpenPort->SetCaption(QStringLiteral("Open"));
    OpenPort->SetHint(QStringLiteral("start communication"));
    OpenPort->SetShowHint(true);
    PLACE_AS(ClosePort, GroupBox14, 258, 16, 39, 44);
    ClosePort->SetCaption(QStringLiteral("Close"));
    ClosePort->SetHint(QStringLiteral("stop communication"));
    ClosePort->SetShowHint(true);
    ClosePort->SetEnabled(false);
    Radio_ComRS485->SetChecked(true);

    // Monitor mode and sending to one inverter or to all found.
    PLACE_AS(GroupBox18, Group_Top, 308, 0, kModeBoxWidth, kHeaderBoxHeight);
    PLACE(Image56, Image, GroupBox18, nullptr, 2, 2, 240, 70);
    Image56->SetTag(2);
    PLACE(Label2002, Label, GroupBox18, "Monitor Mode", 10, 5, 120);
    PLACE(Combo_SelectMode, Combo, GroupBox18, {}, csDropDownList, 10, 28, 140);
    Combo_SelectMode->SetDropDownCount(12);
    PLACE(Radio_SendSingle, Radio, GroupBox18, "Single", 154, 22, 88);
    PLACE(Radio_CmdBroadcast, Radio, GroupBox18, "Broadcast", 154, 45, 88);
    Radio_SendSingle->SetChecked(true);

    // Tools: clock, firmware, protocol, grid settings, data log, language.
    PLACE_AS(GroupBox40, Group_Top, 556, 0, kToolsBoxWidth, kHeaderBoxHeight);
    PLACE(Image99, Image, GroupBox40, nullptr, 2, 2, 426, 70);
    Image99->SetTag(2);
    PLACE(Image_SyncClock, Image, GroupBox40, "SyncClock.png", 8, 4, 47, 48);
    PLACE(Label_SyncClock, Label, GroupBox40, "Sync Clock", 0, 54, 64, 16);
    PLACE(Image_Firmware, Image, GroupBox40, "Firmware.png", 66, 4, 47, 48);
    PLACE(Label2003, Label, GroupBox40, "Firmware", 58, 54, 64, 16);
    PLACE(Image_VantoSun, Image, GroupBox40, "ProtocolToStandard.png", 124, 4, 47, 48);
    Image_VantoSun->SetHint(QStringLiteral("Protocol"));
    PLACE(Image_SunVanto, Image, GroupBox40, "ProtocolToNative.png", 124, 4, 47, 48);
    Image_SunVanto->SetHint(QStringLiteral("Protocol"));
    Image_SunVanto->SetVisible(false);
    PLACE(Label_InvProtocol, Label, GroupBox40, "Protocol", 116, 54, 64, 16);
    PLACE(Image_OpenGridSet, Image, GroupBox40, "OpenGridSet.png", 182, 4, 47, 48);
    Image_OpenGridSet->SetHint(QStringLiteral("Load File & Execute"));
    Image_OpenGridSet->SetShowHint(true);
    PLACE(Image_SaveGridSet, Image, GroupBox40, "SaveGridSet.png", 230, 4, 47, 48);
    Image_SaveGridSet->SetHint(QStringLiteral("Save Setting"));
    Image_SaveGridSet->SetShowHint(true);
    PLACE(Label_GridSetLog, Label, GroupBox40, "Grid Setting", 182, 54, 95, 16);
    PLACE(Image_DataLog, Image, GroupBox40, "DataLog.png", 288, 4, 47, 48);
    PLACE(Label2004, Label, GroupBox40, "Data Log", 280, 54, 64, 16);
    PLACE(Image_DatalogOnce, Image, GroupBox40, "DataLog.png", 288, 4, 47, 48);
    Image_DatalogOnce->SetVisible(false);
    PLACE(Image_Country_USA, Image, GroupBox40, "FlagEnglish.png", 346, 4, 30, 20);
    Image_Country_USA->SetHint(QStringLiteral("English"));
    Image_Country_USA->SetShowHint(true);
    PLACE(Image_Country_Genman, Image, GroupBox40, "FlagGerman.png", 346, 26, 30, 20);
    Image_Country_Genman->SetHint(QStringLiteral("German"));
    Image_Country_Genman->SetShowHint(true);
    PLACE(Image_Country_French, Image, GroupBox40, "FlagFrench.png", 346, 48, 30, 20);
    Image_Country_French->SetHint(QStringLiteral("French"));
    Image_Country_French->SetShowHint(true);
    PLACE(Label_SelectLanguage, Label, GroupBox40, "English", 378, 28, 50, 16);
    for (TLabel* l : {Label_SyncClock, Label2003, Label_InvProtocol, Label_GridSetLog, Label2004,
                      Label_SelectLanguage}) {
        l->SetAlignment(taCenter);
        l->Font()->SetSize(8);
    }
    // Texts that follow the interface language (Tag 1).
    for (TLabel* l : {Label2001, Label2002, Label_SyncClock, Label2003, Label_InvProtocol,
                      Label_GridSetLog, Label2004})
        l->SetTag(1);
    Radio_SendSingle->SetTag(1);
    Radio_CmdBroadcast->SetTag(1);
    for (TImage* i : {Image_SyncClock, Image_Firmware, Image_VantoSun, Image_SunVanto, Image_DataLog,
                      Image_DatalogOnce, Image_Country_USA, Image_Country_Genman, Image_Country_French})
        i->SetTag(1);
    Image_OpenGridSet->SetTag(1);
    Image_SaveGridSet->SetTag(1);

    // Right edge: help, and the two labels that fold the header band and the left pane.
    PLACE(Btn_Help, Button, Group_Top, "?", Width() - 72, 40, 26, 26);
    Btn_Help->SetHint(QStringLiteral("Guide"));
    Btn_Help->SetShowHint(true);
    PLACE(Label_TopRetract, Label, Group_Top, "_", Width() - 65, -20, 20, 40);
    Label_TopRetract->Font()->SetSize(18);
    PLACE(Label_LeftDownRetract, Label, Group_Top, "<<", Width() - 40, 44, 30, 20);
    Label_LeftDownRetract->Font()->SetStyle(fsBold);

    Radio_ComWifi->OnClick = Method(this, &TForm_Main::Radio_ComWifiClick);
    Radio_ComRS485->OnClick = Method(this, &TForm_Main::Radio_ComRS485Click);
    Radio_ComSub1g->OnClick = Method(this, &TForm_Main::Radio_ComSub1gClick);
    Combo_COM->OnEnter = Method(this, &TForm_Main::Combo_COMEnter);
    Combo_SelectMode->OnChange = Method(this, &TForm_Main::Combo_SelectModeChange);
    Image_Country_USA->OnClick = Method(this, &TForm_Main::Image_Country_USAClick);
    Image_Country_Genman->OnClick = Method(this, &TForm_Main::Image_Country_GenmanClick);
    Image_Country_French->OnClick = Method(this, &TForm_Main::Image_Country_FrenchClick);
    Btn_Help->OnClick = Method(this, &TForm_Main::Btn_HelpClick);
    Label_TopRetract->OnClick = Method(this, &TForm_Main::Label_TopRetractClick);
    Label_LeftDownRetract->OnClick = Method(this, &TForm_Main::Label_LeftDownRetractClick);
    LayOutHeaderBand();
}

// Places the header band's boxes for the window's width (see the constants above).
void TForm_Main::LayOutHeaderBand()
{
    const int stripLeft = Width() - kRightEdgeStrip;
    const int restRight = kHeaderGap + kLinkBoxWithoutPortBox + kHeaderGap + kModeBoxWidth + kHeaderGap + kToolsBoxWidth;
    const int port = std::clamp(stripLeft - restRight, kPortBoxNarrowest, kPortBoxWidest);
    const int portLeft = Combo_COM->Left();
    Combo_COM->SetWidth(port);
    Edit_RolaNextFreq->SetLeft(portLeft + port - Edit_RolaNextFreq->Width());
    OpenPort->SetLeft(portLeft + port + 4);
    ClosePort->SetLeft(portLeft + port + 44);

    const std::pair<TGroupBox*, int> boxes[] = {
        {GroupBox14, kLinkBoxWithoutPortBox + port}, {GroupBox18, kModeBoxWidth}, {GroupBox40, kToolsBoxWidth}};
    int left = kHeaderGap;
    for (const auto& [box, width] : boxes) {
        box->SetBounds(left, box->Top(), std::clamp(stripLeft - left, 0, width), box->Height());
        left += width + kHeaderGap;
    }
    // The boxes' backgrounds keep their full size; a box cut off at the strip cuts its
    // background with it.
    Image51->SetWidth(kLinkBoxWithoutPortBox + port - 4);
    Image56->SetWidth(kModeBoxWidth - 4);
    Image99->SetWidth(kToolsBoxWidth - 4);
}

void TForm_Main::BuildLeftPane()
{
    PLACE(Panel_LeftDown, Panel, Panel1, alLeft, 0, 0, kLeftPaneWidth, 600);
    PLACE(Label2005, Label, Panel_LeftDown, "Start ID", 8, 9, 60);
    PLACE(Edit_StartID, Edit, Panel_LeftDown, "1", 72, 6, 60);
    PLACE(Label2006, Label, Panel_LeftDown, "End ID", 8, 37, 60);
    PLACE(Edit_EndID, Edit, Panel_LeftDown, "32", 72, 34, 60);
    Label2005->SetTag(1);
    Label2006->SetTag(1);
    PLACE(Btn_ScanID, Button, Panel_LeftDown, "Scan ID", 8, 64, 124, 28);
    PLACE_AS(TreeView, Panel_LeftDown, 4, 98, 132, 500);
    auto* images = build::Component<TImageList>(this, "ImageList_Tree");
    for (const char* picture : {"TreeRoot.png", "TreeInverter.png", "TreeCurrent.png"})
        images->Add(QStringLiteral(":/window/") + QString::fromLatin1(picture));
    TreeView->SetImages(images);

    PLACE(Panel_RightDown, Panel, Panel1, alClient);
}

void TForm_Main::BuildPages()
{
    PLACE_AS(PageControl, Panel_RightDown, 0, 0, 800, 600);
    PageControl->SetAlign(alClient);
    static const char* const kSheetNames[design::kPageCount] = {
        "TabSheet1", "TabSheet2", "TabSheet3", "TabSheet4", "TabSheet5", "TabSheet6", "TabSheet7"};
    static const char* const kBoxNames[design::kPageCount] = {
        "Scroll_Page1", "Scroll_Page2", "Scroll_Page3", "Scroll_Page4",
        "Scroll_Page5", "Scroll_Page6", "Scroll_Page7"};
    static const char* const kCaptions[design::kPageCount] = {
        "Main", "Config", "Ctrl", "Config2059", "Ctrl2059", "Config7352", "Ctrl7352"};
    for (int page = 0; page < design::kPageCount; ++page) {
        auto* sheet = new TTabSheet(this);
        sheet->SetName(QString::fromLatin1(kSheetNames[page]));
        sheet->SetPageControl(PageControl);
        sheet->SetCaption(QString::fromLatin1(kCaptions[page]));
        auto* box = build::Make<TScrollBox>(this, sheet, kBoxNames[page], 0, 0, 800, 600);
        box->SetAlign(alClient);
        TabSheets[page] = sheet;
        ScrollPages[page] = box;
    }
    Tab_Firmware = new TTabSheet(this);
    Tab_Firmware->SetName(QStringLiteral("Tab_Firmware"));
    Tab_Firmware->SetPageControl(PageControl);
    Tab_Firmware->SetCaption(QStringLiteral("Upgrade"));
    BuildUpgradePage();   // Upgrade page

    PageControl->OnChange = Method(this, &TForm_Main::PageControlChange);
    PageControl->OnMouseDown = Method(this, &TForm_Main::PageControlMouseDown);
}

void TForm_Main::BuildStatusBar()
{
    PLACE_AS(StatusBar, this, 0, 0, Width(), 22);
    StatusBar->SetAlign(alBottom);
    for (int width : kStatusWidths)
        StatusBar->Panels()->Add()->SetWidth(width);
}

TPanel* TForm_Main::GroupPanel(const QString& name) const
{
    const int i = design::GroupPanelIndex(name);
    return i < 0 ? nullptr : GroupPanels[static_cast<size_t>(i)];
}

TScrollBox* TForm_Main::PageBox(int page) const
{
    if (page < 0 || page >= design::kPageCount)
        return nullptr;
    return ScrollPages[static_cast<size_t>(page)];
}

void TForm_Main::SetStatusText(int panel, const QString& text)
{
    if (panel >= 0 && panel < StatusBar->Panels()->Count())
        StatusBar->Panels()->Items(panel)->SetText(text);
}

QString TForm_Main::StatusText(int panel) const
{
    if (panel >= 0 && panel < StatusBar->Panels()->Count())
        return StatusBar->Panels()->Items(panel)->Text();
    return QString();
}

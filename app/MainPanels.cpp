// The 135 group panels: each a titled panel with its expanded height as Tag, a title bar and
// its title label. The panels' inner controls are added by the builders of their families;
// every panel reserves its top 34 pixels for the title, and the content area below is the
// panel's width by its Tag less that.
#include "app/Main.h"
#include "app/MainBuild.h"

using namespace vcl;

namespace {

constexpr int kPanelWidth = 300;
constexpr int kTitleBarHeight = 30;

// Width of a group panel: the common width, or more where the content needs it.
int GroupPanelWidth(const QString& name)
{
    if (name == QLatin1String("Group_UacProtection"))
        return 520; // the second slow stage sits beside the first; some modes cut it off at 255
    if (name == QLatin1String("Group_Debug"))
        return 620; // the communication log
    return kPanelWidth;
}

// Name of a panel's title label: "Label_" and the panel name without "Group_" (as
// Label_GetAC1 or Label_UacProtection); the country panel's is Label_CountryTitle, since
// Label_Country shows the country value.
QString TitleLabelName(const QString& panelName)
{
    if (panelName == QLatin1String("Group_Country"))
        return QStringLiteral("Label_CountryTitle");
    return QStringLiteral("Label_") + panelName.mid(6);
}

bool IsMaskPanel(const QString& name)
{
    return name.startsWith(QLatin1String("Group_Mask"));
}

} // namespace

void TForm_Main::BuildGroupPanels()
{
    const auto specs = design::GroupPanels();
    int titleBars = 0;
    for (int i = 0; i < design::kGroupPanelCount; ++i) {
        const design::GroupPanelInfo& spec = specs[static_cast<size_t>(i)];
        const QString name = QString::fromLatin1(spec.name);
        const int width = GroupPanelWidth(name);
        auto* panel = new TPanel(this);
        panel->SetName(name);
        panel->SetParent(ScrollPages[0]);
        panel->SetTag(spec.tag);
        panel->SetBounds(3, 3, width, spec.tag);
        panel->SetVisible(false);

        auto* title = new TLabel(this);
        title->SetAutoSize(false);
        title->SetName(TitleLabelName(name));
        if (IsMaskPanel(name)) {
            // A plain white marker that shows only its digit.
            panel->SetBevelOuter(TPanel::bvNone);
            panel->SetColor(clWhite);
            title->SetParent(panel);
            title->SetBounds(6, 2, 40, 18);
        } else {
            panel->SetBevelOuter(TPanel::bvRaised);
            panel->SetColor(RGB(248, 250, 253));
            auto* bar = new TImage(this);
            bar->SetName(QStringLiteral("Image_Title%1").arg(++titleBars));
            bar->SetParent(panel);
            bar->SetTag(0);
            bar->SetBounds(0, 0, width - 1, kTitleBarHeight);
            title->SetParent(panel);
            title->SetBounds(10, 6, width - 20, 20);
            title->Font()->SetStyle(fsBold);
            title->SetTag(1); // titles follow the interface language
        }
        title->SetTransparent(true);
        title->SetCaption(QString::fromUtf8(spec.title));
        GroupPanels[static_cast<size_t>(i)] = panel;
        GroupTitles[static_cast<size_t>(i)] = title;
    }

    Group_Debug = GroupPanel(QStringLiteral("Group_Debug"));
    BuildDebugPanel(Group_Debug);
}

// The debug panel: the communication log and the button that prints every label into it.
void TForm_Main::BuildDebugPanel(TPanel* panel)
{
    const int w = panel->Width();
    const int h = panel->Tag();
    PLACE_AS(List_Event, panel, 6, 36, w - 12, h - 36 - 40);
    List_Event->SetReadOnly(true);
    PLACE(Btn_PrintLabel, Button, panel, "Print", w - 96, h - 34, 88, 28);
    Btn_PrintLabel->OnClick = Method(this, &TForm_Main::Btn_PrintLabelClick);
}

// The title bars of the group panels: a soft vertical gradient, 30 rows, from (200, 250, 255)
// down to (142, 192, 255), across the panel less one pixel.
void TForm_Main::PaintTitleBars()
{
    for (int i = 0; i < ComponentCount(); ++i) {
        auto* image = dynamic_cast<TImage*>(Components(i));
        if (!image || image->Tag() != 0 || !image->Parent())
            continue;
        if (!dynamic_cast<TPanel*>(image->Parent()) || image->Parent()->Tag() <= 0)
            continue;
        const int width = image->Parent()->Width() - 1;
        image->SetBounds(0, 0, width, kTitleBarHeight);
        TCanvas* canvas = image->Canvas();
        canvas->SetSize(width, kTitleBarHeight);
        for (int j = 0; j < kTitleBarHeight; ++j) {
            canvas->SetPenColor(RGB(200 - 2 * j, 250 - 2 * j, 255));
            canvas->MoveTo(0, j);
            canvas->LineTo(width, j);
        }
    }
}

// The backgrounds of the header band's three boxes: 2 pixels inside each box, one shade per
// row from (200, 250, 255) downwards.
void TForm_Main::PaintHeaderBackgrounds()
{
    for (TImage* image : {Image51, Image56, Image99}) {
        TWinControl* box = image->Parent();
        const int w = box->Width() - 4;
        const int h = box->Height() - 4;
        image->SetBounds(2, 2, w, h);
        TCanvas* canvas = image->Canvas();
        canvas->SetSize(w, h);
        for (int j = 0; j < h; ++j) {
            canvas->SetPenColor(RGB((200 - j) & 0xFF, (250 - j) & 0xFF, 255));
            canvas->MoveTo(0, j);
            canvas->LineTo(w, j);
        }
        image->SendToBack();
    }
}

// The header band's own background, 3000 pixels wide so that any window width is covered.
void TForm_Main::PaintTopRight()
{
    const int h = Group_Top->Height();
    Image_TopRight->SetBounds(0, 0, 3000, h);
    TCanvas* canvas = Image_TopRight->Canvas();
    canvas->SetSize(3000, std::max(h, 1));
    for (int i = 0; i <= h - 3; ++i) {
        canvas->SetPenColor(RGB((200 - i) & 0xFF, (250 - i) & 0xFF, 255));
        canvas->MoveTo(0, i);
        canvas->LineTo(3000, i);
    }
    Image_TopRight->SendToBack();
}

design::PanelStates TForm_Main::CollectPanelStates() const
{
    design::PanelStates states = design::InitialPanelStates();
    for (int i = 0; i < design::kGroupPanelCount; ++i) {
        const TPanel* panel = GroupPanels[static_cast<size_t>(i)];
        design::PanelState& s = states[static_cast<size_t>(i)];
        s.tag = panel->Tag();
        s.height = panel->Height();
        s.left = panel->Left();
        s.top = panel->Top();
        s.page = -1;
        for (int page = 0; page < design::kPageCount; ++page)
            if (panel->Parent() == ScrollPages[static_cast<size_t>(page)])
                s.page = page;
    }
    return states;
}

void TForm_Main::ApplyPanelHeightsAndPlaces(const design::PanelStates& states)
{
    for (int i = 0; i < design::kGroupPanelCount; ++i) {
        TPanel* panel = GroupPanels[static_cast<size_t>(i)];
        const design::PanelState& s = states[static_cast<size_t>(i)];
        if (s.height != panel->Height() || s.left != panel->Left() || s.top != panel->Top())
            panel->SetBounds(s.left, s.top, panel->Width(), s.height);
    }
}

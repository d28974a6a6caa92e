// The 135 group panels: each a titled panel with its expanded height as Tag, a title bar and
// its title label. The panels' inner controls are added by the builders of their families;
// every panel reserves its top 34 pixels for the title, and the content area below is the
// panel's width by its Tag less that.
#include "app/Main.h"
#include "app/MainBuild.h"

#include <QImage>
#include <QPixmap>

#include <algorithm>

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
// Label_Country shows the country value; the Japanese user settings' title is Label_JapanUserSet,
// the label their layout variant re-titles.
QString TitleLabelName(const QString& panelName)
{
    if (panelName == QLatin1String("Group_Country"))
        return QStringLiteral("Label_CountryTitle");
    if (panelName == QLatin1String("Group_JapUserSet"))
        return QStringLiteral("Label_JapanUserSet");
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

// The title bars of the group panels: a soft vertical shade, 30 rows, from (200, 250, 255)
// down to (142, 192, 255), across the panel less one pixel. The shades are one picture, drawn
// once, that each bar shows cut to its size.
void TForm_Main::PaintTitleBars()
{
    for (int i = 0; i < ComponentCount(); ++i) {
        auto* image = dynamic_cast<TImage*>(Components(i));
        if (!image || image->Tag() != 0 || !image->Parent())
            continue;
        if (!dynamic_cast<TPanel*>(image->Parent()) || image->Parent()->Tag() <= 0)
            continue;
        image->SetBounds(0, 0, image->Parent()->Width() - 1, kTitleBarHeight);
        image->SetCenter(false);
        image->LoadPicture(QStringLiteral(":/window/TitleBar.png"));
    }
}

// The backgrounds of the header band's three boxes: 2 pixels inside each box (their widths
// follow the window, LayOutHeaderBand), one shade per row from (200, 250, 255) downwards.
void TForm_Main::PaintHeaderBackgrounds()
{
    for (TImage* image : {Image51, Image56, Image99}) {
        TWinControl* box = image->Parent();
        image->SetBounds(2, 2, image->Width(), box->Height() - 4);
        image->SetCenter(false);
        image->SetStretch(true); // the link box widens with its port box
        image->LoadPicture(QStringLiteral(":/window/HeaderBox.png"));
        image->SendToBack();
    }
}

// The header band's own background, 3000 pixels wide so that any window width is covered:
// one shade per row, all rows but the last two. The shades are kept as one column and laid
// across here: decoding the full width cost more than all the rest of the first paint.
void TForm_Main::PaintTopRight()
{
    Image_TopRight->SetBounds(0, 0, 3000, Group_Top->Height());
    if (!Image_TopRight->HasPicture()) {
        Image_TopRight->SetCenter(false);
        const QImage shades = QImage(QStringLiteral(":/window/HeaderBand.png"))
                                  .convertToFormat(QImage::Format_ARGB32_Premultiplied);
        QImage band(Image_TopRight->Width(), shades.height(), QImage::Format_ARGB32_Premultiplied);
        for (int y = 0; y < band.height(); ++y) {
            auto* row = reinterpret_cast<QRgb*>(band.scanLine(y));
            std::fill(row, row + band.width(), reinterpret_cast<const QRgb*>(shades.constScanLine(y))[0]);
        }
        Image_TopRight->SetPicture(QPixmap::fromImage(std::move(band)));
    }
    Image_TopRight->SendToBack();
}

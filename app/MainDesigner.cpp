// The page designer on the window (title labels, page boxes, the popup menu and its option
// items) and the hover pictures of the header band's buttons.
#include "app/Main.h"

#include "design/DesignerMenu.h"
#include "design/DisplayOptions.h"
#include "design/ModeState.h"

#include <QImage>
#include <QPainter>
#include <QWidget>

#include <array>
#include <map>

using namespace vcl;

namespace {

// The hover pictures of the three picture buttons: 47 x 48 colours each, column by column
// (the colour of pixel x, y is element x * 48 + y).
constexpr int kHoverWidth = 47;
constexpr int kHoverHeight = 48;
using HoverTable = std::array<TColor, kHoverWidth * kHoverHeight>;

struct HoverPictures {
    HoverTable normal{};
    HoverTable highlighted{};
};

constexpr TColor kFrameLight = RGB(200, 200, 200);
constexpr TColor kFrameDark = RGB(128, 128, 128);

// What the button shows at rest: its picture over the header box's background behind it.
QImage ButtonAtRest(TImage* image)
{
    QImage rest(std::max(1, image->Width()), std::max(1, image->Height()), QImage::Format_ARGB32);
    rest.fill(Qt::white);
    QPainter p(&rest);
    if (TWinControl* box = image->Parent()) {
        // The box's background picture is the first image of the box, stretched over it.
        for (int i = 0; i < box->ControlCount(); ++i) {
            auto* back = dynamic_cast<TImage*>(box->Controls(i));
            if (!back || back == image || back->Tag() != 2 || !back->HasPicture())
                continue;
            const QImage picture = back->Picture().scaled(std::max(1, back->Width()), std::max(1, back->Height()));
            p.drawImage(back->Left() - image->Left(), back->Top() - image->Top(), picture);
            break;
        }
    }
    p.drawImage(0, 0, image->Picture());
    return rest;
}

TColor ColorOf(const QImage& image, int x, int y)
{
    if (!image.valid(x, y))
        return clWhite;
    const QColor c = image.pixelColor(x, y);
    return RGB(c.red(), c.green(), c.blue());
}

// A lighter picture with a soft blue glow: how a button looks under the mouse.
TColor Highlight(TColor c)
{
    const int r = c & 0xFF, g = (c >> 8) & 0xFF, b = (c >> 16) & 0xFF;
    auto up = [](int v, int towards) { return v + (towards - v) * 2 / 5; };
    return RGB(up(r, 225), up(g, 240), up(b, 255));
}

HoverPictures MakeHoverPictures(TImage* image)
{
    HoverPictures h;
    const QImage rest = ButtonAtRest(image);
    for (int x = 0; x < kHoverWidth; ++x) {
        for (int y = 0; y < kHoverHeight; ++y) {
            const TColor c = ColorOf(rest, x, y);
            h.normal[static_cast<size_t>(x * kHoverHeight + y)] = c;
            h.highlighted[static_cast<size_t>(x * kHoverHeight + y)] = Highlight(c);
        }
    }
    return h;
}


// Paints every pixel of the button from the table, one by one.
void PaintTable(TImage* image, const HoverTable& table)
{
    TCanvas* canvas = image->Canvas();
    for (int x = 0; x < image->Width(); ++x)
        for (int y = 0; y < image->Height(); ++y)
            // A button larger than the table shows only the table's part.
            if (x < kHoverWidth && y < kHoverHeight)
                canvas->SetPixel(x, y, table[static_cast<size_t>(x * kHoverHeight + y)]);
}

} // namespace

// The hover tables, made from each button's look at rest when it is first hovered, and the
// framed buttons whose canvas was prepared.
struct DesignerParts {
    std::map<const TImage*, HoverPictures> tables;
    std::map<const TImage*, bool> prepared;

    const HoverPictures& PicturesOf(TImage* image)
    {
        auto it = tables.find(image);
        if (it == tables.end())
            it = tables.emplace(image, MakeHoverPictures(image)).first;
        return it->second;
    }

    // The canvas of a framed button starts as the button at rest, so that its corner colour is
    // the colour the user sees there.
    TCanvas* FrameCanvas(TImage* image)
    {
        TCanvas* canvas = image->Canvas();
        if (!prepared[image]) {
            prepared[image] = true;
            canvas->Draw(0, 0, ButtonAtRest(image));
        }
        return canvas;
    }
};

void TForm_Main::SetUpDesigner()
{
    designerParts_ = std::make_shared<DesignerParts>();
    design::BuildDesignerMenu(this, ScrollPopMenu, Method(this, &TForm_Main::Pop_Click));
    for (TLabel* title : GroupTitles) {
        if (!title)
            continue;
        title->OnMouseDown = Method(this, &TForm_Main::Label_MouseDown);
        title->OnMouseMove = Method(this, &TForm_Main::Label_MouseMove);
        title->OnMouseUp = Method(this, &TForm_Main::Label_MouseUp);
        title->OnDblClick = Method(this, &TForm_Main::Label_DblClick);
    }
    // Every page records the mouse, so that an item chosen on any page inserts its panel where
    // the mouse was on that page.
    for (TScrollBox* box : ScrollPages)
        box->OnMouseMove = Method(this, &TForm_Main::Scroll_PageMouseMove);
    // A right click opens the menu where the user clicked, over a panel too (where the page
    // sees no mouse move): the insert goes there, in the shown page's visible area.
    ScrollPopMenu->OnPopup = [this](TObject*) {
        TScrollBox* page = ShownPageBox();
        if (!page || !page->MouseWidget())
            return;
        const QPoint at = page->MouseWidget()->mapFromGlobal(QPoint(ScrollPopMenu->PopupX(), ScrollPopMenu->PopupY()));
        if (!page->MouseWidget()->rect().contains(at))
            return;   // opened on the tabs: the last place on the page stays
        PanelDrag.LastX = at.x();
        PanelDrag.LastY = at.y();
    };

    Image_SyncClock->OnMouseEnter = Method(this, &TForm_Main::Image_SyncClockMouseEnter);
    Image_SyncClock->OnMouseLeave = Method(this, &TForm_Main::Image_SyncClockMouseLeave);
    Image_DataLog->OnMouseEnter = Method(this, &TForm_Main::Image_DataLogMouseEnter);
    Image_DataLog->OnMouseLeave = Method(this, &TForm_Main::Image_DataLogMouseLeave);
    Image_Firmware->OnMouseEnter = Method(this, &TForm_Main::Image_FirmwareMouseEnter);
    Image_Firmware->OnMouseLeave = Method(this, &TForm_Main::Image_FirmwareMouseLeave);
    Image_OpenGridSet->OnMouseEnter = Method(this, &TForm_Main::Image_OpenGridSetMouseEnter);
    Image_OpenGridSet->OnMouseLeave = Method(this, &TForm_Main::Image_OpenGridSetMouseLeave);
    Image_SaveGridSet->OnMouseEnter = Method(this, &TForm_Main::Image_SaveGridSetMouseEnter);
    Image_SaveGridSet->OnMouseLeave = Method(this, &TForm_Main::Image_SaveGridSetMouseLeave);
    Image_DatalogOnce->OnMouseEnter = Method(this, &TForm_Main::Image_SaveGridSetMouseEnter);
    Image_DatalogOnce->OnMouseLeave = Method(this, &TForm_Main::Image_SaveGridSetMouseLeave);
}

TScrollBox* TForm_Main::ShownPageBox() const
{
    return PageBox(PageControl->TabIndex());
}

QString TForm_Main::CaptionInLanguage(const QString& english) const
{
    if (LanguageIndex <= 0)
        return english;
    const int row = FindGridRow(english, *Grid_MultiLang);
    return row > 0 ? Grid_MultiLang->Cells(LanguageIndex, row) : english;
}

QString TForm_Main::CaptionInEnglish(const QString& shown) const
{
    if (LanguageIndex <= 0)
        return shown;
    for (int row = 1; row < Grid_MultiLang->RowCount(); ++row)
        if (Grid_MultiLang->Cells(LanguageIndex, row) == shown)
            return Grid_MultiLang->Cells(0, row);
    return shown;
}

// ---- Designer --------------------------------------------------------------------------------

void TForm_Main::Scroll_PageMouseMove(TObject*, TShiftState, int X, int Y)
{
    PanelDrag.LastX = X;
    PanelDrag.LastY = Y;
}

void TForm_Main::Label_MouseDown(TObject* Sender, TMouseButton, TShiftState, int X, int Y)
{
    if (auto* label = dynamic_cast<TControl*>(Sender))
        if (TWinControl* panel = label->Parent())
            panel->BringToFront();
    PanelDrag.Start(X, Y);
}

void TForm_Main::Label_MouseMove(TObject* Sender, TShiftState, int X, int Y)
{
    if (SuperUserMode != 1)
        return;
    auto* label = dynamic_cast<TControl*>(Sender);
    if (!label)
        return;
    TScrollBox* page = ShownPageBox();
    PanelDrag.Move(label->Parent(), page ? page : ScrollPages[0], X, Y);
}

void TForm_Main::Label_MouseUp(TObject*, TMouseButton, TShiftState, int, int)
{
    PanelDrag.DownX = 0;
    PanelDrag.DownY = 0;
}

void TForm_Main::Label_DblClick(TObject* Sender)
{
    if (SuperUserMode != 1)
        return;
    if (auto* label = dynamic_cast<TControl*>(Sender))
        PanelDrag.Hide(label->Parent());
}

void TForm_Main::Pop_Click(TObject* Sender)
{
    auto* item = dynamic_cast<TComponent*>(Sender);
    if (!item)
        return;
    const int tag = item->Tag();
    auto insert = [this](const QString& name) {
        if (TPanel* panel = GroupPanel(name))
            PanelDrag.Show(panel, panel->Tag(), ShownPageBox());
    };
    const QString panel = design::DesignerMenuPanel(tag);
    if (!panel.isEmpty()) {
        insert(panel);
        return;
    }
    auto voltageCaptions = [this](int style) { groups::ApplyVoltageCaptions(OutputLabels, style, Readers.InLanguage); };
    design::OptionItemHost host{*this, *this, insert, voltageCaptions,
                                [this](const QString& english) { return CaptionInLanguage(english); }};
    design::RunOptionItem(tag, host);
}

// ---- Hover pictures --------------------------------------------------------------------------

void TForm_Main::Image_SyncClockMouseEnter(TObject*) { PaintTable(Image_SyncClock, designerParts_->PicturesOf(Image_SyncClock).highlighted); }
void TForm_Main::Image_SyncClockMouseLeave(TObject*) { PaintTable(Image_SyncClock, designerParts_->PicturesOf(Image_SyncClock).normal); }
void TForm_Main::Image_DataLogMouseEnter(TObject*) { PaintTable(Image_DataLog, designerParts_->PicturesOf(Image_DataLog).highlighted); }
void TForm_Main::Image_DataLogMouseLeave(TObject*) { PaintTable(Image_DataLog, designerParts_->PicturesOf(Image_DataLog).normal); }
void TForm_Main::Image_FirmwareMouseEnter(TObject*) { PaintTable(Image_Firmware, designerParts_->PicturesOf(Image_Firmware).highlighted); }
void TForm_Main::Image_FirmwareMouseLeave(TObject*) { PaintTable(Image_Firmware, designerParts_->PicturesOf(Image_Firmware).normal); }

// The grid-settings button takes the same raised frame along its own border as the others.
void TForm_Main::Image_OpenGridSetMouseEnter(TObject*) { Image_SaveGridSetMouseEnter(Image_OpenGridSet); }
void TForm_Main::Image_OpenGridSetMouseLeave(TObject*) { Image_SaveGridSetMouseLeave(Image_OpenGridSet); }

// A raised frame along the border of the button that sent the event.
void TForm_Main::Image_SaveGridSetMouseEnter(TObject* Sender)
{
    auto* image = dynamic_cast<TImage*>(Sender);
    if (!image)
        return;
    TCanvas* canvas = designerParts_->FrameCanvas(image);
    const int w = image->Width(), h = image->Height();
    for (int i = 1; i <= w - 2; ++i) {
        canvas->SetPixel(i, 0, kFrameLight);
        canvas->SetPixel(i, h - 1, kFrameDark);
    }
    for (int i = 1; i <= h - 2; ++i) {
        canvas->SetPixel(0, i, kFrameLight);
        canvas->SetPixel(w - 1, i, kFrameDark);
    }
}

void TForm_Main::Image_SaveGridSetMouseLeave(TObject* Sender)
{
    auto* image = dynamic_cast<TImage*>(Sender);
    if (!image)
        return;
    TCanvas* canvas = designerParts_->FrameCanvas(image);
    const int w = image->Width(), h = image->Height();
    const TColor corner = canvas->Pixel(0, 0);
    for (int i = 1; i <= w - 2; ++i) {
        canvas->SetPixel(i, 0, corner);
        canvas->SetPixel(i, h - 1, corner);
    }
    for (int i = 1; i <= h - 2; ++i) {
        canvas->SetPixel(0, i, corner);
        canvas->SetPixel(w - 1, i, corner);
    }
}

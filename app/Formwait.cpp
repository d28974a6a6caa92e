#include "app/Formwait.h"
#include "app/MainBuild.h"

using namespace vcl;

TForm_wait* Form_wait = nullptr;

namespace {
int waitTicks = 0;
}

TForm_wait::TForm_wait(TComponent* Owner) : TForm(Owner)
{
    Form_wait = this;
    SetName(QStringLiteral("Form_wait"));
    SetBorderStyle(bsNone);
    SetBounds(0, 0, 300, 306);
    SetColor(clBtnFace);
    SetPosition(poMainFormCenter);
    SetTransparentColor(true);
    SetTransparentColorValue(clBtnFace);
    PLACE(Image_Wait1, Image, this, "Wait1.png", 20, 20, 257, 265);
    PLACE(Image_Wait2, Image, this, "Wait2.png", 20, 20, 257, 265);
    PLACE(Image_Wait3, Image, this, "Wait3.png", 20, 20, 257, 265);
    Image_Wait2->SetVisible(false);
    Image_Wait3->SetVisible(false);
    PLACE_COMPONENT(Timer_Wait);
    Timer_Wait->SetInterval(1000);
    Timer_Wait->OnTimer = Method(this, &TForm_wait::Timer_WaitTimer);
    Timer_Wait->SetEnabled(true);
    OnShow = Method(this, &TForm_wait::FormShow);
}

TForm_wait::~TForm_wait()
{
    if (Form_wait == this)
        Form_wait = nullptr;
}

// Only the current picture is seen over the main window: the window's own ground is clear.
void TForm_wait::FormShow(TObject*)
{
    SetTransparentColor(true);
    SetTransparentColorValue(clBtnFace);
}

void TForm_wait::Timer_WaitTimer(TObject*)
{
    const int frame = waitTicks % 3;
    Image_Wait1->SetVisible(frame == 0);
    Image_Wait2->SetVisible(frame == 1);
    Image_Wait3->SetVisible(frame == 2);
    ++waitTicks;
}

int TForm_wait::TickCount()
{
    return waitTicks;
}

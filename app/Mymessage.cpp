#include "app/Mymessage.h"
#include "app/MainBuild.h"

using namespace vcl;

TForm_Message* Form_Message = nullptr;

TForm_Message::TForm_Message(TComponent* Owner) : TForm(Owner)
{
    Form_Message = this;
    SetName(QStringLiteral("Form_Message"));
    SetCaption(QStringLiteral("Sunvane"));
    SetBorderStyle(bsDialog);
    SetBounds(0, 0, 536, 216);
    SetPosition(poMainFormCenter);
    Font()->SetName(QStringLiteral("Tahoma"));
    PLACE(Image_Pass, Image, this, "ResultBackground.png", -134, -4, 689, 221);
    Image_Pass->SetStretch(true);
    PLACE(Label1, Label, this, "FIRMWARE UPGRADE", 30, 46, 480, 50);
    PLACE(Label2, Label, this, "COMPLETED", 30, 113, 480, 50);
    for (TLabel* l : {Label1, Label2}) {
        l->SetAlignment(taCenter);
        l->SetTransparent(true);
        l->Font()->SetName(QStringLiteral("Tahoma"));
        l->Font()->SetHeight(-37);
        l->Font()->SetColor(RGB(0, 128, 0));
    }
    PLACE(BitBtn1, Button, this, "Close", 213, 180, 116, 35);
    BitBtn1->Font()->SetName(QStringLiteral("Tahoma"));
    BitBtn1->Font()->SetHeight(-27);
    BitBtn1->SetCancel(true);
    BitBtn1->OnClick = Method(this, &TForm_Message::BitBtn1Click);
    OnShow = Method(this, &TForm_Message::FormShow);
}

void TForm_Message::FormShow(TObject*)
{
}

void TForm_Message::BitBtn1Click(TObject*)
{
    SetModalResult(mrClose);
    Close();
}

void TForm_Message::ShowSuccess()
{
    Label1->SetCaption(QStringLiteral("FIRMWARE UPGRADE"));
    Label2->SetCaption(QStringLiteral("COMPLETED"));
    Label1->Font()->SetColor(RGB(0, 128, 0));
    Label2->Font()->SetColor(RGB(0, 128, 0));
    Label2->Font()->SetSize(28);
}

void TForm_Message::ShowUncertain()
{
    Label1->SetCaption(QStringLiteral("Uncertain Results"));
    Label2->SetCaption(QStringLiteral("(Please confirm the selected version has been correctly updated?)"));
    Label1->Font()->SetColor(clBlack);
    Label2->Font()->SetColor(clBlack);
    Label2->Font()->SetSize(10);
}

void TForm_Message::ShowFailure()
{
    Label1->SetCaption(QStringLiteral("Failed"));
    Label2->SetCaption(QString());
    Label1->Font()->SetColor(RGB(180, 0, 0));
    Label2->Font()->SetColor(RGB(180, 0, 0));
}

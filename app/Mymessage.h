// The result window of a firmware programming run: two large centred lines over a soft
// background and a "Close" button (Esc closes it too). The upgrade page sets the texts, their
// colours and the size of the second line, then shows it modally.
#pragma once

#include "vcl/Kit.h"

class TForm_Message : public vcl::TForm {
public:
    explicit TForm_Message(vcl::TComponent* Owner = nullptr);

    vcl::TImage* Image_Pass = nullptr;
    vcl::TLabel* Label1 = nullptr;
    vcl::TLabel* Label2 = nullptr;
    vcl::TButton* BitBtn1 = nullptr;

    void FormShow(vcl::TObject* Sender);
    void BitBtn1Click(vcl::TObject* Sender);

    // The three outcomes of a programming run.
    void ShowSuccess();
    void ShowUncertain();
    void ShowFailure();
};

extern TForm_Message* Form_Message;

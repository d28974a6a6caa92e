// The wait window: a frameless busy indicator shown over the middle of the main window around
// long commands; its ground is see-through, so only the current picture shows.
// Three pictures take turns, one per tick of its timer; the timer runs from creation on and the
// tick count is never reset, so the animation resumes where it stopped.
#pragma once

#include "vcl/Kit.h"

class TForm_wait : public vcl::TForm {
public:
    explicit TForm_wait(vcl::TComponent* Owner = nullptr);
    // The global pointer never outlives the window it names.
    ~TForm_wait() override;

    vcl::TImage* Image_Wait1 = nullptr;
    vcl::TImage* Image_Wait2 = nullptr;
    vcl::TImage* Image_Wait3 = nullptr;
    vcl::TTimer* Timer_Wait = nullptr;

    void FormShow(vcl::TObject* Sender);
    void Timer_WaitTimer(vcl::TObject* Sender);

    // Ticks of the animation so far.
    static int TickCount();
};

extern TForm_wait* Form_wait;

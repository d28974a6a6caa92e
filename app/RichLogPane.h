// A rich-text log pane of the window as the communication log sees it.
#pragma once

#include "link/LogPane.h"
#include "vcl/ComCtrls.h"

class RichLogPane : public LogPane {
public:
    explicit RichLogPane(vcl::TRichEdit* edit) : edit_(edit) {}
    int LineCount() const override { return edit_->Lines()->Count(); }
    void Clear() override { edit_->Clear(); }
    void AddLine(const QString& text, LogColour colour) override
    {
        if (colour == LogColour::Red)
            edit_->AddLine(text, vcl::clRed);
        else
            edit_->Lines()->Add(text);
    }
    void ScrollToEnd() override { edit_->ScrollToEnd(); }

private:
    vcl::TRichEdit* edit_;
};

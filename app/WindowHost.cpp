// The main window as the host of the link.
#include "app/Main.h"
#include "app/Monitoring.h"
#include "app/RichLogPane.h"
#include "groups/ReaderFrame.h"
#include "vcl/Services.h"

#include <cstdio>

MainLinkHost::MainLinkHost(TForm_Main& form) : form_(form) {}

MainLinkHost::~MainLinkHost() = default;

void MainLinkHost::SetStatusPanel(int index, const QString& text)
{
    form_.SetStatusText(index, text);
}

void MainLinkHost::MarkStale()
{
    groups::MarkBlueLabelsStale(form_);
}

void MainLinkHost::RecoverStale()
{
    groups::RecoverRedLabels(form_);
}

LogPane* MainLinkHost::EventLog()
{
    if (!form_.List_Event)
        return nullptr;
    if (!log_)
        log_ = std::make_unique<RichLogPane>(form_.List_Event);
    return log_.get();
}

bool MainLinkHost::DebugPaneOpen()
{
    return form_.Group_Debug && form_.Group_Debug->Height() >= 50;
}

void MainLinkHost::ShowMessage(const QString& text)
{
    // After Close the window is gone: the word also goes to the error output, where a program
    // started from a terminal leaves it.
    if (!form_.Visible())
        std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
    vcl::MessageBox(text);
}

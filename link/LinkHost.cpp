#include "link/LinkHost.h"

#include "vcl/Services.h"

void LinkHost::Pump() { vcl::ProcessMessages(); }
void LinkHost::SetStatusPanel(int, const QString&) {}
void LinkHost::MarkStale() {}
void LinkHost::RecoverStale() {}
LogPane* LinkHost::EventLog() { return nullptr; }
bool LinkHost::DebugPaneOpen() { return false; }
void LinkHost::ShowMessage(const QString& text) { vcl::MessageBox(text); }

LinkHost& DefaultLinkHost()
{
    static LinkHost host;
    return host;
}

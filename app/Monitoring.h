// What the monitoring adds to the main window: the window as the link's host, and the data-log
// flag that closing the link clears.
#pragma once

#include "link/LinkHost.h"

#include <cstdint>
#include <memory>

class TForm_Main;
class RichLogPane;

// 1 while the continuous data log runs; closing the link stops it.
extern std::uint8_t DataLogActive;

// The main window as the link sees it: its status bar, the stale marking of its value labels,
// its communication log pane and its message boxes.
class MainLinkHost : public LinkHost {
public:
    explicit MainLinkHost(TForm_Main& form);
    ~MainLinkHost() override;
    void SetStatusPanel(int index, const QString& text) override;
    void MarkStale() override;
    void RecoverStale() override;
    LogPane* EventLog() override;
    bool DebugPaneOpen() override;
    void ShowMessage(const QString& text) override;

private:
    TForm_Main& form_;
    std::unique_ptr<RichLogPane> log_;
};

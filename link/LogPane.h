// A communication-log pane as the link sees it: a list of text lines that grows at the end.
// The window backs it with its rich-text panes (List_Event, the upgrade page's log); tests
// back it with a plain list. The link itself never touches a widget.
#pragma once

#include <QString>

enum class LogColour { Normal, Red };

class LogPane {
public:
    virtual ~LogPane() = default;
    virtual int LineCount() const = 0;
    virtual void Clear() = 0;
    // Adds one line at the end in the given text colour; the pane's colour for later lines stays.
    virtual void AddLine(const QString& text, LogColour colour) = 0;
    // Scrolls the pane to its last line (queued, as a posted scroll message would be).
    virtual void ScrollToEnd() = 0;
};

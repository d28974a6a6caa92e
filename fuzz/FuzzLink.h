// What the link targets share: a host that shows nothing but formats every log line, the kit's
// clock run fast (the link's waits are real time), and a Qt core application.
#pragma once

#include "link/LinkHost.h"
#include "link/LogPane.h"
#include "link/Modbus.h"
#include "vcl/Services.h"

#include <QCoreApplication>

namespace fuzzlink {

struct NullPane : LogPane {
    int lines = 0;
    int LineCount() const override { return lines; }
    void Clear() override { lines = 0; }
    void AddLine(const QString&, LogColour) override { ++lines; }
    void ScrollToEnd() override {}
};

struct QuietHost : LinkHost {
    NullPane pane;
    void Pump() override {}
    void SetStatusPanel(int, const QString&) override {}
    void MarkStale() override {}
    void RecoverStale() override {}
    LogPane* EventLog() override { return &pane; }
    bool DebugPaneOpen() override { return true; }
    void ShowMessage(const QString&) override {}
};

// Sets up the application and the fast clock once; `factor` scales every wait of the link.
inline QuietHost& Setup(double factor)
{
    static int argc = 1;
    static char name[] = "fuzz";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    static vcl::ScaledTimeService time(factor);
    static QuietHost host;
    vcl::SetTimeService(&time);
    return host;
}

// The request a reply answers: function code and register count from two bytes of the input.
struct Ask {
    std::uint8_t fc;
    int count;
};
inline Ask AskFrom(std::uint8_t a, std::uint8_t b)
{
    static const std::uint8_t codes[] = {1, 3, 4, 5, 6};
    return {codes[a % 5], b % 125 + 1};
}

// A reply the link accepted has a right CRC, and a read's reply the length the request asks for.
inline void CheckAccepted(const Modbus& link, const Ask& ask)
{
    if (link.ReplyOk != 1)
        return;
    if (link.ReplyLength < 4 || link.ReplyLength > Modbus::kReplySize || !Modbus::CheckCrc(link.Reply, link.ReplyLength))
        __builtin_trap();
    if ((ask.fc == 3 || ask.fc == 4) && link.Reply[1] == ask.fc && link.ReplyLength != 2 * ask.count + 5)
        __builtin_trap();
}

} // namespace fuzzlink

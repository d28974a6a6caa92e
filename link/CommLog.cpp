#include "link/CommLog.h"

#include "vcl/Services.h"

#include <exception>

namespace {
constexpr int kMaxLines = 5000;
constexpr int kMaxRxHexBytes = 4096;
} // namespace

QString HexBytes(const std::uint8_t* bytes, int count)
{
    static const char digits[] = "0123456789ABCDEF";
    QString text;
    text.reserve(count * 3);
    for (int i = 0; i < count; ++i) {
        text += QLatin1Char(' ');
        text += QLatin1Char(digits[bytes[i] >> 4]);
        text += QLatin1Char(digits[bytes[i] & 0x0F]);
    }
    return text;
}

int AppendLogLine(LogPane& pane, const QString& text)
{
    try {
        if (pane.LineCount() > kMaxLines)
            pane.Clear();
        pane.AddLine(text, LogColour::Normal);
        pane.ScrollToEnd();
        return 0;
    } catch (const std::exception&) {
        return 1;
    }
}

int AppendLogLineNow(LogPane& pane, const QString& text)
{
    pane.AddLine(text, LogColour::Normal);
    pane.ScrollToEnd();
    vcl::ProcessMessages();
    return 0;
}

int AppendLogLineRed(LogPane& pane, const QString& text)
{
    pane.AddLine(text, LogColour::Red);
    pane.ScrollToEnd();
    vcl::ProcessMessages();
    return 0;
}

int AppendTxHexLine(LogPane&, const std::uint8_t*, int)
{
    return 0;
}

int AppendRxHexLine(LogPane& pane, const std::uint8_t* bytes, int count)
{
    if (count > kMaxRxHexBytes)
        return 1;
    QString line = QStringLiteral("   Rx: ");
    for (int i = 0; i < count; ++i)
        line += HexBytes(bytes + i, 1).mid(1) + QLatin1Char(' ');
    pane.AddLine(line, LogColour::Normal);
    pane.ScrollToEnd();
    vcl::ProcessMessages();
    return 0;
}

int LogGridRows(int rowCount, const std::function<QString(int col, int row)>& cell, LogPane& pane)
{
    for (int row = 1; row < rowCount; ++row) {
        QString line;
        for (int col = 2; col <= 8; ++col)
            line += cell(col, 0) + QLatin1Char(':') + cell(col, row) + QStringLiteral(", ");
        AppendLogLineNow(pane, line);
    }
    return 0;
}

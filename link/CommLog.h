// Line appenders of the communication logs.
#pragma once

#include "link/LogPane.h"

#include <QString>
#include <cstdint>
#include <functional>

// Clears the pane when it already holds more than 5000 lines, adds the line, scrolls to the end.
// Returns 0, or 1 when adding the line failed.
int AppendLogLine(LogPane& pane, const QString& text);
// Adds the line (no line cap), scrolls, pumps the window messages once. Returns 0.
int AppendLogLineNow(LogPane& pane, const QString& text);
// As AppendLogLineNow, with the line in red. Returns 0.
int AppendLogLineRed(LogPane& pane, const QString& text);
// Writes nothing (requests are not logged this way). Returns 0.
int AppendTxHexLine(LogPane& pane, const std::uint8_t* bytes, int count);
// Adds "   Rx: " and each byte as two upper-case hex digits and a blank, scrolls, pumps once.
// Returns 1 (and adds nothing) when count is above 4096, else 0.
int AppendRxHexLine(LogPane& pane, const std::uint8_t* bytes, int count);
// For every row from 1 to rowCount - 1, one line (AppendLogLineNow) made of, for columns 2 to 8,
// the header cell of row 0, ":", the row's cell and ", ". cell(col, row) reads the grid.
int LogGridRows(int rowCount, const std::function<QString(int col, int row)>& cell, LogPane& pane);

// The hex text of bytes: one blank and two upper-case digits per byte (" 01 03 00").
QString HexBytes(const std::uint8_t* bytes, int count);

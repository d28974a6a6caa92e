#include "LinkTestSupport.h"
#include "link/CommLog.h"

namespace {

using linktest::RecordingPane;

TEST(CommLog, PaneIsClearedOnlyWhenItHoldsMoreThan5000Lines)
{
    RecordingPane pane;
    for (int i = 0; i < 5000; ++i)
        ASSERT_EQ(AppendLogLine(pane, QString::number(i)), 0);
    EXPECT_EQ(pane.LineCount(), 5000);
    AppendLogLine(pane, "5001st");
    EXPECT_EQ(pane.LineCount(), 5001);
    AppendLogLine(pane, "after the clear");
    EXPECT_EQ(pane.lines, QStringList{"after the clear"});
    EXPECT_EQ(pane.scrolls, 5002);
    // The other appenders never clear.
    for (int i = 0; i < 5001; ++i)
        AppendLogLineNow(pane, "x");
    AppendLogLineRed(pane, "red");
    EXPECT_EQ(pane.LineCount(), 5003);
    EXPECT_EQ(pane.colours.back(), LogColour::Red);
    EXPECT_EQ(pane.colours.front(), LogColour::Normal);
}

TEST(CommLog, RxHexLineAndItsLimit)
{
    RecordingPane pane;
    const std::uint8_t bytes[] = {0x01, 0xAB, 0x0F};
    EXPECT_EQ(AppendRxHexLine(pane, bytes, 3), 0);
    EXPECT_EQ(pane.lines, QStringList{"   Rx: 01 AB 0F "});
    std::vector<std::uint8_t> big(4097, 0x55);
    EXPECT_EQ(AppendRxHexLine(pane, big.data(), 4096), 0);
    EXPECT_EQ(AppendRxHexLine(pane, big.data(), 4097), 1);
    EXPECT_EQ(pane.LineCount(), 2);
    EXPECT_EQ(AppendTxHexLine(pane, bytes, 3), 0);
    EXPECT_EQ(pane.LineCount(), 2);
}

TEST(CommLog, GridRowsFromColumnTwoToEight)
{
    RecordingPane pane;
    auto cell = [](int col, int row) { return row == 0 ? QStringLiteral("H%1").arg(col) : QStringLiteral("%1.%2").arg(row).arg(col); };
    LogGridRows(1, cell, pane);
    EXPECT_EQ(pane.LineCount(), 0);   // a header row alone writes nothing
    LogGridRows(3, cell, pane);
    ASSERT_EQ(pane.LineCount(), 2);
    EXPECT_EQ(pane.lines[0], "H2:1.2, H3:1.3, H4:1.4, H5:1.5, H6:1.6, H7:1.7, H8:1.8, ");
    EXPECT_TRUE(pane.lines[1].startsWith("H2:2.2, "));
}

} // namespace

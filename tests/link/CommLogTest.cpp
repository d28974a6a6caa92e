#include "LinkTestSupport.h"
#include "link/CommLog.h"

#include <cstring>

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

namespace {

TEST(CommLog, RadioAndReplyLineFormats)
{
    linktest::RecordingHost host;
    Modbus link(&host);
    link.LinkType = LinkSub1g;
    link.Com.TxText = "rf tx 0504A002000135A4E900FF1072";
    const char text[] = "radio_rx 0103";
    std::memcpy(link.Com.RxBuffer, text, sizeof text);
    link.Com.RxCount = static_cast<int>(sizeof text - 1);
    const std::uint8_t reply[] = {0x01, 0x03, 0x02, 0x00, 0x2A, 0x39, 0x9B};
    std::memcpy(link.Reply, reply, sizeof reply);
    link.ReplyLength = sizeof reply;

    link.LogTx();
    link.LogRxText();
    link.LogReply();
    EXPECT_TRUE(host.pane.lines.isEmpty());   // debug panel collapsed

    host.debugOpen = true;
    link.LogTx();
    link.LogRxText();
    link.LogReply();
    EXPECT_EQ(host.pane.lines, (QStringList{"Tx:32:rf tx 0504A002000135A4E900FF1072",
                                            "Rx:13: r a d i o _ r x   0 1 0 3",
                                            "Rx:7: 01 03 02 00 2A 39 9B"}));
    host.pane.lines.clear();
    link.Com.RxCount = 3;
    link.ReplyLength = 3;
    link.LogRxText();
    link.LogRxHex();
    link.LogReply();
    EXPECT_TRUE(host.pane.lines.isEmpty());   // three bytes or fewer make no line
}

} // namespace

// The commands in the real main window (offscreen) against simulated inverters: the scan and
// the tree, the double-click, the register polls read and written, and the executor's frame
// (replacement, write lock, broadcast, pauses).
#include "CommandsWindow.h"

namespace {

using namespace monitortest;
using namespace commandstest;
using Bytes = std::vector<std::uint8_t>;

TEST_F(CommandsWindow, ScanFindsBothInvertersAndADoubleClickMovesPolling)
{
    Prepare();
    driver->Type("Edit_StartID", "3");
    driver->Type("Edit_EndID", "12");
    TForm_Main& w = *window;
    int stage = 0;
    int mark = 0;
    std::size_t framesAtDoubleClick = 0, framesAfterScan = 0;
    QStringList statusDuringScan, treeAfterScan;
    int idAfterScan = 0, rateAfterScan = 0, imageOf3 = 0, imageOf12 = 0;
    QString pacBefore, pacAfter;
    vcl::TColor pacColourAfter = 0;
    clock.start();
    fast.hook = [&] {
        if (Overdue(40000))
            return;
        switch (stage) {
        case 0:
            if (w.PollCycleCount >= 1) {
                driver->Click("Btn_ScanID");
                EXPECT_EQ(w.Link.CommandCode, 600);
                stage = 1;
            }
            break;
        case 1:
            statusDuringScan << driver->Status(0);
            if (w.Link.CommandCode == 0 && w.IdTreeRoot->Count() == 2) {
                treeAfterScan = driver->TreeItems();
                idAfterScan = w.Link.SlaveId;
                rateAfterScan = w.Link.Com.BaudRate;
                imageOf3 = w.IdTreeRoot->Item(0)->ImageIndex();
                imageOf12 = w.IdTreeRoot->Item(1)->ImageIndex();
                mark = w.PollCycleCount;
                framesAfterScan = bus.Frames().size();
                stage = 2;
            }
            break;
        case 2:
            // A whole cycle on inverter 3, then the user double-clicks the second inverter.
            if (w.PollCycleCount >= mark + 2 && Text("Label_PacR") != "??") {
                pacBefore = Text("Label_PacR");
                framesAtDoubleClick = bus.Frames().size();
                driver->DblClickNode("TreeView", "ID:012");
                pacAfter = Text("Label_PacR");
                pacColourAfter = driver->Color("Label_PacR");
                mark = w.PollCycleCount;
                stage = 3;
            }
            break;
        case 3:
            if (w.PollCycleCount >= mark + 2) {
                driver->Click("ClosePort");
                stage = 4;
            }
            break;
        }
    };
    driver->Click("OpenPort");
    fast.hook = nullptr;
    ASSERT_EQ(stage, 4);
    EXPECT_TRUE(dialogs.shown.isEmpty()) << dialogs.shown.join("; ").toStdString();

    // Both found with their rates and product IDs; the tree; inverter 3 current at its rate.
    EXPECT_EQ(w.Link.IdFound[3], 3);
    EXPECT_EQ(w.Link.IdBaudCode[3], 1);
    EXPECT_EQ(w.Link.IdProductId[3], 1003);
    EXPECT_EQ(w.Link.IdFound[12], 12);
    EXPECT_EQ(w.Link.IdBaudCode[12], 3);
    EXPECT_EQ(w.Link.IdProductId[12], 1012);
    EXPECT_EQ(w.Link.IdFound[1], 0);   // outside the range scanned
    EXPECT_EQ(w.FoundIdList[0], 2);
    EXPECT_EQ(treeAfterScan.mid(1), (QStringList{"ID:003", "ID:012"}));
    EXPECT_EQ(idAfterScan, 3);
    EXPECT_EQ(rateAfterScan, 9600);
    EXPECT_EQ(imageOf3, 2);
    EXPECT_EQ(imageOf12, 1);
    for (int id = 3; id <= 12; ++id)
        EXPECT_TRUE(statusDuringScan.contains(QStringLiteral("ID: %1").arg(id))) << id;

    // The inverter the scan made current has its version and scale factors read in the first
    // cycle after the scan, not ten cycles later.
    {
        const auto frames = bus.Frames();
        bool versionOf3 = false;
        for (std::size_t k = framesAfterScan; k < framesAtDoubleClick && k < frames.size(); ++k)
            versionOf3 = versionOf3 || (frames[k].bytes[0] == 3 && frames[k].bytes[1] == 3
                                        && (frames[k].bytes[2] << 8 | frames[k].bytes[3]) == 801);
        EXPECT_TRUE(versionOf3);
    }

    // The double-click: the labels reset at once, then the version of inverter 12 first,
    // every request to 12 at 38400 bit/s.
    EXPECT_EQ(pacBefore, "2800 W");
    EXPECT_EQ(pacAfter, "??");
    EXPECT_EQ(pacColourAfter, vcl::clBlue);
    const auto frames = bus.Frames();
    ASSERT_GT(frames.size(), framesAtDoubleClick);
    bool versionRead = false;
    // The request whose frame was already built when the double-click came still goes out with
    // the old ID (at the new rate, unanswered); every later one goes to inverter 12.
    for (std::size_t k = framesAtDoubleClick + 1; k < frames.size(); ++k) {
        EXPECT_EQ(frames[k].bytes[0], 12) << k;
        EXPECT_EQ(frames[k].baud, 38400) << k;
        if (frames[k].bytes[1] == 3 && (frames[k].bytes[2] << 8 | frames[k].bytes[3]) == 801)
            versionRead = true;
    }
    EXPECT_TRUE(versionRead);
    EXPECT_EQ(w.Link.SlaveId, 12);
    EXPECT_EQ(w.IdTreeRoot->Item(1)->ImageIndex(), 2);
    EXPECT_EQ(w.IdTreeRoot->Item(0)->ImageIndex(), 1);
    EXPECT_EQ(Text("Label_PacR"), "2800 W");
}

TEST_F(CommandsWindow, RangeEditsCheckTheirIdsOnLeaving)
{
    TForm_Main& w = *window;
    // Leaving the start edit for the end edit runs the start's check.
    driver->Type("Edit_StartID", "0");
    driver->Type("Edit_EndID", "40");
    EXPECT_EQ(dialogs.shown, QStringList{"ID Range 1~254"});
    EXPECT_EQ(Text("Edit_StartID"), "1");
    dialogs.shown.clear();

    struct Case { const char* start; const char* end; bool leaveStart; QString box; const char* startAfter; const char* endAfter; };
    const Case cases[] = {
        {"255", "32", true, "ID Range 1~254", "1", "32"},
        {"-3", "32", true, "ID Range 1~254", "1", "32"},
        {"abc", "32", true, "ID Range 1~254", "1", "32"},
        {"254", "32", true, "", "254", "32"},
        {"1", "0", false, "ID Range 1~254", "1", "32"},
        {"1", "255", false, "ID Range 1~254", "1", "32"},
        {"10", "5", false, "Error: End ID < Start ID", "10", "11"},
        {"254", "5", false, "Error: End ID < Start ID", "254", "254"},   // never beyond the last ID
        // A start remembered in the profile file as the largest number there is.
        {"2147483647", "5", false, "Error: End ID < Start ID", "2147483647", "254"},
        {"10", "10", false, "", "10", "10"},
    };
    for (const Case& c : cases) {
        w.Edit_StartID->SetText(c.start);
        w.Edit_EndID->SetText(c.end);
        if (c.leaveStart)
            w.Edit_StartIDExit(w.Edit_StartID);
        else
            w.Edit_EndIDExit(w.Edit_EndID);
        EXPECT_EQ(dialogs.shown, c.box.isEmpty() ? QStringList{} : QStringList{c.box}) << c.start << " " << c.end;
        EXPECT_EQ(Text("Edit_StartID"), c.startAfter) << c.start << " " << c.end;
        EXPECT_EQ(Text("Edit_EndID"), c.endAfter) << c.start << " " << c.end;
        dialogs.shown.clear();
    }
}

TEST_F(CommandsWindow, TheScanButton)
{
    TForm_Main& w = *window;
    // No polling: nothing is scanned.
    driver->Click("Btn_ScanID");
    EXPECT_EQ(dialogs.shown, QStringList{"Please Connect to Inverters first"});
    EXPECT_EQ(w.Link.CommandCode, 0);
    dialogs.shown.clear();

    // While polling, the range as the edits hold it (remembered texts are not checked on
    // leaving), then command 600.
    w.PollRunning = true;
    w.StopRequest = 0;
    struct Case { const char* start; const char* end; QString box; int code; };
    const Case cases[] = {
        {"0", "32", "ID Range 1~254", 0},
        {"1", "300", "ID Range 1~254", 0},
        {"10", "5", "Error: End ID < Start ID", 0},
        {"3", "12", "", 600},
    };
    for (const Case& c : cases) {
        w.Link.CommandCode = 0;
        w.Edit_StartID->SetText(c.start);
        w.Edit_EndID->SetText(c.end);
        w.Btn_ScanIDClick(w.Btn_ScanID);
        EXPECT_EQ(dialogs.shown, c.box.isEmpty() ? QStringList{} : QStringList{c.box}) << c.start;
        EXPECT_EQ(w.Link.CommandCode, c.code) << c.start;
        dialogs.shown.clear();
    }
    EXPECT_EQ(w.Link.ScanFirst, 3);
    EXPECT_EQ(w.Link.ScanLast, 12);

    // The Wi-Fi link has no scan.
    w.Link.CommandCode = 0;
    w.Link.LinkType = LinkWifi;
    w.Btn_ScanIDClick(w.Btn_ScanID);
    EXPECT_EQ(w.Link.CommandCode, 0);
    w.PollRunning = false;

    // On the upgrade page (the link left open, no polling) the scan runs at once.
    OpenWithoutLoop();
    w.FirmwarePageFlag = 1;
    w.StopRequest = 1;
    w.Edit_StartID->SetText("3");
    w.Edit_EndID->SetText("3");
    w.Btn_ScanIDClick(w.Btn_ScanID);
    EXPECT_TRUE(dialogs.shown.isEmpty());
    EXPECT_EQ(driver->TreeItems().mid(1), QStringList{"ID:003"});
    EXPECT_EQ(w.Link.SlaveId, 3);
}

TEST_F(CommandsWindow, DoubleClickOnTheRootOrOnTheWifiLinkDoesNothing)
{
    OpenWithThreeFound();
    TForm_Main& w = *window;
    w.Link.SlaveId = 1;
    driver->DblClickNode("TreeView", "Inverters");
    EXPECT_EQ(w.Link.SlaveId, 1);
    // The second node is the second ID found, in ascending order.
    driver->DblClickNode("TreeView", "ID:003");
    EXPECT_EQ(w.Link.SlaveId, 3);
    EXPECT_EQ(w.PollCycleCount, -1);
    w.Link.LinkType = LinkWifi;
    w.Link.SlaveId = 255;
    driver->DblClickNode("TreeView", "ID:012");
    EXPECT_EQ(w.Link.SlaveId, 255);
}

TEST_F(CommandsWindow, PollRowsReadAndWriteThroughTheLoop)
{
    Prepare();
    for (const char* g : {"Group_Poll01", "Group_Poll03", "Group_Poll04"})
        ShowPoll(g);
    SetRow("01", 2, "100");
    SetRow("02", 0, "24577");
    SetRow("21", 2, "100");
    SetRow("31", 2, "100");
    TForm_Main& w = *window;
    int stage = 0;
    QStringList firstRead;
    vcl::TColor colourOnPost = 0, colourOnCoilPost = 0;
    clock.start();
    fast.hook = [&] {
        if (Overdue(20000))
            return;
        switch (stage) {
        case 0:
            if (w.PollCycleCount >= 1) {
                firstRead = {Text("Label_PollVal01"), Text("Label_PollVal02"), Text("Label_PollVal21"), Text("Label_PollVal31")};
                bus.ClearFrames();
                driver->Enter("Edit_PollVal01", "1234");
                colourOnPost = driver->Color("Label_PollVal01");
                stage = 1;
            }
            break;
        case 1:
            if (Text("Label_PollVal01") == "1234" && Text("Label_PollVal21") == "1234") {
                EXPECT_EQ(driver->Color("Label_PollVal01"), vcl::clBlue);
                fast.sleeps.clear();
                driver->Enter("Edit_PollVal02", "1");
                colourOnCoilPost = driver->Color("Label_PollVal02");
                stage = 2;
            }
            break;
        case 2:
            if (Text("Label_PollVal02") == "1" && driver->Color("Label_PollVal02") == vcl::clBlue) {
                driver->Click("ClosePort");
                stage = 3;
            }
            break;
        }
    };
    driver->Click("OpenPort");
    fast.hook = nullptr;
    ASSERT_EQ(stage, 3);
    EXPECT_EQ(firstRead, (QStringList{"65535", "0", "-1", "FFFF"}));
    EXPECT_EQ(Text("Label_PollVal31"), "04D2");
    EXPECT_EQ(colourOnPost, vcl::clRed);
    EXPECT_EQ(colourOnCoilPost, vcl::clRed);
    EXPECT_EQ(bus.Holding(1, 100), 1234);
    EXPECT_EQ(bus.Coil(1, 24577), true);
    // Register 100 is wire address 99; coil 24577 is 0x6000, switched on with 0xFF00.
    auto writes = Writes();
    // The page selects of registers 800 and 801 belong to the paged readers on the page (the
    // measurement windows, the event log), not to the rows.
    std::erase_if(writes, [](const Write& w) { return w.reg == 800 || w.reg == 801; });
    ASSERT_EQ(writes.size(), 2u);
    EXPECT_EQ(writes[0], (Write{1, 9600, 100, 1234}));
    EXPECT_EQ(writes[1], (Write{1, 9600, 24577, 0xFF00}));
    // The coil write is followed by its pause.
    EXPECT_NE(std::find(fast.sleeps.begin(), fast.sleeps.end(), 500), fast.sleeps.end());
}

TEST_F(CommandsWindow, ALaterPostReplacesAnUnexecutedOne)
{
    Prepare();
    ShowPoll("Group_Poll01");
    SetRow("01", 2, "100");
    SetRow("05", 2, "101");
    OpenWithThreeFound();
    TForm_Main& w = *window;
    w.Link.SlaveId = 1;
    w.Link.SetBaudCode(1);
    driver->Enter("Edit_PollVal01", "7");
    driver->Enter("Edit_PollVal05", "8");
    ASSERT_EQ(w.PollCycle(), 0);
    EXPECT_EQ(Writes(), (std::vector<Write>{{1, 9600, 101, 8}}));
    EXPECT_EQ(bus.Holding(1, 100), 0xFFFF);
    // The first row's label stays red until its next read brings the old value back in blue.
    EXPECT_EQ(driver->Color("Label_PollVal01"), vcl::clRed);
    ASSERT_EQ(w.PollCycle(), 0);
    EXPECT_EQ(Text("Label_PollVal01"), "65535");
    EXPECT_EQ(driver->Color("Label_PollVal01"), vcl::clBlue);
    EXPECT_EQ(Text("Label_PollVal05"), "8");
}

TEST_F(CommandsWindow, TheWriteLockRefusesAllButScanAndClock)
{
    Prepare();
    ShowPoll("Group_Poll01");
    SetRow("01", 2, "100");
    SetRow("02", 0, "24577");
    OpenWithThreeFound();
    TForm_Main& w = *window;
    w.WriteLock = 1;
    w.SuperUserMode = 0;
    for (const char* row : {"Edit_PollVal01", "Edit_PollVal02"}) {
        driver->Enter(row, "1");
        ASSERT_EQ(w.PollCycle(), 0);
        EXPECT_EQ(dialogs.shown, QStringList{"Lock: Permission denied"}) << row;
        dialogs.shown.clear();
        EXPECT_EQ(w.Link.CommandCode, 0);   // dropped by the loop
    }
    EXPECT_TRUE(Writes().empty());
    EXPECT_TRUE(fast.sleeps.end() == std::find(fast.sleeps.begin(), fast.sleeps.end(), 500));

    // The clock synchronisation and the scan are never refused.
    w.Link.CommandCode = 400;
    EXPECT_EQ(w.ExecutePendingCommand(), 0);
    EXPECT_EQ(dialogs.shown, QStringList{"Sync Clock Done"});
    dialogs.shown.clear();
    EXPECT_FALSE(Writes().empty());
    bus.ClearFrames();
    w.Link.ScanFirst = 12;
    w.Link.ScanLast = 12;
    w.Link.CommandCode = 600;
    EXPECT_EQ(w.ExecutePendingCommand(), 0);
    EXPECT_TRUE(dialogs.shown.isEmpty());
    EXPECT_EQ(w.Link.CommandCode, 0);
    EXPECT_EQ(driver->TreeItems().mid(1), QStringList{"ID:012"});
    EXPECT_EQ(w.Link.SlaveId, 12);

    // The super-user mode writes through the lock.
    w.SuperUserMode = 1;
    driver->Enter("Edit_PollVal01", "5");
    ASSERT_EQ(w.PollCycle(), 0);
    EXPECT_EQ(Writes(), (std::vector<Write>{{12, 38400, 100, 5}}));
}

TEST_F(CommandsWindow, BroadcastWritesEveryInverterFoundAndPollingResumesOnTheCurrentOne)
{
    Prepare();
    ShowPoll("Group_Poll01");
    SetRow("01", 2, "100");
    SetRow("02", 0, "24577");
    OpenWithThreeFound();
    TForm_Main& w = *window;
    driver->MouseDown("Radio_CmdBroadcast");
    ASSERT_TRUE(w.Radio_CmdBroadcast->Checked());
    w.Link.SlaveId = 3;   // the current inverter (chosen by a double-click)
    w.Link.SetBaudCode(1);

    driver->Enter("Edit_PollVal01", "4660");
    ASSERT_EQ(w.PollCycle(), 0);
    EXPECT_EQ(Writes(), (std::vector<Write>{{1, 9600, 100, 4660}, {3, 9600, 100, 4660}, {12, 38400, 100, 4660}}));
    EXPECT_EQ(w.Link.SlaveId, 3);
    EXPECT_EQ(w.Link.Com.BaudRate, 9600);
    EXPECT_EQ(driver->Status(1), "9600");
    // The next cycle reads the current inverter at its rate.
    bus.ClearFrames();
    ASSERT_EQ(w.PollCycle(), 0);
    ASSERT_FALSE(bus.Frames().empty());
    for (const auto& f : bus.Frames()) {
        EXPECT_EQ(f.bytes[0], 3);
        EXPECT_EQ(f.baud, 9600);
    }

    // A coil: one 500 ms pause before the broadcast loop, then 0xFF00 to each without pauses.
    bus.ClearFrames();
    fast.sleeps.clear();
    driver->Enter("Edit_PollVal02", "1");
    ASSERT_EQ(w.PollCycle(), 0);
    EXPECT_EQ(Writes(), (std::vector<Write>{{1, 9600, 24577, 0xFF00}, {3, 9600, 24577, 0xFF00}, {12, 38400, 24577, 0xFF00}}));
    EXPECT_EQ(std::count(fast.sleeps.begin(), fast.sleeps.end(), 500), 1);
    for (int id : {1, 3, 12})
        EXPECT_EQ(bus.Coil(id, 24577), true) << id;

    // Code 6500 is for the current inverter only: under "Broadcast" it sends nothing.
    bus.ClearFrames();
    w.Link.CommandCode = 6500;
    w.Link.CommandAddress = 100;
    w.Link.CommandValue = 9;
    EXPECT_EQ(w.ExecutePendingCommand(), 0);
    EXPECT_TRUE(Writes().empty());
    EXPECT_EQ(w.Link.CommandCode, 0);

    // No inverter found: nothing is sent and the selection stays.
    w.FoundIdList[0] = 0;
    w.Link.CommandCode = 6;
    EXPECT_EQ(w.ExecutePendingCommand(), 0);
    EXPECT_TRUE(Writes().empty());
    EXPECT_EQ(w.Link.SlaveId, 3);
}

// A cycle ends with one blocking 10 ms pause: after every read of the cycle, before the
// command waiting in the mailbox.
TEST_F(CommandsWindow, EachCyclePausesTenMsBetweenItsReadsAndThePendingCommand)
{
    Prepare();
    ShowPoll("Group_Poll01");
    SetRow("01", 2, "100");
    OpenWithThreeFound();
    TForm_Main& w = *window;
    std::vector<std::size_t> framesAtPause;
    fast.onSleep = [&](int) { framesAtPause.push_back(bus.Frames().size()); };
    ASSERT_EQ(w.PollCycle(), 0);
    EXPECT_EQ(fast.sleeps, std::vector<int>{10});
    ASSERT_GT(bus.Frames().size(), 0u);
    EXPECT_EQ(framesAtPause, std::vector<std::size_t>{bus.Frames().size()});

    driver->Enter("Edit_PollVal01", "5");
    bus.ClearFrames();
    fast.sleeps.clear();
    framesAtPause.clear();
    ASSERT_EQ(w.PollCycle(), 0);
    fast.onSleep = nullptr;
    EXPECT_EQ(fast.sleeps, std::vector<int>{10});
    EXPECT_EQ(framesAtPause, std::vector<std::size_t>{0});   // the readers skip while a write waits
    EXPECT_EQ(Writes(), (std::vector<Write>{{1, 9600, 100, 5}}));
}

TEST_F(CommandsWindow, SingleWritesAndTheirPauses)
{
    OpenWithThreeFound();
    TForm_Main& w = *window;
    w.Link.SlaveId = 12;
    w.Link.SetBaudCode(3);
    struct Case { int code, reg, value; std::vector<Write> writes; int pauses; };
    const Case cases[] = {
        {5, 24577, 1, {{12, 38400, 24577, 0xFF00}}, 1},   // a coil on: 0xFF00, then 500 ms
        {5, 24577, 0, {{12, 38400, 24577, 0}}, 1},
        {6, 101, -2, {{12, 38400, 101, 0xFFFE}}, 0},
        {6500, 101, 3, {{12, 38400, 101, 3}}, 1},
        {36, 100, 7, {{12, 38400, 100, 7}, {12, 38400, 101, 8}}, 0},
        {12345, 100, 1, {}, 0},                           // unknown: dropped silently
    };
    for (const Case& c : cases) {
        bus.ClearFrames();
        fast.sleeps.clear();
        w.Link.CommandCode = c.code;
        w.Link.CommandAddress = c.reg;
        w.Link.CommandValue = static_cast<std::int16_t>(c.value);
        w.Link.CommandValue2 = 8;
        EXPECT_EQ(w.ExecutePendingCommand(), 0) << c.code;
        EXPECT_EQ(Writes(), c.writes) << c.code;
        EXPECT_EQ(std::count(fast.sleeps.begin(), fast.sleeps.end(), 500), c.pauses) << c.code;
        EXPECT_EQ(w.Link.CommandCode, 0) << c.code;
    }
    EXPECT_TRUE(dialogs.shown.isEmpty());
}

} // namespace

namespace {

TEST_F(CommandsWindow, CleanAllButtonsEmptyTheirOwnGroup)
{
    Prepare();
    ShowPoll("Group_Poll03");
    ShowPoll("Group_Poll04");
    for (int r = 1; r <= 10; ++r) {
        const QString suffix = groups::PollSuffix(2, r);
        SetRow(suffix, 1, QString::number(r));
        driver->Type("Edit_PollVal" + suffix, "9");
        window->PollGroups[2].Rows[static_cast<size_t>(r - 1)].Read->SetCaption("-5");
    }
    SetRow("31", 2, "802");
    driver->Click("Btn_Poll3ClearAll");
    for (int r = 1; r <= 10; ++r) {
        const QString suffix = groups::PollSuffix(2, r);
        EXPECT_EQ(driver->Index("Combo_PollType" + suffix), -1) << r;
        EXPECT_EQ(Text(("Edit_PollAddr" + suffix).toLatin1().constData()), "") << r;
        EXPECT_EQ(Text(("Edit_PollVal" + suffix).toLatin1().constData()), "") << r;
        EXPECT_EQ(Text(("Label_PollVal" + suffix).toLatin1().constData()), "-5") << r;
    }
    EXPECT_EQ(Text("Edit_PollAddr31"), "802");
    EXPECT_EQ(driver->Index("Combo_PollType31"), 2);
    driver->Click("Btn_Poll4ClearAll");
    EXPECT_EQ(Text("Edit_PollAddr31"), "");
}

} // namespace

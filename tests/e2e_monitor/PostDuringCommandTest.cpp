// The real program, driven through its remote user driver, with two simulated inverters on one
// bus: a setting entered in a panel while a command is inside its waits. The command keeps the
// register and value it started with for every inverter, and the entry is either carried out
// whole afterwards or refused with a word; it is never lost unsaid nor mixed into the command.
#include "MonitorFixture.h"
#include "OpenLink.h"

#include "support/RemoteProgram.h"

#include <QJsonArray>

#include <atomic>
#include <set>
#include <tuple>

namespace {

using namespace monitortest;
using ProgramRun = testsupport::RemoteProgram;

class PostDuringCommand : public RemoteMonitor {
protected:
    void SetUp() override
    {
        RemoteMonitor::SetUp();
        if (HasFatalFailure())
            return;
        // Inverters 1 and 2 remembered; two register polls on the first page.
        ASSERT_TRUE(ReplaceInFile(home.path() + "/profile/PreviousSet.RQX", "\nID2=0", "\nID2=1"));
        const QString page = home.path() + "/Monitor/MonitorSet0.RQX";
        ASSERT_TRUE(ReplaceInFile(page, "[Poll01]\nHeight=40", "[Poll01]\nHeight=5420\nTop=5\nLeft=620"));
        ASSERT_TRUE(ReplaceInFile(page, "[Poll02]\nHeight=40", "[Poll02]\nHeight=5430\nTop=5\nLeft=920"));
        bus.With(2, [](invsim::Inverter& inv) { invsim::LoadDemoInverter(inv); });
        for (int id : {1, 2}) {
            bus.SetHolding(id, 100, 4660);
            bus.SetHolding(id, 101, 4661);
        }
    }
    void TearDown() override
    {
        bus.OnFrame(nullptr);
        RemoteMonitor::TearDown();
    }
    // (slave, register, value) of the writes to the polled registers.
    std::set<std::tuple<int, int, int>> Writes() const
    {
        std::set<std::tuple<int, int, int>> out;
        for (const auto& f : bus.Frames()) {
            const int reg = (f.bytes[2] << 8 | f.bytes[3]) + 1;
            if (f.bytes.size() == 8 && f.bytes[1] == 6 && (reg == 100 || reg == 101))
                out.emplace(f.bytes[0], reg, f.bytes[4] << 8 | f.bytes[5]);
        }
        return out;
    }
};

TEST_F(PostDuringCommand, AnEntryDuringABroadcastWriteNeitherChangesItNorVanishes)
{
    ProgramRun run(home.path(), runtime.path());
    ASSERT_TRUE(openlink::OnRs485(run, bus.Path()));
    ASSERT_TRUE(openlink::Steps(run, {"pick Combo_PollType01 2", "text Edit_PollAddr01 100", "pick Combo_PollType02 2",
                                      "text Edit_PollAddr02 101", "mousedown Radio_CmdBroadcast"}));
    ASSERT_TRUE(openlink::Shows(run, "Label_PollVal01", "4660"));
    ASSERT_TRUE(openlink::Shows(run, "Label_PollVal02", "4661"));
    run.Ask("dialogs");

    // Once the broadcast's first write is on the wire, the replies to it come late: the program
    // is surely inside the command's waits when the second entry arrives.
    std::atomic<bool> writing{false};
    bus.OnFrame([&](const invsim::Frame& f) {
        if (writing || f.bytes.size() != 8 || f.bytes[1] != 6 || (f.bytes[2] << 8 | f.bytes[3]) != 99)
            return;
        for (int id : {1, 2})
            bus.AddFault(id, invsim::Fault{invsim::FaultKind::Delay, 150, -1, 1, 100});
        writing = true;
    });
    bus.ClearFrames();
    ASSERT_TRUE(run.Do("enter Edit_PollVal01 7"));
    ASSERT_TRUE(run.WaitFor([&] { return writing.load(); }, 15000));
    ASSERT_TRUE(run.Do("enter Edit_PollVal02 9"));

    // Both inverters took the broadcast's own register and value.
    ASSERT_TRUE(run.WaitFor([&] { return bus.Holding(2, 100) == 7 || bus.Holding(2, 101) == 9; }, 15000));
    EXPECT_EQ(bus.Holding(1, 100), 7);
    EXPECT_EQ(bus.Holding(2, 100), 7) << "the entry changed the command in progress";
    // A few cycles later: the entry was written to both inverters, or the user was told it was not.
    const auto now = bus.Frames().size();
    ASSERT_TRUE(bus.WaitForFrames(now + 30, 15000));
    QStringList shown;
    for (const auto& v : run.Ask("dialogs")["items"].toArray())
        shown << v.toString();
    const std::set<std::tuple<int, int, int>> broadcast = {{1, 100, 7}, {2, 100, 7}};
    const std::set<std::tuple<int, int, int>> both = {{1, 100, 7}, {2, 100, 7}, {1, 101, 9}, {2, 101, 9}};
    if (Writes() == broadcast) {
        EXPECT_EQ(shown, QStringList{"Please wait until the command has ended"}) << "the entry was lost unsaid";
        EXPECT_NE(run.ColourOf("Label_PollVal02"), "0x0000FF") << "a refused entry shows as pending";
    } else {
        EXPECT_EQ(Writes(), both);
        EXPECT_TRUE(shown.isEmpty()) << shown.join(" | ").toStdString();
    }

    // The window goes on: an entry now is written to both.
    ASSERT_TRUE(run.Do("enter Edit_PollVal02 11"));
    EXPECT_TRUE(run.WaitFor([&] { return bus.Holding(1, 101) == 11 && bus.Holding(2, 101) == 11; }, 15000));
    EXPECT_TRUE(run.Do("close"));
    EXPECT_TRUE(run.process.waitForFinished(15000));
}

} // namespace

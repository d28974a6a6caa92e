// The real program, driven through its remote user driver, with two simulated inverters on one
// bus: each operation that holds the link is interrupted, in one of its waits, by each user
// action that would start other link work or change the target. Every frame of the operation
// must reach the inverter it is for, the operation must end done or say that it did not, and the
// window must stay usable (or, after Close, the program must have ended).
#include "MonitorFixture.h"
#include "OpenLink.h"

#include "support/QtApp.h"
#include "support/RemoteProgram.h"

#include <QJsonArray>
#include <QTest>
#include <chrono>

#include <QFile>

#include <atomic>
#include <functional>
#include <map>
#include <set>
#include <tuple>

namespace {

using namespace monitortest;
using ProgramRun = testsupport::RemoteProgram;

const QString kImage = QStringLiteral(SUNVANE_SOURCE_DIR "/tests/upgrade/data/linear16_lf.hex");

int RegisterOf(const invsim::Frame& f) { return (f.bytes[2] << 8 | f.bytes[3]) + 1; }
bool IsModbus(const invsim::Frame& f) { return f.bytes.size() == 8; }

bool EnergyFrame(const invsim::Frame& f)
{
    if (!IsModbus(f))
        return false;
    const int reg = RegisterOf(f);
    return reg == 809 || reg == 810 || (reg >= 2048 && reg < 2160) || (reg >= 1076 && reg < 1080) ||
           (reg >= 24832 && reg < 24839) || reg == 24665 || (reg >= 44224 && reg < 44228);
}

enum class Row { EnergyRead, EnergyWrite, ClockSync, GridSave, GridLoad, BroadcastWrite, FirmwareThenLoad, Survey, Programming, Scan };
// Close is the window's; LinkClose the "Close" button beside "Open"; LinkLost the line going
// away under the operation.
enum class Action { TreeDoubleClick, ModeSwitch, ScanClick, Drop, Open, HeaderButton, Close, LinkClose, LinkLost };

const char* const kRowNames[] = {"EnergyRead", "EnergyWrite", "ClockSync", "GridSave", "GridLoad",
                                 "BroadcastWrite", "FirmwareThenLoad", "Survey", "Programming", "Scan"};
const char* const kActionNames[] = {"TreeDoubleClick", "ModeSwitch", "ScanClick", "Drop", "Open", "HeaderButton", "Close",
                                    "LinkClose", "LinkLost"};

// How each operation names itself when the window or the link closes under it.
const char* const kWorkNames[] = {"the energy transfer", "the energy transfer", "the clock synchronisation",
                                  "the grid setting transfer", "the grid setting transfer", "the command",
                                  "the image load", "the image load", "the programming run", "the scan"};

// The scan's probe of an ID (the boot loader's product-ID request).
bool ProbeFrame(const invsim::Frame& f) { return f.bytes.size() == 8 && f.bytes[1] == 0 && f.bytes[2] == 0xFF && f.bytes[3] == 0xFF; }

const QString kAccessCode = QStringLiteral("4780");

// The registers of the shipped grid-setting list, in its order.
std::vector<int> GridRegisters(const QString& home)
{
    std::vector<int> regs;
    QFile f(home + "/profile/ConfigModel.csv");
    if (!f.open(QIODevice::ReadOnly))
        return regs;
    for (const QString& row : QString::fromUtf8(f.readAll()).split("\r\n", Qt::SkipEmptyParts))
        if (const int reg = row.section(',', 1, 1).toInt(); reg >= 1)
            regs.push_back(reg);
    return regs;
}

struct Cell {
    Row row;
    Action action;
};

std::string Name(const ::testing::TestParamInfo<Cell>& info)
{
    return std::string(kRowNames[static_cast<int>(info.param.row)]) + "_" + kActionNames[static_cast<int>(info.param.action)];
}

class OwnershipMatrix : public ::testing::TestWithParam<Cell> {
protected:
    void SetUp() override
    {
        testsupport::EnsureCoreApplication();
        ASSERT_TRUE(home.isValid() && runtime.isValid());
        ASSERT_TRUE(MakeMonitorHome(home.path()));
        // Inverters 1 and 2 remembered; the energy clone panel on the first page.
        ASSERT_TRUE(ReplaceInFile(home.path() + "/profile/PreviousSet.RQX", "\nID2=0", "\nID2=1"));
        ASSERT_TRUE(ReplaceInFile(home.path() + "/Monitor/MonitorSet0.RQX", "[EnergyClone]\nHeight=40",
                                  "[EnergyClone]\nHeight=11270\nTop=5\nLeft=620"));
        std::string error;
        ASSERT_TRUE(bus.Start(&error)) << error;
        for (int id : {1, 2})
            bus.With(id, [](invsim::Inverter& inv) { invsim::LoadDemoInverter(inv); });
    }
    void TearDown() override
    {
        bus.OnFrame(nullptr);
        bus.Stop();
    }

    // Messages shown since the last call, kept in `shown`.
    const QStringList& Dialogs(ProgramRun& run)
    {
        for (const auto& v : run.Ask("dialogs")["items"].toArray())
            shown << v.toString();
        return shown;
    }
    bool Shown(ProgramRun& run, const QString& text) { return Dialogs(run).contains(text); }

    // Once the operation's first frame matching `trigger` arrives, the inverters answer slowly
    // (well inside the reply window) for a while: the operation is then surely in its waits
    // when the interrupting action arrives.
    void ArmTrigger(std::function<bool(const invsim::Frame&)> trigger)
    {
        triggered = false;
        bus.OnFrame([this, trigger](const invsim::Frame& f) {
            if (triggered || !trigger(f))
                return;
            firstOpUs = f.timeUs;
            for (int id : {1, 2})
                bus.AddFault(id, invsim::Fault{invsim::FaultKind::Delay, 30, -1, 60});
            triggered = true;
        });
    }

    void Open(ProgramRun& run)
    {
        ASSERT_TRUE(openlink::OnRs485(run, bus.Path()));
        ASSERT_TRUE(openlink::Shows(run, "Label_VantoSN", openlink::kDemoSerial));
        ASSERT_EQ(run.Tree().mid(1), (QStringList{"ID:001", "ID:002"}));
    }

    // The interrupting action; its refusal or deferral is the program's business.
    void Interrupt(ProgramRun& run, Action action)
    {
        switch (action) {
        case Action::TreeDoubleClick: run.Ask("dblclick TreeView ID:002"); break;
        case Action::ModeSwitch: run.Ask("pickt Combo_SelectMode Storage"); break;
        case Action::ScanClick: run.Ask("click Btn_ScanID"); break;
        case Action::Drop: run.Ask("drop " + kImage); break;
        case Action::Open: run.Ask("click OpenPort"); break;   // disabled while the link is open
        case Action::HeaderButton: headerClicked = run.Do("click Image_SyncClock"); break;
        case Action::Close: run.Ask("close"); break;
        case Action::LinkClose: run.Ask("click ClosePort"); break;
        case Action::LinkLost:
            // The line goes away at the operation's next request.
            for (int id : {1, 2}) {
                bus.ClearFaults(id);
                bus.AddFault(id, invsim::Fault{invsim::FaultKind::Hangup, -1, -1, 1});
            }
            break;
        }
    }

    // The inverters the operation's frames went to, one entry per run of frames to one inverter.
    std::vector<int> Runs(const std::function<bool(const invsim::Frame&)>& ofOperation) const
    {
        std::vector<int> runs;
        for (const auto& f : bus.Frames())
            if (f.timeUs >= firstOpUs && ofOperation(f) && (runs.empty() || runs.back() != f.bytes[0]))
                runs.push_back(f.bytes[0]);
        return runs;
    }

    // Each inverter received the same frames of the operation (function, register, value), in
    // the same order: a walk across the inverters that no action moved or cut. Before the end of
    // a stopped operation the second inverter's frames are a beginning of the first's.
    ::testing::AssertionResult SameForEachInverter(const std::function<bool(const invsim::Frame&)>& ofOperation,
                                                   std::size_t frameCount, bool completed) const
    {
        std::map<int, std::vector<std::tuple<int, int, int>>> seen;
        const auto frames = bus.Frames();
        for (std::size_t k = 0; k < std::min(frameCount, frames.size()); ++k)
            if (frames[k].timeUs >= firstOpUs && ofOperation(frames[k]))
                seen[frames[k].bytes[0]].emplace_back(frames[k].bytes[1], RegisterOf(frames[k]),
                                                      frames[k].bytes[4] << 8 | frames[k].bytes[5]);
        const auto& first = seen[1];
        const auto& second = seen[2];
        if (seen.size() > 2)
            return ::testing::AssertionFailure() << "frames of the operation went to " << seen.size() << " addresses";
        if (completed ? first != second || first.empty()
                      : second.size() > first.size() || !std::equal(second.begin(), second.end(), first.begin()))
            return ::testing::AssertionFailure() << "inverter 1 received " << ::testing::PrintToString(first)
                                                 << ", inverter 2 " << ::testing::PrintToString(second);
        return ::testing::AssertionSuccess();
    }

    QTemporaryDir home;
    QTemporaryDir runtime;
    invsim::Bus bus;
    QStringList shown;
    bool headerClicked = false;
    std::atomic<bool> triggered{false};
    std::atomic<std::int64_t> firstOpUs{0};
};

TEST_P(OwnershipMatrix, OperationKeepsItsInverterAndTheWindowStaysUsable)
{
    const Cell cell = GetParam();
    if (cell.row == Row::Programming) {
        // Inverter 1 runs the version before the image's and its loader programs one inverter
        // at a time; inverter 2 is of another product, so the run is for inverter 1 alone.
        bus.With(1, [](invsim::Inverter& inv) {
            inv.SetProductId(10);
            inv.Boot().version = 3;
            inv.Boot().hardware[1] = {1, 2};
            inv.Boot().software[1] = {3, 3};
        });
        bus.With(2, [](invsim::Inverter& inv) { inv.SetProductId(11); });
    }
    ProgramRun run(home.path(), runtime.path());
    Open(run);
    if (HasFatalFailure())
        return;
    Dialogs(run);
    shown.clear();

    std::function<bool(const invsim::Frame&)> ofOperation;
    std::function<bool()> ended;          // done, or said that it did not
    std::vector<std::vector<int>> allowedRuns;
    const bool upgradeRow = cell.row == Row::FirmwareThenLoad || cell.row == Row::Survey || cell.row == Row::Programming;
    const bool gridRow = cell.row == Row::GridSave || cell.row == Row::GridLoad;
    const std::vector<int> gridRegisters = GridRegisters(home.path());
    auto surveyFrame = [](const invsim::Frame& f) { return IsModbus(f) && f.bytes[1] == 3 && RegisterOf(f) == 802 && f.bytes[5] == 1; };

    switch (cell.row) {
    case Row::EnergyRead:
        ofOperation = EnergyFrame;
        ArmTrigger([](const invsim::Frame& f) { return EnergyFrame(f) && f.bytes[1] == 4; });
        ASSERT_TRUE(run.Do("click Btn_ReadEnergy"));
        ended = [&] {
            return Shown(run, "Read Energy Fail") || (run.TextOf("Label_EnergyDsp") == "Month: 119" && run.EnabledOf("Btn_ReadEnergy"));
        };
        allowedRuns = {{1}};
        break;
    case Row::EnergyWrite:
        ASSERT_TRUE(run.Do("click Btn_ReadEnergy"));
        ASSERT_TRUE(run.WaitFor([&] { return run.EnabledOf("Btn_WriteEnergy"); }, 30000));
        ofOperation = EnergyFrame;
        ArmTrigger([](const invsim::Frame& f) { return IsModbus(f) && f.bytes[1] == 6 && RegisterOf(f) == 24665; });
        ASSERT_TRUE(run.Do("click Btn_WriteEnergy"));
        ended = [&] { return Shown(run, "Write Energy Fail: the transfer is incomplete"); };
        allowedRuns = {{1}};
        break;
    case Row::ClockSync:
        ofOperation = [](const invsim::Frame& f) { return IsModbus(f) && (RegisterOf(f) == 784 || RegisterOf(f) == 785); };
        ArmTrigger(ofOperation);
        ASSERT_TRUE(run.Do("click Image_SyncClock"));
        ended = [&] { return Shown(run, "Sync Clock Done"); };
        allowedRuns = {{1, 2}};
        break;
    case Row::GridSave:
    case Row::GridLoad: {
        ASSERT_GE(gridRegisters.size(), 12u);
        const std::set<int> regs(gridRegisters.begin(), gridRegisters.end());
        ofOperation = [regs](const invsim::Frame& f) {
            return IsModbus(f) && (f.bytes[1] == 3 || f.bytes[1] == 6) && regs.count(RegisterOf(f)) > 0;
        };
        ArmTrigger(ofOperation);
        ASSERT_TRUE(run.Do("answer " + kAccessCode));
        if (cell.row == Row::GridSave) {
            ASSERT_TRUE(run.Do("click Image_SaveGridSet"));
        } else {
            // The first twelve settings as the inverters hold them, two of them changed.
            QString text;
            for (std::size_t k = 0; k < 12; ++k) {
                const int reg = gridRegisters[k];
                int value = bus.Holding(1, reg).value_or(0);
                value += reg == 33552 ? 10 : reg == 33553 ? 5 : 0;
                text += QStringLiteral("Setting%1,%2,%3\r\n").arg(k).arg(reg).arg(value);
            }
            QFile upload(home.path() + "/upload.csv");
            ASSERT_TRUE(upload.open(QIODevice::WriteOnly));
            upload.write(text.toUtf8());
            upload.close();
            ASSERT_TRUE(run.Do("answer " + upload.fileName()));
            ASSERT_TRUE(run.Do("click Image_OpenGridSet"));
        }
        ended = [&] { return Shown(run, "Done"); };
        allowedRuns = {{1, 2}};
        break;
    }
    case Row::BroadcastWrite:
        ASSERT_TRUE(run.Do("mousedown Radio_CmdBroadcast"));
        ofOperation = [](const invsim::Frame& f) { return IsModbus(f) && f.bytes[1] == 6 && RegisterOf(f) == 802; };
        ArmTrigger(ofOperation);
        ASSERT_TRUE(run.Do("click Image_VantoSun"));
        ended = [&] { return Shown(run, "Check Protocol Please"); };
        allowedRuns = {{1, 2}};
        break;
    case Row::FirmwareThenLoad:
    case Row::Survey:
        ofOperation = surveyFrame;
        if (cell.row == Row::Survey) {
            ASSERT_TRUE(run.Do("click Image_Firmware"));
            ASSERT_TRUE(run.WaitFor([&] { return run.Do("pickt Combo_Delay 150"); }, 10000));
        }
        ArmTrigger(surveyFrame);
        if (cell.row == Row::Survey) {
            ASSERT_TRUE(run.Do("drop " + kImage));
        } else {
            // The load comes while the loop is still in its last transaction: it is refused
            // with a word, or (the loop already gone) it runs. A refused one is dropped again.
            ASSERT_TRUE(run.Do("click Image_Firmware"));
            ASSERT_TRUE(run.Do("drop " + kImage));
            ASSERT_TRUE(run.WaitFor([&] { return triggered || Dialogs(run).filter("Please wait").size() > 0; }, 15000));
            if (!triggered) {
                ASSERT_TRUE(run.WaitFor([&] { return run.Do("drop " + kImage) && (triggered || run.EnabledOf("Btn_UpgradeStart")); }, 15000));
            }
        }
        ended = [&] { return run.EnabledOf("Btn_UpgradeStart") || Dialogs(run).filter("Error").size() > 0; };
        allowedRuns = {{1, 2}};
        break;
    case Row::Programming:
        ASSERT_TRUE(run.Do("click Image_Firmware"));
        ASSERT_TRUE(run.WaitFor([&] { return run.Do("pickt Combo_Delay 150"); }, 10000));
        ASSERT_TRUE(run.Do("text Edit_EndID 2"));   // the load rescans IDs 1 and 2
        ASSERT_TRUE(run.Do("drop " + kImage));
        ASSERT_TRUE(run.WaitFor([&] { return run.EnabledOf("Btn_UpgradeStart"); }, 30000))
            << run.LinesOf("List_UpgradeEvent").join(" | ").toStdString();
        // On the upgrade page nothing polls: every frame from the start on is the run's. Its
        // broadcasts (boot-loader address 0xE000, Modbus address 0) are left out.
        ofOperation = [](const invsim::Frame& f) { return f.bytes[0] != 0; };
        ArmTrigger(ofOperation);
        ASSERT_TRUE(run.Do("click Btn_UpgradeStart"));
        // The result window says how the run went.
        ended = [&] { return run.Ask("get Form_Message")["visible"].toBool(); };
        allowedRuns = {{1}};
        break;
    case Row::Scan:
        ofOperation = ProbeFrame;
        ArmTrigger(ProbeFrame);
        ASSERT_TRUE(run.Do("text Edit_StartID 1"));
        ASSERT_TRUE(run.Do("text Edit_EndID 254"));
        ASSERT_TRUE(run.Do("click Btn_ScanID"));
        allowedRuns = {{1, 2}};
        break;
    }

    ASSERT_TRUE(run.WaitFor([&] { return triggered.load(); }, 20000)) << "the operation did not start";
    const qsizetype shownBefore = Dialogs(run).size();
    const std::int64_t interruptUs = std::chrono::duration_cast<std::chrono::microseconds>(
        std::chrono::steady_clock::now().time_since_epoch()).count();
    Interrupt(run, cell.action);

    if (cell.action == Action::Close) {
        ASSERT_TRUE(run.process.waitForFinished(15000)) << "the program went on after Close";
        // The window is gone: the word about the work left undone is on the error output.
        const QString said = QString::fromLocal8Bit(run.process.readAllStandardError());
        const QString stopped = QStringLiteral("Window closed: %1 was stopped before it completed")
                                    .arg(QLatin1String(kWorkNames[static_cast<int>(cell.row)]));
        EXPECT_TRUE(said.contains(stopped)) << "not said: " << stopped.toStdString() << "\nsaid: " << said.toStdString();
        if (gridRow) {
            EXPECT_TRUE(SameForEachInverter(ofOperation, bus.Frames().size(), false));
        } else if (cell.row == Row::Scan) {
            // A probe may have been on its way when the Close came; none after it.
            int after = 0;
            for (const auto& f : bus.Frames())
                after += f.timeUs >= interruptUs && ofOperation(f) ? 1 : 0;
            EXPECT_LE(after, 1) << "the scan went on probing after the Close";
        } else {
            // A busy machine may let the operation reach its next inverter before the Close comes;
            // from the Close on, its frames go only to the inverter it was at.
            int current = 0;
            for (const auto& f : bus.Frames()) {
                if (f.timeUs < firstOpUs || !ofOperation(f))
                    continue;
                if (f.timeUs < interruptUs)
                    current = f.bytes[0];
                else
                    EXPECT_EQ(f.bytes[0], current) << "a frame of the operation went to another inverter after the Close";
            }
        }
        // Nothing was committed to another inverter; a write never commits after the Close.
        for (const auto& f : bus.Frames())
            if (IsModbus(f) && f.bytes[1] == 6 && RegisterOf(f) == 24665) {
                EXPECT_EQ(f.bytes[0], 1);
            }
        return;
    }

    if (cell.action == Action::LinkClose || cell.action == Action::LinkLost) {
        // The operation ends at its next request, says what it left undone (never "Done"), and
        // the window's buttons come back with the link closed.
        const QString stopped = QStringLiteral("%1: %2 was stopped before it completed")
                                    .arg(cell.action == Action::LinkClose ? QStringLiteral("Link closed") : QStringLiteral("Link lost"),
                                         QLatin1String(kWorkNames[static_cast<int>(cell.row)]));
        ASSERT_TRUE(run.WaitFor([&] {
            // A programming run ends with its result window, which the user closes.
            if (cell.row == Row::Programming && run.Ask("get Form_Message")["visible"].toBool())
                run.Do("click BitBtn1");
            return Dialogs(run).contains(stopped) && run.EnabledOf("OpenPort") && !run.EnabledOf("ClosePort");
        }, 60000)) << "not said: " << stopped.toStdString() << "\nsaid: " << Dialogs(run).join(" | ").toStdString()
                   << "\nOpen enabled: " << run.EnabledOf("OpenPort");
        const QStringList after = Dialogs(run).mid(shownBefore);
        for (const char* success : {"Done", "Sync Clock Done"})
            EXPECT_FALSE(after.contains(success)) << "the stopped operation said " << success << ": " << after.join(" | ").toStdString();
        EXPECT_EQ(after.filter(stopped).size(), 1) << after.join(" | ").toStdString();
        if (cell.action == Action::LinkClose) {
            // Nothing goes out after the request that was on its way when Close came.
            int sent = 0;
            for (const auto& f : bus.Frames())
                sent += f.timeUs >= interruptUs ? 1 : 0;
            EXPECT_LE(sent, 1) << "frames went out after Close";
        }
        if (cell.row == Row::EnergyRead || cell.row == Row::EnergyWrite) {
            EXPECT_TRUE(run.EnabledOf("Btn_ReadEnergy"));
        }
        for (const auto& f : bus.Frames())
            if (IsModbus(f) && f.bytes[1] == 6 && RegisterOf(f) == 24665) {
                EXPECT_NE(f.bytes[4] << 8 | f.bytes[5], 0x55AA) << "an incomplete write was committed";
            }
        if (cell.action == Action::LinkClose) {
            // The window is usable: the link opens again and an operation runs to its end.
            bus.ClearFaults(1);
            bus.ClearFaults(2);
            if (run.TextOf("Combo_SelectMode") != "Monitor") {
                ASSERT_TRUE(run.Do("pickt Combo_SelectMode Monitor"));
            }
            ASSERT_TRUE(run.Do("click OpenPort"));
            ASSERT_TRUE(run.WaitFor([&] { return run.EnabledOf("ClosePort") && run.Status(4) == "COM Open"; }, 10000));
            shown.clear();
            ASSERT_TRUE(run.WaitFor([&] { return run.Do("click Image_SyncClock"); }, 10000));
            // A programming run stopped half-way leaves inverter 1 in its boot loader, where it
            // answers no clock request: the sync ends all the same and names it.
            const char* end = cell.row == Row::Programming ? "Sync Clock: no answer from ID 1; taken by ID 2" : "Sync Clock Done";
            EXPECT_TRUE(run.WaitFor([&] { return Shown(run, end); }, 20000)) << Dialogs(run).join(" | ").toStdString();
        }
        EXPECT_TRUE(run.Do("close"));
        EXPECT_TRUE(run.process.waitForFinished(15000));
        return;
    }

    if (cell.row == Row::EnergyWrite) {
        // The write is a thousand transactions: once the action has surely been handled, the
        // inverter falls silent and the write must end saying it is incomplete.
        const std::size_t now = bus.Frames().size();
        ASSERT_TRUE(bus.WaitForFrames(now + 20, 20000));
        bus.AddFault(1, invsim::Fault{invsim::FaultKind::Silence, -1, -1, -1});
    }
    ASSERT_TRUE(run.WaitFor(ended, cell.row == Row::Programming ? 150000 : 60000))
        << "the operation neither ended nor said it did not: " << Dialogs(run).join(" | ").toStdString();
    const std::size_t endedAt = bus.Frames().size();
    bus.ClearFaults(1);
    bus.ClearFaults(2);
    if (cell.row == Row::Programming) {
        ASSERT_TRUE(run.Do("click BitBtn1"));
        ASSERT_TRUE(run.WaitFor([&] { return !run.Ask("get Form_Message")["visible"].toBool(); }, 5000));
        const auto frames = bus.Frames();
        for (std::size_t k = 0; k < endedAt; ++k)
            if (frames[k].timeUs >= firstOpUs && ofOperation(frames[k])) {
                EXPECT_EQ(frames[k].bytes[0], 1) << "a frame of the run went to inverter " << int(frames[k].bytes[0]);
            }
    }
    if (gridRow) {
        EXPECT_TRUE(SameForEachInverter(ofOperation, endedAt, true));
    }
    if (cell.row == Row::GridLoad)
        for (int id : {1, 2}) {
            EXPECT_EQ(bus.Holding(id, 33552), 2655) << "inverter " << id;
            EXPECT_EQ(bus.Holding(id, 33553), 25) << "inverter " << id;
        }
    if (cell.action == Action::HeaderButton && headerClicked) {
        const QStringList after = Dialogs(run).mid(shownBefore);
        EXPECT_EQ(after.filter("Please wait until").size(), 1) << "the header button was not refused: "
                                                               << after.join(" | ").toStdString();
    }

    const auto runs = Runs(ofOperation);
    EXPECT_TRUE(std::find(allowedRuns.begin(), allowedRuns.end(), std::vector<int>(runs.begin(), runs.begin() + std::min(runs.size(), allowedRuns[0].size()))) != allowedRuns.end())
        << "the operation's frames went to the inverters in the order " << ::testing::PrintToString(runs);
    if (cell.row == Row::EnergyRead || cell.row == Row::EnergyWrite) {
        for (const auto& f : bus.Frames())
            if (EnergyFrame(f)) {
                EXPECT_EQ(f.bytes[0], 1) << "energy frame to inverter " << int(f.bytes[0]);
            }
    }
    if (cell.row == Row::EnergyWrite)
        for (const auto& f : bus.Frames())
            if (IsModbus(f) && f.bytes[1] == 6 && RegisterOf(f) == 24665) {
                EXPECT_NE(f.bytes[4] << 8 | f.bytes[5], 0x55AA) << "an incomplete write was committed";
            }
    if (upgradeRow && cell.row != Row::Programming) {
        // The survey read the inverters themselves: both are up, none in its boot loader.
        const QList<QStringList> grid = run.CellsOf("Grid_Dev");
        int normal = 0;
        for (const QStringList& r : grid)
            normal += r.value(4) == "Normal" ? 1 : 0;
        EXPECT_EQ(normal, 2) << "survey modes wrong: " << ::testing::PrintToString(grid);
        for (const QStringList& r : grid)
            EXPECT_NE(r.value(4), "Boot");
    }

    // The window ends usable: a later operation works. On the upgrade page (where a load
    // refuses a mode switch) that is a load; a mode chosen during another operation has been
    // switched to since, and polls.
    if (cell.action == Action::ModeSwitch && !upgradeRow) {
        ASSERT_TRUE(run.WaitFor([&] { return run.TextOf("Combo_SelectMode") == "Storage"; }, 20000))
            << "the deferred mode switch did not happen";
    }
    if (upgradeRow) {
        const auto loads = [&] { return run.LinesOf("List_UpgradeEvent").filter("Hex Length").size(); };
        const auto before = loads();
        ASSERT_TRUE(run.Do("drop " + kImage));
        ASSERT_TRUE(run.WaitFor([&] { return loads() > before && run.EnabledOf("Btn_UpgradeStart"); }, 20000))
            << "no later load";
    } else {
        shown.clear();
        ASSERT_TRUE(run.WaitFor([&] { return run.Do("click Image_SyncClock"); }, 10000));
        EXPECT_TRUE(run.WaitFor([&] { return Shown(run, "Sync Clock Done"); }, 20000)) << Dialogs(run).join(" | ").toStdString();
        EXPECT_TRUE(run.EnabledOf("ClosePort"));
    }
    EXPECT_TRUE(run.Do("close"));
    EXPECT_TRUE(run.process.waitForFinished(15000));
}

std::vector<Cell> AllCells()
{
    std::vector<Cell> cells;
    for (int r = 0; r <= static_cast<int>(Row::Programming); ++r)
        for (int a = 0; a <= static_cast<int>(Action::LinkClose); ++a)
            cells.push_back({static_cast<Row>(r), static_cast<Action>(a)});
    // The scan is stopped by either Close.
    cells.push_back({Row::Scan, Action::Close});
    cells.push_back({Row::Scan, Action::LinkClose});
    // The line lost in the middle of each write.
    for (Row r : {Row::EnergyWrite, Row::ClockSync, Row::GridLoad, Row::BroadcastWrite})
        cells.push_back({r, Action::LinkLost});
    return cells;
}

INSTANTIATE_TEST_SUITE_P(Cells, OwnershipMatrix, ::testing::ValuesIn(AllCells()), Name);

} // namespace

// The real program, driven through its remote user driver: the commands that walk the inverters
// found ("Broadcast" writes, the maximum power for every inverter, the protocol switch for every
// inverter). On the Wi-Fi link the module is the one inverter there is, whatever an RS-485 scan
// left remembered; with no inverter found on RS-485 they say so and send nothing.
#include "MonitorFixture.h"
#include "OpenLink.h"

#include "support/RemoteProgram.h"
#include "tools/invsim/TcpModule.h"

#include <QFile>
#include <array>
#include <functional>
#include <span>

namespace {

using namespace monitortest;
using ProgramRun = testsupport::RemoteProgram;

const QString kNothing = QStringLiteral("No inverter to address: scan for inverters first");

int RegisterOf(const invsim::Frame& f) { return (f.bytes[2] << 8 | f.bytes[3]) + 1; }
bool WriteOf(const invsim::Frame& f, int reg) { return f.bytes.size() == 8 && f.bytes[1] == 6 && RegisterOf(f) == reg; }

// A walking command as the user gives it: the requests, and the register it writes.
struct Walk {
    const char* what;
    QStringList requests;
    int reg;
};

const Walk kWalks[] = {
    {"a broadcast write", {"enter Edit_PollVal01 7"}, 100},
    {"the maximum power", {"answer 2059", "enter Edit_MaxPower 3000"}, 33595},
    {"protocol 800", {"click Image_VantoSun"}, 802},
    {"protocol 801", {"click Image_SunVanto"}, 802},
};

class WalkingCommands : public RemoteMonitor {
protected:
    void SetUp() override
    {
        RemoteMonitor::SetUp();
        if (HasFatalFailure())
            return;
        // A register poll on the first page (beside the status panel with the maximum power).
        ASSERT_TRUE(ReplaceInFile(home.path() + "/Monitor/MonitorSet0.RQX", "[Poll01]\nHeight=40",
                                  "[Poll01]\nHeight=5420\nTop=5\nLeft=920"));
    }
};

TEST_F(WalkingCommands, OnWifiEachAddressesTheModuleOnce)
{
    // Inverters 1, 2 and 7 remembered from an RS-485 scan.
    const QString previous = home.path() + "/profile/PreviousSet.RQX";
    ASSERT_TRUE(ReplaceInFile(previous, "\nID2=0", "\nID2=1"));
    ASSERT_TRUE(ReplaceInFile(previous, "\nID7=0", "\nID7=1"));
    invsim::TcpModule module;
    std::string error;
    ASSERT_TRUE(module.Start(0, &error)) << error;
    module.With([](invsim::Inverter& inv) { invsim::LoadDemoInverter(inv); });
    module.SetHolding(100, 4660);

    ProgramRun run(home.path(), runtime.path());
    ASSERT_TRUE(openlink::OnWifi(run, module.Port()));
    ASSERT_TRUE(openlink::Steps(run, {"pick Combo_PollType01 2", "text Edit_PollAddr01 100", "mousedown Radio_CmdBroadcast"}));
    ASSERT_TRUE(openlink::Shows(run, "Label_PollVal01", "4660"));
    run.Ask("dialogs");

    for (const Walk& walk : kWalks) {
        SCOPED_TRACE(walk.what);
        if (walk.requests.front() == "click Image_SunVanto") {
            // The picture that switches back shows once the version panel has read the module's
            // new protocol: choosing the mode again reads it.
            ASSERT_TRUE(openlink::Steps(run, {"pickt Combo_SelectMode Monitor"}));
            ASSERT_TRUE(run.WaitFor([&] { return run.Ask("get Image_SunVanto")["visible"].toBool(); }, 15000));
        }
        module.ClearFrames();
        ASSERT_TRUE(openlink::Steps(run, walk.requests));
        // The write, then the next polling cycle (it starts with the module's keep-alive): a
        // second write of the command would have come before it.
        auto keepAlivesAfterTheWrite = [&] {
            int seen = -1;
            for (const auto& f : module.Frames()) {
                if (seen < 0 && WriteOf(f, walk.reg))
                    seen = 0;
                else if (seen >= 0 && WriteOf(f, 60515))
                    ++seen;
            }
            return seen;
        };
        ASSERT_TRUE(run.WaitFor([&] { return keepAlivesAfterTheWrite() >= 1; }, 20000));
        int writes = 0;
        for (const auto& f : module.Frames()) {
            EXPECT_EQ(f.bytes[0], 0xFF) << "a request went to slave " << int(f.bytes[0]);
            writes += WriteOf(f, walk.reg) ? 1 : 0;
        }
        EXPECT_EQ(writes, 1);
        const QStringList shown = openlink::TakeDialogs(run);
        EXPECT_FALSE(shown.contains(kNothing));
        if (walk.reg == 802) {
            EXPECT_EQ(shown, QStringList{"Check Protocol Please"});
        }
    }
    EXPECT_TRUE(run.Do("close"));
    EXPECT_TRUE(run.process.waitForFinished(15000));
    module.Stop();
}

TEST_F(WalkingCommands, WithNoInverterFoundEachSaysSoAndSendsNothing)
{
    ASSERT_TRUE(ReplaceInFile(home.path() + "/profile/PreviousSet.RQX", "\nID1=1", "\nID1=0"));
    ProgramRun run(home.path(), runtime.path());
    ASSERT_TRUE(openlink::OnRs485(run, bus.Path()));
    ASSERT_TRUE(openlink::Steps(run, {"pick Combo_PollType01 2", "text Edit_PollAddr01 100", "mousedown Radio_CmdBroadcast"}));
    ASSERT_TRUE(run.WaitFor([&] { return !run.EnabledOf("OpenPort"); }, 15000));
    run.Ask("dialogs");

    for (const Walk& walk : std::span(kWalks).first(3)) {   // the picture shown is the one to SunSpec
        SCOPED_TRACE(walk.what);
        ASSERT_TRUE(openlink::Steps(run, walk.requests));
        QStringList shown = openlink::DialogsUntil(run, kNothing);
        shown.removeAll("Input Password Please");
        EXPECT_EQ(shown, QStringList{kNothing});
    }
    // Nothing more came: no "Done", no protocol message, nothing on the wire.
    const QStringList later = openlink::TakeDialogs(run);
    EXPECT_TRUE(later.isEmpty()) << later.join(" | ").toStdString();
    for (const auto& f : bus.Frames())
        EXPECT_NE(f.bytes[1], 6) << "a write went to slave " << int(f.bytes[0]);
    EXPECT_TRUE(run.Do("close"));
    EXPECT_TRUE(run.process.waitForFinished(15000));
}

// ---- Three inverters on one bus, the second one silent or not ------------------------------

const QString kBlue = QStringLiteral("0xFF0000");
const QString kRed = QStringLiteral("0x0000FF");
const QString kGreen = QStringLiteral("0x008000");
constexpr int kUnchanged = -1;   // the inverter keeps what it held
constexpr int kClockSet = -2;    // the inverter's clock (its high word) was set from the PC's
const QString kBroadcastRefusal = QStringLiteral(
    "Not sent: this setting changes some bits of a word read from the inverter shown, and "
    "\"Broadcast\" would write that word into every inverter. Choose \"Single\" to set it.");

// One command that walks the inverters found, as the user gives it, and what it must leave.
struct WalkCase {
    const char* what;
    int reg;                              // the holding register each inverter stores
    std::array<int, 3> start;             // what inverters 1, 2 and 3 hold before
    QStringList before;                   // steps that make the command possible
    std::function<bool(ProgramRun&)> ready;
    QStringList requests;                 // the command itself
    std::array<int, 3> after;             // what each inverter that answers holds after
    QStringList shown;                    // the messages when all three answer
    QString missed;                       // the message when inverter 2 is silent (empty: as shown)
    const char* caption;                  // a caption or value label (nullptr: none)
    QString colour;                       // its colour at the end when all three answer
    QString colourMissed;                 // ... when inverter 2 is silent
    const char* box = nullptr;            // a check box whose state must not change
    bool stops = false;                   // a silent inverter ends it: those after it keep theirs
};

class ThreeInverters : public WalkingCommands {
protected:
    void SetUp() override
    {
        WalkingCommands::SetUp();
        if (HasFatalFailure())
            return;
        const QString previous = home.path() + "/profile/PreviousSet.RQX";
        ASSERT_TRUE(ReplaceInFile(previous, "\nID2=0", "\nID2=1"));
        ASSERT_TRUE(ReplaceInFile(previous, "\nID3=0", "\nID3=1"));
        // The relay panel below the register poll on the main page.
        ASSERT_TRUE(ReplaceInFile(home.path() + "/Monitor/MonitorSet0.RQX", "[MultiRelay]\nHeight=40",
                                  "[MultiRelay]\nHeight=10880\nTop=400\nLeft=920"));
        for (int id : {2, 3})
            bus.With(id, [](invsim::Inverter& inv) { invsim::LoadDemoInverter(inv); });
        // Inverter 2 counts its power in 100 W, the others in 10 W.
        bus.SetInput(2, 40995, 4 << 3);
        upload = home.path() + "/upload.csv";
        QFile file(upload);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("Vac_High_Off,33552,2655\r\n");
    }

    std::vector<WalkCase> Cases() const
    {
        auto checked = [](const char* name) {
            return [name](ProgramRun& run) { return run.Ask(QStringLiteral("get ") + name)["checked"].toBool(); };
        };
        auto missed = [](const char* command) {
            return QStringLiteral("%1: no answer from ID 2; taken by ID 1, 3").arg(QLatin1String(command));
        };
        return {
            {"a broadcast write", 100, {11, 12, 13}, {}, nullptr, {"enter Edit_PollVal01 7"}, {7, 7, 7}, {},
             missed("Broadcast write to register 100"), "Label_PollVal01", kBlue, kBlue},
            // Relay 1's alarm classes of inverter 1 (errors and faults) read: "Warn" would write
            // 7 into every inverter.
            {"a relay alarm class", 52748, {3, 16, 0}, {}, checked("Check_Relay1AllFault"),
             {"mousedown Check_Relay1AllWarning"}, {kUnchanged, kUnchanged, kUnchanged}, {kBroadcastRefusal}, {},
             nullptr, {}, {}, "Check_Relay1AllWarning"},
            {"the maximum power", 33595, {500, 50, 500}, {}, nullptr, {"answer 2059", "enter Edit_MaxPower 3000"},
             {300, 30, 300}, {}, missed("Max. Power"), "Label_MaxPower", kBlue, kBlue},
            {"protocol 800", 802, {0, 0, 0}, {}, nullptr, {"click Image_VantoSun"}, {5, 5, 5},
             {"Check Protocol Please"}, missed("Protocol switch"), nullptr, {}, {}},
            // The picture back to the inverter's own protocol shows once inverter 1's version
            // panel has read the new protocol: a double-click reads it at once.
            {"protocol 801", 802, {5, kUnchanged, 5}, {"dblclick TreeView ID:001"},
             [](ProgramRun& run) { return run.Ask("get Image_SunVanto")["visible"].toBool(); },
             {"click Image_SunVanto"}, {0, 0, 0}, {"Check Protocol Please"}, missed("Protocol switch"), nullptr, {}, {}},
            {"the clock synchronisation", 784, {0, 0, 0}, {}, nullptr, {"click Image_SyncClock"},
             {kClockSet, kClockSet, kClockSet}, {"Sync Clock Done"}, missed("Sync Clock"), "Label_SyncClock", kGreen,
             kRed},
            // The upload stops at the inverter that did not answer, and names it.
            {"the settings upload", 33552, {2640, 2641, 2642}, {}, nullptr,
             {"answer " + upload, "click Image_OpenGridSet"}, {2655, 2655, 2655}, {"Done"},
             "Error - ID2 Read Address(33552), upload stopped", nullptr, {}, {}, nullptr, true},
        };
    }

    // Runs every command of the table on one program, inverter 2 silent or not.
    void RunTable(bool silentTwo)
    {
        if (silentTwo) {
            invsim::Fault silence;
            silence.kind = invsim::FaultKind::Silence;
            bus.AddFault(2, silence);
        }
        ProgramRun run(home.path(), runtime.path());
        ASSERT_TRUE(openlink::OnRs485(run, bus.Path()));
        ASSERT_TRUE(openlink::Steps(run, {"pick Combo_PollType01 2", "text Edit_PollAddr01 100",
                                          "pick Combo_SelectRelay 0", "mousedown Radio_CmdBroadcast"}));
        ASSERT_TRUE(openlink::Shows(run, "Label_VantoSN", openlink::kDemoSerial));
        run.Ask("dialogs");

        for (const WalkCase& c : Cases()) {
            SCOPED_TRACE(c.what);
            for (int id = 1; id <= 3; ++id) {
                const int start = c.start[id - 1];
                if (c.after[id - 1] == kClockSet)
                    bus.With(id, [start](invsim::Inverter& inv) { inv.SetClock(static_cast<std::uint32_t>(start), false); });
                else if (start != kUnchanged)
                    bus.SetHolding(id, c.reg, static_cast<std::uint16_t>(start));
            }
            std::array<int, 3> held{};
            for (int id = 1; id <= 3; ++id)
                held[id - 1] = *bus.Holding(id, c.reg);
            ASSERT_TRUE(openlink::Steps(run, c.before));
            if (c.ready) {
                ASSERT_TRUE(run.WaitFor([&] { return c.ready(run); }, 20000));
            }
            const bool boxBefore = c.box && run.Ask(QStringLiteral("get ") + c.box)["checked"].toBool();
            run.Ask("dialogs");

            // What every inverter must hold at the end.
            std::array<int, 3> expected{};
            for (int k = 0; k < 3; ++k)
                expected[k] = (silentTwo && (k == 1 || (k == 2 && c.stops))) || c.after[k] == kUnchanged ? held[k] : c.after[k];
            auto stores = [&](int k) {
                const int now = *bus.Holding(k + 1, c.reg);
                return c.after[k] == kClockSet && !(silentTwo && k == 1) ? now != held[k] : now == expected[k];
            };
            auto allStored = [&] { return stores(0) && stores(1) && stores(2); };
            const QStringList message = silentTwo && !c.missed.isEmpty() ? QStringList{c.missed} : c.shown;
            const QString colour = silentTwo ? c.colourMissed : c.colour;

            ASSERT_TRUE(openlink::Steps(run, c.requests));
            QStringList shown;
            auto take = [&] {
                for (const QString& s : openlink::TakeDialogs(run))
                    if (s != "Input Password Please" && s != "Open")
                        shown << s;
            };
            // The command has ended when its message came, or, where it shows none, when what it
            // wrote has been read back.
            EXPECT_TRUE(run.WaitFor([&] {
                take();
                if (!message.isEmpty())
                    return shown.contains(message.back());
                return allStored() && (!c.caption || run.ColourOf(c.caption) == colour);
            }, 40000)) << shown.join(" | ").toStdString();
            if (c.caption) {
                EXPECT_TRUE(run.WaitFor([&] { return run.ColourOf(c.caption) == colour; }, 15000))
                    << c.caption << " is " << run.ColourOf(c.caption).toStdString();
            }
            take();
            EXPECT_EQ(shown, message);
            for (int k = 0; k < 3; ++k) {
                EXPECT_TRUE(stores(k)) << "inverter " << k + 1 << " holds " << *bus.Holding(k + 1, c.reg)
                                       << " in register " << c.reg;
            }
            if (c.box) {
                EXPECT_EQ(run.Ask(QStringLiteral("get ") + c.box)["checked"].toBool(), boxBefore);
            }
        }
        EXPECT_TRUE(run.Do("close"));
        EXPECT_TRUE(run.process.waitForFinished(15000));
    }

    QString upload;
};

TEST_F(ThreeInverters, EveryWalkingCommandReachesAllThree) { RunTable(false); }

TEST_F(ThreeInverters, ASilentInverterIsNamedAndKeepsWhatItHeld) { RunTable(true); }

} // namespace

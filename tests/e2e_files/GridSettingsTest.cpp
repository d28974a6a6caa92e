// The real program, driven through its remote user driver as a person would, with two simulated
// inverters on a pseudo-terminal: the grid-setting save (a dump per inverter), the upload of an
// edited dump, a value an inverter refuses, the data log and the on-site repair record.
#include "e2e_monitor/MonitorFixture.h"
#include "e2e_monitor/OpenLink.h"

#include "support/FileFaults.h"
#include "support/RemoteProgram.h"
#include "tools/invsim/TcpModule.h"
#include "vcl/FileWrite.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <memory>
#include <set>
#include <tuple>

namespace {

using namespace monitortest;
using ProgramRun = testsupport::RemoteProgram;
using openlink::DialogsUntil;

const QString kCode = "4780";
// The end of a save that missed an inverter, followed by the IDs.
const QString kNotComplete = "Dump not complete for ID ";

QString Read(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QStringLiteral("<missing>");
}

void Write(const QString& path, const QString& text)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(text.toUtf8());
}

class GridSettings : public ::testing::Test {
protected:
    void SetUp() override
    {
        testsupport::EnsureCoreApplication();
        ASSERT_TRUE(home.isValid() && runtime.isValid());
        ASSERT_TRUE(MakeMonitorHome(home.path()));
        // Inverters 5 and 7 remembered as found at 9600 bit/s, not 1.
        const QString prev = home.path() + "/profile/PreviousSet.RQX";
        ASSERT_TRUE(ReplaceInFile(prev, "\nID1=1", "\nID1=0"));
        ASSERT_TRUE(ReplaceInFile(prev, "\nID5=0", "\nID5=1"));
        ASSERT_TRUE(ReplaceInFile(prev, "\nID7=0", "\nID7=1"));
        std::string error;
        ASSERT_TRUE(bus.Start(&error)) << error;
        for (int id : {5, 7})
            bus.With(id, [](invsim::Inverter& inv) { invsim::LoadDemoInverter(inv); });
    }
    void TearDown() override { bus.Stop(); }

    // Opens the link in the mode "Monitor" and waits for the first values.
    void Open(ProgramRun& run)
    {
        ASSERT_TRUE(openlink::OnRs485(run, bus.Path()));
        ASSERT_TRUE(openlink::Shows(run, "Label_VantoSN", openlink::kDemoSerial));
        run.Ask("dialogs");
    }
    // (slave, register, value) of the function-6 requests since the frames were cleared, but for
    // the page selects the polling loop writes for its readers.
    std::set<std::tuple<int, int, int>> Writes() const
    {
        std::set<std::tuple<int, int, int>> out;
        for (const auto& f : bus.Frames())
            if (f.bytes.size() == 8 && f.bytes[1] == 6 && (f.bytes[2] << 8 | f.bytes[3]) + 1 != invsim::kPageSelect &&
                (f.bytes[2] << 8 | f.bytes[3]) + 1 != invsim::kEventPageSelect)
                out.emplace(f.bytes[0], (f.bytes[2] << 8 | f.bytes[3]) + 1, f.bytes[4] << 8 | f.bytes[5]);
        return out;
    }

    QTemporaryDir home;
    QTemporaryDir runtime;
    invsim::Bus bus;
};

TEST_F(GridSettings, SaveEditUploadAndARefusedValue)
{
    ProgramRun run(home.path(), runtime.path());
    Open(run);

    // Save: the access code, then one dump per inverter with each register's present value.
    bus.SetHolding(7, 33552, 2640);
    ASSERT_TRUE(run.Do("answer " + kCode));
    ASSERT_TRUE(run.Do("click Image_SaveGridSet"));
    QStringList shown = DialogsUntil(run, "Done");
    EXPECT_EQ(shown, (QStringList{"Input Password Please", "Done"}));
    EXPECT_EQ(run.ColourOf("Label_GridSetLog"), "0x008000");
    const QStringList list = Read(home.path() + "/profile/ConfigModel.csv").split("\r\n", Qt::SkipEmptyParts);
    for (int id : {5, 7}) {
        const QString dump = Read(home.path() + QStringLiteral("/ConfigLog/Config_ID%1.csv").arg(id));
        const QStringList lines = dump.split("\r\n", Qt::SkipEmptyParts);
        ASSERT_EQ(lines.size(), list.size()) << dump.toStdString();
        EXPECT_EQ(lines[0], "Name,Address,Default");
        EXPECT_EQ(lines[1], "Voltage protection,0,-") << "a row naming no register is passed through";
        for (int i = 0; i < lines.size(); ++i) {
            const QStringList f = lines[i].split(',');
            const int reg = f[1].toInt();
            if (reg < 1)
                continue;
            EXPECT_EQ(f[2].toInt(), *bus.Holding(id, reg)) << lines[i].toStdString();
        }
    }
    EXPECT_TRUE(Read(home.path() + "/ConfigLog/Config_ID7.csv").contains("\r\nVac_High_Off,33552,2640\r\n"));

    // Edit two values of inverter 5's dump and upload it to both: exactly those two registers
    // are written, where they differ, and read back.
    QString edited = Read(home.path() + "/ConfigLog/Config_ID5.csv");
    ASSERT_TRUE(edited.contains("\r\nVac_High_Off,33552,2645\r\n"));
    ASSERT_TRUE(edited.contains("\r\nFac_Low_On,33573,4995\r\n"));
    edited.replace("\r\nVac_High_Off,33552,2645\r\n", "\r\nVac_High_Off,33552,2655\r\n");
    edited.replace("\r\nFac_Low_On,33573,4995\r\n", "\r\nFac_Low_On,33573,4990\r\n");
    const QString upload = home.path() + "/upload.csv";
    Write(upload, edited);
    bus.ClearFrames();
    ASSERT_TRUE(run.Do("answer " + upload));
    ASSERT_TRUE(run.Do("click Image_OpenGridSet"));   // the code is remembered: no prompt
    shown = DialogsUntil(run, "Done");
    EXPECT_EQ(shown, (QStringList{"Open", "Done"})) << "the open dialog, then the result";
    const std::set<std::tuple<int, int, int>> expected = {
        {5, 33552, 2655}, {7, 33552, 2655}, {5, 33573, 4990}, {7, 33573, 4990}};
    EXPECT_EQ(Writes(), expected);
    for (int id : {5, 7}) {
        EXPECT_EQ(*bus.Holding(id, 33552), 2655);
        EXPECT_EQ(*bus.Holding(id, 33573), 4990);
    }

    // Inverter 7 refuses a value: the upload stops with the message naming it and the file.
    bus.With(7, [](invsim::Inverter& inv) { inv.RefuseWrite(33553, 35); });
    Write(upload, "Vac_High_Time,33553,35\r\nVac_Low_Time,33556,25\r\n");
    bus.ClearFrames();
    ASSERT_TRUE(run.Do("answer " + upload));
    ASSERT_TRUE(run.Do("click Image_OpenGridSet"));
    const QString rejection = QString::fromUtf8("Value of \u201CVac_High_Time\u201D is illegal , Please check upload excel "
                                                "file at \u201C") +
                              upload + QString::fromUtf8("\u201D, follow the setting range to correct the value.");
    shown = DialogsUntil(run, rejection);
    EXPECT_EQ(shown, (QStringList{"Open", rejection}));
    const std::set<std::tuple<int, int, int>> tried = {{5, 33553, 35}, {7, 33553, 35}};
    EXPECT_EQ(Writes(), tried) << "nothing after the rejection";
    EXPECT_EQ(*bus.Holding(5, 33553), 35);
    EXPECT_EQ(*bus.Holding(7, 33553), 20);
    EXPECT_EQ(*bus.Holding(5, 33556), 20);

    // A value that is no number is refused before anything is sent; a cancelled open dialog
    // sends nothing either.
    Write(upload, "Vac_Low_Time,33556,25\r\nVac_High_Time,33553,abc\r\n");
    bus.ClearFrames();
    ASSERT_TRUE(run.Do("answer " + upload));
    ASSERT_TRUE(run.Do("click Image_OpenGridSet"));
    shown.clear();
    ASSERT_TRUE(run.WaitFor([&] {
        for (const auto& v : run.Ask("dialogs")["items"].toArray())
            shown << v.toString();
        return !shown.isEmpty();
    }, 15000));
    ASSERT_TRUE(run.WaitFor([&] {
        for (const auto& v : run.Ask("dialogs")["items"].toArray())
            shown << v.toString();
        return shown.size() >= 2;
    }, 15000));
    ASSERT_EQ(shown.size(), 2);
    EXPECT_TRUE(shown[1].startsWith(QString::fromUtf8("Value of \u201CVac_High_Time\u201D is not a number")))
        << shown[1].toStdString();
    ASSERT_TRUE(run.Do("click Image_OpenGridSet"));   // no answer queued: the dialog is cancelled
    const auto cycles = bus.Frames().size();
    ASSERT_TRUE(run.WaitFor([&] { return bus.Frames().size() > cycles + 20; }, 15000)) << "polling goes on";
    EXPECT_TRUE(Writes().empty());
    EXPECT_EQ(*bus.Holding(5, 33556), 20);

    // No register list: its message and "Error - ID" for each inverter, and no "Done".
    ASSERT_TRUE(QFile::remove(home.path() + "/profile/ConfigModel.csv"));
    run.Ask("dialogs");
    ASSERT_TRUE(run.Do("click Image_SaveGridSet"));
    shown = DialogsUntil(run, kNotComplete + "5, 7");
    EXPECT_EQ(shown, (QStringList{"Error-No Config Model", "Error - ID5", "Please Close Config File",
                                  "Error-No Config Model", "Error - ID7", "Please Close Config File",
                                  kNotComplete + "5, 7"}));
    EXPECT_EQ(run.ColourOf("Label_GridSetLog"), "0x0000FF");

    EXPECT_TRUE(run.Do("close"));
    ASSERT_TRUE(run.process.waitForFinished(10000));
}

TEST_F(GridSettings, AFailedDumpKeepsTheGoodOneAndACancelledLogStartsNothing)
{
    ProgramRun run(home.path(), runtime.path());
    Open(run);
    ASSERT_TRUE(run.Do("answer " + kCode));
    ASSERT_TRUE(run.Do("click Image_SaveGridSet"));
    DialogsUntil(run, "Done");
    const QString good = Read(home.path() + "/ConfigLog/Config_ID7.csv");
    ASSERT_TRUE(good.contains("\r\nVac_High_Off,33552,")) << good.toStdString();
    ASSERT_FALSE(good.contains(",Error\r\n"));
    int registers = 0;
    for (const QString& row : Read(home.path() + "/profile/ConfigModel.csv").split("\r\n", Qt::SkipEmptyParts))
        registers += row.section(',', 1, 1).toInt() >= 1;

    ASSERT_GT(registers, 1);
    const QString path7 = home.path() + "/ConfigLog/Config_ID7.csv";
    const QString path5 = home.path() + "/ConfigLog/Config_ID5.csv";
    const QString good5 = Read(path5);

    // Inverter 7 refuses every read: its good dump stays, one message names it, and the save
    // ends saying so, never "Done", the caption not green.
    bus.AddFault(7, {invsim::FaultKind::Exception});
    ASSERT_TRUE(run.Do("click Image_SaveGridSet"));
    QStringList shown = DialogsUntil(run, kNotComplete + "7", 60000);
    EXPECT_EQ(shown, (QStringList{"ID 7 was not dumped: no register could be read", kNotComplete + "7"}));
    EXPECT_EQ(Read(path7), good);
    EXPECT_EQ(run.ColourOf("Label_GridSetLog"), "0x0000FF");
    bus.ClearFaults(7);

    // Exactly one register of inverter 7 fails: the earlier dump stays and the count is said.
    invsim::Fault one{invsim::FaultKind::Exception};
    one.reg = 33552;
    bus.AddFault(7, one);
    bus.SetHolding(5, 33553, 33);
    ASSERT_TRUE(run.Do("click Image_SaveGridSet"));
    shown = DialogsUntil(run, kNotComplete + "7", 60000);
    EXPECT_EQ(shown, (QStringList{"Error-Read Address(33552)",
                                  "1 register(s) could not be read: the earlier " + path7 + " is kept",
                                  kNotComplete + "7"}));
    EXPECT_EQ(Read(path7), good);
    EXPECT_NE(Read(path5), good5) << "inverter 5 was dumped afresh";
    EXPECT_TRUE(Read(path5).contains("\r\nVac_High_Time,33553,33\r\n")) << Read(path5).toStdString();
    EXPECT_EQ(run.ColourOf("Label_GridSetLog"), "0x0000FF");
    bus.ClearFaults(7);

    // Cancel on the interval prompt: no log file, no row counter, every tab still there.
    run.Ask("dialogs");
    ASSERT_TRUE(run.Do("click Image_DataLog"));   // no answer queued: the prompt is cancelled
    ASSERT_TRUE(run.WaitFor([&] { return !run.Ask("dialogs")["items"].toArray().isEmpty(); }, 10000));
    bus.ClearFrames();
    ASSERT_TRUE(run.WaitFor([&] { return bus.Frames().size() > 40; }, 15000)) << "polling goes on";
    EXPECT_TRUE(QDir(home.path() + "/DataLog").entryList(QDir::Files).isEmpty());
    EXPECT_FALSE(run.Status(9).startsWith("Report: ")) << run.Status(9).toStdString();
    EXPECT_TRUE(run.Do("tab PageControl 1")) << "the log did not take the other tabs away";

    EXPECT_TRUE(run.Do("close"));
    ASSERT_TRUE(run.process.waitForFinished(10000));
}

// A dump that cannot be written, on a full disk or in a read-only folder: the earlier dumps stay
// byte for byte, the message names each file and the cause, and the save never ends in "Done"
// or a green caption.
TEST_F(GridSettings, ADumpThatCannotBeWrittenKeepsTheEarlierOneAndSaysWhy)
{
    ProgramRun run(home.path(), runtime.path());
    run.process.setChildProcessModifier(testsupport::IgnoreFileSizeSignal);
    Open(run);
    ASSERT_TRUE(run.Do("answer " + kCode));
    ASSERT_TRUE(run.Do("click Image_SaveGridSet"));
    ASSERT_EQ(DialogsUntil(run, "Done"), (QStringList{"Input Password Please", "Done"}));
    const QString folder = home.path() + "/ConfigLog";
    const QString path5 = folder + "/Config_ID5.csv", path7 = folder + "/Config_ID7.csv";
    const QString good5 = Read(path5), good7 = Read(path7);
    ASSERT_GT(good5.size(), 200);
    bus.SetHolding(5, 33552, 2650);
    bus.SetHolding(7, 33552, 2650);

    for (const bool fullDisk : {true, false}) {
        SCOPED_TRACE(fullDisk ? "full disk" : "read-only folder");
        std::unique_ptr<testsupport::ReadOnlyFolder> readOnly;
        if (fullDisk)
            ASSERT_TRUE(testsupport::SetFileSizeLimit(run.process.processId(), 100));
        else
            readOnly = std::make_unique<testsupport::ReadOnlyFolder>(folder);
        ASSERT_TRUE(run.Do("click Image_SaveGridSet"));
        const QStringList shown = DialogsUntil(run, kNotComplete + "5, 7", 60000);
        if (fullDisk) {
            ASSERT_TRUE(testsupport::SetFileSizeLimit(run.process.processId(), RLIM_INFINITY));
        }
        readOnly.reset();
        const QString cause = fullDisk ? "File too large" : "the folder is read-only";
        EXPECT_EQ(shown, (QStringList{vcl::FileWriteError(path5, cause), vcl::FileWriteError(path7, cause),
                                      kNotComplete + "5, 7"}));
        EXPECT_EQ(Read(path5), good5);
        EXPECT_EQ(Read(path7), good7);
        EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden), (QStringList{"Config_ID5.csv", "Config_ID7.csv"}));
        EXPECT_EQ(run.ColourOf("Label_GridSetLog"), "0x0000FF");
    }

    // With room again the next save is whole.
    ASSERT_TRUE(run.Do("click Image_SaveGridSet"));
    EXPECT_EQ(DialogsUntil(run, "Done"), QStringList{"Done"});
    EXPECT_TRUE(Read(path7).contains("\r\nVac_High_Off,33552,2650\r\n"));
    EXPECT_EQ(run.ColourOf("Label_GridSetLog"), "0x008000");

    EXPECT_TRUE(run.Do("close"));
    ASSERT_TRUE(run.process.waitForFinished(10000));
}

// A silent inverter with no earlier dump: one message names it, no file of "Error" rows is
// left, and the save does not end in "Done"; the inverter that answers is dumped.
TEST_F(GridSettings, ASilentInverterIsNamedOnceAndLeavesNoFile)
{
    // A short list: each unanswered read costs the link's whole wait.
    Write(home.path() + "/profile/ConfigModel.csv",
          "Name,Address,Default\r\nVac_High_Off,33552,2645\r\nVac_High_Time,33553,20\r\nFac_Low_On,33573,4995\r\n");
    ProgramRun run(home.path(), runtime.path());
    Open(run);
    bus.AddFault(7, {invsim::FaultKind::Silence});
    ASSERT_TRUE(run.Do("answer " + kCode));
    ASSERT_TRUE(run.Do("click Image_SaveGridSet"));
    const QStringList shown = DialogsUntil(run, kNotComplete + "7", 60000);
    EXPECT_EQ(shown, (QStringList{"Input Password Please", "ID 7 was not dumped: no register could be read",
                                  kNotComplete + "7"}));
    EXPECT_FALSE(QFile::exists(home.path() + "/ConfigLog/Config_ID7.csv"));
    EXPECT_TRUE(Read(home.path() + "/ConfigLog/Config_ID5.csv").contains("\r\nVac_High_Time,33553,20\r\n"));
    EXPECT_EQ(run.ColourOf("Label_GridSetLog"), "0x0000FF");
    bus.ClearFaults(7);

    EXPECT_TRUE(run.Do("close"));
    ASSERT_TRUE(run.process.waitForFinished(10000));
}

// On the Wi-Fi link the module (slave 255) is the one inverter there is: the save and the load
// address it once, whatever IDs an RS-485 scan left behind, and a good dump of those IDs stays.
TEST_F(GridSettings, OnWifiSaveAndLoadAddressTheModuleOnce)
{
    invsim::TcpModule module;
    std::string error;
    ASSERT_TRUE(module.Start(0, &error)) << error;
    module.With([](invsim::Inverter& inv) { invsim::LoadDemoInverter(inv); });
    const QString good = "Name,Address,Default\r\nVac_High_Off,33552,2645\r\n";
    ASSERT_TRUE(QDir().mkpath(home.path() + "/ConfigLog"));
    Write(home.path() + "/ConfigLog/Config_ID5.csv", good);

    ProgramRun run(home.path(), runtime.path());
    ASSERT_TRUE(openlink::OnWifi(run, module.Port()));
    ASSERT_TRUE(openlink::Shows(run, "Label_VantoSN", openlink::kDemoSerial));
    run.Ask("dialogs");

    module.SetHolding(33552, 2640);
    module.ClearFrames();
    ASSERT_TRUE(run.Do("answer " + kCode));
    ASSERT_TRUE(run.Do("click Image_SaveGridSet"));
    EXPECT_EQ(DialogsUntil(run, "Done"), (QStringList{"Input Password Please", "Done"}));
    const QString dump = Read(home.path() + "/ConfigLog/Config_ID255.csv");
    EXPECT_TRUE(dump.contains("\r\nVac_High_Off,33552,2640\r\n")) << dump.toStdString();
    EXPECT_FALSE(dump.contains(",Error\r\n"));
    EXPECT_EQ(Read(home.path() + "/ConfigLog/Config_ID5.csv"), good);
    EXPECT_FALSE(QFile::exists(home.path() + "/ConfigLog/Config_ID7.csv"));

    const QString upload = home.path() + "/upload.csv";
    Write(upload, "Vac_High_Off,33552,2655\r\n");
    ASSERT_TRUE(run.Do("answer " + upload));
    ASSERT_TRUE(run.Do("click Image_OpenGridSet"));
    EXPECT_EQ(DialogsUntil(run, "Done"), (QStringList{"Open", "Done"}));
    EXPECT_EQ(module.Holding(33552), 2655);
    int writes = 0;
    for (const auto& f : module.Frames()) {
        EXPECT_EQ(f.bytes[0], 0xFF);
        writes += f.bytes.size() == 8 && f.bytes[1] == 6 && (f.bytes[2] << 8 | f.bytes[3]) + 1 == 33552;
    }
    EXPECT_EQ(writes, 1) << "the value is written once, to the module";

    EXPECT_TRUE(run.Do("close"));
    ASSERT_TRUE(run.process.waitForFinished(10000));
    module.Stop();
}

// With no inverter found the save and the load say so, and neither says "Done".
TEST_F(GridSettings, NothingToAddressIsSaidNotDone)
{
    const QString prev = home.path() + "/profile/PreviousSet.RQX";
    ASSERT_TRUE(ReplaceInFile(prev, "\nID5=1", "\nID5=0"));
    ASSERT_TRUE(ReplaceInFile(prev, "\nID7=1", "\nID7=0"));
    ProgramRun run(home.path(), runtime.path());
    ASSERT_TRUE(openlink::OnRs485(run, bus.Path()));
    ASSERT_TRUE(run.WaitFor([&] { return !run.EnabledOf("OpenPort"); }, 15000));
    run.Ask("dialogs");

    const QString nothing = "No inverter to address: scan for inverters first";
    ASSERT_TRUE(run.Do("answer " + kCode));
    ASSERT_TRUE(run.Do("click Image_SaveGridSet"));
    EXPECT_EQ(DialogsUntil(run, nothing), (QStringList{"Input Password Please", nothing}));
    ASSERT_TRUE(run.Do("answer " + home.path() + "/profile/ConfigModel.csv"));
    ASSERT_TRUE(run.Do("click Image_OpenGridSet"));
    EXPECT_EQ(DialogsUntil(run, nothing), QStringList{nothing});
    // Nothing more comes: a poll cycle later, still no "Done".
    bus.ClearFrames();
    run.WaitFor([&] { return bus.Frames().size() > 5; }, 3000);
    QStringList later;
    for (const auto& v : run.Ask("dialogs")["items"].toArray())
        later << v.toString();
    EXPECT_FALSE(later.contains("Done")) << later.join(" | ").toStdString();
    EXPECT_FALSE(QFile::exists(home.path() + "/ConfigLog/Config_ID0.csv"));

    EXPECT_TRUE(run.Do("close"));
    ASSERT_TRUE(run.process.waitForFinished(10000));
}

TEST_F(GridSettings, DataLogAndRepairRecord)
{
    ProgramRun run(home.path(), runtime.path());
    Open(run);

    // The repair record: on the service page the third access code opens.
    ASSERT_TRUE(run.Do("answer 7352"));
    ASSERT_TRUE(run.Do("tab PageControl 2"));
    ASSERT_TRUE(run.WaitFor([&] { return run.Ask("get Btn_OnSiteRepair")["visible"].toBool(); }, 5000));
    run.Ask("dialogs");
    for (int i = 0; i < 2; ++i) {
        ASSERT_TRUE(run.Do("click Btn_OnSiteRepair"));
        EXPECT_EQ(DialogsUntil(run, "Done"), QStringList{"Done"});
    }
    const QStringList repair = Read(home.path() + "/ConfigLog/OnSiteRepair.csv").split("\r\n", Qt::SkipEmptyParts);
    ASSERT_EQ(repair.size(), 3);
    EXPECT_TRUE(repair[0].startsWith("Vanto P/N,1P/3P,S/N,Fault description 1,"));
    for (int i = 1; i <= 2; ++i) {
        const QStringList f = repair[i].split(',');
        ASSERT_EQ(f.size(), 23) << repair[i].toStdString();
        EXPECT_EQ(f[1], "3P");
        EXPECT_EQ(f[2], "SV5K20A123456");
        EXPECT_EQ(f[9], "2019/6/3");
        EXPECT_EQ(f[17], "V2.05");
    }

    ASSERT_TRUE(run.Do("tab PageControl 0"));

    // The data log at one second: rows are counted as they are written; a second click stops.
    ASSERT_TRUE(run.Do("answer 1"));
    ASSERT_TRUE(run.Do("click Image_DataLog"));
    ASSERT_TRUE(run.WaitFor([&] { return run.Status(9).startsWith("Report: ") && run.Status(9).mid(8).toInt() >= 2; }, 15000));
    // Logging keeps to the main page (the only tab left): its panels are the columns.
    EXPECT_FALSE(run.Do("tab PageControl 1"));
    ASSERT_TRUE(run.Do("click Image_DataLog"));
    const QString report = run.Status(9);
    const QDate d = QDate::currentDate();
    const QString path = home.path() + QStringLiteral("/DataLog/%1.%2.%3_001.csv").arg(d.year()).arg(d.month()).arg(d.day());
    const QString text = Read(path);
    const QStringList lines = text.split("\r\n", Qt::SkipEmptyParts);
    ASSERT_EQ(QStringLiteral("Report: %1").arg(lines.size() - 1), report) << text.toStdString();
    EXPECT_TRUE(lines[0].startsWith(",ID,SN,Time,") && lines[0].contains(",Vac1,Iac1,Pac1,Fac1,")) << lines[0].toStdString();

    EXPECT_TRUE(lines[1].startsWith(",5,SV5K20A123456,")) << lines[1].toStdString();
    EXPECT_TRUE(text.endsWith(",\r\n"));

    EXPECT_TRUE(run.Do("close"));
    ASSERT_TRUE(run.process.waitForFinished(10000));
}

} // namespace

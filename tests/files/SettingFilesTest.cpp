// The register dump, the settings upload and the repair record against simulated inverters on
// a pseudo-terminal, through the program's own link object, in a temporary program folder.
#include "files/RegisterDump.h"
#include "files/RepairRecord.h"
#include "files/SettingsUpload.h"

#include "link/Modbus.h"
#include "support/Dialogs.h"
#include "support/HookedTime.h"
#include "support/QtApp.h"
#include "files/FileText.h"
#include "tools/invsim/Bus.h"
#include "tools/invsim/Demo.h"
#include "vcl/Kit.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <tuple>

namespace {

using testsupport::ScriptedDialogs;

std::string Read(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll().toStdString() : std::string("<missing>");
}

void Write(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    f.write(bytes);
}

class SettingFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        testsupport::EnsureApplication();
        ASSERT_TRUE(home.isValid());
        qputenv("SUNVANE_HOME", home.path().toUtf8());
        ASSERT_TRUE(QDir(home.path()).mkpath("profile"));
        vcl::SetDialogService(&dialogs);
        std::string error;
        ASSERT_TRUE(bus.Start(&error)) << error;
        // The link's waits end only once the simulator has answered: a busy machine never cuts
        // a reply off.
        time.settle = [this] { bus.WaitIdle(5000); };
        vcl::SetTimeService(&time);
        bus.AddInverter(5, 9600);
        bus.AddInverter(7, 9600);
        ASSERT_EQ(link.OpenCom(QString::fromStdString(bus.Path())), 0);
        link.SetBaudCode(1);
        link.ResetLinkCounters();
        link.SlaveId = 5;
        found[0] = 2;
        found[1] = 5;
        found[2] = 7;
        found[256] = 1;
        found[257] = 1;
    }
    void TearDown() override
    {
        vcl::SetTimeService(nullptr);
        link.Com.Close();
        bus.Stop();
        vcl::SetDialogService(nullptr);
        qunsetenv("SUNVANE_HOME");
    }
    void List(const QByteArray& text) { Write(home.filePath("profile/ConfigModel.csv"), text); }
    // (slave, register, value) of every function-6 request on the line.
    std::vector<std::tuple<int, int, int>> Writes() const
    {
        std::vector<std::tuple<int, int, int>> out;
        for (const auto& f : bus.Frames())
            if (f.bytes.size() == 8 && f.bytes[1] == 6)
                out.emplace_back(f.bytes[0], (f.bytes[2] << 8 | f.bytes[3]) + 1, f.bytes[4] << 8 | f.bytes[5]);
        return out;
    }
    int Reads(int fc) const
    {
        int n = 0;
        for (const auto& f : bus.Frames())
            n += f.bytes.size() == 8 && f.bytes[1] == fc;
        return n;
    }
    // A dump of inverter `id`; 0 when every listed register was read and the file written.
    QString Dump(int id, int expected = 0)
    {
        QString path;
        files::ConfigLogFileName(path, id);
        link.SlaveId = static_cast<std::uint8_t>(id);
        EXPECT_EQ(files::DumpConfigModel(path, link), expected);
        return path;
    }
    int Upload(const QByteArray& text)
    {
        const QString path = home.filePath("grid.csv");
        Write(path, text);
        bus.ClearFrames();
        return files::UploadSettingFile(link, found, path);
    }

    QTemporaryDir home;
    ScriptedDialogs dialogs;
    testsupport::HookedTime time;
    invsim::Bus bus;
    Modbus link;
    int found[FoundIdListSize] = {};
};

TEST_F(SettingFiles, DumpWritesEachListedRegisterOrTheRowsOwnText)
{
    bus.SetHolding(5, 1024, 2300);
    List("Name,Address,Default\r\n"
         "Grid Voltage,1024,230\r\n"
         "\"Grid Voltage\",1024,230\r\n"
         "Limit,0x0400,x\r\n"
         "\r\n"
         "Spare,0,-\r\n"
         "Spare,65536,-\r\n"
         "OnlyName\r\n"
         "Missing,2000,x\r\n");
    const QString path = Dump(5, 1);
    EXPECT_TRUE(path.endsWith("/ConfigLog/Config_ID5.csv")) << path.toStdString();
    EXPECT_EQ(Read(path), "Name,Address,Default\r\n"
                          "Grid,Voltage,1024\r\n"
                          "Grid Voltage,1024,2300\r\n"
                          "Limit,0x0400,2300\r\n"
                          "Spare,0,-\r\n"
                          "Spare,65536,-\r\n"
                          "OnlyName,,\r\n"
                          "Missing,2000,Error\r\n");
    // A register the inverter does not hold gets an exception reply: "Error" and its message,
    // and the dump says it is not complete.
    EXPECT_EQ(dialogs.TakeShown(), (QStringList{"Error-Read Address(2000)",
                                                "1 register(s) could not be read: " + path + " holds \"Error\" for them"}));
    EXPECT_EQ(Reads(3), 3) << "only the rows naming a register 1..65535 are read";
}

TEST_F(SettingFiles, DumpFailuresKeepTheEarlierDump)
{
    QString path;
    files::ConfigLogFileName(path, 5);
    // No list: its message, nothing written.
    EXPECT_EQ(files::DumpConfigModel(path, link), 1);
    EXPECT_EQ(dialogs.TakeShown(), QStringList{"Error-No Config Model"});
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_TRUE(bus.Frames().empty());

    bus.SetHolding(5, 100, 1);
    bus.SetHolding(5, 101, 2);
    List("A,100,0\nB,101,0\n");
    Dump(5);
    const std::string first = Read(path);
    ASSERT_EQ(first, "A,100,1\r\nB,101,2\r\n");
    // The link fails in the middle: the earlier dump stays as it was.
    bus.SetHolding(5, 100, 11);
    link.Com.Close();
    EXPECT_EQ(files::DumpConfigModel(path, link), 1);
    EXPECT_EQ(Read(path), first);
}

TEST_F(SettingFiles, ADumpWithUnreadRegistersNeverReplacesACompleteOne)
{
    bus.SetHolding(5, 100, 1);
    bus.SetHolding(5, 101, 2);
    List("A,100,0\nB,101,0\n");
    const QString path = Dump(5);
    const std::string complete = Read(path);
    ASSERT_EQ(complete, "A,100,1\r\nB,101,2\r\n");
    dialogs.TakeShown();

    // Exactly one register fails: the complete backup stays, and the message counts it.
    invsim::Fault one{invsim::FaultKind::Exception};
    one.reg = 101;
    bus.AddFault(5, one);
    bus.SetHolding(5, 100, 11);
    Dump(5, 1);
    EXPECT_EQ(Read(path), complete);
    EXPECT_EQ(dialogs.TakeShown(), (QStringList{"Error-Read Address(101)",
                                                "1 register(s) could not be read: the earlier " + path + " is kept"}));

    // The inverter answers no read: one message naming it, not one per register; the backup
    // stays.
    bus.ClearFaults(5);
    bus.AddFault(5, {invsim::FaultKind::Exception});
    Dump(5, 1);
    EXPECT_EQ(Read(path), complete);
    EXPECT_EQ(dialogs.TakeShown(), QStringList{"ID 5 was not dumped: no register could be read"});

    // With no dump before it, such an inverter leaves no file of "Error" rows at all ...
    ASSERT_TRUE(QFile::remove(path));
    Dump(5, 1);
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_EQ(dialogs.TakeShown(), QStringList{"ID 5 was not dumped: no register could be read"});
    // ... while one that read some registers writes them, with "Error" for the rest ...
    bus.ClearFaults(5);
    bus.AddFault(5, one);
    Dump(5, 1);
    EXPECT_EQ(Read(path), "A,100,11\r\nB,101,Error\r\n");
    // ... and that incomplete file is replaced by the next complete dump.
    bus.ClearFaults(5);
    bus.SetHolding(5, 100, 1);
    Dump(5);
    EXPECT_EQ(Read(path), complete);
}

TEST_F(SettingFiles, AnUnchangedDumpUploadsWithoutAWrite)
{
    for (int id : {5, 7}) {
        bus.SetHolding(id, 33552, 2645);
        bus.SetHolding(id, 33553, 20);
    }
    List("Name,Address,Default\r\n\"Voltage protection\",0,-\r\nHigh,33552,2645\r\nTime,33553,20\r\n");
    const QString dump = Dump(5);
    QFile::copy(dump, home.filePath("grid.csv"));
    bus.ClearFrames();
    EXPECT_EQ(files::UploadSettingFile(link, found, home.filePath("grid.csv")), 0);
    EXPECT_TRUE(Writes().empty());
    EXPECT_EQ(Reads(3), 4) << "each register of each inverter is read once";
    EXPECT_EQ(dialogs.TakeShown(), QStringList{"Done"});
}

TEST_F(SettingFiles, UploadWritesOnlyWhatDiffersAndReadsItBack)
{
    bus.SetHolding(5, 1024, 2300);
    bus.SetHolding(7, 1024, 2200);
    bus.SetHolding(5, 1025, 0x0007);
    bus.SetHolding(7, 1025, 0x0003);
    bus.SetHolding(5, 1026, 0);
    bus.SetHolding(7, 1026, 0xFFFF);
    bus.SetHolding(5, 65536, 1);
    bus.SetHolding(7, 65536, 1);
    EXPECT_EQ(Upload("Name,Address,Value\n"
                     "Limit,1024,2300\n"
                     "Relay,0x0401,bx8004\n"     // bit 2 must be set: 5 has it, 7 gets it
                     "Low,1026,-1\n"
                     "Wrap,1026,70000\n"         // the low 16 bits: 4464
                     "Top,65536,1\n"
                     "Skip,0,5\nSkip,65537,5\n"),
              0);
    const std::vector<std::tuple<int, int, int>> expected = {
        {7, 1024, 2300}, {7, 1025, 0x0007}, {5, 1026, 0xFFFF}, {5, 1026, 4464}, {7, 1026, 4464}};
    EXPECT_EQ(Writes(), expected);
    EXPECT_EQ(*bus.Holding(7, 1025), 0x0007) << "only the tested bit changes";
    EXPECT_EQ(dialogs.TakeShown(), QStringList{"Done"});

    // A must-be-clear check clears that bit and keeps the others.
    EXPECT_EQ(Upload("Relay,1025,bx0004\n"), 0);
    EXPECT_EQ(*bus.Holding(5, 1025), 0x0003);
    EXPECT_EQ(*bus.Holding(7, 1025), 0x0003);
}

// A bit check tests the highest bit the descriptor names below bit 15, down to bit 0, and the
// write changes only that bit.
TEST_F(SettingFiles, BitChecksReachEveryBitDownToBitZero)
{
    struct Case {
        const char* descriptor;
        std::uint16_t content;
        std::uint16_t written;   // 0 for "no write": the check already holds
    };
    const Case cases[] = {
        {"bx8001", 0x0006, 0x0007}, {"bx0001", 0x0007, 0x0006}, {"bx8001", 0x0001, 0},
        {"bx0001", 0x0006, 0},      {"bxC000", 0x0001, 0x4001}, {"bx4000", 0x7FFF, 0x3FFF},
        {"bx8003", 0x0000, 0x0002}, {"bx0003", 0x0003, 0x0001},
    };
    for (const Case& c : cases) {
        bus.SetHolding(5, 1025, c.content);
        bus.SetHolding(7, 1025, c.content);
        EXPECT_EQ(Upload(QByteArray("Flag,1025,") + c.descriptor + "\n"), 0) << c.descriptor;
        const auto w = Writes();
        if (c.written == 0) {
            EXPECT_TRUE(w.empty()) << c.descriptor << " on " << c.content;
            continue;
        }
        const std::vector<std::tuple<int, int, int>> expected = {{5, 1025, c.written}, {7, 1025, c.written}};
        EXPECT_EQ(w, expected) << c.descriptor << " on " << c.content;
        dialogs.TakeShown();
    }
}

TEST_F(SettingFiles, ARefusedValueStopsTheUploadWithItsMessage)
{
    bus.SetHolding(5, 1024, 2200);
    bus.SetHolding(7, 1024, 2200);
    bus.SetHolding(5, 1030, 1);
    bus.SetHolding(7, 1030, 1);
    bus.With(7, [](invsim::Inverter& inv) { inv.RefuseWrite(1024, 2300); });
    const QString path = home.filePath("grid.csv");
    EXPECT_EQ(Upload("Limit,1024,2300\nNext,1030,2\n"), 1);
    EXPECT_EQ(dialogs.TakeShown(), QStringList{QString::fromUtf8("Value of \u201CLimit\u201D is illegal , Please check upload "
                                                                 "excel file at \u201C") +
                                               path + QString::fromUtf8("\u201D, follow the setting range to correct the value.")});
    const std::vector<std::tuple<int, int, int>> expected = {{5, 1024, 2300}, {7, 1024, 2300}};
    EXPECT_EQ(Writes(), expected) << "nothing after the rejection";
    EXPECT_EQ(*bus.Holding(5, 1024), 2300);
    EXPECT_EQ(*bus.Holding(7, 1024), 2200);
}

TEST_F(SettingFiles, UploadRefusesWhatItCannotTrust)
{
    bus.SetHolding(5, 1024, 2200);
    bus.SetHolding(7, 1024, 2200);
    const QString path = home.filePath("grid.csv");
    // A value that is no number (a dump's "Error", a unit, a fraction): the file is refused
    // before anything is sent.
    for (const char* bad : {"Error", "230V", "2.5", "bxZZ", "0x"}) {
        EXPECT_EQ(Upload("Good,1024,2300\nBad,1024," + QByteArray(bad) + "\n"), 1) << bad;
        EXPECT_TRUE(bus.Frames().empty()) << bad;
        const QStringList shown = dialogs.TakeShown();
        ASSERT_EQ(shown.size(), 1) << bad;
        EXPECT_TRUE(shown[0].startsWith(QString::fromUtf8("Value of \u201CBad\u201D is not a number"))) << shown[0].toStdString();
        EXPECT_TRUE(shown[0].contains(path));
    }
    // A file that cannot be read is an error, not "Done".
    EXPECT_EQ(files::UploadSettingFile(link, found, home.filePath("none.csv")), 1);
    const QStringList shown = dialogs.TakeShown();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_NE(shown[0], "Done");
    // A register the inverter does not answer for: stopped with the ID and register named.
    bus.ClearFrames();
    EXPECT_EQ(Upload("Limit,1024,2300\nOther,3000,1\n"), 1);
    EXPECT_EQ(dialogs.TakeShown(), QStringList{"Error - ID5 Read Address(3000), upload stopped"});
    EXPECT_EQ(Writes().size(), 2u) << "the first row was applied to both before";
}

TEST_F(SettingFiles, RepairRecordsAreWrittenWholeAfterOneTitleLine)
{
    vcl::TForm form;
    auto label = [&](const char* name, const char* text) {
        auto* l = new vcl::TLabel(&form);
        l->SetName(QLatin1String(name));
        l->SetCaption(QString::fromUtf8(text));
    };
    label("Label_VantoSN", "ABC1234567890");
    label("Label_Event0", "E09- No Grid");
    label("Label_Event1", "??");
    label("Label_DSP_Rev", "V2.05");
    label("Label_Redundant_Rev", "V1.49");
    label("Label_Display_Rev", "V1.23");
    label("Label_TotalWh", "1234.5kWh");
    label("Label_TotalRuntime", "321h");
    bus.SetInput(5, 1168, 2019);
    bus.SetInput(5, 1169, 5);
    bus.SetInput(5, 1170, 21);
    QString path;
    files::OnSiteRepairFileName(path, "ABC1234567890");
    EXPECT_TRUE(path.endsWith("/ConfigLog/OnSiteRepair.csv"));
    ASSERT_EQ(files::WriteOnSiteRepairRecord(form, 1, path, link), 0);
    link.SlaveId = 7;   // no install date there: the field stays empty
    ASSERT_EQ(files::WriteOnSiteRepairRecord(form, 3, path, link), 0);
    const std::string title =
        "Vanto P/N,1P/3P,S/N,Fault description 1,Fault description 2,Fault description 3,Fault description 4,"
        "Fault description 5,Out of Wanrranty(Y/N),Install date,Treatment,Site repaired detail,"
        "Treated date(YYYY/MM/DD),Warehourse location,Replaced Date(YYYY/MM/DD),Replaced SN,New unit(Y/N),DSP Ver.,"
        "Red Ver.,Comm Ver.,Country setting,Total Energy,Total Runtime,\r\n";
    const std::string tail = ", , , , , , , ,V2.05,V1.49,V1.23, ,1234.5kWh,321h\r\n";
    EXPECT_EQ(Read(path), title + " ,1P,ABC1234567890,E09- No Grid,??,??,??,??, ,2019/5/21" + tail +
                              " ,3P,ABC1234567890,E09- No Grid,??,??,??,??, ," + tail);

    // A link failure writes nothing, so no half record is left for the next one to continue.
    const std::string before = Read(path);
    link.Com.Close();
    EXPECT_EQ(files::WriteOnSiteRepairRecord(form, 3, path, link), 1);
    EXPECT_EQ(Read(path), before);
    // An existing but empty file gets no title line.
    ASSERT_EQ(link.OpenCom(QString::fromStdString(bus.Path())), 0);
    link.SetBaudCode(1);
    Write(path, "");
    ASSERT_EQ(files::WriteOnSiteRepairRecord(form, 3, path, link), 0);
    // A file that cannot be written (its folder is a plain file): 1.
    Write(home.filePath("blocked"), "keep");
    EXPECT_EQ(files::WriteOnSiteRepairRecord(form, 3, home.filePath("blocked/OnSiteRepair.csv"), link), 1);
    EXPECT_EQ(Read(path).rfind(" ,3P,", 0), 0u);
}

} // namespace

namespace {

// The register list that ships with the program fits the simulated inverter: every listed
// register is read without an error, and holds the value the list names as its default.
TEST_F(SettingFiles, TheShippedListFitsTheSimulatedInverter)
{
    ASSERT_TRUE(QFile::copy(SUNVANE_SOURCE_DIR "/resources/program/profile/ConfigModel.csv",
                            home.filePath("profile/ConfigModel.csv")));
    bus.With(5, [](invsim::Inverter& inv) { invsim::LoadDemoInverter(inv); });
    const QString dump = QString::fromStdString(Read(Dump(5)));
    EXPECT_TRUE(dialogs.TakeShown().isEmpty());
    const QStringList lines = dump.split("\r\n", Qt::SkipEmptyParts);
    std::vector<QString> listRows;
    ASSERT_TRUE(files::ReadRows(home.filePath("profile/ConfigModel.csv"), listRows));
    ASSERT_EQ(lines.size(), static_cast<qsizetype>(listRows.size()));
    int registers = 0;
    for (size_t i = 0; i < listRows.size(); ++i) {
        const QStringList row = files::SplitDelimited(listRows[i]);
        ASSERT_EQ(row.size(), 3) << listRows[i].toStdString() << " (names without blanks upload as they dump)";
        const QStringList dumped = lines[static_cast<qsizetype>(i)].split(',');
        if (row[1].toInt() >= 1) {
            ++registers;
            EXPECT_EQ(dumped[2], row[2]) << lines[static_cast<qsizetype>(i)].toStdString();
        }
    }
    EXPECT_GE(registers, 30);
    // Uploaded back unchanged it writes nothing.
    QFile::copy(home.filePath("ConfigLog/Config_ID5.csv"), home.filePath("back.csv"));
    bus.ClearFrames();
    found[0] = 1;
    EXPECT_EQ(files::UploadSettingFile(link, found, home.filePath("back.csv")), 0);
    EXPECT_TRUE(Writes().empty());
}

} // namespace

#include "DesignTestSupport.h"

#include "design/ModeSettings.h"

namespace {

using namespace design;
using designtest::ReadAll;
using designtest::WriteAll;

// A settings file that holds all 144 keys, in the order a save writes them.
QByteArray FullFile()
{
    QByteArray t = "[Temperature]\r\nLabel1=Ambient\r\nLabel2=Boost-1\r\nLabel3=Boost-2\r\nLabel4=Inverter-S\r\n"
                   "Labe21=THS_R\r\nLabe22=THS_S\r\nLabe23=THS_T\r\nLabe24=T_AMB\r\n"
                   "[reclosureTime]\r\nRate=30\r\n[Reactive]\r\nSign=1\r\nCosPhiSet=1\r\n[Inverter]\r\nState=1\r\n"
                   "[ConstVlot]\r\nshow=1\r\n[JapanUserSettingMode]\r\nMode=2\r\n[VacProtect]\r\nset=3\r\n"
                   "[ActiveSlope]\r\nshow=1\r\n[Language]\r\nSelect=0\r\n"
                   "[Write]\r\nPermission=1\r\nShowAcMode=2\r\nShowAcTitle=1\r\nShowGsFacMode=2\r\nShowQofUMode=1\r\n"
                   "ReactivePowerMode=-1\r\nVersionShowDateCode=1\r\n";
    for (int d = 0; d < 4; ++d) {
        t += "[Poll0" + QByteArray::number(d + 1) + "]\r\n";
        for (int r = 1; r <= 10; ++r)
            t += "Addr" + QByteArray::number(d) + QByteArray::number(r) + "=" + QByteArray::number(100 * d + r) + "\r\n";
        for (int r = 1; r <= 10; ++r)
            t += "Type" + QByteArray::number(d) + QByteArray::number(r) + "=" + QByteArray::number(r % 3) + "\r\n";
        for (int r = 1; r <= 10; ++r)
            t += "Value" + QByteArray::number(d) + QByteArray::number(r) + "=" + (r == 10 ? QByteArray() : QByteArray::number(-r)) + "\r\n";
    }
    return t;
}

class ModeSettingsFile : public designtest::DesignTest {};

TEST_F(ModeSettingsFile, FullFileLoadsAndSavesWithEveryLineInPlace)
{
    const QString path = Path("SuperHero/MonitorSet.RQX");
    WriteAll(path, FullFile());
    ModeSettings s;
    ASSERT_EQ(LoadMonitorSet(path, s), 0);
    EXPECT_EQ(s.temperatureTitles[0], "Ambient");
    EXPECT_EQ(s.temperatureTitles[7], "T_AMB");
    EXPECT_EQ(s.ReclosureRate, 30);
    EXPECT_EQ(s.ReactiveSign, 1);
    EXPECT_EQ(s.CosPhiStep, 1);
    EXPECT_EQ(s.StateTextTable, 1);
    EXPECT_EQ(s.ConstVoltShow, 1);
    EXPECT_EQ(s.JapanUserSettingMode, 2);
    EXPECT_EQ(s.VacProtectSet, 3);
    EXPECT_EQ(s.ActiveSlopeShow, 1);
    EXPECT_EQ(s.LanguageSelectShow, 0);
    EXPECT_EQ(s.WriteLock, 1);
    EXPECT_EQ(s.AcLayout, 2);
    EXPECT_EQ(s.ShowAcTitle, 1);
    EXPECT_EQ(s.ShowGsFacMode, 2);
    EXPECT_EQ(s.ShowQofUMode, 1);
    EXPECT_EQ(s.ReactivePowerMode, -1);
    EXPECT_EQ(s.ShowFirmwareDates, 1);
    EXPECT_EQ(s.poll[0][9].addr, "10");
    EXPECT_EQ(s.poll[3][0].addr, "301");
    EXPECT_EQ(s.poll[2][1].type, 2);
    EXPECT_EQ(s.poll[1][2].value, "-3");
    EXPECT_EQ(s.poll[1][9].value, "");

    ASSERT_EQ(SaveMonitorSet(path, s, 1), 0);
    EXPECT_EQ(ReadAll(path), FullFile());
    EXPECT_TRUE(dialogs.shown.isEmpty());
}

TEST_F(ModeSettingsFile, ValuesAreReadByTheirRulesAndWrittenBackNormalised)
{
    struct Case { const char* file; const char* expectLine; };
    const Case cases[] = {
        {"[reclosureTime]\nRate=0\n", "Rate=10"},
        {"[reclosureTime]\nRate=\n", "Rate=10"},
        {"[reclosureTime]\nRate=abc\n", "Rate=10"},
        {"[reclosureTime]\nRate=-5\n", "Rate=-5"},
        {"[ConstVlot]\nshow=7\n", "[ConstVlot]\nshow=1"},
        {"[ConstVlot]\nshow=-3\n", "[ConstVlot]\nshow=1"},
        {"[ActiveSlope]\nshow=0x10\n", "[ActiveSlope]\nshow=1"},
        {"[Poll01]\nType05=3\n", "Type05=-1"},
        {"[Poll01]\nType05=-7\n", "Type05=-1"},
        {"[Poll01]\nType05=x\n", "Type05=0"},
        {"[POLL01]\ntype05=2\n", "type05=2"},          // letter case ignored, spelling kept
        {"[Write]\nShowAcMode=-4\n", "ShowAcMode=-4"},
    };
    for (const Case& c : cases) {
        const QString path = Path("MonitorSet.RQX");
        WriteAll(path, c.file);
        ModeSettings s;
        ASSERT_EQ(LoadMonitorSet(path, s), 0);
        ASSERT_EQ(SaveMonitorSet(path, s, 1), 0);
        EXPECT_TRUE(ReadAll(path).contains(c.expectLine)) << c.file;
    }
}

TEST_F(ModeSettingsFile, EmptyFileGivesEmptyTextsZeroMembersAndRateTen)
{
    const QString path = Path("MonitorSet.RQX");
    WriteAll(path, "");
    ModeSettings s;
    s.temperatureTitles[3] = "old";
    s.poll[2][4] = {"17", 2, "5"};
    s.ReactiveSign = 1;
    s.WriteLock = 1;
    s.ReclosureRate = 3;
    ASSERT_EQ(LoadMonitorSet(path, s), 0);
    EXPECT_EQ(s.temperatureTitles[3], "");
    EXPECT_EQ(s.poll[2][4].addr, "");
    EXPECT_EQ(s.poll[2][4].type, 0);  // "Coil"
    EXPECT_EQ(s.poll[2][4].value, "");
    EXPECT_EQ(s.ReactiveSign, 0);
    EXPECT_EQ(s.WriteLock, 0);
    EXPECT_EQ(s.ReclosureRate, 10);
}

TEST_F(ModeSettingsFile, MissingSectionsAndMisspelledKeysAreAppendedOthersKept)
{
    const QString path = Path("MonitorSet.RQX");
    QByteArray file = FullFile();
    file.replace("Labe2", "Label2");
    const qsizetype write = file.indexOf("[Write]");
    const qsizetype poll = file.indexOf("[Poll01]");
    file.remove(write, poll - write);
    WriteAll(path, file);

    ModeSettings s;
    ASSERT_EQ(LoadMonitorSet(path, s), 0);
    EXPECT_EQ(s.temperatureTitles[4], "");
    EXPECT_EQ(s.WriteLock, 0);
    ASSERT_EQ(SaveMonitorSet(path, s, 1), 0);
    const QByteArray saved = ReadAll(path);
    EXPECT_TRUE(saved.startsWith(file.left(file.indexOf("[reclosureTime]") - 0).replace(
        "Label24=T_AMB\r\n", "Label24=T_AMB\r\nLabe21=\r\nLabe22=\r\nLabe23=\r\nLabe24=\r\n")));
    EXPECT_TRUE(saved.endsWith("[Write]\r\nPermission=0\r\nShowAcMode=0\r\nShowAcTitle=0\r\nShowGsFacMode=0\r\n"
                               "ShowQofUMode=0\r\nReactivePowerMode=0\r\nVersionShowDateCode=0\r\n"));
}

TEST_F(ModeSettingsFile, OrdinaryModeNeverWritesAndMissingFileIsNotCreated)
{
    const QString path = Path("GridTied/MonitorSet.RQX");
    WriteAll(path, "[Write]\nPermission=1\n");
    ModeSettings s;
    s.WriteLock = 0;
    EXPECT_EQ(SaveMonitorSet(path, s, 0), 0);
    EXPECT_EQ(ReadAll(path), QByteArray("[Write]\nPermission=1\n"));
    EXPECT_TRUE(dialogs.shown.isEmpty());

    const QString missing = Path("Nothing/MonitorSet.RQX");
    s.ReactiveSign = 1;
    EXPECT_EQ(LoadMonitorSet(missing, s), 1);
    EXPECT_EQ(s.ReactiveSign, 1);
    for (std::uint8_t super : {0, 1}) {
        dialogs.shown.clear();
        EXPECT_EQ(SaveMonitorSet(missing, s, super), 1);
        EXPECT_EQ(dialogs.shown, QStringList{"No found Setting File"});
        EXPECT_FALSE(QFile::exists(missing));
    }
}

TEST(ModeSettingsKeys, PollKeysHaveNoLeadingZero)
{
    EXPECT_EQ(PollKey("Addr", 0, 10), "Addr010");
    EXPECT_EQ(PollKey("Type", 3, 1), "Type31");
    EXPECT_EQ(PollKey("Value", 2, 10), "Value210");
    EXPECT_EQ(PollSection(3), "Poll04");
}

} // namespace

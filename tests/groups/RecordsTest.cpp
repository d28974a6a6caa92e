// The record groups against the simulated inverter: event log, warnings and flags, derating
// records, inverter time and energy history.
#include "GroupsTestSupport.h"

#include "groups/Records.h"
#include "app/TextFit.h"

#include <QFontMetrics>
#include <QLabel>

namespace {

using namespace groupstest;

class Records : public GroupsOnPty {
protected:
    void SetUp() override
    {
        GroupsOnPty::SetUp();
        int top = 1300;
        for (const char* name : {"Group_ErrorEvent", "Group_JapanErrorList", "Group_WarnEvent", "Group_DeratingRecords",
                                 "Group_FanFail", "Group_ErrorCodes", "Group_DeratingRecordsOPV", "Group_DeratingRecordsVin",
                                 "Group_DeratingRecordsOPVLo", "Group_DeratingRecordsPM", "Group_HRN_ThermalEvent",
                                 "Group_HRN_OpvEvent", "Group_HRN_VinEvent", "Group_HRN_OpvloEvent", "Group_InvTime",
                                 "Group_DailyEnergy", "Group_MonthlyEnergy"}) {
            MakeGroupPanel(*form, name, top);
            top += 260;
        }
        rec = groups::BuildRecordGroups(*form);
    }
    // Event page p: ten codes and times.
    void SetPage(int p, std::array<std::uint16_t, 10> codes, std::array<std::uint32_t, 10> times)
    {
        bus.With(1, [&](invsim::Inverter& inv) { inv.SetEventPage(p, codes, times); });
    }
    std::vector<std::string> Requests() const
    {
        std::vector<std::string> out;
        for (const auto& f : bus.Frames())
            out.push_back(invsim::HexText(invsim::Bytes(f.bytes.begin(), f.bytes.end() - 2), " "));
        return out;
    }
    groups::RecordGroups rec;
};

TEST_F(Records, EventLogShowsTheThirtyEventsWithTheirTextsAndTimes)
{
    // 2020/01/01 00:00:00 is 0x5E0BE100.
    SetPage(0, {129, 0x0105, 75, 0, 5, 215, 256 & 0xFF, 1, 2, 3}, {0x5E0BE100, 0, 4294967295u, 0x5E0BE100 + 3661, 1, 2, 3, 4, 5, 6});
    SetPage(1, {137, 0, 0, 0, 0, 0, 0, 0, 0, 0}, {0x5E0BE100 + 86400, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    SetPage(2, {0, 0, 0, 0, 0, 0, 0, 0, 0, 235}, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0x5E0BE100});
    ASSERT_EQ(groups::ReadErrorEvents(link, rec.Events, 0), 0);
    struct Row { const char* label; const char* text; };
    const Row rows[] = {
        {"Label_Event0", "E01- Over Frequency Range"}, {"Label_EventTime0", "2020/01/01 00:00:00"},
        {"Label_Event1", ""},                           // high byte set: code 0
        {"Label_Event2", "F75-"},                       {"Label_EventTime1", ""},   // time 0
        {"Label_EventTime2", ""},                       // a year after 2100
        {"Label_Event3", ""},                           {"Label_EventTime3", "2020/01/01 01:01:01"},
        {"Label_Event4", "F05- NTC Over Temperature"}, {"Label_Event5", "W07-De-rating"},
        {"Label_Event10", "E09- No Grid"},             {"Label_EventTime10", "2020/01/02 00:00:00"},
        {"Label_Event29", "W27-BT Derating"},          {"Label_EventTime29", "2020/01/01 00:00:00"},
    };
    for (const Row& r : rows)
        EXPECT_EQ(Text(r.label), QString::fromUtf8(r.text)) << r.label;
    EXPECT_EQ(host.panels[2], "Event...");
    EXPECT_EQ(Colour("Label_Event0"), vcl::clBlue);
    // Nine requests: select, codes, times for each page.
    const std::vector<std::string> expected = {
        "01 06 03 20 00 00", "01 04 04 3F 00 0B", "01 04 04 9F 00 14",
        "01 06 03 20 00 01", "01 04 04 3F 00 0B", "01 04 04 9F 00 14",
        "01 06 03 20 00 02", "01 04 04 3F 00 0B", "01 04 04 9F 00 14",
    };
    EXPECT_EQ(Requests(), expected);
}

// Every text the event list can show stands whole in its row beside the time: a long one in two
// lines of a smaller type, a short one in one line of the list's own.
TEST_F(Records, EveryEventTextStandsWholeInItsRow)
{
    int twoLines = 0;
    for (int first = 0; first < 256; first += 30) {
        for (int p = 0; p < 3; ++p) {
            std::array<std::uint16_t, 10> codes{};
            for (int k = 0; k < 10; ++k)
                codes[static_cast<std::size_t>(k)] = static_cast<std::uint16_t>(std::min(255, first + 10 * p + k));
            SetPage(p, codes, {});
        }
        ASSERT_EQ(groups::ReadErrorEvents(link, rec.Events, 0), 0);
        for (int n = 0; n < 30; ++n) {
            const auto* label = static_cast<const QLabel*>(rec.Events.Code[static_cast<std::size_t>(n)]->Handle());
            const QString text = label->text();
            ASSERT_EQ(text, groups::EventLogText(std::min(255, first + n)));
            EXPECT_EQ(textfit::TooNarrow(label), QString()) << text.toStdString();
            const auto* time = rec.Events.Time[static_cast<std::size_t>(n)]->Handle();
            EXPECT_LE(label->geometry().right(), time->geometry().left()) << text.toStdString();
            const bool oneLine = QFontMetrics(time->font()).horizontalAdvance(text) <= label->width();
            EXPECT_EQ(label->font().pointSize(), oneLine ? 7 : 6) << text.toStdString();
            twoLines += oneLine ? 0 : 1;
        }
    }
    EXPECT_GT(twoLines, 10);   // the long texts, such as "F36- Output Current Transient Over Rating (R Phase)"
}

TEST_F(Records, EventPageWithAWrongEchoKeepsItsOldTexts)
{
    SetPage(0, {129, 0, 0, 0, 0, 0, 0, 0, 0, 0}, {0x5E0BE100, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    SetPage(1, {130, 0, 0, 0, 0, 0, 0, 0, 0, 0}, {0x5E0BE100, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    ASSERT_EQ(groups::ReadErrorEvents(link, rec.Events, 0), 0);
    // The code window now echoes page 1 whatever is chosen: pages 0 and 2 keep their texts and
    // their time windows are not read.
    bus.With(1, [](invsim::Inverter& inv) { inv.SetEventEchoOverride(1); });
    SetPage(0, {131, 0, 0, 0, 0, 0, 0, 0, 0, 0}, {0x5E0BE100 + 60, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    SetPage(1, {132, 0, 0, 0, 0, 0, 0, 0, 0, 0}, {0x5E0BE100 + 60, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    bus.ClearFrames();
    ASSERT_EQ(groups::ReadErrorEvents(link, rec.Events, 0), 0);
    EXPECT_EQ(Text("Label_Event0"), "E01- Over Frequency Range");
    EXPECT_EQ(Text("Label_EventTime0"), "2020/01/01 00:00:00");
    EXPECT_EQ(Text("Label_Event10"), "E04- Anti_OFR");
    EXPECT_EQ(Text("Label_EventTime10"), "2020/01/01 00:01:00");
    EXPECT_EQ(Requests().size(), 7u);
}

TEST_F(Records, JapaneseErrorListNumbersEachText)
{
    SetPage(0, {0, 0, 0, 0, 0, 0, 0, 0xFF01, 1, 300}, {});
    ASSERT_EQ(groups::ReadJapanErrorList(link, rec.JapanEvents, 0), 0);
    EXPECT_EQ(Text("Label_Japan_E00"), "00. 0");
    EXPECT_EQ(Text("Label_Japan_E07"), "07. S_F01- ");
    EXPECT_EQ(Text("Label_Japan_E08"), QString::fromUtf8("08. G_F01- 直流分検出"));
    EXPECT_EQ(Text("Label_Japan_E09"), "09. 0");
}

TEST_F(Records, WarningsShowTheFirstFiveSetBitsInTableOrder)
{
    struct Case { std::uint16_t w0, w1; std::array<const char*, 5> lines; };
    const Case cases[] = {
        {0x8802, 0x0004, {"Solar1 Low", "SPD Fail", "HW FAN", "AC Surge Fail", ""}},
        {0x8886, 0x0006, {"Solar1 Low", "Solar2 Low", "De-rating", "SPD Fail", "HW FAN"}},
        {0x0001, 0x0000, {"", "", "", "", ""}},
    };
    for (const Case& c : cases) {
        bus.SetInput(1, 53282, c.w0);
        bus.SetInput(1, 53283, c.w1);
        ASSERT_EQ(groups::ReadWarnings(link, rec.Warnings, 0), 0);
        for (int i = 0; i < 5; ++i)
            EXPECT_EQ(Text(QStringLiteral("Label_WarnEvent0%1").arg(i + 1).toLatin1().constData()), c.lines[i]) << c.w0 << " line " << i;
    }
    EXPECT_EQ(Colour("Label_WarnEvent01"), vcl::clBlack);
    // A refused read shows no warnings at all (the lines are black, so no stale mark either).
    bus.SetInput(1, 53282, 0x0002);
    ASSERT_EQ(groups::ReadWarnings(link, rec.Warnings, 0), 0);
    ASSERT_EQ(Text("Label_WarnEvent01"), "Solar1 Low");
    invsim::Fault refuse;
    refuse.kind = invsim::FaultKind::Exception;
    refuse.times = 1;
    bus.AddFault(1, refuse);
    ASSERT_EQ(groups::ReadWarnings(link, rec.Warnings, 0), 0);
    EXPECT_EQ(Text("Label_WarnEvent01"), "");
}

TEST_F(Records, DeratingAndFanCaptionsTakeTheColourOfTheirBits)
{
    EXPECT_EQ(Colour("Label_DerateRecord1"), vcl::clSilver);
    EXPECT_EQ(Text("Label_DerateRecord7"), "Ramp up");
    EXPECT_EQ(Text("Label_FanExt15"), "F15");
    bus.SetInput(1, 20991, 0x0102);
    for (int k = 0; k < 4; ++k)
        bus.SetInput(1, 53297 + k, k == 0 ? 0x8001 : k == 1 ? 0xFFFF : k == 2 ? 0x0002 : 0xFFFF);
    ASSERT_EQ(groups::ReadDeratingFlags(link, rec.DeratingFlags, 0), 0);
    ASSERT_EQ(groups::ReadFanFail(link, rec.Fans, 0), 0);
    for (int i = 1; i <= 8; ++i)
        EXPECT_EQ(Colour(QStringLiteral("Label_DerateRecord%1").arg(i).toLatin1().constData()),
                  i == 1 || i == 8 ? groups::kFlagSetColour : groups::kFlagClearColour) << i;
    for (int k = 0; k < 16; ++k) {
        const QByteArray in = QStringLiteral("Label_FanInt%1").arg(k, 2, 10, QLatin1Char('0')).toLatin1();
        const QByteArray ex = QStringLiteral("Label_FanExt%1").arg(k, 2, 10, QLatin1Char('0')).toLatin1();
        EXPECT_EQ(Colour(in.constData()), k == 0 || k == 15 ? groups::kFlagSetColour : groups::kFlagClearColour) << k;
        EXPECT_EQ(Colour(ex.constData()), k == 1 ? groups::kFlagSetColour : groups::kFlagClearColour) << k;
    }
    // Bit 0 alone has no caption.
    bus.SetInput(1, 20991, 0x0001);
    ASSERT_EQ(groups::ReadDeratingFlags(link, rec.DeratingFlags, 0), 0);
    EXPECT_EQ(Colour("Label_DerateRecord1"), groups::kFlagClearColour);
    EXPECT_EQ(Colour("Label_DerateRecord8"), groups::kFlagClearColour);
}

TEST_F(Records, ErrorCodesShowEachWordUnsigned)
{
    for (int k = 0; k < 30; ++k)
        bus.SetInput(1, 1152 + k, static_cast<std::uint16_t>(k == 29 ? 0xFFFF : k * 3));
    ASSERT_EQ(groups::ReadErrorCodes(link, rec.ErrorCodes, 0), 0);
    EXPECT_EQ(Text("Label_Codes_F00"), "0");
    EXPECT_EQ(Text("Label_Codes_P11"), "24");
    EXPECT_EQ(Text("Label_Codes_d19"), "48");
    EXPECT_EQ(Text("Label_Codes_d40"), "65535");
}

TEST_F(Records, DeratingRecordsInBothFamilies)
{
    for (int w = 0; w < 48; ++w)
        bus.SetInput(1, 21120 + w, 0);
    bus.SetInput(1, 21120 + 15, 0xE100);   // record 5 starts 2020/01/01 00:00:00
    bus.SetInput(1, 21120 + 16, 0x5E0B);
    bus.SetInput(1, 21120 + 17, 65535);
    bus.SetInput(1, 21120 + 33, 0xE100);   // record 11
    bus.SetInput(1, 21120 + 34, 0x5E0B);
    bus.SetInput(1, 21120 + 35, 5);
    bus.SetInput(1, 21120 + 36, 0xE100);   // record 12: partner panels only
    bus.SetInput(1, 21120 + 37, 0x5E0B);
    ASSERT_EQ(groups::ReadDeratingRecords(link, rec.Derating[groups::kDeratingOpv], 0), 0);
    ASSERT_EQ(groups::ReadDeratingRecords(link, rec.Derating[groups::kHarunetOvp], 0), 0);
    struct Row { const char* label; const char* text; };
    const Row rows[] = {
        {"Label_RecordsOPVStart06", "2020/01/01 00:00:00"}, {"Label_RecordsOPVAddUp06", "65535 sec"},
        {"Label_HRN_OpvST05", "2020/01/01 00:00:00"},       {"Label_HRN_OpvDT05", "18:12:15"},
        {"Label_RecordsOPVStart01", ""},                     {"Label_RecordsOPVAddUp01", ""},
        {"Label_HRN_OpvST00", ""},                           {"Label_HRN_OpvDT00", ""},
        {"Label_RecordsOPVAddUp12", "5 sec"},                {"Label_HRN_OpvDT11", "00:00:05"},
        {"Label_HRN_OpvST12", "2020/01/01 00:00:00"},
    };
    for (const Row& r : rows)
        EXPECT_EQ(Text(r.label), r.text) << r.label;
    const auto req = Requests();
    ASSERT_EQ(req.size(), 2u);
    EXPECT_EQ(req[0], "01 04 52 7F 00 24");
    EXPECT_EQ(req[1], "01 04 52 7F 00 30");
    EXPECT_EQ(host.panels[2], "OVP...");
}

TEST_F(Records, InverterTimeAndInstallationDate)
{
    bus.With(1, [](invsim::Inverter& inv) { inv.SetClock(1577934245, false); });   // 2020/01/02 03:04:05
    bus.SetInput(1, 1168, 1970);
    bus.SetInput(1, 1169, 1);
    bus.SetInput(1, 1170, 1);
    ASSERT_EQ(groups::ReadInvTime(link, rec.InvTime, 0), 0);
    EXPECT_EQ(Text("Label_InvYMD"), "2020/01/02");
    EXPECT_EQ(Text("Label_InvHMS"), "03:04:05");
    EXPECT_EQ(Text("Label_InstallYMD"), "");
    bus.SetInput(1, 1168, 2019);
    bus.SetInput(1, 1169, 6);
    bus.SetInput(1, 1170, 3);
    ASSERT_EQ(groups::ReadInvTime(link, rec.InvTime, 0), 0);
    EXPECT_EQ(Text("Label_InstallYMD"), "2019/06/03");
    EXPECT_FALSE(Shown("Label_InvRTC"));
}

TEST_F(Records, EnergyHistoryDatesEachDayAndMonthFromTheClock)
{
    bus.With(1, [](invsim::Inverter& inv) {
        inv.SetClock(1577836800, false);   // 2020/01/01 00:00:00
        inv.DayHistory()[0] = 0x04D2;
        inv.DayHistory()[62] = 7;    // day 31
        inv.DayHistory()[63] = 1;
        inv.MonthHistory()[46] = 100;   // month 23
    });
    state.EnergyMultiplier = 10;
    ASSERT_EQ(groups::ReadDailyEnergy(link, ctx, rec.Energy, 0), 0);
    ASSERT_EQ(groups::ReadMonthlyEnergy(link, ctx, rec.Energy, 0), 0);
    EXPECT_EQ(Text("Label_EnergyDay0"), "2020/01/01:  12.340 KWh");
    EXPECT_EQ(Text("Label_EnergyDay1"), "2019/12/31:  0.000 KWh");
    EXPECT_EQ(Text("Label_EnergyDay31"), "2019/12/01:  655.430 KWh");
    EXPECT_EQ(Text("Label_EnergyMonth0"), "2020/01:  0.000 KWh");
    EXPECT_EQ(Text("Label_EnergyMonth1"), "2019/12:  0.000 KWh");
    EXPECT_EQ(Text("Label_EnergyMonth23"), "2018/02:  1.000 KWh");
}

} // namespace

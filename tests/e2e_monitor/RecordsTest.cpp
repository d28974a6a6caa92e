// The record groups in the real window against the simulated inverter: the event log, warnings
// and flags, derating records, inverter time and energy history as a page shows them, the
// silent inverter, the clock synchronisation and the energy clone.
#include "MonitorFixture.h"

#include "support/TimeZone.h"

#include <algorithm>
#include <ctime>

namespace {

using namespace monitortest;

constexpr std::uint32_t k2024 = 1717200000;   // 2024/06/01 00:00:00

class RecordsWindow : public MonitorWindow {
protected:
    // The link open on ID 1 and only the record panels (and the version group, for the scale
    // factors) shown.
    void ShowRecordPanels()
    {
        Prepare();
        OpenWithoutLoop();
        HideEveryGroup();
        for (const char* name : {"Group_Version", "Group_ErrorEvent", "Group_WarnEvent", "Group_DeratingRecords",
                                 "Group_FanFail", "Group_ErrorCodes", "Group_DeratingRecordsOPV", "Group_DeratingRecordsPM",
                                 "Group_HRN_ThermalEvent", "Group_InvTime", "Group_DailyEnergy", "Group_MonthlyEnergy",
                                 "Group_JapanErrorList", "Group_EnergyClone"})
            window->GroupPanel(QString::fromLatin1(name))->SetVisible(true);
        // The record registers as the records' own demonstration holds them (the whole demonstration
        // inverter gives a few of them their meaning on other products), on a clock standing at
        // 2024/06/01 01:02:03.
        bus.With(1, [](invsim::Inverter& inv) {
            invsim::LoadDemoRecords(inv);
            inv.SetClock(k2024 + 3723, false);
        });
        window->PollCycleCount = 0;
    }
    std::vector<std::pair<int, int>> Writes(int id = 1) const
    {
        std::vector<std::pair<int, int>> w;
        for (const auto& f : bus.Frames())
            if (f.bytes.size() == 8 && f.bytes[0] == id && f.bytes[1] == 6)
                w.emplace_back((f.bytes[2] << 8 | f.bytes[3]) + 1, f.bytes[4] << 8 | f.bytes[5]);
        return w;
    }
};

TEST_F(RecordsWindow, PanelsShowTheInvertersRecords)
{
    ShowRecordPanels();
    ASSERT_EQ(window->PollCycle(), 0);
    EXPECT_TRUE(dialogs.shown.isEmpty()) << dialogs.shown.join("; ").toStdString();
    // The demonstration inverter's event n has its time 37013 s x n before 2024/06/01.
    struct Row { const char* label; const char* text; };
    const Row rows[] = {
        {"Label_Event0", "E09- No Grid"},                 {"Label_EventTime0", "2024/06/01 00:00:00"},
        {"Label_Event1", "E01- Over Frequency Range"},    {"Label_EventTime1", "2024/05/31 13:43:07"},
        {"Label_Event2", "W07-De-rating"},                {"Label_Event8", ""},   // code 0x0105
        {"Label_Event10", "F21- HW Fan"},                 {"Label_Event25", "W18- AC SURGE"},
        {"Label_Event29", ""},                            {"Label_EventTime29", ""},
        {"Label_Japan_E00", "00. G_E09- "},              {"Label_Japan_E29", "29. 0"},
        {"Label_ET00", "2024/06/01 00:00:00"},
        {"Label_WarnEvent01", "Solar1 Low"},              {"Label_WarnEvent02", "De-rating"},
        {"Label_WarnEvent03", ""},
        {"Label_Codes_F00", "1"},                         {"Label_Codes_F01", "1"},   {"Label_Codes_F09", "22"},
        {"Label_RecordsOPVStart01", "2024/05/30 23:00:00"}, {"Label_RecordsOPVAddUp01", "120 sec"},
        {"Label_RecordsOPVStart04", ""},                  {"Label_RecordsPMAddUp02", "595 sec"},
        {"Group_HRN_ThmDT01", "00:09:55"},               {"Group_HRN_ThmST15", ""},
        {"Label_InvYMD", "2024/06/01"},                   
        {"Label_InstallYMD", "2019/06/03"},
        {"Label_EnergyDay0", "2024/06/01:  29.500 KWh"},  {"Label_EnergyDay31", "2024/05/01:  29.780 KWh"},
        {"Label_EnergyMonth0", "2024/06:  885.000 KWh"},  {"Label_EnergyMonth23", "2022/07:  836.770 KWh"},
    };
    for (const Row& r : rows)
        EXPECT_EQ(Text(r.label), QString::fromUtf8(r.text)) << r.label;
    EXPECT_EQ(Text("Label_InvHMS"), "01:02:03");
    for (const char* name : {"Label_Event0", "Label_EventTime0", "Label_Codes_F00", "Label_InvYMD", "Label_EnergyDay0"})
        EXPECT_EQ(driver->Color(name), vcl::clBlue) << name;
    EXPECT_EQ(driver->Color("Label_WarnEvent01"), vcl::clBlack);
    // Derating word 0x0082: Thermal and Ramp up; internal fan 2 failed.
    for (int i = 1; i <= 8; ++i)
        EXPECT_EQ(driver->Color(QStringLiteral("Label_DerateRecord%1").arg(i)), i == 1 || i == 7 ? 0xFA : vcl::clBtnFace) << i;
    EXPECT_EQ(driver->Color("Label_FanInt02"), 0xFA);
    EXPECT_EQ(driver->Color("Label_FanInt03"), vcl::clBtnFace);
    EXPECT_EQ(driver->Color("Label_FanExt02"), vcl::clBtnFace);
    // Pictures of the panels with the simulator's values, for a person to look at.
    const QByteArray dir = qgetenv("SUNVANE_SCREENSHOTS");
    if (!dir.isEmpty())
        for (vcl::TPanel* p : window->GroupPanels)
            if (p->Visible()) {
                p->SetHeight(p->Tag());
                p->Handle()->grab().save(QString::fromUtf8(dir) + u'/' + p->Name() + QStringLiteral(".png"));
            }
    // Readers never write anything but the event page select.
    for (const auto& [reg, value] : Writes())
        EXPECT_EQ(reg, 801) << value;
}

TEST_F(RecordsWindow, SilentInverterTurnsTheRecordValuesIntoRedMarks)
{
    ShowRecordPanels();
    ASSERT_EQ(window->PollCycle(), 0);
    ASSERT_EQ(Text("Label_Event0"), "E09- No Grid");
    invsim::Fault silence;
    silence.kind = invsim::FaultKind::Silence;
    bus.AddFault(1, silence);
    vcl::ScaledTimeService fast(0.02);
    vcl::SetTimeService(&fast);
    for (int i = 0; i < 3 && window->Link.FailStreak < 10; ++i)
        window->PollCycle();
    vcl::SetTimeService(&time);
    ASSERT_GE(window->Link.FailStreak, 10);
    for (const char* name : {"Label_Event0", "Label_EventTime0", "Label_Codes_F00", "Label_RecordsOPVAddUp01",
                             "Label_InvYMD", "Label_EnergyDay0", "Label_EnergyMonth0", "Group_HRN_ThmDT01"}) {
        EXPECT_EQ(Text(name), "??") << name;
        EXPECT_EQ(driver->Color(name), vcl::clRed) << name;
    }
}

TEST_F(RecordsWindow, ClockSynchronisationWritesLocalTimeToEveryFoundInverter)
{
    ShowRecordPanels();
    HideEveryGroup();
    bus.AddInverter(2, 9600);
    bus.With(2, [](invsim::Inverter& inv) { invsim::LoadDemoRecords(inv); });
    invsim::Fault refuse;
    refuse.kind = invsim::FaultKind::Exception;
    bus.AddFault(2, refuse);
    TForm_Main& w = *window;
    w.FoundIdList[0] = 2;
    w.FoundIdList[1] = 1;
    w.FoundIdList[2] = 2;
    w.FoundIdList[256] = 1;
    w.FoundIdList[257] = 1;
    driver->Click("Image_SyncClock");
    EXPECT_EQ(driver->Color("Label_SyncClock"), vcl::clRed);
    EXPECT_EQ(w.Link.CommandCode, 400);
    // The computer is in a zone one hour behind UTC, daylight saving included.
    testsupport::TimeZone zone(testsupport::kSummerAllYearZone);
    const std::int64_t before = std::time(nullptr);
    ASSERT_EQ(w.PollCycle(), 0);
    const std::int64_t after = std::time(nullptr);
    // Inverter 2 refused the clock: it is named, and the caption does not turn green.
    EXPECT_EQ(dialogs.TakeShown(), (QStringList{"Sync Clock: no answer from ID 2; taken by ID 1"}));
    EXPECT_EQ(driver->Color("Label_SyncClock"), vcl::clRed);
    EXPECT_EQ(w.Link.SlaveId, 1);
    // The inverter's clock is the computer's local wall-clock time.
    std::uint32_t clock = 0;
    bus.With(1, [&](invsim::Inverter& inv) { clock = inv.Clock(); });
    EXPECT_GE(clock, before + testsupport::kSummerAllYearOffset);
    EXPECT_LE(clock, after + testsupport::kSummerAllYearOffset + 1);
    const auto writes = Writes(1);
    ASSERT_EQ(writes.size(), 4u);
    EXPECT_EQ(writes[0].first, 785);
    EXPECT_EQ(writes[1].first, 784);
    EXPECT_EQ(writes[2], writes[0]);
    EXPECT_EQ(writes[3], writes[1]);
    EXPECT_EQ(Writes(2).size(), 4u);

    // The time group then shows the new clock.
    w.GroupPanel("Group_InvTime")->SetVisible(true);
    ASSERT_EQ(w.PollCycle(), 0);
    std::tm local{};
    const std::time_t now = std::time(nullptr);
    localtime_r(&now, &local);
    EXPECT_EQ(Text("Label_InvYMD"), QString::asprintf("%04d/%02d/%02d", local.tm_year + 1900, local.tm_mon + 1, local.tm_mday));

    // On the radio link nothing is written and no clock is reported set.
    bus.ClearFrames();
    w.Link.LinkType = LinkSub1g;
    driver->Click("Image_SyncClock");
    w.Link.LinkType = LinkRs485;
    HideEveryGroup();
    w.Link.LinkType = LinkSub1g;
    ASSERT_EQ(w.ExecutePendingCommand(), 0);
    w.Link.LinkType = LinkRs485;
    EXPECT_TRUE(Writes(1).empty());
    EXPECT_TRUE(dialogs.TakeShown().isEmpty());
    EXPECT_NE(driver->Color("Label_SyncClock"), vcl::clGreen);

    // A Wi-Fi module that does not take the clock: "Sync Clock Fail" alone, and the caption stays red.
    driver->Click("Image_SyncClock");
    w.Link.LinkType = LinkWifi;
    ASSERT_EQ(w.ExecutePendingCommand(), 0);
    w.Link.LinkType = LinkRs485;
    // Nothing listens at the guard address: the module is named once, then the clock's failure.
    const QStringList shown = dialogs.TakeShown();
    EXPECT_EQ(shown.filter(QStringLiteral("Sync Clock")), QStringList{"Sync Clock Fail"});
    EXPECT_EQ(shown.last(), QStringLiteral("Sync Clock Fail"));
    EXPECT_EQ(driver->Color("Label_SyncClock"), vcl::clRed);
}

TEST_F(RecordsWindow, EnergyCloneReadsAndWritesTheWholeHistory)
{
    ShowRecordPanels();
    TForm_Main& w = *window;
    EXPECT_EQ(Text("Btn_ReadEnergy"), "Read");
    EXPECT_FALSE(driver->Enabled("Btn_WriteEnergy"));
    HideEveryGroup();
    w.GroupPanel("Group_EnergyClone")->SetVisible(true);
    // A whole transfer is some two thousand transactions: the fastest bit rate and a quick clock
    // keep it short. Each step of the program's waits also waits for the simulator's answer, so
    // a loaded machine slows the transfer down instead of cutting a reply off.
    bus.With(1, [](invsim::Inverter& inv) { inv.SetBaud(38400); });
    w.Link.SetBaudCode(3);
    testsupport::HookedScaledTime fast(0.05);
    fast.settle = SettleOnBus();
    vcl::SetTimeService(&fast);
    std::vector<std::uint16_t> days, months;
    bus.With(1, [&](invsim::Inverter& inv) { days = inv.DayHistory(); months = inv.MonthHistory(); });

    driver->Click("Btn_ReadEnergy");
    EXPECT_FALSE(driver->Enabled("Btn_ReadEnergy"));
    EXPECT_FALSE(driver->Enabled("Btn_WriteEnergy"));
    ASSERT_EQ(w.PollCycle(), 0);
    EXPECT_TRUE(dialogs.TakeShown().isEmpty());
    EXPECT_TRUE(driver->Enabled("Btn_ReadEnergy"));
    EXPECT_TRUE(driver->Enabled("Btn_WriteEnergy"));
    EXPECT_EQ(Text("Label_EnergyDsp"), "Month: 119");
    for (int i = 0; i < 732; ++i)
        ASSERT_EQ(w.Link.DayEnergy[i], days[static_cast<size_t>(i)]) << i;
    for (int i = 0; i < 240; ++i)
        ASSERT_EQ(w.Link.MonthEnergy[i], months[static_cast<size_t>(i)]) << i;
    EXPECT_EQ(w.Link.EnergyExtra[0], 0x1F40);
    EXPECT_EQ(w.Link.EnergyExtra[10], 106);
    // The page registers step by whole pages and end on the first page.
    std::vector<int> dayPages, monthPages;
    for (const auto& [reg, value] : Writes()) {
        if (reg == 809) dayPages.push_back(value);
        if (reg == 810) monthPages.push_back(value);
    }
    EXPECT_EQ(dayPages, (std::vector<int>{0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 0}));
    EXPECT_EQ(monthPages, (std::vector<int>{0, 24, 48, 72, 96, 0}));

    // Another inverter takes the history: the write sends every word back.
    bus.With(1, [](invsim::Inverter& inv) {
        std::fill(inv.DayHistory().begin(), inv.DayHistory().end(), 0);
        std::fill(inv.MonthHistory().begin(), inv.MonthHistory().end(), 0);
        for (int k = 0; k < 7; ++k)
            inv.SetHolding(24832 + k, 0);
    });
    bus.ClearFrames();
    driver->Click("Btn_WriteEnergy");
    ASSERT_EQ(w.PollCycle(), 0);
    EXPECT_TRUE(dialogs.TakeShown().isEmpty());
    bus.With(1, [&](invsim::Inverter& inv) {
        EXPECT_EQ(inv.DayHistory(), days);
        EXPECT_EQ(inv.MonthHistory(), months);
        EXPECT_EQ(inv.Holding(24838), 106);
        // The four energy words read at 1076 are written back at 44224.
        EXPECT_EQ(inv.Holding(44224), inv.Input(1076));
    });
    const auto writes = Writes();
    ASSERT_FALSE(writes.empty());
    EXPECT_EQ(writes.front(), std::make_pair(24665, 4112));
    EXPECT_EQ(writes.back(), std::make_pair(24665, 4115));
    EXPECT_EQ(std::count(writes.begin(), writes.end(), std::make_pair(24665, 0x55AA)), 1);
    EXPECT_EQ(writes.size(), 732u + 13 + 2 + 11 + 1 + 2 + 240 + 6);
    EXPECT_TRUE(driver->Enabled("Btn_WriteEnergy"));

    // A day word the inverter refuses on the retry too: the user is told the transfer is
    // incomplete, and the inverter never gets the closing word that would make it take the
    // history over.
    invsim::Fault refuse;
    refuse.kind = invsim::FaultKind::Exception;
    refuse.times = 2;
    refuse.reg = 2048 + 40;
    bus.AddFault(1, refuse);
    bus.ClearFrames();
    driver->Click("Btn_WriteEnergy");
    ASSERT_EQ(w.PollCycle(), 0);
    EXPECT_EQ(dialogs.TakeShown(), QStringList{"Write Energy Fail: the transfer is incomplete"});
    const auto failed = Writes();
    EXPECT_EQ(std::count(failed.begin(), failed.end(), std::make_pair(24665, 0x55AA)), 0);
    EXPECT_EQ(std::count_if(failed.begin(), failed.end(), [](const auto& rv) { return rv.first == 2048 + 40; }), 2);
    EXPECT_TRUE(w.Link.Com.IsOpen());

    // A day page that does not answer: the read fails with a message, polling goes on, and
    // Write stays disabled until a whole history is read.
    bus.With(1, [](invsim::Inverter& inv) { inv.SetMissingDayPage(64); });
    driver->Click("Btn_ReadEnergy");
    ASSERT_EQ(w.PollCycle(), 0);
    EXPECT_EQ(dialogs.TakeShown(), QStringList{"Read Energy Fail"});
    EXPECT_TRUE(driver->Enabled("Btn_ReadEnergy"));
    EXPECT_FALSE(driver->Enabled("Btn_WriteEnergy"));
    EXPECT_TRUE(w.Link.Com.IsOpen());
    bus.With(1, [](invsim::Inverter& inv) { inv.SetMissingDayPage(std::nullopt); });
    driver->Click("Btn_ReadEnergy");
    ASSERT_EQ(w.PollCycle(), 0);
    EXPECT_TRUE(driver->Enabled("Btn_WriteEnergy"));

    // The link lost during a transfer ends polling; the buttons come back.
    driver->Click("Btn_ReadEnergy");
    bus.Stop();
    const int result = w.PollCycle();
    vcl::SetTimeService(&time);
    EXPECT_EQ(result, 1);
    EXPECT_TRUE(driver->Enabled("Btn_ReadEnergy"));
}

} // namespace

// The partner brand's monitor and energy panels: what each request's words show, the maxima
// rules, the counters' two halves, and that a rejected request leaves only its own labels.
#include "GroupsTestSupport.h"

#include "groups/PartnerBrand.h"

namespace {

using namespace groupstest;

class Partner : public GroupsOnPty {
protected:
    void SetUp() override
    {
        GroupsOnPty::SetUp();
        if (HasFatalFailure())
            return;
        for (const char* name : {"Group_HarunetMM", "Group_HRN_Energy"})
            MakeGroupPanel(*form, name, 330)->SetBounds(0, 0, 300, 330);
        g = groups::BuildPartnerGroups(*form);
    }
    void Inputs(int first, std::initializer_list<int> words)
    {
        bus.With(1, [&](invsim::Inverter& inv) {
            int reg = first;
            for (int w : words)
                inv.SetInput(reg++, static_cast<std::uint16_t>(w));
        });
    }
    groups::PartnerGroups g;
};

TEST_F(Partner, MonitorShowsTimesMaximaAndVersions)
{
    Inputs(53254, {0x0E10, 0x0000});
    Inputs(55808, {0x5E0B, 0xE100});
    Inputs(1114, {2500, 3100, 0, 2999, 2301});
    Inputs(1152, {0xFFF6, 0x0005, 0xFFFF, 0x0000});
    Inputs(1040, {0x0102, 0, 0x0A03, 0, 0x0000, 0});
    ASSERT_EQ(groups::ReadHarunetMonitor(link, g, *form, 0), 0);
    const std::pair<const char*, const char*> expected[] = {
        {"Label_HRN_OutputTime", "1 Hour 0 Min."}, {"Label_HRN_StartTime", "2020/01/01"},
        {"Label_HRN_VdcMax", "310.0"},             {"Label_HRN_VacMax", "230.1"},
        {"Label_HRN_TempMax", "5"},                {"Label_HRN_DspMCU", "V01.02"},
        {"Label_HRN_RedMCU", "V10.03"},            {"Label_HRN_CommMCU", "V00.00"},
    };
    for (const auto& [name, text] : expected)
        EXPECT_EQ(Text(name), text) << name;

    // A last word at or above 0x8000: the unsigned comparison takes it and it shows as a
    // negative number, as the inverter's own display does.
    Inputs(1114, {100, 0, 0, 0x8001, 0});
    // The start date in the other word order is another date.
    Inputs(55808, {0xE100, 0x5E0B});
    ASSERT_EQ(groups::ReadHarunetMonitor(link, g, *form, 0), 0);
    EXPECT_EQ(Text("Label_HRN_VdcMax"), "-3276.7");
    EXPECT_NE(Text("Label_HRN_StartTime"), "2020/01/01");
}

TEST_F(Partner, EnergyShowsLiveValuesAndCounters)
{
    Inputs(3360, {3652, 1234, 2965, 3610, 798, 2881, 0, 0, 0, 0, 0, 0});
    Inputs(3328, {2301, 0, 1520, 3480, 6000});
    Inputs(1072, {1234, 0, 3725, 0});
    Inputs(1076, {100000 & 0xFFFF, 100000 >> 16, 0x0010, 0x0102});
    ASSERT_EQ(groups::ReadHarunetEnergy(link, g, *form, 0), 0);
    const std::pair<const char*, const char*> expected[] = {
        {"Label_HRN_Vdc1", "365.2"},  {"Label_HRN_Idc1", "12.3"},   {"Label_HRN_Pdc1", "2965"},
        {"Label_HRN_Vdc2", "361.0"},  {"Label_HRN_Idc2", "7.9"},    {"Label_HRN_Vdc3", "0.0"},
        {"Label_HRN_Vac", "230.1"},   {"Label_HRN_Iac", "15.2"},    {"Label_HRN_Pac", "3480"},
        {"Label_HRN_Fac", "60.0"},    {"Label_HRN_EnergyToday", "12.4"}, {"Label_HRN_EnergyAcc", "1000.0"},
    };
    for (const auto& [name, text] : expected)
        EXPECT_EQ(Text(name), text) << name;
    EXPECT_EQ(Text("Label_HRN_TimeToday"), QString::fromUtf8("1時間2分"));
    // Both halves count: 0x0102 x 65536 + 16 seconds.
    const std::int64_t total = 0x0102LL * 65536 + 0x0010;
    EXPECT_EQ(Text("Label_HRN_TimeAcc"),
              QString::number(total / 3600) + QString::fromUtf8("時間") + QString::number((total % 3600) / 60) + QString::fromUtf8("分"));
}

// A request the inverter refuses leaves its own labels; the others are read all the same.
TEST_F(Partner, RejectedRequestLeavesOnlyItsLabels)
{
    Inputs(3360, {3652, 1234, 2965, 3610, 798, 2881, 0, 0, 0, 0, 0, 0});
    Inputs(3328, {2301, 0, 1520, 3480, 6000});
    Inputs(1072, {1234, 0, 3725, 0});
    Inputs(1076, {1, 0, 1, 0});
    bus.AddFault(1, invsim::Fault{invsim::FaultKind::BadCrc, -1, -1, 1});
    ASSERT_EQ(groups::ReadHarunetEnergy(link, g, *form, 0), 0);
    EXPECT_EQ(Text("Label_HRN_Vdc1"), "??");
    EXPECT_EQ(Text("Label_HRN_Vac"), "230.1");
    EXPECT_EQ(Text("Label_HRN_EnergyToday"), "12.4");
}

} // namespace

// The live-value readers against the simulated inverter: one table of what the simulator holds
// and what each label shows, and the rules of their own (page echoes, the ADC window, sums,
// totals, the AC layout from the maximum-output group, failures).
#include "GroupsTestSupport.h"

#include "groups/LiveValues.h"
#include "vcl/Services.h"

namespace {

using namespace groupstest;

constexpr const char* kFamilyPanels[] = {
    "Group_GetVbus", "Group_GetTotalBus", "Group_LoadPower1", "Group_LoadPower2", "Group_ADC",
    "Group_StandAlone3P", "Group_LN_ST", "Group_MaxOutputValue", "Group_StringCurr", "Group_MaxInputValue",
    "Group_InternalMeterPhaseU", "Group_InternalMeterPhaseW", "Group_InternalMeterPhaseUW", "Group_OutputPower",
    "Group_DcRelayAccTimes", "Group_Temper1", "Group_Temper2", "Group_TestValue", "Group_DryContactTest",
    "Group_GetDC1", "Group_GetDC2", "Group_GetDC3", "Group_GetDC4", "Group_GetDC5", "Group_GetDC6",
    "Group_GetDC7", "Group_GetDC8", "Group_GetDC9", "Group_GetDC10", "Group_GetDC11", "Group_GetDC12",
};

using Words = std::vector<std::uint16_t>;

class LiveOnPty : public GroupsOnPty {
protected:
    void SetUp() override
    {
        GroupsOnPty::SetUp();
        if (HasFatalFailure())
            return;
        UseClock(0.25);
        int top = 1250;
        for (const char* name : kFamilyPanels)
            panels[name] = MakeGroupPanel(*form, name, top += 10);
        live = groups::BuildLiveGroups(*form);
        state.PowerMultiplier = 10;
        state.VoltageDivisor = 10;
        state.IacDivisor = 100;
        state.IdcDivisor = 100;
        state.EnergyMultiplier = 10;
        state.SignedValues = 1;
    }
    void Inputs(int reg, const Words& words)
    {
        for (std::size_t k = 0; k < words.size(); ++k)
            bus.SetInput(1, reg + static_cast<int>(k), words[k]);
    }
    // A measurement page: words 1.. of the page and, from word 12, its ADC counts.
    void Page(int page, const Words& words, const Words& counts = {})
    {
        Words w(16, 0);
        for (std::size_t k = 0; k < words.size(); ++k)
            w[k + 1] = words[k];
        for (std::size_t k = 0; k < counts.size(); ++k)
            w[k + 12] = counts[k];
        bus.With(1, [&](invsim::Inverter& inv) { inv.SetMeasurementPage(page, w); });
    }
    void Show(const char* name, bool shown) { panels[name]->SetVisible(shown); }
    // Every reader of the family once, in the polling loop's order.
    void ReadAll()
    {
        for (int t = 0; t < 2; ++t)
            ASSERT_EQ(groups::ReadTemperature(link, ctx, live, t, 0), 0);
        ASSERT_EQ(groups::ReadOutputEnergy(link, ctx, live, 0), 0);
        for (int p = 0; p < 3; ++p)
            ASSERT_EQ(groups::ReadAcPhase(link, ctx, output, p, 0), 0);
        ASSERT_EQ(groups::ReadInternalMeter(link, ctx, live, 0), 0);
        ASSERT_EQ(groups::ReadLnSt(link, ctx, live, 0), 0);
        ASSERT_EQ(groups::ReadInput1to6(link, ctx, live, output, 0), 0);
        ASSERT_EQ(groups::ReadInput7to12(link, ctx, live, output, 0), 0);
        ASSERT_EQ(groups::ReadStringCurrent(link, ctx, live, 0), 0);
        ASSERT_EQ(groups::ReadAdcCount(link, ctx, live, 0), 0);
        ASSERT_EQ(groups::ReadBusVoltage(link, ctx, live, 0), 0);
        ASSERT_EQ(groups::ReadTotalBus(link, ctx, live, 0), 0);
        ASSERT_EQ(groups::ReadTotalPower(link, ctx, live, output, 0, 0), 0);
        ASSERT_EQ(groups::ReadTestValue(link, ctx, live, 0), 0);
        ASSERT_EQ(groups::ReadDcRelayTimes(link, ctx, live, 0), 0);
        for (int l = 0; l < 2; ++l)
            ASSERT_EQ(groups::ReadLoad(link, ctx, live, l, 0), 0);
        ASSERT_EQ(groups::ReadStandAlone3P(link, ctx, live, 0), 0);
        ASSERT_EQ(groups::ReadMaxOutput(link, ctx, live, 0), 0);
        ASSERT_EQ(groups::ReadMaxInput(link, ctx, live, 0), 0);
    }
    // The requests received, as (function code, 1-based register, count or value).
    std::vector<std::array<int, 3>> Requests() const
    {
        std::vector<std::array<int, 3>> r;
        for (const auto& f : bus.Frames())
            r.push_back({f.bytes[1], (f.bytes[2] << 8 | f.bytes[3]) + 1, f.bytes[4] << 8 | f.bytes[5]});
        return r;
    }
    void AddFaults(std::initializer_list<std::pair<invsim::FaultKind, int>> faults)
    {
        for (auto [kind, param] : faults) {
            invsim::Fault f;
            f.kind = kind;
            f.param = param;
            f.times = 1;
            bus.AddFault(1, f);
        }
    }

    std::map<std::string, vcl::TPanel*> panels;
    groups::LiveGroups live;
};

// The whole family against one set of registers, with the device's factors power x10,
// voltage /10, currents /100, energy x10 and signed words.
TEST_F(LiveOnPty, EveryGroupShowsTheSimulatorsWordsAsFormatted)
{
    for (const char* name : {"Group_GetDC7", "Group_GetDC8", "Group_GetDC9", "Group_GetDC10", "Group_GetDC11", "Group_GetDC12"})
        Show(name, false);
    Page(0, {2301, 0xFF9C, 0xFFF6, 5000, 77, 2305, 5001}, {1111, 2222, 3333, 4444});
    Page(16, {2310, 0, 0, 0, 0, 2311}, {5, 6, 7, 8});
    Page(1, {2302, 100, 50, 4999, 0, 2303, 4998}, {1, 2, 3, 4});
    Page(17, {2320, 0, 0, 0, 0, 2321});
    Page(2, {2298, 0x7FFF, 0x8000, 5002, 0, 2299, 5003});
    Page(18, {2330, 0, 0, 0, 0, 2331});
    Page(32, {2305, 152, 0xFFFF, 5000});
    Page(33, {2301, 87, 198, 6000});
    for (int i = 0; i < 6; ++i)
        Page(48 + i, {}, {static_cast<std::uint16_t>(100 + i), static_cast<std::uint16_t>(200 + i), 0xFFFF});
    Page(64, {3801}, {2950});
    Page(65, {3799}, {2946});
    Page(66, {7600, 0, 0, 0, 0, 0, 0}, {3012});
    Inputs(49167, {2400, 0xFFFF, 0xFFFF, 6000, 1200, 1, 2, 5000, 1201, 3, 4, 5001, 9, 9, 9, 9});
    Inputs(3328, {2200, 2300, 9, 9, 9, 4000});
    bus.SetCoil(1, 24649, false);
    Inputs(49215, {2300, 0xFF9C, 0xFFF6, 5000, 2301, 5, 6, 5001, 2302, 7, 8, 5002});
    Inputs(45056, {150, 6123, 0xFFFF, 75, 6000, 0x0064, 0xFFF6, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    Inputs(45093, Words(18, 0));
    Words strings(24, 0);
    strings[0] = 0xFFFF;
    strings[23] = 250;
    Inputs(53776, strings);
    Inputs(45075, {6500, 500, 0xFFF6, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    Inputs(45111, {6600, 0xFFFF, 40, 0, 0, 0});
    Inputs(26176, {1200, 1150, 0x03E8, 0x8000, 9, 6000, 1205, 1120, 0x05DC, 0, 9, 5999,
                   0x86A0, 0x0001, 3, 0, 0xFFFF, 0xFFFF, 7, 0});
    // Today 12345 (x10 Wh), 3725 s; lifetime 2000003 (x10 Wh), 90000 s.
    Inputs(1072, {12345, 0, 3725, 0, 0x8483, 0x001E, 0x5F90, 0x0001});
    Inputs(23050, {5, 1, 0, 0, 0xFFFF, 0xFFFF, 0x1171, 0x0001});
    Inputs(1080, {0xFFF6, 45, 0, 0x7FFF});
    Inputs(1084, {1, 2, 3, 4});
    Inputs(1152, {50, 60, 70, 80});
    Inputs(1156, {0xFFFF, 0, 0, 0});
    Words tests(12, 0);
    tests[0] = 0x8000;
    tests[11] = 0x7FFF;
    Inputs(21504, tests);
    Inputs(24128, Words(12, 0xFFFF));
    Inputs(49248, {0xFF38, 98});

    ReadAll();

    const std::pair<const char*, const char*> expected[] = {
        // AC phases from their grid and output pages (current and power signed, the rest not).
        {"Label_VacR_Grid", "230.1 V"}, {"Label_IacR", "-1.00 A"}, {"Label_PacR", "-100 W"}, {"Label_FacR", "50.00 Hz"},
        {"Label_VacR_GridRed", "230.5 V"}, {"Label_FacR_Red", "50.01 Hz"}, {"Label_VacR_Out", "231.0 V"},
        {"Label_VacR_OutRed", "231.1 V"}, {"Label_IacS", "1.00 A"}, {"Label_PacS", "500 W"}, {"Label_VacS_Out", "232.0 V"},
        {"Label_FacS_Red", "49.98 Hz"}, {"Label_IacT", "327.67 A"}, {"Label_PacT", "-327680 W"},
        {"Label_VacT_OutRed", "233.1 V"},
        // Bus, total bus (its ADC count replaces page 64's), loads in fixed units.
        {"Label_PBus", "380.1 V"}, {"Label_NBus", "379.9 V"}, {"Label_TotalBus", "760.0 V"},
        {"Label_PbusAdcVolt", "3012"}, {"Label_NbusAdcVolt", "2946"},
        {"Label_Vload1", "230.5 V"}, {"Label_Iload1", "1.52 A"}, {"Label_Pload1", "65535 W"}, {"Label_Fload1", "50.00 Hz"},
        {"Label_Fload2", "60.00 Hz"}, {"Label_PFload1", "??"},
        // ADC counts, unsigned and unscaled.
        {"Label_Output1AdcVolt", "1111"}, {"Label_Output1AdcVRed", "4444"}, {"Label_Output1AdcVout", "5"},
        {"Label_Output1AdcVoutRed", "8"}, {"Label_Output2AdcPower", "3"}, {"Label_Input1AdcVolt", "100"},
        {"Label_Input6AdcCurr", "205"}, {"Label_Input6AdcPower", "65535"},
        // Stand-alone (never signed), LN/ST (L2-N the difference in tenths), maxima.
        {"Label_UW_voltage", "240.0 V"}, {"Label_UW_current", "655.35 A"}, {"Label_UW_Power", "655350 W"},
        {"Label_UW_frequency", "60.00 Hz"}, {"Label_UO_power", "20 W"}, {"Label_WO_current", "0.03 A"},
        {"Label_OutL1_N", "230.0 V"}, {"Label_OutL2_N", "-10.0 V"}, {"Label_Out_ST", "400.0 V"},
        {"Label_MaxVac1", "230.0 V"}, {"Label_MaxIac1", "-1.00 A"}, {"Label_MaxPac1", "-100 W"}, {"Label_MaxFac3", "50.02 Hz"},
        // DC inputs, totals (no blank before their units), strings, input maxima (power never signed).
        {"Label_Vdc1", "612.3 V"}, {"Label_Idc1", "-0.01 A"}, {"Label_Pdc1", "750 W"}, {"Label_Idc2", "1.00 A"},
        {"Label_Pdc2", "-100 W"}, {"Label_TotalInputPower", "1500W"}, {"Label_TotalInputCurrent", "0.99A"},
        {"Label_StringCurr1", "655.35 A"}, {"Label_StringCurr24", "2.50 A"},
        {"Label_MaxVdc1", "650.0 V"}, {"Label_MaxIdc1", "5.00 A"}, {"Label_MaxPdc1", "655260 W"},
        {"Label_MaxVdc7", "660.0 V"}, {"Label_MaxIdc7", "-0.01 A"}, {"Label_MaxPdc7", "400 W"},
        // Q and PF: signed, with the side before the magnitude.
        {"Label_Q_Sum", "Cap 2000 Var"}, {"Label_PowerFactor", "Ind 0.98"},
        // Internal meter: sign-magnitude power, energies low word first, the U+W sums.
        {"Label_IMU_Vac", "120.0 V"}, {"Label_IMU_Iac", "11.50 A"}, {"Label_IMU_Pac", "-1000 W"}, {"Label_IMU_Fac", "60.00 Hz"},
        {"Label_IMW_Vac", "120.5 V"}, {"Label_IMW_Pac", "1500 W"}, {"Label_IMU_WacIn", "10000.0 kWh"},
        {"Label_IMU_WacOut", "0.3 kWh"}, {"Label_IMW_WacIn", "-0.1 kWh"}, {"Label_IMUW_Vac", "240.5 V"},
        {"Label_IMUW_Iac", "11.50 A"}, {"Label_IMUW_Pac", "500 W"}, {"Label_IMUW_Fac", "60.00 Hz"},
        {"Label_IMUW_WacIn", "9999.9 kWh"}, {"Label_IMUW_WacOut", "1.0 kWh"},
        // Output energy (exact beyond a float's digits) and running times.
        {"Label_TodayWh", "123.450 KWh"}, {"Label_Runtime", "1:2:5"}, {"Label_TotalWh", "20000.030 KWh"},
        {"Label_TotalRuntime", "25:0:0"},
        {"Label_DCRelayTimesP1", "65541"}, {"Label_DCRelayTimesN1", "0"}, {"Label_DCRelayTimesP2", "-1"},
        {"Label_DCRelayTimesN2", "70001"},
        // Temperatures and test values: signed words.
        {"Label_Temperature11", "-10 \u2103"}, {"Label_Temperature12", "45 \u2103"}, {"Label_Temperature14", "32767 \u2103"},
        {"Label_MaxTemp11", "50 \u2103"}, {"Label_Temperature24", "4 \u2103"}, {"Label_MaxTemp21", "-1 \u2103"},
        {"Label_TestVal0", "-32768"}, {"Label_TestVal11", "32767"}, {"Label_TestValN5", "-1"},
    };
    for (const auto& [label, text] : expected) {
        EXPECT_EQ(Text(label), QString::fromUtf8(text)) << label;
        EXPECT_EQ(Colour(label), vcl::clBlue) << label;
    }
    // The readers write the redundant labels while they are hidden.
    EXPECT_FALSE(Shown("Label_VacR_GridRed"));
    // The sensor titles are the design's until a mode names them; reading leaves them.
    EXPECT_EQ(Text("Label_TemperTitle11"), "Ambient");
    EXPECT_EQ(Text("Label_TemperTitle24"), "T_AMB");
    // A reader never writes: the only writes are page selects.
    for (const auto& r : Requests())
        EXPECT_TRUE((r[0] != 5 && r[0] != 6) || r[1] == 800) << r[0] << " " << r[1];
}

TEST_F(LiveOnPty, AcPhaseSelectsEachPageRightBeforeItsWindow)
{
    Page(0, {2301, 0, 0, 5000, 0, 2302, 5000});
    Page(16, {2310, 0, 0, 0, 0, 2311});
    ASSERT_EQ(groups::ReadAcPhase(link, ctx, output, 0, 0), 0);
    const auto frames = bus.Frames();
    ASSERT_EQ(frames.size(), 4u);
    const std::vector<std::vector<std::uint8_t>> wire = {
        {0x01, 0x06, 0x03, 0x1F, 0x00, 0x00, 0xB8, 0x48}, {0x01, 0x04, 0x04, 0x1F, 0x00, 0x08, 0xC1, 0x3A},
        {0x01, 0x06, 0x03, 0x1F, 0x00, 0x10, 0xB9, 0x84}, {0x01, 0x04, 0x04, 0x1F, 0x00, 0x07, 0x81, 0x3E}};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(frames[static_cast<size_t>(i)].bytes, wire[static_cast<size_t>(i)]) << i;
    EXPECT_EQ(host.panels[2], "AC_1...");
    EXPECT_EQ(Text("Label_VacR_Out"), "231.0 V");
}

// A window still showing another page is not decoded; the reader goes on with its next page.
TEST_F(LiveOnPty, StalePageEchoShowsNothingNew)
{
    Page(0, {2301, 100, 10, 5000, 0, 2302, 5001});
    Page(16, {2310, 0, 0, 0, 0, 2311});
    ASSERT_EQ(groups::ReadAcPhase(link, ctx, output, 0, 0), 0);
    Page(0, {9999, 9999, 9999, 9999, 0, 9999, 9999});
    Page(16, {2400, 0, 0, 0, 0, 2401});
    struct Case { const char* what; std::uint16_t word0; bool gridNew, outputNew; };
    const Case cases[] = {
        {"the window still shows page 16", 16, false, true},
        {"any high byte with the right low byte", 0xAB00, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Page(16, {static_cast<std::uint16_t>(c.outputNew ? 2400 : 2410), 0, 0, 0, 0, 2401});
        const QString grid = Text("Label_VacR_Grid"), out = Text("Label_VacR_Out");
        bus.With(1, [&](invsim::Inverter& inv) { inv.SetEchoOverride(c.word0); });
        ASSERT_EQ(groups::ReadAcPhase(link, ctx, output, 0, 0), 0);
        EXPECT_EQ(Text("Label_VacR_Grid") != grid, c.gridNew);
        EXPECT_EQ(Text("Label_FacR_Red") == "99.99 Hz", c.gridNew);
        EXPECT_EQ(Text("Label_VacR_Out") != out, c.outputNew);
    }
    bus.With(1, [](invsim::Inverter& inv) { inv.SetEchoOverride(std::nullopt); });
    // The load and bus windows follow the same rule.
    bus.With(1, [](invsim::Inverter& inv) { inv.SetEchoOverride(0); });
    Page(32, {2305, 152, 350, 5000});
    ASSERT_EQ(groups::ReadLoad(link, ctx, live, 0, 0), 0);
    EXPECT_EQ(Text("Label_Vload1"), "??");
}

// The ADC window cannot tell its page: it is decoded only when its page select was answered.
TEST_F(LiveOnPty, AdcPagesInOrderAndOnlyAfterAnAnsweredSelect)
{
    for (int page : {0, 1, 2, 16, 17, 18, 48, 49, 50, 51, 52, 53, 64, 65})
        Page(page, {}, {static_cast<std::uint16_t>(page + 1000), 2, 3, 4});
    AddFaults({{invsim::FaultKind::BadCrc, -1}});   // the select of page 0
    ASSERT_EQ(groups::ReadAdcCount(link, ctx, live, 0), 0);
    const auto requests = Requests();
    ASSERT_EQ(requests.size(), 28u);
    const int pages[] = {0, 1, 2, 16, 17, 18, 48, 49, 50, 51, 52, 53, 64, 65};
    const int counts[] = {4, 4, 4, 4, 4, 4, 3, 3, 3, 3, 3, 3, 1, 1};
    for (int i = 0; i < 14; ++i) {
        EXPECT_EQ(requests[static_cast<size_t>(2 * i)], (std::array<int, 3>{6, 800, pages[i]}));
        EXPECT_EQ(requests[static_cast<size_t>(2 * i + 1)], (std::array<int, 3>{4, 1068, counts[i]}));
    }
    EXPECT_EQ(Text("Label_Output1AdcVolt"), "??");
    EXPECT_EQ(Text("Label_Output2AdcVolt"), "1001");
    EXPECT_EQ(Text("Label_PbusAdcVolt"), "1064");
    EXPECT_EQ(Text("Label_Input6AdcPower"), "3");

    // A line that fails on the select of page 48 ends the reader after the output pages.
    bus.ClearFrames();
    AddFaults({{invsim::FaultKind::Delay, 0}, {invsim::FaultKind::Delay, 0}, {invsim::FaultKind::Delay, 0},
               {invsim::FaultKind::Delay, 0}, {invsim::FaultKind::Delay, 0}, {invsim::FaultKind::Delay, 0},
               {invsim::FaultKind::Delay, 0}, {invsim::FaultKind::Delay, 0}, {invsim::FaultKind::Delay, 0},
               {invsim::FaultKind::Delay, 0}, {invsim::FaultKind::Delay, 0}, {invsim::FaultKind::Delay, 0},
               {invsim::FaultKind::Hangup, -1}});
    EXPECT_EQ(groups::ReadAdcCount(link, ctx, live, 0), 1);
    EXPECT_EQ(Text("Label_Output1AdcVolt"), "1000");
    EXPECT_EQ(Requests().size(), 13u);
}

// The total input current sums this cycle's inputs in full width, from the later reader when any
// of inputs 7..12 is shown.
TEST_F(LiveOnPty, TotalInputCurrentIsThisCyclesSumWithoutA16BitCut)
{
    Words low(19, 0), high(18, 0);
    for (int n = 0; n < 6; ++n) {
        low[static_cast<size_t>(2 + 3 * n)] = 30000;
        high[static_cast<size_t>(1 + 3 * n)] = 30000;
    }
    Inputs(45056, low);
    Inputs(45093, high);
    struct Case { const char* what; std::uint8_t sign; bool lowShown; const char* total; };
    const Case cases[] = {
        {"twelve inputs of 300 A", 1, true, "3600.00A"},
        {"only inputs 7..12 shown", 1, false, "1800.00A"},
        {"unsigned", 0, true, "3600.00A"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        state.SignedValues = c.sign;
        for (int n = 1; n <= 6; ++n)
            Show(("Group_GetDC" + std::to_string(n)).c_str(), c.lowShown);
        for (int cycle = 0; cycle < 2; ++cycle) {   // it does not grow from cycle to cycle
            ASSERT_EQ(groups::ReadInput1to6(link, ctx, live, output, 0), 0);
            ASSERT_EQ(groups::ReadInput7to12(link, ctx, live, output, 0), 0);
            EXPECT_EQ(Text("Label_TotalInputCurrent"), c.total);
        }
    }
    // Signed currents of both signs; with inputs 7..12 hidden the first reader writes the total.
    for (int n = 7; n <= 12; ++n)
        Show(("Group_GetDC" + std::to_string(n)).c_str(), false);
    Inputs(45056, {0, 0, 0xFFFF, 0, 0, 0x0064, 0});
    Inputs(45056 + 8, Words(11, 0));
    for (auto [sign, total] : {std::pair{std::uint8_t{1}, "0.99A"}, std::pair{std::uint8_t{0}, "656.35A"}}) {
        state.SignedValues = sign;
        ASSERT_EQ(groups::ReadInput1to6(link, ctx, live, output, 0), 0);
        EXPECT_EQ(Text("Label_TotalInputCurrent"), total);
    }
}

// The total-power group reads the input and output power itself only while their own groups
// are hidden, and then empties the current beside them.
TEST_F(LiveOnPty, TotalPowerReadsWhatNoOtherGroupShows)
{
    Inputs(45056, {0xFFF6});
    Inputs(49152, {250});
    Inputs(49248, {200, 0xFFA1});
    output.Total.TotalInputCurrent->SetCaption("1.00A");
    output.Total.TotalOutputCurrent->SetCaption("2.00A");
    struct Case { bool dc1, ac1; std::vector<int> registers; const char* in; const char* out; };
    const Case cases[] = {
        {true, true, {49248}, "??", "??"},
        {false, true, {45056, 49248}, "-100 W", "??"},
        {true, false, {49152, 49248}, "-100 W", "2500 W"},
    };
    for (const Case& c : cases) {
        bus.ClearFrames();
        Show("Group_GetDC1", c.dc1);
        ac[0]->SetVisible(c.ac1);
        ASSERT_EQ(groups::ReadTotalPower(link, ctx, live, output, 1, 0), 0);
        std::vector<int> regs;
        for (const auto& r : Requests())
            regs.push_back(r[1]);
        EXPECT_EQ(regs, c.registers);
        EXPECT_EQ(Text("Label_TotalInputPower"), c.in);
        EXPECT_EQ(Text("Label_TotalOutputPower"), c.out);
    }
    EXPECT_EQ(Text("Label_TotalInputCurrent"), "");
    EXPECT_EQ(Text("Label_TotalOutputCurrent"), "");
    // With the other sign convention positive Q is capacitive and negative PF inductive.
    EXPECT_EQ(Text("Label_Q_Sum"), "Cap 2000 Var");
    EXPECT_EQ(Text("Label_PowerFactor"), "Ind 0.95");
}

// The maximum-output group reads the AC terminal: a three-wire terminal means line voltages.
TEST_F(LiveOnPty, MaxOutputSetsTheAcLayoutFromTheTerminal)
{
    Inputs(49215, {2300, 0, 0, 5000, 2300, 0, 0, 5000, 2300, 0, 0, 5000});
    state.AcLayout = 2;
    bus.SetCoil(1, 24649, true);
    ASSERT_EQ(groups::ReadMaxOutput(link, ctx, live, 0), 0);
    EXPECT_EQ(state.AcLayout, 1);
    EXPECT_EQ(Text("Label_MaxVac1"), "398.4 V");
    EXPECT_EQ(Text("Label_MaxVac3"), "398.4 V");
    bus.SetCoil(1, 24649, false);
    ASSERT_EQ(groups::ReadMaxOutput(link, ctx, live, 0), 0);
    EXPECT_EQ(state.AcLayout, 0);
    EXPECT_EQ(Text("Label_MaxVac1"), "230.0 V");
    // A rejected coil reply leaves the layout.
    state.AcLayout = 3;
    AddFaults({{invsim::FaultKind::Exception, 2}});
    ASSERT_EQ(groups::ReadMaxOutput(link, ctx, live, 0), 0);
    EXPECT_EQ(state.AcLayout, 3);
}

TEST_F(LiveOnPty, RejectedBlocksLeaveTheirLabels)
{
    Inputs(1072, {100, 0, 60, 0, 200, 0, 120, 0});
    Inputs(1080, {20, 21, 22, 23});
    Inputs(1152, {30, 31, 32, 33});
    ASSERT_EQ(groups::ReadOutputEnergy(link, ctx, live, 0), 0);
    ASSERT_EQ(groups::ReadTemperature(link, ctx, live, 0, 0), 0);
    Inputs(1072, {999, 0, 999, 0, 999, 0, 999, 0});
    Inputs(1080, {90, 91, 92, 93});
    Inputs(1152, {95, 96, 97, 98});

    // A rejected energy reply still turns the lifetime energy blue.
    live.TotalWh->Font()->SetColor(vcl::clRed);
    AddFaults({{invsim::FaultKind::Exception, 4}});
    ASSERT_EQ(groups::ReadOutputEnergy(link, ctx, live, 0), 0);
    EXPECT_EQ(Text("Label_TotalWh"), "2.000 KWh");
    EXPECT_EQ(Colour("Label_TotalWh"), vcl::clBlue);
    EXPECT_EQ(Text("Label_TodayWh"), "1.000 KWh");

    // A rejected first temperature reply leaves the present values; the maxima still update.
    AddFaults({{invsim::FaultKind::BadCrc, -1}});
    ASSERT_EQ(groups::ReadTemperature(link, ctx, live, 0, 0), 0);
    EXPECT_EQ(Text("Label_Temperature11"), "20 \u2103");
    EXPECT_EQ(Text("Label_MaxTemp11"), "95 \u2103");

    // A vanished line ends every reader at its first request.
    bus.Stop();
    EXPECT_EQ(groups::ReadTestValue(link, ctx, live, 0), 1);
    EXPECT_EQ(groups::ReadAcPhase(link, ctx, output, 1, 0), 1);
}

TEST_F(LiveOnPty, HiddenPanelsAndPendingCommandsCostNothing)
{
    for (auto& [name, panel] : panels)
        panel->SetVisible(false);
    for (vcl::TPanel* p : ac)
        p->SetVisible(false);
    total->SetVisible(false);
    ReadAll();
    EXPECT_TRUE(bus.Frames().empty());
    for (auto& [name, panel] : panels)
        panel->SetVisible(true);
    link.CommandCode = 6;
    ReadAll();
    EXPECT_TRUE(bus.Frames().empty());
    EXPECT_EQ(groups::ReadInput7to12(link, ctx, live, output, 1), 1);
}

} // namespace

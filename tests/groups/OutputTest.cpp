// The output reader against the simulated inverter, with the real kit labels.
#include "GroupsTestSupport.h"

namespace {

using namespace groupstest;

// Words w0..w12 and the line voltages w27..w29 of one output block.
std::vector<std::uint16_t> Block(std::uint16_t w0, std::array<std::array<std::uint16_t, 4>, 3> phases,
                                 std::array<std::uint16_t, 3> lineVolts = {0, 0, 0})
{
    std::vector<std::uint16_t> w(30, 0);
    w[0] = w0;
    for (int p = 0; p < 3; ++p)
        for (int k = 0; k < 4; ++k)
            w[1 + 4 * p + k] = phases[p][k];
    for (int p = 0; p < 3; ++p)
        w[27 + p] = lineVolts[p];
    return w;
}

TEST_F(GroupsOnPty, OutputFillsThePhasesAndTheTotalsWithTheDeviceFactors)
{
    struct Case {
        const char* what;
        int power, volt, iac;
        std::uint8_t sign;
        std::vector<std::uint16_t> block;
        std::array<const char*, 4> phaseR;   // voltage, current, power, frequency of phase R
        const char* totalPower;
        const char* totalCurrent;
    };
    const Case cases[] = {
        {"defaults", 1, 10, 100, 0, Block(1234, {{{2301, 512, 1178, 5001}, {2299, 498, 1140, 5000}, {2310, 0, 0, 4999}}}),
         {"230.1 V", "5.12 A", "1178 W", "50.01 Hz"}, "1234W", "10.10A"},
        {"signed power times ten", 10, 10, 100, 1, Block(0xFF9C, {{{2301, 0xFFF6, 0xFF9C, 5000}, {0, 20, 0, 0}, {0, 30, 0, 0}}}),
         {"230.1 V", "-0.10 A", "-1000 W", "50.00 Hz"}, "-1000W", "0.40A"},
        {"the same words unsigned", 10, 10, 100, 0, Block(0xFF9C, {{{2301, 0xFFF6, 0xFF9C, 5000}, {0, 20, 0, 0}, {0, 30, 0, 0}}}),
         {"230.1 V", "655.26 A", "654360 W", "50.00 Hz"}, "654360W", "655.76A"},
        // The three currents add up beyond 16 bits without wrapping.
        {"large total current", 1, 100, 10, 0, Block(0, {{{23015, 30000, 0, 5000}, {23015, 30000, 0, 5000}, {23015, 30000, 0, 5000}}}),
         {"230.15 V", "3000.0 A", "0 W", "50.00 Hz"}, "0W", "9000.0A"},
        {"signed currents of both signs", 1, 1, 1, 1, Block(5, {{{230, 0xFFFE, 5, 5000}, {230, 3, 0, 5000}, {230, 0x7FFF, 0, 5000}}}),
         {"230 V", "-2 A", "5 W", "50.00 Hz"}, "5W", "32768A"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        state.PowerMultiplier = c.power;
        state.VoltageDivisor = c.volt;
        state.IacDivisor = c.iac;
        state.SignedValues = c.sign;
        bus.SetCoil(1, 24649, false);
        SetOutputBlock(c.block);
        ASSERT_EQ(groups::ReadOutput(link, ctx, output, 0), 0);
        EXPECT_EQ(Text("Label_VacR_Grid"), c.phaseR[0]);
        EXPECT_EQ(Text("Label_IacR"), c.phaseR[1]);
        EXPECT_EQ(Text("Label_PacR"), c.phaseR[2]);
        EXPECT_EQ(Text("Label_FacR"), c.phaseR[3]);
        EXPECT_EQ(Text("Label_TotalOutputPower"), c.totalPower);
        EXPECT_EQ(Text("Label_TotalOutputCurrent"), c.totalCurrent);
        EXPECT_EQ(host.panels[2], "Output...");
        EXPECT_EQ(state.AcLayout, 0);
    }
    // Live values keep their blue.
    for (const char* name : {"Label_VacR_Grid", "Label_IacS", "Label_PacT", "Label_TotalOutputPower"})
        EXPECT_EQ(Colour(name), vcl::clBlue) << name;
    EXPECT_EQ(Text("Label_VacT_Grid"), "230 V");
    EXPECT_EQ(Text("Label_IacS"), "3 A");
}

TEST_F(GroupsOnPty, OutputRequestsTheCoilThenTheBlock)
{
    SetOutputBlock({});
    bus.SetCoil(1, 24649, false);
    ASSERT_EQ(groups::ReadOutput(link, ctx, output, 0), 0);
    const auto frames = bus.Frames();
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(std::vector<std::uint8_t>(frames[0].bytes.begin(), frames[0].bytes.begin() + 6),
              (std::vector<std::uint8_t>{0x01, 0x01, 0x60, 0x48, 0x00, 0x01}));
    EXPECT_EQ(std::vector<std::uint8_t>(frames[1].bytes.begin(), frames[1].bytes.begin() + 6),
              (std::vector<std::uint8_t>{0x01, 0x04, 0xBF, 0xFF, 0x00, 0x1E}));
}

TEST_F(GroupsOnPty, ThreeWireTerminalShowsLineVoltagesAndCaptions)
{
    SetOutputBlock(Block(0, {{{2300, 0, 0, 5000}, {2310, 0, 0, 5000}, {2320, 0, 0, 5000}}}, {3990, 4000, 4010}));
    bus.SetCoil(1, 24649, true);
    ASSERT_EQ(groups::ReadOutput(link, ctx, output, 0), 0);
    EXPECT_EQ(state.AcLayout, 1);
    EXPECT_EQ(Text("Label19"), "Voltage(L-L)");
    EXPECT_EQ(Text("Label153"), "Voltage(L-L)");
    EXPECT_EQ(Text("Label54"), "Voltage(L-L)");
    EXPECT_EQ(Text("Label_VacR_Grid"), "399.0 V");
    EXPECT_EQ(Text("Label_VacS_Grid"), "400.0 V");
    EXPECT_EQ(Text("Label_VacT_Grid"), "401.0 V");

    // Back to a four-wire terminal: phase voltages and the line-to-neutral caption.
    bus.SetCoil(1, 24649, false);
    ASSERT_EQ(groups::ReadOutput(link, ctx, output, 0), 0);
    EXPECT_EQ(state.AcLayout, 0);
    EXPECT_EQ(Text("Label19"), "Voltage(L-N)");
    EXPECT_EQ(Text("Label_VacR_Grid"), "230.0 V");
}

TEST_F(GroupsOnPty, RejectedCoilKeepsTheLayoutAndTheBlockIsStillShown)
{
    // No coil 24649 on this inverter: an exception reply.
    state.AcLayout = 1;
    SetOutputBlock(Block(0, {{{2300, 0, 0, 5000}, {2310, 0, 0, 5000}, {2320, 0, 0, 5000}}}, {3990, 4000, 4010}));
    ASSERT_EQ(groups::ReadOutput(link, ctx, output, 0), 0);
    EXPECT_EQ(state.AcLayout, 1);
    EXPECT_EQ(Text("Label19"), "Voltage(L-N)");   // the design's caption, untouched
    EXPECT_EQ(Text("Label_VacR_Grid"), "399.0 V");
}

// A block whose reply is spoilt, cut short, an exception or of the wrong length for the count
// asked leaves every label as it was.
TEST_F(GroupsOnPty, RejectedBlockLeavesEveryLabel)
{
    bus.SetCoil(1, 24649, false);
    SetOutputBlock(Block(100, {{{2300, 1, 2, 5000}, {2300, 1, 2, 5000}, {2300, 1, 2, 5000}}}));
    ASSERT_EQ(groups::ReadOutput(link, ctx, output, 0), 0);
    ASSERT_EQ(Text("Label_PacS"), "2 W");
    SetOutputBlock(Block(999, {{{9999, 9, 9, 9999}, {9999, 9, 9, 9999}, {9999, 9, 9, 9999}}}));
    struct Case { const char* what; invsim::FaultKind kind; int param; };
    const Case cases[] = {
        {"bad CRC", invsim::FaultKind::BadCrc, -1},
        {"two data bytes short", invsim::FaultKind::Short, 2},
        {"exception", invsim::FaultKind::Exception, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        // The coil's reply passes; the block's reply carries the fault.
        invsim::Fault pass;
        pass.kind = invsim::FaultKind::Delay;
        pass.param = 0;
        pass.times = 1;
        invsim::Fault f;
        f.kind = c.kind;
        f.param = c.param;
        f.times = 1;
        bus.AddFault(1, pass);
        bus.AddFault(1, f);
        ASSERT_EQ(groups::ReadOutput(link, ctx, output, 0), 0);
        EXPECT_EQ(Text("Label_PacS"), "2 W");
        EXPECT_EQ(Text("Label_VacR_Grid"), "230.0 V");
        EXPECT_EQ(Text("Label_TotalOutputPower"), "100W");
        EXPECT_EQ(link.ReplyLength > 0, true);
    }
}

TEST_F(GroupsOnPty, FrameSkipsWithoutSending)
{
    SetOutputBlock({});
    bus.SetCoil(1, 24649, false);
    host.panels[2] = "Version...";
    struct Case { const char* what; std::array<bool, 3> shown; int command; std::uint8_t stop; int result; };
    const Case cases[] = {
        {"every output panel hidden", {false, false, false}, 0, 0, 0},
        {"stop comes first, also when hidden", {false, false, false}, 0, 1, 1},
        {"stop with the panels shown", {true, true, true}, 0, 1, 1},
        {"a command is pending", {true, true, true}, 6, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        for (int i = 0; i < 3; ++i)
            ac[i]->SetVisible(c.shown[i]);
        link.CommandCode = c.command;
        EXPECT_EQ(groups::ReadOutput(link, ctx, output, c.stop), c.result);
        EXPECT_EQ(link.TxCounter, 0);
        EXPECT_EQ(host.panels[2], "Version...");   // the previous reader's text stays
    }
    EXPECT_TRUE(bus.Frames().empty());
}

TEST_F(GroupsOnPty, OnlyTheThirdPanelShownStillReadsEverything)
{
    ac[0]->SetVisible(false);
    ac[1]->SetVisible(false);
    total->SetVisible(false);
    bus.SetCoil(1, 24649, false);
    SetOutputBlock(Block(42, {{{2301, 100, 10, 5000}, {2302, 200, 20, 5001}, {2303, 300, 30, 5002}}}));
    ASSERT_EQ(groups::ReadOutput(link, ctx, output, 0), 0);
    EXPECT_EQ(Text("Label_VacR_Grid"), "230.1 V");
    EXPECT_EQ(Text("Label_FacS"), "50.01 Hz");
    EXPECT_EQ(Text("Label_PacT"), "30 W");
    EXPECT_EQ(Text("Label_TotalOutputPower"), "42W");
    EXPECT_EQ(Text("Label_TotalOutputCurrent"), "6.00A");
}

TEST_F(GroupsOnPty, VanishedLineEndsTheReader)
{
    bus.Stop();
    EXPECT_EQ(groups::ReadOutput(link, ctx, output, 0), 1);
}

TEST_F(GroupsOnPty, VoltageCaptionStylesAndRedundantLabels)
{
    struct Case { int style; const char* caption; bool redundantShown; };
    const Case cases[] = {{2, "Voltage(L-N)", true}, {-1, "Voltage", true}, {1, "Voltage(L-L)", false},
                          {2, "Voltage(L-N)", true}, {3, "Voltage(L-N)", true}, {0, "Voltage(L-N)", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.style);
        groups::ApplyVoltageCaptions(output, c.style);
        for (const char* cap : {"Label19", "Label153", "Label54"})
            EXPECT_EQ(Text(cap), c.caption);
        for (const char* name : {"Label_VacR_Out", "Label_VacS_GridRed", "Label_VacT_OutRed", "Label_FacR_Red",
                                 "Label45", "Label158", "Label244"})
            EXPECT_EQ(Shown(name), c.redundantShown) << name;
    }
}

} // namespace

namespace {

using namespace groupstest;

// Ten silent transactions turn every shown value into a red "??"; the next answer turns them
// back into a blue "??" and the readers refill them.
TEST_F(GroupsOnPty, SilentInverterMarksTheLabelsAndRecoveryRefillsThem)
{
    // A caption in black and an edit painted blue are not value labels.
    auto* edit = new vcl::TEdit(form.get());
    edit->SetName("Edit_Probe");
    edit->Font()->SetColor(vcl::clBlue);
    bus.SetCoil(1, 24649, false);
    SetOutputBlock(Block(100, {{{2300, 1, 2, 5000}, {2300, 1, 2, 5000}, {2300, 1, 2, 5000}}}));
    ASSERT_EQ(groups::ReadOutput(link, ctx, output, 0), 0);
    ASSERT_EQ(Text("Label_PacR"), "2 W");

    invsim::Fault silence;
    silence.kind = invsim::FaultKind::Silence;
    bus.AddFault(1, silence);
    UseClock(0.05);
    for (int i = 0; i < 4; ++i)
        ASSERT_EQ(groups::ReadOutput(link, ctx, output, 0), 0);
    EXPECT_EQ(link.FailStreak, 8);
    EXPECT_EQ(Text("Label_PacR"), "2 W");
    ASSERT_EQ(groups::ReadOutput(link, ctx, output, 0), 0);
    UseClock(1.0);
    EXPECT_EQ(link.FailStreak, 10);
    for (const char* name : {"Label_PacR", "Label_VacT_Grid", "Label_TotalOutputCurrent", "Label_VacR_Out"}) {
        EXPECT_EQ(Text(name), "??") << name;
        EXPECT_EQ(Colour(name), vcl::clRed) << name;
    }
    EXPECT_EQ(Text("Label5101"), "Current");
    EXPECT_EQ(edit->Font()->Color(), vcl::clBlue);

    bus.ClearFaults(1);
    ASSERT_EQ(groups::ReadOutput(link, ctx, output, 0), 0);
    EXPECT_EQ(link.FailStreak, 0);
    EXPECT_EQ(Colour("Label_PacR"), vcl::clBlue);
    EXPECT_EQ(Text("Label_PacR"), "2 W");             // refilled by the same read
    EXPECT_EQ(Text("Label_VacR_Out"), "??");          // not this reader's label
    EXPECT_EQ(Colour("Label_VacR_Out"), vcl::clBlue);
}

} // namespace

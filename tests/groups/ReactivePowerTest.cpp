// The reactive and active power readers on the simulated inverter: the texts of the sides, the
// cos φ steps, the curve points; which requests each reader sends under the mode's options; what
// an unanswered request leaves; and the Q(U) captions of the two styles.
#include "GroupsTestSupport.h"

#include "groups/ReactivePower.h"

#include <functional>

namespace {

using namespace groupstest;

TEST(ReactiveTexts, SidesAndScales)
{
    struct Case {
        QString text;
        const char* expected;
    };
    using groups::CosPhiText;
    using groups::PointPercentText;
    using groups::PointSideText;
    using groups::SidePercentText;
    const Case cases[] = {
        {CosPhiText(95, 100, 0), "Ind 0.95"},
        {CosPhiText(-90, 100, 0), "Cap 0.90"},
        {CosPhiText(100, 100, 0), "1"},
        {CosPhiText(-100, 100, 1), "1"},
        {CosPhiText(0, 100, 0), "Cap 0.00"},
        {CosPhiText(0, 100, 1), "Ind 0.00"},
        {CosPhiText(95, 100, 1), "Cap 0.95"},
        {CosPhiText(950, 1000, 0), "Ind 0.950"},
        {CosPhiText(-1000, 1000, 0), "1"},
        {CosPhiText(100, 1000, 0), "Ind 0.100"},   // full scale 1000: 100 is no "1"
        {CosPhiText(0, 1000, 0), "Cap 0.000"},
        {SidePercentText(30, 0), "Ind 30%"},
        {SidePercentText(-30, 0), "Cap 30%"},
        {SidePercentText(0, 0), "Cap 0%"},
        {SidePercentText(0, 1), "Ind 0%"},
        {SidePercentText(-20, 1), "Ind 20%"},
        {PointPercentText(500), "50.0%"},
        {PointPercentText(0xFFE7), "-2.5%"},
        {PointPercentText(0xFFFF), "-0.1%"},
        {PointSideText(125, 0), "Ind  12.5%"},
        {PointSideText(-300, 0), "Cap  30.0%"},
        {PointSideText(0, 0), "Cap 0"},
        {PointSideText(0, 1), "Cap 0"},
        {PointSideText(125, 1), "Cap  12.5%"},
        {PointSideText(-300, 1), "Ind  30.0%"},
        {PointSideText(-32768, 0), "Cap  3276.8%"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.text, QString::fromUtf8(c.expected));
}

class Reactive : public GroupsOnPty {
protected:
    void SetUp() override
    {
        GroupsOnPty::SetUp();
        if (HasFatalFailure())
            return;
        int top = 1250;
        for (const char* name : {"Group_ReactivePower", "Group_CosPCtrl", "Group_QUCtrl", "Group_CosphiOfU",
                                 "Group_QbyNight", "Group_QofP", "Group_QofP_DayTime", "Group_ExtendCosphiP",
                                 "Group_ActivePower", "Group_PUFunction", "Group_VoltageSuppression",
                                 "Group_JapanActivePower"}) {
            MakeGroupPanel(*form, name, top)->SetBounds(0, top, 300, 460);
            top += 460;
        }
        g = groups::BuildReactiveGroups(*form);
        bus.With(1, [](invsim::Inverter& inv) {
            invsim::LoadDemoProtection(inv);   // the P(U) stop voltage is the AU/NZ block's
            invsim::LoadDemoReactive(inv);
        });
    }
    // Every reader once, in the loop's order.
    void ReadAll()
    {
        ASSERT_EQ(groups::ReadReactivePower(link, g, *form, opt, 0), 0);
        ASSERT_EQ(groups::ReadQofU(link, g, *form, opt, 0), 0);
        ASSERT_EQ(groups::ReadCosphiOfP(link, g, *form, opt, 0), 0);
        ASSERT_EQ(groups::ReadExtendCosphiP(link, g, *form, opt, 0), 0);
        ASSERT_EQ(groups::ReadActivePower(link, g, *form, opt, 0), 0);
        ASSERT_EQ(groups::ReadPofU(link, g, *form, 0), 0);
        ASSERT_EQ(groups::ReadCosphiOfU(link, g, *form, opt, 0), 0);
        ASSERT_EQ(groups::ReadVoltageSuppression(link, g, *form, 0), 0);
        ASSERT_EQ(groups::ReadJapanActivePower(link, g, *form, 0), 0);
        ASSERT_EQ(groups::ReadQByNight(link, g, *form, 0), 0);
        ASSERT_EQ(groups::ReadQofP(link, g, *form, opt, 0), 0);
        ASSERT_EQ(groups::ReadQofPDaytime(link, g, *form, opt, 0), 0);
    }
    // The first register of each request since the last ClearFrames.
    std::vector<int> Asked() const
    {
        std::vector<int> asked;
        for (const auto& f : bus.Frames())
            asked.push_back((f.bytes[2] << 8 | f.bytes[3]) + 1);
        return asked;
    }
    // A second inverter holding only the given registers (anything else is answered with an
    // exception), addressed from now on.
    void UseSparseInverter(std::initializer_list<std::pair<int, int>> registers)
    {
        bus.AddInverter(2, 9600);
        bus.With(2, [&](invsim::Inverter& inv) {
            for (auto [reg, v] : registers)
                inv.SetHolding(reg, static_cast<std::uint16_t>(v));
        });
        link.SlaveId = 2;
    }
    groups::ReactiveGroups g;
    groups::ReactiveOptions opt;
};

TEST_F(Reactive, TheDemonstrationValuesAsThePanelsShowThem)
{
    ReadAll();
    const std::pair<const char*, const char*> expected[] = {
        {"Label_ReactiveMode", "cos(φ) of P Control"}, {"Label_FixCos", "Ind 0.95"},
        {"Label_FixKvar", "Cap 10%"},                 {"Label_ReDelayT", "10.00 sec"},
        {"Label_ReactiveNightMode", "Disable"},
        {"Label_CosUp", "Ind 0.90"},                  {"Label_CosLow", "1"},
        {"Label_PowerUp", "100 %"},                   {"Label_PowerLow", "50 %"},
        {"Label_CosLockInVolt", "241.5 V"},           {"Label_CosLockOutVolt", "230.0 V"},
        {"Label_KvarUp", "Cap 44%"},                  {"Label_KvarLow", "Ind 44%"},
        {"Label_UacMin", "207.0 V"},                  {"Label_UacMax", "253.0 V"},
        {"Label_UacLow", "218.5 V"},                  {"Label_UacUp", "241.5 V"},
        {"Label_Hystersis", "2.0 V"},                 {"Label_UacLockIn", "20 %"},
        {"Label_UacLockOut", "5 %"},                  {"Label_QofU_Q2", "0"},
        {"Label_QofU_Q3", "0"},                       {"Label_ResponseDelay", "5 sec"},
        {"Label_CosphiOfU_UpperLimit", "Ind 0.900"},  {"Label_CosphiOfU_LowerLimit", "Cap 0.900"},
        {"Label_CosphiOfU_Vmin", "207.0 V"},          {"Label_CosphiOfU_Lockout", "5 %"},
        {"Label_QTMode", "Enable"},                   {"Label_ConstQ_Percent", "10 %"},
        {"Label_QP_Q_Lower", "-44 %"},                {"Label_QP_Lockin_V", "241.5V"},
        {"Label_QU_Vmax", "253.0V"},                  {"Label_QU_Hysteresis", "2.0V"},
        {"Label_Response_Delay", "10.00 sec"},
        {"Label_QofP_Mode", "Rated"},                 {"Label_QofP_SetPoint", "3"},
        {"Label_QofP_P2", "100.0%"},                  {"Label_QofP_Q2", "Ind  33.0%"},
        {"Label_QofP_Q0", "Cap 0"},                   {"Label_QofP_Mode_DT", "Actual"},
        {"Label_QofP_SetPoint_DT", "4"},              {"Label_QofP_P3_DT", "100.0%"},
        {"Label_QofP_Q3_DT", "Cap  33.0%"},           {"Label_QofP_Q2_DT", "Cap  10.0%"},
        {"Label_ExtendCosphiP_SetPoint", "4"},        {"Label_ExtendCosphiP_P1", "0.0%"},
        {"Label_ExtendCosphiP_CosP1", "Ind  100.0%"}, {"Label_ExtendCosphiP_P4", "100.0%"},
        {"Label_ExtendCosphiP_CosP4", "Ind  90.0%"},  {"Label_CosLockInVolt_Ext", "241.5 V"},
        {"Label_PowerManageMode", "Enable"},          {"Label_PowerManage", "70 %"},
        {"Label_RampUp", "10 %"},                     {"Label_ActiveSlope", "???"},
        {"Label_ProvrMode", "Enable"},                {"Label_ProvrRecTime", "60 sec"},
        {"Label_ProvrLockInV", "253.0 V"},            {"Label_StopVoltage_Vac", "265.0 V"},
        {"Label_PofU_Pend", "20 %"},                  {"Label_ReDelayT1", "3.00 sec"},
        {"Label_VoltageSuppression_V1", "248.0 V"},   {"Label_VoltageSuppression_PF", "0.90"},
        {"Label_VoltageSuppression_PL", "80 %"},      {"Label_JapanPowerManage", "RATED"},
        {"Label_JapanActivePercentage", "100"},       {"Label_JapanActiveSlope", "180"},
    };
    for (const auto& [name, text] : expected)
        EXPECT_EQ(Text(name), QString::fromUtf8(text)) << name;
    EXPECT_TRUE(Shown("Item_ResponseDelay"));
    // Read back: blue (the slope, not read under this option, too: it was never marked).
    for (const char* name : {"Label_FixCos", "Label_KvarUp", "Label_QofP_Q9_DT", "Label_ExtendCosphiP_CosP8",
                             "Label_QU_V2", "Label_JapanActiveSlope"})
        EXPECT_EQ(Colour(name), vcl::clBlue) << name;
    // Reads only.
    for (const auto& f : bus.Frames())
        EXPECT_EQ(f.bytes[1], 3);
}

// The sign convention swaps the sides of every reactive text, and the step picks the cos φ
// registers: one request more with thousandths, the hundredths read but not shown.
TEST_F(Reactive, SignAndStepOptions)
{
    opt.sign = 1;
    opt.step = 1;
    bus.ClearFrames();
    ASSERT_EQ(groups::ReadReactivePower(link, g, *form, opt, 0), 0);
    EXPECT_EQ(Asked(), (std::vector<int>{33616, 48795, 33624, 48766}));
    ASSERT_EQ(groups::ReadCosphiOfP(link, g, *form, opt, 0), 0);
    ASSERT_EQ(groups::ReadQofP(link, g, *form, opt, 0), 0);
    ASSERT_EQ(groups::ReadQofU(link, g, *form, opt, 0), 0);
    EXPECT_EQ(Text("Label_FixCos"), "Cap 0.950");
    EXPECT_EQ(Text("Label_FixKvar"), "Ind 10%");
    EXPECT_EQ(Text("Label_CosUp"), "Cap 0.900");
    EXPECT_EQ(Text("Label_CosLow"), "1");
    EXPECT_EQ(Text("Label_KvarUp"), "Ind 44%");
    EXPECT_EQ(Text("Label_QofP_Q2"), "Cap  33.0%");
    EXPECT_EQ(Text("Label_QofP_Q0"), "Cap 0");

    opt.step = 0;
    bus.ClearFrames();
    ASSERT_EQ(groups::ReadReactivePower(link, g, *form, opt, 0), 0);
    ASSERT_EQ(groups::ReadCosphiOfP(link, g, *form, opt, 0), 0);
    EXPECT_EQ(Asked(), (std::vector<int>{33616, 33624, 48766, 33619, 48786}));
    EXPECT_EQ(Text("Label_FixCos"), "Cap 0.95");

    // A step the mode does not define reads neither cos φ register into the labels.
    opt.step = 2;
    bus.SetHolding(1, 33617, 80);
    bus.SetHolding(1, 48795, 800);
    bus.ClearFrames();
    ASSERT_EQ(groups::ReadReactivePower(link, g, *form, opt, 0), 0);
    EXPECT_EQ(Asked(), (std::vector<int>{33616, 33624, 48766}));
    EXPECT_EQ(Text("Label_FixCos"), "Cap 0.95");
}

TEST_F(Reactive, CodesOutsideTheTablesKeepTheText)
{
    ReadAll();
    const std::function<int()> reactive = [&] { return groups::ReadReactivePower(link, g, *form, opt, 0); };
    const std::function<int()> qofu = [&] { return groups::ReadQofU(link, g, *form, opt, 0); };
    const std::function<int()> night = [&] { return groups::ReadQByNight(link, g, *form, 0); };
    const std::function<int()> qofp = [&] { return groups::ReadQofP(link, g, *form, opt, 0); };
    const std::function<int()> japan = [&] { return groups::ReadJapanActivePower(link, g, *form, 0); };
    const std::function<int()> active = [&] { return groups::ReadActivePower(link, g, *form, opt, 0); };
    const std::function<int()> pofu = [&] { return groups::ReadPofU(link, g, *form, 0); };
    const std::function<int()> suppression = [&] { return groups::ReadVoltageSuppression(link, g, *form, 0); };
    const std::function<int()> cosphiOfU = [&] { return groups::ReadCosphiOfU(link, g, *form, opt, 0); };
    struct Case {
        const std::function<int()>& read;
        int reg;
        int value;
        const char* label;
        const char* text;
    };
    const Case cases[] = {
        {reactive, 33616, 16, "Label_ReactiveMode", "cos(φ) of P Control"},   // no such mode: unchanged
        {reactive, 33616, 12, "Label_ReactiveMode", "Q(P) 24/7"},
        {reactive, 33616, 15, "Label_ReactiveMode", "Q of Pac 24/7"},
        {reactive, 48766, 0x001D, "Label_ReactiveNightMode", "Fixed Kvar 24/7"},   // only the low 4 bits
        {reactive, 48766, 0x0005, "Label_ReactiveNightMode", "Fixed Kvar 24/7"},   // 5 is no night mode
        {reactive, 48766, 0x0010, "Label_ReactiveNightMode", "Disable"},
        {reactive, 33633, 65535, "Label_ReDelayT", "655.35 sec"},
        {qofu, 33638, 250, "Label_ResponseDelay", "2 sec"},
        {qofu, 33638, 99, "Label_ResponseDelay", "0 sec"},
        {night, 48799, 0xFFF6, "Label_ConstQ_Percent", "-10 %"},
        {night, 48808, 2300, "Label_QU_Vmin", "230.0V"},
        {night, 48798, 0, "Label_QTMode", "Disable"},
        {qofp, 48826, 2, "Label_QofP_Mode", "Actual"},
        {qofp, 48828, 0xFFFF, "Label_QofP_P0", "-0.1%"},
        {japan, 25361, 2, "Label_JapanPowerManage", "RATED"},   // neither OFF nor RATED: unchanged
        {japan, 25361, 0, "Label_JapanPowerManage", "OFF"},
        {active, 798, 2, "Label_PowerManageMode", "Enable"},
        {active, 799, 0xFFFF, "Label_PowerManage", "-1 %"},
        {active, 864, 0xFFFF, "Label_RampUp", "65535 %"},
        {pofu, 48544, 2, "Label_ProvrMode", "Enable"},
        {suppression, 48791, 95, "Label_VoltageSuppression_PF", "0.95"},
        {cosphiOfU, 48817, 0xFC18, "Label_CosphiOfU_UpperLimit", "1"},   // -1000
        {cosphiOfU, 48818, 0, "Label_CosphiOfU_LowerLimit", "Cap 0.000"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        bus.SetHolding(1, c.reg, static_cast<std::uint16_t>(c.value));
        groups::FindLabel(*form, QLatin1String(c.label))->Font()->SetColor(vcl::clRed);
        ASSERT_EQ(c.read(), 0);
        EXPECT_EQ(Text(c.label), QString::fromUtf8(c.text));
        EXPECT_EQ(Colour(c.label), vcl::clBlue);   // an accepted read turns it blue in every case
    }
}

TEST_F(Reactive, TheSlopeIsReadOnlyUnderItsOption)
{
    bus.ClearFrames();
    ASSERT_EQ(groups::ReadActivePower(link, g, *form, opt, 0), 0);
    EXPECT_EQ(Asked(), (std::vector<int>{798, 864}));
    EXPECT_EQ(Text("Label_ActiveSlope"), "???");
    opt.slope = 1;
    bus.ClearFrames();
    ASSERT_EQ(groups::ReadActivePower(link, g, *form, opt, 0), 0);
    EXPECT_EQ(Asked(), (std::vector<int>{798, 864, 48514}));
    EXPECT_EQ(Text("Label_ActiveSlope"), "60 sec");
}

// Requests that get no accepted answer: their labels stay as they were and the reader goes on;
// the Q(U) response-delay row is taken away; the extended cos φ(P) block unanswered costs its
// lock voltages' request.
TEST_F(Reactive, UnansweredRequestsLeaveTheirLabels)
{
    opt.step = 1;
    ReadAll();
    ASSERT_TRUE(Shown("Item_ResponseDelay"));
    for (const char* name : {"Label_ReactiveMode", "Label_FixCos", "Label_CosLockInVolt_Ext", "Label_ExtendCosphiP_P1"})
        groups::FindLabel(*form, QLatin1String(name))->Font()->SetColor(vcl::clRed);
    // An inverter that has the mode and the Q(U) block only.
    std::initializer_list<std::pair<int, int>> held = {{33616, 3}, {33617, 0}};
    UseSparseInverter(held);
    bus.With(2, [](invsim::Inverter& inv) {
        for (int k = 0; k < 14; ++k)
            inv.SetHolding(33624 + k, static_cast<std::uint16_t>(k == 2 ? 7 : 0));
        inv.SetHolding(48786, 2400);
        inv.SetHolding(48787, 2300);
    });
    bus.ClearFrames();
    ASSERT_EQ(groups::ReadReactivePower(link, g, *form, opt, 0), 0);
    EXPECT_EQ(Asked(), (std::vector<int>{33616, 48795, 33624, 48766}));
    EXPECT_EQ(Text("Label_ReactiveMode"), "Constant Q");      // new text ...
    EXPECT_EQ(Colour("Label_ReactiveMode"), vcl::clRed);       // ... but not read back in thousandths
    EXPECT_EQ(Text("Label_FixCos"), "Ind 0.950");
    EXPECT_EQ(Text("Label_ReactiveNightMode"), "Disable");

    ASSERT_EQ(groups::ReadQofU(link, g, *form, opt, 0), 0);
    EXPECT_EQ(Text("Label_KvarUp"), "Ind 7%");
    EXPECT_EQ(Colour("Label_KvarUp"), vcl::clBlue);
    EXPECT_FALSE(Shown("Item_ResponseDelay"));
    EXPECT_EQ(Text("Label_ResponseDelay"), "5 sec");

    bus.ClearFrames();
    ASSERT_EQ(groups::ReadExtendCosphiP(link, g, *form, opt, 0), 0);
    EXPECT_EQ(Asked(), (std::vector<int>{48848}));
    EXPECT_EQ(Text("Label_CosLockInVolt_Ext"), "241.5 V");
    EXPECT_EQ(Colour("Label_CosLockInVolt_Ext"), vcl::clRed);
    EXPECT_EQ(Colour("Label_ExtendCosphiP_P1"), vcl::clRed);

    // Each Q(P) panel reads its own block only.
    bus.ClearFrames();
    ASSERT_EQ(groups::ReadQofP(link, g, *form, opt, 0), 0);
    ASSERT_EQ(groups::ReadQofPDaytime(link, g, *form, opt, 0), 0);
    EXPECT_EQ(Asked(), (std::vector<int>{groups::kQofPBlock, groups::kQofPDaytimeBlock}));
    EXPECT_EQ(Text("Label_QofP_Mode"), "Rated");
    EXPECT_EQ(Text("Label_QofP_Mode_DT"), "Actual");
}

TEST_F(Reactive, HiddenPanelsCostNothingAndStopEndsTheLoop)
{
    for (vcl::TWinControl* p : {g.Reactive, g.CosPCtrl, g.QUCtrl, g.CosphiOfU, g.QbyNight, g.QofP, g.QofPDaytime,
                                g.ExtendCosphiP, g.Active, g.PofU, g.Suppression, g.JapanActive})
        p->SetVisible(false);
    bus.ClearFrames();
    ReadAll();
    EXPECT_TRUE(bus.Frames().empty());
    EXPECT_EQ(groups::ReadQofP(link, g, *form, opt, 1), 1);
    EXPECT_EQ(groups::ReadJapanActivePower(link, g, *form, 1), 1);
}

TEST_F(Reactive, QofUCaptionStyles)
{
    const char* names[] = {"Label63", "Label70", "Label75", "Label74", "Label79", "Label77"};
    auto captions = [&] {
        QStringList out;
        for (const char* n : names)
            out << Text(n);
        return out;
    };
    const QStringList curve = {"Q_Vmax", "Q_Vmin", "Vmax", "Vmin", "Upper(V2)", "Lower(V1)"};
    EXPECT_EQ(captions(), curve);
    groups::ApplyQofUCaptions(*form, 1);
    EXPECT_EQ(captions(), (QStringList{"Q4", "Q1", "V4", "V1", "V3", "V2"}));
    groups::ApplyQofUCaptions(*form, 2);   // no such style: unchanged
    EXPECT_EQ(captions(), (QStringList{"Q4", "Q1", "V4", "V1", "V3", "V2"}));
    groups::ApplyQofUCaptions(*form, 0);
    EXPECT_EQ(captions(), curve);
}

} // namespace

// Every typed settings entry of every family, on the real window: text that is no number, a value
// one step past its range on either side and a value beyond 32 bits post nothing and say the
// range (or clamp where the row clamps); a value inside posts the register and scale that the
// settings tables give, which this file states on its own below.
#include "CommandsWindow.h"

#include "app/JapanSettings.h"
#include "app/ProtectionSettings.h"
#include "app/ReactiveSettings.h"
#include "app/SettingsPolls.h"
#include "app/StatusSettings.h"
#include "app/StorageSettings.h"
#include "groups/Protection.h"

#include <gtest/gtest.h>
#include <map>
#include <optional>

namespace {

using namespace commandstest;
using settings::Binding;

// What an entry posts: the command, the register (0: a command that carries none) and the
// register's units per unit typed.
struct Posting {
    int code;
    int reg;
    int scale;
};

// The settings tables' entries.
const std::map<QString, Posting>& Tables()
{
    static const std::map<QString, Posting> table = [] {
        struct Row {
            const char* control;
            int code, reg, scale;
        };
        static const Row rows[] = {
            // Status and service.
            {"Edit_GainCaliVdcLow", 1001, 0, 10},
            {"Edit_GainCaliIdcLow", 1002, 0, 100},
            {"Edit_GainCaliPdcLow", 1003, 0, 1},
            {"Edit_GainCaliVdcHigh", 1005, 0, 10},
            {"Edit_GainCaliIdcHigh", 1006, 0, 100},
            {"Edit_GainCaliPdcHigh", 1007, 0, 1},
            {"Edit_MaxPower", 6, 33595, 1},
            {"Edit_ConstVolt", 6, 829, 10},
            {"Edit_ReclosureSet", 6, 48154, 100},
            {"Edit_InverterID", 6, 48163, 1},
            {"Edit_FanDuty", 6, 807, 1},
            {"Edit_VoltHighGain", 6, 33537, 1},
            {"Edit_VoltBoundary", 6, 33538, 1},
            {"Edit_VoltLowGain", 6, 33539, 1},
            {"Edit_CurrHighGain", 6, 33540, 1},
            {"Edit_CurrBoundary", 6, 33541, 1},
            {"Edit_CurrLowGain", 6, 33542, 1},
            {"Edit_PowerHighGain", 6, 33543, 1},
            {"Edit_PowertBoundary", 6, 33544, 1},
            {"Edit_PowerLowGain", 6, 33545, 1},
            {"Edit_VoltHighGainRed", 6, 33546, 1},
            {"Edit_VoltBoundaryRed", 6, 33547, 1},
            {"Edit_VoltLowGainRed", 6, 33548, 1},
            {"Edit_EUShadowInterval", 6, 48433, 1},
            // Storage.
            {"Edit_SOC_Limit", 6, 25617, 1},
            {"Edit_Peak_Cut_Power", 6, 25620, 1},
            {"Edit_PV_Capacity", 6, 25633, 10},
            {"Edit_Feedin_Percent", 6, 25634, 1},
            // Uac protection.
            {"Edit_UHighOFF", 6, 33552, 10},
            {"Edit_UHighOFFTime", 6, 33553, 100},
            {"Edit_UHighON", 6, 33554, 10},
            {"Edit_ULowOFF", 6, 33555, 10},
            {"Edit_ULowOFFTime", 6, 33556, 100},
            {"Edit_ULowON", 6, 33557, 10},
            {"Edit_UHighOFFSlow", 6, 33558, 10},
            {"Edit_UHighOFFSlowTime", 6, 33559, 100},
            {"Edit_UHighONSlow", 6, 33560, 10},
            {"Edit_ULowOFFSlow", 6, 33561, 10},
            {"Edit_ULowOFFSlowTime", 6, 33562, 100},
            {"Edit_ULowONSlow", 6, 33563, 10},
            {"Edit_UHighOFFSlow2", 6, 48176, 10},
            {"Edit_UHighOFFSlowTime2", 6, 48177, 100},
            {"Edit_UHighONSlow2", 6, 48178, 10},
            {"Edit_ULowOFFSlow2", 6, 48179, 10},
            {"Edit_ULowOFFSlowTime2", 6, 48180, 100},
            {"Edit_ULowONSlow2", 6, 48181, 10},
            // Frequency protection, all in hundredths.
            {"Edit_FHighOFF", 6, 33568, 100},
            {"Edit_FHighOFFTime", 6, 33569, 100},
            {"Edit_FHighON", 6, 33570, 100},
            {"Edit_FLowOFF", 6, 33571, 100},
            {"Edit_FLowOFFTime", 6, 33572, 100},
            {"Edit_FLowON", 6, 33573, 100},
            {"Edit_FHighOFFSlow", 6, 33610, 100},
            {"Edit_FHighOFFSlowTime", 6, 33611, 100},
            {"Edit_FHighONSlow", 6, 33612, 100},
            {"Edit_FLowOFFSlow", 6, 33613, 100},
            {"Edit_FLowOFFSlowTime", 6, 33614, 100},
            {"Edit_FLowONSlow", 6, 33615, 100},
            // AU/NZ, insulation, ground current, DC injection, comm protection, anti-PID.
            {"Edit_UHighOff2", 6, 33564, 10},
            {"Edit_UHighOffTime2", 6, 33565, 100},
            {"Edit_UHighOn2", 6, 33566, 10},
            {"Edit_PuStartVolt", 6, 48550, 10},
            {"Edit_PuStopVolt", 6, 48551, 10},
            {"Edit_RLimit", 6, 33584, 1},
            {"Edit_GroundCurrAmp", 6, 33593, 10},
            {"Edit_GroundCurrTime", 6, 33594, 10},
            {"Edit_DcInjAmp", 6, 33576, 100},
            {"Edit_DcInjTime", 6, 33577, 10},
            {"Edit_CommProDisTime", 6, 25413, 1},
            {"Edit_AntiPidTripTime", 6, 25419, 1},
            // Fault ride-through.
            {"Edit_T1Time", 6, 854, 100},
            {"Edit_UacFault", 6, 855, 1},
            {"Edit_FRTU1", 6, 856, 1},
            {"Edit_DeadBandUmin", 6, 857, 1},
            {"Edit_T2Time", 6, 858, 100},
            {"Edit_T3Time", 6, 859, 100},
            {"Edit_DeadBandUmax", 6, 860, 1},
            {"Edit_KFactor", 6, 861, 10},
            {"Edit_HVRT_V1", 6, 48906, 1},
            {"Edit_HVRT_V2", 6, 48907, 1},
            {"Edit_HVRT_T1", 6, 48908, 100},
            {"Edit_HVRT_T2", 6, 48909, 100},
            // P-F control.
            {"Edit_PROFRGradient", 6, 48641, 1},
            {"Edit_FacStart", 6, 48642, 100},
            {"Edit_FacStop", 6, 48643, 100},
            {"Edit_FacRec", 6, 48644, 100},
            {"Edit_PF_ReocveryTime", 6, 48646, 100},
            {"Edit_Statism", 6, 48647, 10},
            {"Edit_PROFR_ResponseTime", 6, 48648, 100},
            {"Edit_PROFRGradient_Under", 6, 48649, 1},
            {"Edit_FacStart_Under", 6, 48650, 100},
            {"Edit_FacRec_Under", 6, 48651, 100},
            {"Edit_PminPercent", 6, 48652, 1},
            {"Edit_PF_ReocveryTime_Under", 6, 48654, 100},
            {"Edit_FHighOFF1", 6, 33568, 100},
            // Multi-function relay 1, RPR/OVGR.
            {"Edit_Relay1_FEW1", 6, 52739, 1},
            {"Edit_Relay1_FEW2", 6, 52740, 1},
            {"Edit_Relay1_FEW3", 6, 52741, 1},
            {"Edit_RelayOP1", 6, 52743, 100},
            {"Edit_RelayDuration1", 6, 52744, 1},
            {"Edit_RelayMD1", 6, 52745, 1},
            {"Edit_Relay1Temp1", 6, 52746, 10},
            {"Edit_RPR1ReconnectTime", 6, 52673, 1},
            {"Edit_RPR2ReconnectTime", 6, 52676, 1},
            // Reactive power (cos φ in its coarse step).
            {"Edit_FixCos", 6, 33617, 100},
            {"Edit_FixKvar", 6, 33624, 1},
            {"Edit_ReDelayT", 6, 33633, 100},
            {"Edit_CosUp", 6, 33619, 100},
            {"Edit_CosLow", 6, 33620, 100},
            {"Edit_PowerUp", 6, 33622, 1},
            {"Edit_PowerLow", 6, 33621, 1},
            {"Edit_CosLockInVolt", 6, 48786, 10},
            {"Edit_CosLockOutVolt", 6, 48787, 10},
            {"Edit_KvarUp", 6, 33626, 1},
            {"Edit_KvarLow", 6, 33627, 1},
            {"Edit_UacMin", 6, 33628, 10},
            {"Edit_UacMax", 6, 33629, 10},
            {"Edit_UacLow", 6, 33630, 10},
            {"Edit_UacUp", 6, 33631, 10},
            {"Edit_Hystersis", 6, 33632, 10},
            {"Edit_UacLockIn", 6, 33636, 1},
            {"Edit_UacLockOut", 6, 33637, 1},
            {"Edit_CosphiOfU_UpperLimit", 6, 48817, 1000},
            {"Edit_CosphiOfU_LowerLimit", 6, 48818, 1000},
            {"Edit_CosphiOfU_Vmin", 6, 48819, 10},
            {"Edit_CosphiOfU_Vmax", 6, 48820, 10},
            {"Edit_CosphiOfU_V1", 6, 48821, 10},
            {"Edit_CosphiOfU_V2", 6, 48822, 10},
            {"Edit_CosphiOfU_Lockin", 6, 48823, 1},
            {"Edit_CosphiOfU_Lockout", 6, 48824, 1},
            {"Edit_ConstQ_Percent", 6, 48799, 1},
            {"Edit_QP_Q_Upper", 6, 48800, 1},
            {"Edit_QP_Q_Lower", 6, 48801, 1},
            {"Edit_QP_Upper_Limit", 6, 48802, 1},
            {"Edit_QP_Lower_Limit", 6, 48803, 1},
            {"Edit_QP_Lockin_V", 6, 48804, 10},
            {"Edit_QP_Lockout_V", 6, 48805, 10},
            {"Edit_QU_Upper_Limit", 6, 48806, 1},
            {"Edit_QU_Lower_Limit", 6, 48807, 1},
            {"Edit_QU_Vmin", 6, 48808, 10},
            {"Edit_QU_Vmax", 6, 48809, 10},
            {"Edit_QU_V1", 6, 48810, 10},
            {"Edit_QU_V2", 6, 48811, 10},
            {"Edit_QU_P_Lock_in", 6, 48812, 1},
            {"Edit_QU_P_Lock_out", 6, 48813, 1},
            {"Edit_QU_Hysteresis", 6, 48814, 10},
            {"Edit_Response_Delay", 6, 48815, 100},
            {"Edit_ExtendCosphiP_SetPoint", 6, 48848, 1},
            {"Edit_CosLockInVolt_ext", 6, 48786, 10},
            {"Edit_CosLockOutVolt_Ext", 6, 48787, 10},
            // Active power, P(U), voltage suppression.
            {"Edit_PowerManage", 6, 799, 1},
            {"Edit_RampUp", 6, 864, 1},
            {"Edit_ActiveSlope", 6, 48514, 1},
            {"Edit_ProvrRecTime", 6, 48545, 1},
            {"Edit_ProvrLockInP", 6, 48546, 1},
            {"Edit_ProvrLockOutP", 6, 48547, 1},
            {"Edit_ProvrLockInV", 6, 48548, 10},
            {"Edit_ProvrLockOutV", 6, 48549, 10},
            {"Edit_StopVoltage_Vac", 6, 48551, 10},
            {"Edit_PofU_Pend", 6, 48552, 1},
            {"Edit_ReDelayT1", 6, 48783, 100},
            {"Edit_VoltageSuppression_V1", 6, 48790, 10},
            {"Edit_VoltageSuppression_PF", 6, 48791, 100},
            {"Edit_VoltageSuppression_V2", 6, 48792, 10},
            {"Edit_VoltageSuppression_PL", 6, 48793, 1},
            // Japanese-market user settings.
            {"Edit_Japan3P_InvID", 6, 48163, 1},
            {"Edit_Japan3P_ReclosureTime", 6, 48154, 100},
            {"Edit_Japan3P_UHighOff", 6, 33552, 10},
            {"Edit_Japan3P_UHighOffTime", 6, 33553, 100},
            {"Edit_Japan3P_ULowOff", 6, 33555, 10},
            {"Edit_Japan3P_ULowOffTime", 6, 33556, 100},
            {"Edit_Japan3P_FHighOff", 6, 33568, 100},
            {"Edit_Japan3P_FHighOffTime", 6, 33569, 100},
            {"Edit_Japan3P_FLowOff", 6, 33571, 100},
            {"Edit_Japan3P_FLowOffTime", 6, 33572, 100},
            {"Edit_Japan3P_PowerManage", 6, 799, 1},
            {"Edit_Japan3P_PowerManageTime", 6, 48514, 1},
            {"Edit_Japan3P_ReactiveStartVoltage", 6, 48790, 10},
            {"Edit_Japan3P_ReactivePF", 6, 48791, 100},
            {"Edit_Japan3P_ReactiveSuppressVoltage", 6, 48792, 10},
            {"Edit_Japan3P_SuppressLevel", 6, 48793, 1},
            {"Edit_Japan3P_PowerSuppress", 6, 48769, 100},
            {"Edit_JapAPP", 6, 25362, 1},
            {"Edit_JapIDsetting", 6, 44040, 1},
            {"Edit_JapAPP_Old", 6, 25362, 1},
            {"Edit_JapIDsetting_Old", 6, 44040, 1},
        };
        std::map<QString, Posting> t;
        for (const Row& r : rows)
            t[QString::fromLatin1(r.control)] = {r.code, r.reg, r.scale};
        // The Q(P) curves: the set point at block + 1, point k's P at block + 2 + 2k and its Q
        // one above, in tenths; the daytime curve's block follows the night one's.
        for (auto [block, suffix] : {std::pair{48826, ""}, std::pair{48865, "_DT"}}) {
            t[QStringLiteral("Edit_QofP_SetPoint%1").arg(suffix)] = {6, block + 1, 1};
            for (int k = 0; k < 10; ++k) {
                t[QStringLiteral("Edit_QofP_P%1%2").arg(k).arg(suffix)] = {6, block + 2 + 2 * k, 10};
                t[QStringLiteral("Edit_QofP_Q%1%2").arg(k).arg(suffix)] = {6, block + 3 + 2 * k, 10};
            }
        }
        // Extended cos φ(P): point k (1..8) at 48849 + 2(k - 1), its cos φ one above.
        for (int k = 1; k <= 8; ++k) {
            t[QStringLiteral("Edit_ExtendCosphiP_P%1").arg(k)] = {6, 48849 + 2 * (k - 1), 10};
            t[QStringLiteral("Edit_ExtendCosphiP_CosP%1").arg(k)] = {6, 48850 + 2 * (k - 1), 10};
        }
        return t;
    }();
    return table;
}

// Exactly the register value `raw` in units of 1/scale: 65536 at 100 is "655.36".
QString Typed(long long raw, int scale)
{
    const int decimals = scale >= 1000 ? 3 : scale >= 100 ? 2 : scale >= 10 ? 1 : 0;
    return QString::number(static_cast<double>(raw) / scale, 'f', decimals);
}

class EntryRanges : public CommandsWindow {
protected:
    void SetUp() override
    {
        CommandsWindow::SetUp();
        if (HasFatalFailure())
            return;
        Prepare();
        OpenWithThreeFound();
        window->ReactiveSign = 0;
        window->CosPhiStep = 0;
        // Max. Power's watts in the unit of an inverter whose factors were read: x1.
        window->ScaleFactorsKnown = true;
        window->PowerMultiplier = 1;
        if (auto* relay = dynamic_cast<vcl::TComboBox*>(window->FindComponent(QStringLiteral("Combo_SelectRelay"))))
            relay->SetItemIndex(0);
    }
    // Puts the group panel that holds the control on the shown page, so a user can reach it.
    void Reach(const QString& control)
    {
        auto* c = dynamic_cast<vcl::TControl*>(window->FindComponent(control));
        ASSERT_NE(c, nullptr) << control.toStdString();
        for (vcl::TControl* p = c; p; p = p->Parent()) {
            for (vcl::TPanel* group : window->GroupPanels) {
                if (group != p)
                    continue;
                group->SetParent(ShownPage());
                group->SetTop(0);
                if (group->Tag() > 0)
                    group->SetHeight(group->Tag());
                group->SetVisible(true);
                return;
            }
            p->SetVisible(true);
        }
    }
    // The scroll page of the tab that is shown.
    vcl::TWinControl* ShownPage() const
    {
        for (vcl::TScrollBox* page : window->ScrollPages) {
            auto* sheet = page ? dynamic_cast<vcl::TTabSheet*>(page->Parent()) : nullptr;
            if (sheet && sheet->TabVisible() && sheet->PageControl()->ActivePage() == sheet)
                return page;
        }
        ADD_FAILURE() << "no page is shown";
        return window->ScrollPages[0];
    }
    // A command that waits in the mailbox; a refusal leaves it as it is.
    void Pending()
    {
        window->Link.CommandCode = CmdWriteCoil;
        window->Link.CommandAddress = 24576;
        window->Link.CommandValue = 0x55AA;
    }
    bool StillPending() const
    {
        return window->Link.CommandCode == CmdWriteCoil && window->Link.CommandAddress == 24576 &&
               window->Link.CommandValue == 0x55AA;
    }
    vcl::TLabel* Label(const Binding& b) const
    {
        return b.valueLabel.isEmpty() ? nullptr : dynamic_cast<vcl::TLabel*>(window->FindComponent(b.valueLabel));
    }
    // Enters text into a row's edit; the message boxes it showed.
    QStringList Enter(const Binding& b, const QString& text)
    {
        dialogs.TakeShown();
        Pending();
        if (vcl::TLabel* l = Label(b))
            l->Font()->SetColor(vcl::clBlue);
        driver->Enter(b.control, text);
        return dialogs.TakeShown();
    }
    // Text that must be refused: nothing posted, nothing painted, the message shown.
    void ExpectRefused(const Binding& b, const QString& text, const QString& message)
    {
        SCOPED_TRACE(("\"" + text + "\"").toStdString());
        EXPECT_EQ(Enter(b, text), QStringList{message});
        EXPECT_TRUE(StillPending());
        if (vcl::TLabel* l = Label(b)) {
            EXPECT_EQ(l->Font()->Color(), vcl::clBlue);
        }
    }
    // Text that posts the register word `word` (its low 16 bits) with the table's command.
    void ExpectPosted(const Binding& b, const QString& text, const Posting& p, int word)
    {
        SCOPED_TRACE(("\"" + text + "\"").toStdString());
        EXPECT_EQ(Enter(b, text), QStringList{});
        EXPECT_EQ(window->Link.CommandCode, p.code);
        EXPECT_EQ(window->Link.CommandAddress, p.reg == 0 ? 24576 : p.reg);
        EXPECT_EQ(static_cast<std::uint16_t>(window->Link.CommandValue), static_cast<std::uint16_t>(word));
        if (vcl::TLabel* l = Label(b)) {
            EXPECT_EQ(l->Font()->Color(), vcl::clRed);
        }
        if (p.code != CmdWriteRegister)
            return;
        // The executor writes exactly that word to the current inverter.
        bus.ClearFrames();
        EXPECT_EQ(window->ExecutePendingCommand(), 0);
        EXPECT_EQ(Writes(), (std::vector<Write>{{1, 9600, p.reg, word & 0xFFFF}}));
    }
    // Every typed entry of a family's rows whose edit the window has.
    std::vector<Binding> TypedRows(std::span<const Binding> rows) const
    {
        std::vector<Binding> typed;
        for (const Binding& b : rows)
            if (settings::IsEntry(b) && dynamic_cast<vcl::TEdit*>(window->FindComponent(b.control)))
                typed.push_back(b);
        return typed;
    }
};

TEST_F(EntryRanges, EveryTypedEntryOfEveryFamilyKeepsItsRangeAndPostsItsRegister)
{
    const std::vector<Binding> status = settings::StatusBindings();
    const std::vector<Binding> polls = settings::PollRowBindings();
    const std::pair<const char*, std::span<const Binding>> families[] = {
        {"status", status},
        {"protection", settings::ProtectionBindings()},
        {"reactive", settings::ReactiveBindings()},
        {"japan", settings::JapanBindings()},
        {"storage", settings::StorageBindings()},
        {"polls", polls},
    };
    int checked = 0;
    for (const auto& [family, rows] : families) {
        for (const Binding& b : TypedRows(rows)) {
            SCOPED_TRACE(std::string(family) + " " + b.control.toStdString());
            Reach(b.control);
            if (HasFatalFailure())
                return;
            ++checked;
            const bool poll = b.control.startsWith(QStringLiteral("Edit_PollVal"));
            const settings::EntryRange r = settings::RangeOf(b, window->Settings);
            const bool strict = b.conv == settings::Conv::StrictInt;
            const auto notNumber = [&](const QString& text) {
                return strict ? QStringLiteral("'%1' is not a valid integer value").arg(text) : r.message;
            };
            ExpectRefused(b, QStringLiteral("abc"), notNumber(QStringLiteral("abc")));
            ExpectRefused(b, QString(), notNumber(QString()));
            // One step past either end, and beyond 32 bits on either side.
            const QString below = Typed(r.min - 1, r.scale);
            const QString above = Typed(r.max + 1, r.scale);
            if (!r.clampLow) {
                ExpectRefused(b, below, r.message);
                ExpectRefused(b, QStringLiteral("-1e9"), strict ? notNumber(QStringLiteral("-1e9")) : r.message);
            }
            if (!r.clampHigh) {
                ExpectRefused(b, above, r.message);
                ExpectRefused(b, QStringLiteral("1e9"), strict ? notNumber(QStringLiteral("1e9")) : r.message);
            }
            if (poll)
                continue;   // its register is the one typed beside it (PollsTest)

            // Inside: the register and scale of the settings tables.
            const auto it = Tables().find(b.control);
            ASSERT_NE(it, Tables().end()) << "no table row for " << b.control.toStdString();
            const Posting& p = it->second;
            const int word = static_cast<int>(std::clamp<long long>(123, r.min, r.max));
            const int posted = b.control == QLatin1String("Edit_FanDuty") ? word - 0x8000 : word;
            ExpectPosted(b, Typed(word, p.scale), p, posted);
            if (r.clampLow)
                ExpectPosted(b, Typed(r.min - 1, r.scale), {p.code, p.reg, p.scale}, static_cast<int>(r.min));
            if (r.clampHigh) {
                ExpectPosted(b, Typed(r.max + 1, r.scale), p, static_cast<int>(r.max));
                ExpectPosted(b, QStringLiteral("1e9"), p, static_cast<int>(r.max));
            }
        }
    }
    EXPECT_GT(checked, 250);
}

// What the engineer typed in the walk, with the answer each entry must give.
TEST_F(EntryRanges, TheWalksEntriesAreRefusedWithTheirRangeOrClamped)
{
    struct Case {
        const char* control;
        const char* text;
        const char* message;   // empty: posts `word` to `reg`
        int reg;
        int word;
    };
    const Case cases[] = {
        {"Edit_ReclosureSet", "abc", "Please input 0~655.35", 0, 0},
        {"Edit_ReclosureSet", "", "Please input 0~655.35", 0, 0},
        {"Edit_ReclosureSet", "99999999", "Please input 0~655.35", 0, 0},
        {"Edit_ReclosureSet", "655.36", "Please input 0~655.35", 0, 0},
        {"Edit_ReclosureSet", "-5", "Please input 0~655.35", 0, 0},
        {"Edit_ReclosureSet", "1e3", "Please input 0~655.35", 0, 0},
        {"Edit_ReclosureSet", "655.35", "", 48154, 65535},
        {"Edit_UHighOFF", "abc", "Please input 0~6553.5", 0, 0},
        {"Edit_MaxPower", "abc", "Please input a whole number 0~65535", 0, 0},
        {"Edit_MaxPower", "-100", "Please input a whole number 0~65535", 0, 0},
        {"Edit_MaxPower", "1e3", "Please input a whole number 0~65535", 0, 0},
        {"Edit_FixCos", "5", "Please input -1~1", 0, 0},
        {"Edit_FixCos", "1.01", "Please input -1~1", 0, 0},
        {"Edit_FixCos", "0.95", "", 33617, 95},
        {"Edit_SOC_Limit", "abc", "Please input a whole number 0~70", 0, 0},
        {"Edit_SOC_Limit", "71", "Please input a whole number 0~70", 0, 0},
        {"Edit_SOC_Limit", "70", "", 25617, 70},
        {"Edit_PowerManage", "150", "Please input a whole number 0~100", 0, 0},
        {"Edit_PowerManage", "70000", "Please input a whole number 0~100", 0, 0},
        {"Edit_PowerManage", "-1", "Please input a whole number 0~100", 0, 0},
        {"Edit_PowerManage", "100", "", 799, 100},
        {"Edit_Japan3P_PowerManage", "101", "Please input a whole number 0~100", 0, 0},
        {"Edit_InverterID", "70000", "Please input a whole number 1~247", 0, 0},
        {"Edit_InverterID", "0", "Please input a whole number 1~247", 0, 0},
        {"Edit_InverterID", "248", "Please input a whole number 1~247", 0, 0},
        {"Edit_InverterID", "1e3", "Please input a whole number 1~247", 0, 0},
        {"Edit_InverterID", "247", "", 48163, 247},
        {"Edit_FanDuty", "-1", "Please input a whole number 0~255", 0, 0},
        {"Edit_FanDuty", "256", "Please input a whole number 0~255", 0, 0},
        {"Edit_FanDuty", "255", "", 807, 0x80FF},
        {"Edit_FHighOFFSlowTime", "1e9", "", 33611, 60000},
        {"Edit_FHighOFFSlowTime", "-5", "", 33611, 0},
        {"Edit_FHighOFFSlowTime", "abc", "Please input 0~600", 0, 0},
        {"Edit_FLowOFFSlow", "-1e9", "", 33613, 4500},
        {"Edit_FLowOFFSlow", "1e9", "Please input 45~655.35", 0, 0},
        {"Edit_PF_ReocveryTime", "1e9", "Please input 0~600", 0, 0},
        {"Edit_PF_ReocveryTime", "600.01", "Please input 0~600", 0, 0},
        {"Edit_CosphiOfU_UpperLimit", "-1.001", "Please input -1~1", 0, 0},
        {"Edit_QU_Lower_Limit", "-32769", "Please input a whole number -32768~32767", 0, 0},
        {"Edit_QofP_P3", "-50", "", 48834, 0xFE0C},
        {"Edit_QofP_P3", "3276.8", "Please input -3276.8~3276.7", 0, 0},
        {"Edit_QU_Lower_Limit", "-50", "", 48807, 0xFFCE},
        {"Edit_JapIDsetting", "abc", "Please input 1~32", 0, 0},
        {"Edit_JapAPP", "65636", "Please input 0~100", 0, 0},
    };
    for (const Case& c : cases) {
        const QString control = QString::fromLatin1(c.control);
        SCOPED_TRACE(std::string(c.control) + " \"" + c.text + "\"");
        Reach(control);
        dialogs.TakeShown();
        Pending();
        driver->Enter(control, QString::fromLatin1(c.text));
        if (QString::fromLatin1(c.message).isEmpty()) {
            EXPECT_EQ(dialogs.TakeShown(), QStringList{});
            EXPECT_EQ(window->Link.CommandCode, CmdWriteRegister);
            EXPECT_EQ(window->Link.CommandAddress, c.reg);
            EXPECT_EQ(static_cast<std::uint16_t>(window->Link.CommandValue), c.word);
        } else {
            EXPECT_EQ(dialogs.TakeShown(), QStringList{QString::fromLatin1(c.message)});
            EXPECT_TRUE(StillPending());
        }
    }
}

// A country set to a custom grid whose slow stages read 0 or 0xFFFF gets the grid's defaults,
// each in its register's own scale.
TEST_F(EntryRanges, SlowLimitsOfACustomGridGetTheirDefaults)
{
    const Write expected[] = {
        {1, 9600, 33558, 2760},  {1, 9600, 33559, 60000}, {1, 9600, 33560, 2760},
        {1, 9600, 33561, 1840},  {1, 9600, 33562, 60000}, {1, 9600, 33563, 1840},
        {1, 9600, 33610, 6500},  {1, 9600, 33611, 60000}, {1, 9600, 33612, 6500},
        {1, 9600, 33613, 4500},  {1, 9600, 33614, 60000}, {1, 9600, 33615, 4500},
    };
    for (const Write& w : expected)
        bus.SetHolding(1, w.reg, w.reg % 2 ? 0 : 0xFFFF);
    Reach(QStringLiteral("Label_UHighOFF"));
    Reach(QStringLiteral("Label_FHighOFF"));
    // The country as read back from this inverter, on its shown panel.
    Reach(QStringLiteral("Label_Country"));
    auto* country = dynamic_cast<vcl::TLabel*>(window->FindComponent(QStringLiteral("Label_Country")));
    country->SetCaption(QStringLiteral("Customer"));
    country->Font()->SetColor(vcl::clBlue);
    window->Link.CommandCode = 0;
    bus.ClearFrames();
    ASSERT_EQ(window->ReadVacProtection(0), 0);
    ASSERT_EQ(window->ReadFreqProtection(0), 0);
    EXPECT_EQ(Writes(), std::vector<Write>(std::begin(expected), std::end(expected)));
}

} // namespace

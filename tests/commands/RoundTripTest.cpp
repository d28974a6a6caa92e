// Every typed settings entry of every family, round trip through the simulated inverter: the
// lowest and the highest value of the entry's range and one in between are typed; the write
// carries the row's register and the value as the settings tables give it, the inverter keeps
// it, and in the next cycle the row's own value label shows the value typed. One step past
// either end is refused with the range (or clamped where the row clamps). Rows that depend on the
// inverter's power multiplier go round with x1, x10 and x100.
#include "SettingsRows.h"

#include "tools/invsim/DemoStorage.h"

#include <QRegularExpression>
#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <map>

namespace {

using namespace commandstest;

// Rows that write no register of their own to read back: the calibration references (the
// executor computes gains from them and the ADC counts).
bool WritesItsRegister(const Binding& b) { return b.code == CmdWriteRegister && b.address != 0; }

// The register word the tables give for a value typed (in register units, before any rule).
int WordFor(const Binding& b, long long v, int powerUnit)
{
    if (b.perPowerUnit)
        v /= powerUnit;   // watts into the inverter's unit
    if (b.control == QLatin1String("Edit_FanDuty"))
        v |= 0x8000;      // the duty travels with bit 15 set
    return static_cast<int>(v & 0xFFFF);
}

// The number a value label shows, read as the user reads it: thousands separators left out, the
// side "Cap" as a negative value (the positive side is "Ind" with "Ind" in view and sign 0).
bool Shown(const QString& text, double& value)
{
    QString t = text;
    t.remove(u',');
    static const QRegularExpression number(QStringLiteral("-?\\d+(\\.\\d+)?"));
    const QRegularExpressionMatch m = number.match(t);
    if (!m.hasMatch())
        return false;
    value = m.captured(0).toDouble();
    if (t.trimmed().startsWith(QLatin1String("Cap")))
        value = -value;
    return true;
}

class RoundTrip : public SettingsRowsWindow {
protected:
    void SetUp() override
    {
        SettingsRowsWindow::SetUp();
        if (HasFatalFailure())
            return;
        Prepare();
        OpenWithThreeFound();
        TForm_Main& w = *window;
        w.ReactiveSign = 0;
        w.CosPhiStep = 0;
        w.ActiveSlopeShow = 1;
        w.SuperUserMode = 1;   // Max. Power asks no access code
        if (auto* relay = dynamic_cast<vcl::TComboBox*>(w.FindComponent(QStringLiteral("Combo_SelectRelay"))))
            relay->SetItemIndex(0);
        // The inverter's factors read as a cycle reads them.
        ASSERT_EQ(w.PollCycle(), 0);
        ASSERT_TRUE(w.ScaleFactorsKnown);
    }

    // The inverter counts power in `unit` watts (its scale descriptor), read in the next cycle.
    void PowerUnit(int unit)
    {
        const int code = unit == 100 ? 4 << 3 : unit == 10 ? 3 << 3 : 0;
        bus.With(1, [code](invsim::Inverter& inv) { inv.SetInput(40995, code); });
        window->RereadScaleFactors();
        HideEveryGroup();
        ASSERT_EQ(window->PollCycle(), 0);
        ASSERT_TRUE(window->ScaleFactorsKnown);
        ASSERT_EQ(window->PowerMultiplier, unit);
    }

    // The register a row writes: a setting kept in two resolutions has one for each step.
    int RegisterOf(const Binding& b) const { return b.address2 != 0 && window->CosPhiStep == 1 ? b.address2 : b.address; }

    // One typed text that must be refused with `message` (nothing posted, nothing written).
    void ExpectRefused(const Binding& b, const QString& text, const QString& message)
    {
        SCOPED_TRACE(("\"" + text + "\"").toStdString());
        dialogs.TakeShown();
        window->Link.CommandCode = 0;
        driver->Enter(b.control, text);
        EXPECT_EQ(dialogs.TakeShown(), QStringList{message});
        EXPECT_EQ(window->Link.CommandCode, 0);
    }

    // Types `text`, runs the command: exactly one write of `word` to the row's register, and the
    // inverter keeps it.
    void ExpectWritten(const Binding& b, const QString& text, int word)
    {
        SCOPED_TRACE(("\"" + text + "\"").toStdString());
        dialogs.TakeShown();
        window->Link.CommandCode = 0;
        driver->Enter(b.control, text);
        EXPECT_EQ(dialogs.TakeShown(), QStringList{});
        ASSERT_EQ(window->Link.CommandCode, CmdWriteRegister);
        bus.ClearFrames();
        EXPECT_EQ(window->ExecutePendingCommand(), 0);
        const int reg = RegisterOf(b);
        EXPECT_EQ(Writes(), (std::vector<Write>{{1, 9600, reg, word}}));
        EXPECT_EQ(bus.Holding(1, reg), word);
    }

    // The rows of one family, panel by panel: each value typed into every row of the panel and
    // written, then one cycle with only that panel shown, then every row's label checked.
    void GoRound(const char* familyName, const std::function<bool(const Binding&)>& only = nullptr)
    {
        std::vector<Binding> rows;
        for (const Family& f : Families(*window))
            if (QLatin1String(f.name) == QLatin1String(familyName))
                for (const Binding& b : TypedRows(f.rows))
                    if (WritesItsRegister(b) && (!only || only(b)))
                        rows.push_back(b);
        ASSERT_FALSE(rows.empty());
        std::map<vcl::TPanel*, std::vector<Binding>> panels;
        for (const Binding& b : rows) {
            vcl::TPanel* panel = PanelOf(b.control);
            ASSERT_NE(panel, nullptr) << b.control.toStdString();
            panels[panel].push_back(b);
        }
        for (auto& [panel, panelRows] : panels) {
            SCOPED_TRACE(panel->Name().toStdString());
            HideEveryGroup();
            Reach(panelRows.front().control);
            if (HasFatalFailure())
                return;
            for (int round = 0; round < 3; ++round)
                RoundOfPanel(panelRows, round);
            checked += static_cast<int>(panelRows.size());
        }
    }

    // Value `round` (0 lowest, 1 between, 2 highest) into every row of a panel. Rows that share a
    // register are read back one at a time.
    void RoundOfPanel(const std::vector<Binding>& rows, int round)
    {
        std::vector<const Binding*> pending;
        for (const Binding& b : rows)
            pending.push_back(&b);
        while (!pending.empty()) {
            std::vector<const Binding*> now, later;
            std::vector<int> registers;
            for (const Binding* b : pending) {
                if (std::find(registers.begin(), registers.end(), RegisterOf(*b)) != registers.end()) {
                    later.push_back(b);
                    continue;
                }
                registers.push_back(RegisterOf(*b));
                now.push_back(b);
            }
            std::vector<std::pair<const Binding*, long long>> typed;
            for (const Binding* b : now) {
                SCOPED_TRACE(b->control.toStdString());
                Reach(b->control);   // a row its panel keeps hidden too
                if (HasFatalFailure())
                    return;
                const settings::EntryRange r = settings::RangeOf(*b, window->Settings);
                const int unit = b->perPowerUnit ? window->PowerMultiplier : 1;
                if (round == 0) {
                    // One step past either end: refused, or the bound where the row clamps.
                    const QString below = Typed(r.min - 1, r.scale), above = Typed(r.max + 1, r.scale);
                    if (r.clampLow)
                        ExpectWritten(*b, below, WordFor(*b, r.min, unit));
                    else
                        ExpectRefused(*b, below, r.message);
                    if (r.clampHigh)
                        ExpectWritten(*b, above, WordFor(*b, r.max, unit));
                    else
                        ExpectRefused(*b, above, r.message);
                }
                long long v = round == 0 ? r.min : round == 2 ? r.max : r.min + (r.max - r.min) / 3;
                v -= v % unit;
                const int word = WordFor(*b, v, unit);
                // A row with no bound of its own reaches either end of its register as its reader
                // shows it (signed or not), in the inverter's unit where it has one.
                if (b->limit.kind == settings::LimitKind::None && round != 1) {
                    const bool isSigned = b->signedWord || !b->signChooser.isEmpty();
                    EXPECT_EQ(word, round == 0 ? (isSigned ? 0x8000 : 0) : (isSigned ? 0x7FFF : 0xFFFF)) << "the range ends short of the register";
                }
                ExpectWritten(*b, Typed(v, r.scale), word);
                typed.emplace_back(b, v);
            }
            ASSERT_EQ(window->PollCycle(), 0);
            for (const auto& [b, v] : typed)
                ExpectShown(*b, v);
            pending = later;
        }
    }

    // The row's own label, read in the cycle, shows the value typed.
    void ExpectShown(const Binding& b, long long v)
    {
        SCOPED_TRACE(b.control.toStdString() + " typed " + Typed(v, settings::RangeOf(b, window->Settings).scale).toStdString());
        if (b.valueLabel.isEmpty())
            return;   // a row that marks no label of its own
        auto* label = dynamic_cast<vcl::TLabel*>(window->FindComponent(b.valueLabel));
        ASSERT_NE(label, nullptr) << b.valueLabel.toStdString();
        EXPECT_EQ(label->Font()->Color(), vcl::clBlue) << label->Caption().toStdString();
        const int scale = settings::RangeOf(b, window->Settings).scale;
        const double expected = static_cast<double>(v) / scale;
        double shown = 0;
        ASSERT_TRUE(Shown(label->Caption(), shown)) << label->Caption().toStdString();
        // A power factor of one has no side.
        if (!b.signChooser.isEmpty() && label->Caption() == QLatin1String("1") && std::abs(expected) == 1.0)
            return;
        EXPECT_NEAR(shown, expected, 0.5 / scale) << label->Caption().toStdString();
    }

    int checked = 0;
};

TEST_F(RoundTrip, StatusAndServiceEntriesWithEachPowerMultiplier)
{
    for (int unit : {1, 10, 100}) {
        SCOPED_TRACE("power x" + std::to_string(unit));
        PowerUnit(unit);
        if (HasFatalFailure())
            return;
        GoRound("status", unit == 1 ? nullptr : std::function<bool(const Binding&)>([](const Binding& b) { return b.perPowerUnit; }));
    }
    EXPECT_GE(checked, 20);
}

bool VoltageOrFrequencyLimit(const Binding& b)
{
    static const QRegularExpression limit(QStringLiteral("^Edit_(UHigh|ULow|FHigh|FLow)"));
    return limit.match(b.control).hasMatch();
}

TEST_F(RoundTrip, VoltageAndFrequencyProtectionEntries)
{
    GoRound("protection", VoltageOrFrequencyLimit);
    EXPECT_GE(checked, 30);
}

TEST_F(RoundTrip, OtherProtectionEntries)
{
    GoRound("protection", [](const Binding& b) { return !VoltageOrFrequencyLimit(b); });
    EXPECT_GE(checked, 40);
}

bool OnACurve(const Binding& b) { return b.control.contains(QLatin1String("QofP")) || b.control.contains(QLatin1String("ExtendCosphiP")); }

TEST_F(RoundTrip, ReactiveEntriesInCoarseSteps)
{
    GoRound("reactive", [](const Binding& b) { return !OnACurve(b); });
    EXPECT_GE(checked, 40);
}

TEST_F(RoundTrip, ReactiveCurvePoints)
{
    GoRound("reactive", OnACurve);
    EXPECT_GE(checked, 55);
}

TEST_F(RoundTrip, ReactiveEntriesInFineSteps)
{
    window->CosPhiStep = 1;
    GoRound("reactive", [](const Binding& b) { return b.address2 != 0; });
    EXPECT_EQ(checked, 3);
}

TEST_F(RoundTrip, JapaneseMarketEntries)
{
    GoRound("japan");
    EXPECT_GT(checked, 15);
}

TEST_F(RoundTrip, StorageEntries)
{
    bus.With(1, [](invsim::Inverter& inv) { invsim::LoadDemoStorage(inv); });
    GoRound("storage");
    EXPECT_EQ(checked, 4);
}

} // namespace

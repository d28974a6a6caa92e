// The readers of the reactive and active power panels and their text rules.
#include "groups/ReactivePower.h"

#include "common/Myfunc.h"
#include "groups/PanelRows.h"

namespace groups {

namespace {

using rows::L;

void Show(const vcl::TComponent& form, const char* name, const QString& text)
{
    SetText(L(form, name), text);
}

void Blue(const vcl::TComponent& form, std::initializer_list<const char*> names)
{
    for (const char* n : names)
        rows::Blue(L(form, n));
}
void Blue(const vcl::TComponent& form, const QString& name) { rows::Blue(FindLabel(form, name)); }

QString Volts(int w) { return FormatDiv10(static_cast<float>(w)) + QStringLiteral(" V"); }
QString VoltsNoBlank(int w) { return FormatScaledFloat(static_cast<float>(w), 10) + QStringLiteral("V"); }
QString SignedPercent(int w) { return QString::number(static_cast<std::int16_t>(static_cast<std::uint16_t>(w))) + QStringLiteral(" %"); }
QString UnsignedPercent(int w) { return QString::number(w) + QStringLiteral(" %"); }
QString Seconds(int w) { return QString::number(w) + QStringLiteral(" sec"); }
QString EnableText(int w) { return w != 0 ? QStringLiteral("Enable") : QStringLiteral("Disable"); }

// Names of the reactive power modes by code (the mode register).
const char* const kReactiveModes[16] = {
    "Disable",          "Constant cos(φ)", "cos(φ) of P Control", "Constant Q",
    "Q(U) Control",     "Q(U) CEI021 B",   "Q(U) Class B",        "Q(U) Class C",
    "Voltage suppression", "Cosphi(U)",    "Q(P)",                "Extend Cos(φ) of P Control",
    "Q(P) 24/7",        "Fixed Kvar 24/7", "Q(U) 24/7",           "Q of Pac 24/7",
};

} // namespace

QString PositiveSide(int sign) { return sign == 0 ? QStringLiteral("Ind ") : QStringLiteral("Cap "); }
QString NegativeSide(int sign) { return sign == 0 ? QStringLiteral("Cap ") : QStringLiteral("Ind "); }

QString CosPhiText(int value, int fullScale, int sign)
{
    if (value == fullScale || value == -fullScale)
        return QString::number(1);
    auto magnitude = [fullScale](int v) {
        return fullScale == 1000 ? FormatDiv1000(static_cast<float>(v)) : FormatDiv100(static_cast<float>(v));
    };
    if (value > 0)
        return PositiveSide(sign) + magnitude(value);
    return NegativeSide(sign) + magnitude(-value);
}

QString SidePercentText(int value, int sign)
{
    if (value > 0)
        return PositiveSide(sign) + QString::number(value) + QStringLiteral("%");
    return NegativeSide(sign) + QString::number(-value) + QStringLiteral("%");
}

QString PointPercentText(int word) { return FormatScaledInt(word, 10, 1) + QStringLiteral("%"); }

QString PointSideText(int value, int sign)
{
    if (value == 0)
        return QStringLiteral("Cap 0");
    if (value > 0)
        return PositiveSide(sign) + QStringLiteral(" ") + FormatScaledInt(value, 10, 0) + QStringLiteral("%");
    return NegativeSide(sign) + QStringLiteral(" ") + FormatScaledInt(-value, 10, 0) + QStringLiteral("%");
}

int ReadReactivePower(Modbus& link, const ReactiveGroups& g, vcl::TComponent& form, const ReactiveOptions& opt,
                      std::uint8_t stop)
{
    const int frame = FrameStart(link, stop, {g.Reactive}, QStringLiteral("Reactive..."));
    if (frame >= 0)
        return frame;
    if (link.Request(33616, 2, 3))
        return 1;
    if (Accepted(link, 3)) {
        const int mode = Word(link, 0);
        if (mode <= 15)
            Show(form, "Label_ReactiveMode", QString::fromUtf8(kReactiveModes[mode]));
        if (opt.step == 0) {
            Show(form, "Label_FixCos", CosPhiText(SignedWord(link, 1), 100, opt.sign));
            Blue(form, {"Label_ReactiveMode", "Label_FixCos"});
        }
    }
    if (opt.step == 1) {
        if (link.Request(48795, 1, 3))
            return 1;
        if (Accepted(link, 3)) {
            Show(form, "Label_FixCos", CosPhiText(SignedWord(link, 0), 1000, opt.sign));
            Blue(form, {"Label_ReactiveMode", "Label_FixCos"});
        }
    }
    if (link.Request(33624, 10, 3))
        return 1;
    if (Accepted(link, 3)) {
        Show(form, "Label_FixKvar", SidePercentText(SignedWord(link, 0), opt.sign));
        Show(form, "Label_ReDelayT", FormatDiv100(static_cast<float>(Word(link, 9))) + QStringLiteral(" sec"));
        Blue(form, {"Label_FixKvar", "Label_ReDelayT"});
    }
    if (link.Request(48766, 1, 3))
        return 1;
    if (Accepted(link, 3)) {
        const int code = Word(link, 0) & 0x0F;
        if (code == 0 || code >= 13)
            Show(form, "Label_ReactiveNightMode", QString::fromUtf8(kReactiveModes[code]));
        Blue(form, {"Label_ReactiveNightMode"});
    }
    return 0;
}

int ReadCosphiOfP(Modbus& link, const ReactiveGroups& g, vcl::TComponent& form, const ReactiveOptions& opt,
                  std::uint8_t stop)
{
    const int frame = FrameStart(link, stop, {g.CosPCtrl}, QStringLiteral("Cos P..."));
    if (frame >= 0)
        return frame;
    if (link.Request(33619, 4, 3))
        return 1;
    if (Accepted(link, 3)) {
        if (opt.step == 0) {
            Show(form, "Label_CosUp", CosPhiText(SignedWord(link, 0), 100, opt.sign));
            Show(form, "Label_CosLow", CosPhiText(SignedWord(link, 1), 100, opt.sign));
        }
        Show(form, "Label_PowerLow", SignedPercent(Word(link, 2)));
        Show(form, "Label_PowerUp", SignedPercent(Word(link, 3)));
        Blue(form, {"Label_CosUp", "Label_CosLow", "Label_PowerLow", "Label_PowerUp"});
    }
    if (opt.step == 1) {
        if (link.Request(48796, 2, 3))
            return 1;
        if (Accepted(link, 3)) {
            Show(form, "Label_CosUp", CosPhiText(SignedWord(link, 0), 1000, opt.sign));
            Show(form, "Label_CosLow", CosPhiText(SignedWord(link, 1), 1000, opt.sign));
        }
    }
    if (link.Request(48786, 2, 3))
        return 1;
    if (Accepted(link, 3)) {
        Show(form, "Label_CosLockInVolt", Volts(Word(link, 0)));
        Show(form, "Label_CosLockOutVolt", Volts(Word(link, 1)));
        Blue(form, {"Label_CosLockInVolt", "Label_CosLockOutVolt"});
    }
    return 0;
}

int ReadQofU(Modbus& link, const ReactiveGroups& g, vcl::TComponent& form, const ReactiveOptions& opt, std::uint8_t stop)
{
    const int frame = FrameStart(link, stop, {g.QUCtrl}, QStringLiteral("Q(U)..."));
    if (frame >= 0)
        return frame;
    if (link.Request(33624, 14, 3))
        return 1;
    if (Accepted(link, 3)) {
        const auto w = [&link](int k) { return Word(link, k); };
        const std::pair<const char*, QString> shown[] = {
            {"Label_KvarUp", SidePercentText(SignedWord(link, 2), opt.sign)},
            {"Label_KvarLow", SidePercentText(SignedWord(link, 3), opt.sign)},
            {"Label_UacMin", Volts(w(4))},
            {"Label_UacMax", Volts(w(5))},
            {"Label_UacLow", Volts(w(6))},
            {"Label_UacUp", Volts(w(7))},
            {"Label_Hystersis", Volts(w(8))},
            {"Label_UacLockIn", UnsignedPercent(w(12))},
            {"Label_UacLockOut", UnsignedPercent(w(13))},
        };
        for (const auto& [name, text] : shown)
            Show(form, name, text);
        // The device has no values for these two points: the curve runs through zero there.
        Show(form, "Label_QofU_Q2", QStringLiteral("0"));
        Show(form, "Label_QofU_Q3", QStringLiteral("0"));
        for (const auto& [name, text] : shown)
            Blue(form, {name});
    }
    if (link.Request(33638, 1, 3))
        return 1;
    auto* row = dynamic_cast<vcl::TControl*>(form.FindComponent(QStringLiteral("Item_ResponseDelay")));
    if (Accepted(link, 3)) {
        SetVisible(row, true);
        Show(form, "Label_ResponseDelay", Seconds(Word(link, 0) / 100));
        Blue(form, {"Label_ResponseDelay"});
    } else {
        // An inverter without the setting: the row is not offered.
        SetVisible(row, false);
    }
    return 0;
}

int ReadCosphiOfU(Modbus& link, const ReactiveGroups& g, vcl::TComponent& form, const ReactiveOptions& opt,
                  std::uint8_t stop)
{
    const int frame = FrameStart(link, stop, {g.CosphiOfU}, QStringLiteral("Cosphi(U)..."));
    if (frame >= 0)
        return frame;
    if (link.Request(48817, 8, 3))
        return 1;
    if (!Accepted(link, 3))
        return 0;
    const auto w = [&link](int k) { return Word(link, k); };
    const std::pair<const char*, QString> shown[] = {
        {"Label_CosphiOfU_UpperLimit", CosPhiText(SignedWord(link, 0), 1000, opt.sign)},
        {"Label_CosphiOfU_LowerLimit", CosPhiText(SignedWord(link, 1), 1000, opt.sign)},
        {"Label_CosphiOfU_Vmin", Volts(w(2))},
        {"Label_CosphiOfU_Vmax", Volts(w(3))},
        {"Label_CosphiOfU_V1", Volts(w(4))},
        {"Label_CosphiOfU_V2", Volts(w(5))},
        {"Label_CosphiOfU_Lockin", UnsignedPercent(w(6))},
        {"Label_CosphiOfU_Lockout", UnsignedPercent(w(7))},
    };
    for (const auto& [name, text] : shown) {
        Show(form, name, text);
        Blue(form, {name});
    }
    return 0;
}

int ReadQByNight(Modbus& link, const ReactiveGroups& g, vcl::TComponent& form, std::uint8_t stop)
{
    const int frame = FrameStart(link, stop, {g.QbyNight}, QStringLiteral("Q Nig..."));
    if (frame >= 0)
        return frame;
    if (link.Request(48798, 18, 3))
        return 1;
    if (!Accepted(link, 3))
        return 0;
    const auto w = [&link](int k) { return Word(link, k); };
    const std::pair<const char*, QString> shown[] = {
        {"Label_QTMode", EnableText(w(0))},
        {"Label_ConstQ_Percent", SignedPercent(w(1))},
        {"Label_QP_Q_Upper", SignedPercent(w(2))},
        {"Label_QP_Q_Lower", SignedPercent(w(3))},
        {"Label_QP_Upper_Limit", SignedPercent(w(4))},
        {"Label_QP_Lower_Limit", SignedPercent(w(5))},
        {"Label_QP_Lockin_V", VoltsNoBlank(w(6))},
        {"Label_QP_Lockout_V", VoltsNoBlank(w(7))},
        {"Label_QU_Upper_Limit", SignedPercent(w(8))},
        {"Label_QU_Lower_Limit", SignedPercent(w(9))},
        {"Label_QU_Vmin", VoltsNoBlank(w(10))},
        {"Label_QU_Vmax", VoltsNoBlank(w(11))},
        {"Label_QU_V1", VoltsNoBlank(w(12))},
        {"Label_QU_V2", VoltsNoBlank(w(13))},
        {"Label_QU_P_Lock_in", SignedPercent(w(14))},
        {"Label_QU_P_Lock_out", SignedPercent(w(15))},
        {"Label_QU_Hysteresis", VoltsNoBlank(w(16))},
        {"Label_Response_Delay", FormatScaledFloat(static_cast<float>(w(17)), 100) + QStringLiteral(" sec")},
    };
    for (const auto& [name, text] : shown) {
        Show(form, name, text);
        Blue(form, {name});
    }
    return 0;
}

namespace {

// One Q(P) curve: its panel, block and label suffix.
int ReadQofPCurve(Modbus& link, vcl::TWinControl* panel, int block, const QString& suffix, const QString& progress,
                  vcl::TComponent& form, const ReactiveOptions& opt, std::uint8_t stop)
{
    const int frame = FrameStart(link, stop, {panel}, progress);
    if (frame >= 0)
        return frame;
    if (link.Request(block, 22, 3))
        return 1;
    if (!Accepted(link, 3))
        return 0;
    auto label = [&](const QString& base) { return FindLabel(form, QStringLiteral("Label_QofP_") + base + suffix); };
    SetText(label(QStringLiteral("Mode")), Word(link, 0) == 0 ? QStringLiteral("Rated") : QStringLiteral("Actual"));
    SetText(label(QStringLiteral("SetPoint")), QString::number(SignedWord(link, 1)));
    for (int k = 0; k < 10; ++k)
        SetText(label(QStringLiteral("P%1").arg(k)), PointPercentText(Word(link, 2 + 2 * k)));
    for (int k = 0; k < 10; ++k)
        SetText(label(QStringLiteral("Q%1").arg(k)), PointSideText(SignedWord(link, 3 + 2 * k), opt.sign));
    rows::Blue(label(QStringLiteral("Mode")));
    rows::Blue(label(QStringLiteral("SetPoint")));
    for (int k = 0; k < 10; ++k) {
        rows::Blue(label(QStringLiteral("P%1").arg(k)));
        rows::Blue(label(QStringLiteral("Q%1").arg(k)));
    }
    return 0;
}

} // namespace

int ReadQofP(Modbus& link, const ReactiveGroups& g, vcl::TComponent& form, const ReactiveOptions& opt, std::uint8_t stop)
{
    return ReadQofPCurve(link, g.QofP, kQofPBlock, QString(), QStringLiteral("Q(P)..."), form, opt, stop);
}

int ReadQofPDaytime(Modbus& link, const ReactiveGroups& g, vcl::TComponent& form, const ReactiveOptions& opt,
                    std::uint8_t stop)
{
    return ReadQofPCurve(link, g.QofPDaytime, kQofPDaytimeBlock, QStringLiteral("_DT"), QStringLiteral("Q(P) DT..."),
                         form, opt, stop);
}

int ReadExtendCosphiP(Modbus& link, const ReactiveGroups& g, vcl::TComponent& form, const ReactiveOptions& opt,
                      std::uint8_t stop)
{
    const int frame = FrameStart(link, stop, {g.ExtendCosphiP}, QStringLiteral("Ext. CosP.."));
    if (frame >= 0)
        return frame;
    if (link.Request(48848, 17, 3))
        return 1;
    if (!Accepted(link, 3))
        return 0;
    Show(form, "Label_ExtendCosphiP_SetPoint", QString::number(SignedWord(link, 0)));
    for (int k = 1; k <= 8; ++k) {
        SetText(FindLabel(form, QStringLiteral("Label_ExtendCosphiP_P%1").arg(k)), PointPercentText(Word(link, 2 * k - 1)));
        SetText(FindLabel(form, QStringLiteral("Label_ExtendCosphiP_CosP%1").arg(k)),
                PointSideText(SignedWord(link, 2 * k), opt.sign));
    }
    if (link.Request(48786, 2, 3))
        return 1;
    if (Accepted(link, 3)) {
        Show(form, "Label_CosLockInVolt_Ext", Volts(Word(link, 0)));
        Show(form, "Label_CosLockOutVolt_Ext", Volts(Word(link, 1)));
        Blue(form, {"Label_CosLockInVolt_Ext", "Label_CosLockOutVolt_Ext"});
    }
    Blue(form, {"Label_ExtendCosphiP_SetPoint"});
    for (int k = 1; k <= 8; ++k) {
        Blue(form, QStringLiteral("Label_ExtendCosphiP_P%1").arg(k));
        Blue(form, QStringLiteral("Label_ExtendCosphiP_CosP%1").arg(k));
    }
    return 0;
}

int ReadActivePower(Modbus& link, const ReactiveGroups& g, vcl::TComponent& form, const ReactiveOptions& opt,
                    std::uint8_t stop)
{
    const int frame = FrameStart(link, stop, {g.Active}, QStringLiteral("Active P..."));
    if (frame >= 0)
        return frame;
    if (link.Request(798, 2, 3))
        return 1;
    if (Accepted(link, 3)) {
        Show(form, "Label_PowerManageMode", EnableText(Word(link, 0)));
        Show(form, "Label_PowerManage", SignedPercent(Word(link, 1)));
        Blue(form, {"Label_PowerManageMode", "Label_PowerManage"});
    }
    if (link.Request(864, 1, 3))
        return 1;
    if (Accepted(link, 3)) {
        Show(form, "Label_RampUp", UnsignedPercent(Word(link, 0)));
        Blue(form, {"Label_RampUp"});
    }
    if (opt.slope == 1) {
        if (link.Request(48514, 1, 3))
            return 1;
        if (Accepted(link, 3)) {
            Show(form, "Label_ActiveSlope", Seconds(Word(link, 0)));
            Blue(form, {"Label_ActiveSlope"});
        }
    }
    return 0;
}

int ReadPofU(Modbus& link, const ReactiveGroups& g, vcl::TComponent& form, std::uint8_t stop)
{
    const int frame = FrameStart(link, stop, {g.PofU}, QStringLiteral("P(U)..."));
    if (frame >= 0)
        return frame;
    if (link.Request(48544, 6, 3))
        return 1;
    if (Accepted(link, 3)) {
        const auto w = [&link](int k) { return Word(link, k); };
        const std::pair<const char*, QString> shown[] = {
            {"Label_ProvrMode", EnableText(w(0))},      {"Label_ProvrRecTime", Seconds(w(1))},
            {"Label_ProvrLockInP", UnsignedPercent(w(2))}, {"Label_ProvrLockOutP", UnsignedPercent(w(3))},
            {"Label_ProvrLockInV", Volts(w(4))},        {"Label_ProvrLockOutV", Volts(w(5))},
        };
        for (const auto& [name, text] : shown) {
            Show(form, name, text);
            Blue(form, {name});
        }
    }
    // 48550 between the two blocks belongs to the AU/NZ settings.
    if (link.Request(48551, 2, 3))
        return 1;
    if (Accepted(link, 3)) {
        Show(form, "Label_StopVoltage_Vac", Volts(Word(link, 0)));
        Show(form, "Label_PofU_Pend", UnsignedPercent(Word(link, 1)));
        Blue(form, {"Label_StopVoltage_Vac", "Label_PofU_Pend"});
    }
    if (link.Request(48783, 1, 3))
        return 1;
    if (Accepted(link, 3)) {
        Show(form, "Label_ReDelayT1", FormatDiv100(static_cast<float>(Word(link, 0))) + QStringLiteral(" sec"));
        Blue(form, {"Label_ReDelayT1"});
    }
    return 0;
}

int ReadVoltageSuppression(Modbus& link, const ReactiveGroups& g, vcl::TComponent& form, std::uint8_t stop)
{
    const int frame = FrameStart(link, stop, {g.Suppression}, QStringLiteral("Suppress..."));
    if (frame >= 0)
        return frame;
    if (link.Request(48790, 4, 3))
        return 1;
    if (!Accepted(link, 3))
        return 0;
    const auto w = [&link](int k) { return static_cast<float>(Word(link, k)); };
    Show(form, "Label_VoltageSuppression_V1", FormatScaledFloat(w(0), 10) + QStringLiteral(" V"));
    Show(form, "Label_VoltageSuppression_PF", FormatScaledFloat(w(1), 100));
    Show(form, "Label_VoltageSuppression_V2", FormatScaledFloat(w(2), 10) + QStringLiteral(" V"));
    Show(form, "Label_VoltageSuppression_PL", UnsignedPercent(Word(link, 3)));
    Blue(form, {"Label_VoltageSuppression_V1", "Label_VoltageSuppression_PF", "Label_VoltageSuppression_V2",
                "Label_VoltageSuppression_PL"});
    return 0;
}

int ReadJapanActivePower(Modbus& link, const ReactiveGroups& g, vcl::TComponent& form, std::uint8_t stop)
{
    const int frame = FrameStart(link, stop, {g.JapanActive}, QStringLiteral("Active Pow..."));
    if (frame >= 0)
        return frame;
    if (link.Request(25361, 3, 3))
        return 1;
    if (!Accepted(link, 3))
        return 0;
    const int manage = Word(link, 0);
    if (manage == 0 || manage == 1)
        Show(form, "Label_JapanPowerManage", manage == 0 ? QStringLiteral("OFF") : QStringLiteral("RATED"));
    Show(form, "Label_JapanActivePercentage", QString::number(Word(link, 1)));
    Show(form, "Label_JapanActiveSlope", QString::number(Word(link, 2)));
    Blue(form, {"Label_JapanPowerManage", "Label_JapanActivePercentage", "Label_JapanActiveSlope"});
    return 0;
}

} // namespace groups

#include "groups/Output.h"

#include "common/Myfunc.h"

namespace groups {

namespace {

constexpr int kAcTerminalCoil = 24649;   // 0x6049: on = three-phase three-wire terminal
constexpr int kOutputBlock = 49152;      // 0xC000
constexpr int kOutputWords = 30;

struct PhaseNames {
    const char* panel;
    const char* letter;          // R, S, T
    const char* voltageCaption;
    const char* separators[3];
    const char* captions[3];     // current, power, frequency row captions
};

constexpr PhaseNames kPhases[3] = {
    {"Group_GetAC1", "R", "Label19", {"Label45", "Label46", "Label227"}, {"Label5101", "Label5102", "Label5103"}},
    {"Group_GetAC2", "S", "Label153", {"Label157", "Label158", "Label241"}, {"Label5111", "Label5112", "Label5113"}},
    {"Group_GetAC3", "T", "Label54", {"Label64", "Label65", "Label244"}, {"Label5121", "Label5122", "Label5123"}},
};

QString PhaseLabel(const char* stem, const char* letter, const char* suffix = "")
{
    return QStringLiteral("Label_%1%2%3").arg(QLatin1String(stem), QLatin1String(letter), QLatin1String(suffix));
}

AcPhaseLabels FindPhase(const vcl::TComponent& form, const PhaseNames& n)
{
    AcPhaseLabels p;
    p.Panel = FindPanel(form, QLatin1String(n.panel));
    p.VoltageCaption = FindLabel(form, QLatin1String(n.voltageCaption));
    p.VacGrid = FindLabel(form, PhaseLabel("Vac", n.letter, "_Grid"));
    p.Iac = FindLabel(form, PhaseLabel("Iac", n.letter));
    p.Pac = FindLabel(form, PhaseLabel("Pac", n.letter));
    p.Fac = FindLabel(form, PhaseLabel("Fac", n.letter));
    p.VacOut = FindLabel(form, PhaseLabel("Vac", n.letter, "_Out"));
    p.VacGridRed = FindLabel(form, PhaseLabel("Vac", n.letter, "_GridRed"));
    p.VacOutRed = FindLabel(form, PhaseLabel("Vac", n.letter, "_OutRed"));
    p.FacRed = FindLabel(form, PhaseLabel("Fac", n.letter, "_Red"));
    for (int i = 0; i < 3; ++i)
        p.Separators[i] = FindLabel(form, QLatin1String(n.separators[i]));
    return p;
}

void BuildPhase(vcl::TComponent& form, const PhaseNames& n)
{
    auto* panel = FindPanel(form, QLatin1String(n.panel));
    if (!panel || form.FindComponent(PhaseLabel("Vac", n.letter, "_Grid")))
        return;
    const int sepLeft = kValueLeft + 72, redLeft = sepLeft + 14;
    int top = kFirstRowTop;
    // Voltage: the grid side beside (hidden unless the redundant values are shown) the output side.
    CaptionLabel(&form, panel, QLatin1String(n.voltageCaption), QStringLiteral("Voltage(L-N)"), 10, top);
    ValueLabel(&form, panel, PhaseLabel("Vac", n.letter, "_Grid"), kValueLeft, top, 72);
    auto* s0 = CaptionLabel(&form, panel, QLatin1String(n.separators[0]), QStringLiteral(" / "), sepLeft, top, 14);
    auto* out = ValueLabel(&form, panel, PhaseLabel("Vac", n.letter, "_Out"), redLeft, top, 72);
    top += kRowPitch;
    CaptionLabel(&form, panel, QLatin1String(n.captions[0]), QStringLiteral("Current"), 10, top);
    ValueLabel(&form, panel, PhaseLabel("Iac", n.letter), kValueLeft, top);
    top += kRowPitch;
    CaptionLabel(&form, panel, QLatin1String(n.captions[1]), QStringLiteral("Power"), 10, top);
    ValueLabel(&form, panel, PhaseLabel("Pac", n.letter), kValueLeft, top);
    top += kRowPitch;
    CaptionLabel(&form, panel, QLatin1String(n.captions[2]), QStringLiteral("Frequency"), 10, top);
    ValueLabel(&form, panel, PhaseLabel("Fac", n.letter), kValueLeft, top, 72);
    auto* s2 = CaptionLabel(&form, panel, QLatin1String(n.separators[2]), QStringLiteral(" / "), sepLeft, top, 14);
    auto* facRed = ValueLabel(&form, panel, PhaseLabel("Fac", n.letter, "_Red"), redLeft, top, 72);
    // The second measurements of the grid and output voltages (redundant row, last so that the
    // usual rows keep together while it is hidden).
    top += kRowPitch;
    auto* gridRed = ValueLabel(&form, panel, PhaseLabel("Vac", n.letter, "_GridRed"), kValueLeft, top, 72);
    auto* s1 = CaptionLabel(&form, panel, QLatin1String(n.separators[1]), QStringLiteral(" / "), sepLeft, top, 14);
    auto* outRed = ValueLabel(&form, panel, PhaseLabel("Vac", n.letter, "_OutRed"), redLeft, top, 72);
    for (vcl::TLabel* l : {s0, gridRed, out, s1, outRed, s2, facRed})
        l->SetVisible(false);
}

void BuildTotalPower(vcl::TComponent& form)
{
    auto* panel = FindPanel(form, QStringLiteral("Group_TotalPower"));
    if (!panel || form.FindComponent(QStringLiteral("Label_TotalOutputPower")))
        return;
    int top = kFirstRowTop;
    const int second = kValueLeft + 80;
    CaptionLabel(&form, panel, QStringLiteral("Label5131"), QStringLiteral("Input"), 10, top);
    ValueLabel(&form, panel, QStringLiteral("Label_TotalInputPower"), kValueLeft - 40, top, 110);
    ValueLabel(&form, panel, QStringLiteral("Label_TotalInputCurrent"), second, top, 80);
    top += kRowPitch;
    CaptionLabel(&form, panel, QStringLiteral("Label5132"), QStringLiteral("Output"), 10, top);
    ValueLabel(&form, panel, QStringLiteral("Label_TotalOutputPower"), kValueLeft - 40, top, 110);
    ValueLabel(&form, panel, QStringLiteral("Label_TotalOutputCurrent"), second, top, 80);
    top += kRowPitch;
    CaptionLabel(&form, panel, QStringLiteral("Label5133"), QStringLiteral("Q:"), 10, top);
    ValueLabel(&form, panel, QStringLiteral("Label_Q_Sum"), kValueLeft - 40, top, 190);
    top += kRowPitch;
    CaptionLabel(&form, panel, QStringLiteral("Label5134"), QStringLiteral("PF:"), 10, top);
    ValueLabel(&form, panel, QStringLiteral("Label_PowerFactor"), kValueLeft - 40, top, 190);
}

QString VoltageText(int raw, int divisor) { return FormatScaledFloat(static_cast<float>(raw), divisor) + QStringLiteral(" V"); }

} // namespace

OutputGroup FindOutputGroups(const vcl::TComponent& form)
{
    OutputGroup g;
    for (int i = 0; i < 3; ++i)
        g.Phase[i] = FindPhase(form, kPhases[i]);
    g.Total.Panel = FindPanel(form, QStringLiteral("Group_TotalPower"));
    g.Total.TotalInputPower = FindLabel(form, QStringLiteral("Label_TotalInputPower"));
    g.Total.TotalInputCurrent = FindLabel(form, QStringLiteral("Label_TotalInputCurrent"));
    g.Total.TotalOutputPower = FindLabel(form, QStringLiteral("Label_TotalOutputPower"));
    g.Total.TotalOutputCurrent = FindLabel(form, QStringLiteral("Label_TotalOutputCurrent"));
    g.Total.QSum = FindLabel(form, QStringLiteral("Label_Q_Sum"));
    g.Total.PowerFactor = FindLabel(form, QStringLiteral("Label_PowerFactor"));
    return g;
}

OutputGroup BuildOutputGroups(vcl::TComponent& form)
{
    for (const auto& n : kPhases)
        BuildPhase(form, n);
    BuildTotalPower(form);
    return FindOutputGroups(form);
}

void ApplyVoltageCaptions(OutputGroup& g, int style, const std::function<QString(const QString&)>& inLanguage)
{
    QString caption;
    switch (style) {
    case -1: caption = QStringLiteral("Voltage"); break;
    case 0:
    case 2: caption = QStringLiteral("Voltage(L-N)"); break;
    case 1: caption = QStringLiteral("Voltage(L-L)"); break;
    default: return;
    }
    if (inLanguage)
        caption = inLanguage(caption);
    for (auto& p : g.Phase) {
        SetText(p.VoltageCaption, caption);
        if (style == -1)
            continue;
        for (vcl::TControl* c : {static_cast<vcl::TControl*>(p.VacOut), static_cast<vcl::TControl*>(p.VacGridRed),
                                 static_cast<vcl::TControl*>(p.VacOutRed), static_cast<vcl::TControl*>(p.FacRed),
                                 static_cast<vcl::TControl*>(p.Separators[0]), static_cast<vcl::TControl*>(p.Separators[1]),
                                 static_cast<vcl::TControl*>(p.Separators[2])})
            SetVisible(c, style == 2);
    }
}

int ReadOutput(Modbus& link, const ReaderContext& ctx, OutputGroup& g, std::uint8_t stop)
{
    const int frame = FrameStart(link, stop, {g.Phase[0].Panel, g.Phase[1].Panel, g.Phase[2].Panel},
                                 QStringLiteral("Output..."));
    if (frame >= 0)
        return frame;

    if (link.Request(kAcTerminalCoil, 1, 1))
        return 1;
    if (Accepted(link, 1)) {
        const int layout = link.Reply[3] == 1 ? 1 : 0;
        *ctx.AcLayout = layout;
        ApplyVoltageCaptions(g, layout, ctx.InLanguage);
    }

    if (link.Request(kOutputBlock, kOutputWords, 4))
        return 1;
    if (!Accepted(link, 4))
        return 0;

    const std::uint8_t sign = *ctx.SignedValues;
    const int power = *ctx.PowerMultiplier, volt = *ctx.VoltageDivisor, iac = *ctx.IacDivisor;
    SetText(g.Total.TotalOutputPower, QString::number(DeviceWord(link, 0, sign) * power) + QStringLiteral("W"));
    // The total current adds the three phase currents in full width: a sum beyond 16 bits
    // must not wrap.
    int totalCurrent = 0;
    for (int i = 0; i < 3; ++i) {
        AcPhaseLabels& p = g.Phase[i];
        const int base = 1 + 4 * i;
        SetText(p.VacGrid, VoltageText(Word(link, base), volt));
        SetText(p.Iac, FormatScaledInt(Word(link, base + 1), iac, sign) + QStringLiteral(" A"));
        SetText(p.Pac, QString::number(DeviceWord(link, base + 2, sign) * power) + QStringLiteral(" W"));
        SetText(p.Fac, FormatDiv100(static_cast<float>(Word(link, base + 3))) + QStringLiteral(" Hz"));
        totalCurrent += DeviceWord(link, base + 1, sign);
    }
    if (*ctx.AcLayout == 1)
        for (int i = 0; i < 3; ++i)
            SetText(g.Phase[i].VacGrid, VoltageText(Word(link, 27 + i), volt));
    SetText(g.Total.TotalOutputCurrent, FormatScaledInt(totalCurrent, iac, 0) + QStringLiteral("A"));
    return 0;
}

} // namespace groups

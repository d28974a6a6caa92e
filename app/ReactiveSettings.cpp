#include "app/ReactiveSettings.h"

#include "groups/ReactivePower.h"
#include "vcl/Kit.h"

#include <vector>

namespace settings {

namespace {

QString Name(const char* prefix, const QString& base) { return QLatin1String(prefix) + base; }

// An edit and its value label of the same base name.
Binding Entry(const QString& base, int reg)
{
    return Binding(Name("Edit_", base)).Register(reg).Paint(Name("Label_", base));
}
Binding Entry(const char* base, int reg) { return Entry(QLatin1String(base), reg); }
Binding Choice(const char* base, int reg)
{
    return Binding(Name("Combo_", QLatin1String(base))).Register(reg).Paint(Name("Label_", QLatin1String(base)));
}

// Only the two cos φ steps have a register and a factor; any other step posts nothing.
bool StepDefined(const Context& ctx, Post&)
{
    const int step = ctx.cosPhiStep ? *ctx.cosPhiStep : 0;
    return step == 0 || step == 1;
}
Binding CosPhi(const char* base, int reg, int fineReg, const char* chooser)
{
    // A power factor lies within -1..1 (the bound in hundredths; the fine step scales it).
    return Entry(base, reg).FineStep(fineReg).Sign(QLatin1String(chooser)).Refuse(-100, 100).Adjust(StepDefined);
}

// The response delay list offers whole seconds; the register counts hundredths.
bool Hundredths(const Context&, Post& post)
{
    post.value *= 100;
    return true;
}

// The Japanese-market lists mark themselves: their own text turns red and stays so.
Binding MarksItself(const Binding& b)
{
    const QString name = b.control;
    return b.Adjust([name](const Context& ctx, Post&) {
        if (auto* c = ctx.form ? dynamic_cast<vcl::TControl*>(ctx.form->FindComponent(name)) : nullptr)
            c->Font()->SetColor(vcl::clRed);
        return true;
    });
}

std::vector<Binding> QofPRows(int block, const QString& s)
{
    std::vector<Binding> rows;
    rows.push_back(Binding(QStringLiteral("Combo_QofP_Mode") + s).Register(block).Index().Paint(QStringLiteral("Label_QofP_Mode") + s));
    rows.push_back(Entry(QStringLiteral("QofP_SetPoint") + s, block + 1).Tolerant().Signed());
    for (int k = 0; k < 10; ++k) {
        const QString n = QString::number(k);
        // A point's power is signed: the charging side of the curve lies below zero.
        rows.push_back(Entry(QStringLiteral("QofP_P") + n + s, block + 2 + 2 * k).Decimal(10).Signed());
        rows.push_back(Entry(QStringLiteral("QofP_Q") + n + s, block + 3 + 2 * k)
                           .Decimal(10)
                           .Sign(QStringLiteral("List_QofP_RangeQ") + n + s));
    }
    return rows;
}

std::vector<Binding> MakeTable()
{
    std::vector<Binding> t = {
        // Reactive Power.
        Binding("Combo_ReactiveMode").Register(33616).Index().Paint("Label_ReactiveMode"),
        Binding("Combo_ReactiveModeForJapan").Register(33616).Codes({0, 1, 8}).Paint("Label_ReactiveMode"),
        CosPhi("FixCos", 33617, 48795, "List_CosRange"),
        Entry("FixKvar", 33624).Strict().Sign("List_FixKvar"),
        Entry("ReDelayT", 33633).Decimal(100),
        Choice("ReactiveNightMode", 48766).Codes({0, 13, 14, 15}),
        // cos(φ) of P Ctrl.
        CosPhi("CosUp", 33619, 48796, "List_CosUp"),
        CosPhi("CosLow", 33620, 48797, "List_CosLow"),
        Entry("PowerUp", 33622).Strict().Signed(),
        Entry("PowerLow", 33621).Strict().Signed(),
        Entry("CosLockInVolt", 48786).Decimal(10),
        Entry("CosLockOutVolt", 48787).Decimal(10),
        // Q(U) Ctrl.
        Entry("KvarUp", 33626).Strict().Sign("List_KvarUp"),
        Entry("KvarLow", 33627).Strict().Sign("List_KvarLow"),
        Entry("UacMin", 33628).Decimal(10),
        Entry("UacMax", 33629).Decimal(10),
        Entry("UacLow", 33630).Decimal(10),
        Entry("UacUp", 33631).Decimal(10),
        Entry("Hystersis", 33632).Decimal(10),
        Entry("UacLockIn", 33636).Strict(),
        Entry("UacLockOut", 33637).Strict(),
        Choice("ResponseDelay", 33638).ItemText().Adjust(Hundredths),
        // Cosphi (U): always in thousandths.
        Entry("CosphiOfU_UpperLimit", 48817).Decimal(1000).Sign("List_CosphiOfU_UpperLimit").Refuse(-1000, 1000),
        Entry("CosphiOfU_LowerLimit", 48818).Decimal(1000).Sign("List_CosphiOfU_LowerLimit").Refuse(-1000, 1000),
        Entry("CosphiOfU_Vmin", 48819).Decimal(10),
        Entry("CosphiOfU_Vmax", 48820).Decimal(10),
        Entry("CosphiOfU_V1", 48821).Decimal(10),
        Entry("CosphiOfU_V2", 48822).Decimal(10),
        Entry("CosphiOfU_Lockin", 48823).Tolerant(),
        Entry("CosphiOfU_Lockout", 48824).Tolerant(),
        // Q by Night.
        Choice("QTMode", 48798).Index(),
        Entry("ConstQ_Percent", 48799).Tolerant().Signed(),
        Entry("QP_Q_Upper", 48800).Tolerant().Signed(),
        Entry("QP_Q_Lower", 48801).Tolerant().Signed(),
        Entry("QP_Upper_Limit", 48802).Tolerant().Signed(),
        Entry("QP_Lower_Limit", 48803).Tolerant().Signed(),
        Entry("QP_Lockin_V", 48804).Decimal(10),
        Entry("QP_Lockout_V", 48805).Decimal(10),
        Entry("QU_Upper_Limit", 48806).Tolerant().Signed(),
        Entry("QU_Lower_Limit", 48807).Tolerant().Signed(),
        Entry("QU_Vmin", 48808).Decimal(10),
        Entry("QU_Vmax", 48809).Decimal(10),
        Entry("QU_V1", 48810).Decimal(10),
        Entry("QU_V2", 48811).Decimal(10),
        Entry("QU_P_Lock_in", 48812).Tolerant().Signed(),
        Entry("QU_P_Lock_out", 48813).Tolerant().Signed(),
        Entry("QU_Hysteresis", 48814).Decimal(10),
        Entry("Response_Delay", 48815).Decimal(100),
        // Extend Cosphi(P): the lock voltages are the cos φ(P) group's, set from here too.
        Entry("ExtendCosphiP_SetPoint", 48848).Tolerant().Signed(),
        Binding("Edit_CosLockInVolt_ext").Register(48786).Decimal(10).Paint("Label_CosLockInVolt_Ext"),
        Binding("Edit_CosLockOutVolt_Ext").Register(48787).Decimal(10).Paint("Label_CosLockOutVolt_Ext"),
        // Active Power.
        Choice("PowerManageMode", 798).Index(),
        Entry("PowerManage", 799).Strict().Refuse(0, 100),
        Entry("RampUp", 864).Strict(),
        Entry("ActiveSlope", 48514).Tolerant(),
        // P(U) Function.
        Choice("ProvrMode", 48544).Index(),
        Entry("ProvrRecTime", 48545).Strict(),
        Entry("ProvrLockInP", 48546).Strict(),
        Entry("ProvrLockOutP", 48547).Strict(),
        Entry("ProvrLockInV", 48548).Decimal(10),
        Entry("ProvrLockOutV", 48549).Decimal(10),
        Entry("StopVoltage_Vac", 48551).Decimal(10),
        Entry("PofU_Pend", 48552).Tolerant(),
        Entry("ReDelayT1", 48783).Decimal(100),
        // Voltage Suppression.
        Entry("VoltageSuppression_V1", 48790).Decimal(10),
        Entry("VoltageSuppression_PF", 48791).Decimal(100),
        Entry("VoltageSuppression_V2", 48792).Decimal(10),
        Entry("VoltageSuppression_PL", 48793).Tolerant(),
        // Active Power Control (Japanese-market models).
        MarksItself(Binding("Combo_JapanPowerManage").Register(25361).Index()),
        Choice("JapanActivePercentage", 25362).Index(),
        MarksItself(Binding("Combo_JapanActiveSlope").Register(25363).ItemText()),
    };
    for (int k = 1; k <= 8; ++k) {
        const QString n = QString::number(k);
        t.push_back(Entry(QStringLiteral("ExtendCosphiP_P") + n, 48849 + 2 * (k - 1)).Decimal(10).Signed());
        t.push_back(Entry(QStringLiteral("ExtendCosphiP_CosP") + n, 48850 + 2 * (k - 1))
                        .Decimal(10)
                        .Sign(QStringLiteral("Combo_ExtendCosphiP_CosP") + n));
    }
    for (const Binding& b : QofPRows(groups::kQofPBlock, QString()))
        t.push_back(b);
    for (const Binding& b : QofPRows(groups::kQofPDaytimeBlock, QStringLiteral("_DT")))
        t.push_back(b);
    return t;
}

} // namespace

std::span<const Binding> ReactiveBindings()
{
    static const std::vector<Binding> table = MakeTable();
    return table;
}

} // namespace settings

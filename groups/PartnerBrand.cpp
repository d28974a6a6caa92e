#include "groups/PartnerBrand.h"

#include "common/Myfunc.h"
#include "groups/PanelRows.h"

namespace groups {

using rows::AddRows;
using rows::L;
using rows::Row;
using rows::RowKind;

namespace {

void BuildMonitor(vcl::TComponent& form, vcl::TWinControl* p)
{
    AddRows(form, p,
            {{RowKind::Value, "実績発電時間", "Label_HRN_OutputTime"},
             {RowKind::Value, "開始日", "Label_HRN_StartTime"},
             {RowKind::Value, "DC電圧最大値", "Label_HRN_VdcMax"},
             {RowKind::Value, "AC電圧最大値", "Label_HRN_VacMax"},
             {RowKind::Value, "温度最高値", "Label_HRN_TempMax"},
             {RowKind::Value, "DSP   MCU", "Label_HRN_DspMCU"},
             {RowKind::Value, "余剰 MCU", "Label_HRN_RedMCU"},
             {RowKind::Value, "通信 MCU", "Label_HRN_CommMCU"}},
            kFirstRowTop, p->Width());
}

vcl::TGroupBox* Frame(vcl::TComponent& form, vcl::TWinControl* p, const char* name, const QString& caption, int top,
                      int height)
{
    auto* b = new vcl::TGroupBox(&form);
    b->SetName(QLatin1String(name));
    b->SetParent(p);
    b->SetCaption(caption);
    b->SetBounds(4, top, p->Width() - 8, height);
    return b;
}

// The energy panel: the four DC inputs in a table (a column an input, a row a quantity), the AC
// side below, and the today and total frames, which stay hidden.
void BuildEnergy(vcl::TComponent& form, vcl::TWinControl* p)
{
    const int w = p->Width() - 8;
    int top = kFirstRowTop - 6;
    auto* dc = Frame(form, p, "GroupBox_HRN_Input", QStringLiteral("入力"), top, 22 + 4 * kRowPitch);
    // The quantities' captions take 52 px, the four inputs share the rest.
    const int first = 60;
    const int column = (w - first - 8) / 4;
    for (int n = 1; n <= 4; ++n)
        CaptionLabel(&form, dc, QStringLiteral("Label_HRN_DcTitle%1").arg(n), QString::number(n), first + (n - 1) * column,
                     18, column - 4);
    const char* quantities[] = {"Vdc", "Idc", "Pdc"};
    const char* units[] = {"V", "A", "W"};
    for (int q = 0; q < 3; ++q) {
        const int rowTop = 18 + (q + 1) * kRowPitch;
        CaptionLabel(&form, dc, QStringLiteral("Label_HRN_%1Caption").arg(QLatin1String(quantities[q])),
                     QStringLiteral("%1 (%2)").arg(q == 0 ? QStringLiteral("電圧") : q == 1 ? QStringLiteral("電流") : QStringLiteral("電力"),
                                                  QLatin1String(units[q])),
                     6, rowTop, first - 8);
        for (int n = 1; n <= 4; ++n)
            ValueLabel(&form, dc, QStringLiteral("Label_HRN_%1%2").arg(QLatin1String(quantities[q])).arg(n),
                       first + (n - 1) * column, rowTop, column - 4);
    }
    top += dc->Height() + 4;
    auto* ac = Frame(form, p, "GroupBox_HRN_Output", QStringLiteral("出力"), top, 22 + 4 * kRowPitch);
    AddRows(form, ac,
            {{RowKind::Value, "電圧 (V)", "Label_HRN_Vac"},
             {RowKind::Value, "電流 (A)", "Label_HRN_Iac"},
             {RowKind::Value, "電力 (W)", "Label_HRN_Pac"},
             {RowKind::Value, "周波数 (Hz)", "Label_HRN_Fac"}},
            18, ac->Width());
    top += ac->Height() + 4;
    auto* today = Frame(form, p, "GroupBox_HRN_Today", QStringLiteral("本日"), top, 22 + 2 * kRowPitch);
    AddRows(form, today,
            {{RowKind::Value, "発電量 (kWh)", "Label_HRN_EnergyToday"}, {RowKind::Value, "運転時間", "Label_HRN_TimeToday"}},
            18, today->Width());
    today->SetVisible(false);
    auto* total = Frame(form, p, "GroupBox_HRN_Total", QStringLiteral("累積電力"), top, 22 + 2 * kRowPitch);
    AddRows(form, total,
            {{RowKind::Value, "発電量 (kWh)", "Label_HRN_EnergyAcc"}, {RowKind::Value, "運転時間", "Label_HRN_TimeAcc"}},
            18, total->Width());
    total->SetVisible(false);
}

// One request of a reader: 1 the link failed, 0 otherwise; fill runs only on an accepted reply.
template <typename Fill>
int Block(Modbus& link, int reg, int count, Fill fill)
{
    if (link.Request(reg, count, 4))
        return 1;
    if (Accepted(link, 4))
        fill();
    return 0;
}

std::int64_t Long(const Modbus& link, int low, int high)
{
    return static_cast<std::int64_t>(Word(link, high)) * 65536 + Word(link, low);
}

QString Hours(std::int64_t seconds)
{
    return QString::number(seconds / 3600) + QStringLiteral("時間") + QString::number((seconds % 3600) / 60)
           + QStringLiteral("分");
}

} // namespace

PartnerGroups BuildPartnerGroups(vcl::TComponent& form)
{
    PartnerGroups g;
    g.Monitor = FindPanel(form, QStringLiteral("Group_HarunetMM"));
    g.Energy = FindPanel(form, QStringLiteral("Group_HRN_Energy"));
    if (g.Monitor && !form.FindComponent(QStringLiteral("Label_HRN_OutputTime")))
        BuildMonitor(form, g.Monitor);
    if (g.Energy && !form.FindComponent(QStringLiteral("Label_HRN_Vdc1")))
        BuildEnergy(form, g.Energy);
    return g;
}

QString PartnerVersionText(int word)
{
    const int high = (word >> 8) & 0xFF, low = word & 0xFF;
    return QStringLiteral("V") + QString::number(high / 10) + QString::number(high % 10) + QLatin1Char('.')
           + QString::number(low / 10) + QString::number(low % 10);
}

int ReadHarunetMonitor(Modbus& link, const PartnerGroups& g, vcl::TComponent& form, std::uint8_t stop)
{
    const int frame = FrameStart(link, stop, {g.Monitor}, QStringLiteral("Monitor..."));
    if (frame >= 0)
        return frame;
    if (Block(link, 53254, 2, [&] {
            const auto s = static_cast<std::int32_t>(static_cast<std::uint32_t>(Long(link, 0, 1)));
            SetText(L(form, "Label_HRN_OutputTime"), QString::number(s / 60 / 60) + QStringLiteral(" Hour ")
                                                         + QString::number((s / 60) % 60) + QStringLiteral(" Min."));
        }))
        return 1;
    if (Block(link, 55808, 2, [&] {
            // High word first here: the bytes of word 0 then word 1.
            const std::uint8_t* r = link.Reply + 3;
            SetText(L(form, "Label_HRN_StartTime"), FormatDeviceTime(r[2], r[3], r[0], r[1], 1));
        }))
        return 1;
    if (Block(link, 1114, 5, [&] {
            int held = SignedWord(link, 0);
            for (int k = 1; k < 4; ++k)
                if (Word(link, k) > held)
                    held = SignedWord(link, k);
            SetText(L(form, "Label_HRN_VdcMax"), FormatDiv10(static_cast<float>(held)));
            SetText(L(form, "Label_HRN_VacMax"), FormatDiv10(static_cast<float>(Word(link, 4))));
        }))
        return 1;
    if (Block(link, 1152, 4, [&] {
            int most = SignedWord(link, 0);
            for (int k = 1; k < 4; ++k)
                most = std::max(most, SignedWord(link, k));
            SetText(L(form, "Label_HRN_TempMax"), QString::number(most));
        }))
        return 1;
    if (Block(link, 1040, 6, [&] {
            SetText(L(form, "Label_HRN_DspMCU"), PartnerVersionText(Word(link, 0)));
            SetText(L(form, "Label_HRN_RedMCU"), PartnerVersionText(Word(link, 2)));
            SetText(L(form, "Label_HRN_CommMCU"), PartnerVersionText(Word(link, 4)));
        }))
        return 1;
    return 0;
}

int ReadHarunetEnergy(Modbus& link, const PartnerGroups& g, vcl::TComponent& form, std::uint8_t stop)
{
    const int frame = FrameStart(link, stop, {g.Energy}, QStringLiteral("Energy..."));
    if (frame >= 0)
        return frame;
    auto set = [&form](const QString& name, const QString& text) { SetText(FindLabel(form, name), text); };
    if (Block(link, 3360, 12, [&] {
            for (int n = 1; n <= 4; ++n) {
                const int k = 3 * (n - 1);
                set(QStringLiteral("Label_HRN_Vdc%1").arg(n), FormatDiv10(static_cast<float>(Word(link, k))));
                set(QStringLiteral("Label_HRN_Idc%1").arg(n), FormatDiv10(static_cast<float>(Word(link, k + 1) / 10)));
                set(QStringLiteral("Label_HRN_Pdc%1").arg(n), QString::number(Word(link, k + 2)));
            }
        }))
        return 1;
    if (Block(link, 3328, 5, [&] {
            set(QStringLiteral("Label_HRN_Vac"), FormatDiv10(static_cast<float>(Word(link, 0))));
            set(QStringLiteral("Label_HRN_Iac"), FormatDiv10(static_cast<float>(Word(link, 2) / 10)));
            set(QStringLiteral("Label_HRN_Pac"), QString::number(Word(link, 3)));
            set(QStringLiteral("Label_HRN_Fac"), FormatDiv10(static_cast<float>(Word(link, 4) / 10)));
        }))
        return 1;
    if (Block(link, 1072, 4, [&] {
            const float energy = static_cast<float>(Long(link, 0, 1)) * 0.01f + 0.05f;
            set(QStringLiteral("Label_HRN_EnergyToday"), FormatFloatDecimals(energy, 1));
            set(QStringLiteral("Label_HRN_TimeToday"), Hours(Long(link, 2, 3)));
        }))
        return 1;
    if (Block(link, 1076, 4, [&] {
            const auto whole = static_cast<std::int64_t>(static_cast<double>(Long(link, 0, 1)) * 0.01 + 0.05);
            set(QStringLiteral("Label_HRN_EnergyAcc"), FormatFloatDecimals(static_cast<float>(whole), 1));
            set(QStringLiteral("Label_HRN_TimeAcc"), Hours(Long(link, 2, 3)));
        }))
        return 1;
    return 0;
}

} // namespace groups

// The inner controls of the live-value panels, and the tables that tie each block's words to
// their labels. Captions on the left, values on the right; tables with several values a row
// carry column titles.
#include "groups/LiveValues.h"

namespace groups {

namespace {

// ---- Tables: which word goes where, shown how ------------------------------------------------

constexpr WordRow kLoad[2][4] = {
    {{1, "Label_Vload1", Show::TenthVolt}, {2, "Label_Iload1", Show::HundredthAmp},
     {3, "Label_Pload1", Show::RawWatt}, {4, "Label_Fload1", Show::Hertz}},
    {{1, "Label_Vload2", Show::TenthVolt}, {2, "Label_Iload2", Show::HundredthAmp},
     {3, "Label_Pload2", Show::RawWatt}, {4, "Label_Fload2", Show::Hertz}},
};

// The pages of the ADC-count group in the order they are read, with the labels of their words.
struct AdcPage {
    int page;
    int count;
    const char* caption;
    std::array<const char*, 4> labels;   // by word; null: the word is not shown
};

constexpr AdcPage kAdcPages[14] = {
    {0, 4, "Output1(Grid)", {"Label_Output1AdcVolt", "Label_Output1AdcCurr", "Label_Output1AdcPower", "Label_Output1AdcVRed"}},
    {1, 4, "Output2(Grid)", {"Label_Output2AdcVolt", "Label_Output2AdcCurr", "Label_Output2AdcPower", "Label_Output2AdcVRed"}},
    {2, 4, "Output3(Grid)", {"Label_Output3AdcVolt", "Label_Output3AdcCurr", "Label_Output3AdcPower", "Label_Output3AdcVRed"}},
    {16, 4, "Output1(Out)", {"Label_Output1AdcVout", nullptr, nullptr, "Label_Output1AdcVoutRed"}},
    {17, 4, "Output2(Out)", {"Label_Output2AdcVout", nullptr, nullptr, "Label_Output2AdcVoutRed"}},
    {18, 4, "Output3(Out)", {"Label_Output3AdcVout", nullptr, nullptr, "Label_Output3AdcVoutRed"}},
    {48, 3, "Input1", {"Label_Input1AdcVolt", "Label_Input1AdcCurr", "Label_Input1AdcPower", nullptr}},
    {49, 3, "Input2", {"Label_Input2AdcVolt", "Label_Input2AdcCurr", "Label_Input2AdcPower", nullptr}},
    {50, 3, "Input3", {"Label_Input3AdcVolt", "Label_Input3AdcCurr", "Label_Input3AdcPower", nullptr}},
    {51, 3, "Input4", {"Label_Input4AdcVolt", "Label_Input4AdcCurr", "Label_Input4AdcPower", nullptr}},
    {52, 3, "Input5", {"Label_Input5AdcVolt", "Label_Input5AdcCurr", "Label_Input5AdcPower", nullptr}},
    {53, 3, "Input6", {"Label_Input6AdcVolt", "Label_Input6AdcCurr", "Label_Input6AdcPower", nullptr}},
    {64, 1, "Pbus", {"Label_PbusAdcVolt", nullptr, nullptr, nullptr}},
    {65, 1, "Nbus", {"Label_NbusAdcVolt", nullptr, nullptr, nullptr}},
};

// Stand-alone block: U-W, U-O, W-O, four words each.
constexpr WordRow kStandAlone[] = {
    {0, "Label_UW_voltage", Show::Volt}, {1, "Label_UW_current", Show::AcAmpPlain},
    {2, "Label_UW_Power", Show::WattPlain}, {3, "Label_UW_frequency", Show::Hertz},
    {4, "Label_UO_voltage", Show::Volt}, {5, "Label_UO_current", Show::AcAmpPlain},
    {6, "Label_UO_power", Show::WattPlain}, {7, "Label_UO_frequency", Show::Hertz},
    {8, "Label_WO_voltage", Show::Volt}, {9, "Label_WO_current", Show::AcAmpPlain},
    {10, "Label_WO_power", Show::WattPlain}, {11, "Label_WO_frequency", Show::Hertz},
};

constexpr WordRow kMaxOutput[] = {
    {0, "Label_MaxVac1", Show::Volt}, {1, "Label_MaxIac1", Show::AcAmp}, {2, "Label_MaxPac1", Show::Watt}, {3, "Label_MaxFac1", Show::Hertz},
    {4, "Label_MaxVac2", Show::Volt}, {5, "Label_MaxIac2", Show::AcAmp}, {6, "Label_MaxPac2", Show::Watt}, {7, "Label_MaxFac2", Show::Hertz},
    {8, "Label_MaxVac3", Show::Volt}, {9, "Label_MaxIac3", Show::AcAmp}, {10, "Label_MaxPac3", Show::Watt}, {11, "Label_MaxFac3", Show::Hertz},
};

// Internal meter: phase U in words 0..5 and 12..15, phase W six words later and at 16..19.
constexpr WordRow kMeter[] = {
    {0, "Label_IMU_Vac", Show::TenthVolt}, {1, "Label_IMU_Iac", Show::HundredthAmp},
    {2, "Label_IMU_Pac", Show::PairSignWatt}, {5, "Label_IMU_Fac", Show::Hertz},
    {12, "Label_IMU_WacIn", Show::PairTenthKwh}, {14, "Label_IMU_WacOut", Show::PairTenthKwh},
    {6, "Label_IMW_Vac", Show::TenthVolt}, {7, "Label_IMW_Iac", Show::HundredthAmp},
    {8, "Label_IMW_Pac", Show::PairSignWatt}, {11, "Label_IMW_Fac", Show::Hertz},
    {16, "Label_IMW_WacIn", Show::PairTenthKwh}, {18, "Label_IMW_WacOut", Show::PairTenthKwh},
    // The U+W panel repeats phase U's current and frequency.
    {1, "Label_IMUW_Iac", Show::HundredthAmp}, {5, "Label_IMUW_Fac", Show::Hertz},
};
constexpr const char* kMeterSums[6] = {"Label_IMUW_Vac", "Label_IMUW_Iac", "Label_IMUW_Pac",
                                       "Label_IMUW_Fac", "Label_IMUW_WacIn", "Label_IMUW_WacOut"};

constexpr WordRow kEnergy[] = {
    {0, "Label_TodayWh", Show::PairEnergy}, {2, "Label_Runtime", Show::PairTime},
    {4, "Label_TotalWh", Show::PairEnergy}, {6, "Label_TotalRuntime", Show::PairTime},
};

constexpr WordRow kRelay[] = {
    {0, "Label_DCRelayTimesP1", Show::PairCount}, {2, "Label_DCRelayTimesN1", Show::PairCount},
    {4, "Label_DCRelayTimesP2", Show::PairCount}, {6, "Label_DCRelayTimesN2", Show::PairCount},
};

QString N(const char* stem, int n) { return QStringLiteral("%1%2").arg(QLatin1String(stem)).arg(n); }

// Rows of cells built from names made in code (inputs, strings, temperatures, test values).
void Add(LabelCells& cells, const vcl::TComponent& form, int word, const QString& name, Show show)
{
    cells.push_back({word, FindLabel(form, name), show});
}

// ---- Building -----------------------------------------------------------------------------

// A table: column titles over value columns, one caption a row; name(r, c) gives each value
// label's name (empty: no label in that cell). Captions are numbered from `number` on.
template <class Name>
void BuildGrid(vcl::TComponent& form, vcl::TWinControl* panel, std::span<const char* const> columns,
               const QStringList& rows, Name name, int number, int firstLeft, int pitch)
{
    int top = kFirstRowTop;
    for (std::size_t c = 0; c < columns.size(); ++c) {
        // The last column's title may run to the panel's edge.
        const int left = firstLeft + static_cast<int>(c) * pitch;
        const int width = c + 1 == columns.size() ? panel->Width() - left - 2 : pitch - 2;
        auto* title = CaptionLabel(&form, panel, QStringLiteral("Label%1").arg(number++), QString::fromUtf8(columns[c]),
                                   left, top, width);
        title->Font()->SetStyle(vcl::fsBold);
    }
    top += kRowPitch;
    for (int r = 0; r < rows.size(); ++r) {
        CaptionLabel(&form, panel, QStringLiteral("Label%1").arg(number++), rows[r], 10, top, firstLeft - 12);
        for (std::size_t c = 0; c < columns.size(); ++c) {
            const QString n = name(r, static_cast<int>(c));
            if (!n.isEmpty())
                ValueLabel(&form, panel, n, firstLeft + static_cast<int>(c) * pitch, top, pitch - 2);
        }
        top += kRowPitch;
    }
}

// The panel of that name when it still needs its controls (its first value label is missing).
vcl::TWinControl* Unbuilt(vcl::TComponent& form, const char* panel, const QString& firstValue)
{
    auto* p = FindPanel(form, QLatin1String(panel));
    return p && !form.FindComponent(firstValue) ? p : nullptr;
}

QStringList Rows(std::initializer_list<const char*> captions)
{
    QStringList l;
    for (const char* c : captions)
        l << QString::fromUtf8(c);
    return l;
}

void BuildBusAndLoads(vcl::TComponent& form)
{
    if (auto* p = Unbuilt(form, "Group_GetVbus", QStringLiteral("Label_PBus"))) {
        const CaptionedValue rows[] = {{"PBus", "Label_PBus"}, {"NBus", "Label_NBus"}};
        BuildValueRows(form, p, rows, 6301);
    }
    if (auto* p = Unbuilt(form, "Group_GetTotalBus", QStringLiteral("Label_TotalBus"))) {
        const CaptionedValue rows[] = {{"Total Bus", "Label_TotalBus"}};
        BuildValueRows(form, p, rows, 6311);
    }
    for (int n = 1; n <= 2; ++n) {
        if (auto* p = Unbuilt(form, n == 1 ? "Group_LoadPower1" : "Group_LoadPower2", N("Label_Vload", n))) {
            const QByteArray v = N("Label_Vload", n).toLatin1(), i = N("Label_Iload", n).toLatin1(),
                             w = N("Label_Pload", n).toLatin1(), f = N("Label_Fload", n).toLatin1(),
                             pf = N("Label_PFload", n).toLatin1();
            const CaptionedValue rows[] = {{"Voltage", v.constData()}, {"Current", i.constData()},
                                           {"Power", w.constData()}, {"Frequency", f.constData()},
                                           {"PF", pf.constData()}};
            BuildValueRows(form, p, rows, 6311 + 10 * n);
        }
    }
    if (auto* p = Unbuilt(form, "Group_ADC", QStringLiteral("Label_Output1AdcVolt"))) {
        // Short titles: the columns are narrow (an ADC count has at most five digits).
        const char* const columns[] = {"Volt", "Curr", "Pwr", "Volt(Red)"};
        QStringList rows;
        for (const AdcPage& a : kAdcPages)
            rows << QLatin1String(a.caption);
        BuildGrid(form, p, columns, rows, [](int r, int c) {
            const char* n = kAdcPages[r].labels[static_cast<size_t>(c)];
            return n ? QLatin1String(n) : QString();
        }, 6341, 100, 43);
    }
}

void BuildOutputSide(vcl::TComponent& form)
{
    if (auto* p = Unbuilt(form, "Group_StandAlone3P", QStringLiteral("Label_UW_voltage"))) {
        const char* const columns[] = {"U-W", "U-O", "W-O"};
        BuildGrid(form, p, columns, Rows({"Voltage", "Current", "Power", "Frequency"}), [](int r, int c) {
            return QLatin1String(kStandAlone[4 * c + r].label);
        }, 6361, 86, 70);
    }
    if (auto* p = Unbuilt(form, "Group_LN_ST", QStringLiteral("Label_OutL1_N"))) {
        const CaptionedValue rows[] = {{"L1-N", "Label_OutL1_N"}, {"L2-N", "Label_OutL2_N"}, {"Vst", "Label_Out_ST"}};
        BuildValueRows(form, p, rows, 6371);
    }
    if (auto* p = Unbuilt(form, "Group_MaxOutputValue", QStringLiteral("Label_MaxVac1"))) {
        const char* const columns[] = {"Phase 1", "Phase 2", "Phase 3"};
        BuildGrid(form, p, columns, Rows({"Voltage", "Current", "Power", "Frequency"}), [](int r, int c) {
            return QLatin1String(kMaxOutput[4 * c + r].label);
        }, 6381, 86, 70);
    }
}

void BuildDcInputs(vcl::TComponent& form)
{
    for (int n = 1; n <= 12; ++n) {
        const QByteArray panel = N("Group_GetDC", n).toLatin1();
        if (auto* p = Unbuilt(form, panel.constData(), N("Label_Vdc", n))) {
            const QByteArray v = N("Label_Vdc", n).toLatin1(), i = N("Label_Idc", n).toLatin1(), w = N("Label_Pdc", n).toLatin1();
            const CaptionedValue rows[] = {{"Voltage", v.constData()}, {"Current", i.constData()}, {"Power", w.constData()}};
            BuildValueRows(form, p, rows, 6398 + 3 * n);
        }
    }
    if (auto* p = Unbuilt(form, "Group_StringCurr", QStringLiteral("Label_StringCurr1"))) {
        // Three columns of eight strings, then the button.
        for (int k = 0; k < 24; ++k) {
            const int left = 10 + (k / 8) * 96, top = kFirstRowTop + (k % 8) * kRowPitch;
            CaptionLabel(&form, p, QStringLiteral("Label%1").arg(6441 + k), QStringLiteral("S%1").arg(k + 1), left, top, 30);
            ValueLabel(&form, p, N("Label_StringCurr", k + 1), left + 30, top, 64);
        }
        auto* b = new vcl::TButton(&form);
        b->SetName(QStringLiteral("Btn_StrCurrentEnableDC12"));
        b->SetParent(p);
        b->SetBounds(10, kFirstRowTop + 8 * kRowPitch + 8, 170, 28);
        b->SetCaption(QStringLiteral("DC1/2 Enable (T60Q)"));
    }
    if (auto* p = Unbuilt(form, "Group_MaxInputValue", QStringLiteral("Label_MaxVdc1"))) {
        const char* const columns[] = {"Voltage", "Current", "Power"};
        QStringList rows;
        for (int n = 1; n <= 8; ++n)
            rows << QStringLiteral("Input %1").arg(n);
        BuildGrid(form, p, columns, rows, [](int r, int c) {
            const char* stems[] = {"Label_MaxVdc", "Label_MaxIdc", "Label_MaxPdc"};
            return N(stems[c], r + 1);
        }, 6471, 76, 72);
    }
}

void BuildCounters(vcl::TComponent& form)
{
    const char* meters[3] = {"Group_InternalMeterPhaseU", "Group_InternalMeterPhaseW", "Group_InternalMeterPhaseUW"};
    const char* stems[3] = {"Label_IMU_", "Label_IMW_", "Label_IMUW_"};
    for (int m = 0; m < 3; ++m) {
        const QString first = QLatin1String(stems[m]) + QStringLiteral("Vac");
        if (auto* p = Unbuilt(form, meters[m], first)) {
            const char* captions[] = {"Voltage", "Current", "Power", "Frequency", "Energy In", "Energy Out"};
            const char* tails[] = {"Vac", "Iac", "Pac", "Fac", "WacIn", "WacOut"};
            QByteArray names[6];
            CaptionedValue rows[6];
            for (int r = 0; r < 6; ++r) {
                names[r] = (QLatin1String(stems[m]) + QLatin1String(tails[r])).toLatin1();
                rows[r] = {captions[r], names[r].constData()};
            }
            BuildValueRows(form, p, rows, 6491 + 10 * m);
        }
    }
    if (auto* p = Unbuilt(form, "Group_OutputPower", QStringLiteral("Label_TodayWh"))) {
        const CaptionedValue rows[] = {{"E-Today", "Label_TodayWh"}, {"Runtime Today", "Label_Runtime"},
                                       {"E-Total", "Label_TotalWh"}, {"Runtime Total", "Label_TotalRuntime"}};
        BuildValueRows(form, p, rows, 6521);
    }
    if (auto* p = Unbuilt(form, "Group_DcRelayAccTimes", QStringLiteral("Label_DCRelayTimesP1"))) {
        const CaptionedValue rows[] = {{"P1 Times", "Label_DCRelayTimesP1"}, {"N1 Times", "Label_DCRelayTimesN1"},
                                       {"P2 Times", "Label_DCRelayTimesP2"}, {"N2 Times", "Label_DCRelayTimesN2"}};
        BuildValueRows(form, p, rows, 6531);
    }
}

void BuildTemperatures(vcl::TComponent& form)
{
    for (int g = 1; g <= 2; ++g) {
        const QByteArray panel = N("Group_Temper", g).toLatin1();
        auto* p = Unbuilt(form, panel.constData(), N("Label_Temperature", g * 10 + 1));
        if (!p)
            continue;
        const int nowLeft = kValueLeft, maxLeft = kValueLeft + 80;
        int top = kFirstRowTop;
        for (auto [left, text, number] : {std::tuple{nowLeft, "Now", 6540 + 2 * g}, std::tuple{maxLeft, "Max", 6541 + 2 * g}})
            CaptionLabel(&form, p, QStringLiteral("Label%1").arg(number), QLatin1String(text), left, top, 70)
                ->Font()->SetStyle(vcl::fsBold);
        for (int k = 1; k <= 4; ++k) {
            top += kRowPitch;
            // The sensor titles are the mode's (its settings file names them); these are the design's.
            CaptionLabel(&form, p, N("Label_TemperTitle", g * 10 + k),
                         QLatin1String(kTemperatureTitles[static_cast<size_t>(4 * (g - 1) + k - 1)]), 10, top);
            ValueLabel(&form, p, N("Label_Temperature", g * 10 + k), nowLeft, top, 76);
            ValueLabel(&form, p, N("Label_MaxTemp", g * 10 + k), maxLeft, top, 76);
        }
    }
    if (auto* p = Unbuilt(form, "Group_TestValue", QStringLiteral("Label_TestVal0"))) {
        int top = kFirstRowTop;
        for (int k = 0; k < 12; ++k) {
            CaptionLabel(&form, p, QStringLiteral("Label%1").arg(6561 + k), QStringLiteral("T%1:").arg(k, 2, 10, QLatin1Char('0')),
                         10, top, 50);
            ValueLabel(&form, p, N("Label_TestVal", k), 70, top, 90);
            ValueLabel(&form, p, N("Label_TestValN", k), 170, top, 90);
            top += kRowPitch;
        }
    }
}

void BuildDryContactTest(vcl::TComponent& form)
{
    auto* p = Unbuilt(form, "Group_DryContactTest", QStringLiteral("Btn_DryContactTest3PON"));
    if (!p)
        return;
    int top = kFirstRowTop;
    for (auto [name, caption, left] : {std::tuple{"Btn_DryContactTest3PON", "ON", 10}, std::tuple{"Btn_DryContactTest3POFF", "OFF", 110}}) {
        auto* b = new vcl::TButton(&form);
        b->SetName(QLatin1String(name));
        b->SetParent(p);
        b->SetBounds(left, top, 90, 28);
        b->SetCaption(QLatin1String(caption));
    }
    static_cast<vcl::TControl*>(form.FindComponent(QStringLiteral("Btn_DryContactTest3POFF")))->SetEnabled(false);
    top += 40;
    auto* help = CaptionLabel(&form, p, QStringLiteral("Label6581"),
                              // One line of text (wrapped by the label), so that the language
                              // table, a table of one-line captions, can hold it.
                              QStringLiteral("For the Australian market. "
                                             "ON: once on grid, the inverter gives a signal on its dry contact "
                                             "for a sound or light device. "
                                             "After OFF the country may return to its default: choose the "
                                             "country again."),
                              10, top, p->Width() - 20);
    help->SetWordWrap(true);
    help->SetHeight(5 * 17);
    help->Font()->SetColor(vcl::clMaroon);
    help->Font()->SetStyle(vcl::fsBold);
}

} // namespace

const std::array<const char*, 8> kTemperatureTitles = {"Ambient", "Boost-1", "Boost-2", "Inverter-S",
                                                       "THS_R", "THS_S", "THS_T", "T_AMB"};

LiveGroups FindLiveGroups(const vcl::TComponent& form)
{
    LiveGroups g;
    const auto panel = [&form](const QString& name) { return FindPanel(form, name); };
    const auto label = [&form](const QString& name) { return FindLabel(form, name); };

    g.BusPanel = panel(QStringLiteral("Group_GetVbus"));
    g.TotalBusPanel = panel(QStringLiteral("Group_GetTotalBus"));
    g.AdcPanel = panel(QStringLiteral("Group_ADC"));
    g.PBus = label(QStringLiteral("Label_PBus"));
    g.NBus = label(QStringLiteral("Label_NBus"));
    g.TotalBus = label(QStringLiteral("Label_TotalBus"));
    g.PbusAdcVolt = label(QStringLiteral("Label_PbusAdcVolt"));
    for (int n = 0; n < 2; ++n) {
        g.LoadPanel[n] = panel(N("Group_LoadPower", n + 1));
        g.Load[n] = FindCells(form, kLoad[n]);
    }
    for (int i = 0; i < 14; ++i)
        for (int k = 0; k < kAdcPages[i].count; ++k)
            if (const char* n = kAdcPages[i].labels[static_cast<size_t>(k)])
                Add(g.AdcPages[i], form, k, QLatin1String(n), Show::Count);

    g.StandAlonePanel = panel(QStringLiteral("Group_StandAlone3P"));
    g.LnStPanel = panel(QStringLiteral("Group_LN_ST"));
    g.MaxOutputPanel = panel(QStringLiteral("Group_MaxOutputValue"));
    g.StandAlone = FindCells(form, kStandAlone);
    g.OutL1N = label(QStringLiteral("Label_OutL1_N"));
    g.OutL2N = label(QStringLiteral("Label_OutL2_N"));
    g.OutST = label(QStringLiteral("Label_Out_ST"));
    g.MaxOutput = FindCells(form, kMaxOutput);
    for (int p = 0; p < 3; ++p)
        g.MaxVac[p] = label(N("Label_MaxVac", p + 1));

    for (int n = 1; n <= 12; ++n) {
        g.InputPanel[n - 1] = panel(N("Group_GetDC", n));
        LabelCells& cells = n <= 6 ? g.Input1to6 : g.Input7to12;
        const int base = n <= 6 ? 3 * n - 2 : 3 * (n - 7);
        Add(cells, form, base, N("Label_Vdc", n), Show::Volt);
        Add(cells, form, base + 1, N("Label_Idc", n), Show::DcAmp);
        Add(cells, form, base + 2, N("Label_Pdc", n), Show::Watt);
    }
    g.StringPanel = panel(QStringLiteral("Group_StringCurr"));
    for (int k = 0; k < 24; ++k)
        Add(g.Strings, form, k, N("Label_StringCurr", k + 1), Show::DcAmpPlain);
    g.MaxInputPanel = panel(QStringLiteral("Group_MaxInputValue"));
    for (int n = 1; n <= 8; ++n) {
        LabelCells& cells = n <= 6 ? g.MaxInput1to6 : g.MaxInput7to8;
        const int base = n <= 6 ? 3 * (n - 1) : 3 * (n - 7);
        Add(cells, form, base, N("Label_MaxVdc", n), Show::Volt);
        Add(cells, form, base + 1, N("Label_MaxIdc", n), Show::DcAmp);
        Add(cells, form, base + 2, N("Label_MaxPdc", n), Show::WattPlain);
    }

    g.MeterPanel = {panel(QStringLiteral("Group_InternalMeterPhaseU")), panel(QStringLiteral("Group_InternalMeterPhaseW")),
                    panel(QStringLiteral("Group_InternalMeterPhaseUW"))};
    g.Meter = FindCells(form, kMeter);
    for (int i = 0; i < 6; ++i)
        g.MeterSum[static_cast<size_t>(i)] = label(QLatin1String(kMeterSums[i]));
    g.EnergyPanel = panel(QStringLiteral("Group_OutputPower"));
    g.Energy = FindCells(form, kEnergy);
    g.TotalWh = label(QStringLiteral("Label_TotalWh"));
    g.RelayPanel = panel(QStringLiteral("Group_DcRelayAccTimes"));
    g.Relay = FindCells(form, kRelay);

    for (int t = 0; t < 2; ++t) {
        g.TemperPanel[t] = panel(N("Group_Temper", t + 1));
        for (int k = 0; k < 4; ++k) {
            Add(g.TempNow[t], form, k, N("Label_Temperature", (t + 1) * 10 + k + 1), Show::Celsius);
            Add(g.TempMax[t], form, k, N("Label_MaxTemp", (t + 1) * 10 + k + 1), Show::Celsius);
        }
    }
    g.TestPanel = panel(QStringLiteral("Group_TestValue"));
    for (int k = 0; k < 12; ++k) {
        Add(g.TestFirst, form, k, N("Label_TestVal", k), Show::Signed);
        Add(g.TestSecond, form, k, N("Label_TestValN", k), Show::Signed);
    }
    return g;
}

LiveGroups BuildLiveGroups(vcl::TComponent& form)
{
    BuildBusAndLoads(form);
    BuildOutputSide(form);
    BuildDcInputs(form);
    BuildCounters(form);
    BuildTemperatures(form);
    BuildDryContactTest(form);
    return FindLiveGroups(form);
}

} // namespace groups

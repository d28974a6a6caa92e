#include "groups/Storage.h"

#include "common/Myfunc.h"
#include "groups/PanelControls.h"
#include "groups/PanelRows.h"
#include "groups/Version.h"

#include <QListWidget>
#include <algorithm>

namespace groups {

namespace {

using rows::AddRows;
using rows::L;
using rows::RowKind;

const QString kDegrees = QStringLiteral(" \u00B0C");

// How a word becomes the text of its label.
enum class Show {
    Int,           // "%i"
    SignedInt,     // signed "%i" (a temperature without its unit)
    IntPercent,    // "%i %"
    IntMilliVolt,  // "%i mV"
    IntKwhTight,   // "%ikWh"
    Tenth,         // x 0.1, "%.1f"
    TenthPercent,  // x 0.1 + " %"
    TenthKwh,      // x 0.1 + " KWh"
    TenthVolt,     // x 0.1 + " V"
    TenthAmpSigned,      // signed x 0.1 + " A"
    HundredthAmpSigned,  // signed x 0.01 + " A"
    TempInt,       // signed "%i" + " °C"
    TempTenth,     // signed x 0.1 + " °C"
};

QString Text(int w, Show how)
{
    const auto s16 = static_cast<std::int16_t>(static_cast<std::uint16_t>(w));
    switch (how) {
    case Show::Int: return QString::number(w);
    case Show::SignedInt: return QString::number(s16);
    case Show::IntPercent: return QString::number(w) + QStringLiteral(" %");
    case Show::IntMilliVolt: return QString::number(w) + QStringLiteral(" mV");
    case Show::IntKwhTight: return QString::number(w) + QStringLiteral("kWh");
    case Show::Tenth: return FormatDiv10(static_cast<float>(w));
    case Show::TenthPercent: return FormatDiv10(static_cast<float>(w)) + QStringLiteral(" %");
    case Show::TenthKwh: return FormatDiv10(static_cast<float>(w)) + QStringLiteral(" KWh");
    case Show::TenthVolt: return FormatDiv10(static_cast<float>(w)) + QStringLiteral(" V");
    case Show::TenthAmpSigned: return FormatDiv10(static_cast<float>(s16)) + QStringLiteral(" A");
    case Show::HundredthAmpSigned: return FormatDiv100(static_cast<float>(s16)) + QStringLiteral(" A");
    case Show::TempInt: return BatteryTemperature(w, false);
    case Show::TempTenth: return BatteryTemperature(w, true);
    }
    return QString();
}

struct Cell {
    int word;
    const char* label;   // the label's name after the group's prefix
    Show show;
};

const Cell kInfoFirst[] = {
    {0, "Status", Show::Int},        {2, "SOC", Show::TenthPercent},     {3, "SOH", Show::IntPercent},
    {5, "Event", Show::Int},         {6, "MaxVolt", Show::IntMilliVolt}, {8, "MinVolt", Show::IntMilliVolt},
    {9, "MaxT", Show::TempInt},      {10, "MinT", Show::TempInt},        {13, "Capacity", Show::TenthKwh},
    {16, "Mode", Show::Int},         {18, "RealSOC", Show::TenthPercent},
};

const Cell kModule[] = {
    {0, "Status", Show::Int},          {1, "Alarm", Show::Int},
    {2, "Error", Show::Int},           {3, "SOC", Show::TenthPercent},
    {4, "SOH", Show::TenthPercent},    {5, "MaxVolt", Show::IntMilliVolt},
    {6, "MinVolt", Show::IntMilliVolt}, {7, "Current", Show::HundredthAmpSigned},
    {8, "MaxT", Show::TempTenth},      {9, "MinT", Show::TempTenth},
    {12, "InputCap", Show::IntKwhTight}, {13, "OutputCap", Show::IntKwhTight},
};

const Cell kQr45Values[] = {
    {0, "WarnFlags", Show::Int}, {1, "AlarmFlags", Show::Int}, {2, "ErrorFlags", Show::Int},
    {17, "SOC", Show::Int},      {18, "SOH", Show::Int},       {20, "TotalVolt", Show::Int},
    {24, "MaxCellVolt", Show::Int}, {25, "MinCellVolt", Show::Int},
};

const Cell kDcbValues[] = {
    {0, "SOC", Show::Int},           {1, "SOH", Show::Int},          {2, "CycleCount", Show::Int},
    {3, "DCBVolt", Show::Int},       {7, "MaxCellVolt", Show::Int},  {8, "MinCellVolt", Show::Int},
    {14, "MaxCellTemper", Show::SignedInt}, {15, "MinCellTemper", Show::SignedInt},
    {21, "OutputCapacity", Show::Int},
};

void ShowTable(const Modbus& link, const vcl::TComponent& form, const QString& prefix, const Cell* first, const Cell* last)
{
    for (const Cell* c = first; c != last; ++c)
        SetText(FindLabel(form, prefix + QLatin1String(c->label)), Text(Word(link, c->word), c->show));
}

template <std::size_t N>
void ShowTable(const Modbus& link, const vcl::TComponent& form, const QString& prefix, const Cell (&table)[N])
{
    ShowTable(link, form, prefix, table, table + N);
}

// ---- Layout ----------------------------------------------------------------------------------

struct Line {
    const char* caption;
    const char* label;   // full name
};

// Caption and value a row, in a column from `left` `width` wide.
int Column(vcl::TComponent& form, vcl::TWinControl* p, std::initializer_list<Line> lines, int top, int left, int width,
           int captionWidth)
{
    for (const Line& l : lines) {
        CaptionLabel(&form, p, QStringLiteral("Caption_") + QLatin1String(l.label).mid(6), QString::fromUtf8(l.caption),
                     left, top + 3, captionWidth - 4);
        ValueLabel(&form, p, QLatin1String(l.label), left + captionWidth, top + 3, width - captionWidth - 4);
        top += kRowPitch;
    }
    return top;
}

void BuildInfo(vcl::TComponent& form, vcl::TWinControl* p)
{
    // Seventeen values: two columns keep them inside the panel's height.
    Column(form, p,
           {{"Status", "Label_BT_Status"}, {"SOC", "Label_BT_SOC"}, {"SOH", "Label_BT_SOH"},
            {"Real SOC", "Label_BT_RealSOC"}, {"Event", "Label_BT_Event"}, {"Mode", "Label_BT_Mode"},
            {"Max Cell", "Label_BT_MaxVolt"}, {"Min Cell", "Label_BT_MinVolt"}, {"Max Temp", "Label_BT_MaxT"}},
           kFirstRowTop, 8, 142, 74);
    Column(form, p,
           {{"Min Temp", "Label_BT_MinT"}, {"Capacity", "Label_BT_Capacity"}, {"Voltage", "Label_BT_Voltage"},
            {"Current", "Label_BT_Current"}, {"Power", "Label_BT_Power"}, {"RPR Pwr", "Label_BT_RPRPwr"},
            {"MCCL", "Label_BT_MCCL"}, {"MDCL", "Label_BT_MDCL"}},
           kFirstRowTop, 152, 146, 74);
}

void BuildModule(vcl::TComponent& form, vcl::TWinControl* p, int module)
{
    const QByteArray n = "Label_BTM" + QByteArray::number(module) + "_";
    const char* names[] = {"SN", "Status", "Alarm", "Error", "SOC", "SOH", "MaxVolt", "MinVolt", "Current",
                           "MaxT", "MinT", "InputCap", "OutputCap"};
    const char* captions[] = {"Serial Number", "Status", "Alarm", "Error", "SOC", "SOH", "Max Cell Volt",
                              "Min Cell Volt", "Current", "Max Temp", "Min Temp", "Input Capacity",
                              "Output Capacity"};
    int top = kFirstRowTop;
    for (std::size_t k = 0; k < std::size(names); ++k) {
        const QString label = QString::fromLatin1(n + names[k]);
        CaptionLabel(&form, p, QStringLiteral("Caption_") + label.mid(6), QLatin1String(captions[k]), 10, top + 3);
        ValueLabel(&form, p, label, kValueLeft, top + 3, p->Width() - kValueLeft - 8);
        top += kRowPitch;
    }
}

void BuildNamed(vcl::TComponent& form, vcl::TWinControl* p, const QString& prefix,
                std::initializer_list<std::pair<const char*, const char*>> rows)
{
    int top = kFirstRowTop;
    for (const auto& [name, caption] : rows) {
        const QString label = prefix + QLatin1String(name);
        CaptionLabel(&form, p, QStringLiteral("Caption_") + label.mid(6), QLatin1String(caption), 10, top + 3);
        ValueLabel(&form, p, label, kValueLeft, top + 3, p->Width() - kValueLeft - 8);
        top += kRowPitch;
    }
}

void BuildDcb(vcl::TComponent& form, vcl::TWinControl* p, const QString& prefix)
{
    BuildNamed(form, p, prefix,
               {{"BarcodeLabel", "Barcode"}, {"WarnFlags", "Warning Flags"}, {"AlarmFlags", "Alarm Flags"},
                {"ErrorFlags", "Error Flags"}, {"SOC", "SOC"}, {"SOH", "SOH"}, {"CycleCount", "Cycle Count"},
                {"DCBVolt", "DCB Voltage"}, {"MaxCellVolt", "Max Cell Volt"}, {"MinCellVolt", "Min Cell Volt"},
                {"MaxCellTemper", "Max Cell Temp"}, {"MinCellTemper", "Min Cell Temp"},
                {"OutputCapacity", "Output Capacity"}});
}

vcl::TListBox* OneRowList(vcl::TComponent& form, vcl::TWinControl* parent, const QString& name, int items, int step,
                          int left, int top)
{
    auto* list = new vcl::TListBox(&form);
    list->SetName(name);
    list->SetParent(parent);
    for (int k = 0; k < items; ++k)
        list->Items()->Add(QString::asprintf("%02d", k * step));
    // Exactly one row high, scrolled by its arrows like a spin field.
    auto* view = static_cast<QListWidget*>(list->Handle());
    view->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    const int row = std::max(view->sizeHintForRow(0), 14);
    list->SetItemHeight(row);
    list->SetBounds(left, top, 38, row + 2 * view->frameWidth());
    // A page scroll passing over it must not move the window's time.
    list->SetWheelAfterClick(true);
    return list;
}

// One group box of three windows: per window the four lists, its buttons, and the times read back.
int WindowBox(vcl::TComponent& form, vcl::TWinControl* p, bool charge, int top)
{
    const int w = p->Width();
    auto* box = new vcl::TGroupBox(&form);
    box->SetName(charge ? QStringLiteral("GroupBox_BTCharge") : QStringLiteral("GroupBox_BTDCHG"));
    box->SetParent(p);
    box->SetCaption(charge ? QStringLiteral("BT Charge") : QStringLiteral("BT DCHG"));
    const int height = 18 + 3 * 40 + 4;
    box->SetBounds(4, top, w - 8, height);
    const QString lists = charge ? QStringLiteral("List_BTC_T") : QStringLiteral("List_BTDCHG_T");
    const QString labels = charge ? QStringLiteral("Label_BT_Charge_T") : QStringLiteral("Label_BT_DCHG_T");
    const QString buttons = charge ? QStringLiteral("Btn_BTChargeT") : QStringLiteral("Btn_BTDCHGT");
    for (int t = 1; t <= 3; ++t) {
        const int y = 18 + (t - 1) * 40;
        const QString n = QString::number(t);
        OneRowList(form, box, lists + n + QStringLiteral("StartHour"), 24, 1, 8, y);
        OneRowList(form, box, lists + n + QStringLiteral("StartMin"), 2, 30, 47, y);
        CaptionLabel(&form, box, QStringLiteral("Caption_BT%1_T%2To").arg(charge ? "C" : "D").arg(t), QStringLiteral("~"),
                     88, y + 2, 10);
        OneRowList(form, box, lists + n + QStringLiteral("StopHour"), 24, 1, 98, y);
        OneRowList(form, box, lists + n + QStringLiteral("StopMin"), 2, 30, 137, y);
        PanelButton(&form, box, buttons + n + QStringLiteral("Set"), QStringLiteral("T%1 Set").arg(t), 176, y - 2, 48);
        PanelButton(&form, box, buttons + n + QStringLiteral("Clear"), QStringLiteral("T%1 Clear").arg(t), 226, y - 2,
                    w - 8 - 226 - 4);
        ValueLabel(&form, box, labels + n + QStringLiteral("Start"), 10, y + 21, 76);
        ValueLabel(&form, box, labels + n + QStringLiteral("Stop"), 104, y + 21, 76);
    }
    return top + height + 4;
}

void BuildCtrl(vcl::TComponent& form, vcl::TWinControl* p)
{
    const int w = p->Width();
    int top = AddRows(form, p,
                      {{RowKind::ValueCombo, "Mode", "Label_BT_CtrlMode", "Combo_BT_CtrlMode",
                        {"1: Selfconsumption", "2: Peak Cut", "3: Selling First", "4: Charge First",
                         "5: Discharge First", "6: Without Battery"}},
                       {RowKind::ValueEdit, "SOC Limit", "Label_SOC_Limit", "Edit_SOC_Limit"},
                       {RowKind::ValueEdit, "Peak Cut Power", "Label_Peak_Cut_Power", "Edit_Peak_Cut_Power"}},
                      kFirstRowTop - 4, w);
    // The mode names are long: the label takes the caption's room, the caption stays short.
    if (auto* mode = L(form, "Label_BT_CtrlMode"))
        mode->SetBounds(60, mode->Top(), w - 60 - 118, mode->Height());
    if (auto* soc = FindAs<vcl::TEdit>(form, QStringLiteral("Edit_SOC_Limit"))) {
        soc->SetHint(QStringLiteral("0~70%"));
        soc->SetShowHint(true);
    }
    top = WindowBox(form, p, true, top);
    WindowBox(form, p, false, top);
}

void BuildSubsidy(vcl::TComponent& form, vcl::TWinControl* p)
{
    AddRows(form, p,
            {{RowKind::ValueCombo, "Subsidy Mode", "Label_Subsidy_Mode", "Combo_Subsidy_Mode", {"OFF", "ON"}},
             {RowKind::ValueEdit, "PV Capacity", "Label_PV_Capacity", "Edit_PV_Capacity"},
             {RowKind::ValueEdit, "Feed-in Percent", "Label_Feedin_Percent", "Edit_Feedin_Percent"}},
            kFirstRowTop - 4, p->Width());
}

void BlueAll(const vcl::TComponent& form, std::initializer_list<QString> names)
{
    for (const QString& n : names)
        rows::Blue(FindLabel(form, n));
}

} // namespace

QString BatteryTemperature(int word, bool tenths)
{
    const int v = static_cast<std::int16_t>(static_cast<std::uint16_t>(word));
    return (tenths ? FormatDiv10(static_cast<float>(v)) : QString::number(v)) + kDegrees;
}

int WindowTime(const vcl::TComponent& form, const QString& lists, bool stop)
{
    const QString side = stop ? QStringLiteral("Stop") : QStringLiteral("Start");
    auto top = [&](const QString& part) {
        auto* list = FindAs<vcl::TListBox>(form, lists + side + part);
        return list ? list->TopIndex() : 0;
    };
    return top(QStringLiteral("Hour")) * 100 + top(QStringLiteral("Min")) * 30;
}

const char* BatteryModeName(int word)
{
    static const char* const kModes[9] = {"Standby", "Selfconsumption", "Peak Cut", "Selling First", "Charge First",
                                          "Discharge First", "Without Battery", "Maintenance", "Standalone"};
    return word >= 0 && word <= 8 ? kModes[word] : nullptr;
}

StorageGroups FindStorageGroups(const vcl::TComponent& form)
{
    StorageGroups g;
    g.Info = FindPanel(form, QStringLiteral("Group_BT_Info"));
    g.Ctrl = FindPanel(form, QStringLiteral("Group_BT_CTRL"));
    g.Subsidy = FindPanel(form, QStringLiteral("Group_Subsidy"));
    g.Module1 = FindPanel(form, QStringLiteral("Group_BT_Module1"));
    g.Module2 = FindPanel(form, QStringLiteral("Group_BT_Module2"));
    g.Qr45 = FindPanel(form, QStringLiteral("Group_Qr45Info"));
    g.MasterDcb = FindPanel(form, QStringLiteral("Group_MasterDCB"));
    g.SlaveDcb = FindPanel(form, QStringLiteral("Group_SlaveDCB"));
    return g;
}

StorageGroups BuildStorageGroups(vcl::TComponent& form)
{
    const StorageGroups g = FindStorageGroups(form);
    auto fresh = [&form](vcl::TWinControl* panel, const char* marker) {
        return panel && !form.FindComponent(QLatin1String(marker));
    };
    if (fresh(g.Info, "Label_BT_Status"))
        BuildInfo(form, g.Info);
    if (fresh(g.Ctrl, "Label_BT_CtrlMode"))
        BuildCtrl(form, g.Ctrl);
    if (fresh(g.Subsidy, "Label_Subsidy_Mode"))
        BuildSubsidy(form, g.Subsidy);
    if (fresh(g.Module1, "Label_BTM1_Status"))
        BuildModule(form, g.Module1, 1);
    if (fresh(g.Module2, "Label_BTM2_Status"))
        BuildModule(form, g.Module2, 2);
    if (fresh(g.Qr45, "Label_QR45_SN"))
        BuildNamed(form, g.Qr45, QStringLiteral("Label_QR45_"),
                   {{"SN", "Serial Number"}, {"FwVersion", "FW Version"}, {"FwDate", "FW Date"},
                    {"WarnFlags", "Warning Flags"}, {"AlarmFlags", "Alarm Flags"}, {"ErrorFlags", "Error Flags"},
                    {"SOC", "SOC"}, {"SOH", "SOH"}, {"TotalVolt", "Total Voltage"},
                    {"MaxCellVolt", "Max Cell Volt"}, {"MinCellVolt", "Min Cell Volt"}});
    if (fresh(g.MasterDcb, "Label_MasterDCB_SOC"))
        BuildDcb(form, g.MasterDcb, QStringLiteral("Label_MasterDCB_"));
    if (fresh(g.SlaveDcb, "Label_SlaveDCB_SOC"))
        BuildDcb(form, g.SlaveDcb, QStringLiteral("Label_SlaveDCB_"));
    return g;
}

int ReadBatteryInfo(Modbus& link, const ReaderContext& ctx, const StorageGroups& g, vcl::TComponent& form, std::uint8_t stop)
{
    const int frame = FrameStart(link, stop, {g.Info}, QStringLiteral("BT Info..."));
    if (frame >= 0)
        return frame;
    const QString prefix = QStringLiteral("Label_BT_");
    if (link.Request(1536, 19, 4))
        return 1;
    if (Accepted(link, 4))
        ShowTable(link, form, prefix, kInfoFirst);
    if (link.Request(1564, 4, 4))
        return 1;
    if (Accepted(link, 4)) {
        const int multiplier = ctx.PowerMultiplier ? *ctx.PowerMultiplier : 1;
        SetText(L(form, "Label_BT_RPRPwr"), QString::number(SignedWord(link, 0) * 10) + QStringLiteral(" W"));
        SetText(L(form, "Label_BT_Voltage"), Text(Word(link, 1), Show::TenthVolt));
        SetText(L(form, "Label_BT_Current"), Text(Word(link, 2), Show::HundredthAmpSigned));
        SetText(L(form, "Label_BT_Power"), QString::number(SignedWord(link, 3) * multiplier) + QStringLiteral(" W"));
    }
    if (link.Request(25614, 2, 3))
        return 1;
    if (Accepted(link, 3)) {
        SetText(L(form, "Label_BT_MCCL"), Text(Word(link, 0), Show::TenthAmpSigned));
        SetText(L(form, "Label_BT_MDCL"), Text(Word(link, 1), Show::TenthAmpSigned));
    }
    return 0;
}

int ReadBatteryCtrl(Modbus& link, const StorageGroups& g, vcl::TComponent& form, std::uint8_t stop)
{
    const int frame = FrameStart(link, stop, {g.Ctrl}, QStringLiteral("BT CTRL..."));
    if (frame >= 0)
        return frame;
    if (link.Request(25617, 4, 3))
        return 1;
    if (Accepted(link, 3)) {
        SetText(L(form, "Label_SOC_Limit"), Text(Word(link, 0), Show::IntPercent));
        SetText(L(form, "Label_Peak_Cut_Power"), QString::number(Word(link, 3)) + QStringLiteral(" kW"));
    }
    if (link.Request(25627, 1, 3))
        return 1;
    if (Accepted(link, 3))
        if (const char* mode = BatteryModeName(Word(link, 0)))
            SetText(L(form, "Label_BT_CtrlMode"), QLatin1String(mode));
    // The windows in register order: charge 1 to 3, then discharge 1 to 3, start before stop.
    QStringList windows;
    for (const char* kind : {"Charge", "DCHG"})
        for (int t = 1; t <= 3; ++t)
            for (const char* side : {"Start", "Stop"})
                windows << QStringLiteral("Label_BT_%1_T%2%3").arg(QLatin1String(kind)).arg(t).arg(QLatin1String(side));
    if (link.Request(25635, 12, 3))
        return 1;
    if (Accepted(link, 3))
        for (int k = 0; k < 12; ++k)
            SetText(FindLabel(form, windows[k]), FormatHhMm(Word(link, k)));
    // Read back, whatever the replies: the settings posted are no longer pending.
    BlueAll(form, {QStringLiteral("Label_SOC_Limit"), QStringLiteral("Label_Peak_Cut_Power"),
                   QStringLiteral("Label_BT_CtrlMode")});
    for (const QString& n : windows)
        rows::Blue(FindLabel(form, n));
    return 0;
}

int ReadSubsidy(Modbus& link, const StorageGroups& g, vcl::TComponent& form, std::uint8_t stop)
{
    const int frame = FrameStart(link, stop, {g.Subsidy}, QStringLiteral("Subsidy..."));
    if (frame >= 0)
        return frame;
    if (link.Request(25632, 3, 3))
        return 1;
    if (Accepted(link, 3)) {
        const int mode = Word(link, 0);
        if (mode == 0 || mode == 1)
            SetText(L(form, "Label_Subsidy_Mode"), mode == 1 ? QStringLiteral("ON") : QStringLiteral("OFF"));
        SetText(L(form, "Label_PV_Capacity"), Text(Word(link, 1), Show::TenthKwh));
        SetText(L(form, "Label_Feedin_Percent"), Text(Word(link, 2), Show::IntPercent));
    }
    BlueAll(form, {QStringLiteral("Label_Subsidy_Mode"), QStringLiteral("Label_PV_Capacity"),
                   QStringLiteral("Label_Feedin_Percent")});
    return 0;
}

int ReadBatteryModule(Modbus& link, const StorageGroups& g, vcl::TComponent& form, int module, std::uint8_t stop)
{
    const bool second = module == 2;
    const int frame = FrameStart(link, stop, {second ? g.Module2 : g.Module1},
                                 second ? QStringLiteral("BTM2...") : QStringLiteral("BTM1..."));
    if (frame >= 0)
        return frame;
    const QString prefix = second ? QStringLiteral("Label_BTM2_") : QStringLiteral("Label_BTM1_");
    if (link.Request(second ? 1616 : 1600, 14, 4))
        return 1;
    if (Accepted(link, 4))
        ShowTable(link, form, prefix, kModule);
    if (link.Request(second ? 1682 : 1666, 8, 4))
        return 1;
    if (Accepted(link, 4))
        SetText(FindLabel(form, prefix + QStringLiteral("SN")), SerialText(&link.Reply[3], 16));
    return 0;
}

int ReadQR45(Modbus& link, const StorageGroups& g, vcl::TComponent& form, std::uint8_t stop)
{
    const int frame = FrameStart(link, stop, {g.Qr45}, QStringLiteral("QR45..."));
    if (frame >= 0)
        return frame;
    if (link.Request(24832, 8, 3))
        return 1;
    if (Accepted(link, 3))
        SetText(L(form, "Label_QR45_SN"), SerialText(&link.Reply[3], 16));
    if (link.Request(1044, 2, 4))
        return 1;
    if (Accepted(link, 4)) {
        SetText(L(form, "Label_QR45_FwVersion"), VersionText(Word(link, 0)));
        SetText(L(form, "Label_QR45_FwDate"), BuildWeekText(Word(link, 1)));
    }
    if (link.Request(31026, 26, 4))
        return 1;
    if (Accepted(link, 4))
        ShowTable(link, form, QStringLiteral("Label_QR45_"), kQr45Values);
    return 0;
}

int ReadDcBoard(Modbus& link, const StorageGroups& g, vcl::TComponent& form, bool slave, std::uint8_t stop)
{
    const int frame = FrameStart(link, stop, {slave ? g.SlaveDcb : g.MasterDcb},
                                 slave ? QStringLiteral("S_DCB...") : QStringLiteral("M_DCB..."));
    if (frame >= 0)
        return frame;
    const int offset = slave ? 128 : 0;
    const QString prefix = slave ? QStringLiteral("Label_SlaveDCB_") : QStringLiteral("Label_MasterDCB_");
    if (link.Request(35209 + offset, 8, 4))
        return 1;
    if (Accepted(link, 4))
        SetText(FindLabel(form, prefix + QStringLiteral("BarcodeLabel")), SerialText(&link.Reply[3], 16));
    if (link.Request(35122 + offset, 3, 4))
        return 1;
    if (Accepted(link, 4)) {
        SetText(FindLabel(form, prefix + QStringLiteral("WarnFlags")), QString::number(Word(link, 0)));
        SetText(FindLabel(form, prefix + QStringLiteral("AlarmFlags")), QString::number(Word(link, 1)));
        SetText(FindLabel(form, prefix + QStringLiteral("ErrorFlags")), QString::number(Word(link, 2)));
    }
    if (link.Request(35139 + offset, 22, 4))
        return 1;
    if (Accepted(link, 4))
        ShowTable(link, form, prefix, kDcbValues);
    return 0;
}

} // namespace groups

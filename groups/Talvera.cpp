#include "groups/Talvera.h"

#include "common/Myfunc.h"
#include "groups/PanelRows.h"

namespace groups {

using rows::AddRows;
using rows::L;
using rows::RowKind;

namespace {

struct ValuePanel {
    const char* panel;
    const char* progress;
    int subs[4];
    const char* labels[4];
};

const ValuePanel kDc1{"Group_TalveraDc1", "Dc1...", {2, 1, 3, 0x0C},
                      {"Label_TalveraVdcActual1", "Label_TalveraIdcActual1", "Label_TalveraPdcActual1", "Label_TalveraIsoActual1"}};
const ValuePanel kDc2{"Group_TalveraDc2", "Dc2...", {5, 4, 6, 0x0D},
                      {"Label_TalveraVdcActual2", "Label_TalveraIdcActual2", "Label_TalveraPdcActual2", "Label_TalveraIsoActual2"}};
const ValuePanel kAc1{"Group_TalveraAc1", "Ac1...", {7, 8, 9, 0x0A},
                      {"Label_TalveraVacActual1", "Label_TalveraIacActual1", "Label_TalveraPacActual1", "Label_TalveraFacActual1"}};

bool Acknowledged(const Modbus& link) { return link.Reply[1] == 0x06 && link.ReplyOk == 1; }

// The reply's bytes from `from` on, `count` of them, as characters (never past the reply);
// control bytes are no part of a device's text and are dropped.
QString ReplyText(const Modbus& link, int from, int count)
{
    QString out;
    const int end = std::min(from + std::max(count, 0), static_cast<int>(link.ReplyLength));
    for (int k = from; k < end; ++k)
        if (link.Reply[k] >= 0x20 && link.Reply[k] != 0x7F)
            out += QChar::fromLatin1(static_cast<char>(link.Reply[k]));
    return out;
}

// An acknowledge of 0x02, 0x06, ID, length, the two echoes, `data` bytes, CRC and 0x03.
bool CarriesData(const Modbus& link, int data) { return link.ReplyLength >= 9 + data && link.Reply[3] >= 2 + data; }

void BuildValues(vcl::TComponent& form, vcl::TWinControl* p, const ValuePanel& v, bool ac)
{
    if (!p || form.FindComponent(QLatin1String(v.labels[0])))
        return;
    const char* captions[2][4] = {{"Voltage (V)", "Current (A)", "Power (W)", "Isolation (kOhm)"},
                                  {"Voltage (V)", "Current (A)", "Power (W)", "Frequency (Hz)"}};
    std::vector<rows::Row> r;
    for (int k = 0; k < 4; ++k)
        r.push_back({RowKind::Value, captions[ac ? 1 : 0][k], v.labels[k]});
    AddRows(form, p, r, kFirstRowTop, p->Width());
}

int ReadValues(Modbus& link, vcl::TWinControl* panel, vcl::TComponent& form, std::uint8_t stop, const ValuePanel& v)
{
    const int frame = FrameStart(link, stop, {panel}, QLatin1String(v.progress));
    if (frame >= 0)
        return frame;
    for (int k = 0; k < 4; ++k) {
        if (link.RequestStx(0x10, static_cast<std::uint8_t>(v.subs[k])))
            return 1;
        if (!Acknowledged(link) || !CarriesData(link, 2))
            continue;
        const int value = link.Reply[6] * 256 + link.Reply[7];
        SetText(L(form, v.labels[k]), k == 1 ? FormatDiv10(static_cast<float>(value)) : QString::number(value));
    }
    return 0;
}

} // namespace

TalveraGroups BuildTalveraGroups(vcl::TComponent& form)
{
    TalveraGroups g;
    g.Test = FindPanel(form, QStringLiteral("Group_TalveraTest"));
    g.Dc1 = FindPanel(form, QLatin1String(kDc1.panel));
    g.Dc2 = FindPanel(form, QLatin1String(kDc2.panel));
    g.Ac1 = FindPanel(form, QLatin1String(kAc1.panel));
    if (g.Test && !form.FindComponent(QStringLiteral("Label_TalveraType")))
        AddRows(form, g.Test,
                {{RowKind::Value, "Type", "Label_TalveraType"},
                 {RowKind::Value, "Serial Number", "Label_TalveraSN"},
                 {RowKind::Value, "SAP Number", "Label_TalveraSAP"},
                 {RowKind::Value, "Date", "Label_TalveraDate"},
                 {RowKind::Value, "Time", "Label_TalveraTime"}},
                kFirstRowTop, g.Test->Width());
    BuildValues(form, g.Dc1, kDc1, false);
    BuildValues(form, g.Dc2, kDc2, false);
    BuildValues(form, g.Ac1, kAc1, true);
    return g;
}

int ReadTalveraTest(Modbus& link, const TalveraGroups& g, vcl::TComponent& form, std::uint8_t stop)
{
    const int frame = FrameStart(link, stop, {g.Test}, QStringLiteral("Talvera..."));
    if (frame >= 0)
        return frame;
    const std::uint8_t subs[] = {0x00, 0x01, 0x09, 0x20, 0x21};
    for (std::uint8_t sub : subs) {
        if (link.RequestStx(0x00, sub))
            return 1;
        if (!Acknowledged(link))
            continue;
        const std::uint8_t* r = link.Reply;
        const int length = r[3];
        switch (sub) {
        case 0x00:
            SetText(L(form, "Label_TalveraType"), ReplyText(link, 8, length - 4));
            break;
        case 0x01:
            SetText(L(form, "Label_TalveraSN"), ReplyText(link, 6, length - 2));
            break;
        case 0x09:
            SetText(L(form, "Label_TalveraSAP"), ReplyText(link, 6, length - 2));
            break;
        case 0x20:
            if (CarriesData(link, 4))
                SetText(L(form, "Label_TalveraDate"), QString::number(r[8]) + QLatin1Char('/') + QString::number(r[7])
                                                          + QStringLiteral("/20") + QString::number(r[9] / 10)
                                                          + QString::number(r[9] % 10));
            break;
        default:
            if (CarriesData(link, 3))
                SetText(L(form, "Label_TalveraTime"), QString::number(r[6]) + QLatin1Char(':') + QString::number(r[7])
                                                          + QLatin1Char(':') + QString::number(r[8]));
            break;
        }
    }
    return 0;
}

int ReadTalveraDc1(Modbus& link, const TalveraGroups& g, vcl::TComponent& form, std::uint8_t stop)
{
    return ReadValues(link, g.Dc1, form, stop, kDc1);
}

int ReadTalveraDc2(Modbus& link, const TalveraGroups& g, vcl::TComponent& form, std::uint8_t stop)
{
    return ReadValues(link, g.Dc2, form, stop, kDc2);
}

int ReadTalveraAc1(Modbus& link, const TalveraGroups& g, vcl::TComponent& form, std::uint8_t stop)
{
    return ReadValues(link, g.Ac1, form, stop, kAc1);
}

} // namespace groups

#include "groups/Version.h"

#include "common/Myfunc.h"
#include "link/LinkHost.h"

namespace groups {

namespace {

constexpr int kProtocolWord = 802;
constexpr int kIdentityBlock = 40963;   // 0xA003
constexpr int kIdentityWords = 33;
constexpr int kModelName = 44032;       // 0xAC00
constexpr int kModelWords = 8;
constexpr int kDeviceTypeWord = 25338;  // 0x62FA
constexpr int kTypeSerialBlock = 24832; // 0x6100, serial number of devices of type 0x1107
constexpr int kTypeSerialWords = 7;
constexpr int kSub1GVersion = 60673;    // 0xED01
constexpr std::uint8_t kIllegalAddress = 2;   // the exception code of a register the device lacks

// Device texts keep what they carry except control characters.
void AppendDeviceChar(QString& text, std::uint8_t b)
{
    if (b >= 0x20 && b != 0x7F)
        text += QChar(b);
}

// Row of a version label with its caption.
struct Row {
    const char* caption;
    const char* captionName;
    const char* value;
};

} // namespace

QString VersionText(int word)
{
    const int hi = (word >> 8) & 0xFF, lo = word & 0xFF;
    return QStringLiteral("V%1.%2%3").arg(hi).arg(lo / 10).arg(lo % 10);
}

QString BuildWeekText(int word)
{
    const int hi = (word >> 8) & 0xFF, lo = word & 0xFF;
    return QStringLiteral("Y%1W%2%3").arg(hi).arg(lo / 10).arg(lo % 10);
}

QString SerialText(const std::uint8_t* bytes, int n)
{
    QString s;
    for (int i = 0; i < n; ++i)
        if (bytes[i] >= 48 && bytes[i] <= 90)
            s += QChar(bytes[i]);
    return s;
}

VersionGroup FindVersionGroup(const vcl::TComponent& form)
{
    VersionGroup g;
    g.Panel = FindPanel(form, QStringLiteral("Group_Version"));
    g.DisplayRev = FindLabel(form, QStringLiteral("Label_Display_Rev"));
    g.CommDate = FindLabel(form, QStringLiteral("Label_COMM_Date"));
    g.DspRev = FindLabel(form, QStringLiteral("Label_DSP_Rev"));
    g.DspDate = FindLabel(form, QStringLiteral("Label_DSP_Date"));
    g.RedundantRev = FindLabel(form, QStringLiteral("Label_Redundant_Rev"));
    g.RedDate = FindLabel(form, QStringLiteral("Label_RED_Date"));
    g.DateSeparators = {FindLabel(form, QStringLiteral("Label1022")), FindLabel(form, QStringLiteral("Label1023")),
                        FindLabel(form, QStringLiteral("Label1024"))};
    g.ArcRev = FindLabel(form, QStringLiteral("Label_ARC_Rev"));
    g.ArcCaption = FindLabel(form, QStringLiteral("Label5144"));
    g.ScmRev = FindLabel(form, QStringLiteral("Label_SCM_Rev"));
    g.ScmCaption = FindLabel(form, QStringLiteral("Label5145"));
    g.Sub1GRev = FindLabel(form, QStringLiteral("Label_Sub1G_Rev"));
    g.Sub1GCaption = FindLabel(form, QStringLiteral("Label5146"));
    g.SerialNumber = FindLabel(form, QStringLiteral("Label_VantoSN"));
    g.ModelName = FindLabel(form, QStringLiteral("Label_ModelName"));
    g.InvProtocol = FindLabel(form, QStringLiteral("Label_InvProtocol"));
    g.ImageVantoSun = dynamic_cast<vcl::TControl*>(form.FindComponent(QStringLiteral("Image_VantoSun")));
    g.ImageSunVanto = dynamic_cast<vcl::TControl*>(form.FindComponent(QStringLiteral("Image_SunVanto")));
    g.SerialNumber1 = FindLabel(form, QStringLiteral("Label_VantoSN1"));
    g.ModelName2 = FindLabel(form, QStringLiteral("Label_ModelName2"));
    return g;
}

VersionGroup BuildVersionGroup(vcl::TComponent& form)
{
    auto* panel = FindPanel(form, QStringLiteral("Group_Version"));
    if (panel && !form.FindComponent(QStringLiteral("Label_Display_Rev"))) {
        static const Row rows[] = {
            {"COMM FW Version", "Label5141", "Label_Display_Rev"},
            {"DSP FW Version", "Label5142", "Label_DSP_Rev"},
            {"RED FW Version", "Label5143", "Label_Redundant_Rev"},
            {"ARC FW Version", "Label5144", "Label_ARC_Rev"},
            {"SCM FW Version", "Label5145", "Label_SCM_Rev"},
            {"Sub-1G FW Version", "Label5146", "Label_Sub1G_Rev"},
            {"Serial Number", "Label5147", "Label_VantoSN"},
            {"Model Name", "Label5148", "Label_ModelName"},
        };
        // Build weeks beside the first three versions, hidden until the mode asks for them.
        static const char* const dates[3][2] = {
            {"Label1022", "Label_COMM_Date"}, {"Label1023", "Label_DSP_Date"}, {"Label1024", "Label_RED_Date"}};
        int top = kFirstRowTop;
        int i = 0;
        for (const Row& r : rows) {
            CaptionLabel(&form, panel, QLatin1String(r.captionName), QLatin1String(r.caption), 10, top, 125);
            ValueLabel(&form, panel, QLatin1String(r.value), 140, top, i < 3 ? 60 : 150);
            if (i < 3) {
                CaptionLabel(&form, panel, QLatin1String(dates[i][0]), QStringLiteral(" / "), 200, top, 14)->SetVisible(false);
                ValueLabel(&form, panel, QLatin1String(dates[i][1]), 214, top, 76)->SetVisible(false);
            }
            top += kRowPitch;
            ++i;
        }
    }
    return FindVersionGroup(form);
}

namespace {

// Phase count (word 24) and the scale descriptor (word 32) of an accepted identity block.
void TakeScaleWords(const Modbus& link, const ReaderContext& ctx)
{
    *ctx.PhaseCount = Word(link, 24);
    DecodeScaleDescriptor(Word(link, 32), ctx.PhaseCount, ctx.IdcDivisor, ctx.PowerMultiplier,
                          ctx.EnergyMultiplier, ctx.IacDivisor, ctx.VoltageDivisor);
}

// The device-type word: signed power and current words for the types 0x20.., 0x21.., 0x30..,
// 0x31..; with the identity block read as well the scale factors are known. An inverter that
// answers that it has no such word (exception 2, illegal data address) has unsigned words: that
// is an answer too, or such an inverter would never show a value. type stays as it is without
// an accepted reply; no reply, a spoilt one or another exception (busy, failure) changes
// nothing. false when the link failed.
bool RequestDeviceType(Modbus& link, const ReaderContext& ctx, bool identityRead, int& type)
{
    if (link.Request(kDeviceTypeWord, 1, 3))
        return false;
    const bool typed = Accepted(link, 3);
    const bool noSuchWord = Accepted(link, 0x80 | 3) && link.ReplyLength >= 5 && link.Reply[2] == kIllegalAddress;
    if (!typed && !noSuchWord)
        return true;
    int hi = 0;
    if (typed) {
        type = Word(link, 0);
        hi = type >> 8;
    }
    *ctx.SignedValues = (hi == 0x20 || hi == 0x21 || hi == 0x30 || hi == 0x31) ? 1 : 0;
    if (identityRead && ctx.ScaleFactorsKnown)
        *ctx.ScaleFactorsKnown = true;
    return true;
}

void ShowScaleFactors(Modbus& link, const ReaderContext& ctx, int type)
{
    link.Host().SetStatusPanel(6, QStringLiteral("Idc:%1 ; P:%2 ; E:%3 ; Iac:%4 ; V:%5")
                                      .arg(*ctx.IdcDivisor).arg(*ctx.PowerMultiplier).arg(*ctx.EnergyMultiplier)
                                      .arg(*ctx.IacDivisor).arg(*ctx.VoltageDivisor));
    link.Host().SetStatusPanel(7, QStringLiteral("Type:0x") + QStringLiteral("%1").arg(type < 0 ? 0 : type, 4, 16, QLatin1Char('0')).toUpper());
}

} // namespace

int ReadVersion(Modbus& link, const ReaderContext& ctx, VersionGroup& g, std::uint8_t stop)
{
    const int frame = FrameStart(link, stop, {g.Panel}, QStringLiteral("Version..."));
    if (frame >= 0)
        return frame;

    // 1. Protocol: the maker's own (0) or SunSpec (5).
    if (link.Request(kProtocolWord, 1, 3))
        return 1;
    if (Accepted(link, 3)) {
        const int w = Word(link, 0);
        SetText(g.InvProtocol, w == 0 ? QStringLiteral("Vanto") : w == 5 ? QStringLiteral("SunSpec") : QStringLiteral("???"));
        if (g.InvProtocol)
            g.InvProtocol->Font()->SetColor(vcl::clGreen);
        SetVisible(g.ImageVantoSun, w == 0);
        SetVisible(g.ImageSunVanto, w != 0);
    }

    // 2. Identity: versions, build weeks, serial number, phase count and scale descriptor.
    QString serial;
    bool serialRead = false;
    bool identityRead = false;
    if (link.Request(kIdentityBlock, kIdentityWords, 4))
        return 1;
    if (Accepted(link, 4)) {
        SetText(g.DisplayRev, VersionText(Word(link, 0)));
        SetText(g.CommDate, BuildWeekText(Word(link, 1)));
        SetText(g.DspRev, VersionText(Word(link, 2)));
        SetText(g.DspDate, BuildWeekText(Word(link, 3)));
        SetText(g.RedundantRev, VersionText(Word(link, 4)));
        SetText(g.RedDate, BuildWeekText(Word(link, 5)));
        const bool dates = *ctx.ShowFirmwareDates != 0;
        for (vcl::TLabel* l : {g.CommDate, g.DspDate, g.RedDate, g.DateSeparators[0], g.DateSeparators[1], g.DateSeparators[2]})
            SetVisible(l, dates);
        const int arc = Word(link, 6), scm = Word(link, 8);
        SetText(g.ArcRev, (arc >> 8) == 255 ? QStringLiteral(".") : VersionText(arc));
        SetVisible(g.ArcCaption, (arc >> 8) != 255);
        SetText(g.ScmRev, (scm >> 8) == 255 ? QStringLiteral(".") : VersionText(scm));
        SetVisible(g.ScmCaption, (scm >> 8) != 255);
        serial = SerialText(&link.Reply[3 + 2 * 12], 14);
        serialRead = true;
        TakeScaleWords(link, ctx);
        identityRead = true;
    }

    // 3. Model name: 13 characters.
    if (link.Request(kModelName, kModelWords, 3))
        return 1;
    if (Accepted(link, 3)) {
        QString model;
        for (int i = 0; i < 13; ++i)
            AppendDeviceChar(model, link.Reply[3 + i]);
        SetText(g.ModelName, model);
        SetText(g.ModelName2, model);
    }

    // 4. Device type: signed values for the types 0x20.., 0x21.., 0x30.., 0x31..; type 0x1107
    // keeps its serial number in a block of its own. Nothing changes without an accepted reply.
    int type = -1;
    if (!RequestDeviceType(link, ctx, identityRead, type))
        return 1;
    if (type == 0x1107) {
        if (link.Request(kTypeSerialBlock, kTypeSerialWords, 3))
            return 1;
        if (Accepted(link, 3)) {
            static const int order[13] = {0, 3, 2, 5, 4, 7, 6, 9, 8, 11, 10, 13, 12};
            serial.clear();
            for (int k : order)
                AppendDeviceChar(serial, link.Reply[3 + k]);
            serialRead = true;
        }
    }

    // 5. The serial number, only when one was read.
    if (serialRead) {
        SetText(g.SerialNumber, serial);
        if (g.SerialNumber)
            g.SerialNumber->Font()->SetColor(vcl::clBlue);
        SetText(g.SerialNumber1, serial);
    }

    // 6. Sub-1G module firmware.
    if (link.Request(kSub1GVersion, 1, 3))
        return 1;
    const bool sub1g = Accepted(link, 3);
    SetText(g.Sub1GRev, sub1g ? VersionText(Word(link, 0)) : QStringLiteral("."));
    SetVisible(g.Sub1GCaption, sub1g);

    // 7. The factors in use and the device type.
    ShowScaleFactors(link, ctx, type);
    return 0;
}

int ReadScaleFactors(Modbus& link, const ReaderContext& ctx, std::uint8_t stop)
{
    if (stop == 1)
        return 1;
    if (link.CommandCode != 0)
        return 0;
    if (link.Request(kIdentityBlock, kIdentityWords, 4))
        return 1;
    // Without the identity block the factors stay unknown whatever the type word says: the
    // next cycle asks again, and a silent inverter costs one wait a cycle, not two.
    if (!Accepted(link, 4))
        return 0;
    TakeScaleWords(link, ctx);
    int type = -1;
    if (!RequestDeviceType(link, ctx, true, type))
        return 1;
    ShowScaleFactors(link, ctx, type);
    return 0;
}

} // namespace groups

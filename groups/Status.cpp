#include "groups/Status.h"

#include "common/Myfunc.h"
#include "common/Tables.h"

namespace groups {

namespace {

constexpr int kRemoteCoil = 24576;     // 0x6000
constexpr int kStateBlock = 1048;      // input: state code, reclosure countdown
constexpr int kConstVoltBlock = 825;   // holding 825..829
constexpr int kConstVoltOn = 1024;
constexpr int kMaxPower = 33595;       // holding, in PowerMultiplier watts
constexpr int kGridLock = 25411;       // holding, bit 0
constexpr int kGridLock2 = 48384;      // holding, 1 = locked
constexpr int kFlagWord = 48158;       // holding, bit 6 night mode
constexpr int kNightModeBit = 0x40;
constexpr int kCountry = 797;
constexpr int kLanguage = 48162;
constexpr int kReclosureSet = 48154;
constexpr int kInverterId = 48163;
constexpr int kBaudrate = 33821;

constexpr int kEditLeft = 222;
constexpr int kEditWidth = 70;

const char* const kLanguages[] = {"English", "German", "French", "Italian", "Spanish", "Nederlands"};
const char* const kBaudrates[] = {"2400", "4800", "9600", "19200", "38400"};

QString Name(const char* n) { return QString::fromLatin1(n); }


void BuildStatus(vcl::TComponent& form)
{
    auto* panel = FindPanel(form, Name("Group_Status"));
    if (!panel || form.FindComponent(Name("Label_InvStatus")))
        return;
    int top = kFirstRowTop;
    CaptionLabel(&form, panel, Name("Label1201"), QStringLiteral("Remote"), 10, top);
    PanelRadioPair(&form, panel, Name("Panel1201"), Name("Radio_RemoteON"), QStringLiteral("ON"),
                   Name("Radio_RemoteOFF"), QStringLiteral("OFF"), kValueLeft, top);
    top += kControlPitch;
    CaptionLabel(&form, panel, Name("Label1202"), QStringLiteral("Status"), 10, top);
    ValueLabel(&form, panel, Name("Label_InvStatus"), kValueLeft, top, 160);
    top += kControlPitch;
    CaptionLabel(&form, panel, Name("Label1203"), QStringLiteral("Reclosure Time"), 10, top);
    ValueLabel(&form, panel, Name("Label_ReclosureT"), kValueLeft, top);
    top += kControlPitch;
    CaptionLabel(&form, panel, Name("Label1204"), QStringLiteral("Max. Power"), 10, top);
    ValueLabel(&form, panel, Name("Label_MaxPower"), kValueLeft, top);
    PanelEdit(&form, panel, Name("Edit_MaxPower"), kEditLeft, top, kEditWidth);
    top += kControlPitch;
    CaptionLabel(&form, panel, Name("Label1205"), QStringLiteral("Grid Lock"), 10, top);
    ValueLabel(&form, panel, Name("Label_WarningOccur"), kValueLeft, top, 60);
    PanelButton(&form, panel, Name("Btn_Unlock"), QStringLiteral("Grid unlock"), 192, top, 100);
    top += kControlPitch;
    // The constant-voltage part, shown by the mode's option.
    auto* part = PanelPart(&form, panel, Name("Group_ConstVolt"), 2, top - 4, panel->Width() - 4, 2 * kControlPitch);
    const int partTop = 4;
    CaptionLabel(&form, part, Name("Label1206"), QStringLiteral("Const. Voltage"), 8, partTop);
    PanelCheck(&form, part, Name("Check_ConstVolt"), QStringLiteral("ON"), kValueLeft - 2, partTop);
    ValueLabel(&form, part, Name("Label_ConstVolt"), kValueLeft - 2, partTop + kControlPitch, 80);
    CaptionLabel(&form, part, Name("Label1207"), QStringLiteral("Voltage"), 8, partTop + kControlPitch);
    PanelEdit(&form, part, Name("Edit_ConstVolt"), kEditLeft - 2, partTop + kControlPitch, kEditWidth);
}

void BuildNightMode(vcl::TComponent& form)
{
    auto* panel = FindPanel(form, Name("Group_NightMode"));
    if (!panel || form.FindComponent(Name("Radio_NightModeON")))
        return;
    CaptionLabel(&form, panel, Name("Label1211"), QStringLiteral("Night Mode"), 10, kFirstRowTop);
    PanelRadioPair(&form, panel, Name("Panel1211"), Name("Radio_NightModeON"), QStringLiteral("Enable"),
                   Name("Radio_NightModeOFF"), QStringLiteral("Disable"), kValueLeft, kFirstRowTop);
}

void BuildCountry(vcl::TComponent& form)
{
    auto* panel = FindPanel(form, Name("Group_Country"));
    if (!panel || form.FindComponent(Name("Label_Country")))
        return;
    int top = kFirstRowTop;
    CaptionLabel(&form, panel, Name("Label1221"), QStringLiteral("Country"), 10, top);
    ValueLabel(&form, panel, Name("Label_Country"), kValueLeft - 40, top, 200);
    top += kControlPitch;
    auto* box = PanelCombo(&form, panel, Name("Combo_Country"), {}, kValueLeft - 40, top, 200);
    box->SetHint(QStringLiteral("When changing country setting, previously made settings will automatically "
                                "return to default values."));
    box->SetShowHint(true);
    top += kControlPitch;
    CaptionLabel(&form, panel, Name("Label_ShowLang"), QStringLiteral("Language"), 10, top);
    ValueLabel(&form, panel, Name("Label_LanguageSelect"), kValueLeft - 34, top, 80);
    PanelCombo(&form, panel, Name("Combo_LanguageSelect"),
               {"English", "German", "French", "Italian", "Spanish", "Nederlands"}, 182, top, 110);
    top += kControlPitch;
    CaptionLabel(&form, panel, Name("Label1222"), QStringLiteral("Reclosure"), 10, top);
    ValueLabel(&form, panel, Name("Label_ReclosureSet"), kValueLeft - 34, top, 80);
    PanelEdit(&form, panel, Name("Edit_ReclosureSet"), kEditLeft, top, kEditWidth);
    top += kControlPitch;
    CaptionLabel(&form, panel, Name("Label1223"), QStringLiteral("Inverter ID"), 10, top);
    ValueLabel(&form, panel, Name("Label_InverterID"), kValueLeft - 34, top, 80);
    PanelEdit(&form, panel, Name("Edit_InverterID"), kEditLeft, top, kEditWidth);
    top += kControlPitch;
    CaptionLabel(&form, panel, Name("Label1224"), QStringLiteral("Baudrate"), 10, top);
    ValueLabel(&form, panel, Name("Label_Baudrate"), kValueLeft - 34, top, 80);
    PanelCombo(&form, panel, Name("Combo_Baudrate"), {"9600", "19200", "38400"}, kEditLeft, top, kEditWidth);
}

} // namespace

StatusGroups BuildStatusGroups(vcl::TComponent& form)
{
    BuildStatus(form);
    BuildNightMode(form);
    BuildCountry(form);

    StatusGroups g;
    StatusGroup& s = g.Status;
    s.Panel = FindPanel(form, Name("Group_Status"));
    s.ConstVoltPart = FindPanel(form, Name("Group_ConstVolt"));
    s.Remote.Holder = FindAs<vcl::TPanel>(form, Name("Panel1201"));
    s.Remote.On = FindAs<vcl::TRadioButton>(form, Name("Radio_RemoteON"));
    s.Remote.Off = FindAs<vcl::TRadioButton>(form, Name("Radio_RemoteOFF"));
    s.InvStatus = FindLabel(form, Name("Label_InvStatus"));
    s.ReclosureT = FindLabel(form, Name("Label_ReclosureT"));
    s.MaxPower = FindLabel(form, Name("Label_MaxPower"));
    s.EditMaxPower = FindAs<vcl::TEdit>(form, Name("Edit_MaxPower"));
    s.WarningOccur = FindLabel(form, Name("Label_WarningOccur"));
    s.Unlock = FindAs<vcl::TButton>(form, Name("Btn_Unlock"));
    s.ConstVolt = FindAs<vcl::TCheckBox>(form, Name("Check_ConstVolt"));
    s.ConstVoltValue = FindLabel(form, Name("Label_ConstVolt"));
    s.EditConstVolt = FindAs<vcl::TEdit>(form, Name("Edit_ConstVolt"));

    NightModeGroup& n = g.NightMode;
    n.Panel = FindPanel(form, Name("Group_NightMode"));
    n.NightMode.Holder = FindAs<vcl::TPanel>(form, Name("Panel1211"));
    n.NightMode.On = FindAs<vcl::TRadioButton>(form, Name("Radio_NightModeON"));
    n.NightMode.Off = FindAs<vcl::TRadioButton>(form, Name("Radio_NightModeOFF"));

    CountryGroup& c = g.Country;
    c.Panel = FindPanel(form, Name("Group_Country"));
    c.Country = FindLabel(form, Name("Label_Country"));
    c.CountryBox = FindAs<vcl::TComboBox>(form, Name("Combo_Country"));
    c.Language = FindLabel(form, Name("Label_LanguageSelect"));
    c.LanguageBox = FindAs<vcl::TComboBox>(form, Name("Combo_LanguageSelect"));
    c.ReclosureSet = FindLabel(form, Name("Label_ReclosureSet"));
    c.EditReclosureSet = FindAs<vcl::TEdit>(form, Name("Edit_ReclosureSet"));
    c.InverterId = FindLabel(form, Name("Label_InverterID"));
    c.EditInverterId = FindAs<vcl::TEdit>(form, Name("Edit_InverterID"));
    c.Baudrate = FindLabel(form, Name("Label_Baudrate"));
    c.BaudrateBox = FindAs<vcl::TComboBox>(form, Name("Combo_Baudrate"));
    return g;
}

QString CountryNameOf(const CountryNameList& list, int code)
{
    if (!list.names || list.size <= 0)
        return QString();
    const int c = (code < 0 || code > 255 || code >= list.size) ? 0 : code;
    QString name = list.names[c];
    while (name.endsWith(u'\n') || name.endsWith(u'\r'))
        name.chop(1);
    return name;
}

QString MaxPowerText(int p)
{
    if (p <= 1000)
        return QString::number(p);
    return QString::number(p / 1000) + QStringLiteral(",") + QString::number((p % 1000) / 100) +
           QString::number((p % 100) / 10) + QString::number(p % 10);
}

int ReadStatus(Modbus& link, const ReaderContext& ctx, StatusGroup& g, int stateTable, std::uint8_t stop)
{
    const int frame = FrameStart(link, stop, {g.Panel}, QStringLiteral("Status..."));
    if (frame >= 0)
        return frame;

    if (link.Request(kRemoteCoil, 1, 1))
        return 1;
    if (Accepted(link, 1))
        ShowSwitch(g.Remote, link.Reply[3] == 1);

    if (link.Request(kStateBlock, 2, 4))
        return 1;
    if (Accepted(link, 4)) {
        const int code = Word(link, 0);
        SetText(g.InvStatus, InverterStateText(stateTable, code) + QStringLiteral("(%1)").arg(code));
        SetText(g.ReclosureT, QString::number(Word(link, 1)) + QStringLiteral(" s"));
    }

    if (link.Request(kConstVoltBlock, 5, 3))
        return 1;
    if (Accepted(link, 3)) {
        if (g.ConstVolt)
            g.ConstVolt->SetChecked(Word(link, 0) == kConstVoltOn);
        SetValue(g.ConstVoltValue, FormatDiv10(static_cast<float>(Word(link, 4))) + QStringLiteral("V"));
    }

    if (link.Request(kMaxPower, 1, 3))
        return 1;
    if (Accepted(link, 3))
        SetValue(g.MaxPower, MaxPowerText(Word(link, 0) * *ctx.PowerMultiplier) + QStringLiteral(" W"));

    if (link.Request(kGridLock, 1, 3))
        return 1;
    if (Accepted(link, 3))
        SetText(g.WarningOccur, (Word(link, 0) & 1) ? QStringLiteral("Lock") : QString());

    if (link.Request(kGridLock2, 1, 3))
        return 1;
    if (Accepted(link, 3) && Word(link, 0) == 1)
        SetText(g.WarningOccur, QStringLiteral("Lock"));
    return 0;
}

int ReadNightMode(Modbus& link, NightModeGroup& g, std::uint8_t stop)
{
    const int frame = FrameStart(link, stop, {g.Panel}, QStringLiteral("Night M..."));
    if (frame >= 0)
        return frame;
    if (link.Request(kFlagWord, 1, 3))
        return 1;
    if (Accepted(link, 3))
        ShowSwitch(g.NightMode, (Word(link, 0) & kNightModeBit) != 0);
    return 0;
}

int ReadCountrySet(Modbus& link, const CountryNameList& names, CountryGroup& g, std::uint8_t stop)
{
    const int frame = FrameStart(link, stop, {g.Panel}, QStringLiteral("Country..."));
    if (frame >= 0)
        return frame;

    if (link.Request(kCountry, 1, 3))
        return 1;
    if (Accepted(link, 3))
        SetValue(g.Country, CountryNameOf(names, Word(link, 0)));

    if (link.Request(kLanguage, 1, 3))
        return 1;
    if (Accepted(link, 3)) {
        const int lang = Word(link, 0);
        SetValue(g.Language, lang < 6 ? Name(kLanguages[lang]) : QString());
    }

    if (link.Request(kReclosureSet, 1, 3))
        return 1;
    if (Accepted(link, 3))
        SetValue(g.ReclosureSet, FormatDiv100(static_cast<float>(Word(link, 0))) + QStringLiteral(" sec"));

    if (link.Request(kInverterId, 1, 3))
        return 1;
    if (Accepted(link, 3))
        SetValue(g.InverterId, QString::number(Word(link, 0)));

    if (link.Request(kBaudrate, 1, 3))
        return 1;
    if (Accepted(link, 3) && g.Baudrate) {
        const int code = Word(link, 0);
        SetValue(g.Baudrate, code <= 4 ? Name(kBaudrates[code]) : g.Baudrate->Caption());
    }
    return 0;
}

} // namespace groups

#include "groups/Japan.h"

#include "common/Myfunc.h"
#include "groups/PanelControls.h"
#include "groups/PanelRows.h"

namespace groups {

using rows::AddRows;
using rows::L;
using rows::Row;
using rows::RowKind;

namespace {

void Blue(const vcl::TComponent& form, const char* name) { rows::Blue(L(form, name)); }
void Set(const vcl::TComponent& form, const char* name, const QString& text) { SetText(L(form, name), text); }
vcl::TRadioButton* Radio(const vcl::TComponent& form, const QString& name) { return FindAs<vcl::TRadioButton>(form, name); }

// Checks the ON or the OFF radio of a pair named <stem>ON / <stem>OFF (or the names given).
void ShowPair(const vcl::TComponent& form, const char* on, const char* off, bool isOn)
{
    ShowSwitch(Radio(form, QLatin1String(on)), Radio(form, QLatin1String(off)), isOn);
}

// The coil byte of an accepted one-coil read, or -1.
int CoilByte(const Modbus& link) { return Accepted(link, 1) ? link.Reply[3] : -1; }

// ---- Building ----------------------------------------------------------------------------------

// A caption that may take two lines, then an ON/OFF pair in the row below it or beside it.
vcl::TLabel* WideCaption(vcl::TComponent& form, vcl::TWinControl* p, const QString& name, const QString& text,
                         int left, int top, int width, int height = 16)
{
    auto* c = CaptionLabel(&form, p, name, text, left, top, width);
    c->SetHeight(height);
    c->SetWordWrap(true);
    return c;
}

void BuildSet(vcl::TComponent& form, vcl::TWinControl* p)
{
    const int w = p->Width();
    int top = AddRows(form, p,
                      {{RowKind::Radios, "Remote", nullptr, "JapanStart", {"Radio_StartON|ON", "Radio_StartOFF|OFF"}},
                       {RowKind::Radios, "StandAlone", nullptr, "Japan24577", {"Radio_24577GT|Grid", "Radio_24577SA|S.A."}},
                       {RowKind::Radios, "RCMU(24595)", nullptr, "JapanRCMU1", {"Radio_RCMU1ON|ON", "Radio_RCMU1OFF|OFF"}},
                       {RowKind::Radios, "Ground Curr.", nullptr, "JapanRCMU2", {"Radio_RCMU2ON|ON", "Radio_RCMU2OFF|OFF"}},
                       {RowKind::Radios, "Parll mode", nullptr, "JapanParll", {"Radio_ParllModeON|ON", "Radio_ParllModeOFF|OFF"}},
                       {RowKind::Radios, "Thermal disable", nullptr, "JapanThermalDis",
                        {"Radio_ThermalDisON|ON", "Radio_ThermalDisOFF|OFF"}},
                       {RowKind::Radios, "Return Default", nullptr, "JapanDefault", {"Radio_DefaultON|ON", "Radio_DefaultOFF|OFF"}},
                       {RowKind::Radios, "Repair", nullptr, "JapanRepair", {"Radio_RepairONJapan|ON", "Radio_RepairOFFJapan|OFF"}},
                       {RowKind::Radios, "Ground Fault", nullptr, "JapanGf", {"Radio_GfONJapan|ON", "Radio_GfOFFJapan|OFF"}},
                       {RowKind::Value, "Rating", "Label_Rating"},
                       {RowKind::Value, "Model Name", "Label_ModelName2"},
                       {RowKind::Value, "Serial Number", "Label_VantoSN1"},
                       {RowKind::Value, "DSP Ver.", "Label_DSPVer"},
                       {RowKind::Value, "DSP Date", "Label_DSPDate"},
                       {RowKind::Value, "RED Ver.", "Label_RedVer"},
                       {RowKind::Value, "RED Date", "Label_RedDate"},
                       {RowKind::Value, "COMM Ver.", "Label_CommVer"},
                       {RowKind::Value, "COMM Date", "Label_CommDate"},
                       {RowKind::Value, "Derating Time", "Label_DeratingTime"},
                       {RowKind::Value, "State", "Label_JapanState"},
                       {RowKind::Value, "Countdown", "Label_JapanCountdown"}},
                      kFirstRowTop, w);
    AddRows(form, p,
            {{RowKind::Buttons, "Speed Up", nullptr, "JapanSpeedup", {"Btn_CountSpeedup|Speed Up"}},
             {RowKind::Buttons, "LED Test", nullptr, "JapanLedTest", {"Btn_LedTestON|ON", "Btn_LedTestOFF|OFF"}},
             {RowKind::Buttons, "Reset", nullptr, "JapanResetEnergy", {"Btn_EnergyResetJapan|Energy && Runtime"}},
             {RowKind::Buttons, "", nullptr, "JapanResetEvent", {"Btn_EventResetJapan|Event Log"}}},
            top + 4, w);
}

void BuildSet3P(vcl::TComponent& form, vcl::TWinControl* p)
{
    const int w = p->Width();
    int top = kFirstRowTop;
    const char* rowsOf[3][3] = {{"COMM", "Label_Version_COMM", "Label_Date_COMM"},
                                {"DSP", "Label_Version_DSP", "Label_Date_DSP"},
                                {"RED", "Label_Version_RED", "Label_Date_RED"}};
    for (const auto& r : rowsOf) {
        CaptionLabel(&form, p, QStringLiteral("Label_Japan3P_%1Caption").arg(QLatin1String(r[0])), QLatin1String(r[0]), 8, top + 3, 100);
        ValueLabel(&form, p, QLatin1String(r[1]), 120, top + 3, 70);
        ValueLabel(&form, p, QLatin1String(r[2]), 200, top + 3, w - 208);
        top += kRowPitch;
    }
    AddRows(form, p,
            {{RowKind::Value, "Serial Number", "Label_InvSN3"}, {RowKind::Value, "Model Name", "Label_Japan3P_ModelName"}},
            top, w);
}

void BuildVersion(vcl::TComponent& form, vcl::TWinControl* p)
{
    AddRows(form, p,
            {{RowKind::Value, "COMM", "Label_JapanVersionCOM"},
             {RowKind::Value, "DSP", "Label_JapanVersionDSP"},
             {RowKind::Value, "SBMS", "Label_JapanVersionSBMS"},
             {RowKind::Value, "RBMS", "Label_JapanVersionRBMS"}},
            kFirstRowTop, p->Width());
}

void BuildRemoteCtrl(vcl::TComponent& form, vcl::TWinControl* p)
{
    AddRows(form, p,
            {{RowKind::ValueCombo, "Mode", "Label_Japan_RemoteCtrlMode", "Combo_Japan_RemoteCtrlMode",
              {"OFF", "ON Grid", "Stand Alone"}}},
            kFirstRowTop, p->Width());
    Set(form, "Label_Japan_RemoteCtrlMode", QStringLiteral("???"));
}

void BuildShipment(vcl::TComponent& form, vcl::TWinControl* p)
{
    AddRows(form, p,
            {{RowKind::Radios, "LED Test", nullptr, "ShipLedTest", {"Radio_LEDTestON|ON", "Radio_LEDTestOFF|OFF"}},
             {RowKind::Buttons, "LED", nullptr, "ShipLed", {"Btn_LEDTest1|LED1 ON", "Btn_LEDTest2|LED2 ON"}},
             {RowKind::Buttons, "", nullptr, "ShipLedOff", {"Btn_LEDAllOFF|All Dark"}},
             {RowKind::Buttons, "再閉路時間", nullptr, "ShipReclosure", {"Btn_ReclosureTime30Sec|３０秒に短縮"}},
             {RowKind::Buttons, "Reset", nullptr, "ShipResetEnergy", {"Btn_EnergyResetShip|Energy && Runtime"}},
             {RowKind::Buttons, "", nullptr, "ShipResetEvent", {"Btn_EventResetShip|Event Log"}}},
            kFirstRowTop, p->Width());
}

// The mask panel: a caption left, its ON/OFF pair right; the phase boxes hold two pairs a row.
void BuildProtect(vcl::TComponent& form, vcl::TWinControl* p)
{
    const int w = p->Width();
    const int pairLeft = w - 120;
    int top = kFirstRowTop - 6;
    int serial = 0;
    auto caption = [&](vcl::TWinControl* parent, const char* text, int left, int t, int width, int height = 16) {
        return WideCaption(form, parent, QStringLiteral("Label_JapanProtectCaption%1").arg(++serial), QString::fromUtf8(text), left,
                           t, width, height);
    };
    auto pair = [&](vcl::TWinControl* parent, const char* stem, const char* on, const char* off, int left, int t, int width = 112) {
        PanelRadioPair(&form, parent, QStringLiteral("Panel_") + QLatin1String(stem), QLatin1String(on), QStringLiteral("ON"),
                       QLatin1String(off), QStringLiteral("OFF"), left, t, width);
    };
    const struct {
        const char* title;
        const char* stem;
        const char* on;
        const char* off;
    } single[] = {
        {"能動的", "JapanAntiActive", "Radio_JapanAntiActiveON", "Radio_JapanAntiActiveOFF"},
        {"受動的", "JapanAntiPassive", "Radio_JapanAntiPassiveON", "Radio_JapanAntiPassiveOFF"},
        {"周波数フィードバーク機能", "JapanInherent", "Radio_JapanInherentON", "Radio_JapanInherentOFF"},
        {"ステップ注入機能", "JapanAdditional", "Radio_JapanAdditionalON", "Radio_JapanAdditionalOFF"},
    };
    for (const auto& s : single) {
        caption(p, s.title, 8, top + 3, pairLeft - 12);
        pair(p, s.stem, s.on, s.off, pairLeft, top + 2);
        top += 24;
    }
    auto box = [&](const char* name, const char* title, int rowsInside) {
        auto* b = new vcl::TGroupBox(&form);
        b->SetName(QLatin1String(name));
        b->SetParent(p);
        b->SetCaption(QString::fromUtf8(title));
        b->SetBounds(4, top, w - 8, 20 + rowsInside * 24 + 4);
        top += b->Height() + 4;
        return b;
    };
    auto* l1l2 = box("Group_L1_L2", "ＵＷ相間の保護機能", 2);
    const int half = (w - 8) / 2;
    const struct {
        const char* title;
        const char* stem;
        const char* on;
        const char* off;
    } phase[] = {
        {"OVR", "JapanL1L2OVR", "Radio_JapanL1L2OVRON", "Radio_JapanL1L2OVROFF"},
        {"UVR", "JapanL1L2UVR", "Radio_JapanL1L2UVRON", "Radio_JapanL1L2UVROFF"},
        {"OFR", "JapanL1L2OFR", "Radio_JapanL1L2OFRON", "Radio_JapanL1L2OFROFF"},
        {"UFR", "JapanL1L2UFR", "Radio_JapanL1L2UFRON", "Radio_JapanL1L2UFROFF"},
    };
    for (int k = 0; k < 4; ++k) {
        const int left = 6 + (k % 2) * half;
        const int t = 20 + (k / 2) * 24;
        caption(l1l2, phase[k].title, left, t + 3, 34);
        pair(l1l2, phase[k].stem, phase[k].on, phase[k].off, left + 36, t + 2, half - 44);
    }
    auto* ln = box("Group_L1N_L2N", "ＵＯ／ＷＯ間の保護機能", 1);
    caption(ln, "OVR", 6, 23, 34);
    pair(ln, "JapanLNOVR", "Radio_JapanLNOVRON", "Radio_JapanLNOVROFF", 42, 22, half - 44);

    caption(p, "高感度停電検出以外による待機状態から通常状態への復帰処理", 8, top + 1, pairLeft - 12, 30);
    pair(p, "JapanEnaBackToNormalMode", "Radio_JapanEnaBackToNormalModeON", "Radio_JapanEnaBackToNormalModeOFF", pairLeft, top + 8);
    top += 34;
    caption(p, "外乱検知1", 8, top + 3, pairLeft - 12);
    pair(p, "JapanFlicker1", "Radio_JapanFlicker1_SWON", "Radio_JapanFlicker1_SWOFF", pairLeft, top + 2);
    top += 24;
    caption(p, "外乱検知2", 8, top + 3, pairLeft - 12);
    pair(p, "JapanFlicker2", "Radio_JapanFlicker2_SWON", "Radio_JapanFlicker2_SWOFF", pairLeft, top + 2);
    top += 26;
    caption(p, "初期動作状態を「通常状態」/「待機状態」に切替る機能", 8, top, w - 16, 32);
    top += 34;
    auto* init = PanelPart(&form, p, QStringLiteral("Panel_JapanInitAction"), 8, top, w - 16, 20);
    const char* initRadios[3][2] = {{"Radio_JapanInitAction1", "強制待機"}, {"Radio_JapanInitAction2", "強制通常"},
                                    {"Radio_JapanInitAction3", "通常運転"}};
    const int third = (w - 16) / 3;
    for (int k = 0; k < 3; ++k) {
        auto* r = new vcl::TRadioButton(&form);
        r->SetName(QLatin1String(initRadios[k][0]));
        r->SetParent(init);
        r->SetBounds(k * third, 0, third - 4, 20);
        r->SetCaption(QString::fromUtf8(initRadios[k][1]));
    }
    top += 26;
    caption(p, "Ground-Fault ", 8, top + 3, 100);
    pair(p, "JapanGroundFault", "Radio_JapanGroundFaultOn", "Radio_JapanGroundFaultOff", pairLeft, top + 2);
    top += 24;
    caption(p, "RCMU", 8, top + 3, 100);
    pair(p, "JapanRCMU", "Radio_JapanRCMUOn", "Radio_JapanRCMUOff", pairLeft, top + 2);
    top += 24;
    caption(p, "Disable Thermal Protect", 8, top + 3, pairLeft - 12);
    pair(p, "JapanThermalProtect", "Radio_JapanThermalProtectOn", "Radio_JapanThermalProtectOff", pairLeft, top + 2);
}

} // namespace

void BuildJapanUserSetPanels(vcl::TComponent& form, const JapanGroups& g);   // JapanUserSet.cpp

JapanGroups FindJapanGroups(const vcl::TComponent& form)
{
    JapanGroups g;
    g.Set = FindPanel(form, QStringLiteral("Group_JapanSet"));
    g.Set3P = FindPanel(form, QStringLiteral("Group_JapanSet3P"));
    g.Version = FindPanel(form, QStringLiteral("Group_JapanVersion"));
    g.RemoteCtrl = FindPanel(form, QStringLiteral("Group_Japan_RemoteCtrl"));
    g.Shipment = FindPanel(form, QStringLiteral("Group_ShipmentTest"));
    g.Protect = FindPanel(form, QStringLiteral("Group_JapanProtectSet"));
    g.UserSet3P = FindPanel(form, QStringLiteral("Group_UserSetJapan3P"));
    g.UserSet = FindPanel(form, QStringLiteral("Group_JapUserSet"));
    g.UserSetOld = FindPanel(form, QStringLiteral("Group_JapUserSet_Old"));
    g.Masks = dynamic_cast<JapanMaskWords*>(form.FindComponent(QStringLiteral("JapanProtectBits")));
    return g;
}

JapanGroups BuildJapanGroups(vcl::TComponent& form)
{
    JapanGroups g = FindJapanGroups(form);
    auto fresh = [&form](vcl::TWinControl* panel, const char* marker) { return panel && !form.FindComponent(QLatin1String(marker)); };
    if (fresh(g.Set, "Label_JapanState"))
        BuildSet(form, g.Set);
    if (fresh(g.Set3P, "Label_InvSN3"))
        BuildSet3P(form, g.Set3P);
    if (fresh(g.Version, "Label_JapanVersionCOM"))
        BuildVersion(form, g.Version);
    if (fresh(g.RemoteCtrl, "Label_Japan_RemoteCtrlMode"))
        BuildRemoteCtrl(form, g.RemoteCtrl);
    if (fresh(g.Shipment, "Radio_LEDTestON"))
        BuildShipment(form, g.Shipment);
    if (fresh(g.Protect, "Radio_JapanAntiActiveON"))
        BuildProtect(form, g.Protect);
    BuildJapanUserSetPanels(form, g);
    if (!g.Masks)
        new JapanMaskWords(&form);
    return FindJapanGroups(form);
}

// ---- Texts ---------------------------------------------------------------------------------------

QString JapanVersionText(int word)
{
    const int hi = word >> 8 & 0xFF, lo = word & 0xFF;
    return QStringLiteral("V%1.%2%3").arg(hi).arg(lo / 10).arg(lo % 10);
}

QString JapanDateText(int word)
{
    const int hi = word >> 8 & 0xFF, lo = word & 0xFF;
    return QStringLiteral("Y%1W%2%3").arg(hi).arg(lo / 10).arg(lo % 10);
}

QString JapanDeviceText(const Modbus& link, int firstWord, int bytes)
{
    QString out;
    for (int k = 0; k < bytes; ++k) {
        const std::uint8_t b = link.Reply[3 + 2 * firstWord + k];
        // Padding and stray control bytes would show as boxes or cut the text short.
        if (b >= 0x20 && b != 0x7F)
            out += QChar::fromLatin1(static_cast<char>(b));
    }
    return out;
}

QString JapanSerial3P(const Modbus& link, int firstWord)
{
    QString out;
    for (int k = 0; k < 15; ++k) {
        const std::uint8_t b = link.Reply[3 + 2 * firstWord + k];
        if (b >= 0x30 && b <= 0x5A)
            out += QChar::fromLatin1(static_cast<char>(b));
    }
    return out;
}

// ---- Readers -------------------------------------------------------------------------------------

int ReadJapanSet(Modbus& link, const JapanGroups& g, vcl::TComponent& form, std::uint8_t stop)
{
    const int frame = FrameStart(link, stop, {g.Set}, QStringLiteral("Japan..."));
    if (frame >= 0)
        return frame;
    struct CoilRow {
        int coil;
        const char* on;
        const char* off;
    };
    const CoilRow coils[] = {
        {24576, "Radio_StartON", "Radio_StartOFF"},       {24577, "Radio_24577SA", "Radio_24577GT"},
        {24595, "Radio_RCMU1ON", "Radio_RCMU1OFF"},       {24642, "Radio_RCMU2ON", "Radio_RCMU2OFF"},
        {24649, "Radio_ParllModeON", "Radio_ParllModeOFF"}, {24617, "Radio_ThermalDisON", "Radio_ThermalDisOFF"},
        {24626, "Radio_DefaultON", "Radio_DefaultOFF"},   {24609, "Radio_RepairONJapan", "Radio_RepairOFFJapan"},
        {24641, "Radio_GfONJapan", "Radio_GfOFFJapan"},
    };
    for (const CoilRow& c : coils) {
        if (link.Request(c.coil, 1, 1))
            return 1;
        const int b = CoilByte(link);
        if (b >= 0)   // the stand-alone coil counts any set byte; the others only 1
            ShowPair(form, c.on, c.off, c.coil == 24577 ? b != 0 : b == 1);
    }
    if (link.Request(33597, 1, 3))
        return 1;
    if (Accepted(link, 3)) {
        Set(form, "Label_Rating", QString::number(Word(link, 0)));
        Blue(form, "Label_Rating");
    }
    if (link.Request(44032, 8, 3))
        return 1;
    if (Accepted(link, 3)) {
        const QString model = JapanDeviceText(link, 0, 13);
        Set(form, "Label_ModelName", model);
        Set(form, "Label_ModelName2", model);
    }
    if (link.Request(40975, 7, 4))
        return 1;
    if (Accepted(link, 4)) {
        const QString serial = JapanDeviceText(link, 0, 14);
        Set(form, "Label_VantoSN", serial);
        Set(form, "Label_VantoSN1", serial);
    }
    if (link.Request(1040, 6, 4))
        return 1;
    if (Accepted(link, 4)) {
        const char* labels[6] = {"Label_DSPVer", "Label_DSPDate", "Label_RedVer", "Label_RedDate", "Label_CommVer", "Label_CommDate"};
        for (int k = 0; k < 6; ++k)
            Set(form, labels[k], k % 2 == 0 ? JapanVersionText(Word(link, k)) : JapanDateText(Word(link, k)));
    }
    if (link.Request(20840, 1, 4))
        return 1;
    if (Accepted(link, 4))
        Set(form, "Label_DeratingTime", QString::number(Word(link, 0)) + QStringLiteral(" min"));
    // The operating state from the two mode coils; a coil not read counts as 0.
    int remote = 0, standAlone = 0;
    if (link.Request(24576, 1, 1))
        return 1;
    if (Accepted(link, 1))
        remote = link.Reply[3];
    if (link.Request(24577, 1, 1))
        return 1;
    if (Accepted(link, 1))
        standAlone = link.Reply[3];
    QString state = QStringLiteral("??");
    if (remote == 1 && standAlone == 1)
        state = QStringLiteral("Stand alone");
    if (remote == 0)
        state = QStringLiteral("Stop");
    if (remote == 1 && standAlone == 0)
        state = QStringLiteral("On Grid");
    Set(form, "Label_JapanState", state);
    if (link.Request(1049, 1, 4))
        return 1;
    if (Accepted(link, 4))
        Set(form, "Label_JapanCountdown", QString::number(Word(link, 0)) + QStringLiteral(" s"));
    return 0;
}

int ReadJapanSet3P(Modbus& link, const JapanGroups& g, vcl::TComponent& form, std::uint8_t stop)
{
    const int frame = FrameStart(link, stop, {g.Set3P}, QStringLiteral("Jap3..."));
    if (frame >= 0)
        return frame;
    if (link.Request(40963, 20, 4))
        return 1;
    if (Accepted(link, 4)) {
        const char* labels[6] = {"Label_Version_COMM", "Label_Date_COMM", "Label_Version_DSP",
                                 "Label_Date_DSP",     "Label_Version_RED", "Label_Date_RED"};
        for (int k = 0; k < 6; ++k)
            Set(form, labels[k], k % 2 == 0 ? JapanVersionText(Word(link, k)) : JapanDateText(Word(link, k)));
        Set(form, "Label_InvSN3", JapanSerial3P(link, 12));
    }
    if (link.Request(44032, 8, 3))
        return 1;
    if (Accepted(link, 3))
        Set(form, "Label_Japan3P_ModelName", JapanDeviceText(link, 0, 13));
    return 0;
}

int ReadJapanVersions(Modbus& link, const JapanGroups& g, vcl::TComponent& form, std::uint8_t stop)
{
    const int frame = FrameStart(link, stop, {g.Version}, QStringLiteral("Jap3..."));
    if (frame >= 0)
        return frame;
    if (link.Request(40963, 4, 4))
        return 1;
    if (Accepted(link, 4)) {
        Set(form, "Label_JapanVersionCOM", JapanVersionText(Word(link, 0)));
        Set(form, "Label_JapanVersionDSP", JapanVersionText(Word(link, 2)));
    }
    if (link.Request(25665, 1, 3))
        return 1;
    if (Accepted(link, 3))
        Set(form, "Label_JapanVersionSBMS", JapanVersionText(Word(link, 0)));
    if (link.Request(1615, 1, 4))
        return 1;
    if (Accepted(link, 4))
        Set(form, "Label_JapanVersionRBMS", JapanVersionText(Word(link, 0)));
    return 0;
}

int ReadJapanRemoteCtrl(Modbus& link, const JapanGroups& g, vcl::TComponent& form, std::uint8_t stop)
{
    const int frame = FrameStart(link, stop, {g.RemoteCtrl}, QStringLiteral("RC J..."));
    if (frame >= 0)
        return frame;
    if (link.Request(25409, 1, 3))
        return 1;
    if (!Accepted(link, 3))
        return 0;
    static const char* const kModes[3] = {"OFF", "ON Grid", "Stand Alone"};
    const int mode = Word(link, 0) & 3;
    if (mode < 3)
        Set(form, "Label_Japan_RemoteCtrlMode", QLatin1String(kModes[mode]));
    Blue(form, "Label_Japan_RemoteCtrlMode");
    return 0;
}

int ReadShipmentTest(Modbus& link, const JapanGroups& g, vcl::TComponent& form, std::uint8_t stop)
{
    const int frame = FrameStart(link, stop, {g.Shipment}, QStringLiteral("Ship..."));
    if (frame >= 0)
        return frame;
    if (link.Request(24627, 1, 1))
        return 1;
    if (Accepted(link, 1))
        ShowPair(form, "Radio_LEDTestON", "Radio_LEDTestOFF", (link.Reply[3] & 1) != 0);
    return 0;
}

int ReadJapanProtect(Modbus& link, const JapanGroups& g, vcl::TComponent& form, std::uint8_t stop)
{
    const int frame = FrameStart(link, stop, {g.Protect}, QStringLiteral("Protect..."));
    if (frame >= 0)
        return frame;
    static const char* const kFirst[9][2] = {
        {"Radio_JapanAntiActiveON", "Radio_JapanAntiActiveOFF"}, {"Radio_JapanAntiPassiveON", "Radio_JapanAntiPassiveOFF"},
        {"Radio_JapanInherentON", "Radio_JapanInherentOFF"},     {"Radio_JapanAdditionalON", "Radio_JapanAdditionalOFF"},
        {"Radio_JapanL1L2OVRON", "Radio_JapanL1L2OVROFF"},       {"Radio_JapanL1L2UVRON", "Radio_JapanL1L2UVROFF"},
        {"Radio_JapanL1L2OFRON", "Radio_JapanL1L2OFROFF"},       {"Radio_JapanL1L2UFRON", "Radio_JapanL1L2UFROFF"},
        {"Radio_JapanLNOVRON", "Radio_JapanLNOVROFF"},
    };
    static const char* const kSecond[3][2] = {
        {"Radio_JapanEnaBackToNormalModeON", "Radio_JapanEnaBackToNormalModeOFF"},
        {"Radio_JapanFlicker1_SWON", "Radio_JapanFlicker1_SWOFF"},
        {"Radio_JapanFlicker2_SWON", "Radio_JapanFlicker2_SWOFF"},
    };
    auto keep = [&link](JapanMaskWords::Word* w, int word) {
        if (!w)
            return;
        w->valid = true;
        w->slaveId = link.SlaveId;
        w->word = word;
    };
    if (link.Request(33648, 1, 3))
        return 1;
    if (Accepted(link, 3)) {
        const int word = Word(link, 0);
        keep(g.Masks ? &g.Masks->first : nullptr, word);
        for (int bit = 0; bit < 9; ++bit)
            ShowPair(form, kFirst[bit][0], kFirst[bit][1], (word >> bit & 1) != 0);
    }
    if (link.Request(33658, 1, 3))
        return 1;
    if (Accepted(link, 3)) {
        const int word = Word(link, 0);
        keep(g.Masks ? &g.Masks->second : nullptr, word);
        for (int bit = 0; bit < 3; ++bit)
            ShowPair(form, kSecond[bit][0], kSecond[bit][1], (word >> bit & 1) != 0);
    }
    if (link.Request(33659, 1, 3))
        return 1;
    if (Accepted(link, 3) && Word(link, 0) <= 2)
        rows::Check(form, QStringLiteral("Radio_JapanInitAction%1").arg(Word(link, 0) + 1).toLatin1().constData());
    if (link.Request(25366, 1, 3))
        return 1;
    if (Accepted(link, 3))
        ShowPair(form, "Radio_JapanGroundFaultOn", "Radio_JapanGroundFaultOff", Word(link, 0) != 0);
    if (link.Request(25356, 1, 3))
        return 1;
    if (Accepted(link, 3))
        ShowPair(form, "Radio_JapanRCMUOn", "Radio_JapanRCMUOff", Word(link, 0) != 0);
    if (link.Request(24617, 1, 1))
        return 1;
    if (Accepted(link, 1))
        ShowPair(form, "Radio_JapanThermalProtectOn", "Radio_JapanThermalProtectOff", link.Reply[3] != 0);
    return 0;
}

} // namespace groups

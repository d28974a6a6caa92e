#include "design/ModeSettings.h"

#include "common/Myfunc.h"
#include "design/ModeState.h"
#include "vcl/IniFile.h"
#include "vcl/Services.h"

#include <QFileInfo>

namespace design {

namespace {

const char* const kTitleKeys[8] = {"Label1", "Label2", "Label3", "Label4",
                                   "Labe21", "Labe22", "Labe23", "Labe24"};

// The sixteen option members with their section and key, in the order they are read and written.
struct OptionKey {
    const char* section;
    const char* key;
    int ModeSettings::*intMember;
    std::uint8_t ModeSettings::*flagMember;
};

const OptionKey kOptions[] = {
    {"reclosureTime", "Rate", &ModeSettings::ReclosureRate, nullptr},
    {"Reactive", "Sign", &ModeSettings::ReactiveSign, nullptr},
    {"Reactive", "CosPhiSet", &ModeSettings::CosPhiStep, nullptr},
    {"Inverter", "State", &ModeSettings::StateTextTable, nullptr},
    {"ConstVlot", "show", nullptr, &ModeSettings::ConstVoltShow},
    {"JapanUserSettingMode", "Mode", &ModeSettings::JapanUserSettingMode, nullptr},
    {"VacProtect", "set", &ModeSettings::VacProtectSet, nullptr},
    {"ActiveSlope", "show", nullptr, &ModeSettings::ActiveSlopeShow},
    {"Language", "Select", nullptr, &ModeSettings::LanguageSelectShow},
    {"Write", "Permission", nullptr, &ModeSettings::WriteLock},
    {"Write", "ShowAcMode", &ModeSettings::AcLayout, nullptr},
    {"Write", "ShowAcTitle", &ModeSettings::ShowAcTitle, nullptr},
    {"Write", "ShowGsFacMode", &ModeSettings::ShowGsFacMode, nullptr},
    {"Write", "ShowQofUMode", &ModeSettings::ShowQofUMode, nullptr},
    {"Write", "ReactivePowerMode", &ModeSettings::ReactivePowerMode, nullptr},
    {"Write", "VersionShowDateCode", &ModeSettings::ShowFirmwareDates, nullptr},
};

QString L1(const char* s) { return QString::fromLatin1(s); }

} // namespace

QString PollKey(const char* word, int digit, int row)
{
    return QStringLiteral("%1%2%3").arg(L1(word)).arg(digit).arg(row);
}

QString PollSection(int digit)
{
    return QStringLiteral("Poll0%1").arg(digit + 1);
}

int LoadMonitorSet(const QString& path, ModeSettings& s)
{
    if (!QFileInfo(path).isFile())
        return 1;
    const vcl::TIniFile ini(path);
    auto text = [&ini](const QString& section, const QString& key) {
        return ini.ReadString(section, key, QString());
    };
    for (int d = 0; d < 4; ++d) {
        const QString section = PollSection(d);
        for (int r = 1; r <= 10; ++r)
            s.poll[d][r - 1].addr = text(section, PollKey("Addr", d, r));
        for (int r = 1; r <= 10; ++r) {
            const int type = StrToIntSafe(text(section, PollKey("Type", d, r)));
            s.poll[d][r - 1].type = (type >= 0 && type <= 2) ? type : -1;
        }
        for (int r = 1; r <= 10; ++r)
            s.poll[d][r - 1].value = text(section, PollKey("Value", d, r));
    }
    // Each key is read on its own; the order of reading changes no result.
    for (const OptionKey& o : kOptions) {
        const int n = StrToIntSafe(text(L1(o.section), L1(o.key)));
        if (o.intMember)
            s.*o.intMember = n;
        else
            s.*o.flagMember = n != 0 ? 1 : 0;
    }
    if (s.ReclosureRate == 0)
        s.ReclosureRate = 10;
    for (int i = 0; i < 8; ++i)
        s.temperatureTitles[i] = text(QStringLiteral("Temperature"), L1(kTitleKeys[i]));
    return 0;
}

int SaveMonitorSet(const QString& path, const ModeSettings& s, std::uint8_t superUserMode)
{
    if (!QFileInfo(path).isFile()) {
        vcl::MessageBox(kMsgNoSettingFileSave);
        return 1;
    }
    if (superUserMode != 1)
        return 0;
    vcl::TIniFile ini(path);
    ini.BeginUpdate();   // one write of the file for the 144 keys, whole or not at all
    bool ok = true;
    auto write = [&](const QString& section, const QString& key, const QString& value) {
        if (ok)
            ok = ini.WriteString(section, key, value);
    };
    for (int i = 0; i < 8; ++i)
        write(QStringLiteral("Temperature"), L1(kTitleKeys[i]), s.temperatureTitles[i]);
    for (const OptionKey& o : kOptions) {
        const int n = o.intMember ? s.*o.intMember : (s.*o.flagMember != 0 ? 1 : 0);
        write(L1(o.section), L1(o.key), QString::number(n));
    }
    for (int d = 0; d < 4; ++d) {
        const QString section = PollSection(d);
        for (int r = 1; r <= 10; ++r)
            write(section, PollKey("Addr", d, r), s.poll[d][r - 1].addr);
        for (int r = 1; r <= 10; ++r)
            write(section, PollKey("Type", d, r), QString::number(s.poll[d][r - 1].type));
        for (int r = 1; r <= 10; ++r)
            write(section, PollKey("Value", d, r), s.poll[d][r - 1].value);
    }
    if (!ini.EndUpdate() || !ok) {
        vcl::MessageBox(ini.LastError());
        return 2;
    }
    return 0;
}

} // namespace design

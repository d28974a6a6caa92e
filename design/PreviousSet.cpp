#include "design/PreviousSet.h"

#include "common/Myfunc.h"
#include "vcl/IniFile.h"
#include "vcl/Services.h"

#include <QFileInfo>

namespace design {

namespace {

const QString kSearch = QStringLiteral("Search");
const QString kStartId = QStringLiteral("StartID");
const QString kEndId = QStringLiteral("EndID");
const QString kLanguage = QStringLiteral("Language");
const QString kSet = QStringLiteral("Set");
const QString kInvExist = QStringLiteral("InvExist");

QString IdKey(int id) { return QStringLiteral("ID%1").arg(id); }

} // namespace

int LoadPreviousSet(const QString& path, PreviousSet& p)
{
    if (!QFileInfo(path).isFile())
        return 1;
    const vcl::TIniFile ini(path);
    p.startId = ini.ReadString(kSearch, kStartId, QString());
    p.endId = ini.ReadString(kSearch, kEndId, QString());
    const int language = StrToIntSafe(ini.ReadString(kLanguage, kSet, QString()));
    p.languageIndex = (language >= 0 && language <= 2) ? language : 0;
    // The whole list at once: a key-by-key read would search the list once for every inverter.
    const QHash<QString, QString> found = ini.ReadSectionValues(kInvExist);
    for (int id = 1; id <= kPreviousSetMaxId; ++id) {
        const int code = StrToIntSafe(found.value(IdKey(id).toCaseFolded()));
        const bool found = code >= 1 && code <= 3;
        p.idFound[id] = found ? id : 0;
        p.idBaudCode[id] = found ? code : 0;
    }
    return 0;
}

int SavePreviousSet(const QString& path, const PreviousSet& p)
{
    if (!QFileInfo(path).isFile())
        return 1;
    vcl::TIniFile ini(path);
    ini.BeginUpdate();   // one write of the file, whole or not at all
    bool ok = ini.WriteString(kLanguage, kSet, QString::number(p.languageIndex))
              && ini.WriteString(kSearch, kStartId, p.startId)
              && ini.WriteString(kSearch, kEndId, p.endId);
    for (int id = 1; ok && id <= kPreviousSetMaxId; ++id) {
        const int code = p.idFound[id] == id ? p.idBaudCode[id] : 0;
        ok = ini.WriteString(kInvExist, IdKey(id), QString::number(code));
    }
    if (!ini.EndUpdate() || !ok) {
        vcl::MessageBox(ini.LastError());
        return 2;
    }
    return 0;
}

} // namespace design

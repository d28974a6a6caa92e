// The INI class on a file of any bytes: every read, then a write that must read back, must keep
// every section that was there, and must leave the file readable by a fresh reader the same way.
#include "FuzzFiles.h"

#include "vcl/IniFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString path = fuzzfiles::Put(QStringLiteral("MonitorSet.RQX"), data, size);
    vcl::TIniFile ini(path);
    const QStringList sections = ini.ReadSections();
    for (const QString& section : sections) {
        for (const QString& key : ini.ReadSection(section)) {
            if (!ini.ValueExists(section, key))
                __builtin_trap();
            ini.ReadInteger(section, key, 0);
            ini.ReadFloat(section, key, 0);
        }
    }
    // A key of the first section, or a new one, written and read back.
    const QString section = sections.isEmpty() ? QStringLiteral("Fuzz") : sections.first();
    const QStringList keys = ini.ReadSection(section);
    const QString key = keys.isEmpty() ? QStringLiteral("Key") : keys.first();
    const auto breaks = [](const QString& t) { return t.contains(u'\n') || t.contains(u'\r'); };
    const bool writable = !section.trimmed().isEmpty() && !breaks(section) && !breaks(key) && !section.contains(u']') && !key.contains(u'=')
                          && !key.startsWith(u'[') && !key.startsWith(u';') && !key.startsWith(u'#');
    const bool wrote = ini.WriteString(section, key, QStringLiteral("12.5"));
    if (!writable)
        return 0;
    if (!wrote)
        __builtin_trap();
    vcl::TIniFile again(path);
    if (again.ReadString(section, key, QString()) != QStringLiteral("12.5") || again.ReadFloat(section, key, 0) != 12.5)
        __builtin_trap();
    const QStringList after = again.ReadSections();
    for (const QString& s : sections)
        if (!after.contains(s))
            __builtin_trap();
    return 0;
}

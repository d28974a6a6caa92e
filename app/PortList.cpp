#include "app/PortList.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace {

// Natural order: names that differ only in their trailing number sort by its value.
QStringList Sorted(QStringList names)
{
    auto split = [](const QString& name) {
        int i = static_cast<int>(name.size());
        while (i > 0 && name[i - 1].isDigit())
            --i;
        return std::make_pair(name.left(i), name.mid(i));
    };
    std::sort(names.begin(), names.end(), [&](const QString& a, const QString& b) {
        const auto [pa, na] = split(a);
        const auto [pb, nb] = split(b);
        if (pa != pb)
            return pa < pb;
        if (na.size() != nb.size())
            return na.size() < nb.size();
        return na < nb;
    });
    return names;
}

// The kernel lists every possible 8250 port; only those with a detected UART are real.
bool IsRealUart(const QString& sysRoot, const QString& name)
{
    QFile type(sysRoot + QLatin1Char('/') + name + QStringLiteral("/type"));
    if (type.open(QIODevice::ReadOnly))
        return type.readAll().trimmed() != "0";
    return QFileInfo::exists(sysRoot + QLatin1Char('/') + name + QStringLiteral("/device/driver"));
}

} // namespace

QStringList SerialPortNames(const QString& devRoot, const QString& sysRoot)
{
    QStringList ports;
    const QDir dev(devRoot);
    for (const QString& name : Sorted(dev.entryList({QStringLiteral("ttyS*")}, QDir::System | QDir::Files)))
        if (IsRealUart(sysRoot, name))
            ports << devRoot + QLatin1Char('/') + name;
    for (const char* pattern : {"ttyUSB*", "ttyACM*"})
        for (const QString& name : Sorted(dev.entryList({QString::fromLatin1(pattern)}, QDir::System | QDir::Files)))
            ports << devRoot + QLatin1Char('/') + name;
    const QDir byId(devRoot + QStringLiteral("/serial/by-id"));
    for (const QString& name : Sorted(byId.entryList(QDir::System | QDir::Files | QDir::NoDotAndDotDot)))
        ports << byId.path() + QLatin1Char('/') + name;
    return ports;
}

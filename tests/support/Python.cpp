#include "Python.h"

#include <QProcess>

namespace testsupport {

QString MissingPythonModules(const QStringList& modules)
{
    // Each module on its own, so the answer names the one that fails and why (pymodbus' serial
    // client fails on a missing serial_asyncio, for one).
    static const char* probe = R"py(import importlib, sys
for m in sys.argv[1:]:
    try:
        importlib.import_module(m)
    except Exception as e:
        print(f"{m} ({type(e).__name__}: {e})")
)py";
    const QString packages = QStringLiteral(
        " (scripts/deps installs python3, python3-pymodbus, python3-serial and python3-serial-asyncio)");
    QProcess p;
    p.start(QString::fromLatin1(kPython), QStringList{QStringLiteral("-c"), QString::fromLatin1(probe)} + modules);
    if (!p.waitForStarted(10000))
        return QStringLiteral("%1 does not start: %2").arg(QString::fromLatin1(kPython), p.errorString()) + packages;
    if (!p.waitForFinished(30000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        return QStringLiteral("%1 failed: %2").arg(QString::fromLatin1(kPython),
                                                   QString::fromUtf8(p.readAllStandardError()))
               + packages;
    const QString bad = QString::fromUtf8(p.readAllStandardOutput()).trimmed();
    if (bad.isEmpty())
        return {};
    return QStringLiteral("%1 cannot import: %2").arg(QString::fromLatin1(kPython), bad.split('\n').join(QStringLiteral("; ")))
           + packages;
}

} // namespace testsupport

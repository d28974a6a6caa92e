#include "ProgramFolder.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>

namespace testsupport {

bool CopyTree(const QString& from, const QString& to)
{
    QDir().mkpath(to);
    QDirIterator it(from, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString target = to + path.mid(from.size());
        if (it.fileInfo().isDir())
            QDir().mkpath(target);
        else if (!QFile::copy(path, target))
            return false;
        else
            QFile(target).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    }
    return true;
}

bool CopyProgramFolder(const QString& to)
{
    return CopyTree(QStringLiteral(SUNVANE_SOURCE_DIR "/resources/program"), to);
}

bool ReplaceInFile(const QString& path, const QByteArray& from, const QByteArray& to)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    QByteArray bytes = f.readAll();
    f.close();
    if (!bytes.contains(from))
        return false;
    bytes.replace(from, to);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return f.write(bytes) == bytes.size();
}

} // namespace testsupport

// What the file-parser targets share: one temporary folder for the process, the input written
// as a file in it, a Qt core application and a dialog service that shows nothing.
#pragma once

#include "vcl/Services.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>

namespace fuzzfiles {

struct SilentDialogs : vcl::DialogService {
    int MessageBox(const QString&, const QString&, int) override { return vcl::IDOK; }
    QString InputBox(const QString&, const QString&, const QString&) override { return QStringLiteral("Cancel"); }
    QString OpenFile(const QString&, const QString&, const QString&) override { return {}; }
};

// The process's folder (on first use the application and the dialog service are set up too).
inline const QTemporaryDir& Folder()
{
    static int argc = 1;
    static char name[] = "fuzz";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    static SilentDialogs dialogs;
    // In memory where the system has such a folder: the savers write every key straight to
    // the file.
    static QTemporaryDir dir(QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm/sunvane-fuzz-XXXXXX")
                                                                      : QDir::tempPath() + QStringLiteral("/sunvane-fuzz-XXXXXX"));
    static const bool once = [] {
        vcl::SetDialogService(&dialogs);
        return true;
    }();
    (void)once;
    return dir;
}

// Writes the input as the file `name` of the folder (sub-folders made) and returns its path.
inline QString Put(const QString& name, const std::uint8_t* data, std::size_t size)
{
    const QString path = Folder().filePath(name);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        __builtin_trap();
    f.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
    return path;
}

} // namespace fuzzfiles

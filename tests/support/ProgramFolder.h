// Temporary program folders: a copy of the shipped one (resources/program) that a test may
// change, and small edits of the copied files.
#pragma once

#include <QByteArray>
#include <QString>

namespace testsupport {

// Copies a folder with everything below it; the copies are writable by their owner.
bool CopyTree(const QString& from, const QString& to);

// A copy of the shipped program folder of this source tree in `to`.
bool CopyProgramFolder(const QString& to);

// Replaces every `from` in a file by `to`; false when the file has no `from` or cannot be written.
bool ReplaceInFile(const QString& path, const QByteArray& from, const QByteArray& to);

} // namespace testsupport

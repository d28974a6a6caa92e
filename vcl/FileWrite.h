// The one way the program writes a file. A file is replaced whole or not at all, and an append
// reaches the file whole or not at all: every write's result is checked, the data is flushed to
// the disk before it counts as written, and a failure (a full disk, a read-only folder or file,
// a folder or drive that is gone) leaves the earlier file byte for byte as it was. The error
// text names the file and the cause: "Unable to write to <path>: <cause>".
//
// A file or folder without any write permission is read-only for the program, whoever runs it
// (root included), so that a folder made read-only keeps its files for every user.
#pragma once

#include <QByteArray>
#include <QString>

namespace vcl {

enum class FileWriteMode {
    Replace,     // a new file, or the whole new content of an existing one
    CreateNew,   // a new file only: an existing file is never replaced (false)
};

// Writes `bytes` as the file at `path`: into a new file beside it, which is written, flushed to
// the disk and closed, all checked, and only then takes the old file's place (its permissions
// kept). A symbolic link is followed: the file it names is replaced. On failure nothing is left
// behind, the earlier file is unchanged and *error (when given) says which file and why.
bool WriteFileWhole(const QString& path, const QByteArray& bytes, QString* error = nullptr,
                    FileWriteMode mode = FileWriteMode::Replace);

// Appends `bytes` to the existing regular file at `path` (a missing file is an error and is not
// created). After a short write, a failed flush or close the file is cut back to its old length,
// so the earlier content stays and no half line is left.
bool AppendFileWhole(const QString& path, const QByteArray& bytes, QString* error = nullptr);

// The error text of a write to `path` that failed for `cause`.
QString FileWriteError(const QString& path, const QString& cause);

} // namespace vcl

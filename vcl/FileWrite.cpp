#include "vcl/FileWrite.h"

#include <QFile>
#include <QRandomGenerator>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vcl {

namespace {

constexpr mode_t kWriteBits = S_IWUSR | S_IWGRP | S_IWOTH;

QString Cause(int e) { return QString::fromLocal8Bit(std::strerror(e)); }

bool Fail(QString* error, const QString& path, const QString& cause)
{
    if (error)
        *error = FileWriteError(path, cause);
    return false;
}

bool FailErrno(QString* error, const QString& path, int e) { return Fail(error, path, Cause(e)); }

// Writes everything, checking each write; false with the cause in `e`.
bool WriteAll(int fd, const QByteArray& bytes, int& e)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, static_cast<size_t>(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            e = errno;
            return false;
        }
        if (n == 0) {
            e = ENOSPC;
            return false;
        }
        done += n;
    }
    return true;
}

// To the disk: a file system that cannot sync (a pipe-like special file) does not fail the write.
bool Sync(int fd, int& e)
{
    if (::fsync(fd) == 0 || errno == EINVAL || errno == EROFS)
        return true;
    e = errno;
    return false;
}

bool Close(int fd, int& e)
{
    if (::close(fd) == 0 || errno == EINTR)
        return true;
    e = errno;
    return false;
}

// The folder of a path ("." for a bare name).
QByteArray FolderOf(const QByteArray& path)
{
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0)
        return ".";
    if (slash == 0)
        return "/";
    return path.left(slash);
}

// The folder must exist and take files; false with the error set.
bool FolderWritable(const QByteArray& folder, const QString& path, QString* error)
{
    struct stat st {};
    if (::stat(folder.constData(), &st) != 0)
        return FailErrno(error, path, errno);
    if (!S_ISDIR(st.st_mode))
        return FailErrno(error, path, ENOTDIR);
    if (!(st.st_mode & kWriteBits) || ::access(folder.constData(), W_OK) != 0)
        return Fail(error, path, QStringLiteral("the folder is read-only"));
    return true;
}

bool FileWritable(const struct stat& st, const QByteArray& file, const QString& path, QString* error)
{
    if (!S_ISREG(st.st_mode))
        return Fail(error, path, QStringLiteral("not a regular file"));
    if (!(st.st_mode & kWriteBits) || ::access(file.constData(), W_OK) != 0)
        return Fail(error, path, QStringLiteral("the file is read-only"));
    return true;
}

} // namespace

QString FileWriteError(const QString& path, const QString& cause)
{
    return QStringLiteral("Unable to write to %1: %2").arg(path, cause);
}

bool WriteFileWhole(const QString& path, const QByteArray& bytes, QString* error, FileWriteMode mode)
{
    QByteArray target = QFile::encodeName(path);
    if (target.isEmpty())
        return FailErrno(error, path, ENOENT);
    struct stat st {};
    if (::lstat(target.constData(), &st) == 0 && S_ISLNK(st.st_mode)) {
        char resolved[PATH_MAX];
        if (::realpath(target.constData(), resolved))
            target = resolved;
    }
    bool exists = false;
    if (::stat(target.constData(), &st) == 0) {
        exists = true;
        if (mode == FileWriteMode::CreateNew)
            return FailErrno(error, path, EEXIST);
        if (!FileWritable(st, target, path, error))
            return false;
    } else if (errno != ENOENT) {
        return FailErrno(error, path, errno);
    }
    const QByteArray folder = FolderOf(target);
    if (!FolderWritable(folder, path, error))
        return false;

    // The new content goes into a file of its own beside the old one.
    // Its name follows the file's, shortened where that would be too long for the folder.
    QByteArray base = target.mid(target.lastIndexOf('/') + 1);
    if (base.size() > NAME_MAX - 16)
        base = "sunvane";
    QByteArray temp;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temp = folder + "/." + base + '.' + QByteArray::number(QRandomGenerator::global()->generate(), 36);
        fd = ::open(temp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    if (fd < 0)
        return FailErrno(error, path, errno);
    int e = 0;
    bool ok = WriteAll(fd, bytes, e);
    if (ok && exists) {
        ::fchmod(fd, st.st_mode & 07777);
        if (::geteuid() == 0)
            (void)::fchown(fd, st.st_uid, st.st_gid);
    }
    ok = ok && Sync(fd, e);
    ok = Close(fd, e) && ok;
    if (ok) {
        if (mode == FileWriteMode::CreateNew) {
            // Never over a file that appeared meanwhile.
            if (::renameat2(AT_FDCWD, temp.constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE) != 0) {
                if (errno == EINVAL || errno == ENOSYS) {
                    ok = ::link(temp.constData(), target.constData()) == 0;
                } else {
                    ok = false;
                }
                if (!ok)
                    e = errno;
            } else {
                return true;
            }
        } else if (::rename(temp.constData(), target.constData()) != 0) {
            ok = false;
            e = errno;
        } else {
            return true;
        }
    }
    ::unlink(temp.constData());
    return ok || FailErrno(error, path, e);
}

bool AppendFileWhole(const QString& path, const QByteArray& bytes, QString* error)
{
    const QByteArray file = QFile::encodeName(path);
    struct stat st {};
    if (file.isEmpty() || ::stat(file.constData(), &st) != 0)
        return FailErrno(error, path, file.isEmpty() ? ENOENT : errno);
    if (!FileWritable(st, file, path, error) || !FolderWritable(FolderOf(file), path, error))
        return false;
    const int fd = ::open(file.constData(), O_WRONLY | O_APPEND | O_CLOEXEC);
    if (fd < 0)
        return FailErrno(error, path, errno);
    struct stat before {};
    if (::fstat(fd, &before) != 0) {
        const int e = errno;
        ::close(fd);
        return FailErrno(error, path, e);
    }
    if (!S_ISREG(before.st_mode)) {
        ::close(fd);
        return Fail(error, path, QStringLiteral("not a regular file"));
    }
    int e = 0;
    if (WriteAll(fd, bytes, e) && Sync(fd, e)) {
        if (Close(fd, e))
            return true;
        // The close reported what the disk refused: cut the file back by its name.
        (void)::truncate(file.constData(), before.st_size);
        return FailErrno(error, path, e);
    }
    (void)::ftruncate(fd, before.st_size);
    ::close(fd);
    return FailErrno(error, path, e);
}

} // namespace vcl

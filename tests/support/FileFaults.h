// Faults of the file system that hold for every user, root included, for tests of the program's
// file writes.
//   FileSizeLimit full(8);         // while it lives, a write past 8 bytes of any file fails
//                                  // ("File too large"), as on a full disk
//   ReadOnlyFolder ro(folder);     // while it lives, the folder has no write permission
// SetFileSizeLimit does the same to another process (the real program), by its process id; that
// process must ignore SIGXFSZ (IgnoreFileSizeSignal in its QProcess child modifier).
#pragma once

#include <QFile>
#include <QString>

#include <csignal>
#include <sys/resource.h>
#include <sys/types.h>

namespace testsupport {

class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t limit)
    {
        getrlimit(RLIMIT_FSIZE, &old_);
        oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit r = old_;
        r.rlim_cur = limit;
        setrlimit(RLIMIT_FSIZE, &r);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, oldHandler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit old_{};
    void (*oldHandler_)(int) = nullptr;
};

class ReadOnlyFolder {
public:
    explicit ReadOnlyFolder(const QString& folder) : folder_(folder)
    {
        QFile::setPermissions(folder_, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup |
                                           QFile::ReadOther | QFile::ExeOther);
    }
    ~ReadOnlyFolder()
    {
        QFile::setPermissions(folder_, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup |
                                           QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther);
    }
    ReadOnlyFolder(const ReadOnlyFolder&) = delete;
    ReadOnlyFolder& operator=(const ReadOnlyFolder&) = delete;

private:
    QString folder_;
};

// For QProcess::setChildProcessModifier: a file-size limit set later makes a write fail, and
// does not end the process.
inline void IgnoreFileSizeSignal() { std::signal(SIGXFSZ, SIG_IGN); }

// The soft file-size limit of process `pid` (RLIM_INFINITY: none); false when it cannot be set.
inline bool SetFileSizeLimit(pid_t pid, rlim_t limit)
{
    rlimit r{};
    if (prlimit(pid, RLIMIT_FSIZE, nullptr, &r) != 0)
        return false;
    r.rlim_cur = limit;
    return prlimit(pid, RLIMIT_FSIZE, &r, nullptr) == 0;
}

} // namespace testsupport

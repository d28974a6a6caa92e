// One running program per user and program folder. The first instance holds a lock file in the
// runtime folder and listens on a local socket beside it; a later instance finds the lock held,
// asks the first one through the socket to raise its window, says so, and ends.
#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <memory>

class QLocalServer;
class QLockFile;

class SingleInstance : public QObject {
    Q_OBJECT
public:
    // key names the instance (the application title). When SUNVANE_HOME is set its path is part
    // of the name, so that programs laid out in different folders (tests) do not meet;
    // SUNVANE_INSTANCE_DIR, when set, replaces the runtime folder.
    explicit SingleInstance(const QString& key, QObject* parent = nullptr);
    ~SingleInstance() override;

    // Takes the lock. True: this is the first instance, it now listens for raise requests and
    // onRaise runs for each. False: another instance runs; it has been asked to raise its window.
    bool Acquire(std::function<void()> onRaise);

    // Stops listening and releases the lock (before a restart of the program, so that the new
    // process is not turned away). Safe to call twice.
    void Release();

    // What a refused start tells its user: that the program already runs (on the error output,
    // and in a message box that closes by itself after showMs, so that a start made from a
    // script does not hang).
    static QString AlreadyRunningText(const QString& title);
    static void SayAlreadyRunning(const QString& title, int showMs = 4000);

    bool Held() const { return held_; }
    QString LockPath() const { return lockPath_; }
    QString ServerName() const { return serverName_; }

private:
    void AskFirstToRaise();

    QString lockPath_;
    QString serverName_;
    std::unique_ptr<QLockFile> lock_;
    QLocalServer* server_ = nullptr;
    std::function<void()> onRaise_;
    bool held_ = false;
};

#include "app/SingleInstance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QMessageBox>
#include <QStandardPaths>
#include <QTimer>

#include <cstdio>

namespace {

QString RuntimeFolder()
{
    const QString own = qEnvironmentVariable("SUNVANE_INSTANCE_DIR");
    if (!own.isEmpty()) {
        QDir().mkpath(own); // a lock that cannot be made would read as "already running"
        return own;
    }
    QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty() || !QDir(dir).exists())
        dir = QStringLiteral("/tmp");
    return dir;
}

} // namespace

SingleInstance::SingleInstance(const QString& key, QObject* parent) : QObject(parent)
{
    QString full = key;
    const QString home = qEnvironmentVariable("SUNVANE_HOME");
    if (!home.isEmpty())
        full += QLatin1Char('|') + QDir(home).absolutePath();
    // Socket paths are short on Unix: name the files by a digest of the key.
    const QByteArray digest =
        QCryptographicHash::hash(full.toUtf8(), QCryptographicHash::Sha1).toHex().left(16);
    const QString base = RuntimeFolder() + QStringLiteral("/sunvane-") + QString::fromLatin1(digest);
    lockPath_ = base + QStringLiteral(".lock");
    serverName_ = base + QStringLiteral(".sock");
}

SingleInstance::~SingleInstance()
{
    Release();
}

bool SingleInstance::Acquire(std::function<void()> onRaise)
{
    lock_ = std::make_unique<QLockFile>(lockPath_);
    // Never stale by age: only a lock whose process has died may be taken over.
    lock_->setStaleLockTime(0);
    if (!lock_->tryLock(0)) {
        lock_.reset();
        AskFirstToRaise();
        return false;
    }
    held_ = true;
    onRaise_ = std::move(onRaise);
    QLocalServer::removeServer(serverName_); // a socket file left by a crashed instance
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    connect(server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* peer = server_->nextPendingConnection()) {
            connect(peer, &QLocalSocket::disconnected, peer, &QObject::deleteLater);
            connect(peer, &QLocalSocket::readyRead, this, [this, peer] {
                const QByteArray line = peer->readAll();
                if (line.startsWith("raise") && onRaise_)
                    onRaise_();
            });
        }
    });
    server_->listen(serverName_); // without the socket a second start still ends; it just raises nothing
    return true;
}

void SingleInstance::Release()
{
    if (server_) {
        server_->close();
        delete server_;
        server_ = nullptr;
    }
    if (lock_) {
        lock_->unlock();
        lock_.reset();
    }
    held_ = false;
}

void SingleInstance::AskFirstToRaise()
{
    QLocalSocket socket;
    socket.connectToServer(serverName_);
    if (!socket.waitForConnected(1000))
        return;
    socket.write("raise\n");
    socket.waitForBytesWritten(1000);
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState)
        socket.waitForDisconnected(500);
}

QString SingleInstance::AlreadyRunningText(const QString& title)
{
    return QStringLiteral("%1 is already running: its window has been brought to the front.").arg(title);
}

void SingleInstance::SayAlreadyRunning(const QString& title, int showMs)
{
    const QString text = AlreadyRunningText(title);
    std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
    std::fflush(stderr);
    QMessageBox box(QMessageBox::Information, title, text, QMessageBox::Ok);
    QTimer::singleShot(showMs, &box, &QMessageBox::accept);
    box.exec();
}

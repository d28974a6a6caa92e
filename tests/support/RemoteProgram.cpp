#include "RemoteProgram.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QProcessEnvironment>
#include <QTest>

namespace testsupport {

RemoteProgram::RemoteProgram(const QString& home, const QString& instanceDir, const QString& socket)
    : socketPath(socket.isEmpty() ? instanceDir + "/driver.sock" : socket)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("SUNVANE_HOME", home);
    env.insert("SUNVANE_INSTANCE_DIR", instanceDir);
    env.insert("SUNVANE_DRIVER", socketPath);
    env.insert("QT_QPA_PLATFORM", "offscreen");
    process.setProcessEnvironment(env);
}

RemoteProgram::~RemoteProgram()
{
    if (process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished(5000);
    }
}

// A program that ends or fails to listen is seen at once; only one that hangs takes the whole
// wait. The sanitizer build on a loaded 2-core machine may take tens of seconds to start.
constexpr int kStartMs = 60000;

bool RemoteProgram::Start()
{
    process.start(QStringLiteral(SUNVANE_BIN), {});
    if (!process.waitForStarted(10000))
        return false;
    QByteArray err;
    const bool ended = QTest::qWaitFor([&] {
        process.waitForReadyRead(50);
        err += process.readAllStandardError();
        return err.contains("SUNVANE_DRIVER listening") || process.state() == QProcess::NotRunning;
    }, kStartMs);
    if (!ended || !err.contains("SUNVANE_DRIVER listening"))
        return false;
    socket.connectToServer(socketPath);
    return socket.waitForConnected(5000);
}

bool RemoteProgram::StartForwarded()
{
    process.setProcessChannelMode(QProcess::ForwardedChannels);
    process.start(QStringLiteral(SUNVANE_BIN), {});
    if (!process.waitForStarted(10000))
        return false;
    return QTest::qWaitFor([&] {
        if (process.state() == QProcess::NotRunning)
            return true;
        socket.abort();
        socket.connectToServer(socketPath);
        return socket.waitForConnected(100);
    }, kStartMs) && socket.state() == QLocalSocket::ConnectedState;
}

QJsonObject RemoteProgram::Ask(const QString& request)
{
    socket.write(request.toUtf8() + "\n");
    socket.waitForBytesWritten(5000);
    QByteArray line;
    const bool answered = QTest::qWaitFor([&] {
        if (socket.canReadLine() || socket.waitForReadyRead(50))
            line += socket.readLine();
        return line.endsWith('\n');
    }, 10000);
    if (!answered)
        return QJsonObject{{"ok", false}, {"error", "no answer"}};
    return QJsonDocument::fromJson(line).object();
}

namespace {
QStringList Texts(const QJsonValue& value)
{
    QStringList texts;
    for (const auto& v : value.toArray())
        texts << v.toString();
    return texts;
}
} // namespace

QStringList RemoteProgram::Tree()
{
    return Texts(Ask("tree")["items"]);
}

QStringList RemoteProgram::LinesOf(const QString& name)
{
    return Texts(Ask("get " + name)["lines"]);
}

QList<QStringList> RemoteProgram::CellsOf(const QString& name)
{
    QList<QStringList> rows;
    for (const auto& row : Ask("get " + name)["cells"].toArray())
        rows << Texts(row);
    return rows;
}

bool RemoteProgram::WaitFor(const std::function<bool()>& condition, int timeoutMs)
{
    return QTest::qWaitFor([&] { return condition(); }, timeoutMs);
}

} // namespace testsupport

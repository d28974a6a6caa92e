// The real program (SUNVANE_BIN) started as a user would, with its own program folder, lock
// folder and remote-driver socket, and a client that drives it: one request line out, one JSON
// reply line back ({"ok": …, "text": …, "enabled": …, "items": […], …}).
//   testsupport::RemoteProgram run(home, runtime);   // socket: runtime + "/driver.sock"
//   ASSERT_TRUE(run.Start());
//   run.Do("click OpenPort"); run.WaitFor([&] { return run.TextOf("Label_PacR") == "2800 W"; }, 15000);
// Needs a Qt application object (testsupport::EnsureCoreApplication). The program is killed at the
// end of the object if it still runs.
#pragma once

#include <QJsonObject>
#include <QLocalSocket>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <functional>

namespace testsupport {

class RemoteProgram {
public:
    RemoteProgram(const QString& home, const QString& instanceDir, const QString& socket = QString());
    ~RemoteProgram();
    RemoteProgram(const RemoteProgram&) = delete;
    RemoteProgram& operator=(const RemoteProgram&) = delete;

    // Starts the program and connects once it says on its error output that its driver listens;
    // false when it ends first or does not listen within 15 s.
    bool Start();
    // Starts the program with its output going where the test's goes (a program it starts again,
    // after a language choice, must not write into a pipe that closes with this process); ready
    // once its driver accepts a connection.
    bool StartForwarded();

    // One request and its reply; {"ok": false, "error": "no answer"} after 10 s of silence.
    QJsonObject Ask(const QString& request);
    bool Do(const QString& request) { return Ask(request)["ok"].toBool(); }
    QString TextOf(const QString& name) { return Ask("get " + name)["text"].toString(); }
    bool EnabledOf(const QString& name) { return Ask("get " + name)["enabled"].toBool(); }
    QString ColourOf(const QString& name) { return Ask("get " + name)["color"].toString(); }
    // The text of a panel of the status bar.
    QString Status(int n) { return Ask(QStringLiteral("status %1").arg(n))["text"].toString(); }
    // The items of the inverter tree.
    QStringList Tree();
    // The lines of a log pane (List_Event, List_UpgradeEvent).
    QStringList LinesOf(const QString& name);
    // A string grid's cells, row by row (its fixed row and column included).
    QList<QStringList> CellsOf(const QString& name);
    // Asks again and again until the condition holds (the program works meanwhile).
    bool WaitFor(const std::function<bool()>& condition, int timeoutMs);

    QProcess process;
    QLocalSocket socket;
    QString socketPath;
};

} // namespace testsupport

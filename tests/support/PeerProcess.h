// A helper process whose first line of output names where it serves (a pseudo-terminal, an
// address, a port): the simulator program, a Python Modbus server. Start() waits for that line;
// the process is terminated (killed if it lingers) with the object.
#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

namespace testsupport {

class PeerProcess {
public:
    PeerProcess() = default;
    PeerProcess(const PeerProcess&) = delete;
    PeerProcess& operator=(const PeerProcess&) = delete;
    ~PeerProcess();

    // False when the program does not start within startMs, or says nothing within lineMs.
    bool Start(const QString& program, const QStringList& args, int startMs = 10000, int lineMs = 20000);

    QProcess process;
    QString first;   // its first line of output, trimmed
};

} // namespace testsupport

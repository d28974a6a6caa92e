#include "PeerProcess.h"

namespace testsupport {

PeerProcess::~PeerProcess()
{
    if (process.state() != QProcess::NotRunning) {
        process.terminate();
        if (!process.waitForFinished(5000)) {
            process.kill();
            process.waitForFinished(5000);
        }
    }
}

bool PeerProcess::Start(const QString& program, const QStringList& args, int startMs, int lineMs)
{
    process.setProgram(program);
    process.setArguments(args);
    process.setProcessChannelMode(QProcess::SeparateChannels);
    process.start();
    if (!process.waitForStarted(startMs))
        return false;
    while (!process.canReadLine())
        if (!process.waitForReadyRead(lineMs))
            return false;
    first = QString::fromUtf8(process.readLine()).trimmed();
    return !first.isEmpty();
}

} // namespace testsupport

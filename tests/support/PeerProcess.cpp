#include "PeerProcess.h"

#include <QDeadlineTimer>

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
    // The whole line within lineMs, however it trickles in.
    const QDeadlineTimer deadline(lineMs);
    while (!process.canReadLine())
        if (deadline.hasExpired() || !process.waitForReadyRead(static_cast<int>(deadline.remainingTime())))
            return false;
    first = QString::fromUtf8(process.readLine()).trimmed();
    return !first.isEmpty();
}

} // namespace testsupport

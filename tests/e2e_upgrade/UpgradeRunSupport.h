// What the upgrade runs' window tests share: the ready images, an open dialog that answers with
// the paths a test queues, and log lines joined for a failure message.
#pragma once

#include "support/Dialogs.h"
#include "vcl/Services.h"

#include <QString>
#include <QStringList>
#include <string>

namespace upgraderun {

inline const QString kData = QStringLiteral(SUNVANE_SOURCE_DIR "/tests/upgrade/data/");

class ImageDialogs : public testsupport::ScriptedDialogs {
public:
    QString OpenFile(const QString&, const QString&, const QString&) override
    {
        return answers.isEmpty() ? QString() : answers.takeFirst();
    }
    QStringList answers;
};

// A clock for runs on the simulated bus: the run's fixed pauses (a second or more) shrink by a
// factor, while every wait for a reply keeps its real length, so that a busy machine's late
// replies still arrive in it.
class PausesScaled : public vcl::TimeService {
public:
    explicit PausesScaled(double factor) : factor_(factor) {}
    void Sleep(int ms) override { vcl::TimeService::Sleep(ms >= 1000 ? static_cast<int>(ms * factor_) : ms); }

private:
    double factor_;
};

inline std::string Joined(const QStringList& lines) { return lines.join(QStringLiteral(" | ")).toStdString(); }

} // namespace upgraderun

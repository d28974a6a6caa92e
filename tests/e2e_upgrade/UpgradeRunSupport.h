// What the upgrade runs' window tests share: the ready images, an open dialog that answers with
// the paths a test queues, and log lines joined for a failure message.
#pragma once

#include "support/Dialogs.h"

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

inline std::string Joined(const QStringList& lines) { return lines.join(QStringLiteral(" | ")).toStdString(); }

} // namespace upgraderun

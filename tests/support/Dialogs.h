// Dialogs answered by the test: message boxes are recorded and answered OK; prompts are
// recorded ("caption|value") and take the next queued answer ("Cancel" when none is queued);
// open dialogs are cancelled.
#pragma once

#include "vcl/Services.h"

#include <QStringList>
#include <deque>

namespace testsupport {

class ScriptedDialogs : public vcl::DialogService {
public:
    int MessageBox(const QString& text, const QString&, int) override
    {
        shown << text;
        return vcl::IDOK;
    }
    QString InputBox(const QString& caption, const QString&, const QString& value) override
    {
        prompts << caption + QStringLiteral("|") + value;
        if (answers.empty())
            return QStringLiteral("Cancel");
        QString a = answers.front();
        answers.pop_front();
        return a;
    }
    QString OpenFile(const QString&, const QString&, const QString&) override { return QString(); }
    // The message boxes shown since the last call.
    QStringList TakeShown()
    {
        QStringList s = shown;
        shown.clear();
        return s;
    }

    QStringList shown;
    QStringList prompts;
    std::deque<QString> answers;
};

} // namespace testsupport

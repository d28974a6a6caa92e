// Shared fixtures of the design tests: a temporary program folder, file helpers and a dialog
// service that records the message boxes instead of showing them.
#pragma once

#include "vcl/IniFile.h"
#include "vcl/Services.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace designtest {

struct RecordingDialogs : vcl::DialogService {
    QStringList shown;
    int MessageBox(const QString& text, const QString&, int) override { shown << text; return vcl::IDOK; }
    QStringList answers;   // answers of the next prompts; "Cancel" when none is left
    QStringList prompts;   // "caption|prompt|initial" of every prompt shown
    QString InputBox(const QString& caption, const QString& prompt, const QString& value) override
    {
        prompts << caption + "|" + prompt + "|" + value;
        return answers.isEmpty() ? QStringLiteral("Cancel") : answers.takeFirst();
    }
};

inline QByteArray ReadAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline void WriteAll(const QString& path, const QByteArray& data)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    f.write(data);
}

// A temporary folder with the dialog service replaced for the test's lifetime.
class DesignTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        vcl::SetDialogService(&dialogs);
    }
    void TearDown() override { vcl::SetDialogService(nullptr); }
    QString Path(const QString& name) const { return dir.filePath(name); }

    QTemporaryDir dir;
    RecordingDialogs dialogs;
};

} // namespace designtest

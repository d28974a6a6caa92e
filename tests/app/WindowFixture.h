// A main window on a temporary copy of the shipped program folder, with scripted dialogs.
#pragma once

#include "app/Main.h"
#include "vcl/Services.h"
#include "vcl/UserDriver.h"

#include "AppTestSupport.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>
#include <deque>
#include <gtest/gtest.h>
#include <memory>

// Message boxes are recorded; prompts take the next queued answer ("Cancel" when none).
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

    QStringList shown;
    QStringList prompts;
    std::deque<QString> answers;
};

inline bool CopyTree(const QString& from, const QString& to)
{
    QDir().mkpath(to);
    QDirIterator it(from, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString target = to + path.mid(from.size());
        if (it.fileInfo().isDir()) {
            QDir().mkpath(target);
        } else if (!QFile::copy(path, target)) {
            return false;
        } else {
            QFile(target).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
        }
    }
    return true;
}

// All files below a folder with their bytes, to see what a run wrote.
inline std::map<QString, QByteArray> Snapshot(const QString& root)
{
    std::map<QString, QByteArray> files;
    QDirIterator it(root, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile f(path);
        if (f.open(QIODevice::ReadOnly))
            files[path.mid(root.size())] = f.readAll();
    }
    return files;
}

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        EnsureApplication();
        ASSERT_TRUE(home.isValid());
        ASSERT_TRUE(CopyTree(QStringLiteral(SUNVANE_SOURCE_DIR "/resources/program"), home.path()));
        qputenv("SUNVANE_HOME", home.path().toUtf8());
        qputenv("SUNVANE_INSTANCE_DIR", lockDir.path().toUtf8());
        vcl::SetDialogService(&dialogs);
    }

    void TearDown() override
    {
        window.reset();
        vcl::SetDialogService(nullptr);
        qunsetenv("SUNVANE_HOME");
        qunsetenv("SUNVANE_INSTANCE_DIR");
    }

    // Creates and shows the window (its start-up runs).
    TForm_Main& Open()
    {
        window = std::make_unique<TForm_Main>();
        EXPECT_FALSE(window->InstanceRefused());
        window->Show();
        driver = std::make_unique<vcl::UserDriver>(window.get());
        return *window;
    }

    QString Home(const QString& relative) const { return home.path() + QLatin1Char('/') + relative; }

    QTemporaryDir home;
    QTemporaryDir lockDir;
    ScriptedDialogs dialogs;
    std::unique_ptr<TForm_Main> window;
    std::unique_ptr<vcl::UserDriver> driver;
};

// A main window on a temporary copy of the shipped program folder, with scripted dialogs.
#pragma once

#include "app/Main.h"
#include "vcl/Services.h"
#include "vcl/UserDriver.h"

#include "AppTestSupport.h"
#include "support/Dialogs.h"
#include "support/ProgramFolder.h"

#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>
#include <map>
#include <gtest/gtest.h>
#include <memory>

using testsupport::ScriptedDialogs;

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
        ASSERT_TRUE(testsupport::CopyProgramFolder(home.path()));
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

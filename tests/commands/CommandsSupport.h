// Shared pieces of the command tests: the application, recorded dialogs.
#pragma once

#include "vcl/Services.h"

#include <QApplication>
#include <QStringList>
#include <deque>
#include <ostream>

inline void EnsureApplication()
{
    static int argc = 1;
    static char* argv[] = {(char*)"test_commands", nullptr};
    if (!qApp)
        new QApplication(argc, argv);
}

inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

// Message boxes are recorded and answered OK; prompts and open dialogs are cancelled.
class RecordedDialogs : public vcl::DialogService {
public:
    int MessageBox(const QString& text, const QString&, int) override
    {
        shown << text;
        return vcl::IDOK;
    }
    QString InputBox(const QString&, const QString&, const QString&) override { return QStringLiteral("Cancel"); }
    QString OpenFile(const QString&, const QString&, const QString&) override { return QString(); }
    QStringList TakeShown()
    {
        QStringList s = shown;
        shown.clear();
        return s;
    }
    QStringList shown;
};

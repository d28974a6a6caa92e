// Small helpers shared by the window tests.
#pragma once

#include <QApplication>
#include <QString>
#include <ostream>

inline void EnsureApplication()
{
    static int argc = 1;
    static char* argv[] = {(char*)"test_app", nullptr};
    if (!qApp)
        new QApplication(argc, argv);
}

// Readable texts in test messages.
inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

// A Qt application for the kit's tests (offscreen), created once.
#pragma once

#include <QApplication>

inline void EnsureApp()
{
    static int argc = 1;
    static char* argv[] = {const_cast<char*>("test_vcl"), nullptr};
    if (!qApp)
        new QApplication(argc, argv);
}

#include <QString>
#include <QStringList>
#include <ostream>

// Readable texts in test failures.
QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
inline void PrintTo(const QStringList& l, std::ostream* os) { *os << '[' << l.join(", ").toStdString() << ']'; }
QT_END_NAMESPACE

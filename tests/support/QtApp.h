// The Qt application object a test needs, made once per test program. Widgets need a
// QApplication (offscreen in the tests); a test that only starts processes or uses sockets needs
// a QCoreApplication. Neither is made when the process already has one.
#pragma once

#include <QApplication>
#include <QCoreApplication>
#include <QString>
#include <ostream>

namespace testsupport {

inline char* TestArgv0()
{
    static char name[] = "sunvane_test";
    return name;
}

inline void EnsureApplication()
{
    static int argc = 1;
    static char* argv[] = {TestArgv0(), nullptr};
    if (!QCoreApplication::instance())
        new QApplication(argc, argv);
}

inline void EnsureCoreApplication()
{
    static int argc = 1;
    static char* argv[] = {TestArgv0(), nullptr};
    if (!QCoreApplication::instance())
        new QCoreApplication(argc, argv);
}

} // namespace testsupport

// Readable texts in the messages of failed assertions.
inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

// Small helpers shared by the window tests.
#pragma once

#include <QApplication>

inline void EnsureApplication()
{
    static int argc = 1;
    static char* argv[] = {(char*)"test_app", nullptr};
    if (!qApp)
        new QApplication(argc, argv);
}

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

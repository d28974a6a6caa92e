// A Qt application for the kit's tests (offscreen), created once, and readable texts in test
// failures.
#pragma once

#include "support/QtApp.h"

#include <QStringList>
#include <ostream>

inline void EnsureApp()
{
    testsupport::EnsureApplication();
}

inline void PrintTo(const QStringList& l, std::ostream* os) { *os << '[' << l.join(", ").toStdString() << ']'; }

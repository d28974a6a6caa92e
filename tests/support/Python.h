// The Debian Python that scripts/deps equips with the peers nobody here wrote (pymodbus with its
// serial transport). Always /usr/bin/python3: a python3 found first on PATH (pyenv, a virtual
// environment) does not see Debian's packages. A test that needs a module fails when it is
// missing, naming the module and the package; it never skips.
#pragma once

#include <QString>
#include <QStringList>

namespace testsupport {

inline constexpr const char* kPython = "/usr/bin/python3";

// Empty when every module imports; else what is missing and which packages scripts/deps installs.
QString MissingPythonModules(const QStringList& modules);

} // namespace testsupport

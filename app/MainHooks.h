// Where the window hands work to the desktop: opening a document in the user's viewer and
// starting the program again. Tests replace them to see what would be opened or started.
#pragma once

#include <QString>
#include <functional>

namespace mainhooks {
// Opens a file in the user's viewer; false when no viewer started.
extern std::function<bool(const QString& path)> OpenDocument;
// Starts the program's own file again (after a language choice); false when it did not start.
extern std::function<bool()> StartProgram;
} // namespace mainhooks

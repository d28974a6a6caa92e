// The user guide "KIV_Guide.pdf" beside the program, produced from the guide text compiled into
// the program (resource ":/guide/guide.html").
#pragma once

#include <QString>

namespace design {

inline const QString kGuideFileName = QStringLiteral("KIV_Guide.pdf");

// Writes the guide as a PDF file at `path` (replacing a file there). Needs a QGuiApplication.
// Returns 0, or 1 with `error` set to a message naming the path and the cause when the file
// cannot be written whole (vcl/FileWrite.h: nothing of it is left then).
int WriteGuidePdf(const QString& path, QString* error = nullptr);

// Path of the guide in the program folder; writes it first when no file of that name exists.
// A guide the user put there is never replaced. Returns 0 when the file exists afterwards,
// else 1 with `error` set (see WriteGuidePdf).
int EnsureGuide(const QString& programFolder, QString* path = nullptr, QString* error = nullptr);

} // namespace design

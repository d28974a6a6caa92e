// The data log: the values the window shows in its visible group panels, written as
// comma-separated lines. A title line starts a file; each sample adds one line. Every cell is
// followed by ",", lines end in CR LF, text is UTF-8. The columns are those of the panels
// visible at the moment each line is written, in a fixed order of panels.
#pragma once

#include "vcl/Kit.h"

#include <QByteArray>
#include <QDate>
#include <QString>
#include <QTime>
#include <cstdint>

namespace files {

// The folder "DataLog" of the program folder.
QString DataLogFolder();

// The first free name of the day, "<folder>/<y>.<m>.<d>_NNN.csv" with NNN from 001 to 998
// (a gap is reused); creates the folder when it is missing. 0 with the name in path, 1 when
// every number of the day is taken (path unchanged).
int NewDataLogFileName(QString& path, const QDate& day = QDate::currentDate());

// The title line ",ID,SN,Time," and the titles of the visible panels, with its line end.
QByteArray DataLogTitleLine(const vcl::TComponent& form);
// The sample line ",<id>,<serial>,<h>:<m>:<s>," and the values of the visible panels.
QByteArray DataLogSampleLine(const vcl::TComponent& form, std::uint8_t slaveId, const QTime& time);

// Writes the title line into a new file. Tries ten times, 2 s apart (the waits pump nothing).
// 0 written; 1 when the file exists already (an earlier file is never emptied) or could not be
// written after the tries (no part of it is left; *error, when given, names the file and why).
int WriteDataLogHeader(const vcl::TComponent& form, const QString& path, QString* error = nullptr);

enum class RowResult { Written, NoFile, Failed };
// Appends one sample line to the existing file; the line reaches the file whole or not at all.
// The file is looked for ten times (no wait); an existing file that cannot be written is tried
// ten times, 2 s apart. NoFile creates nothing. On Failed the earlier rows are as they were and
// *error, when given, names the file and why.
RowResult WriteDataLogRow(const vcl::TComponent& form, const QString& path, std::uint8_t slaveId,
                          const QTime& time = QTime::currentTime(), QString* error = nullptr);

} // namespace files

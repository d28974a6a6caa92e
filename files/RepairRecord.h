// The on-site repair record: one line per repair in "ConfigLog/OnSiteRepair.csv", with the
// inverter's identity, the event lines, install date, versions and counters the window shows,
// and blank columns the engineer completes later. The file's first line holds the titles.
#pragma once

#include "vcl/Kit.h"

#include <QByteArray>
#include <QString>

class Modbus;

namespace files {

// The title line (every title followed by ",") with its line end.
QByteArray RepairTitleLine();

// The path of the repair record; creates "ConfigLog" when it is missing. The serial number is
// not part of the name (one file for every inverter). Returns 0.
int OnSiteRepairFileName(QString& path, const QString& serial);

// Reads the install date of the inverter the link addresses (input registers 1168..1170) and
// appends one record, after the title line when the file is new. The record reaches the file
// whole or not at all. 0 written; 1 when the link failed (nothing written) or the file could not
// be written (the earlier records as they were; *error, when given, names the file and why).
int WriteOnSiteRepairRecord(const vcl::TComponent& form, int phaseCount, const QString& path, Modbus& link,
                            QString* error = nullptr);

} // namespace files

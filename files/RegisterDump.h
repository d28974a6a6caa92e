// The register dump: every register of the list "profile/ConfigModel.csv" read from one
// inverter and written, with its present value, into "ConfigLog/Config_ID<n>.csv".
#pragma once

#include <QString>

class Modbus;

namespace files {

// The folder "ConfigLog" of the program folder.
QString ConfigLogFolder();
// The register list the dump reads.
QString ConfigModelPath();

// The dump path of a slave ID; creates "ConfigLog" when it is missing. Returns 0.
int ConfigLogFileName(QString& path, int slaveId);

// Dumps the inverter the link addresses now: one line "name,address,value" for each row of the
// register list that names a register (1..65535), "Error" for a value whose reply was not an
// accepted function-3 reply of one register; a row that names no register is copied as it stands
// (its first three fields). Rows without any field are skipped. Every register is read before
// the file is written, whole (vcl::WriteFileWhole), so an earlier dump stays on any failure.
// 0 when every listed register was read and the file written. 1 otherwise:
// - the list is missing ("Error-No Config Model") or the link failed: nothing written, no text;
// - no listed register could be read: nothing written, "ID <n> was not dumped: no register could
//   be read";
// - some registers could not be read: "Error-Read Address(<address>)" for each, then, when an
//   earlier dump without "Error" exists, it stays: "<k> register(s) could not be read: the earlier
//   <path> is kept"; otherwise the dump is written: "<k> register(s) could not be read: <path>
//   holds "Error" for them";
// - the file could not be written: the earlier one stays, "Unable to write to <path>: <cause>".
// The text goes to *problem when given, else into a message box.
int DumpConfigModel(const QString& path, Modbus& link, QString* problem = nullptr);

} // namespace files

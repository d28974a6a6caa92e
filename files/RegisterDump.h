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
// accepted function-3 reply of one register (with a message naming the address); a row that
// names no register is copied as it stands (its first three fields). Rows without any field are
// skipped. The file is replaced only when the whole dump succeeded; an earlier dump stays
// otherwise. A dump with "Error" values never replaces an earlier one without any: that one
// stays, and a message says how many registers failed. 0 done; 1 when the list is missing ("Error-No Config Model"), the dump file cannot
// be written, or the link failed.
int DumpConfigModel(const QString& path, Modbus& link);

} // namespace files

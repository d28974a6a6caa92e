// The settings upload: a file of rows "name,register,value" (in practice an edited register
// dump) applied to every inverter found. Row by row and, within a row, inverter by inverter:
// read the register, write the value where it differs, read it back; the first value an
// inverter does not keep stops the upload with a message.
#pragma once

#include "common/Myfunc.h"

#include <QString>
#include <functional>

class Modbus;

namespace files {

// Makes entry k (1..count) of the found-ID list the inverter the link addresses.
using SelectEntry = std::function<void(int k)>;

// Applies the file to the inverters of found (entry 0 the count, 1.. the IDs, 256.. their rate
// codes). A value field that is not a number refuses the whole file before anything is sent;
// so does a file that cannot be read. A read that is not an accepted function-3 reply stops the
// upload with a message naming the ID and register. A bit check ("b" then the descriptor) that
// fails changes only the tested bit. "Done" after the last row.
// 0 every row applied; 1 refused, rejected, stopped or the link failed (no message for that).
// select defaults to the link's slave ID and the entry's rate code.
int UploadSettingFile(Modbus& link, const int (&found)[FoundIdListSize], const QString& fileName,
                      const SelectEntry& select = {});

} // namespace files

// The writes of the register-poll rows: Enter in a row's value edit posts the typed number to
// the row's coil or holding register, as typed (no scale), through the mailbox.
#pragma once

#include "app/SettingBinding.h"

#include <vector>

namespace settings {

// One binding per value edit, Edit_PollVal01 .. Edit_PollVal310. The row's type makes the
// code: "HR" a register write (6), "Coil" a coil write (5, the executor sends 1 as 0xFF00); "IR"
// or no type posts code 0, which drops a command still waiting. The address edit gives the
// number; a coil or register row whose address is not 1..65535 posts nothing. A value that is
// not a whole number in -32768..65535 (an empty edit too) posts nothing on any row and shows
// "Please input -32768~65535".
std::vector<Binding> PollRowBindings();

} // namespace settings

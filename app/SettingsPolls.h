// The writes of the register-poll rows: Enter in a row's value edit posts the typed number to
// the row's coil or holding register, as typed (no scale, no range), through the mailbox.
#pragma once

#include "app/SettingBinding.h"

#include <vector>

namespace settings {

// One binding per value edit, Edit_PollVal01 .. Edit_PollVal310. The row's type makes the
// code: "HR" a register write (6), "Coil" a coil write (5, the executor sends 1 as 0xFF00); "IR"
// or no type posts code 0, which drops a command still waiting. The address edit gives the
// number; a coil or register row whose address is not 1..65535 posts nothing.
std::vector<Binding> PollRowBindings();

} // namespace settings

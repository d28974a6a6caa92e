// The writes of the protection groups: Enter in a limit's edit posts the typed value in the
// register's own scale through the mailbox and paints its label red; a switch's radio posts its
// coil or register on the user's press; a mode combo posts its item index.
#pragma once

#include "app/SettingBinding.h"

#include <span>

namespace settings {

// Three slow frequency limits and both slow frequency trip times are held to the grid's range:
// an upper bound clamps the value into 0..bound before it is cut to 16 bits; a lower bound
// raises a word that reads below it (as a signed number).
std::span<const Binding> ProtectionBindings();

} // namespace settings

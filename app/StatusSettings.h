// The settings rows of the status, night-mode, country and service groups that need nothing of
// the window (maximum power, constant voltage and country are the window's own).
#pragma once

#include "app/SettingBinding.h"

#include <vector>

namespace settings {

std::vector<Binding> StatusBindings();

} // namespace settings

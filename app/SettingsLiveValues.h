// The buttons of the live-value panels: the dry-contact test (ON, OFF) and the string-current
// enable. Each posts its command code alone; the executor writes the fixed values.
#pragma once

#include "app/SettingBinding.h"

#include <vector>

namespace settings {

// ON and OFF paint the relay-1 labels of the multi-function relay panel red.
std::vector<Binding> LiveValueBindings();

} // namespace settings

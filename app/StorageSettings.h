// The writes of the storage groups: the battery's operation mode, state-of-charge limit and
// peak-cut power, the feed-in subsidy, and the charge and discharge windows, each window's start
// and stop written together (or both cleared) by its buttons.
#pragma once

#include "app/SettingBinding.h"

#include <span>

namespace settings {

// The value that marks a window as cleared, in its start and its stop register.
constexpr int kClearedWindow = 0x55AA;

std::span<const Binding> StorageBindings();

} // namespace settings

// The writes of the reactive and active power panels: Enter in an edit posts the typed value in
// the register's own scale, a drop-down list posts its choice, and each paints its value label
// red until the reader reads the setting back.
#pragma once

#include "app/SettingBinding.h"

#include <span>

namespace settings {

// A setting with a side (cos φ, Q) takes its sign from the Ind/Cap chooser beside its edit;
// the fixed cos φ and the cos φ(P) limits follow the mode's cos φ step (hundredths into one
// register, thousandths into another) and post nothing when the mode gives no step.
std::span<const Binding> ReactiveBindings();

} // namespace settings

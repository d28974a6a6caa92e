// The writes of the Japanese-market panels: mode coils and test switches, the protection masks
// (one bit of a mask word read from this inverter, written back whole), the user settings of the
// three-phase panel and of both layouts of the enumerated grid settings, and the run-state
// command that rewrites the islanding bits of the mask word on the inverter itself.
#pragma once

#include "app/SettingBinding.h"

#include <span>

class Modbus;

namespace settings {

std::span<const Binding> JapanBindings();

// The run-state command: reads the mask word and writes it back with its low four bits set for
// the chosen islanding detection (item 0 none, 1 active, 2 passive, 3 both). Without a valid
// reply to the read nothing is written. Returns 1 when the link failed, else 0.
int ExecuteRunStateMode(Modbus& link);

} // namespace settings

// A hybrid inverter with a battery, and the power meter at the grid connection point that such
// a system has on the same bus under an ID of its own.
#pragma once

#include "tools/invsim/Inverter.h"

namespace invsim {

// The battery registers of a storage inverter: the summary, two modules, a battery pack, the
// master and slave DC boards, and the control, window and subsidy settings. On a winter morning:
// the battery discharges, its coldest cells are below zero.
void LoadDemoStorage(Inverter& inverter);

// The power meter: its serial number (holding 3072..3078) and firmware version and build week
// (input 258, 259).
void LoadDemoMeter(Inverter& meter);

namespace demo {
constexpr int kMeterId = 252;
constexpr const char* kMeterSerial = "PM2210034567";
} // namespace demo

} // namespace invsim

// The multi-request operations on one inverter that the executor runs: setting the inverter's
// clock from the computer, and copying the inverter's day and month energy history into the
// link object (DayEnergy, MonthEnergy, EnergyExtra) and from there into an inverter.
#pragma once

#include "link/Modbus.h"

#include <QString>
#include <functional>

namespace energy {

// Each operation sends all of its requests to the inverter addressed when it starts.
// Results: 0 done; 1 the link failed (the polling loop ends); 2 the inverter did not answer a
// page or a write even on the retry (the transfer is incomplete; the loop goes on).
constexpr int kDone = 0;
constexpr int kLinkFailed = 1;
constexpr int kIncomplete = 2;

// The computer's local wall-clock time (daylight saving included) as seconds since 1970.
std::uint32_t LocalClockSeconds(std::int64_t utcSeconds);

// Writes the computer's local time into 785 (low) and 784 (high), twice, 500 ms apart: done
// when the inverter echoed both words in a pass, incomplete when it never did.
int SyncClock(Modbus& link);

// Progress of a transfer: the text for the panel's progress label ("Day: 12").
using Progress = std::function<void(const QString&)>;

// The day history (366 days through the page register 809 and the 64-word window at 2048),
// then the extra words; every read line goes to the communication log.
int ReadDayEnergy(Modbus& link, const Progress& progress);
// The month history (120 months through 810 and the 48-word window at 2112).
int ReadMonthEnergy(Modbus& link, const Progress& progress);
// Writes the stored day history and the extra words back; 24665 frames the transfer.
int WriteDayEnergy(Modbus& link, const Progress& progress);
int WriteMonthEnergy(Modbus& link, const Progress& progress);

} // namespace energy

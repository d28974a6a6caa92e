// The "Power Meter Info." group (Group_PowerMeterInfo): the external meter's serial number and
// firmware, read under the meter's own slave ID (the polling loop switches to it and back).
#pragma once

#include "groups/ReaderFrame.h"

namespace groups {

struct PowerMeterGroup {
    vcl::TWinControl* Panel = nullptr;     // Group_PowerMeterInfo
    vcl::TComboBox* MeterId = nullptr;     // Combo_PowerMeter_ID: the meter's slave ID as text
    vcl::TLabel* Serial = nullptr;         // Label_PowerMeter_SN
    vcl::TLabel* FwVersion = nullptr;      // Label_PowerMeter_FW_Version
    vcl::TLabel* FwDate = nullptr;         // Label_PowerMeter_FW_Date
};

PowerMeterGroup BuildPowerMeterGroup(vcl::TComponent& form);
PowerMeterGroup FindPowerMeterGroup(const vcl::TComponent& form);

// The meter's slave ID from the combo's text (its low 8 bits; 0 for text that is no number).
std::uint8_t PowerMeterId(const PowerMeterGroup& g);

// The meter reader; the link's SlaveId must already address the meter.
int ReadPowerMeterInfo(Modbus& link, PowerMeterGroup& g, std::uint8_t stop);

} // namespace groups

// The storage groups of hybrid inverters: the battery as the inverter sums it up
// (Group_BT_Info), its two modules (Group_BT_Module1/2), a battery pack (Group_Qr45Info), the
// master and slave DC boards of a stack (Group_MasterDCB, Group_SlaveDCB), and the two settings
// groups read back from the inverter: battery control with its charge and discharge windows
// (Group_BT_CTRL) and the feed-in subsidy (Group_Subsidy).
#pragma once

#include "groups/ReaderFrame.h"

namespace groups {

struct StorageGroups {
    vcl::TWinControl* Info = nullptr;
    vcl::TWinControl* Ctrl = nullptr;
    vcl::TWinControl* Subsidy = nullptr;
    vcl::TWinControl* Module1 = nullptr;
    vcl::TWinControl* Module2 = nullptr;
    vcl::TWinControl* Qr45 = nullptr;
    vcl::TWinControl* MasterDcb = nullptr;
    vcl::TWinControl* SlaveDcb = nullptr;
};

StorageGroups BuildStorageGroups(vcl::TComponent& form);
StorageGroups FindStorageGroups(const vcl::TComponent& form);

// A battery temperature with the suffix the battery panels show (" °C"); the word is signed.
QString BatteryTemperature(int word, bool tenths);

// The time of a charge or discharge window from its one-row lists: `lists` is the lists' name
// before "StartHour" ("List_BTC_T1", "List_BTDCHG_T3"), `stop` picks the stop lists. The rows
// shown count (TopIndex), not the selection: hour row x 100 + minute row x 30.
int WindowTime(const vcl::TComponent& form, const QString& lists, bool stop);

// The mode names of the control word (0..8); null outside.
const char* BatteryModeName(int word);

int ReadBatteryInfo(Modbus& link, const ReaderContext& ctx, const StorageGroups& g, vcl::TComponent& form, std::uint8_t stop);
int ReadBatteryCtrl(Modbus& link, const StorageGroups& g, vcl::TComponent& form, std::uint8_t stop);
int ReadSubsidy(Modbus& link, const StorageGroups& g, vcl::TComponent& form, std::uint8_t stop);
// module: 1 or 2.
int ReadBatteryModule(Modbus& link, const StorageGroups& g, vcl::TComponent& form, int module, std::uint8_t stop);
int ReadQR45(Modbus& link, const StorageGroups& g, vcl::TComponent& form, std::uint8_t stop);
// slave: false the master board, true the slave board (its registers lie 128 above).
int ReadDcBoard(Modbus& link, const StorageGroups& g, vcl::TComponent& form, bool slave, std::uint8_t stop);

} // namespace groups

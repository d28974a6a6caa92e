// The storage groups' readers as the polling loop calls them.
#include "app/Main.h"

int TForm_Main::ReadBatteryInfo(std::uint8_t stop) { return groups::ReadBatteryInfo(Link, Readers, StoragePanels, *this, stop); }
int TForm_Main::ReadBatteryCtrl(std::uint8_t stop) { return groups::ReadBatteryCtrl(Link, StoragePanels, *this, stop); }
int TForm_Main::ReadSubsidy(std::uint8_t stop) { return groups::ReadSubsidy(Link, StoragePanels, *this, stop); }
int TForm_Main::ReadBatteryModule1(std::uint8_t stop) { return groups::ReadBatteryModule(Link, StoragePanels, *this, 1, stop); }
int TForm_Main::ReadBatteryModule2(std::uint8_t stop) { return groups::ReadBatteryModule(Link, StoragePanels, *this, 2, stop); }
int TForm_Main::ReadQR45(std::uint8_t stop) { return groups::ReadQR45(Link, StoragePanels, *this, stop); }
int TForm_Main::ReadMasterDcb(std::uint8_t stop) { return groups::ReadDcBoard(Link, StoragePanels, *this, false, stop); }
int TForm_Main::ReadSlaveDcb(std::uint8_t stop) { return groups::ReadDcBoard(Link, StoragePanels, *this, true, stop); }

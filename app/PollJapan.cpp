// The Japanese-market readers as the polling loop calls them.
#include "app/Main.h"

int TForm_Main::ReadJapanSet(std::uint8_t stop) { return groups::ReadJapanSet(Link, JapanPanels, *this, stop); }
int TForm_Main::ReadJapanSet3P(std::uint8_t stop) { return groups::ReadJapanSet3P(Link, JapanPanels, *this, stop); }
int TForm_Main::ReadJapanVersions(std::uint8_t stop) { return groups::ReadJapanVersions(Link, JapanPanels, *this, stop); }
int TForm_Main::ReadJapanRemoteCtrl(std::uint8_t stop) { return groups::ReadJapanRemoteCtrl(Link, JapanPanels, *this, stop); }
int TForm_Main::ReadShipmentTest(std::uint8_t stop) { return groups::ReadShipmentTest(Link, JapanPanels, *this, stop); }
int TForm_Main::ReadJapanProtect(std::uint8_t stop) { return groups::ReadJapanProtect(Link, JapanPanels, *this, stop); }
int TForm_Main::ReadJapanUserSet3P(std::uint8_t stop) { return groups::ReadJapanUserSet3P(Link, JapanPanels, *this, stop); }
int TForm_Main::ReadJapanUserSet(std::uint8_t stop) { return groups::ReadJapanUserSet(Link, JapanPanels, *this, stop); }
int TForm_Main::ReadJapanUserSetOld(std::uint8_t stop) { return groups::ReadJapanUserSetOld(Link, JapanPanels, *this, stop); }

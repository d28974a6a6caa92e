// The "Status" group (Group_Status with its constant-voltage part Group_ConstVolt), the "Night
// Mode" group (Group_NightMode) and the "Country Set" group (Group_Country): the inverter's
// operating state and its basic grid settings, their controls, and their readers.
#pragma once

#include "groups/PanelControls.h"
#include "groups/ReaderFrame.h"

namespace groups {

struct StatusGroup {
    vcl::TWinControl* Panel = nullptr;        // Group_Status
    vcl::TWinControl* ConstVoltPart = nullptr; // Group_ConstVolt (shown by the mode's option)
    RadioPair Remote;                          // Radio_RemoteON / Radio_RemoteOFF
    vcl::TLabel* InvStatus = nullptr;          // Label_InvStatus
    vcl::TLabel* ReclosureT = nullptr;         // Label_ReclosureT
    vcl::TLabel* MaxPower = nullptr;           // Label_MaxPower
    vcl::TEdit* EditMaxPower = nullptr;        // Edit_MaxPower
    vcl::TLabel* WarningOccur = nullptr;       // Label_WarningOccur ("Lock")
    vcl::TButton* Unlock = nullptr;            // Btn_Unlock "Grid unlock"
    vcl::TCheckBox* ConstVolt = nullptr;       // Check_ConstVolt
    vcl::TLabel* ConstVoltValue = nullptr;     // Label_ConstVolt
    vcl::TEdit* EditConstVolt = nullptr;       // Edit_ConstVolt
};

struct NightModeGroup {
    vcl::TWinControl* Panel = nullptr;   // Group_NightMode
    RadioPair NightMode;                 // Radio_NightModeON "Enable" / Radio_NightModeOFF "Disable"
};

struct CountryGroup {
    vcl::TWinControl* Panel = nullptr;      // Group_Country
    vcl::TLabel* Country = nullptr;         // Label_Country
    vcl::TComboBox* CountryBox = nullptr;   // Combo_Country
    vcl::TLabel* Language = nullptr;        // Label_LanguageSelect
    vcl::TComboBox* LanguageBox = nullptr;  // Combo_LanguageSelect
    vcl::TLabel* ReclosureSet = nullptr;    // Label_ReclosureSet
    vcl::TEdit* EditReclosureSet = nullptr;
    vcl::TLabel* InverterId = nullptr;      // Label_InverterID
    vcl::TEdit* EditInverterId = nullptr;
    vcl::TLabel* Baudrate = nullptr;        // Label_Baudrate
    vcl::TComboBox* BaudrateBox = nullptr;  // Combo_Baudrate
};

struct StatusGroups {
    StatusGroup Status;
    NightModeGroup NightMode;
    CountryGroup Country;
};

// Creates the controls inside the form's panels (found by name; a missing panel gets none) and
// returns them; a second call finds the controls built by the first.
StatusGroups BuildStatusGroups(vcl::TComponent& form);

// The country names the country group shows, indexed by the country code: the mode's country
// list (300 entries, each as read from the file) or a built-in table (100 entries).
struct CountryNameList {
    const QString* names = nullptr;
    int size = 0;
};
// The name for a country code read from the inverter: codes above 255, and codes the list does
// not reach, show the name of code 0. The list file's line end is not shown.
QString CountryNameOf(const CountryNameList& list, int code);

// "2,500" for 2500, "1000" for 1000: the maximum power in watts as the status group shows it.
QString MaxPowerText(int watts);

// The status reader; stateTable is the mode's state-text table.
int ReadStatus(Modbus& link, const ReaderContext& ctx, StatusGroup& g, int stateTable, std::uint8_t stop);
int ReadNightMode(Modbus& link, NightModeGroup& g, std::uint8_t stop);
int ReadCountrySet(Modbus& link, const CountryNameList& names, CountryGroup& g, std::uint8_t stop);

} // namespace groups

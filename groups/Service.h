// The service groups used in production and repair: "Factory" (Group_Factory with its
// super-user part Group_UseForFactory), "AC Terminal" (Group_AcTerminal), "Fan Test"
// (Group_FanTest), "MPPT Switch" (Group_MPPTSwitch), the gains (Group_VIPGain), the input gain
// calibration (Group_CalibrateInput) and the EU settings (Group_K4PSetting): their controls and
// their readers.
#pragma once

#include "groups/PanelControls.h"
#include "groups/ReaderFrame.h"

#include <array>

namespace groups {

constexpr int kMpptSwitches = 6;
constexpr int kGainWords = 12;   // words 1..12 of the gain block

struct FactoryGroup {
    vcl::TWinControl* Panel = nullptr;       // Group_Factory
    vcl::TWinControl* FactoryPart = nullptr; // Group_UseForFactory (super-user mode only)
    RadioPair Repair;                        // Radio_RepairON / Radio_RepairOFF
    vcl::TLabel* SaveData = nullptr;         // Label_SaveData
    RadioPair GridLock;                      // Label_GridLockON / Label_GridLockOFF (radio buttons)
};

struct AcTerminalGroup {
    vcl::TWinControl* Panel = nullptr;       // Group_AcTerminal
    RadioPair Terminal;                      // On = Radio_3P3W, Off = Radio_3P4W
};

struct FanTestGroup {
    vcl::TWinControl* Panel = nullptr;       // Group_FanTest
    RadioPair Fan;                           // Radio_FanON / Radio_FanOFF
    vcl::TLabel* Duty = nullptr;             // Label_FanDuty
};

struct MpptSwitchGroup {
    vcl::TWinControl* Panel = nullptr;       // Group_MPPTSwitch
    std::array<RadioPair, kMpptSwitches> Switch{};  // Radio_MPPTSwitchON1 / Radio_MPPTSwitchOFF1 ...
};

struct GainGroup {
    vcl::TWinControl* Panel = nullptr;       // Group_VIPGain
    vcl::TLabel* Index = nullptr;            // Label_GainIndex
    std::array<vcl::TLabel*, kGainWords> Gains{};   // Label_VoltHighGain ... Label_VoltLowGainRed
};

struct EuSetGroup {
    vcl::TWinControl* Panel = nullptr;       // Group_K4PSetting
    RadioPair Parallel;                      // Radio_EUParallelON / OFF
    RadioPair Efficiency;                    // Radio_EUEffON / OFF
    RadioPair Afci;                          // Radio_AFCION / OFF (not read back)
    vcl::TLabel* AfciCount = nullptr;        // Label_AFCICount
    vcl::TLabel* AfciRevision = nullptr;     // Label487, the value of the "REV:" row
    vcl::TLabel* ShadowMode = nullptr;       // Label_EUShadowMode
    vcl::TLabel* ShadowInterval = nullptr;   // Label_EUShadowInterval
};

struct CalibrateGroup {
    vcl::TWinControl* Panel = nullptr;       // Group_CalibrateInput
    vcl::TLabel* Selected = nullptr;         // Label_GainSelect
};

struct ServiceGroups {
    FactoryGroup Factory;
    AcTerminalGroup AcTerminal;
    FanTestGroup FanTest;
    MpptSwitchGroup Mppt;
    GainGroup Gain;
    EuSetGroup EuSet;
    CalibrateGroup Calibrate;
};

// Creates the controls inside the form's panels (found by name; a missing panel gets none).
ServiceGroups BuildServiceGroups(vcl::TComponent& form);

// The names of the gain block's index word: "Input3" for 50, "Error(67)" for an index without one.
QString GainIndexText(int index);
// The items of the gain-index box and the index each posts.
struct GainIndexItem {
    const char* text;
    int index;
};
extern const GainIndexItem kGainIndexItems[17];

// The MPPT switch states from the data bytes of a 6-coil reply: one byte per coil (6 bytes, a
// byte of 1 is on) or the coils packed as bits (1 byte, bit k is switch k + 1). Any other byte
// count gives no states (false).
bool MpptSwitchStates(const std::uint8_t* data, int byteCount, std::array<bool, kMpptSwitches>& on);

// "Disable", "Morning", "Noon", "Evening", "All Day"; "Error" for other values.
QString ShadowModeText(int mode);

// The unlock written to holding 832 right before the hidden AFCI count is read.
constexpr int kUnlockRegister = 832;
constexpr int kUnlockValue = 15771;

int ReadFactory(Modbus& link, FactoryGroup& g, std::uint8_t stop);
int ReadAcTerminal(Modbus& link, AcTerminalGroup& g, std::uint8_t stop);
int ReadFanTest(Modbus& link, FanTestGroup& g, std::uint8_t stop);
int ReadMpptSwitch(Modbus& link, MpptSwitchGroup& g, std::uint8_t stop);
int ReadGain(Modbus& link, GainGroup& g, std::uint8_t stop);
int ReadEuSet(Modbus& link, EuSetGroup& g, std::uint8_t stop);

} // namespace groups

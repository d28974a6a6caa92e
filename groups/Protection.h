// The voltage and frequency protection groups: "Uac Protection" (Group_UacProtection),
// "Freq. Protection" (Group_FreqProtection) and "AU/NZ Setting" (Group_AustraliaSet). Each
// shows the inverter's trip limits beside an edit with which the engineer writes a new one.
//
// When the country shown on the Country Set panel is one of the loaded custom grid codes (its
// name reads "Cu.....r..."), slow-stage limits that read 0 or 0xFFFF are unset in the inverter:
// the readers write the grid's defaults into them at once.
#pragma once

#include "groups/ReaderFrame.h"

#include <array>

namespace groups {

struct ProtectionGroup {
    vcl::TWinControl* Uac = nullptr;        // Group_UacProtection
    vcl::TWinControl* Freq = nullptr;       // Group_FreqProtection
    vcl::TWinControl* Australia = nullptr;  // Group_AustraliaSet
    std::array<vcl::TLabel*, 12> UacFast{};   // 33552..33563: fast and slow stage
    std::array<vcl::TLabel*, 6> UacSlow2{};   // 48176..48181: second slow stage
    std::array<vcl::TLabel*, 6> FreqFast{};   // 33568..33573
    std::array<vcl::TLabel*, 6> FreqSlow{};   // 33610..33615
    vcl::TLabel* Drm = nullptr;               // input 1793
    std::array<vcl::TLabel*, 3> UHigh2{};     // 33564..33566
    std::array<vcl::TLabel*, 2> PofU{};       // 48550..48551
};

// Lays out the labels and edits of the panels the form has (once) and finds them.
ProtectionGroup BuildProtectionGroups(vcl::TComponent& form);
ProtectionGroup FindProtectionGroups(const vcl::TComponent& form);

// True for a country caption whose slow limits get the defaults when unset.
bool CountryTakesSlowDefaults(const QString& country);

// The readers. `form` is where the Country Set panel's Label_Country is looked up.
int ReadVacProtection(Modbus& link, ProtectionGroup& g, const vcl::TComponent& form, std::uint8_t stop);
int ReadFreqProtection(Modbus& link, ProtectionGroup& g, const vcl::TComponent& form, std::uint8_t stop);
int ReadAustraliaSet(Modbus& link, ProtectionGroup& g, std::uint8_t stop);

} // namespace groups

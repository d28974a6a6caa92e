// The switched protections: "Insulation" (Group_Insulation), "Ground Current"
// (Group_GroundCurr), "DC Injection" (Group_DcInj), "Comm Protection" (Group_CommProtection) and
// "Dry Contact" (Group_DryContact). Each shows an on/off switch or a mode with its limits.
#pragma once

#include "groups/ReaderFrame.h"

namespace groups {

struct ProtectionSwitchGroup {
    vcl::TWinControl* Insulation = nullptr;
    vcl::TWinControl* GroundCurr = nullptr;
    vcl::TWinControl* DcInj = nullptr;
    vcl::TWinControl* CommProtection = nullptr;
    vcl::TWinControl* DryContact = nullptr;
};

// The texts of the dry contacts' modes, by mode code 0 to 7 (also the items of their combos).
extern const char* const kDryContactModes[8];

ProtectionSwitchGroup BuildProtectionSwitchGroups(vcl::TComponent& form);
ProtectionSwitchGroup FindProtectionSwitchGroups(const vcl::TComponent& form);

// The readers; `form` holds the panels' controls. stateTextTable picks the insulation's average
// reading: 0 the live block, 1 the hidden register behind the unlock value, other values none.
int ReadInsulation(Modbus& link, const ProtectionSwitchGroup& g, vcl::TComponent& form, int stateTextTable,
                   std::uint8_t stop);
int ReadGroundCurrent(Modbus& link, const ProtectionSwitchGroup& g, vcl::TComponent& form, std::uint8_t stop);
int ReadDcInjection(Modbus& link, const ProtectionSwitchGroup& g, vcl::TComponent& form, std::uint8_t stop);
int ReadCommProtection(Modbus& link, const ProtectionSwitchGroup& g, vcl::TComponent& form, std::uint8_t stop);
int ReadDryContact(Modbus& link, const ProtectionSwitchGroup& g, vcl::TComponent& form, std::uint8_t stop);

} // namespace groups

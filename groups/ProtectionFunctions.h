// The protection functions: "Dark Current" (Group_DarkCurrent), "EPO" (Group_EPO), "Islanding"
// (Group_Islanding), "Anti-Islanding" (Group_AntiIsland), "ARC" (Group_ARCTest), "Anti-PID"
// (Group_AntiPid) and "FRT" (Group_LVFR, the low- and high-voltage ride-through curves).
#pragma once

#include "groups/ReaderFrame.h"

namespace groups {

struct ProtectionFunctionGroup {
    vcl::TWinControl* DarkCurrent = nullptr;
    vcl::TWinControl* Epo = nullptr;
    vcl::TWinControl* Islanding = nullptr;
    vcl::TWinControl* AntiIsland = nullptr;
    vcl::TWinControl* Arc = nullptr;
    vcl::TWinControl* AntiPid = nullptr;
    vcl::TWinControl* Frt = nullptr;
};

ProtectionFunctionGroup BuildProtectionFunctionGroups(vcl::TComponent& form);
ProtectionFunctionGroup FindProtectionFunctionGroups(const vcl::TComponent& form);

// The dark-current state's text, or an empty text for a state the table lacks.
QString DarkCurrentStateText(int state);
// A run time in seconds as hours:minutes:seconds without leading zeros (3725 gives "1:2:5").
QString RunTimeText(int seconds);

int ReadDarkCurrent(Modbus& link, const ProtectionFunctionGroup& g, vcl::TComponent& form, std::uint8_t stop);
int ReadEpo(Modbus& link, const ProtectionFunctionGroup& g, vcl::TComponent& form, std::uint8_t stop);
int ReadIslanding(Modbus& link, const ProtectionFunctionGroup& g, vcl::TComponent& form, std::uint8_t stop);
int ReadAntiIslanding(Modbus& link, const ProtectionFunctionGroup& g, vcl::TComponent& form, std::uint8_t stop);
int ReadArc(Modbus& link, const ProtectionFunctionGroup& g, vcl::TComponent& form, std::uint8_t stop);
int ReadAntiPid(Modbus& link, const ProtectionFunctionGroup& g, vcl::TComponent& form, std::uint8_t stop);
int ReadFrt(Modbus& link, const ProtectionFunctionGroup& g, vcl::TComponent& form, std::uint8_t stop);

} // namespace groups

// The "Version" group (Group_Version): the inverter's protocol, firmware versions and build
// weeks, serial number and model name; its reader also sets the scale factors of the current
// inverter and whether its power and current words are signed.
#pragma once

#include "groups/ReaderFrame.h"

#include <array>

namespace groups {

struct VersionGroup {
    vcl::TWinControl* Panel = nullptr;   // Group_Version
    vcl::TLabel* DisplayRev = nullptr;   // Label_Display_Rev: communication firmware
    vcl::TLabel* CommDate = nullptr;     // Label_COMM_Date
    vcl::TLabel* DspRev = nullptr;       // Label_DSP_Rev
    vcl::TLabel* DspDate = nullptr;      // Label_DSP_Date
    vcl::TLabel* RedundantRev = nullptr; // Label_Redundant_Rev
    vcl::TLabel* RedDate = nullptr;      // Label_RED_Date
    std::array<vcl::TLabel*, 3> DateSeparators{};   // Label1022..Label1024 (" / ")
    vcl::TLabel* ArcRev = nullptr;       // Label_ARC_Rev
    vcl::TLabel* ArcCaption = nullptr;   // "ARC FW Version"
    vcl::TLabel* ScmRev = nullptr;       // Label_SCM_Rev
    vcl::TLabel* ScmCaption = nullptr;   // "SCM FW Version"
    vcl::TLabel* Sub1GRev = nullptr;     // Label_Sub1G_Rev
    vcl::TLabel* Sub1GCaption = nullptr; // "Sub-1G FW Version"
    vcl::TLabel* SerialNumber = nullptr; // Label_VantoSN
    vcl::TLabel* ModelName = nullptr;    // Label_ModelName
    // Outside the group: the protocol label and pictures of the header band, and the copies of
    // serial number and model name in the Japanese-market group (each may be missing).
    vcl::TLabel* InvProtocol = nullptr;  // Label_InvProtocol
    vcl::TControl* ImageVantoSun = nullptr;
    vcl::TControl* ImageSunVanto = nullptr;
    vcl::TLabel* SerialNumber1 = nullptr; // Label_VantoSN1
    vcl::TLabel* ModelName2 = nullptr;    // Label_ModelName2
};

// Creates the labels inside the form's panel Group_Version (found by name; nothing when missing).
VersionGroup BuildVersionGroup(vcl::TComponent& form);
// The labels built earlier and the outside labels, found by name on the form.
VersionGroup FindVersionGroup(const vcl::TComponent& form);

// "V1.23" for 0x0117: "V", the high byte, ".", the tens and units of the low byte.
QString VersionText(int word);
// "Y20W09" for 0x1409.
QString BuildWeekText(int word);
// A serial number from a device's bytes: only the characters from '0' to 'Z' are kept.
QString SerialText(const std::uint8_t* bytes, int n);

// The version reader (the polling loop runs it every tenth cycle and after an inverter change).
// Status panel 6 shows the scale factors, status panel 7 the device type. Scale factors read
// from an accepted identity block and device-type word count as known.
int ReadVersion(Modbus& link, const ReaderContext& ctx, VersionGroup& g, std::uint8_t stop);
// The scale factors alone, whether the version group is shown or not: identity words 24 (phase
// count) and 32 (scale descriptor) and the device-type word (signed values). They are known
// once the identity block was accepted and the type word was answered (exception 2, no such
// word: no type, unsigned values); the type word is asked only after an accepted identity block. Status
// panels 6 and 7 as for the version reader.
int ReadScaleFactors(Modbus& link, const ReaderContext& ctx, std::uint8_t stop);

} // namespace groups

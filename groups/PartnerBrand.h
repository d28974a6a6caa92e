// The partner brand's monitor and energy panels ("パワコン"): output time, start date, maxima
// and processor versions (Group_HarunetMM), and the live DC and AC values with today's and the
// total energy and operating time (Group_HRN_Energy). Each request stands on its own: a reply
// that is not accepted leaves only that request's labels as they were.
#pragma once

#include "groups/ReaderFrame.h"

namespace groups {

struct PartnerGroups {
    vcl::TWinControl* Monitor = nullptr;
    vcl::TWinControl* Energy = nullptr;
};

PartnerGroups BuildPartnerGroups(vcl::TComponent& form);

// "V" + the high byte as two digits + "." + the low byte as two digits (0x0A03: V10.03).
QString PartnerVersionText(int word);

int ReadHarunetMonitor(Modbus& link, const PartnerGroups& g, vcl::TComponent& form, std::uint8_t stop);
int ReadHarunetEnergy(Modbus& link, const PartnerGroups& g, vcl::TComponent& form, std::uint8_t stop);

} // namespace groups

// The panels of the product line read with STX frames: identity ("TALVERA"), the two DC inputs
// and the AC output. Each request returns one value; a reply counts only when it acknowledges
// (0x06) and passed the link's STX check.
#pragma once

#include "groups/ReaderFrame.h"

namespace groups {

struct TalveraGroups {
    vcl::TWinControl* Test = nullptr;
    vcl::TWinControl* Dc1 = nullptr;
    vcl::TWinControl* Dc2 = nullptr;
    vcl::TWinControl* Ac1 = nullptr;
};

TalveraGroups BuildTalveraGroups(vcl::TComponent& form);

int ReadTalveraTest(Modbus& link, const TalveraGroups& g, vcl::TComponent& form, std::uint8_t stop);
int ReadTalveraDc1(Modbus& link, const TalveraGroups& g, vcl::TComponent& form, std::uint8_t stop);
int ReadTalveraDc2(Modbus& link, const TalveraGroups& g, vcl::TComponent& form, std::uint8_t stop);
int ReadTalveraAc1(Modbus& link, const TalveraGroups& g, vcl::TComponent& form, std::uint8_t stop);

} // namespace groups

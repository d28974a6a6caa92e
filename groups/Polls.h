// The four user register polls "Poll 01 (Unsigned)", "Poll 02 (Unsigned)", "Poll 03 (Signed)"
// and "Poll 04 (Hex)" (Group_Poll01..04): ten rows each of a type ("Coil", "IR", "HR"), a
// 1-based address, a value to write and the value read. The readers read every row that has a
// type and an address in each polling cycle; the value edits post writes (the window binds them).
#pragma once

#include "groups/ReaderFrame.h"

#include <array>

namespace vcl {
class TButton;
class TComboBox;
class TEdit;
} // namespace vcl

namespace groups {

constexpr int kPollGroups = 4;
constexpr int kPollRows = 10;

// How a poll shows a register word: "%i" of the word, "%hd" of it, or four hex digits.
enum class PollForm { Unsigned, Signed, Hex };

struct PollRowControls {
    vcl::TComboBox* Type = nullptr;   // Combo_PollType<suffix>
    vcl::TEdit* Address = nullptr;    // Edit_PollAddr<suffix>
    vcl::TEdit* Value = nullptr;      // Edit_PollVal<suffix>
    vcl::TLabel* Read = nullptr;      // Label_PollVal<suffix>
};

struct PollGroup {
    vcl::TWinControl* Panel = nullptr;    // Group_Poll01..04
    std::array<PollRowControls, kPollRows> Rows;
    vcl::TButton* CleanAll = nullptr;     // Btn_Poll1CleanAll, Btn_Poll2CleanAll, Btn_Poll3ClearAll, Btn_Poll4ClearAll
};

using PollGroups = std::array<PollGroup, kPollGroups>;

// A row's suffix: the group's digit (0..3) and the row number (1..10) without a leading zero,
// "01".."09", "010" for the first poll up to "310" for the last row of the fourth.
QString PollSuffix(int digit, int row);
// The form the group of that digit shows its words in.
PollForm PollFormOf(int digit);
// Register and coil numbers a row may address; others are neither read nor written.
bool PollAddressValid(int reg);

// Builds the rows and the "Clean All" button inside the form's panels Group_Poll01..04 (found
// by name; a missing panel gets nothing).
PollGroups BuildPollGroups(vcl::TComponent& form);

// The reader of poll group `digit` (0..3): the reader frame with the group's panel and its
// progress text ("Poll01..." ...), then its ten rows in order. Each row reads the coil or
// register of its address with its type's function code and shows it in blue in the group's
// form ("Error" for a rejected reply); a row without a type, or whose address is no valid
// number, is left untouched. 1 on a link failure, else 0.
int ReadPoll(Modbus& link, const PollGroup& group, int digit, std::uint8_t stop);

// Empties the group's ten type boxes, address edits and value edits; the labels keep their text.
void CleanAllRows(PollGroup& group);

} // namespace groups

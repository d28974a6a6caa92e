// The controls of the mode settings file on a kit form: the 40 poll rows (`Edit_PollAddr<d><r>`,
// `Combo_PollType<d><r>`, `Edit_PollVal<d><r>`, d = 0..3, r = 1..10) and the eight temperature
// titles (`Label_TemperTitle11`..`14`, `Label_TemperTitle21`..`24`), found by name. The sixteen
// option members are members of the window, which copies them itself.
#pragma once

#include "design/ModeSettings.h"

#include <functional>

namespace vcl {
class TComponent;
}

namespace design {

// Name of the title label i (0..7) and of the poll-row controls of digit d and row r.
QString TemperatureTitleName(int i);
QString PollControlName(const char* prefix, int digit, int row);   // prefix e.g. "Edit_PollAddr"

// A title as the window shows it from the text the settings file keeps, or back.
using TitleText = std::function<QString(const QString&)>;

// Copies the poll rows and titles of the form into `s` (controls the form lacks leave `s` alone).
// `toFile` gives back the text the file keeps for a title shown in the window's language.
void CollectPollsAndTitles(const vcl::TComponent& form, ModeSettings& s, const TitleText& toFile = {});
// Sets the poll rows and titles of the form from `s`; an item index that names no item leaves the
// combo box with no item selected. `shown` puts a title in the window's language.
void ApplyPollsAndTitles(vcl::TComponent& form, const ModeSettings& s, const TitleText& shown = {});

} // namespace design

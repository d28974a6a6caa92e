// The display options of the main window: the appliers that turn an option member into
// captions, widths, row positions and visibility, and the option items of the designer's
// popup menu that set the members. Controls are found on the form by name; a control the form
// does not have is left out (the panels' families build their own controls).
#pragma once

#include "design/ModeSettings.h"

#include <QString>

#include <functional>

namespace vcl {
class TComponent;
}

namespace design {

// The window's language for a caption: the text shown for an English caption (the language
// table's entry), or the caption itself where the table has none. Empty: English.
using CaptionLanguage = std::function<QString(const QString& english)>;

// Every applier below sets its captions in the window's language.
// Captions of the twelve static labels of Group_FreqProtection: style 0 the window's own,
// 1 the "USA" names, 2 the "HECO" names; any other style changes nothing.
void ApplyFreqProtectCaptions(vcl::TComponent& form, int style, const CaptionLanguage& language = {});
// The same for fifteen labels of Group_UacProtection (styles 0, 1, 2).
void ApplyUacProtectCaptions(vcl::TComponent& form, int style, const CaptionLanguage& language = {});
// Six curve captions of Group_QUCtrl: 0 "Display", 1 "HECO".
void ApplyQofUCaptions(vcl::TComponent& form, int style, const CaptionLanguage& language = {});
// Titles of the three AC groups: 0 "Output 1".."Output 3", 1 "VAB", "VBC", "VAC".
void ApplyAcOutputTitles(vcl::TComponent& form, int style, const CaptionLanguage& language = {});
// Title, one row caption and the row positions of Group_JapUserSet: variants 10, 0, 1, 2.
void ApplyJapanUserSettingLayout(vcl::TComponent& form, int variant, const CaptionLanguage& language = {});
// The voltage-protection set 0..3: width of Group_UacProtection (255 or 520) and its title,
// the captions' style and the second slow stage GroupBox39; any other value changes nothing.
void ApplyVacProtectSet(vcl::TComponent& form, int set, const CaptionLanguage& language = {});

// What an option item acts on besides the form's controls.
struct OptionItemHost {
    vcl::TComponent& form;
    ModeOptions& options;
    // The designer's insertion: the named panel gets its Tag as height and stands at the last
    // mouse position on the page now shown.
    std::function<void(const QString& panel)> insert;
    // The voltage captions of the AC groups and their redundant labels (styles -1, 0, 1, 2).
    std::function<void(int style)> voltageCaptions;
    CaptionLanguage language;
};

// Runs the steps of the option item with this menu Tag. False when the Tag is not an option
// item (nothing done).
bool RunOptionItem(int tag, OptionItemHost& host);

} // namespace design

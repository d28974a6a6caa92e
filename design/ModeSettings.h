// The mode settings file "MonitorSet.RQX" of a mode folder: the four register-poll tables, the
// eight temperature titles and sixteen option members of the main window (14 sections,
// 144 keys). The window copies its controls and members into a ModeSettings before a save and
// out of it after a load; the member names are those of the window.
#pragma once

#include <QString>
#include <array>
#include <cstdint>

namespace design {

// One row of a register-poll table (Group_Poll01..04, rows 1..10).
struct PollRow {
    QString addr;   // text of Edit_PollAddr<d><r>
    int type = -1;  // item index of Combo_PollType<d><r>: 0 "Coil", 1 "IR", 2 "HR", -1 none
    QString value;  // text of Edit_PollVal<d><r>
};

// The option members of the main window as the settings file holds them. The window carries
// them as its own members (it derives from this struct), so that a load and a save copy them
// in one assignment.
struct ModeOptions {
    int ReclosureRate = 10;
    int ReactiveSign = 0;
    int CosPhiStep = 0;
    int StateTextTable = 0;
    std::uint8_t ConstVoltShow = 0;
    int JapanUserSettingMode = 0;
    int VacProtectSet = 0;
    std::uint8_t ActiveSlopeShow = 0;
    std::uint8_t LanguageSelectShow = 0;
    std::uint8_t WriteLock = 0;
    int AcLayout = 0;
    int ShowAcTitle = 0;
    int ShowGsFacMode = 0;
    int ShowQofUMode = 0;
    int ReactivePowerMode = 0;
    int ShowFirmwareDates = 0;
};

struct ModeSettings : ModeOptions {
    // poll[d][r-1]: table digit d = 0..3 (sections Poll01..Poll04), row r = 1..10.
    std::array<std::array<PollRow, 10>, 4> poll;
    // Captions of Label_TemperTitle11..14 then Label_TemperTitle21..24.
    std::array<QString, 8> temperatureTitles;
};

// Poll-row key of table digit d (0..3) and row r (1..10): word + d + r, e.g. "Addr010", "Type31".
QString PollKey(const char* word, int digit, int row);
// Section of table digit d: "Poll01".."Poll04".
QString PollSection(int digit);

// Reads all 144 keys into `s`. Returns 1 when there is no file at `path` (nothing changed, no
// message), else 0. A missing key reads as empty text; numbers go through StrToIntSafe (empty or
// invalid gives 0). A "Type" outside 0..2 gives -1 (the combo box has no such item). A rate of 0
// reads as 10; the four flags read any number other than 0 as 1.
int LoadMonitorSet(const QString& path, ModeSettings& s);

// Writes all 144 keys, key by key, when `superUserMode` is 1 (otherwise writes nothing).
// Returns 1 when there is no file at `path` (after the message box "No found Setting File", in
// any mode); 2 when the file could not be written (after one message box "Unable to write to
// <path>"; the file stays as it was: the keys go into the file in one write); else 0.
int SaveMonitorSet(const QString& path, const ModeSettings& s, std::uint8_t superUserMode);

} // namespace design

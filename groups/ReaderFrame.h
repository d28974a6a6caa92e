// The frame every data-group reader follows, and what the readers share: the window's state they
// read and write (scale factors, display options), the test of a reply, the data words, and the
// small helpers with which the group builders lay out their labels.
//
// A reader is a free function: reader(link, context, panels..., stop). It returns 1 to end the
// polling loop (stop requested or link failed) and 0 to carry on. The frame:
//   1. stop flag set: 1 at once;
//   2. a command pending in the mailbox: 0 at once, so that the command runs soon;
//   3. every panel of the group hidden: 0 (a hidden group costs no transaction);
//   4. status panel 2 := the group's progress text;
//   5. one request per block; a failed link returns 1 at once;
//   6. a block is decoded only when its reply was accepted (function code and reply check);
//   7. words are big-endian; 8. texts with units; 9. settings labels back to blue; 10. return 0.
#pragma once

#include "link/Modbus.h"
#include "vcl/StdCtrls.h"

#include <QString>
#include <cstdint>
#include <functional>
#include <initializer_list>

namespace groups {

// The window's members that the readers decode with or set. The window points these at its own
// members; tests point them at a ReaderState.
struct ReaderContext {
    int* PowerMultiplier = nullptr;   // power words are multiplied by it
    int* EnergyMultiplier = nullptr;  // energy words are multiplied by it
    int* VoltageDivisor = nullptr;    // voltage words are divided by it
    int* IdcDivisor = nullptr;        // DC current words are divided by it
    int* IacDivisor = nullptr;        // AC current words are divided by it
    std::uint8_t* SignedValues = nullptr;   // 1: power and current words are signed
    bool* ScaleFactorsKnown = nullptr; // the factors above are the current inverter's
    int* PhaseCount = nullptr;        // 1 or 3, from the version group
    int* AcLayout = nullptr;          // which AC readers the loop calls; the output reader sets 0/1
    const int* ShowFirmwareDates = nullptr;  // non-zero shows the version group's build weeks
    // The form whose labels the readers also touch outside their own panels (the protocol label
    // of the header band, the Japanese-market copies of the serial number); may be null.
    vcl::TComponent* Form = nullptr;
    // A caption in the window's language, from its English text; unset keeps the English.
    std::function<QString(const QString&)> InLanguage;
    QString Caption(const QString& english) const { return InLanguage ? InLanguage(english) : english; }
};

// A context on the members of the same names of `s` (the window, or a ReaderState).
template <class State>
ReaderContext ContextOn(State& s, vcl::TComponent* form)
{
    ReaderContext c;
    c.PowerMultiplier = &s.PowerMultiplier;
    c.EnergyMultiplier = &s.EnergyMultiplier;
    c.VoltageDivisor = &s.VoltageDivisor;
    c.IdcDivisor = &s.IdcDivisor;
    c.IacDivisor = &s.IacDivisor;
    c.SignedValues = &s.SignedValues;
    c.ScaleFactorsKnown = &s.ScaleFactorsKnown;
    c.PhaseCount = &s.PhaseCount;
    c.AcLayout = &s.AcLayout;
    c.ShowFirmwareDates = &s.ShowFirmwareDates;
    c.Form = form;
    return c;
}

// Plain storage for a context, with the window's start-up defaults (power x1, energy x10,
// voltage /10, DC and AC current /100).
struct ReaderState {
    int PowerMultiplier = 1;
    int EnergyMultiplier = 10;
    int VoltageDivisor = 10;
    int IdcDivisor = 100;
    int IacDivisor = 100;
    std::uint8_t SignedValues = 0;
    bool ScaleFactorsKnown = false;
    int PhaseCount = 0;
    int AcLayout = 0;
    int ShowFirmwareDates = 0;
    ReaderContext Context(vcl::TComponent* form = nullptr) { return ContextOn(*this, form); }
};

// Steps 1 to 4 of the frame. Returns -1 when the reader goes on to its requests, else the
// reader's result (1 stop, 0 skip). Any of the panels visible opens the gate.
int FrameStart(Modbus& link, std::uint8_t stop, std::initializer_list<const vcl::TControl*> panels,
               const QString& progress);

// The reply to the last request is the accepted answer of function code fc.
inline bool Accepted(const Modbus& link, std::uint8_t fc) { return link.Reply[1] == fc && link.ReplyOk == 1; }
// Data word k of the last reply (unsigned, big-endian). k must lie inside the accepted reply.
inline int Word(const Modbus& link, int k) { return link.Reply[3 + 2 * k] * 256 + link.Reply[4 + 2 * k]; }
// Data word k read as a signed 16-bit number.
inline int SignedWord(const Modbus& link, int k) { return static_cast<std::int16_t>(static_cast<std::uint16_t>(Word(link, k))); }
// A power or current word, signed when SignedValues is 1.
inline int DeviceWord(const Modbus& link, int k, std::uint8_t signedValues)
{
    return signedValues == 1 ? SignedWord(link, k) : Word(link, k);
}

// Sets a label's text when the label exists (readers write through this so that a panel the
// window lacks costs nothing).
inline void SetText(vcl::TLabel* label, const QString& text)
{
    if (label) label->SetCaption(text);
}
inline void SetVisible(vcl::TControl* control, bool visible)
{
    if (control) control->SetVisible(visible);
}

// ---- Stale marking on the window's labels ---------------------------------------------------
// Only components of the exact class "TLabel" are touched, compared by their stored colour.
// Every blue label becomes a red "??" (the inverter fell silent).
void MarkBlueLabelsStale(vcl::TComponent& form);
// Every red label becomes a blue "??" (first answer after a silence; a new inverter selected).
void RecoverRedLabels(vcl::TComponent& form);
// Every blue label shows "??" and stays blue (another inverter was chosen).
void ClearBlueLabels(vcl::TComponent& form);

// ---- Building a group's labels ---------------------------------------------------------------
// Rows start below the panel's title bar and follow on a fixed pitch.
constexpr int kFirstRowTop = 38;
constexpr int kRowPitch = 22;
constexpr int kValueLeft = 130;

// A static caption (Tag 1: the language switch re-captions it).
vcl::TLabel* CaptionLabel(vcl::TComponent* owner, vcl::TWinControl* parent, const QString& name,
                          const QString& caption, int left, int top, int width = 118);
// A live value: "??" in blue until the first read.
vcl::TLabel* ValueLabel(vcl::TComponent* owner, vcl::TWinControl* parent, const QString& name,
                        int left, int top, int width = 90);
// A group panel of the form by name (a TWinControl), or nullptr.
vcl::TWinControl* FindPanel(const vcl::TComponent& form, const QString& name);
// A label of the form by name, or nullptr.
vcl::TLabel* FindLabel(const vcl::TComponent& form, const QString& name);

} // namespace groups

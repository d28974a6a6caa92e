// Settings handlers as tables. Every control of a group panel that changes a setting of the
// inverter does the same few things: on its event it converts the user's input into one 16-bit
// value (a typed entry only within its range, see EntryRange), applies the setting's rules (the
// Ind/Cap sign, the cos φ step, a clamp), posts one
// command into the link's mailbox and paints the setting's value label red. The group's reader
// paints the label blue again when it reads the setting back. A handler never touches the link.
//
// A family of group panels states its handlers as a table of Binding rows and binds them once
// when the window is built:
//
//   using settings::Binding;
//   static const Binding kReactive[] = {
//       Binding("Edit_FixCos").Register(33617).FineStep(48795).Sign("List_FixCosSign").Paint("Label_FixCos"),
//       Binding("Radio_RemoteON").Coil(24577).Constant(0xFF00),
//   };
//   settings::BindTable(kReactive, context);
//
// Events by control kind (Event::Auto): an edit acts on Enter (key 13) in OnKeyDown and on no
// other key; a combo box on OnChange (the user's pick); a radio button or check box on
// OnMouseDown, before the click changes it and whatever mouse button was pressed; a button,
// speed button, picture or label on OnClick. Event::MouseDown makes a label a switch.
#pragma once

#include <QString>
#include <climits>
#include <functional>
#include <initializer_list>
#include <optional>
#include <span>
#include <stdexcept>
#include <vector>

class Modbus;

namespace vcl {
class TComponent;
class TObject;
} // namespace vcl

// Codes of the command mailbox (Modbus::CommandCode) that the pending-command executor runs.
enum CommandCodes : int {
    CmdWriteCoil = 5,
    CmdWriteRegister = 6,
    CmdBroadcastCoil = 25,
    CmdBroadcastRegister = 26,
    CmdConstVoltOn = 10,
    CmdWriteRegisterPair = 36,
    CmdResetEnergy = 40,
    CmdClearCloudRegisters = 41,
    CmdPowerLimitPreset = 42,
    CmdGridUnlock = 166,
    CmdBroadcastMaxPower = 595,
    CmdSetRunStateMode = 648,
    CmdGainSelectInput = 1000,
    CmdGainLowVoltage = 1001,
    CmdGainLowCurrent = 1002,
    CmdGainLowPower = 1003,
    CmdGainHighVoltage = 1005,
    CmdGainHighCurrent = 1006,
    CmdGainHighPower = 1007,
    CmdSyncClock = 400,
    CmdDryContactTestOn = 417,
    CmdDryContactTestOff = 418,
    CmdReadEnergyHistory = 410,
    CmdWriteEnergyHistory = 411,
    CmdSaveGridSettings = 420,
    CmdLoadGridSettings = 421,
    CmdOnSiteRepair = 440,
    CmdProtocolSunSpec = 800,
    CmdProtocolNative = 801,
    CmdScanIds = 600,
    CmdEnableStringCurrentDc12 = 1931,
    CmdWriteRegisterCurrentId = 6500,
};

namespace settings {

constexpr int kWriteCoil = CmdWriteCoil;
constexpr int kWriteRegister = CmdWriteRegister;

// How the input becomes a number.
enum class Conv {
    Decimal,      // the text as a number times `scale`, truncated toward zero
    TolerantInt,  // the text as a whole number; empty or other text is refused with the range
    StrictInt,    // the class library's StrToInt: empty or invalid text raises ConvertError
    ComboIndex,   // the item index; `codes[index]` when codes are given, else index * factor + offset
    ComboText,    // the chosen item's text read as a whole number
    Constant,     // `constant` (radio buttons, check boxes, buttons)
    None,         // a special code that carries no value: CommandValue is left as it is
};

enum class Event { Auto, KeyDownEnter, Change, MouseDown, Click };

// How an entry's range is kept. Every typed entry has a range: the register's own (0..65535, or
// -32768..32767 for a quantity shown signed) unless the row gives a bound of its own. Text that is
// no number, or a number beyond the range, is refused with "Please input a~b" and posts nothing.
enum class LimitKind {
    None,               // the register's range
    Clamp,              // a value beyond the bound is posted as the bound (see clampLow/clampHigh)
    Refuse,             // a value beyond the bound is refused with the range message
    RefuseWithMessage,  // a value beyond the bound shows `message` and posts nothing
    TextLongerThan,     // posts only when the text has more than `length` characters
};

struct Limit {
    LimitKind kind = LimitKind::None;
    int min = INT_MIN;   // in the register's units; INT_MIN/INT_MAX: the register's own end
    int max = INT_MAX;
    QString message;
    int length = 0;
    bool clampLow = true;    // Clamp: which ends clamp; an end that does not clamp refuses
    bool clampHigh = true;
};

// The range an entry accepts, in the units typed times `scale` (the register's units, except
// for a power typed in watts, which the register holds in the inverter's power unit).
struct EntryRange {
    long long min = 0;
    long long max = 65535;
    bool clampLow = false;
    bool clampHigh = false;
    int scale = 1;       // register units per entry unit
    bool whole = false;  // only whole numbers written in digits are taken
    QString message;     // what a refusal shows
};

// What a handler posts: the three mailbox fields.
struct Post {
    int code = 0;
    int address = 0;
    int value = 0;       // 32-bit before the cut; the mailbox takes its low 16 bits
};

struct Context;

struct Binding {
    Binding() = default;
    explicit Binding(const QString& controlName) : control(controlName) {}

    QString control;                  // the control's Name
    QString source;                   // the control whose text or item is converted (default: control)
    int code = kWriteRegister;        // command code; 5 coil, 6 register or a special code
    int address = 0;                  // 1-based register or coil number (0: the field is left alone)
    Conv conv = Conv::Decimal;
    int scale = 1;                    // Decimal: 1, 10, 100 or 1000
    int constant = 0;                 // Constant
    int offset = 0;                   // ComboIndex
    int factor = 1;                   // ComboIndex
    std::vector<int> codes;           // ComboIndex: one code per item
    QString signChooser;              // Ind/Cap one-row list box: the sign rule applies
    int address2 = 0;                 // cos φ step rule: x100 into address, or x1000 into address2
    Limit limit;
    bool signedWord = false;          // the reader shows the register signed (also with a sign chooser)
    bool perPowerUnit = false;        // typed in watts, held in the inverter's power unit (Context::powerUnit)
    QString valueLabel;               // painted clRed after posting; empty: nothing painted
    Event event = Event::Auto;
    // The family's own last word on the post (a shift, a combination with a word the reader
    // kept, a computed address). Runs after the rules; false posts nothing.
    std::function<bool(const Context&, Post&)> adjust;

    // A row reads as a sentence: Binding("Edit_FixCos").Register(33617).Decimal(100).Paint("Label_FixCos").
    Binding Register(int reg) const { Binding b = *this; b.code = kWriteRegister; b.address = reg; return b; }
    Binding Coil(int reg) const { Binding b = *this; b.code = kWriteCoil; b.address = reg; return b; }
    Binding Code(int c) const { Binding b = *this; b.code = c; return b; }
    Binding Decimal(int s) const { Binding b = *this; b.conv = Conv::Decimal; b.scale = s; return b; }
    Binding Tolerant() const { Binding b = *this; b.conv = Conv::TolerantInt; return b; }
    Binding Strict() const { Binding b = *this; b.conv = Conv::StrictInt; return b; }
    Binding Index(int add = 0, int times = 1) const
    {
        Binding b = *this; b.conv = Conv::ComboIndex; b.offset = add; b.factor = times; return b;
    }
    Binding Codes(std::vector<int> table) const
    {
        Binding b = *this; b.conv = Conv::ComboIndex; b.codes = std::move(table); return b;
    }
    Binding ItemText() const { Binding b = *this; b.conv = Conv::ComboText; return b; }
    Binding Constant(int v) const { Binding b = *this; b.conv = Conv::Constant; b.constant = v; return b; }
    Binding NoValue() const { Binding b = *this; b.conv = Conv::None; return b; }
    Binding From(const QString& control) const { Binding b = *this; b.source = control; return b; }
    Binding Sign(const QString& chooser) const { Binding b = *this; b.signChooser = chooser; return b; }
    Binding FineStep(int reg) const { Binding b = *this; b.address2 = reg; return b; }
    Binding Clamp(int lo, int hi) const { return WithLimit(LimitKind::Clamp, lo, hi); }
    // Clamps below `lo`; above the register's range the entry is refused.
    Binding ClampBelow(int lo) const { Binding b = WithLimit(LimitKind::Clamp, lo, INT_MAX); b.limit.clampHigh = false; return b; }
    // The register holds a signed quantity: -32768..32767 instead of 0..65535.
    Binding Signed() const { Binding b = *this; b.signedWord = true; return b; }
    // Watts typed for a register that counts the inverter's power unit: the range is the
    // register's times the unit, and the adjustment divides.
    Binding PerPowerUnit() const { Binding b = *this; b.perPowerUnit = true; return b; }
    Binding Refuse(int lo, int hi) const { return WithLimit(LimitKind::Refuse, lo, hi); }
    Binding RefuseWithMessage(int lo, int hi, const QString& text) const
    {
        Binding b = WithLimit(LimitKind::RefuseWithMessage, lo, hi); b.limit.message = text; return b;
    }
    Binding TextLongerThan(int n) const { Binding b = *this; b.limit.kind = LimitKind::TextLongerThan; b.limit.length = n; return b; }
    Binding Paint(const QString& label) const { Binding b = *this; b.valueLabel = label; return b; }
    Binding On(Event e) const { Binding b = *this; b.event = e; return b; }
    Binding Adjust(std::function<bool(const Context&, Post&)> f) const { Binding b = *this; b.adjust = std::move(f); return b; }

private:
    Binding WithLimit(LimitKind kind, int lo, int hi) const
    {
        Binding b = *this; b.limit.kind = kind; b.limit.min = lo; b.limit.max = hi; return b;
    }
};

// What the handlers read and write besides their controls.
struct Context {
    Modbus* link = nullptr;            // the mailbox
    vcl::TComponent* form = nullptr;   // where the controls are found by name
    const int* reactiveSign = nullptr; // ReactiveSign: 0 or 1
    const int* cosPhiStep = nullptr;   // CosPhiStep: 0 steps of 0.01, 1 steps of 0.001
    // Asked before anything is posted: true (the user has been told) while an operation holds
    // the link. The running command still reads the mailbox, so a post then is refused whole.
    std::function<bool()> refusedWhileBusy;
    // Asked before a check box or radio button posts: true (the user has been told) when its
    // command could not be written now. Such a control shows the value it posts as its own
    // state, so a post that will never be written is refused at the click.
    std::function<bool()> switchRefused;
    // Watts per register unit of a power typed now (the current inverter's multiplier, or 1 when
    // the watts travel as they are); 0 while that unit is not known, and then nothing is posted.
    std::function<int()> powerUnit;
};

// What a power entry says while the inverter's power unit is not known.
extern const QString kPowerUnitUnknown;

// The class library's conversion error: "'abc' is not a valid integer value". It escapes the
// handler before any mailbox field is written; the kit's event dispatch shows it in its error box.
class ConvertError : public std::runtime_error {
public:
    explicit ConvertError(const QString& text);
};

enum class Outcome { Posted, Refused };

// Whether the row converts typed text (an edit's or a list item's) and so has a range.
bool IsEntry(const Binding& b);
// The range of an entry row with the cos φ step in effect.
EntryRange RangeOf(const Binding& b, const Context& ctx);
// "Please input a~b" (a whole-number entry: "Please input a whole number a~b"): the range in
// the entry's own units.
QString RangeMessage(const EntryRange& r);

// The check every typed entry goes through: the text as a number in the register's units,
// clamped or refused by its range. A refusal shows its message and gives nothing; a strict
// integer entry that is no integer throws ConvertError. Hand-written handlers use it too.
std::optional<int> CheckedEntry(const Binding& b, const Context& ctx);

// Runs the handler of one binding as its event would, in this order: the refusal while the link
// is held, a switch's refusal (the write lock), the conversion (with the
// cos φ step's scale), the range (on the value as converted, before the sign), the Ind/Cap sign
// rule, the register of the step, the family's adjustment, the post, the red value label. A
// refusal writes nothing and paints nothing. Throws ConvertError for a strict integer entry
// that is no integer.
Outcome Apply(const Binding& b, const Context& ctx);

// Installs the binding's handler on its control. A check box or radio button whose handler
// posts nothing (refused, or it throws) keeps the state it had before the click; so does a combo
// box whose pick posts nothing (except a box that never posts, such as a chooser of what is shown). False when the
// form has no such control (a family's panel that the window lacks binds nothing) or the event
// does not fit the control.
bool Bind(const Binding& b, const Context& ctx);
// Binds every row; returns how many were bound.
int BindTable(std::span<const Binding> table, const Context& ctx);

} // namespace settings

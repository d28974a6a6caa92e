// The live-value groups: the paged measurement windows (AC phases, bus, loads, ADC counts), the
// stand-alone, LN/ST, maximum-output and total-power groups, the DC inputs, string currents and
// input maxima, the internal meter, output energy and DC relay counters, the temperatures and
// test values, and the dry-contact test panel.
//
// Most blocks are decoded from tables of (word, label, how it is shown) rows; a group with a
// rule of its own (a sum, a difference, a sign-magnitude word, a page echo) keeps it in a named
// function beside its table.
#pragma once

#include "groups/Output.h"
#include "groups/ReaderFrame.h"

#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace groups {

// ---- Words into texts --------------------------------------------------------------------

// How one word (or a pair of words, low word first) of a block becomes its label's text.
enum class Show {
    Volt,          // / VoltageDivisor, " V"
    AcAmp,         // / IacDivisor, signed when SignedValues is 1, " A"
    AcAmpPlain,    // / IacDivisor, never signed
    DcAmp,         // / IdcDivisor, signed when SignedValues is 1
    DcAmpPlain,    // / IdcDivisor, never signed
    Watt,          // x PowerMultiplier, signed when SignedValues is 1, " W"
    WattPlain,     // x PowerMultiplier, never signed
    Hertz,         // hundredths, " Hz"
    TenthVolt,     // tenths of a volt whatever the device's divisor
    HundredthAmp,  // hundredths of an ampere whatever the device's divisor
    RawWatt,       // the word, " W", no factor
    Count,         // the word, no unit
    Signed,        // the word as a signed 16-bit number, no unit
    Celsius,       // the word as a signed 16-bit number, " ℃"
    PairCount,     // words k, k+1 as a signed 32-bit number, no unit
    PairEnergy,    // pair x EnergyMultiplier in Wh, printed in kWh with three decimals, " KWh"
    PairTime,      // pair in seconds as hours:minutes:seconds without leading zeros
    PairTenthKwh,  // pair in tenths of a kWh, one decimal, " kWh"
    PairSignWatt,  // pair as sign (bit 31) and magnitude in watts, " W"
};

// Word k of a block into the label of that name.
struct WordRow {
    int word;
    const char* label;
    Show show;
};

// A row with its label found on the form (null: the window lacks it; nothing is written).
struct LabelCell {
    int word = 0;
    vcl::TLabel* label = nullptr;
    Show show = Show::Count;
};
using LabelCells = std::vector<LabelCell>;

LabelCells FindCells(const vcl::TComponent& form, std::span<const WordRow> rows);
// The text of word k of the last reply as `show` says.
QString ShowWord(const Modbus& link, int k, Show show, const ReaderContext& ctx);
// Writes every cell from the last (accepted) reply.
void FillCells(const Modbus& link, const LabelCells& cells, const ReaderContext& ctx);
// Reads `count` input registers from `reg` and fills the cells from an accepted reply. Returns 1
// when the link failed, else 0.
int ReadBlock(Modbus& link, const ReaderContext& ctx, int reg, int count, const LabelCells& cells);

// The 32-bit value of words k (low) and k+1 (high) of the last reply.
std::int32_t PairWord(const Modbus& link, int k);
// A sign-magnitude pair: bit 31 the sign, bits 0..30 the magnitude.
std::int64_t SignMagnitude(std::uint32_t pair);
// v / 10^decimals printed exactly with that many decimals ("-0.5", "123.450"), so that counters
// beyond the precision of a float keep their last digits.
QString ExactFixed(std::int64_t v, int decimals);

// ---- Paged windows -----------------------------------------------------------------------

constexpr int kPageSelect = 800;          // holding: the page the windows show
constexpr int kMeasurementWindow = 1056;  // input: word 0 echoes the page in its low byte
constexpr int kAdcWindow = 1068;          // input: raw ADC counts, no echo

enum class Window { Measurement, Adc };

// Selects `page` and reads `count` words of the window: two requests in a row, nothing between.
// Returns 1 when the link failed (the reader ends at once), else 0. `accepted` tells whether the
// reply may be decoded: a measurement window when it echoes the page asked for, an ADC window
// (which cannot tell its page) only when the page select itself was answered.
int ReadWindow(Modbus& link, Window window, int page, int count, bool& accepted);

// ---- The groups --------------------------------------------------------------------------

struct LiveGroups {
    // Bus, loads and ADC counts.
    vcl::TWinControl* BusPanel = nullptr;        // Group_GetVbus
    vcl::TWinControl* TotalBusPanel = nullptr;   // Group_GetTotalBus
    std::array<vcl::TWinControl*, 2> LoadPanel{};  // Group_LoadPower1, Group_LoadPower2
    vcl::TWinControl* AdcPanel = nullptr;        // Group_ADC
    vcl::TLabel* PBus = nullptr;
    vcl::TLabel* NBus = nullptr;
    vcl::TLabel* TotalBus = nullptr;
    vcl::TLabel* PbusAdcVolt = nullptr;          // in the ADC panel; the total-bus reader writes it too
    std::array<LabelCells, 2> Load;
    std::array<LabelCells, 14> AdcPages;         // in the order of kAdcPages

    // Stand-alone, LN/ST, maximum output; the total-power labels are the output group's.
    vcl::TWinControl* StandAlonePanel = nullptr; // Group_StandAlone3P
    vcl::TWinControl* LnStPanel = nullptr;       // Group_LN_ST
    vcl::TWinControl* MaxOutputPanel = nullptr;  // Group_MaxOutputValue
    LabelCells StandAlone;
    vcl::TLabel* OutL1N = nullptr;
    vcl::TLabel* OutL2N = nullptr;
    vcl::TLabel* OutST = nullptr;
    LabelCells MaxOutput;
    std::array<vcl::TLabel*, 3> MaxVac{};

    // DC inputs, string currents, input maxima.
    std::array<vcl::TWinControl*, 12> InputPanel{};  // Group_GetDC1..12
    vcl::TWinControl* StringPanel = nullptr;     // Group_StringCurr
    vcl::TWinControl* MaxInputPanel = nullptr;   // Group_MaxInputValue
    LabelCells Input1to6, Input7to12, Strings, MaxInput1to6, MaxInput7to8;
    // The currents of the inputs read in this cycle, summed in full width.
    std::int32_t InputCurrentSum = 0;

    // Internal meter, output energy, DC relay counters.
    std::array<vcl::TWinControl*, 3> MeterPanel{};  // U, W, U+W
    vcl::TWinControl* EnergyPanel = nullptr;     // Group_OutputPower
    vcl::TWinControl* RelayPanel = nullptr;      // Group_DcRelayAccTimes
    LabelCells Meter, Energy, Relay;
    std::array<vcl::TLabel*, 6> MeterSum{};      // Label_IMUW_Vac .. Label_IMUW_WacOut
    vcl::TLabel* TotalWh = nullptr;

    // Temperatures and test values.
    std::array<vcl::TWinControl*, 2> TemperPanel{};  // Group_Temper1, Group_Temper2
    vcl::TWinControl* TestPanel = nullptr;       // Group_TestValue
    std::array<LabelCells, 2> TempNow, TempMax;
    LabelCells TestFirst, TestSecond;
};

// Creates the controls inside the family's panels of the form (found by name; a missing panel
// gets none) and finds them.
LiveGroups BuildLiveGroups(vcl::TComponent& form);
LiveGroups FindLiveGroups(const vcl::TComponent& form);

// The captions of the temperature sensors before a mode names them.
extern const std::array<const char*, 8> kTemperatureTitles;

// ---- Readers (each returns 1 to end the polling loop, else 0) -------------------------------

// AC phase 0, 1 or 2 (R, S, T): its grid page, then its output page.
int ReadAcPhase(Modbus& link, const ReaderContext& ctx, OutputGroup& g, int phase, std::uint8_t stop);
int ReadBusVoltage(Modbus& link, const ReaderContext& ctx, LiveGroups& g, std::uint8_t stop);
int ReadTotalBus(Modbus& link, const ReaderContext& ctx, LiveGroups& g, std::uint8_t stop);
// Load output 0 or 1.
int ReadLoad(Modbus& link, const ReaderContext& ctx, LiveGroups& g, int load, std::uint8_t stop);
int ReadAdcCount(Modbus& link, const ReaderContext& ctx, LiveGroups& g, std::uint8_t stop);

int ReadStandAlone3P(Modbus& link, const ReaderContext& ctx, LiveGroups& g, std::uint8_t stop);
int ReadLnSt(Modbus& link, const ReaderContext& ctx, LiveGroups& g, std::uint8_t stop);
int ReadMaxOutput(Modbus& link, const ReaderContext& ctx, LiveGroups& g, std::uint8_t stop);
// reactiveSign: 0 shows non-negative Q and PF as "Ind ", 1 as "Cap ".
int ReadTotalPower(Modbus& link, const ReaderContext& ctx, const LiveGroups& g, OutputGroup& out,
                   int reactiveSign, std::uint8_t stop);

int ReadInput1to6(Modbus& link, const ReaderContext& ctx, LiveGroups& g, OutputGroup& out, std::uint8_t stop);
int ReadInput7to12(Modbus& link, const ReaderContext& ctx, LiveGroups& g, OutputGroup& out, std::uint8_t stop);
int ReadStringCurrent(Modbus& link, const ReaderContext& ctx, LiveGroups& g, std::uint8_t stop);
int ReadMaxInput(Modbus& link, const ReaderContext& ctx, LiveGroups& g, std::uint8_t stop);

int ReadInternalMeter(Modbus& link, const ReaderContext& ctx, LiveGroups& g, std::uint8_t stop);
int ReadOutputEnergy(Modbus& link, const ReaderContext& ctx, LiveGroups& g, std::uint8_t stop);
int ReadDcRelayTimes(Modbus& link, const ReaderContext& ctx, LiveGroups& g, std::uint8_t stop);

// Temperature group 0 or 1.
int ReadTemperature(Modbus& link, const ReaderContext& ctx, LiveGroups& g, int group, std::uint8_t stop);
int ReadTestValue(Modbus& link, const ReaderContext& ctx, LiveGroups& g, std::uint8_t stop);

// ---- Building panels (shared by the family's builders) -------------------------------------

struct CaptionedValue {
    const char* caption;
    const char* value;   // the value label's name
};
// Caption-and-value rows down a panel from `top`; the captions are named "Label" + number,
// counting up from `captionNumber`. Returns the top of the next row.
int BuildValueRows(vcl::TComponent& form, vcl::TWinControl* panel, std::span<const CaptionedValue> rows,
                   int captionNumber, int top = kFirstRowTop, int valueWidth = 150);

} // namespace groups

// The record groups: the inverter's event log (Group_ErrorEvent and the Japanese-market
// Group_JapanErrorList), the warning, derating-cause, fan-fail and error-code groups, the
// derating records of the four derating causes (and their partner-brand panels), the inverter's
// clock and installation date, and its day and month energy history.
#pragma once

#include "groups/ReaderFrame.h"

#include <array>

namespace groups {

// The inverter's last 30 events: a code (or its text) and a time per event.
struct EventLogGroup {
    vcl::TWinControl* Panel = nullptr;
    std::array<vcl::TLabel*, 30> Code{};
    std::array<vcl::TLabel*, 30> Time{};
};

struct WarningGroup {
    vcl::TWinControl* Panel = nullptr;        // Group_WarnEvent
    std::array<vcl::TLabel*, 5> Lines{};      // Label_WarnEvent01..05 (black)
};

struct DeratingFlagGroup {
    vcl::TWinControl* Panel = nullptr;        // Group_DeratingRecords
    std::array<vcl::TLabel*, 8> Flags{};      // Label_DerateRecord1..8, bits 1..8
};

struct FanFailGroup {
    vcl::TWinControl* Panel = nullptr;        // Group_FanFail
    std::array<vcl::TLabel*, 16> Internal{};  // Label_FanInt00..15
    std::array<vcl::TLabel*, 16> External{};  // Label_FanExt00..15
};

struct ErrorCodeGroup {
    vcl::TWinControl* Panel = nullptr;        // Group_ErrorCodes
    std::array<vcl::TLabel*, 30> Values{};    // Label_Codes_F00 .. Label_Codes_d40
};

// One block of derating records shown in one panel: 12 records with the duration in seconds
// (derating-record panels) or 16 with hh:mm:ss (partner-brand panels).
struct DeratingRecordGroup {
    int Kind = 0;                             // index into the reader table
    vcl::TWinControl* Panel = nullptr;
    std::array<vcl::TLabel*, 16> Start{};
    std::array<vcl::TLabel*, 16> Duration{};
};

struct InvTimeGroup {
    vcl::TWinControl* Panel = nullptr;        // Group_InvTime
    vcl::TLabel* Ymd = nullptr;               // Label_InvYMD
    vcl::TLabel* Hms = nullptr;               // Label_InvHMS
    vcl::TLabel* Install = nullptr;           // Label_InstallYMD
};

struct EnergyHistoryGroup {
    vcl::TWinControl* DayPanel = nullptr;     // Group_DailyEnergy
    std::array<vcl::TLabel*, 32> Day{};       // Label_EnergyDay0..31
    vcl::TWinControl* MonthPanel = nullptr;   // Group_MonthlyEnergy
    std::array<vcl::TLabel*, 24> Month{};     // Label_EnergyMonth0..23
    // The last clock (day history) and year/month (month history) read; a cycle whose clock
    // read was rejected dates its values from these.
    std::int64_t Clock = -1;
    int Year = -1, MonthOfYear = -1;
};

// The derating-record readers, in the order of the reader table.
enum DeratingKind {
    kDeratingOpv, kDeratingVin, kDeratingOpvLo, kDeratingThermal,
    kHarunetThermal, kHarunetOvp, kHarunetVin, kHarunetOvpLow,
    kDeratingKinds
};

struct RecordGroups {
    EventLogGroup Events;        // Group_ErrorEvent
    EventLogGroup JapanEvents;   // Group_JapanErrorList
    WarningGroup Warnings;
    DeratingFlagGroup DeratingFlags;
    FanFailGroup Fans;
    ErrorCodeGroup ErrorCodes;
    std::array<DeratingRecordGroup, kDeratingKinds> Derating;
    InvTimeGroup InvTime;
    EnergyHistoryGroup Energy;
};

// Creates the labels inside the form's record panels (found by name; a missing panel gets no
// labels), then finds them.
RecordGroups BuildRecordGroups(vcl::TComponent& form);
RecordGroups FindRecordGroups(const vcl::TComponent& form);

// The colours of a set and a clear status bit of the derating and fan captions.
constexpr vcl::TColor kFlagSetColour = 0xFA;
constexpr vcl::TColor kFlagClearColour = vcl::clBtnFace;

// The text of an event code in the "Error Event" panel: codes with a high byte count as 0.
QString EventLogText(int code);
// The text of event n with the given code in the Japanese-market "Error List".
QString JapanEventLogText(int n, unsigned code);

int ReadErrorEvents(Modbus& link, EventLogGroup& g, std::uint8_t stop);
int ReadJapanErrorList(Modbus& link, EventLogGroup& g, std::uint8_t stop);
int ReadWarnings(Modbus& link, WarningGroup& g, std::uint8_t stop);
int ReadDeratingFlags(Modbus& link, DeratingFlagGroup& g, std::uint8_t stop);
int ReadFanFail(Modbus& link, FanFailGroup& g, std::uint8_t stop);
int ReadErrorCodes(Modbus& link, ErrorCodeGroup& g, std::uint8_t stop);
int ReadDeratingRecords(Modbus& link, DeratingRecordGroup& g, std::uint8_t stop);
int ReadInvTime(Modbus& link, InvTimeGroup& g, std::uint8_t stop);
int ReadDailyEnergy(Modbus& link, const ReaderContext& ctx, EnergyHistoryGroup& g, std::uint8_t stop);
int ReadMonthlyEnergy(Modbus& link, const ReaderContext& ctx, EnergyHistoryGroup& g, std::uint8_t stop);

} // namespace groups

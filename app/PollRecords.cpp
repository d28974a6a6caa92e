// The record groups' readers as the polling loop calls them.
#include "app/Main.h"

int TForm_Main::ReadErrorEvents(std::uint8_t stop) { return groups::ReadErrorEvents(Link, RecordLabels.Events, stop); }
int TForm_Main::ReadJapanErrorList(std::uint8_t stop) { return groups::ReadJapanErrorList(Link, RecordLabels.JapanEvents, stop); }
int TForm_Main::ReadWarnings(std::uint8_t stop) { return groups::ReadWarnings(Link, RecordLabels.Warnings, stop); }
int TForm_Main::ReadDeratingFlags(std::uint8_t stop) { return groups::ReadDeratingFlags(Link, RecordLabels.DeratingFlags, stop); }
int TForm_Main::ReadFanFail(std::uint8_t stop) { return groups::ReadFanFail(Link, RecordLabels.Fans, stop); }
int TForm_Main::ReadErrorCodes(std::uint8_t stop) { return groups::ReadErrorCodes(Link, RecordLabels.ErrorCodes, stop); }

namespace {
int Derating(Modbus& link, groups::RecordGroups& g, groups::DeratingKind kind, std::uint8_t stop)
{
    return groups::ReadDeratingRecords(link, g.Derating[kind], stop);
}
} // namespace

int TForm_Main::ReadDeratingOpv(std::uint8_t stop) { return Derating(Link, RecordLabels, groups::kDeratingOpv, stop); }
int TForm_Main::ReadDeratingVin(std::uint8_t stop) { return Derating(Link, RecordLabels, groups::kDeratingVin, stop); }
int TForm_Main::ReadDeratingOpvLo(std::uint8_t stop) { return Derating(Link, RecordLabels, groups::kDeratingOpvLo, stop); }
int TForm_Main::ReadDeratingThermal(std::uint8_t stop) { return Derating(Link, RecordLabels, groups::kDeratingThermal, stop); }
int TForm_Main::ReadHarunetThermalEvents(std::uint8_t stop) { return Derating(Link, RecordLabels, groups::kHarunetThermal, stop); }
int TForm_Main::ReadHarunetOvpEvents(std::uint8_t stop) { return Derating(Link, RecordLabels, groups::kHarunetOvp, stop); }
int TForm_Main::ReadHarunetVinEvents(std::uint8_t stop) { return Derating(Link, RecordLabels, groups::kHarunetVin, stop); }
int TForm_Main::ReadHarunetOvpLowEvents(std::uint8_t stop) { return Derating(Link, RecordLabels, groups::kHarunetOvpLow, stop); }

int TForm_Main::ReadInvTime(std::uint8_t stop) { return groups::ReadInvTime(Link, RecordLabels.InvTime, stop); }
int TForm_Main::ReadDailyEnergy(std::uint8_t stop) { return groups::ReadDailyEnergy(Link, Readers, RecordLabels.Energy, stop); }
int TForm_Main::ReadMonthlyEnergy(std::uint8_t stop) { return groups::ReadMonthlyEnergy(Link, Readers, RecordLabels.Energy, stop); }

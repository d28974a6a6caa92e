// The STX frames of one product line on the simulated bus: a 9-byte request (0x02, 0x05, slave
// ID, 0x02, command, sub-command, CRC-16/ARC of bytes 1 to 5, 0x03) and its reply (0x02, 0x06,
// slave ID, length of command, sub-command and data, the echoes, the data, CRC-16/ARC, 0x03).
#pragma once

#include "tools/invsim/Inverter.h"

namespace invsim {

// CRC-16/ARC (reflected 0xA001, start 0), bit by bit.
std::uint16_t Crc16Arc(const std::uint8_t* bytes, std::size_t n);
// True for a well-formed STX request (its CRC and end byte included).
bool IsStxRequest(const Bytes& frame);
// The reply of an inverter of that line; empty when it does not answer STX or knows no such
// command.
Bytes StxAnswer(int id, const TalveraState& state, const Bytes& request);
// An inverter of that line with plausible live values (two strings, one phase of 230 V, 50 Hz).
void LoadDemoTalvera(TalveraState& state);

} // namespace invsim

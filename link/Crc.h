// Checksums of the device frames: CRC-16/MODBUS for RTU, radio and boot-loader frames,
// CRC-16/ARC for the STX frame.
#pragma once

#include <cstddef>
#include <cstdint>

// CRC-16/MODBUS (reflected polynomial 0xA001, start 0xFFFF). The low byte goes on the wire first.
std::uint16_t Crc16Modbus(const std::uint8_t* bytes, std::size_t n);
// Continues a CRC-16/MODBUS whose running value is given as its low and high byte.
std::uint16_t Crc16ModbusContinue(const std::uint8_t* bytes, std::size_t n, std::uint8_t low, std::uint8_t high);
// Continues a CRC-16/MODBUS from a seed taken byte-swapped: the seed's high byte is the
// running low byte and its low byte the running high byte. Feeding a result back therefore
// swaps the running bytes; the boot loader's image check relies on exactly this.
std::uint16_t Crc16ModbusSeeded(const std::uint8_t* bytes, std::size_t n, std::uint16_t seed);
// CRC-16/ARC (reflected polynomial 0xA001, start 0, no final inversion) over first..last inclusive.
std::uint16_t Crc16Arc(const std::uint8_t* first, const std::uint8_t* last);

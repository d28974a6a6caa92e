#include "link/Crc.h"

#include <array>

namespace {

// Table of the reflected polynomial 0xA001, one entry per byte value.
constexpr std::array<std::uint16_t, 256> MakeTable()
{
    std::array<std::uint16_t, 256> table{};
    for (unsigned i = 0; i < 256; ++i) {
        std::uint16_t crc = static_cast<std::uint16_t>(i);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) ? static_cast<std::uint16_t>((crc >> 1) ^ 0xA001) : static_cast<std::uint16_t>(crc >> 1);
        table[i] = crc;
    }
    return table;
}

constexpr auto kTable = MakeTable();

std::uint16_t Run(const std::uint8_t* bytes, std::size_t n, std::uint16_t crc)
{
    for (std::size_t i = 0; i < n; ++i)
        crc = static_cast<std::uint16_t>((crc >> 8) ^ kTable[(crc ^ bytes[i]) & 0xFF]);
    return crc;
}

} // namespace

std::uint16_t Crc16Modbus(const std::uint8_t* bytes, std::size_t n)
{
    return Run(bytes, n, 0xFFFF);
}

std::uint16_t Crc16ModbusContinue(const std::uint8_t* bytes, std::size_t n, std::uint8_t low, std::uint8_t high)
{
    return Run(bytes, n, static_cast<std::uint16_t>(high << 8 | low));
}

std::uint16_t Crc16ModbusSeeded(const std::uint8_t* bytes, std::size_t n, std::uint16_t seed)
{
    const std::uint8_t low = static_cast<std::uint8_t>(seed >> 8);
    const std::uint8_t high = static_cast<std::uint8_t>(seed & 0xFF);
    return Crc16ModbusContinue(bytes, n, low, high);
}

std::uint16_t Crc16Arc(const std::uint8_t* first, const std::uint8_t* last)
{
    std::uint16_t crc = 0;
    if (!first || !last || last < first)
        return crc;
    for (const std::uint8_t* p = first; p <= last; ++p) {
        crc ^= *p;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) ? static_cast<std::uint16_t>((crc >> 1) ^ 0xA001) : static_cast<std::uint16_t>(crc >> 1);
    }
    return crc;
}

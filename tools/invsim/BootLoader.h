// The boot loader's side of a simulated inverter, as far as the program's slave-ID scan uses
// it: the product-ID request. Boot-loader frames are destination (16 bits, low byte first),
// 0xFF 0xFF, length, command, data and CRC-16/MODBUS; a reply starts 0xFF 0xFF, then the
// inverter's own address, length, command and data.
#pragma once

#include "tools/invsim/Inverter.h"

namespace invsim {

constexpr std::uint8_t kBootReadProductId = 0x00;
// Product ID of an inverter that was not given one.
constexpr std::uint32_t kDefaultProductId = 52000100;

// True when the frame has the shape of a boot-loader request (0xFF 0xFF at offsets 2 and 3, a
// length that matches the frame's size). The CRC is checked by the caller.
bool IsBootLoaderFrame(const Bytes& frame);

// The reply of the inverter's boot loader: the product ID for command 0x00, an error reply
// (command + 0x80, length 1) for any other command. Empty for a frame addressed elsewhere.
Bytes BootLoaderAnswer(int id, std::uint32_t productId, const Bytes& request);

} // namespace invsim

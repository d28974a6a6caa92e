// The boot loader's side of a simulated inverter on the bus. Boot-loader frames are destination
// (16 bits, low byte first; 0xE000 reaches every boot loader that runs), 0xFF 0xFF, length,
// command, data and CRC-16/MODBUS; a reply starts 0xFF 0xFF, then the inverter's own address,
// length, command and data.
//
// The loader answers the survey (product ID, serial number, model, hardware and software
// version per processor, its own version: a version-2 loader does not know that request),
// enters boot mode on the two keys (the application then stops answering Modbus), and takes
// the bank, the blocks of both modes, the bank close with the CRC of what it holds, and the
// finish, after which the application runs again and reports the version the new image carries.
#pragma once

#include "tools/invsim/Inverter.h"


namespace invsim {

constexpr std::uint8_t kBootReadProductId = 0x00;
constexpr std::uint16_t kBootBroadcast = 0xE000;
// Product ID of an inverter that was not given one.
constexpr std::uint32_t kDefaultProductId = 52000100;

// True when the frame has the shape of a boot-loader request (0xFF 0xFF at offsets 2 and 3, a
// length that matches the frame's size). The CRC is checked by the caller.
bool IsBootLoaderFrame(const Bytes& frame);
// The size of the boot-loader request the bytes start with (its length byte plus seven); 0 when
// they do not start like one or the length byte has not arrived.
std::size_t BootFrameSize(const Bytes& bytes);

// The reply of inverter id's boot loader to a request addressed to it or to every loader (empty
// for none). unsolicited receives a retry request the loader sends after a block, if any.
Bytes BootLoaderAnswer(int id, std::uint32_t productId, BootLoaderState& state, const Bytes& request,
                       Bytes* unsolicited = nullptr);

} // namespace invsim

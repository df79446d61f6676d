// CRC-16/MODBUS for the frames to the device on a camera's serial port.
//
// Polynomial 0x8005, processed bit-reflected as 0xA001; initial value 0xFFFF; input and output
// reflected; no final XOR. Check value: CRC of the ASCII text "123456789" is 0x4B37.
// Computed with the two 256-entry tables of the Modbus table-driven routine.
#pragma once

#include <cstdint>
#include <string_view>

#include "common/Bytes.h"

namespace tavo {

// The two CRC registers after the whole input: the first register in the high byte, the second
// in the low byte. That is the CRC-16/MODBUS value with its two bytes swapped (0x374B for
// "123456789"). The input is length-counted; 0x00 bytes are ordinary data.
std::uint16_t Crc16(std::string_view bytes);

// The two bytes that end a frame: the CRC-16/MODBUS value low-order byte first
// (37 4B for "123456789"), which is the high byte of Crc16 followed by its low byte.
Bytes Crc16Bytes(std::string_view bytes);

} // namespace tavo

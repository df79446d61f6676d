// The two command frames for the display device on a camera's serial port.
//
// Layout of every frame (N = byte length of the carried text):
//   0: 00   1: 64   2: FF   3: FF   4: command (0x30 = 48, 0x62 = 98)
//   5: L = number of data bytes up to the CRC, modulo 256
//   6 .. 5+L: data      6+L: Crc16Bytes of bytes 0 .. 5+L (low-order CRC byte first)
// Frames hold 0x00 bytes and are length-counted byte strings.
#pragma once

#include <cstdint>
#include <string_view>

#include "common/Bytes.h"

namespace tavo {

// The command numbers of the two frames, as the camera's SendDisplayCommand takes them.
constexpr std::int32_t kDisplayCommand48 = 48;
constexpr std::int32_t kDisplayCommand98 = 98;

// Command 48: data = mode byte (0, 1 or 2; any other mode gives 1), then the text unchanged.
Bytes BuildCommand48Frame(std::string_view text, std::int32_t mode);

// Command 98: the text is re-encoded GBK -> UTF-16 -> GBK first (see common/GbkText.h for what
// malformed bytes become); data = mode modulo 256, fixed bytes, N modulo 256, 00, the text.
Bytes BuildCommand98Frame(std::string_view text, std::int32_t mode);

} // namespace tavo

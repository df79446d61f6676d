// Byte strings: every text of the station (plates, addresses, phrases, log lines, file names,
// settings values) is a GBK byte string counted by its length, never by a terminating zero.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tavo {

// A GBK byte string. May hold 0x00 bytes (device frames do).
using Bytes = std::string;

// Removes leading and trailing bytes whose value is 32 or below (blanks and control bytes).
// A GBK double-byte character never starts or ends with such a byte, so none is split.
Bytes TrimText(std::string_view text);

// The text in a fixed area up to its first 0x00 byte, but never more than `size` bytes.
// A null pointer gives the empty text.
std::string_view TextUpToNul(const char* area, std::size_t size);

} // namespace tavo

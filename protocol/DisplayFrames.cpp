// The command-48 and command-98 frames for the display device on a camera's serial port, built
// as length-counted byte strings (layout in DisplayFrames.h).
#include "protocol/DisplayFrames.h"

#include <cstddef>
#include <cstdint>
#include <utility>

#include "common/GbkText.h"
#include "protocol/UnitCRC16.h"

namespace tavo {

namespace {

// Offsets and sizes shared by both frames.
constexpr std::size_t kCommandOffset = 4;
constexpr std::size_t kLengthOffset = 5;
constexpr std::size_t kDataOffset = 6;
constexpr std::size_t kCrcSize = 2;
constexpr char kHead[] = {'\x00', '\x64', '\xFF', '\xFF'}; // offsets 0..3

constexpr std::uint8_t kCommand48 = kDisplayCommand48; // 0x30
constexpr std::uint8_t kCommand98 = kDisplayCommand98; // 0x62

// Command 48: the mode byte at offset 6, the text from offset 7.
constexpr std::size_t kCommand48ModeOffset = kDataOffset;
constexpr std::size_t kCommand48TextOffset = 7;
constexpr std::uint8_t kDefaultMode = 0x01;

// Command 98: the mode byte at offset 6, fixed bytes at 7..22, the text length at 23, a zero
// at 24 and the text from offset 25.
constexpr std::size_t kCommand98ModeOffset = kDataOffset;
constexpr std::size_t kCommand98FixedOffset = 7;
constexpr char kCommand98Fixed[] = {'\x15', '\x01', '\x00', '\x3C', '\x15', '\x01', '\x03', '\x00',
                                    '\xFF', '\x00', '\x00', '\x00', '\x00', '\x00', '\x00', '\x00'};
constexpr std::size_t kCommand98TextLengthOffset = 23;
constexpr std::size_t kCommand98TextOffset = 25;

static_assert(kCommand48TextOffset == kCommand48ModeOffset + 1);
static_assert(kCommand98FixedOffset == kCommand98ModeOffset + 1);
static_assert(kCommand98TextLengthOffset == kCommand98FixedOffset + sizeof kCommand98Fixed);

char LowByte(std::size_t value) {
    return static_cast<char>(value & 0xFF);
}

// A body of `textOffset` + text bytes: head, command, zeroed data fields, then the text. The
// length byte counts everything from offset 6 up to the CRC, modulo 256 (one byte wide; long
// texts are not refused).
Bytes StartBody(std::uint8_t command, std::size_t textOffset, std::string_view text) {
    Bytes body(textOffset, '\0');
    body.replace(0, sizeof kHead, kHead, sizeof kHead);
    body[kCommandOffset] = static_cast<char>(command);
    body[kLengthOffset] = LowByte(textOffset - kDataOffset + text.size());
    body.append(text.data(), text.size());
    return body;
}

// The body followed by its CRC, low-order byte first.
Bytes Seal(Bytes body) {
    const Bytes crc = Crc16Bytes(body);
    body.reserve(body.size() + kCrcSize);
    body += crc;
    return body;
}

} // namespace

Bytes BuildCommand48Frame(std::string_view text, std::int32_t mode) {
    Bytes body = StartBody(kCommand48, kCommand48TextOffset, text);
    const bool known = mode == 0 || mode == 1 || mode == 2;
    body[kCommand48ModeOffset] = static_cast<char>(known ? mode : kDefaultMode);
    return Seal(std::move(body));
}

Bytes BuildCommand98Frame(std::string_view text, std::int32_t mode) {
    // Well-formed GBK comes back byte for byte. Malformed bytes come back as '?' (see
    // common/GbkText.h): a lead byte without a valid trail byte becomes one '?' and the byte
    // after it is read on its own; an undefined pair becomes one '?' (two bytes become one);
    // 0xFF becomes '?'. The length bytes below count the converted text.
    const Bytes converted = Utf16ToGbk(GbkToUtf16(text));
    Bytes body = StartBody(kCommand98, kCommand98TextOffset, converted);
    body[kCommand98ModeOffset] = LowByte(static_cast<std::uint32_t>(mode)); // mode modulo 256
    body.replace(kCommand98FixedOffset, sizeof kCommand98Fixed, kCommand98Fixed,
                 sizeof kCommand98Fixed);
    body[kCommand98TextLengthOffset] = LowByte(converted.size());
    return Seal(std::move(body));
}

} // namespace tavo

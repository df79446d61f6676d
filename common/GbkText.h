// GBK (code page 936) <-> UTF-16, the one place where the station converts text.
//
// Windows converts with MultiByteToWideChar / WideCharToMultiByte and code page 936, Linux with
// iconv's CP936; both sides share the walk below, so malformed input comes out the same way on
// both platforms:
//   - a byte 0x00..0x7F is the character of the same code;
//   - a lead byte 0x81..0xFE followed by a trail byte 0x40..0x7E or 0x80..0xFE is one double-byte
//     character; a pair that code page 936 does not define becomes one '?' (U+003F);
//   - a lead byte without a valid trail byte after it (at the end of the text, or before a byte
//     that cannot be a trail byte) becomes one '?', and the following byte is read on its own;
//   - the single bytes 0x80 and 0xFF become what code page 936 makes of them, else '?'.
// Encoding back: a character that code page 936 cannot represent (a lone surrogate, a character
// outside the BMP, a character without a GBK code) becomes one '?'. No best-fit mapping is used.
// So for well-formed GBK text, GBK -> UTF-16 -> GBK gives the same bytes.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "common/Bytes.h"

namespace tavo {

// The walk over GBK bytes that every reader of GBK text shares: the byte count (1 or 2) of the
// character that starts at `at` (which must be inside the text). A lead byte (0x81..0xFE)
// followed by a trail byte (0x40..0x7E, 0x80..0xFE) is one double-byte character; every other
// byte is a character of its own. So a byte such as '\' (0x5C) or ']' (0x5D) that is the
// second byte of a character is never taken for itself.
std::size_t GbkCharacterLength(std::string_view text, std::size_t at);

std::u16string GbkToUtf16(std::string_view gbk);
Bytes Utf16ToGbk(std::u16string_view text);

// GBK -> UTF-8 (for host paths on Linux, and for messages to a Linux terminal).
std::string GbkToUtf8(std::string_view gbk);
std::string Utf16ToUtf8(std::u16string_view text);
// UTF-8 -> GBK (tests write GBK literals as UTF-8 source text).
Bytes Utf8ToGbk(std::string_view utf8);

// Appends one Unicode code point (at most U+10FFFF) to out in UTF-8.
void AppendUtf8(std::string& out, char32_t codePoint);

namespace detail {
// Platform side (GbkText_posix.cpp, GbkText_win.cpp): one character of code page 936 to one
// UTF-16 unit and back. They return false when the code page has no such character.
bool DecodeGbkCharacter(std::string_view piece, char16_t& out);
bool EncodeGbkCharacter(char16_t character, Bytes& out);
} // namespace detail

} // namespace tavo

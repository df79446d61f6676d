// Texts at the Win32 boundary: GBK byte strings become UTF-16 for the W functions and back.
// wchar_t is 16 bits wide on Windows, so a std::wstring holds the same units as a
// std::u16string; these are the only places that copy one into the other.
#pragma once

#include <string>
#include <string_view>

#include "common/Bytes.h"
#include "common/GbkText.h"

namespace tavo {

inline std::wstring ToWide(std::u16string_view text) {
    return std::wstring(text.begin(), text.end());
}

inline std::u16string FromWide(std::wstring_view text) {
    return std::u16string(text.begin(), text.end());
}

// GBK text as a UTF-16 string for a W function.
inline std::wstring WideText(std::string_view gbk) {
    return ToWide(GbkToUtf16(gbk));
}

// A UTF-16 text of a W function as GBK.
inline Bytes GbkFromWide(std::wstring_view text) {
    return Utf16ToGbk(FromWide(text));
}

} // namespace tavo

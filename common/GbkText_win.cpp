// Code page 936 characters through the Windows conversion functions.
#include "common/GbkText.h"

#include <windows.h>

namespace tavo::detail {

namespace {
constexpr UINT kGbkCodePage = 936;
}

bool DecodeGbkCharacter(std::string_view piece, char16_t& out) {
    wchar_t buffer[4];
    const int written = MultiByteToWideChar(kGbkCodePage, MB_ERR_INVALID_CHARS, piece.data(),
                                            static_cast<int>(piece.size()), buffer, 4);
    if (written != 1)
        return false;
    out = static_cast<char16_t>(buffer[0]);
    return true;
}

bool EncodeGbkCharacter(char16_t character, Bytes& out) {
    const wchar_t in = static_cast<wchar_t>(character);
    char buffer[8];
    BOOL usedDefault = FALSE;
    const int written = WideCharToMultiByte(kGbkCodePage, WC_NO_BEST_FIT_CHARS, &in, 1, buffer,
                                            sizeof buffer, nullptr, &usedDefault);
    if (written <= 0 || usedDefault)
        return false;
    out.append(buffer, static_cast<std::size_t>(written));
    return true;
}

} // namespace tavo::detail

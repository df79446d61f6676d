// Texts at the Win32 boundary: the station keeps every text as GBK bytes and hands it to the W
// functions converted to UTF-16, so it behaves the same whatever the system's code page.
#pragma once

#include <windows.h>

#include <string_view>

#include "common/Bytes.h"
#include "common/GbkText.h"
#include "common/WideText_win.h"

namespace tavo {

// A text written in this source (UTF-8) as the GBK bytes the station works with.
inline Bytes GbkText(std::string_view utf8) {
    return Utf8ToGbk(utf8);
}

// Sets a window's text from GBK bytes.
inline void HwndSetText(HWND hwnd, std::string_view gbk) {
    SetWindowTextW(hwnd, WideText(gbk).c_str());
}

} // namespace tavo

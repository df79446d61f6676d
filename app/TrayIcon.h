// The station's icon in the notification area: id 103, tip "【高清车牌识别】", the program's icon
// "MAINICON", and WM_TRAY_NOTIFY as the message by which it reports mouse events to its window.
#pragma once

#include <windows.h>

#include <string_view>

namespace tavo {

// The icon's mouse events; lParam holds the mouse message (WM_LBUTTONDOWN, ...).
constexpr UINT WM_TRAY_NOTIFY = WM_USER + 103; // 0x467
constexpr UINT kTrayIconId = 103;

// Adds the icon for the window; true when the shell took it. It fails while the icon is present.
bool AddTrayIcon(HWND window);

// Removes the window's icon; true when the shell removed it.
bool RemoveTrayIcon(HWND window);

// Gives the icon another tip (GBK, at most 63 characters are shown); the icon keeps it when it
// is added again. True when the shell took it.
bool SetTrayTip(HWND window, std::string_view gbkTip);

// Shows a balloon at the icon with a title and a text (GBK); `warning` picks the warning sign
// over the information sign. True when the shell took it.
bool ShowTrayBalloon(HWND window, std::string_view gbkTitle, std::string_view gbkText,
                     bool warning);

} // namespace tavo

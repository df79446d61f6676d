// The station's icon in the notification area: id 103, tip "【高清车牌识别】", the program's icon
// "MAINICON", and WM_TRAY_NOTIFY as the message by which it reports mouse events to its window.
#pragma once

#include <windows.h>

namespace tavo {

// The icon's mouse events; lParam holds the mouse message (WM_LBUTTONDOWN, ...).
constexpr UINT WM_TRAY_NOTIFY = WM_USER + 103; // 0x467
constexpr UINT kTrayIconId = 103;

// Adds the icon for the window; true when the shell took it. It fails while the icon is present.
bool AddTrayIcon(HWND window);

// Removes the window's icon; true when the shell removed it.
bool RemoveTrayIcon(HWND window);

} // namespace tavo

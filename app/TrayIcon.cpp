// Adding and removing the tray icon.
#include "app/TrayIcon.h"

#include <shellapi.h>

#include <algorithm>
#include <string>

#include "app/WinText.h"

namespace tavo {

namespace {

// The record of the icon, in its first form; it lives for the whole run and is filled anew,
// every field, on each add.
NOTIFYICONDATAW TrayIconData;

constexpr UINT kFirstFormSize = NOTIFYICONDATAW_V1_SIZE;

} // namespace

bool AddTrayIcon(HWND window) {
    TrayIconData = NOTIFYICONDATAW{};
    TrayIconData.cbSize = kFirstFormSize;
    TrayIconData.hWnd = window;
    TrayIconData.uID = kTrayIconId;
    TrayIconData.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    TrayIconData.uCallbackMessage = WM_TRAY_NOTIFY;
    TrayIconData.hIcon = LoadIconW(GetModuleHandleW(nullptr), L"MAINICON");
    const std::wstring tip = WideText(GbkText("【高清车牌识别】"));
    const std::size_t room = std::size(TrayIconData.szTip) - 1;
    std::copy_n(tip.begin(), std::min(tip.size(), room), TrayIconData.szTip);
    return Shell_NotifyIconW(NIM_ADD, &TrayIconData) != FALSE;
}

bool RemoveTrayIcon(HWND window) {
    NOTIFYICONDATAW removal{};
    removal.cbSize = kFirstFormSize;
    removal.hWnd = window;
    removal.uID = kTrayIconId;
    removal.uFlags = 0;
    return Shell_NotifyIconW(NIM_DELETE, &removal) != FALSE;
}

} // namespace tavo

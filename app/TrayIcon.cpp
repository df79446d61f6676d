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
// A balloon needs the second form of the record.
constexpr UINT kBalloonFormSize = NOTIFYICONDATAW_V2_SIZE;

// The tip the icon carries: the usual one unless the camera watch set another.
Bytes& CurrentTip() {
    static Bytes tip = GbkText("【高清车牌识别】");
    return tip;
}

// The first form's tip holds 64 characters with the closing zero.
constexpr std::size_t kFirstFormTipSize = 64;

// Copies a text into a fixed area of the record, cut to leave room for the closing zero within
// the first `room` characters.
template <std::size_t N>
void CopyInto(WCHAR (&area)[N], std::string_view gbk, std::size_t room = N) {
    const std::wstring text = WideText(gbk);
    const std::size_t count = std::min(text.size(), std::min(room, N) - 1);
    std::copy_n(text.begin(), count, area);
    area[count] = L'\0';
}

} // namespace

bool AddTrayIcon(HWND window) {
    TrayIconData = NOTIFYICONDATAW{};
    TrayIconData.cbSize = kFirstFormSize;
    TrayIconData.hWnd = window;
    TrayIconData.uID = kTrayIconId;
    TrayIconData.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    TrayIconData.uCallbackMessage = WM_TRAY_NOTIFY;
    TrayIconData.hIcon = LoadIconW(GetModuleHandleW(nullptr), L"MAINICON");
    CopyInto(TrayIconData.szTip, CurrentTip(), kFirstFormTipSize);
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

bool SetTrayTip(HWND window, std::string_view gbkTip) {
    CurrentTip() = Bytes(gbkTip);
    NOTIFYICONDATAW tip{};
    tip.cbSize = kFirstFormSize;
    tip.hWnd = window;
    tip.uID = kTrayIconId;
    tip.uFlags = NIF_TIP;
    CopyInto(tip.szTip, gbkTip, kFirstFormTipSize);
    return Shell_NotifyIconW(NIM_MODIFY, &tip) != FALSE;
}

bool ShowTrayBalloon(HWND window, std::string_view gbkTitle, std::string_view gbkText,
                     bool warning) {
    NOTIFYICONDATAW balloon{};
    balloon.cbSize = kBalloonFormSize;
    balloon.hWnd = window;
    balloon.uID = kTrayIconId;
    balloon.uFlags = NIF_INFO;
    CopyInto(balloon.szInfoTitle, gbkTitle);
    CopyInto(balloon.szInfo, gbkText);
    balloon.dwInfoFlags = warning ? NIIF_WARNING : NIIF_INFO;
    return Shell_NotifyIconW(NIM_MODIFY, &balloon) != FALSE;
}

} // namespace tavo

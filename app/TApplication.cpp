// The application object and its hidden application window.
#include "app/TApplication.h"

#include <stdexcept>
#include <string>

#include "app/WinText.h"
#include "app/WindowClass.h"

namespace tavo {

namespace {
constexpr wchar_t kApplicationClass[] = L"TApplication";
constexpr DWORD kApplicationStyle =
    WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX;
} // namespace

TApplication::~TApplication() {
    if (handle_)
        DestroyWindow(handle_);
}

void TApplication::Initialize() {
    // Joins the desktop before the first class is registered: under Wine, a class registered
    // while the desktop is still starting can be one that no window can be made of.
    GetDesktopWindow();
    RegisterWindowClass(kApplicationClass, ForwardingWindowProc<TApplication>, nullptr);
    // A window without size in the middle of the screen: it only carries the taskbar entry.
    const int x = GetSystemMetrics(SM_CXSCREEN) / 2;
    const int y = GetSystemMetrics(SM_CYSCREEN) / 2;
    CreateWindowExW(0, kApplicationClass, WideText(Title).c_str(), kApplicationStyle, x, y, 0, 0,
                    nullptr, nullptr, GetModuleHandleW(nullptr), this);
    if (!handle_)
        throw std::runtime_error("the application window cannot be created (error " +
                                 std::to_string(GetLastError()) + ")");
}

int TApplication::Run() {
    if (ShowMainForm && MainWindow) {
        ShowWindow(handle_, SW_SHOW);
        ShowWindow(MainWindow, SW_SHOW);
    }
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}

void TApplication::Terminate() {
    PostQuitMessage(0);
}

void TApplication::Restore() {
    if (IsMinimized())
        ShowWindow(handle_, SW_RESTORE);
}

void TApplication::BringToFront() {
    const HWND top = GetLastActivePopup(handle_);
    if (top && top != handle_ && IsWindowVisible(top) && IsWindowEnabled(top))
        SetForegroundWindow(top);
}

bool TApplication::IsMinimized() const {
    return handle_ && IsIconic(handle_);
}

LRESULT TApplication::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    // Closing the application (its taskbar entry) closes the main window, which ends the run
    // in order; the application window itself is never destroyed before the main window.
    if (message == WM_CLOSE) {
        if (MainWindow)
            PostMessageW(MainWindow, WM_CLOSE, 0, 0);
        return 0;
    }
    return DefWindowProcW(handle_, message, wParam, lParam);
}

} // namespace tavo

// Registration of the station's window classes, and what follows an error out of a handler.
#include "app/WindowClass.h"

#include "app/WinText.h"
#include "records/tavoLogUnit.h"

namespace tavo {

void RegisterWindowClass(const wchar_t* className, WNDPROC windowProc, HBRUSH background) {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof existing;
    if (GetClassInfoExW(instance, className, &existing))
        return;
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconW(instance, L"MAINICON");
    windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    windowClass.hbrBackground = background;
    windowClass.lpszClassName = className;
    RegisterClassExW(&windowClass);
}

void LogHandlerError(std::string_view what) {
    ErrorLog(GbkText("窗口消息处理报错！") + Bytes(what));
}

LRESULT AnswerAfterHandlerError(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CLOSE:
    case WM_SYSCOMMAND:
        return 0;
    case WM_NCCREATE:
        return FALSE;
    case WM_CREATE:
        return -1;
    default:
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

} // namespace tavo

// Registration of the station's window classes and the logging of errors out of handlers.
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

} // namespace tavo

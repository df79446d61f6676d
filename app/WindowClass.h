// Window classes of the station: one place registers each class, and one static window
// procedure per class finds the object that owns the window (stored at WM_NCCREATE) and hands
// the message to its HandleMessage. No C++ error crosses back into Windows: an error out of a
// handler goes to the error log, and the message gets the answer of AnswerAfterHandlerError.
#pragma once

#include <windows.h>

#include <exception>
#include <string_view>

namespace tavo {

// Registers the class once per process; later calls with the same name do nothing.
void RegisterWindowClass(const wchar_t* className, WNDPROC windowProc, HBRUSH background);

// Writes an error that escaped a message handler to the error log.
void LogHandlerError(std::string_view what);

// The answer to a message whose handler raised an error. Most messages get their default
// handling; for those whose default would act in the handler's place, the message counts as
// handled without it: WM_CLOSE (the default destroys the window while the message loop goes on,
// leaving a process without a window that never ends) and WM_SYSCOMMAND (its default closes or
// minimises the window the station's own way was meant to hide) are answered 0; WM_NCCREATE and
// WM_CREATE fail the window's creation rather than make a window whose object is half set up.
LRESULT AnswerAfterHandlerError(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// The window procedure of every class whose object has SetHwnd and HandleMessage. The object is
// passed as the lpParam of CreateWindowExW.
template <typename Window>
LRESULT CALLBACK ForwardingWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Window* self = nullptr;
    if (message == WM_NCCREATE) {
        self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        if (self)
            self->SetHwnd(hwnd);
    } else {
        self = reinterpret_cast<Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    }
    if (!self)
        return DefWindowProcW(hwnd, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        self->SetHwnd(nullptr);
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    try {
        return self->HandleMessage(message, wParam, lParam);
    } catch (const std::exception& error) {
        LogHandlerError(error.what());
    } catch (...) {
        LogHandlerError("unknown error");
    }
    return AnswerAfterHandlerError(hwnd, message, wParam, lParam);
}

} // namespace tavo

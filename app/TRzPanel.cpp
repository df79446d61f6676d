// The panel window class.
#include "app/TRzPanel.h"

#include <stdexcept>
#include <string>

#include "app/WindowClass.h"

namespace tavo {

namespace {
constexpr wchar_t kPanelClass[] = L"TRzPanel";
}

void TRzPanel::Create(HWND parent, std::wstring_view name, int controlId, RECT bounds,
                      bool groovedBorder) {
    groovedBorder_ = groovedBorder;
    RegisterWindowClass(kPanelClass, ForwardingWindowProc<TRzPanel>,
                        static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    const std::wstring text(name);
    CreateWindowExW(
        0, kPanelClass, text.c_str(), WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS,
        bounds.left, bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top, parent,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(controlId)), GetModuleHandleW(nullptr), this);
    if (!hwnd_)
        throw std::runtime_error("a panel window cannot be created");
}

void TRzPanel::SetBounds(int left, int top, int width, int height) {
    SetWindowPos(hwnd_, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT TRzPanel::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SIZE) {
        if (groovedBorder_)
            InvalidateRect(hwnd_, nullptr, TRUE);
        if (OnResize)
            OnResize();
        return 0;
    }
    if (message == WM_PAINT) {
        OnPaint();
        return 0;
    }
    return DefWindowProcW(hwnd_, message, wParam, lParam);
}

void TRzPanel::OnPaint() {
    PAINTSTRUCT paint;
    const HDC dc = BeginPaint(hwnd_, &paint);
    RECT client{};
    GetClientRect(hwnd_, &client);
    FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    if (groovedBorder_)
        DrawEdge(dc, &client, EDGE_ETCHED, BF_RECT);
    EndPaint(hwnd_, &paint);
}

} // namespace tavo

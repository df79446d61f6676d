// A panel: a plain child window with a white background, optionally a grooved (etched) border,
// and a resize event. Its native window is what the camera library draws the live video into.
#pragma once

#include <windows.h>

#include <functional>
#include <string_view>

namespace tavo {

class TRzPanel {
public:
    TRzPanel() = default;
    TRzPanel(const TRzPanel&) = delete;
    TRzPanel& operator=(const TRzPanel&) = delete;

    // Creates the panel's window inside parent; its text is the component name, so that
    // another program can find the panel. Throws std::runtime_error when it cannot.
    void Create(HWND parent, std::wstring_view name, int controlId, RECT bounds,
                bool groovedBorder);

    HWND Hwnd() const { return hwnd_; }
    // Moves and sizes the panel within its parent.
    void SetBounds(int left, int top, int width, int height);

    // Runs on every size change of the panel.
    std::function<void()> OnResize;

    void SetHwnd(HWND hwnd) { hwnd_ = hwnd; }
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

private:
    void OnPaint();

    HWND hwnd_ = nullptr;
    bool groovedBorder_ = false;
};

} // namespace tavo

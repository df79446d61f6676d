// The application object: the title, the hidden application window that owns the main window
// and carries the taskbar entry (its text is the title), the message loop, and the requests to
// end the loop, to restore the application from the minimised state and to bring it to the front.
#pragma once

#include <windows.h>

#include "common/Bytes.h"

namespace tavo {

class TApplication {
public:
    TApplication() = default;
    TApplication(const TApplication&) = delete;
    TApplication& operator=(const TApplication&) = delete;
    ~TApplication();

    // GBK title; Initialize gives it to the application window.
    Bytes Title;
    // Whether Run shows the main window when the loop starts.
    bool ShowMainForm = true;
    // The window that Run shows and to which the application window hands a close request.
    HWND MainWindow = nullptr;

    // Creates the application window, hidden. Throws std::runtime_error when it cannot.
    void Initialize();
    HWND Handle() const { return handle_; }

    // Runs the message loop until Terminate; returns the exit code that Terminate posted.
    int Run();
    // Ends the loop at its next turn.
    void Terminate();
    // Restores the application window when it is minimised.
    void Restore();
    // Brings the application's most recently active visible window to the foreground.
    void BringToFront();
    bool IsMinimized() const;

    void SetHwnd(HWND hwnd) { handle_ = hwnd; }
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

private:
    HWND handle_ = nullptr;
};

} // namespace tavo

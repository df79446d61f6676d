// The station program's entry: the units start, one instance runs (a second start raises the
// running one's window and ends), the main window is created hidden, the message loop runs until
// the tray menu's exit, the instance lock is released, and the main window is destroyed.
#include <windows.h>

#include <exception>
#include <memory>
#include <string_view>

#include "app/TApplication.h"
#include "app/UFrmMain_tavoCamera.h"
#include "app/WinText.h"
#include "camera/IceLibrary.h"
#include "common/Win32Handles_win.h"
#include "records/tavoLogUnit.h"
#include "tavoVersion.h"

namespace tavo {
namespace {

// The named mutex that one running station holds (source text, made GBK).
constexpr std::string_view kInstanceMutexName = "高清车牌识别";

// Shows the running instance's main window maximised and on top, when there is one.
void RaiseRunningInstance() {
    const HWND running =
        FindWindowW(kMainWindowClass, WideText(GbkText(kMainWindowCaption)).c_str());
    if (!running)
        return;
    ShowWindow(running, SW_MINIMIZE);
    ShowWindow(running, SW_SHOWMAXIMIZED);
    BringWindowToTop(running);
}

int RunStation() {
    StartLogUnit();

    TApplication application;
    application.Title = GbkText(TAVO_APPLICATION_TITLE);

    const UniqueHandle instanceMutex(
        CreateMutexW(nullptr, TRUE, WideText(GbkText(kInstanceMutexName)).c_str()));
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        RaiseRunningInstance();
        return 0;
    }

    auto mainWindow = std::make_unique<TFrmMain_tavoCamera>(application);
    try {
        application.Initialize();
        LoadIceLibrary();
        mainWindow->Create();
        mainWindow->SetVisible(false);
    } catch (const std::exception& error) {
        // The station cannot run without its window: end at once, without the loop.
        ErrorLog(GbkText("主窗口创建失败！") + Bytes(error.what()));
        return 1;
    } catch (...) {
        ErrorLog(GbkText("主窗口创建失败！"));
        return 1;
    }

    application.Run();
    if (instanceMutex)
        ReleaseMutex(instanceMutex.Get());
    mainWindow.reset();
    return 0;
}

} // namespace
} // namespace tavo

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    return tavo::RunStation();
}

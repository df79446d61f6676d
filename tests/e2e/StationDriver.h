// Drives the real station program from outside, as a person or another program would: a
// program folder of its own with the exe, the simulated camera library, a settings file and
// simulated cameras; the process started and ended; its windows found and sent messages; its
// logs, journals, archive and settings read back.
#pragma once

#include <windows.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "common/Bytes.h"

namespace tavo::e2e {

namespace fs = std::filesystem;

// The station's outside interface, written down here on its own so that a wrong value in the
// program shows up as a failure.
constexpr UINT kWmTrayNotify = 0x467;
constexpr UINT kWmRestoreInstance = 0x1403;
constexpr UINT kTrayIconId = 103;
constexpr int kPlateEditId = 1001;
constexpr int kPlateImageEditId = 1002;
constexpr UINT kTrayMenuShow = 2001; // "显示主界面"
constexpr UINT kTrayMenuHide = 2002; // "隐藏主界面"
constexpr UINT kTrayMenuExit = 2003; // "退出"
constexpr wchar_t kMainClass[] = L"TFrmMain_tavoCamera";
constexpr wchar_t kPanelClass[] = L"TRzPanel";

constexpr auto kPatience = std::chrono::seconds(10);

// Polls the condition until it holds or the time is up; true when it held.
bool WaitFor(const std::function<bool()>& condition, std::chrono::milliseconds timeout = kPatience);

// A GBK text written in the test source as UTF-8.
Bytes Gbk(std::string_view utf8);
std::wstring Wide(std::string_view utf8);

Bytes ReadBytes(const fs::path& file);
void WriteBytes(const fs::path& file, std::string_view bytes);

// The main window's caption and the application window's title, in UTF-16.
std::wstring MainCaption();
std::wstring ApplicationTitle();

// Whether the shell holds an icon for (window, 103): NIM_MODIFY succeeds only for an icon that
// exists.
bool TrayIconPresent(HWND window);
// Removes that icon, as the shell does when it loses it.
bool DeleteTrayIcon(HWND window);

// The text of a control of another process, through WM_GETTEXT, as GBK.
Bytes ControlText(HWND window, int controlId);

// Sends a message and waits until the window's thread has handled it.
LRESULT SendAndWait(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// A window's rectangle in its parent's client coordinates.
RECT RectInParent(HWND window);

// The hex form of bytes as the simulator journals them: "C3 F6 41".
std::string HexBytes(std::string_view bytes);

// One program folder with the station in it.
class StationFolder {
public:
    StationFolder();
    ~StationFolder();
    StationFolder(const StationFolder&) = delete;
    StationFolder& operator=(const StationFolder&) = delete;

    const fs::path& Root() const { return root_; }

    // bin\FormLayout.ini with these bytes.
    void WriteSettings(std::string_view iniText);
    Bytes ReadSettings() const;
    // The value of KEY= in the settings file exactly as stored (no trimming); "<missing>" when
    // there is no such line.
    Bytes StoredSetting(std::string_view key) const;

    // sim\<address>\ with an empty inbox: a camera that can be opened at that address.
    fs::path AddCamera(std::string_view address);
    fs::path CameraFolder(std::string_view address) const;
    // Drops a recognition into a camera's inbox: the pictures first, the .txt (plate, GBK) last.
    void DropRecognition(std::string_view address, std::string_view name, std::string_view plate,
                         std::string_view fullPicture, std::string_view closeUpPicture);
    // The journal entries of a camera, without their time stamps.
    std::vector<Bytes> Journal(std::string_view address) const;
    // The bytes of a file named by its GBK path relative to the program folder.
    Bytes ReadProgramFile(std::string_view gbkRelativePath) const;
    // Every journal.txt below sim\.
    std::vector<fs::path> Journals() const;

    // The texts of the debug log lines (time stamps removed), across the day files in order.
    std::vector<Bytes> DebugLogTexts() const;
    // The texts of the error log lines (time stamps removed), across the day files in order.
    std::vector<Bytes> ErrorLogTexts() const;
    // The error log files that exist.
    std::vector<fs::path> ErrorLogs() const;
    // Archived pictures below Log\<address>\, as paths relative to the program folder with '\'.
    std::vector<Bytes> ArchivedPictures(std::string_view address) const;

private:
    fs::path root_;
};

// One run of the station program.
class StationProcess {
public:
    StationProcess() = default;
    ~StationProcess();
    StationProcess(const StationProcess&) = delete;
    StationProcess& operator=(const StationProcess&) = delete;

    // Starts tavoCamera.exe from the folder. False when the process could not be made.
    bool Start(const StationFolder& folder);
    // Waits for the process to end; its exit code, or STILL_ACTIVE when it did not end in time.
    DWORD WaitForExit(std::chrono::milliseconds timeout = kPatience);
    bool Running() const;
    // Ends the process the hard way (only when a test left it running).
    void Kill();
    // Holds and lets go of the station's main thread, which runs the window: what is posted to
    // the window meanwhile waits in its queue. True when done.
    bool SuspendWindowThread();
    bool ResumeWindowThread();

private:
    PROCESS_INFORMATION process_{};
};

// The running station's main window by class and caption, waited for; null when none came.
HWND WaitForMainWindow();
// Every top-level window of the main window's class.
std::vector<HWND> MainWindows();
// The hidden application window that owns the main window.
HWND ApplicationWindow(HWND mainWindow);
// The visible pop-up menu (class "#32768") of the process that owns the window; null when none.
HWND PopUpMenuOf(HWND window);
// A panel of the main window by its name (RzPanel_Top, RzPanel_TopLeft, RzPanel_TopRight).
HWND FindPanel(HWND mainWindow, const wchar_t* name);

} // namespace tavo::e2e

// The station's main window "高清车牌识别" (class TFrmMain_tavoCamera): the two video panels side
// by side, the two hidden edits that hold the last plate and the path of its picture for other
// programs to read, the tray icon with its menu, and the hiding to the tray. Its creation step
// sets up the whole station, its close step writes the camera addresses back, and its destroy
// step frees the camera set.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string_view>

#include "app/StationUpload.h"
#include "app/TApplication.h"
#include "app/TRzPanel.h"
#include "camera/CameraWatch.h"
#include "camera/PlateResultHandler.h"
#include "common/Bytes.h"
#include "common/Win32Handles_win.h"
#include "records/ArchiveSweeper.h"
#include "records/StationSettings.h"

namespace tavo {

// Sent from outside to raise a running station; its parameters are not used.
constexpr UINT WM_RESTORE_INSTANCE = 0x1403;

// The window class and caption by which a second start finds the running station. The caption
// is source text (UTF-8), made GBK like every text of the station.
constexpr wchar_t kMainWindowClass[] = L"TFrmMain_tavoCamera";
constexpr std::string_view kMainWindowCaption = "高清车牌识别";

// Control ids of the hidden edits: the last plate shown and the path of its full picture.
constexpr int kEdtInputPlateId = 1001;
constexpr int kEdtInputPlateImageId = 1002;

// Control ids of the panels.
constexpr int kRzPanelTopId = 1010;
constexpr int kRzPanelTopLeftId = 1011;
constexpr int kRzPanelTopRightId = 1012;

// Command ids of the tray menu's items (WM_COMMAND).
constexpr UINT kTrayMenuN1 = 2001; // "显示主界面"
constexpr UINT kTrayMenuN2 = 2002; // "隐藏主界面"
constexpr UINT kTrayMenuN3 = 2003; // "退出"

class TFrmMain_tavoCamera final : public PlateResultTarget {
public:
    explicit TFrmMain_tavoCamera(TApplication& application);
    TFrmMain_tavoCamera(const TFrmMain_tavoCamera&) = delete;
    TFrmMain_tavoCamera& operator=(const TFrmMain_tavoCamera&) = delete;
    // Destroys the window; its destroy step frees the camera set.
    ~TFrmMain_tavoCamera() override;

    // Creates the window hidden with its components and runs the creation step. Throws when the
    // window cannot be made or the creation step fails.
    void Create();
    HWND Hwnd() const { return hwnd_; }

    // The window's visible state; making it visible runs the show step.
    bool Visible() const;
    void SetVisible(bool visible);

    // Closes the window: the close step, then the end of the run is requested.
    void Close();

    // The hidden edits, as the plate-result handling fills them.
    void SetPlateText(std::string_view gbk) override;
    void SetImagePath(std::string_view gbk) override;
    // Each result's record goes on to what the settings switch on: the daily index and the
    // event feed.
    void ResultRecorded(const TResultRecord& record) override;

    void SetHwnd(HWND hwnd) { hwnd_ = hwnd; }
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    // The steps and handlers of the window.
    void FormCreate();
    void FormShow();
    void FormKeyDown(WPARAM key);
    void FormClose();
    void FormDestroy();
    void LoadSaveAddresses(std::int32_t mode);
    void ReloadCameras();
    void RzPanel_TopResize();
    void WMPlateResult(WPARAM cameraId);
    void WMTrayNotify(LPARAM mouseMessage);
    // True when the command was taken; false leaves it to the default handling.
    bool OnSysCommand(WPARAM command);
    void N1Click();
    void N2Click();
    void N3Click();
    void WMRestoreInstance();

    bool ShownOnce = false;
    Bytes LeftIP;
    Bytes RightIP;
    // The [STATION] section, read once by the creation step.
    StationSettings Settings;
    // The event feed, switched on by the creation step when UploadUrl is set.
    StationUpload Upload;

private:
    void CreateComponents();
    HWND CreateHiddenEdit(int controlId, DWORD extraStyle);
    void OnSize(int clientWidth, int clientHeight);
    bool OnCommand(WPARAM wParam, LPARAM lParam);
    void HideSequence();
    void ShowSequence();
    void PopUpTrayMenu();
    void StartArchiveSweep();
    void StopArchiveSweep();
    void StartCameraWatch();
    void StopCameraWatch();
    void CameraWatchTimer();

    TApplication& application_;
    HWND hwnd_ = nullptr;
    bool camerasCreated_ = false;
    UniqueFont font_;
    TRzPanel RzPanel_Top;
    TRzPanel RzPanel_TopLeft;
    TRzPanel RzPanel_TopRight;
    HWND edt_inputPlate = nullptr;
    HWND Edt_inputPlateImage = nullptr;
    UniqueMenu TrayPopMenu;
    // The archive sweep's thread, with KeepDays or MinFreeMB set.
    std::unique_ptr<ArchiveSweeper> sweeper_;
    // The camera watch, with CameraCheckSeconds set; driven by a window timer.
    std::unique_ptr<CameraWatch> watch_;
};

} // namespace tavo

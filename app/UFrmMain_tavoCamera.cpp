// The main window: creation, layout, show, close and destroy steps, the camera connections, the
// tray icon's messages and menu, and the hand-over of plate results to the camera link.
#include "app/UFrmMain_tavoCamera.h"

#include <algorithm>
#include <chrono>
#include <exception>
#include <stdexcept>
#include <tuple>
#include <utility>
#include <vector>

#include "app/TrayIcon.h"
#include "app/WinText.h"
#include "app/WindowClass.h"
#include "camera/ResultIndex.h"
#include "camera/UnitVerizCamera.h"
#include "records/CaptureArchive.h"
#include "records/StationSettings.h"
#include "records/UMyUtils.h"
#include "records/tavoLogUnit.h"

namespace tavo {

namespace {

constexpr int kDesignWidth = 1374;
constexpr int kDesignHeight = 805;
constexpr int kLeftPanelDesignWidth = 521;
constexpr int kLeftPanelMinWidth = 400;
constexpr int kLeftPanelMaxWidth = 1000;
constexpr int kFontHeight = 20;
constexpr DWORD kMainWindowStyle = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;

// The archive sweep runs this long after start, then every hour.
constexpr std::chrono::seconds kFirstSweepDelay{5};
constexpr std::chrono::hours kSweepInterval{1};

// The window timer of the camera watch.
constexpr UINT_PTR kCameraWatchTimerId = 1;

// Settings section of the window: its component name.
constexpr std::string_view kSettingsSection = "FrmMain_tavoCamera";

// The left panel's width for a width of RzPanel_Top: half of it, but never less than 400 and
// never more than 1000 pixels.
int LeftPanelWidth(int topWidth) {
    int width = topWidth / 2;
    if (width <= kLeftPanelMinWidth)
        width = kLeftPanelMinWidth;
    if (width >= kLeftPanelMaxWidth)
        width = kLeftPanelMaxWidth;
    return width;
}

} // namespace

TFrmMain_tavoCamera::TFrmMain_tavoCamera(TApplication& application) : application_(application) {}

TFrmMain_tavoCamera::~TFrmMain_tavoCamera() {
    if (hwnd_)
        DestroyWindow(hwnd_);
    if (application_.MainWindow && !IsWindow(application_.MainWindow))
        application_.MainWindow = nullptr;
}

void TFrmMain_tavoCamera::Create() {
    RegisterWindowClass(kMainWindowClass, ForwardingWindowProc<TFrmMain_tavoCamera>,
                        reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
    const int x = (GetSystemMetrics(SM_CXSCREEN) - kDesignWidth) / 2;
    const int y = (GetSystemMetrics(SM_CYSCREEN) - kDesignHeight) / 2;
    CreateWindowExW(0, kMainWindowClass, WideText(GbkText(kMainWindowCaption)).c_str(),
                    kMainWindowStyle, x, y, kDesignWidth, kDesignHeight, application_.Handle(),
                    nullptr, GetModuleHandleW(nullptr), this);
    if (!hwnd_)
        throw std::runtime_error("the main window cannot be created");
    application_.MainWindow = hwnd_;
    CreateComponents();
    FormCreate();
}

void TFrmMain_tavoCamera::CreateComponents() {
    font_.Reset(CreateFontW(-kFontHeight, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, GB2312_CHARSET,
                            OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                            DEFAULT_PITCH | FF_DONTCARE, WideText(GbkText("宋体")).c_str()));
    SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font_.Get()), FALSE);

    RECT client{};
    GetClientRect(hwnd_, &client);
    RzPanel_Top.OnResize = [this] { RzPanel_TopResize(); };
    RzPanel_Top.Create(hwnd_, L"RzPanel_Top", kRzPanelTopId, client, false);
    const int height = client.bottom - client.top;
    RzPanel_TopLeft.Create(RzPanel_Top.Hwnd(), L"RzPanel_TopLeft", kRzPanelTopLeftId,
                           RECT{0, 0, kLeftPanelDesignWidth, height}, true);
    RzPanel_TopRight.Create(
        RzPanel_Top.Hwnd(), L"RzPanel_TopRight", kRzPanelTopRightId,
        RECT{kLeftPanelDesignWidth, 0, std::max<LONG>(client.right, kLeftPanelDesignWidth), height},
        true);
    // The top panel's first size arrived while it was being made, before the video panels
    // existed: lay them out for it now.
    RzPanel_TopResize();

    // The edits are children of the window itself, so that another program finds them with
    // GetDlgItem on the main window; they are never shown.
    edt_inputPlate = CreateHiddenEdit(kEdtInputPlateId, WS_DISABLED);
    HwndSetText(edt_inputPlate, GbkText("闽AR2346"));
    Edt_inputPlateImage = CreateHiddenEdit(kEdtInputPlateImageId, 0);

    TrayPopMenu.Reset(CreatePopupMenu());
    if (!TrayPopMenu)
        throw std::runtime_error("the tray menu cannot be created");
    const std::pair<UINT, const char*> items[] = {
        {kTrayMenuN1, "显示主界面"}, {kTrayMenuN2, "隐藏主界面"}, {kTrayMenuN3, "退出"}};
    for (const auto& [id, caption] : items)
        AppendMenuW(TrayPopMenu.Get(), MF_STRING, id, WideText(GbkText(caption)).c_str());
}

HWND TFrmMain_tavoCamera::CreateHiddenEdit(int controlId, DWORD extraStyle) {
    const HWND edit =
        CreateWindowExW(0, L"EDIT", L"", WS_CHILD | ES_AUTOHSCROLL | ES_READONLY | extraStyle, 0, 0,
                        200, 28, hwnd_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(controlId)),
                        GetModuleHandleW(nullptr), nullptr);
    if (!edit)
        throw std::runtime_error("an edit cannot be created");
    SendMessageW(edit, WM_SETFONT, reinterpret_cast<WPARAM>(font_.Get()), FALSE);
    return edit;
}

void TFrmMain_tavoCamera::FormCreate() {
    ShownOnce = false;
    DebugLogEnabled = true;
    CreateCameras();
    camerasCreated_ = true;
    Camera3->NotifyWindow = reinterpret_cast<std::uintptr_t>(hwnd_);
    Camera13->NotifyWindow = reinterpret_cast<std::uintptr_t>(hwnd_);
    LeftIP.clear();
    RightIP.clear();
    LoadSaveAddresses(kIniRead);
    Settings = ReadStationSettings();
    StartArchiveSweep();
    Upload.Start(Settings);
    EnableMenuItem(GetSystemMenu(hwnd_, FALSE), SC_CLOSE, MF_GRAYED);
    AddTrayIcon(hwnd_);
    application_.ShowMainForm = false;
    ShownOnce = false;
    DebugLog(GbkText("tavoCamera 开始启动"));
    ReloadCameras();
    StartCameraWatch();
}

void TFrmMain_tavoCamera::FormShow() {
    if (!ShownOnce) {
        application_.ShowMainForm = true;
        ShownOnce = true;
    }
}

void TFrmMain_tavoCamera::FormKeyDown(WPARAM) {
    // Key presses have no meaning for the station.
}

void TFrmMain_tavoCamera::FormClose() {
    LoadSaveAddresses(kIniWrite);
}

void TFrmMain_tavoCamera::FormDestroy() {
    StopCameraWatch();  // before the cameras go
    StopArchiveSweep(); // likewise
    if (!camerasCreated_)
        return;
    camerasCreated_ = false;
    try {
        // The sender stops before the cameras go; what waits stays in the outbox.
        Upload.Stop();
    } catch (...) {
        // The destruction goes on.
    }
    try {
        FreeCameras();
    } catch (...) {
        // Whatever goes wrong while the cameras are freed, the destruction goes on.
    }
}

void TFrmMain_tavoCamera::StartArchiveSweep() {
    const SweepRules rules{Settings.KeepDays, Settings.MinFreeMB};
    if (!rules.Any())
        return;
    sweeper_ =
        std::make_unique<ArchiveSweeper>(rules, DriveFreeSpace, kFirstSweepDelay, kSweepInterval);
    if (!sweeper_->Start()) {
        sweeper_.reset();
        return;
    }
    // A picture that could not be written may mean a full drive: sweep at once.
    ArchiveSweeper* sweeper = sweeper_.get();
    SetArchiveWriteFailedHandler([sweeper] { sweeper->RequestSweep(); });
}

void TFrmMain_tavoCamera::StopArchiveSweep() {
    SetArchiveWriteFailedHandler({});
    sweeper_.reset();
}

void TFrmMain_tavoCamera::StartCameraWatch() {
    if (Settings.CameraCheckSeconds <= 0)
        return;
    // The cameras the station opens: those whose address looks like one.
    std::vector<WatchedCamera> watched;
    const std::tuple<TVerizCamera*, const Bytes*, const char*, HWND> sides[] = {
        {Camera3, &LeftIP, "左边", RzPanel_TopLeft.Hwnd()},
        {Camera13, &RightIP, "右边", RzPanel_TopRight.Hwnd()}};
    for (const auto& [camera, address, side, panel] : sides) {
        Bytes trimmed = TrimText(*address);
        if (trimmed.find('.') != Bytes::npos)
            watched.push_back({camera, GbkText(side), std::move(trimmed),
                               reinterpret_cast<std::uintptr_t>(panel)});
    }
    if (watched.empty())
        return;
    watch_ = std::make_unique<CameraWatch>(std::move(watched));
    const UINT interval = static_cast<UINT>(Settings.CameraCheckSeconds) * 1000;
    if (SetTimer(hwnd_, kCameraWatchTimerId, interval, nullptr) == 0) {
        ErrorLog(GbkText("摄像头检查定时器无法启动"));
        watch_.reset();
    }
}

void TFrmMain_tavoCamera::StopCameraWatch() {
    if (!watch_)
        return;
    KillTimer(hwnd_, kCameraWatchTimerId);
    watch_.reset();
}

void TFrmMain_tavoCamera::CameraWatchTimer() {
    if (!watch_)
        return;
    try {
        const std::vector<WatchChange> changes = watch_->Check(std::chrono::steady_clock::now());
        if (changes.empty())
            return;
        // The tip names the sides that are offline; each change gets a balloon.
        const Bytes tip = WatchTipText(watch_->OfflineSides());
        const bool tipSet = SetTrayTip(hwnd_, tip);
        DebugLog(GbkText("托盘提示：") + tip + (tipSet ? "" : GbkText("（未能设置）")));
        for (const WatchChange& change : changes) {
            const bool shown =
                ShowTrayBalloon(hwnd_, GbkText("高清车牌识别"), change.Text, !change.Online);
            DebugLog(GbkText("托盘气泡：") + change.Text + (shown ? "" : GbkText("（未能显示）")));
        }
    } catch (const std::exception& error) {
        ErrorLog(GbkText("摄像头检查出错：") + Bytes(error.what()));
    }
}

void TFrmMain_tavoCamera::LoadSaveAddresses(std::int32_t mode) {
    const std::pair<std::string_view, Bytes*> fields[] = {{"leftIP", &LeftIP},
                                                          {"rightIP", &RightIP}};
    for (const auto& [key, field] : fields) {
        Bytes value = *field;
        const bool ok = IniValue(kSettingsSection, key, value, mode);
        if (ok && mode == kIniRead) {
            Bytes trimmed = TrimText(value);
            if (!trimmed.empty())
                *field = std::move(trimmed);
        }
    }
}

namespace {

// Opens a camera into its panel when the address looks like one, and logs the outcome.
void ConnectCamera(TVerizCamera& camera, const Bytes& address, HWND videoWindow,
                   std::string_view connected, std::string_view failed) {
    const Bytes trimmed = TrimText(address);
    if (trimmed.find('.') == Bytes::npos)
        return;
    const bool opened = camera.OpenCamera(trimmed, reinterpret_cast<std::uintptr_t>(videoWindow));
    DebugLog(GbkText(opened ? connected : failed));
}

} // namespace

void TFrmMain_tavoCamera::ReloadCameras() {
    DebugLog(GbkText("重新加载配置 --- 动态数据"));
    HwndSetText(edt_inputPlate, "");
    HwndSetText(Edt_inputPlateImage, "");
    Camera3->CloseCamera();
    Camera13->CloseCamera();
    ConnectCamera(*Camera3, LeftIP, RzPanel_TopLeft.Hwnd(), "连接左边摄像头成功",
                  "连接左边摄像头失败！");
    ConnectCamera(*Camera13, RightIP, RzPanel_TopRight.Hwnd(), "连接右边摄像头成功",
                  "连接右边摄像头失败！");
}

void TFrmMain_tavoCamera::RzPanel_TopResize() {
    // The top panel's first size arrives while it is being made, before the two video panels.
    if (!RzPanel_TopLeft.Hwnd() || !RzPanel_TopRight.Hwnd())
        return;
    RECT client{};
    GetClientRect(RzPanel_Top.Hwnd(), &client);
    const int width = client.right - client.left;
    const int height = client.bottom - client.top;
    const int left = LeftPanelWidth(width);
    RzPanel_TopLeft.SetBounds(0, 0, left, height);
    RzPanel_TopRight.SetBounds(left, 0, std::max(0, width - left), height);
}

void TFrmMain_tavoCamera::OnSize(int clientWidth, int clientHeight) {
    if (RzPanel_Top.Hwnd())
        RzPanel_Top.SetBounds(0, 0, clientWidth, clientHeight);
}

void TFrmMain_tavoCamera::SetPlateText(std::string_view gbk) {
    HwndSetText(edt_inputPlate, gbk);
}

void TFrmMain_tavoCamera::SetImagePath(std::string_view gbk) {
    HwndSetText(Edt_inputPlateImage, gbk);
}

void TFrmMain_tavoCamera::ResultRecorded(const TResultRecord& record) {
    if (Settings.RecognitionIndex)
        WriteIndexLine(record);
    Upload.Record(record);
}

void TFrmMain_tavoCamera::WMPlateResult(WPARAM cameraId) {
    HandlePlateResult(static_cast<std::uintptr_t>(cameraId), *this);
}

bool TFrmMain_tavoCamera::Visible() const {
    return IsWindowVisible(hwnd_) != FALSE;
}

void TFrmMain_tavoCamera::SetVisible(bool visible) {
    ShowWindow(hwnd_, visible ? SW_SHOW : SW_HIDE);
}

void TFrmMain_tavoCamera::Close() {
    try {
        FormClose();
    } catch (const std::exception& error) {
        // The addresses could not be saved; the run ends all the same.
        ErrorLog(GbkText("保存摄像头地址失败！") + Bytes(error.what()));
    } catch (...) {
        ErrorLog(GbkText("保存摄像头地址失败！"));
    }
    // The tray icon may already be gone: whatever happened above, the run ends.
    application_.Terminate();
}

void TFrmMain_tavoCamera::HideSequence() {
    SetVisible(false);
    ShowWindow(hwnd_, SW_HIDE);
    ShowWindow(application_.Handle(), SW_HIDE);
}

void TFrmMain_tavoCamera::ShowSequence() {
    if (!Visible())
        SetVisible(true);
    ShowWindow(application_.Handle(), SW_SHOW);
    ShowWindow(hwnd_, SW_SHOW);
}

void TFrmMain_tavoCamera::WMTrayNotify(LPARAM mouseMessage) {
    switch (mouseMessage) {
    case WM_LBUTTONDOWN:
        HideSequence();
        break;
    case WM_LBUTTONDBLCLK:
        ShowSequence();
        application_.Restore();
        application_.BringToFront();
        break;
    case WM_RBUTTONDOWN:
        PopUpTrayMenu();
        break;
    default:
        break;
    }
}

void TFrmMain_tavoCamera::PopUpTrayMenu() {
    SetForegroundWindow(hwnd_);
    POINT cursor{};
    GetCursorPos(&cursor);
    TrackPopupMenu(TrayPopMenu.Get(), TPM_LEFTALIGN | TPM_RIGHTBUTTON, cursor.x, cursor.y, 0, hwnd_,
                   nullptr);
    // Lets the menu close when the user clicks elsewhere next time.
    PostMessageW(hwnd_, WM_NULL, 0, 0);
}

bool TFrmMain_tavoCamera::OnSysCommand(WPARAM command) {
    const WPARAM masked = command & 0xFFF0;
    if (masked != SC_MINIMIZE && masked != SC_CLOSE)
        return false;
    AddTrayIcon(hwnd_);
    HideSequence();
    return true;
}

void TFrmMain_tavoCamera::N1Click() {
    ShowSequence();
    application_.BringToFront();
}

void TFrmMain_tavoCamera::N2Click() {
    HideSequence();
}

void TFrmMain_tavoCamera::N3Click() {
    RemoveTrayIcon(hwnd_);
    Close();
    application_.Terminate();
}

void TFrmMain_tavoCamera::WMRestoreInstance() {
    if (application_.IsMinimized())
        application_.Restore();
    else
        application_.BringToFront();
}

bool TFrmMain_tavoCamera::OnCommand(WPARAM wParam, LPARAM lParam) {
    // Menu items come with notification code 0 and no control.
    if (HIWORD(wParam) != 0 || lParam != 0)
        return false;
    switch (LOWORD(wParam)) {
    case kTrayMenuN1:
        N1Click();
        return true;
    case kTrayMenuN2:
        N2Click();
        return true;
    case kTrayMenuN3:
        N3Click();
        return true;
    default:
        return false;
    }
}

LRESULT TFrmMain_tavoCamera::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SIZE:
        if (wParam != SIZE_MINIMIZED)
            OnSize(LOWORD(lParam), HIWORD(lParam));
        return 0;
    case WM_SHOWWINDOW:
        if (wParam)
            FormShow();
        break;
    case WM_KEYDOWN:
        FormKeyDown(wParam);
        break;
    case WM_CLOSE:
        Close();
        return 0;
    case WM_DESTROY:
        FormDestroy();
        return 0;
    case WM_COMMAND:
        if (OnCommand(wParam, lParam))
            return 0;
        break;
    case WM_SYSCOMMAND:
        if (OnSysCommand(wParam))
            return 0;
        break;
    case WM_PLATE_RESULT:
        WMPlateResult(wParam);
        return 0;
    case WM_TRAY_NOTIFY:
        WMTrayNotify(lParam);
        return 0;
    case WM_RESTORE_INSTANCE:
        WMRestoreInstance();
        return 0;
    case WM_TIMER:
        if (wParam != kCameraWatchTimerId)
            break;
        CameraWatchTimer();
        return 0;
    default:
        break;
    }
    return DefWindowProcW(hwnd_, message, wParam, lParam);
}

} // namespace tavo

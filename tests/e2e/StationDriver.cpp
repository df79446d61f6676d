// The outside driver of the station program: folders, process, windows, logs and journals.
#include "tests/e2e/StationDriver.h"

#include <shellapi.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <thread>

#include "common/GbkText.h"

namespace tavo::e2e {

namespace {

// A path of the build (a Linux path under Wine) as a Windows path: "/x/y" is "Z:\x\y".
fs::path BuildPath(const char* path) {
    std::string text(path);
    if (!text.empty() && text.front() == '/')
        text = "Z:" + text;
    std::replace(text.begin(), text.end(), '/', '\\');
    return fs::path(text);
}

std::vector<Bytes> SplitLines(const Bytes& text) {
    std::vector<Bytes> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find("\r\n", start);
        if (end == Bytes::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

// The lines of a file with their first `stampLength` bytes (the time stamp) removed.
std::vector<Bytes> StampedTexts(const fs::path& file, std::size_t stampLength) {
    std::vector<Bytes> texts;
    for (const Bytes& line : SplitLines(ReadBytes(file)))
        texts.push_back(line.size() >= stampLength ? line.substr(stampLength) : line);
    return texts;
}

std::vector<fs::path> FilesIn(const fs::path& folder, const std::wstring& prefix) {
    std::vector<fs::path> files;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error))
        if (entry.is_regular_file() && entry.path().filename().wstring().starts_with(prefix))
            files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

Bytes ToGbk(const std::wstring& text) {
    return Utf16ToGbk(std::u16string(text.begin(), text.end()));
}

} // namespace

bool WaitFor(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (condition())
            return true;
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

Bytes Gbk(std::string_view utf8) {
    return Utf8ToGbk(utf8);
}

std::wstring Wide(std::string_view utf8) {
    const std::u16string text = GbkToUtf16(Utf8ToGbk(utf8));
    return std::wstring(text.begin(), text.end());
}

Bytes ReadBytes(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

void WriteBytes(const fs::path& file, std::string_view bytes) {
    fs::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::wstring MainCaption() {
    return Wide("高清车牌识别");
}
std::wstring ApplicationTitle() {
    return Wide("【高清车牌识别V1.0.2】");
}

namespace {
// A tray call that names the station's icon (window, id) and changes nothing else of it.
bool StationIconCall(DWORD message, HWND window) {
    NOTIFYICONDATAW data{};
    data.cbSize = NOTIFYICONDATAW_V1_SIZE;
    data.hWnd = window;
    data.uID = kTrayIconId;
    return Shell_NotifyIconW(message, &data) != FALSE;
}
} // namespace

bool TrayIconPresent(HWND window) {
    return StationIconCall(NIM_MODIFY, window);
}

bool DeleteTrayIcon(HWND window) {
    return StationIconCall(NIM_DELETE, window);
}

Bytes ControlText(HWND window, int controlId) {
    const HWND control = GetDlgItem(window, controlId);
    if (!control)
        return "<no control>";
    DWORD_PTR length = 0;
    SendMessageTimeoutW(control, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, 10000, &length);
    std::wstring text(length + 1, L'\0');
    DWORD_PTR copied = 0;
    SendMessageTimeoutW(control, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                        SMTO_NORMAL, 10000, &copied);
    text.resize(copied);
    return ToGbk(text);
}

LRESULT SendAndWait(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    SendMessageTimeoutW(window, message, wParam, lParam, SMTO_NORMAL, 10000, &result);
    return static_cast<LRESULT>(result);
}

RECT RectInParent(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    MapWindowPoints(HWND_DESKTOP, GetParent(window), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

std::string HexBytes(std::string_view bytes) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string hex;
    for (const char byte : bytes) {
        const auto value = static_cast<unsigned char>(byte);
        if (!hex.empty())
            hex += ' ';
        hex += kDigits[value >> 4];
        hex += kDigits[value & 0x0F];
    }
    return hex;
}

StationFolder::StationFolder() {
    static int count = 0;
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    // A folder name outside ASCII, as a station installed in a Chinese-named folder has.
    root_ = fs::path(temp) / (Wide("tavo-e2e-车牌站-") + std::to_wstring(GetCurrentProcessId()) +
                              L"-" + std::to_wstring(++count));
    fs::remove_all(root_);
    fs::create_directories(root_);
    fs::copy_file(BuildPath(TAVO_STATION_EXE), root_ / L"tavoCamera.exe");
    fs::copy_file(BuildPath(TAVO_SIM_DLL), root_ / L"ice_ipcsdk.dll");
}

StationFolder::~StationFolder() {
    std::error_code ignored;
    fs::remove_all(root_, ignored);
}

void StationFolder::WriteSettings(std::string_view iniText) {
    WriteBytes(root_ / L"bin" / L"FormLayout.ini", iniText);
}

Bytes StationFolder::ReadSettings() const {
    return ReadBytes(root_ / L"bin" / L"FormLayout.ini");
}

Bytes StationFolder::StoredSetting(std::string_view key) const {
    const Bytes prefix = Bytes(key) + "=";
    for (Bytes line : SplitLines(ReadSettings())) {
        if (!line.empty() && line.back() == '\n')
            line.pop_back();
        if (line.starts_with(prefix))
            return line.substr(prefix.size());
    }
    return "<missing>";
}

fs::path StationFolder::CameraFolder(std::string_view address) const {
    return root_ / L"sim" / Wide(address);
}

fs::path StationFolder::AddCamera(std::string_view address) {
    const fs::path folder = CameraFolder(address);
    fs::create_directories(folder / L"inbox");
    return folder;
}

void StationFolder::DropRecognition(std::string_view address, std::string_view name,
                                    std::string_view plate, std::string_view fullPicture,
                                    std::string_view closeUpPicture) {
    const fs::path inbox = CameraFolder(address) / L"inbox";
    const std::wstring base = Wide(name);
    if (!fullPicture.empty())
        WriteBytes(inbox / (base + L".full.jpg"), fullPicture);
    if (!closeUpPicture.empty())
        WriteBytes(inbox / (base + L".plate.jpg"), closeUpPicture);
    // Written aside and renamed, so the simulator never sees half a .txt.
    const fs::path pending = inbox / (base + L".tmp");
    WriteBytes(pending, Bytes(plate) + "\r\n");
    fs::rename(pending, inbox / (base + L".txt"));
}

std::vector<Bytes> StationFolder::Journal(std::string_view address) const {
    // "YYYY-MM-DD HH:MM:SS.mmm " before each entry.
    return StampedTexts(CameraFolder(address) / L"journal.txt", 24);
}

Bytes StationFolder::ReadProgramFile(std::string_view gbkRelativePath) const {
    const std::u16string relative = GbkToUtf16(gbkRelativePath);
    return ReadBytes(root_ / std::wstring(relative.begin(), relative.end()));
}

std::vector<fs::path> StationFolder::Journals() const {
    std::vector<fs::path> journals;
    std::error_code error;
    for (const auto& entry : fs::recursive_directory_iterator(root_ / L"sim", error))
        if (entry.path().filename() == L"journal.txt")
            journals.push_back(entry.path());
    return journals;
}

std::vector<Bytes> StationFolder::DebugLogTexts() const {
    // "YYYY-MM-DD HH:MM:SS " before each text.
    std::vector<Bytes> texts;
    for (const fs::path& file : FilesIn(root_ / L"Log" / L"Debug", L"debugLog_"))
        for (Bytes& text : StampedTexts(file, 20))
            texts.push_back(std::move(text));
    return texts;
}

std::vector<Bytes> StationFolder::ErrorLogTexts() const {
    std::vector<Bytes> texts;
    for (const fs::path& file : ErrorLogs())
        for (Bytes& text : StampedTexts(file, 20))
            texts.push_back(std::move(text));
    return texts;
}

std::vector<fs::path> StationFolder::ErrorLogs() const {
    return FilesIn(root_ / L"Log", L"ErrorLog_");
}

std::vector<Bytes> StationFolder::ArchivedPictures(std::string_view address) const {
    std::vector<Bytes> pictures;
    std::error_code error;
    for (const auto& entry :
         fs::recursive_directory_iterator(root_ / L"Log" / Wide(address), error))
        if (entry.is_regular_file())
            pictures.push_back(ToGbk(entry.path().lexically_relative(root_).wstring()));
    std::sort(pictures.begin(), pictures.end());
    return pictures;
}

StationProcess::~StationProcess() {
    if (Running())
        Kill();
    if (process_.hProcess)
        CloseHandle(process_.hProcess);
    if (process_.hThread)
        CloseHandle(process_.hThread);
}

bool StationProcess::Start(const StationFolder& folder) {
    const fs::path exe = folder.Root() / L"tavoCamera.exe";
    std::wstring commandLine = L"\"" + exe.wstring() + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.Root().c_str(), &startup, &process_))
        return false;
    return true;
}

bool StationProcess::SuspendWindowThread() {
    return process_.hThread && SuspendThread(process_.hThread) != static_cast<DWORD>(-1);
}

bool StationProcess::ResumeWindowThread() {
    return process_.hThread && ResumeThread(process_.hThread) != static_cast<DWORD>(-1);
}

DWORD StationProcess::WaitForExit(std::chrono::milliseconds timeout) {
    if (!process_.hProcess)
        return STILL_ACTIVE;
    WaitForSingleObject(process_.hProcess, static_cast<DWORD>(timeout.count()));
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(process_.hProcess, &code);
    return code;
}

bool StationProcess::Running() const {
    return process_.hProcess && WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT;
}

void StationProcess::Kill() {
    TerminateProcess(process_.hProcess, 99);
    WaitForSingleObject(process_.hProcess, 10000);
}

HWND WaitForMainWindow() {
    HWND found = nullptr;
    WaitFor([&] {
        found = FindWindowW(kMainClass, MainCaption().c_str());
        return found != nullptr;
    });
    return found;
}

namespace {

BOOL CALLBACK CollectMainWindow(HWND window, LPARAM list) {
    wchar_t name[64];
    if (GetClassNameW(window, name, 64) && std::wstring(name) == kMainClass)
        reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
    return TRUE;
}

} // namespace

std::vector<HWND> MainWindows() {
    std::vector<HWND> windows;
    EnumWindows(CollectMainWindow, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

namespace {

struct MenuSearch {
    DWORD process;
    HWND found;
};

BOOL CALLBACK FindPopUpMenu(HWND window, LPARAM search) {
    auto& s = *reinterpret_cast<MenuSearch*>(search);
    wchar_t name[16];
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == s.process && IsWindowVisible(window) && GetClassNameW(window, name, 16) &&
        std::wstring(name) == L"#32768") {
        s.found = window;
        return FALSE;
    }
    return TRUE;
}

} // namespace

HWND PopUpMenuOf(HWND window) {
    MenuSearch search{0, nullptr};
    GetWindowThreadProcessId(window, &search.process);
    EnumWindows(FindPopUpMenu, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND ApplicationWindow(HWND mainWindow) {
    return GetWindow(mainWindow, GW_OWNER);
}

HWND FindPanel(HWND mainWindow, const wchar_t* name) {
    const HWND top = FindWindowExW(mainWindow, nullptr, kPanelClass, L"RzPanel_Top");
    if (std::wstring(name) == L"RzPanel_Top" || !top)
        return top;
    return FindWindowExW(top, nullptr, kPanelClass, name);
}

} // namespace tavo::e2e

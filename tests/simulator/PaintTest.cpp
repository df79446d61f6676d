// The simulated live video in a real window: needs a display (run-with-display.sh gives one).
// The camera paints the panel from its own thread; a decoded full picture fills the panel.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "camera/ice_ipcsdk.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

fs::path ProgramFolder() {
    wchar_t exe[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, exe, MAX_PATH);
    return fs::path(std::wstring(exe, length)).parent_path();
}

void ICE_CALLBACK IgnorePlate(void*, const char*, const char*, const char*, const char*, int32_t,
                              const char*, int32_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t,
                              uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t,
                              uintptr_t, uintptr_t, uintptr_t) {}

// Pumps the test window's messages for a while (the panel belongs to this thread).
void Pump(std::chrono::milliseconds duration) {
    const auto end = std::chrono::steady_clock::now() + duration;
    while (std::chrono::steady_clock::now() < end) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&message);
        std::this_thread::sleep_for(10ms);
    }
}

COLORREF PixelAt(HWND window, int x, int y) {
    HDC dc = GetDC(window);
    const COLORREF colour = GetPixel(dc, x, y);
    ReleaseDC(window, dc);
    return colour;
}

TEST(SimulatorPaintTest, PanelShowsTheLastFullPictureScaledIn) {
    HMODULE library = LoadLibraryW((ProgramFolder() / L"ice_ipcsdk.dll").c_str());
    ASSERT_NE(library, nullptr);
    const auto open = reinterpret_cast<ICE_IPCSDK_OpenPreview_t>(
        reinterpret_cast<void*>(GetProcAddress(library, "ICE_IPCSDK_OpenPreview")));
    const auto close = reinterpret_cast<ICE_IPCSDK_Close_t>(
        reinterpret_cast<void*>(GetProcAddress(library, "ICE_IPCSDK_Close")));
    ASSERT_TRUE(open && close);

    // The panel: the sample picture is 480x272, the client area twice that, so the picture is
    // drawn at double size.
    RECT frame{0, 0, 960, 544};
    AdjustWindowRect(&frame, WS_POPUP, FALSE);
    HWND panel = CreateWindowExW(0, L"STATIC", L"panel", WS_POPUP | WS_VISIBLE, 0, 0,
                                 frame.right - frame.left, frame.bottom - frame.top, nullptr,
                                 nullptr, nullptr, nullptr);
    ASSERT_NE(panel, nullptr) << "no display";

    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const fs::path root =
        fs::path(temp) / (L"tavo-sim-paint-" + std::to_wstring(GetCurrentProcessId()));
    fs::remove_all(root);
    fs::create_directories(root / L"192.168.1.100" / L"inbox");
    SetEnvironmentVariableW(L"ICE_SIM_ROOT", root.c_str());

    const ICE_HANDLE handle =
        open("192.168.1.100", 1, 1, reinterpret_cast<uintptr_t>(panel), &IgnorePlate, nullptr);
    ASSERT_NE(handle, 0u);
    Pump(500ms);
    // Before any recognition: the dark empty frame with the caption.
    const COLORREF empty = PixelAt(panel, 400, 320);
    EXPECT_EQ(empty, RGB(24, 28, 36));

    // A red car (the first sample of 192.168.1.100); its body fills (160..800, 300..450) here.
    const fs::path inbox = root / L"192.168.1.100" / L"inbox";
    fs::copy_file(ProgramFolder() / L"paint-sample.full.jpg", inbox / L"car.full.jpg");
    std::ofstream(inbox / L"car.txt", std::ios::binary) << "\xC3\xF6"
                                                           "AR2346"; // GBK 闽AR2346
    Pump(1000ms);
    const COLORREF body = PixelAt(panel, 400, 320);
    EXPECT_GT(GetRValue(body), 150);
    EXPECT_LT(GetGValue(body), 70);
    EXPECT_LT(GetBValue(body), 70);

    EXPECT_EQ(close(handle), 1);
    DestroyWindow(panel);
    fs::remove_all(root);
}

} // namespace

// Windows only: loading ice_ipcsdk.dll from the program folder, and the default poster.
#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>

#include "CameraFixture.h"
#include "camera/IceLibrary.h"
#include "camera/MessagePoster.h"
#include "camera/UnitVerizCamera.h"
#include "common/GbkText.h"
#include "common/HostPath.h"

namespace tavo::test {
namespace {

std::filesystem::path ExeFolder() {
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    return std::filesystem::path(std::wstring(path, length)).parent_path();
}

class LoadIceLibraryTest : public CameraTest {
protected:
    // Puts a test library into the program folder under the vendor's file name.
    void PlaceLibrary(const char* builtName) {
        std::filesystem::copy_file(ExeFolder() / builtName, root_ / "ice_ipcsdk.dll");
    }
    void TearDown() override {
        // The station never unloads the library; the tests do, so that the folder can go.
        if (HMODULE loaded = GetModuleHandleW((root_ / "ice_ipcsdk.dll").c_str()))
            FreeLibrary(loaded);
        CameraTest::TearDown();
    }
    static std::vector<Bytes> ErrorLines() {
        std::vector<Bytes> lines;
        const Bytes log = ErrorLogText();
        for (std::size_t start = 0, end; (end = log.find("\r\n", start)) != Bytes::npos;
             start = end + 2)
            lines.push_back(log.substr(start, end - start));
        return lines;
    }
};

TEST_F(LoadIceLibraryTest, MissingLibraryLeavesTheFailingTableAndOneLineNamingIt) {
    EXPECT_FALSE(LoadIceLibrary());
    const auto lines = ErrorLines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find("ice_ipcsdk.dll"), Bytes::npos) << lines[0];
    TVerizCamera camera;
    camera.CameraId = 3;
    EXPECT_FALSE(camera.OpenCamera("10.0.0.1", 0));
}

TEST_F(LoadIceLibraryTest, MissingNameLeavesTheFailingTableAndOneLineNamingOnlyIt) {
    PlaceLibrary("fake_ice_partial.dll");
    EXPECT_FALSE(LoadIceLibrary());
    const auto lines = ErrorLines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find("ICE_IPCSDK_BroadcastGroup"), Bytes::npos) << lines[0];
    EXPECT_EQ(lines[0].find("ICE_IPCSDK_TransSerialPort"), Bytes::npos) << lines[0];
    EXPECT_EQ(Ice().OpenPreview("10.0.0.1", 1, 1, 0, nullptr, nullptr), 0u);
}

TEST_F(LoadIceLibraryTest, WholeLibraryFillsTheTable) {
    PlaceLibrary("fake_ice_full.dll");
    ASSERT_TRUE(LoadIceLibrary());
    EXPECT_EQ(ErrorLogText(), "");
    TVerizCamera camera;
    camera.CameraId = 3;
    ASSERT_TRUE(camera.OpenCamera("10.0.0.1", 0));
    EXPECT_EQ(camera.CurrentHandle(), 42u);
    EXPECT_TRUE(camera.QueryOnline());
    EXPECT_TRUE(camera.SendSerial("abc"));
    EXPECT_TRUE(camera.PlayPhrases("76"));
    camera.CloseCamera();
}

TEST(DefaultPoster, PostsToTheWindowsMessageQueue) {
    MSG msg;
    PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE); // gives this thread its queue
    SetMessagePoster(nullptr);
    // Window 0 is this thread's own queue.
    ASSERT_TRUE(PostWindowMessage(0, WM_PLATE_RESULT, 13, 0));
    ASSERT_TRUE(PeekMessageW(&msg, reinterpret_cast<HWND>(-1), WM_PLATE_RESULT, WM_PLATE_RESULT,
                             PM_REMOVE));
    EXPECT_EQ(msg.message, WM_PLATE_RESULT);
    EXPECT_EQ(msg.wParam, 13u);
    EXPECT_EQ(msg.lParam, 0);
    EXPECT_FALSE(DefaultPostMessage(0xDEAD0, WM_PLATE_RESULT, 3, 0)) << "no such window";
}

} // namespace
} // namespace tavo::test

// What a window of the station answers when one of its handlers raises an error: the error goes
// to the error log, and a close or system command is taken as handled instead of falling to the
// default handling, which would destroy or minimise the window behind the station's back.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <stdexcept>

#include "app/WindowClass.h"
#include "common/GbkText.h"
#include "common/HostPath.h"
#include "records/tavoLogUnit.h"

namespace tavo {
namespace {

// A window whose handler raises an error for one message and leaves the rest to the default.
class FailingWindow {
public:
    explicit FailingWindow(UINT failOn) : failOn_(failOn) {}
    void SetHwnd(HWND hwnd) { hwnd_ = hwnd; }
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == failOn_)
            throw std::runtime_error("handler failed");
        return DefWindowProcW(hwnd_, message, wParam, lParam);
    }

private:
    UINT failOn_;
    HWND hwnd_ = nullptr;
};

constexpr wchar_t kClassName[] = L"tavoFailingWindowTest";

HWND MakeWindow(FailingWindow& object) {
    RegisterWindowClass(kClassName, ForwardingWindowProc<FailingWindow>, nullptr);
    return CreateWindowExW(0, kClassName, L"failing", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr,
                           nullptr, GetModuleHandleW(nullptr), &object);
}

class WindowClassTest : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = std::filesystem::temp_directory_path() /
                ("tavo-app-" + std::to_string(std::random_device{}()));
        std::filesystem::create_directories(root_);
        SetProgramFolder(Utf16ToGbk(root_.u16string()));
        StartLogUnit();
    }
    void TearDown() override {
        std::error_code ignored;
        std::filesystem::remove_all(root_, ignored);
    }

    // The texts of the error log's lines, without their time stamps.
    std::vector<Bytes> ErrorLogTexts() const {
        std::vector<Bytes> texts;
        for (const auto& entry : std::filesystem::directory_iterator(root_ / "Log")) {
            if (!entry.path().filename().u8string().starts_with(u8"ErrorLog_"))
                continue;
            std::ifstream file(entry.path(), std::ios::binary);
            for (std::string line; std::getline(file, line);)
                texts.push_back(line.substr(20, line.size() - 21)); // stamp and CR
        }
        return texts;
    }

    std::filesystem::path root_;
};

TEST_F(WindowClassTest, FailedCloseOrSystemCommandLeavesTheWindowAsItWasAndIsLogged) {
    struct Case {
        const char* name;
        UINT message;
        WPARAM wParam;
    };
    const Case cases[] = {
        {"close", WM_CLOSE, 0},
        {"system close", WM_SYSCOMMAND, SC_CLOSE},
        {"system minimise", WM_SYSCOMMAND, SC_MINIMIZE},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FailingWindow object(c.message);
        const HWND window = MakeWindow(object);
        ASSERT_NE(window, nullptr);
        ShowWindow(window, SW_SHOWNORMAL);

        EXPECT_EQ(SendMessageW(window, c.message, c.wParam, 0), 0);
        EXPECT_TRUE(IsWindow(window)) << "the window was destroyed";
        EXPECT_TRUE(IsWindowVisible(window));
        EXPECT_FALSE(IsIconic(window));
        DestroyWindow(window);
    }
    EXPECT_EQ(ErrorLogTexts(),
              std::vector<Bytes>(3, Utf8ToGbk("窗口消息处理报错！handler failed")));
}

TEST_F(WindowClassTest, FailedCreationStepMakesNoWindow) {
    for (const UINT message : {WM_NCCREATE, WM_CREATE}) {
        SCOPED_TRACE(message);
        FailingWindow object(message);
        EXPECT_EQ(MakeWindow(object), nullptr);
    }
    EXPECT_EQ(ErrorLogTexts().size(), 2u);
}

TEST_F(WindowClassTest, OtherMessagesStillGetTheirDefaultHandling) {
    FailingWindow object(WM_GETTEXTLENGTH);
    const HWND window = MakeWindow(object);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(SendMessageW(window, WM_GETTEXTLENGTH, 0, 0), 7) << "the length of \"failing\"";
    DestroyWindow(window);
    EXPECT_EQ(ErrorLogTexts().size(), 1u);
}

} // namespace
} // namespace tavo

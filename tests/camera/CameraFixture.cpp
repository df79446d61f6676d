// The camera link's test fixture.
#include "CameraFixture.h"

#include <algorithm>
#include <fstream>
#include <mutex>
#include <random>
#include <sstream>

#include "camera/IceLibrary.h"
#include "camera/MessagePoster.h"
#include "camera/PlateCallback.h"
#include "camera/UnitVerizCamera.h"
#include "common/GbkText.h"
#include "common/HostPath.h"
#include "records/tavoLogUnit.h"

namespace tavo::test {

namespace {

std::mutex postLock;
std::vector<Posted> posts;
bool postResult = true;

bool RecordingPoster(std::uintptr_t window, std::uint32_t message, std::uintptr_t wParam,
                     std::intptr_t lParam) {
    std::lock_guard guard(postLock);
    posts.push_back({window, message, wParam, lParam});
    return postResult;
}

} // namespace

LocalTime MarchFifth() {
    return LocalTime{2024, 3, 5, 14, 7, 9, 0};
}

void CameraTest::SetUp() {
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name =
        std::string("tavo-camera-") + test->name() + "-" + std::to_string(std::random_device{}());
    std::replace(name.begin(), name.end(), '/', '-');
    root_ = std::filesystem::temp_directory_path() / name;
    std::filesystem::remove_all(root_);
    std::filesystem::create_directories(root_);
    SetProgramFolder(Utf16ToGbk(root_.u16string()));
    SetClockForTesting(MarchFifth);
    StartLogUnit();
    InstallFakeIceLibrary();
    {
        std::lock_guard guard(postLock);
        posts.clear();
        postResult = true;
    }
    SetMessagePoster(RecordingPoster);
}

void CameraTest::TearDown() {
    if (Camera3 != nullptr || Camera13 != nullptr)
        FreeCameras();
    SetMessagePoster(nullptr);
    SetIceLibrary(FailingIceLibrary());
    SetClockForTesting({});
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
}

std::vector<Posted> CameraTest::Posts() {
    std::lock_guard guard(postLock);
    return posts;
}

void CameraTest::SetPostResult(bool result) {
    std::lock_guard guard(postLock);
    postResult = result;
}

void CameraTest::Deliver(void* param, const char* address, const char* plate, std::string_view full,
                         std::string_view closeUp) {
    OnPlateResult(param, address, plate, "blue", full.data(),
                  static_cast<std::int32_t>(full.size()), closeUp.data(),
                  static_cast<std::int32_t>(closeUp.size()), 9, 10, 11, 12, 13, 14, 15, 16, 17, 18,
                  19, 20, 21);
}

Bytes CameraTest::ErrorLogText() {
    return ReadFile(ProgramPath("Log\\ErrorLog_20240305.txt"));
}

std::vector<std::filesystem::path> CameraTest::ArchivedFiles() const {
    std::vector<std::filesystem::path> files;
    const auto log = root_ / "Log";
    if (!std::filesystem::exists(log))
        return files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(log))
        if (entry.is_regular_file() && entry.path().extension() == ".jpg")
            files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

Bytes CameraTest::ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

} // namespace tavo::test

// The feed's test fixture, fake transport and kept reports.
#include "tests/upload/UploadFixture.h"

#include <algorithm>
#include <fstream>
#include <sstream>

#include "common/GbkText.h"

namespace tavo {

void UploadTest::SetUp() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    folder_ = std::filesystem::temp_directory_path() /
              (std::string("tavo-upload-") + info->test_suite_name() + "-" + info->name());
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_);
}

void UploadTest::TearDown() {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
}

std::string UploadTest::ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

void UploadTest::WriteFile(const std::filesystem::path& path, std::string_view bytes) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::vector<std::string> UploadTest::FileNames(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error))
        if (entry.is_regular_file())
            names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

FakeTransport::FakeTransport(std::vector<ScriptedAnswer> script, ScriptedAnswer otherwise)
    : script_(script.begin(), script.end()), otherwise_(otherwise) {}

HttpAnswer FakeTransport::Post(const UploadTarget& target, const HttpRequest& request) {
    std::unique_lock lock(mutex_);
    received_.push_back({target, request});
    changed_.notify_all();
    ScriptedAnswer answer = otherwise_;
    if (!script_.empty()) {
        answer = script_.front();
        script_.pop_front();
    }
    if (answer.What == ScriptedAnswer::Hang)
        changed_.wait(lock, [this] { return cancelled_; });
    if (cancelled_)
        return HttpAnswer{false, 0, "cancelled"};
    if (answer.What == ScriptedAnswer::Status)
        return HttpAnswer{true, answer.Code, ""};
    return HttpAnswer{false, 0, "connection refused"};
}

void FakeTransport::Cancel() {
    const std::lock_guard lock(mutex_);
    cancelled_ = true;
    changed_.notify_all();
}

std::vector<FakeTransport::Received> FakeTransport::Requests() const {
    const std::lock_guard lock(mutex_);
    return received_;
}

bool FakeTransport::WaitForRequests(std::size_t count, std::chrono::milliseconds timeout) const {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, timeout, [&] { return received_.size() >= count; });
}

void KeptReports::UploadError(const Bytes& gbkLine) {
    const std::lock_guard lock(mutex_);
    errors_.push_back(GbkToUtf8(gbkLine));
}

void KeptReports::UploadDebug(const Bytes& gbkLine) {
    const std::lock_guard lock(mutex_);
    debugs_.push_back(GbkToUtf8(gbkLine));
}

std::vector<std::string> KeptReports::Errors() const {
    const std::lock_guard lock(mutex_);
    return errors_;
}

std::vector<std::string> KeptReports::Debugs() const {
    const std::lock_guard lock(mutex_);
    return debugs_;
}

} // namespace tavo

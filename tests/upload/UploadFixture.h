// Shared by the feed's tests: a fresh folder per test, a transport whose answers the test
// scripts (and which can hang until cancelled, as a server that never answers), and reports that
// keep their lines.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

#include "common/Bytes.h"
#include "upload/HttpTransport.h"
#include "upload/UploadSender.h"

namespace tavo {

class UploadTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    static std::string ReadFile(const std::filesystem::path& path);
    static void WriteFile(const std::filesystem::path& path, std::string_view bytes);
    // The names of the files right in a folder, sorted.
    static std::vector<std::string> FileNames(const std::filesystem::path& folder);

    std::filesystem::path folder_;
};

// What the fake server does with one request.
struct ScriptedAnswer {
    enum Kind { Status, NoAnswer, Hang } What = Status;
    int Code = 200;
};
inline ScriptedAnswer Answer(int code) {
    return {ScriptedAnswer::Status, code};
}
inline ScriptedAnswer NoAnswer() {
    return {ScriptedAnswer::NoAnswer, 0};
}
inline ScriptedAnswer Hang() {
    return {ScriptedAnswer::Hang, 0};
}

class FakeTransport final : public HttpTransport {
public:
    // Answers in turn; once the script is used up, `otherwise` for every request.
    explicit FakeTransport(std::vector<ScriptedAnswer> script,
                           ScriptedAnswer otherwise = Answer(200));

    HttpAnswer Post(const UploadTarget& target, const HttpRequest& request) override;
    void Cancel() override;

    struct Received {
        UploadTarget Target;
        HttpRequest Request;
    };
    // Every request posted so far, answered or not.
    std::vector<Received> Requests() const;
    // Waits until `count` requests were posted; false when that took longer than `timeout`.
    bool WaitForRequests(std::size_t count,
                         std::chrono::milliseconds timeout = std::chrono::seconds(10)) const;

private:
    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    std::deque<ScriptedAnswer> script_;
    ScriptedAnswer otherwise_;
    bool cancelled_ = false;
    std::vector<Received> received_;
};

class KeptReports final : public UploadReports {
public:
    void UploadError(const Bytes& gbkLine) override;
    void UploadDebug(const Bytes& gbkLine) override;
    // The lines so far, as UTF-8.
    std::vector<std::string> Errors() const;
    std::vector<std::string> Debugs() const;

private:
    mutable std::mutex mutex_;
    std::vector<std::string> errors_;
    std::vector<std::string> debugs_;
};

} // namespace tavo

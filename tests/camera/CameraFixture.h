// Test fixture of the camera link: a fresh program folder with started logs, a fixed clock, the
// recording fake library in the function table, and a poster that records what is posted.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "FakeIceLibrary.h"
#include "camera/PlateResultHandler.h"
#include "common/Bytes.h"
#include "common/Clock.h"

namespace tavo::test {

struct Posted {
    std::uintptr_t Window;
    std::uint32_t Message;
    std::uintptr_t WParam;
    std::intptr_t LParam;
};

// The main window's two hidden edits.
class RecordingWindow : public PlateResultTarget {
public:
    void SetPlateText(std::string_view gbk) override { Plates.emplace_back(gbk); }
    void SetImagePath(std::string_view gbk) override { ImagePaths.emplace_back(gbk); }
    void ResultRecorded(const TResultRecord& record) override { Records.push_back(record); }
    std::vector<Bytes> Plates;
    std::vector<Bytes> ImagePaths;
    std::vector<TResultRecord> Records;
};

// "P7" for ('P', 7).
inline std::string Numbered(char prefix, int number) {
    char text[16];
    std::snprintf(text, sizeof text, "%c%d", prefix, number);
    return text;
}

// 2024-03-05 14:07:09.000
LocalTime MarchFifth();

class CameraTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // What the poster was given, in order.
    static std::vector<Posted> Posts();
    // Makes the poster fail (return false) or succeed.
    static void SetPostResult(bool result);

    // The library's callback as the library makes it: param, texts and pictures.
    static void Deliver(void* param, const char* address, const char* plate, std::string_view full,
                        std::string_view closeUp);

    // Today's error log, empty when there is none.
    static Bytes ErrorLogText();
    // Every file below the program folder's Log folder that is not a log: the archive.
    std::vector<std::filesystem::path> ArchivedFiles() const;
    static Bytes ReadFile(const std::filesystem::path& path);

    std::filesystem::path root_;
};

} // namespace tavo::test

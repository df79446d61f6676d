// Test fixture of the records: a fresh program folder in the temporary folder for each test,
// and a clock that says what the test tells it.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "common/Bytes.h"
#include "common/Clock.h"

namespace tavo {

class RecordsTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // 2024-03-05 14:07:09, what the clock says unless a test says otherwise.
    static LocalTime MarchFifth(int hour = 14, int minute = 7, int second = 9);

    // The clock gives these readings in turn, then the last one again and again.
    void SetClockReadings(std::vector<LocalTime> readings);

    // The host path of a GBK path relative to the program folder.
    static std::filesystem::path Host(std::string_view gbkRelative);

    static Bytes ReadHostFile(const std::filesystem::path& path);
    static void WriteHostFile(const std::filesystem::path& path, std::string_view bytes);

    // The folder above the program folder, which nothing may touch.
    std::filesystem::path root_;
    // The program folder.
    std::filesystem::path program_;
};

} // namespace tavo

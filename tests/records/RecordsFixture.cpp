// A fresh program folder and a scripted clock for each records test.
#include "RecordsFixture.h"

#include <algorithm>
#include <fstream>
#include <memory>
#include <random>
#include <sstream>

#include "common/GbkText.h"
#include "common/HostPath.h"

namespace tavo {

void RecordsTest::SetUp() {
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string("tavo-records-") + test->test_suite_name() + "-" + test->name() +
                       "-" + std::to_string(std::random_device{}());
    for (char& c : name)
        if (c == '/')
            c = '-';
    root_ = std::filesystem::temp_directory_path() / name;
    program_ = root_ / "program";
    std::filesystem::remove_all(root_);
    std::filesystem::create_directories(program_);
    SetProgramFolder(Utf16ToGbk(program_.u16string()));
    SetClockReadings({MarchFifth()});
}

void RecordsTest::TearDown() {
    SetClockForTesting({});
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
}

LocalTime RecordsTest::MarchFifth(int hour, int minute, int second) {
    return LocalTime{2024, 3, 5, hour, minute, second, 0};
}

void RecordsTest::SetClockReadings(std::vector<LocalTime> readings) {
    auto next = std::make_shared<std::size_t>(0);
    SetClockForTesting([readings = std::move(readings), next]() {
        const LocalTime now = readings[std::min(*next, readings.size() - 1)];
        ++*next;
        return now;
    });
}

std::filesystem::path RecordsTest::Host(std::string_view gbkRelative) {
    return ProgramPath(gbkRelative);
}

Bytes RecordsTest::ReadHostFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void RecordsTest::WriteHostFile(const std::filesystem::path& path, std::string_view bytes) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

} // namespace tavo

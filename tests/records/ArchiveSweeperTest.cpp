// The archive sweep's thread: when it sweeps, how it stops, and its log lines written while the
// window thread writes its own. Built as its own program so it can run alone under
// ThreadSanitizer.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "RecordsFixture.h"
#include "common/GbkText.h"
#include "common/HostPath.h"
#include "records/ArchiveSweeper.h"
#include "records/tavoLogUnit.h"

namespace tavo {
namespace {

using namespace std::chrono_literals;

// Polls until the condition holds, at most ten seconds.
template <typename Condition> bool WaitFor(Condition condition) {
    const auto end = std::chrono::steady_clock::now() + 10s;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(5ms);
    }
    return true;
}

std::optional<std::uint64_t> PlentyOfSpace(const std::filesystem::path&) {
    return std::uint64_t{1} << 40;
}

class ArchiveSweeperTest : public RecordsTest {
protected:
    void SetUp() override {
        RecordsTest::SetUp();
        // A clock without state of its own, read from both threads.
        SetClockForTesting([] { return LocalTime{2024, 3, 5, 14, 7, 9, 0}; });
        StartLogUnit();
        DebugLogEnabled = true;
    }
    void TearDown() override {
        DebugLogEnabled = false;
        RecordsTest::TearDown();
    }
    static void OldDayFolders(int count) {
        for (int day = 1; day <= count; ++day) {
            char folder[64];
            std::snprintf(folder, sizeof folder, "Log\\10.0.0.%d\\2023\\01\\%02d", day % 3,
                          day % 28 + 1);
            WriteHostFile(Host(Bytes(folder) + "\\20230101000000_A" + std::to_string(day) + ".jpg"),
                          "JPEG");
        }
    }
};

TEST_F(ArchiveSweeperTest, SweepsAfterTheFirstDelayAndAtOnceWhenAsked) {
    OldDayFolders(1);
    {
        ArchiveSweeper sweeper({1, 0}, PlentyOfSpace, 50ms, 1h);
        ASSERT_TRUE(sweeper.Start());
        EXPECT_TRUE(WaitFor([&] { return sweeper.SweepsDone() == 1; }));
        EXPECT_FALSE(std::filesystem::exists(Host("Log\\10.0.0.1\\2023")));

        OldDayFolders(1);
        sweeper.RequestSweep();
        EXPECT_TRUE(WaitFor([&] { return sweeper.SweepsDone() == 2; }));
        EXPECT_FALSE(std::filesystem::exists(Host("Log\\10.0.0.1\\2023")));
    }
    // An hour-long wait does not hold up the end.
    const auto start = std::chrono::steady_clock::now();
    {
        ArchiveSweeper sweeper({1, 0}, PlentyOfSpace, 1h, 1h);
        ASSERT_TRUE(sweeper.Start());
        sweeper.Stop();
        EXPECT_EQ(sweeper.SweepsDone(), 0);
        sweeper.RequestSweep(); // after the end: nothing
        EXPECT_EQ(sweeper.SweepsDone(), 0);
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, 30s);
}

TEST_F(ArchiveSweeperTest, SweepsAgainEveryInterval) {
    ArchiveSweeper sweeper({1, 0}, PlentyOfSpace, 0ms, 20ms);
    ASSERT_TRUE(sweeper.Start());
    EXPECT_TRUE(WaitFor([&] { return sweeper.SweepsDone() >= 3; }));
}

TEST_F(ArchiveSweeperTest, LinesOfTheSweepAndOfTheWindowThreadNeverMix) {
    constexpr int kFolders = 28;
    constexpr int kWindowLines = 300;
    OldDayFolders(kFolders);
    ArchiveSweeper sweeper({1, 0}, PlentyOfSpace, 0ms, 1h);
    ASSERT_TRUE(sweeper.Start());
    for (int i = 0; i < kWindowLines; ++i)
        ErrorLog("window line " + std::to_string(i));
    ASSERT_TRUE(WaitFor([&] { return sweeper.SweepsDone() == 1; }));
    sweeper.Stop();

    const Bytes log = ReadHostFile(Host("Log\\Debug\\debugLog_20240305.txt"));
    int window = 0;
    int sweep = 0;
    for (std::size_t at = 0; at < log.size();) {
        const std::size_t end = log.find("\r\n", at);
        ASSERT_NE(end, Bytes::npos);
        const Bytes line = log.substr(at, end - at);
        ASSERT_TRUE(line.starts_with("2024-03-05 14:07:09 ")) << line;
        const Bytes text = line.substr(20);
        if (text.starts_with("window line "))
            ++window;
        else if (text.starts_with(Utf8ToGbk("已删除过期的存档文件夹：Log\\10.0.0.")))
            ++sweep;
        else
            ADD_FAILURE() << "a torn line: " << line;
        at = end + 2;
    }
    EXPECT_EQ(window, kWindowLines);
    EXPECT_EQ(sweep, kFolders);
}

} // namespace
} // namespace tavo

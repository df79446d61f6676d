// The text logs: daily files, the stamped line, the debug switch, the echo of errors, and the
// writes that fail.
#include <gtest/gtest.h>

#include <filesystem>

#include "RecordsFixture.h"
#include "common/GbkText.h"
#include "common/HostPath.h"
#include "records/tavoLogUnit.h"

namespace tavo {
namespace {

class LogUnitTest : public RecordsTest {
protected:
    void SetUp() override {
        RecordsTest::SetUp();
        StartLogUnit();
    }

    static Bytes DebugFile(const char* date) {
        return ReadHostFile(Host("Log\\Debug\\debugLog_" + Bytes(date) + ".txt"));
    }
    static Bytes ErrorFile(const char* date) {
        return ReadHostFile(Host("Log\\ErrorLog_" + Bytes(date) + ".txt"));
    }
};

TEST_F(LogUnitTest, UnitStartSetsTheNamesAndMakesTheFolders) {
    DebugLogEnabled = true;
    StartLogUnit();
    EXPECT_FALSE(DebugLogEnabled);
    EXPECT_EQ(DefaultLogName, "debugLog");
    const Bytes folder = ProgramFolder().substr(0, ProgramFolder().size() - 1);
    EXPECT_EQ(LogDir, folder + "\\Log");
    EXPECT_EQ(DebugLogDir, folder + "\\Log\\Debug");
    EXPECT_TRUE(std::filesystem::is_directory(Host("Log\\Debug")));
}

TEST_F(LogUnitTest, DebugLinesAreStampedAndAppendedToTheFileOfTheDay) {
    DebugLogEnabled = true;
    SetClockReadings({MarchFifth(9, 5, 3)});
    const Bytes connected = Utf8ToGbk("连接左边摄像头成功");
    EXPECT_TRUE(DebugLog(connected));
    EXPECT_TRUE(DebugLog(""));
    EXPECT_TRUE(DebugLog("first\r\nsecond"));
    EXPECT_EQ(DebugFile("20240305"), "2024-03-05 09:05:03 " + connected + "\r\n" +
                                         "2024-03-05 09:05:03 \r\n" +
                                         "2024-03-05 09:05:03 first\r\nsecond\r\n");
}

TEST_F(LogUnitTest, SwitchOffTouchesNoFileButErrorsAreStillLogged) {
    std::filesystem::remove_all(Host("Log"));
    EXPECT_FALSE(DebugLog("not written"));
    EXPECT_FALSE(std::filesystem::exists(Host("Log")));

    StartLogUnit();
    EXPECT_TRUE(ErrorLog("written"));
    EXPECT_EQ(ErrorFile("20240305"), "2024-03-05 14:07:09 written\r\n");
    EXPECT_TRUE(std::filesystem::is_empty(Host("Log\\Debug")));
}

TEST_F(LogUnitTest, ErrorsAreEchoedToTheDebugLogWithAStampOfTheirOwn) {
    DebugLogEnabled = true;
    // Error log date and stamp at 14:07:09; the echo's date and stamp a second later.
    SetClockReadings({MarchFifth(14, 7, 9), MarchFifth(14, 7, 9), MarchFifth(14, 7, 10)});
    const Bytes text = Utf8ToGbk("车牌自动识别报错！") + "disk full";
    EXPECT_TRUE(ErrorLog(text));
    EXPECT_EQ(ErrorFile("20240305"), "2024-03-05 14:07:09 " + text + "\r\n");
    EXPECT_EQ(DebugFile("20240305"), "2024-03-05 14:07:10 " + text + "\r\n");
}

TEST_F(LogUnitTest, LineWrittenAtMidnightCanCarryTheNewDayInTheFileOfTheDayBefore) {
    SetClockReadings({MarchFifth(23, 59, 59), LocalTime{2024, 3, 6, 0, 0, 0, 0}});
    EXPECT_TRUE(ErrorLog("late"));
    EXPECT_TRUE(ErrorLog("next day"));
    EXPECT_EQ(ErrorFile("20240305"), "2024-03-06 00:00:00 late\r\n");
    EXPECT_EQ(ErrorFile("20240306"), "2024-03-06 00:00:00 next day\r\n");
}

TEST_F(LogUnitTest, MissingLogFolderFailsTheWritesWithoutMakingIt) {
    DebugLogEnabled = true;
    std::filesystem::remove_all(Host("Log"));
    EXPECT_FALSE(ErrorLog("lost"));
    EXPECT_FALSE(DebugLog("lost"));
    EXPECT_FALSE(std::filesystem::exists(Host("Log")));
}

TEST_F(LogUnitTest, ErrorLogThatCannotBeOpenedIsNotEchoed) {
    DebugLogEnabled = true;
    std::filesystem::create_directory(Host("Log\\ErrorLog_20240305.txt"));
    EXPECT_FALSE(ErrorLog("lost"));
    EXPECT_FALSE(std::filesystem::exists(Host("Log\\Debug\\debugLog_20240305.txt")));
}

TEST_F(LogUnitTest, BeforeTheUnitStartsNothingIsWrittenAnywhere) {
    DebugLogEnabled = true;
    LogDir.clear();
    DebugLogDir.clear();
    EXPECT_FALSE(ErrorLog("lost"));
    EXPECT_FALSE(DebugLog("lost"));
    EXPECT_FALSE(std::filesystem::exists(ToHostPath("\\ErrorLog_20240305.txt")));
    EXPECT_FALSE(std::filesystem::exists(ToHostPath("\\debugLog_20240305.txt")));
}

TEST_F(LogUnitTest, AppendLogLineCreatesTheFileThenAppends) {
    const Bytes path = LogDir + "\\" + Utf8ToGbk("日志") + ".txt";
    ASSERT_TRUE(AppendLogLine(path, "one"));
    ASSERT_TRUE(AppendLogLine(path, "two"));
    EXPECT_EQ(ReadHostFile(ToHostPath(path)),
              "2024-03-05 14:07:09 one\r\n2024-03-05 14:07:09 two\r\n");
    EXPECT_FALSE(AppendLogLine(LogDir + "\\missing\\x.txt", "lost"));
}

} // namespace
} // namespace tavo

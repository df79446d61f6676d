// The archive sweep in a temporary program folder, "today" being 2024-03-05: the age rule, the
// free-space rule through a free-space function of the test's own, what is never deleted, and
// deletions that fail.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "DeletionGuard.h"
#include "RecordsFixture.h"
#include "common/GbkText.h"
#include "common/HostPath.h"
#include "records/ArchiveSweep.h"
#include "records/tavoLogUnit.h"

namespace tavo {
namespace {

namespace fs = std::filesystem;

constexpr std::uint64_t kMB = 1024 * 1024;

Bytes Gbk(std::string_view utf8) {
    return Utf8ToGbk(utf8);
}

// The texts of a log file's lines, stamps removed.
std::vector<Bytes> LineTexts(const Bytes& log) {
    std::vector<Bytes> texts;
    for (std::size_t at = 0; at < log.size();) {
        const std::size_t end = log.find("\r\n", at);
        texts.push_back(log.substr(at + 20, end - at - 20));
        at = end + 2;
    }
    return texts;
}

TEST(SweepDateTest, FolderNamesFormADateOnlyWhenTheDayExists) {
    struct Case {
        const char* Year;
        const char* Month;
        const char* Day;
        bool Valid;
    };
    const Case cases[] = {
        {"2024", "03", "05", true},  {"2024", "02", "29", true},  {"2023", "02", "29", false},
        {"2000", "02", "29", true},  {"1900", "02", "29", false}, {"2024", "12", "31", true},
        {"2024", "04", "31", false}, {"2024", "00", "05", false}, {"2024", "13", "01", false},
        {"2024", "03", "00", false}, {"2024", "3", "05", false},  {"2024", "03", "5", false},
        {"24", "03", "05", false},   {"2024", "0a", "05", false}, {"0000", "01", "01", false},
        {"2024", "+3", "05", false},
    };
    for (const Case& c : cases) {
        LocalTime date;
        EXPECT_EQ(DateOfNames(c.Year, c.Month, c.Day, date), c.Valid)
            << c.Year << "-" << c.Month << "-" << c.Day;
    }
}

TEST(SweepDateTest, DayNumbersCountCalendarDays) {
    struct Case {
        LocalTime Date;
        std::int64_t Day;
    };
    const Case cases[] = {
        {{1970, 1, 1}, 0},      {{1969, 12, 31}, -1},   {{2000, 3, 1}, 11017},
        {{2024, 2, 29}, 19782}, {{2024, 3, 1}, 19783},  {{2024, 12, 31}, 20088},
        {{2025, 1, 1}, 20089},  {{1900, 3, 1}, -25508},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DayNumber(c.Date), c.Day)
            << c.Date.year << "-" << c.Date.month << "-" << c.Date.day;
}

class ArchiveSweepTest : public RecordsTest {
protected:
    void SetUp() override {
        RecordsTest::SetUp();
        StartLogUnit();
        DebugLogEnabled = true;
    }
    void TearDown() override {
        DebugLogEnabled = false;
        RecordsTest::TearDown();
    }

    static LocalTime Today() { return MarchFifth(); }

    // A picture as the archive names them, in Log\<address>\<dateFolders>\.
    static Bytes Picture(std::string_view address, std::string_view dateFolders,
                         std::string_view name = "20240301120000_A1.jpg") {
        const Bytes relative =
            "Log\\" + Bytes(address) + "\\" + Bytes(dateFolders) + "\\" + Bytes(name);
        WriteHostFile(Host(relative), "JPEG");
        return relative;
    }
    static bool Exists(std::string_view relative) {
        std::error_code error;
        return fs::symlink_status(Host(relative), error).type() != fs::file_type::not_found;
    }
    static std::vector<Bytes> DebugTexts() {
        return LineTexts(ReadHostFile(Host("Log\\Debug\\debugLog_20240305.txt")));
    }
    static std::vector<Bytes> ErrorTexts() {
        return LineTexts(ReadHostFile(Host("Log\\ErrorLog_20240305.txt")));
    }
    static bool Sweep(SweepRules rules, FreeSpaceFunction freeSpace = {}) {
        return SweepArchive(rules, Today(), freeSpace);
    }
};

TEST_F(ArchiveSweepTest, DayFoldersOlderThanKeepDaysGoWithTheMonthAndYearFoldersTheyEmpty) {
    struct Case {
        const char* Folder;
        bool Kept;
    };
    // Three days kept: 03-02 is three days before today, 03-01 four.
    const Case cases[] = {
        {"2024\\03\\06", true},  // ahead of the clock
        {"2024\\03\\05", true},  // today
        {"2024\\03\\02", true},  // three days before
        {"2024\\03\\01", false}, // four days before
        {"2024\\02\\29", false}, {"2023\\12\\31", false},
    };
    for (const Case& c : cases) {
        Picture("192.168.1.100", c.Folder);
        Picture("192.168.1.100", c.Folder, "20240301120000_A1_T_0_plate.jpg");
    }
    Picture("192.168.1.101", "2024\\02\\10");

    EXPECT_TRUE(Sweep({3, 0}));

    for (const Case& c : cases)
        EXPECT_EQ(Exists("Log\\192.168.1.100\\" + Bytes(c.Folder)), c.Kept) << c.Folder;
    EXPECT_FALSE(Exists("Log\\192.168.1.100\\2024\\02")) << "emptied month";
    EXPECT_FALSE(Exists("Log\\192.168.1.100\\2023")) << "emptied year";
    EXPECT_TRUE(Exists("Log\\192.168.1.100\\2024\\03"));
    EXPECT_FALSE(Exists("Log\\192.168.1.101\\2024"));
    EXPECT_TRUE(Exists("Log\\192.168.1.101")) << "the address folder stays";
    const Bytes line = Gbk("已删除过期的存档文件夹：");
    EXPECT_EQ(DebugTexts(), (std::vector<Bytes>{line + "Log\\192.168.1.100\\2023\\12\\31",
                                                line + "Log\\192.168.1.101\\2024\\02\\10",
                                                line + "Log\\192.168.1.100\\2024\\02\\29",
                                                line + "Log\\192.168.1.100\\2024\\03\\01"}));
    EXPECT_TRUE(ErrorTexts().empty());
}

TEST_F(ArchiveSweepTest, WhatTheStationDidNotMakeIsLeftAlone) {
    const Bytes old = "Log\\192.168.1.100\\2024\\01\\02";
    const Bytes picture = Picture("192.168.1.100", "2024\\01\\02");
    const Bytes notes = old + "\\notes.txt";
    WriteHostFile(Host(notes), "mine");
    const Bytes operatorFolder = old + "\\20240102000000_kept.jpg"; // a folder, not a picture
    fs::create_directories(Host(operatorFolder));
    const Bytes operatorFiles[] = {
        Picture("192.168.1.100", "2024\\01\\03", "20240103000000_A1.JPG"),
        Picture("192.168.1.100", "2024\\01\\04", "2024010300000_A1.jpg"),
        Picture("192.168.1.100", "2024\\01\\05", "20240103000000A1.jpg"),
        Picture("192.168.1.100", "2024\\13\\01"),         // no such month
        Picture("192.168.1.100", "2024\\02\\30"),         // no such day
        Picture("192.168.1.100", "2024\\1\\05"),          // not two digits
        Picture("192.168.1.100", "backup\\2024\\01\\01"), // not a year
        Picture("192.168.1.100", "20240101"),             // not three levels
        "Log\\20240101120000_A1.jpg",                     // not in a day folder
        "Log\\Debug\\debugLog_20240101.txt.bak",
        "Log\\Debug\\debuglog_20240101.txt", // another stem
        "Log\\ErrorLog_2024010.txt",
        "Log\\ErrorLog_20240230.txt", // no such day
        "Log\\Other\\ErrorLog_20240101.txt",
    };
    for (const Bytes& file : operatorFiles)
        if (!Exists(file))
            WriteHostFile(Host(file), "mine");

    EXPECT_TRUE(Sweep({1, 0}));

    EXPECT_FALSE(Exists(picture));
    EXPECT_TRUE(Exists(notes));
    EXPECT_TRUE(Exists(operatorFolder));
    for (const Bytes& file : operatorFiles)
        EXPECT_TRUE(Exists(file)) << file;
    EXPECT_EQ(DebugTexts(),
              std::vector<Bytes>{Gbk("存档文件夹中有其他文件，只删除了存档图片：") + old});
    // The next sweep finds no picture there and says nothing.
    EXPECT_TRUE(Sweep({1, 0}));
    EXPECT_EQ(DebugTexts().size(), 1u);
}

TEST_F(ArchiveSweepTest, LinksAreNeverFollowed) {
    // Outside the program folder, where a link in the archive points.
    const fs::path outside = root_ / "outside" / "2024" / "01" / "02";
    fs::create_directories(outside);
    WriteHostFile(outside / "20240102000000_A1.jpg", "JPEG");
    fs::create_directories(Host("Log\\linked"));
    fs::create_directories(Host("Log\\192.168.1.100\\2024\\01"));
    if (!MakeFolderLink(root_ / "outside" / "2024", Host("Log\\linked\\2024")) ||
        !MakeFolderLink(outside, Host("Log\\192.168.1.100\\2024\\01\\03")))
        GTEST_SKIP() << "no folder links here";
    const char* links[] = {"Log\\linked\\2024", "Log\\192.168.1.100\\2024\\01\\03"};
    for (const char* link : links)
        if (!IsHostLink(Host(link)))
            GTEST_SKIP() << "links made here are not shown as links"; // Wine's are not

    EXPECT_TRUE(Sweep({1, 0}));
    EXPECT_TRUE(fs::exists(outside / "20240102000000_A1.jpg"));
    for (const char* link : links)
        EXPECT_TRUE(IsHostLink(Host(link))) << link << " stays";
}

TEST_F(ArchiveSweepTest, DailyLogsOlderThanKeepDaysGoAndTodaysStay) {
    const char* gone[] = {"Log\\Debug\\debugLog_20240301.txt", "Log\\ErrorLog_20240301.txt",
                          "Log\\ErrorLog_20231231.txt"};
    const char* kept[] = {"Log\\Debug\\debugLog_20240302.txt", "Log\\ErrorLog_20240302.txt",
                          "Log\\ErrorLog_20240306.txt"};
    for (const char* file : gone)
        WriteHostFile(Host(file), "old\r\n");
    for (const char* file : kept)
        WriteHostFile(Host(file), "recent\r\n");

    EXPECT_TRUE(Sweep({0, 0})) << "KeepDays 0 keeps all";
    for (const char* file : gone)
        EXPECT_TRUE(Exists(file)) << file;

    EXPECT_TRUE(Sweep({3, 0}));
    for (const char* file : gone)
        EXPECT_FALSE(Exists(file)) << file;
    for (const char* file : kept)
        EXPECT_TRUE(Exists(file)) << file;
    const Bytes line = Gbk("已删除过期的日志：");
    EXPECT_EQ(DebugTexts(), (std::vector<Bytes>{line + "Log\\Debug\\debugLog_20240301.txt",
                                                line + "Log\\ErrorLog_20231231.txt",
                                                line + "Log\\ErrorLog_20240301.txt"}));
}

// Free space grows by 600 KiB for each day folder gone from the starting four.
class FreeSpaceSweepTest : public ArchiveSweepTest {
protected:
    void SetUp() override {
        ArchiveSweepTest::SetUp();
        for (const char* folder :
             {"Log\\192.168.1.101\\2024\\03\\02", "Log\\192.168.1.100\\2024\\02\\20",
              "Log\\192.168.1.101\\2024\\01\\31", "Log\\192.168.1.100\\2024\\03\\05"})
            WriteHostFile(Host(Bytes(folder) + "\\20240101000000_A.jpg"), "JPEG");
    }
    FreeSpaceFunction Growing(std::uint64_t base) {
        return [this, base](const fs::path& path) -> std::optional<std::uint64_t> {
            asked_.push_back(path);
            std::uint64_t gone = 0;
            for (const char* folder :
                 {"Log\\192.168.1.101\\2024\\03\\02", "Log\\192.168.1.100\\2024\\02\\20",
                  "Log\\192.168.1.101\\2024\\01\\31", "Log\\192.168.1.100\\2024\\03\\05"})
                gone += Exists(folder) ? 0 : 1;
            return base + gone * 600 * 1024;
        };
    }
    std::vector<fs::path> asked_;
};

TEST_F(FreeSpaceSweepTest, OldestDayFoldersAcrossAddressesGoUntilEnoughIsFree) {
    EXPECT_TRUE(Sweep({0, 1}, Growing(0))); // two folders free 1200 KiB
    EXPECT_FALSE(Exists("Log\\192.168.1.101\\2024\\01\\31"));
    EXPECT_FALSE(Exists("Log\\192.168.1.100\\2024\\02\\20"));
    EXPECT_TRUE(Exists("Log\\192.168.1.101\\2024\\03\\02"));
    EXPECT_TRUE(Exists("Log\\192.168.1.100\\2024\\03\\05"));
    const Bytes line = Gbk("磁盘空间不足，已删除存档文件夹：");
    EXPECT_EQ(DebugTexts(), (std::vector<Bytes>{line + "Log\\192.168.1.101\\2024\\01\\31",
                                                line + "Log\\192.168.1.100\\2024\\02\\20"}));
    ASSERT_FALSE(asked_.empty());
    EXPECT_EQ(asked_.front(), Host("Log"));
    EXPECT_TRUE(ErrorTexts().empty());
}

TEST_F(FreeSpaceSweepTest, EnoughFreeSpaceDeletesNothing) {
    EXPECT_TRUE(Sweep({0, 1}, Growing(kMB)));
    EXPECT_EQ(asked_.size(), 1u);
    EXPECT_TRUE(Exists("Log\\192.168.1.101\\2024\\01\\31"));
    EXPECT_TRUE(DebugTexts().empty());
}

TEST_F(FreeSpaceSweepTest, TodaysFolderStaysWhenNothingElseIsLeftAndOneErrorLineSaysSo) {
    EXPECT_FALSE(Sweep({0, 100}, Growing(0)));
    EXPECT_TRUE(Exists("Log\\192.168.1.100\\2024\\03\\05"));
    const Bytes error = Gbk("磁盘剩余空间 1 MB，少于 MinFreeMB=100 MB，已没有可删除的存档");
    EXPECT_EQ(ErrorTexts(), std::vector<Bytes>{error});
    const std::vector<Bytes> debug = DebugTexts();
    ASSERT_EQ(debug.size(), 4u) << "three folders, then the error's echo";
    EXPECT_EQ(debug.back(), error);
}

TEST_F(FreeSpaceSweepTest, UnknownFreeSpaceDeletesNothingAndIsLogged) {
    EXPECT_FALSE(Sweep({0, 1}, [](const fs::path&) { return std::optional<std::uint64_t>(); }));
    EXPECT_TRUE(Exists("Log\\192.168.1.101\\2024\\01\\31"));
    EXPECT_EQ(ErrorTexts(), std::vector<Bytes>{Gbk("存档清理无法得知磁盘的剩余空间")});
}

TEST_F(FreeSpaceSweepTest, AgeRuleRunsFirstAndTheSpaceRuleTakesTheRest) {
    EXPECT_TRUE(Sweep({30, 1}, Growing(0)));
    EXPECT_FALSE(Exists("Log\\192.168.1.101\\2024\\01\\31")); // 34 days: too old
    EXPECT_FALSE(Exists("Log\\192.168.1.100\\2024\\02\\20")); // oldest of the rest
    EXPECT_TRUE(Exists("Log\\192.168.1.101\\2024\\03\\02"));
    EXPECT_EQ(DebugTexts(),
              (std::vector<Bytes>{
                  Gbk("已删除过期的存档文件夹：") + "Log\\192.168.1.101\\2024\\01\\31",
                  Gbk("磁盘空间不足，已删除存档文件夹：") + "Log\\192.168.1.100\\2024\\02\\20"}));
}

TEST_F(ArchiveSweepTest, FailedDeletionIsOneErrorLineAndTheRestIsSweptAllTheSame) {
    const Bytes stuck = Picture("192.168.1.100", "2024\\01\\02", "20240102000000_A1.jpg");
    const Bytes loose = Picture("192.168.1.100", "2024\\01\\02", "20240102000001_A2.jpg");
    Picture("192.168.1.101", "2024\\01\\03");
    WriteHostFile(Host("Log\\ErrorLog_20240101.txt"), "old\r\n");
    DeletionGuard guard(Host(stuck));
    if (!guard.Holds())
        GTEST_SKIP() << "this system cannot keep a file from deletion";

    EXPECT_FALSE(Sweep({1, 0}));

    EXPECT_TRUE(Exists(stuck));
    EXPECT_FALSE(Exists(loose));
    EXPECT_TRUE(Exists("Log\\192.168.1.100\\2024\\01\\02")) << "its folder stays";
    EXPECT_FALSE(Exists("Log\\192.168.1.101\\2024"));
    EXPECT_FALSE(Exists("Log\\ErrorLog_20240101.txt"));
    const std::vector<Bytes> errors = ErrorTexts();
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_TRUE(errors[0].starts_with(Gbk("存档清理删除失败：") + stuck + Gbk("（错误 ")))
        << errors[0];
}

} // namespace
} // namespace tavo

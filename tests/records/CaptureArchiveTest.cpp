// The capture archive: folders and names by the clock, taken names, hostile addresses and
// plates, and the pictures that must not be written.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <vector>

#include "RecordsFixture.h"
#include "common/GbkText.h"
#include "records/CaptureArchive.h"

#ifndef _WIN32
#include <csignal>
#include <sys/resource.h>
#endif

namespace tavo {
namespace {

class CaptureArchiveTest : public RecordsTest {
protected:
    void SetUp() override {
        RecordsTest::SetUp();
        SetArchiveWriteFailedHandler([this] { ++writeFailures_; });
    }
    void TearDown() override {
        SetArchiveWriteFailedHandler({});
        RecordsTest::TearDown();
    }

    // Saves the bytes and returns the path written.
    static Bytes Save(std::string_view picture, std::string_view directory, std::string_view plate,
                      std::uint8_t suffixFlag = 0, std::string_view tag = "T") {
        Bytes path = "left over";
        SaveCaptureImage(reinterpret_cast<const unsigned char*>(picture.data()),
                         static_cast<std::int32_t>(picture.size()), directory, plate, suffixFlag,
                         tag, path);
        return path;
    }

    // Every file below the folder, as paths relative to it with '/'.
    static std::set<std::string> FilesBelow(const std::filesystem::path& folder) {
        std::set<std::string> files;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(folder))
            if (entry.is_regular_file())
                files.insert(std::filesystem::relative(entry.path(), folder).generic_string());
        return files;
    }

    // The names in the folder itself.
    static std::set<std::string> EntriesIn(const std::filesystem::path& folder) {
        std::set<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(folder))
            names.insert(entry.path().filename().generic_string());
        return names;
    }

    int writeFailures_ = 0; // calls of the write-failed handler
    const Bytes plate_ = Utf8ToGbk("闽AR2346");
    const Bytes day_ = "Log\\192.168.1.100\\2024\\03\\05\\";
};

TEST_F(CaptureArchiveTest, FirstPictureOfTheDayMakesTheFoldersAndKeepsEveryByte) {
    const Bytes picture("\xFF\xD8\x00\r\n\x1A\x5C\xFF\xD9", 9);
    const Bytes path = Save(picture, "192.168.1.100", plate_, 1);
    EXPECT_EQ(path, day_ + "20240305140709_" + plate_ + "_plate.jpg");
    EXPECT_EQ(ReadHostFile(Host(path)), picture);
}

TEST_F(CaptureArchiveTest, FirstChoiceNamesByPlateAndSuffixFlag) {
    struct Case {
        const char* directory;
        Bytes plate;
        std::uint8_t flag;
        Bytes name;
    } cases[] = {
        {"a", plate_, 0, "20240305140709_" + plate_ + ".jpg"},
        {"b", plate_, 1, "20240305140709_" + plate_ + "_plate.jpg"},
        {"c", plate_, 2, "20240305140709_" + plate_ + ".jpg"}, // only 1 adds the suffix
        {"d", "", 0, "20240305140709_.jpg"},
        {"e", "", 1, "20240305140709__plate.jpg"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.directory);
        const Bytes path = Save("jpeg", c.directory, c.plate, c.flag);
        EXPECT_EQ(path, "Log\\" + Bytes(c.directory) + "\\2024\\03\\05\\" + c.name);
        EXPECT_EQ(ReadHostFile(Host(path)), "jpeg");
    }
}

TEST_F(CaptureArchiveTest, TakenNamesGetTagAndCounterAndTheCounterGoesPastNine) {
    std::vector<Bytes> paths;
    for (int i = 0; i < 13; ++i)
        paths.push_back(Save("picture " + std::to_string(i), "192.168.1.100", plate_, 1));

    const Bytes stem = day_ + "20240305140709_" + plate_;
    EXPECT_EQ(paths[0], stem + "_plate.jpg");
    for (int i = 1; i < 13; ++i)
        EXPECT_EQ(paths[i], stem + "_T_" + std::to_string(i - 1) + "_plate.jpg");
    // No picture replaced another.
    for (int i = 0; i < 13; ++i)
        EXPECT_EQ(ReadHostFile(Host(paths[i])), "picture " + std::to_string(i));
    EXPECT_EQ(FilesBelow(program_).size(), 13u);
}

TEST_F(CaptureArchiveTest, EmptyTagLeavesTwoUnderscoresBeforeTheCounter) {
    Save("1", "192.168.1.100", plate_, 0, "");
    EXPECT_EQ(Save("2", "192.168.1.100", plate_, 0, ""),
              day_ + "20240305140709_" + plate_ + "__0.jpg");
}

TEST_F(CaptureArchiveTest, EveryTryReadsTheClockAnewAndTheCounterGoesOn) {
    WriteHostFile(Host(day_ + "20240305140709_" + plate_ + ".jpg"), "old");
    WriteHostFile(Host(day_ + "20240305140709_" + plate_ + "_T_0.jpg"), "old");
    // Folder, first choice, counter 0 within 14:07:09; counter 1 at 14:07:10.
    SetClockReadings(
        {MarchFifth(14, 7, 9), MarchFifth(14, 7, 9), MarchFifth(14, 7, 9), MarchFifth(14, 7, 10)});
    EXPECT_EQ(Save("new", "192.168.1.100", plate_), day_ + "20240305140710_" + plate_ + "_T_1.jpg");
}

TEST_F(CaptureArchiveTest, SaveAcrossMidnightUsesTheFolderOfTheFirstReading) {
    SetClockReadings({MarchFifth(23, 59, 59), LocalTime{2024, 3, 6, 0, 0, 0, 0}});
    EXPECT_EQ(Save("jpeg", "cam", "A1"), "Log\\cam\\2024\\03\\05\\20240306000000_A1.jpg");
}

TEST_F(CaptureArchiveTest, ByteCountZeroWritesAnEmptyFileAndBadCountsWriteNothing) {
    Bytes path = "left over";
    SaveCaptureImage(nullptr, 0, "cam", "A1", 0, "T", path);
    EXPECT_EQ(path, "Log\\cam\\2024\\03\\05\\20240305140709_A1.jpg");
    EXPECT_TRUE(std::filesystem::is_regular_file(Host(path)));
    EXPECT_EQ(std::filesystem::file_size(Host(path)), 0u);

    const unsigned char picture[] = {1, 2, 3};
    SaveCaptureImage(picture, -1, "negative", "A1", 0, "T", path);
    EXPECT_EQ(path, "");
    SaveCaptureImage(nullptr, 3, "null", "A1", 0, "T", path);
    EXPECT_EQ(path, "");
    EXPECT_FALSE(std::filesystem::exists(Host("Log\\negative")));
    EXPECT_FALSE(std::filesystem::exists(Host("Log\\null")));
}

TEST_F(CaptureArchiveTest, FolderThatCannotBeMadeWritesNothing) {
    // A file stands where the address folder, or the year folder, must go.
    WriteHostFile(Host("Log\\blocked"), "file");
    WriteHostFile(Host("Log\\year\\2024"), "file");
    for (const char* directory : {"blocked", "year"}) {
        SCOPED_TRACE(directory);
        EXPECT_EQ(Save("jpeg", directory, "A1"), "");
    }
    EXPECT_EQ(ReadHostFile(Host("Log\\blocked")), "file");
    EXPECT_EQ(ReadHostFile(Host("Log\\year\\2024")), "file");
    EXPECT_EQ(FilesBelow(program_).size(), 2u);
    EXPECT_EQ(writeFailures_, 2) << "each failed write is reported";
    EXPECT_NE(Save("jpeg", "open", "A1"), "");
    EXPECT_EQ(writeFailures_, 2) << "a written picture is not";
}

// A name the file system cannot take (longer than a name may be) fails at once, as one failed
// write; it does not go through every counter, each one reading the clock and the folder.
TEST_F(CaptureArchiveTest, NameLongerThanTheFileSystemTakesFailsAtOnce) {
    int clockReadings = 0;
    SetClockForTesting([&] {
        ++clockReadings;
        return MarchFifth();
    });
    EXPECT_EQ(Save("jpeg", "192.168.1.100", std::string(400, 'P')), "");
    EXPECT_EQ(writeFailures_, 1);
    EXPECT_LE(clockReadings, 3) << "one reading for the folder, one or two for names";
    EXPECT_TRUE(FilesBelow(program_).empty());
}

TEST_F(CaptureArchiveTest, AFolderAtTheFirstChoiceNameCountsAsTaken) {
    std::filesystem::create_directories(Host(day_ + "20240305140709_A1.jpg"));
    const Bytes path = Save("jpeg", "192.168.1.100", "A1");
    EXPECT_EQ(path, day_ + "20240305140709_A1_T_0.jpg");
    EXPECT_EQ(ReadHostFile(Host(path)), "jpeg");
}

TEST_F(CaptureArchiveTest, HostileAddressesAndPlatesStayInsideLog) {
    const Bytes tail = "\\2024\\03\\05\\20240305140709_";
    const Bytes backslashCharacter = "\xD5\x5C"; // its second byte is the byte of '\'
    struct Case {
        Bytes directory;
        Bytes plate;
        Bytes path;
    } cases[] = {
        {"..\\..\\x", "A1", "Log\\.._.._x" + tail + "A1.jpg"},
        {"a/b", "A2", "Log\\a_b" + tail + "A2.jpg"},
        {"C:", "A3", "Log\\C_" + tail + "A3.jpg"},
        {"..", "A4", "Log\\_" + tail + "A4.jpg"},
        {".", "A5", "Log\\_" + tail + "A5.jpg"},
        {"", "A6", "Log\\_" + tail + "A6.jpg"},
        {"...", "A7", "Log\\_" + tail + "A7.jpg"},
        {Bytes("a\0b", 3), "A8", "Log\\a_b" + tail + "A8.jpg"},
        {"cam\x81", "A9", "Log\\cam_" + tail + "A9.jpg"}, // lead byte without its trail byte
        // No character of code page 936: it would reach the host as '?'.
        {"cam\xFF", "A10\xFF", "Log\\cam_" + tail + "A10_.jpg"},
        {"cam", "..\\..\\evil", "Log\\cam" + tail + ".._.._evil.jpg"},
        {"cam", "a/b:c*?\"<>|\r\n", "Log\\cam" + tail + "a_b_c________.jpg"},
        {backslashCharacter + "cam", backslashCharacter,
         "Log\\" + backslashCharacter + "cam" + tail + backslashCharacter + ".jpg"},
    };
    std::set<std::string> expected;
    for (const Case& c : cases) {
        SCOPED_TRACE(GbkToUtf8(c.path));
        const Bytes path = Save("jpeg", c.directory, c.plate);
        EXPECT_EQ(path, c.path);
        EXPECT_EQ(ReadHostFile(Host(path)), "jpeg");
        expected.insert(std::filesystem::relative(Host(path), program_).generic_string());
    }
    EXPECT_EQ(FilesBelow(program_), expected);
    // Nothing beside the program folder, nothing beside Log in it.
    EXPECT_EQ(EntriesIn(root_), std::set<std::string>{"program"});
    EXPECT_EQ(EntriesIn(program_), std::set<std::string>{"Log"});
}

#ifndef _WIN32
// A picture that cannot be written whole leaves neither a file nor a path. The file size limit
// makes the write stop short, as a full disk would.
TEST_F(CaptureArchiveTest, PictureCutShortLeavesNoFileAndNoPath) {
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 1024;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const Bytes path = Save(Bytes(8192, '\xAB'), "cam", "A1");
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_EQ(path, "");
    EXPECT_TRUE(std::filesystem::is_directory(Host("Log\\cam\\2024\\03\\05")));
    EXPECT_TRUE(FilesBelow(program_).empty());
    EXPECT_EQ(writeFailures_, 1);
}
#endif

} // namespace
} // namespace tavo

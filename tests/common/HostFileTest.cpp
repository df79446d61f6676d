// Host files: the owning handle, new files that never open an existing one, and the whole-file
// chores, each reporting failure.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <set>
#include <sstream>
#include <string>

#include "common/HostFile.h"

namespace tavo {
namespace {

namespace fs = std::filesystem;

class HostFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        folder_ = fs::temp_directory_path() / (std::string("tavo-hostfile-") + test->name() + "-" +
                                               std::to_string(std::random_device{}()));
        fs::remove_all(folder_);
        fs::create_directories(folder_);
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }

    static Bytes Contents(const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream bytes;
        bytes << in.rdbuf();
        return bytes.str();
    }
    static void Put(const fs::path& path, std::string_view bytes) {
        std::ofstream out(path, std::ios::binary);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    // The names in the folder.
    std::set<std::string> Names() const {
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder_))
            names.insert(entry.path().filename().string());
        return names;
    }

    fs::path folder_;
};

TEST_F(HostFileTest, CreatesAMissingFileAndRefusesAnyThatExists) {
    // The C runtime that the station runs on on Windows, msvcrt.dll, takes fopen's "wbx" for
    // "wb" and truncates: a new file must not be made that way.
    const fs::path fresh = folder_ / "fresh.jpg";
    HostFile file = CreateNewHostFile(fresh);
    ASSERT_TRUE(file);
    EXPECT_TRUE(file.WriteAndClose("new"));
    EXPECT_EQ(Contents(fresh), "new");

    EXPECT_FALSE(CreateNewHostFile(fresh));
    EXPECT_EQ(Contents(fresh), "new");

    fs::create_directories(folder_ / "folder.jpg");
    EXPECT_FALSE(CreateNewHostFile(folder_ / "folder.jpg"));
    EXPECT_FALSE(CreateNewHostFile(folder_ / "missing" / "x.jpg"));
}

TEST_F(HostFileTest, FailuresOfTheHandleAreReported) {
    HostFile none;
    EXPECT_FALSE(none.Write("x"));
    EXPECT_FALSE(none.Close());
    EXPECT_FALSE(none.WriteAndClose(""));
    Bytes read = "kept";
    EXPECT_FALSE(none.ReadRest(read));
    EXPECT_EQ(read, "kept");

    Put(folder_ / "a.txt", "abc");
    HostFile reading = OpenHostFile(folder_ / "a.txt", "rb");
    ASSERT_TRUE(reading);
    EXPECT_FALSE(reading.WriteAndClose("xyz")) << "a file open for reading takes no bytes";
    EXPECT_FALSE(reading) << "closed all the same";
    EXPECT_FALSE(reading.Close()) << "a second close";
    EXPECT_EQ(Contents(folder_ / "a.txt"), "abc");

    HostFile moved = OpenHostFile(folder_ / "a.txt", "rb");
    HostFile target = std::move(moved);
    EXPECT_FALSE(moved);
    EXPECT_TRUE(target.Close());
}

TEST_F(HostFileTest, ReadsWholeFilesAndSaysWhenItCannot) {
    const Bytes large = [] {
        Bytes bytes(200 * 1024, '\0'); // more than one buffer of the read
        for (std::size_t i = 0; i < bytes.size(); ++i)
            bytes[i] = static_cast<char>(i * 7);
        return bytes;
    }();
    Put(folder_ / "empty", "");
    Put(folder_ / "bytes", Bytes("\xC3\xF6\0\r\n\x1A", 6));
    Put(folder_ / "large", large);
    fs::create_directories(folder_ / "folder");
    struct Case {
        const char* name;
        bool read;
        Bytes contents;
    } cases[] = {
        {"empty", true, ""},    {"bytes", true, Bytes("\xC3\xF6\0\r\n\x1A", 6)},
        {"large", true, large}, {"missing", false, ""},
        {"folder", false, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes contents = "left over";
        EXPECT_EQ(ReadWholeHostFile(folder_ / c.name, contents), c.read);
        EXPECT_EQ(contents, c.contents);
    }
}

TEST_F(HostFileTest, AppendsToAFileItCreatesWhenMissing) {
    const fs::path log = folder_ / "log.txt";
    EXPECT_TRUE(AppendToHostFile(log, "one\r\n"));
    EXPECT_TRUE(AppendToHostFile(log, Bytes("t\0o\r\n", 5)));
    EXPECT_EQ(Contents(log), Bytes("one\r\nt\0o\r\n", 10));
    EXPECT_FALSE(AppendToHostFile(folder_ / "missing" / "log.txt", "x"));
    fs::create_directories(folder_ / "folder.txt");
    EXPECT_FALSE(AppendToHostFile(folder_ / "folder.txt", "x"));
}

TEST_F(HostFileTest, ReplacesAFileWholeOrLeavesItAsItWas) {
    const fs::path settings = folder_ / "settings.ini";
    EXPECT_TRUE(ReplaceHostFile(settings, "first, and longer"));
    EXPECT_TRUE(ReplaceHostFile(settings, "second"));
    EXPECT_EQ(Contents(settings), "second") << "nothing of the longer file is left";
    EXPECT_EQ(Names(), std::set<std::string>{"settings.ini"}) << "no new file stays behind";

    // A folder that holds a file cannot be replaced by a file.
    const fs::path folder = folder_ / "folder.ini";
    fs::create_directories(folder);
    Put(folder / "inside", "kept");
    EXPECT_FALSE(ReplaceHostFile(folder, "x"));
    EXPECT_EQ(Contents(folder / "inside"), "kept");
    EXPECT_EQ(Names(), (std::set<std::string>{"folder.ini", "settings.ini"}));

    EXPECT_FALSE(ReplaceHostFile(folder_ / "missing" / "settings.ini", "x"));
}

#ifdef _WIN32
// A file still held open by a writer cannot be read when no writer is allowed.
TEST_F(HostFileTest, NoWriterReadFailsWhileTheFileIsOpenForWriting) {
    const fs::path event = folder_ / "event.txt";
    HostFile writer = OpenHostFile(event, "wb");
    ASSERT_TRUE(writer);
    ASSERT_TRUE(writer.Write("half"));
    ASSERT_EQ(std::fflush(writer.Get()), 0);
    Bytes contents;
    EXPECT_FALSE(ReadWholeHostFile(event, contents, WhileReading::NoWriter));
    EXPECT_TRUE(ReadWholeHostFile(event, contents, WhileReading::WritersAllowed));
    EXPECT_EQ(contents, "half");
    ASSERT_TRUE(writer.Close());
    EXPECT_TRUE(ReadWholeHostFile(event, contents, WhileReading::NoWriter));
    EXPECT_EQ(contents, "half");
}
#endif

} // namespace
} // namespace tavo

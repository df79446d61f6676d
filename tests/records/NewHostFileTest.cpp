// Creating a new file never opens what already stands at the name. (The C runtime that the
// station runs on on Windows, msvcrt.dll, takes fopen's "wbx" for "wb" and truncates.)
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "RecordsFixture.h"
#include "records/NewHostFile.h"

namespace tavo {
namespace {

using NewHostFileTest = RecordsTest;

TEST_F(NewHostFileTest, CreatesAMissingFileAndRefusesAnyThatExists) {
    const std::filesystem::path fresh = Host("fresh.jpg");
    std::FILE* file = CreateNewHostFile(fresh);
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(std::fwrite("new", 1, 3, file), 3u);
    EXPECT_EQ(std::fclose(file), 0);
    EXPECT_EQ(ReadHostFile(fresh), "new");

    EXPECT_EQ(CreateNewHostFile(fresh), nullptr);
    EXPECT_EQ(ReadHostFile(fresh), "new");

    std::filesystem::create_directories(Host("folder.jpg"));
    EXPECT_EQ(CreateNewHostFile(Host("folder.jpg")), nullptr);
    EXPECT_EQ(CreateNewHostFile(Host("missing\\x.jpg")), nullptr);
}

} // namespace
} // namespace tavo

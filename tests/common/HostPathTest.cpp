#include <gtest/gtest.h>

#include "common/GbkText.h"
#include "common/HostPath.h"

namespace tavo {
namespace {

TEST(HostPath, BackslashesBecomeHostSeparatorsButNotInsideCharacters) {
    // 0xD55C: a double-byte character whose second byte is the byte of '\'.
    const Bytes gbk = Bytes("Log\\") + "\xD5\x5C" + "\\a.jpg";
    const std::filesystem::path host = ToHostPath(gbk);
    std::vector<std::filesystem::path> parts(host.begin(), host.end());
    ASSERT_EQ(parts.size(), 3u);
    EXPECT_EQ(parts[0], std::filesystem::path("Log"));
    EXPECT_EQ(parts[2], std::filesystem::path("a.jpg"));
}

TEST(HostPath, ProgramPathJoinsTheProgramFolder) {
    const Bytes saved = ProgramFolder();
    SetProgramFolder("prog");
    EXPECT_EQ(ProgramFolder(), "prog\\");
    EXPECT_EQ(ProgramPath("Log\\x.txt"), ToHostPath("prog\\Log\\x.txt"));
    SetProgramFolder(saved);
}

} // namespace
} // namespace tavo

// The Windows side of the common code: handle owners, the UTF-16 text shim, module folders.
#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>

#include "common/ModuleFolder_win.h"
#include "common/WideText_win.h"
#include "common/Win32Handles_win.h"

namespace tavo {
namespace {

bool IsOpenHandle(HANDLE handle) {
    DWORD flags = 0;
    return GetHandleInformation(handle, &flags) != FALSE;
}

TEST(Win32Handles, AnOwnerClosesWhatItHoldsWhenResetReplacedOrGone) {
    HANDLE first = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE second = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ASSERT_TRUE(first && second);
    {
        UniqueHandle owner(first);
        EXPECT_TRUE(owner);
        UniqueHandle other(second);
        owner = std::move(other); // the first goes, the second moves over
        EXPECT_FALSE(IsOpenHandle(first));
        EXPECT_FALSE(other);
        EXPECT_EQ(owner.Get(), second);
        EXPECT_TRUE(IsOpenHandle(second));
    }
    EXPECT_FALSE(IsOpenHandle(second));
}

TEST(Win32Handles, AFindWithoutMatchOwnsNothing) {
    WIN32_FIND_DATAW found;
    const std::wstring none =
        (std::filesystem::temp_directory_path() / L"tavo-no-such-folder" / L"*.txt").wstring();
    const UniqueFind missing(FindFirstFileW(none.c_str(), &found));
    EXPECT_FALSE(missing) << "INVALID_HANDLE_VALUE is no search";
    const std::wstring folder = ModuleFolder(nullptr) + L"*";
    const UniqueFind search(FindFirstFileW(folder.c_str(), &found));
    EXPECT_TRUE(search);
}

TEST(WideText, GbkAndUtf16MeetUnitForUnit) {
    const Bytes gbk("\xC3\xF6"
                    "A\\\xD5\x5C"); // 闽A\ and a character whose second byte is '\'
    const std::wstring wide = WideText(gbk);
    ASSERT_EQ(wide.size(), 4u);
    EXPECT_EQ(wide.substr(0, 3), L"\u95FDA\\");
    EXPECT_EQ(GbkFromWide(wide), gbk);
    EXPECT_EQ(FromWide(ToWide(u"\u95FD\U0001F600")), u"\u95FD\U0001F600");
}

TEST(ModuleFolder, TheExeFolderWithItsSeparatorHoldsTheExe) {
    const std::wstring folder = ModuleFolder(nullptr);
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.back(), L'\\');
    wchar_t exe[MAX_PATH * 4];
    const DWORD length = GetModuleFileNameW(nullptr, exe, MAX_PATH * 4);
    ASSERT_GT(length, folder.size());
    EXPECT_EQ(std::wstring(exe, folder.size()), folder);
    EXPECT_EQ(std::wstring(exe + folder.size(), length - folder.size()).find_first_of(L"\\/"),
              std::wstring::npos);
}

} // namespace
} // namespace tavo

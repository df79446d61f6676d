// Settings files of the stations in the field were written by Windows' own profile functions:
// what they wrote reads the same through the settings store, and what the store writes reads
// the same through them.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "RecordsFixture.h"
#include "common/GbkText.h"
#include "records/UMyUtils.h"

namespace tavo {
namespace {

class SettingsInteropTest : public RecordsTest {
protected:
    struct Entry {
        const wchar_t* key;
        const wchar_t* stored; // as written
        const char* read;      // as read back by both sides
    };
    static constexpr Entry kEntries[] = {
        {L"LEFTIP", L"192.168.1.100", "192.168.1.100"},
        {L"RIGHTIP", L"  10.0.0.7  ", "10.0.0.7"},
        {L"EMPTYIP", L"", ""},
        {L"QUOTEDIP", L"\"192.168.1.9\"", "192.168.1.9"},
    };
    static constexpr const wchar_t* kSection = L"FRMMAIN_TAVOCAMERA";

    static std::wstring File() { return Host("bin\\FormLayout.ini").wstring(); }

    static Bytes Gbk(const wchar_t* text) {
        const std::wstring wide(text);
        return Utf16ToGbk(std::u16string(wide.begin(), wide.end()));
    }

    // The value through GetPrivateProfileStringW, or "<missing>".
    static Bytes WindowsRead(const wchar_t* key) {
        wchar_t buffer[256];
        const DWORD length = GetPrivateProfileStringW(kSection, key, L"<missing>", buffer,
                                                      std::size(buffer), File().c_str());
        return Gbk(std::wstring(buffer, length).c_str());
    }
};

TEST_F(SettingsInteropTest, ValuesWrittenByWindowsReadTheSameThroughTheStore) {
    std::filesystem::create_directories(Host("bin"));
    for (const Entry& e : kEntries)
        ASSERT_TRUE(WritePrivateProfileStringW(kSection, e.key, e.stored, File().c_str()));
    WritePrivateProfileStringW(nullptr, nullptr, nullptr, File().c_str()); // flush

    for (const Entry& e : kEntries) {
        SCOPED_TRACE(e.read);
        Bytes value = "before";
        EXPECT_TRUE(IniValue("FrmMain_tavoCamera", Gbk(e.key), value, 0));
        EXPECT_EQ(value, e.read);
        EXPECT_EQ(WindowsRead(e.key), e.read);
    }
}

// Both sides read what the store wrote as it was passed, but trimmed; a quoted value keeps its
// quotes.
TEST_F(SettingsInteropTest, ValuesWrittenByTheStoreReadTheSameThroughWindows) {
    for (const Entry& e : kEntries) {
        Bytes value = Gbk(e.stored);
        ASSERT_TRUE(IniValue("FrmMain_tavoCamera", Gbk(e.key), value, 1));
    }
    for (const Entry& e : kEntries) {
        const Bytes passed = TrimText(Gbk(e.stored));
        SCOPED_TRACE(passed);
        EXPECT_EQ(WindowsRead(e.key), passed);
        Bytes value = "before";
        EXPECT_TRUE(IniValue("FrmMain_tavoCamera", Gbk(e.key), value, 0));
        EXPECT_EQ(value, passed);
    }
}

} // namespace
} // namespace tavo

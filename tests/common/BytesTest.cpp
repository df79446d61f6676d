#include <gtest/gtest.h>

#include "common/Bytes.h"

namespace tavo {
namespace {

TEST(TrimText, RemovesBytesUpTo32AtBothEndsOnly) {
    struct Case {
        std::string_view in;
        std::string_view out;
    } cases[] = {
        {"", ""},
        {"   ", ""},
        {" \t\r\n192.168.1.100 \x01\x1f", "192.168.1.100"},
        {std::string_view("\0A B\0", 5), "A B"},
        {"A\x21", "A\x21"}, // 33 is kept
        {"\xC3\xF6"
         "A ",
         "\xC3\xF6"
         "A"}, // high bytes are never trimmed
    };
    for (const auto& c : cases)
        EXPECT_EQ(TrimText(c.in), c.out) << "input: " << c.in;
}

TEST(TextUpToNul, StopsAtNulOrAtTheAreaEnd) {
    const char area[4] = {'A', 'B', '\0', 'C'};
    EXPECT_EQ(TextUpToNul(area, 4), "AB");
    const char full[3] = {'X', 'Y', 'Z'};
    EXPECT_EQ(TextUpToNul(full, 3), "XYZ");
    EXPECT_EQ(TextUpToNul(nullptr, 10), "");
}

} // namespace
} // namespace tavo

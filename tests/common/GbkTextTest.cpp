#include <gtest/gtest.h>

#include "common/GbkText.h"

namespace tavo {
namespace {

TEST(GbkText, PlateRoundTripsWithTheSameBytes) {
    const Bytes plate("\xC3\xF6"
                      "AR2346"); // 闽AR2346
    const std::u16string wide = GbkToUtf16(plate);
    EXPECT_EQ(wide, u"闽AR2346");
    EXPECT_EQ(Utf16ToGbk(wide), plate);
    EXPECT_EQ(Utf8ToGbk("闽AR2346"), plate);
    EXPECT_EQ(GbkToUtf8(plate), "闽AR2346");
}

TEST(GbkText, TrailByte5CStaysInsideItsCharacter) {
    const Bytes text("\xD5\x5C"); // a GBK character whose second byte is the byte of '\'
    const std::u16string wide = GbkToUtf16(text);
    ASSERT_EQ(wide.size(), 1u);
    EXPECT_NE(wide[0], u'\\');
    EXPECT_EQ(Utf16ToGbk(wide), text);
}

TEST(GbkText, CharacterLengthPairsALeadByteOnlyWithATrailByte) {
    struct Case {
        std::string_view text;
        std::size_t length; // of the character at the start
    } cases[] = {
        {"A\xC3", 1},    {"\xC3\xF6", 2}, // 闽
        {"\xD5\x5C", 2},                  // the second byte is the byte of '\\'
        {"\x81\x40", 2},                  // lowest lead and trail bytes
        {"\xFE\xFE", 2},                  // highest
        {"\x81\x7F", 1},                  // 0x7F is no trail byte
        {"\x81\xFF", 1},                  // nor is 0xFF
        {"\x81\x3F", 1},                  // nor a byte below 0x40
        {"\xC3", 1},                      // a lead byte at the end
        {"\x80\x40", 1},                  // 0x80 is no lead byte
        {"\xFF\x40", 1},                  // nor is 0xFF
        {"]\x81", 1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(GbkCharacterLength(c.text, 0), c.length) << GbkToUtf8(c.text);
}

TEST(GbkText, MalformedInputBecomesQuestionMarks) {
    struct Case {
        std::string_view gbk;
        std::u16string_view wide;
    } cases[] = {
        {"A\xC3", u"A?"}, // lone lead byte at the end
        {"\xC3\x20"
         "B",
         u"? B"}, // lead byte before a blank: the blank is read on its own
        {"\xFF"
         "A",
         u"?A"}, // 0xFF is no character
        {std::string_view("\0\x7F", 2), std::u16string_view(u"\0\x7F", 2)},
    };
    for (const auto& c : cases)
        EXPECT_EQ(GbkToUtf16(c.gbk), c.wide);
    // A valid pair shape is one character or one '?', never two characters.
    EXPECT_EQ(GbkToUtf16("\xC3"
                         "A")
                  .size(),
              1u);
}

TEST(GbkText, UnencodableCharactersBecomeQuestionMarks) {
    EXPECT_EQ(Utf16ToGbk(u"A\U0001F600B"), "A?B");                           // outside the BMP
    EXPECT_EQ(Utf16ToGbk(std::u16string(1, char16_t(0xD800)) + u"C"), "?C"); // lone surrogate
    EXPECT_EQ(Utf16ToGbk(u"\u0E01"), "?"); // Thai: not in code page 936
}

} // namespace
} // namespace tavo

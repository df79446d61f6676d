// The command-48 and command-98 frames for the display device: published vectors, mode bytes,
// the re-encoding of the command-98 text, and a property over generated texts and modes.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <random>

#include "common/GbkText.h"
#include "protocol/DisplayFrames.h"
#include "protocol/ICESDK.h"
#include "tests/protocol/HexBytes.h"

namespace tavo {
namespace {

using test::BitwiseModbusCrc;
using test::HexBytes;
using test::ToHex;

constexpr std::string_view kPlate = "\xC3\xF6\x41R2346"; // 闽AR2346

Bytes Build(int command, std::string_view text, std::int32_t mode) {
    return command == 48 ? BuildCommand48Frame(text, mode) : BuildCommand98Frame(text, mode);
}

unsigned char At(const Bytes& frame, std::size_t offset) {
    return static_cast<unsigned char>(frame.at(offset));
}

TEST(DisplayFrames, KnownFrames) {
    struct Case {
        std::string_view text;
        int command;
        std::string_view frame;
    } cases[] = {
        // head        cmd L  mode text                         CRC
        {kPlate, 48, "00 64 FF FF 30 09 01 C3 F6 41 52 32 33 34 36 00 B9"},
        {"", 48, "00 64 FF FF 30 01 01 F7 7B"},
        {"A", 48, "00 64 FF FF 30 02 01 41 0A B6"},
        // head        cmd L  mode fixed bytes 7..22                                    N  00
        {kPlate, 98,
         "00 64 FF FF 62 1B 01 15 01 00 3C 15 01 03 00 FF 00 00 00 00 00 00 00 08 00 "
         "C3 F6 41 52 32 33 34 36 64 D7"},
        {"", 98,
         "00 64 FF FF 62 13 01 15 01 00 3C 15 01 03 00 FF 00 00 00 00 00 00 00 00 00 4A 43"},
        {"A", 98,
         "00 64 FF FF 62 14 01 15 01 00 3C 15 01 03 00 FF 00 00 00 00 00 00 00 01 00 41 "
         "25 B0"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.command << " " << ToHex(c.text));
        EXPECT_EQ(ToHex(Build(c.command, c.text, 1)), c.frame);
    }
}

TEST(DisplayFrames, ModeBytes) {
    constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
    constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
    struct Case {
        int command;
        std::int32_t mode;
        unsigned char byte;
    } cases[] = {
        {48, 0, 0x00},   {48, 1, 0x01},    {48, 2, 0x02},    {48, 3, 0x01},
        {48, 255, 0x01}, {48, 256, 0x01},  {48, -1, 0x01},   {48, kMin, 0x01},
        {98, 1, 0x01},   {98, 7, 0x07},    {98, 256, 0x00},  {98, 300, 0x2C},
        {98, -1, 0xFF},  {98, kMin, 0x00}, {98, kMax, 0xFF}, {98, 0x12345678, 0x78},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.command << " mode " << c.mode);
        const Bytes frame = Build(c.command, kPlate, c.mode);
        EXPECT_EQ(At(frame, 6), c.byte);
        EXPECT_EQ(BitwiseModbusCrc(frame), 0x0000); // the CRC covers the mode byte
    }
}

TEST(DisplayFrames, LengthBytesWrapAtOneByte) {
    struct Case {
        int command;
        std::size_t textLength;
        unsigned char lengthByte;     // offset 5
        unsigned char textLengthByte; // offset 23 of command 98
    } cases[] = {
        {48, 254, 255, 0}, {48, 255, 0, 0},  {48, 256, 1, 0},   {98, 236, 255, 236},
        {98, 237, 0, 237}, {98, 256, 19, 0}, {98, 300, 63, 44},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.command << " length " << c.textLength);
        const Bytes frame = Build(c.command, Bytes(c.textLength, 'A'), 1);
        EXPECT_EQ(frame.size(), c.textLength + (c.command == 48 ? 9 : 27));
        EXPECT_EQ(At(frame, 5), c.lengthByte);
        if (c.command == 98) {
            EXPECT_EQ(At(frame, 23), c.textLengthByte);
        }
        EXPECT_EQ(BitwiseModbusCrc(frame), 0x0000);
    }
}

TEST(DisplayFrames, Command98CarriesMalformedGbkAsQuestionMarks) {
    struct Case {
        Bytes text;
        std::string_view carried;
    } cases[] = {
        {HexBytes("41 C3"), "A?"},     // a lone lead byte at the end
        {HexBytes("C3 20 42"), "? B"}, // a lead byte before a blank; the blank stays
        {HexBytes("FF 41"), "?A"},     // 0xFF is no character
        {HexBytes("C3 F6 FF C3"), "\xC3\xF6??"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(ToHex(c.text));
        const Bytes frame = BuildCommand98Frame(c.text, 1);
        EXPECT_EQ(ToHex(frame.substr(25, frame.size() - 27)), ToHex(c.carried));
        EXPECT_EQ(At(frame, 5), c.carried.size() + 19);
        EXPECT_EQ(At(frame, 23), c.carried.size());
        EXPECT_EQ(BitwiseModbusCrc(frame), 0x0000);
        // Command 48 carries the same text unchanged.
        EXPECT_EQ(BuildCommand48Frame(c.text, 1).substr(7, c.text.size()), c.text);
    }
}

TEST(DisplayFrames, ZeroBytesInTheTextAreCarried) {
    const Bytes text("A\0B", 3);
    const Bytes frame48 = BuildCommand48Frame(text, 1);
    ASSERT_EQ(frame48.size(), 12u);
    EXPECT_EQ(frame48.substr(7, 3), text);
    const Bytes frame98 = BuildCommand98Frame(text, 1);
    ASSERT_EQ(frame98.size(), 30u);
    EXPECT_EQ(frame98.substr(25, 3), text);
    EXPECT_EQ(BitwiseModbusCrc(frame48), 0x0000);
    EXPECT_EQ(BitwiseModbusCrc(frame98), 0x0000);
}

// Checks that hold for every frame: the head, the length byte against the true length, and the
// CRC residue. Returns the carried text (offset `textOffset` up to the CRC).
Bytes CheckFrame(const Bytes& frame, unsigned char command, std::size_t textOffset) {
    EXPECT_GE(frame.size(), textOffset + 2);
    EXPECT_EQ(ToHex(frame.substr(0, 5)), ToHex(HexBytes("00 64 FF FF") + char(command)));
    EXPECT_EQ(At(frame, 5), (frame.size() - 8) % 256); // data bytes from offset 6 up to the CRC
    EXPECT_EQ(BitwiseModbusCrc(frame), 0x0000);
    return frame.substr(textOffset, frame.size() - textOffset - 2);
}

TEST(DisplayFrames, EveryGeneratedFrameIsConsistent) {
    std::mt19937 random(48'98);
    for (int round = 0; round < 3000; ++round) {
        Bytes text(random() % 301, '\0');
        for (char& c : text)
            c = static_cast<char>(random() & 0xFF);
        const auto mode = static_cast<std::int32_t>(random() % 302) - 1;
        SCOPED_TRACE(testing::Message() << "round " << round << " mode " << mode);

        const Bytes frame48 = BuildCommand48Frame(text, mode);
        ASSERT_EQ(frame48.size(), text.size() + 9);
        EXPECT_EQ(CheckFrame(frame48, 0x30, 7), text);
        EXPECT_EQ(At(frame48, 6), mode >= 0 && mode <= 2 ? mode : 1);

        const Bytes frame98 = BuildCommand98Frame(text, mode);
        const Bytes converted = Utf16ToGbk(GbkToUtf16(text));
        ASSERT_EQ(frame98.size(), converted.size() + 27);
        EXPECT_EQ(CheckFrame(frame98, 0x62, 25), converted);
        EXPECT_EQ(At(frame98, 6), mode & 0xFF);
        EXPECT_EQ(At(frame98, 23), converted.size() % 256);
        EXPECT_EQ(ToHex(frame98.substr(7, 16)), "15 01 00 3C 15 01 03 00 FF 00 00 00 00 00 00 00");
        EXPECT_EQ(At(frame98, 24), 0x00);
        if (HasFailure())
            return;
    }
}

TEST(DisplayFrames, WellFormedGbkComesThroughCommand98Unchanged) {
    // Texts of ASCII bytes and the double-byte characters of the phrase table.
    Bytes characters;
    for (std::string_view phrase : PhraseTable) {
        if (phrase.size() == 2)
            characters += phrase;
    }
    std::mt19937 random(936);
    for (int round = 0; round < 1000; ++round) {
        Bytes text;
        const std::size_t pieces = random() % 150;
        for (std::size_t i = 0; i < pieces; ++i) {
            if (random() % 2 == 0)
                text += static_cast<char>(random() & 0x7F);
            else
                text += characters.substr(2 * (random() % (characters.size() / 2)), 2);
        }
        SCOPED_TRACE(ToHex(text));
        const Bytes frame = BuildCommand98Frame(text, 1);
        ASSERT_EQ(frame.size(), text.size() + 27);
        EXPECT_EQ(CheckFrame(frame, 0x62, 25), text);
        EXPECT_EQ(At(frame, 23), text.size() % 256);
    }
}

} // namespace
} // namespace tavo

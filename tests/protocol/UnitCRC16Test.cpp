// The table-driven CRC-16/MODBUS against the catalogue values and a bit-by-bit reference.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>

#include "protocol/UnitCRC16.h"
#include "tests/protocol/HexBytes.h"

namespace tavo {
namespace {

using test::BitwiseModbusCrc;
using test::HexBytes;
using test::ToHex;

// Crc16 holds the CRC-16/MODBUS value with its two bytes swapped.
std::uint16_t Swapped(std::uint16_t v) {
    return static_cast<std::uint16_t>(v << 8 | v >> 8);
}

TEST(Crc16, CheckValues) {
    struct Case {
        std::string_view input;
        std::uint16_t crc16;
        std::string_view wire;
    } cases[] = {
        {"123456789", 0x374B, "37 4B"}, // the catalogue check value 0x4B37
        {"", 0xFFFF, "FF FF"},          // nothing processed: the initial registers
        {"A", 0x7F70, "7F 70"},         // 0x707F
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.input);
        EXPECT_EQ(Crc16(c.input), c.crc16);
        EXPECT_EQ(ToHex(Crc16Bytes(c.input)), c.wire);
    }
}

TEST(Crc16, EverySingleByteMatchesTheBitwiseReference) {
    // Each single byte from the initial registers reaches table entry b ^ 0xFF of both tables,
    // so this covers all 512 entries, the upper half (bytes 0x80..0xFF) included.
    for (int b = 0; b < 256; ++b) {
        const Bytes input(1, static_cast<char>(b));
        const std::uint16_t reference = BitwiseModbusCrc(input);
        SCOPED_TRACE(b);
        EXPECT_EQ(Crc16(input), Swapped(reference));
        EXPECT_EQ(Crc16Bytes(input),
                  Bytes({static_cast<char>(reference & 0xFF), static_cast<char>(reference >> 8)}));
    }
}

TEST(Crc16, ZeroBytesAreOrdinaryDataOverTheWholeLength) {
    const Bytes cases[] = {
        HexBytes("00"),
        HexBytes("00 00"),
        HexBytes("00 64 FF FF 30 01 01"), // an empty command-48 body
        HexBytes("41 00 42"),
        HexBytes("41 42 00"),
    };
    for (const Bytes& input : cases) {
        SCOPED_TRACE(ToHex(input));
        EXPECT_EQ(Crc16(input), Swapped(BitwiseModbusCrc(input)));
    }
    // A zero byte changes the registers: neither a leading nor a trailing one is dropped.
    EXPECT_NE(Crc16(HexBytes("00")), Crc16(""));
    EXPECT_NE(Crc16(HexBytes("41 00")), Crc16("A"));
    EXPECT_NE(Crc16(HexBytes("00 41")), Crc16("A"));
}

TEST(Crc16, GeneratedInputsMatchTheReferenceAndLeaveAZeroResidue) {
    std::mt19937 random(20261211);
    for (int round = 0; round < 500; ++round) {
        Bytes input(random() % 1025, '\0');
        for (char& c : input)
            c = static_cast<char>(random() & 0xFF);
        SCOPED_TRACE(round);
        ASSERT_EQ(Crc16(input), Swapped(BitwiseModbusCrc(input)));
        // Followed by its own CRC bytes, any input checks to 0x0000, the Modbus RTU residue.
        const Bytes sealed = input + Crc16Bytes(input);
        ASSERT_EQ(BitwiseModbusCrc(sealed), 0x0000);
        ASSERT_EQ(Crc16(sealed), 0x0000);
    }
}

} // namespace
} // namespace tavo

// Test helpers for the protocol tests: byte strings written as hexadecimal, and the bit-by-bit
// CRC-16/MODBUS that the table-driven one is checked against.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "common/Bytes.h"

namespace tavo::test {

// "00 64 FF" -> the three bytes 00 64 FF. Blanks between bytes are ignored.
inline Bytes HexBytes(std::string_view hex) {
    auto nibble = [](char c) {
        return c <= '9' ? c - '0' : (c <= 'F' ? c - 'A' + 10 : c - 'a' + 10);
    };
    Bytes out;
    for (std::size_t i = 0; i < hex.size(); ++i) {
        if (hex[i] == ' ')
            continue;
        out += static_cast<char>(nibble(hex[i]) << 4 | nibble(hex[i + 1]));
        ++i;
    }
    return out;
}

// The bytes as "00 64 FF", for readable failure messages.
inline std::string ToHex(std::string_view bytes) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string out;
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (!out.empty())
            out += ' ';
        out += kDigits[b >> 4];
        out += kDigits[b & 0x0F];
    }
    return out;
}

// CRC-16/MODBUS one bit at a time: register 0xFFFF, reflected polynomial 0xA001, no final XOR.
inline std::uint16_t BitwiseModbusCrc(std::string_view bytes) {
    std::uint16_t crc = 0xFFFF;
    for (const char c : bytes) {
        crc ^= static_cast<unsigned char>(c);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) ? static_cast<std::uint16_t>((crc >> 1) ^ 0xA001) : crc >> 1;
    }
    return crc;
}

} // namespace tavo::test

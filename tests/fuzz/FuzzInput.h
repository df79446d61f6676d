// What the fuzz targets share: reading one input as a sequence of fields, a check that ends the
// run with a message (the fuzzer keeps the input as a finding), and a scratch program folder.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string_view>

namespace tavo::fuzz {

// An input taken apart front to back. A piece is a length byte and that many bytes; whatever
// the input lacks reads as zero bytes or an empty piece.
class FuzzInput {
public:
    FuzzInput(const std::uint8_t* data, std::size_t size)
        : rest_(reinterpret_cast<const char*>(data), size) {}

    std::uint8_t Byte() {
        if (rest_.empty())
            return 0;
        const auto byte = static_cast<std::uint8_t>(rest_.front());
        rest_.remove_prefix(1);
        return byte;
    }
    std::int32_t Int32() {
        std::uint32_t value = 0;
        for (int i = 0; i < 4; ++i)
            value |= static_cast<std::uint32_t>(Byte()) << (8 * i);
        return static_cast<std::int32_t>(value);
    }
    std::string_view Piece() { return Take(Byte()); }
    std::string_view Take(std::size_t count) {
        const std::string_view taken = rest_.substr(0, count);
        rest_.remove_prefix(taken.size());
        return taken;
    }
    std::string_view Rest() { return Take(rest_.size()); }

private:
    std::string_view rest_;
};

// A property that must hold; when it does not, the run ends as a finding.
#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "%s:%d: property does not hold: %s\n", __FILE__, __LINE__,        \
                         #condition);                                                              \
            std::abort();                                                                          \
        }                                                                                          \
    } while (0)

// A program folder of this process's own below the temporary folder, made on first use and
// removed at exit; the station's program folder points at it.
const std::filesystem::path& ScratchProgramFolder();

} // namespace tavo::fuzz

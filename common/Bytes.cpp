// Byte string helpers shared by every subsystem.
#include "common/Bytes.h"

#include <cstring>

namespace tavo {

namespace {
bool IsTrimmed(char c) {
    return static_cast<unsigned char>(c) <= 32;
}
} // namespace

Bytes TrimText(std::string_view text) {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && IsTrimmed(text[begin]))
        ++begin;
    while (end > begin && IsTrimmed(text[end - 1]))
        --end;
    return Bytes(text.substr(begin, end - begin));
}

std::string_view TextUpToNul(const char* area, std::size_t size) {
    if (area == nullptr)
        return {};
    const void* nul = std::memchr(area, 0, size);
    std::size_t length =
        nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - area) : size;
    return std::string_view(area, length);
}

} // namespace tavo

// Code page 936 characters through iconv's CP936 (GBK with 0x80 as the euro sign, as on Windows).
#include "common/GbkText.h"

#include <iconv.h>

#include <cerrno>

namespace tavo::detail {

namespace {

// One converter per thread and direction, opened on first use and kept for the thread's life.
class Converter {
public:
    Converter(const char* to, const char* from) : handle_(iconv_open(to, from)) {}
    ~Converter() {
        if (handle_ != reinterpret_cast<iconv_t>(-1))
            iconv_close(handle_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Converts all of `in` into `out` (capacity `outSize`); returns the bytes written, or -1.
    long Convert(const char* in, std::size_t inSize, char* out, std::size_t outSize) {
        if (handle_ == reinterpret_cast<iconv_t>(-1))
            return -1;
        iconv(handle_, nullptr, nullptr, nullptr, nullptr); // reset the shift state
        char* inPtr = const_cast<char*>(in);
        char* outPtr = out;
        std::size_t inLeft = inSize;
        std::size_t outLeft = outSize;
        if (iconv(handle_, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<std::size_t>(-1) ||
            inLeft != 0)
            return -1;
        return static_cast<long>(outSize - outLeft);
    }

private:
    iconv_t handle_;
};

} // namespace

bool DecodeGbkCharacter(std::string_view piece, char16_t& out) {
    thread_local Converter decoder("UTF-16LE", "CP936");
    unsigned char buffer[8];
    const long written =
        decoder.Convert(piece.data(), piece.size(), reinterpret_cast<char*>(buffer), sizeof buffer);
    if (written != 2)
        return false;
    out = static_cast<char16_t>(buffer[0] | (buffer[1] << 8));
    return true;
}

bool EncodeGbkCharacter(char16_t character, Bytes& out) {
    thread_local Converter encoder("CP936", "UTF-16LE");
    const unsigned char in[2] = {static_cast<unsigned char>(character & 0xFF),
                                 static_cast<unsigned char>(character >> 8)};
    char buffer[8];
    const long written =
        encoder.Convert(reinterpret_cast<const char*>(in), sizeof in, buffer, sizeof buffer);
    if (written <= 0)
        return false;
    out.append(buffer, static_cast<std::size_t>(written));
    return true;
}

} // namespace tavo::detail

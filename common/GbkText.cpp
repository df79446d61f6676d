// The platform-neutral walk over GBK text; the per-character conversion is the platform's
// (GbkText_posix.cpp, GbkText_win.cpp).
#include "common/GbkText.h"

namespace tavo {

namespace {

constexpr char16_t kReplacement = u'?';

bool IsGbkLeadByte(unsigned char byte) {
    return byte >= 0x81 && byte <= 0xFE;
}

bool IsGbkTrailByte(unsigned char byte) {
    return byte >= 0x40 && byte <= 0xFE && byte != 0x7F;
}

} // namespace

std::size_t GbkCharacterLength(std::string_view text, std::size_t at) {
    return IsGbkLeadByte(static_cast<unsigned char>(text[at])) && at + 1 < text.size() &&
                   IsGbkTrailByte(static_cast<unsigned char>(text[at + 1]))
               ? 2
               : 1;
}

std::u16string GbkToUtf16(std::string_view gbk) {
    std::u16string out;
    out.reserve(gbk.size());
    std::size_t i = 0;
    while (i < gbk.size()) {
        const auto b = static_cast<unsigned char>(gbk[i]);
        if (b < 0x80) {
            out += static_cast<char16_t>(b);
            ++i;
            continue;
        }
        const std::size_t width = GbkCharacterLength(gbk, i);
        char16_t c = 0;
        const bool known = (width == 2 || !IsGbkLeadByte(b)) &&
                           detail::DecodeGbkCharacter(gbk.substr(i, width), c);
        out += known ? c : kReplacement;
        i += width;
    }
    return out;
}

Bytes Utf16ToGbk(std::u16string_view text) {
    Bytes out;
    out.reserve(text.size() * 2);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            // A surrogate: GBK has no character outside the BMP, and a lone one is malformed.
            out += '?';
            if (c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
                text[i + 1] <= 0xDFFF)
                ++i;
        } else if (!detail::EncodeGbkCharacter(c, out)) {
            out += '?';
        }
    }
    return out;
}

std::string Utf16ToUtf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size() * 3);
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t cp = text[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = kReplacement;
        }
        AppendUtf8(out, cp);
    }
    return out;
}

std::string GbkToUtf8(std::string_view gbk) {
    return Utf16ToUtf8(GbkToUtf16(gbk));
}

Bytes Utf8ToGbk(std::string_view utf8) {
    std::u16string wide;
    std::size_t i = 0;
    while (i < utf8.size()) {
        const auto b = static_cast<unsigned char>(utf8[i]);
        char32_t cp = 0;
        std::size_t extra = 0;
        if (b < 0x80) {
            cp = b;
        } else if ((b & 0xE0) == 0xC0) {
            cp = b & 0x1F;
            extra = 1;
        } else if ((b & 0xF0) == 0xE0) {
            cp = b & 0x0F;
            extra = 2;
        } else if ((b & 0xF8) == 0xF0) {
            cp = b & 0x07;
            extra = 3;
        } else {
            wide += kReplacement;
            ++i;
            continue;
        }
        if (i + extra >= utf8.size()) { // a sequence cut short by the end of the text
            wide += kReplacement;
            break;
        }
        for (std::size_t k = 1; k <= extra; ++k)
            cp = (cp << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        i += extra + 1;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            wide += static_cast<char16_t>(0xD800 + (cp >> 10));
            wide += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
        } else {
            wide += static_cast<char16_t>(cp);
        }
    }
    return Utf16ToGbk(wide);
}

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

} // namespace tavo

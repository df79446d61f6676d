// The phrase conversion on any text: no crash; one element per piece of the text, each the
// number of a phrase that equals the piece (Latin letters in any case) or a single blank.
#include <cctype>
#include <charconv>

#include "protocol/ICESDK.h"
#include "tests/fuzz/FuzzInput.h"

namespace {

bool SameIgnoringLatinCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
        const auto fold = [](unsigned char c) { return c < 0x80 ? std::toupper(c) : c; };
        if (fold(x) != fold(y))
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tavo;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const Bytes list = ConvertTextToPhrases(text);
    if (text.empty()) {
        FUZZ_CHECK(list.empty());
        return 0;
    }
    std::size_t at = 0; // where the next piece of the text starts
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = list.find(',', start);
        const std::string_view element = std::string_view(list).substr(
            start, comma == Bytes::npos ? Bytes::npos : comma - start);
        FUZZ_CHECK(at < text.size());
        const std::size_t length = static_cast<unsigned char>(text[at]) >= 0xA0 ? 2 : 1;
        const std::string_view piece = text.substr(at, length);
        at += piece.size();
        if (element == " ") {
            for (const std::string_view phrase : PhraseTable)
                FUZZ_CHECK(!SameIgnoringLatinCase(phrase, piece));
        } else {
            int number = -1;
            const auto [end, error] =
                std::from_chars(element.data(), element.data() + element.size(), number);
            FUZZ_CHECK(error == std::errc() && end == element.data() + element.size());
            FUZZ_CHECK(number >= 0 && number < kPhraseCount);
            FUZZ_CHECK(SameIgnoringLatinCase(PhraseTable[static_cast<std::size_t>(number)], piece));
        }
        if (comma == Bytes::npos)
            break;
        start = comma + 1;
    }
    FUZZ_CHECK(at == text.size());
    return 0;
}

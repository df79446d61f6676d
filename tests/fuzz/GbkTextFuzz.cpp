// GBK <-> UTF-16 on any bytes and any UTF-16 units: no crash; what one direction makes, the
// other gives back; well-formed GBK comes back byte for byte.
#include "common/GbkText.h"
#include "tests/fuzz/FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tavo;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    // Bytes as GBK: decoding what the encoder made of the text gives the same text.
    const std::u16string text = GbkToUtf16(bytes);
    const Bytes encoded = Utf16ToGbk(text);
    FUZZ_CHECK(GbkToUtf16(encoded) == text);
    // Input without '?' that decodes without '?' was well-formed: it comes back unchanged.
    if (bytes.find('?') == std::string_view::npos && text.find(u'?') == std::u16string::npos)
        FUZZ_CHECK(encoded == bytes);

    // Bytes as UTF-16 units: one GBK character or '?' per character, and what that encodes to
    // is stable.
    std::u16string units;
    for (std::size_t i = 0; i + 1 < size; i += 2)
        units.push_back(static_cast<char16_t>(data[i] | (data[i + 1] << 8)));
    const Bytes gbk = Utf16ToGbk(units);
    FUZZ_CHECK(gbk.size() <= 2 * units.size());
    const std::u16string back = GbkToUtf16(gbk);
    FUZZ_CHECK(back.size() <= units.size());
    FUZZ_CHECK(Utf16ToGbk(back) == gbk);
    (void)GbkToUtf8(bytes);
    (void)Utf8ToGbk(bytes);
    return 0;
}

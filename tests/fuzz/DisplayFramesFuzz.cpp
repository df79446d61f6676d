// The display frames for any plate bytes and mode: the CRC over a whole frame leaves residue 0,
// the header and length bytes are as the device expects, and the text sits where it belongs.
#include "common/GbkText.h"
#include "protocol/DisplayFrames.h"
#include "protocol/UnitCRC16.h"
#include "tests/fuzz/FuzzInput.h"

namespace {

using tavo::Bytes;

// Header 00 64 FF FF <command> <L>, L data bytes, two CRC bytes.
void CheckFrame(const Bytes& frame, std::uint8_t command) {
    FUZZ_CHECK(frame.size() >= 8);
    FUZZ_CHECK(frame.compare(0, 4, std::string_view("\x00\x64\xFF\xFF", 4)) == 0);
    FUZZ_CHECK(static_cast<std::uint8_t>(frame[4]) == command);
    FUZZ_CHECK(static_cast<std::uint8_t>(frame[5]) == ((frame.size() - 8) & 0xFF));
    FUZZ_CHECK(tavo::Crc16(frame) == 0);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tavo;
    fuzz::FuzzInput input(data, size);
    const std::int32_t mode = input.Int32();
    const std::string_view text = input.Rest();

    const Bytes frame48 = BuildCommand48Frame(text, mode);
    CheckFrame(frame48, 0x30);
    FUZZ_CHECK(frame48.size() == 6 + 1 + text.size() + 2);
    const auto modeByte = static_cast<std::uint8_t>(frame48[6]);
    FUZZ_CHECK(modeByte == (mode >= 0 && mode <= 2 ? mode : 1));
    FUZZ_CHECK(frame48.compare(7, text.size(), text) == 0);

    const Bytes frame98 = BuildCommand98Frame(text, mode);
    CheckFrame(frame98, 0x62);
    const Bytes carried = Utf16ToGbk(GbkToUtf16(text));
    FUZZ_CHECK(static_cast<std::uint8_t>(frame98[6]) == static_cast<std::uint8_t>(mode & 0xFF));
    FUZZ_CHECK(static_cast<std::uint8_t>(frame98[23]) == (carried.size() & 0xFF));
    FUZZ_CHECK(frame98.size() == 25 + carried.size() + 2);
    FUZZ_CHECK(frame98.compare(25, carried.size(), carried) == 0);
    return 0;
}

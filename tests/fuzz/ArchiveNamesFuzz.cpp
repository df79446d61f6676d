// Archive naming for any address, plate and tag: the picture lands in a file of its own below
// Log\<address>\yyyy\mm\dd\, and no part of its path holds a separator, a control byte or a
// character that Windows refuses in names. Each input's folder is removed again afterwards.
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "common/GbkText.h"
#include "common/HostPath.h"
#include "records/CaptureArchive.h"
#include "tests/fuzz/FuzzInput.h"

namespace {

using tavo::Bytes;

// The path's parts between '\' separators, walked as GBK: a 0x5C inside a double-byte
// character is no separator.
std::vector<Bytes> PathParts(std::string_view path) {
    std::vector<Bytes> parts(1);
    for (std::size_t i = 0; i < path.size(); ++i) {
        const auto c = static_cast<unsigned char>(path[i]);
        if (c >= 0x81 && c <= 0xFE && i + 1 < path.size()) {
            parts.back() += path.substr(i, 2);
            ++i;
        } else if (c == '\\') {
            parts.emplace_back();
        } else {
            parts.back() += path[i];
        }
    }
    return parts;
}

// What Windows makes of the name holds nothing that a name may not hold.
bool NameWindowsTakes(std::string_view gbk) {
    const std::u16string name = tavo::GbkToUtf16(gbk);
    if (name.empty() || name == u"." || name == u"..")
        return false;
    for (const char16_t c : name)
        if (c < 32 || std::u16string_view(u"\\/:*?\"<>|").find(c) != std::u16string_view::npos)
            return false;
    return true;
}

bool AllDigits(std::string_view text, std::size_t count) {
    return text.size() == count && text.find_first_not_of("0123456789") == std::string_view::npos;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tavo;
    const std::filesystem::path& program = fuzz::ScratchProgramFolder();
    fuzz::FuzzInput input(data, size);
    const std::string_view address = input.Piece();
    const std::string_view plate = input.Piece();
    const std::string_view tag = input.Piece();
    const std::uint8_t suffixFlag = input.Byte();
    const std::string_view picture = input.Take(64);

    Bytes path;
    SaveCaptureImage(reinterpret_cast<const unsigned char*>(picture.data()),
                     static_cast<std::int32_t>(picture.size()), address, plate, suffixFlag, tag,
                     path);
    if (path.empty()) {
        // Only a name longer than the host's file system takes (255 bytes of UTF-8) may fail.
        FUZZ_CHECK(GbkToUtf8(address).size() > 200 ||
                   GbkToUtf8(plate).size() + GbkToUtf8(tag).size() > 200);
    } else {
        const std::vector<Bytes> parts = PathParts(path);
        FUZZ_CHECK(parts.size() == 6);
        FUZZ_CHECK(parts[0] == "Log");
        FUZZ_CHECK(NameWindowsTakes(parts[1]));
        FUZZ_CHECK(AllDigits(parts[2], 4) && AllDigits(parts[3], 2) && AllDigits(parts[4], 2));
        FUZZ_CHECK(NameWindowsTakes(parts[5]));
        FUZZ_CHECK(parts[5].ends_with(suffixFlag == 1 ? "_plate.jpg" : ".jpg"));

        // On disk: the file holds the picture and lies in the dated folder of its address folder
        // right below Log.
        const std::filesystem::path file = ProgramPath(path);
        std::ifstream in(file, std::ios::binary);
        FUZZ_CHECK(in.good());
        const Bytes stored((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        FUZZ_CHECK(stored == picture);
        const auto canonical = std::filesystem::canonical(file);
        const auto addressFolder =
            canonical.parent_path().parent_path().parent_path().parent_path();
        FUZZ_CHECK(addressFolder.parent_path() == std::filesystem::canonical(program / "Log"));
        FUZZ_CHECK(addressFolder == std::filesystem::canonical(ProgramPath("Log\\" + parts[1])));
    }
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator(program / "Log", ignored))
        std::filesystem::remove_all(entry.path(), ignored);
    return 0;
}

// The settings text reader and writer on any file: no crash; a value written under a usable
// section and key reads back (trimmed, as the store returns it); the lines the write did not
// touch keep every byte.
#include <optional>
#include <vector>

#include "records/IniText.h"
#include "tests/fuzz/FuzzInput.h"

namespace tavo::fuzz {
namespace {

bool IsLeadByte(char c) {
    return static_cast<unsigned char>(c) >= 0x81 && static_cast<unsigned char>(c) <= 0xFE;
}

// A name that a header or an entry line can carry and give back: one line, no blanks or
// control bytes around it, and nothing that would end it early.
bool UsableName(std::string_view name, bool section) {
    if (name != TrimText(name) || name.find_first_of("\r\n") != std::string_view::npos)
        return false;
    if (section) {
        if (name.find(']') != std::string_view::npos)
            return false;
        // A lead byte at the end would take the closing ']' as its second byte.
        for (std::size_t i = 0; i < name.size(); ++i)
            if (IsLeadByte(name[i]) && ++i == name.size())
                return false;
        return true;
    }
    return name.find('=') == std::string_view::npos && !name.starts_with('[');
}

// The lines of a text with their line ends, as a file holds them.
std::vector<std::string_view> Lines(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::size_t size = end == std::string_view::npos ? text.size() : end + 1;
        lines.push_back(text.substr(0, size));
        text.remove_prefix(size);
    }
    return lines;
}

// After the write, the old lines are all there, byte for byte, but for one line whose value
// changed, or one or two lines added in one place (the line before them may gain the line end
// it lacked).
bool OnlyTheWrittenLinesChanged(std::string_view before, std::string_view after) {
    const auto old = Lines(before);
    const auto now = Lines(after);
    if (now.size() == old.size()) {
        int changed = 0;
        for (std::size_t i = 0; i < old.size(); ++i)
            changed += old[i] != now[i];
        return changed <= 1;
    }
    if (now.size() < old.size() || now.size() > old.size() + 2)
        return false;
    const std::size_t added = now.size() - old.size();
    std::size_t at = 0;
    while (at < old.size() && old[at] == now[at])
        ++at;
    // A last line without its end may have gained one.
    if (at < old.size() && !old[at].ends_with('\n') && at + 1 == old.size() &&
        Bytes(old[at]) + "\r\n" == now[at] && at + 1 + added == now.size())
        return true;
    for (std::size_t i = at; i < old.size(); ++i)
        if (old[i] != now[i + added])
            return false;
    return true;
}

} // namespace
} // namespace tavo::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tavo;
    using namespace tavo::fuzz;
    FuzzInput input(data, size);
    const std::string_view section = input.Piece();
    const std::string_view key = input.Piece();
    const std::string_view value = input.Piece();
    const std::string_view file = input.Rest();

    IniText ini(file);
    FUZZ_CHECK(ini.ToBytes() == file);
    (void)ini.Read(section, key);
    const Bytes upperSection = UpperAsciiName(section);
    const Bytes upperKey = UpperAsciiName(key);
    ini.Write(upperSection, upperKey, value);
    if (!UsableName(section, true) || !UsableName(key, false))
        return 0;

    const Bytes written = ini.ToBytes();
    FUZZ_CHECK(OnlyTheWrittenLinesChanged(file, written));
    Bytes expected(value);
    for (char& c : expected)
        if (c == '\r' || c == '\n')
            c = ' ';
    const IniText reread(written);
    const std::optional<Bytes> read = reread.Read(section, key);
    FUZZ_CHECK(read.has_value());
    FUZZ_CHECK(TrimText(*read) == TrimText(expected));
    return 0;
}

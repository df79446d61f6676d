// An INI text on GBK bytes, read and changed the way Windows' profile functions do, so that
// settings files written by either side read the same on the other. Lines that a change does
// not touch keep their bytes (comments, blank lines, other sections, their line ends).
#pragma once

#include <optional>
#include <string_view>
#include <vector>

#include "common/Bytes.h"

namespace tavo {

// The name with every single-byte a..z made capital; bytes inside GBK double-byte characters
// stay as they are.
Bytes UpperAsciiName(std::string_view name);

class IniText {
public:
    explicit IniText(std::string_view bytes);

    // The whole text, to be written back.
    Bytes ToBytes() const;

    // The value of the first entry of the key in the section, as the profile functions return
    // it: the blanks around it removed, then one pair of enclosing quotes (" or ') removed.
    // Empty when the section holds no such key. Names match whatever their letter case.
    std::optional<Bytes> Read(std::string_view section, std::string_view key) const;

    // Puts the value under the key: replaces the first entry's value, or adds the entry at the
    // end of the section, or adds the section at the end of the text. The value is stored as
    // passed, except that line breaks become blanks (they would start lines of their own) and
    // a value that reading would unquote is quoted once more, so Read gives it back.
    void Write(std::string_view section, std::string_view key, std::string_view value);

    // Removes every section of that name with all its lines; true when one was found.
    bool EraseSection(std::string_view section);

private:
    struct Line {
        Bytes text;   // without its line end
        Bytes ending; // "\r\n", "\n", or empty on a last line without one
    };

    // The section name when the line is a section header.
    static std::optional<Bytes> SectionName(std::string_view line);
    // True when the line is an entry; its key and the raw value after the '='.
    static bool SplitEntry(std::string_view line, std::string_view& key, std::string_view& value);
    // The index of the line that holds the first entry of the key in any section of that name,
    // and the size of its raw value (the bytes after the '=').
    std::optional<std::size_t> FindEntry(std::string_view section, std::string_view key,
                                         std::size_t& rawValueSize) const;

    std::vector<Line> lines_;
};

} // namespace tavo

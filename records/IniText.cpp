// INI text on GBK bytes: section headers, key=value entries, everything else kept as it was.
#include "records/IniText.h"

#include "common/GbkText.h"

namespace tavo {

namespace {

bool SameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && UpperAsciiName(a) == UpperAsciiName(b);
}

bool IsQuote(char c) {
    return c == '"' || c == '\'';
}

// Reading would remove this pair of quotes.
bool IsQuoted(std::string_view trimmed) {
    return trimmed.size() >= 2 && IsQuote(trimmed.front()) && trimmed.back() == trimmed.front();
}

} // namespace

Bytes UpperAsciiName(std::string_view name) {
    Bytes upper(name);
    for (std::size_t i = 0; i < upper.size(); i += GbkCharacterLength(upper, i))
        if (upper[i] >= 'a' && upper[i] <= 'z')
            upper[i] = static_cast<char>(upper[i] - 'a' + 'A');
    return upper;
}

IniText::IniText(std::string_view bytes) {
    std::size_t start = 0;
    while (start < bytes.size()) {
        const std::size_t newline = bytes.find('\n', start);
        const std::size_t end = newline == std::string_view::npos ? bytes.size() : newline;
        std::string_view text = bytes.substr(start, end - start);
        std::string_view ending;
        if (newline != std::string_view::npos) {
            const bool crlf = !text.empty() && text.back() == '\r';
            if (crlf)
                text.remove_suffix(1);
            ending = bytes.substr(end - (crlf ? 1 : 0), crlf ? 2 : 1);
        }
        lines_.push_back(Line{Bytes(text), Bytes(ending)});
        start = end + 1;
    }
}

Bytes IniText::ToBytes() const {
    Bytes bytes;
    for (const Line& line : lines_)
        bytes += line.text + line.ending;
    return bytes;
}

std::optional<Bytes> IniText::SectionName(std::string_view line) {
    const Bytes trimmed = TrimText(line);
    if (trimmed.empty() || trimmed.front() != '[')
        return std::nullopt;
    // Walk as GBK: ']' (0x5D) can be the second byte of a double-byte character.
    for (std::size_t i = 1; i < trimmed.size(); i += GbkCharacterLength(trimmed, i))
        if (trimmed[i] == ']')
            return TrimText(std::string_view(trimmed).substr(1, i - 1));
    return std::nullopt;
}

bool IniText::SplitEntry(std::string_view line, std::string_view& key, std::string_view& value) {
    // '=' (0x3D) is never part of a double-byte character.
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos || SectionName(line))
        return false;
    key = line.substr(0, equals);
    value = line.substr(equals + 1);
    return true;
}

std::optional<std::size_t> IniText::FindEntry(std::string_view section, std::string_view key,
                                              std::size_t& rawValueSize) const {
    bool inSection = false;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        const Bytes& text = lines_[i].text;
        if (auto name = SectionName(text)) {
            inSection = SameName(*name, section);
            continue;
        }
        std::string_view entryKey, rawValue;
        if (inSection && SplitEntry(text, entryKey, rawValue) &&
            SameName(TrimText(entryKey), key)) {
            rawValueSize = rawValue.size();
            return i;
        }
    }
    return std::nullopt;
}

std::optional<Bytes> IniText::Read(std::string_view section, std::string_view key) const {
    std::size_t rawValueSize = 0;
    const auto entry = FindEntry(section, key, rawValueSize);
    if (!entry)
        return std::nullopt;
    const Bytes& text = lines_[*entry].text;
    Bytes value = TrimText(std::string_view(text).substr(text.size() - rawValueSize));
    if (IsQuoted(value))
        value = value.substr(1, value.size() - 2);
    return value;
}

void IniText::Write(std::string_view section, std::string_view key, std::string_view value) {
    Bytes stored(value);
    for (char& c : stored)
        if (c == '\r' || c == '\n')
            c = ' ';
    if (IsQuoted(TrimText(stored)))
        stored = "\"" + stored + "\"";

    // An existing entry, in any section of that name, gets the new value.
    std::size_t rawValueSize = 0;
    if (const auto entry = FindEntry(section, key, rawValueSize)) {
        Bytes& text = lines_[*entry].text;
        text.resize(text.size() - rawValueSize);
        text += stored;
        return;
    }

    // Otherwise the entry goes after the last non-blank line of the first section of that
    // name, or a new section goes at the end.
    std::optional<std::size_t> insertAt;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        const bool header = SectionName(lines_[i].text).has_value();
        if (insertAt && header)
            break;
        if (!insertAt && header && SameName(*SectionName(lines_[i].text), section))
            insertAt = i + 1;
        else if (insertAt && !TrimText(lines_[i].text).empty())
            insertAt = i + 1;
    }
    std::vector<Line> added;
    if (!insertAt)
        added.push_back(Line{Bytes(1, '[').append(section).append(1, ']'), "\r\n"});
    added.push_back(Line{Bytes(key).append(1, '=').append(stored), "\r\n"});
    const std::size_t at = insertAt.value_or(lines_.size());
    if (at > 0 && lines_[at - 1].ending.empty())
        lines_[at - 1].ending = "\r\n";
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), added.begin(), added.end());
}

bool IniText::EraseSection(std::string_view section) {
    bool erased = false;
    bool inSection = false;
    std::vector<Line> kept;
    for (Line& line : lines_) {
        if (auto name = SectionName(line.text))
            inSection = SameName(*name, section);
        if (inSection)
            erased = true;
        else
            kept.push_back(std::move(line));
    }
    lines_ = std::move(kept);
    return erased;
}

} // namespace tavo

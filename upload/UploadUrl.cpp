// Taking the UploadUrl setting apart.
#include "upload/UploadUrl.h"

#include <algorithm>
#include <cctype>

namespace tavo {

namespace {

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size())
        return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(text[i])) != prefix[i])
            return false;
    return true;
}

bool IsHostCharacter(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '.' || c == '_';
}

bool ParsePort(std::string_view digits, std::uint16_t& port) {
    if (digits.empty() || digits.size() > 5)
        return false;
    std::uint32_t value = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + static_cast<std::uint32_t>(c - '0');
    }
    if (value < 1 || value > 65535)
        return false;
    port = static_cast<std::uint16_t>(value);
    return true;
}

} // namespace

bool ParseUploadUrl(std::string_view url, UploadTarget& target) {
    if (url.empty() ||
        !std::all_of(url.begin(), url.end(), [](char c) { return c > 0x20 && c < 0x7F; }))
        return false;
    UploadTarget parsed;
    std::string_view rest;
    if (StartsWithNoCase(url, "http://")) {
        rest = url.substr(7);
    } else if (StartsWithNoCase(url, "https://")) {
        parsed.Secure = true;
        rest = url.substr(8);
    } else {
        return false;
    }
    const std::size_t fragment = rest.find('#');
    if (fragment != std::string_view::npos)
        rest = rest.substr(0, fragment);
    const std::size_t pathStart = rest.find_first_of("/?");
    std::string_view authority = rest.substr(0, pathStart);
    std::string_view path = pathStart == std::string_view::npos ? "" : rest.substr(pathStart);
    if (authority.find('@') != std::string_view::npos)
        return false;

    std::string_view host;
    std::string_view port;
    bool hasPort = false;
    if (!authority.empty() && authority.front() == '[') {
        const std::size_t close = authority.find(']');
        if (close == std::string_view::npos)
            return false;
        host = authority.substr(1, close - 1);
        const std::string_view after = authority.substr(close + 1);
        if (!after.empty()) {
            if (after.front() != ':')
                return false;
            hasPort = true;
            port = after.substr(1);
        }
        if (host.empty() || !std::all_of(host.begin(), host.end(), [](char c) {
                return std::isxdigit(static_cast<unsigned char>(c)) || c == ':' || c == '.';
            }))
            return false;
    } else {
        const std::size_t colon = authority.find(':');
        host = authority.substr(0, colon);
        if (colon != std::string_view::npos) {
            hasPort = true;
            port = authority.substr(colon + 1);
        }
        if (host.empty() || !std::all_of(host.begin(), host.end(), IsHostCharacter))
            return false;
    }
    parsed.Port = parsed.Secure ? 443 : 80;
    if (hasPort && !ParsePort(port, parsed.Port))
        return false;
    parsed.Host = host;
    if (path.empty() || path.front() == '?')
        parsed.PathAndQuery.push_back('/');
    parsed.PathAndQuery.append(path.data(), path.size());
    target = std::move(parsed);
    return true;
}

} // namespace tavo

// Where events go: the UploadUrl setting taken apart into what an HTTP client needs.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tavo {

struct UploadTarget {
    bool Secure = false;      // https
    std::string Host;         // a name, an IPv4 address, or an IPv6 address without brackets
    std::uint16_t Port = 0;   // 80 or 443 when the URL names none
    std::string PathAndQuery; // "/" when the URL has no path; the fragment is dropped
};

// Takes an "http://" or "https://" URL apart (the scheme in any case). The URL must be printable
// ASCII without blanks, with a host, and a port from 1 to 65535 when one is given; user names
// and passwords in the URL are not taken. True when the URL is usable; `target` is untouched
// otherwise.
bool ParseUploadUrl(std::string_view url, UploadTarget& target);

} // namespace tavo

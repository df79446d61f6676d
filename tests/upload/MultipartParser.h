// A multipart/form-data body taken apart the way a receiver does, independently of the station's
// builder: each part's headers and bytes by its field name. Shared by the unit and end-to-end
// tests.
#pragma once

#include <cstddef>
#include <map>
#include <string>

namespace tavo::test {

struct ParsedPart {
    std::string Disposition; // the Content-Disposition header's value
    std::string ContentType;
    std::string Data;
};

// The parts by name; empty when the body is malformed.
inline std::map<std::string, ParsedPart> ParseMultipart(const std::string& body,
                                                        const std::string& boundary) {
    std::map<std::string, ParsedPart> parts;
    const std::string delimiter = "--" + boundary;
    if (!body.starts_with(delimiter + "\r\n") || !body.ends_with("\r\n" + delimiter + "--\r\n"))
        return {};
    std::size_t pos = delimiter.size() + 2;
    for (;;) {
        const std::size_t headersEnd = body.find("\r\n\r\n", pos);
        const std::size_t next = body.find("\r\n" + delimiter, pos);
        if (headersEnd == std::string::npos || next == std::string::npos || next < headersEnd)
            return {};
        ParsedPart part;
        std::size_t line = pos;
        while (line < headersEnd) {
            const std::size_t end = body.find("\r\n", line);
            const std::string header = body.substr(line, end - line);
            if (header.starts_with("Content-Disposition: "))
                part.Disposition = header.substr(21);
            else if (header.starts_with("Content-Type: "))
                part.ContentType = header.substr(14);
            line = end + 2;
        }
        part.Data = body.substr(headersEnd + 4, next - headersEnd - 4);
        const std::size_t nameStart = part.Disposition.find("name=\"") + 6;
        const std::string name =
            part.Disposition.substr(nameStart, part.Disposition.find('"', nameStart) - nameStart);
        parts[name] = part;
        pos = next + 2 + delimiter.size();
        if (body.compare(pos, 2, "--") == 0)
            return parts;
        pos += 2; // CR LF after the delimiter
    }
}

} // namespace tavo::test

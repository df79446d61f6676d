// Building the request of one event.
#include "upload/UploadRequest.h"

#include <algorithm>
#include <map>

#include "common/GbkText.h"
#include "upload/UploadEvent.h"

namespace tavo {

namespace {

bool OccursIn(const std::vector<FormPart>& parts, std::string_view text) {
    return std::any_of(parts.begin(), parts.end(), [&](const FormPart& part) {
        return part.Data.find(text) != std::string::npos;
    });
}

} // namespace

std::string MultipartBoundary(const std::vector<FormPart>& parts, std::string_view seed) {
    std::string boundary(seed);
    for (unsigned counter = 1; OccursIn(parts, boundary); ++counter)
        boundary = std::string(seed) + "-" + std::to_string(counter);
    return boundary;
}

std::string MultipartBody(const std::vector<FormPart>& parts, std::string_view boundary) {
    std::string body;
    for (const FormPart& part : parts) {
        body += "--";
        body += boundary;
        body += "\r\nContent-Disposition: form-data; name=\"" + part.Name + "\"";
        if (!part.FileName.empty())
            body += "; filename=\"" + part.FileName + "\"";
        body += "\r\nContent-Type: " + part.ContentType + "\r\n\r\n";
        body += part.Data;
        body += "\r\n";
    }
    body += "--";
    body += boundary;
    body += "--\r\n";
    return body;
}

bool IsHeaderSafe(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= 0x20 && c < 0x7F; });
}

HttpRequest BuildEventRequest(std::string_view json, std::string_view id, std::string_view token,
                              bool pictures, const PictureReader& read) {
    HttpRequest request;
    if (!pictures) {
        request.Headers.emplace_back("Content-Type", "application/json");
        request.Body = json;
    } else {
        std::vector<FormPart> parts{{"event", "", "application/json", std::string(json)}};
        std::map<std::string, std::string> fields;
        ReadFlatJson(json, fields);
        const std::pair<const char*, const char*> pictureParts[] = {{"full", "fullPicture"},
                                                                    {"closeup", "closeUpPicture"}};
        for (const auto& [name, field] : pictureParts) {
            const std::string& path = fields[field];
            Bytes contents;
            if (!path.empty() && read(Utf8ToGbk(path), contents))
                parts.push_back(
                    {name, std::string(name) + ".jpg", "image/jpeg", std::move(contents)});
        }
        const std::string boundary = MultipartBoundary(parts, "tavoCamera-" + std::string(id));
        request.Headers.emplace_back("Content-Type", "multipart/form-data; boundary=" + boundary);
        request.Body = MultipartBody(parts, boundary);
    }
    request.Headers.emplace_back("Idempotency-Key", std::string(id));
    if (!token.empty())
        request.Headers.emplace_back("Authorization", "Bearer " + std::string(token));
    return request;
}

} // namespace tavo

// The HTTP request that carries one event: its headers, and its body as plain JSON or, with the
// pictures, as multipart/form-data with the parts "event", "full" and "closeup".
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "common/Bytes.h"

namespace tavo {

struct HttpRequest {
    // Every header the request carries, Content-Type first.
    std::vector<std::pair<std::string, std::string>> Headers;
    std::string Body; // bytes, sent as they are
};

// One part of a multipart/form-data body.
struct FormPart {
    std::string Name;        // the form field
    std::string FileName;    // empty for a field that is not a file
    std::string ContentType; // of the part's bytes
    std::string Data;
};

// A boundary that occurs in none of the parts' bytes: `seed` with a counter appended until it
// does not.
std::string MultipartBoundary(const std::vector<FormPart>& parts, std::string_view seed);

// The multipart/form-data body of the parts, with CR LF line ends, closed by "--boundary--".
std::string MultipartBody(const std::vector<FormPart>& parts, std::string_view boundary);

// Reads a picture of the archive by its path relative to the program folder (GBK): true with its
// bytes, false when it cannot be read.
using PictureReader = std::function<bool(const Bytes& gbkPath, Bytes& contents)>;

// Whether a text may stand in a header's value as it is: printable ASCII only, so no line end
// can be smuggled in.
bool IsHeaderSafe(std::string_view text);

// The request for one event's JSON text (as it waits in the outbox) whose id is `id`:
// Content-Type, Idempotency-Key and, with a token, "Authorization: Bearer <token>". Without
// pictures the body is the JSON itself (application/json); with them it is multipart with the
// JSON as part "event" and the two archived JPEG files, read through `read`, as the parts "full"
// and "closeup". A picture whose path is empty or that cannot be read is left out, the path in
// the JSON telling the receiver which picture the event had. `id` and `token` must be
// header-safe.
HttpRequest BuildEventRequest(std::string_view json, std::string_view id, std::string_view token,
                              bool pictures, const PictureReader& read);

} // namespace tavo

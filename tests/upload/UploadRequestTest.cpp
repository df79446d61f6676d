// The request that carries one event: headers, plain JSON body, multipart body with pictures.
#include <gtest/gtest.h>

#include <map>

#include "common/GbkText.h"
#include "tests/upload/MultipartParser.h"
#include "upload/UploadRequest.h"

namespace tavo {
namespace {

using Headers = std::vector<std::pair<std::string, std::string>>;

using test::ParsedPart;
using test::ParseMultipart;

constexpr char kJson[] = "{\"id\":\"ev-1\",\"fullPicture\":\"Log\\\\a\\\\full.jpg\","
                         "\"closeUpPicture\":\"Log\\\\a\\\\闽A_plate.jpg\"}";

PictureReader Pictures(std::map<Bytes, Bytes> files) {
    return [files](const Bytes& path, Bytes& contents) {
        const auto found = files.find(path);
        if (found == files.end())
            return false;
        contents = found->second;
        return true;
    };
}

TEST(EventRequest, WithoutPicturesIsTheJsonItselfWithTheIdAndToken) {
    const HttpRequest request = BuildEventRequest(kJson, "ev-1", "s3cret", false, Pictures({}));
    EXPECT_EQ(request.Headers, (Headers{{"Content-Type", "application/json"},
                                        {"Idempotency-Key", "ev-1"},
                                        {"Authorization", "Bearer s3cret"}}));
    EXPECT_EQ(request.Body, kJson);

    const HttpRequest noToken = BuildEventRequest(kJson, "ev-1", "", false, Pictures({}));
    EXPECT_EQ(noToken.Headers,
              (Headers{{"Content-Type", "application/json"}, {"Idempotency-Key", "ev-1"}}));
}

TEST(EventRequest, WithPicturesCarriesTheEventAndBothFilesByteForByte) {
    const Bytes full("\xFF\xD8 full\0\r\n--x \xFF\xD9", 15);
    const Bytes closeUp("\xFF\xD8\0\xFF\xD9", 5);
    const HttpRequest request = BuildEventRequest(
        kJson, "ev-1", "", true,
        Pictures({{"Log\\a\\full.jpg", full}, {Utf8ToGbk("Log\\a\\闽A_plate.jpg"), closeUp}}));
    ASSERT_EQ(request.Headers.size(), 2u);
    EXPECT_EQ(request.Headers[1], (std::pair<std::string, std::string>{"Idempotency-Key", "ev-1"}));
    const std::string prefix = "multipart/form-data; boundary=";
    ASSERT_TRUE(request.Headers[0].second.starts_with(prefix));
    const std::map<std::string, ParsedPart> parts =
        ParseMultipart(request.Body, request.Headers[0].second.substr(prefix.size()));
    ASSERT_EQ(parts.size(), 3u) << request.Body;
    EXPECT_EQ(parts.at("event").Data, kJson);
    EXPECT_EQ(parts.at("event").ContentType, "application/json");
    EXPECT_EQ(parts.at("event").Disposition, "form-data; name=\"event\"");
    EXPECT_EQ(parts.at("full").Data, full);
    EXPECT_EQ(parts.at("full").ContentType, "image/jpeg");
    EXPECT_EQ(parts.at("full").Disposition, "form-data; name=\"full\"; filename=\"full.jpg\"");
    EXPECT_EQ(parts.at("closeup").Data, closeUp);
    EXPECT_EQ(parts.at("closeup").Disposition,
              "form-data; name=\"closeup\"; filename=\"closeup.jpg\"");
}

TEST(EventRequest, LeavesOutAPictureThatWasNotArchivedOrCannotBeRead) {
    const std::string noCloseUp =
        "{\"id\":\"ev-2\",\"fullPicture\":\"Log\\\\gone.jpg\",\"closeUpPicture\":\"\"}";
    const HttpRequest request = BuildEventRequest(noCloseUp, "ev-2", "", true, Pictures({}));
    const std::string boundary = request.Headers[0].second.substr(30);
    const std::map<std::string, ParsedPart> parts = ParseMultipart(request.Body, boundary);
    ASSERT_EQ(parts.size(), 1u) << request.Body;
    EXPECT_EQ(parts.at("event").Data, noCloseUp);
}

TEST(MultipartBoundary, NeverOccursInAPart) {
    // Pictures that hold the seed, and the seed with the first counters, as bytes.
    const std::vector<FormPart> parts = {
        {"event", "", "application/json", "{}"},
        {"full", "full.jpg", "image/jpeg", "..tavoCamera-ev..tavoCamera-ev-1.."},
        {"closeup", "closeup.jpg", "image/jpeg", "tavoCamera-ev-2"},
    };
    const std::string boundary = MultipartBoundary(parts, "tavoCamera-ev");
    for (const FormPart& part : parts)
        EXPECT_EQ(part.Data.find(boundary), std::string::npos) << boundary;
    const std::map<std::string, ParsedPart> parsed =
        ParseMultipart(MultipartBody(parts, boundary), boundary);
    ASSERT_EQ(parsed.size(), 3u);
    for (const FormPart& part : parts)
        EXPECT_EQ(parsed.at(part.Name).Data, part.Data);
}

TEST(IsHeaderSafe, TakesPrintableAsciiOnly) {
    EXPECT_TRUE(IsHeaderSafe(""));
    EXPECT_TRUE(IsHeaderSafe("abc-DEF_123.~+/= !"));
    for (const char* unsafe : {"a\r\nX-Evil: 1", "tab\there", "\x7F", "\xC3\xF6"})
        EXPECT_FALSE(IsHeaderSafe(unsafe)) << unsafe;
}

} // namespace
} // namespace tavo

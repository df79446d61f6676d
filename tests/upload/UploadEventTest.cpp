// The event's JSON, its reading back, its time text and its ids.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <vector>

#include "common/GbkText.h"
#include "upload/UploadEvent.h"

namespace tavo {
namespace {

UploadEvent LeftEvent() {
    UploadEvent event;
    event.Id = "20240305T060709123Z-00000001-1a2b3c4d";
    event.Station = Utf8ToGbk("GATE-PC");
    event.Side = "left";
    event.CameraAddress = "192.168.1.100";
    event.Plate = Utf8ToGbk("闽AR2346");
    event.Time = LocalTime{2024, 3, 5, 14, 7, 9, 123};
    event.UtcOffsetMinutes = 480;
    event.State = "handled";
    event.FullPicture = Utf8ToGbk("Log\\192.168.1.100\\2024\\03\\05\\20240305140709_闽AR2346.jpg");
    event.CloseUpPicture =
        Utf8ToGbk("Log\\192.168.1.100\\2024\\03\\05\\20240305140709_闽AR2346_plate.jpg");
    return event;
}

TEST(EventJson, IsOneFlatObjectInUtf8WithTheFieldsInOrder) {
    EXPECT_EQ(EventJson(LeftEvent()),
              "{\"id\":\"20240305T060709123Z-00000001-1a2b3c4d\",\"station\":\"GATE-PC\","
              "\"side\":\"left\",\"cameraAddress\":\"192.168.1.100\",\"plate\":\"闽AR2346\","
              "\"time\":\"2024-03-05T14:07:09.123+08:00\",\"state\":\"handled\","
              "\"fullPicture\":\"Log\\\\192.168.1.100\\\\2024\\\\03\\\\05\\\\20240305140709_"
              "闽AR2346.jpg\",\"closeUpPicture\":\"Log\\\\192.168.1.100\\\\2024\\\\03\\\\05\\\\"
              "20240305140709_闽AR2346_plate.jpg\"}");

    // An offline result has no pictures: the paths are empty strings, not missing.
    UploadEvent offline = LeftEvent();
    offline.State = "offline";
    offline.FullPicture.clear();
    offline.CloseUpPicture.clear();
    const std::string json = EventJson(offline);
    EXPECT_NE(json.find("\"state\":\"offline\",\"fullPicture\":\"\",\"closeUpPicture\":\"\"}"),
              std::string::npos)
        << json;
}

TEST(EventJson, EscapesWhatAJsonStringCannotHoldAndReadsBackTheSame) {
    UploadEvent odd = LeftEvent();
    odd.Plate = Bytes("A\"B\\C\r\n\t\x01\x1F", 10);
    odd.Station = Utf8ToGbk("门岗/一号");
    const std::string json = EventJson(odd);
    EXPECT_NE(json.find(R"("plate":"A\"B\\C\r\n\t\u0001\u001F")"), std::string::npos) << json;

    std::map<std::string, std::string> fields;
    ASSERT_TRUE(ReadFlatJson(json, fields));
    EXPECT_EQ(fields.size(), 9u);
    EXPECT_EQ(fields["plate"], odd.Plate);
    EXPECT_EQ(fields["station"], "门岗/一号");
    EXPECT_EQ(fields["fullPicture"], GbkToUtf8(odd.FullPicture));
    EXPECT_EQ(fields["id"], odd.Id);
}

TEST(IsoLocalTime, CarriesMillisecondsAndTheSignedOffset) {
    struct Case {
        LocalTime time;
        int offset;
        const char* text;
    };
    const Case cases[] = {
        {{2024, 3, 5, 14, 7, 9, 123}, 480, "2024-03-05T14:07:09.123+08:00"},
        {{2024, 1, 1, 0, 0, 0, 0}, 0, "2024-01-01T00:00:00.000+00:00"},
        {{2023, 12, 31, 23, 59, 59, 999}, -300, "2023-12-31T23:59:59.999-05:00"},
        {{2024, 7, 1, 9, 5, 3, 7}, 345, "2024-07-01T09:05:03.007+05:45"},
        {{2024, 7, 1, 9, 5, 3, 7}, -570, "2024-07-01T09:05:03.007-09:30"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(IsoLocalTime(c.time, c.offset), c.text);
}

TEST(ReadFlatJson, ReadsEscapesAndBlanksAndRefusesAnythingButAnObjectOfStrings) {
    std::map<std::string, std::string> fields;
    ASSERT_TRUE(
        ReadFlatJson(" { \"a\" : \"x\\u00e9\\u95FD\\ud83d\\ude97\\/\" ,\"b\":\"\"}\r\n", fields));
    EXPECT_EQ(fields, (std::map<std::string, std::string>{{"a", "xé闽🚗/"}, {"b", ""}}));
    ASSERT_TRUE(ReadFlatJson("{}", fields));
    EXPECT_TRUE(fields.empty());

    const char* refused[] = {
        "",
        "[]",
        "{\"a\":1}",
        "{\"a\":null}",
        "{\"a\":\"x\",}",
        "{\"a\":\"x\"} trailing",
        "{\"a\":\"x\",\"a\":\"y\"}", // a repeated key
        "{\"a\":\"x\\q\"}",          // no such escape
        "{\"a\":\"\\u12\"}",         // short
        "{\"a\":\"\\ud83d\"}",       // a lone high surrogate
        "{\"a\":\"\\ude97\"}",       // a lone low surrogate
        "{\"a\":\"line\nend\"}",     // a raw control character
        "{\"a\":\"open}",
        "{a:\"x\"}",
    };
    for (const char* text : refused)
        EXPECT_FALSE(ReadFlatJson(text, fields)) << text;
}

TEST(EventIds, NameTheUtcMomentAndSortInTheOrderTheyWereMade) {
    EventIds ids(0x1a2b3c4d);
    // 2024-03-05 06:07:09.123 UTC.
    const std::int64_t moment = 1709618829123;
    EXPECT_EQ(ids.Next(moment), "20240305T060709123Z-00000001-1a2b3c4d");
    EXPECT_EQ(ids.Next(0), "19700101T000000000Z-00000002-1a2b3c4d");

    EventIds run(7);
    std::vector<std::string> made;
    for (const std::int64_t at : {moment, moment, moment + 1, moment + 999, moment + 86400000})
        made.push_back(run.Next(at));
    EXPECT_TRUE(std::is_sorted(made.begin(), made.end()));
    EXPECT_EQ(std::adjacent_find(made.begin(), made.end()), made.end());
    EXPECT_EQ(made.back(), "20240306T060709123Z-00000005-00000007");
}

#ifndef _WIN32
// The offset follows the time zone's rules at that moment, daylight saving time included.
TEST(LocalUtcOffset, FollowsTheTimeZoneAtThatMoment) {
    const char* before = std::getenv("TZ");
    const std::string saved = before ? before : "";
    struct Case {
        const char* zone;
        LocalTime time;
        int offset;
    };
    const Case cases[] = {
        {"CST-8", {2024, 3, 5, 14, 7, 9, 0}, 480},
        {"UTC0", {2024, 3, 5, 14, 7, 9, 0}, 0},
        {"EST5EDT,M3.2.0,M11.1.0", {2024, 1, 15, 12, 0, 0, 0}, -300},
        {"EST5EDT,M3.2.0,M11.1.0", {2024, 7, 15, 12, 0, 0, 0}, -240},
        {"IST-5:30", {2024, 7, 15, 12, 0, 0, 0}, 330},
    };
    for (const Case& c : cases) {
        setenv("TZ", c.zone, 1);
        tzset();
        EXPECT_EQ(LocalUtcOffsetMinutes(c.time), c.offset) << c.zone;
    }
    if (before)
        setenv("TZ", saved.c_str(), 1);
    else
        unsetenv("TZ");
    tzset();
}
#endif

} // namespace
} // namespace tavo

// The event the station posts for every result it handles: what it is made of, its JSON text
// (UTF-8, one flat object of strings), and the reading back of that text from the outbox.
//
// {"id":"20240305T060709123Z-00000001-1a2b3c4d","station":"GATE-PC","side":"left",
//  "cameraAddress":"192.168.1.100","plate":"闽AR2346","time":"2024-03-05T14:07:09.123+08:00",
//  "state":"handled","fullPicture":"Log\\192.168.1.100\\2024\\03\\05\\...jpg",
//  "closeUpPicture":"Log\\192.168.1.100\\2024\\03\\05\\..._plate.jpg"}
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

#include "common/Bytes.h"
#include "common/Clock.h"

namespace tavo {

struct UploadEvent {
    std::string Id;           // ASCII; unique per station and event, kept on every retry
    Bytes Station;            // GBK: the computer's name
    std::string Side;         // "left" or "right"
    Bytes CameraAddress;      // GBK, as the camera gave it
    Bytes Plate;              // GBK
    LocalTime Time;           // when the result reached the station, local time
    int UtcOffsetMinutes = 0; // the local time's offset from UTC then (east positive)
    std::string State;        // "handled", "offline" or "dropped"
    Bytes FullPicture;        // GBK path relative to the program folder; empty when not archived
    Bytes CloseUpPicture;     // likewise
};

// The event as one JSON object in UTF-8, its fields in the order above.
std::string EventJson(const UploadEvent& event);

// "2024-03-05T14:07:09.123+08:00": ISO 8601 with milliseconds and the offset ("+00:00" for UTC).
std::string IsoLocalTime(const LocalTime& time, int utcOffsetMinutes);

// A text as the contents of a JSON string (without the quotes): '"', '\' and control characters
// escaped, everything else as it is. The text must be UTF-8.
std::string JsonEscape(std::string_view utf8);

// Reads one JSON object whose values are all strings into `fields` (UTF-8, escapes undone).
// False when the text is anything else (another value type, a repeated key, trailing text, a
// malformed escape); `fields` is then unspecified.
bool ReadFlatJson(std::string_view json, std::map<std::string, std::string>& fields);

// Makes the ids of one run: "<UTC yyyymmddThhmmssmmmZ>-<sequence, 8 digits>-<run, 8 hex>".
// Names sorted as text come out in the order the ids were made (the clock permitting), and the
// run's random part keeps two runs apart even when a clock is set back.
class EventIds {
public:
    explicit EventIds(std::uint32_t run);
    // The next id for an event made at this UTC time (milliseconds since 1970).
    std::string Next(std::int64_t utcMilliseconds);

private:
    std::uint32_t run_;
    std::uint32_t sequence_ = 0;
};

// Milliseconds since 1970 in UTC, from the system clock.
std::int64_t UtcMillisecondsNow();

// A random number for EventIds, from the system's random source.
std::uint32_t RandomRunNumber();

// The offset from UTC, in minutes east, of this computer's local time at that moment
// (UploadEvent_posix.cpp, UploadEvent_win.cpp). 0 when it cannot be told.
int LocalUtcOffsetMinutes(const LocalTime& time);

} // namespace tavo

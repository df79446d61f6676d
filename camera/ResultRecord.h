// What became of one result a camera delivered: the record that the window thread hands on once
// the result is handled (or known to be lost), for the daily recognition index and the event feed.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "common/Bytes.h"
#include "common/Clock.h"

namespace tavo {

enum class ResultState : std::uint8_t {
    Handled, // the camera was online: archived, shown and sent as far as each step succeeded
    Offline, // the camera was offline when the result was handled: nothing archived or sent
    Dropped, // lost while waiting: the waiting results were full, or no message announced it
};

// The state's name in the daily index and in events: "handled", "offline" or "dropped".
constexpr std::string_view ResultStateName(ResultState state) {
    switch (state) {
    case ResultState::Offline:
        return "offline";
    case ResultState::Dropped:
        return "dropped";
    case ResultState::Handled:
        break;
    }
    return "handled";
}

struct TResultRecord {
    std::int32_t CameraId = 0; // 3 for the left camera, 13 for the right one
    Bytes Address;             // GBK, as the camera gave it
    Bytes Plate;               // GBK, as the camera gave it (not trimmed)
    LocalTime ReceivedAt;      // when the result reached the station
    bool Online = false;       // the camera's state when the result was handled
    Bytes FullPicturePath;     // relative to the program folder; empty when not archived
    Bytes CloseUpPicturePath;  // likewise
    // Results of the sends; empty when the send was not made.
    std::optional<bool> Broadcast; // the spoken phrase list (library thread)
    std::optional<bool> Serial;    // the bare plate text to the serial port (library thread)
    std::optional<bool> Command48;
    std::optional<bool> Command98;
    ResultState State = ResultState::Handled;
};

} // namespace tavo

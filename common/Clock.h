// The local clock. Every reading of the time in the station goes through NowLocal, so tests can
// put a clock of their own in its place and cross midnight or a second without waiting.
#pragma once

#include <functional>

namespace tavo {

struct LocalTime {
    int year = 0;        // four digits
    int month = 0;       // 1..12
    int day = 0;         // 1..31
    int hour = 0;        // 0..23
    int minute = 0;      // 0..59
    int second = 0;      // 0..59
    int millisecond = 0; // 0..999
};

// The local date and time now (or what the test clock says).
LocalTime NowLocal();

// Replaces the clock; an empty function puts the system clock back.
void SetClockForTesting(std::function<LocalTime()> clock);

namespace detail {
// Platform side (Clock_posix.cpp, Clock_win.cpp): the system's own reading.
LocalTime SystemLocalTime();
} // namespace detail

} // namespace tavo

// The local time's offset from UTC on Linux, from the C library's time zone.
#include "upload/UploadEvent.h"

#include <ctime>

namespace tavo {

int LocalUtcOffsetMinutes(const LocalTime& time) {
    std::tm local{};
    local.tm_year = time.year - 1900;
    local.tm_mon = time.month - 1;
    local.tm_mday = time.day;
    local.tm_hour = time.hour;
    local.tm_min = time.minute;
    local.tm_sec = time.second;
    local.tm_isdst = -1;
    if (std::mktime(&local) == static_cast<std::time_t>(-1))
        return 0;
    return static_cast<int>(local.tm_gmtoff / 60);
}

} // namespace tavo

// The local time's offset from UTC on Windows, from the computer's time zone and its rules for
// daylight saving time at that moment.
#include "upload/UploadEvent.h"

#include <windows.h>

namespace tavo {

namespace {

bool FileTimeOf(const SYSTEMTIME& time, ULONGLONG& ticks) {
    FILETIME file{};
    if (!SystemTimeToFileTime(&time, &file))
        return false;
    ticks = (static_cast<ULONGLONG>(file.dwHighDateTime) << 32) | file.dwLowDateTime;
    return true;
}

} // namespace

int LocalUtcOffsetMinutes(const LocalTime& time) {
    SYSTEMTIME local{};
    local.wYear = static_cast<WORD>(time.year);
    local.wMonth = static_cast<WORD>(time.month);
    local.wDay = static_cast<WORD>(time.day);
    local.wHour = static_cast<WORD>(time.hour);
    local.wMinute = static_cast<WORD>(time.minute);
    local.wSecond = static_cast<WORD>(time.second);
    SYSTEMTIME utc{};
    ULONGLONG localTicks = 0;
    ULONGLONG utcTicks = 0;
    if (!TzSpecificLocalTimeToSystemTime(nullptr, &local, &utc) || !FileTimeOf(local, localTicks) ||
        !FileTimeOf(utc, utcTicks))
        return 0;
    // 100-nanosecond ticks: 600,000,000 to the minute.
    const LONGLONG difference = static_cast<LONGLONG>(localTicks) - static_cast<LONGLONG>(utcTicks);
    return static_cast<int>(difference / 600000000LL);
}

} // namespace tavo

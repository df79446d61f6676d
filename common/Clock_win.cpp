// The local clock on Windows.
#include "common/Clock.h"

#include <windows.h>

namespace tavo::detail {

LocalTime SystemLocalTime() {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    return LocalTime{now.wYear,   now.wMonth,  now.wDay,         now.wHour,
                     now.wMinute, now.wSecond, now.wMilliseconds};
}

} // namespace tavo::detail

// Small tools of the camera link: the time stamp text that tags each camera object.
#pragma once

#include "common/Bytes.h"

namespace tavo {

// The local clock as milliseconds since 1970-01-01 00:00:00 local time, less eight hours, in
// decimal. On a clock that runs at UTC+8 that is the Unix time in milliseconds, or one less:
// the count is formed from day numbers in double precision, as the tag always has been.
Bytes TimeStampText();

} // namespace tavo

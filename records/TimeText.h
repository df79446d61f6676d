// The time texts of the records: folder dates and file-name stamps of the archive, file dates
// and line stamps of the logs. All digits, with leading zeros.
#pragma once

#include "common/Bytes.h"
#include "common/Clock.h"

namespace tavo {

// "yyyymmdd", for instance 20240305.
Bytes CompactDate(const LocalTime& time);

// "yyyymmddhhnnss", for instance 20240305140709.
Bytes CompactStamp(const LocalTime& time);

// "yyyy\mm\dd", for instance 2024\03\05.
Bytes DateFolders(const LocalTime& time);

// "YYYY-MM-DD HH:MM:SS " with its trailing blank, for instance "2024-03-05 14:07:09 ".
Bytes LogLineStamp(const LocalTime& time);

} // namespace tavo

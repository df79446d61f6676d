// Archive retention: a sweep that deletes what the station itself created once it is old, or
// once the archive's drive runs short of space. It deletes only
//   - day folders Log\<address>\yyyy\mm\dd whose names form a valid date, with the pictures in
//     them whose names have the archive's form (yyyymmddhhnnss_..., ending in .jpg),
//   - the month and year folders that this leaves empty,
//   - the daily logs Log\Debug\debugLog_YYYYMMDD.txt and Log\ErrorLog_YYYYMMDD.txt.
// Anything else (an operator's own file or folder) is left alone; a day folder that still holds
// such a thing is kept, with only the archive's pictures removed. Today's folder and logs are
// never deleted. Links are never followed. Each deleted day folder or log file is one debug-log
// line, each failure one error-log line; no failure stops the sweep of the rest.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string_view>

#include "common/Clock.h"

namespace tavo {

struct SweepRules {
    // Day folders and daily logs more than this many days before today are deleted; 0 keeps all.
    std::int32_t KeepDays = 0;
    // While the archive's drive has less free space than this many MiB, the oldest day folders
    // go, oldest first; 0 is off.
    std::int64_t MinFreeMB = 0;

    bool Any() const { return KeepDays > 0 || MinFreeMB > 0; }
};

// The bytes free for the station on the drive that holds the path; empty when it cannot be told.
using FreeSpaceFunction = std::function<std::optional<std::uint64_t>(const std::filesystem::path&)>;

// std::filesystem::space's `available`.
std::optional<std::uint64_t> DriveFreeSpace(const std::filesystem::path& path);

// One sweep of the program folder's Log folder by the rules, with `today` as the date that is
// never deleted. True when nothing failed and, with MinFreeMB, enough space is free at the end.
bool SweepArchive(const SweepRules& rules, const LocalTime& today,
                  const FreeSpaceFunction& freeSpace);

// The date of a name of the form yyyymmdd, or of the three folder names yyyy, mm, dd; false
// when the digits do not form a valid date.
bool DateOfNames(std::string_view year, std::string_view month, std::string_view day,
                 LocalTime& date);

// Days from 1970-01-01 to the date (negative before it).
std::int64_t DayNumber(const LocalTime& date);

} // namespace tavo

// The archive sweep: age and free-space retention of the day folders and the daily logs.
#include "records/ArchiveSweep.h"

#include <algorithm>
#include <string>
#include <system_error>
#include <vector>

#include "common/Bytes.h"
#include "common/GbkText.h"
#include "common/HostPath.h"
#include "records/tavoLogUnit.h"

namespace tavo {

namespace fs = std::filesystem;

namespace {

constexpr std::uint64_t kBytesPerMB = 1024 * 1024;
constexpr std::string_view kPictureExtension = ".jpg";
constexpr std::size_t kStampDigits = 14; // yyyymmddhhnnss

bool IsDigits(std::string_view text, std::size_t count) {
    return text.size() == count &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

int Number(std::string_view digits) {
    int value = 0;
    for (const char c : digits)
        value = value * 10 + (c - '0');
    return value;
}

int DaysInMonth(int year, int month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kDays[month - 1];
}

// A picture the archive wrote: the time stamp, "_", the plate (and maybe tag, counter and
// "_plate"), ".jpg".
bool IsArchivePictureName(std::string_view name) {
    return name.size() >= kStampDigits + 1 + kPictureExtension.size() &&
           IsDigits(name.substr(0, kStampDigits), kStampDigits) && name[kStampDigits] == '_' &&
           name.ends_with(kPictureExtension);
}

// A daily log: the stem, eight digits of a valid date, ".txt".
bool IsDailyLogName(std::string_view name, std::string_view stem, LocalTime& date) {
    constexpr std::string_view kExtension = ".txt";
    if (name.size() != stem.size() + 8 + kExtension.size() || !name.starts_with(stem) ||
        !name.ends_with(kExtension))
        return false;
    const std::string_view digits = name.substr(stem.size(), 8);
    return IsDigits(digits, 8) &&
           DateOfNames(digits.substr(0, 4), digits.substr(4, 2), digits.substr(6, 2), date);
}

Bytes NameOf(const fs::path& path) {
    return Utf16ToGbk(path.filename().u16string());
}

// A link is a link, never what it points to.
fs::file_type TypeOf(const fs::path& path) {
    if (IsHostLink(path))
        return fs::file_type::symlink;
    std::error_code error;
    return fs::symlink_status(path, error).type();
}

// The entries of a folder; a folder that cannot be read is one error-log line.
std::vector<fs::path> Entries(const fs::path& folder, const Bytes& relative, bool& ok) {
    std::vector<fs::path> entries;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error))
        entries.push_back(it->path());
    if (error) {
        ErrorLog(Utf8ToGbk("存档清理无法读取文件夹：") + relative + Utf8ToGbk("（错误 ") +
                 std::to_string(error.value()) + Utf8ToGbk("）"));
        ok = false;
    }
    std::sort(entries.begin(), entries.end());
    return entries;
}

struct DayFolder {
    std::int64_t Day = 0;
    Bytes Relative; // Log\<address>\yyyy\mm\dd
    fs::path Host;
};

class Sweep {
public:
    Sweep(const SweepRules& rules, const LocalTime& today, const FreeSpaceFunction& freeSpace)
        : rules_(rules), today_(DayNumber(today)), freeSpace_(freeSpace) {}

    bool Run() {
        std::vector<DayFolder> kept;
        for (const DayFolder& folder : FindDayFolders()) {
            if (folder.Day >= today_)
                continue; // today's, or dated ahead of the clock
            if (IsOld(folder.Day))
                Clean(folder, Utf8ToGbk("已删除过期的存档文件夹："));
            else
                kept.push_back(folder);
        }
        if (rules_.KeepDays > 0)
            SweepLogs();
        if (rules_.MinFreeMB > 0)
            KeepFreeSpace(kept);
        return ok_;
    }

private:
    bool IsOld(std::int64_t day) const {
        return rules_.KeepDays > 0 && today_ - day > rules_.KeepDays;
    }

    bool Remove(const fs::path& path, const Bytes& relative) {
        std::error_code error;
        if (fs::remove(path, error))
            return true;
        ErrorLog(Utf8ToGbk("存档清理删除失败：") + relative + Utf8ToGbk("（错误 ") +
                 std::to_string(error.value()) + Utf8ToGbk("）"));
        ok_ = false;
        return false;
    }

    // Log\<address>\yyyy\mm\dd with a valid date, oldest first.
    std::vector<DayFolder> FindDayFolders() {
        std::vector<DayFolder> found;
        const Bytes log = "Log";
        for (const fs::path& address : Entries(ProgramPath(log), log, ok_)) {
            if (TypeOf(address) != fs::file_type::directory)
                continue;
            const Bytes addressRelative = log + "\\" + NameOf(address);
            for (const fs::path& year : Entries(address, addressRelative, ok_)) {
                const Bytes yearName = NameOf(year);
                if (!IsDigits(yearName, 4) || TypeOf(year) != fs::file_type::directory)
                    continue;
                const Bytes yearRelative = addressRelative + "\\" + yearName;
                for (const fs::path& month : Entries(year, yearRelative, ok_)) {
                    const Bytes monthName = NameOf(month);
                    if (!IsDigits(monthName, 2) || TypeOf(month) != fs::file_type::directory)
                        continue;
                    const Bytes monthRelative = yearRelative + "\\" + monthName;
                    for (const fs::path& day : Entries(month, monthRelative, ok_)) {
                        const Bytes dayName = NameOf(day);
                        LocalTime date;
                        if (!IsDigits(dayName, 2) || TypeOf(day) != fs::file_type::directory ||
                            !DateOfNames(yearName, monthName, dayName, date))
                            continue;
                        found.push_back({DayNumber(date), monthRelative + "\\" + dayName, day});
                    }
                }
            }
        }
        std::stable_sort(found.begin(), found.end(),
                         [](const DayFolder& a, const DayFolder& b) { return a.Day < b.Day; });
        return found;
    }

    // Removes the archive's pictures from a day folder, then the folder when nothing else is in
    // it, then the month and year folders left empty.
    void Clean(const DayFolder& folder, const Bytes& deletedLine) {
        bool othersStay = false;
        bool failed = false;
        int removed = 0;
        for (const fs::path& entry : Entries(folder.Host, folder.Relative, ok_)) {
            const Bytes name = NameOf(entry);
            if (TypeOf(entry) == fs::file_type::regular && IsArchivePictureName(name)) {
                if (Remove(entry, folder.Relative + "\\" + name))
                    ++removed;
                else
                    failed = true;
            } else {
                othersStay = true;
            }
        }
        if (failed)
            return;
        if (othersStay) {
            if (removed > 0)
                DebugLog(Utf8ToGbk("存档文件夹中有其他文件，只删除了存档图片：") + folder.Relative);
            return;
        }
        if (!Remove(folder.Host, folder.Relative))
            return;
        DebugLog(deletedLine + folder.Relative);
        // The month folder, then the year folder, when this left them empty.
        fs::path parent = folder.Host.parent_path();
        Bytes relative = folder.Relative.substr(0, folder.Relative.rfind('\\'));
        for (int level = 0; level < 2; ++level) {
            std::error_code error;
            if (!fs::is_empty(parent, error) || error || !Remove(parent, relative))
                return;
            parent = parent.parent_path();
            relative = relative.substr(0, relative.rfind('\\'));
        }
    }

    void SweepLogs() {
        struct LogFolder {
            Bytes Relative;
            Bytes Stem;
        };
        const LogFolder folders[] = {{"Log\\Debug", DefaultLogName + "_"}, {"Log", "ErrorLog_"}};
        for (const LogFolder& folder : folders) {
            for (const fs::path& file :
                 Entries(ProgramPath(folder.Relative), folder.Relative, ok_)) {
                const Bytes name = NameOf(file);
                LocalTime date;
                if (!IsDailyLogName(name, folder.Stem, date) || !IsOld(DayNumber(date)) ||
                    TypeOf(file) != fs::file_type::regular)
                    continue;
                const Bytes relative = folder.Relative + "\\" + name;
                if (Remove(file, relative))
                    DebugLog(Utf8ToGbk("已删除过期的日志：") + relative);
            }
        }
    }

    // Deletes the oldest day folders while the drive has less free space than the rule asks.
    void KeepFreeSpace(const std::vector<DayFolder>& candidates) {
        const std::uint64_t wanted = static_cast<std::uint64_t>(rules_.MinFreeMB) * kBytesPerMB;
        const fs::path log = ProgramPath("Log");
        for (auto next = candidates.begin();; ++next) {
            const std::optional<std::uint64_t> free = freeSpace_ ? freeSpace_(log) : std::nullopt;
            if (!free) {
                ErrorLog(Utf8ToGbk("存档清理无法得知磁盘的剩余空间"));
                ok_ = false;
                return;
            }
            if (*free >= wanted)
                return;
            if (next == candidates.end()) {
                ErrorLog(Utf8ToGbk("磁盘剩余空间 ") + std::to_string(*free / kBytesPerMB) +
                         Utf8ToGbk(" MB，少于 MinFreeMB=") + std::to_string(rules_.MinFreeMB) +
                         Utf8ToGbk(" MB，已没有可删除的存档"));
                ok_ = false;
                return;
            }
            Clean(*next, Utf8ToGbk("磁盘空间不足，已删除存档文件夹："));
        }
    }

    const SweepRules& rules_;
    const std::int64_t today_;
    const FreeSpaceFunction& freeSpace_;
    bool ok_ = true;
};

} // namespace

std::optional<std::uint64_t> DriveFreeSpace(const fs::path& path) {
    std::error_code error;
    const fs::space_info space = fs::space(path, error);
    if (error)
        return std::nullopt;
    return space.available;
}

bool DateOfNames(std::string_view year, std::string_view month, std::string_view day,
                 LocalTime& date) {
    if (!IsDigits(year, 4) || !IsDigits(month, 2) || !IsDigits(day, 2))
        return false;
    const int y = Number(year);
    const int m = Number(month);
    const int d = Number(day);
    if (y < 1 || m < 1 || m > 12 || d < 1 || d > DaysInMonth(y, m))
        return false;
    date = LocalTime{y, m, d, 0, 0, 0, 0};
    return true;
}

std::int64_t DayNumber(const LocalTime& date) {
    // Days from the civil date (proleptic Gregorian), counted from a March-based year so that
    // the leap day comes last.
    const std::int64_t y = date.year - (date.month <= 2 ? 1 : 0);
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const std::int64_t yearOfEra = y - era * 400;
    const std::int64_t monthFromMarch = date.month > 2 ? date.month - 3 : date.month + 9;
    const std::int64_t dayOfYear = (153 * monthFromMarch + 2) / 5 + date.day - 1;
    const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

bool SweepArchive(const SweepRules& rules, const LocalTime& today,
                  const FreeSpaceFunction& freeSpace) {
    try {
        return Sweep(rules, today, freeSpace).Run();
    } catch (const std::exception& error) {
        ErrorLog(Utf8ToGbk("存档清理出错：") + Bytes(error.what()));
        return false;
    }
}

} // namespace tavo

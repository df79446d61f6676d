// The settings store: one value of bin\FormLayout.ini per call, the file read afresh each time
// and, when changed, replaced whole through a new file so that a failed write never leaves it
// half written.
#include "records/UMyUtils.h"

#include <filesystem>
#include <optional>
#include <system_error>

#include "common/HostFile.h"
#include "common/HostPath.h"
#include "records/IniText.h"

namespace tavo {

TUserPath UserPath;

namespace {

const std::string_view kDeletionMarkerKey = "!@#DelFlag";
const std::string_view kDeletionMarkerValue = "!@#339";

// The file's bytes; empty for a missing file. Empty optional when the file exists but cannot
// be read (a folder at its name, access refused).
std::optional<Bytes> ReadSettingsFile(const std::filesystem::path& path) {
    std::error_code error;
    if (!std::filesystem::exists(path, error) && !error)
        return Bytes();
    Bytes bytes;
    if (!ReadWholeHostFile(path, bytes))
        return std::nullopt;
    return bytes;
}

// Puts the bytes in the settings file's place through a new file beside it. Throws
// SettingsWriteError when any step fails; the old file then stays as it was.
void WriteSettingsFile(const std::filesystem::path& path, const Bytes& bytes) {
    if (!ReplaceHostFile(path, bytes))
        throw SettingsWriteError("the settings file cannot be written: " + UserPath.BinDir +
                                 UserPath.FormLayoutFile);
}

} // namespace

bool IniValue(std::string_view section, std::string_view key, Bytes& value, std::int32_t mode) {
    std::error_code ignored;
    std::filesystem::create_directories(ProgramPath(UserPath.BinDir), ignored);
    const std::filesystem::path path = ProgramPath(UserPath.BinDir + UserPath.FormLayoutFile);
    const Bytes upperSection = UpperAsciiName(section);
    const Bytes upperKey = UpperAsciiName(key);

    if (mode == kIniWrite) {
        const std::optional<Bytes> bytes = ReadSettingsFile(path);
        // Rewriting a file that could not be read would lose every other setting in it.
        if (!bytes)
            throw SettingsWriteError("the settings file cannot be read, so it is not rewritten: " +
                                     UserPath.BinDir + UserPath.FormLayoutFile);
        IniText ini(*bytes);
        ini.Write(upperSection, upperKey, value);
        WriteSettingsFile(path, ini.ToBytes());
        return true;
    }
    if (mode != kIniRead)
        return false;

    const std::optional<Bytes> bytes = ReadSettingsFile(path);
    if (!bytes)
        return false;
    IniText ini(*bytes);
    const Bytes marker = TrimText(ini.Read(upperSection, kDeletionMarkerKey).value_or("0"));
    if (marker == kDeletionMarkerValue) {
        ini.EraseSection(upperSection);
        WriteSettingsFile(path, ini.ToBytes());
        return false;
    }
    const std::optional<Bytes> stored = ini.Read(upperSection, upperKey);
    if (!stored)
        return false;
    value = TrimText(*stored);
    return true;
}

} // namespace tavo

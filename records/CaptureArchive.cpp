// The capture archive: each picture becomes a new JPEG file in Log\<address>\yyyy\mm\dd\ below
// the program folder. Whatever the camera reports as address or plate, nothing is written
// outside Log\, and no archived picture is ever replaced.
#include "records/CaptureArchive.h"

#include <filesystem>
#include <optional>
#include <string>
#include <system_error>

#include "common/Clock.h"
#include "common/GbkText.h"
#include "common/HostFile.h"
#include "common/HostPath.h"
#include "records/TimeText.h"

namespace tavo {

namespace {

// Counters of second-choice names go on past 9 until a name is free; this bound only keeps a
// file system that reports every name as taken from holding the window thread for ever.
constexpr std::int64_t kLastCounter = 99999;

// What a name cannot hold: separators, control characters and the characters that Windows
// refuses in a name (':' would also name a drive or an alternate stream).
bool IsPathHostile(char16_t c) {
    return c < 32 || std::u16string_view(u"\\/:*?\"<>|").find(c) != std::u16string_view::npos;
}

// The text as one piece of a name: each character a name cannot hold becomes '_'. The text is
// decoded as GBK, so a double-byte character stays whole even when its second byte is 0x5C
// ('\'). What the decoding makes '?' becomes '_' too: a lead byte without its trail byte (left
// alone it would join the separator that follows it into one character when the path is
// decoded), and a character that code page 936 does not define (0xFF, or an undefined pair),
// which would reach the host as '?' and could not be made.
Bytes SafeNamePiece(std::string_view text) {
    std::u16string wide = GbkToUtf16(text);
    for (char16_t& c : wide)
        if (IsPathHostile(c))
            c = u'_';
    Bytes piece = Utf16ToGbk(wide);
    // Every '?' is gone by now; one that encoding back made stands for a character that has
    // no GBK code of its own.
    for (char& c : piece)
        if (c == '?')
            c = '_';
    return piece;
}

// A folder name from the directory part. A name of dots and blanks only ("", ".", "..", and
// "..." which Windows reads as "..") would not be a folder of its own.
Bytes SafeFolderName(std::string_view directory) {
    Bytes name = SafeNamePiece(directory);
    if (name.find_first_not_of(". ") == Bytes::npos)
        return "_";
    return name;
}

// True when anything stands at the path, a dangling link included; empty when the file system
// cannot tell (a name longer than it takes, access refused): no later name would fare better.
std::optional<bool> NameTaken(const std::filesystem::path& path) {
    std::error_code error;
    const auto type = std::filesystem::symlink_status(path, error).type();
    if (type == std::filesystem::file_type::not_found)
        return false;
    if (error)
        return std::nullopt;
    return true;
}

std::function<void()>& WriteFailedHandler() {
    static std::function<void()> handler;
    return handler;
}

void ReportWriteFailed() {
    if (WriteFailedHandler())
        WriteFailedHandler()();
}

} // namespace

void SetArchiveWriteFailedHandler(std::function<void()> handler) {
    WriteFailedHandler() = std::move(handler);
}

void SaveCaptureImage(const unsigned char* picture, std::int32_t count, std::string_view directory,
                      std::string_view plate, std::uint8_t suffixFlag, std::string_view tag,
                      Bytes& pathWritten) {
    pathWritten.clear();
    if (count < 0 || (count > 0 && picture == nullptr))
        return;

    const Bytes folder = "Log\\" + SafeFolderName(directory) + "\\" + DateFolders(NowLocal());
    const std::filesystem::path hostFolder = ProgramPath(folder);
    std::error_code error;
    std::filesystem::create_directories(hostFolder, error);
    if (!std::filesystem::is_directory(hostFolder, error)) {
        ReportWriteFailed();
        return;
    }

    const Bytes namePlate = SafeNamePiece(plate);
    const Bytes nameTag = SafeNamePiece(tag);
    const Bytes suffix = suffixFlag == kPlateSuffixFlag ? "_plate.jpg" : ".jpg";

    // Counter -1 is the first choice; the clock is read anew for every name tried.
    for (std::int64_t counter = -1; counter <= kLastCounter; ++counter) {
        Bytes name = CompactStamp(NowLocal()) + "_" + namePlate;
        if (counter >= 0)
            name += "_" + nameTag + "_" + std::to_string(counter);
        name += suffix;
        const Bytes relative = folder + "\\" + name;
        const std::filesystem::path hostFile = ProgramPath(relative);
        const std::optional<bool> taken = NameTaken(hostFile);
        if (!taken) {
            ReportWriteFailed();
            return;
        }
        if (*taken)
            continue;
        HostFile file = CreateNewHostFile(hostFile);
        if (!file) {
            if (NameTaken(hostFile).value_or(false))
                continue; // another writer took the name in between
            ReportWriteFailed();
            return;
        }
        const std::string_view bytes(reinterpret_cast<const char*>(picture),
                                     static_cast<std::size_t>(count));
        if (!file.WriteAndClose(bytes)) {
            // A picture cut short is no picture: leave no file that looks archived.
            std::filesystem::remove(hostFile, error);
            ReportWriteFailed();
            return;
        }
        pathWritten = relative;
        return;
    }
}

} // namespace tavo

// The capture archive: each picture becomes a new JPEG file in Log\<address>\yyyy\mm\dd\ below
// the program folder. Whatever the camera reports as address or plate, nothing is written
// outside Log\, and no archived picture is ever replaced.
#include "records/CaptureArchive.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>

#include "common/Clock.h"
#include "common/GbkText.h"
#include "common/HostPath.h"
#include "records/NewHostFile.h"
#include "records/TimeText.h"

namespace tavo {

namespace {

// Counters of second-choice names go on past 9 until a name is free; this bound only keeps a
// file system that reports every name as taken from holding the window thread for ever.
constexpr std::int64_t kLastCounter = 99999;

bool IsGbkLeadByte(unsigned char c) {
    return c >= 0x81 && c <= 0xFE;
}
bool IsGbkTrailByte(unsigned char c) {
    return c >= 0x40 && c <= 0xFE && c != 0x7F;
}

// Separators, control bytes and the bytes that Windows refuses in a name (':' would also name
// a drive or an alternate stream).
bool IsPathHostileByte(unsigned char c) {
    return c < 32 || std::strchr("\\/:*?\"<>|", c) != nullptr;
}

// A byte or pair of bytes that code page 936 does not define: it decodes to '?', which Windows
// refuses in a name, so the file could not be made.
bool IsUndefinedCharacter(std::string_view character) {
    return GbkToUtf16(character) == u"?";
}

// The text as one piece of a name: each path-hostile byte becomes '_'. The text is walked as
// GBK, so a double-byte character stays whole even when its second byte is 0x5C ('\'). A lead
// byte without its trail byte becomes '_' too: left alone it would join the separator that
// follows it into one character when the path is decoded. So does a character that code page
// 936 does not define (0xFF, or an undefined pair).
Bytes SafeNamePiece(std::string_view text) {
    Bytes piece;
    piece.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (IsGbkLeadByte(c)) {
            if (i + 1 < text.size() && IsGbkTrailByte(static_cast<unsigned char>(text[i + 1]))) {
                const std::string_view pair = text.substr(i, 2);
                if (IsUndefinedCharacter(pair))
                    piece += '_';
                else
                    piece += pair;
                ++i;
            } else {
                piece += '_';
            }
        } else if (c >= 0x80) {
            piece += IsUndefinedCharacter(text.substr(i, 1)) ? '_' : text[i];
        } else {
            piece += IsPathHostileByte(c) ? '_' : text[i];
        }
    }
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

// True when anything stands at the path, a dangling link included.
bool NameTaken(const std::filesystem::path& path) {
    std::error_code error;
    return std::filesystem::symlink_status(path, error).type() !=
           std::filesystem::file_type::not_found;
}

// Writes all bytes and closes the file; false when any of it failed.
bool WriteAndClose(std::FILE* file, const unsigned char* picture, std::size_t count) {
    bool written = count == 0 || std::fwrite(picture, 1, count, file) == count;
    written = std::fclose(file) == 0 && written;
    return written;
}

} // namespace

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
    if (!std::filesystem::is_directory(hostFolder, error))
        return;

    const Bytes namePlate = SafeNamePiece(plate);
    const Bytes nameTag = SafeNamePiece(tag);
    const Bytes suffix = suffixFlag == 1 ? "_plate.jpg" : ".jpg";

    // Counter -1 is the first choice; the clock is read anew for every name tried.
    for (std::int64_t counter = -1; counter <= kLastCounter; ++counter) {
        Bytes name = CompactStamp(NowLocal()) + "_" + namePlate;
        if (counter >= 0)
            name += "_" + nameTag + "_" + std::to_string(counter);
        name += suffix;
        const Bytes relative = folder + "\\" + name;
        const std::filesystem::path hostFile = ProgramPath(relative);
        if (NameTaken(hostFile))
            continue;
        std::FILE* file = CreateNewHostFile(hostFile);
        if (file == nullptr) {
            if (NameTaken(hostFile))
                continue; // another writer took the name in between
            return;
        }
        if (!WriteAndClose(file, picture, static_cast<std::size_t>(count))) {
            // A picture cut short is no picture: leave no file that looks archived.
            std::filesystem::remove(hostFile, error);
            return;
        }
        pathWritten = relative;
        return;
    }
}

} // namespace tavo

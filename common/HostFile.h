// Files of the host: every file the station or the simulator reads or writes is opened here, as
// an owning handle that closes it when it goes, and the few whole-file chores (read it all,
// write it all and close, append, replace through a new file) are done once, each reporting
// whether it worked.
#pragma once

#include <cstdio>
#include <filesystem>
#include <string_view>

#include "common/Bytes.h"

namespace tavo {

// An open file of the host, or none. Closed when it goes; Close and WriteAndClose close it
// earlier and say whether everything written reached the file.
class HostFile {
public:
    HostFile() = default;
    explicit HostFile(std::FILE* file) : file_(file) {}
    HostFile(HostFile&& other) noexcept;
    HostFile& operator=(HostFile&& other) noexcept;
    HostFile(const HostFile&) = delete;
    HostFile& operator=(const HostFile&) = delete;
    ~HostFile();

    explicit operator bool() const { return file_ != nullptr; }
    std::FILE* Get() const { return file_; }

    // True when every byte was written (the empty text always is); false with no file open.
    bool Write(std::string_view bytes);
    // Appends the rest of the file to `out`; true when the end was reached without an error.
    bool ReadRest(Bytes& out);
    // Closes the file; true when it was open and closed without an error (buffered bytes
    // included).
    bool Close();
    // Writes all the bytes and closes the file; true only when both worked. The file is closed
    // either way.
    bool WriteAndClose(std::string_view bytes);

private:
    std::FILE* file_ = nullptr;
};

// fopen with a host path (wide on Windows); the handle is empty on failure.
HostFile OpenHostFile(const std::filesystem::path& path, const char* mode);

// Creates a file that must not exist yet and opens it for binary writing. Empty when anything
// already stands at the name (a file, a folder, a link) or the file cannot be created; an
// existing file is never opened, truncated or replaced, not even one that another writer
// created a moment after the caller looked for a free name.
HostFile CreateNewHostFile(const std::filesystem::path& path);

// Who may hold the file open for writing while it is read.
enum class WhileReading {
    WritersAllowed, // others may write, rename or delete the file meanwhile
    NoWriter,       // on Windows the read fails while anyone holds the file open for writing
};

// Reads the whole file into `contents`. False (and `contents` empty) when it cannot be opened
// or read, and, with WhileReading::NoWriter on Windows, while another holds it open for writing.
bool ReadWholeHostFile(const std::filesystem::path& path, Bytes& contents,
                       WhileReading sharing = WhileReading::WritersAllowed);

// Appends the bytes to the file, created when missing. True when all of them were written.
bool AppendToHostFile(const std::filesystem::path& path, std::string_view bytes);

// Puts a file with exactly these bytes at the path: they are written to a new file beside it
// (the name with ".new" added), which then takes the path's place. False when any step failed;
// the file at the path then stays as it was, and the new file is removed.
bool ReplaceHostFile(const std::filesystem::path& path, std::string_view bytes);

namespace detail {
// Platform side (HostFile_posix.cpp, HostFile_win.cpp): a file opened for binary reading with
// the given sharing.
HostFile OpenHostFileForReading(const std::filesystem::path& path, WhileReading sharing);
} // namespace detail

} // namespace tavo

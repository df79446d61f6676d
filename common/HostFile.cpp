// The owning file handle and the whole-file chores, the same on every host.
#include "common/HostFile.h"

#include <system_error>
#include <utility>

namespace tavo {

HostFile::HostFile(HostFile&& other) noexcept : file_(std::exchange(other.file_, nullptr)) {}

HostFile& HostFile::operator=(HostFile&& other) noexcept {
    if (this != &other) {
        Close();
        file_ = std::exchange(other.file_, nullptr);
    }
    return *this;
}

HostFile::~HostFile() {
    // Only reached on a path that has already failed; whoever must know uses Close.
    Close();
}

bool HostFile::Write(std::string_view bytes) {
    if (file_ == nullptr)
        return false;
    return bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), file_) == bytes.size();
}

bool HostFile::ReadRest(Bytes& out) {
    if (file_ == nullptr)
        return false;
    char buffer[64 * 1024];
    std::size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file_)) > 0)
        out.append(buffer, got);
    return std::ferror(file_) == 0;
}

bool HostFile::Close() {
    if (file_ == nullptr)
        return false;
    return std::fclose(std::exchange(file_, nullptr)) == 0;
}

bool HostFile::WriteAndClose(std::string_view bytes) {
    const bool written = Write(bytes);
    return Close() && written;
}

bool ReadWholeHostFile(const std::filesystem::path& path, Bytes& contents, WhileReading sharing) {
    contents.clear();
    HostFile file = detail::OpenHostFileForReading(path, sharing);
    if (file.ReadRest(contents) && file.Close())
        return true;
    contents.clear();
    return false;
}

bool AppendToHostFile(const std::filesystem::path& path, std::string_view bytes) {
    // "ab" appends to the file, or creates it when it is missing.
    return OpenHostFile(path, "ab").WriteAndClose(bytes);
}

bool ReplaceHostFile(const std::filesystem::path& path, std::string_view bytes) {
    std::filesystem::path fresh = path;
    fresh += ".new";
    bool written = OpenHostFile(fresh, "wb").WriteAndClose(bytes);
    std::error_code error;
    if (written) {
        std::filesystem::rename(fresh, path, error);
        written = !error;
    }
    if (!written)
        std::filesystem::remove(fresh, error);
    return written;
}

} // namespace tavo

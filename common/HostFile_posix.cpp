// Host files on Linux: paths are UTF-8 already; a new file is made with open(2)'s O_CREAT |
// O_EXCL, which also refuses a link at the name. Sharing is not enforced by Linux.
#include "common/HostFile.h"

#include <fcntl.h>
#include <unistd.h>

namespace tavo {

HostFile OpenHostFile(const std::filesystem::path& path, const char* mode) {
    return HostFile(std::fopen(path.c_str(), mode));
}

HostFile CreateNewHostFile(const std::filesystem::path& path) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0)
        return HostFile();
    std::FILE* file = ::fdopen(fd, "wb");
    if (file == nullptr)
        ::close(fd);
    return HostFile(file);
}

HostFile detail::OpenHostFileForReading(const std::filesystem::path& path, WhileReading) {
    return OpenHostFile(path, "rb");
}

} // namespace tavo

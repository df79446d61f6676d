// New files on Linux: open(2) with O_CREAT | O_EXCL, which also refuses a link at the name.
#include "records/NewHostFile.h"

#include <fcntl.h>
#include <unistd.h>

namespace tavo {

std::FILE* CreateNewHostFile(const std::filesystem::path& path) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0)
        return nullptr;
    std::FILE* file = ::fdopen(fd, "wb");
    if (file == nullptr)
        ::close(fd);
    return file;
}

} // namespace tavo

// New files on Windows: _wopen with _O_CREAT | _O_EXCL. The C runtime's fopen has no "x" mode
// in msvcrt.dll, which the station runs on, so the exclusive create goes through _wopen.
#include "records/NewHostFile.h"

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

namespace tavo {

std::FILE* CreateNewHostFile(const std::filesystem::path& path) {
    const int fd =
        _wopen(path.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
    if (fd < 0)
        return nullptr;
    std::FILE* file = _fdopen(fd, "wb");
    if (file == nullptr)
        _close(fd);
    return file;
}

} // namespace tavo

// Host files on Windows: wide paths through the C runtime. A new file is made with _wopen's
// _O_CREAT | _O_EXCL, because the C runtime the station runs on (msvcrt.dll) has no "x" mode
// for fopen. A file read with sharing rules of its own is opened with CreateFileW and handed to
// the C runtime.
#include "common/HostFile.h"

#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

#include <string>

namespace tavo {

namespace {

// A C runtime file over a kernel handle; the handle is closed on failure.
HostFile AdoptForReading(HANDLE handle) {
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_RDONLY | _O_BINARY);
    if (fd < 0) {
        CloseHandle(handle);
        return HostFile();
    }
    std::FILE* file = _fdopen(fd, "rb");
    if (file == nullptr)
        _close(fd); // closes the handle too
    return HostFile(file);
}

} // namespace

HostFile OpenHostFile(const std::filesystem::path& path, const char* mode) {
    std::wstring wideMode;
    for (const char* c = mode; *c; ++c)
        wideMode += static_cast<wchar_t>(*c);
    return HostFile(_wfopen(path.c_str(), wideMode.c_str()));
}

HostFile CreateNewHostFile(const std::filesystem::path& path) {
    const int fd =
        _wopen(path.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
    if (fd < 0)
        return HostFile();
    std::FILE* file = _fdopen(fd, "wb");
    if (file == nullptr)
        _close(fd);
    return HostFile(file);
}

HostFile detail::OpenHostFileForReading(const std::filesystem::path& path, WhileReading sharing) {
    // Without FILE_SHARE_WRITE the open fails while a writer still holds the file.
    const DWORD share = sharing == WhileReading::NoWriter
                            ? FILE_SHARE_READ
                            : FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    const HANDLE handle = CreateFileW(path.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return HostFile();
    return AdoptForReading(handle);
}

} // namespace tavo

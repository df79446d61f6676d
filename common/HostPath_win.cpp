// Windows side of the host paths: UTF-16 with '\', and the program folder is the exe's folder.
#include "common/HostPath.h"

#include <windows.h>

#include <algorithm>

#include "common/ModuleFolder_win.h"
#include "common/WideText_win.h"

namespace tavo {

bool IsHostLink(const std::filesystem::path& path) {
    // The standard library here does not tell links from what they point to.
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

namespace detail {

Bytes DefaultProgramFolder() {
    return GbkFromWide(ModuleFolder(nullptr));
}

std::filesystem::path HostPathFromUtf16(std::u16string text) {
    std::replace(text.begin(), text.end(), u'/', u'\\');
    return std::filesystem::path(ToWide(text));
}

} // namespace detail
} // namespace tavo

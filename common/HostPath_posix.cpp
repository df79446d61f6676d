// Linux side of the host paths: UTF-8 with '/', and the program folder is the folder of
// /proc/self/exe.
#include "common/HostPath.h"

#include <algorithm>
#include <system_error>

#include "common/GbkText.h"

namespace tavo {

bool IsHostLink(const std::filesystem::path& path) {
    std::error_code error;
    return std::filesystem::is_symlink(std::filesystem::symlink_status(path, error));
}

namespace detail {

Bytes DefaultProgramFolder() {
    std::error_code error;
    std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
    std::string folder = error ? std::string(".") : exe.parent_path().string();
    return Utf8ToGbk(folder) + "/";
}

std::filesystem::path HostPathFromUtf16(std::u16string text) {
    std::replace(text.begin(), text.end(), u'\\', u'/');
    return std::filesystem::path(Utf16ToUtf8(text));
}

} // namespace detail
} // namespace tavo

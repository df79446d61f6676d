// Linux side of the host paths: the program folder is the folder of /proc/self/exe.
#include "common/HostPath.h"

#include <system_error>

#include "common/GbkText.h"

namespace tavo {

Bytes DefaultProgramFolder() {
    std::error_code error;
    std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
    std::string folder = error ? std::string(".") : exe.parent_path().string();
    return Utf8ToGbk(folder) + "/";
}

std::FILE* OpenHostFile(const std::filesystem::path& path, const char* mode) {
    return std::fopen(path.c_str(), mode);
}

} // namespace tavo

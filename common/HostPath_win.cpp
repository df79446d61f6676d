// Windows side of the host paths: the program folder is the exe's folder.
#include "common/HostPath.h"

#include <windows.h>

#include <string>
#include <vector>

#include "common/GbkText.h"

namespace tavo {

Bytes DefaultProgramFolder() {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0)
            return ".\\";
        if (length < buffer.size()) {
            std::u16string path(buffer.begin(), buffer.begin() + length);
            const auto slash = path.find_last_of(u"\\/");
            path.resize(slash == std::u16string::npos ? 0 : slash + 1);
            return path.empty() ? Bytes(".\\") : Utf16ToGbk(path);
        }
        buffer.resize(buffer.size() * 2);
    }
}

std::FILE* OpenHostFile(const std::filesystem::path& path, const char* mode) {
    std::wstring wideMode;
    for (const char* c = mode; *c; ++c)
        wideMode += static_cast<wchar_t>(*c);
    return _wfopen(path.c_str(), wideMode.c_str());
}

} // namespace tavo

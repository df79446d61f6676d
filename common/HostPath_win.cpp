// Windows side of the host paths: UTF-16 with '\', and the program folder is the exe's folder.
#include "common/HostPath.h"

#include <windows.h>

#include <vector>

#include "common/GbkText.h"

namespace tavo::detail {

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

std::filesystem::path HostPathFromUtf16(std::u16string text) {
    for (char16_t& c : text)
        if (c == u'/')
            c = u'\\';
    return std::filesystem::path(std::wstring(text.begin(), text.end()));
}

} // namespace tavo::detail

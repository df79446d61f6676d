// GetModuleFileNameW, with a buffer that grows until the whole name fits.
#include "common/ModuleFolder_win.h"

#include <vector>

namespace tavo {

std::wstring ModuleFolder(HMODULE module) {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(module, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0)
            return L".\\";
        if (length < buffer.size()) {
            const std::wstring path(buffer.data(), length);
            const auto slash = path.find_last_of(L"\\/");
            return slash == std::wstring::npos ? L".\\" : path.substr(0, slash + 1);
        }
        buffer.resize(buffer.size() * 2);
    }
}

} // namespace tavo

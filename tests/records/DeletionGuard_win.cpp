// Windows: the file held open without delete sharing.
#include <windows.h>

#include "DeletionGuard.h"

namespace tavo {

DeletionGuard::DeletionGuard(const std::filesystem::path& file) : file_(file) {
    const HANDLE handle = CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle != INVALID_HANDLE_VALUE) {
        handle_ = handle;
        holds_ = true;
    }
}

DeletionGuard::~DeletionGuard() {
    if (handle_ != nullptr)
        CloseHandle(static_cast<HANDLE>(handle_));
}

bool MakeFolderLink(const std::filesystem::path& target, const std::filesystem::path& link) {
    return CreateSymbolicLinkW(link.c_str(), target.c_str(),
                               SYMBOLIC_LINK_FLAG_DIRECTORY |
                                   SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE) != FALSE;
}

} // namespace tavo

// The program folder and GBK path texts mapped to the host.
#include "common/HostPath.h"

#include <optional>

#include "common/GbkText.h"

namespace tavo {

namespace {

std::optional<Bytes>& ProgramFolderOverride() {
    static std::optional<Bytes> folder;
    return folder;
}

bool EndsInSeparator(std::string_view text) {
    return !text.empty() && (text.back() == '\\' || text.back() == '/');
}

} // namespace

const Bytes& ProgramFolder() {
    auto& folder = ProgramFolderOverride();
    if (!folder)
        folder = detail::DefaultProgramFolder();
    return *folder;
}

void SetProgramFolder(std::string_view gbkFolder) {
    Bytes folder(gbkFolder);
    if (!EndsInSeparator(folder))
        folder += '\\';
    ProgramFolderOverride() = std::move(folder);
}

std::filesystem::path ProgramPath(std::string_view gbkRelativePath) {
    return ToHostPath(ProgramFolder() + Bytes(gbkRelativePath));
}

std::filesystem::path ToHostPath(std::string_view gbkPath) {
    // Decode first, so that a 0x5C trail byte of a double-byte character is never taken for a
    // separator.
    return detail::HostPathFromUtf16(GbkToUtf16(gbkPath));
}

} // namespace tavo

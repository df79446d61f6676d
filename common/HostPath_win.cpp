// Windows side of the host paths: UTF-16 with '\', and the program folder is the exe's folder.
#include "common/HostPath.h"

#include <algorithm>

#include "common/ModuleFolder_win.h"
#include "common/WideText_win.h"

namespace tavo::detail {

Bytes DefaultProgramFolder() {
    return GbkFromWide(ModuleFolder(nullptr));
}

std::filesystem::path HostPathFromUtf16(std::u16string text) {
    std::replace(text.begin(), text.end(), u'/', u'\\');
    return std::filesystem::path(ToWide(text));
}

} // namespace tavo::detail

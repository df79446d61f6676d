// The scratch program folder of a fuzz target.
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "common/GbkText.h"
#include "common/HostPath.h"
#include "tests/fuzz/FuzzInput.h"

namespace tavo::fuzz {

namespace {

std::filesystem::path* folder = nullptr;

void RemoveFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(*folder, ignored);
}

} // namespace

const std::filesystem::path& ScratchProgramFolder() {
    if (folder == nullptr) {
        // Memory-backed when the machine has it: the targets that touch files do so per input.
        const std::filesystem::path base = std::filesystem::is_directory("/dev/shm")
                                               ? std::filesystem::path("/dev/shm")
                                               : std::filesystem::temp_directory_path();
        folder = new std::filesystem::path(base / ("tavo-fuzz-" + std::to_string(getpid())));
        std::filesystem::remove_all(*folder);
        std::filesystem::create_directories(*folder);
        std::atexit(RemoveFolder);
        SetProgramFolder(Utf16ToGbk(folder->u16string()));
    }
    return *folder;
}

} // namespace tavo::fuzz

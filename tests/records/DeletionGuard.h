// File system conditions that the archive sweep must cope with, made the host's own way: a file
// that cannot be deleted, and a folder that is a link to elsewhere.
//
// DeletionGuard keeps a file from being deleted while it lives: on Windows the file is held open
// without delete sharing, on Linux it is made immutable (which works for root as well).
#pragma once

#include <filesystem>

namespace tavo {

class DeletionGuard {
public:
    explicit DeletionGuard(const std::filesystem::path& file);
    ~DeletionGuard();
    DeletionGuard(const DeletionGuard&) = delete;
    DeletionGuard& operator=(const DeletionGuard&) = delete;

    // False when this system would not let the file be guarded.
    bool Holds() const { return holds_; }

private:
    std::filesystem::path file_;
    bool holds_ = false;
    void* handle_ = nullptr;
};

// Makes `link` a link to the folder `target` (a symbolic link; on Windows a directory symbolic
// link). False when this system would not make it.
bool MakeFolderLink(const std::filesystem::path& target, const std::filesystem::path& link);

} // namespace tavo

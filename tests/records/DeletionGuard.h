// Keeps a file from being deleted while the guard lives, so that a test can show what happens
// when a deletion fails: on Windows the file is held open without delete sharing, on Linux it is
// made immutable (which works for root as well).
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

} // namespace tavo

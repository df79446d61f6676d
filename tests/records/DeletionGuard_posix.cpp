// Linux: the immutable flag of the file system.
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include "DeletionGuard.h"

namespace tavo {

namespace {

bool SetImmutable(const std::filesystem::path& file, bool on) {
    const int fd = open(file.c_str(), O_RDONLY | O_NONBLOCK);
    if (fd < 0)
        return false;
    int flags = 0;
    bool done = ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (done) {
        flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
        done = ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    close(fd);
    return done;
}

} // namespace

DeletionGuard::DeletionGuard(const std::filesystem::path& file) : file_(file) {
    holds_ = SetImmutable(file_, true);
}

DeletionGuard::~DeletionGuard() {
    if (holds_)
        SetImmutable(file_, false);
}

bool MakeFolderLink(const std::filesystem::path& target, const std::filesystem::path& link) {
    std::error_code error;
    std::filesystem::create_directory_symlink(target, link, error);
    return !error;
}

} // namespace tavo

// Flushing a file to the disk on Linux.
#include <unistd.h>

#include <cstdio>

#include "upload/Outbox.h"

namespace tavo {

bool FlushToDisk(std::FILE* file) {
    return std::fflush(file) == 0 && fsync(fileno(file)) == 0;
}

} // namespace tavo

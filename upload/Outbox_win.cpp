// Flushing a file to the disk on Windows: the C runtime's buffer, then the system's (_commit).
#include <io.h>

#include <cstdio>

#include "upload/Outbox.h"

namespace tavo {

bool FlushToDisk(std::FILE* file) {
    return std::fflush(file) == 0 && _commit(_fileno(file)) == 0;
}

} // namespace tavo

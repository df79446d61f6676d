// Creating a file that must not exist yet: the archive never replaces a picture, not even one
// that another writer created a moment after the archive looked for a free name.
#pragma once

#include <cstdio>
#include <filesystem>

namespace tavo {

// Creates the file and opens it for binary writing. Null when anything already stands at the
// name (a file, a folder, a link) or the file cannot be created; an existing file is never
// opened, truncated or replaced.
std::FILE* CreateNewHostFile(const std::filesystem::path& path);

} // namespace tavo

// Paths: the station forms every path as GBK text with '\' as separator, relative to or inside
// the program folder. This is the one place where such a text becomes a path of the host:
// UTF-16 on Windows, UTF-8 with '/' on Linux.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "common/Bytes.h"

namespace tavo {

// The program folder as GBK text with its trailing separator: the exe's folder on Windows,
// the running program's folder on Linux, unless set with SetProgramFolder.
const Bytes& ProgramFolder();

// Points the program folder somewhere else (tests use a temporary folder). The text is GBK and
// should end in a separator; one is added when it does not.
void SetProgramFolder(std::string_view gbkFolder);

// Maps a GBK path text (absolute, or relative to the current folder) to the host's path.
// Both '\' and '/' count as separators; a 0x5C byte inside a double-byte character does not.
std::filesystem::path ToHostPath(std::string_view gbkPath);

// The host path of a GBK path relative to the program folder.
std::filesystem::path ProgramPath(std::string_view gbkRelativePath);

// True when the entry at the path is itself a link to elsewhere: a symbolic link, or on Windows
// any reparse point (a junction too). The link is not followed; a missing entry is no link.
bool IsHostLink(const std::filesystem::path& path);

namespace detail {
// Platform side (HostPath_posix.cpp, HostPath_win.cpp).
// The program folder when none was set, as GBK text with its trailing separator.
Bytes DefaultProgramFolder();
// A decoded path text as a host path, with '\' and '/' both taken as separators.
std::filesystem::path HostPathFromUtf16(std::u16string text);
} // namespace detail

} // namespace tavo

// Where a simulated camera lives on disk and what its folder holds: the sim root, the camera
// folder of an address, the switch files (offline, fail-serial, fail-broadcast) and camera.ini.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tavo::sim {

// The camera folder of an address when the folder exists below the sim root (%ICE_SIM_ROOT%
// when set, else "sim" beside this library, read at every call) and the address can only name
// a folder directly below it (no separators, no names that Windows would read as another).
std::optional<std::wstring> FindCameraFolder(std::string_view gbkAddress);

// Whether the folder exists (a camera whose folder is gone is unreachable).
bool FolderExists(const std::wstring& folder);

// Whether a file of this name exists in the folder (the switch files).
bool HasSwitchFile(const std::wstring& folder, const wchar_t* name);

// The shortest replay period that camera.ini may ask for.
constexpr int kShortestReplayMilliseconds = 10;

// ReplayEverySeconds from the camera folder's camera.ini, in milliseconds: N seconds, or a
// fraction such as 0.2 with at most three decimals, between 0.01 and 86400 seconds; else 0 (no
// file, no such key, or a value out of range). Lines are "key=value"; the key is matched without
// regard to case, blanks around key and value are ignored, and "[section]" lines and lines
// starting with ';' or '#' are skipped.
int ReadReplayMilliseconds(const std::wstring& cameraFolder);

// How long Close takes, from the switch file "slow-close" in the camera folder: its text is a
// number of milliseconds (blanks around it ignored), at most 600000. 0 when there is no such
// file or its text is not such a number.
int ReadSlowCloseMilliseconds(const std::wstring& cameraFolder);

} // namespace tavo::sim

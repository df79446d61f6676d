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

// ReplayEverySeconds from the camera folder's camera.ini: N between 1 and 86400, else 0
// (no file, no such key, or a value out of range). Lines are "key=value"; the key is matched
// without regard to case, blanks around key and value are ignored, and "[section]" lines and
// lines starting with ';' or '#' are skipped.
int ReadReplaySeconds(const std::wstring& cameraFolder);

} // namespace tavo::sim

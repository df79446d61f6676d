// The folder of a module's file: the station's exe (its program folder) or the simulator's DLL
// (beside which its cameras live).
#pragma once

#include <windows.h>

#include <string>

namespace tavo {

// The folder of the module's file (null: the exe) with its trailing separator; ".\" when the
// name cannot be had or has no folder part. Names longer than MAX_PATH are read whole.
std::wstring ModuleFolder(HMODULE module);

} // namespace tavo

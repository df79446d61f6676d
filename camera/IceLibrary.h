// The one table through which the station calls the camera vendor's library. On Windows it is
// filled from ice_ipcsdk.dll beside the exe; tests put fakes in it. Until it is filled, every
// entry fails, so a station without the library starts and simply opens no camera.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "camera/ice_ipcsdk.h"

namespace tavo {

struct IceLibrary {
    // Prepares the library for use. Called once before the first camera object exists. The
    // result is ignored.
    ICE_IPCSDK_Init_t Init;

    // Releases the library. Called once after the last camera object is gone. The result is
    // ignored.
    ICE_IPCSDK_Fini_t Fini;

    // Connects to the camera at a NUL-terminated address, draws its live video into the given
    // window and from then on calls the callback with param once per recognised plate, on a
    // thread of the library's own. Returns the handle; 0 means the camera was not opened and
    // no callback will come.
    ICE_IPCSDK_OpenPreview_t OpenPreview;

    // Closes a handle. Once it has returned, no callback for that handle runs or starts: a
    // callback that was running has finished. The result is ignored.
    ICE_IPCSDK_Close_t Close;

    // Nonzero when the camera behind the handle is online, 0 when it is not.
    ICE_IPCSDK_GetStatus_t GetStatus;

    // Sends count bytes, unchanged, to the camera's serial port. Exactly 1 means they were sent;
    // anything else is a failure. May be called from inside the callback for its own handle.
    ICE_IPCSDK_TransSerialPort_t TransSerialPort;

    // Has the camera speak a NUL-terminated phrase number list such as "121,76,92". Exactly 1
    // means success; anything else is a failure. May be called from inside the callback.
    ICE_IPCSDK_BroadcastGroup_t BroadcastGroup;
};

// The library's exported names, in the order of the table.
constexpr std::array<std::string_view, 7> kIceFunctionNames = {
    "ICE_IPCSDK_Init",          "ICE_IPCSDK_Fini",      "ICE_IPCSDK_OpenPreview",
    "ICE_IPCSDK_Close",         "ICE_IPCSDK_GetStatus", "ICE_IPCSDK_TransSerialPort",
    "ICE_IPCSDK_BroadcastGroup"};

// The table in which every function fails: open gives 0, status 0, sends and broadcasts 0.
const IceLibrary& FailingIceLibrary();

// Replaces the table the station calls through. Set it while no camera is open; the library
// thread reads it without a lock.
void SetIceLibrary(const IceLibrary& library);

// The table in use.
const IceLibrary& Ice();

#ifdef _WIN32
// Loads ice_ipcsdk.dll from the program folder and resolves the seven names. True when all were
// found; otherwise the failing table stays in place and one error-log line names the library or
// the names that were missing.
bool LoadIceLibrary();
#endif

// One-line wrappers, so that callers never touch the table directly.
inline void IceInit() {
    Ice().Init();
}
inline void IceFini() {
    Ice().Fini();
}
inline ICE_HANDLE IceOpenPreview(const char* address, std::uintptr_t videoWindow,
                                 ICE_IPCSDK_OnPlate onPlate, void* param) {
    return Ice().OpenPreview(address, 1, 1, videoWindow, onPlate, param);
}
inline void IceClose(ICE_HANDLE handle) {
    Ice().Close(handle);
}
inline bool IceGetStatus(ICE_HANDLE handle) {
    return Ice().GetStatus(handle) != 0;
}
inline bool IceTransSerialPort(ICE_HANDLE handle, const char* bytes, std::int32_t count) {
    return Ice().TransSerialPort(handle, bytes, count) == 1;
}
inline bool IceBroadcastGroup(ICE_HANDLE handle, const char* phrases) {
    return Ice().BroadcastGroup(handle, phrases) == 1;
}

} // namespace tavo

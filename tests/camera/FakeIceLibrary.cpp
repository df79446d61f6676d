// The recording stand-in for the vendor library.
#include "FakeIceLibrary.h"

#include <algorithm>

#include "camera/UnitVerizCamera.h"

namespace tavo::test {

std::mutex fakeLock;
FakeIceState fakeState;

namespace {

std::string WithHandle(const char* name, ICE_HANDLE handle) {
    return std::string(name) + " " + std::to_string(handle);
}

int32_t ICE_CALL FakeInit() {
    std::lock_guard guard(fakeLock);
    fakeState.Calls.push_back("Init");
    fakeState.CameraExistedAtInit = Camera3 != nullptr;
    return 1;
}

int32_t ICE_CALL FakeFini() {
    std::lock_guard guard(fakeLock);
    fakeState.Calls.push_back("Fini");
    fakeState.CameraExistedAtFini = Camera3 != nullptr;
    return 1;
}

ICE_HANDLE ICE_CALL FakeOpenPreview(const char* address, int32_t fixedOne, int32_t fixedAlsoOne,
                                    uintptr_t videoWindow, ICE_IPCSDK_OnPlate onPlate,
                                    void* param) {
    std::lock_guard guard(fakeLock);
    fakeState.Opens.push_back({address, fixedOne, fixedAlsoOne, videoWindow, onPlate, param});
    fakeState.Calls.push_back(WithHandle("Open", fakeState.NextHandle));
    return fakeState.NextHandle;
}

int32_t ICE_CALL FakeClose(ICE_HANDLE handle) {
    std::lock_guard guard(fakeLock);
    fakeState.Calls.push_back(WithHandle("Close", handle));
    return 1;
}

int32_t ICE_CALL FakeGetStatus(ICE_HANDLE handle) {
    std::lock_guard guard(fakeLock);
    fakeState.Calls.push_back(WithHandle("Status", handle));
    const auto& offline = fakeState.OfflineHandles;
    if (std::find(offline.begin(), offline.end(), handle) != offline.end())
        return 0;
    return fakeState.Status;
}

int32_t ICE_CALL FakeTransSerialPort(ICE_HANDLE handle, const char* bytes, int32_t count) {
    std::lock_guard guard(fakeLock);
    fakeState.Serial.push_back({handle, Bytes(bytes, static_cast<std::size_t>(count))});
    return fakeState.SerialResult;
}

int32_t ICE_CALL FakeBroadcastGroup(ICE_HANDLE handle, const char* phrases) {
    std::lock_guard guard(fakeLock);
    fakeState.Broadcasts.push_back({handle, phrases});
    return fakeState.BroadcastResult;
}

} // namespace

void InstallFakeIceLibrary() {
    {
        std::lock_guard guard(fakeLock);
        fakeState = FakeIceState{};
    }
    SetIceLibrary({FakeInit, FakeFini, FakeOpenPreview, FakeClose, FakeGetStatus,
                   FakeTransSerialPort, FakeBroadcastGroup});
}

} // namespace tavo::test

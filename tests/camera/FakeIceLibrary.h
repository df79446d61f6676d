// A stand-in for the camera vendor's library in the function table: it records every call and
// answers what the test tells it. Safe to call from several threads.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "camera/IceLibrary.h"
#include "common/Bytes.h"

namespace tavo::test {

struct FakeOpen {
    Bytes Address;
    std::int32_t FixedOne;
    std::int32_t FixedAlsoOne;
    std::uintptr_t VideoWindow;
    ICE_IPCSDK_OnPlate OnPlate;
    void* Param;
};

struct FakeSend {
    ICE_HANDLE Handle;
    Bytes Data;
};

// What the fake answers, and what it saw.
struct FakeIceState {
    // Answers.
    ICE_HANDLE NextHandle = 7; // returned by OpenPreview
    std::int32_t Status = 1;
    // Handles whose status is 0 whatever Status says.
    std::vector<ICE_HANDLE> OfflineHandles;
    std::int32_t SerialResult = 1;
    std::int32_t BroadcastResult = 1;

    // Calls in order, as "Init", "Open 7", "Close 7", "Status 7", "Fini".
    std::vector<std::string> Calls;
    std::vector<FakeOpen> Opens;
    std::vector<FakeSend> Serial;
    std::vector<FakeSend> Broadcasts;
    // Whether Camera3 existed when Init ran, and whether it still existed when Fini ran.
    bool CameraExistedAtInit = false;
    bool CameraExistedAtFini = false;
};

extern std::mutex fakeLock;
extern FakeIceState fakeState;

// Puts a fresh fake into the table; the state is shared by all fake functions.
void InstallFakeIceLibrary();

// Runs f with the fake's state under its lock.
template <typename F> auto WithFake(F f) {
    std::lock_guard guard(fakeLock);
    return f(fakeState);
}

} // namespace tavo::test

// Test fixture of the stand-in ice_ipcsdk.dll: the library loaded from the test program's folder
// as the station loads it from its own, a callback that records each delivery, simulated cameras
// in a temporary ICE_SIM_ROOT, and helpers for events and journals.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "camera/ice_ipcsdk.h"
#include "common/Bytes.h"

namespace tavo::test {

namespace fs = std::filesystem;

// The library's seven functions, found by name.
struct Sdk {
    HMODULE module = nullptr;
    ICE_IPCSDK_Init_t Init = nullptr;
    ICE_IPCSDK_Fini_t Fini = nullptr;
    ICE_IPCSDK_OpenPreview_t OpenPreview = nullptr;
    ICE_IPCSDK_Close_t Close = nullptr;
    ICE_IPCSDK_GetStatus_t GetStatus = nullptr;
    ICE_IPCSDK_TransSerialPort_t TransSerialPort = nullptr;
    ICE_IPCSDK_BroadcastGroup_t BroadcastGroup = nullptr;
};

// The library, loaded once from this program's folder.
const Sdk& Library();

// "<prefix><number>".
Bytes Numbered(const char* prefix, int number);
// A text written in this source (UTF-8) as GBK.
Bytes Gbk(const char* utf8);
// A GBK name as a host path.
fs::path HostName(const Bytes& gbk);

// What one callback received.
struct Delivery {
    void* param = nullptr;
    Bytes address, plate, full, closeUp;
    bool picturesNonNull = false;
};

// The callback's param: records every delivery, may act inside the callback, and counts
// callbacks that arrive after the test declared the camera closed.
struct Recorder {
    std::mutex lock;
    std::condition_variable arrived;
    std::vector<Delivery> deliveries;
    std::function<void(Recorder&)> inside; // runs inside the callback, after recording
    std::atomic<bool> closed{false};
    std::atomic<int> lateCalls{0};
    std::atomic<bool> closedInside{false}; // Close was called by this very callback
    std::atomic<ICE_HANDLE> handle{0};

    // True when `count` deliveries have arrived within the time.
    bool WaitFor(std::size_t count,
                 std::chrono::milliseconds timeout = std::chrono::milliseconds(8000));
    std::vector<Delivery> Snapshot();
    std::vector<Bytes> Plates();
};

// The recognition callback; its param is a Recorder.
void ICE_CALLBACK OnPlate(void* param, const char* address, const char* plate, const char*,
                          const char* full, int32_t fullLen, const char* closeUp,
                          int32_t closeUpLen, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t,
                          uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t,
                          uintptr_t, uintptr_t);

void WriteBytes(const fs::path& path, const Bytes& content);
Bytes ReadBytes(const fs::path& path);
// The number of entries in a folder; 0 when it does not exist.
std::size_t CountFiles(const fs::path& folder);
// Renames a folder, retrying a little while the camera's thread happens to be looking into it.
bool RenameFolder(const fs::path& from, const fs::path& to);
// A picture-like byte string with 0x00 and 0xFF bytes inside.
Bytes Picture(char tag, std::size_t size);

class SimulatorTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    const Sdk& sdk() const { return Library(); }

    // A camera folder with its inbox below the sim root.
    fs::path MakeCamera(const Bytes& address);

    // Drops an event as a dropper must: pictures first, the .txt last.
    static void DropEvent(const fs::path& folder, const std::string& name, const Bytes& txt,
                          const Bytes* full = nullptr, const Bytes* closeUp = nullptr);

    ICE_HANDLE Open(const Bytes& address, Recorder& recorder, uintptr_t window = 0);
    void CloseAndMark(ICE_HANDLE handle, Recorder& recorder);

    // The journal's entries without their time stamps; fails the test on a malformed line.
    static std::vector<Bytes> Journal(const fs::path& cameraFolder);

    fs::path root_;
};

} // namespace tavo::test

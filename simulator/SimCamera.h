// One open simulated camera: its folder, its switch files, its journal, and the thread of its
// own that delivers recognitions from the folder and paints the live video.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>

#include "camera/ice_ipcsdk.h"
#include "common/Bytes.h"
#include "simulator/SimEvents.h"

namespace tavo::sim {

class SimVideo;

class SimCamera : public std::enable_shared_from_this<SimCamera> {
public:
    SimCamera(ICE_HANDLE handle, Bytes gbkAddress, std::wstring folder, std::uintptr_t window,
              ICE_IPCSDK_OnPlate onPlate, void* param);
    ~SimCamera();
    SimCamera(const SimCamera&) = delete;
    SimCamera& operator=(const SimCamera&) = delete;

    // Journals the open and starts the camera's thread.
    void Start();

    // Stops the thread. From any other thread it waits until the thread has ended, so no
    // callback runs after it returns. From inside this camera's own callback it cannot wait for
    // itself: it marks the camera stopped (no further callback starts) and lets the thread end
    // by itself once the callback returns.
    void Stop();

    bool QueryStatus();                                     // "offline" switch, or the folder gone
    bool SendSerial(const char* bytes, std::int32_t count); // "fail-serial" switch
    bool Broadcast(const char* phrases);                    // "fail-broadcast" switch

private:
    void Run();
    void PollInbox();
    void ReplayNext();
    // Journals, calls back and returns false without a call when the camera is stopping.
    bool Deliver(const char* source, const SimEvent& event);
    void PaintFrame();
    // Waits until `deadline` or a stop; true when stopping.
    bool WaitUntil(std::chrono::steady_clock::time_point deadline);
    bool Stopping() const { return stopping_.load(); }

    const ICE_HANDLE handle_;
    const Bytes address_;
    const std::wstring folder_;
    const std::uintptr_t window_;
    const ICE_IPCSDK_OnPlate onPlate_;
    void* const param_;
    const int replayMilliseconds_;

    std::thread thread_;
    std::atomic<bool> stopping_{false};
    std::mutex wakeLock_;
    std::condition_variable wake_;

    // Only the camera's thread touches these.
    std::set<std::wstring> undeliverable_; // delivered, but the .txt could not leave the inbox
    std::wstring lastReplayed_;
    bool delivered_ = false;
    Bytes lastPlate_;
    SimVideo* video_ = nullptr; // lives in Run, between COM's start and end on the thread
};

} // namespace tavo::sim

// The camera watch: every so many seconds the window thread asks each watched camera for its
// state. A camera that goes offline is written to the error log, one that comes back to the
// debug log, and one that has been offline for three checks in a row is closed and opened again
// the way the station opened it at start, at most once a minute, with a debug-log line each
// time. What the operator is shown (a balloon, the tray tip) is the window's business: the
// watch says what changed and which sides are offline.
#pragma once

#include <chrono>
#include <cstdint>
#include <vector>

#include "common/Bytes.h"

namespace tavo {

class TVerizCamera;

// Checks in a row that a camera must be offline before it is opened again.
constexpr int kOfflineChecksBeforeReopen = 3;
// The least time between two reopens of one camera.
constexpr std::chrono::seconds kReopenSpacing{60};

// One camera under watch: the camera, its side's name (GBK, "左边" or "右边"), the address it
// was opened with (trimmed) and the window its video goes to.
struct WatchedCamera {
    TVerizCamera* Camera = nullptr;
    Bytes Side;
    Bytes Address;
    std::uintptr_t VideoWindow = 0;
};

// A change of one camera's state that the operator should see, with the text that says it.
struct WatchChange {
    bool Online = false; // the new state
    Bytes Text;          // for example "左边摄像头离线：192.168.1.100"
};

class CameraWatch {
public:
    using TimePoint = std::chrono::steady_clock::time_point;

    // Cameras are taken as online until a check says otherwise.
    explicit CameraWatch(std::vector<WatchedCamera> cameras);

    // Window thread: one check of every watched camera at the time `now`: an open camera is
    // asked for its state; one that is not open (its reopen failed) counts as offline. Logs
    // what changed and reopens where due. Returns the changes, in camera order.
    std::vector<WatchChange> Check(TimePoint now);

    // The sides that are offline, in camera order.
    std::vector<Bytes> OfflineSides() const;

private:
    struct State {
        WatchedCamera Watched;
        bool Online = true;
        int OfflineChecks = 0;
        bool Reopened = false;
        TimePoint LastReopen{};
    };

    void Reopen(State& state, TimePoint now);

    std::vector<State> states_;
};

// The tray tip: the usual "【高清车牌识别】", followed by the offline sides and "离线" when there
// are any ("【高清车牌识别】左边离线", "【高清车牌识别】左边、右边离线").
Bytes WatchTipText(const std::vector<Bytes>& offlineSides);

} // namespace tavo

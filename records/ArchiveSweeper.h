// The archive sweep's own thread: a sweep shortly after start, then one every interval, and one
// at once when asked (after an archive write failed). It never calls the camera library and
// never touches the window; what it has to say goes to the logs. Stop it before the cameras are
// freed.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "records/ArchiveSweep.h"

namespace tavo {

class ArchiveSweeper {
public:
    // The first sweep runs `firstDelay` after Start, then one every `interval`.
    ArchiveSweeper(SweepRules rules, FreeSpaceFunction freeSpace,
                   std::chrono::milliseconds firstDelay, std::chrono::milliseconds interval);
    ArchiveSweeper(const ArchiveSweeper&) = delete;
    ArchiveSweeper& operator=(const ArchiveSweeper&) = delete;
    // Stops the thread.
    ~ArchiveSweeper();

    // Starts the thread; false when it could not be started (written to the error log).
    bool Start();
    // Asks for a sweep at once; any thread. Requests made while one is pending count once.
    void RequestSweep();
    // Ends the thread after the sweep that may be running; any later request is ignored.
    void Stop();
    // Sweeps finished so far.
    int SweepsDone() const;

private:
    void Run();

    const SweepRules rules_;
    const FreeSpaceFunction freeSpace_;
    const std::chrono::milliseconds firstDelay_;
    const std::chrono::milliseconds interval_;
    mutable std::mutex lock_;
    std::condition_variable changed_;
    bool requested_ = false;
    bool stopping_ = false;
    int sweepsDone_ = 0;
    std::thread thread_;
};

} // namespace tavo

// The archive sweep's thread.
#include "records/ArchiveSweeper.h"

#include <exception>
#include <system_error>

#include "common/Clock.h"
#include "common/GbkText.h"
#include "records/tavoLogUnit.h"

namespace tavo {

ArchiveSweeper::ArchiveSweeper(SweepRules rules, FreeSpaceFunction freeSpace,
                               std::chrono::milliseconds firstDelay,
                               std::chrono::milliseconds interval)
    : rules_(rules), freeSpace_(std::move(freeSpace)), firstDelay_(firstDelay),
      interval_(interval) {}

ArchiveSweeper::~ArchiveSweeper() {
    Stop();
}

bool ArchiveSweeper::Start() {
    try {
        thread_ = std::thread([this] { Run(); });
        return true;
    } catch (const std::system_error& error) {
        ErrorLog(Utf8ToGbk("存档清理线程无法启动：") + Bytes(error.what()));
        return false;
    }
}

void ArchiveSweeper::RequestSweep() {
    std::lock_guard guard(lock_);
    requested_ = true;
    changed_.notify_all();
}

void ArchiveSweeper::Stop() {
    {
        std::lock_guard guard(lock_);
        stopping_ = true;
        changed_.notify_all();
    }
    if (thread_.joinable())
        thread_.join();
}

int ArchiveSweeper::SweepsDone() const {
    std::lock_guard guard(lock_);
    return sweepsDone_;
}

void ArchiveSweeper::Run() {
    auto due = std::chrono::steady_clock::now() + firstDelay_;
    std::unique_lock lock(lock_);
    for (;;) {
        changed_.wait_until(lock, due, [this] { return stopping_ || requested_; });
        if (stopping_)
            return;
        requested_ = false;
        lock.unlock();
        try {
            SweepArchive(rules_, NowLocal(), freeSpace_);
        } catch (...) {
            // The sweep logs what failed; nothing may end the thread.
        }
        due = std::chrono::steady_clock::now() + interval_;
        lock.lock();
        ++sweepsDone_;
    }
}

} // namespace tavo

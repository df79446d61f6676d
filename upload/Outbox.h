// The outbox: events waiting for the server, one file per event in Log\Outbox\ (<id>.json), so
// that an outage or a restart loses none. Each file is written under a temporary name, flushed to
// the disk and only then renamed, so the outbox never holds half an event. The oldest event goes
// first (ids sort in the order they were made); at most `keep` events wait, and past that the
// oldest is dropped. Events the server will never take are moved to rejected\ below it.
//
// The window thread adds events; the sender thread takes, removes and rejects them. Every member
// may be called from either thread.
#pragma once

#include <cstddef>
#include <filesystem>
#include <mutex>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace tavo {

class Outbox {
public:
    Outbox(std::filesystem::path folder, std::size_t keep);

    // Makes the folder when it is missing, removes temporary files that a write cut short left,
    // and takes the events already waiting, oldest first. Events past `keep` are dropped at once
    // and their ids added to `dropped`. False when the folder cannot be made or read.
    bool Open(std::vector<std::string>& dropped);

    // Writes an event (id: printable ASCII fit for a file name). True when it is in the outbox;
    // false when its file could not be written (nothing of it is left behind). Events dropped to
    // make room are added to `dropped`.
    bool Add(std::string_view id, std::string_view json, std::vector<std::string>& dropped);

    // The oldest waiting event's id; false when none waits.
    bool Oldest(std::string& id) const;

    // The JSON of a waiting event. False when it is no longer there or cannot be read.
    bool Read(const std::string& id, std::string& json) const;

    // Removes a delivered event. False only when its file is still there and could not be
    // removed (it is forgotten all the same, so the sender moves on); an event that was dropped
    // meanwhile is gone already.
    bool Remove(const std::string& id);

    // Moves an event the server will not take to rejected\. False when it could not be moved (it
    // is forgotten all the same).
    bool Reject(const std::string& id);

    // Forgets an event whose file cannot be read; true when it was still waiting (not dropped
    // meanwhile).
    bool Forget(const std::string& id);

    std::size_t Waiting() const;
    const std::filesystem::path& Folder() const { return folder_; }
    std::filesystem::path RejectedFolder() const { return folder_ / "rejected"; }

private:
    std::filesystem::path EventFile(std::string_view id) const;
    // Drops the oldest events while more than `keep` wait. The lock is held.
    void DropPastKeep(std::vector<std::string>& dropped);

    const std::filesystem::path folder_;
    const std::size_t keep_;
    mutable std::mutex mutex_;
    std::set<std::string> waiting_;
};

// Writes a file durably: all the bytes to `temporary`, flushed to the disk, then renamed to
// `path`. False when any step failed; the temporary file is then removed.
bool WriteFileDurably(const std::filesystem::path& temporary, const std::filesystem::path& path,
                      std::string_view bytes);

// Flushes a file's written bytes through to the disk (Outbox_posix.cpp, Outbox_win.cpp).
bool FlushToDisk(std::FILE* file);

} // namespace tavo

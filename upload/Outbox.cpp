// The outbox's files and its list of waiting events.
#include "upload/Outbox.h"

#include <cstdio>
#include <system_error>

#include "common/HostFile.h"

namespace tavo {

namespace {

constexpr std::string_view kEventSuffix = ".json";
constexpr std::string_view kTemporarySuffix = ".tmp";

// A path's last name as UTF-8, whatever the host's own form of names is.
std::string NameOf(const std::filesystem::path& path) {
    const std::u8string name = path.filename().u8string();
    return std::string(name.begin(), name.end());
}

std::filesystem::path PathPiece(std::string_view utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

} // namespace

bool WriteFileDurably(const std::filesystem::path& temporary, const std::filesystem::path& path,
                      std::string_view bytes) {
    HostFile file = OpenHostFile(temporary, "wb");
    if (!file)
        return false;
    bool ok = file.Write(bytes) && FlushToDisk(file.Get());
    ok = file.Close() && ok;
    std::error_code error;
    if (ok)
        std::filesystem::rename(temporary, path, error);
    if (!ok || error) {
        std::filesystem::remove(temporary, error);
        return false;
    }
    return true;
}

Outbox::Outbox(std::filesystem::path folder, std::size_t keep)
    : folder_(std::move(folder)), keep_(keep) {}

std::filesystem::path Outbox::EventFile(std::string_view id) const {
    return folder_ / PathPiece(std::string(id) + std::string(kEventSuffix));
}

bool Outbox::Open(std::vector<std::string>& dropped) {
    std::error_code error;
    std::filesystem::create_directories(folder_, error);
    if (error)
        return false;
    std::set<std::string> found;
    std::vector<std::filesystem::path> leftovers;
    for (std::filesystem::directory_iterator entry(folder_, error), end; !error && entry != end;
         entry.increment(error)) {
        std::error_code typeError;
        if (!entry->is_regular_file(typeError))
            continue;
        const std::filesystem::path& path = entry->path();
        const std::string name = NameOf(path);
        if (name.ends_with(kTemporarySuffix))
            leftovers.push_back(path);
        else if (name.ends_with(kEventSuffix) && name.size() > kEventSuffix.size())
            found.insert(name.substr(0, name.size() - kEventSuffix.size()));
    }
    if (error)
        return false;
    for (const std::filesystem::path& leftover : leftovers)
        std::filesystem::remove(leftover, error);
    const std::lock_guard lock(mutex_);
    waiting_ = std::move(found);
    DropPastKeep(dropped);
    return true;
}

bool Outbox::Add(std::string_view id, std::string_view json, std::vector<std::string>& dropped) {
    const std::string name(id);
    if (!WriteFileDurably(folder_ / PathPiece(name + std::string(kTemporarySuffix)), EventFile(id),
                          json))
        return false;
    const std::lock_guard lock(mutex_);
    waiting_.insert(name);
    DropPastKeep(dropped);
    return true;
}

void Outbox::DropPastKeep(std::vector<std::string>& dropped) {
    while (waiting_.size() > keep_) {
        const std::string oldest = *waiting_.begin();
        waiting_.erase(waiting_.begin());
        std::error_code error;
        std::filesystem::remove(EventFile(oldest), error);
        dropped.push_back(oldest);
    }
}

bool Outbox::Oldest(std::string& id) const {
    const std::lock_guard lock(mutex_);
    if (waiting_.empty())
        return false;
    id = *waiting_.begin();
    return true;
}

bool Outbox::Read(const std::string& id, std::string& json) const {
    const std::lock_guard lock(mutex_);
    return waiting_.count(id) != 0 && ReadWholeHostFile(EventFile(id), json);
}

bool Outbox::Remove(const std::string& id) {
    const std::lock_guard lock(mutex_);
    if (waiting_.erase(id) == 0)
        return true;
    std::error_code error;
    std::filesystem::remove(EventFile(id), error);
    return !error;
}

bool Outbox::Reject(const std::string& id) {
    const std::lock_guard lock(mutex_);
    if (waiting_.erase(id) == 0)
        return false;
    std::error_code error;
    std::filesystem::create_directories(RejectedFolder(), error);
    if (error)
        return false;
    std::filesystem::rename(EventFile(id), RejectedFolder() / EventFile(id).filename(), error);
    return !error;
}

bool Outbox::Forget(const std::string& id) {
    const std::lock_guard lock(mutex_);
    return waiting_.erase(id) != 0;
}

std::size_t Outbox::Waiting() const {
    const std::lock_guard lock(mutex_);
    return waiting_.size();
}

} // namespace tavo

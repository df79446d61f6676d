// The thread of a simulated camera: inbox polling, replay, callbacks and painting.
#include "simulator/SimCamera.h"

#include <windows.h>

#include <objbase.h>

#include <algorithm>
#include <optional>
#include <utility>

#include "common/WideText_win.h"
#include "simulator/SimFolder.h"
#include "simulator/SimJournal.h"
#include "simulator/SimVideo.h"

namespace tavo::sim {

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kPollInterval = std::chrono::milliseconds(200);
constexpr auto kPaintInterval = std::chrono::milliseconds(100);

// Inbox events being delivered right now by any open camera of this process. Two handles open
// on the same address share one inbox; an event claimed by one is skipped by the other.
std::mutex& ClaimLock() {
    static std::mutex* lock = new std::mutex;
    return *lock;
}
std::set<std::wstring>& Claimed() {
    static auto* claimed = new std::set<std::wstring>;
    return *claimed;
}

bool Claim(const std::wstring& path) {
    std::lock_guard<std::mutex> hold(ClaimLock());
    return Claimed().insert(path).second;
}
void Unclaim(const std::wstring& path) {
    std::lock_guard<std::mutex> hold(ClaimLock());
    Claimed().erase(path);
}

} // namespace

SimCamera::SimCamera(ICE_HANDLE handle, Bytes gbkAddress, std::wstring folder,
                     std::uintptr_t window, ICE_IPCSDK_OnPlate onPlate, void* param)
    : handle_(handle), address_(std::move(gbkAddress)), folder_(std::move(folder)), window_(window),
      onPlate_(onPlate), param_(param), replaySeconds_(ReadReplaySeconds(folder_)) {}

SimCamera::~SimCamera() {
    // Only reached with the thread ended or detached; never terminate the process over it.
    if (thread_.joinable())
        thread_.detach();
}

void SimCamera::Start() {
    AppendJournal(folder_, OpenEntry(window_, handle_));
    // The thread keeps the camera alive for as long as it runs (needed once it is detached).
    thread_ = std::thread([self = shared_from_this()] { self->Run(); });
}

void SimCamera::Stop() {
    if (stopping_.exchange(true))
        return;
    { std::lock_guard<std::mutex> hold(wakeLock_); }
    wake_.notify_all();
    if (thread_.joinable()) {
        if (thread_.get_id() == std::this_thread::get_id())
            thread_.detach(); // Close from inside the callback: the thread ends after it returns.
        else
            thread_.join();
    }
    AppendJournal(folder_, CloseEntry());
}

bool SimCamera::QueryStatus() {
    // A camera whose folder was taken away while open is as unreachable as one marked offline.
    const bool online = FolderExists(folder_) && !HasSwitchFile(folder_, L"offline");
    AppendJournal(folder_, StatusEntry(online));
    return online;
}

bool SimCamera::SendSerial(const char* bytes, std::int32_t count) {
    const bool valid = count >= 0 && (count == 0 || bytes);
    const bool ok = valid && !HasSwitchFile(folder_, L"fail-serial");
    AppendJournal(folder_, SerialEntry(bytes, count, ok));
    return ok;
}

bool SimCamera::Broadcast(const char* phrases) {
    const bool ok = phrases && !HasSwitchFile(folder_, L"fail-broadcast");
    AppendJournal(folder_, BroadcastEntry(phrases, ok));
    return ok;
}

bool SimCamera::WaitUntil(Clock::time_point deadline) {
    std::unique_lock<std::mutex> hold(wakeLock_);
    return wake_.wait_until(hold, deadline, [this] { return Stopping(); });
}

void SimCamera::Run() {
    const HRESULT com = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    std::optional<SimVideo> video;
    video.emplace();
    video_ = &*video;

    const auto start = Clock::now();
    // The first poll waits one interval, so the station holds its handle before a callback.
    auto nextPoll = start + kPollInterval;
    auto nextPaint = start;
    const auto replayPeriod = std::chrono::seconds(replaySeconds_);
    auto nextReplay = start + replayPeriod;

    while (!Stopping()) {
        const auto now = Clock::now();
        if (now >= nextPaint) {
            PaintFrame();
            nextPaint += kPaintInterval;
            if (nextPaint <= now)
                nextPaint = now + kPaintInterval;
        }
        if (now >= nextPoll) {
            PollInbox();
            nextPoll = Clock::now() + kPollInterval;
        }
        if (replaySeconds_ > 0 && now >= nextReplay) {
            ReplayNext();
            nextReplay += replayPeriod;
            if (nextReplay <= Clock::now())
                nextReplay = Clock::now() + replayPeriod;
        }
        auto next = std::min(nextPaint, nextPoll);
        if (replaySeconds_ > 0)
            next = std::min(next, nextReplay);
        if (WaitUntil(next))
            break;
    }

    video_ = nullptr;
    video.reset(); // its COM objects go before COM does
    if (SUCCEEDED(com))
        CoUninitialize();
}

void SimCamera::PollInbox() {
    const std::wstring inbox = folder_ + L"\\inbox";
    for (const std::wstring& name : ListEventNames(inbox)) {
        if (Stopping())
            return;
        if (undeliverable_.count(name))
            continue;
        const std::wstring claim = inbox + L"\\" + name;
        if (!Claim(claim))
            continue;
        SimEvent event;
        if (!ReadEvent(inbox, name, event)) {
            // Still being written (or just taken away): keep the name order, try next poll.
            Unclaim(claim);
            return;
        }
        if (!Deliver("inbox", event)) {
            Unclaim(claim);
            return;
        }
        if (!MoveEventToDone(inbox, name, folder_ + L"\\done"))
            undeliverable_.insert(name);
        Unclaim(claim);
    }
}

void SimCamera::ReplayNext() {
    const std::wstring replay = folder_ + L"\\replay";
    const auto names = ListEventNames(replay);
    if (names.empty())
        return;
    // The first name after the last one replayed, round and round; robust against files that
    // come and go between turns.
    auto next = std::upper_bound(names.begin(), names.end(), lastReplayed_);
    if (next == names.end())
        next = names.begin();
    lastReplayed_ = *next;
    SimEvent event;
    if (ReadEvent(replay, *next, event))
        Deliver("replay", event);
}

bool SimCamera::Deliver(const char* source, const SimEvent& event) {
    if (Stopping())
        return false;
    AppendJournal(folder_, RecognitionEntry(source, GbkFromWide(event.name), event.plate,
                                            event.fullPicture.size(), event.closeUpPicture.size()));
    static const char kEmpty[1] = {0};
    const char* full = event.fullPicture.empty() ? kEmpty : event.fullPicture.data();
    const char* closeUp = event.closeUpPicture.empty() ? kEmpty : event.closeUpPicture.data();
    onPlate_(param_, address_.c_str(), event.plate.c_str(), "", full,
             static_cast<int32_t>(event.fullPicture.size()), closeUp,
             static_cast<int32_t>(event.closeUpPicture.size()), 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
             0);
    delivered_ = true;
    lastPlate_ = event.plate;
    if (video_ && !event.fullPicture.empty())
        video_->SetPicture(event.fullPicture);
    return true;
}

void SimCamera::PaintFrame() {
    if (video_)
        video_->Paint(window_, address_, delivered_ ? &lastPlate_ : nullptr);
}

} // namespace tavo::sim

// The event feed as the station runs it: switched on at start by the UploadUrl setting, it writes
// each event to the outbox on the window thread and has the sender thread deliver it. Nothing of
// the network ever runs on the caller's thread.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>

#include "common/Bytes.h"
#include "upload/HttpTransport.h"
#include "upload/Outbox.h"
#include "upload/UploadEvent.h"
#include "upload/UploadRequest.h"
#include "upload/UploadSender.h"

namespace tavo {

// The settings of the feed, as the [STATION] section gives them.
struct FeedSettings {
    Bytes Url;   // empty: the feed stays off
    Bytes Token; // empty: no Authorization header
    bool Pictures = false;
    std::int32_t Keep = 10000;
    // The pauses after failures (tests shorten them).
    std::chrono::milliseconds FirstPause{1000};
    std::chrono::milliseconds LongestPause{300000};
};

class EventFeed {
public:
    // The reports outlive the feed.
    explicit EventFeed(UploadReports& reports);
    ~EventFeed();
    EventFeed(const EventFeed&) = delete;
    EventFeed& operator=(const EventFeed&) = delete;

    // Switches the feed on: takes the URL and token apart, opens the outbox in `outboxFolder` and
    // starts the sender with the transport (made only when needed). False, with the feed off,
    // when the URL is empty (no report), or when the URL or token cannot be used or the outbox
    // cannot be opened (one error line each).
    bool Start(const FeedSettings& settings, const std::filesystem::path& outboxFolder,
               const std::function<std::unique_ptr<HttpTransport>()>& makeTransport,
               PictureReader readPicture);

    bool On() const { return sender_ != nullptr; }

    // Gives the event its id and puts it in the outbox for the sender; true when it is there.
    // A write that fails is one error line, as is each older event dropped to keep at most
    // UploadKeep waiting. Does nothing (false) when the feed is off.
    bool Add(UploadEvent event);

    // Stops the sender; within one cancelled post. Events still waiting stay in the outbox.
    void Stop();

private:
    void ReportDropped(const std::vector<std::string>& dropped);

    UploadReports& reports_;
    std::int32_t keep_ = 0;
    EventIds ids_;
    std::unique_ptr<Outbox> outbox_;
    std::unique_ptr<HttpTransport> transport_;
    std::unique_ptr<UploadSender> sender_;
};

} // namespace tavo

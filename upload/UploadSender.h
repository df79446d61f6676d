// The sender thread: posts the outbox's oldest event, again and again until the outbox is empty,
// and then waits for the next. A 2xx answer removes the event; a network failure, a timeout, 408,
// 429 or 5xx keeps it and tries again after a pause that starts at one second and doubles up to
// five minutes; any other answer moves it to rejected\ with an error line, since that server will
// never take it. The debug log hears when delivery starts failing and when it works again, not of
// every retry.
//
// The thread uses only the outbox, the transport and the reports: never the camera library, never
// the window.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

#include "common/Bytes.h"
#include "upload/HttpTransport.h"
#include "upload/Outbox.h"
#include "upload/UploadRequest.h"
#include "upload/UploadUrl.h"

namespace tavo {

// What becomes of an event after an answer (or none).
enum class Delivery {
    Delivered, // 2xx: the server has it
    Retry,     // no answer, 408, 429 or 5xx: the server may take it later
    Rejected,  // any other answer: that server will never take it
};
Delivery Classify(const HttpAnswer& answer);

// The pauses between attempts: `first`, then twice the last one, never more than `longest`.
class Backoff {
public:
    Backoff(std::chrono::milliseconds first, std::chrono::milliseconds longest);
    // The pause before the next attempt; each call doubles the one after it.
    std::chrono::milliseconds Next();
    // Delivery worked: the next pause is `first` again.
    void Reset();

private:
    std::chrono::milliseconds first_;
    std::chrono::milliseconds longest_;
    std::chrono::milliseconds next_;
};

// Where the sender's log lines go. Called from the sender's thread (and, for the feed's own lines,
// from the window thread): an implementation hands them on safely.
class UploadReports {
public:
    virtual ~UploadReports() = default;
    virtual void UploadError(const Bytes& gbkLine) = 0;
    virtual void UploadDebug(const Bytes& gbkLine) = 0;
};

struct SenderSettings {
    UploadTarget Target;
    std::string Token; // header-safe; empty for none
    bool Pictures = false;
    std::chrono::milliseconds FirstPause{1000};
    std::chrono::milliseconds LongestPause{300000};
};

class UploadSender {
public:
    // The outbox, transport and reports outlive the sender.
    UploadSender(Outbox& outbox, HttpTransport& transport, UploadReports& reports,
                 PictureReader readPicture, SenderSettings settings);
    ~UploadSender();
    UploadSender(const UploadSender&) = delete;
    UploadSender& operator=(const UploadSender&) = delete;

    // Starts the thread; it begins with the events already waiting.
    void Start();
    // A new event waits. Never cuts a pause after a failure short.
    void Notify();
    // Cancels a post under way and waits for the thread: returns as soon as the transport gives
    // up. The event being posted stays in the outbox, unless its answer arrived first. Harmless
    // when not started or already stopped.
    void Stop();

private:
    void Run();
    // One attempt at the oldest event; false when the thread should stop.
    bool SendOldest(const std::string& id);
    // Waits for the pause or for Stop; false when stopped.
    bool Pause(std::chrono::milliseconds pause);

    Outbox& outbox_;
    HttpTransport& transport_;
    UploadReports& reports_;
    const PictureReader readPicture_;
    const SenderSettings settings_;
    Backoff backoff_;
    bool failing_ = false; // the sender's thread only

    std::mutex mutex_;
    std::condition_variable wake_;
    bool stopping_ = false;
    bool newEvent_ = false;
    std::thread thread_;
};

} // namespace tavo

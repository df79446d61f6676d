// The station's side of the event feed: turns the record of each handled result into an event for
// the outbox, gives the feed the WinHTTP transport and the archive's pictures, and writes the
// feed's log lines on the window thread. Lines from the sender's thread wait in a queue and are
// written when WM_UPLOAD_REPORT, posted to the window, reaches it.
#pragma once

#include <windows.h>

#include <mutex>
#include <utility>
#include <vector>

#include "camera/ResultRecord.h"
#include "common/Bytes.h"
#include "records/StationSettings.h"
#include "upload/EventFeed.h"
#include "upload/UploadEvent.h"

namespace tavo {

// Posted to the main window when the sender has log lines waiting; its parameters are not used.
constexpr UINT WM_UPLOAD_REPORT = WM_USER + 0x13; // 0x413

// The event of a result record: side, address, plate as the camera gave it, time with its offset,
// state and the archived pictures' paths, from the station `station`. The id is given by the feed.
UploadEvent EventOfRecord(const TResultRecord& record, const Bytes& station);

class StationUpload final : public UploadReports {
public:
    StationUpload() = default;
    ~StationUpload() override;
    StationUpload(const StationUpload&) = delete;
    StationUpload& operator=(const StationUpload&) = delete;

    // Window thread, in the creation step: switches the feed on when UploadUrl is set.
    void Start(const StationSettings& settings, HWND window);
    // Window thread, after each result: the event goes to the outbox (nothing when off). Nothing
    // is raised.
    void Record(const TResultRecord& record);
    // Window thread: writes the lines the sender left.
    void WriteReports();
    // Window thread, in the destroy step: stops the sender and writes its last lines.
    void Stop();

    void UploadError(const Bytes& gbkLine) override;
    void UploadDebug(const Bytes& gbkLine) override;

private:
    void Report(bool error, const Bytes& gbkLine);

    HWND window_ = nullptr;
    DWORD windowThread_ = 0;
    Bytes station_;
    std::mutex mutex_;
    std::vector<std::pair<bool, Bytes>> waiting_; // (error, line)
    EventFeed feed_{*this};
};

} // namespace tavo

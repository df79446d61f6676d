// The station's side of the event feed: turns the record of each handled result into an event for
// the outbox, gives the feed the WinHTTP transport and the archive's pictures, and writes the
// feed's lines to the logs (from the window thread or the sender's, one line at a time).
#pragma once

#include "camera/ResultRecord.h"
#include "common/Bytes.h"
#include "records/StationSettings.h"
#include "upload/EventFeed.h"
#include "upload/UploadEvent.h"

namespace tavo {

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
    void Start(const StationSettings& settings);
    // Window thread, after each result: the event goes to the outbox (nothing when off). Nothing
    // is raised.
    void Record(const TResultRecord& record);
    // Window thread, in the destroy step: stops the sender; what waits stays in the outbox.
    void Stop();

    void UploadError(const Bytes& gbkLine) override;
    void UploadDebug(const Bytes& gbkLine) override;

private:
    Bytes station_;
    EventFeed feed_{*this};
};

} // namespace tavo

// The event feed wired to the station.
#include "app/StationUpload.h"

#include <windows.h>

#include <exception>
#include <string>

#include "camera/UnitVerizCamera.h"
#include "common/GbkText.h"
#include "common/HostFile.h"
#include "common/HostPath.h"
#include "records/tavoLogUnit.h"
#include "upload/WinHttpTransport.h"

namespace tavo {

namespace {

// This computer's name (GBK).
Bytes ComputerName() {
    wchar_t name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD length = MAX_COMPUTERNAME_LENGTH + 1;
    if (!GetComputerNameW(name, &length))
        return Bytes();
    return Utf16ToGbk(std::u16string(name, name + length));
}

// A picture of the archive by its path relative to the program folder.
bool ReadArchivedPicture(const Bytes& gbkPath, Bytes& contents) {
    return ReadWholeHostFile(ProgramPath(gbkPath), contents);
}

} // namespace

UploadEvent EventOfRecord(const TResultRecord& record, const Bytes& station) {
    UploadEvent event;
    event.Station = station;
    event.Side = record.CameraId == kLeftCameraId ? "left" : "right";
    event.CameraAddress = record.Address;
    event.Plate = record.Plate;
    event.Time = record.ReceivedAt;
    event.UtcOffsetMinutes = LocalUtcOffsetMinutes(record.ReceivedAt);
    event.State = std::string(ResultStateName(record.State));
    event.FullPicture = record.FullPicturePath;
    event.CloseUpPicture = record.CloseUpPicturePath;
    return event;
}

StationUpload::~StationUpload() {
    feed_.Stop();
}

void StationUpload::Start(const StationSettings& settings) {
    station_ = ComputerName();
    FeedSettings feed;
    feed.Url = settings.UploadUrl;
    feed.Token = settings.UploadToken;
    feed.Pictures = settings.UploadPictures;
    feed.Keep = settings.UploadKeep;
    feed_.Start(feed, ProgramPath("Log\\Outbox"), MakeWinHttpTransport, ReadArchivedPicture);
}

void StationUpload::Record(const TResultRecord& record) {
    if (!feed_.On())
        return;
    try {
        feed_.Add(EventOfRecord(record, station_));
    } catch (const std::exception& error) {
        // The result itself is handled; only its event is lost.
        ErrorLog(Utf8ToGbk("上传事件未能写入：") + Bytes(error.what()));
    }
}

void StationUpload::Stop() {
    feed_.Stop();
}

void StationUpload::UploadError(const Bytes& gbkLine) {
    ErrorLog(gbkLine);
}

void StationUpload::UploadDebug(const Bytes& gbkLine) {
    DebugLog(gbkLine);
}

} // namespace tavo

// The plate-result handler (WMPlateResult) of the main window, on the window thread.
#include "camera/PlateResultHandler.h"

#include <exception>
#include <string>

#include "camera/UnitVerizCamera.h"
#include "common/Bytes.h"
#include "common/Clock.h"
#include "common/GbkText.h"
#include "protocol/DisplayFrames.h"
#include "records/CaptureArchive.h"
#include "records/tavoLogUnit.h"

namespace tavo {

namespace {

Bytes CameraName(const TVerizCamera& camera) {
    return Utf8ToGbk("摄像头") + std::to_string(camera.CameraId);
}

// What went wrong before the result reached the window thread.
void LogLinkTrouble(const TVerizCamera& camera, const TakenResult& taken) {
    for (int lost = 0; lost < taken.LostResults; ++lost)
        ErrorLog(CameraName(camera) + Utf8ToGbk(" 等待处理的识别结果已满，最早的一个被丢弃"));
    for (int lost = 0; lost < taken.UnannouncedResults; ++lost)
        ErrorLog(CameraName(camera) + Utf8ToGbk(" 的识别结果未能通知主窗口，被丢弃"));
    if (taken.RefusedFullPictureLen != 0)
        ErrorLog(CameraName(camera) + Utf8ToGbk(" 的全景图片过大（") +
                 std::to_string(taken.RefusedFullPictureLen) + Utf8ToGbk(" 字节），未存档"));
    if (taken.RefusedCloseUpLen != 0)
        ErrorLog(CameraName(camera) + Utf8ToGbk(" 的车牌图片过大（") +
                 std::to_string(taken.RefusedCloseUpLen) + Utf8ToGbk(" 字节），未存档"));
}

const unsigned char* PictureBytes(const char* area) {
    return reinterpret_cast<const unsigned char*>(area);
}

// Archives, shows and sends one result; what became of it goes into the record.
void ShowAndSend(TVerizCamera& camera, const TPlateResult& result, PlateResultTarget& window,
                 TResultRecord& record) {
    record.Online = camera.QueryOnline();
    if (!record.Online) {
        record.State = ResultState::Offline;
        return;
    }
    const std::string_view address = record.Address;
    const std::string_view plate = record.Plate;
    if (result.CloseUpLen > 0)
        SaveCaptureImage(PictureBytes(result.CloseUpPicture), result.CloseUpLen, address, plate,
                         kPlateSuffixFlag, camera.InstanceTag, record.CloseUpPicturePath);
    if (result.FullPictureLen > 0)
        SaveCaptureImage(PictureBytes(result.FullPicture), result.FullPictureLen, address, plate,
                         kNoSuffixFlag, camera.InstanceTag, record.FullPicturePath);
    const Bytes shown = TrimText(plate);
    if (shown.empty())
        return;
    window.SetPlateText(shown);
    window.SetImagePath(record.FullPicturePath);
    record.Command48 = camera.ShowPlateText(shown);
    record.Command98 = camera.SendDisplayCommand(shown, kDisplayCommand98, 1);
}

// Results lost before the window thread took them, recorded as dropped, oldest first.
void RecordLostResults(const TVerizCamera& camera, const TakenResult& taken,
                       PlateResultTarget& window) {
    for (int i = 0; i < taken.LostKept; ++i) {
        const LostResult& lost = taken.Lost[i];
        TResultRecord record;
        record.CameraId = camera.CameraId;
        record.Address = TextUpToNul(lost.Address, kResultIPSize);
        record.Plate = TextUpToNul(lost.Plate, kResultPlateSize);
        record.ReceivedAt = lost.ReceivedAt;
        record.Broadcast = lost.Broadcast;
        record.Serial = lost.Serial;
        record.State = ResultState::Dropped;
        window.ResultRecorded(record);
    }
}

void LogHandlingError(std::string_view message) {
    try {
        ErrorLog(Utf8ToGbk("车牌自动识别报错！") + Bytes(message));
    } catch (...) {
        // Not even the log line could be made; the window thread goes on.
    }
}

} // namespace

void HandlePlateResult(std::uintptr_t cameraId, PlateResultTarget& window) {
    TVerizCamera* camera = FindCameraById(cameraId);
    if (camera == nullptr)
        return;
    try {
        TakenResult taken = camera->TakeWaitingResult();
        LogLinkTrouble(*camera, taken);
        RecordLostResults(*camera, taken, window);
        if (taken.Result != nullptr) {
            TResultRecord record;
            record.CameraId = camera->CameraId;
            record.Address = TextUpToNul(taken.Result->ResultIP, kResultIPSize);
            record.Plate = TextUpToNul(taken.Result->ResultPlate, kResultPlateSize);
            record.ReceivedAt = taken.ReceivedAt;
            record.Broadcast = taken.Broadcast;
            record.Serial = taken.Serial;
            ShowAndSend(*camera, *taken.Result, window, record);
            window.ResultRecorded(record);
        }
    } catch (const std::exception& error) {
        LogHandlingError(error.what());
    } catch (...) {
        LogHandlingError("unknown error");
    }
}

} // namespace tavo

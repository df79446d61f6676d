// Records of results as lines of the daily recognition index.
#include "camera/ResultIndex.h"

#include "camera/UnitVerizCamera.h"
#include "common/GbkText.h"
#include "records/tavoLogUnit.h"

namespace tavo {

namespace {

Bytes SideOf(std::int32_t cameraId) {
    switch (cameraId) {
    case kLeftCameraId:
        return Utf8ToGbk("左");
    case kRightCameraId:
        return Utf8ToGbk("右");
    default:
        return std::to_string(cameraId);
    }
}

} // namespace

IndexRow IndexRowOf(const TResultRecord& record) {
    IndexRow row;
    row.ReceivedAt = record.ReceivedAt;
    row.Side = SideOf(record.CameraId);
    row.Address = record.Address;
    row.Plate = record.Plate;
    if (record.State != ResultState::Dropped)
        row.Online = record.Online;
    row.FullPicturePath = record.FullPicturePath;
    row.CloseUpPicturePath = record.CloseUpPicturePath;
    row.Broadcast = record.Broadcast;
    row.Serial = record.Serial;
    row.Command48 = record.Command48;
    row.Command98 = record.Command98;
    row.State = Bytes(ResultStateName(record.State));
    return row;
}

bool WriteIndexLine(const TResultRecord& record) {
    try {
        return AppendIndexRow(IndexRowOf(record));
    } catch (...) {
        // Out of memory while the line was made: the handling goes on without it.
        try {
            ErrorLog(Utf8ToGbk("识别索引写入失败"));
        } catch (...) {
            // Not even the log line could be made.
        }
        return false;
    }
}

} // namespace tavo

// The handling of WM_PLATE_RESULT on the window thread: archive the two pictures, show the plate
// and its picture path in the window, and send the plate to the display in two frames.
#pragma once

#include <cstdint>
#include <string_view>

#include "camera/ResultRecord.h"

namespace tavo {

// What the handler needs of the main window: its two hidden edits.
class PlateResultTarget {
public:
    virtual ~PlateResultTarget() = default;
    // edt_inputPlate: the trimmed plate (GBK).
    virtual void SetPlateText(std::string_view gbk) = 0;
    // Edt_inputPlateImage: the full picture's path relative to the program folder (GBK), empty
    // when it was not saved.
    virtual void SetImagePath(std::string_view gbk) = 0;
    // Every result, once it is handled or known to be lost, with what became of it. Nothing is
    // raised from here into the handling.
    virtual void ResultRecorded(const TResultRecord& /*record*/) {}
};

// Handles one WM_PLATE_RESULT whose wParam is cameraId: takes that camera's oldest waiting
// result and, if the camera is online, archives it, shows it in the window and sends it to the
// display; then the window is given its record. Results lost while waiting and pictures too long
// for their areas are written to the error log, and the lost results are given to the window as
// dropped records first, oldest first. An error on the way ends the handling and goes to the
// error log as well. Nothing is raised.
void HandlePlateResult(std::uintptr_t cameraId, PlateResultTarget& window);

} // namespace tavo

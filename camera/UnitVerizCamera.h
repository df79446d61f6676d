// Camera objects and the camera set. (Skeleton of the interface the main window relies on;
// completed with the camera link.)
#pragma once

#include <cstdint>
#include <string_view>

#include "camera/ice_ipcsdk.h"
#include "common/Bytes.h"

namespace tavo {

// Posted to a camera's NotifyWindow for each result; wParam = CameraId, lParam = 0.
constexpr std::uint32_t WM_PLATE_RESULT = 0x405;

class TVerizCamera {
public:
    // true when the camera was opened and its live video goes to videoWindow.
    bool OpenCamera(std::string_view address, std::uintptr_t videoWindow);
    void CloseCamera();
    bool QueryOnline();

    std::int32_t CameraId = 0;
    Bytes InstanceTag;
    ICE_HANDLE SdkHandle = 0;
    bool Online = false;
    std::uintptr_t NotifyWindow = 0;
};

extern TVerizCamera* Camera3;
extern TVerizCamera* Camera13;

void CreateCameras();
void FreeCameras();

} // namespace tavo

// The recognition callback that every camera registers with the vendor library.
#pragma once

#include "camera/ice_ipcsdk.h"

namespace tavo {

// Called by the library on its own thread, once per recognised plate, with the camera object as
// param. Stores the result in the camera's waiting slots, has the camera speak the plate, passes
// the bare plate text to its serial port and posts WM_PLATE_RESULT (wParam CameraId) to its
// NotifyWindow. A param that is no camera of the set is ignored. Nothing escapes into the
// library: a result whose handling raises an error is dropped.
void ICE_CALLBACK OnPlateResult(void* param, const char* address, const char* plate,
                                const char* plateColor, const char* fullPicture,
                                int32_t fullPictureLen, const char* closeUpPicture,
                                int32_t closeUpLen, uintptr_t reserved9, uintptr_t reserved10,
                                uintptr_t reserved11, uintptr_t reserved12, uintptr_t reserved13,
                                uintptr_t reserved14, uintptr_t reserved15, uintptr_t reserved16,
                                uintptr_t reserved17, uintptr_t reserved18, uintptr_t reserved19,
                                uintptr_t reserved20, uintptr_t reserved21);

} // namespace tavo

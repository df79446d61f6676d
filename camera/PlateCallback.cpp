// The recognition callback, on the vendor library's thread.
#include "camera/PlateCallback.h"

#include <string_view>
#include <type_traits>

#include "camera/MessagePoster.h"
#include "camera/UnitVerizCamera.h"
#include "common/Bytes.h"
#include "common/Clock.h"

namespace tavo {

// The callback's type must be the one the library calls.
static_assert(std::is_same_v<decltype(&OnPlateResult), ICE_IPCSDK_OnPlate>);

namespace {

struct Picture {
    std::string_view Data;
    std::int32_t Refused = 0;
};

// A null picture or a negative count is an empty picture; one longer than its area is refused
// and remembered by its count, so the window thread can report it.
Picture FitPicture(const char* bytes, std::int32_t count) {
    if (bytes == nullptr || count <= 0)
        return {};
    if (static_cast<std::size_t>(count) > kPictureSize)
        return {{}, count};
    return {std::string_view(bytes, static_cast<std::size_t>(count)), 0};
}

void HandleResult(TVerizCamera& camera, const char* address, const char* plate,
                  const char* fullPicture, std::int32_t fullPictureLen, const char* closeUpPicture,
                  std::int32_t closeUpLen) {
    const LocalTime receivedAt = NowLocal();
    // Texts are cut at their areas; a text never is read past them.
    const std::string_view plateText = TextUpToNul(plate, kResultPlateSize - 1);
    // Everything that can raise an error comes before the result is stored, so a failure here
    // drops the whole result.
    const Bytes announcement(plateText);
    const Bytes phrases = camera.TextToPhraseList(announcement);

    const Picture full = FitPicture(fullPicture, fullPictureLen);
    const Picture closeUp = FitPicture(closeUpPicture, closeUpLen);
    IncomingResult incoming;
    incoming.Address = TextUpToNul(address, kResultIPSize - 1);
    incoming.Plate = plateText;
    incoming.FullPicture = full.Data;
    incoming.CloseUpPicture = closeUp.Data;
    incoming.RefusedFullPictureLen = full.Refused;
    incoming.RefusedCloseUpLen = closeUp.Refused;
    incoming.ReceivedAt = receivedAt;
    const std::uint64_t ticket = camera.StoreResult(incoming);

    // The camera's answer; failures stop nothing, and the post goes out regardless. What became
    // of the two sends is kept with the result for its record.
    const bool broadcast = camera.PlayPhrases(phrases);
    const bool serial = camera.SendSerial(announcement);
    camera.NoteSends(ticket, broadcast, serial);
    if (!PostWindowMessage(camera.NotifyWindow, WM_PLATE_RESULT,
                           static_cast<std::uintptr_t>(camera.CameraId), 0))
        camera.WithdrawResult(ticket); // no message will take it
}

} // namespace

void ICE_CALLBACK OnPlateResult(void* param, const char* address, const char* plate,
                                const char* /*plateColor*/, const char* fullPicture,
                                int32_t fullPictureLen, const char* closeUpPicture,
                                int32_t closeUpLen, uintptr_t, uintptr_t, uintptr_t, uintptr_t,
                                uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t,
                                uintptr_t, uintptr_t, uintptr_t) {
    try {
        TVerizCamera* camera = FindCameraByObject(param);
        if (camera == nullptr)
            return;
        HandleResult(*camera, address, plate, fullPicture, fullPictureLen, closeUpPicture,
                     closeUpLen);
    } catch (...) {
        // The library's thread must not see an error; the result is dropped.
    }
}

} // namespace tavo

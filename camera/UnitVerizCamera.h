// Camera objects and the camera set. A TVerizCamera stands for one camera position: its
// connection through the vendor library, the operations that send to the camera, and the results
// the library delivers for it, which wait in slots of the object until the window thread takes
// them. The set is the two positions Camera3 (left panel) and Camera13 (right panel).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string_view>

#include <optional>

#include "camera/ice_ipcsdk.h"
#include "common/Bytes.h"
#include "common/Clock.h"

namespace tavo {

// Posted to a camera's NotifyWindow for each result; wParam = CameraId, lParam = 0.
constexpr std::uint32_t WM_PLATE_RESULT = 0x405;

constexpr std::size_t kResultIPSize = 33;     // 32 bytes of text and the NUL
constexpr std::size_t kResultPlateSize = 17;  // 16 bytes of text and the NUL
constexpr std::size_t kPictureSize = 1048577; // one byte more than 1 MiB

// One recognition result in fixed areas. Texts are GBK and NUL-terminated.
struct TPlateResult {
    char ResultIP[kResultIPSize];
    char ResultPlate[kResultPlateSize];
    char FullPicture[kPictureSize];
    std::int32_t FullPictureLen;
    char CloseUpPicture[kPictureSize];
    std::int32_t CloseUpLen;
};

// A result as the callback hands it over, already fitted to the areas: texts of at most 32 and
// 16 bytes, pictures of at most kPictureSize bytes. A picture that did not fit arrives empty,
// with the count the library gave in its Refused field.
struct IncomingResult {
    std::string_view Address;
    std::string_view Plate;
    std::string_view FullPicture;
    std::string_view CloseUpPicture;
    std::int32_t RefusedFullPictureLen = 0;
    std::int32_t RefusedCloseUpLen = 0;
    // When the callback received the result.
    LocalTime ReceivedAt;
};

// A result that was lost before the window thread took it (it gave way to a newer one while the
// waiting results were full, or no message could announce it), kept so that the window thread
// can record it. Fixed areas, so that keeping it allocates nothing.
struct LostResult {
    char Address[kResultIPSize];
    char Plate[kResultPlateSize];
    LocalTime ReceivedAt;
    // The callback's voice and serial sends; empty when they had not been made.
    std::optional<bool> Broadcast;
    std::optional<bool> Serial;
};

// Lost results kept between two takes; those beyond are only counted.
constexpr int kKeptLostResults = 16;

class TVerizCamera;

// A result of a camera, held for the window thread until this goes out of scope; the callback
// never writes a slot while it is held.
class TakenResult {
public:
    TakenResult(TakenResult&& other) noexcept;
    TakenResult& operator=(TakenResult&&) = delete;
    ~TakenResult();

    // Null when no result was waiting.
    const TPlateResult* Result = nullptr;
    // Counts of pictures of this result that were too long for their areas (0 = none).
    std::int32_t RefusedFullPictureLen = 0;
    std::int32_t RefusedCloseUpLen = 0;
    // When the callback received this result, and what became of its voice and serial sends
    // (empty when the callback had not made them when the result was taken).
    LocalTime ReceivedAt;
    std::optional<bool> Broadcast;
    std::optional<bool> Serial;
    // Results of this camera that were replaced while waiting, since the last take.
    int LostResults = 0;
    // Results of this camera withdrawn because the window could not be told of them, since the
    // last take.
    int UnannouncedResults = 0;
    // The first LostKept of those lost and withdrawn results, oldest first.
    int LostKept = 0;
    std::array<LostResult, kKeptLostResults> Lost{};

private:
    friend class TVerizCamera;
    explicit TakenResult(TVerizCamera& camera) : camera_(&camera) {}
    TVerizCamera* camera_;
    int slot_ = -1;
};

class TVerizCamera {
public:
    // Results that can wait for the window thread; one more slot is the one it is handling.
    static constexpr int kWaitingSlots = 4;

    TVerizCamera();
    TVerizCamera(const TVerizCamera&) = delete;
    TVerizCamera& operator=(const TVerizCamera&) = delete;
    // Closes the camera first.
    ~TVerizCamera();

    // true when the camera was opened and its live video goes to videoWindow. An open camera is
    // closed first; a camera without a number (CameraId 0) is not opened. The address reaches
    // the library exactly as given. Window thread.
    bool OpenCamera(std::string_view address, std::uintptr_t videoWindow);
    // Closes the library handle, if any; the camera is then offline. Waiting results stay.
    // Window thread.
    void CloseCamera();
    // true when the camera is open and the library reports it online; IsOnline says the same
    // until the next query or close. Window thread.
    bool QueryOnline();
    // The answer of the last QueryOnline; false before the first, and after a close.
    bool IsOnline() const;

    // Each send returns true exactly when the library reports success, and false without a
    // library call when the camera is not open.
    // The bytes as they stand to the serial port: no frame, no CRC.
    bool SendSerial(std::string_view bytes);
    // The text in a command-48 frame with mode 1.
    bool ShowPlateText(std::string_view text);
    // The text in a command-48 or command-98 frame; any other command sends nothing (false).
    bool SendDisplayCommand(std::string_view text, std::int32_t command, std::int32_t mode);
    // The phrase number list the camera speaks for a text.
    Bytes TextToPhraseList(std::string_view text) const;
    // Has the camera speak a phrase number list.
    bool PlayPhrases(const Bytes& phrases);

    // Library thread: stores a result as the newest waiting one. When all slots wait, the oldest
    // waiting result gives way and is counted as lost. Copies only; allocates nothing. Returns
    // the result's ticket for WithdrawResult (0 when it was not stored).
    std::uint64_t StoreResult(const IncomingResult& incoming);
    // Library thread: the window could not be told of the result with this ticket, so no
    // message will come for it. Left waiting, it would make every later message take the result
    // before its own; so it is withdrawn, if it still waits, and counted as unannounced.
    void WithdrawResult(std::uint64_t ticket);
    // Library thread: what became of the voice and serial sends of the result with this ticket,
    // kept with it wherever it is by now (waiting, taken or lost). Allocates nothing.
    void NoteSends(std::uint64_t ticket, bool broadcast, bool serial);
    // Window thread: takes the oldest waiting result.
    TakenResult TakeWaitingResult();
    // Window thread, for one WM_PLATE_RESULT: the oldest waiting result. When none waits, the
    // message is either one of ours whose result gave way while waiting (it takes nothing) or
    // one that another program posted: that takes the latest result once more, so the message
    // has the camera's current result handled again.
    TakenResult TakeResultForMessage();

    // The latest result stored (zero-filled before the first), read without the lock: the
    // library thread rewrites it, so only a test that knows no callback can run reads it.
    const TPlateResult& LatestResultUnlocked() const;

    // The library handle (0 when closed), as the library thread may read it while the window
    // thread opens or closes the camera.
    ICE_HANDLE CurrentHandle() const;

    std::int32_t CameraId = 0;
    Bytes InstanceTag;
    std::uintptr_t NotifyWindow = 0;

private:
    friend class TakenResult;
    static constexpr int kSlotCount = kWaitingSlots + 1;
    enum class SlotState : std::uint8_t { Free, Waiting, Taken };
    struct ResultSlot {
        TPlateResult Result;
        std::int32_t RefusedFullPictureLen;
        std::int32_t RefusedCloseUpLen;
        LocalTime ReceivedAt;
        std::optional<bool> Broadcast;
        std::optional<bool> Serial;
        std::uint64_t Ticket;
    };
    struct KeptLost {
        LostResult Result;
        std::uint64_t Ticket;
    };

    int SlotForNewResult(const IncomingResult& incoming);
    TakenResult TakeOldestWaiting(); // under the lock
    // Under the lock: the slot becomes taken and its result goes to taken.
    void HandOverSlot(int slot, TakenResult& taken);
    void ReleaseSlot(int slot);
    // Under the lock: keeps a lost result for the next take, when there is room.
    void KeepLost(std::string_view address, std::string_view plate, const LocalTime& receivedAt,
                  const std::optional<bool>& broadcast, const std::optional<bool>& serial,
                  std::uint64_t ticket);
    void KeepLostSlot(int slot);

    mutable std::mutex lock_;
    // Written on the window thread only, under the lock.
    ICE_HANDLE sdkHandle_ = 0;
    bool online_ = false;
    std::unique_ptr<ResultSlot[]> slots_;
    std::array<SlotState, kSlotCount> state_{};
    std::array<int, kWaitingSlots> waiting_{}; // slot numbers, oldest first from waitingHead_
    int waitingHead_ = 0;
    int waitingCount_ = 0;
    int latest_ = 0;
    int lostResults_ = 0;
    int unannouncedResults_ = 0;
    int lostKept_ = 0;
    std::array<KeptLost, kKeptLostResults> lost_{};
    // Messages already posted for results that gave way: each will find no result waiting.
    int messagesWithoutResult_ = 0;
    std::uint64_t lastTicket_ = 0;
};

// The numbers of the set's two cameras: Camera3 shows in the left panel, Camera13 in the right.
constexpr std::int32_t kLeftCameraId = 3;
constexpr std::int32_t kRightCameraId = 13;

// The camera set, in search order: the set's two cameras, which it owns. Null before
// CreateCameras and after FreeCameras.
extern TVerizCamera* Camera3;
extern TVerizCamera* Camera13;

// Initialises the library, then creates Camera3 and Camera13, numbered 3 and 13 and tagged with
// TimeStampText 2 ms apart. Window thread, once.
void CreateCameras();
// Destroys Camera3, then Camera13 (each closes first), then finalises the library.
void FreeCameras();

// The camera whose object is param, or null; safe on the library thread while the window
// thread creates or frees the set.
TVerizCamera* FindCameraByObject(const void* param);
// The camera whose CameraId is the number, or null. Window thread.
TVerizCamera* FindCameraById(std::uintptr_t cameraId);

} // namespace tavo

// Camera objects: connection, sends, result slots; and the camera set.
#include "camera/UnitVerizCamera.h"

#include <chrono>
#include <cstring>
#include <iterator>
#include <limits>
#include <thread>

#include "camera/IceLibrary.h"
#include "camera/PlateCallback.h"
#include "camera/tavoToolUnit.h"
#include "protocol/DisplayFrames.h"
#include "protocol/ICESDK.h"

namespace tavo {

TVerizCamera* Camera3 = nullptr;
TVerizCamera* Camera13 = nullptr;

namespace {

// Guards the two set references against the library thread's search while the window thread
// creates or frees the set.
std::mutex& CameraSetLock() {
    static std::mutex lock;
    return lock;
}

// The cameras of the set, Camera3's first; Camera3 and Camera13 point at them. FreeCameras
// destroys them; the holder itself is never destroyed, so that a set still standing when the
// process ends is not closed from a static destructor while the library may still call back.
std::array<std::unique_ptr<TVerizCamera>, 2>& OwnedCameras() {
    static auto* cameras = new std::array<std::unique_ptr<TVerizCamera>, 2>;
    return *cameras;
}

// Copies a text of at most size - 1 bytes into a fixed area and ends it with a NUL.
void CopyText(char* area, std::size_t size, std::string_view text) {
    const std::size_t length = text.size() < size ? text.size() : size - 1;
    if (length > 0)
        std::memcpy(area, text.data(), length);
    area[length] = '\0';
}

// Copies a picture that fits its area; gives the stored count. The buffer keeps its old bytes
// beyond it.
std::int32_t CopyPicture(char* area, std::string_view picture) {
    if (picture.empty() || picture.size() > kPictureSize)
        return 0;
    std::memcpy(area, picture.data(), picture.size());
    return static_cast<std::int32_t>(picture.size());
}

} // namespace

TakenResult::TakenResult(TakenResult&& other) noexcept
    : Result(other.Result), RefusedFullPictureLen(other.RefusedFullPictureLen),
      RefusedCloseUpLen(other.RefusedCloseUpLen), ReceivedAt(other.ReceivedAt),
      Broadcast(other.Broadcast), Serial(other.Serial), LostResults(other.LostResults),
      UnannouncedResults(other.UnannouncedResults), LostKept(other.LostKept), Lost(other.Lost),
      camera_(other.camera_), slot_(other.slot_) {
    other.slot_ = -1;
    other.Result = nullptr;
}

TakenResult::~TakenResult() {
    if (slot_ >= 0)
        camera_->ReleaseSlot(slot_);
}

TVerizCamera::TVerizCamera() : slots_(std::make_unique<ResultSlot[]>(kSlotCount)) {}

TVerizCamera::~TVerizCamera() {
    CloseCamera();
}

bool TVerizCamera::OpenCamera(std::string_view address, std::uintptr_t videoWindow) {
    if (sdkHandle_ != 0)
        CloseCamera();
    if (CameraId == 0)
        return false;
    // Not under the lock: the library may deliver a result before OpenPreview returns.
    const Bytes text(address);
    const ICE_HANDLE handle = IceOpenPreview(text.c_str(), videoWindow, OnPlateResult, this);
    std::lock_guard guard(lock_);
    sdkHandle_ = handle;
    return handle != 0;
}

void TVerizCamera::CloseCamera() {
    if (sdkHandle_ == 0)
        return;
    // Not under the lock: Close waits for a running callback, which takes the lock.
    IceClose(sdkHandle_);
    std::lock_guard guard(lock_);
    sdkHandle_ = 0;
    online_ = false;
}

bool TVerizCamera::QueryOnline() {
    // The window thread is the only writer, so it reads the handle without the lock.
    const bool online = sdkHandle_ != 0 && IceGetStatus(sdkHandle_);
    std::lock_guard guard(lock_);
    online_ = online;
    return online;
}

bool TVerizCamera::IsOnline() const {
    std::lock_guard guard(lock_);
    return online_;
}

ICE_HANDLE TVerizCamera::CurrentHandle() const {
    std::lock_guard guard(lock_);
    return sdkHandle_;
}

bool TVerizCamera::SendSerial(std::string_view bytes) {
    const ICE_HANDLE handle = CurrentHandle();
    if (handle == 0 ||
        bytes.size() > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max()))
        return false;
    return IceTransSerialPort(handle, bytes.data(), static_cast<std::int32_t>(bytes.size()));
}

bool TVerizCamera::ShowPlateText(std::string_view text) {
    return SendDisplayCommand(text, kDisplayCommand48, 1);
}

bool TVerizCamera::SendDisplayCommand(std::string_view text, std::int32_t command,
                                      std::int32_t mode) {
    if (CurrentHandle() == 0)
        return false;
    switch (command) {
    case kDisplayCommand48:
        return SendSerial(BuildCommand48Frame(text, mode));
    case kDisplayCommand98:
        return SendSerial(BuildCommand98Frame(text, mode));
    default:
        return false;
    }
}

Bytes TVerizCamera::TextToPhraseList(std::string_view text) const {
    return ConvertTextToPhrases(text);
}

bool TVerizCamera::PlayPhrases(const Bytes& phrases) {
    const ICE_HANDLE handle = CurrentHandle();
    if (handle == 0)
        return false;
    return IceBroadcastGroup(handle, phrases.c_str());
}

void TVerizCamera::KeepLost(std::string_view address, std::string_view plate,
                            const LocalTime& receivedAt, const std::optional<bool>& broadcast,
                            const std::optional<bool>& serial, std::uint64_t ticket) {
    if (lostKept_ == kKeptLostResults)
        return;
    KeptLost& kept = lost_[lostKept_++];
    CopyText(kept.Result.Address, kResultIPSize, address);
    CopyText(kept.Result.Plate, kResultPlateSize, plate);
    kept.Result.ReceivedAt = receivedAt;
    kept.Result.Broadcast = broadcast;
    kept.Result.Serial = serial;
    kept.Ticket = ticket;
}

void TVerizCamera::KeepLostSlot(int slot) {
    const ResultSlot& lost = slots_[slot];
    KeepLost(TextUpToNul(lost.Result.ResultIP, kResultIPSize),
             TextUpToNul(lost.Result.ResultPlate, kResultPlateSize), lost.ReceivedAt,
             lost.Broadcast, lost.Serial, lost.Ticket);
}

int TVerizCamera::SlotForNewResult(const IncomingResult& incoming) {
    if (waitingCount_ == kWaitingSlots) {
        // All slots wait: the oldest gives way.
        const int oldest = waiting_[waitingHead_];
        waitingHead_ = (waitingHead_ + 1) % kWaitingSlots;
        --waitingCount_;
        ++lostResults_;
        KeepLostSlot(oldest);
        ++messagesWithoutResult_;
        return oldest;
    }
    // At most three wait and one is taken, so one of the five slots is free.
    for (int slot = 0; slot < kSlotCount; ++slot)
        if (state_[slot] == SlotState::Free)
            return slot;
    ++lostResults_;
    ++messagesWithoutResult_;
    KeepLost(incoming.Address, incoming.Plate, incoming.ReceivedAt, {}, {}, 0);
    return -1;
}

std::uint64_t TVerizCamera::StoreResult(const IncomingResult& incoming) {
    std::lock_guard guard(lock_);
    const int slot = SlotForNewResult(incoming);
    if (slot < 0)
        return 0;
    ResultSlot& target = slots_[slot];
    CopyText(target.Result.ResultIP, kResultIPSize, incoming.Address);
    CopyText(target.Result.ResultPlate, kResultPlateSize, incoming.Plate);
    target.Result.FullPictureLen = CopyPicture(target.Result.FullPicture, incoming.FullPicture);
    target.Result.CloseUpLen = CopyPicture(target.Result.CloseUpPicture, incoming.CloseUpPicture);
    target.RefusedFullPictureLen = incoming.RefusedFullPictureLen;
    target.RefusedCloseUpLen = incoming.RefusedCloseUpLen;
    target.ReceivedAt = incoming.ReceivedAt;
    target.Broadcast.reset();
    target.Serial.reset();
    target.Ticket = ++lastTicket_;
    state_[slot] = SlotState::Waiting;
    waiting_[(waitingHead_ + waitingCount_) % kWaitingSlots] = slot;
    ++waitingCount_;
    latest_ = slot;
    return target.Ticket;
}

void TVerizCamera::WithdrawResult(std::uint64_t ticket) {
    std::lock_guard guard(lock_);
    for (int i = 0; i < waitingCount_; ++i) {
        const int slot = waiting_[(waitingHead_ + i) % kWaitingSlots];
        if (slots_[slot].Ticket != ticket)
            continue;
        // The younger waiting results move up one place; the order stays.
        for (int k = i; k + 1 < waitingCount_; ++k)
            waiting_[(waitingHead_ + k) % kWaitingSlots] =
                waiting_[(waitingHead_ + k + 1) % kWaitingSlots];
        --waitingCount_;
        state_[slot] = SlotState::Free;
        ++unannouncedResults_;
        KeepLostSlot(slot);
        return;
    }
    // It gave way while waiting, so a message was counted for it that will never come.
    if (messagesWithoutResult_ > 0)
        --messagesWithoutResult_;
}

void TVerizCamera::NoteSends(std::uint64_t ticket, bool broadcast, bool serial) {
    if (ticket == 0)
        return;
    std::lock_guard guard(lock_);
    for (int slot = 0; slot < kSlotCount; ++slot) {
        ResultSlot& result = slots_[slot];
        if (state_[slot] != SlotState::Free && result.Ticket == ticket) {
            result.Broadcast = broadcast;
            result.Serial = serial;
            return;
        }
    }
    for (int i = 0; i < lostKept_; ++i) {
        if (lost_[i].Ticket == ticket) {
            lost_[i].Result.Broadcast = broadcast;
            lost_[i].Result.Serial = serial;
            return;
        }
    }
}

TakenResult TVerizCamera::TakeWaitingResult() {
    std::lock_guard guard(lock_);
    return TakeOldestWaiting();
}

TakenResult TVerizCamera::TakeResultForMessage() {
    std::lock_guard guard(lock_);
    TakenResult taken = TakeOldestWaiting();
    if (taken.Result != nullptr)
        return taken;
    if (messagesWithoutResult_ > 0) {
        --messagesWithoutResult_;
        return taken;
    }
    // A message from outside: the latest result once more, unless there is none yet or it is
    // being handled right now. Its refused pictures were reported the first time.
    if (lastTicket_ == 0 || state_[latest_] != SlotState::Free)
        return taken;
    HandOverSlot(latest_, taken);
    return taken;
}

TakenResult TVerizCamera::TakeOldestWaiting() {
    TakenResult taken(*this);
    taken.LostResults = lostResults_;
    lostResults_ = 0;
    taken.UnannouncedResults = unannouncedResults_;
    unannouncedResults_ = 0;
    taken.LostKept = lostKept_;
    for (int i = 0; i < lostKept_; ++i)
        taken.Lost[i] = lost_[i].Result;
    lostKept_ = 0;
    if (waitingCount_ == 0)
        return taken;
    const int slot = waiting_[waitingHead_];
    waitingHead_ = (waitingHead_ + 1) % kWaitingSlots;
    --waitingCount_;
    HandOverSlot(slot, taken);
    taken.RefusedFullPictureLen = slots_[slot].RefusedFullPictureLen;
    taken.RefusedCloseUpLen = slots_[slot].RefusedCloseUpLen;
    return taken;
}

void TVerizCamera::HandOverSlot(int slot, TakenResult& taken) {
    state_[slot] = SlotState::Taken;
    taken.slot_ = slot;
    taken.Result = &slots_[slot].Result;
    taken.ReceivedAt = slots_[slot].ReceivedAt;
    taken.Broadcast = slots_[slot].Broadcast;
    taken.Serial = slots_[slot].Serial;
}

void TVerizCamera::ReleaseSlot(int slot) {
    std::lock_guard guard(lock_);
    state_[slot] = SlotState::Free;
}

const TPlateResult& TVerizCamera::LatestResultUnlocked() const {
    return slots_[latest_].Result;
}

void CreateCameras() {
    IceInit();
    auto left = std::make_unique<TVerizCamera>();
    auto right = std::make_unique<TVerizCamera>();
    {
        std::lock_guard guard(CameraSetLock());
        Camera3 = left.get();
        Camera13 = right.get();
        OwnedCameras()[0] = std::move(left);
        OwnedCameras()[1] = std::move(right);
    }
    Camera3->CameraId = kLeftCameraId;
    Camera3->InstanceTag = TimeStampText();
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
    Camera13->CameraId = kRightCameraId;
    Camera13->InstanceTag = TimeStampText();
}

void FreeCameras() {
    // Each reference is cleared before its object goes, so that a callback arriving meanwhile
    // finds no camera; the destructor's close waits for one that is running.
    TVerizCamera** references[] = {&Camera3, &Camera13};
    for (std::size_t i = 0; i < std::size(references); ++i) {
        std::unique_ptr<TVerizCamera> camera;
        {
            std::lock_guard guard(CameraSetLock());
            camera = std::move(OwnedCameras()[i]);
            *references[i] = nullptr;
        }
        camera.reset();
    }
    IceFini();
}

TVerizCamera* FindCameraByObject(const void* param) {
    std::lock_guard guard(CameraSetLock());
    TVerizCamera* found = nullptr;
    for (TVerizCamera* camera : {Camera3, Camera13})
        if (camera != nullptr && camera == param)
            found = camera;
    return found;
}

TVerizCamera* FindCameraById(std::uintptr_t cameraId) {
    TVerizCamera* found = nullptr;
    for (TVerizCamera* camera : {Camera3, Camera13})
        if (camera != nullptr && static_cast<std::uintptr_t>(camera->CameraId) == cameraId)
            found = camera;
    return found;
}

} // namespace tavo

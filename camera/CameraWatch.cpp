// The camera watch's checks, state changes and reopens, on the window thread.
#include "camera/CameraWatch.h"

#include "camera/UnitVerizCamera.h"
#include "common/GbkText.h"
#include "records/tavoLogUnit.h"

namespace tavo {

CameraWatch::CameraWatch(std::vector<WatchedCamera> cameras) {
    for (WatchedCamera& camera : cameras)
        states_.push_back(State{std::move(camera)});
}

std::vector<WatchChange> CameraWatch::Check(TimePoint now) {
    std::vector<WatchChange> changes;
    for (State& state : states_) {
        TVerizCamera& camera = *state.Watched.Camera;
        const bool online = camera.CurrentHandle() != 0 && camera.QueryOnline();
        const Bytes named = state.Watched.Side + Utf8ToGbk("摄像头");
        if (online) {
            state.OfflineChecks = 0;
            if (!state.Online) {
                state.Online = true;
                WatchChange change{true, named + Utf8ToGbk("恢复在线：") + state.Watched.Address};
                DebugLog(change.Text);
                changes.push_back(std::move(change));
            }
            continue;
        }
        ++state.OfflineChecks;
        if (state.Online) {
            state.Online = false;
            WatchChange change{false, named + Utf8ToGbk("离线：") + state.Watched.Address};
            ErrorLog(change.Text);
            changes.push_back(std::move(change));
        }
        if (state.OfflineChecks >= kOfflineChecksBeforeReopen &&
            (!state.Reopened || now - state.LastReopen >= kReopenSpacing))
            Reopen(state, now);
    }
    return changes;
}

void CameraWatch::Reopen(State& state, TimePoint now) {
    state.Reopened = true;
    state.LastReopen = now;
    TVerizCamera& camera = *state.Watched.Camera;
    camera.CloseCamera();
    const bool opened = camera.OpenCamera(state.Watched.Address, state.Watched.VideoWindow);
    DebugLog(Utf8ToGbk("重新打开") + state.Watched.Side + Utf8ToGbk("摄像头：") +
             state.Watched.Address + Utf8ToGbk(opened ? "，成功" : "，失败"));
}

std::vector<Bytes> CameraWatch::OfflineSides() const {
    std::vector<Bytes> sides;
    for (const State& state : states_)
        if (!state.Online)
            sides.push_back(state.Watched.Side);
    return sides;
}

Bytes WatchTipText(const std::vector<Bytes>& offlineSides) {
    Bytes tip = Utf8ToGbk("【高清车牌识别】");
    if (offlineSides.empty())
        return tip;
    for (std::size_t i = 0; i < offlineSides.size(); ++i) {
        if (i > 0)
            tip += Utf8ToGbk("、");
        tip += offlineSides[i];
    }
    return tip + Utf8ToGbk("离线");
}

} // namespace tavo

// The library thread delivers results while the window thread handles them: no result is handled
// twice, none is lost while no more than the slots wait, each lost one is logged, and every
// handled result is whole. Built as its own program so it can run alone under ThreadSanitizer.
#include <gtest/gtest.h>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <set>
#include <thread>

#include "CameraFixture.h"
#include "camera/MessagePoster.h"
#include "camera/PlateResultHandler.h"
#include "camera/UnitVerizCamera.h"
#include "common/GbkText.h"
#include "common/HostPath.h"

namespace tavo::test {
namespace {

// The window's message queue: what the callback posts, the window thread takes.
std::mutex queueLock;
std::condition_variable queueChanged;
std::deque<std::uintptr_t> queue;
int handledMessages = 0;

bool QueuePoster(std::uintptr_t, std::uint32_t message, std::uintptr_t wParam, std::intptr_t) {
    if (message != WM_PLATE_RESULT)
        return false;
    std::lock_guard guard(queueLock);
    queue.push_back(wParam);
    queueChanged.notify_all();
    return true;
}

// A picture that belongs to exactly one plate, so a torn copy shows.
std::string PictureOf(const std::string& plate) {
    std::string picture;
    while (picture.size() < 4096)
        picture += plate + "|";
    return picture;
}

std::string PlateNumber(int i) {
    char plate[8];
    std::snprintf(plate, sizeof plate, "P%04d", i);
    return plate;
}

class CameraThreadsTest : public CameraTest {
protected:
    void SetUp() override {
        CameraTest::SetUp();
        {
            std::lock_guard guard(queueLock);
            queue.clear();
            handledMessages = 0;
        }
        SetMessagePoster(QueuePoster);
        CreateCameras();
        ASSERT_TRUE(Camera3->OpenCamera("192.168.1.100", 1));
        WithFake([](FakeIceState& s) { s.NextHandle = 8; });
        ASSERT_TRUE(Camera13->OpenCamera("192.168.1.101", 2));
        cameras_[0] = Camera3;
        cameras_[1] = Camera13;
    }

    // Library thread: result i goes to camera i % 2.
    void DeliverResult(int i) {
        const std::string plate = PlateNumber(i);
        Deliver(cameras_[i % 2], i % 2 == 0 ? "192.168.1.100" : "192.168.1.101", plate.c_str(),
                PictureOf(plate), "");
    }

    // Window thread: handles messages until `messages` have been handled in all.
    void HandleUntil(int messages) {
        for (;;) {
            std::uintptr_t id = 0;
            {
                std::unique_lock lock(queueLock);
                if (handledMessages == messages)
                    return;
                queueChanged.wait(lock, [] { return !queue.empty(); });
                id = queue.front();
                queue.pop_front();
            }
            HandlePlateResult(id, window_);
            std::lock_guard guard(queueLock);
            ++handledMessages;
            queueChanged.notify_all();
        }
    }

    // Every handled plate is distinct, in delivery order per camera, and its archived picture is
    // the one delivered with it. Returns how many were handled.
    int CheckHandled() {
        EXPECT_EQ(window_.Plates.size(), window_.ImagePaths.size());
        std::set<std::string> seen;
        int lastPerCamera[2] = {-1, -1};
        for (std::size_t n = 0; n < window_.Plates.size(); ++n) {
            const std::string& plate = window_.Plates[n];
            EXPECT_TRUE(seen.insert(plate).second) << plate << " handled twice";
            const int number = std::stoi(plate.substr(1));
            int& last = lastPerCamera[number % 2];
            EXPECT_GT(number, last) << plate << " out of order";
            last = number;
            EXPECT_EQ(ReadFile(ProgramPath(window_.ImagePaths[n])), PictureOf(plate)) << plate;
        }
        return static_cast<int>(window_.Plates.size());
    }

    static int LostLines() {
        const Bytes log = ErrorLogText();
        const Bytes line = Utf8ToGbk("等待处理的识别结果已满");
        int count = 0;
        for (auto at = log.find(line); at != Bytes::npos; at = log.find(line, at + 1))
            ++count;
        return count;
    }

    TVerizCamera* cameras_[2] = {};
    RecordingWindow window_;
};

TEST_F(CameraThreadsTest, BurstsThatFitTheSlotsLoseNothing) {
    constexpr int kBursts = 40;
    constexpr int kBurst = TVerizCamera::kWaitingSlots * 2; // four for each camera
    std::thread library([this] {
        for (int burst = 0; burst < kBursts; ++burst) {
            for (int i = 0; i < kBurst; ++i)
                DeliverResult(burst * kBurst + i);
            // The next burst comes once the window thread has caught up.
            std::unique_lock lock(queueLock);
            queueChanged.wait(lock, [&] { return handledMessages == (burst + 1) * kBurst; });
        }
    });
    HandleUntil(kBursts * kBurst);
    library.join();
    EXPECT_EQ(CheckHandled(), kBursts * kBurst);
    EXPECT_EQ(LostLines(), 0);
    EXPECT_EQ(ErrorLogText(), "");
}

TEST_F(CameraThreadsTest, UnthrottledStreamHandlesEachResultAtMostOnceAndLogsTheRest) {
    constexpr int kResults = 400;
    std::thread library([this] {
        for (int i = 0; i < kResults; ++i) {
            DeliverResult(i);
            if (i % 7 == 0)
                std::this_thread::yield();
        }
    });
    HandleUntil(kResults);
    library.join();
    const int handled = CheckHandled();
    EXPECT_GE(handled, 2 * TVerizCamera::kWaitingSlots) << "at least the last ones of each";
    EXPECT_EQ(handled + LostLines(), kResults);

    // Every result has exactly one record: handled, or dropped with its sends.
    std::set<std::string> recorded;
    int dropped = 0;
    for (const TResultRecord& record : window_.Records) {
        EXPECT_TRUE(recorded.insert(record.Plate).second) << record.Plate << " recorded twice";
        if (record.State == ResultState::Dropped) {
            ++dropped;
            EXPECT_EQ(record.Broadcast, std::optional<bool>(true)) << record.Plate;
        }
    }
    // Lost results beyond those a camera keeps between two takes are only logged.
    EXPECT_LE(dropped, LostLines());
    EXPECT_EQ(static_cast<int>(recorded.size()) + (LostLines() - dropped), kResults);
}

} // namespace
} // namespace tavo::test

// The recognition callback: what it copies into the camera, what it answers the camera, what it
// posts, and how it fits the library's input to the areas and the waiting slots.
#include <gtest/gtest.h>

#include <stdexcept>

#include "CameraFixture.h"
#include "camera/MessagePoster.h"
#include "camera/PlateCallback.h"
#include "camera/UnitVerizCamera.h"
#include "common/GbkText.h"

namespace tavo::test {
namespace {

constexpr std::uintptr_t kWindow = 0xABC;

class PlateCallbackTest : public CameraTest {
protected:
    void SetUp() override {
        CameraTest::SetUp();
        CreateCameras();
        Camera3->NotifyWindow = kWindow;
        Camera13->NotifyWindow = kWindow;
        ASSERT_TRUE(Camera3->OpenCamera("192.168.1.100", 1));
        WithFake([](FakeIceState& s) { s.NextHandle = 8; });
        ASSERT_TRUE(Camera13->OpenCamera("192.168.1.101", 2));
    }
    static std::vector<FakeSend> Serial() {
        return WithFake([](FakeIceState& s) { return s.Serial; });
    }
    static std::vector<FakeSend> Broadcasts() {
        return WithFake([](FakeIceState& s) { return s.Broadcasts; });
    }
};

TEST_F(PlateCallbackTest, StoresAnswersTheCameraAndPostsThePosition) {
    const Bytes plate = Utf8ToGbk("闽AR2346");
    Deliver(Camera3, "192.168.1.100", plate.c_str(), "full picture", "close-up");

    const TPlateResult& result = Camera3->LatestResultUnlocked();
    EXPECT_STREQ(result.ResultIP, "192.168.1.100");
    EXPECT_EQ(Bytes(result.ResultPlate), plate);
    EXPECT_EQ(Bytes(result.FullPicture, result.FullPictureLen), "full picture");
    EXPECT_EQ(Bytes(result.CloseUpPicture, result.CloseUpLen), "close-up");

    const auto broadcasts = Broadcasts();
    ASSERT_EQ(broadcasts.size(), 1u);
    EXPECT_EQ(broadcasts[0].Handle, 7u);
    EXPECT_EQ(broadcasts[0].Data, "121,76,92,2,3,4,6");
    const auto serial = Serial();
    ASSERT_EQ(serial.size(), 1u);
    EXPECT_EQ(serial[0].Handle, 7u);
    EXPECT_EQ(serial[0].Data, plate) << "the 8 plate bytes, no frame, no terminator";
    const auto posts = Posts();
    ASSERT_EQ(posts.size(), 1u);
    EXPECT_EQ(posts[0].Window, kWindow);
    EXPECT_EQ(posts[0].Message, 0x405u);
    EXPECT_EQ(posts[0].WParam, 3u);
    EXPECT_EQ(posts[0].LParam, 0);
    EXPECT_EQ(Camera13->LatestResultUnlocked().ResultIP[0], '\0')
        << "the other camera is untouched";
}

TEST_F(PlateCallbackTest, SecondPositionAnswersThroughItsOwnHandle) {
    Deliver(Camera13, "192.168.1.101", "A", "", "");
    EXPECT_EQ(Serial().at(0).Handle, 8u);
    EXPECT_EQ(Broadcasts().at(0).Handle, 8u);
    EXPECT_EQ(Posts().at(0).WParam, 13u);
}

TEST_F(PlateCallbackTest, ParamThatIsNoCameraOfTheSetIsIgnored) {
    TVerizCamera stranger;
    stranger.CameraId = 3;
    int notACamera = 0;
    for (void* param : {static_cast<void*>(nullptr), static_cast<void*>(&stranger),
                        static_cast<void*>(&notACamera)})
        Deliver(param, "10.0.0.9", "A", "full", "close");
    EXPECT_TRUE(Serial().empty());
    EXPECT_TRUE(Broadcasts().empty());
    EXPECT_TRUE(Posts().empty());
    EXPECT_EQ(Camera3->TakeWaitingResult().Result, nullptr);
    EXPECT_EQ(Camera13->TakeWaitingResult().Result, nullptr);
}

TEST_F(PlateCallbackTest, EmptyPlateIsSpokenAsEmptyListSentAsNoBytesAndStillPosted) {
    Deliver(Camera3, "192.168.1.100", "", "", "");
    EXPECT_EQ(Broadcasts().at(0).Data, "");
    EXPECT_EQ(Serial().at(0).Data, "");
    EXPECT_EQ(Posts().size(), 1u);
    EXPECT_EQ(Camera3->LatestResultUnlocked().FullPictureLen, 0);
    EXPECT_EQ(Camera3->LatestResultUnlocked().CloseUpLen, 0);
}

TEST_F(PlateCallbackTest, FailedAnswersDoNotStopThePost) {
    WithFake([](FakeIceState& s) { s.SerialResult = s.BroadcastResult = 0; });
    SetPostResult(false);
    Deliver(Camera3, "192.168.1.100", "A", "", "");
    EXPECT_EQ(Serial().size(), 1u);
    EXPECT_EQ(Broadcasts().size(), 1u);
    EXPECT_EQ(Posts().size(), 1u);
    EXPECT_STREQ(Camera3->LatestResultUnlocked().ResultPlate, "A");
}

TEST_F(PlateCallbackTest, TextsLongerThanTheirAreasAreCutAndStayTerminated) {
    const std::string address(40, '1');
    const std::string plate = "ABCDEFGHIJKLMNOPQRST"; // 20 bytes
    Deliver(Camera3, address.c_str(), plate.c_str(), "", "");
    const TPlateResult& result = Camera3->LatestResultUnlocked();
    EXPECT_EQ(Bytes(result.ResultIP), std::string(32, '1'));
    EXPECT_EQ(Bytes(result.ResultPlate), "ABCDEFGHIJKLMNOP");
    EXPECT_EQ(Serial().at(0).Data, "ABCDEFGHIJKLMNOP") << "the camera hears what was kept";
}

TEST_F(PlateCallbackTest, PicturesAreStoredUpToTheirAreaAndALongerOneIsRefused) {
    const std::string whole(kPictureSize, 'F');
    const std::string tooLong(kPictureSize + 1, 'C');
    Deliver(Camera3, "192.168.1.100", "A", whole, tooLong);
    const TPlateResult& result = Camera3->LatestResultUnlocked();
    EXPECT_EQ(result.FullPictureLen, static_cast<std::int32_t>(kPictureSize));
    EXPECT_EQ(result.FullPicture[kPictureSize - 1], 'F');
    EXPECT_EQ(result.CloseUpLen, 0);
    const TakenResult taken = Camera3->TakeWaitingResult();
    EXPECT_EQ(taken.RefusedFullPictureLen, 0);
    EXPECT_EQ(taken.RefusedCloseUpLen, static_cast<std::int32_t>(kPictureSize + 1));
    EXPECT_EQ(Posts().size(), 1u) << "the rest of the result goes on";
}

TEST_F(PlateCallbackTest, NullTextsNullPicturesAndNegativeCountsAreEmpty) {
    OnPlateResult(Camera3, nullptr, nullptr, nullptr, nullptr, 100, "close", -5, 0, 0, 0, 0, 0, 0,
                  0, 0, 0, 0, 0, 0, 0);
    const TPlateResult& result = Camera3->LatestResultUnlocked();
    EXPECT_EQ(result.ResultIP[0], '\0');
    EXPECT_EQ(result.ResultPlate[0], '\0');
    EXPECT_EQ(result.FullPictureLen, 0);
    EXPECT_EQ(result.CloseUpLen, 0);
    const TakenResult taken = Camera3->TakeWaitingResult();
    EXPECT_EQ(taken.RefusedFullPictureLen, 0);
    EXPECT_EQ(taken.RefusedCloseUpLen, 0);
    EXPECT_EQ(Posts().size(), 1u);
}

bool ThrowingPoster(std::uintptr_t, std::uint32_t, std::uintptr_t, std::intptr_t) {
    throw std::runtime_error("poster failed");
}

TEST_F(PlateCallbackTest, NoErrorLeavesTheCallback) {
    SetMessagePoster(ThrowingPoster);
    EXPECT_NO_THROW(Deliver(Camera3, "192.168.1.100", "A", "", ""));
    SetMessagePoster(nullptr);
    // The default poster fails for a window that does not exist, and quietly.
    EXPECT_NO_THROW(Deliver(Camera3, "192.168.1.100", "B", "", ""));
    EXPECT_STREQ(Camera3->LatestResultUnlocked().ResultPlate, "B");
}

// The waiting slots, filled by the callback and taken as the window thread does.
TEST_F(PlateCallbackTest, UpToFourResultsWaitAndAreTakenOldestFirstOncePerTake) {
    for (const char* plate : {"P1", "P2", "P3", "P4"})
        Deliver(Camera3, "192.168.1.100", plate, plate, "");
    EXPECT_STREQ(Camera3->LatestResultUnlocked().ResultPlate, "P4") << "the latest result";
    for (const char* plate : {"P1", "P2", "P3", "P4"}) {
        const TakenResult taken = Camera3->TakeWaitingResult();
        ASSERT_NE(taken.Result, nullptr) << plate;
        EXPECT_STREQ(taken.Result->ResultPlate, plate);
        EXPECT_EQ(Bytes(taken.Result->FullPicture, taken.Result->FullPictureLen), plate);
        EXPECT_EQ(taken.LostResults, 0);
    }
    EXPECT_EQ(Camera3->TakeWaitingResult().Result, nullptr);
    EXPECT_STREQ(Camera3->LatestResultUnlocked().ResultPlate, "P4")
        << "taking keeps the latest result";
}

TEST_F(PlateCallbackTest, WhenAllSlotsWaitTheOldestGivesWayAndIsCountedLost) {
    for (const char* plate : {"P1", "P2", "P3", "P4", "P5", "P6"})
        Deliver(Camera3, "192.168.1.100", plate, "", "");
    std::vector<std::string> handled;
    int lost = 0;
    for (int message = 0; message < 6; ++message) {
        const TakenResult taken = Camera3->TakeWaitingResult();
        lost += taken.LostResults;
        if (taken.Result != nullptr)
            handled.emplace_back(taken.Result->ResultPlate);
    }
    EXPECT_EQ(handled, (std::vector<std::string>{"P3", "P4", "P5", "P6"}));
    EXPECT_EQ(lost, 2);
}

TEST_F(PlateCallbackTest, ResultInTheWindowThreadsHandsIsNotOverwritten) {
    Deliver(Camera3, "192.168.1.100", "HELD", "held picture", "");
    {
        const TakenResult held = Camera3->TakeWaitingResult();
        ASSERT_NE(held.Result, nullptr);
        for (int i = 0; i < 12; ++i)
            Deliver(Camera3, "192.168.1.100", Numbered('N', i).c_str(), "newer", "");
        EXPECT_STREQ(held.Result->ResultPlate, "HELD");
        EXPECT_EQ(Bytes(held.Result->FullPicture, held.Result->FullPictureLen), "held picture");
        EXPECT_STREQ(Camera3->LatestResultUnlocked().ResultPlate, "N11");
    }
    // Released, the slot takes results again: the four newest wait.
    const TakenResult next = Camera3->TakeWaitingResult();
    ASSERT_NE(next.Result, nullptr);
    EXPECT_STREQ(next.Result->ResultPlate, "N8");
    EXPECT_EQ(next.LostResults, 8);
}

} // namespace
} // namespace tavo::test

// The camera object against the fake library: open, close, status, the sends, and the camera set
// with its tags.
#include <gtest/gtest.h>

#include <memory>

#include "CameraFixture.h"
#include "camera/PlateCallback.h"
#include "camera/UnitVerizCamera.h"
#include "camera/tavoToolUnit.h"
#include "common/GbkText.h"

namespace tavo::test {
namespace {

// 00 64 FF -> bytes.
Bytes Hex(std::string_view hex) {
    Bytes out;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 3)
        out += static_cast<char>(std::stoi(std::string(hex.substr(i, 2)), nullptr, 16));
    return out;
}

class CameraObjectTest : public CameraTest {
protected:
    std::unique_ptr<TVerizCamera> NumberedCamera(std::int32_t id = 3) {
        auto camera = std::make_unique<TVerizCamera>();
        camera->CameraId = id;
        return camera;
    }
    static std::vector<std::string> Calls() {
        return WithFake([](FakeIceState& s) { return s.Calls; });
    }
};

TEST_F(CameraObjectTest, NewObjectIsClosedUnnumberedAndItsResultIsEmpty) {
    TVerizCamera camera;
    EXPECT_EQ(camera.CameraId, 0);
    EXPECT_EQ(camera.CurrentHandle(), 0u);
    EXPECT_FALSE(camera.IsOnline());
    EXPECT_TRUE(camera.InstanceTag.empty());
    const TPlateResult& result = camera.LatestResultUnlocked();
    EXPECT_EQ(result.FullPictureLen, 0);
    EXPECT_EQ(result.CloseUpLen, 0);
    EXPECT_EQ(result.ResultIP[0], '\0');
    EXPECT_EQ(result.ResultPlate[0], '\0');
    EXPECT_TRUE(Calls().empty());
}

TEST_F(CameraObjectTest, OpenPassesTheUntrimmedAddressFixedOnesWindowCallbackAndItself) {
    auto camera = NumberedCamera();
    EXPECT_TRUE(camera->OpenCamera(" 192.168.1.100 ", 0x1234));
    EXPECT_EQ(camera->CurrentHandle(), 7u);
    EXPECT_FALSE(camera->IsOnline()) << "opening does not query the status";
    const auto opens = WithFake([](FakeIceState& s) { return s.Opens; });
    ASSERT_EQ(opens.size(), 1u);
    EXPECT_EQ(opens[0].Address, " 192.168.1.100 ");
    EXPECT_EQ(opens[0].FixedOne, 1);
    EXPECT_EQ(opens[0].FixedAlsoOne, 1);
    EXPECT_EQ(opens[0].VideoWindow, 0x1234u);
    EXPECT_EQ(opens[0].OnPlate, &OnPlateResult);
    EXPECT_EQ(opens[0].Param, camera.get());
}

TEST_F(CameraObjectTest, UnnumberedCameraIsNotOpenedButAnOpenOneIsClosedAllTheSame) {
    auto camera = NumberedCamera();
    ASSERT_TRUE(camera->OpenCamera("10.0.0.1", 1));
    camera->CameraId = 0;
    EXPECT_FALSE(camera->OpenCamera("10.0.0.2", 1));
    EXPECT_EQ(camera->CurrentHandle(), 0u);
    EXPECT_EQ(Calls(), (std::vector<std::string>{"Open 7", "Close 7"}));
}

TEST_F(CameraObjectTest, ReopenClosesFirstAndAFailedOpenLeavesItClosedAndOffline) {
    auto camera = NumberedCamera();
    ASSERT_TRUE(camera->OpenCamera("10.0.0.1", 1));
    ASSERT_TRUE(camera->QueryOnline());
    WithFake([](FakeIceState& s) { s.NextHandle = 0; });
    EXPECT_FALSE(camera->OpenCamera("10.0.0.2", 1));
    EXPECT_EQ(camera->CurrentHandle(), 0u);
    EXPECT_FALSE(camera->IsOnline());
    EXPECT_EQ(Calls(), (std::vector<std::string>{"Open 7", "Status 7", "Close 7", "Open 0"}));
}

TEST_F(CameraObjectTest, StatusIsAskedOnlyOfAnOpenCamera) {
    auto camera = NumberedCamera();
    EXPECT_FALSE(camera->QueryOnline());
    EXPECT_FALSE(camera->IsOnline());
    camera->CloseCamera();
    EXPECT_TRUE(Calls().empty()) << "closed: neither status nor close reaches the library";

    ASSERT_TRUE(camera->OpenCamera("10.0.0.1", 1));
    EXPECT_TRUE(camera->QueryOnline());
    EXPECT_TRUE(camera->IsOnline());
    WithFake([](FakeIceState& s) { s.Status = 0; });
    EXPECT_FALSE(camera->QueryOnline());
    EXPECT_FALSE(camera->IsOnline());
    WithFake([](FakeIceState& s) { s.Status = -5; });
    EXPECT_TRUE(camera->QueryOnline()) << "any status but 0 is online";
    camera->CloseCamera();
    EXPECT_FALSE(camera->IsOnline());
    EXPECT_EQ(camera->CurrentHandle(), 0u);
}

TEST_F(CameraObjectTest, ClosingKeepsTheLatestResultAndDestroyingClosesTheHandle) {
    auto camera = NumberedCamera();
    ASSERT_TRUE(camera->OpenCamera("10.0.0.1", 1));
    camera->StoreResult({"10.0.0.1", "A1", "full", "", 0, 0, {}});
    camera->CloseCamera();
    EXPECT_STREQ(camera->LatestResultUnlocked().ResultPlate, "A1");
    EXPECT_EQ(camera->LatestResultUnlocked().FullPictureLen, 4);

    ASSERT_TRUE(camera->OpenCamera("10.0.0.1", 1));
    camera.reset();
    EXPECT_EQ(Calls().back(), "Close 7");
}

TEST_F(CameraObjectTest, ClosedCameraSendsNothing) {
    TVerizCamera camera;
    camera.CameraId = 3;
    EXPECT_FALSE(camera.SendSerial("A"));
    EXPECT_FALSE(camera.ShowPlateText("A"));
    EXPECT_FALSE(camera.SendDisplayCommand("A", 98, 1));
    EXPECT_FALSE(camera.PlayPhrases("76"));
    const auto [serial, broadcasts] = WithFake(
        [](FakeIceState& s) { return std::make_pair(s.Serial.size(), s.Broadcasts.size()); });
    EXPECT_EQ(serial, 0u);
    EXPECT_EQ(broadcasts, 0u);
}

TEST_F(CameraObjectTest, SendsAreTrueExactlyWhenTheLibraryAnswersOne) {
    auto camera = NumberedCamera();
    ASSERT_TRUE(camera->OpenCamera("10.0.0.1", 1));
    for (const std::int32_t answer : {1, 0, 2, -1}) {
        WithFake([answer](FakeIceState& s) { s.SerialResult = s.BroadcastResult = answer; });
        const bool expected = answer == 1;
        EXPECT_EQ(camera->SendSerial("A"), expected) << answer;
        EXPECT_EQ(camera->ShowPlateText("A"), expected) << answer;
        EXPECT_EQ(camera->SendDisplayCommand("A", 98, 1), expected) << answer;
        EXPECT_EQ(camera->PlayPhrases("76"), expected) << answer;
    }
}

TEST_F(CameraObjectTest, SerialBytesGoOutWholeAndFramesAsTheDisplayExpectsThem) {
    auto camera = NumberedCamera();
    ASSERT_TRUE(camera->OpenCamera("10.0.0.1", 1));
    const Bytes plate = Utf8ToGbk("闽AR2346");
    const Bytes withNul("A\0B", 3);
    EXPECT_TRUE(camera->SendSerial(withNul));
    EXPECT_TRUE(camera->SendSerial(""));
    EXPECT_TRUE(camera->ShowPlateText(plate));
    EXPECT_TRUE(camera->SendDisplayCommand(plate, 98, 1));
    EXPECT_FALSE(camera->SendDisplayCommand(plate, 49, 1));
    const auto serial = WithFake([](FakeIceState& s) { return s.Serial; });
    ASSERT_EQ(serial.size(), 4u) << "command 49 sends nothing";
    for (const FakeSend& send : serial)
        EXPECT_EQ(send.Handle, 7u);
    EXPECT_EQ(serial[0].Data, withNul);
    EXPECT_EQ(serial[1].Data, "");
    EXPECT_EQ(serial[2].Data, Hex("00 64 FF FF 30 09 01 C3 F6 41 52 32 33 34 36 00 B9"));
    EXPECT_EQ(serial[3].Data, Hex("00 64 FF FF 62 1B 01 15 01 00 3C 15 01 03 00 FF 00 00 00 00 "
                                  "00 00 00 08 00 C3 F6 41 52 32 33 34 36 64 D7"));
}

TEST_F(CameraObjectTest, PhraseListsAreMadeWhateverTheStateAndSpokenAsZeroTerminatedText) {
    TVerizCamera closed;
    EXPECT_EQ(closed.TextToPhraseList(Utf8ToGbk("闽AR2346")), "121,76,92,2,3,4,6");
    EXPECT_EQ(closed.TextToPhraseList(""), "");

    auto camera = NumberedCamera();
    ASSERT_TRUE(camera->OpenCamera("10.0.0.1", 1));
    EXPECT_TRUE(camera->PlayPhrases("121,76"));
    const auto broadcasts = WithFake([](FakeIceState& s) { return s.Broadcasts; });
    ASSERT_EQ(broadcasts.size(), 1u);
    EXPECT_EQ(broadcasts[0].Handle, 7u);
    EXPECT_EQ(broadcasts[0].Data, "121,76");
}

TEST_F(CameraObjectTest, FailingTableOpensNothingAndReportsNothingSent) {
    SetIceLibrary(FailingIceLibrary());
    auto camera = NumberedCamera();
    EXPECT_FALSE(camera->OpenCamera("10.0.0.1", 1));
    EXPECT_EQ(Ice().GetStatus(7), 0);
    EXPECT_EQ(Ice().TransSerialPort(7, "A", 1), 0);
    EXPECT_EQ(Ice().BroadcastGroup(7, "76"), 0);
    EXPECT_EQ(Ice().OpenPreview("10.0.0.1", 1, 1, 0, OnPlateResult, nullptr), 0u);
}

using CameraSetTest = CameraTest;

TEST_F(CameraSetTest, CreateInitialisesTheLibraryFirstAndNumbersTwoClosedCameras) {
    CreateCameras();
    ASSERT_NE(Camera3, nullptr);
    ASSERT_NE(Camera13, nullptr);
    EXPECT_NE(Camera3, Camera13);
    EXPECT_EQ(Camera3->CameraId, 3);
    EXPECT_EQ(Camera13->CameraId, 13);
    EXPECT_EQ(Camera3->CurrentHandle(), 0u);
    EXPECT_EQ(Camera13->CurrentHandle(), 0u);
    const auto state = WithFake([](FakeIceState& s) { return s; });
    EXPECT_EQ(state.Calls, (std::vector<std::string>{"Init"}));
    EXPECT_FALSE(state.CameraExistedAtInit);
}

TEST_F(CameraSetTest, FreeClosesAnOpenCameraBeforeFinalisingAndEmptiesTheSet) {
    CreateCameras();
    ASSERT_TRUE(Camera3->OpenCamera("10.0.0.1", 1));
    FreeCameras();
    EXPECT_EQ(Camera3, nullptr);
    EXPECT_EQ(Camera13, nullptr);
    const auto state = WithFake([](FakeIceState& s) { return s; });
    EXPECT_EQ(state.Calls, (std::vector<std::string>{"Init", "Open 7", "Close 7", "Fini"}));
    EXPECT_FALSE(state.CameraExistedAtFini);
}

TEST_F(CameraSetTest, TagsAreTakenFromTheClockInSetOrder) {
    // Each reading of the clock is one millisecond later than the one before.
    auto readings = std::make_shared<int>(0);
    SetClockForTesting([readings] { return LocalTime{2024, 3, 5, 14, 7, 9, (*readings)++}; });
    CreateCameras();
    // 2024-03-05 14:07:09.000 at UTC+8 is 1709618829000 ms after the Unix epoch.
    for (const auto& [camera, exact] :
         {std::pair{Camera3, 1709618829000LL}, std::pair{Camera13, 1709618829001LL}}) {
        const long long tag = std::stoll(camera->InstanceTag);
        EXPECT_TRUE(tag == exact || tag == exact - 1) << camera->InstanceTag;
    }
    EXPECT_LT(std::stoll(Camera3->InstanceTag), std::stoll(Camera13->InstanceTag));
}

TEST(TimeStampText, MillisecondsSinceLocal1970LessEightHours) {
    struct Case {
        LocalTime Now;
        const char* Expected;
    };
    const Case cases[] = {
        {{1970, 1, 1, 12, 0, 0, 0}, "14400000"},
        {{1970, 1, 1, 0, 0, 0, 0}, "-28800000"},
        {{1970, 1, 2, 0, 0, 0, 0}, "57600000"},
        // The distance from 1970 counts whatever its direction.
        {{1969, 12, 31, 12, 0, 0, 0}, "14400000"},
        {{2000, 3, 1, 6, 0, 0, 0}, "951861600000"},
    };
    for (const Case& c : cases) {
        SetClockForTesting([&c] { return c.Now; });
        EXPECT_EQ(TimeStampText(), c.Expected) << c.Now.year << "-" << c.Now.month;
    }
    SetClockForTesting({});
}

} // namespace
} // namespace tavo::test

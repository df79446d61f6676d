// The handling of WM_PLATE_RESULT on the window thread: archive, the window's edits, the two
// display frames, and the error log.
#include <gtest/gtest.h>

#include <stdexcept>

#include "CameraFixture.h"
#include "camera/PlateResultHandler.h"
#include "camera/UnitVerizCamera.h"
#include "common/GbkText.h"
#include "common/HostPath.h"

namespace tavo::test {
namespace {

Bytes Gbk(std::string_view utf8) {
    return Utf8ToGbk(utf8);
}

class PlateResultHandlerTest : public CameraTest {
protected:
    void SetUp() override {
        CameraTest::SetUp();
        CreateCameras();
        Camera3->InstanceTag = "T3";
        Camera13->InstanceTag = "T13";
        ASSERT_TRUE(Camera3->OpenCamera("192.168.1.100", 1));
        WithFake([](FakeIceState& s) { s.NextHandle = 8; });
        ASSERT_TRUE(Camera13->OpenCamera("192.168.1.101", 2));
    }
    // The frames the handler sent: everything on the serial port after the callback's raw text.
    static std::vector<Bytes> FramesAfterCallback() {
        const auto serial = WithFake([](FakeIceState& s) { return s.Serial; });
        std::vector<Bytes> frames;
        for (std::size_t i = 1; i < serial.size(); ++i)
            frames.push_back(serial[i].Data);
        return frames;
    }
    static Bytes Folder(std::string_view address) {
        return "Log\\" + Bytes(address) + "\\2024\\03\\05\\";
    }

    RecordingWindow window_;
};

TEST_F(PlateResultHandlerTest, NumbersOfNoCameraDoNothing) {
    Deliver(Camera3, "192.168.1.100", "A", "full", "close");
    for (const std::uintptr_t id : {0u, 4u, 12u, 0x405u})
        HandlePlateResult(id, window_);
    EXPECT_TRUE(window_.Plates.empty());
    EXPECT_TRUE(ArchivedFiles().empty());
    EXPECT_EQ(WithFake([](FakeIceState& s) { return s.Calls.back(); }), "Open 8")
        << "no status query";
    EXPECT_NE(Camera3->TakeWaitingResult().Result, nullptr) << "the result still waits";
}

TEST_F(PlateResultHandlerTest, BothPicturesArchivedPlateShownAndSentIn48Then98) {
    const Bytes plate = Gbk("闽AR2346");
    Deliver(Camera3, "192.168.1.100", plate.c_str(), "FULL JPEG", "CLOSE-UP JPEG");
    HandlePlateResult(3, window_);

    const Bytes full = Folder("192.168.1.100") + "20240305140709_" + plate + ".jpg";
    const Bytes closeUp = Folder("192.168.1.100") + "20240305140709_" + plate + "_plate.jpg";
    EXPECT_EQ(ReadFile(ProgramPath(full)), "FULL JPEG");
    EXPECT_EQ(ReadFile(ProgramPath(closeUp)), "CLOSE-UP JPEG");
    EXPECT_EQ(ArchivedFiles().size(), 2u);
    EXPECT_EQ(window_.Plates, std::vector<Bytes>{plate});
    EXPECT_EQ(window_.ImagePaths, std::vector<Bytes>{full});
    const auto frames = FramesAfterCallback();
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0], Bytes("\x00\x64\xFF\xFF\x30\x09\x01", 7) + plate + Bytes("\x00\xB9", 2));
    EXPECT_EQ(frames[1], Bytes("\x00\x64\xFF\xFF\x62\x1B\x01\x15\x01\x00\x3C\x15\x01\x03\x00\xFF"
                               "\x00\x00\x00\x00\x00\x00\x00\x08\x00",
                               25) +
                             plate + "\x64\xD7");
    EXPECT_EQ(WithFake([](FakeIceState& s) { return s.Serial.back().Handle; }), 7u);
    EXPECT_EQ(ErrorLogText(), "");
}

TEST_F(PlateResultHandlerTest, MissingPictureIsNotArchivedAndTheRestGoesOn) {
    struct Case {
        TVerizCamera** Camera;
        std::uintptr_t Id;
        const char* Address;
        std::string_view Full;
        std::string_view CloseUp;
    };
    const Case cases[] = {
        {&Camera13, 13, "192.168.1.101", "", "CLOSE-UP"}, // close-up only
        {&Camera3, 3, "192.168.1.100", "FULL", ""},       // full picture only
    };
    for (const Case& c : cases) {
        RecordingWindow window;
        const auto before = ArchivedFiles().size();
        Deliver(*c.Camera, c.Address, "A123", c.Full, c.CloseUp);
        HandlePlateResult(c.Id, window);
        ASSERT_EQ(ArchivedFiles().size(), before + 1) << c.Id;
        const Bytes full = Folder(c.Address) + "20240305140709_A123.jpg";
        const Bytes closeUp = Folder(c.Address) + "20240305140709_A123_plate.jpg";
        EXPECT_EQ(ReadFile(ProgramPath(c.Full.empty() ? closeUp : full)),
                  c.Full.empty() ? c.CloseUp : c.Full);
        EXPECT_EQ(window.Plates, std::vector<Bytes>{"A123"});
        EXPECT_EQ(window.ImagePaths, std::vector<Bytes>{c.Full.empty() ? "" : full});
    }
    EXPECT_EQ(FramesAfterCallback().size(), 5u) << "callback text, 48, 98, callback text, 48, 98";
}

TEST_F(PlateResultHandlerTest, BlankPlateArchivesButLeavesTheEditsAndTheDisplayAlone) {
    Deliver(Camera3, "192.168.1.100", "   ", "FULL", "CLOSE");
    HandlePlateResult(3, window_);
    EXPECT_EQ(ArchivedFiles().size(), 2u);
    EXPECT_TRUE(window_.Plates.empty());
    EXPECT_TRUE(window_.ImagePaths.empty());
    EXPECT_TRUE(FramesAfterCallback().empty());
}

TEST_F(PlateResultHandlerTest, TrailingBlanksAreTrimmedForWindowAndDisplayButNotForFileNames) {
    Deliver(Camera3, "192.168.1.100", "A123  ", "FULL", "");
    HandlePlateResult(3, window_);
    const Bytes full = Folder("192.168.1.100") + "20240305140709_A123  .jpg";
    EXPECT_EQ(ReadFile(ProgramPath(full)), "FULL");
    EXPECT_EQ(window_.Plates, std::vector<Bytes>{"A123"});
    EXPECT_EQ(window_.ImagePaths, std::vector<Bytes>{full});
    const auto frames = FramesAfterCallback();
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0].substr(7, 4), "A123");
    EXPECT_EQ(frames[0].size(), 4u + 9u);
}

TEST_F(PlateResultHandlerTest, OfflineCameraDropsTheResultWithoutATrace) {
    WithFake([](FakeIceState& s) { s.Status = 0; });
    Deliver(Camera3, "192.168.1.100", "A123", "FULL", "CLOSE");
    HandlePlateResult(3, window_);
    EXPECT_FALSE(Camera3->IsOnline());
    EXPECT_TRUE(ArchivedFiles().empty());
    EXPECT_TRUE(window_.Plates.empty());
    EXPECT_TRUE(FramesAfterCallback().empty());
    EXPECT_EQ(ErrorLogText(), "");
    EXPECT_EQ(Camera3->TakeWaitingResult().Result, nullptr) << "the result is gone";
}

TEST_F(PlateResultHandlerTest, EachHandledResultIsRecordedWithWhatBecameOfIt) {
    WithFake([](FakeIceState& s) { s.SerialResult = 0; }); // the display refuses the frames
    Deliver(Camera13, "192.168.1.101", " A123 ", "FULL", "CLOSE");
    HandlePlateResult(13, window_);
    WithFake([](FakeIceState& s) { s.Status = 0; });
    Deliver(Camera3, "192.168.1.100", "B456", "FULL", "CLOSE");
    HandlePlateResult(3, window_);

    ASSERT_EQ(window_.Records.size(), 2u);
    const TResultRecord& handled = window_.Records[0];
    EXPECT_EQ(handled.State, ResultState::Handled);
    EXPECT_EQ(handled.CameraId, 13);
    EXPECT_EQ(handled.Address, "192.168.1.101");
    EXPECT_EQ(handled.Plate, " A123 ");
    EXPECT_TRUE(handled.Online);
    EXPECT_EQ(handled.FullPicturePath, Folder("192.168.1.101") + "20240305140709_ A123 .jpg");
    EXPECT_EQ(handled.CloseUpPicturePath,
              Folder("192.168.1.101") + "20240305140709_ A123 _plate.jpg");
    EXPECT_EQ(handled.Command48, std::optional<bool>(false));
    EXPECT_EQ(handled.Command98, std::optional<bool>(false));
    EXPECT_EQ(handled.ReceivedAt.year, 2024);
    EXPECT_EQ(handled.ReceivedAt.second, 9);
    EXPECT_EQ(handled.Broadcast, std::optional<bool>(true));
    EXPECT_EQ(handled.Serial, std::optional<bool>(false));

    const TResultRecord& offline = window_.Records[1];
    EXPECT_EQ(offline.State, ResultState::Offline);
    EXPECT_EQ(offline.CameraId, 3);
    EXPECT_EQ(offline.Plate, "B456");
    EXPECT_FALSE(offline.Online);
    EXPECT_EQ(offline.FullPicturePath, "");
    EXPECT_EQ(offline.CloseUpPicturePath, "");
    EXPECT_FALSE(offline.Command48.has_value());
    EXPECT_FALSE(offline.Command98.has_value());
    EXPECT_EQ(offline.Broadcast, std::optional<bool>(true)) << "the callback spoke it all the same";
    EXPECT_EQ(offline.Serial, std::optional<bool>(false));
}

TEST_F(PlateResultHandlerTest, RecordCarriesTheTimeOfArrivalAndTheCallbacksSends) {
    struct Case {
        std::int32_t BroadcastResult;
        std::int32_t SerialResult;
    };
    const Case cases[] = {{1, 1}, {0, 1}, {1, 0}, {0, 0}};
    int minute = 0;
    for (const Case& c : cases) {
        WithFake([&](FakeIceState& s) {
            s.BroadcastResult = c.BroadcastResult;
            s.SerialResult = c.SerialResult;
        });
        const LocalTime arrival{2024, 3, 5, 23, minute++, 59, 987};
        SetClockForTesting([arrival] { return arrival; });
        Deliver(Camera3, "192.168.1.100", "A123", "", "");
        SetClockForTesting([] { return LocalTime{2024, 3, 6, 0, 0, 1, 5}; }); // handled later
        HandlePlateResult(3, window_);
        ASSERT_FALSE(window_.Records.empty());
        const TResultRecord& record = window_.Records.back();
        EXPECT_EQ(record.ReceivedAt.day, 5);
        EXPECT_EQ(record.ReceivedAt.minute, arrival.minute);
        EXPECT_EQ(record.ReceivedAt.millisecond, 987);
        EXPECT_EQ(record.Broadcast, std::optional<bool>(c.BroadcastResult == 1));
        EXPECT_EQ(record.Serial, std::optional<bool>(c.SerialResult == 1));
    }
    EXPECT_EQ(window_.Records.size(), 4u);
}

TEST_F(PlateResultHandlerTest, ResultsLostWhileWaitingAreRecordedAsDroppedBeforeTheNextOne) {
    // P1 and P2 give way to P5 and P6; P1's serial send fails.
    for (int i = 1; i <= 6; ++i) {
        WithFake([i](FakeIceState& s) { s.SerialResult = i == 1 ? 0 : 1; });
        SetClockForTesting([i] { return LocalTime{2024, 3, 5, 14, 7, i, 100}; });
        Deliver(Camera3, "192.168.1.100", Numbered('P', i).c_str(), "FULL", "");
    }
    for (int message = 0; message < 6; ++message)
        HandlePlateResult(3, window_);

    struct Expected {
        const char* Plate;
        ResultState State;
        int Second;
        bool Serial;
    };
    const Expected expected[] = {
        {"P1", ResultState::Dropped, 1, false}, {"P2", ResultState::Dropped, 2, true},
        {"P3", ResultState::Handled, 3, true},  {"P4", ResultState::Handled, 4, true},
        {"P5", ResultState::Handled, 5, true},  {"P6", ResultState::Handled, 6, true},
    };
    ASSERT_EQ(window_.Records.size(), std::size(expected));
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        const TResultRecord& record = window_.Records[i];
        SCOPED_TRACE(expected[i].Plate);
        EXPECT_EQ(record.Plate, expected[i].Plate);
        EXPECT_EQ(record.State, expected[i].State);
        EXPECT_EQ(record.CameraId, 3);
        EXPECT_EQ(record.Address, "192.168.1.100");
        EXPECT_EQ(record.ReceivedAt.second, expected[i].Second);
        EXPECT_EQ(record.Broadcast, std::optional<bool>(true));
        EXPECT_EQ(record.Serial, std::optional<bool>(expected[i].Serial));
        const bool dropped = expected[i].State == ResultState::Dropped;
        EXPECT_EQ(record.FullPicturePath.empty(), dropped) << "a dropped one is not archived";
        EXPECT_EQ(record.Command48.has_value(), !dropped);
    }
}

TEST_F(PlateResultHandlerTest, ResultWhoseMessageCouldNotBePostedIsRecordedAsDropped) {
    SetPostResult(false);
    Deliver(Camera13, "192.168.1.101", "P1", "", "");
    SetPostResult(true);
    Deliver(Camera13, "192.168.1.101", "P2", "", "");
    HandlePlateResult(13, window_);
    ASSERT_EQ(window_.Records.size(), 2u);
    EXPECT_EQ(window_.Records[0].Plate, "P1");
    EXPECT_EQ(window_.Records[0].State, ResultState::Dropped);
    EXPECT_EQ(window_.Records[0].CameraId, 13);
    EXPECT_EQ(window_.Records[1].Plate, "P2");
    EXPECT_EQ(window_.Records[1].State, ResultState::Handled);
}

TEST_F(PlateResultHandlerTest, LostResultsBeyondThoseKeptAreStillLoggedEachOnce) {
    const int lost = kKeptLostResults + 3;
    for (int i = 0; i < lost + TVerizCamera::kWaitingSlots; ++i)
        Deliver(Camera3, "192.168.1.100", Numbered('P', i).c_str(), "", "");
    HandlePlateResult(3, window_);
    ASSERT_EQ(window_.Records.size(), static_cast<std::size_t>(kKeptLostResults) + 1);
    for (int i = 0; i < kKeptLostResults; ++i)
        EXPECT_EQ(window_.Records[i].Plate, Numbered('P', i)) << "the oldest are kept";
    EXPECT_EQ(window_.Records.back().Plate, Numbered('P', lost));
    const Bytes line =
        "2024-03-05 14:07:09 " + Gbk("摄像头3 等待处理的识别结果已满，最早的一个被丢弃") + "\r\n";
    Bytes lines;
    for (int i = 0; i < lost; ++i)
        lines += line;
    EXPECT_EQ(ErrorLogText(), lines);
}

class FailingWindow : public RecordingWindow {
public:
    void SetPlateText(std::string_view) override { throw std::runtime_error("edit is gone"); }
};

TEST_F(PlateResultHandlerTest, ErrorOnTheWayEndsTheHandlingInTheErrorLog) {
    FailingWindow window;
    Deliver(Camera3, "192.168.1.100", "A123", "FULL", "");
    EXPECT_NO_THROW(HandlePlateResult(3, window));
    EXPECT_EQ(ErrorLogText(),
              "2024-03-05 14:07:09 " + Gbk("车牌自动识别报错！") + "edit is gone\r\n");
    EXPECT_EQ(ArchivedFiles().size(), 1u) << "what was done before the error stays done";
    EXPECT_TRUE(window.ImagePaths.empty());
    EXPECT_TRUE(FramesAfterCallback().empty());

    // The next result is handled as usual.
    Deliver(Camera3, "192.168.1.100", "B456", "", "");
    HandlePlateResult(3, window_);
    EXPECT_EQ(window_.Plates, std::vector<Bytes>{"B456"});
}

TEST_F(PlateResultHandlerTest, RefusedPictureIsReportedWithCameraAndSize) {
    const std::string tooLong(kPictureSize + 1, 'F');
    Deliver(Camera13, "192.168.1.101", "A123", tooLong, "CLOSE");
    HandlePlateResult(13, window_);
    EXPECT_EQ(ErrorLogText(), "2024-03-05 14:07:09 " +
                                  Gbk("摄像头13 的全景图片过大（1048578 字节），未存档") + "\r\n");
    EXPECT_EQ(ArchivedFiles().size(), 1u) << "only the close-up";
    EXPECT_EQ(window_.ImagePaths, std::vector<Bytes>{""});
    EXPECT_EQ(window_.Plates, std::vector<Bytes>{"A123"});
}

TEST_F(PlateResultHandlerTest, EachResultLostWhileWaitingGetsOneLineAndNoneIsHandledTwice) {
    for (int i = 1; i <= 6; ++i)
        Deliver(Camera3, "192.168.1.100", Numbered('P', i).c_str(), "", "");
    for (int message = 0; message < 6; ++message)
        HandlePlateResult(3, window_);
    EXPECT_EQ(window_.Plates, (std::vector<Bytes>{"P3", "P4", "P5", "P6"}));
    const Bytes line =
        "2024-03-05 14:07:09 " + Gbk("摄像头3 等待处理的识别结果已满，最早的一个被丢弃") + "\r\n";
    EXPECT_EQ(ErrorLogText(), line + line);
}

TEST_F(PlateResultHandlerTest, ResultWhoseMessageWasNotPostedDoesNotTakeTheNextOnesPlace) {
    SetPostResult(false);
    Deliver(Camera3, "192.168.1.100", "P1", "", "");
    SetPostResult(true);
    for (const char* plate : {"P2", "P3"}) {
        Deliver(Camera3, "192.168.1.100", plate, "", "");
        HandlePlateResult(3, window_); // the message for this plate
    }
    EXPECT_EQ(window_.Plates, (std::vector<Bytes>{"P2", "P3"}));
    EXPECT_EQ(Camera3->TakeWaitingResult().Result, nullptr) << "nothing is left behind";
    EXPECT_EQ(ErrorLogText(),
              "2024-03-05 14:07:09 " + Gbk("摄像头3 的识别结果未能通知主窗口，被丢弃") + "\r\n");
}

} // namespace
} // namespace tavo::test

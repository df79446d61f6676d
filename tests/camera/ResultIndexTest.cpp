// Records of results as lines of the daily recognition index: a handled result, one whose camera
// was offline and one lost while waiting each give their line.
#include <gtest/gtest.h>

#include "CameraFixture.h"
#include "camera/PlateResultHandler.h"
#include "camera/ResultIndex.h"
#include "camera/UnitVerizCamera.h"
#include "common/GbkText.h"
#include "common/HostPath.h"

namespace tavo::test {
namespace {

// A window that writes each record to the index, as the main window does with the index on.
class IndexingWindow : public RecordingWindow {
public:
    void ResultRecorded(const TResultRecord& record) override {
        RecordingWindow::ResultRecorded(record);
        WriteIndexLine(record);
    }
};

TEST(IndexRowOfTest, SideStateAndOnlineFollowTheRecord) {
    struct Case {
        std::int32_t CameraId;
        ResultState State;
        bool Online;
        const char* Side; // UTF-8
        const char* StateText;
        std::optional<bool> OnlineColumn;
    };
    const Case cases[] = {
        {3, ResultState::Handled, true, "左", "handled", true},
        {13, ResultState::Offline, false, "右", "offline", false},
        {13, ResultState::Dropped, false, "右", "dropped", std::nullopt},
    };
    for (const Case& c : cases) {
        TResultRecord record;
        record.CameraId = c.CameraId;
        record.State = c.State;
        record.Online = c.Online;
        record.Plate = "A1";
        record.Command98 = false;
        const IndexRow row = IndexRowOf(record);
        EXPECT_EQ(row.Side, Utf8ToGbk(c.Side));
        EXPECT_EQ(row.State, c.StateText);
        EXPECT_EQ(row.Online, c.OnlineColumn);
        EXPECT_EQ(row.Plate, "A1");
        EXPECT_EQ(row.Command98, std::optional<bool>(false));
        EXPECT_FALSE(row.Command48.has_value());
    }
}

class ResultIndexTest : public CameraTest {
protected:
    void SetUp() override {
        CameraTest::SetUp();
        CreateCameras();
        Camera3->InstanceTag = "T3";
        ASSERT_TRUE(Camera3->OpenCamera("192.168.1.100", 1));
    }
    IndexingWindow window_;
};

TEST_F(ResultIndexTest, HandledOfflineAndDroppedResultsEachGiveOneLine) {
    const Bytes plate = Utf8ToGbk("闽AR2346");
    SetClockForTesting([] { return LocalTime{2024, 3, 5, 8, 0, 1, 250}; });
    Deliver(Camera3, "192.168.1.100", plate.c_str(), "FULL", "CLOSE");
    SetClockForTesting(MarchFifth);
    HandlePlateResult(3, window_);

    // Offline when handled; the callback's serial send failed.
    WithFake([](FakeIceState& s) {
        s.Status = 0;
        s.SerialResult = 0;
    });
    Deliver(Camera3, "192.168.1.100", "B,2", "FULL", "CLOSE");
    HandlePlateResult(3, window_);

    // Five waiting for four slots: the oldest is dropped.
    WithFake([](FakeIceState& s) {
        s.Status = 1;
        s.SerialResult = 1;
    });
    for (int i = 1; i <= TVerizCamera::kWaitingSlots + 1; ++i)
        Deliver(Camera3, "192.168.1.100", Numbered('D', i).c_str(), "", "");
    HandlePlateResult(3, window_);

    const Bytes folder = "Log\\192.168.1.100\\2024\\03\\05\\";
    const Bytes left = Utf8ToGbk("左");
    const Bytes expected =
        IndexHeaderLine() +
        // handled: online, both pictures, every send made and answered
        "2024-03-05 08:00:01.250," + left + ",192.168.1.100," + plate + ",1," + folder +
        "20240305140709_" + plate + ".jpg," + folder + "20240305140709_" + plate +
        "_plate.jpg,1,1,1,1,handled\r\n" +
        // offline: nothing archived or sent from the window thread
        "2024-03-05 14:07:09.000," + left + ",192.168.1.100,\"B,2\",0,,,1,0,,,offline\r\n" +
        // dropped: never handled
        "2024-03-05 14:07:09.000," + left + ",192.168.1.100,D1,,,,1,1,,,dropped\r\n" +
        // the one taken after it
        "2024-03-05 14:07:09.000," + left + ",192.168.1.100,D2,1,,,1,1,1,1,handled\r\n";
    EXPECT_EQ(ReadFile(ProgramPath("Log\\Index\\index_20240305.csv")), expected);
}

} // namespace
} // namespace tavo::test

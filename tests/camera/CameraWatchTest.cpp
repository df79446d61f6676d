// The camera watch against the fake library: state changes logged once, the reopen after three
// offline checks and at most once a minute, and the tray tip's text.
#include <gtest/gtest.h>

#include <algorithm>

#include "CameraFixture.h"
#include "camera/CameraWatch.h"
#include "camera/UnitVerizCamera.h"
#include "common/GbkText.h"
#include "common/HostPath.h"
#include "records/tavoLogUnit.h"

namespace tavo::test {
namespace {

using namespace std::chrono_literals;

Bytes Gbk(std::string_view utf8) {
    return Utf8ToGbk(utf8);
}

TEST(WatchTipTextTest, NamesTheOfflineSidesAfterTheUsualTip) {
    struct Case {
        std::vector<const char*> Sides;
        const char* Tip;
    };
    const Case cases[] = {
        {{}, "【高清车牌识别】"},
        {{"左边"}, "【高清车牌识别】左边离线"},
        {{"右边"}, "【高清车牌识别】右边离线"},
        {{"左边", "右边"}, "【高清车牌识别】左边、右边离线"},
    };
    for (const Case& c : cases) {
        std::vector<Bytes> sides;
        for (const char* side : c.Sides)
            sides.push_back(Gbk(side));
        EXPECT_EQ(WatchTipText(sides), Gbk(c.Tip)) << c.Tip;
    }
    // The longest tip fits the tray's 63 characters.
    EXPECT_LE(GbkToUtf16(WatchTipText({Gbk("左边"), Gbk("右边")})).size(), 63u);
}

class CameraWatchTest : public CameraTest {
protected:
    void SetUp() override {
        CameraTest::SetUp();
        DebugLogEnabled = true;
        CreateCameras();
        ASSERT_TRUE(Camera3->OpenCamera("192.168.1.100", 1)); // handle 7
        WithFake([](FakeIceState& s) { s.NextHandle = 8; });
        ASSERT_TRUE(Camera13->OpenCamera("192.168.1.101", 2)); // handle 8
        WithFake([](FakeIceState& s) {
            s.NextHandle = 9;
            s.Calls.clear();
        });
        watch_ = std::make_unique<CameraWatch>(
            std::vector<WatchedCamera>{{Camera3, Gbk("左边"), "192.168.1.100", 1},
                                       {Camera13, Gbk("右边"), "192.168.1.101", 2}});
    }
    void TearDown() override {
        DebugLogEnabled = false;
        CameraTest::TearDown();
    }
    // The library calls since the last look.
    static std::vector<std::string> TakeCalls() {
        return WithFake([](FakeIceState& s) {
            std::vector<std::string> calls;
            calls.swap(s.Calls);
            return calls;
        });
    }
    static std::vector<Bytes> LogTexts(const Bytes& log) {
        std::vector<Bytes> texts;
        for (std::size_t at = 0; at < log.size();) {
            const std::size_t end = log.find("\r\n", at);
            texts.push_back(log.substr(at + 20, end - at - 20));
            at = end + 2;
        }
        return texts;
    }
    static std::vector<Bytes> DebugTexts() {
        return LogTexts(ReadFile(ProgramPath("Log\\Debug\\debugLog_20240305.txt")));
    }
    static std::vector<Bytes> ErrorTexts() { return LogTexts(ErrorLogText()); }

    const CameraWatch::TimePoint start_{std::chrono::hours(1000)};
    std::unique_ptr<CameraWatch> watch_;
};

TEST_F(CameraWatchTest, OnlineCamerasAreAskedAndNothingElseHappens) {
    for (int check = 0; check < 5; ++check)
        EXPECT_TRUE(watch_->Check(start_ + check * 1s).empty());
    std::vector<std::string> expected;
    for (int check = 0; check < 5; ++check)
        expected.insert(expected.end(), {"Status 7", "Status 8"});
    EXPECT_EQ(TakeCalls(), expected);
    EXPECT_TRUE(watch_->OfflineSides().empty());
    EXPECT_FALSE(std::filesystem::exists(ProgramPath("Log\\Debug\\debugLog_20240305.txt")));
    EXPECT_EQ(ErrorLogText(), "");
}

TEST_F(CameraWatchTest, OfflineCameraIsReportedOnceAndReopenedAfterThreeChecksAtMostOnceAMinute) {
    WithFake([](FakeIceState& s) { s.OfflineHandles = {7}; });
    const Bytes offline = Gbk("左边摄像头离线：192.168.1.100");

    // Check 1: the change; checks 2 and 3: the reopen at the third.
    const std::vector<WatchChange> first = watch_->Check(start_);
    ASSERT_EQ(first.size(), 1u);
    EXPECT_FALSE(first[0].Online);
    EXPECT_EQ(first[0].Text, offline);
    EXPECT_EQ(watch_->OfflineSides(), std::vector<Bytes>{Gbk("左边")});
    EXPECT_TRUE(watch_->Check(start_ + 1s).empty());
    EXPECT_TRUE(watch_->Check(start_ + 2s).empty());
    EXPECT_EQ(TakeCalls(), (std::vector<std::string>{"Status 7", "Status 8", "Status 7", "Status 8",
                                                     "Status 7", "Close 7", "Open 9", "Status 8"}));
    // The new handle is offline too: no reopen until a minute after the last.
    WithFake([](FakeIceState& s) {
        s.OfflineHandles = {9};
        s.NextHandle = 10;
    });
    for (const auto at : {3s, 30s, 61s})
        EXPECT_TRUE(watch_->Check(start_ + at).empty());
    const auto calls = TakeCalls();
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "Close 9"), 0);
    EXPECT_TRUE(watch_->Check(start_ + 62s).empty());
    EXPECT_EQ(TakeCalls(),
              (std::vector<std::string>{"Status 9", "Close 9", "Open 10", "Status 8"}));

    // Back online.
    WithFake([](FakeIceState& s) { s.OfflineHandles.clear(); });
    const std::vector<WatchChange> back = watch_->Check(start_ + 63s);
    ASSERT_EQ(back.size(), 1u);
    EXPECT_TRUE(back[0].Online);
    EXPECT_EQ(back[0].Text, Gbk("左边摄像头恢复在线：192.168.1.100"));
    EXPECT_TRUE(watch_->OfflineSides().empty());
    EXPECT_TRUE(watch_->Check(start_ + 64s).empty());

    EXPECT_EQ(ErrorTexts(), std::vector<Bytes>{offline});
    const Bytes reopened = Gbk("重新打开左边摄像头：192.168.1.100，成功");
    EXPECT_EQ(DebugTexts(), (std::vector<Bytes>{offline, reopened, reopened,
                                                Gbk("左边摄像头恢复在线：192.168.1.100")}))
        << "the error's echo, two reopens, the return";
}

TEST_F(CameraWatchTest, CameraWhoseReopenFailedCountsAsOfflineAndIsTriedAgainAMinuteLater) {
    WithFake([](FakeIceState& s) {
        s.Status = 0;
        s.NextHandle = 0; // opens fail
    });
    for (const auto at : {0s, 1s, 2s})
        watch_->Check(start_ + at);
    EXPECT_EQ(watch_->OfflineSides(), (std::vector<Bytes>{Gbk("左边"), Gbk("右边")}));
    EXPECT_EQ(Camera3->CurrentHandle(), 0u);
    TakeCalls();

    watch_->Check(start_ + 30s);
    EXPECT_TRUE(TakeCalls().empty()) << "a closed camera is not asked, nor reopened yet";
    WithFake([](FakeIceState& s) {
        s.Status = 1;
        s.NextHandle = 11;
    });
    const std::vector<WatchChange> changes = watch_->Check(start_ + 62s);
    EXPECT_EQ(TakeCalls(), (std::vector<std::string>{"Open 11", "Open 11"}));
    EXPECT_TRUE(changes.empty()) << "the reopened cameras are asked at the next check";
    EXPECT_EQ(watch_->Check(start_ + 63s).size(), 2u);
    EXPECT_TRUE(watch_->OfflineSides().empty());
    const std::vector<Bytes> debug = DebugTexts();
    EXPECT_EQ(
        std::count(debug.begin(), debug.end(), Gbk("重新打开右边摄像头：192.168.1.101，失败")), 1);
    EXPECT_EQ(
        std::count(debug.begin(), debug.end(), Gbk("重新打开右边摄像头：192.168.1.101，成功")), 1);
}

} // namespace
} // namespace tavo::test

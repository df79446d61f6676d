// End-to-end tests of what a station running unattended for months relies on, each switched on
// in the [STATION] section of its settings file: the daily recognition index, the camera watch
// and the archive sweep.
#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

#include "common/GbkText.h"
#include "tests/e2e/StationDriver.h"

namespace tavo::e2e {
namespace {

using namespace std::chrono_literals;

constexpr char kLeft[] = "192.168.1.100";
constexpr char kRight[] = "192.168.1.101";
constexpr auto kSweepPatience = 30s; // the first sweep runs five seconds after start

bool Contains(const std::vector<Bytes>& entries, std::string_view entry) {
    return std::find(entries.begin(), entries.end(), entry) != entries.end();
}

// The fields of one CSV line that holds no quoted field.
std::vector<Bytes> Fields(const Bytes& line) {
    std::vector<Bytes> fields;
    std::size_t at = 0;
    for (std::size_t comma; (comma = line.find(',', at)) != Bytes::npos; at = comma + 1)
        fields.push_back(line.substr(at, comma - at));
    fields.push_back(line.substr(at));
    return fields;
}

// The lines of a file without their CR LF.
std::vector<Bytes> Lines(const Bytes& text) {
    std::vector<Bytes> lines;
    for (std::size_t at = 0; at < text.size();) {
        std::size_t end = text.find("\r\n", at);
        if (end == Bytes::npos)
            end = text.size();
        lines.push_back(text.substr(at, end - at));
        at = end + 2;
    }
    return lines;
}

// A station in a folder of its own with both cameras, started and waited for until its start-up
// lines are written; ended through the tray menu.
class StationWith : public ::testing::Test {
protected:
    void Start(std::string_view stationSection) {
        folder_.AddCamera(kLeft);
        folder_.AddCamera(kRight);
        folder_.WriteSettings("[FRMMAIN_TAVOCAMERA]\r\nLEFTIP=192.168.1.100\r\n"
                              "RIGHTIP=192.168.1.101\r\n[STATION]\r\n" +
                              Bytes(stationSection));
        ASSERT_TRUE(station_.Start(folder_));
        main_ = WaitForMainWindow();
        ASSERT_NE(main_, nullptr);
        ASSERT_TRUE(WaitFor(
            [this] { return Contains(folder_.DebugLogTexts(), Gbk("连接右边摄像头成功")); }));
    }
    void TearDown() override {
        if (station_.Running()) {
            PostMessageW(main_, WM_COMMAND, kTrayMenuExit, 0);
            if (station_.WaitForExit() == STILL_ACTIVE)
                station_.Kill();
        }
    }
    bool DebugLogHas(std::string_view utf8, std::chrono::milliseconds timeout = kPatience) {
        return WaitFor([&] { return Contains(folder_.DebugLogTexts(), Gbk(utf8)); }, timeout);
    }

    StationFolder folder_;
    StationProcess station_;
    HWND main_ = nullptr;
};

TEST_F(StationWith, RecognitionIndexHasALineForAHandledAnOfflineAndADroppedResult) {
    Start("RecognitionIndex=1\r\n");
    auto indexLines = [&] {
        std::vector<Bytes> lines;
        std::error_code error;
        for (const auto& entry : fs::directory_iterator(folder_.Root() / L"Log" / L"Index", error))
            for (Bytes& line : Lines(ReadBytes(entry.path())))
                if (!line.starts_with(Gbk("接收时间")))
                    lines.push_back(std::move(line));
        return lines;
    };

    // Handled.
    const Bytes plate = Gbk("闽AR2346");
    folder_.DropRecognition(kLeft, "a1", plate, "full picture", "close-up");
    ASSERT_TRUE(WaitFor([&] { return indexLines().size() == 1; }));
    // Offline when handled.
    WriteBytes(folder_.CameraFolder(kRight) / L"offline", "");
    folder_.DropRecognition(kRight, "b1", Gbk("京A12345"), "full", "plate");
    ASSERT_TRUE(WaitFor([&] { return indexLines().size() == 2; }));
    // Dropped: five results wait while the window thread is held, one more than there is room.
    ASSERT_TRUE(station_.SuspendWindowThread());
    for (const char* name : {"c1", "c2", "c3", "c4", "c5"})
        folder_.DropRecognition(kLeft, name, name, "", "");
    const bool delivered = WaitFor([&] {
        const std::vector<Bytes> journal = folder_.Journal(kLeft);
        const auto last = std::find_if(journal.begin(), journal.end(), [](const Bytes& entry) {
            return entry.starts_with("recognition inbox c5 ");
        });
        return last != journal.end() && journal.end() - last >= 3; // broadcast and serial too
    });
    std::this_thread::sleep_for(200ms); // the callback's post follows its serial send
    ASSERT_TRUE(station_.ResumeWindowThread());
    ASSERT_TRUE(delivered);
    ASSERT_TRUE(WaitFor([&] { return indexLines().size() == 7; }));

    const std::vector<Bytes> lines = indexLines();
    const Bytes left = Gbk("左");
    const Bytes right = Gbk("右");
    struct Expected {
        Bytes Side;
        Bytes Address;
        Bytes Plate;
        Bytes Online;
        bool Archived;
        Bytes Sends; // voice, serial, 48, 98
        Bytes State;
    };
    const Expected expected[] = {
        {left, kLeft, plate, "1", true, "1,1,1,1", "handled"},
        {right, kRight, Gbk("京A12345"), "0", false, "1,1,,", "offline"},
        {left, kLeft, "c1", "", false, "1,1,,", "dropped"},
        {left, kLeft, "c2", "1", false, "1,1,1,1", "handled"},
        {left, kLeft, "c3", "1", false, "1,1,1,1", "handled"},
        {left, kLeft, "c4", "1", false, "1,1,1,1", "handled"},
        {left, kLeft, "c5", "1", false, "1,1,1,1", "handled"},
    };
    ASSERT_EQ(lines.size(), std::size(expected));
    for (std::size_t i = 0; i < lines.size(); ++i) {
        SCOPED_TRACE(GbkToUtf8(lines[i]));
        const std::vector<Bytes> fields = Fields(lines[i]);
        ASSERT_EQ(fields.size(), 12u);
        // yyyy-mm-dd hh:nn:ss.zzz
        ASSERT_EQ(fields[0].size(), 23u);
        EXPECT_EQ(fields[0][4], '-');
        EXPECT_EQ(fields[0][10], ' ');
        EXPECT_EQ(fields[0][19], '.');
        EXPECT_EQ(fields[1], expected[i].Side);
        EXPECT_EQ(fields[2], expected[i].Address);
        EXPECT_EQ(fields[3], expected[i].Plate);
        EXPECT_EQ(fields[4], expected[i].Online);
        if (expected[i].Archived) {
            const std::vector<Bytes> pictures = folder_.ArchivedPictures(kLeft);
            ASSERT_EQ(pictures.size(), 2u);
            EXPECT_EQ(fields[5], pictures[0]);
            EXPECT_EQ(fields[6], pictures[1]);
            EXPECT_EQ(folder_.ReadProgramFile(fields[5]), "full picture");
        } else {
            EXPECT_EQ(fields[5] + fields[6], "");
        }
        EXPECT_EQ(fields[7] + "," + fields[8] + "," + fields[9] + "," + fields[10],
                  expected[i].Sends);
        EXPECT_EQ(fields[11], expected[i].State);
        // The file is that of the day the result was received.
        EXPECT_EQ(ReadBytes(folder_.Root() / L"Log" / L"Index" /
                            Wide("index_" + fields[0].substr(0, 4) + fields[0].substr(5, 2) +
                                 fields[0].substr(8, 2) + ".csv"))
                          .find(lines[i]) != Bytes::npos,
                  true);
    }
    EXPECT_TRUE(
        Contains(folder_.ErrorLogTexts(), Gbk("摄像头3 等待处理的识别结果已满，最早的一个被丢弃")));
}

TEST_F(StationWith, CameraWatchReportsAnOfflineCameraReopensItAndSeesItComeBack) {
    Start("CameraCheckSeconds=1\r\n");
    const std::vector<Bytes> before = folder_.Journal(kLeft);
    ASSERT_FALSE(before.empty());
    const Bytes firstOpen = before.front(); // open window=0x... -> 1
    ASSERT_TRUE(firstOpen.starts_with("open window=")) << firstOpen;
    const Bytes window = firstOpen.substr(0, firstOpen.find(" -> "));

    WriteBytes(folder_.CameraFolder(kLeft) / L"offline", "");
    const Bytes offline = Gbk("左边摄像头离线：192.168.1.100");
    ASSERT_TRUE(WaitFor([&] { return Contains(folder_.ErrorLogTexts(), offline); }));
    EXPECT_TRUE(DebugLogHas("托盘提示：【高清车牌识别】左边离线"));
    EXPECT_TRUE(DebugLogHas("托盘气泡：左边摄像头离线：192.168.1.100"));

    // Three checks offline: closed and opened again into the same panel.
    ASSERT_TRUE(DebugLogHas("重新打开左边摄像头：192.168.1.100，成功"));
    const std::vector<Bytes> journal = folder_.Journal(kLeft);
    const auto close = std::find(journal.begin(), journal.end(), "close");
    ASSERT_NE(close, journal.end());
    ASSERT_NE(close + 1, journal.end());
    EXPECT_TRUE(close[1].starts_with(window + " -> ")) << close[1];
    EXPECT_NE(close[1], firstOpen) << "a new handle";
    EXPECT_GE(std::count(journal.begin(), close, "status -> 0"), 3);

    fs::remove(folder_.CameraFolder(kLeft) / L"offline");
    EXPECT_TRUE(DebugLogHas("左边摄像头恢复在线：192.168.1.100"));
    EXPECT_TRUE(DebugLogHas("托盘提示：【高清车牌识别】"));
    EXPECT_TRUE(DebugLogHas("托盘气泡：左边摄像头恢复在线：192.168.1.100"));
    EXPECT_TRUE(TrayIconPresent(main_));
    // Only the left camera ever went offline.
    EXPECT_EQ(folder_.ErrorLogTexts(), std::vector<Bytes>{offline});

    PostMessageW(main_, WM_COMMAND, kTrayMenuExit, 0);
    EXPECT_EQ(station_.WaitForExit(), 0u);
    const std::vector<Bytes> last = folder_.Journal(kLeft);
    ASSERT_GE(last.size(), 2u);
    EXPECT_EQ(last[last.size() - 2], "close");
    EXPECT_EQ(last.back(), "fini");
}

TEST_F(StationWith, ArchiveSweepDeletesOldDayFoldersAndLogsButNotAnOperatorsFile) {
    const fs::path archive = folder_.Root() / L"Log" / Wide(kLeft);
    WriteBytes(archive / L"2024" / L"01" / L"02" / L"20240102080000_A1.jpg", "old");
    WriteBytes(archive / L"2024" / L"01" / L"03" / L"20240103080000_A2.jpg", "old");
    WriteBytes(archive / L"2024" / L"01" / L"03" / L"notes.txt", "the operator's");
    WriteBytes(folder_.Root() / L"Log" / L"ErrorLog_20240101.txt", "old\r\n");
    Start("KeepDays=1\r\n");

    EXPECT_TRUE(
        DebugLogHas("已删除过期的存档文件夹：Log\\192.168.1.100\\2024\\01\\02", kSweepPatience));
    EXPECT_TRUE(DebugLogHas("已删除过期的日志：Log\\ErrorLog_20240101.txt", kSweepPatience));
    EXPECT_TRUE(
        DebugLogHas("存档文件夹中有其他文件，只删除了存档图片：Log\\192.168.1.100\\2024\\01\\03",
                    kSweepPatience));
    EXPECT_FALSE(fs::exists(archive / L"2024" / L"01" / L"02"));
    EXPECT_FALSE(fs::exists(archive / L"2024" / L"01" / L"03" / L"20240103080000_A2.jpg"));
    EXPECT_TRUE(fs::exists(archive / L"2024" / L"01" / L"03" / L"notes.txt"));
    EXPECT_FALSE(fs::exists(folder_.Root() / L"Log" / L"ErrorLog_20240101.txt"));
    EXPECT_TRUE(folder_.ErrorLogs().empty());
}

} // namespace
} // namespace tavo::e2e

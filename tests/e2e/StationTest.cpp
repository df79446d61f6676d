// End-to-end tests of the station program: the real tavoCamera.exe with the simulated camera
// library, started, driven and stopped from outside in a virtual display, and judged by what it
// leaves: windows, tray icon, logs, archive, settings and the calls the cameras received.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <memory>

#include "common/GbkText.h"
#include "tests/e2e/StationDriver.h"

namespace tavo::e2e {
namespace {

constexpr char kLeft[] = "192.168.1.100";
constexpr char kRight[] = "192.168.1.101";

Bytes HexWindow(HWND window) {
    char text[32];
    std::snprintf(text, sizeof text, "0x%llX",
                  static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(window)));
    return text;
}

std::vector<Bytes> GbkLines(std::initializer_list<const char*> utf8) {
    std::vector<Bytes> lines;
    for (const char* line : utf8)
        lines.push_back(Gbk(line));
    return lines;
}

// The entries of a journal that follow the first entry starting with `marker`.
std::vector<Bytes> EntriesAfter(const std::vector<Bytes>& journal, std::string_view marker) {
    const auto found = std::find_if(journal.begin(), journal.end(),
                                    [&](const Bytes& entry) { return entry.starts_with(marker); });
    return found == journal.end() ? std::vector<Bytes>{}
                                  : std::vector<Bytes>(found + 1, journal.end());
}

bool Contains(const std::vector<Bytes>& entries, std::string_view entry) {
    return std::find(entries.begin(), entries.end(), entry) != entries.end();
}

bool IsDigits(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// One station for the whole suite, started with two simulated cameras whose addresses are stored
// with blanks around them; the suite ends it through the tray menu.
class RunningStation : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        folder_ = std::make_unique<StationFolder>();
        folder_->AddCamera(kLeft);
        folder_->AddCamera(kRight);
        folder_->WriteSettings("[FRMMAIN_TAVOCAMERA]\r\nLEFTIP= 192.168.1.100 \r\n"
                               "RIGHTIP=\t192.168.1.101  \r\n");
        station_ = std::make_unique<StationProcess>();
        if (station_->Start(*folder_))
            main_ = WaitForMainWindow();
        // The window is there before its creation step ends: wait for the last start-up line.
        WaitFor([] { return folder_->DebugLogTexts().size() >= 4; });
    }

    static void TearDownTestSuite() {
        if (station_->Running()) {
            PostMessageW(main_, WM_COMMAND, kTrayMenuExit, 0);
            if (station_->WaitForExit() == STILL_ACTIVE)
                station_->Kill();
        }
        station_.reset();
        folder_.reset();
        main_ = nullptr;
    }

    void SetUp() override {
        ASSERT_NE(main_, nullptr) << "the station's main window did not appear";
        ASSERT_TRUE(station_->Running()) << "the station is not running";
    }

    static HWND Panel(const wchar_t* name) { return FindPanel(main_, name); }
    static bool Shown() {
        return IsWindowVisible(main_) && IsWindowVisible(ApplicationWindow(main_));
    }
    static bool Hidden() {
        return !IsWindowVisible(main_) && !IsWindowVisible(ApplicationWindow(main_));
    }
    static void Tray(LPARAM mouseMessage) {
        SendAndWait(main_, kWmTrayNotify, kTrayIconId, mouseMessage);
    }

    static std::unique_ptr<StationFolder> folder_;
    static std::unique_ptr<StationProcess> station_;
    static HWND main_;
};

std::unique_ptr<StationFolder> RunningStation::folder_;
std::unique_ptr<StationProcess> RunningStation::station_;
HWND RunningStation::main_ = nullptr;

TEST_F(RunningStation, StartsHiddenInTheTrayWithBothCamerasOpenIntoTheirPanels) {
    EXPECT_EQ(folder_->DebugLogTexts(),
              GbkLines({"tavoCamera 开始启动", "重新加载配置 --- 动态数据", "连接左边摄像头成功",
                        "连接右边摄像头成功"}));
    EXPECT_TRUE(folder_->ErrorLogs().empty());

    // No window and no taskbar entry: only the icon shows the station.
    const HWND application = ApplicationWindow(main_);
    ASSERT_NE(application, nullptr);
    EXPECT_EQ(FindWindowW(nullptr, ApplicationTitle().c_str()), application);
    EXPECT_FALSE(IsWindowVisible(main_));
    EXPECT_FALSE(IsWindowVisible(application));
    EXPECT_TRUE(TrayIconPresent(main_));

    // The addresses reached the library trimmed (the simulator refuses one with blanks), and
    // each camera draws into its own panel.
    const HWND left = Panel(L"RzPanel_TopLeft");
    const HWND right = Panel(L"RzPanel_TopRight");
    ASSERT_NE(left, nullptr);
    ASSERT_NE(right, nullptr);
    for (const auto& [address, panel] : {std::pair{kLeft, left}, std::pair{kRight, right}}) {
        SCOPED_TRACE(address);
        const std::vector<Bytes> journal = folder_->Journal(address);
        ASSERT_EQ(journal.size(), 1u);
        const Bytes opened = "open window=" + HexWindow(panel) + " -> ";
        EXPECT_TRUE(journal[0].starts_with(opened)) << journal[0];
        EXPECT_NE(journal[0], opened + "0");
    }

    // The reload emptied the edits, the plate edit's design text included.
    EXPECT_EQ(ControlText(main_, kPlateEditId), "");
    EXPECT_EQ(ControlText(main_, kPlateImageEditId), "");
}

TEST_F(RunningStation, LeftPanelTakesHalfTheWidthBetween400And1000Pixels) {
    const HWND top = Panel(L"RzPanel_Top");
    const HWND left = Panel(L"RzPanel_TopLeft");
    const HWND right = Panel(L"RzPanel_TopRight");
    ASSERT_TRUE(top && left && right);

    // From the start the left panel takes half of the design size's client width.
    RECT window{}, client{};
    GetClientRect(main_, &client);
    EXPECT_EQ(RectInParent(top).right, client.right);
    EXPECT_EQ(RectInParent(left).right, client.right / 2);
    EXPECT_EQ(RectInParent(right).left, client.right / 2);
    EXPECT_EQ(RectInParent(right).right, client.right);

    // Through the window: the top panel fills the client area.
    GetWindowRect(main_, &window);
    GetClientRect(main_, &client);
    const int extraWidth = (window.right - window.left) - client.right;
    const int extraHeight = (window.bottom - window.top) - client.bottom;
    SetWindowPos(main_, nullptr, 0, 0, 1366 + extraWidth, 700 + extraHeight,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_TRUE(WaitFor([&] { return RectInParent(left).right == 683; }));
    EXPECT_EQ(RectInParent(top).right, 1366);
    EXPECT_EQ(RectInParent(top).bottom, 700);
    EXPECT_EQ(RectInParent(right).left, 683);
    EXPECT_EQ(RectInParent(right).right, 1366);
    EXPECT_EQ(RectInParent(left).bottom, 700);

    // Wider than the screen lets a window grow: size the top panel itself.
    struct Case {
        int topWidth, leftWidth, rightWidth;
    };
    const Case cases[] = {{700, 400, 300}, {801, 400, 401}, {2000, 1000, 1000}, {2600, 1000, 1600}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.topWidth);
        SetWindowPos(top, nullptr, 0, 0, c.topWidth, 500,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        EXPECT_TRUE(WaitFor([&] { return RectInParent(left).right == c.leftWidth; }));
        const RECT leftRect = RectInParent(left);
        const RECT rightRect = RectInParent(right);
        EXPECT_EQ(leftRect.left, 0);
        EXPECT_EQ(rightRect.left, c.leftWidth);
        EXPECT_EQ(rightRect.right - rightRect.left, c.rightWidth);
        EXPECT_EQ(leftRect.bottom, 500);
        EXPECT_EQ(rightRect.bottom, 500);
    }
}

TEST_F(RunningStation, TrayAndSystemCommandsHideAndShowTheWindowAndKeepTheIcon) {
    Tray(WM_LBUTTONDBLCLK);
    EXPECT_TRUE(Shown());
    Tray(WM_LBUTTONDOWN);
    EXPECT_TRUE(Hidden());

    Tray(WM_LBUTTONDBLCLK);
    ASSERT_TRUE(Shown());
    SendAndWait(main_, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_TRUE(Hidden());
    EXPECT_FALSE(IsIconic(main_));
    EXPECT_TRUE(TrayIconPresent(main_));

    // A close command hides as well, and puts back an icon that the shell lost.
    Tray(WM_LBUTTONDBLCLK);
    ASSERT_TRUE(Shown());
    ASSERT_TRUE(DeleteTrayIcon(main_));
    ASSERT_FALSE(TrayIconPresent(main_));
    SendAndWait(main_, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(Hidden());
    EXPECT_TRUE(TrayIconPresent(main_));
    EXPECT_TRUE(station_->Running());

    // A restore request leaves a window hidden in the tray hidden.
    SendAndWait(main_, kWmRestoreInstance, 0, 0);
    EXPECT_TRUE(Hidden());

    // It restores a minimised application.
    Tray(WM_LBUTTONDBLCLK);
    ASSERT_TRUE(Shown());
    const HWND application = ApplicationWindow(main_);
    ShowWindow(application, SW_MINIMIZE);
    ASSERT_TRUE(WaitFor([&] { return IsIconic(application) != FALSE; }));
    SendAndWait(main_, kWmRestoreInstance, 0, 0);
    EXPECT_TRUE(WaitFor([&] { return !IsIconic(application); }));
    EXPECT_TRUE(IsWindowVisible(main_));
    Tray(WM_LBUTTONDOWN);
    ASSERT_TRUE(Hidden());

    SendAndWait(main_, WM_COMMAND, kTrayMenuShow, 0);
    EXPECT_TRUE(Shown());
    SendAndWait(main_, WM_COMMAND, kTrayMenuHide, 0);
    EXPECT_TRUE(Hidden());
    EXPECT_TRUE(TrayIconPresent(main_));
}

TEST_F(RunningStation, RightButtonPopsTheTrayMenuUpAtTheCursor) {
    Tray(WM_LBUTTONDOWN);
    ASSERT_TRUE(Hidden());
    SetCursorPos(300, 400);
    // The menu runs its own loop inside the handler: post, do not wait.
    PostMessageW(main_, kWmTrayNotify, kTrayIconId, WM_RBUTTONDOWN);
    HWND menu = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (menu = PopUpMenuOf(main_)) != nullptr; }));
    RECT rect{};
    GetWindowRect(menu, &rect);
    EXPECT_EQ(rect.left, 300);
    EXPECT_EQ(rect.top, 400);

    // Its first item shows the window.
    PostMessageW(menu, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageW(menu, WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_TRUE(WaitFor([] { return Shown(); }));
    EXPECT_TRUE(WaitFor([] { return PopUpMenuOf(main_) == nullptr; }));
    Tray(WM_LBUTTONDOWN);
    EXPECT_TRUE(Hidden());
}

TEST_F(RunningStation, RecognitionIsArchivedShownAndSentToTheCamera) {
    const Bytes plate = Gbk("闽AR2346 "); // the trailing blank reaches the names, not the display
    const Bytes full = Bytes("\xFF\xD8 full picture\0 of the car \xFF\xD9", 29);
    const Bytes closeUp = Bytes("\xFF\xD8 plate\0\x01\x02 \xFF\xD9", 17);
    folder_->DropRecognition(kLeft, "rec1", plate, full, closeUp);

    const Bytes frame98 = "serial 00 64 FF FF 62 1B 01 15 01 00 3C 15 01 03 00 FF 00 00 00 00 00 "
                          "00 00 08 00 C3 F6 41 52 32 33 34 36 64 D7 -> 1";
    ASSERT_TRUE(WaitFor([&] { return Contains(folder_->Journal(kLeft), frame98); }));
    ASSERT_TRUE(WaitFor([&] { return ControlText(main_, kPlateImageEditId) != ""; }));

    // The camera heard the phrase list and the raw plate at once, then the two display frames.
    const std::vector<Bytes> journal = folder_->Journal(kLeft);
    EXPECT_EQ(EntriesAfter(journal, "recognition inbox rec1 [" + plate + "] full=29 closeup=17"),
              (std::vector<Bytes>{
                  "broadcast [121,76,92,2,3,4,6, ] -> 1",
                  "serial " + HexBytes(plate) + " -> 1",
                  "status -> 1",
                  "serial 00 64 FF FF 30 09 01 C3 F6 41 52 32 33 34 36 00 B9 -> 1",
                  frame98,
              }));

    // Both pictures in the dated folder of the camera's address, named by time and plate.
    const std::vector<Bytes> pictures = folder_->ArchivedPictures(kLeft);
    ASSERT_EQ(pictures.size(), 2u);
    const Bytes& fullPath = pictures[0];
    const Bytes& closeUpPath = pictures[1];
    const Bytes folderPrefix = Bytes("Log\\") + kLeft + "\\";
    ASSERT_TRUE(fullPath.starts_with(folderPrefix)) << fullPath;
    // Log\<address>\yyyy\mm\dd\yyyymmddhhnnss_<plate>.jpg
    const Bytes dated = fullPath.substr(folderPrefix.size());
    ASSERT_EQ(dated.size(), 11 + 14 + 1 + plate.size() + 4) << fullPath;
    EXPECT_EQ(dated[4], '\\');
    EXPECT_EQ(dated[7], '\\');
    EXPECT_EQ(dated[10], '\\');
    EXPECT_TRUE(IsDigits(dated.substr(11, 14))) << fullPath;
    if (dated.substr(19, 6) > "000002") { // a picture saved at midnight may name the next day
        EXPECT_EQ(dated.substr(11, 8),
                  dated.substr(0, 4) + dated.substr(5, 2) + dated.substr(8, 2));
    }
    EXPECT_EQ(dated.substr(25), "_" + plate + ".jpg");
    EXPECT_EQ(closeUpPath, fullPath.substr(0, fullPath.size() - 4) + "_plate.jpg");
    EXPECT_EQ(folder_->ReadProgramFile(fullPath), full);
    EXPECT_EQ(folder_->ReadProgramFile(closeUpPath), closeUp);

    // Another program reads the trimmed plate and the full picture's path from the edits.
    EXPECT_EQ(ControlText(main_, kPlateEditId), Gbk("闽AR2346"));
    EXPECT_EQ(ControlText(main_, kPlateImageEditId), fullPath);
    EXPECT_TRUE(folder_->ErrorLogs().empty());
}

// Another program at the gate posts WM_PLATE_RESULT for a camera whose results were all handled:
// the latest result is handled again, archived a second time and sent in both frames again.
TEST_F(RunningStation, PlateResultMessageFromOutsideHandlesTheLatestResultAgain) {
    const Bytes plate = Gbk("闽A40501");
    const Bytes frame98 = "serial 00 64 FF FF 62 1B 01 15 01 00 3C 15 01 03 00 FF 00 00 00 00 00 "
                          "00 00 08 00 " +
                          HexBytes(plate);
    const auto frames98 = [&] {
        const std::vector<Bytes> journal = folder_->Journal(kLeft);
        return std::count_if(journal.begin(), journal.end(),
                             [&](const Bytes& entry) { return entry.starts_with(frame98); });
    };
    const std::size_t picturesBefore = folder_->ArchivedPictures(kLeft).size();
    folder_->DropRecognition(kLeft, "rec405", plate, "full 405", "plate 405");
    ASSERT_TRUE(WaitFor([&] { return frames98() == 1; }));
    ASSERT_TRUE(WaitFor([&] { return ControlText(main_, kPlateEditId) == plate; }));
    ASSERT_EQ(folder_->ArchivedPictures(kLeft).size(), picturesBefore + 2);
    SendAndWait(main_, WM_NULL, 0, 0);
    EXPECT_EQ(frames98(), 1) << "one handling per recognition";

    PostMessageW(main_, kWmPlateResult, 3, 0);
    EXPECT_TRUE(WaitFor([&] { return frames98() == 2; }));
    const std::vector<Bytes> pictures = folder_->ArchivedPictures(kLeft);
    ASSERT_EQ(pictures.size(), picturesBefore + 4);
    std::vector<Bytes> contents;
    for (const Bytes& picture : pictures)
        if (picture.find(plate) != Bytes::npos)
            contents.push_back(folder_->ReadProgramFile(picture));
    std::sort(contents.begin(), contents.end());
    EXPECT_EQ(contents, (std::vector<Bytes>{"full 405", "full 405", "plate 405", "plate 405"}));
    EXPECT_EQ(ControlText(main_, kPlateEditId), plate);
    EXPECT_TRUE(folder_->ErrorLogs().empty());
}

TEST_F(RunningStation, ResultOfAnOfflineCameraLeavesNoTrace) {
    const Bytes plateBefore = ControlText(main_, kPlateEditId);
    const Bytes pathBefore = ControlText(main_, kPlateImageEditId);
    WriteBytes(folder_->CameraFolder(kRight) / L"offline", "");
    folder_->DropRecognition(kRight, "rec2", Gbk("京A12345"), "full", "plate");

    ASSERT_TRUE(WaitFor([&] { return Contains(folder_->Journal(kRight), "status -> 0"); }));
    SendAndWait(main_, WM_NULL, 0, 0); // the handling of that result has ended
    EXPECT_EQ(EntriesAfter(folder_->Journal(kRight), "recognition inbox rec2"),
              (std::vector<Bytes>{"broadcast [115,76,1,2,3,4,5] -> 1",
                                  "serial " + HexBytes(Gbk("京A12345")) + " -> 1", "status -> 0"}));
    EXPECT_TRUE(folder_->ArchivedPictures(kRight).empty());
    EXPECT_EQ(ControlText(main_, kPlateEditId), plateBefore);
    EXPECT_EQ(ControlText(main_, kPlateImageEditId), pathBefore);
    EXPECT_TRUE(folder_->ErrorLogs().empty());
    fs::remove(folder_->CameraFolder(kRight) / L"offline");
}

TEST_F(RunningStation, SecondStartRaisesTheRunningWindowAndEnds) {
    Tray(WM_LBUTTONDOWN);
    ASSERT_TRUE(Hidden());
    const std::vector<Bytes> logBefore = folder_->DebugLogTexts();
    const std::vector<Bytes> leftJournalBefore = folder_->Journal(kLeft);

    StationProcess second;
    ASSERT_TRUE(second.Start(*folder_));
    EXPECT_EQ(second.WaitForExit(), 0u);

    EXPECT_TRUE(WaitFor([] { return IsWindowVisible(main_) && IsZoomed(main_); }));
    EXPECT_EQ(MainWindows(), std::vector<HWND>{main_});
    EXPECT_EQ(folder_->DebugLogTexts(), logBefore);
    EXPECT_EQ(folder_->Journal(kLeft), leftJournalBefore);
    EXPECT_TRUE(folder_->ErrorLogs().empty());
    EXPECT_TRUE(station_->Running());
}

// Last of the suite: it ends the station.
TEST_F(RunningStation, ExitFromTheTrayMenuSavesTheAddressesAndClosesTheCameras) {
    PostMessageW(main_, WM_COMMAND, kTrayMenuExit, 0);
    EXPECT_EQ(station_->WaitForExit(), 0u);
    EXPECT_FALSE(TrayIconPresent(main_));
    EXPECT_EQ(FindWindowW(kMainClass, MainCaption().c_str()), nullptr);

    EXPECT_EQ(folder_->StoredSetting("LEFTIP"), kLeft);
    EXPECT_EQ(folder_->StoredSetting("RIGHTIP"), kRight);
    for (const char* address : {kLeft, kRight}) {
        SCOPED_TRACE(address);
        const std::vector<Bytes> journal = folder_->Journal(address);
        // The camera was closed once, and before the library was finalised.
        ASSERT_GE(journal.size(), 2u);
        EXPECT_EQ(journal[journal.size() - 2], "close");
        EXPECT_EQ(journal.back(), "fini");
        EXPECT_EQ(std::count(journal.begin(), journal.end(), "close"), 1);
    }
    EXPECT_EQ(folder_->DebugLogTexts().size(), 4u);
    EXPECT_TRUE(folder_->ErrorLogs().empty());
}

// A start while the first instance is freeing its cameras, after its instance lock was
// released, runs as a first instance: the lock is gone with its release, not at the process's
// end. The simulated camera takes its time to close, so the two overlap.
TEST(StationShutdown, StartWhileTheCamerasAreFreedRunsAsAFirstInstance) {
    StationFolder folder;
    WriteBytes(folder.AddCamera(kLeft) / L"slow-close", "6000");
    folder.WriteSettings("[FRMMAIN_TAVOCAMERA]\r\nLEFTIP=192.168.1.100\r\n");
    StationProcess first;
    ASSERT_TRUE(first.Start(folder));
    const HWND firstMain = WaitForMainWindowOf(first);
    ASSERT_NE(firstMain, nullptr);
    ASSERT_TRUE(WaitFor([&] { return folder.DebugLogTexts().size() >= 3; }));
    ASSERT_TRUE(InstanceLockExists());

    PostMessageW(firstMain, WM_COMMAND, kTrayMenuExit, 0);
    EXPECT_TRUE(WaitFor([] { return !InstanceLockExists(); }, std::chrono::seconds(4)))
        << "the lock outlives its release";
    ASSERT_TRUE(first.Running()) << "the first instance ended before the test could start";

    StationProcess second;
    ASSERT_TRUE(second.Start(folder));
    const HWND secondMain = WaitForMainWindowOf(second);
    ASSERT_NE(secondMain, nullptr) << "the second start did not run as a first instance";
    EXPECT_TRUE(first.Running()) << "no overlap: the test shows nothing";
    EXPECT_TRUE(WaitFor([&] { return TrayIconPresent(secondMain); }));

    EXPECT_EQ(first.WaitForExit(), 0u);
    EXPECT_TRUE(second.Running());
    PostMessageW(secondMain, WM_COMMAND, kTrayMenuExit, 0);
    EXPECT_EQ(second.WaitForExit(), 0u);
    EXPECT_TRUE(folder.ErrorLogs().empty());
}

// Starts whose stored addresses open no camera or a camera that is not there; each is ended by
// a close request from outside.
struct AddressCase {
    const char* name;
    const char* settings; // bin\FormLayout.ini, or null for none
    const char* camera;   // a simulated camera that exists, or null
    std::vector<const char*> log;
    const char* leftWritten;
    const char* rightWritten;
};

class StartWithAddresses : public ::testing::TestWithParam<AddressCase> {};

TEST_P(StartWithAddresses, OpensOnlyAddressesThatHoldADotAndWritesThemBack) {
    const AddressCase& c = GetParam();
    StationFolder folder;
    if (c.settings)
        folder.WriteSettings(c.settings);
    if (c.camera)
        folder.AddCamera(c.camera);
    StationProcess station;
    ASSERT_TRUE(station.Start(folder));
    const HWND main = WaitForMainWindow();
    ASSERT_NE(main, nullptr);
    std::vector<Bytes> expectedLog;
    for (const char* line : c.log)
        expectedLog.push_back(Gbk(line));
    EXPECT_TRUE(WaitFor([&] { return folder.DebugLogTexts().size() >= expectedLog.size(); }));
    SendAndWait(main, WM_NULL, 0, 0);
    EXPECT_EQ(folder.DebugLogTexts(), expectedLog);
    EXPECT_TRUE(folder.Journals().empty()) << "a camera was opened";
    EXPECT_TRUE(TrayIconPresent(main));

    PostMessageW(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(station.WaitForExit(), 0u);
    EXPECT_EQ(folder.StoredSetting("LEFTIP"), c.leftWritten);
    EXPECT_EQ(folder.StoredSetting("RIGHTIP"), c.rightWritten);
    EXPECT_TRUE(folder.ErrorLogs().empty());
}

INSTANTIATE_TEST_SUITE_P(
    , StartWithAddresses,
    ::testing::Values(AddressCase{"NoSettingsFile",
                                  nullptr,
                                  nullptr,
                                  {"tavoCamera 开始启动", "重新加载配置 --- 动态数据"},
                                  "",
                                  ""},
                      AddressCase{"MissingKeyAndHostName",
                                  "[FRMMAIN_TAVOCAMERA]\r\nRIGHTIP=camera-host\r\n",
                                  "camera-host",
                                  {"tavoCamera 开始启动", "重新加载配置 --- 动态数据"},
                                  "",
                                  "camera-host"},
                      AddressCase{"UnreachableAndBlank",
                                  "[FRMMAIN_TAVOCAMERA]\r\nLEFTIP=10.0.0.9\r\nRIGHTIP=   \r\n",
                                  nullptr,
                                  {"tavoCamera 开始启动", "重新加载配置 --- 动态数据",
                                   "连接左边摄像头失败！"},
                                  "10.0.0.9",
                                  ""}),
    [](const ::testing::TestParamInfo<AddressCase>& info) { return info.param.name; });

// Without the camera library beside it, the station still starts and runs: every camera open
// fails, and the error log names the library.
TEST(StationWithoutLibrary, StartsAndReportsEveryOpenAsFailed) {
    StationFolder folder;
    fs::remove(folder.Root() / L"ice_ipcsdk.dll");
    folder.WriteSettings(
        "[FRMMAIN_TAVOCAMERA]\r\nLEFTIP=192.168.1.100\r\nRIGHTIP=192.168.1.101\r\n");
    StationProcess station;
    ASSERT_TRUE(station.Start(folder));
    const HWND main = WaitForMainWindow();
    ASSERT_NE(main, nullptr);
    const std::vector<Bytes> expected =
        GbkLines({"tavoCamera 开始启动", "重新加载配置 --- 动态数据", "连接左边摄像头失败！",
                  "连接右边摄像头失败！"});
    EXPECT_TRUE(WaitFor([&] { return folder.DebugLogTexts() == expected; }));
    const std::vector<Bytes> errors = folder.ErrorLogTexts();
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_NE(errors[0].find("ice_ipcsdk.dll"), Bytes::npos) << GbkToUtf8(errors[0]);
    EXPECT_TRUE(TrayIconPresent(main));

    PostMessageW(main, WM_COMMAND, kTrayMenuExit, 0);
    EXPECT_EQ(station.WaitForExit(), 0u);
    EXPECT_EQ(folder.StoredSetting("LEFTIP"), "192.168.1.100");
}

// A settings file that cannot be rewritten (a folder stands at its name): the addresses are lost,
// the error log says so, and the exit goes on as usual.
TEST(StationSettings, AddressesThatCannotBeSavedGoToTheErrorLogAndTheExitGoesOn) {
    StationFolder folder;
    fs::create_directories(folder.Root() / L"bin" / L"FormLayout.ini");
    StationProcess station;
    ASSERT_TRUE(station.Start(folder));
    const HWND main = WaitForMainWindow();
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(WaitFor([&] { return folder.DebugLogTexts().size() >= 2; }));
    EXPECT_TRUE(folder.ErrorLogTexts().empty());

    PostMessageW(main, WM_COMMAND, kTrayMenuExit, 0);
    EXPECT_EQ(station.WaitForExit(), 0u);
    EXPECT_FALSE(TrayIconPresent(main));
    const std::vector<Bytes> errors = folder.ErrorLogTexts();
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_TRUE(errors[0].starts_with(Gbk("保存摄像头地址失败！"))) << GbkToUtf8(errors[0]);
}

// The creation step fails (the settings file holds the deletion marker, and the section cannot
// be erased because a folder stands where its replacement would be written): the program ends
// at once with a failure code and an error log line, leaving no window, icon or open camera.
TEST(StationSettings, AnErrorWhileTheMainWindowIsCreatedEndsTheProgramAtOnce) {
    StationFolder folder;
    folder.AddCamera(kLeft);
    folder.WriteSettings("[FRMMAIN_TAVOCAMERA]\r\n!@#DelFlag=!@#339\r\nLEFTIP=192.168.1.100\r\n");
    fs::create_directories(folder.Root() / L"bin" / L"FormLayout.ini.new");
    StationProcess station;
    ASSERT_TRUE(station.Start(folder));
    EXPECT_EQ(station.WaitForExit(), 1u);
    EXPECT_EQ(FindWindowW(kMainClass, MainCaption().c_str()), nullptr);
    const std::vector<Bytes> errors = folder.ErrorLogTexts();
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_TRUE(errors[0].starts_with(Gbk("主窗口创建失败！"))) << GbkToUtf8(errors[0]);
    EXPECT_TRUE(folder.Journals().empty());
    EXPECT_EQ(folder.StoredSetting("LEFTIP"), "192.168.1.100");
}

} // namespace
} // namespace tavo::e2e

// The stand-in ice_ipcsdk.dll as the station meets it: loaded from a folder by name, its seven
// functions found with GetProcAddress, simulated cameras in a temporary ICE_SIM_ROOT.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "SimulatorFixture.h"

namespace tavo::test {
namespace {

using namespace std::chrono_literals;

TEST_F(SimulatorTest, OpenFailsLikeAnUnreachableCameraForMissingOrEscapingFolders) {
    MakeCamera("192.168.1.100");
    // Folders that exist but lie outside the sim folder, or are the sim folder itself.
    fs::create_directories(root_.parent_path() / L"outside-cam");
    fs::create_directories(root_ / L"sub" / L"cam");
    Recorder recorder;
    for (const Bytes& address :
         {Bytes("192.168.1.222"), Bytes(""), Bytes("."), Bytes(".."), Bytes("..."),
          Bytes("..\\outside-cam"), Bytes("../outside-cam"), Bytes("sub\\cam"), Bytes("sub/cam"),
          Bytes("192.168.1.100."), Bytes("192.168.1.100 "), Bytes("C:\\windows"),
          Bytes("\\\\server\\share"), Bytes("192.168.1.100\t")}) {
        EXPECT_EQ(Open(address, recorder), 0u) << "address [" << address << "]";
    }
    EXPECT_NE(Open("192.168.1.100", recorder), 0u);
    fs::remove_all(root_.parent_path() / L"outside-cam");
}

TEST_F(SimulatorTest, BadArgumentsAreRefusedWithZero) {
    const fs::path camera = MakeCamera("192.168.1.100");
    Recorder recorder;
    EXPECT_EQ(sdk().OpenPreview(nullptr, 1, 1, 0, &OnPlate, &recorder), 0u);
    EXPECT_EQ(sdk().OpenPreview("192.168.1.100", 1, 1, 0, nullptr, &recorder), 0u);
    for (const ICE_HANDLE unknown : {ICE_HANDLE(0), ICE_HANDLE(77777)}) {
        EXPECT_EQ(sdk().Close(unknown), 0);
        EXPECT_EQ(sdk().GetStatus(unknown), 0);
        EXPECT_EQ(sdk().TransSerialPort(unknown, "AB", 2), 0);
        EXPECT_EQ(sdk().BroadcastGroup(unknown, "1,2"), 0);
    }
    const ICE_HANDLE handle = Open("192.168.1.100", recorder);
    ASSERT_NE(handle, 0u);
    EXPECT_EQ(sdk().TransSerialPort(handle, nullptr, 3), 0);
    EXPECT_EQ(sdk().TransSerialPort(handle, "AB", -1), 0);
    EXPECT_EQ(sdk().BroadcastGroup(handle, nullptr), 0);
    EXPECT_EQ(sdk().Close(handle), 1);
    // A closed handle is unknown from then on.
    EXPECT_EQ(sdk().Close(handle), 0);
    EXPECT_EQ(sdk().GetStatus(handle), 0);
    const std::vector<Bytes> expected = {"open window=0x0 -> " + std::to_string(handle),
                                         "serial (invalid) -> 0", "serial (invalid) -> 0",
                                         "broadcast (invalid) -> 0", "close"};
    EXPECT_EQ(Journal(camera), expected);
}

TEST_F(SimulatorTest, InboxEventReachesTheCallbackAndMovesToDone) {
    const Bytes address = Gbk("东门-192.168.1.100");
    const fs::path camera = MakeCamera(address);
    const Bytes full = Picture('F', 70000), closeUp = Picture('P', 3001);
    DropEvent(camera / L"inbox", "0001", Gbk("闽AR2346\r\nsecond line ignored\r\n"), &full,
              &closeUp);
    DropEvent(camera / L"inbox", "0002", "\n");            // empty plate, no pictures
    DropEvent(camera / L"inbox", "0003", Gbk("京A12345")); // no line end, close-up only
    Recorder recorder;
    // A window handle that is no window: painting is skipped, delivery goes on.
    const ICE_HANDLE handle = Open(address, recorder, 0x12345);
    ASSERT_NE(handle, 0u);
    ASSERT_TRUE(recorder.WaitFor(3));
    CloseAndMark(handle, recorder);

    const auto got = recorder.Snapshot();
    ASSERT_EQ(got.size(), 3u);
    for (const auto& delivery : got) {
        EXPECT_EQ(delivery.param, &recorder);
        EXPECT_EQ(delivery.address, address);
        EXPECT_TRUE(delivery.picturesNonNull);
    }
    EXPECT_EQ(got[0].plate, Gbk("闽AR2346"));
    EXPECT_EQ(got[0].full, full);
    EXPECT_EQ(got[0].closeUp, closeUp);
    EXPECT_EQ(got[1].plate, "");
    EXPECT_EQ(got[1].full, "");
    EXPECT_EQ(got[1].closeUp, "");
    EXPECT_EQ(got[2].plate, Gbk("京A12345"));
    EXPECT_EQ(got[2].full, "");

    EXPECT_EQ(CountFiles(camera / L"inbox"), 0u);
    EXPECT_EQ(ReadBytes(camera / L"done" / L"0001.full.jpg"), full);
    EXPECT_EQ(ReadBytes(camera / L"done" / L"0001.plate.jpg"), closeUp);
    EXPECT_TRUE(fs::exists(camera / L"done" / L"0002.txt"));
    EXPECT_TRUE(fs::exists(camera / L"done" / L"0003.txt"));

    const std::vector<Bytes> expected = {
        "open window=0x12345 -> " + std::to_string(handle),
        "recognition inbox 0001 [" + Gbk("闽AR2346") + "] full=70000 closeup=3001",
        "recognition inbox 0002 [] full=0 closeup=0",
        "recognition inbox 0003 [" + Gbk("京A12345") + "] full=0 closeup=0", "close"};
    EXPECT_EQ(Journal(camera), expected);
}

TEST_F(SimulatorTest, InboxEventsComeInNameOrderAndWaitForTheirTxtToBeClosed) {
    const fs::path camera = MakeCamera("192.168.1.101");
    const fs::path inbox = camera / L"inbox";
    for (const char* name : {"20261211-0003", "20261211-0001", "20261211-0002"})
        DropEvent(inbox, name, name);
    // An event whose .txt a dropper is still writing: neither it nor the later ones go yet.
    HANDLE writing = CreateFileW((inbox / L"20261211-0004.txt").c_str(), GENERIC_WRITE,
                                 FILE_SHARE_READ, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(writing, INVALID_HANDLE_VALUE);
    DropEvent(inbox, "20261211-0005", "20261211-0005");

    Recorder recorder;
    const ICE_HANDLE handle = Open("192.168.1.101", recorder);
    ASSERT_NE(handle, 0u);
    ASSERT_TRUE(recorder.WaitFor(3));
    EXPECT_FALSE(recorder.WaitFor(4, 700ms)) << "took an event whose .txt was still open";

    DWORD written = 0;
    WriteFile(writing, "20261211-0004\r\n", 15, &written, nullptr);
    CloseHandle(writing);
    ASSERT_TRUE(recorder.WaitFor(5));
    CloseAndMark(handle, recorder);
    const std::vector<Bytes> order = {"20261211-0001", "20261211-0002", "20261211-0003",
                                      "20261211-0004", "20261211-0005"};
    EXPECT_EQ(recorder.Plates(), order);
}

TEST_F(SimulatorTest, JournalRecordsEveryCallWithItsBytesAndPhrasesExactly) {
    const fs::path camera = MakeCamera("192.168.1.100");
    Recorder recorder;
    const ICE_HANDLE handle = Open("192.168.1.100", recorder, 0xABC0);
    ASSERT_NE(handle, 0u);
    // A display frame: 0x00 inside, 0xFF, a GBK plate; and an empty send.
    const Bytes frame("\x00\x64\xFF\xFF\x30\x00\xC3\xF6\x41\x0A", 10);
    EXPECT_EQ(sdk().GetStatus(handle), 1);
    EXPECT_EQ(sdk().TransSerialPort(handle, frame.data(), static_cast<int32_t>(frame.size())), 1);
    EXPECT_EQ(sdk().BroadcastGroup(handle, "121, ,92,0"), 1);
    EXPECT_EQ(sdk().TransSerialPort(handle, "", 0), 1);
    EXPECT_EQ(sdk().BroadcastGroup(handle, ""), 1);
    EXPECT_EQ(sdk().Close(handle), 1);

    const std::vector<Bytes> expected = {"open window=0xABC0 -> " + std::to_string(handle),
                                         "status -> 1",
                                         "serial 00 64 FF FF 30 00 C3 F6 41 0A -> 1",
                                         "broadcast [121, ,92,0] -> 1",
                                         "serial -> 1",
                                         "broadcast [] -> 1",
                                         "close"};
    EXPECT_EQ(Journal(camera), expected);
}

TEST_F(SimulatorTest, SwitchFilesMakeTheCameraOfflineOrItsSendsFail) {
    const fs::path camera = MakeCamera("192.168.1.100");
    Recorder recorder;
    const ICE_HANDLE handle = Open("192.168.1.100", recorder);
    ASSERT_NE(handle, 0u);
    struct Case {
        const wchar_t* file;
        int status, serial, broadcast;
    };
    for (const Case& c : {Case{L"offline", 0, 1, 1}, Case{L"fail-serial", 1, 0, 1},
                          Case{L"fail-broadcast", 1, 1, 0}}) {
        WriteBytes(camera / c.file, "");
        EXPECT_EQ(sdk().GetStatus(handle), c.status) << fs::path(c.file);
        EXPECT_EQ(sdk().TransSerialPort(handle, "\x01", 1), c.serial) << fs::path(c.file);
        EXPECT_EQ(sdk().BroadcastGroup(handle, "7"), c.broadcast) << fs::path(c.file);
        fs::remove(camera / c.file);
    }
    // A camera whose folder is taken away is offline too (and has no journal meanwhile).
    const fs::path away = root_ / L"away";
    ASSERT_TRUE(RenameFolder(camera, away));
    EXPECT_EQ(sdk().GetStatus(handle), 0);
    ASSERT_TRUE(RenameFolder(away, camera));
    // Switches are read at every call: with the files gone all is well again.
    EXPECT_EQ(sdk().GetStatus(handle), 1);
    EXPECT_EQ(sdk().TransSerialPort(handle, "\x01", 1), 1);
    EXPECT_EQ(sdk().BroadcastGroup(handle, "7"), 1);

    const auto journal = Journal(camera);
    const std::vector<Bytes> calls(journal.begin() + 1, journal.end());
    const std::vector<Bytes> expected = {
        "status -> 0", "serial 01 -> 1", "broadcast [7] -> 1",  // offline
        "status -> 1", "serial 01 -> 0", "broadcast [7] -> 1",  // fail-serial
        "status -> 1", "serial 01 -> 1", "broadcast [7] -> 0",  // fail-broadcast
        "status -> 1", "serial 01 -> 1", "broadcast [7] -> 1"}; // none
    EXPECT_EQ(calls, expected);
}

TEST_F(SimulatorTest, NoCallbackRunsAfterCloseWhileEventsPourIn) {
    const fs::path camera = MakeCamera("192.168.1.100");
    const fs::path inbox = camera / L"inbox";
    constexpr int kQueued = 300;
    for (int i = 0; i < kQueued; ++i)
        DropEvent(inbox, Numbered("a", 100000 + i), Numbered("P", i));
    Recorder recorder;
    // A callback that takes a little time, like the station's (it broadcasts and sends).
    recorder.inside = [this](Recorder& r) {
        sdk().BroadcastGroup(r.handle, "1,2,3");
        std::this_thread::sleep_for(5ms);
    };
    // A dropper that keeps adding events during the close.
    std::atomic<bool> dropping{true};
    std::thread dropper([&] {
        for (int i = 0; dropping; ++i) {
            DropEvent(inbox, Numbered("b", 100000 + i), "Q");
            std::this_thread::sleep_for(1ms);
        }
    });
    const ICE_HANDLE handle = Open("192.168.1.100", recorder);
    ASSERT_NE(handle, 0u);
    ASSERT_TRUE(recorder.WaitFor(20));
    CloseAndMark(handle, recorder);
    const std::size_t deliveredAtClose = recorder.Snapshot().size();
    std::this_thread::sleep_for(800ms);
    dropping = false;
    dropper.join();

    EXPECT_EQ(recorder.lateCalls, 0);
    EXPECT_EQ(recorder.Snapshot().size(), deliveredAtClose);
    // Every delivered event left the inbox; the others are all still there.
    const std::size_t queuedLeft = [&] {
        std::size_t left = 0;
        for (const auto& entry : fs::directory_iterator(inbox))
            left += entry.path().filename().wstring()[0] == L'a';
        return left;
    }();
    EXPECT_EQ(queuedLeft + deliveredAtClose, static_cast<std::size_t>(kQueued));
    EXPECT_EQ(Journal(camera).back(), "close");
}

TEST_F(SimulatorTest, CloseFromInsideTheCallbackReturnsAndEndsTheDeliveries) {
    const fs::path camera = MakeCamera("192.168.1.100");
    for (const char* name : {"1", "2", "3"})
        DropEvent(camera / L"inbox", name, name);
    Recorder recorder;
    std::atomic<int> closeResult{-1};
    recorder.inside = [&](Recorder& r) {
        if (closeResult == -1) {
            closeResult = sdk().Close(r.handle);
            r.closed = r.closedInside = true;
        }
    };
    const ICE_HANDLE handle = Open("192.168.1.100", recorder);
    ASSERT_NE(handle, 0u);
    ASSERT_TRUE(recorder.WaitFor(1));
    EXPECT_FALSE(recorder.WaitFor(2, 800ms));
    EXPECT_EQ(closeResult, 1);
    EXPECT_EQ(recorder.lateCalls, 0);
    EXPECT_EQ(sdk().Close(handle), 0);
    // The delivered event is moved; the two that were never delivered stay.
    EXPECT_TRUE(fs::exists(camera / L"done" / L"1.txt"));
    EXPECT_EQ(CountFiles(camera / L"inbox"), 2u);
    EXPECT_EQ(Journal(camera).back(), "close");
}

TEST_F(SimulatorTest, FiniFromInsideACallbackClosesEveryCamera) {
    const fs::path left = MakeCamera("192.168.1.100"), right = MakeCamera("192.168.1.101");
    for (int i = 0; i < 20; ++i) {
        DropEvent(left / L"inbox", Numbered("L", 1000 + i), "left");
        DropEvent(right / L"inbox", Numbered("R", 1000 + i), "right");
    }
    Recorder leftRecorder, rightRecorder;
    std::atomic<int> finiResult{-1};
    rightRecorder.inside = [](Recorder&) { std::this_thread::sleep_for(5ms); };
    leftRecorder.inside = [&](Recorder& r) {
        if (finiResult == -1 && r.Snapshot().size() == 3) {
            finiResult = sdk().Fini();
            r.closed = r.closedInside = true;
            rightRecorder.closed = true;
        }
    };
    const ICE_HANDLE leftHandle = Open("192.168.1.100", leftRecorder);
    const ICE_HANDLE rightHandle = Open("192.168.1.101", rightRecorder);
    ASSERT_NE(leftHandle, 0u);
    ASSERT_NE(rightHandle, 0u);
    ASSERT_TRUE(leftRecorder.WaitFor(3));
    EXPECT_FALSE(leftRecorder.WaitFor(4, 800ms));
    EXPECT_EQ(finiResult, 1);
    EXPECT_EQ(leftRecorder.lateCalls + rightRecorder.lateCalls, 0);
    EXPECT_EQ(sdk().Close(leftHandle), 0);
    EXPECT_EQ(sdk().Close(rightHandle), 0);
}

TEST_F(SimulatorTest, OpeningAndClosingAtAnyMomentLeavesNoCallbackBehind) {
    const fs::path camera = MakeCamera("192.168.1.100");
    for (int i = 0; i < 100; ++i)
        DropEvent(camera / L"inbox", Numbered("e", 1000 + i), "X");
    // Closes before the first poll, during it, and between deliveries.
    for (int round = 0; round < 16; ++round) {
        Recorder recorder;
        recorder.inside = [](Recorder&) { std::this_thread::sleep_for(3ms); };
        const ICE_HANDLE handle = Open("192.168.1.100", recorder, round % 2 ? 0xDEAD : 0);
        ASSERT_NE(handle, 0u);
        std::this_thread::sleep_for(std::chrono::milliseconds(round * 20));
        CloseAndMark(handle, recorder);
        std::this_thread::sleep_for(30ms);
        EXPECT_EQ(recorder.lateCalls, 0) << "round " << round;
    }
}

TEST_F(SimulatorTest, ReplayDeliversItsEventsInTurnRoundAndRoundWithoutMovingThem) {
    const fs::path camera = MakeCamera("192.168.1.101");
    WriteBytes(camera / L"camera.ini",
               "; demo camera\r\n[camera]\r\n  replayeveryseconds = 1 \r\n");
    const Bytes full = Picture('R', 1000);
    DropEvent(camera / L"replay", "b", Gbk("京A12345"), &full);
    DropEvent(camera / L"replay", "a", Gbk("闽AR2346"));
    Recorder recorder;
    const auto opened = std::chrono::steady_clock::now();
    const ICE_HANDLE handle = Open("192.168.1.101", recorder);
    ASSERT_NE(handle, 0u);
    ASSERT_TRUE(recorder.WaitFor(1, 3s));
    // The first comes after one period, not at once.
    EXPECT_GE(std::chrono::steady_clock::now() - opened, 900ms);
    ASSERT_TRUE(recorder.WaitFor(5, 10s));
    CloseAndMark(handle, recorder);
    const auto plates = recorder.Plates();
    const std::vector<Bytes> expected = {Gbk("闽AR2346"), Gbk("京A12345"), Gbk("闽AR2346"),
                                         Gbk("京A12345"), Gbk("闽AR2346")};
    EXPECT_EQ(std::vector<Bytes>(plates.begin(), plates.begin() + 5), expected);
    EXPECT_EQ(recorder.Snapshot()[1].full, full);
    EXPECT_EQ(CountFiles(camera / L"replay"), 3u);
    EXPECT_FALSE(fs::exists(camera / L"done"));
}

TEST_F(SimulatorTest, ReplayIsOffWithoutAValidPeriod) {
    Recorder recorder;
    std::vector<ICE_HANDLE> handles;
    for (const char* ini : {"ReplayEverySeconds=0", "ReplayEverySeconds=-1",
                            "ReplayEverySeconds=1x", "OtherKey=1", "ReplayEverySeconds="}) {
        const Bytes address = Bytes("cam-") + std::to_string(handles.size());
        const fs::path camera = MakeCamera(address);
        WriteBytes(camera / L"camera.ini", ini);
        DropEvent(camera / L"replay", "a", "X");
        handles.push_back(Open(address, recorder));
        ASSERT_NE(handles.back(), 0u) << ini;
    }
    EXPECT_FALSE(recorder.WaitFor(1, 2500ms));
}

TEST_F(SimulatorTest, TwoCamerasDeliverTheirOwnEventsAndFiniClosesBoth) {
    const fs::path left = MakeCamera("192.168.1.100"), right = MakeCamera("192.168.1.101");
    for (int i = 0; i < 50; ++i) {
        DropEvent(left / L"inbox", Numbered("L", 1000 + i), "left");
        DropEvent(right / L"inbox", Numbered("R", 1000 + i), "right");
    }
    Recorder leftRecorder, rightRecorder;
    leftRecorder.inside =
        rightRecorder.inside = [](Recorder&) { std::this_thread::sleep_for(5ms); };
    const ICE_HANDLE leftHandle = Open("192.168.1.100", leftRecorder);
    const ICE_HANDLE rightHandle = Open("192.168.1.101", rightRecorder);
    ASSERT_NE(leftHandle, 0u);
    ASSERT_NE(rightHandle, leftHandle);
    ASSERT_TRUE(leftRecorder.WaitFor(5));
    ASSERT_TRUE(rightRecorder.WaitFor(5));
    EXPECT_EQ(sdk().Fini(), 1);
    leftRecorder.closed = rightRecorder.closed = true;
    std::this_thread::sleep_for(500ms);

    EXPECT_EQ(leftRecorder.lateCalls + rightRecorder.lateCalls, 0);
    for (const auto& delivery : leftRecorder.Snapshot())
        EXPECT_EQ(delivery.address + "/" + delivery.plate, "192.168.1.100/left");
    for (const auto& delivery : rightRecorder.Snapshot())
        EXPECT_EQ(delivery.address + "/" + delivery.plate, "192.168.1.101/right");
    EXPECT_EQ(sdk().Close(leftHandle), 0);
    EXPECT_EQ(sdk().Close(rightHandle), 0);
    // Fini closed each camera, then journaled itself for every camera it had opened.
    for (const fs::path& camera : {left, right}) {
        const auto journal = Journal(camera);
        ASSERT_GE(journal.size(), 2u);
        EXPECT_EQ(journal[journal.size() - 2], "close");
        EXPECT_EQ(journal.back(), "fini");
    }
}

TEST_F(SimulatorTest, TwoHandlesOnOneAddressDeliverEachEventOnce) {
    const fs::path camera = MakeCamera("192.168.1.100");
    constexpr int kEvents = 60;
    for (int i = 0; i < kEvents; ++i)
        DropEvent(camera / L"inbox", std::to_string(1000 + i), std::to_string(1000 + i));
    Recorder first, second;
    ASSERT_NE(Open("192.168.1.100", first), 0u);
    ASSERT_NE(Open("192.168.1.100", second), 0u);
    for (int waited = 0; waited < 80 && CountFiles(camera / L"inbox") > 0; ++waited)
        std::this_thread::sleep_for(100ms);
    std::this_thread::sleep_for(300ms);
    std::vector<Bytes> plates = first.Plates();
    for (const Bytes& plate : second.Plates())
        plates.push_back(plate);
    std::sort(plates.begin(), plates.end());
    std::vector<Bytes> expected;
    for (int i = 0; i < kEvents; ++i)
        expected.push_back(std::to_string(1000 + i));
    EXPECT_EQ(plates, expected);
}

} // namespace
} // namespace tavo::test

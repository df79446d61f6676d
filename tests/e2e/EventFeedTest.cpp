// End-to-end tests of the event feed: the real station with the simulated cameras posting to the
// tests' own HTTP receiver, which is down, accepts, refuses or hangs.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>

#include "common/GbkText.h"
#include "tests/e2e/HttpReceiver.h"
#include "tests/e2e/StationDriver.h"
#include "tests/upload/MultipartParser.h"
#include "upload/UploadEvent.h"

namespace tavo::e2e {
namespace {

using namespace std::chrono_literals;

constexpr char kLeft[] = "192.168.1.100";
constexpr char kRight[] = "192.168.1.101";
constexpr auto kDelivery = std::chrono::milliseconds(30000); // backoff pauses included

using Fields = std::map<std::string, std::string>;

std::vector<fs::path> FilesIn(const fs::path& folder, const std::wstring& suffix) {
    std::vector<fs::path> files;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error))
        if (entry.is_regular_file() && entry.path().wstring().ends_with(suffix))
            files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

std::string ComputerNameUtf8() {
    wchar_t name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD length = MAX_COMPUTERNAME_LENGTH + 1;
    GetComputerNameW(name, &length);
    return Utf16ToUtf8(std::u16string(name, name + length));
}

// "YYYY-MM-DDTHH:MM:SS.mmm+hh:mm" or with "-hh:mm".
bool IsIsoTimeWithOffset(const std::string& text) {
    const std::string shape = "dddd-dd-ddTdd:dd:dd.ddd+dd:dd";
    if (text.size() != shape.size())
        return false;
    for (std::size_t i = 0; i < shape.size(); ++i) {
        const char c = text[i];
        const bool ok = shape[i] == 'd'   ? (c >= '0' && c <= '9')
                        : shape[i] == '+' ? (c == '+' || c == '-')
                                          : c == shape[i];
        if (!ok)
            return false;
    }
    return true;
}

// Milliseconds since midnight of a simulator journal entry's stamp "YYYY-MM-DD HH:MM:SS.mmm ".
long StampMilliseconds(const Bytes& line) {
    const auto number = [&](std::size_t at, std::size_t length) {
        return std::stol(line.substr(at, length));
    };
    return ((number(11, 2) * 60 + number(14, 2)) * 60 + number(17, 2)) * 1000 + number(20, 3);
}

// A station whose settings post events to the receiver.
class EventFeed : public ::testing::Test {
protected:
    void SetUp() override {
        folder_.AddCamera(kLeft);
        folder_.AddCamera(kRight);
        ASSERT_NE(receiver_.Port(), 0);
    }
    void TearDown() override {
        if (station_ && station_->Running())
            Exit();
        receiver_.Stop();
    }

    void WriteSettings(const std::string& station) {
        folder_.WriteSettings("[FRMMAIN_TAVOCAMERA]\r\nLEFTIP=192.168.1.100\r\n"
                              "RIGHTIP=192.168.1.101\r\n[STATION]\r\n" +
                              station);
    }
    void StartStation() {
        station_ = std::make_unique<StationProcess>();
        ASSERT_TRUE(station_->Start(folder_));
        main_ = WaitForMainWindow();
        ASSERT_NE(main_, nullptr);
        // The creation step has ended when this start's last line is there.
        const long starts = ++starts_;
        ASSERT_TRUE(WaitFor([&] {
            const std::vector<Bytes> log = folder_.DebugLogTexts();
            return std::count(log.begin(), log.end(), Gbk("连接右边摄像头成功")) == starts;
        }));
    }
    // Ends the station through the tray menu; the time it took to end.
    std::chrono::milliseconds Exit() {
        const auto before = std::chrono::steady_clock::now();
        PostMessageW(main_, WM_COMMAND, kTrayMenuExit, 0);
        EXPECT_EQ(station_->WaitForExit(), 0u);
        return std::chrono::duration_cast<std::chrono::milliseconds>(
            std::chrono::steady_clock::now() - before);
    }

    fs::path Outbox() const { return folder_.Root() / L"Log" / L"Outbox"; }
    std::vector<fs::path> Waiting() const { return FilesIn(Outbox(), L".json"); }

    // Drops a recognition and waits until its event waits in the outbox or was sent.
    void Recognise(const char* address, const char* name, const char* plateUtf8,
                   const Bytes& full = "", const Bytes& closeUp = "") {
        const std::size_t before = Waiting().size() + receiver_.Requests().size();
        folder_.DropRecognition(address, name, Gbk(plateUtf8), full, closeUp);
        ASSERT_TRUE(
            WaitFor([&] { return Waiting().size() + receiver_.Requests().size() > before; }));
    }

    int Count(const std::vector<Bytes>& lines, std::string_view prefixUtf8) const {
        const Bytes prefix = Gbk(prefixUtf8);
        return static_cast<int>(std::count_if(
            lines.begin(), lines.end(), [&](const Bytes& l) { return l.starts_with(prefix); }));
    }

    StationFolder folder_;
    HttpReceiver receiver_;
    std::unique_ptr<StationProcess> station_;
    HWND main_ = nullptr;
    int starts_ = 0;
};

TEST_F(EventFeed, EventsWaitThroughAnOutageAndArriveOnceEachOldestFirstWithTheirPictures) {
    WriteSettings("UploadUrl=" + receiver_.Url("/events") +
                  "\r\nUploadToken=tok-123\r\nUploadPictures=1\r\n");
    StartStation();

    // The server is down while three recognitions happen.
    const Bytes full1("\xFF\xD8 full one\0\r\n\xFF\xD9", 16);
    const Bytes plate1("\xFF\xD8 plate one\0\xFF\xD9", 16);
    const Bytes full3("\xFF\xD8 full three \xFF\xD9", 17);
    Recognise(kLeft, "rec1", "闽AR2346", full1, plate1);
    Recognise(kRight, "rec2", "京A12345", "", "");
    Recognise(kLeft, "rec3", "粤B00001", full3, "");
    EXPECT_EQ(Waiting().size(), 3u);

    ASSERT_TRUE(receiver_.Listen(200));
    ASSERT_TRUE(receiver_.WaitForRequests(3, kDelivery));
    EXPECT_TRUE(WaitFor([&] { return Waiting().empty(); }));
    std::this_thread::sleep_for(1500ms); // nothing more arrives
    const std::vector<HttpReceiver::Request> requests = receiver_.Requests();
    ASSERT_EQ(requests.size(), 3u);

    const std::vector<Bytes> leftPictures = folder_.ArchivedPictures(kLeft);
    ASSERT_EQ(leftPictures.size(), 3u); // two of rec1, one of rec3
    struct Expected {
        const char* side;
        const char* address;
        const char* plate;
        Bytes full;
        Bytes closeUp;
    };
    const Expected expected[] = {{"left", kLeft, "闽AR2346", full1, plate1},
                                 {"right", kRight, "京A12345", "", ""},
                                 {"left", kLeft, "粤B00001", full3, ""}};
    std::string previousId;
    for (std::size_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        const HttpReceiver::Request& request = requests[i];
        EXPECT_EQ(request.Method, "POST");
        EXPECT_EQ(request.Target, "/events");
        EXPECT_EQ(request.Headers.at("authorization"), "Bearer tok-123");
        const std::string contentType = request.Headers.at("content-type");
        const std::string prefix = "multipart/form-data; boundary=";
        ASSERT_TRUE(contentType.starts_with(prefix)) << contentType;
        const auto parts = test::ParseMultipart(request.Body, contentType.substr(prefix.size()));
        ASSERT_TRUE(parts.count("event")) << request.Body;
        Fields event;
        ASSERT_TRUE(ReadFlatJson(parts.at("event").Data, event)) << parts.at("event").Data;

        EXPECT_EQ(event.size(), 9u);
        EXPECT_EQ(request.Headers.at("idempotency-key"), event["id"]);
        EXPECT_GT(event["id"], previousId);
        previousId = event["id"];
        EXPECT_EQ(event["station"], ComputerNameUtf8());
        EXPECT_EQ(event["side"], expected[i].side);
        EXPECT_EQ(event["cameraAddress"], expected[i].address);
        EXPECT_EQ(event["plate"], expected[i].plate);
        EXPECT_EQ(event["state"], "handled");
        EXPECT_TRUE(IsIsoTimeWithOffset(event["time"])) << event["time"];

        // The pictures as archived, byte for byte; a picture the camera did not give is absent.
        const std::pair<const char*, const char*> pictures[] = {{"full", "fullPicture"},
                                                                {"closeup", "closeUpPicture"}};
        for (const auto& [part, field] : pictures) {
            const Bytes& bytes =
                std::string(part) == "full" ? expected[i].full : expected[i].closeUp;
            if (bytes.empty()) {
                EXPECT_EQ(event[field], "");
                EXPECT_EQ(parts.count(part), 0u) << part;
                continue;
            }
            ASSERT_EQ(parts.count(part), 1u) << part;
            EXPECT_EQ(parts.at(part).Data, bytes) << part;
            EXPECT_EQ(parts.at(part).ContentType, "image/jpeg");
            EXPECT_EQ(folder_.ReadProgramFile(Utf8ToGbk(event[field])), bytes) << event[field];
        }
    }

    // One line when delivery started failing, one when it worked again.
    const std::vector<Bytes> debug = folder_.DebugLogTexts();
    EXPECT_EQ(Count(debug, "事件上传失败，稍后重试："), 1);
    EXPECT_EQ(Count(debug, "事件上传恢复正常"), 1);
    EXPECT_TRUE(folder_.ErrorLogs().empty());
}

TEST_F(EventFeed, EventsWaitingAtExitAreDeliveredAfterTheNextStart) {
    WriteSettings("UploadUrl=" + receiver_.Url("/in?gate=3") + "\r\n");
    StartStation();
    Recognise(kLeft, "rec1", "闽AR2346", "full", "plate");
    WriteBytes(folder_.CameraFolder(kRight) / L"offline", "");
    Recognise(kRight, "rec2", "京A12345", "full", "plate");
    Exit();
    ASSERT_EQ(Waiting().size(), 2u);

    ASSERT_TRUE(receiver_.Listen(201));
    StartStation();
    ASSERT_TRUE(receiver_.WaitForRequests(2, kDelivery));
    EXPECT_TRUE(WaitFor([&] { return Waiting().empty(); }));
    const std::vector<HttpReceiver::Request> requests = receiver_.Requests();
    ASSERT_EQ(requests.size(), 2u);
    std::vector<Fields> events;
    for (const HttpReceiver::Request& request : requests) {
        EXPECT_EQ(request.Target, "/in?gate=3");
        EXPECT_EQ(request.Headers.at("content-type"), "application/json");
        EXPECT_EQ(request.Headers.count("authorization"), 0u);
        Fields event;
        ASSERT_TRUE(ReadFlatJson(request.Body, event)) << request.Body;
        EXPECT_EQ(request.Headers.at("idempotency-key"), event["id"]);
        events.push_back(event);
    }
    EXPECT_EQ(events[0]["plate"], "闽AR2346");
    EXPECT_EQ(events[0]["state"], "handled");
    EXPECT_NE(events[0]["fullPicture"], "");
    // The offline camera's result is an event too, with nothing archived.
    EXPECT_EQ(events[1]["plate"], "京A12345");
    EXPECT_EQ(events[1]["side"], "right");
    EXPECT_EQ(events[1]["state"], "offline");
    EXPECT_EQ(events[1]["fullPicture"], "");
    EXPECT_EQ(events[1]["closeUpPicture"], "");
    EXPECT_TRUE(folder_.ErrorLogs().empty());
}

TEST_F(EventFeed, AnEventTheServerRefusesGoesToRejectedWithAnErrorLine) {
    ASSERT_TRUE(receiver_.Listen(400));
    WriteSettings("UploadUrl=" + receiver_.Url("/events") + "\r\n");
    StartStation();
    folder_.DropRecognition(kLeft, "rec1", Gbk("闽AR2346"), "full", "plate");
    ASSERT_TRUE(WaitFor([&] { return FilesIn(Outbox() / L"rejected", L".json").size() == 1; }));
    ASSERT_TRUE(WaitFor([&] { return !folder_.ErrorLogTexts().empty(); }));
    std::this_thread::sleep_for(1500ms); // it is not tried again
    EXPECT_EQ(receiver_.Requests().size(), 1u);
    EXPECT_TRUE(Waiting().empty());
    const std::vector<Bytes> errors = folder_.ErrorLogTexts();
    ASSERT_EQ(errors.size(), 1u);
    const fs::path rejected = FilesIn(Outbox() / L"rejected", L".json")[0];
    EXPECT_EQ(errors[0], Gbk("上传事件被服务器拒绝（HTTP 400），已移入 rejected：") +
                             Utf16ToGbk(rejected.stem().u16string()));
    EXPECT_EQ(ReadBytes(rejected), receiver_.Requests()[0].Body);
}

TEST_F(EventFeed, AHangingServerDelaysNeitherTheNextRecognitionNorTheExit) {
    ASSERT_TRUE(receiver_.Hang());
    WriteSettings("UploadUrl=" + receiver_.Url("/events") + "\r\n");
    StartStation();
    Recognise(kLeft, "rec1", "闽AR2346", "full", "plate");
    ASSERT_TRUE(receiver_.WaitForRequests(1, 10s));

    // While the sender waits for the server, the next recognition's frames go out at once.
    folder_.DropRecognition(kLeft, "rec2", Gbk("京A12345"), "full", "plate");
    const Bytes frame98Prefix = "serial 00 64 FF FF 62";
    const fs::path journal = folder_.CameraFolder(kLeft) / L"journal.txt";
    std::vector<Bytes> rec2;
    ASSERT_TRUE(WaitFor([&] {
        rec2.clear();
        bool after = false;
        Bytes line;
        for (const char c : ReadBytes(journal)) {
            if (c != '\n') {
                line += c;
                continue;
            }
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            after = after || line.find("recognition inbox rec2") != Bytes::npos;
            if (after)
                rec2.push_back(line);
            line.clear();
        }
        return !rec2.empty() && rec2.back().find(frame98Prefix) != Bytes::npos;
    }));
    EXPECT_LT(StampMilliseconds(rec2.back()) - StampMilliseconds(rec2.front()), 1000)
        << rec2.front() << "\n"
        << rec2.back();
    EXPECT_TRUE(WaitFor([&] { return Waiting().size() == 2; }));

    // The exit does not wait for the server.
    EXPECT_LT(Exit(), 2000ms);
    EXPECT_EQ(Waiting().size(), 2u);
    const std::vector<Bytes> journalAfter = folder_.Journal(kLeft);
    ASSERT_FALSE(journalAfter.empty());
    EXPECT_EQ(journalAfter.back(), "fini");
}

TEST_F(EventFeed, AUrlThatCannotBeParsedIsOneErrorLineAndNothingIsQueued) {
    WriteSettings("UploadUrl=ftp://127.0.0.1/events\r\n");
    StartStation();
    folder_.DropRecognition(kLeft, "rec1", Gbk("闽AR2346"), "full", "plate");
    ASSERT_TRUE(WaitFor([&] { return folder_.ArchivedPictures(kLeft).size() == 2; }));
    SendAndWait(main_, WM_NULL, 0, 0);
    EXPECT_FALSE(fs::exists(Outbox()));
    EXPECT_EQ(folder_.ErrorLogTexts(),
              std::vector<Bytes>{Gbk("设置 [STATION] UploadUrl 无法解析：ftp://127.0.0.1/events，"
                                     "事件不上传")});
}

} // namespace
} // namespace tavo::e2e

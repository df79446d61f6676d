// The sender thread against a scripted transport, and the feed that runs it: delivery oldest
// first, retries and their pauses, rejection, the debug lines, and stopping while a post hangs.
// Runs under ThreadSanitizer too.
#include <gtest/gtest.h>

#include <map>

#include "common/GbkText.h"
#include "tests/upload/UploadFixture.h"
#include "upload/EventFeed.h"
#include "upload/Outbox.h"
#include "upload/UploadSender.h"

namespace tavo {
namespace {

using namespace std::chrono_literals;
using Names = std::vector<std::string>;

TEST(Classify, TwoHundredsDeliverTransientFailuresRetryTheRestReject) {
    struct Case {
        HttpAnswer answer;
        Delivery delivery;
    };
    const Case cases[] = {
        {{true, 200, ""}, Delivery::Delivered},   {{true, 201, ""}, Delivery::Delivered},
        {{true, 204, ""}, Delivery::Delivered},   {{true, 299, ""}, Delivery::Delivered},
        {{false, 0, "timeout"}, Delivery::Retry}, {{true, 408, ""}, Delivery::Retry},
        {{true, 429, ""}, Delivery::Retry},       {{true, 500, ""}, Delivery::Retry},
        {{true, 503, ""}, Delivery::Retry},       {{true, 599, ""}, Delivery::Retry},
        {{true, 100, ""}, Delivery::Rejected},    {{true, 301, ""}, Delivery::Rejected},
        {{true, 400, ""}, Delivery::Rejected},    {{true, 401, ""}, Delivery::Rejected},
        {{true, 404, ""}, Delivery::Rejected},    {{true, 409, ""}, Delivery::Rejected},
        {{true, 413, ""}, Delivery::Rejected},    {{true, 600, ""}, Delivery::Rejected},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Classify(c.answer), c.delivery) << c.answer.Answered << " " << c.answer.Status;
}

TEST(Backoff, StartsAtOneSecondDoublesAndStopsAtFiveMinutes) {
    Backoff backoff(1000ms, 300000ms);
    std::vector<long long> pauses;
    for (int i = 0; i < 12; ++i)
        pauses.push_back(backoff.Next().count());
    EXPECT_EQ(pauses, (std::vector<long long>{1000, 2000, 4000, 8000, 16000, 32000, 64000, 128000,
                                              256000, 300000, 300000, 300000}));
    backoff.Reset();
    EXPECT_EQ(backoff.Next(), 1000ms);
    EXPECT_EQ(backoff.Next(), 2000ms);
}

// An outbox with some events, a scripted transport and a sender with short pauses.
class SenderTest : public UploadTest {
protected:
    void SetUpOutbox(const Names& ids) {
        outbox_ = std::make_unique<Outbox>(folder_ / "Outbox", 100);
        Names dropped;
        ASSERT_TRUE(outbox_->Open(dropped));
        for (const std::string& id : ids)
            ASSERT_TRUE(outbox_->Add(id, "{\"id\":\"" + id + "\",\"fullPicture\":\"\"}", dropped));
    }
    // The transport answers in turn, then `otherwise` for every request.
    FakeTransport& StartSender(std::vector<ScriptedAnswer> script,
                               ScriptedAnswer otherwise = Answer(200), std::string token = "") {
        transport_ = std::make_unique<FakeTransport>(std::move(script), otherwise);
        SenderSettings settings;
        EXPECT_TRUE(ParseUploadUrl("http://127.0.0.1:8080/in", settings.Target));
        settings.Token = std::move(token);
        settings.FirstPause = 1ms;
        settings.LongestPause = 4ms;
        sender_ = std::make_unique<UploadSender>(
            *outbox_, *transport_, reports_, [](const Bytes&, Bytes&) { return false; }, settings);
        sender_->Start();
        return *transport_;
    }
    // Waits until the outbox is empty, then stops the sender, so that all it had to say about
    // the last event is said.
    bool WaitUntilEmptyAndStop() {
        for (int i = 0; i < 1000 && outbox_->Waiting() != 0; ++i)
            std::this_thread::sleep_for(10ms);
        sender_->Stop();
        return outbox_->Waiting() == 0;
    }
    static std::string Key(const FakeTransport::Received& received) {
        for (const auto& [name, value] : received.Request.Headers)
            if (name == "Idempotency-Key")
                return value;
        return "<none>";
    }
    static Names Keys(const FakeTransport& transport) {
        Names keys;
        for (const auto& received : transport.Requests())
            keys.push_back(Key(received));
        return keys;
    }
    void TearDown() override {
        sender_.reset();
        UploadTest::TearDown();
    }

    std::unique_ptr<Outbox> outbox_;
    KeptReports reports_;
    std::unique_ptr<FakeTransport> transport_;
    std::unique_ptr<UploadSender> sender_;
};

TEST_F(SenderTest, DeliversEveryWaitingEventOnceOldestFirstAndThenWhatComesNext) {
    SetUpOutbox({"e2", "e1", "e3"});
    FakeTransport& transport = StartSender({}, Answer(200), "tok");
    for (int i = 0; i < 1000 && outbox_->Waiting() != 0; ++i)
        std::this_thread::sleep_for(10ms);
    ASSERT_EQ(outbox_->Waiting(), 0u);
    EXPECT_EQ(Keys(transport), (Names{"e1", "e2", "e3"}));
    const FakeTransport::Received first = transport.Requests()[0];
    EXPECT_EQ(first.Target.Host, "127.0.0.1");
    EXPECT_EQ(first.Target.Port, 8080);
    EXPECT_EQ(first.Target.PathAndQuery, "/in");
    EXPECT_EQ(first.Request.Body, "{\"id\":\"e1\",\"fullPicture\":\"\"}");
    EXPECT_EQ(first.Request.Headers.back(),
              (std::pair<std::string, std::string>{"Authorization", "Bearer tok"}));

    // An event added while the sender waits wakes it.
    Names dropped;
    ASSERT_TRUE(outbox_->Add("e4", "{\"id\":\"e4\"}", dropped));
    sender_->Notify();
    ASSERT_TRUE(transport.WaitForRequests(4));
    ASSERT_TRUE(WaitUntilEmptyAndStop());
    EXPECT_EQ(Keys(transport), (Names{"e1", "e2", "e3", "e4"}));
    EXPECT_TRUE(FileNames(folder_ / "Outbox").empty());
    EXPECT_TRUE(reports_.Errors().empty());
    EXPECT_TRUE(reports_.Debugs().empty());
}

TEST_F(SenderTest, TransientFailuresKeepTheEventAndRetryItWithOneDebugLineEachWay) {
    SetUpOutbox({"e1", "e2"});
    FakeTransport& transport = StartSender({NoAnswer(), Answer(503), Answer(429), Answer(408),
                                            Answer(500), Answer(200), NoAnswer(), Answer(204)});
    ASSERT_TRUE(WaitUntilEmptyAndStop());
    // The oldest is retried until taken; the next is not sent before it.
    EXPECT_EQ(Keys(transport), (Names{"e1", "e1", "e1", "e1", "e1", "e1", "e2", "e2"}));
    EXPECT_TRUE(reports_.Errors().empty());
    EXPECT_EQ(reports_.Debugs(),
              (Names{"事件上传失败，稍后重试：connection refused", "事件上传恢复正常",
                     "事件上传失败，稍后重试：connection refused", "事件上传恢复正常"}));
}

TEST_F(SenderTest, AnyOtherAnswerMovesTheEventToRejectedWithAnErrorLineAndGoesOn) {
    SetUpOutbox({"e1", "e2", "e3"});
    FakeTransport& transport = StartSender({Answer(400), Answer(200), Answer(404)});
    ASSERT_TRUE(WaitUntilEmptyAndStop());
    EXPECT_EQ(Keys(transport), (Names{"e1", "e2", "e3"}));
    EXPECT_EQ(FileNames(folder_ / "Outbox" / "rejected"), (Names{"e1.json", "e3.json"}));
    EXPECT_EQ(ReadFile(folder_ / "Outbox" / "rejected" / "e1.json"),
              "{\"id\":\"e1\",\"fullPicture\":\"\"}");
    EXPECT_EQ(reports_.Errors(), (Names{"上传事件被服务器拒绝（HTTP 400），已移入 rejected：e1",
                                        "上传事件被服务器拒绝（HTTP 404），已移入 rejected：e3"}));
    EXPECT_TRUE(reports_.Debugs().empty());
}

TEST_F(SenderTest, AnEventFileThatIsNotAnEventIsRejectedUnsent) {
    SetUpOutbox({"e2"});
    WriteFile(folder_ / "Outbox" / "e1.json", "not json");
    Names dropped;
    outbox_ = std::make_unique<Outbox>(folder_ / "Outbox", 100);
    ASSERT_TRUE(outbox_->Open(dropped));
    FakeTransport& transport = StartSender({});
    ASSERT_TRUE(WaitUntilEmptyAndStop());
    EXPECT_EQ(Keys(transport), Names{"e2"});
    EXPECT_EQ(FileNames(folder_ / "Outbox" / "rejected"), Names{"e1.json"});
    EXPECT_EQ(reports_.Errors(), Names{"上传事件的内容无法识别，已移入 rejected：e1"});
}

TEST_F(SenderTest, StopCancelsAHangingPostAndTheEventWaitsForTheNextStart) {
    SetUpOutbox({"e1"});
    FakeTransport& transport = StartSender({Hang()});
    ASSERT_TRUE(transport.WaitForRequests(1));
    const auto before = std::chrono::steady_clock::now();
    sender_->Stop();
    EXPECT_LT(std::chrono::steady_clock::now() - before, 2s);
    EXPECT_EQ(FileNames(folder_ / "Outbox"), Names{"e1.json"});
    EXPECT_TRUE(reports_.Debugs().empty()); // a cancelled post is no failure of delivery
    EXPECT_TRUE(reports_.Errors().empty());
}

TEST_F(SenderTest, StopEndsAPauseAfterAFailure) {
    SetUpOutbox({"e1"});
    FakeTransport transport({}, NoAnswer());
    SenderSettings settings;
    ASSERT_TRUE(ParseUploadUrl("http://h/", settings.Target));
    settings.FirstPause = 300s; // far longer than the test may take
    UploadSender sender(*outbox_, transport, reports_, {}, settings);
    sender.Start();
    ASSERT_TRUE(transport.WaitForRequests(1));
    std::this_thread::sleep_for(20ms);
    sender.Stop();
    EXPECT_EQ(transport.Requests().size(), 1u);
    EXPECT_EQ(outbox_->Waiting(), 1u);
}

// The feed as the station runs it.
class FeedTest : public UploadTest {
protected:
    FeedSettings Settings(std::string_view url) const {
        FeedSettings settings;
        settings.Url = url;
        settings.FirstPause = 1ms;
        settings.LongestPause = 4ms;
        return settings;
    }
    std::function<std::unique_ptr<HttpTransport>()> Transport(std::vector<ScriptedAnswer> script,
                                                              ScriptedAnswer otherwise) {
        return [this, script, otherwise] {
            auto transport = std::make_unique<FakeTransport>(script, otherwise);
            transport_ = transport.get();
            return transport;
        };
    }
    static UploadEvent Event(std::string_view plate) {
        UploadEvent event;
        event.Side = "left";
        event.Plate = Utf8ToGbk(plate);
        event.State = "handled";
        event.Time = LocalTime{2024, 3, 5, 14, 7, 9, 123};
        return event;
    }

    KeptReports reports_;
    FakeTransport* transport_ = nullptr;
};

TEST_F(FeedTest, AnUnusableUrlOrTokenIsOneErrorLineAndTheFeedStaysOff) {
    struct Case {
        const char* url;
        Bytes token;
        Names errors;
    };
    const Case cases[] = {
        {"", "", {}},
        {"ftp://host/", "", {"设置 [STATION] UploadUrl 无法解析：ftp://host/，事件不上传"}},
        {"http://host/",
         "a\x01"
         "b",
         {"设置 [STATION] UploadToken 含有不可见或非 ASCII 字符，事件不上传"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.url);
        KeptReports reports;
        EventFeed feed(reports);
        FeedSettings settings = Settings(c.url);
        settings.Token = c.token;
        EXPECT_FALSE(feed.Start(settings, folder_ / "Outbox", Transport({}, Answer(200)), {}));
        EXPECT_FALSE(feed.On());
        EXPECT_FALSE(feed.Add(Event("A1")));
        EXPECT_EQ(reports.Errors(), c.errors);
        EXPECT_FALSE(std::filesystem::exists(folder_ / "Outbox"));
    }
}

TEST_F(FeedTest, EachEventIsWrittenWithItsOwnIdAndDeliveredWithIt) {
    EventFeed feed(reports_);
    ASSERT_TRUE(feed.Start(Settings("http://127.0.0.1:1/"), folder_ / "Outbox",
                           Transport({}, Answer(200)), {}));
    ASSERT_TRUE(feed.Add(Event("闽A1")));
    ASSERT_TRUE(feed.Add(Event("闽A2")));
    ASSERT_TRUE(transport_->WaitForRequests(2));
    feed.Stop();
    std::vector<std::map<std::string, std::string>> bodies;
    for (const auto& received : transport_->Requests()) {
        std::map<std::string, std::string> fields;
        ASSERT_TRUE(ReadFlatJson(received.Request.Body, fields));
        EXPECT_EQ(received.Request.Headers[1].second, fields["id"]);
        bodies.push_back(fields);
    }
    EXPECT_EQ(bodies[0]["plate"], "闽A1");
    EXPECT_EQ(bodies[1]["plate"], "闽A2");
    EXPECT_LT(bodies[0]["id"], bodies[1]["id"]);
    EXPECT_TRUE(reports_.Errors().empty());
}

TEST_F(FeedTest, PastUploadKeepTheOldestIsDroppedWithAnErrorLine) {
    EventFeed feed(reports_);
    FeedSettings settings = Settings("http://127.0.0.1:1/");
    settings.Keep = 2;
    // The server stays down, so every event waits.
    ASSERT_TRUE(feed.Start(settings, folder_ / "Outbox", Transport({}, NoAnswer()), {}));
    for (const char* plate : {"A1", "A2", "A3"})
        ASSERT_TRUE(feed.Add(Event(plate)));
    feed.Stop();
    const Names files = FileNames(folder_ / "Outbox");
    ASSERT_EQ(files.size(), 2u);
    const std::vector<std::string> errors = reports_.Errors();
    ASSERT_EQ(errors.size(), 1u);
    const std::string prefix = "上传队列已满（UploadKeep=2），最早的事件被丢弃：";
    ASSERT_TRUE(errors[0].starts_with(prefix)) << errors[0];
    const std::string droppedId = errors[0].substr(prefix.size());
    EXPECT_LT(droppedId + ".json", files[0]);
    for (const std::string& file : files)
        EXPECT_EQ(ReadFile(folder_ / "Outbox" / file).find("\"plate\":\"A1\""), std::string::npos);
}

TEST_F(FeedTest, AnEventThatCannotBeWrittenIsAnErrorLine) {
    EventFeed feed(reports_);
    ASSERT_TRUE(feed.Start(Settings("http://127.0.0.1:1/"), folder_ / "Outbox",
                           Transport({}, Answer(200)), {}));
    std::filesystem::remove_all(folder_ / "Outbox");
    WriteFile(folder_ / "Outbox", "a file where the folder was");
    EXPECT_FALSE(feed.Add(Event("A1")));
    feed.Stop();
    const std::vector<std::string> errors = reports_.Errors();
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_TRUE(errors[0].starts_with("上传事件无法写入 Log\\Outbox\\：")) << errors[0];
}

} // namespace
} // namespace tavo

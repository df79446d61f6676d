// The event feed: settings, outbox and sender put together.
#include "upload/EventFeed.h"

#include <string>
#include <utility>

#include "common/GbkText.h"

namespace tavo {

EventFeed::EventFeed(UploadReports& reports) : reports_(reports), ids_(RandomRunNumber()) {}

EventFeed::~EventFeed() {
    Stop();
}

bool EventFeed::Start(const FeedSettings& settings, const std::filesystem::path& outboxFolder,
                      const std::function<std::unique_ptr<HttpTransport>()>& makeTransport,
                      PictureReader readPicture) {
    if (settings.Url.empty())
        return false;
    SenderSettings sender;
    if (!ParseUploadUrl(settings.Url, sender.Target)) {
        reports_.UploadError(Utf8ToGbk("设置 [STATION] UploadUrl 无法解析：") + settings.Url +
                             Utf8ToGbk("，事件不上传"));
        return false;
    }
    if (!IsHeaderSafe(settings.Token)) {
        reports_.UploadError(
            Utf8ToGbk("设置 [STATION] UploadToken 含有不可见或非 ASCII 字符，事件不上传"));
        return false;
    }
    sender.Token = settings.Token;
    sender.Pictures = settings.Pictures;
    sender.FirstPause = settings.FirstPause;
    sender.LongestPause = settings.LongestPause;

    auto outbox = std::make_unique<Outbox>(outboxFolder, static_cast<std::size_t>(settings.Keep));
    std::vector<std::string> dropped;
    if (!outbox->Open(dropped)) {
        reports_.UploadError(Utf8ToGbk("上传队列 Log\\Outbox\\ 无法打开，事件不上传"));
        return false;
    }
    keep_ = settings.Keep;
    outbox_ = std::move(outbox);
    ReportDropped(dropped);
    transport_ = makeTransport();
    sender_ = std::make_unique<UploadSender>(*outbox_, *transport_, reports_,
                                             std::move(readPicture), std::move(sender));
    sender_->Start();
    return true;
}

void EventFeed::ReportDropped(const std::vector<std::string>& dropped) {
    for (const std::string& id : dropped)
        reports_.UploadError(Utf8ToGbk("上传队列已满（UploadKeep=") + std::to_string(keep_) +
                             Utf8ToGbk("），最早的事件被丢弃：") + Utf8ToGbk(id));
}

bool EventFeed::Add(UploadEvent event) {
    if (!On())
        return false;
    event.Id = ids_.Next(UtcMillisecondsNow());
    std::vector<std::string> dropped;
    const bool written = outbox_->Add(event.Id, EventJson(event), dropped);
    if (!written)
        reports_.UploadError(Utf8ToGbk("上传事件无法写入 Log\\Outbox\\：") + Utf8ToGbk(event.Id));
    ReportDropped(dropped);
    if (written)
        sender_->Notify();
    return written;
}

void EventFeed::Stop() {
    if (sender_)
        sender_->Stop();
}

} // namespace tavo

// The sender thread's loop.
#include "upload/UploadSender.h"

#include <algorithm>
#include <map>
#include <utility>

#include "common/GbkText.h"
#include "upload/UploadEvent.h"

namespace tavo {

Delivery Classify(const HttpAnswer& answer) {
    if (!answer.Answered)
        return Delivery::Retry;
    const int status = answer.Status;
    if (status >= 200 && status <= 299)
        return Delivery::Delivered;
    if (status == 408 || status == 429 || (status >= 500 && status <= 599))
        return Delivery::Retry;
    return Delivery::Rejected;
}

Backoff::Backoff(std::chrono::milliseconds first, std::chrono::milliseconds longest)
    : first_(first), longest_(std::max(first, longest)), next_(first) {}

std::chrono::milliseconds Backoff::Next() {
    const std::chrono::milliseconds pause = next_;
    next_ = std::min(next_ * 2, longest_);
    return pause;
}

void Backoff::Reset() {
    next_ = first_;
}

UploadSender::UploadSender(Outbox& outbox, HttpTransport& transport, UploadReports& reports,
                           PictureReader readPicture, SenderSettings settings)
    : outbox_(outbox), transport_(transport), reports_(reports),
      readPicture_(std::move(readPicture)), settings_(std::move(settings)),
      backoff_(settings_.FirstPause, settings_.LongestPause) {}

UploadSender::~UploadSender() {
    Stop();
}

void UploadSender::Start() {
    if (!thread_.joinable())
        thread_ = std::thread([this] { Run(); });
}

void UploadSender::Notify() {
    {
        const std::lock_guard lock(mutex_);
        newEvent_ = true;
    }
    wake_.notify_all();
}

void UploadSender::Stop() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    transport_.Cancel();
    if (thread_.joinable())
        thread_.join();
}

bool UploadSender::Pause(std::chrono::milliseconds pause) {
    std::unique_lock lock(mutex_);
    return !wake_.wait_for(lock, pause, [this] { return stopping_; });
}

void UploadSender::Run() {
    for (;;) {
        {
            const std::lock_guard lock(mutex_);
            if (stopping_)
                return;
            newEvent_ = false;
        }
        std::string id;
        if (!outbox_.Oldest(id)) {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return stopping_ || newEvent_; });
            continue;
        }
        if (!SendOldest(id))
            return;
    }
}

namespace {

Bytes EventName(const std::string& id) {
    return Utf8ToGbk(id);
}

std::string FailureText(const HttpAnswer& answer) {
    return answer.Answered ? "HTTP " + std::to_string(answer.Status) : answer.Failure;
}

} // namespace

bool UploadSender::SendOldest(const std::string& id) {
    std::string json;
    if (!outbox_.Read(id, json)) {
        if (outbox_.Forget(id)) // else it was dropped meanwhile, with its own line
            reports_.UploadError(Utf8ToGbk("上传事件无法读取，本次运行不再发送：") + EventName(id));
        return true;
    }
    std::map<std::string, std::string> fields;
    std::string key;
    if (ReadFlatJson(json, fields))
        key = fields["id"];
    if (key.empty() || !IsHeaderSafe(key)) {
        outbox_.Reject(id);
        reports_.UploadError(Utf8ToGbk("上传事件的内容无法识别，已移入 rejected：") +
                             EventName(id));
        return true;
    }

    const HttpRequest request =
        BuildEventRequest(json, key, settings_.Token, settings_.Pictures, readPicture_);
    const HttpAnswer answer = transport_.Post(settings_.Target, request);
    switch (Classify(answer)) {
    case Delivery::Delivered:
        if (!outbox_.Remove(id))
            reports_.UploadError(Utf8ToGbk("已送达的上传事件无法从 Outbox 删除，下次启动会重发：") +
                                 EventName(id));
        if (failing_)
            reports_.UploadDebug(Utf8ToGbk("事件上传恢复正常"));
        failing_ = false;
        backoff_.Reset();
        return true;
    case Delivery::Rejected:
        if (outbox_.Reject(id))
            reports_.UploadError(Utf8ToGbk("上传事件被服务器拒绝（HTTP ") +
                                 std::to_string(answer.Status) +
                                 Utf8ToGbk("），已移入 rejected：") + EventName(id));
        else
            reports_.UploadError(Utf8ToGbk("上传事件被服务器拒绝（HTTP ") +
                                 std::to_string(answer.Status) +
                                 Utf8ToGbk("），但无法移入 rejected：") + EventName(id));
        backoff_.Reset();
        return true;
    case Delivery::Retry:
        break;
    }
    {
        const std::lock_guard lock(mutex_);
        if (stopping_)
            return false; // the event waits for the next start
    }
    if (!failing_)
        reports_.UploadDebug(Utf8ToGbk("事件上传失败，稍后重试：") +
                             Utf8ToGbk(FailureText(answer)));
    failing_ = true;
    return Pause(backoff_.Next());
}

} // namespace tavo

// WinHTTP in its asynchronous mode: the sender's thread starts a request and waits for either
// its answer or Cancel, so that stopping never waits for a timeout. A cancelled request is closed;
// its small state lives until WinHTTP says the handle is gone, since WinHTTP may still call back.
#include "upload/WinHttpTransport.h"

#include <windows.h>
#include <winhttp.h>

#include <string>

namespace tavo {

namespace {

constexpr int kTimeoutMs = 5000;
// How long a closed request may take to say it is gone before its state is left to it.
constexpr DWORD kCloseWaitMs = 1000;
// A bound on one post beyond WinHTTP's own timeouts, should those not fire.
constexpr DWORD kLongestPostMs = 60000;

std::wstring Widen(std::string_view ascii) {
    return std::wstring(ascii.begin(), ascii.end());
}

// What one request's callbacks and its poster share. The events hand the fields over.
struct RequestState {
    HANDLE Done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE Closed = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::string Body; // must live until the request is sent
    bool Answered = false;
    DWORD Status = 0;
    DWORD Error = 0;

    ~RequestState() {
        if (Done)
            CloseHandle(Done);
        if (Closed)
            CloseHandle(Closed);
    }
    void Fail(DWORD error) {
        if (Error == 0 && !Answered)
            Error = error;
        SetEvent(Done);
    }
};

void CALLBACK OnRequestStatus(HINTERNET request, DWORD_PTR context, DWORD status, LPVOID info,
                              DWORD /*infoLength*/) {
    auto* state = reinterpret_cast<RequestState*>(context);
    if (state == nullptr)
        return;
    switch (status) {
    case WINHTTP_CALLBACK_STATUS_SENDREQUEST_COMPLETE:
        if (!WinHttpReceiveResponse(request, nullptr))
            state->Fail(GetLastError());
        break;
    case WINHTTP_CALLBACK_STATUS_HEADERS_AVAILABLE: {
        DWORD code = 0;
        DWORD size = sizeof code;
        if (WinHttpQueryHeaders(request, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                                WINHTTP_HEADER_NAME_BY_INDEX, &code, &size,
                                WINHTTP_NO_HEADER_INDEX)) {
            state->Status = code;
            state->Answered = state->Error == 0;
            SetEvent(state->Done);
        } else {
            state->Fail(GetLastError());
        }
        break;
    }
    case WINHTTP_CALLBACK_STATUS_REQUEST_ERROR:
        state->Fail(static_cast<WINHTTP_ASYNC_RESULT*>(info)->dwError);
        break;
    case WINHTTP_CALLBACK_STATUS_HANDLE_CLOSING:
        SetEvent(state->Closed);
        break;
    default:
        break;
    }
}

class WinHttpTransport final : public HttpTransport {
public:
    WinHttpTransport()
        : session_(WinHttpOpen(L"tavoCamera/1.0.2", WINHTTP_ACCESS_TYPE_DEFAULT_PROXY,
                               WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, WINHTTP_FLAG_ASYNC)),
          cancel_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
        if (session_ && WinHttpSetStatusCallback(session_, OnRequestStatus,
                                                 WINHTTP_CALLBACK_FLAG_ALL_COMPLETIONS |
                                                     WINHTTP_CALLBACK_FLAG_HANDLES,
                                                 0) == WINHTTP_INVALID_STATUS_CALLBACK) {
            WinHttpCloseHandle(session_);
            session_ = nullptr;
        }
    }
    ~WinHttpTransport() override {
        if (session_)
            WinHttpCloseHandle(session_);
        if (cancel_)
            CloseHandle(cancel_);
    }
    WinHttpTransport(const WinHttpTransport&) = delete;
    WinHttpTransport& operator=(const WinHttpTransport&) = delete;

    HttpAnswer Post(const UploadTarget& target, const HttpRequest& request) override;

    void Cancel() override {
        if (cancel_)
            SetEvent(cancel_);
    }

private:
    HINTERNET session_;
    HANDLE cancel_;
};

HttpAnswer Failed(const char* step, DWORD error) {
    return HttpAnswer{false, 0, std::string("WinHTTP ") + step + " error " + std::to_string(error)};
}

HttpAnswer WinHttpTransport::Post(const UploadTarget& target, const HttpRequest& request) {
    if (!session_ || !cancel_)
        return HttpAnswer{false, 0, "WinHTTP cannot be used"};
    if (WaitForSingleObject(cancel_, 0) == WAIT_OBJECT_0)
        return HttpAnswer{false, 0, "cancelled"};
    const HINTERNET connection =
        WinHttpConnect(session_, Widen(target.Host).c_str(), target.Port, 0);
    if (!connection)
        return Failed("connect", GetLastError());
    const HINTERNET handle = WinHttpOpenRequest(
        connection, L"POST", Widen(target.PathAndQuery).c_str(), nullptr, WINHTTP_NO_REFERER,
        WINHTTP_DEFAULT_ACCEPT_TYPES, target.Secure ? WINHTTP_FLAG_SECURE : 0);
    if (!handle) {
        const DWORD error = GetLastError();
        WinHttpCloseHandle(connection);
        return Failed("request", error);
    }

    auto* state = new RequestState;
    state->Body = request.Body;
    DWORD_PTR context = reinterpret_cast<DWORD_PTR>(state);
    DWORD noRedirects = WINHTTP_DISABLE_REDIRECTS;
    std::wstring headers;
    for (const auto& [name, value] : request.Headers)
        headers += Widen(name) + L": " + Widen(value) + L"\r\n";
    HttpAnswer answer;
    bool started =
        state->Done && state->Closed &&
        WinHttpSetOption(handle, WINHTTP_OPTION_CONTEXT_VALUE, &context, sizeof context) &&
        WinHttpSetOption(handle, WINHTTP_OPTION_DISABLE_FEATURE, &noRedirects,
                         sizeof noRedirects) &&
        WinHttpSetTimeouts(handle, kTimeoutMs, kTimeoutMs, kTimeoutMs, kTimeoutMs) &&
        WinHttpAddRequestHeaders(handle, headers.c_str(), static_cast<DWORD>(-1),
                                 WINHTTP_ADDREQ_FLAG_ADD | WINHTTP_ADDREQ_FLAG_REPLACE);
    if (!started) {
        answer = Failed("setup", GetLastError());
    } else if (!WinHttpSendRequest(handle, WINHTTP_NO_ADDITIONAL_HEADERS, 0, state->Body.data(),
                                   static_cast<DWORD>(state->Body.size()),
                                   static_cast<DWORD>(state->Body.size()), context)) {
        answer = Failed("send", GetLastError());
    } else {
        const HANDLE waits[] = {state->Done, cancel_};
        switch (WaitForMultipleObjects(2, waits, FALSE, kLongestPostMs)) {
        case WAIT_OBJECT_0:
            answer = state->Answered ? HttpAnswer{true, static_cast<int>(state->Status), ""}
                                     : Failed("answer", state->Error);
            break;
        case WAIT_OBJECT_0 + 1:
            answer = HttpAnswer{false, 0, "cancelled"};
            break;
        default:
            answer = HttpAnswer{false, 0, "WinHTTP gave no answer"};
            break;
        }
    }
    // Closing ends whatever the request still does; its last callback says it is gone.
    WinHttpCloseHandle(handle);
    WinHttpCloseHandle(connection);
    if (!state->Closed || WaitForSingleObject(state->Closed, kCloseWaitMs) == WAIT_OBJECT_0)
        delete state;
    // else: WinHTTP may still call back with it, so it is left to them (a few bytes, rarely).
    return answer;
}

} // namespace

std::unique_ptr<HttpTransport> MakeWinHttpTransport() {
    return std::make_unique<WinHttpTransport>();
}

} // namespace tavo

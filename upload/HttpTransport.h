// The boundary between the sender and the network: one POST at a time, cancellable from another
// thread. WinHttpTransport_win.cpp is the station's; tests put fakes of their own in its place.
#pragma once

#include <string>

#include "upload/UploadRequest.h"
#include "upload/UploadUrl.h"

namespace tavo {

struct HttpAnswer {
    bool Answered = false; // true when the server answered with a status
    int Status = 0;        // the answer's status code, when answered
    std::string Failure;   // what went wrong when not answered (ASCII, for the debug log)
};

class HttpTransport {
public:
    virtual ~HttpTransport() = default;

    // Posts the request to the target and waits for the status of the answer (its body is not
    // needed). Not answered on any network failure, on a timeout (connect, send and receive at
    // most 5 s each) and after Cancel. Called by one thread at a time.
    virtual HttpAnswer Post(const UploadTarget& target, const HttpRequest& request) = 0;

    // From any thread: a Post under way ends at once, not answered, and so does every later one.
    virtual void Cancel() = 0;
};

} // namespace tavo

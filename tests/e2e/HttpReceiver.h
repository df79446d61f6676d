// A small HTTP receiver of the tests' own on 127.0.0.1, standing in for a site's server: it takes
// POST requests and answers each with the status it is told, or hangs (reads the request and
// never answers), or is not listening at all. It keeps every request it read.
#pragma once

#include <winsock2.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace tavo::e2e {

class HttpReceiver {
public:
    struct Request {
        std::string Method;
        std::string Target;
        std::map<std::string, std::string> Headers; // names in lower case
        std::string Body;
    };

    // Finds a free port on 127.0.0.1; nothing listens on it until Listen.
    HttpReceiver();
    ~HttpReceiver();
    HttpReceiver(const HttpReceiver&) = delete;
    HttpReceiver& operator=(const HttpReceiver&) = delete;

    std::uint16_t Port() const { return port_; }
    // "http://127.0.0.1:<port><path>".
    std::string Url(const std::string& path) const;

    // Starts listening; each request is answered with `status`, or never with Hang. False when
    // the port cannot be listened on.
    bool Listen(int status = 200);
    bool Hang();
    // Stops listening and drops every connection (a hanging request ends without answer).
    void Stop();

    std::vector<Request> Requests() const;
    bool WaitForRequests(std::size_t count, std::chrono::milliseconds timeout);

private:
    bool Start(int status, bool hang);
    void Run();
    // Reads one request from the connection; false when it ended first or stopping.
    bool ReadRequest(SOCKET connection, Request& request);

    std::uint16_t port_ = 0;
    SOCKET listener_ = INVALID_SOCKET;
    int status_ = 200;
    bool hang_ = false;
    std::atomic<bool> stopping_{false};
    std::thread thread_;
    mutable std::mutex mutex_;
    std::vector<Request> requests_;
    std::vector<SOCKET> hanging_;
};

} // namespace tavo::e2e

// The tests' HTTP receiver: one thread that accepts, reads and answers one request at a time.
#include "tests/e2e/HttpReceiver.h"

#include <ws2tcpip.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>

namespace tavo::e2e {

namespace {

// Winsock started once for the test program.
void StartWinsock() {
    static const bool started = [] {
        WSADATA data{};
        return WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    (void)started;
}

sockaddr_in Loopback(std::uint16_t port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

// Waits up to 50 ms for the socket to have something to read.
bool Readable(SOCKET socket) {
    fd_set set;
    FD_ZERO(&set);
    FD_SET(socket, &set);
    timeval wait{0, 50000};
    return select(0, &set, nullptr, nullptr, &wait) > 0;
}

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

} // namespace

HttpReceiver::HttpReceiver() {
    StartWinsock();
    const SOCKET probe = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address = Loopback(0);
    int length = sizeof address;
    if (bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length) == 0)
        port_ = ntohs(address.sin_port);
    closesocket(probe);
}

HttpReceiver::~HttpReceiver() {
    Stop();
}

std::string HttpReceiver::Url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(port_) + path;
}

bool HttpReceiver::Listen(int status) {
    return Start(status, false);
}

bool HttpReceiver::Hang() {
    return Start(0, true);
}

bool HttpReceiver::Start(int status, bool hang) {
    Stop();
    listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    const BOOL reuse = TRUE;
    setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, reinterpret_cast<const char*>(&reuse),
               sizeof reuse);
    const sockaddr_in address = Loopback(port_);
    if (listener_ == INVALID_SOCKET ||
        bind(listener_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        listen(listener_, 8) != 0) {
        Stop();
        return false;
    }
    status_ = status;
    hang_ = hang;
    stopping_ = false;
    thread_ = std::thread([this] { Run(); });
    return true;
}

void HttpReceiver::Stop() {
    stopping_ = true;
    if (thread_.joinable())
        thread_.join();
    if (listener_ != INVALID_SOCKET)
        closesocket(listener_);
    listener_ = INVALID_SOCKET;
    const std::lock_guard lock(mutex_);
    for (const SOCKET connection : hanging_)
        closesocket(connection);
    hanging_.clear();
}

std::vector<HttpReceiver::Request> HttpReceiver::Requests() const {
    const std::lock_guard lock(mutex_);
    return requests_;
}

bool HttpReceiver::WaitForRequests(std::size_t count, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (Requests().size() < count) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return true;
}

void HttpReceiver::Run() {
    while (!stopping_) {
        if (!Readable(listener_))
            continue;
        const SOCKET connection = accept(listener_, nullptr, nullptr);
        if (connection == INVALID_SOCKET)
            continue;
        Request request;
        const bool read = ReadRequest(connection, request);
        if (read) {
            const std::lock_guard lock(mutex_);
            requests_.push_back(std::move(request));
        }
        if (read && hang_) {
            const std::lock_guard lock(mutex_);
            hanging_.push_back(connection);
            continue;
        }
        if (read) {
            const std::string answer = "HTTP/1.1 " + std::to_string(status_) +
                                       " Test\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
            send(connection, answer.data(), static_cast<int>(answer.size()), 0);
            shutdown(connection, SD_SEND);
        }
        closesocket(connection);
    }
}

bool HttpReceiver::ReadRequest(SOCKET connection, Request& request) {
    std::string data;
    std::size_t headersEnd = std::string::npos;
    std::size_t length = 0;
    char buffer[65536];
    while (!stopping_) {
        if (headersEnd == std::string::npos) {
            headersEnd = data.find("\r\n\r\n");
            if (headersEnd != std::string::npos) {
                const std::string head = data.substr(0, headersEnd);
                std::size_t lineEnd = head.find("\r\n");
                const std::string first = head.substr(0, lineEnd);
                const std::size_t space = first.find(' ');
                request.Method = first.substr(0, space);
                request.Target = first.substr(space + 1, first.find(' ', space + 1) - space - 1);
                while (lineEnd != std::string::npos) {
                    const std::size_t start = lineEnd + 2;
                    lineEnd = head.find("\r\n", start);
                    const std::string line = head.substr(start, lineEnd - start);
                    const std::size_t colon = line.find(':');
                    if (colon == std::string::npos)
                        continue;
                    std::string value = line.substr(colon + 1);
                    value.erase(0, value.find_first_not_of(' '));
                    request.Headers[Lower(line.substr(0, colon))] = value;
                }
                length = std::strtoul(request.Headers["content-length"].c_str(), nullptr, 10);
            }
        }
        if (headersEnd != std::string::npos && data.size() >= headersEnd + 4 + length) {
            request.Body = data.substr(headersEnd + 4, length);
            return true;
        }
        if (!Readable(connection))
            continue;
        const int got = recv(connection, buffer, sizeof buffer, 0);
        if (got <= 0)
            return false;
        data.append(buffer, static_cast<std::size_t>(got));
    }
    return false;
}

} // namespace tavo::e2e

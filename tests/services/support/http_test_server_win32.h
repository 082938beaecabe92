// A loopback HTTP server on its own thread for the download tests. Paths:
//   /length/N      N body bytes with Content-Length N
//   /nolength/N    N body bytes, no Content-Length, end by closing
//   /short/N/M     Content-Length N, but only M bytes before closing
//   /missing       404 with the body "no such document"
//   /silent        accepts, reads the request, never answers
#pragma once

#include <winsock2.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace services::testing {

// Byte i of every body.
inline char BodyByte(size_t i) { return static_cast<char>('a' + i % 23); }

class HttpTestServer {
public:
    HttpTestServer();
    ~HttpTestServer();
    bool Started() const { return listener_ != INVALID_SOCKET; }
    std::string Url(const std::string& path) const;
    // Request heads received so far, in arrival order.
    std::vector<std::string> Requests();

private:
    void Serve();
    void Answer(SOCKET client, const std::string& head);

    SOCKET listener_ = INVALID_SOCKET;
    unsigned short port_ = 0;
    std::atomic<bool> stopping_{false};
    std::mutex mutex_;
    std::vector<std::string> requests_;
    std::vector<SOCKET> held_;
    std::thread thread_;
};

}  // namespace services::testing

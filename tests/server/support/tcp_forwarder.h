// A loopback TCP port that forwards each connection to a Unix socket (the test
// PostgreSQL cluster's), and can cut every connection and refuse new ones: a database
// that goes away and comes back, without touching the database.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace server::testing {

class TcpForwarder {
public:
    explicit TcpForwarder(std::string unixSocketPath);
    ~TcpForwarder();
    TcpForwarder(const TcpForwarder&) = delete;
    TcpForwarder& operator=(const TcpForwarder&) = delete;

    uint16_t port() const { return port_; }

    // Closes every forwarded connection; new ones are closed at once until Resume.
    void Cut();
    void Resume();

private:
    struct Pair {
        int client;
        int database;
    };
    void Run();
    void ClosePairs();

    std::string target_;
    int listener_ = -1;
    int wake_[2] = {-1, -1};
    uint16_t port_ = 0;
    std::atomic<bool> cut_{false};
    std::atomic<bool> stopping_{false};
    std::mutex mutex_;
    std::vector<Pair> pairs_;
    bool cutRequested_ = false;
    std::thread thread_;
};

}  // namespace server::testing

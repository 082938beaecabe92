// One game connection: reads requests, answers them one at a time, and drops the
// connection on a request that is malformed, too long or never finished, or when it
// completes no request soon enough after connecting.
#pragma once

#include <asio/ip/tcp.hpp>
#include <asio/steady_timer.hpp>

#include <array>
#include <chrono>
#include <cstddef>
#include <memory>
#include <string>

#include "server/connection_limits.h"
#include "server/game_service.h"
#include "server/player_session.h"
#include "server/server_log.h"

namespace server {

struct SessionLimits {
    std::chrono::milliseconds requestTimeout{10000};  // from a request's first byte
    std::chrono::milliseconds idleTimeout{3600000};  // from accept to the first complete request
    size_t maxRequestBytes = 4096;                    // for one request
};

class GameSession : public std::enable_shared_from_this<GameSession> {
public:
    GameSession(asio::ip::tcp::socket socket, ConnectionSlot slot, GameService& service, const ServerLog& log,
                SessionLimits limits, size_t openConnections);

    void Start();

private:
    using TimePoint = asio::steady_timer::clock_type::time_point;

    void ReadMore();
    void OnRead(const std::error_code& error, size_t length);
    void ProcessPending();
    void SendReply(std::string reply);
    // Sets the timer to the nearer of the idle and the request limit that apply now.
    void UpdateDeadline(bool requestStarted);
    void OnDeadline();
    void Close(const std::string& reason);

    asio::ip::tcp::socket socket_;
    ConnectionSlot slot_;
    asio::steady_timer deadline_;
    GameService& service_;
    const ServerLog& log_;
    SessionLimits limits_;
    size_t openConnections_;
    PlayerSession player_;
    std::string pending_;
    std::string reply_;
    std::array<char, 4096> chunk_;
    TimePoint idleDeadline_;  // max() once a request was completed
    TimePoint requestDeadline_ = TimePoint::max();
    TimePoint armedFor_ = TimePoint::max();
    bool lastReadFilledChunk_ = false;
    bool closed_ = false;
};

}  // namespace server

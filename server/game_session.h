// One game connection: reads requests, answers them one at a time, and drops the
// connection on a request that is malformed, too long or never finished.
#pragma once

#include <asio/ip/tcp.hpp>
#include <asio/steady_timer.hpp>

#include <array>
#include <chrono>
#include <cstddef>
#include <memory>
#include <string>

#include "server/game_service.h"
#include "server/player_session.h"
#include "server/server_log.h"

namespace server {

struct SessionLimits {
    std::chrono::milliseconds requestTimeout{10000};
    size_t maxRequestBytes = 4096;  // for one request
};

class GameSession : public std::enable_shared_from_this<GameSession> {
public:
    GameSession(asio::ip::tcp::socket socket, GameService& service, const ServerLog& log, SessionLimits limits,
                size_t& openSessions);
    ~GameSession();

    void Start();

private:
    void ReadMore();
    void OnRead(const std::error_code& error, size_t length);
    void ProcessPending();
    void SendReply(std::string reply);
    void ArmDeadline();
    void DisarmDeadline();
    void Close(const std::string& reason);

    asio::ip::tcp::socket socket_;
    asio::steady_timer deadline_;
    GameService& service_;
    const ServerLog& log_;
    SessionLimits limits_;
    size_t& openSessions_;
    PlayerSession player_;
    std::string pending_;
    std::string reply_;
    std::array<char, 4096> chunk_;
    bool deadlineArmed_ = false;
    unsigned deadlineGeneration_ = 0;
    bool lastReadFilledChunk_ = false;
    bool closed_ = false;
};

}  // namespace server

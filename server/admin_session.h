// One connection to the operators' port: /metrics (Prometheus text format), /healthz
// (the process answers) and /readyz (the store answers too), then close.
#pragma once

#include <asio/ip/tcp.hpp>
#include <asio/steady_timer.hpp>

#include <array>
#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include "common/result.h"
#include "server/server_log.h"

namespace server {

struct AdminPages {
    std::function<std::string()> metrics;
    // Why the server cannot serve players now, if it cannot.
    std::function<common::Result<void>()> ready;
};

class AdminSession : public std::enable_shared_from_this<AdminSession> {
public:
    static constexpr size_t kMaxHeadBytes = 4096;

    AdminSession(asio::ip::tcp::socket socket, const AdminPages& pages, const ServerLog& log,
                 std::chrono::milliseconds timeout);
    // Called when the session ends, so the server can count the ones open.
    void OnEnd(std::function<void()> ended) { ended_ = std::move(ended); }
    ~AdminSession();

    void Start();

private:
    void ReadHead();
    void Answer(size_t headLength);
    void Respond(int status, std::string_view contentType, std::string body, bool headOnly);
    void Close();

    asio::ip::tcp::socket socket_;
    asio::steady_timer deadline_;
    const AdminPages& pages_;
    const ServerLog& log_;
    std::chrono::milliseconds timeout_;
    std::function<void()> ended_;
    std::string head_;
    std::array<char, 1024> chunk_;
    std::string response_;
};

}  // namespace server

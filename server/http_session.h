// One HTTP connection: reads one GET, answers it with Content-Length and closes.
#pragma once

#include <asio/ip/tcp.hpp>
#include <asio/steady_timer.hpp>

#include <array>
#include <chrono>
#include <memory>
#include <string>

#include "server/connection_limits.h"
#include "server/server_log.h"
#include "server/server_metrics.h"
#include "server/static_files.h"
#include "server/update_document.h"

namespace server {

class HttpSession : public std::enable_shared_from_this<HttpSession> {
public:
    static constexpr std::string_view kUpdatePath = "/vorlenk2/update.xml";
    static constexpr size_t kMaxHeadBytes = 8192;

    HttpSession(asio::ip::tcp::socket socket, ConnectionSlot slot, const UpdateDocument& document,
                const ServerLog& log, ServerMetrics& metrics, std::chrono::milliseconds timeout,
                StaticSite www = {});

    void Start();

private:
    void ReadHead();
    void OnRead(const std::error_code& error, size_t length);
    void OnHead(size_t length);
    void Respond(int status, std::string_view contentType, std::string body, bool headOnly,
                 std::string_view extraHeaders = {});
    void Close();

    asio::ip::tcp::socket socket_;
    ConnectionSlot slot_;
    asio::steady_timer deadline_;
    const UpdateDocument& document_;
    const ServerLog& log_;
    ServerMetrics& metrics_;
    std::chrono::milliseconds timeout_;
    StaticSite www_;
    std::string peer_;
    std::string head_;
    std::array<char, 2048> chunk_;
    std::string response_;
    std::string requestSummary_;
};

}  // namespace server

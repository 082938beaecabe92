// One answer from the static files below --www DIR: the file streamed in
// chunks (never whole in memory), Content-Length, one byte range as 206, 416
// for a range past the end, and 404 for anything that is not a regular file
// below the folder (folders are never listed).
#pragma once

#include <asio/ip/tcp.hpp>
#include <asio/steady_timer.hpp>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "server/connection_limits.h"
#include "server/server_log.h"
#include "server/server_metrics.h"

namespace server {

class StaticFileTransfer : public std::enable_shared_from_this<StaticFileTransfer> {
public:
    // A client that takes nothing for this long is dropped.
    static constexpr std::chrono::seconds kIdleLimit{60};
    static constexpr size_t kChunkBytes = 256 * 1024;

    // Takes over a connection whose request head (GET or HEAD of `path`) was read.
    static void Start(asio::ip::tcp::socket socket, ConnectionSlot slot, std::string root, std::string_view head,
                      std::string_view method, std::string_view path, const ServerLog& log, std::string peer,
                      ServerMetrics& metrics);

    StaticFileTransfer(asio::ip::tcp::socket socket, ConnectionSlot slot, std::string root, const ServerLog& log,
                       std::string peer, ServerMetrics& metrics);
    ~StaticFileTransfer();

private:
    void Answer(std::string_view head, bool headOnly, std::string_view path);
    void Refuse(int status, std::string_view body, bool headOnly);
    void WriteHead(int status, uint64_t length, std::string_view extraHeaders, std::string body = {});
    void WriteNextChunk();
    void Finish(const std::string& how);
    void ArmDeadline();

    asio::ip::tcp::socket socket_;
    ConnectionSlot slot_;
    asio::steady_timer deadline_;
    std::string root_;
    const ServerLog& log_;
    std::string peer_;
    ServerMetrics& metrics_;
    std::string summary_;
    std::string response_;
    std::vector<char> chunk_;
    int file_ = -1;
    int status_ = 0;
    uint64_t next_ = 0;       // file offset of the next chunk
    uint64_t remaining_ = 0;  // body bytes still to send
    uint64_t sent_ = 0;
    bool finished_ = false;
};

}  // namespace server

// One answer from the static files below --www DIR: the file streamed in
// chunks (never whole in memory), Content-Length, one byte range as 206,
// several as a 206 multipart/byteranges answer, 416 for ranges past the end,
// and 404 for anything that is not a regular file below the folder (folders
// are never listed).
#pragma once

#include <asio/ip/tcp.hpp>
#include <asio/steady_timer.hpp>

#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "server/connection_limits.h"
#include "server/server_log.h"
#include "server/server_metrics.h"
#include "server/static_files.h"

namespace server {

class StaticFileTransfer : public std::enable_shared_from_this<StaticFileTransfer> {
public:
    // A client that takes nothing for this long is dropped.
    static constexpr std::chrono::seconds kIdleLimit{60};
    static constexpr size_t kChunkBytes = 256 * 1024;

    // Takes over a connection whose request head (GET or HEAD of `path`) was read.
    static void Start(asio::ip::tcp::socket socket, ConnectionSlot slot, const StaticSite& site,
                      std::string_view head, std::string_view method, std::string_view path, const ServerLog& log,
                      std::string peer, ServerMetrics& metrics);

    StaticFileTransfer(asio::ip::tcp::socket socket, ConnectionSlot slot, StaticSite site, const ServerLog& log,
                       std::string peer, ServerMetrics& metrics);
    ~StaticFileTransfer();

private:
    // A stretch of the body: text of its own, or bytes of the file.
    struct Piece {
        std::string text;
        uint64_t offset = 0;
        uint64_t length = 0;
    };

    void Answer(std::string_view head, bool headOnly, std::string_view path);
    void AnswerRanges(const std::vector<ByteRange>& ranges, uint64_t size, std::string_view type, bool headOnly);
    void Refuse(int status, std::string_view body, bool headOnly);
    void WriteHead(int status, uint64_t length, std::string_view extraHeaders, std::string body = {});
    void WriteNextChunk();
    void Sent(const std::error_code& error, size_t n);
    void Finish(const std::string& how);
    void ArmDeadline();

    asio::ip::tcp::socket socket_;
    ConnectionSlot slot_;
    asio::steady_timer deadline_;
    StaticSite site_;
    const ServerLog& log_;
    std::string peer_;
    ServerMetrics& metrics_;
    std::string summary_;
    std::string response_;
    std::vector<char> chunk_;
    int file_ = -1;
    int status_ = 0;
    std::deque<Piece> pieces_;  // the body still to send, the first one under way
    uint64_t sent_ = 0;
    bool finished_ = false;
};

}  // namespace server

#include "server/http_session.h"

#include <asio/write.hpp>

#include <algorithm>

#include "server/http_request.h"
#include "server/static_file_transfer.h"

namespace server {

namespace {

constexpr std::string_view kTextPlain = "text/plain; charset=us-ascii";

}  // namespace

HttpSession::HttpSession(asio::ip::tcp::socket socket, ConnectionSlot slot, const UpdateDocument& document,
                         const ServerLog& log, ServerMetrics& metrics, std::chrono::milliseconds timeout,
                         StaticSite www)
    : socket_(std::move(socket)), slot_(std::move(slot)), deadline_(socket_.get_executor()), document_(document),
      log_(log), metrics_(metrics), timeout_(timeout), www_(std::move(www)) {
    std::error_code ignored;
    auto remote = socket_.remote_endpoint(ignored);
    peer_ = ignored ? std::string("unknown") : remote.address().to_string() + ":" + std::to_string(remote.port());
}

void HttpSession::Start() {
    deadline_.expires_after(timeout_);
    deadline_.async_wait([self = shared_from_this()](const std::error_code& error) {
        if (error) return;
        self->log_.Write(self->peer_ + " http closed: request not finished in time");
        self->Close();
    });
    ReadHead();
}

void HttpSession::ReadHead() {
    size_t room = std::min(chunk_.size(), kMaxHeadBytes - head_.size());
    socket_.async_read_some(asio::buffer(chunk_.data(), room),
                            [self = shared_from_this()](const std::error_code& error, size_t length) {
                                self->OnRead(error, length);
                            });
}

void HttpSession::OnRead(const std::error_code& error, size_t length) {
    if (error) {
        if (error != asio::error::operation_aborted) {
            log_.Write(peer_ + " http closed: " + error.message());
            Close();
        }
        return;
    }
    head_.append(chunk_.data(), length);
    if (size_t headLength = FindHttpHeadEnd(head_)) return OnHead(headLength);
    if (head_.size() >= kMaxHeadBytes) {
        requestSummary_ = "(head too long)";
        return Respond(431, kTextPlain, "Request head too long.\r\n", false);
    }
    ReadHead();
}

void HttpSession::OnHead(size_t length) {
    HttpRequestLine line;
    HttpParseStatus parsed = ParseHttpRequestLine(std::string_view(head_).substr(0, length), line);
    if (parsed != HttpParseStatus::Ok) {
        requestSummary_ = "(malformed request line)";
        if (parsed == HttpParseStatus::UnsupportedVersion) {
            return Respond(505, kTextPlain, "Only HTTP/1.0 and HTTP/1.1.\r\n", false);
        }
        return Respond(400, kTextPlain, "Bad request.\r\n", false);
    }
    requestSummary_ = std::string(line.method) + " " + std::string(line.path);
    bool head = line.method == "HEAD";
    if (line.method != "GET" && !head) {
        return Respond(405, kTextPlain, "Only GET and HEAD.\r\n", false, "Allow: GET, HEAD\r\n");
    }
    if (!www_.root.empty()) {
        deadline_.cancel();
        // The transfer keeps the connection's place under the caps while it runs.
        return StaticFileTransfer::Start(std::move(socket_), std::move(slot_), www_,
                                         std::string_view(head_).substr(0, length), line.method, line.path, log_,
                                         peer_, metrics_);
    }
    if (line.path != kUpdatePath) return Respond(404, kTextPlain, "Not found.\r\n", head);
    auto xml = document_.Build();
    if (!xml) {
        log_.Write(peer_ + " http update document unavailable: " + xml.error().message);
        return Respond(503, kTextPlain, "No version is published.\r\n", head);
    }
    Respond(200, "text/xml; charset=gbk", std::move(*xml), head);
}

void HttpSession::Respond(int status, std::string_view contentType, std::string body, bool headOnly,
                          std::string_view extraHeaders) {
    response_ = "HTTP/1.1 " + std::to_string(status) + " " + std::string(HttpReasonPhrase(status)) + "\r\n";
    response_ += "Content-Type: " + std::string(contentType) + "\r\n";
    response_ += "Content-Length: " + std::to_string(body.size()) + "\r\n";
    response_ += "Cache-Control: no-cache\r\n";
    response_ += extraHeaders;
    response_ += "Connection: close\r\n\r\n";
    if (!headOnly) response_ += body;
    log_.Write(peer_ + " http " + requestSummary_ + " " + std::to_string(status));
    asio::async_write(socket_, asio::buffer(response_), [self = shared_from_this()](const std::error_code&, size_t n) {
        self->metrics_.AddHttpBytes(n);
        std::error_code ignored;
        self->socket_.shutdown(asio::ip::tcp::socket::shutdown_send, ignored);
        self->Close();
    });
}

void HttpSession::Close() {
    deadline_.cancel();
    std::error_code ignored;
    socket_.close(ignored);
}

}  // namespace server

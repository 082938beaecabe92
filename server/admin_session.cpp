#include "server/admin_session.h"

#include <asio/write.hpp>

#include "server/http_request.h"

namespace server {

namespace {

constexpr std::string_view kTextPlain = "text/plain; charset=utf-8";
constexpr std::string_view kMetricsType = "text/plain; version=0.0.4; charset=utf-8";

}  // namespace

AdminSession::AdminSession(asio::ip::tcp::socket socket, const AdminPages& pages, const ServerLog& log,
                           std::chrono::milliseconds timeout)
    : socket_(std::move(socket)), deadline_(socket_.get_executor()), pages_(pages), log_(log), timeout_(timeout) {}

AdminSession::~AdminSession() {
    if (ended_) ended_();
}

void AdminSession::Start() {
    deadline_.expires_after(timeout_);
    deadline_.async_wait([self = shared_from_this()](const std::error_code& error) {
        if (!error) self->Close();
    });
    ReadHead();
}

void AdminSession::ReadHead() {
    socket_.async_read_some(asio::buffer(chunk_), [self = shared_from_this()](const std::error_code& error,
                                                                             size_t length) {
        if (error) return self->Close();
        self->head_.append(self->chunk_.data(), length);
        if (size_t headLength = FindHttpHeadEnd(self->head_)) return self->Answer(headLength);
        if (self->head_.size() >= kMaxHeadBytes) return self->Respond(431, kTextPlain, "Head too long.\n", false);
        self->ReadHead();
    });
}

void AdminSession::Answer(size_t headLength) {
    HttpRequestLine line;
    if (ParseHttpRequestLine(std::string_view(head_).substr(0, headLength), line) != HttpParseStatus::Ok) {
        return Respond(400, kTextPlain, "Bad request.\n", false);
    }
    bool headOnly = line.method == "HEAD";
    if (line.method != "GET" && !headOnly) return Respond(405, kTextPlain, "Only GET and HEAD.\n", false);
    if (line.path == "/metrics") return Respond(200, kMetricsType, pages_.metrics(), headOnly);
    if (line.path == "/healthz") return Respond(200, kTextPlain, "ok\n", headOnly);
    if (line.path == "/readyz") {
        auto ready = pages_.ready();
        if (ready) return Respond(200, kTextPlain, "ready\n", headOnly);
        log_.Write("admin readyz: not ready: " + ready.error().message);
        return Respond(503, kTextPlain, "not ready: the store does not answer\n", headOnly);
    }
    Respond(404, kTextPlain, "Not found: /metrics, /healthz or /readyz.\n", headOnly);
}

void AdminSession::Respond(int status, std::string_view contentType, std::string body, bool headOnly) {
    response_ = "HTTP/1.1 " + std::to_string(status) + " " + std::string(HttpReasonPhrase(status)) + "\r\n";
    response_ += "Content-Type: " + std::string(contentType) + "\r\n";
    response_ += "Content-Length: " + std::to_string(body.size()) + "\r\n";
    response_ += "Cache-Control: no-cache\r\nConnection: close\r\n\r\n";
    if (!headOnly) response_ += body;
    asio::async_write(socket_, asio::buffer(response_), [self = shared_from_this()](const std::error_code&, size_t) {
        std::error_code ignored;
        self->socket_.shutdown(asio::ip::tcp::socket::shutdown_send, ignored);
        self->Close();
    });
}

void AdminSession::Close() {
    deadline_.cancel();
    std::error_code ignored;
    socket_.close(ignored);
}

}  // namespace server

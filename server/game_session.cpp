#include "server/game_session.h"

#include <asio/write.hpp>

#include <algorithm>

#include "server/request_parser.h"

namespace server {

GameSession::GameSession(asio::ip::tcp::socket socket, ConnectionSlot slot, GameService& service,
                         const ServerLog& log, SessionLimits limits, size_t openConnections)
    : socket_(std::move(socket)),
      slot_(std::move(slot)),
      deadline_(socket_.get_executor()),
      service_(service),
      log_(log),
      limits_(limits),
      openConnections_(openConnections) {
    std::error_code ignored;
    auto remote = socket_.remote_endpoint(ignored);
    player_.peer = ignored ? std::string("unknown") : remote.address().to_string() + ":" + std::to_string(remote.port());
    player_.address = slot_.address();
    socket_.set_option(asio::ip::tcp::no_delay(true), ignored);
}

void GameSession::Start() {
    log_.Write(player_.peer + " connected (" + std::to_string(openConnections_) + " open)");
    idleDeadline_ = limits_.idleTimeout.count() > 0 ? asio::steady_timer::clock_type::now() + limits_.idleTimeout
                                                     : TimePoint::max();
    UpdateDeadline(false);
    ReadMore();
}

void GameSession::ReadMore() {
    if (closed_) return;
    socket_.async_read_some(asio::buffer(chunk_), [self = shared_from_this()](const std::error_code& error,
                                                                              size_t length) {
        self->OnRead(error, length);
    });
}

void GameSession::OnRead(const std::error_code& error, size_t length) {
    if (closed_) return;
    if (error) {
        if (error == asio::error::eof || error == asio::error::connection_reset) {
            Close(pending_.empty() ? "disconnected" : "disconnected inside a request");
        } else {
            Close("read failed: " + error.message());
        }
        return;
    }
    pending_.append(chunk_.data(), length);
    lastReadFilledChunk_ = length == chunk_.size();
    ProcessPending();
}

// Requests carry no framing and the last field no terminator, so a request ends where
// the received bytes end once all its fields are there and nothing more is waiting: the
// client sends each request with one small send, which arrives whole, while waiting for
// a quiet period would delay every reply by that period. Requests that arrived together
// are answered one after the other; the size limit applies to each on its own.
void GameSession::ProcessPending() {
    if (closed_) return;
    ParseResult parsed = ParseRequest(pending_);
    if (parsed.status == ParseStatus::Malformed) {
        Close("malformed request: " + std::string(parsed.problem));
        return;
    }
    size_t requestBytes = parsed.status == ParseStatus::Complete ? parsed.consumed : pending_.size() - parsed.consumed;
    if (requestBytes > limits_.maxRequestBytes) {
        Close("request longer than " + std::to_string(limits_.maxRequestBytes) + " bytes");
        return;
    }
    // A read that did not fill the buffer took all there was, so only a full one needs asking.
    std::error_code ignored;
    bool lastFieldMayGoOn = parsed.status == ParseStatus::Complete && parsed.consumed == pending_.size() &&
                            lastReadFilledChunk_ && socket_.available(ignored) > 0;
    if (parsed.status == ParseStatus::NeedMore || lastFieldMayGoOn) {
        if (parsed.status == ParseStatus::NeedMore) pending_.erase(0, parsed.consumed);
        UpdateDeadline(!pending_.empty());
        ReadMore();
        return;
    }
    pending_.erase(0, parsed.consumed);
    idleDeadline_ = TimePoint::max();
    UpdateDeadline(false);
    service_.Handle(player_, std::move(parsed.request),
                    [self = shared_from_this()](std::string reply) { self->SendReply(std::move(reply)); });
}

void GameSession::SendReply(std::string reply) {
    if (closed_) return;
    reply_ = std::move(reply);
    asio::async_write(socket_, asio::buffer(reply_), [self = shared_from_this()](const std::error_code& error,
                                                                                size_t) {
        if (self->closed_) return;
        if (error) {
            self->Close("write failed: " + error.message());
            return;
        }
        self->ProcessPending();
    });
}

// The request limit runs from the first byte of an unfinished request, so trickling
// bytes does not extend it.
void GameSession::UpdateDeadline(bool requestStarted) {
    if (!requestStarted) {
        requestDeadline_ = TimePoint::max();
    } else if (requestDeadline_ == TimePoint::max()) {
        requestDeadline_ = asio::steady_timer::clock_type::now() + limits_.requestTimeout;
    }
    TimePoint target = std::min(idleDeadline_, requestDeadline_);
    if (target == armedFor_) return;
    armedFor_ = target;
    if (target == TimePoint::max()) {
        deadline_.cancel();
        return;
    }
    deadline_.expires_at(target);
    deadline_.async_wait([self = shared_from_this()](const std::error_code& error) {
        if (!error) self->OnDeadline();
    });
}

void GameSession::OnDeadline() {
    if (closed_) return;
    // A wait that finished just before the deadline moved is stale; the new one is pending.
    TimePoint now = asio::steady_timer::clock_type::now();
    if (now >= idleDeadline_) {
        Close("no request within " + std::to_string(limits_.idleTimeout.count()) + " ms of connecting");
    } else if (now >= requestDeadline_) {
        Close("request not finished within " + std::to_string(limits_.requestTimeout.count()) + " ms");
    }
}

void GameSession::Close(const std::string& reason) {
    if (closed_) return;
    closed_ = true;
    log_.Write(player_.peer + " closed: " + reason);
    deadline_.cancel();
    std::error_code ignored;
    socket_.shutdown(asio::ip::tcp::socket::shutdown_both, ignored);
    socket_.close(ignored);
}

}  // namespace server

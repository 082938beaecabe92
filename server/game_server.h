// The whole server: the game protocol and the update document, on one I/O thread,
// with password hashing on a small pool.
#pragma once

#include <asio/io_context.hpp>
#include <asio/ip/tcp.hpp>
#include <asio/steady_timer.hpp>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "server/account_store.h"
#include "server/admin_session.h"
#include "server/connection_limits.h"
#include "server/game_service.h"
#include "server/hashing_queue.h"
#include "server/refusal_tally.h"
#include "server/server_config.h"
#include "server/server_log.h"
#include "server/server_metrics.h"
#include "server/update_document.h"

namespace server {

class GameServer {
public:
    explicit GameServer(ServerConfig config);
    ~GameServer();
    GameServer(const GameServer&) = delete;
    GameServer& operator=(const GameServer&) = delete;

    // Opens the store and binds both ports.
    common::Result<void> Open();

    // The bound endpoints (with the real port when 0 was asked for); valid after Open.
    asio::ip::tcp::endpoint GameEndpoint() const;
    asio::ip::tcp::endpoint HttpEndpoint() const;
    // The operators' port; an unbound endpoint (port 0) when none was asked for.
    asio::ip::tcp::endpoint AdminEndpoint() const;

    // Serves on the calling thread until Stop.
    void Run();
    // May be called from any thread.
    void Stop();

private:
    // One listening port: its acceptor, what starts a session, and the pause after a failed accept.
    struct Listener {
        using StartSession = std::function<void(asio::ip::tcp::socket, ConnectionSlot)>;
        Listener(asio::io_context& io, StartSession start) : acceptor(io), pause(io), start(std::move(start)) {}
        asio::ip::tcp::acceptor acceptor;
        asio::steady_timer pause;
        std::chrono::milliseconds backoff{0};
        StartSession start;
    };

    void Accept(Listener& listener);
    void Admit(Listener& listener, asio::ip::tcp::socket socket);
    // Operators' connections bypass the players' limits, but only a few are held at once.
    void AcceptAdmin();
    void StartAdminSession(asio::ip::tcp::socket socket);
    std::string RenderMetrics();
    // Out of descriptors and the like: pause accepting, longer each time, instead of spinning.
    void PauseAfterAcceptError(Listener& listener, const std::error_code& error);
    // Logs what was refused as one line per interval.
    void WriteSummaryEvery();

    // Declared so that io_ goes before what its pending handlers refer to.
    ServerConfig config_;
    ServerLog log_;
    RefusalTally refusals_;
    ServerMetrics metrics_;
    ConnectionLimiter connections_;
    std::unique_ptr<AccountStore> store_;
    UpdateDocument document_;
    HashingQueue hashing_;
    AdminPages adminPages_;
    size_t adminOpen_ = 0;
    asio::io_context io_;
    std::optional<GameService> service_;
    Listener game_;
    Listener http_;
    asio::ip::tcp::acceptor admin_;
    asio::steady_timer summary_;
};

}  // namespace server
